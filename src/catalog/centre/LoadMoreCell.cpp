#include "catalog/centre/LoadMoreCell.h"

#include <string>

#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/views/TableView.h"

namespace zu {

// A 320 × 60 row: the text centred across the row, the spinner at its left.
void LoadMoreCell::build(ui::NibLoading& file) {
  auto cell = file.makeTopLevel<LoadMoreCell>();
  cell->setFrame(ui::Rect(0, 0, 320, 60));
  auto label = file.make<ui::Label>(ui::Rect(20, 20, 280, 20));
  label->setBackgroundColor(ui::Color::clearColor());
  label->setFont(ui::Font::systemFont(15));
  label->setTextColor(ui::Color::darkGrayColor());
  label->setTextAlignment(ui::TextAlignment::Center);
  label->setAutoresizingMask(ui::kAutoresizingFlexibleLeftMargin | ui::kAutoresizingFlexibleRightMargin);
  label->setText(kLoadMoreText);
  auto spinner = file.make<ui::ActivityIndicatorView>(ui::ActivityIndicatorStyle::Gray);
  spinner->setFrame(ui::Rect(70, 20, 20, 20));
  spinner->setHidesWhenStopped(true);
  cell->contentView()->addSubview(label);
  cell->contentView()->addSubview(spinner);
  file.connect([cell, label, spinner] {
    cell->loadTextLabel_ = label;
    cell->loadingIndicator_ = spinner;
  });
}

void LoadMoreCell::registerNib() { ui::NibRegistry::shared().add(kNibName, build); }

LoadMoreCell::LoadMoreCell() : TableViewCell(ui::TableViewCellStyle::Default, std::string(kReuseIdentifier)) {}

std::shared_ptr<LoadMoreCell> LoadMoreCell::loadMoreCellWithTableView(ui::TableView* table) {
  if (table) {
    if (auto cell = std::dynamic_pointer_cast<LoadMoreCell>(table->dequeueReusableCell(kReuseIdentifier))) {
      return cell;
    }
  }
  auto objects = ui::NibRegistry::shared().load(kNibName, nullptr);
  return objects.empty() ? nullptr : std::dynamic_pointer_cast<LoadMoreCell>(objects.front());
}

}  // namespace zu
