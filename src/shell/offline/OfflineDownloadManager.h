// OfflineDownloadManager: one offline download of the reader's columns for the home screen, with
// its pop-up. create() starts the engine's download at once ("offlineDownload" as the task's
// tag) and keeps a row per given column whose offline switch is on, in the given order (the
// engine downloads the switched-on columns in the store's order: the home screen's order once
// edit mode has stored it). The manager listens to the task's result notifications, writes the
// rows' states ("等待下载", "正在下载: 40%", "已经完成"), drives the pop-up (OfflineDownloadView)
// and the download button's 17-frame animation, shows the summary alert (tag 345) or the error
// alert at the end, and lets the reader hide the pop-up (the download goes on) or cancel it.
//
// Calling order: create(columns), setDelegate(screen, screen's view), openDownloadView(); the
// download button calls openDownloadView() again on the same manager. When the download has
// ended and the pop-up has shrunk back into the button, the delegate hears
// finishOfflineDownload() once and may drop the manager there.
//
// At most one download runs in the process: the running task sits in one class-level slot,
// shared by all managers, which answers isDownloading(). The slot holds the task weakly, so it
// can never point at a task the engine has let go.
//
// Kept from the phone: a report for a lower column number than the last is stale and ignored;
// the first report changes no row; a report for a new column marks the previous row done; the
// last row is never marked done (the finish closes the pop-up while it still reads its
// downloading text); byte-only reports change no row; the bar shows the current column's
// percent, not the whole download's; a cancel ends silently; hiding always ends in the button.
// Where we differ on purpose: the summary reads the latest report of any kind (the observer
// posts copies, so the last percent report may be older than the last byte report); a column
// without a title gets an empty row title; the title and resetView lookups are range-checked;
// the manager stays alive through its own callbacks even when the delegate drops it there;
// finishOfflineDownload is sent once (a finish may hide the pop-up while it already shrinks);
// hiding with no panel still ends the work; a pop-up opened again while it shrinks stays open
// and takes touches again (the shrink's end leaves it alone unless the download is over).
//
// Main thread only (the notifications arrive there). Made with create(); the delegate and the
// screen's view are not retained; the manager owns the panel and the dimming layer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/Object.h"
#include "platform/ui/views/TableView.h"

namespace zu {

namespace ui {
class Button;
class View;
}  // namespace ui

class Column;
class OfflineDownloadDelegate;
class OfflineDownloadProgress;
class OfflineDownloadView;
class Task;
struct Notification;

class OfflineDownloadManager : public Object, public ui::TableViewDataSource, public ui::TableViewDelegate {
 public:
  static constexpr const char* kTaskIdentity = "offlineDownload";
  static constexpr int kSummaryAlertTag = 345;
  static constexpr float kRowHeight = 42;
  static constexpr double kAnimationSeconds = 0.4;
  static constexpr const char* kWaitingState = "等待下载";

  // Makes the manager and starts the download (the interface files are registered when they
  // are not yet). `columns`: the home screen's list in display order.
  static std::shared_ptr<OfflineDownloadManager> create(const std::vector<std::shared_ptr<Column>>& columns);
  // True while the class-level slot holds a live download task.
  static bool isDownloading();

  ~OfflineDownloadManager() override;

  // `delegate`: the screen; `view`: the screen's own view (its window takes the pop-up, its
  // centre is where the panel grows to).
  void setDelegate(std::weak_ptr<OfflineDownloadDelegate> delegate, std::weak_ptr<ui::View> view);

  void openDownloadView();
  void hideDownloadView();
  void cancelOfflineDownload(ui::Button& sender);
  // Drops the panel and the dimming layer (the screen calls it when its own view goes).
  void unloadView();
  // Starts the download button's animation unless it already has its frames.
  void animatedDownloadButton();
  void updateOfflineDownloadInfo(const Notification& notification);
  void updateOfflineDownloadView(const std::shared_ptr<OfflineDownloadProgress>& progress);
  void completeOfflineDownload(const std::shared_ptr<OfflineDownloadProgress>& progress);

  // The summary's traffic text: "%.2fM" above 1,048,575 bytes, else "%dK" truncated.
  static std::string sizeText(int64_t bytes);
  // The summary's message for `articles` articles and `bytes` bytes.
  static std::string summaryMessage(int32_t articles, int64_t bytes);

  // --- the pop-up's table
  int64_t numberOfRowsInSection(ui::TableView& table, int64_t section) override;
  std::shared_ptr<ui::TableViewCell> cellForRow(ui::TableView& table, const ui::IndexPath& indexPath) override;
  std::optional<float> heightForRow(ui::TableView& table, const ui::IndexPath& indexPath) override;

  // --- state, for the screen and for reading what the manager holds
  const std::shared_ptr<OfflineDownloadView>& downloadView() const { return downloadView_; }
  const std::shared_ptr<ui::View>& backgroundView() const { return backgroundView_; }
  int32_t currentDownloadIndex() const { return currentDownloadIndex_; }
  const std::vector<std::string>& columnsTitle() const { return columnsTitle_; }
  const std::vector<std::string>& columnsState() const { return columnsState_; }
  int32_t columnsCount() const { return columnsCount_; }
  const std::shared_ptr<OfflineDownloadProgress>& savedProgress() const { return savedProgress_; }
  // The task this manager started (null once the engine let it go).
  std::shared_ptr<Task> task() const { return task_.lock(); }

 private:
  OfflineDownloadManager() = default;
  void start(const std::vector<std::shared_ptr<Column>>& columns);
  std::shared_ptr<OfflineDownloadManager> self();
  std::shared_ptr<ui::Button> downloadButton() const;
  // The pop-up has shrunk into the button; `hide` numbers the hide that shrank it.
  void didHide(uint64_t hide);
  // Stops the button's animation and tells the delegate, once, when no download runs.
  void endWork();
  // The scale that takes the panel to the button's size (1 on an axis either lacks).
  static ui::Transform scaleToButton(const ui::View& panel, const ui::Button& button);

  std::shared_ptr<OfflineDownloadView> downloadView_;
  std::shared_ptr<ui::View> backgroundView_;
  std::weak_ptr<OfflineDownloadDelegate> delegate_;
  std::weak_ptr<ui::View> delegateView_;
  int32_t currentDownloadIndex_ = 0;
  std::vector<std::string> columnsTitle_;
  std::vector<std::string> columnsState_;
  int32_t columnsCount_ = 0;
  std::shared_ptr<OfflineDownloadProgress> savedProgress_;
  // The latest report of any kind: its byte and article counts are the download's latest.
  std::shared_ptr<OfflineDownloadProgress> latestReport_;
  std::weak_ptr<Task> task_;
  std::string taskName_;
  bool finished_ = false;
  // Counts the opens and hides: a shrink whose number is no longer the latest was overtaken by
  // an open. shrinking_: a hide's shrink has not ended, nor has an open taken the panel back.
  uint64_t showings_ = 0;
  bool shrinking_ = false;
};

}  // namespace zu
