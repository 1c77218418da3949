// RecordingWebBackend: the web view's stand-in for tests (the default backend). It loads
// nothing and runs no script: it records what the view asked of it, answers scripts from
// answers the test set, and lets the test play the page's side — a navigation the page starts
// (simulateNavigation), the end of a load (finishLoad, failLoad). Everything it reports goes
// through the WebView, so the delegate hears it on later turns of the main loop exactly as it
// would from the engine.
//
// Main thread only; owned by its WebView (reach it through WebView::recorder()).
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/web/WebViewBackend.h"

namespace zu::web {

class RecordingWebBackend : public WebViewBackend {
 public:
  // One thing the view asked for, in order.
  struct Call {
    enum Kind { kLoadHtml, kLoadUrl, kStop, kReload, kBack, kForward } kind;
    // The HTML or the address; empty for the others.
    std::string content;
    std::optional<std::string> baseUrl;
    // The addresses an HTML page names itself (null: none).
    std::shared_ptr<const NamedResources> named;
  };

  explicit RecordingWebBackend(WebViewBackendClient& client) : client_(client) {}

  const std::vector<Call>& calls() const { return calls_; }
  const std::vector<std::string>& scripts() const { return scripts_; }
  struct Touch {
    Finger finger;
    int x, y;
  };
  const std::vector<Touch>& touches() const { return touches_; }
  // Where the view scrolled the page, in order.
  const std::vector<std::pair<int, int>>& scrolls() const { return scrolls_; }
  // Selection steps the view asked for, in order.
  struct Selection {
    Selecting step;
    int x, y;
  };
  const std::vector<Selection>& selections() const { return selections_; }
  // What the page answers to a word or extend step from now on (clearing answers "").
  void setSelectionAnswer(std::string text, ui::Rect bounds) {
    selectionText_ = std::move(text);
    selectionBounds_ = bounds;
  }
  // The page's document measures this much, as the engine would report.
  void setContentSize(int width, int height) { client_.backendContentSize(width, height); }
  // The page's address: the base URL or "about:blank" of the last HTML, else the last address.
  const std::string& currentUrl() const { return currentUrl_; }
  int width() const { return width_; }
  int height() const { return height_; }
  bool scalesPageToFit() const { return scalesPageToFit_; }

  // The answer to `js` from now on (scripts without one answer "").
  void setScriptAnswer(const std::string& js, std::string answer) { answers_[js] = answer; }
  // While held, scripts wait to be answered by answerScript (in any order the test likes).
  void setHoldScriptAnswers(bool hold) { hold_ = hold; }
  // Answers held script number `index` (0 for the first script the view ever ran).
  void answerScript(size_t index);

  // The page navigates to `url` for reason `type`, after the reader's tap or (`userGesture`
  // false) on its own: asks the delegate and, when allowed, starts the load (the view becomes
  // loading; didNavigateMainFrame and didStartLoad follow, as for every load the stand-in
  // starts). Returns the delegate's answer.
  bool simulateNavigation(const std::string& url, int type, bool userGesture = true);
  // A frame inside the page navigates: the delegate is asked, as for the page itself, and
  // nothing else follows (the frame's load is no load of the page's). Returns the answer.
  bool simulateFrameNavigation(const std::string& url, int type, bool userGesture = true);
  // The server answers the running load with a redirect to `url` (didNavigateMainFrame, with
  // the gesture of the load it redirects).
  void simulateRedirect(const std::string& url);
  // The running load ends.
  void finishLoad();
  void failLoad(int code, const std::string& description);
  // A picture of the page, as the engine would send one.
  void showFrame(std::shared_ptr<ui::Image> frame) { client_.backendFrame(std::move(frame)); }

  // WebViewBackend.
  void loadHTMLString(const std::string& html, const std::optional<std::string>& baseUrl,
                      std::shared_ptr<const NamedResources> named) override;
  void loadUrl(const std::string& url) override;
  void stopLoading() override;
  void reload() override;
  void goBack() override;
  void goForward() override;
  bool canGoBack() const override { return historyIndex_ > 0; }
  bool canGoForward() const override { return historyIndex_ + 1 < history_.size(); }
  void evaluateScript(uint64_t sequence, const std::string& js) override;
  void setSize(int width, int height, float) override {
    width_ = width;
    height_ = height;
  }
  void setScalesPageToFit(bool scales) override { scalesPageToFit_ = scales; }
  void setEphemeral(bool ephemeral) override { ephemeral_ = ephemeral; }
  void setProcessFamily(const std::string& family) override { processFamily_ = family; }
  const std::string& processFamily() const { return processFamily_; }
  void touch(Finger finger, int x, int y) override { touches_.push_back({finger, x, y}); }
  void scrollTo(int x, int y) override { scrolls_.push_back({x, y}); }
  void select(uint64_t sequence, Selecting step, int x, int y) override;
  bool ephemeral() const { return ephemeral_; }

 private:
  // A load of `url` begins: it becomes the newest history entry.
  void begin(const std::string& url, bool addToHistory, bool userGesture);

  WebViewBackendClient& client_;
  std::vector<Call> calls_;
  std::vector<std::string> scripts_;
  std::vector<Touch> touches_;
  std::vector<std::pair<int, int>> scrolls_;
  std::vector<Selection> selections_;
  std::string selectionText_;
  ui::Rect selectionBounds_;
  std::vector<uint64_t> scriptSequences_;
  std::vector<bool> scriptAnswered_;
  std::map<std::string, std::string> answers_;
  bool hold_ = false;
  bool ephemeral_ = false;
  std::string processFamily_;
  bool loading_ = false;
  // The running load came from the reader (or the client).
  bool loadByGesture_ = false;
  std::string currentUrl_;
  std::vector<std::string> history_;
  size_t historyIndex_ = 0;
  int width_ = 0;
  int height_ = 0;
  bool scalesPageToFit_ = false;
};

}  // namespace zu::web
