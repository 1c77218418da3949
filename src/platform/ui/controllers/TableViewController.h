// TableViewController: a view controller whose view is a TableView (plain or grouped) that it
// serves as data source and delegate. Subclasses answer the table's questions. Made with
// std::make_shared; main thread only.
//
// Kept from the phone: without an interface file that makes a table the view is a table of the
// application frame in the controller's style; the first viewWillAppear loads the table's data when it
// never loaded; every viewWillAppear deselects the selected row (animated as the appearance)
// while clearsSelectionOnViewWillAppear (the default). Subclasses that override viewWillAppear
// call this one.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/views/TableView.h"
#include "platform/ui/controllers/ViewController.h"

namespace zu::ui {

class TableViewController : public ViewController, public TableViewDataSource, public TableViewDelegate {
 public:
  explicit TableViewController(TableViewStyle style = TableViewStyle::Plain,
                               std::optional<std::string> nibName = std::nullopt);

  // The view as a table (null when an interface file set another kind of view).
  std::shared_ptr<TableView> tableView();
  TableViewStyle style() const { return style_; }
  bool clearsSelectionOnViewWillAppear() const { return clearsSelection_; }
  void setClearsSelectionOnViewWillAppear(bool clears) { clearsSelection_ = clears; }

  void loadView() override;
  void viewWillAppear(bool animated) override;

  // No rows until a subclass says otherwise.
  int64_t numberOfRowsInSection(TableView&, int64_t) override { return 0; }
  std::shared_ptr<TableViewCell> cellForRow(TableView&, const IndexPath&) override { return nullptr; }

 private:
  TableViewStyle style_;
  bool clearsSelection_ = true;
  bool appeared_ = false;
};

}  // namespace zu::ui
