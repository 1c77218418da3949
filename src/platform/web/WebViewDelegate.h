// WebViewDelegate: what a screen hears from its web view. Not retained by the view (a weak
// link). Every call arrives on the main thread on a later turn of the main run loop, never
// inside the WebView call that caused it, and none arrives after the view is gone.
//
// Order per load: shouldStartLoad (answered at once; NO loads nothing and nothing follows),
// then didStartLoad, then exactly one of didFinishLoad or didFailLoad. A page may ask
// shouldStartLoad again for its own navigations (links, forms, scripts changing the location,
// back and forward, reload) with the matching WebNavigationType — and so may a frame inside a
// page loaded from an address, without telling which frame asks (the engine does not say).
// What only the page itself may do — catch a callback address, hand an address to the system —
// belongs in didNavigateMainFrame, which comes for the page's own frame only, with each address
// it comes to. (In a page loaded from a string, frames cannot navigate at all: see WebView.)
//
// `userGesture` says whether the reader started the navigation: the engine reports that a tap on
// the page (or a script running for that tap) made it, and a server's redirect keeps the answer
// of the navigation it redirects. A load the client asks for itself (loadRequest,
// loadHTMLString) counts as the reader's. What a page does on its own — a timer, a script as it
// loads — never does: whatever may only follow the reader's tap (opening a screen, leaving the
// application) checks it. The engine runs the client's own scripts (WebView::evaluateScript) as
// if on a tap, so a page's function such a script calls (and a timer it sets right then) counts
// as the reader's: the client calls one only on the reader's command (the font size).
#pragma once

#include <string>

namespace zu::web {

class WebView;

class WebViewDelegate {
 public:
  virtual ~WebViewDelegate() = default;
  // `type` is a WebNavigationType (0 to 5). Default: every load is allowed.
  virtual bool shouldStartLoad(WebView& webView, const std::string& url, int type, bool userGesture) {
    (void)webView, (void)url, (void)type, (void)userGesture;
    return true;
  }
  // The page's own frame came to `url`: a load shouldStartLoad allowed reached it (its answer
  // arrived, a server's redirect led there, or it failed there), or the page moved within
  // itself (a fragment, the history API). A load the view itself was asked for comes at once.
  virtual void didNavigateMainFrame(WebView& webView, const std::string& url, bool userGesture) {
    (void)webView, (void)url, (void)userGesture;
  }
  virtual void didStartLoad(WebView& webView) { (void)webView; }
  virtual void didFinishLoad(WebView& webView) { (void)webView; }
  // `code` is the engine's error code (the stand-in's is the test's), `description` its text.
  virtual void didFailLoad(WebView& webView, int code, const std::string& description) {
    (void)webView, (void)code, (void)description;
  }
};

}  // namespace zu::web
