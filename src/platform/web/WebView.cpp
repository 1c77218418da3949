#include "platform/web/WebView.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <set>

#include "platform/device/Pasteboard.h"
#include "platform/runtime/RunLoop.h"
#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/drawing/Screen.h"
#include "platform/ui/input/LongPressGestureRecognizer.h"
#include "platform/ui/text/MenuController.h"
#include "platform/ui/views/ScrollView.h"
#include "platform/web/EngineWebBackend.h"
#include "platform/web/PrivateResourceUrl.h"
#include "platform/web/RecordingWebBackend.h"
#include "platform/web/WebContentView.h"
#include "platform/web/WebNavigationType.h"
#include "platform/web/WebScrollView.h"
#include "platform/web/WebViewDelegate.h"

namespace zu::web {

namespace {

std::atomic<bool> gUseEngine{false};
std::atomic<bool> gPrewarmAllowed{false};

int wholePoints(float points) { return points > 0 ? static_cast<int>(points + 0.5f) : 0; }

// The engine draws at the screen's density.
float screenScale() { return ui::Screen::main().scale(); }

}  // namespace

std::string WebView::fileUrl(const std::filesystem::path& path) {
  return PrivateResourceUrl::forFile(path);
}

void WebView::setUseEngine(bool use) { gUseEngine = use; }
bool WebView::usesEngine() { return gUseEngine; }

void WebView::setPrewarmAllowed(bool allowed) { gPrewarmAllowed = allowed; }

void WebView::prewarm(const std::string& family) {
  if (!gPrewarmAllowed || !gUseEngine) return;
  static std::mutex mutex;
  static std::set<std::string> started;
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (!started.insert(family).second) return;
  }
  EngineWebBackend::prewarm(family);
}

WebView::WebView(const ui::Rect& frame) : View(frame) {
  if (gUseEngine) {
    backend_ = std::make_unique<EngineWebBackend>(*this);
  } else {
    auto recorder = std::make_unique<RecordingWebBackend>(*this);
    recorder_ = recorder.get();
    backend_ = std::move(recorder);
  }
  backend_->setSize(wholePoints(frame.size.width), wholePoints(frame.size.height), screenScale());
  setBackgroundColor(ui::Color::whiteColor());
  auto scrollView = std::make_shared<WebScrollView>(ui::Rect{{0, 0}, frame.size});
  scrollView->setAutoresizingMask(ui::kAutoresizingFlexibleWidth |
                                  ui::kAutoresizingFlexibleHeight);
  // The handlers reach this view only while it lives (they belong to its subviews).
  scrollView->setOffsetHandler([this](ui::Point) {
    const ui::Point offset = pageOffset();
    if (offset.x != sentOffset_.x || offset.y != sentOffset_.y) {
      sentOffset_ = offset;
      backend_->scrollTo(static_cast<int>(offset.x), static_cast<int>(offset.y));
    }
    setNeedsDisplay();
  });
  contentView_ = std::make_shared<WebContentView>(ui::Rect{{0, 0}, frame.size});
  contentView_->setTouchHandler([this](WebViewBackend::Finger finger, ui::Point point) {
    // From the document's coordinates to the view's, where the engine shows the page.
    const ui::Point offset = pageOffset();
    backend_->touch(finger, static_cast<int>(point.x - offset.x),
                    static_cast<int>(point.y - offset.y));
  });
  // A long press on the page selects; the recogniser belongs to the content, which this view
  // owns through the scroll view (its handler is cleared when this view goes).
  auto press = std::make_shared<ui::LongPressGestureRecognizer>();
  press->addTarget(this, [this](ui::GestureRecognizer& g) { onSelectionPress(g); });
  contentView_->addGestureRecognizer(press);
  scrollView->addSubview(contentView_);
  scrollView_ = scrollView;
  addSubview(scrollView_);
}

WebView::~WebView() {
  // The subviews may outlive this view (a screen may hold the scroll view): they must not call
  // back into it.
  std::static_pointer_cast<WebScrollView>(scrollView_)->setOffsetHandler(nullptr);
  contentView_->setTouchHandler(nullptr);
  for (const auto& recognizer : contentView_->gestureRecognizers()) recognizer->removeTarget(this);
}

void WebView::later(std::function<void(WebView&)> fn) {
  std::weak_ptr<Object> weak = weak_from_this();
  RunLoop::main()->post([weak, fn = std::move(fn)] {
    if (auto self = weak.lock()) fn(static_cast<WebView&>(*self));
  });
}

void WebView::askThenLoad(const std::string& url, std::function<void(WebViewBackend&)> load) {
  const uint64_t generation = ++loadGeneration_;
  later([url, generation, load = std::move(load)](WebView& view) {
    if (generation != view.loadGeneration_) return;
    auto delegate = view.delegate();
    // The client's own load: the reader's, as far as the delegate is concerned.
    if (delegate && !delegate->shouldStartLoad(view, url, kNavigationOther, true)) return;
    // The delegate may have loaded something else or stopped from inside its answer.
    if (generation != view.loadGeneration_) return;
    load(*view.backend_);
  });
}

void WebView::loadHTMLString(const std::string& html, const std::optional<std::string>& baseUrl,
                             std::shared_ptr<const NamedResources> named) {
  askThenLoad(baseUrl.value_or("about:blank"), [html, baseUrl, named = std::move(named)](WebViewBackend& backend) {
    backend.loadHTMLString(html, baseUrl, named);
  });
}

void WebView::loadRequest(const std::string& url) {
  askThenLoad(url, [url](WebViewBackend& backend) { backend.loadUrl(url); });
}

void WebView::setEphemeral(bool ephemeral) { backend_->setEphemeral(ephemeral); }

void WebView::setProcessFamily(const std::string& family) { backend_->setProcessFamily(family); }

void WebView::stopLoading() {
  ++loadGeneration_;
  backend_->stopLoading();
}

void WebView::reload() { backend_->reload(); }
void WebView::goBack() { backend_->goBack(); }
void WebView::goForward() { backend_->goForward(); }
bool WebView::canGoBack() const { return backend_->canGoBack(); }
bool WebView::canGoForward() const { return backend_->canGoForward(); }

void WebView::evaluateScript(const std::string& js, ScriptCallback callback) {
  const uint64_t sequence = nextScript_++;
  scriptCallbacks_[sequence] = std::move(callback);
  backend_->evaluateScript(sequence, js);
}

void WebView::setScalesPageToFit(bool scales) {
  scalesPageToFit_ = scales;
  backend_->setScalesPageToFit(scales);
}

ui::Point WebView::pageOffset() const {
  const ui::Point offset = scrollView_->contentOffset();
  const ui::Size content = scrollView_->contentSize();
  const ui::Size view = scrollView_->bounds().size;
  auto clamp = [](float value, float limit) {
    return std::max(0.f, std::min(value, std::max(0.f, limit)));
  };
  return {clamp(offset.x, content.width - view.width), clamp(offset.y, content.height - view.height)};
}

ui::Point WebView::viewportPoint(ui::Point point) const {
  const ui::Point offset = scrollView_->contentOffset();
  const ui::Point page = pageOffset();
  return {point.x - (page.x - offset.x), point.y - (page.y - offset.y)};
}

void WebView::layoutContent() {
  const ui::Size view = bounds().size;
  const ui::Size content{std::max(documentSize_.width, view.width),
                         std::max(documentSize_.height, view.height)};
  scrollView_->setContentSize(content);
  contentView_->setFrame(ui::Rect{{0, 0}, content});
}

void WebView::draw(ui::Canvas& canvas, const ui::Rect& rect) {
  View::draw(canvas, rect);
  if (!pageImage_) return;
  // The engine shows the page at pageOffset(); a pull past the edges moves the picture along.
  const ui::Point offset = scrollView_->contentOffset();
  const ui::Point page = pageOffset();
  canvas.drawImage(*pageImage_,
                   ui::Rect{{page.x - offset.x, page.y - offset.y}, bounds().size});
}

void WebView::boundsDidChange(const ui::Rect& oldBounds) {
  View::boundsDidChange(oldBounds);
  if (bounds().size.width != oldBounds.size.width ||
      bounds().size.height != oldBounds.size.height) {
    backend_->setSize(wholePoints(bounds().size.width), wholePoints(bounds().size.height), screenScale());
    layoutContent();
  }
}

bool WebView::backendShouldStart(const std::string& url, int type, bool userGesture) {
  auto delegate = this->delegate();
  return !delegate || delegate->shouldStartLoad(*this, url, type, userGesture);
}

void WebView::backendMainFrameNavigated(const std::string& url, bool userGesture) {
  later([url, userGesture](WebView& view) {
    if (auto delegate = view.delegate()) delegate->didNavigateMainFrame(view, url, userGesture);
  });
}

void WebView::backendDidStart() {
  loading_ = true;
  // A new page has nothing selected, and the menu over the old one's selection goes.
  selectedText_.clear();
  selectionBounds_ = ui::Rect();
  menuWanted_ = false;
  auto& menu = ui::MenuController::shared();
  if (menu.isMenuVisible() && menu.targetView().get() == this) menu.setMenuVisible(false);
  // A new page starts at its top (below a room a screen keeps at the top), until it tells its
  // size.
  documentSize_ = ui::Size();
  layoutContent();
  scrollView_->setContentOffset(scrollView_->minimumContentOffset());
  sentOffset_ = ui::Point{0, 0};
  later([](WebView& view) {
    if (auto delegate = view.delegate()) delegate->didStartLoad(view);
  });
}

void WebView::backendDidFinish() {
  loading_ = false;
  later([](WebView& view) {
    if (auto delegate = view.delegate()) delegate->didFinishLoad(view);
  });
}

void WebView::backendDidFail(int code, const std::string& description) {
  loading_ = false;
  later([code, description](WebView& view) {
    if (auto delegate = view.delegate()) delegate->didFailLoad(view, code, description);
  });
}

void WebView::backendScriptResult(uint64_t sequence, std::string result) {
  if (!scriptCallbacks_.count(sequence)) return;
  scriptResults_[sequence] = std::move(result);
  deliverScriptResults();
}

void WebView::deliverScriptResults() {
  // Results wait for every earlier script's, so callbacks run in call order.
  for (auto it = scriptResults_.find(nextScriptToDeliver_); it != scriptResults_.end();
       it = scriptResults_.find(nextScriptToDeliver_)) {
    auto callback = std::move(scriptCallbacks_[it->first]);
    scriptCallbacks_.erase(it->first);
    std::string result = std::move(it->second);
    scriptResults_.erase(it);
    ++nextScriptToDeliver_;
    if (callback) {
      later([callback = std::move(callback), result = std::move(result)](WebView&) {
        callback(result);
      });
    }
  }
}

void WebView::backendContentSize(int width, int height) {
  documentSize_ = ui::Size{static_cast<float>(width), static_cast<float>(height)};
  layoutContent();
}

// --- selection

void WebView::onSelectionPress(ui::GestureRecognizer& press) {
  // From the content's coordinates (the document's) to the view's, where the engine shows it.
  const ui::Point offset = pageOffset();
  const ui::Point inContent = press.locationInView(contentView_.get());
  const ui::Point point{inContent.x - offset.x, inContent.y - offset.y};
  switch (press.state()) {
    case ui::GestureState::Began:
      menuWanted_ = false;
      select(WebViewBackend::Selecting::kWord, point);
      break;
    case ui::GestureState::Changed:
      select(WebViewBackend::Selecting::kExtend, point);
      break;
    case ui::GestureState::Ended:
      menuWanted_ = true;
      if (selectionAnswered_ + 1 == nextSelection_) showSelectionMenu();
      break;
    default:
      break;
  }
}

void WebView::select(WebViewBackend::Selecting step, ui::Point point) {
  backend_->select(nextSelection_++, step, static_cast<int>(point.x), static_cast<int>(point.y));
}

void WebView::selectWordAt(ui::Point point) { select(WebViewBackend::Selecting::kWord, point); }

void WebView::extendSelectionTo(ui::Point point) { select(WebViewBackend::Selecting::kExtend, point); }

void WebView::clearSelection() {
  menuWanted_ = false;
  select(WebViewBackend::Selecting::kClear, ui::Point());
}

void WebView::backendSelection(uint64_t sequence, std::string text, ui::Rect bounds) {
  // Only the newest step's answer stands; an older one arriving late is dropped.
  if (sequence <= selectionAnswered_) return;
  selectionAnswered_ = sequence;
  selectedText_ = std::move(text);
  selectionBounds_ = bounds;
  if (menuWanted_ && sequence + 1 == nextSelection_) showSelectionMenu();
}

ui::Rect WebView::selectionRect() const {
  // The engine's viewport is the view, shifted by a pull past the page's edges.
  const ui::Point offset = scrollView_->contentOffset();
  const ui::Point page = pageOffset();
  return selectionBounds_.offsetBy(page.x - offset.x, page.y - offset.y);
}

void WebView::showSelectionMenu() {
  menuWanted_ = false;
  if (selectedText_.empty()) return;
  auto& menu = ui::MenuController::shared();
  menu.setTargetRect(selectionRect(), shared());
  menu.setMenuVisible(true);
}

bool WebView::canPerformAction(const std::string& action, Object*) {
  return action == "copy:" && !selectedText_.empty();
}

void WebView::performAction(const std::string& action, Object* sender) {
  if (canPerformAction(action, sender)) copySelection();
}

bool WebView::copySelection() {
  if (selectedText_.empty()) return false;
  Pasteboard::general().setString(selectedText_);
  return true;
}

void WebView::backendFrame(std::shared_ptr<ui::Image> frame) {
  pageImage_ = std::move(frame);
  setNeedsDisplay();
}

}  // namespace zu::web
