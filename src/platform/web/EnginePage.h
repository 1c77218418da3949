// EnginePage: one page in the web engine, living on the "web" thread: the engine's view with
// its fdo backend exporting frames in shared memory, the navigation questions it asks, its load
// events and its script results. Everything it reports goes to the main run loop and reaches
// its EngineWebBackend only while that still lives (the anchor).
//
// Loads that the WebView already asked the delegate about (loadHtml, loadUrl) are not asked
// again when the engine checks them; every other navigation is, with the engine's navigation
// type (which uses the phone's numbers) and whether the engine saw the reader's tap make it (its
// user gesture; the client's own loads, back, forward and reload count as the reader's). A
// navigation to a new window loads in this page when allowed. A failed load shows no error
// page. A response is shown only when the engine can show it and the server does not ask for
// it to be saved (Content-Disposition "attachment"); any other is refused, never downloaded, in
// the main frame (whose load then fails, the page staying as it was) or in a frame.
//
// Each address the main frame comes to is reported (backendMainFrameNavigated): the view's
// address as it changes (a load's answer or redirect, a move within the document, a load asked
// for) and the address of a load that failed before any answer (the engine reports no other
// frame's), with whether the navigation that came there was the reader's. The engine tells a
// redirect's address before asking about it (with the gesture of the navigation it redirects),
// so that report waits for the question, or for the load's next event. HTML loaded without a
// base URL gets the content security policy that seals its frames (kSealedFrames), first in
// the page or right after its doctype, which keeps a page that declares one in standards mode.
//
// Size and zoom: the engine's view is as large as the WebView in points, with the screen's scale
// as its device scale, so a page pixel is a point and frames come at the screen's density. The
// page is zoomed by the phone's rule (PageViewport) from the viewport its document asks for,
// which a script tells as soon as the document has one (and that it has none once the document
// is read; until a document has told, the page keeps its zoom); every position this page exchanges with the WebView — touches, scrolling, selection,
// the document's size — is in the view's points, the zoom applied here.
//
// Families: the pages opened with one family name share one web process (each new one is made
// related to a live one of the family); prewarm() keeps a warm page of the family, so the
// family's process runs before its first real page and stays for the run. The warm page draws a
// small document of text and a picture (kWarmDocument: no script, nothing fetched), which has
// its compositing context make its shaders, then loads an empty one; the family's next page
// takes over the warm page's engine view once that is done (the sizes the view still tells
// before the page's first load commits are dropped), so the reader's first page does not wait
// for them (with Mesa's llvmpipe, where there is no GPU, they are compiled in each context, in
// the web process, for tens of milliseconds). When the last page of a family closes with no
// warm page left, a new warm page takes its place before its view goes, in the same process.
// The views of a family are made one at a time (the fdo backend's web process can fail to set
// up a view's drawing when two come at once): a page that wants a view while the family's view
// made last has neither drawn a frame nor finished a load waits in line, for a few seconds at
// most, and what it is asked meanwhile waits with it (run()).
//
// When a page's web process ends (crashed, killed), the page shown comes back in a new one: the
// client's HTML loaded again, or the address shown reloaded when it came by GET or HEAD; at most
// twice after each load of the client's. A warm page whose process ended is given up.
//
// Web thread only (every method is posted there by the backend). Held by a shared_ptr; it keeps
// itself alive until the engine has let go of its view, since the engine may still send a
// frame after close().
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/web/EngineWebBackend.h"

typedef struct _WebKitWebView WebKitWebView;
typedef struct _WebKitPolicyDecision WebKitPolicyDecision;
typedef struct _WebKitResponsePolicyDecision WebKitResponsePolicyDecision;
typedef struct _WebKitUserContentManager WebKitUserContentManager;
struct wpe_view_backend_exportable_fdo;
struct wpe_fdo_shm_exported_buffer;
struct wl_shm_buffer;

namespace zu::web {

class NamedResources;

class EnginePage : public std::enable_shared_from_this<EnginePage> {
 public:
  explicit EnginePage(std::weak_ptr<EngineWebBackend::Anchor> anchor)
      : anchor_(std::move(anchor)) {}

  // Frames, objects and embeds of a page loaded from a string load nothing and cannot
  // navigate: its only navigations are its main frame's.
  static constexpr const char* kSealedFrames =
      "<meta http-equiv=\"Content-Security-Policy\" content=\"frame-src 'none'; "
      "object-src 'none'\">";

  // `width` × `height` points at `scale` pixels per point.
  void open(bool ephemeral, int width, int height, float scale, bool scalesPageToFit,
            const std::string& family);
  // Web thread: a warm page of `family`, kept until a page of the family takes its view
  // (nothing when the family has a live page already).
  static void prewarm(const std::string& family);
  // Web thread: whether a warm page of `family` is ready to be taken.
  static bool hasWarmPage(const std::string& family);
  // Runs `fn` now, or once the page has its view when it waits in line for one (see
  // openView); in the order given.
  void run(std::function<void(EnginePage&)> fn);
  // Stops the page: a page still in line for its view leaves it.
  void close();
  void loadHtml(const std::string& html, const std::optional<std::string>& baseUrl,
                std::shared_ptr<const NamedResources> named = nullptr);
  void loadUrl(const std::string& url);
  void stop();
  void reload();
  void goBack();
  void goForward();
  // The screen's script, in the page's own world, as no tap of the reader's (runScript).
  void evaluate(uint64_t sequence, const std::string& js);
  void setSize(int width, int height, float scale);
  void setScalesPageToFit(bool scales);
  // A finger that goes down and lifts clicks where it lifted; a cancelled one does nothing.
  void touch(WebViewBackend::Finger finger, int x, int y);
  void scrollTo(int x, int y);
  // One selection step (see WebViewBackend::select), run in the client's script world so the
  // page's scripts can neither see nor change how it selects, nor have their own code called by
  // it. Scrolling runs there too.
  void select(uint64_t sequence, WebViewBackend::Selecting step, int x, int y);

 private:
  // Runs the client's script `js` in the page's main frame, in the page's world or the client's
  // (ClientScriptMessage), as no tap of the reader's; `done` (may be null) gets its answer on
  // this thread, "" when there is no view or the engine gave none.
  void runScript(const std::string& js, bool inClientWorld, std::function<void(std::string)> done);
  // Runs `fn` on the main thread if the backend still lives then.
  void toMain(std::function<void(EngineWebBackend::Anchor&)> fn);
  // Posts the history state, then `fn`.
  void reportWithHistory(std::function<void(WebViewBackendClient&)> fn);
  bool decide(WebKitPolicyDecision* decision, int decisionType);
  // Shows a response only when the engine can and it is no attachment; never downloads.
  void decideResponse(WebKitResponsePolicyDecision* decision);
  // A load the WebView already allowed (or a new window's page) is about to start; whether it is
  // the reader's.
  void expectLoad(bool userGesture);
  void tellMainFrame(const std::string& url, bool userGesture);
  // Tells the address the main frame came to before the engine asked about it (as not the
  // reader's) when nothing came to tell better.
  void flushMainFrame();
  // Tells the backend the main frame came to `url` (once per change of address).
  void reportMainFrame(const std::string& url);
  void frameExported(wpe_fdo_shm_exported_buffer* buffer);
  // Zooms the page by the rule for the viewport it asked for and the view's width.
  void applyZoom();
  // A length in the view's points in page pixels.
  int toPage(int points) const;
  // Tells the backend the document's size, in points at the current zoom.
  void reportContentSize();

  static void onLoadChanged(WebKitWebView* view, int event, void* self);
  static void onUriChanged(WebKitWebView* view, void* property, void* self);
  static void onHistoryChanged(void* list, void* added, void* removed, void* self);
  static int onLoadFailed(WebKitWebView* view, int event, char* uri, void* error, void* self);
  static int onDecidePolicy(WebKitWebView* view, WebKitPolicyDecision* decision, int type,
                            void* self);
  static void onShmBuffer(void* owner, wpe_fdo_shm_exported_buffer* buffer);
  static void onContentSize(void* manager, void* result, void* self);
  static void onViewport(void* manager, void* result, void* self);
  static void onBackendDestroyed(void* owner);
  static void onProcessTerminated(WebKitWebView* view, int reason, void* self);

  // What a warm page draws: text and a picture on the page's ground, as an article has. And
  // what its view shows once drawn.
  static const char* const kWarmDocument;
  static const char* const kEmptyDocument;
  // A warm page of `family` that starts drawing its document.
  static void startWarmPage(const std::string& family, int width, int height, float scale);
  // A warm page's steps: its document loads and is seen drawn, then its view is emptied and
  // seen blank. A frame of the warm page tells what it shows.
  void advanceWarming();
  void warmFrame(wl_shm_buffer* shm);
  // The warm page of `family` whose view may be taken (drawn, then emptied), if any.
  static std::shared_ptr<EnginePage> readyWarmPage(const std::string& family);
  // A view of its own for this page (its size set), in its family's process if it has one: at
  // once, or for a family whose last view made is not yet settled, once it is (the page waits
  // in line, and what it is asked meanwhile waits with it: run()).
  void openView(bool ephemeral, const std::string& family);
  void makeView(bool ephemeral, const std::string& family);
  // This page's view drew or finished a load (or closed, or its process ended): the family's
  // next view may be made.
  void viewSettled();
  static void openNextView(const std::string& family);
  // The engine's view with its backend and script messages, connected to this page.
  void connectView();
  void disconnectView();
  // Takes over a warm page's view, drawn already, of `family`, at this page's size; false when
  // there is none.
  bool adoptWarmView(const std::string& family);
  // Makes a warm page of the family related to this page's view, when it is the family's last
  // page and there is no warm page.
  void keepFamilyWarm();

  // What the backend's frames and its end reach: the page that holds the view now (it passes
  // from a warm page to the page that takes its view). Freed when the engine lets go of the
  // backend.
  struct Owner {
    EnginePage* page;
  };

  std::weak_ptr<EngineWebBackend::Anchor> anchor_;
  Owner* owner_ = nullptr;
  // A warm page draws its document, then empties its view, and is then ready to be taken.
  enum class Warm { kNo, kDrawing, kEmptying, kReady };
  Warm warm_ = Warm::kNo;
  // The current load finished; a frame showed the warm document's ground, then one showed
  // nothing.
  bool finished_ = false;
  bool warmGroundDrawn_ = false;
  bool blankDrawn_ = false;
  // The view taken from a warm page shows the warm page's empty document until this page's
  // first load commits: the sizes it tells meanwhile are not this page's. (Its frames are
  // blank, like a new view's, and come apart from the engine's messages: they are shown.)
  bool beforeOwnDocument_ = false;
  // In line for a view of `waitingFamily_`, with what came for the page meanwhile.
  bool awaitingView_ = false;
  std::string waitingFamily_;
  std::vector<std::function<void(EnginePage&)>> deferred_;
  // What the page shows, to show it again when its web process ends: the client's HTML (none
  // after a load of an address), and whether the document shown came by GET or HEAD (the
  // methods of the navigations since the last commit, by address).
  struct ShownHtml {
    std::string html;
    std::optional<std::string> baseUrl;
    std::shared_ptr<const NamedResources> named;
  };
  std::optional<ShownHtml> shownHtml_;
  std::map<std::string, bool> navigationMethods_;
  bool shownBySafeMethod_ = true;
  // Reloads after the process ended, since the client's last load; at most kReloadsAfterEnd.
  static constexpr int kReloadsAfterEnd = 2;
  int reloadsAfterEnd_ = 0;
  // A warm page whose process ended: it closes without a warm page taking its place.
  bool processEnded_ = false;
  // Set while the engine holds the view: the page outlives close() until then.
  std::shared_ptr<EnginePage> keepAlive_;
  WebKitWebView* view_ = nullptr;
  std::string family_;
  WebKitUserContentManager* content_ = nullptr;
  wpe_view_backend_exportable_fdo* exportable_ = nullptr;
  // A load the WebView already allowed waits for the engine's check of it (the first
  // navigation of type "other" after the load call; the engine may have normalised its
  // address, so it is not compared).
  bool allowedLoadPending_ = false;
  // Whether that load is the reader's: the client's own loads are, a new window's page is when
  // the page opened it on the reader's tap. And whether its address was told already (the
  // engine tells a load's address as it is asked for, before its question).
  bool pendingLoadGesture_ = false;
  bool pendingLoadReported_ = false;
  // The client asked for a reload: the engine's next reload is its.
  bool clientReloadPending_ = false;
  // The client asked to go back or forward: the engine's next move in the history is its. The
  // engine moves in its list before it asks about a move to another document and asks nothing
  // about a move within the document (to an entry the page pushed), so the client's move ends
  // at the question or at the list's next move (the page's own).
  enum class ClientMove { kNone, kAsked, kMoved };
  ClientMove clientMove_ = ClientMove::kNone;
  // The navigation allowed last (any frame's), until the main frame comes to its address:
  // (address, made by the reader or the client).
  std::optional<std::pair<std::string, bool>> lastAllowed_;
  std::string lastMainFrameUrl_;
  // The main frame's address not yet told, waiting for the engine's question about it.
  std::string unaskedMainFrame_;
  bool failed_ = false;
  bool fingerDown_ = false;
  int width_ = 0;
  int height_ = 0;
  float scale_ = 1;
  bool scalesPageToFit_ = false;
  // The width the document's viewport asks for (none: nullopt), once a document has told it,
  // and the zoom applied.
  bool viewportTold_ = false;
  std::optional<float> declaredWidth_;
  double zoom_ = 1;
  // The document's size in page pixels, as last told.
  int documentWidth_ = -1;
  int documentHeight_ = -1;
};

}  // namespace zu::web
