// WebView: a view that shows a web page — an HTML string the client built (an article) or a
// page loaded from an address — and runs small scripts in it. The page is loaded and drawn by
// a backend: the web engine once WebView::setUseEngine(true) was called (by the program that
// shows pages), otherwise the recording stand-in that tests drive (recorder()). Main thread only; made with
// std::make_shared like every view.
//
// Kept from the phone:
//  - Every load first asks the delegate shouldStartLoad with its address and type "other" (5);
//    an HTML string without a base URL asks about "about:blank". A refusal loads nothing and
//    nothing follows. Navigations the page starts itself ask with their own type (0 to 5).
//  - didStartLoad, then didFinishLoad or didFailLoad, on the main thread; stopLoading of a
//    running load fails it (the engine's "cancelled").
//  - evaluateScript(js, callback): the script's string result ("" for none). Callbacks come in
//    the order the scripts were given, whatever order the engine answers in.
//  - An opaque white background until a screen sets another (the engine paints nothing where
//    the page has no background, so a clear view shows what lies behind it).
//  - scrollView() is the view's scroll view and scrolls the page: its content is as large as the
//    page's document, drags move it with the kit's usual callbacks (a short page still bounces
//    vertically, so it can be pulled down) and the page follows its offset. A tap lands on the
//    page, which clicks there. A content inset leaves room around the page as a scroll view's
//    does: the page is drawn (and touched) shifted into the room while the offset is in it, and
//    a new page starts at its top below the room.
//  - scalesPageToFit (off by default): on, a page is laid out at the width its viewport meta
//    element asks for, or at 980 when it asks for none (a page written for a desktop screen),
//    and zoomed to the view's width; off, every page is laid out at the view's width and drawn
//    unscaled, a wider page showing its left part (PageViewport has the rule). Changing it
//    re-zooms the page shown.
//  - Text selection: a long press on the page selects the word under the finger (the engine's
//    words and highlight), moving the finger then stretches the selection from that word to it,
//    and lifting it shows the edit menu (MenuController) over the selection (under it near the
//    top). The menu asks this view first: a plain web view offers "copy:" while text is
//    selected (the selected text to the general pasteboard); a subclass answers for its own
//    items. A press where no text is shows nothing. A new page selects nothing and hides the
//    menu shown over the old one.
// Where we differ on purpose:
//  - Nothing reaches the delegate or a script callback inside the call that caused it: the
//    question about a load, its events and script results all come on later turns of the main
//    run loop, so no caller is re-entered from its own call, whichever call it is.
//  - A view that is freed, or told to stop or to load something else, while a load question or
//    a script answer is still pending delivers nothing for it and does not crash: no freed
//    delegate is called.
//  - A page pixel is a point whatever the screen's scale: the engine draws at the screen's
//    density (a double-density screen gets pictures of twice the pixels, and a page sees
//    devicePixelRatio 2), where the phone's pages mapped their pixels to the screen's with the
//    viewport's scale values. Only the viewport's width is taken (see PageViewport).
//  - A page that scrolls itself (a script, an anchor) is not followed by scrollView(); moves
//    past the page's edges shift its picture one to one (no rubber band).
//  - Sub-resources of pages the client builds come from the installed WebResourceProvider,
//    from its cache only those the page names itself (see there). The
//    engine refuses file:// in pages loaded from a string: a page the client builds shows files
//    of the bundle and the downloaded fonts under fileUrl(path), a scheme of our own that
//    answers nothing to other pages (WebEngine says what that scheme serves).
//  - The frames of a page loaded from a string are sealed: such a page (an article, written by
//    the service) gets a content security policy under which its frames, objects and embeds
//    load no address and navigate nowhere (only "about:blank" and "about:srcdoc" documents,
//    asked about like any navigation, can be in a frame), so every other navigation it asks
//    about is its main frame's. The phone asked about frames' navigations too, and an
//    article's page refused them all but "about:blank" anyway.
//  - didNavigateMainFrame tells the delegate each address the page's own frame comes to, which
//    the engine's navigation questions cannot tell apart from a frame's in a page loaded from
//    an address. Both tell whether the reader's tap made the navigation (WebViewDelegate), so a
//    screen can keep what only the reader may start from what a page does on its own.
//  - Nothing a page is answered is ever saved: a response the engine cannot show, or one the
//    server asks to be saved (an attachment), is refused, in the page's own frame (whose load
//    fails, the page staying as it was) and in its frames alike. The phone's web view had no
//    downloads; the engine's default would write into the desktop user's download folder.
//  - Web processes: each view has one of its own unless it joins a family (setProcessFamily):
//    the views of a family share one, so a screen of several pages costs one process. prewarm()
//    starts a family's process ahead of its first page, in an interactive run only, with a warm
//    page whose drawn view the family's next page takes (so it does not wait for the engine to
//    make its drawing context's shaders either).
//  - A page whose web process ends (it crashed, or was killed) comes back in a new one: the
//    HTML given again, or the address shown reloaded when it came by GET or HEAD (asked about
//    as a reload of the client's), at most twice after each load; the delegate hears the load
//    again.
//  - Sound and video play only after the reader's tap. evaluateScript runs as the page's own
//    code does, not as a tap: what a page's code does when the script sets it off (a getter
//    the page defined, an event) has no more power than the page has alone.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/ui/views/View.h"
#include "platform/web/WebViewBackend.h"

namespace zu::ui {
class GestureRecognizer;
class ScrollView;
}

namespace zu::web {

class NamedResources;
class RecordingWebBackend;
class WebContentView;
class WebViewDelegate;

class WebView : public ui::View, public WebViewBackendClient {
 public:
  using ScriptCallback = std::function<void(const std::string& result)>;

  explicit WebView(const ui::Rect& frame = ui::Rect());
  ~WebView() override;

  // The address under which a page loaded from a string shows a local file (of the bundle or
  // Library/Fonts; others are not served).
  static std::string fileUrl(const std::filesystem::path& path);

  // Which backend views made from now on use: the engine (true) or the stand-in (false, the
  // default).
  static void setUseEngine(bool use);
  static bool usesEngine();

  void setDelegate(std::weak_ptr<WebViewDelegate> delegate) { delegate_ = std::move(delegate); }
  std::shared_ptr<WebViewDelegate> delegate() const { return delegate_.lock(); }

  // A page that shares no cookies or storage with the others (the authorisation page); call
  // before the first load.
  void setEphemeral(bool ephemeral);
  // The views of one family (a screen's pages: the article browser's) share one web process
  // while any of them lives; an ephemeral view keeps its own. Call before the first load.
  void setProcessFamily(const std::string& family);
  // Starts the engine and a web process for `family` now, off the main thread, so that the
  // family's first page does not wait for them; the process is then kept for the run. Does
  // nothing unless allowed: only an interactive run (a window, no snapshots) allows it, and a
  // test only for a family of its own.
  static void prewarm(const std::string& family);
  static void setPrewarmAllowed(bool allowed);

  // `named`: the addresses the page names itself (its pictures, style sheets, scripts), the
  // only ones it may get from the resource provider's cache; null: none.
  void loadHTMLString(const std::string& html, const std::optional<std::string>& baseUrl,
                      std::shared_ptr<const NamedResources> named = nullptr);
  void loadRequest(const std::string& url);
  // Drops a load still waiting for its question, and stops the engine's.
  void stopLoading();
  void reload();
  void goBack();
  void goForward();
  bool canGoBack() const;
  bool canGoForward() const;
  // True from didStartLoad (sent or still to be sent) to didFinishLoad or didFailLoad.
  bool isLoading() const { return loading_; }

  void evaluateScript(const std::string& js, ScriptCallback callback = nullptr);

  bool scalesPageToFit() const { return scalesPageToFit_; }
  void setScalesPageToFit(bool scales);
  const std::shared_ptr<ui::ScrollView>& scrollView() const { return scrollView_; }
  // The point of the page's viewport (where its scripts measure: elementFromPoint) under `point`
  // of this view: the page is shown shifted while pulled past its edges or in a content inset.
  ui::Point viewportPoint(ui::Point point) const;

  // The selected text ("" when none) and where it lies in the view, as the page last told.
  const std::string& selectedText() const { return selectedText_; }
  ui::Rect selectionRect() const;
  // The long press that selects; its steps, for code that drives the view by hand.
  void selectWordAt(ui::Point point);
  void extendSelectionTo(ui::Point point);
  void clearSelection();
  // Escape hiding the edit menu: the selection ends (clearSelection).
  void endSelection() override { clearSelection(); }

  bool canPerformAction(const std::string& action, Object* sender) override;
  void performAction(const std::string& action, Object* sender) override;
  // The selected text to the general pasteboard, as "copy:" does; false when none is selected.
  bool copySelection() override;

  // The last picture of the page, null before the first.
  const std::shared_ptr<ui::Image>& pageImage() const { return pageImage_; }
  // The stand-in driving this view, or null when the engine does.
  RecordingWebBackend* recorder() const { return recorder_; }

  void draw(ui::Canvas& canvas, const ui::Rect& rect) override;

  std::string className() const override { return "WebView"; }

  // WebViewBackendClient.
  bool backendShouldStart(const std::string& url, int type, bool userGesture) override;
  void backendMainFrameNavigated(const std::string& url, bool userGesture) override;
  void backendDidStart() override;
  void backendDidFinish() override;
  void backendDidFail(int code, const std::string& description) override;
  void backendScriptResult(uint64_t sequence, std::string result) override;
  void backendFrame(std::shared_ptr<ui::Image> frame) override;
  void backendContentSize(int width, int height) override;
  void backendSelection(uint64_t sequence, std::string text, ui::Rect bounds) override;

 protected:
  void boundsDidChange(const ui::Rect& oldBounds) override;

 private:
  // Asks the delegate about `url` on a later turn and, when allowed and no newer load or stop
  // came meanwhile, runs `load`.
  void askThenLoad(const std::string& url, std::function<void(WebViewBackend&)> load);
  // Runs `fn` with this view on a later turn of the main loop, unless the view is gone.
  void later(std::function<void(WebView&)> fn);
  void deliverScriptResults();
  // The scroll view's offset kept inside the page (where the engine's document can be).
  ui::Point pageOffset() const;
  // Sizes the scroll view's content to the document, at least the view's bounds.
  void layoutContent();
  void select(WebViewBackend::Selecting step, ui::Point point);
  void onSelectionPress(ui::GestureRecognizer& press);
  // Shows the edit menu over the selection, when there is one.
  void showSelectionMenu();

  std::unique_ptr<WebViewBackend> backend_;
  RecordingWebBackend* recorder_ = nullptr;
  std::weak_ptr<WebViewDelegate> delegate_;
  std::shared_ptr<ui::ScrollView> scrollView_;
  std::shared_ptr<WebContentView> contentView_;
  ui::Size documentSize_;
  // The page's scroll position last sent to the backend.
  ui::Point sentOffset_;
  std::shared_ptr<ui::Image> pageImage_;
  bool scalesPageToFit_ = false;
  bool loading_ = false;
  // Bumped by every load and stop, so a load question answered late is dropped.
  uint64_t loadGeneration_ = 0;
  uint64_t nextScript_ = 1;
  uint64_t nextScriptToDeliver_ = 1;
  std::map<uint64_t, ScriptCallback> scriptCallbacks_;
  std::map<uint64_t, std::string> scriptResults_;
  // Selection steps: the newest asked, the newest answered; what the page answered last.
  uint64_t nextSelection_ = 1;
  uint64_t selectionAnswered_ = 0;
  std::string selectedText_;
  ui::Rect selectionBounds_;
  // The finger lifted: the menu shows once the last step is answered.
  bool menuWanted_ = false;
};

}  // namespace zu::web
