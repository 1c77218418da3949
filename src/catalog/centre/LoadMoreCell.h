// LoadMoreCell: the one-line row of the content centre's lists — the catalogue's load-more row
// ("载入更多..." with a spinner) and the search list's tip row (the typing tip, an empty row or
// "载入更多订阅源"). The screen sets the text and runs or stops the spinner.
//
// Made by the interface file "LoadMoreCell" (registerNib()), reused under "LOADMORE_CELL";
// loadMoreCellWithTableView() dequeues one from the table (which may be null) or loads one.
// Main thread only.
#pragma once

#include <memory>

#include "platform/ui/views/TableViewCell.h"

namespace zu {

namespace ui {
class ActivityIndicatorView;
class Label;
class NibLoading;
class TableView;
}  // namespace ui

class LoadMoreCell : public ui::TableViewCell {
 public:
  static constexpr const char* kNibName = "LoadMoreCell";
  static constexpr const char* kReuseIdentifier = "LOADMORE_CELL";
  static constexpr const char* kLoadMoreText = "载入更多...";

  static void registerNib();
  // Null only when the file is not registered.
  static std::shared_ptr<LoadMoreCell> loadMoreCellWithTableView(ui::TableView* table);

  LoadMoreCell();

  const std::shared_ptr<ui::Label>& loadTextLabel() const { return loadTextLabel_; }
  const std::shared_ptr<ui::ActivityIndicatorView>& loadingIndicator() const { return loadingIndicator_; }

  std::string className() const override { return "LoadMoreCell"; }

 private:
  static void build(ui::NibLoading& file);

  std::shared_ptr<ui::Label> loadTextLabel_;
  std::shared_ptr<ui::ActivityIndicatorView> loadingIndicator_;
};

}  // namespace zu
