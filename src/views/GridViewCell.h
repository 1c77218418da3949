// GridViewCell: every cell a GridView shows is one of these or a subclass; a bare cell is a
// valid cell. The grid numbers it (indexNumber, -1 while the cell is free: dequeued, dirtied or
// moved out) and marks whether its layout completion is outstanding (completed is false right
// after the data source supplied it, true once dequeued). Cells are reused only within one
// reuse identifier. A cell is a view: shared, main thread only; it is never duplicated (views
// cannot be copied), so the grid's dictionaries always hold the one object.
#pragma once

#include <string>

#include "platform/ui/views/View.h"

namespace zu {

class GridViewCell : public ui::View {
 public:
  explicit GridViewCell(const ui::Rect& frame = ui::Rect()) : ui::View(frame) {}

  const std::string& identifiy() const { return identify_; }
  void setIdentifiy(std::string identify) { identify_ = std::move(identify); }
  int indexNumber() const { return indexNumber_; }
  void setIndexNumber(int index) { indexNumber_ = index; }
  bool completed() const { return completed_; }
  void setCompleted(bool completed) { completed_ = completed; }

  std::string className() const override { return "GridViewCell"; }
  std::string dumpDetails() const override;

 private:
  std::string identify_;
  int indexNumber_ = -1;
  bool completed_ = false;
};

}  // namespace zu
