// LoadMoreViewCell: the article list's last row, which loads the next page: a spinner and a
// status line. The list drives it: when the row shows and the cell is not paused it asks for the
// next page; after a failed request it pauses the cell ("点击载入更多", spinner stopped), and a
// tap on the paused row starts it again. A reuse keeps `paused` and only refreshes the colours
// of the current mode (day (136, 136, 136) with a white shadow, night (153, 153, 153) with a
// black shadow at 0.75). Made only from the interface file "LoadMoreViewCell", also its reuse
// identifier. Main thread only.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/views/TableViewCell.h"

namespace zu {

namespace ui {
class ActivityIndicatorView;
class Label;
class NibLoading;
}  // namespace ui

class LoadMoreViewCell : public ui::TableViewCell {
 public:
  static constexpr const char* kNibName = "LoadMoreViewCell";

  static void registerNib();

  LoadMoreViewCell();

  const std::shared_ptr<ui::Label>& statusLabel() const { return status_; }
  const std::shared_ptr<ui::ActivityIndicatorView>& activityView() const { return activity_; }
  bool paused() const { return paused_; }
  void setPaused(bool paused) { paused_ = paused; }
  bool nightMode() const { return nightMode_; }

  void setNightMode(bool night);
  void setStyle2();
  void prepareForReuse() override;

  void awakeFromNib() override;
  std::string className() const override { return kNibName; }

 private:
  static void build(ui::NibLoading& file);

  std::shared_ptr<ui::Label> status_;
  std::shared_ptr<ui::ActivityIndicatorView> activity_;
  bool paused_ = false;
  bool nightMode_ = false;
};

}  // namespace zu
