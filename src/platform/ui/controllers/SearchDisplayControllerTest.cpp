#include "platform/ui/controllers/SearchDisplayController.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/motion/AnimationLog.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controls/SearchBar.h"
#include "platform/ui/controllers/TableViewController.h"
#include "platform/ui/views/Window.h"
#include "testing/MainLoopTurn.h"
#include "testing/ScopedFakeClock.h"

namespace zu::ui {
namespace {

using Log = std::vector<std::string>;

// A catalogue screen whose table carries the search bar as its header, answering the search
// display's questions and its results table (one row per character typed).
class Catalogue : public TableViewController, public SearchDisplayDelegate, public SearchBarDelegate {
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
  void searchBarSearchButtonClicked(SearchBar&) override { log_->push_back("search"); }
  void searchBarTextDidEndEditing(SearchBar&) override { log_->push_back("didEndEditing"); }
  void searchBarCancelButtonClicked(SearchBar&) override { log_->push_back("cancel"); }
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
    Animations::resetForTesting();
    AnimationLog::shared().clear();
    Application::shared().resetForTesting();
  }
  // The catalogue on screen in a navigation controller, answering its search display.
  void show() {
    window = std::make_shared<Window>(Rect(0, 0, 320, 480));
    window->makeKeyAndVisible();
    catalogue = std::make_shared<Catalogue>(&log);
    nav = std::make_shared<NavigationController>(catalogue);
    ViewController::installAsRoot(*window, nav);
    catalogue->search->setDelegate(catalogue);
    catalogue->search->setSearchResultsDataSource(catalogue);
  }

  ScopedFakeClock clock_;
  Log log;
  std::shared_ptr<Window> window;
  std::shared_ptr<Catalogue> catalogue;
  std::shared_ptr<NavigationController> nav;
};

TEST_F(SearchDisplayControllerTest, EditingTheBarRunsASearchOverTheScreen) {
  show();
  auto& search = *catalogue->search;
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

// The bar's 取消 is drawn at its right, slides in, and a finger on it ends the search; Return
// starts the search and puts the keyboard away, leaving the results on screen.
TEST_F(SearchDisplayControllerTest, TheCancelButtonShowsAndEndsTheSearchAndReturnPutsTheKeyboardAway) {
  show();
  auto& search = *catalogue->search;
  const auto& bar = catalogue->bar;
  bar->setDelegate(catalogue);

  ASSERT_TRUE(bar->becomeFirstResponder());
  const auto& cancel = bar->cancelButton();
  ASSERT_TRUE(cancel);
  EXPECT_FALSE(cancel->isHidden());
  const Rect shown = cancel->frame();
  EXPECT_FLOAT_EQ(314, shown.maxX());
  EXPECT_FLOAT_EQ(6, bar->textField()->frame().minX());
  EXPECT_FLOAT_EQ(shown.minX() - 6, bar->textField()->frame().maxX());
  // It slid in from beyond the bar's right edge.
  const PropertyChange* slide = nullptr;
  for (const auto& record : AnimationLog::shared().records()) {
    if (!slide) slide = record->change(cancel.get(), "frame");
  }
  ASSERT_NE(nullptr, slide);
  EXPECT_GE(std::get<Rect>(slide->from).minX(), 320);
  EXPECT_EQ(shown, std::get<Rect>(slide->to));

  // Drawn: the button's part of the bar is not the bare background it covers.
  clock_->advance(1);
  cancel->setHidden(true);
  auto before = render(*bar);
  cancel->setHidden(false);
  auto after = render(*bar);
  int changed = 0;
  for (int y = 0; y < 44; ++y) {
    for (int x = static_cast<int>(shown.minX()); x < static_cast<int>(shown.maxX()); ++x) {
      if (before->pixelAt(x, y) != after->pixelAt(x, y)) ++changed;
    }
  }
  EXPECT_GT(changed, 200);
  EXPECT_TRUE(writeSnapshot(*after, "search-bar-cancel"));

  // Return: the delegate searches, the keyboard goes, the search and its results stay.
  log.clear();
  Keyboard::shared().type("zu");
  ASSERT_TRUE(Keyboard::shared().pressReturn());
  EXPECT_EQ((Log{"reload? z", "reload? zu", "search", "didEndEditing"}), log);
  EXPECT_FALSE(Keyboard::shared().isVisible());
  EXPECT_TRUE(search.isActive());
  EXPECT_TRUE(search.searchResultsTableView()->superview());

  // A finger on 取消 ends the search.
  log.clear();
  window->tap(cancel->convertPointTo(Point{shown.size.width / 2, shown.size.height / 2}, nullptr));
  EXPECT_EQ((Log{"cancel", "willEnd", "didEnd"}), log);
  EXPECT_FALSE(search.isActive());
  EXPECT_FALSE(bar->showsCancelButton());
  clock_->advance(1);
  runDueMainLoopTasks();
  EXPECT_TRUE(cancel->isHidden());
  EXPECT_FLOAT_EQ(314, bar->textField()->frame().maxX());
}

}  // namespace
}  // namespace zu::ui
