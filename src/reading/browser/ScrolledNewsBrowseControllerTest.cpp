// The paged article browser and its pages with a scripted engine and the web view's recording
// stand-in: asking the list for more near the end, inserting what it appended, the offset
// reported on leaving, the first-read guide, loading the current page first and its neighbours
// after, page reuse, the link bridge, the shared detail error alert, favourite results and the
// selection menu.
#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "common/Log.h"
#include "common/ServiceHosts.h"
#include "engine/core/DESettings.h"
#include "engine/core/Task.h"
#include "engine/core/TaskEngine.h"
#include "model/columns/Column.h"
#include "model/entry/Content.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/entry/NewsDetail.h"
#include "model/entry/NewsSummary.h"
#include "model/service/VeskAssess.h"
#include "model/service/VeskCategory.h"
#include "platform/web/NamedResources.h"
#include "model/service/VeskEntryStatus.h"
#include "model/service/VeskFavorite.h"
#include "platform/device/Pasteboard.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/motion/AnimationLog.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/text/MenuController.h"
#include "platform/ui/system/EscapeKey.h"
#include "platform/ui/system/MoviePlayerViewController.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/views/ScrollView.h"
#include "platform/ui/views/Window.h"
#include "platform/web/RecordingWebBackend.h"
#include "reading/browser/ArticleHtmlBuilder.h"
#include "reading/comments/CommentsController.h"
#include "reading/pictures/NewPictureViewController.h"
#include "reading/browser/NewsBrowseController.h"
#include "reading/browser/NewsBrowseEngine.h"
#include "reading/browser/NewsWebView.h"
#include "reading/ReadingNibs.h"
#include "reading/browser/ScrolledNewsBrowseController.h"
#include "reading/browser/WebViewController_New.h"
#include "reading/toolbar/ReportToolBarController.h"
#include "shell/app/NightLookForTesting.h"
#include "shell/app/Observer.h"
#include "shell/app/ScreenRequest.h"
#include "shell/app/ShellTestSupport.h"
#include "shell/widgets/CustomLoadingView.h"
#include "shell/widgets/SPWaitingSavePhoto.h"
#include "views/GridView.h"

namespace zu {
namespace {

class DetailTask : public Task {
 public:
  std::string className() const override { return "DetailTask"; }
  std::shared_ptr<Link> link;
};

class ScriptedBrowseEngine : public NewsBrowseEngine {
 public:
  std::shared_ptr<Task> createGetNewsDetailTask(const std::shared_ptr<Link>& link) override {
    auto task = std::make_shared<DetailTask>();
    task->link = link;
    tasks.push_back(task);
    return task;
  }
  void asyncRunTask(const std::shared_ptr<Task>& task) override { run.push_back(task); }
  void asyncCancelTask(const std::shared_ptr<Task>& task) override { cancelled.push_back(task); }
  void markNewsRead(const Text& id) override { read.push_back(id.value_or("")); }
  Text getSearchEngineUrlWithKeywords(const std::string& words) override {
    if (!searchTemplate) return std::nullopt;
    return *searchTemplate + words;
  }
  // The last task tagged `tag`.
  std::shared_ptr<DetailTask> tagged(const std::string& tag) const {
    for (auto it = tasks.rbegin(); it != tasks.rend(); ++it) {
      if ((*it)->userIdentity() == std::optional<std::string>(tag)) return *it;
    }
    return nullptr;
  }
  std::vector<std::shared_ptr<DetailTask>> tasks;
  std::vector<std::shared_ptr<Task>> run, cancelled;
  std::vector<std::string> read;
  std::optional<std::string> searchTemplate;
};

class CountingList : public ScrolledNewsBrowseDelegate {
 public:
  void needMorePages() override { ++asked; }
  int asked = 0;
};

std::shared_ptr<NewsSummary> summary(int i, int type = 0) {
  auto item = std::make_shared<NewsSummary>();
  item->setEntryId("a" + std::to_string(i));
  item->setTitle("article " + std::to_string(i));
  auto link = std::make_shared<Link>();
  link->setHref("http://sample/article/a" + std::to_string(i) + ".atom");
  item->setAlternatelink(link);
  auto status = std::make_shared<VeskEntryStatus>();
  status->setType(type);
  item->setVeskEntryStatus(status);
  return item;
}

std::shared_ptr<NewsDetail> detail(const std::string& id, int comments = 0, int contentType = 2) {
  auto item = std::make_shared<NewsDetail>();
  item->setEntryId(id);
  auto content = std::make_shared<Content>();
  content->setType(contentType);
  content->setData("<html><head></head><body><p>" + id + "</p></body></html>");
  item->setContent(content);
  auto assess = std::make_shared<VeskAssess>();
  assess->setTimes(comments);
  item->setVeskAssess(assess);
  auto original = std::make_shared<Link>();
  original->setHref("http://sample/article/" + id + ".html");
  item->setAlternatelink(original);
  for (int seq : {7, 3}) {
    auto picture = std::make_shared<VeskCategory>();
    picture->setSeq(seq);
    item->appendVeskCategorys(picture);
  }
  return item;
}

std::shared_ptr<Feed> feedOf(const std::shared_ptr<NewsDetail>& item) {
  auto feed = std::make_shared<Feed>();
  feed->setEntrys(std::vector<std::shared_ptr<Entry>>());
  if (item) feed->appendEntrys(item);
  return feed;
}

class ScrolledNewsBrowseControllerTest : public testing::ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    VESKLogInit();
    TaskEngine::initGlobalInstance();
    ReadingNibs::registerNibs();
    DESettings::setFirstRead(false);
    window_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
    NotificationCenter::defaultCenter().add(ScrolledNewsBrowseController::kCurrentIndexNotification, this,
                                            [this](const Notification& note) {
                                              offsets_.push_back(note.userInfo.get("offset").intValue());
                                            });
  }
  void TearDown() override {
    NotificationCenter::defaultCenter().remove(this);
    navigation_.reset();
    browser_.reset();
    window_.reset();
    ui::MenuController::shared().resetForTesting();
    NewsBrowseController::clearErrorAlertShown();
    SPWaitingSavePhoto::resign();
    TaskEngine::uninitGlobalInstance();
    VESKLogUninit();
    ShellFixture::TearDown();
  }

  // A browser of `count` summaries opened on `first`, pushed over a root screen in the window.
  std::shared_ptr<ScrolledNewsBrowseController> open(int count, int first, int type = 0) {
    for (int i = 0; i < count; ++i) items_->push_back(summary(i, type));
    browser_ = std::make_shared<ScrolledNewsBrowseController>();
    browser_->setEngine(engine_);
    browser_->setDelegate(list_);
    browser_->setNewsSummary(items_);
    browser_->setFirstinIndex(first);
    auto column = std::make_shared<Column>();
    column->setTitle("Harbour");
    browser_->setDataColumn(column);
    navigation_ = std::make_shared<ui::NavigationController>(std::make_shared<ui::ViewController>());
    ui::ViewController::installAsRoot(*window_, navigation_);
    window_->layoutIfNeeded();
    navigation_->pushViewController(browser_, false);
    window_->layoutIfNeeded();
    settle(0.1);
    return browser_;
  }
  GridView& grid() { return *browser_->newsBrowseGrid(); }
  void goTo(int page) {
    grid().setPage(page, false);
    window_->layoutIfNeeded();
    settle(0.1);
  }
  std::shared_ptr<NewsBrowseController> page(int index) { return browser_->pageAt(index); }
  web::RecordingWebBackend& recorder(int index) { return *page(index)->webView()->recorder(); }
  void report(const std::shared_ptr<Task>& task, const std::string& type, Value result) {
    Observer::postResultOnMainThread(Dictionary{{"Task", Value(task)}, {"ResultType", type}, {"Result", result}});
    settle(0);
  }
  void finish(const std::shared_ptr<Task>& task, int code, const char* description = "failed") {
    Observer::postResultOnMainThread(Dictionary{{"Task", Value(task)}, {"ResultType", "TaskStatus"},
                                                {"StateResult", "TaskFinish"}, {"Result", code},
                                                {"ErrDesc", std::string(description)}});
    settle(0);
  }
  // The first page's article arrives; the addresses its page was loaded with as its own (null
  // when it was not loaded).
  std::shared_ptr<const web::NamedResources> namedOfFirstArticle(const std::shared_ptr<NewsDetail>& article) {
    auto task = engine_->tagged("getDetail0:0");
    if (!task) return nullptr;
    report(task, "Feed", Value(feedOf(article)));
    finish(task, 0);
    std::shared_ptr<const web::NamedResources> named;
    for (const auto& call : recorder(0).calls()) {
      if (call.kind == web::RecordingWebBackend::Call::kLoadHtml) named = call.named;
    }
    return named;
  }
  // The current page's detail arrives and its page finishes loading.
  void loadCurrent(int index, int comments = 0) {
    auto task = engine_->tagged("getDetail0:" + std::to_string(index));
    ASSERT_TRUE(task);
    report(task, "Feed", Value(feedOf(detail("a" + std::to_string(index)))));
    // The dynamic part follows the article: its counts.
    auto dynamicPart = std::make_shared<NewsDetail>();
    auto assess = std::make_shared<VeskAssess>();
    assess->setTimes(comments);
    dynamicPart->setVeskAssess(assess);
    report(task, "Entry", Value(dynamicPart));
    finish(task, 0);
    recorder(index).finishLoad();
    settle(0);
    settle(0);
  }
  // The address of the in-app browser the browser presents, "" when none.
  std::string shownBrowserLink() {
    auto shown = std::dynamic_pointer_cast<WebViewController_New>(browser_->modalViewController());
    return shown && shown->link() ? *shown->link() : std::string();
  }
  size_t htmlLoads(int index) {
    size_t n = 0;
    for (const auto& call : recorder(index).calls()) n += call.kind == web::RecordingWebBackend::Call::kLoadHtml;
    return n;
  }

  std::shared_ptr<ScriptedBrowseEngine> engine_ = std::make_shared<ScriptedBrowseEngine>();
  std::shared_ptr<CountingList> list_ = std::make_shared<CountingList>();
  NewsBrowseController::SharedItems items_ = std::make_shared<NewsBrowseController::Items>();
  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<ui::NavigationController> navigation_;
  std::shared_ptr<ScrolledNewsBrowseController> browser_;
  std::vector<int64_t> offsets_;
};

TEST_F(ScrolledNewsBrowseControllerTest, NearTheEndAsksOnceAndAPullPastTheEndInsertsWhatArrived) {
  open(10, 0);
  EXPECT_EQ(ui::Rect(0, 0, 320, 420), grid().frame());
  EXPECT_EQ(ui::Rect(0, 420, 320, 40), browser_->toolBarView()->frame());
  EXPECT_TRUE(browser_->navBar()->isHidden());
  EXPECT_TRUE(browser_->rightButton()->isHidden());
  for (int p = 1; p <= 6; ++p) goTo(p);
  EXPECT_EQ(0, list_->asked);
  goTo(7);
  EXPECT_EQ(1, list_->asked);
  goTo(8);
  goTo(9);
  EXPECT_EQ(1, list_->asked);
  // Nothing appended: a pull past the end changes nothing.
  browser_->movePageOverEndOnGridView(grid());
  EXPECT_EQ(10, grid().numberOfCells());
  EXPECT_TRUE(browser_->hasRead());
  // The list appended ten: ten cells, and the rule is armed again.
  for (int i = 10; i < 20; ++i) items_->push_back(summary(i));
  browser_->movePageOverEndOnGridView(grid());
  EXPECT_EQ(20, grid().numberOfCells());
  EXPECT_FALSE(browser_->hasRead());
  goTo(17);
  EXPECT_EQ(2, list_->asked);
}

TEST_F(ScrolledNewsBrowseControllerTest, FewSummariesNeverAskAndLeavingReportsTheOffset) {
  open(3, 0);
  goTo(1);
  goTo(2);
  EXPECT_EQ(0, list_->asked);
  browser_->back();
  settle(1);
  EXPECT_EQ((std::vector<int64_t>{2}), offsets_);
  items_->clear();
  offsets_.clear();
  open(10, 5);
  goTo(8);
  browser_->clickPop();
  settle(1);
  open(10, 5);
  goTo(3);
  // A pull past the first page leaves too.
  browser_->movePageOverBeginOnGridView(grid());
  settle(1);
  EXPECT_EQ((std::vector<int64_t>{3, -2}), offsets_);
  EXPECT_EQ(1u, navigation_->viewControllers().size());
}

// The help picture covers the screen at its own size (drawn for 320 × 480 points, so it is not
// blown up from a smaller picture), by day and by night.
TEST_F(ScrolledNewsBrowseControllerTest, TheGuideShowsOnTheFirstReadOnlyAndGoesOnATapOrLeaving) {
  for (const char* look : {"night", "day"}) {
    std::optional<testing::NightLook> night;
    if (std::string(look) == "night") night.emplace();
    DESettings::setFirstRead(true);
    open(3, 0);
    ASSERT_TRUE(browser_->guideWindow());
    ASSERT_EQ(1u, browser_->guideWindow()->subviews().size());
    auto picture = std::dynamic_pointer_cast<ui::ImageView>(browser_->guideWindow()->subviews()[0]);
    ASSERT_TRUE(picture && picture->image());
    EXPECT_EQ(ui::Size(320, 480), picture->image()->size());
    EXPECT_EQ(picture->frame().size, picture->image()->size());
    EXPECT_EQ(320, picture->image()->pixelWidth());
    EXPECT_TRUE(ui::ContrastAudit::snapshotScreen(std::string("article-help-") + look));
    if (night) browser_->guideClose();
  }
  auto guide = browser_->guideWindow();
  ASSERT_TRUE(guide);
  EXPECT_FALSE(guide->isHidden());
  EXPECT_EQ(ui::kWindowLevelNormal + 1, guide->windowLevel());
  EXPECT_FALSE(DESettings::isFirstRead());
  browser_->guideClose();
  EXPECT_TRUE(guide->isHidden());
  EXPECT_FALSE(browser_->guideWindow());
  open(3, 1);
  EXPECT_FALSE(browser_->guideWindow());
  // Leaving closes a guide still shown.
  DESettings::setFirstRead(true);
  open(3, 0);
  guide = browser_->guideWindow();
  ASSERT_TRUE(guide);
  browser_->back();
  EXPECT_TRUE(guide->isHidden());
}

TEST_F(ScrolledNewsBrowseControllerTest, CurrentPageLoadsFirstAndTheNeighboursWhenItHasFinished) {
  open(5, 2);
  // Only the current page's detail task and the two prefetches.
  auto current = engine_->tagged("getDetail0:2");
  ASSERT_TRUE(current);
  EXPECT_TRUE(engine_->tagged("1"));
  EXPECT_TRUE(engine_->tagged("3"));
  std::vector<std::string> tags;
  for (const auto& task : engine_->tasks) tags.push_back(task->userIdentity().value_or(""));
  EXPECT_EQ((std::vector<std::string>{"getDetail0:2", "1", "3"}), tags);
  EXPECT_EQ((std::vector<std::string>{"a2"}), engine_->read);
  // The prefetch of page 3 arrives first: stored on its summary.
  report(engine_->tagged("3"), "Feed", Value(feedOf(detail("a3"))));
  EXPECT_EQ("a3", (*items_)[3]->detail()->entryId());
  // The neighbours are held but wait for the current page.
  ASSERT_TRUE(page(1) && page(3));
  EXPECT_FALSE(page(3)->isStartLoading());
  loadCurrent(2, 4);
  EXPECT_EQ(1u, htmlLoads(2));
  EXPECT_FALSE(page(2)->webView()->isHidden());
  EXPECT_EQ("评论(4)", browser_->rightButton()->titleForState(ui::kControlStateNormal).value_or(""));
  EXPECT_FALSE(browser_->rightButton()->isHidden());
  // The count opens the comments of the article on screen.
  browser_->rightButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  settle(0);
  auto shownComments = std::dynamic_pointer_cast<ui::NavigationController>(browser_->modalViewController());
  ASSERT_TRUE(shownComments);
  auto comments = std::dynamic_pointer_cast<CommentsController>(shownComments->topViewController());
  ASSERT_TRUE(comments);
  EXPECT_EQ(2, comments->currentIndex());
  EXPECT_EQ(page(2)->detailData(), comments->detailData());
  browser_->dismissModalViewController(false);
  settle(1);
  // Page 3 took its prefetched detail without a request; page 1 asked for its own.
  EXPECT_TRUE(page(3)->isStartLoading());
  EXPECT_EQ(1u, htmlLoads(3));
  EXPECT_TRUE(page(1)->isStartLoading());
  EXPECT_TRUE(engine_->tagged("getDetail0:1"));
  // Page 1's own request answers before page 2's prefetch of it: the prefetch, landing last,
  // leaves the detail the page shows on the summary (the toolbar and the mail read that one).
  report(engine_->tagged("getDetail0:1"), "Feed", Value(feedOf(detail("a1"))));
  ASSERT_TRUE(page(1)->detailData());
  report(engine_->tagged("1"), "Feed", Value(feedOf(detail("a1"))));
  EXPECT_EQ(page(1)->detailData(), (*items_)[1]->detail());
  // The stored text is the built one; the page itself is loaded without a base URL.
  EXPECT_EQ(0u, (*items_)[2]->detail()->content()->data()->find("<script>window.vesk= {"));
  EXPECT_FALSE(recorder(2).calls().back().baseUrl);
}

// A comment the toolbar posts (the share screen's): the browser takes the article's new count
// from the first "CommentsUpdate" and then stops listening, so a later one (another screen's
// comment) leaves its count alone.
// The article's page is loaded with the addresses it names itself — its pictures, style sheets
// and scripts, and the article's picture records — the only ones it may get from the link cache.
TEST_F(ScrolledNewsBrowseControllerTest, ThePageIsLoadedWithTheAddressesItNames) {
  open(1, 0);
  auto article = detail("a0");
  article->content()->setData(
      "<html><head><link rel=\"stylesheet\" type=\"text/css\" href=\"http://static.sample/a.css\">"
      "<script type=\"text/javascript\" src=\"http://static.sample/a.js\"></script></head>"
      "<body><p>a0</p><img src=\"http://img.sample/in-text.jpg\"></body></html>");
  (*article->veskCategorys())[0]->setHref("http://img.sample/record.jpg");
  (*article->veskCategorys())[0]->setA_href("http://img.sample/record-large.jpg");
  const auto named = namedOfFirstArticle(article);
  ASSERT_TRUE(named);
  for (const char* url : {"http://static.sample/a.css", "http://static.sample/a.js", "http://img.sample/in-text.jpg",
                          "http://img.sample/record.jpg", "http://img.sample/record-large.jpg"}) {
    EXPECT_TRUE(named->names(url)) << url;
  }
  EXPECT_EQ(5u, named->size());
  EXPECT_FALSE(named->names("http://img.sample/a1.jpg"));
}

// What the page shows of its own in the everyday forms is named too (so offline it keeps what it
// held): a style sheet or a script linked without a type, a picture's other densities, a
// picture of its style.
TEST_F(ScrolledNewsBrowseControllerTest, ThePageNamesItsOwnElementsWrittenWithoutTypes) {
  open(1, 0);
  auto article = detail("a0");
  article->content()->setData(
      "<html><head><link rel=\"Stylesheet\" href=\"http://static.sample/b.css\">"
      "<link rel=\"canonical\" href=\"http://elsewhere.sample/page\">"
      "<script src=\"http://static.sample/b.js\"></script>"
      "<style>p { background: URL( 'http://img.sample/ground.png' ) }</style></head>"
      "<body><p style=\"background-image:url(http://img.sample/inline.png)\">a0</p>"
      "<img src=\"http://img.sample/one.jpg\" srcset=\"http://img.sample/one-2x.jpg 2x, "
      "http://img.sample/one,3x.jpg 3x\">"
      "<picture><source srcset=\"http://img.sample/wide.webp\"><img src=\"http://img.sample/narrow.jpg\">"
      "</picture><video poster=\"http://img.sample/poster.jpg\"></video></body></html>");
  const auto named = namedOfFirstArticle(article);
  ASSERT_TRUE(named);
  for (const char* url : {"http://static.sample/b.css", "http://static.sample/b.js", "http://img.sample/ground.png",
                          "http://img.sample/inline.png", "http://img.sample/one.jpg", "http://img.sample/one-2x.jpg",
                          "http://img.sample/one,3x.jpg", "http://img.sample/wide.webp",
                          "http://img.sample/narrow.jpg", "http://img.sample/poster.jpg"}) {
    EXPECT_TRUE(named->names(url)) << url;
  }
  // A link that is no element of the page is not.
  EXPECT_FALSE(named->names("http://elsewhere.sample/page"));
}

TEST_F(ScrolledNewsBrowseControllerTest, TheToolbarsCommentUpdatesTheCountOnceAndTheBrowserStopsListening) {
  open(5, 2);
  loadCurrent(2, 4);
  auto count = [&] { return browser_->rightButton()->titleForState(ui::kControlStateNormal).value_or(""); };
  ASSERT_EQ("评论(4)", count());
  auto& center = NotificationCenter::defaultCenter();
  browser_->reportToolBarController()->commiteComment("说得好");
  ASSERT_EQ(1u, center.observerCount("CommentsUpdate"));
  page(2)->detailData()->veskAssess()->setTimes(5);
  center.post("CommentsUpdate", Value(), Dictionary());
  EXPECT_EQ("评论(5)", count());
  EXPECT_EQ(0u, center.observerCount("CommentsUpdate"));
  page(2)->detailData()->veskAssess()->setTimes(9);
  center.post("CommentsUpdate", Value(), Dictionary());
  EXPECT_EQ("评论(5)", count());
}

// The bar's 评论(N) follows the article on screen however it was reached, hidden only at 0: an
// article opened a second time (its summary holds the detail, so its page reports at once, while
// the grid is still making it), a page turn onto a neighbour whose detail came ahead and whose
// page is still loading, and a return from the comments with a count grown meanwhile.
TEST_F(ScrolledNewsBrowseControllerTest, TheCommentCountFollowsTheArticleHoweverItWasReached) {
  auto count = [&] {
    const auto& button = browser_->rightButton();
    return button->isHidden() ? std::string("hidden") : button->titleForState(ui::kControlStateNormal).value_or("");
  };
  open(5, 2);
  EXPECT_EQ("hidden", count());
  loadCurrent(2, 3);
  EXPECT_EQ("评论(3)", count());
  // The neighbours' details come ahead: article 1 with 5 comments, article 3 with none.
  report(engine_->tagged("1"), "Feed", Value(feedOf(detail("a1", 5))));
  report(engine_->tagged("3"), "Feed", Value(feedOf(detail("a3", 0))));
  browser_->back();
  settle(1);

  // The same article again, from the same list: its count at once, with no request.
  const size_t tasks = engine_->tasks.size();
  open(0, 2);
  EXPECT_EQ(tasks, engine_->tasks.size());
  EXPECT_EQ("评论(3)", count());
  // Its page finishes: the neighbours start on the details they hold and are still loading when
  // the reader turns to them.
  recorder(2).finishLoad();
  settle(0);
  ASSERT_TRUE(page(3) && page(3)->isStartLoading() && !page(3)->isFinishLoad());
  goTo(3);
  EXPECT_EQ("hidden", count());
  goTo(2);
  goTo(1);
  EXPECT_EQ("评论(5)", count());

  // Back from the comments, where the reader's comment raised the count.
  browser_->rightButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  settle(0);
  ASSERT_TRUE(browser_->modalViewController());
  (*items_)[1]->detail()->veskAssess()->setTimes(6);
  browser_->dismissModalViewController(false);
  settle(1);
  EXPECT_EQ("评论(6)", count());
}

TEST_F(ScrolledNewsBrowseControllerTest, AReusedPageDropsItsTaskAndBlanksItsDocument) {
  open(6, 0);
  goTo(1);
  goTo(2);
  goTo(3);
  // Pages far behind were parked and come back for new indexes: each reuse cancels, stops and
  // blanks before the new article.
  EXPECT_FALSE(engine_->cancelled.empty());
  bool blanked = false;
  for (int index : grid().indexsForCacheCells()) {
    for (const auto& script : recorder(index).scripts()) blanked = blanked || script == "document.body.innerHTML = \"\";";
  }
  EXPECT_TRUE(blanked);
  // A page given an index the list does not have loads nothing.
  const size_t tasks = engine_->tasks.size();
  auto stray = page(3);
  stray->prepareForReuse();
  stray->spinner()->stopAnimating();
  stray->setIndex(6);
  stray->getDetaildate();
  EXPECT_EQ(tasks, engine_->tasks.size());
  EXPECT_FALSE(stray->isStartLoading());
  EXPECT_FALSE(stray->spinner()->isAnimating());  // no spinner over a page that never loads
  // A late result of the task a page gave up touches nothing.
  auto stale = engine_->tagged("getDetail0:0");
  ASSERT_TRUE(stale);
  finish(stale, -3001);
  EXPECT_EQ(0u, alertCount());
  EXPECT_FALSE(NewsBrowseController::errorAlertShown());
}

TEST_F(ScrolledNewsBrowseControllerTest, TheBridgeOpensPicturesPagesVideosAndTheOriginalAndLoadsNothing) {
  open(3, 0);
  loadCurrent(0);
  auto& web = recorder(0);
  // A second picture part that does not begin with "seq=" is refused and opens nothing.
  EXPECT_FALSE(web.simulateNavigation("web:getimageclick;3", 0));
  EXPECT_FALSE(web.simulateNavigation("web:gethtmlclick", 0));
  EXPECT_FALSE(web.simulateNavigation("http://elsewhere/", 0));
  EXPECT_FALSE(web.simulateNavigation("about:blank;x", 0));
  settle(0);
  EXPECT_TRUE(openedScreens().empty());
  EXPECT_TRUE(web.simulateNavigation("about:blank", 5));
  // The picture whose seq is 3 is the second.
  EXPECT_FALSE(web.simulateNavigation("web:getimageclick;seq=3", 0));
  settle(0);
  EXPECT_TRUE(openedScreens().empty());
  auto shown = std::dynamic_pointer_cast<ui::NavigationController>(browser_->modalViewController());
  ASSERT_TRUE(shown);
  auto viewer = std::dynamic_pointer_cast<NewPictureViewController>(shown->topViewController());
  ASSERT_TRUE(viewer);
  EXPECT_EQ(1, viewer->pictureIndex());
  EXPECT_EQ((*items_)[0], viewer->summaryData());
  EXPECT_EQ(page(0)->detailData(), viewer->detailData());
  EXPECT_FALSE(viewer->summaryArray());
  EXPECT_FALSE(viewer->delegate());
  browser_->dismissModalViewController(false);
  settle(1);
  // A page, the original (the form adds its query) and a video.
  EXPECT_FALSE(web.simulateNavigation("web:gethtmlclick;http://sample/elsewhere.html", 0));
  settle(0);
  EXPECT_EQ("http://sample/elsewhere.html", shownBrowserLink());
  browser_->dismissModalViewController(false);
  settle(1);
  EXPECT_FALSE(web.simulateNavigation(std::string(ArticleHtmlBuilder::kReadOriginalSentinel) + ";?x=0&y=0", 1));
  settle(0);
  EXPECT_EQ("http://sample/article/a0.html", shownBrowserLink());
  browser_->dismissModalViewController(false);
  settle(1);
  EXPECT_FALSE(web.simulateNavigation("web:getvideoclick;http://sample/v.mp4", 0));
  settle(0);
  auto player = std::dynamic_pointer_cast<ui::MoviePlayerViewController>(browser_->modalViewController());
  ASSERT_TRUE(player);
  EXPECT_EQ("http://sample/v.mp4", player->contentURL());
  browser_->dismissModalViewController(false);
  settle(1);
  // No original address: the alert, and nothing opens.
  page(0)->detailData()->setAlternatelink(nullptr);
  web.simulateNavigation(ArticleHtmlBuilder::kReadOriginalSentinel, 1);
  settle(0);
  EXPECT_FALSE(browser_->modalViewController());
  ASSERT_TRUE(topAlert());
  EXPECT_EQ("操作失败", topAlert()->title().value_or(""));
  EXPECT_EQ("无原文链接", topAlert()->message().value_or(""));
  EXPECT_FALSE(page(0)->spinner()->isAnimating());
  topAlert()->dismissWithClickedButtonIndex(0, false);
  // An original address that is no web page opens nothing either.
  auto local = std::make_shared<Link>();
  local->setHref("file:///etc/passwd");
  page(0)->detailData()->setAlternatelink(local);
  web.simulateNavigation(ArticleHtmlBuilder::kReadOriginalSentinel, 1);
  settle(0);
  EXPECT_FALSE(browser_->modalViewController());
}

TEST_F(ScrolledNewsBrowseControllerTest, AnAlbumOpensTheViewerOnTheWholeListWithThePageAsDelegate) {
  open(10, 4, 1);
  loadCurrent(4);
  recorder(4).simulateNavigation("web:getimageclick;seq=9", 0);
  settle(0);
  auto shown = std::dynamic_pointer_cast<ui::NavigationController>(browser_->modalViewController());
  ASSERT_TRUE(shown);
  auto viewer = std::dynamic_pointer_cast<NewPictureViewController>(shown->topViewController());
  ASSERT_TRUE(viewer);
  // No picture has seq 9: the page asks for the count, which the viewer brings to its last picture.
  EXPECT_EQ(1, viewer->pictureIndex());
  EXPECT_EQ(4, viewer->detailIndex());
  EXPECT_EQ(items_, viewer->summaryArray());  // the browser's list itself, which grows with its pages
  auto delegate = std::dynamic_pointer_cast<NewsBrowseController>(viewer->delegate());
  ASSERT_EQ(page(4), delegate);
  // The viewer moved near the end: the list is asked; index compared without sign.
  delegate->setDetailIndex(7);
  EXPECT_EQ(1, list_->asked);
  delegate->setDetailIndex(-1);
  EXPECT_EQ(2, list_->asked);
  delegate->setBackPageIndex(6);
  EXPECT_EQ(6, grid().getCurPage());
}

TEST_F(ScrolledNewsBrowseControllerTest, OneDetailAlertPerBurstOnlyForThePageOnScreen) {
  open(5, 2);
  // A neighbour's failure shows nothing.
  loadCurrent(2);
  auto neighbour = engine_->tagged("getDetail0:1");
  ASSERT_TRUE(neighbour);
  finish(neighbour, -3001);
  EXPECT_EQ(0u, alertCount());
  EXPECT_FALSE(page(1)->isStartLoading());
  // -6 (cancelled) shows nothing and leaves the flag clear.
  goTo(1);
  finish(engine_->tagged("getDetail0:1"), -6);
  EXPECT_EQ(0u, alertCount());
  EXPECT_FALSE(NewsBrowseController::errorAlertShown());
  // A feed without entries fails like any other: one alert, and the flag holds the next one back.
  goTo(2);
  goTo(1);
  auto again = engine_->tagged("getDetail0:1");
  report(again, "Feed", Value(feedOf(nullptr)));
  finish(again, 0);
  EXPECT_EQ(1u, alertCount());
  EXPECT_TRUE(NewsBrowseController::errorAlertShown());
  goTo(0);
  EXPECT_TRUE(NewsBrowseController::errorAlertShown());
  finish(engine_->tagged("getDetail0:0"), -3001);
  EXPECT_EQ(1u, alertCount());
  // A success clears the flag; closing the alert leaves the browser.
  goTo(1);
  loadCurrent(1);
  EXPECT_FALSE(NewsBrowseController::errorAlertShown());
  topAlert()->clickButton(0);
  settle(1);
  EXPECT_EQ(1u, navigation_->viewControllers().size());
}

TEST_F(ScrolledNewsBrowseControllerTest, FavouriteResultsOnlyOnSuccessAndOnlyForAKnownArticle) {
  open(3, 1);
  loadCurrent(1);
  std::vector<std::string> posted;
  NotificationCenter::defaultCenter().add(ScrolledNewsBrowseController::kAddFavoriteNotification, this,
                                          [&](const Notification& note) {
                                            auto item = note.userInfo.get(ScrolledNewsBrowseController::kFavoriteSummaryKey)
                                                            .asObject<NewsSummary>();
                                            posted.push_back("add " + item->entryId().value_or(""));
                                          });
  NotificationCenter::defaultCenter().add(ScrolledNewsBrowseController::kDelFavoriteNotification, this,
                                          [&](const Notification& note) {
                                            posted.push_back("del " + note.userInfo.get(ScrolledNewsBrowseController::kFavoriteEntryIdKey)
                                                                          .stringValue()
                                                                          .value_or(""));
                                          });
  auto favourite = [&](const char* id, int code, bool add) {
    auto task = std::make_shared<DetailTask>();
    task->setUserIdentity(std::string(id));
    Notification note{task->getTaskIdStr(), Value(),
                      Dictionary{{"Task", Value(task)}, {"ResultType", "TaskStatus"}, {"Result", code}, {"ErrDesc", "no"}}};
    add ? browser_->onAddFavoriteTaskResult(note) : browser_->onDelFavoriteTaskResult(note);
  };
  auto detailOf1 = (*items_)[1]->detail();
  favourite("a1", -3001, true);
  EXPECT_TRUE(posted.empty());
  EXPECT_FALSE(detailOf1->veskFavorite() && detailOf1->veskFavorite()->collected());
  EXPECT_EQ(1u, alertCount());
  // The task succeeded for an article the list no longer names: the toolbar's waiting panel
  // gives way to the notice, and nothing changes or is posted.
  SPWaitingSavePhoto::showLoadingView();
  favourite("nobody", 0, true);
  EXPECT_TRUE(posted.empty());
  ASSERT_TRUE(SPWaitingSavePhoto::existing());
  EXPECT_EQ("添加收藏", SPWaitingSavePhoto::existing()->viewController()->titleLable()->text());
  favourite("a1", 0, true);
  EXPECT_EQ(1, detailOf1->veskFavorite()->collected());
  favourite("a1", 0, false);
  EXPECT_EQ(0, detailOf1->veskFavorite()->collected());
  EXPECT_EQ((std::vector<std::string>{"add a1", "del a1"}), posted);
}

TEST_F(ScrolledNewsBrowseControllerTest, TheSelectionMenuCopiesLooksUpAndSearches) {
  open(2, 0);
  loadCurrent(0);
  auto web = page(0)->webView();
  auto& menu = ui::MenuController::shared();
  std::vector<std::string> titles;
  for (const auto& item : menu.menuItems()) titles.push_back(item.title);
  EXPECT_EQ((std::vector<std::string>{"复制", "词典", "翻译", "搜索", "转发"}), titles);
  EXPECT_FALSE(web->canPerformAction("copy:", nullptr));
  web->recorder()->setScriptAnswer(NewsWebView::kSelectionScript, "tide & time");
  menu.setTargetRect(ui::Rect(0, 0, 10, 10), web);
  ASSERT_TRUE(menu.setMenuVisible(true));
  EXPECT_EQ(5u, menu.visibleItems().size());
  EXPECT_TRUE(menu.chooseItem("复制"));
  settle(0);
  EXPECT_EQ("tide & time", Pasteboard::general().string().value_or(""));
  // The dictionary and translation pages are on the dictionary host, which follows the service
  // host when only that one is set (a sample service answers them) and may be set on its own.
  struct Hosts {
    ~Hosts() { ServiceHosts::setAllHosts(std::nullopt); }
  } hosts;
  ServiceHosts::setServiceHost(std::string("127.0.0.1:8123"));
  web->wenvarDict();
  settle(0);
  EXPECT_EQ("http://127.0.0.1:8123/dp/dp?q=tide+%26+time", shownBrowserLink());
  auto lookup = std::dynamic_pointer_cast<WebViewController_New>(browser_->modalViewController());
  ASSERT_TRUE(lookup);
  EXPECT_EQ(0u, lookup->type());  // unscaled
  browser_->dismissModalViewController(false);
  settle(1);
  ServiceHosts::setDictionaryHost(std::string("dict.test:81"));
  web->wenvarTranslate();
  settle(0);
  EXPECT_EQ("http://dict.test:81/dp/fy?i=tide+%26+time", shownBrowserLink());
  browser_->dismissModalViewController(false);
  settle(1);
  // No search template: nothing opens.
  web->wenvarSearch();
  settle(0);
  EXPECT_FALSE(browser_->modalViewController());
  engine_->searchTemplate = "http://search/?q=";
  web->wenvarSearch();
  settle(0);
  EXPECT_EQ("http://search/?q=tide & time", shownBrowserLink());
  browser_->dismissModalViewController(false);
  settle(1);
  // "转发": the share screen through the toolbar, with the selection as its text.
  web->shareAction();
  settle(0);
  ASSERT_FALSE(StandInScreen::requests().empty());
  EXPECT_EQ(ScreenRequest::kShareNib, StandInScreen::requests().back().nibName);
  EXPECT_EQ("tide & time", StandInScreen::requests().back().parameters.get("postText").stringValue());
}

}  // namespace
}  // namespace zu

namespace zu {
namespace {

TEST_F(ScrolledNewsBrowseControllerTest, ASidewaysFingerOnThePageTurnsItAndAnUprightOneScrollsIt) {
  open(3, 0);
  loadCurrent(0);
  page(0)->webView()->recorder()->setContentSize(320, 2000);
  settle(0);
  auto drag = [&](ui::Point from, ui::Point to) {
    auto touch = window_->beginTouch(from);
    for (int step = 1; step <= 10; ++step) {
      clock_->advance(0.016);
      window_->moveTouch(touch, ui::Point(from.x + (to.x - from.x) * step / 10, from.y + (to.y - from.y) * step / 10));
    }
    window_->endTouch(touch);
    for (int frame = 0; frame < 90; ++frame) settle(0.02);  // the scroll settles frame by frame
  };
  // Upright: the page scrolls and the grid stays.
  drag(ui::Point(160, 400), ui::Point(160, 200));
  EXPECT_EQ(0, grid().getCurPage());
  EXPECT_GT(page(0)->webView()->scrollView()->contentOffset().y, 100);
  // Sideways: the next article.
  drag(ui::Point(300, 200), ui::Point(40, 210));
  EXPECT_EQ(1, grid().getCurPage());
}

}  // namespace
}  // namespace zu

namespace zu {
namespace {

// The article's web view does not take the double tap: it reaches the grid, which leaves.
TEST_F(ScrolledNewsBrowseControllerTest, ADoubleTapOnTheArticleLeaves) {
  open(3, 1);
  loadCurrent(1);
  for (int i = 0; i < 2; ++i) {
    auto touch = window_->beginTouch(ui::Point(160, 200));
    clock_->advance(0.05);
    window_->endTouch(touch);
    clock_->advance(0.05);
    settle(0);
  }
  settle(1);
  EXPECT_EQ((std::vector<int64_t>{0}), offsets_);
  EXPECT_EQ(1u, navigation_->viewControllers().size());
}

}  // namespace
}  // namespace zu

namespace zu {
namespace {

// A tap on the page switches between the layout with the bar and its "  返回" and the full-screen
// one with the floating back button; a tap on a link, or the tap that dismisses the edit menu,
// leaves the layout alone.
TEST_F(ScrolledNewsBrowseControllerTest, ATapOnThePageSwitchesTheLayoutsWithTheirWayBack) {
  open(3, 0);
  loadCurrent(0);
  auto bar = browser_->navBar();
  auto back = browser_->floatingBackButton();
  auto toolBar = browser_->toolBarView();
  auto tap = [&] {
    window_->tap(ui::Point(160, 200));
    settle(0.5);  // the double tap fails first
    settle(0);    // the page answers that no link is there
    settle(0.5);  // the layout's animation ends
  };
  auto stored = [] { return UserDefaults::standard().objectForKey(ScrolledNewsBrowseController::kFullScreenKey); };
  EXPECT_TRUE(bar->isHidden());
  EXPECT_FLOAT_EQ(0, back->alpha());

  tap();  // the bar with its way back, over the pages and the toolbar
  EXPECT_FALSE(bar->isHidden());
  // The column's title in the skin's title look, readable on the skin's bar.
  auto title = std::dynamic_pointer_cast<ui::Label>(bar->topItem()->titleView());
  ASSERT_TRUE(title);
  EXPECT_EQ(std::optional<std::string>("Harbour"), title->text());
  if (auto picture = ui::render(*window_)) {
    ui::ContrastAudit::expectReadable(ui::ContrastAudit::audit(*window_, *picture, "browser-bar"));
  }
  EXPECT_EQ(ui::Transform::identity(), bar->transform());
  EXPECT_EQ(ui::Rect(0, 44, 320, 374), grid().frame());
  EXPECT_EQ(ui::Rect(0, 420, 320, 40), toolBar->frame());
  EXPECT_FLOAT_EQ(0, back->alpha());
  EXPECT_EQ(Value(false), stored());
  EXPECT_DOUBLE_EQ(0.4, ui::AnimationLog::shared().last()->duration);
  // Between the pages and the toolbar the screen's ground is the pages' grey, not black.
  EXPECT_EQ(0xfff7f7f7u, ui::render(*window_)->pixelAt(160, 20 + 419));

  // Full screen: the floating back button alone, every page beginning below it and keeping
  // the room as it loads.
  auto topOf = [&](int index) { return page(index)->webView()->scrollView()->contentOffset().y; };
  tap();
  EXPECT_TRUE(bar->isHidden());
  EXPECT_EQ(ui::Rect(0, 0, 320, 460), grid().frame());
  EXPECT_EQ(ui::Rect(0, 464, 320, 40), toolBar->frame());
  EXPECT_FLOAT_EQ(1, back->alpha());
  EXPECT_EQ(Value(true), stored());
  const float below = back->frame().maxY();
  EXPECT_FLOAT_EQ(-below, topOf(0));
  ASSERT_TRUE(page(1));
  EXPECT_FLOAT_EQ(-below, topOf(1));
  recorder(1).finishLoad();
  settle(0);
  EXPECT_FLOAT_EQ(-below, topOf(1));

  // A tap on a link is the page's own.
  auto& page0 = recorder(0);
  page0.setHoldScriptAnswers(true);
  window_->tap(ui::Point(160, 200));
  settle(0.5);
  ASSERT_EQ(0u, page0.scripts().back().rfind("(function(x,y){var e=document.elementFromPoint", 0));
  page0.setScriptAnswer(page0.scripts().back(), "1");
  page0.answerScript(page0.scripts().size() - 1);
  settle(0.5);
  EXPECT_TRUE(bar->isHidden());
  page0.setHoldScriptAnswers(false);

  // Nor is a finger held for a long press (a selection); elsewhere than the link.
  auto held = window_->beginTouch(ui::Point(100, 250));
  settle(0.6);
  window_->endTouch(held);
  settle(0.5);
  settle(0.5);
  EXPECT_TRUE(bar->isHidden());

  // The tap that dismisses the edit menu is not a page tap.
  auto& menu = ui::MenuController::shared();
  menu.setTargetRect(ui::Rect(100, 100, 20, 20), page(0)->webView());
  ASSERT_TRUE(menu.setMenuVisible(true));
  const size_t scripts = page0.scripts().size();
  tap();
  EXPECT_FALSE(menu.isMenuVisible());
  EXPECT_EQ(scripts, page0.scripts().size());
  EXPECT_TRUE(bar->isHidden());

  // With the bar again the room goes: the page is at its top.
  // The page is asked about the point of its own that lies under the finger, below the room.
  window_->tap(ui::Point(160, 300));
  settle(0.5);
  EXPECT_EQ("(function(x,y){var e=document.elementFromPoint(x,y);return e&&e.closest('a,button,input,select,"
            "textarea,label')?'1':'0';})(160," + std::to_string(300 - 20 - static_cast<int>(below)) + ")",
            page0.scripts().back());
  settle(0);
  settle(0.5);
  EXPECT_FALSE(bar->isHidden());
  EXPECT_FLOAT_EQ(0, topOf(0));
  EXPECT_FLOAT_EQ(0, page(0)->webView()->scrollView()->contentInset().top);

  // The floating button leaves as the toolbar's return does.
  back->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  settle(1);
  EXPECT_EQ((std::vector<int64_t>{0}), offsets_);
  EXPECT_EQ(1u, navigation_->viewControllers().size());
}

// A pinch apart makes the article font one size larger, together one smaller, within 0 to 3,
// and every cached page gets the new level at once.
TEST_F(ScrolledNewsBrowseControllerTest, APinchChangesTheFontSizeOfEveryCachedPage) {
  open(3, 0);
  loadCurrent(0);
  settle(0.1);
  ASSERT_TRUE(page(1));
  auto pinch = [&](bool apart) {
    const float from = apart ? 40 : 100, to = apart ? 100 : 40;
    auto a = window_->beginTouch(ui::Point(160 - from, 200));
    auto b = window_->beginTouch(ui::Point(160 + from, 200));
    for (int step = 1; step <= 5; ++step) {
      const float d = from + (to - from) * step / 5;
      clock_->advance(0.016);
      window_->moveTouch(a, ui::Point(160 - d, 200));
      window_->moveTouch(b, ui::Point(160 + d, 200));
    }
    window_->endTouch(b);
    window_->endTouch(a);
    settle(0.5);
  };
  auto lastScript = [&](int index) {
    const auto& scripts = recorder(index).scripts();
    return scripts.empty() ? std::string() : scripts.back();
  };
  DESettings::setFondSize(2);
  const size_t touchesBefore = recorder(0).touches().size();
  pinch(true);
  // The page saw the fingers go down, then taken away: no click.
  for (size_t i = touchesBefore; i < recorder(0).touches().size(); ++i) {
    EXPECT_NE(web::WebViewBackend::Finger::kUp, recorder(0).touches()[i].finger);
  }
  EXPECT_GT(recorder(0).touches().size(), touchesBefore);
  EXPECT_EQ(3, DESettings::getFondSize());
  EXPECT_EQ("vesk.updateFontLevel(6)", lastScript(0));
  EXPECT_EQ("vesk.updateFontLevel(6)", lastScript(1));
  const size_t before = recorder(0).scripts().size();
  pinch(true);  // already the largest
  EXPECT_EQ(3, DESettings::getFondSize());
  EXPECT_EQ(before, recorder(0).scripts().size());
  pinch(false);
  EXPECT_EQ(2, DESettings::getFondSize());
  EXPECT_EQ("vesk.updateFontLevel(5)", lastScript(1));
  DESettings::setFondSize(1);
  pinch(false);
  EXPECT_EQ(0, DESettings::getFondSize());
  EXPECT_EQ("vesk.updateFontLevel(2)", lastScript(0));
  pinch(false);  // already the smallest
  EXPECT_EQ(0, DESettings::getFondSize());
  EXPECT_EQ(0, grid().getCurPage());  // the pinch turned no page
  EXPECT_EQ(2u, navigation_->viewControllers().size());
}

}  // namespace
}  // namespace zu

namespace zu {
namespace {

// Escape closes the first-read help as its tap does; then, in the reading layout where no way
// back shows, it leaves as 返回 would, the layout left as it is; after a tap the bar's "  返回"
// shows and Escape leaves through it. Leaving reports the offset as it always does.
TEST_F(ScrolledNewsBrowseControllerTest, EscapeClosesTheHelpThenLeavesInEveryLayout) {
  DESettings::setFirstRead(true);
  open(3, 1);
  loadCurrent(1);
  auto guide = browser_->guideWindow();
  ASSERT_TRUE(guide);
  EXPECT_TRUE(ui::EscapeKey::press());
  EXPECT_TRUE(guide->isHidden());
  EXPECT_FALSE(browser_->guideWindow());
  settle(1);
  EXPECT_EQ(2u, navigation_->viewControllers().size());
  EXPECT_TRUE(ui::EscapeKey::press());
  EXPECT_TRUE(browser_->navBar()->isHidden());
  EXPECT_FALSE(browser_->isFullScreen());
  EXPECT_EQ(0.0f, browser_->floatingBackButton()->alpha());
  settle(1);
  EXPECT_EQ((std::vector<int64_t>{0}), offsets_);
  EXPECT_EQ(1u, navigation_->viewControllers().size());

  open(3, 1);
  loadCurrent(1);
  window_->tap(ui::Point(160, 200));
  settle(0.5);
  settle(0);
  settle(0.5);
  ASSERT_FALSE(browser_->navBar()->isHidden());
  EXPECT_TRUE(ui::EscapeKey::press());
  settle(1);
  EXPECT_EQ((std::vector<int64_t>{0, 0}), offsets_);
  EXPECT_EQ(1u, navigation_->viewControllers().size());
}

}  // namespace
}  // namespace zu
