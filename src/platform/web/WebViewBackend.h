// WebViewBackend: what draws and loads for one WebView — the web engine (EngineWebBackend) or
// the recording stand-in that tests use (RecordingWebBackend). The WebView owns it and is its
// client; the WebView alone talks to the delegate, so the two behave the same to a screen.
//
// Threads: every call both ways happens on the main thread. A backend whose work runs
// elsewhere (the engine) carries results back to the main run loop itself, and drops them once
// it has been destroyed.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/ui/drawing/Geometry.h"

namespace zu::ui {
class Image;
}

namespace zu::web {

class NamedResources;

class WebViewBackendClient {
 public:
  virtual ~WebViewBackendClient() = default;
  // The page wants to navigate (a link, a form, a script, back or forward, reload): the
  // delegate's answer, true to load. `userGesture`: the reader's tap started it (see
  // WebViewDelegate).
  virtual bool backendShouldStart(const std::string& url, int type, bool userGesture) = 0;
  // The page's main frame came to `url` (see WebViewDelegate::didNavigateMainFrame); never a
  // frame's inside the page. `userGesture`: the navigation that came there was the reader's or
  // the client's own.
  virtual void backendMainFrameNavigated(const std::string& url, bool userGesture) = 0;
  virtual void backendDidStart() = 0;
  virtual void backendDidFinish() = 0;
  virtual void backendDidFail(int code, const std::string& description) = 0;
  // The result of script number `sequence` ("" when it gave no string or failed).
  virtual void backendScriptResult(uint64_t sequence, std::string result) = 0;
  // A new picture of the page, as large as the view in pixels (its scale: the screen's).
  virtual void backendFrame(std::shared_ptr<ui::Image> frame) = 0;
  // The page's document measures this many points as drawn, its zoom applied (after a load, and
  // whenever it or the zoom changes).
  virtual void backendContentSize(int width, int height) = 0;
  // The page's selection after select() number `sequence`: its text ("" when nothing is
  // selected) and its bounds in the view's points.
  virtual void backendSelection(uint64_t sequence, std::string text, ui::Rect bounds) = 0;
};

class WebViewBackend {
 public:
  virtual ~WebViewBackend() = default;

  // Loads already allowed by the delegate. `baseUrl` nullopt: the page is "about:blank".
  // `named`: the addresses the page names itself, the only ones it may get from the resource
  // provider's cache (null: none; see WebResourceProvider).
  virtual void loadHTMLString(const std::string& html, const std::optional<std::string>& baseUrl,
                              std::shared_ptr<const NamedResources> named) = 0;
  virtual void loadUrl(const std::string& url) = 0;
  virtual void stopLoading() = 0;
  virtual void reload() = 0;
  virtual void goBack() = 0;
  virtual void goForward() = 0;
  virtual bool canGoBack() const = 0;
  virtual bool canGoForward() const = 0;
  virtual void evaluateScript(uint64_t sequence, const std::string& js) = 0;
  // The view measures `width` × `height` points, drawn at `scale` pixels per point (the
  // screen's): the page is laid out in points and its pictures come at that density.
  virtual void setSize(int width, int height, float scale) = 0;
  // Lay pages out and zoom them by the phone's rule for a view that scales pages to fit, or
  // not (PageViewport).
  virtual void setScalesPageToFit(bool scales) = 0;
  // A finger on the page at (x, y) in the view's points: down, lifted (a tap: the page clicks there),
  // or taken away (cancelled: the scroll view took it for a drag).
  enum class Finger { kDown, kUp, kCancel };
  virtual void touch(Finger finger, int x, int y) = 0;
  // Text selection by the page's own rules (its words, its highlight), each step answered by
  // backendSelection with the same sequence: kWord selects the word under (x, y) (view points;
  // nothing when no text is there), kExtend moves the selection's far end to (x, y) keeping that
  // word selected, kClear selects nothing.
  enum class Selecting { kWord, kExtend, kClear };
  virtual void select(uint64_t sequence, Selecting step, int x, int y) = 0;
  // Scrolls the page's document so that its point (x, y), as drawn, is at the view's top left.
  virtual void scrollTo(int x, int y) = 0;
  // A page that keeps no cookies, cache or storage beyond itself; before the first load.
  virtual void setEphemeral(bool ephemeral) = 0;
  // Pages of one family share one web process (see WebView::setProcessFamily); before the
  // first load.
  virtual void setProcessFamily(const std::string& family) = 0;
};

}  // namespace zu::web
