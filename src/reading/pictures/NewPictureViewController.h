// NewPictureViewController: the picture viewer — an article's pictures full screen, one per page
// of a paged GridView of PictureView cells, with zoom, a counter ("%d/%d"), the article's title,
// an information panel with the picture's EXIF text (folded or open, the choice kept in the user
// default "PictureInfoViewFold", read at every article loaded and written at every change),
// saving to the photo album and sharing. In an album column (made with the article list and the
// opening page as delegate) a drag past the last or before the first picture moves on to the next
// or previous article of the list that has pictures, behind a transition page (tag 217) that
// slides in 0.1 s after the drag, in 0.3 s, loads the article 0.3 s after it is in, and slides out
// again 1.0 s after the article showed.
//
// Pictures come through a prioritised download session (test mask 1) made by a NewPictureEngine;
// each page that settles asks it for that picture now and its two neighbours next. A result
// reloads every page of that address; a failed one shows "pb_nowifi_smallpic.png" until a later
// result for the address brings the picture. A single tap shows or hides the bars 0.2 s later
// unless a double tap (which zooms 1 ↔ 2) follows. It is the only screen that turns to every
// orientation; its layout follows the screen size of the orientation it was asked for.
//
// Made by the article page with one of the two creators and presented in a navigation controller
// of its own; the interface file "NewPictureViewController" builds its views with the controller
// as owner, and, opened by a ScreenRequest of that name, makes the controller from the request's
// parameters ("summaryArray", "detailIndex", "picIndex", "delegate" for an album; "detail",
// "index", "summary" otherwise). Main thread only. The controller owns its session and closes it
// when it closes or goes; the delegate is not retained.
//
// Where we differ on purpose (faults mended):
//  - A picture without an address keeps its place (a null address for the session) and shows the
//    failure picture, so pages, addresses and flags stay aligned.
//  - Without pictures no page is set and the session gets no ranges; the counter stays empty.
//  - A result with a file after a failure clears the failure; a file that does not decode or has
//    no size counts as a failure (no division by zero in the layout).
//  - Saving a picture that is not cached (or does not decode) says "保存失败" at once.
//  - Delayed steps (bars, transition page, article load) are cancelled when the viewer goes, and
//    a save that finishes after it went shows nothing; a bar toggle still pending when the viewer
//    leaves the screen is dropped (it would hide the status bar over the next screen), and closing
//    during an article move stops it (no article loads, no session opens after the close).
//  - A drag past the ends while the last move's transition page is still sliding out starts no
//    move (the page is not made twice, so that move would never end and block every later one).
//  - The article a drag past the ends moves to is loaded only once the finger has let go, and
//    with the pages' spring back from the pull brought to rest first: left running, it carried
//    the new article's pages on to where the old ones were going (a page or two past its first,
//    whenever the load came before the spring ended).
//  - A fold or unfold press while the panel still moves is ignored (two flips would leave the
//    panel folded with the state, the buttons and the kept choice saying open), and a panel laid
//    out again while it folded (another page, a turn) takes the place of the state the fold ends in.
//  - The fold buttons are greyed while they cannot act (a picture without panel text).
// A page's picture is fitted to the whole page, bars or not: the bars and the information panel
// lie over it, and a tap that shows or hides them leaves the picture where it is.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/runtime/RunLoop.h"
#include "platform/ui/drawing/Geometry.h"
#include "platform/ui/input/GestureRecognizer.h"
#include "platform/ui/controllers/ViewController.h"
#include "reading/images/DownloadWithPrioritySessionDelegate.h"
#include "views/GridViewDataSourceProtocol.h"
#include "views/GridViewProtocol.h"

namespace zu {

namespace ui {
class Button;
class Label;
class NavigationController;
class NibLoading;
class ScrollView;
class View;
}  // namespace ui

class DownloadWithPrioritySession;
class NewPictureEngine;
class NewPictureViewControllerDelegate;
class NewsDetail;
class NewsSummary;
class PictureView;
class VeskCategory;

class NewPictureViewController : public ui::ViewController,
                                 public GridViewDataSourceProtocol,
                                 public GridViewProtocol,
                                 public DownloadWithPrioritySessionDelegate,
                                 public ui::GestureRecognizerDelegate {
 public:
  static constexpr const char* kNibName = "NewPictureViewController";
  static constexpr const char* kTransitionNibName = "PictureTransitionView";
  static constexpr const char* kFoldKey = "PictureInfoViewFold";
  static constexpr const char* kFailurePicture = "pb_nowifi_smallpic.png";
  static constexpr const char* kSavedText = "保存成功";
  static constexpr const char* kSaveFailedText = "保存失败";
  static constexpr int kSaveToastKind = 12;
  static constexpr int kTransitionTag = 217;
  static constexpr uint8_t kSessionTestMask = 1;
  static constexpr double kBarToggleDelay = 0.2;
  static constexpr double kBarAnimation = 0.1;
  static constexpr double kFoldAnimation = 0.3;
  static constexpr double kTransitionDelay = 0.1;
  static constexpr double kTransitionSlide = 0.3;
  static constexpr double kLoadNextAfterSlide = 0.3;
  static constexpr double kTransitionRemoveDelay = 1.0;
  static constexpr float kBottomBarHeight = 35;
  static constexpr float kTopBarHeight = 44;
  static constexpr float kPanelTextLimit = 100;
  static constexpr float kTitleWidthLimit = 200;
  static constexpr float kTitlePadding = 60;

  using Items = std::vector<std::shared_ptr<NewsSummary>>;
  using SharedItems = std::shared_ptr<Items>;
  using Text = std::optional<std::string>;

  static void registerNibs();

  // Album mode: the list (shared with the browser, which may append to it), the article's index
  // in it, the picture to show and the page that opened the viewer.
  static std::shared_ptr<NewPictureViewController> initWithSummaryArray(
      SharedItems summaries, int detailIndex, int picIndex, std::weak_ptr<NewPictureViewControllerDelegate> delegate);
  // Single-article mode.
  static std::shared_ptr<NewPictureViewController> initWithDetail(std::shared_ptr<NewsDetail> detail, int index);
  // The navigation controller the viewer is presented in: laid out under the status bar too, as
  // the viewer covers the whole screen.
  static std::shared_ptr<ui::NavigationController> inNavigationController(
      const std::shared_ptr<NewPictureViewController>& viewer);

  NewPictureViewController();
  ~NewPictureViewController() override;
  // What initWithSummaryArray does to a new controller (the interface file's road).
  void startAlbum(SharedItems summaries, int detailIndex, int picIndex,
                  std::weak_ptr<NewPictureViewControllerDelegate> delegate);

  // Before the view loads; null restores the default.
  void setEngine(std::shared_ptr<NewPictureEngine> engine);
  void setSummaryData(std::shared_ptr<NewsSummary> summary) { summaryData_ = std::move(summary); }
  const std::shared_ptr<NewsSummary>& summaryData() const { return summaryData_; }

  // Loads an article's pictures (tells the delegate the article's index first).
  void reloadDataWithDetail(const std::shared_ptr<NewsDetail>& detail, int index);
  // Shows the article just loaded: a new session, the grid on pictureIndex, the title.
  void loadPics();
  // The article move's step after the transition page came in.
  void loadNext();
  void removeTransitionPage();

  // The buttons' actions.
  void back();
  void share();
  void saveOnePicture();
  void showDetail();
  // Page `page` became current: the counter and the session's ranges.
  void setBigImageTo(int page);
  // Gestures.
  void handleSingleTap();
  void handleDoubleTap();
  // A swipe on the panel: kSwipeDirectionLeft (next) or kSwipeDirectionRight (previous).
  void handleSwipeOnDesciptionView(unsigned direction);

  // --- state
  const SharedItems& summaryArray() const { return summaryArray_; }
  std::shared_ptr<NewPictureViewControllerDelegate> delegate() const { return delegate_.lock(); }
  int detailIndex() const { return detailIndex_; }
  const std::shared_ptr<NewsDetail>& detailData() const { return detailData_; }
  const std::vector<std::shared_ptr<VeskCategory>>& pictureArray() const { return pictureArray_; }
  const std::vector<Text>& pictureURLS() const { return pictureURLS_; }
  const Text& photosTitle() const { return photosTitle_; }
  int pictureIndex() const { return pictureIndex_; }
  unsigned imageCount() const { return imageCount_; }
  const std::vector<bool>& downloadFailed() const { return downloadFailed_; }
  const std::shared_ptr<DownloadWithPrioritySession>& bigPictureSession() const { return bigPictureSession_; }
  bool isBarHidden() const { return isBarHidden_; }
  bool hasPicutrueInfo() const { return hasPicutrueInfo_; }
  bool isDetailFold() const { return isDetailFold_; }
  bool isLoadPics() const { return isLoadPics_; }
  bool isLoadRight() const { return isLoadRight_; }
  ui::Size screenSize() const { return screenSize_; }
  // The current page's cell, or null.
  std::shared_ptr<PictureView> currentCell();
  // The cell of a page, live or parked by the grid, or null.
  std::shared_ptr<PictureView> cellAt(int index);

  // --- views (the interface file's outlets)
  const std::shared_ptr<ui::View>& topBarView() const { return topBarView_; }
  const std::shared_ptr<ui::View>& bottomBarView() const { return bottomBarView_; }
  const std::shared_ptr<ui::Label>& numberLabel() const { return numberLabel_; }
  const std::shared_ptr<ui::Label>& titleLabel() const { return titleLabel_; }
  const std::shared_ptr<GridView>& bigImageGridView() const { return bigImageGridView_; }
  const std::shared_ptr<ui::View>& midBarView() const { return midBarView_; }
  const std::shared_ptr<ui::ScrollView>& descriptScrollView() const { return descriptScrollView_; }
  const std::shared_ptr<ui::Label>& descriptLable() const { return descriptLable_; }
  const std::shared_ptr<ui::Button>& foldButton() const { return foldButton_; }
  const std::shared_ptr<ui::Button>& unfoldButton() const { return unfoldButton_; }
  const std::shared_ptr<ui::Button>& backButton() const { return backButton_; }
  const std::shared_ptr<ui::Button>& saveButton() const { return saveButton_; }
  const std::shared_ptr<ui::Button>& shareButton() const { return shareButton_; }

  // --- view life
  void viewDidLoad() override;
  void viewDidUnload() override;
  void viewWillAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;
  bool shouldAutorotateToInterfaceOrientation(SystemEnvironment::Orientation orientation) override;
  void willRotateToInterfaceOrientation(SystemEnvironment::Orientation to, double duration) override;
  void didRotateFromInterfaceOrientation(SystemEnvironment::Orientation from) override;

  // --- GridViewDataSourceProtocol
  int numberOfCellsInGridView(GridView& grid) override;
  std::shared_ptr<GridViewCell> gridViewCellAtIndex(GridView& grid, int index) override;
  // --- GridViewProtocol
  int rowCountInGridView(GridView&) override { return 1; }
  int colCountInGridView(GridView&) override { return 1; }
  void gridViewPageScrolledFromTo(GridView& grid, int from, int to) override;
  void gridViewPageScrollEndedFromTo(GridView& grid, int from, int to) override;
  void movePageOverEndOnGridView(GridView& grid) override;
  void movePageOverBeginOnGridView(GridView& grid) override;
  // --- ui::GestureRecognizerDelegate: the single and the double tap both see a double tap (the
  // single one's toggle waits 0.2 s for the double one to cancel it).
  bool shouldRecognizeSimultaneously(ui::GestureRecognizer& a, ui::GestureRecognizer& b) override;
  // --- DownloadWithPrioritySessionDelegate
  void onDownloadResult(const std::shared_ptr<DownloadWithPrioritySession>& session, const std::string& url,
                        const std::optional<std::string>& localPath) override;

 private:
  static void buildScreen(ui::NibLoading& file);
  static void buildTransitionPage(ui::NibLoading& file);
  std::shared_ptr<NewPictureViewController> self();
  // Runs `step` after `seconds` unless the viewer has gone; cancelled when it goes.
  void later(double seconds, std::function<void(NewPictureViewController&)> step);
  void downloadBigImages();
  void closeSession();
  // Cancels the delayed steps and a pending bar toggle.
  void cancelPending();
  // A page settled (from the grid, or after showing a page the grid did not report).
  void pageSettled(int to);
  // Shows pictureIndex (after a reload when `reload`), settling it when the grid did not.
  void showPictureIndex(bool reload);
  void fillCell(PictureView& cell, int index);
  std::shared_ptr<NewsDetail> detailAt(int index) const;
  bool hasPictures(int index) const;
  // The panel and the bars.
  void addTapRecognizers();
  void addSwipeRecognizers();
  void initTitleLabel();
  void setDescriptionWithInfo(int page);
  void setDescriptionView();
  ui::Rect foldedPanelFrame() const;
  // The panel's text of page `page` (empty without one), and the height of the open panel
  // showing `text` at the current screen width.
  std::string panelTextAt(int page) const;
  float openPanelHeight(const std::string& text) const;
  void setBarHidden();
  void setFoldButtons();
  // The article move.
  bool canStartMove();
  void createTransitionPageWithIndex(int index);
  void adjustRotate();

  std::shared_ptr<NewPictureEngine> engine_;
  SharedItems summaryArray_;
  int detailIndex_ = 0;
  std::shared_ptr<NewsDetail> detailData_;
  std::shared_ptr<NewsSummary> summaryData_;
  std::vector<std::shared_ptr<VeskCategory>> pictureArray_;
  std::vector<Text> pictureURLS_;
  Text photosTitle_;
  int pictureIndex_ = 0;
  unsigned imageCount_ = 0;
  std::vector<bool> downloadFailed_;
  std::shared_ptr<DownloadWithPrioritySession> bigPictureSession_;
  std::weak_ptr<NewPictureViewControllerDelegate> delegate_;

  bool isBarHidden_ = false;
  bool hasPicutrueInfo_ = false;
  bool isDetailFold_ = false;
  bool isLoadPics_ = false;
  bool isLoadRight_ = false;
  bool isWillRotateToPortrait_ = false;
  // The panel is folding or unfolding (its state flips when that ends).
  bool folding_ = false;
  ui::Size screenSize_{320, 480};
  // Counts the grid's settle reports, so a page shown without one is settled here; reports before
  // the viewer first shows its page (the grid's first layout on page 0) are not the reader's.
  int settleReports_ = 0;
  bool pageShown_ = false;
  // The page settled last (-1 before the first and after an article change), zoomed back when
  // another settles.
  int settledPage_ = -1;
  RunLoop::Token barToken_ = 0;
  std::weak_ptr<ui::GestureRecognizer> singleTap_;
  std::weak_ptr<ui::GestureRecognizer> doubleTap_;
  std::vector<RunLoop::Token> pending_;

  std::shared_ptr<ui::View> topBarView_;
  std::shared_ptr<ui::View> bottomBarView_;
  std::shared_ptr<ui::Label> numberLabel_;
  std::shared_ptr<ui::Label> titleLabel_;
  std::shared_ptr<GridView> bigImageGridView_;
  std::shared_ptr<ui::View> midBarView_;
  std::shared_ptr<ui::ScrollView> descriptScrollView_;
  std::shared_ptr<ui::Label> descriptLable_;
  std::shared_ptr<ui::Button> foldButton_;
  std::shared_ptr<ui::Button> unfoldButton_;
  std::shared_ptr<ui::Button> backButton_;
  std::shared_ptr<ui::Button> saveButton_;
  std::shared_ptr<ui::Button> shareButton_;
};

}  // namespace zu
