#include "platform/web/RecordingWebBackend.h"

#include "platform/web/WebNavigationType.h"

namespace zu::web {

void RecordingWebBackend::begin(const std::string& url, bool addToHistory, bool userGesture) {
  currentUrl_ = url;
  if (addToHistory) {
    if (!history_.empty()) history_.resize(historyIndex_ + 1);
    history_.push_back(url);
    historyIndex_ = history_.size() - 1;
  }
  loading_ = true;
  loadByGesture_ = userGesture;
  client_.backendMainFrameNavigated(url, userGesture);
  client_.backendDidStart();
}

void RecordingWebBackend::loadHTMLString(const std::string& html, const std::optional<std::string>& baseUrl,
                                         std::shared_ptr<const NamedResources> named) {
  calls_.push_back({Call::kLoadHtml, html, baseUrl, std::move(named)});
  begin(baseUrl.value_or("about:blank"), true, true);
}

void RecordingWebBackend::loadUrl(const std::string& url) {
  calls_.push_back({Call::kLoadUrl, url, std::nullopt, nullptr});
  begin(url, true, true);
}

void RecordingWebBackend::stopLoading() {
  calls_.push_back({Call::kStop, {}, std::nullopt, nullptr});
  if (!loading_) return;
  loading_ = false;
  client_.backendDidFail(-999, "cancelled");
}

void RecordingWebBackend::reload() {
  calls_.push_back({Call::kReload, {}, std::nullopt, nullptr});
  // The client's buttons: the reader's.
  if (history_.empty() || !client_.backendShouldStart(currentUrl_, kNavigationReload, true)) return;
  begin(currentUrl_, false, true);
}

void RecordingWebBackend::goBack() {
  calls_.push_back({Call::kBack, {}, std::nullopt, nullptr});
  if (!canGoBack() || !client_.backendShouldStart(history_[historyIndex_ - 1],
                                                  kNavigationBackForward, true)) {
    return;
  }
  --historyIndex_;
  begin(history_[historyIndex_], false, true);
}

void RecordingWebBackend::goForward() {
  calls_.push_back({Call::kForward, {}, std::nullopt, nullptr});
  if (!canGoForward() || !client_.backendShouldStart(history_[historyIndex_ + 1],
                                                     kNavigationBackForward, true)) {
    return;
  }
  ++historyIndex_;
  begin(history_[historyIndex_], false, true);
}

void RecordingWebBackend::evaluateScript(uint64_t sequence, const std::string& js) {
  scripts_.push_back(js);
  scriptSequences_.push_back(sequence);
  scriptAnswered_.push_back(false);
  if (!hold_) answerScript(scripts_.size() - 1);
}

void RecordingWebBackend::answerScript(size_t index) {
  if (index >= scripts_.size() || scriptAnswered_[index]) return;
  scriptAnswered_[index] = true;
  auto it = answers_.find(scripts_[index]);
  client_.backendScriptResult(scriptSequences_[index], it == answers_.end() ? "" : it->second);
}

void RecordingWebBackend::select(uint64_t sequence, Selecting step, int x, int y) {
  selections_.push_back({step, x, y});
  if (step == Selecting::kClear) {
    client_.backendSelection(sequence, std::string(), ui::Rect());
  } else {
    client_.backendSelection(sequence, selectionText_, selectionBounds_);
  }
}

bool RecordingWebBackend::simulateNavigation(const std::string& url, int type, bool userGesture) {
  if (!client_.backendShouldStart(url, type, userGesture)) return false;
  begin(url, true, userGesture);
  return true;
}

bool RecordingWebBackend::simulateFrameNavigation(const std::string& url, int type, bool userGesture) {
  return client_.backendShouldStart(url, type, userGesture);
}

void RecordingWebBackend::simulateRedirect(const std::string& url) {
  if (!loading_) return;
  currentUrl_ = url;
  if (!history_.empty()) history_[historyIndex_] = url;
  client_.backendMainFrameNavigated(url, loadByGesture_);
}

void RecordingWebBackend::finishLoad() {
  if (!loading_) return;
  loading_ = false;
  client_.backendDidFinish();
}

void RecordingWebBackend::failLoad(int code, const std::string& description) {
  if (!loading_) return;
  loading_ = false;
  client_.backendDidFail(code, description);
}

}  // namespace zu::web
