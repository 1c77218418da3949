#include "platform/web/WebView.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/images/Image.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/system/EscapeKey.h"
#include "platform/ui/text/MenuController.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/views/ScrollView.h"
#include "platform/ui/views/ScrollViewDelegate.h"
#include "platform/ui/views/Window.h"
#include "platform/web/RecordingWebBackend.h"
#include "platform/web/WebNavigationType.h"
#include "platform/web/WebViewDelegate.h"
#include "testing/MainLoopTurn.h"
#include "testing/ScopedFakeClock.h"

namespace zu::web {
namespace {

// Writes down everything the view tells it, as "ask <url> <type>", "start", "finish",
// "fail <code>".
class RecordingDelegate : public WebViewDelegate {
 public:
  bool shouldStartLoad(WebView&, const std::string& url, int type, bool) override {
    events.push_back("ask " + url + " " + std::to_string(type));
    return allow;
  }
  void didStartLoad(WebView&) override { events.push_back("start"); }
  void didFinishLoad(WebView&) override { events.push_back("finish"); }
  void didFailLoad(WebView&, int code, const std::string&) override {
    events.push_back("fail " + std::to_string(code));
  }

  bool allow = true;
  std::vector<std::string> events;
};

using Events = std::vector<std::string>;

// Runs what is due on the main loop, and what that posted in turn (a question, then the start
// it leads to).
void settle() {
  for (int i = 0; i < 3; ++i) runDueMainLoopTasks();
}

struct Page {
  std::shared_ptr<WebView> view = std::make_shared<WebView>(ui::Rect{{0, 0}, {320, 400}});
  std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
  RecordingWebBackend& recorder = *view->recorder();

  Page() { view->setDelegate(delegate); }
};

TEST(WebViewTest, HtmlWithoutBaseAsksAboutBlankOnALaterTurnThenStarts) {
  Page page;
  page.view->loadHTMLString("<p>hi</p>", std::nullopt);
  // Nothing inside the loading call: not the question, not the load.
  EXPECT_TRUE(page.delegate->events.empty());
  EXPECT_TRUE(page.recorder.calls().empty());

  settle();
  EXPECT_EQ(page.delegate->events, (Events{"ask about:blank 5", "start"}));
  ASSERT_EQ(page.recorder.calls().size(), 1u);
  EXPECT_EQ(page.recorder.calls()[0].kind, RecordingWebBackend::Call::kLoadHtml);
  EXPECT_EQ(page.recorder.calls()[0].content, "<p>hi</p>");
  EXPECT_TRUE(page.view->isLoading());

  // With a base URL the question is about the base; a URL load asks about itself.
  page.view->loadHTMLString("<p>x</p>", std::string("http://example.test/a/"));
  page.view->loadRequest("https://example.test/b");
  settle();
  // The first load was replaced by the second before its question came: only the last asks.
  EXPECT_EQ(page.delegate->events,
            (Events{"ask about:blank 5", "start", "ask https://example.test/b 5", "start"}));
  EXPECT_EQ(page.recorder.currentUrl(), "https://example.test/b");
}

TEST(WebViewTest, RefusalLoadsNothingAndNothingFollows) {
  Page page;
  page.delegate->allow = false;
  page.view->loadHTMLString("<p>hi</p>", std::nullopt);
  settle();
  EXPECT_EQ(page.delegate->events, (Events{"ask about:blank 5"}));
  EXPECT_TRUE(page.recorder.calls().empty());
  EXPECT_FALSE(page.view->isLoading());

  // A link the page follows is asked with its type; refused, no load starts.
  EXPECT_FALSE(page.recorder.simulateNavigation("web:getimageclick;seq=3", kNavigationLinkClicked));
  EXPECT_FALSE(page.recorder.simulateNavigation("about:blank", kNavigationOther));
  settle();
  EXPECT_EQ(page.delegate->events, (Events{"ask about:blank 5", "ask web:getimageclick;seq=3 0",
                                           "ask about:blank 5"}));
  EXPECT_FALSE(page.view->isLoading());
}

TEST(WebViewTest, LateFinishAndFailureArriveOnTheirOwnTurn) {
  Page page;
  page.view->loadRequest("http://example.test/");
  settle();
  page.recorder.finishLoad();
  EXPECT_FALSE(page.view->isLoading());
  // Not inside finishLoad.
  EXPECT_EQ(page.delegate->events, (Events{"ask http://example.test/ 5", "start"}));
  settle();
  EXPECT_EQ(page.delegate->events.back(), "finish");

  // A form the page submits starts a second load; stopping it fails it as cancelled.
  ASSERT_TRUE(page.recorder.simulateNavigation("http://example.test/f?q=1",
                                               kNavigationFormSubmitted));
  page.view->stopLoading();
  page.recorder.finishLoad();  // too late: the load already ended
  settle();
  EXPECT_EQ(page.delegate->events,
            (Events{"ask http://example.test/ 5", "start", "finish",
                    "ask http://example.test/f?q=1 1", "start", "fail -999"}));
}

TEST(WebViewTest, StopBeforeTheQuestionDropsTheLoad) {
  Page page;
  page.view->loadHTMLString("<p>hi</p>", std::nullopt);
  page.view->stopLoading();
  settle();
  EXPECT_TRUE(page.delegate->events.empty());
  ASSERT_EQ(page.recorder.calls().size(), 1u);
  EXPECT_EQ(page.recorder.calls()[0].kind, RecordingWebBackend::Call::kStop);
}

TEST(WebViewTest, ScriptCallbacksComeInCallOrderWhateverOrderTheyAreAnswered) {
  Page page;
  page.recorder.setScriptAnswer("document.title", "Title");
  page.recorder.setScriptAnswer("window.getSelection().toString()", "selected");
  page.recorder.setHoldScriptAnswers(true);
  std::vector<std::string> results;
  page.view->evaluateScript("document.title", [&](const std::string& r) { results.push_back(r); });
  page.view->evaluateScript("vesk.updateFontLevel(4)",
                            [&](const std::string& r) { results.push_back("level:" + r); });
  page.view->evaluateScript("document.body.innerHTML = \"\";");  // no callback
  page.view->evaluateScript("window.getSelection().toString()",
                            [&](const std::string& r) { results.push_back(r); });
  EXPECT_EQ(page.recorder.scripts().size(), 4u);

  page.recorder.answerScript(3);
  page.recorder.answerScript(1);
  settle();
  EXPECT_TRUE(results.empty()) << "the first script is still unanswered";
  page.recorder.answerScript(2);
  page.recorder.answerScript(0);
  EXPECT_TRUE(results.empty()) << "never inside the answering call";
  settle();
  EXPECT_EQ(results, (std::vector<std::string>{"Title", "level:", "selected"}));
}

TEST(WebViewTest, FreedViewWithLoadAndScriptPendingDeliversNothing) {
  auto delegate = std::make_shared<RecordingDelegate>();
  bool called = false;
  {
    auto view = std::make_shared<WebView>(ui::Rect{{0, 0}, {100, 100}});
    view->setDelegate(delegate);
    view->loadHTMLString("<p>hi</p>", std::nullopt);
    view->evaluateScript("document.title", [&](const std::string&) { called = true; });
    // And a load that started, whose start event is still on its way.
    view->recorder()->simulateNavigation("http://example.test/", kNavigationLinkClicked);
    view->recorder()->finishLoad();
  }
  settle();
  EXPECT_FALSE(called);
  // Only the page's own question, asked while the view lived.
  EXPECT_EQ(delegate->events, (Events{"ask http://example.test/ 0"}));
}

TEST(WebViewTest, HistoryAsksWithBackForwardAndReloadTypes) {
  Page page;
  page.view->loadRequest("http://a.test/");
  settle();
  page.recorder.finishLoad();
  settle();
  ASSERT_TRUE(page.recorder.simulateNavigation("http://b.test/", kNavigationLinkClicked));
  page.recorder.finishLoad();
  settle();
  EXPECT_TRUE(page.view->canGoBack());
  EXPECT_FALSE(page.view->canGoForward());
  page.view->goBack();
  page.recorder.finishLoad();
  settle();
  EXPECT_TRUE(page.view->canGoForward());
  page.view->reload();
  settle();
  EXPECT_EQ(page.delegate->events,
            (Events{"ask http://a.test/ 5", "start", "finish", "ask http://b.test/ 0", "start",
                    "finish", "ask http://a.test/ 2", "start", "finish", "ask http://a.test/ 3",
                    "start"}));
}

TEST(WebViewTest, DrawsThePagePictureAndResizesTheBackend) {
  Page page;
  EXPECT_EQ(page.recorder.width(), 320);
  page.view->setFrame(ui::Rect{{0, 0}, {200, 100}});
  EXPECT_EQ(page.recorder.width(), 200);
  EXPECT_EQ(page.recorder.height(), 100);
  EXPECT_EQ(page.view->scrollView()->frame().size.width, 200);

  auto frame = ui::Image::create(200, 100);
  for (int i = 0; i < 200 * 100; ++i) frame->mutablePixels()[i] = 0xff2040c0u;
  page.recorder.showFrame(frame);
  auto picture = ui::render(*page.view);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->pixelAt(150, 50), 0xff2040c0u);
}

// Remembers where the scroll view was when the finger lifted.
struct DragWatcher : ui::ScrollViewDelegate {
  void scrollViewDidEndDragging(ui::ScrollView& scrollView, bool) override {
    endOffsets.push_back(scrollView.contentOffset().y);
  }
  std::vector<float> endOffsets;
};

TEST(WebViewTest, TapsGoToThePageAndDragsScrollItThroughTheScrollView) {
  auto window = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
  window->makeKeyAndVisible();
  Page page;
  page.view->setFrame(ui::Rect(0, 100, 320, 300));
  window->addSubview(page.view);
  auto watcher = std::make_shared<DragWatcher>();
  page.view->scrollView()->setDelegate(watcher);
  page.recorder.setContentSize(320, 1000);
  EXPECT_EQ(page.view->scrollView()->contentSize().height, 1000);

  using Finger = WebViewBackend::Finger;
  auto tap = window->beginTouch({50, 150});
  window->endTouch(tap, {50, 150});
  ASSERT_EQ(page.recorder.touches().size(), 2u);
  EXPECT_EQ(page.recorder.touches()[1].finger, Finger::kUp);
  EXPECT_EQ(page.recorder.touches()[1].y, 50);  // in the view's pixels

  // A drag up is the scroll view's: the page scrolls with it and clicks nothing.
  auto drag = window->beginTouch({100, 350});
  for (float y = 330; y >= 150; y -= 20) window->moveTouch(drag, {100, y});
  window->endTouch(drag, {100, 150});
  const float offset = page.view->scrollView()->contentOffset().y;
  EXPECT_GT(offset, 100);
  ASSERT_FALSE(page.recorder.scrolls().empty());
  EXPECT_EQ(page.recorder.scrolls().back(), (std::pair<int, int>{0, static_cast<int>(offset)}));
  EXPECT_EQ(page.recorder.touches()[2].finger, Finger::kDown);
  EXPECT_EQ(page.recorder.touches().back().finger, Finger::kCancel);

  // A tap on the scrolled page lands where it shows.
  tap = window->beginTouch({50, 150});
  window->endTouch(tap, {50, 150});
  EXPECT_EQ(page.recorder.touches().back().finger, Finger::kUp);
  EXPECT_EQ(page.recorder.touches().back().y, 50);

  // A new short page starts at its top and can still be pulled down past it (the browser's
  // pull-to-close); the page itself is never asked to go above its top.
  page.recorder.simulateNavigation("http://example.test/short", kNavigationLinkClicked);
  page.recorder.setContentSize(320, 100);
  EXPECT_EQ(page.view->scrollView()->contentOffset().y, 0);
  const size_t scrollsBefore = page.recorder.scrolls().size();
  // Past the top the pull meets the rubber band: 260 points of finger show about 97.
  auto pull = window->beginTouch({100, 130});
  for (float y = 150; y <= 390; y += 20) window->moveTouch(pull, {100, y});
  window->endTouch(pull, {100, 390});
  ASSERT_FALSE(watcher->endOffsets.empty());
  EXPECT_LT(watcher->endOffsets.back(), -80);
  for (size_t i = scrollsBefore; i < page.recorder.scrolls().size(); ++i) {
    EXPECT_GE(page.recorder.scrolls()[i].second, 0);
  }
}

// The edit menu shown over a selection goes with the page it was for: a new page in the view
// selects nothing, so no menu stays over it offering to copy what is no longer there. Escape
// that hides the menu ends the selection with it.
TEST(WebViewTest, TheSelectionMenuGoesWhenANewPageComesAndEscapeEndsTheSelection) {
  ScopedFakeClock clock;
  auto window = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
  window->makeKeyAndVisible();
  Page page;
  page.view->setFrame(ui::Rect(0, 100, 320, 300));
  window->addSubview(page.view);
  page.recorder.setSelectionAnswer("潮汐", ui::Rect(40, 90, 48, 24));
  auto& menu = ui::MenuController::shared();
  auto longPress = [&](ui::Point at) {
    auto finger = window->beginTouch(at);
    clock->advance(0.6);
    runDueMainLoopTasks();
    window->endTouch(finger);
  };
  longPress({60, 200});
  ASSERT_EQ(page.view->selectedText(), "潮汐");
  ASSERT_TRUE(menu.isMenuVisible());

  page.recorder.simulateNavigation("http://example.test/next", kNavigationLinkClicked);
  settle();
  EXPECT_EQ(page.view->selectedText(), "");
  EXPECT_FALSE(menu.isMenuVisible());

  // A menu over another view stays when this one loads.
  longPress({60, 200});
  ASSERT_TRUE(menu.isMenuVisible());
  Page other;
  other.view->loadHTMLString("<p>x</p>", std::nullopt);
  settle();
  EXPECT_TRUE(menu.isMenuVisible());

  // Escape that hides the menu lets go of the word too: the page no longer lights it.
  ASSERT_EQ(page.view->selectedText(), "潮汐");
  EXPECT_TRUE(ui::EscapeKey::press());
  EXPECT_FALSE(menu.isMenuVisible());
  ASSERT_FALSE(page.recorder.selections().empty());
  EXPECT_EQ(page.recorder.selections().back().step, WebViewBackend::Selecting::kClear);
  EXPECT_EQ(page.view->selectedText(), "");
  menu.resetForTesting();
  ui::Application::shared().resetForTesting();
}

}  // namespace
}  // namespace zu::web
