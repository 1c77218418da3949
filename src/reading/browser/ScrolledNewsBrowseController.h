// ScrolledNewsBrowseController: the screen on which the reader pages sideways through the full
// articles of one column, one article per page. The article list pushes it with its own summary
// array (shared: the list appends further pages to it while the browser is open), the tapped
// index and the column. The pages are NewsBrowseController cells of a 1 × 1 GridView (plain
// paged scrolling, model 4) at (0, 0, 320, 420) over the article toolbar at (0, 420, 320, 40);
// the screen's own bar stays hidden in the reading layout. Only the current page loads at once:
// the grid keeps 0.9 pages while the screen is pushed and 2.0 once it has appeared, and the
// cached neighbours load when a page posts "CacheCellCanLoad".
//
// Near the end of the list (count ≥ 4, a page at count − 3 or later) the delegate is asked once
// for more (`needMorePages`); a pull past the last page after the list grew inserts the new
// cells and arms the rule again. A pull past the first page or a double tap leaves; leaving
// posts "CurrentIndexNotification" with "offset" = page shown − page opened. The first article
// read shows the help picture ("imageKdnrHelp") in a window above the screen until a tap or
// leaving. The favourite tasks the toolbar starts report here: a notice, the summary's detail
// and the toolbar updated, and "AddFavoriteWithIdSuccessNotification" (user info "NewsSummary":
// the summary) or "DelFavoriteWithIdSuccessNotification" ("EntryId": its id) for the list.
//
// Ways back and the reader's gestures (the layouts and the font size, reachable by gestures):
//  - A single tap on the page (not on a link or a form control, not the tap that dismissed the
//    edit menu, not a finger held for a long press) calls fullScreen() and then switches isFullScreen, so from the reading layout
//    the first tap shows the bar with its "  返回" and the toolbar under the pages, the next the
//    full-screen layout with the floating, opaque back button, and so on. Both buttons leave as
//    the toolbar's return would (clickPop). A double tap still leaves at once.
//  - The desktop's Escape closes the help picture as a tap does and, with no help up, presses
//    返回 in every layout, the reading layout's too, where no back button shows (the floating
//    back button is the screen's way back even while transparent); the layout is not changed.
//  - A pinch changes the article font size by one step when it ends (fontSizeChange): apart
//    enlarges, together reduces, within sizes 0 to 3, and every cached page follows at once.
//
// Where we differ on purpose (the sound behaviour where the plain design has a fault):
//  - A failed favourite task shows the error tips (" ") and changes and posts nothing; a result
//    for an id no summary has shows the notice (ending the toolbar's waiting panel) and changes
//    and posts nothing.
//  - The bar's 评论(N) is the count of the article shown, however it was reached, hidden only at
//    0: a status update counts from the page that posted it (a page whose summary already holds
//    its detail posts while the grid is still making it, before the grid holds it), a settled
//    page turn shows the count of the article turned to (its page may still be loading and post
//    nothing yet), and every appearance shows the count as well as titling it.
//  - Cells are inserted only for the indexes the grid does not have yet.
//  - The delegate is held weakly (the list owns the navigation stack that holds the browser).
//  - Every appearance restores the whole reading layout: the toolbar in its place and the
//    floating back button transparent too, whatever layout the reader left it in.
//  - In the full-screen layout each page's scroll begins below the floating back button (a
//    room at its top, as tall as the button reaches), so the button covers none of the
//    headline; the room goes with the layout. The screen's ground is the pages' grey (the
//    skin's content ground once it appears), which shows between the pages and the toolbar in
//    the layout with the bar, where the two leave 2 points between them.
//
// Main thread only. Owns its grid, bar, toolbar and guide window; the summary array is shared
// with the list.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/input/GestureRecognizer.h"
#include "reading/toolbar/ReportToolBarOwner.h"
#include "views/GridViewDataSourceProtocol.h"
#include "views/GridViewProtocol.h"

namespace zu {

class Column;
class GridView;
class NewsBrowseController;
class NewsBrowseEngine;
class NewsDetail;
class NewsSummary;
class ReportToolBarController;
struct Notification;

namespace ui {
class Button;
class PinchGestureRecognizer;
class TapGestureRecognizer;
class NavigationBar;
class NavigationItem;
class Window;
}  // namespace ui

// What the browser asks of the list that opened it.
class ScrolledNewsBrowseDelegate {
 public:
  virtual ~ScrolledNewsBrowseDelegate() = default;
  // Load the next page of summaries and append them to the shared array.
  virtual void needMorePages() = 0;
};

class ScrolledNewsBrowseController : public ui::ViewController,
                                     public GridViewDataSourceProtocol,
                                     public GridViewProtocol,
                                     public ReportToolBarOwner,
                                     public ui::GestureRecognizerDelegate {
 public:
  static constexpr const char* kCurrentIndexNotification = "CurrentIndexNotification";
  static constexpr const char* kAddFavoriteNotification = "AddFavoriteWithIdSuccessNotification";
  static constexpr const char* kDelFavoriteNotification = "DelFavoriteWithIdSuccessNotification";
  // The phone's user info was the summary or the id itself; ours is a dictionary holding it.
  static constexpr const char* kFavoriteSummaryKey = "NewsSummary";
  static constexpr const char* kFavoriteEntryIdKey = "EntryId";
  static constexpr const char* kFullScreenKey = "FullScreen";
  static constexpr float kToolBarTop = 420;

  using Items = std::vector<std::shared_ptr<NewsSummary>>;
  using SharedItems = std::shared_ptr<Items>;

  ScrolledNewsBrowseController();
  ~ScrolledNewsBrowseController() override;

  void setDelegate(std::weak_ptr<ScrolledNewsBrowseDelegate> delegate) { delegate_ = std::move(delegate); }
  void setNewsSummary(SharedItems items) { newsSummary_ = std::move(items); }
  const SharedItems& newsSummary() const { return newsSummary_; }
  void setFirstinIndex(int index) { firstinIndex_ = index; }
  int firstinIndex() const { return firstinIndex_; }
  void setDataColumn(std::shared_ptr<Column> column) { dataColumn_ = std::move(column); }
  void setHasRead(bool hasRead) { hasRead_ = hasRead; }
  bool hasRead() const { return hasRead_; }
  void setEngine(std::shared_ptr<NewsBrowseEngine> engine) { engine_ = std::move(engine); }
  const std::shared_ptr<NewsBrowseEngine>& engine() const { return engine_; }

  const std::shared_ptr<GridView>& newsBrowseGrid() const { return newsBrowseGrid_; }
  const std::shared_ptr<ui::NavigationItem>& navItem() const { return navItem_; }
  const std::shared_ptr<ui::NavigationBar>& navBar() const { return navBar_; }
  const std::shared_ptr<ui::Button>& rightButton() const { return rightButton_; }
  const std::shared_ptr<ui::Window>& guideWindow() const { return guideWindow_; }
  const std::shared_ptr<ReportToolBarController>& reportToolBarController() const { return reportToolBarController_; }
  const std::shared_ptr<ui::View>& toolBarView() const { return toolBarView_; }
  int currentPage() const;
  // The page of `index` when the grid holds it.
  std::shared_ptr<NewsBrowseController> pageAt(int index) const;

  void back();
  void needMorePages();
  // Applies the layout isFullScreen names, animated over 0.4 s: set, the bar moves up 44 points
  // and hides, the toolbar moves down 44 points (off the screen), the pages take (0, 0, 320, 460)
  // and the floating back button shows; clear, the bar is shown in its place, the back button is
  // transparent, the toolbar is back and the pages take (0, 44, 320, 374). Writes the key
  // "FullScreen" (YES for the full-screen layout) and synchronises.
  void fullScreen();
  bool isFullScreen() const { return isFullScreen_; }
  const std::shared_ptr<ui::Button>& floatingBackButton() const { return backButton_; }
  // The pinch's action, when it has ended: one font size up (scale above 1) or down, stored,
  // and "vesk.updateFontLevel(level)" run in every cached page.
  void fontSizeChange(ui::PinchGestureRecognizer& pinch);
  const std::shared_ptr<ui::TapGestureRecognizer>& pageTap() const { return pageTap_; }
  const std::shared_ptr<ui::PinchGestureRecognizer>& pagePinch() const { return pagePinch_; }
  void guideClose();
  // The selection menu's "转发": the selected text shared through the toolbar.
  void shareWithContent(const std::string& text);

  // ReportToolBarOwner
  std::shared_ptr<ui::ViewController> presenter() override { return shared(); }
  void clickPop() override;
  std::shared_ptr<NewsSummary> currentNewsSummary() override { return summaryAt(currentPage()); }
  std::shared_ptr<NewsDetail> currentDetailData() override { return currentDetail(); }
  int currentIndex() override { return currentPage(); }
  std::shared_ptr<Column> dataColumn() override { return dataColumn_; }
  void onAddFavoriteTaskResult(const Notification& notification) override;
  void onDelFavoriteTaskResult(const Notification& notification) override;
  bool answersCommentsUpdate() const override { return true; }
  // A comment was posted: the count of the bar's button follows, and the browser stops hearing
  // "CommentsUpdate" until the toolbar posts again.
  void commentsUpdate(const Notification& notification) override;

  // GridViewDataSourceProtocol
  int numberOfCellsInGridView(GridView& grid) override;
  std::shared_ptr<GridViewCell> gridViewCellAtIndex(GridView& grid, int index) override;
  // GridViewProtocol
  int rowCountInGridView(GridView&) override { return 1; }
  int colCountInGridView(GridView&) override { return 1; }
  float plotratioXInGridView(GridView&) override { return 10000.0f; }
  float plotratioYInGridView(GridView&) override { return 10000.0f; }
  void gridViewPageScrolledFromTo(GridView& grid, int from, int to) override;
  void gridViewPageScrollEndedFromTo(GridView& grid, int from, int to) override;
  void movePageOverEndOnGridView(GridView& grid) override;
  void movePageOverBeginOnGridView(GridView& grid) override;
  void gridViewTapGestuseAtIndex(GridView& grid, ui::TapGestureRecognizer& tap, int index) override;

  bool shouldAutorotateToInterfaceOrientation(SystemEnvironment::Orientation orientation) override;

  // ui::GestureRecognizerDelegate (the page tap and the pinch): they work beside the grid's and
  // the pages' own recognisers; the tap that dismissed the edit menu is not a page tap.
  bool shouldReceiveTouch(ui::GestureRecognizer& recognizer, const ui::Touch& touch) override;
  // A finger held long enough for a long press (a selection) is no page tap.
  bool shouldRecognizeSimultaneously(ui::GestureRecognizer& a, ui::GestureRecognizer& b) override;

 protected:
  void viewDidLoad() override;
  void viewDidUnload() override;
  void viewWillAppear(bool animated) override;
  void viewDidAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;

 private:
  std::shared_ptr<ScrolledNewsBrowseController> self();
  void getDetailFin(const Notification& notification);
  void loadCacheCell();
  void switchView();
  void showGuide();
  void onFavoriteTaskResult(const Notification& notification, bool added);
  std::shared_ptr<NewsSummary> newsSummaryWithEntryId(const std::optional<std::string>& entryId) const;
  std::shared_ptr<NewsSummary> summaryAt(int index) const;
  // The current page's detail: the summary's, else the page's own.
  std::shared_ptr<NewsDetail> currentDetail() const;
  void setCommentCount(int count);
  // The tap and the pinch on the pages, made once the grid has its scroll view (the tap waits
  // for the grid's double tap to fail).
  void addPageGestures();
  // A single tap at `point` of the current page: asks the page whether a link or control is
  // there, and switches the layout when not.
  void pageTapped(ui::Point point);
  // The room at the top of every page (the cached ones now, the others as they are made) that
  // the floating back button takes in the full-screen layout; 0 in the other layouts.
  void setPageTopRoom(float room);
  void giveTopRoom(NewsBrowseController& page) const;
  std::shared_ptr<ui::Button> makeBarButton(float width, const char* normal, const char* pressed,
                                            const std::string& title, void (ScrolledNewsBrowseController::*action)());

  std::weak_ptr<ScrolledNewsBrowseDelegate> delegate_;
  std::shared_ptr<NewsBrowseEngine> engine_;
  SharedItems newsSummary_;
  std::shared_ptr<Column> dataColumn_;
  int firstinIndex_ = 0;
  bool hasRead_ = false;
  bool isFullScreen_ = false;
  float pageTopRoom_ = 0;
  bool isFirstAppear_ = true;
  bool keyboardShown_ = false;
  std::shared_ptr<GridView> newsBrowseGrid_;
  std::shared_ptr<ui::NavigationBar> navBar_;
  std::shared_ptr<ui::NavigationItem> navItem_;
  std::shared_ptr<ui::Button> backButton_;
  std::shared_ptr<ui::Button> rightButton_;
  std::shared_ptr<ui::Window> guideWindow_;
  std::shared_ptr<ReportToolBarController> reportToolBarController_;
  std::shared_ptr<ui::View> toolBarView_;
  std::shared_ptr<ui::TapGestureRecognizer> pageTap_;
  std::shared_ptr<ui::PinchGestureRecognizer> pagePinch_;
};

}  // namespace zu
