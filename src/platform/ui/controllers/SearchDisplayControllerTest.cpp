#include "platform/ui/controllers/SearchDisplayController.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/system/Application.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controls/SearchBar.h"
#include "platform/ui/controllers/TableViewController.h"
#include "platform/ui/views/Window.h"

namespace zu::ui {
namespace {

using Log = std::vector<std::string>;

// A catalogue screen whose table carries the search bar as its header, answering the search
// display's questions and its results table (one row per character typed).
class Catalogue : public TableViewController, public SearchDisplayDelegate {
 public:
  explicit Catalogue(Log* log) : log_(log) {}
  void viewDidLoad() override {
    bar = std::make_shared<SearchBar>();
    tableView()->setTableHeaderView(bar);
    tableView()->setContentSize(Size(320, 2000));
    search = std::make_shared<SearchDisplayController>(bar, this);
  }
  int64_t numberOfRowsInSection(TableView& table, int64_t) override {
    return &table == search->searchResultsTableView().get() ? static_cast<int64_t>(bar->text().size()) : 0;
  }
  std::shared_ptr<TableViewCell> cellForRow(TableView&, const IndexPath&) override {
    return std::make_shared<TableViewCell>();
  }
  void searchDisplayControllerWillBeginSearch(SearchDisplayController&) override { log_->push_back("willBegin"); }
  void searchDisplayControllerDidBeginSearch(SearchDisplayController&) override { log_->push_back("didBegin"); }
  void searchDisplayControllerWillEndSearch(SearchDisplayController&) override { log_->push_back("willEnd"); }
  void searchDisplayControllerDidEndSearch(SearchDisplayController&) override { log_->push_back("didEnd"); }
  bool shouldReloadTableForSearchString(SearchDisplayController&, const std::string& text) override {
    log_->push_back("reload? " + text);
    return text != "abc";
  }

  std::shared_ptr<SearchBar> bar;
  std::shared_ptr<SearchDisplayController> search;

 private:
  Log* log_;
};

class SearchDisplayControllerTest : public ::testing::Test {
 protected:
  void TearDown() override {
    Keyboard::shared().resetForTesting();
    Application::shared().resetForTesting();
  }
};

TEST_F(SearchDisplayControllerTest, EditingTheBarRunsASearchOverTheScreen) {
  Log log;
  auto window = std::make_shared<Window>(Rect(0, 0, 320, 480));
  window->makeKeyAndVisible();
  auto catalogue = std::make_shared<Catalogue>(&log);
  auto nav = std::make_shared<NavigationController>(catalogue);
  ViewController::installAsRoot(*window, nav);
  auto& search = *catalogue->search;
  search.setDelegate(std::static_pointer_cast<Catalogue>(catalogue));
  search.setSearchResultsDataSource(std::static_pointer_cast<Catalogue>(catalogue));
  auto table = catalogue->tableView();
  table->setContentOffset(Point{0, 44});  // the bar tucked away

  ASSERT_TRUE(catalogue->bar->becomeFirstResponder());
  EXPECT_TRUE(search.isActive());
  EXPECT_EQ((Log{"willBegin", "didBegin"}), log);
  EXPECT_TRUE(catalogue->bar->showsCancelButton());
  EXPECT_TRUE(nav->isNavigationBarHidden());
  EXPECT_EQ((Point{0, 0}), table->contentOffset());  // the bar brought to the top
  EXPECT_FALSE(table->isScrollEnabled());
  // Without text the screen below the bar is dimmed.
  EXPECT_EQ(table.get(), search.dimmingView()->superview().get());
  EXPECT_EQ(Rect(0, 44, 320, 416), search.dimmingView()->frame());
  EXPECT_FALSE(search.searchResultsTableView()->superview());

  log.clear();
  Keyboard::shared().type("abc");
  EXPECT_EQ((Log{"reload? a", "reload? ab", "reload? abc"}), log);
  EXPECT_EQ(table.get(), search.searchResultsTableView()->superview().get());
  EXPECT_FALSE(search.dimmingView()->superview());
  EXPECT_EQ(2, search.searchResultsTableView()->numberOfRowsInSection(0));  // "abc" was not reloaded
  Keyboard::shared().pressDelete();
  Keyboard::shared().pressDelete();
  Keyboard::shared().pressDelete();
  EXPECT_FALSE(search.searchResultsTableView()->superview());  // empty text: dimmed again
  EXPECT_TRUE(search.dimmingView()->superview());

  log.clear();
  Keyboard::shared().type("x");
  ASSERT_TRUE(catalogue->bar->cancelButtonTapped());
  EXPECT_EQ((Log{"reload? x", "willEnd", "didEnd"}), log);
  EXPECT_FALSE(search.isActive());
  EXPECT_EQ("", catalogue->bar->text());
  EXPECT_FALSE(catalogue->bar->textField()->isFirstResponder());
  EXPECT_FALSE(catalogue->bar->showsCancelButton());
  EXPECT_FALSE(search.searchResultsTableView()->superview());
  EXPECT_FALSE(nav->isNavigationBarHidden());
  EXPECT_TRUE(table->isScrollEnabled());

  // A tap on the dimmed screen ends a search too.
  log.clear();
  ASSERT_TRUE(catalogue->bar->becomeFirstResponder());
  window->tap(Point{160, 300});
  EXPECT_EQ((Log{"willBegin", "didBegin", "willEnd", "didEnd"}), log);
  EXPECT_FALSE(search.dimmingView()->superview());
}

}  // namespace
}  // namespace zu::ui
