// NewsBrowseController: one page of the paged article browser — a reusable grid cell showing one
// article of the browser's shared summary list in a NewsWebView. It takes the article's detail
// from the summary when it was fetched before, else fetches it (tag "getDetail0:<index>") and
// prefetches the details of both neighbours (tag "<index>"); it builds the page with
// ArticleHtmlBuilder (from the server's text as received, OriginalArticleHtml) and loads it
// without a base URL. Links in the article are commands (ArticleLink): a picture opens the
// picture viewer (NewPictureViewController) in a navigation controller of its own: over the whole
// article list with this page as its delegate for albums (types 1 and 6), else over this article
// with its summary; a video plays in the movie player, a page and the read-original form open the
// in-app browser ("link", "orignalLink"); every command answers no, and only the page itself
// ("about:blank") loads. Posts "StatusUpdateNotification" (IndexKey; status 2 with the comment
// count) and, when the page has loaded, "CacheCellCanLoad".
//
// One flag is shared by all pages: the detail error alert is showing or was shown and not yet
// cleared (by a detail that loads, by closing the alert, or by the going of the page that
// showed it), so a burst of failing pages shows one alert.
//
// Where we differ on purpose (the sound behaviour where the plain design has a fault):
//  - Only the results of the current detail task (`currentTaskID`) touch the page's flags and
//    the shared flag; a late result of a task the page gave up is dropped.
//  - The shared flag is set only when an alert really showed (not for -6 or the codes the error
//    tips leave to the server's own alert), and the alert is only for the page on screen.
//  - A detail feed without entries is a failure (-5000), shown like any other.
//  - The flag is cleared by the going of the page that showed the alert, not of any page: the
//    grid frees every page that leaves its window, so clearing on each would show a second alert
//    within one burst.
//  - A neighbour's prefetch never replaces a detail its summary already has (the page's own
//    request may answer first), so the page, the toolbar and the mail body read one detail.
//  - An index outside the list loads nothing; a build repeats from the server's text, so a
//    second load has one script object; a failed "提示" alert leaves the spinner stopped.
//  - A command acts only for the page on screen (the browser's current page, nothing presented
//    over it): were a neighbour loaded ahead obeyed, an article could open a page
//    by itself from a timer or a frame before the reader ever saw it. (Frames of the page cannot
//    navigate at all: the web view seals them, so every command is the page's own.) And it acts
//    only right after the reader's tap on that page (the gesture the engine reports with the
//    navigation): the page on screen could otherwise open a screen — the in-app browser on any
//    address, a video — from a timer, unasked. Nor does it act while the page is between
//    articles (made ready for a new index, the new article not loaded yet): the article it
//    showed before is still there, hidden, and the script that blanks it runs as if on the
//    reader's tap, so that article's own code could open a screen over the article the reader
//    jumped to.
//  - The in-app browser, the video player and the original page get web addresses only (http
//    or https, ExternalUrl): were any address opened, an article could show the
//    reader's local files ("file://…") or hand other schemes on. Anything else is refused and
//    logged.
//
// Main thread only. The page holds its tasks' observations (removed when it goes) and its
// running detail task; the browser (gridFather) and the summary list are the browser's.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/controllers/AlertView.h"
#include "platform/web/WebViewDelegate.h"
#include "reading/pictures/NewPictureViewControllerDelegate.h"
#include "views/GridViewCell.h"

namespace zu {

class Feed;
class NewsBrowseEngine;
class NewsDetail;
class NewsSummary;
class NewsWebView;
class ScrolledNewsBrowseController;
class Task;
struct Notification;

namespace ui {
class ActivityIndicatorView;
class ImageView;
}  // namespace ui

class NewsBrowseController : public GridViewCell,
                             public web::WebViewDelegate,
                             public ui::AlertViewDelegate,
                             public NewPictureViewControllerDelegate {
 public:
  static constexpr const char* kIdentifier = "NewsBrowseSector";
  static constexpr const char* kStatusUpdateNotification = "StatusUpdateNotification";
  static constexpr const char* kCacheCellCanLoadNotification = "CacheCellCanLoad";
  static constexpr const char* kDetailTagPrefix = "getDetail0";
  static constexpr int kSpinnerTag = 111;
  static constexpr int kErrorAlertTag = 111111;
  static constexpr int kEmptyFeedCode = -5000;

  using Items = std::vector<std::shared_ptr<NewsSummary>>;
  using SharedItems = std::shared_ptr<Items>;

  explicit NewsBrowseController(const ui::Rect& frame = ui::Rect(0, 0, 320, 420));
  ~NewsBrowseController() override;

  // Once per new cell, after the browser set gridFather.
  void initCell();
  void setGridFather(std::weak_ptr<ScrolledNewsBrowseController> father) { gridFather_ = std::move(father); }
  std::shared_ptr<ScrolledNewsBrowseController> gridFather() const { return gridFather_.lock(); }
  void setEngine(std::shared_ptr<NewsBrowseEngine> engine);

  void setNewsSummary(SharedItems items) { newsSummary_ = std::move(items); }
  const SharedItems& newsSummary() const { return newsSummary_; }
  void setIndex(int index) { index_ = index; }
  int index() const { return index_; }
  bool isFinishLoad() const { return isFinishLoad_; }
  void setIsFinishLoad(bool v) { isFinishLoad_ = v; }
  bool isStartLoading() const { return isStartLoading_; }
  void setIsStartLoading(bool v) { isStartLoading_ = v; }
  const std::shared_ptr<Task>& downTask() const { return downTask_; }
  const std::optional<std::string>& currentTaskID() const { return currentTaskID_; }
  const std::shared_ptr<NewsWebView>& webView() const { return webView_; }
  const std::shared_ptr<NewsDetail>& detailData() const { return detailData_; }
  const std::shared_ptr<ui::ActivityIndicatorView>& spinner() const { return spinner_; }
  int bumpCount() const { return bumpCount_; }
  int shareCount() const { return shareCount_; }
  bool isBumped() const { return isBumped_; }
  bool isFavorited() const { return isFavorited_; }

  // Reuse by the browser: cancels the running detail task, stops and blanks the web view.
  void prepareForReuse();
  void getDetaildate();
  void cellWillAppear();
  // Builds and loads the page of detailData.
  void loadWebPage();
  void postNotificatonWithIndex(int statusName);

  // The picture viewer's callbacks (the page is its delegate in album mode).
  void setDetailIndex(int64_t index) override;
  void setBackPageIndex(int64_t index) override;

  // The shared error flag.
  static bool errorAlertShown();
  static void clearErrorAlertShown();

  // web::WebViewDelegate: the link bridge and the load events.
  bool shouldStartLoad(web::WebView& webView, const std::string& url, int type, bool userGesture) override;
  void didFinishLoad(web::WebView& webView) override;
  void didFailLoad(web::WebView& webView, int code, const std::string& description) override;
  // ui::AlertViewDelegate: closing the detail error alert leaves the browser.
  void alertViewClickedButtonAtIndex(ui::AlertView& alert, int index) override;

  std::string className() const override { return "NewsBrowseController"; }

 private:
  std::shared_ptr<NewsBrowseController> self();
  void observe(const std::shared_ptr<Task>& task, void (NewsBrowseController::*handler)(const Notification&));
  void getResultOnMainThread(const Notification& notification);
  void onGotDetailData(const Notification& notification);
  void asyncGetDetailDataAtIndex(int index);
  void detailFailed(int code, const std::optional<std::string>& errDesc);
  void showDetail(const std::shared_ptr<NewsDetail>& detail);
  std::shared_ptr<NewsSummary> summaryAt(int index) const;
  void startSpinner();
  void stopSpinner();
  // The browser's current page, in its window, with nothing presented over it.
  bool isOnScreen();
  // The link bridge's commands.
  void openPicture(const std::string& argument);
  void openOriginal();
  void playVideo(const std::string& url);
  void openPage(const std::string& url);

  std::weak_ptr<ScrolledNewsBrowseController> gridFather_;
  std::shared_ptr<NewsBrowseEngine> engine_;
  SharedItems newsSummary_;
  int index_ = -1;
  std::shared_ptr<NewsDetail> detailData_;
  std::optional<std::string> currentTaskID_;
  std::shared_ptr<Task> downTask_;
  // The current task's feed had no entry: its finish is a failure.
  bool emptyFeed_ = false;
  bool isStartLoading_ = false;
  bool isFinishLoad_ = false;
  // A page of the web view finished loading since the page was last made ready for an index:
  // until then the web view may still hold the article it showed before.
  bool showsItsArticle_ = false;
  int bumpCount_ = 0;
  int shareCount_ = 0;
  bool isBumped_ = false;
  bool isFavorited_ = false;
  int commentMinPost_ = 0;
  int commentMaxPost_ = 0;
  std::shared_ptr<Feed> commentsFeed_;
  std::shared_ptr<NewsWebView> webView_;
  std::shared_ptr<ui::ImageView> logoImageView_;
  std::shared_ptr<ui::ActivityIndicatorView> spinner_;
};

}  // namespace zu
