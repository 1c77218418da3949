// OfflineDownloadView: the panel of the offline download pop-up — the state text ("正在下载:" or
// "正在检查新文章:") and the title of the column worked on, its number over the number of rows,
// the current column's bar, a table with one row per column, and the cancel and hide buttons.
// It only lays out what it is told; the offline download manager owns it, loads it from the
// interface file "OfflineDownloadView" (registerNib()) with itself as the file owner — the file
// makes the owner the table's data source and delegate and the target of both buttons before
// awakeFromNib, which reads the row count — and animates it in and out.
//
// Kept from the phone: the look is applied once, when the panel wakes; the full bar is 266
// points and the fill's ends (10 points each) keep their shape while its middle stretches; the
// title moves 39 points to the left while the state label reads the shorter "正在下载:" (the
// translation is set, never added); rows are 42 points high, and a row off screen has no cell,
// so a step addressed to it changes nothing. Where we differ on purpose: resetView and the
// title lookups are range-checked (no rows, or an index past them, change nothing there), and a
// fill without an image keeps its whole width stretching rather than dividing by a zero width.
//
// Main thread only. The outlets are subviews of the panel (the tree owns them).
#pragma once

#include <memory>
#include <string>

#include "platform/ui/views/View.h"

namespace zu {

namespace ui {
class Button;
class ImageView;
class Label;
class NibLoading;
class TableView;
}  // namespace ui

class OfflineDownloadView : public ui::View {
 public:
  static constexpr const char* kNibName = "OfflineDownloadView";
  static constexpr float kFullBarWidth = 266;
  static constexpr float kTitleShift = -39;
  static constexpr const char* kDownloadingState = "正在下载:";
  static constexpr const char* kCheckingState = "正在检查新文章:";
  static constexpr const char* kCheckingRow = "正在检查新文章";

  static void registerNib();

  OfflineDownloadView();

  void setFace();
  // Row `row` (0-based) now reads `state` (see the class comment for the done row's steps).
  void updateProgressTable(int32_t row, const std::string& state);
  // The bar shows `fraction` (0 to 1) of the full width.
  void updateProgressBar(float fraction);
  // Column `index` (1-based) is the current one: its number, and its row scrolled to the top.
  void resetView(int32_t index);

  const std::shared_ptr<ui::Label>& titleLabel() const { return titleLabel_; }
  const std::shared_ptr<ui::Label>& numeratorLabel() const { return numeratorLabel_; }
  const std::shared_ptr<ui::Label>& denominatorLabel() const { return denominatorLabel_; }
  const std::shared_ptr<ui::ImageView>& progressImageView() const { return progressImageView_; }
  const std::shared_ptr<ui::ImageView>& progressBackImageView() const { return progressBackImageView_; }
  const std::shared_ptr<ui::TableView>& tableView() const { return tableView_; }
  const std::shared_ptr<ui::Button>& cancelButton() const { return cancelButton_; }
  const std::shared_ptr<ui::Button>& hideButton() const { return hideButton_; }
  const std::shared_ptr<ui::Label>& stateLabel() const { return stateLabel_; }

  void awakeFromNib() override;
  std::string className() const override { return "OfflineDownloadView"; }

 private:
  static void build(ui::NibLoading& file);

  std::shared_ptr<ui::Label> titleLabel_;
  std::shared_ptr<ui::Label> numeratorLabel_;
  std::shared_ptr<ui::Label> denominatorLabel_;
  std::shared_ptr<ui::ImageView> progressImageView_;
  std::shared_ptr<ui::ImageView> progressBackImageView_;
  std::shared_ptr<ui::TableView> tableView_;
  std::shared_ptr<ui::Button> cancelButton_;
  std::shared_ptr<ui::Button> hideButton_;
  std::shared_ptr<ui::Label> stateLabel_;
};

}  // namespace zu
