// SearchDisplayController: shows a search over a screen: it watches a SearchBar on the screen
// of its contents controller and, while a search is active, covers that screen with its own
// results table. The screen stays the search bar's delegate and answers the results table's
// data source and delegate (all not retained); the contents controller is not retained
// either (it usually owns this object). Made with std::make_shared; main thread only.
//
// Kept from the phone:
//  - Editing the bar makes the search active: delegate willBeginSearch, the bar shows its
//    cancel button, the contents controller's navigation bar hides, a table header bar is
//    scrolled to the top of its table (which stops scrolling), a dimming view covers the screen
//    below the bar, then didBeginSearch.
//  - Each change of the bar's text asks the delegate shouldReloadTableForSearchString (yes by
//    default), and the results table reloads when it answers yes. The results table covers the
//    screen below the bar while the text is not empty; with empty text the dimming view shows.
//  - Return in the bar (after the bar's delegate heard searchButtonClicked) puts the keyboard
//    away; the search stays active, its results uncovered.
//  - The bar's cancel button, or a tap on the dimming view, ends the search: willEndSearch, the
//    text is emptied, the bar gives up the keyboard and hides its cancel button, the table and
//    the dimming view go, the navigation bar and scrolling come back, then didEndSearch.
// Where we differ on purpose: the results table and the dimming view come and go at once (the
// bar's cancel button and the navigation bar slide).
#pragma once

#include <memory>
#include <string>

#include "platform/runtime/Object.h"
#include "platform/ui/views/TableView.h"

namespace zu::ui {

class SearchBar;
class SearchDisplayController;
class View;
class ViewController;

class SearchDisplayDelegate {
 public:
  virtual ~SearchDisplayDelegate() = default;
  virtual void searchDisplayControllerWillBeginSearch(SearchDisplayController&) {}
  virtual void searchDisplayControllerDidBeginSearch(SearchDisplayController&) {}
  virtual void searchDisplayControllerWillEndSearch(SearchDisplayController&) {}
  virtual void searchDisplayControllerDidEndSearch(SearchDisplayController&) {}
  virtual bool shouldReloadTableForSearchString(SearchDisplayController&, const std::string& /*text*/) {
    return true;
  }
};

class SearchDisplayController : public Object {
 public:
  static constexpr float kDimmingAlpha = 0.8f;

  SearchDisplayController(std::shared_ptr<SearchBar> searchBar, ViewController* contentsController);
  ~SearchDisplayController() override;
  SearchDisplayController(const SearchDisplayController&) = delete;
  SearchDisplayController& operator=(const SearchDisplayController&) = delete;

  const std::shared_ptr<SearchBar>& searchBar() const { return bar_; }
  ViewController* searchContentsController() const { return contents_; }
  const std::shared_ptr<TableView>& searchResultsTableView() const { return table_; }
  // The view that dims the screen while the search text is empty, in the screen while active.
  const std::shared_ptr<View>& dimmingView() const { return dimming_; }

  void setDelegate(std::weak_ptr<SearchDisplayDelegate> delegate) { delegate_ = std::move(delegate); }
  void setSearchResultsDataSource(std::weak_ptr<TableViewDataSource> dataSource);
  void setSearchResultsDelegate(std::weak_ptr<TableViewDelegate> delegate);

  bool isActive() const { return active_; }
  void setActive(bool active, bool animated = false);

 private:
  void textDidChange();
  // Shows the results table or the dimming view by the bar's text.
  void showResultsByText();
  Rect coverFrame() const;

  std::shared_ptr<SearchBar> bar_;
  ViewController* contents_;  // not retained
  std::weak_ptr<SearchDisplayDelegate> delegate_;
  std::shared_ptr<TableView> table_;
  std::shared_ptr<View> dimming_;
  bool active_ = false;
  bool changing_ = false;  // setActive is running
  bool restoreScrolling_ = false;
};

}  // namespace zu::ui
