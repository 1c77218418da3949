#include "platform/web/EngineWebBackend.h"

#include <chrono>
#include <future>
#include <thread>

#include "platform/web/EnginePage.h"
#include "platform/web/WebEngine.h"

namespace zu::web {

namespace {

// Runs `fn` with the page on the web thread, in order (once the page has its view, when it
// waits for one: EnginePage::run); nothing when the engine could not start.
void onWebThread(const std::shared_ptr<EnginePage>& page, std::function<void(EnginePage&)> fn) {
  if (WebEngine* engine = WebEngine::shared()) {
    engine->post([page, fn = std::move(fn)]() mutable { page->run(std::move(fn)); });
  }
}

// The page's first and last commands, which never wait for its view.
void atOnce(const std::shared_ptr<EnginePage>& page, std::function<void(EnginePage&)> fn) {
  if (WebEngine* engine = WebEngine::shared()) {
    engine->post([page, fn = std::move(fn)] { fn(*page); });
  }
}

}  // namespace

void EngineWebBackend::prewarm(const std::string& family) {
  // Starting the engine takes a while: not on the main thread, which may go on drawing.
  std::thread([family] {
    if (WebEngine* engine = WebEngine::shared()) {
      engine->post([family] { EnginePage::prewarm(family); });
    }
  }).detach();
}

bool EngineWebBackend::hasWarmPage(const std::string& family) {
  WebEngine* engine = WebEngine::shared();
  if (!engine) return false;
  auto answer = std::make_shared<std::promise<bool>>();
  std::future<bool> answered = answer->get_future();
  engine->post([answer, family] { answer->set_value(EnginePage::hasWarmPage(family)); });
  // A parked engine answers nothing.
  if (answered.wait_for(std::chrono::seconds(5)) != std::future_status::ready) return false;
  return answered.get();
}

EngineWebBackend::EngineWebBackend(WebViewBackendClient& client)
    : anchor_(std::make_shared<Anchor>(Anchor{&client, this})) {}

EngineWebBackend::~EngineWebBackend() {
  anchor_.reset();  // events on their way find no backend
  if (page_) atOnce(page_, [](EnginePage& page) { page.close(); });
}

EnginePage& EngineWebBackend::page() {
  if (!page_) {
    page_ = std::make_shared<EnginePage>(anchor_);
    atOnce(page_, [ephemeral = ephemeral_, width = width_, height = height_, scale = scale_,
                         fit = scalesPageToFit_, family = family_](EnginePage& page) {
      page.open(ephemeral, width, height, scale, fit, family);
    });
  }
  return *page_;
}

bool EngineWebBackend::failWithoutEngine() {
  if (WebEngine::shared()) return false;
  anchor_->client->backendDidFail(kNoEngine, "the web engine cannot start");
  return true;
}

void EngineWebBackend::loadHTMLString(const std::string& html, const std::optional<std::string>& baseUrl,
                                      std::shared_ptr<const NamedResources> named) {
  if (failWithoutEngine()) return;
  page();
  onWebThread(page_, [html, baseUrl, named = std::move(named)](EnginePage& page) {
    page.loadHtml(html, baseUrl, named);
  });
}

void EngineWebBackend::loadUrl(const std::string& url) {
  if (failWithoutEngine()) return;
  page();
  onWebThread(page_, [url](EnginePage& page) { page.loadUrl(url); });
}

void EngineWebBackend::stopLoading() {
  if (page_) onWebThread(page_, [](EnginePage& page) { page.stop(); });
}

void EngineWebBackend::reload() {
  if (page_) onWebThread(page_, [](EnginePage& page) { page.reload(); });
}

void EngineWebBackend::goBack() {
  if (page_) onWebThread(page_, [](EnginePage& page) { page.goBack(); });
}

void EngineWebBackend::goForward() {
  if (page_) onWebThread(page_, [](EnginePage& page) { page.goForward(); });
}

void EngineWebBackend::evaluateScript(uint64_t sequence, const std::string& js) {
  if (!WebEngine::shared()) {
    anchor_->client->backendScriptResult(sequence, std::string());  // no engine: no result
    return;
  }
  page();
  onWebThread(page_, [sequence, js](EnginePage& page) { page.evaluate(sequence, js); });
}

void EngineWebBackend::touch(Finger finger, int x, int y) {
  if (page_) onWebThread(page_, [finger, x, y](EnginePage& page) { page.touch(finger, x, y); });
}

void EngineWebBackend::scrollTo(int x, int y) {
  if (page_) onWebThread(page_, [x, y](EnginePage& page) { page.scrollTo(x, y); });
}

void EngineWebBackend::select(uint64_t sequence, Selecting step, int x, int y) {
  if (!page_ || !WebEngine::shared()) {
    anchor_->client->backendSelection(sequence, std::string(), ui::Rect());  // no page: nothing selected
    return;
  }
  onWebThread(page_, [sequence, step, x, y](EnginePage& page) { page.select(sequence, step, x, y); });
}

void EngineWebBackend::setSize(int width, int height, float scale) {
  width_ = width;
  height_ = height;
  scale_ = scale;
  if (page_) {
    onWebThread(page_, [width, height, scale](EnginePage& page) { page.setSize(width, height, scale); });
  }
}

void EngineWebBackend::setScalesPageToFit(bool scales) {
  scalesPageToFit_ = scales;
  if (page_) onWebThread(page_, [scales](EnginePage& page) { page.setScalesPageToFit(scales); });
}

}  // namespace zu::web
