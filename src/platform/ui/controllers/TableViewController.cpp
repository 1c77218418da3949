#include "platform/ui/controllers/TableViewController.h"

#include "platform/ui/drawing/Screen.h"

namespace zu::ui {

TableViewController::TableViewController(TableViewStyle style, std::optional<std::string> nibName)
    : ViewController(std::move(nibName)), style_(style) {}

std::shared_ptr<TableView> TableViewController::tableView() {
  return std::dynamic_pointer_cast<TableView>(view());
}

void TableViewController::loadView() {
  auto self = std::static_pointer_cast<TableViewController>(shared());
  std::shared_ptr<TableView> table;
  if (loadViewFromNib()) table = std::dynamic_pointer_cast<TableView>(view());
  if (!table) {
    // No interface file gave a table: the controller's own, filling the application frame.
    table = std::make_shared<TableView>(Screen::main().applicationFrame(), style_);
    table->setAutoresizingMask(kAutoresizingFlexibleWidth | kAutoresizingFlexibleHeight);
    setView(table);
  }
  if (self) {
    table->setDataSource(std::weak_ptr<TableViewDataSource>(self));
    table->setDelegate(std::weak_ptr<TableViewDelegate>(self));
  }
}

void TableViewController::viewWillAppear(bool animated) {
  auto table = tableView();
  if (!table) return;
  if (!appeared_) {
    appeared_ = true;
    if (table->numberOfSections() == 0) table->reloadData();
  }
  if (clearsSelection_) {
    if (auto selected = table->indexPathForSelectedRow()) table->deselectRow(*selected, animated);
  }
}

}  // namespace zu::ui
