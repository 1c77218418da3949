// MSAppsView: the about screen's horizontally scrolling row of recommended applications — an icon
// and a name per application, the icon leading (through the delegate) to the application's link.
// The row shows the engine's stored recommendation (the start-up info task's) with its icons
// downloaded; without one it shows the maker's three built-in applications, after 0.5 s the first
// time in a process and at once afterwards. Entry i sits at x = 15 + 81 i (icon 66 × 66, name
// below it); the content is 15 + 81 n wide and scrolls only when there are more than 3 entries.
// Until its icon arrives an entry shows a loading picture and a spinner; icons and names fade in
// over 0.6 s. Downloaded icons are matched to their entries by "Url", ignoring letter case.
// The row does not cancel the touch an icon holds (a finger resting on an icon and then moving
// does not scroll) and has the dark indicator style.
// Failed downloads show the error tip unless cancelled (−6) or forbidden (−3403).
//
// Tags, for entry i: 30000 + i placeholder, 20000 + i spinner, 50000 + i icon button, 40000 + i
// name. The links are kept beside the buttons (a button's title label is its own to lay out).
//
// Where we differ on purpose (faults mended):
//  - The view holds itself while icon downloads it started are outstanding and lets go exactly
//    once, when the last has reported; the delayed build does nothing once the view is gone.
//  - An entry's icon is looked for only among the current entries: a report for an address that
//    is not (or no longer) listed changes nothing.
//
// Main thread only; std::make_shared (the view's own hold and its notifications need it). The
// delegate is held weakly.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/runtime/RunLoop.h"
#include "platform/ui/views/ScrollView.h"

namespace zu {

namespace ui {
class Button;
class Image;
}  // namespace ui

struct Notification;
class AboutEngine;
class MSAppsView;
class VeskAppRecommend;

class MSAppsViewDelegate {
 public:
  virtual ~MSAppsViewDelegate() = default;
  virtual void appsViewDidClickedAppWithLink(MSAppsView& view, const std::string& link) = 0;
};

class MSAppsView : public ui::ScrollView {
 public:
  static constexpr int kPlaceholderTag = 30000;
  static constexpr int kIndicatorTag = 20000;
  static constexpr int kButtonTag = 50000;
  static constexpr int kLabelTag = 40000;
  static constexpr float kLeft = 15;
  static constexpr float kPitch = 81;
  static constexpr float kIconSide = 66;
  static constexpr double kBuiltInDelay = 0.5;
  static constexpr double kFadeDuration = 0.6;

  struct BuiltInApp {
    const char* icon;
    const char* name;
    const char* link;
  };
  static const std::vector<BuiltInApp>& builtInApps();
  // Whether the built-in list has been shown in this process (and its reset, for tests).
  static bool builtInShown();
  static void resetBuiltInShownForTesting();

  // Made and set up at once with the given engine (the data engine's when null).
  static std::shared_ptr<MSAppsView> create(const ui::Rect& frame, std::shared_ptr<AboutEngine> engine = nullptr);
  explicit MSAppsView(const ui::Rect& frame);
  ~MSAppsView() override;

  std::shared_ptr<MSAppsViewDelegate> appViewDelegate() const { return delegate_.lock(); }
  void setAppViewDelegate(std::weak_ptr<MSAppsViewDelegate> delegate) { delegate_ = std::move(delegate); }

  // Builds the icons from the engine's recommendation, or from the built-in list without one.
  void delayedAppinfo();
  void getIconImageResultOnMainThread(const Notification& notification);
  void iconPressedAction(ui::Button& button);

  // --- state (read by tests)
  const std::shared_ptr<VeskAppRecommend>& appRecommend() const { return appRecommend_; }
  const std::vector<std::shared_ptr<ui::Button>>& appIconButtonsArray() const { return buttons_; }
  bool isBuilt() const { return built_; }
  bool isHoldingItself() const { return self_ != nullptr; }
  size_t pendingDownloads() const { return pending_.size(); }

  void layoutSubviews() override;
  std::string className() const override { return "MSAppsView"; }

 private:
  void internalInit(std::shared_ptr<AboutEngine> engine);
  // Entries shown: the recommendation's, or 3 built-in ones without a recommendation list.
  int entryCount() const;
  bool hasList() const;
  void addEntry(int index, const std::optional<std::string>& title, const std::optional<std::string>& link,
                std::shared_ptr<ui::Image> icon);
  void startDownload(const std::string& url);
  void endDownload(const std::string& taskId);
  void fadeIn(int index);

  std::shared_ptr<AboutEngine> engine_;
  std::weak_ptr<MSAppsViewDelegate> delegate_;
  std::shared_ptr<VeskAppRecommend> appRecommend_;
  std::vector<std::shared_ptr<ui::Button>> buttons_;
  // The link of each button, by index.
  std::vector<std::string> links_;
  bool built_ = false;
  RunLoop::Token buildToken_ = 0;
  // The download tasks still to report, by id.
  std::vector<std::string> pending_;
  std::shared_ptr<MSAppsView> self_;
};

}  // namespace zu
