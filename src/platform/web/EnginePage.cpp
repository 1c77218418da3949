#include "platform/web/EnginePage.h"

#include <wayland-server.h>
#include <wpe/fdo.h>
#include <wpe/unstable/fdo-shm.h>
#include <wpe/webkit.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <set>
#include <string_view>
#include <vector>

#include "platform/runtime/RunLoop.h"
#include "platform/ui/images/Image.h"
#include "platform/web/ClientScriptMessage.h"
#include "platform/web/PageViewport.h"
#include "platform/web/WebEngine.h"

namespace zu::web {

namespace {

// The reply to a client script (ClientScriptMessage): its value as the phone's string, "" for
// undefined, null and failures.
std::string scriptReplyText(WebKitWebView* view, GAsyncResult* result) {
  GError* error = nullptr;
  WebKitUserMessage* reply = webkit_web_view_send_message_to_page_finish(view, result, &error);
  if (!reply) {
    g_error_free(error);
    return std::string();
  }
  std::string text;
  GVariant* parameters = webkit_user_message_get_parameters(reply);
  if (parameters && g_variant_is_of_type(parameters, G_VARIANT_TYPE("(s)"))) {
    const gchar* value = nullptr;
    g_variant_get(parameters, "(&s)", &value);
    text = value ? value : "";
  }
  g_object_unref(reply);
  return text;
}

// Whether a Content-Disposition header asks for the answer to be saved: its first part, before
// any ";", is "attachment" in any letter case (as the engine reads it).
bool isAttachment(const char* disposition) {
  if (!disposition) return false;
  std::string_view value(disposition);
  value = value.substr(0, value.find(';'));
  const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!value.empty() && space(value.front())) value.remove_prefix(1);
  while (!value.empty() && space(value.back())) value.remove_suffix(1);
  return value.size() == 10 && g_ascii_strncasecmp(value.data(), "attachment", 10) == 0;
}

// Posts "width,height" of the document when the page's root or body changes size.
constexpr const char* kContentSizeScript = R"(
(function() {
  var root = document.documentElement, last = '';
  function send() {
    var body = document.body;
    var size = Math.max(root.scrollWidth, body ? body.scrollWidth : 0) + ',' +
               Math.max(root.scrollHeight, body ? body.scrollHeight : 0);
    if (size === last) return;
    last = size;
    window.webkit.messageHandlers.zuContentSize.postMessage(size);
  }
  var observer = new ResizeObserver(send);
  observer.observe(root);
  if (document.body) observer.observe(document.body);
  send();
})();)";

// Posts the content of the document's viewport meta element (the last one; null when it has
// none) as soon as the parser or a script gives it one or changes it, and once the document has
// been read (null then when it has none; not before, when other elements of the head come
// first), so the page is zoomed as early as it can be, and once.
constexpr const char* kViewportScript = R"(
(function() {
  var sent;
  function send(read) {
    var metas = document.querySelectorAll('meta[name="viewport" i]');
    var content = metas.length ? (metas[metas.length - 1].getAttribute('content') || '') : null;
    if (content === sent || (content === null && sent === undefined && read !== true)) return;
    sent = content;
    window.webkit.messageHandlers.zuViewport.postMessage(content);
  }
  function touchesMeta(node) {
    return node.nodeName === 'META' || (node.querySelector && node.querySelector('meta'));
  }
  new MutationObserver(function(records) {
    for (var i = 0; i < records.length; ++i) {
      var r = records[i];
      if (r.type === 'attributes' ? r.target.nodeName === 'META'
          : Array.prototype.some.call(r.addedNodes, touchesMeta) ||
            Array.prototype.some.call(r.removedNodes, touchesMeta)) {
        send();
        return;
      }
    }
  }).observe(document, {childList: true, subtree: true, attributes: true,
                        attributeFilter: ['name', 'content']});
  document.addEventListener('DOMContentLoaded', function() { send(true); });
})();)";

// The live pages of each family, on the web thread.
std::map<std::string, std::vector<EnginePage*>>& families() {
  static std::map<std::string, std::vector<EnginePage*>> map;
  return map;
}

// The families prewarmed, which keep a warm page whenever they have no other.
std::set<std::string>& warmFamilies() {
  static std::set<std::string> names;
  return names;
}

// The views of a family are made one at a time: the web process sets up each view's drawing
// target as it comes, and two made at once can bring it down. The view made last holds the
// gate until it has drawn its first frame or finished a load, or for kGateSeconds at most; the
// pages that want a view meanwhile wait in line.
struct ViewGate {
  EnginePage* opening = nullptr;
  uint64_t serial = 0;  // tells a cap's timer whether it is still the one that counts
  std::deque<std::shared_ptr<EnginePage>> waiting;
};
constexpr unsigned kGateSeconds = 3;

std::map<std::string, ViewGate>& gates() {
  static std::map<std::string, ViewGate> map;
  return map;
}

// Pages kept only to hold a family's web process.
std::vector<std::shared_ptr<EnginePage>>& warmPages() {
  static std::vector<std::shared_ptr<EnginePage>> pages;
  return pages;
}


// One selection step: the word under a point (by the engine's own word breaking, on the text
// node under the point, and only when a character of it is under the point), or the selection
// stretched from that word to a point, or none. Answers "left,top,width,height\ntext" of the
// selection in viewport pixels, or "" when nothing is selected. Called as (step, x, y).
constexpr const char* kSelectionScript = R"((function (step, x, y) {
  var sel = window.getSelection();
  function answer() {
    if (!sel.rangeCount || sel.isCollapsed) return '';
    var r = sel.getRangeAt(0).getBoundingClientRect();
    return [r.left, r.top, r.width, r.height].join(',') + '\n' + sel.toString();
  }
  if (step === 2) { sel.removeAllRanges(); window.zuWord = null; return ''; }
  var caret = document.caretRangeFromPoint(x, y);
  if (step === 1) {
    var word = window.zuWord;
    if (!word || !caret) return answer();
    var node = caret.startContainer, offset = caret.startOffset;
    try {
      var where = word.comparePoint(node, offset);
      if (where < 0) sel.setBaseAndExtent(word.endContainer, word.endOffset, node, offset);
      else if (where > 0) sel.setBaseAndExtent(word.startContainer, word.startOffset, node, offset);
      else sel.setBaseAndExtent(word.startContainer, word.startOffset, word.endContainer, word.endOffset);
    } catch (e) {}
    return answer();
  }
  window.zuWord = null;
  sel.removeAllRanges();
  if (!caret || caret.startContainer.nodeType !== Node.TEXT_NODE) return '';
  var text = caret.startContainer, data = text.data;
  function covers(start, end) {
    var range = document.createRange();
    range.setStart(text, start);
    range.setEnd(text, end);
    var boxes = range.getClientRects();
    for (var i = 0; i < boxes.length; ++i) {
      var b = boxes[i];
      if (x >= b.left - 1 && x <= b.right + 1 && y >= b.top - 1 && y <= b.bottom + 1) return true;
    }
    return false;
  }
  var at = -1;
  [caret.startOffset, caret.startOffset - 1].forEach(function (i) {
    if (at < 0 && i >= 0 && i < data.length && covers(i, i + 1)) at = i;
  });
  if (at < 0) return '';
  var start = at, end = at + 1;
  if (window.Intl && Intl.Segmenter) {
    var segment = new Intl.Segmenter('zh', {granularity: 'word'}).segment(data).containing(at);
    if (!segment || !segment.isWordLike) return '';
    start = segment.index;
    end = segment.index + segment.segment.length;
  } else {
    var letter = /[\p{L}\p{N}_]/u;
    if (!letter.test(data[at])) return '';
    while (start > 0 && letter.test(data[start - 1])) --start;
    while (end < data.length && letter.test(data[end])) ++end;
  }
  var chosen = document.createRange();
  chosen.setStart(text, start);
  chosen.setEnd(text, end);
  sel.addRange(chosen);
  window.zuWord = chosen.cloneRange();
  return answer();
}))";

// "left,top,width,height\ntext" into the text and its bounds; nothing selected otherwise.
std::pair<std::string, ui::Rect> parseSelection(const std::string& answer) {
  const size_t newline = answer.find('\n');
  float l = 0, t = 0, w = 0, h = 0;
  if (newline == std::string::npos ||
      std::sscanf(answer.substr(0, newline).c_str(), "%f,%f,%f,%f", &l, &t, &w, &h) != 4) {
    return {std::string(), ui::Rect()};
  }
  return {answer.substr(newline + 1), ui::Rect(l, t, w, h)};
}

// `html` with the policy that seals its frames parsed before anything of the page's own, so it
// holds for all of it: right after a leading doctype, which must stay first (anything before it
// puts the page in quirks mode), else at the very start.
std::string sealed(const std::string& html) {
  size_t at = html.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  at = html.find_first_not_of(" \t\n\r\f", at);
  constexpr std::string_view kDoctype = "<!doctype";
  if (at != std::string::npos && html.size() - at >= kDoctype.size() &&
      g_ascii_strncasecmp(html.c_str() + at, kDoctype.data(), kDoctype.size()) == 0) {
    const size_t end = html.find('>', at);
    if (end != std::string::npos) {
      return html.substr(0, end + 1) + EnginePage::kSealedFrames + html.substr(end + 1);
    }
  }
  return std::string(EnginePage::kSealedFrames) + html;
}


}  // namespace

// The warm document's ground (its body's background, opaque, as the engine's frames hold it).
constexpr uint32_t kWarmGround = 0xfff7f7f7u;

const char* const EnginePage::kEmptyDocument = "<!doctype html><html><body></body></html>";

const char* const EnginePage::kWarmDocument =
    "<!doctype html><html><head><meta name=\"viewport\" content=\"width=device-width\"></head>"
    "<body style=\"margin:0;padding:12px;background:#f7f7f7;color:#222;font:17px sans-serif\">"
    "<h1 style=\"font-size:24px\">\u6807\u9898 Title</h1><p>\u6b63\u6587 text.</p>"
    "<img width=\"296\" height=\"180\" alt=\"\" src=\"data:image/png;base64,"
    "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8BQDwAEhQGAhKmMIQAAAABJRU5ErkJggg==\">"
    "<p>\u6b63\u6587 text.</p></body></html>";

void EnginePage::toMain(std::function<void(EngineWebBackend::Anchor&)> fn) {
  RunLoop::main()->post([anchor = anchor_, fn = std::move(fn)] {
    if (auto live = anchor.lock()) fn(*live);
  });
}

void EnginePage::reportWithHistory(std::function<void(WebViewBackendClient&)> fn) {
  const bool back = view_ && webkit_web_view_can_go_back(view_);
  const bool forward = view_ && webkit_web_view_can_go_forward(view_);
  toMain([back, forward, fn = std::move(fn)](EngineWebBackend::Anchor& anchor) {
    anchor.backend->setHistory(back, forward);
    if (fn) fn(*anchor.client);
  });
}

void EnginePage::prewarm(const std::string& family) {
  if (family.empty()) return;
  warmFamilies().insert(family);
  if (!families()[family].empty()) return;
  // The phone's screen in points; the page that takes the view gives it its own size.
  startWarmPage(family, 320, 480, 1);
}

void EnginePage::startWarmPage(const std::string& family, int width, int height, float scale) {
  auto page = std::make_shared<EnginePage>(std::weak_ptr<EngineWebBackend::Anchor>());
  page->width_ = width;
  page->height_ = height;
  page->scale_ = scale;
  page->warm_ = Warm::kDrawing;
  page->openView(false, family);
  page->run([](EnginePage& warm) { warm.loadHtml(kWarmDocument, std::nullopt); });
  warmPages().push_back(std::move(page));
}

void EnginePage::open(bool ephemeral, int width, int height, float scale, bool scalesPageToFit,
                      const std::string& family) {
  if (!WebEngine::shared()) return;
  width_ = std::max(width, 1);
  height_ = std::max(height, 1);
  scale_ = scale > 0 ? scale : 1;
  scalesPageToFit_ = scalesPageToFit;
  if (!ephemeral && !family.empty() && adoptWarmView(family)) return;
  openView(ephemeral, family);
}

void EnginePage::run(std::function<void(EnginePage&)> fn) {
  if (awaitingView_) {
    deferred_.push_back(std::move(fn));
  } else {
    fn(*this);
  }
}

void EnginePage::openView(bool ephemeral, const std::string& family) {
  if (ephemeral || family.empty()) {
    makeView(ephemeral, family);
    return;
  }
  ViewGate& gate = gates()[family];
  if (gate.opening) {
    awaitingView_ = true;
    waitingFamily_ = family;
    gate.waiting.push_back(shared_from_this());
    return;
  }
  gate.opening = this;
  const uint64_t serial = ++gate.serial;
  makeView(false, family);
  // The cap: a view that never draws nor loads does not hold the others for ever.
  struct Cap {
    std::string family;
    uint64_t serial;
  };
  g_timeout_add_seconds_full(
      G_PRIORITY_DEFAULT, kGateSeconds,
      [](gpointer data) -> gboolean {
        const auto* cap = static_cast<Cap*>(data);
        if (gates()[cap->family].serial == cap->serial) openNextView(cap->family);
        return G_SOURCE_REMOVE;
      },
      new Cap{family, serial}, [](gpointer data) { delete static_cast<Cap*>(data); });
}

void EnginePage::viewSettled() {
  if (family_.empty()) return;
  auto found = gates().find(family_);
  if (found != gates().end() && found->second.opening == this) openNextView(family_);
}

void EnginePage::openNextView(const std::string& family) {
  ViewGate& gate = gates()[family];
  gate.opening = nullptr;
  ++gate.serial;
  if (gate.waiting.empty()) return;
  std::shared_ptr<EnginePage> next = std::move(gate.waiting.front());
  gate.waiting.pop_front();
  next->awaitingView_ = false;
  next->waitingFamily_.clear();
  next->openView(false, family);
  // What came for the page meanwhile, in order (it may wait again: nothing runs out of turn).
  auto deferred = std::move(next->deferred_);
  next->deferred_.clear();
  for (auto& fn : deferred) next->run(std::move(fn));
}

void EnginePage::makeView(bool ephemeral, const std::string& family) {
  WebEngine* engine = WebEngine::shared();
  if (!engine) return;
  static const wpe_view_backend_exportable_fdo_client client = {
      nullptr, nullptr, &EnginePage::onShmBuffer, nullptr, nullptr};
  owner_ = new Owner{this};
  exportable_ = wpe_view_backend_exportable_fdo_create(&client, owner_, width_, height_);
  wpe_view_backend* wpeBackend = wpe_view_backend_exportable_fdo_get_view_backend(exportable_);
  keepAlive_ = shared_from_this();
  WebKitWebViewBackend* backend =
      webkit_web_view_backend_new(wpeBackend, &EnginePage::onBackendDestroyed, owner_);
  // Every page tells us its document's size, now and whenever it changes.
  WebKitUserContentManager* content = webkit_user_content_manager_new();
  webkit_user_content_manager_register_script_message_handler(content, "zuContentSize");
  WebKitUserScript* script = webkit_user_script_new(
      kContentSizeScript, WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
      WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_END, nullptr, nullptr);
  webkit_user_content_manager_add_script(content, script);
  webkit_user_script_unref(script);
  // And the viewport its document asks for, which sets its zoom.
  webkit_user_content_manager_register_script_message_handler(content, "zuViewport");
  script = webkit_user_script_new(kViewportScript, WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
                                  WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
  webkit_user_content_manager_add_script(content, script);
  webkit_user_script_unref(script);
  // A page of a family goes into the web process of a live page of that family.
  WebKitWebView* related = nullptr;
  if (!ephemeral && !family.empty()) {
    auto& members = families()[family];
    for (EnginePage* member : members) {
      if (member->view_) related = member->view_;
    }
    members.push_back(this);
    family_ = family;
  }
  if (related) {
    view_ = WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "backend", backend, "related-view",
                                         related, "user-content-manager", content, nullptr));
  } else if (ephemeral) {
    // The shared context's website data are in memory too, but shared by its views: this one
    // gets a context of its own, which it neither reads from nor leaves anything in.
    WebKitWebContext* own = engine->newEphemeralContext();
    view_ = WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "backend", backend, "web-context",
                                         own, "user-content-manager", content, nullptr));
    g_object_unref(own);
  } else {
    view_ = WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "backend", backend, "web-context",
                                         engine->context(), "user-content-manager", content,
                                         nullptr));
  }
  content_ = content;
  // Heard by the engine only once its view has taken the backend.
  wpe_view_backend_dispatch_set_device_scale_factor(wpeBackend, scale_);
  wpe_view_backend_add_activity_state(wpeBackend, wpe_view_activity_state_visible |
                                                      wpe_view_activity_state_focused |
                                                      wpe_view_activity_state_in_window);
  // Transparent where the page paints nothing, so the view's own background shows, as on the
  // phone.
  WebKitColor clear = {0, 0, 0, 0};
  webkit_web_view_set_background_color(view_, &clear);
  // Sound and video play only after the reader's tap, as on the phone.
  webkit_settings_set_media_playback_requires_user_gesture(webkit_web_view_get_settings(view_), TRUE);
  connectView();
}

void EnginePage::connectView() {
  g_signal_connect(content_, "script-message-received::zuContentSize",
                   G_CALLBACK(&EnginePage::onContentSize), this);
  g_signal_connect(content_, "script-message-received::zuViewport",
                   G_CALLBACK(&EnginePage::onViewport), this);
  g_signal_connect(view_, "load-changed", G_CALLBACK(&EnginePage::onLoadChanged), this);
  g_signal_connect(view_, "notify::uri", G_CALLBACK(&EnginePage::onUriChanged), this);
  g_signal_connect(view_, "load-failed", G_CALLBACK(&EnginePage::onLoadFailed), this);
  g_signal_connect(view_, "decide-policy", G_CALLBACK(&EnginePage::onDecidePolicy), this);
  g_signal_connect(view_, "web-process-terminated", G_CALLBACK(&EnginePage::onProcessTerminated), this);
  g_signal_connect(webkit_web_view_get_back_forward_list(view_), "changed",
                   G_CALLBACK(&EnginePage::onHistoryChanged), this);
}

void EnginePage::disconnectView() {
  g_signal_handlers_disconnect_by_data(view_, this);
  g_signal_handlers_disconnect_by_data(webkit_web_view_get_back_forward_list(view_), this);
  g_signal_handlers_disconnect_by_data(content_, this);
}

void EnginePage::advanceWarming() {
  if (warm_ == Warm::kDrawing && warmGroundDrawn_ && finished_) {
    // Drawn: its shaders are made. The view is emptied again, so whatever it may still show
    // before the next page's document is nothing (the same address: no entry in its history).
    warm_ = Warm::kEmptying;
    finished_ = false;
    loadHtml(kEmptyDocument, std::nullopt);
  } else if (warm_ == Warm::kEmptying && finished_ && blankDrawn_) {
    warm_ = Warm::kReady;
  }
}

void EnginePage::warmFrame(wl_shm_buffer* shm) {
  // The pixel near the top left corner: the warm document's ground, or nothing once emptied.
  if (wl_shm_buffer_get_width(shm) <= 2 || wl_shm_buffer_get_height(shm) <= 2 ||
      wl_shm_buffer_get_format(shm) != WL_SHM_FORMAT_ARGB8888) {
    return;
  }
  uint32_t corner = 0;
  wl_shm_buffer_begin_access(shm);
  const auto* row = static_cast<const uint8_t*>(wl_shm_buffer_get_data(shm)) + 2 * wl_shm_buffer_get_stride(shm);
  std::memcpy(&corner, row + 2 * 4, sizeof corner);
  wl_shm_buffer_end_access(shm);
  const bool ground = corner == kWarmGround;
  const bool blank = (corner >> 24) == 0;
  if (warm_ == Warm::kDrawing && ground && !warmGroundDrawn_) {
    warmGroundDrawn_ = true;
  } else if (warm_ == Warm::kEmptying && blank && !blankDrawn_) {
    blankDrawn_ = true;
  } else {
    return;
  }
  // The next step may load: not from inside the backend's callback.
  if (WebEngine* engine = WebEngine::shared()) engine->post([self = shared_from_this()] { self->advanceWarming(); });
}

std::shared_ptr<EnginePage> EnginePage::readyWarmPage(const std::string& family) {
  for (const auto& page : warmPages()) {
    if (page->family_ == family && page->view_ && page->warm_ == Warm::kReady) return page;
  }
  return nullptr;
}

bool EnginePage::hasWarmPage(const std::string& family) { return readyWarmPage(family) != nullptr; }

bool EnginePage::adoptWarmView(const std::string& family) {
  std::shared_ptr<EnginePage> from = readyWarmPage(family);
  if (!from) return false;
  auto& warm = warmPages();
  warm.erase(std::remove(warm.begin(), warm.end(), from), warm.end());
  from->disconnectView();
  view_ = std::exchange(from->view_, nullptr);
  content_ = std::exchange(from->content_, nullptr);
  exportable_ = std::exchange(from->exportable_, nullptr);
  owner_ = std::exchange(from->owner_, nullptr);
  owner_->page = this;
  keepAlive_ = shared_from_this();
  from->keepAlive_.reset();
  zoom_ = from->zoom_;
  family_ = family;
  auto& members = families()[family];
  std::replace(members.begin(), members.end(), from.get(), this);
  from->family_.clear();
  beforeOwnDocument_ = true;
  connectView();
  // This page's size and density (setSize tells the engine the density only when it changes).
  const float scale = std::exchange(scale_, from->scale_);
  setSize(width_, height_, scale);
  return true;
}

void EnginePage::keepFamilyWarm() {
  if (family_.empty() || !view_ || !warmFamilies().count(family_)) return;
  const auto& members = families()[family_];
  if (members.size() != 1 || members.front() != this) return;
  for (const auto& page : warmPages()) {
    if (page->family_ == family_) return;
  }
  startWarmPage(family_, width_, height_, scale_);
}

void EnginePage::close() {
  if (awaitingView_) {
    // Still in line for a view: it leaves the line and never gets one.
    auto& waiting = gates()[waitingFamily_].waiting;
    waiting.erase(std::remove_if(waiting.begin(), waiting.end(), [this](const auto& page) { return page.get() == this; }),
                  waiting.end());
    awaitingView_ = false;
    deferred_.clear();
    return;
  }
  viewSettled();
  // A family whose last page closes keeps a warm page in its process, made before this view
  // goes (not when its process ended: the next page makes its own).
  if (!processEnded_) keepFamilyWarm();
  if (!family_.empty()) {
    auto& members = families()[family_];
    members.erase(std::remove(members.begin(), members.end(), this), members.end());
  }
  if (!view_) return;
  disconnectView();
  g_object_unref(content_);
  content_ = nullptr;
  webkit_web_view_stop_loading(view_);
  WebKitWebView* view = view_;
  view_ = nullptr;
  // The engine frees its backend (and so lets go of this page) when the last reference goes.
  g_object_unref(view);
}

void EnginePage::onBackendDestroyed(void* data) {
  auto* owner = static_cast<Owner*>(data);
  EnginePage* page = owner->page;
  delete owner;
  page->owner_ = nullptr;
  wpe_view_backend_exportable_fdo_destroy(page->exportable_);
  page->exportable_ = nullptr;
  page->keepAlive_.reset();  // may free the page: nothing after this
}

void EnginePage::loadHtml(const std::string& html, const std::optional<std::string>& baseUrl,
                          std::shared_ptr<const NamedResources> named) {
  if (!view_) return;
  expectLoad(true);
  reloadsAfterEnd_ = 0;
  shownHtml_ = ShownHtml{html, baseUrl, named};
  WebEngine::setNamedResources(view_, std::move(named));
  if (baseUrl) {
    webkit_web_view_load_html(view_, html.c_str(), baseUrl->c_str());
  } else {
    webkit_web_view_load_html(view_, sealed(html).c_str(), nullptr);
  }
}

void EnginePage::loadUrl(const std::string& url) {
  if (!view_) return;
  expectLoad(true);
  reloadsAfterEnd_ = 0;
  shownHtml_.reset();
  webkit_web_view_load_uri(view_, url.c_str());
}

void EnginePage::stop() {
  if (view_) webkit_web_view_stop_loading(view_);
}

void EnginePage::reload() {
  if (!view_) return;
  clientReloadPending_ = true;
  webkit_web_view_reload(view_);
}

void EnginePage::goBack() {
  if (!view_ || !webkit_web_view_can_go_back(view_)) return;
  clientMove_ = ClientMove::kAsked;
  webkit_web_view_go_back(view_);
}

void EnginePage::goForward() {
  if (!view_ || !webkit_web_view_can_go_forward(view_)) return;
  clientMove_ = ClientMove::kAsked;
  webkit_web_view_go_forward(view_);
}

void EnginePage::onHistoryChanged(void*, void*, void*, void* self) {
  auto& move = static_cast<EnginePage*>(self)->clientMove_;
  move = move == ClientMove::kAsked ? ClientMove::kMoved : ClientMove::kNone;
}

void EnginePage::setSize(int width, int height, float scale) {
  if (!exportable_) return;
  width_ = std::max(width, 1);
  height_ = std::max(height, 1);
  wpe_view_backend* backend = wpe_view_backend_exportable_fdo_get_view_backend(exportable_);
  wpe_view_backend_dispatch_set_size(backend, width_, height_);
  if (scale > 0 && scale != scale_) {
    scale_ = scale;
    wpe_view_backend_dispatch_set_device_scale_factor(backend, scale_);
  }
  applyZoom();
}

void EnginePage::setScalesPageToFit(bool scales) {
  scalesPageToFit_ = scales;
  applyZoom();
}

void EnginePage::applyZoom() {
  // Until its document has told its viewport a page keeps the zoom it has.
  if (!view_ || !viewportTold_) return;
  const double zoom = PageViewport::zoom(declaredWidth_, static_cast<float>(width_), scalesPageToFit_);
  if (zoom == zoom_) return;
  zoom_ = zoom;
  webkit_web_view_set_zoom_level(view_, zoom_);
  // The document keeps its size in page pixels when only the zoom changes.
  reportContentSize();
}

void EnginePage::onViewport(void*, void* result, void* self) {
  JSCValue* value =
      webkit_javascript_result_get_js_value(static_cast<WebKitJavascriptResult*>(result));
  auto* page = static_cast<EnginePage*>(self);
  page->viewportTold_ = true;
  if (jsc_value_is_string(value)) {
    gchar* text = jsc_value_to_string(value);
    page->declaredWidth_ = PageViewport::declaredWidth(text ? text : "", static_cast<float>(page->width_),
                                                       static_cast<float>(page->height_));
    g_free(text);
  } else {
    page->declaredWidth_.reset();
  }
  page->applyZoom();
}

void EnginePage::touch(WebViewBackend::Finger finger, int x, int y) {
  if (!exportable_) return;
  wpe_view_backend* backend = wpe_view_backend_exportable_fdo_get_view_backend(exportable_);
  // The engine takes a pointer's position in pixels.
  const int px = static_cast<int>(std::lround(x * scale_));
  const int py = static_cast<int>(std::lround(y * scale_));
  auto pointer = [&](wpe_input_pointer_event_type type, uint32_t state) {
    wpe_input_pointer_event event{
        type, 0, px, py, 1, state,
        state ? static_cast<uint32_t>(wpe_input_pointer_modifier_button1) : 0u};
    wpe_view_backend_dispatch_pointer_event(backend, &event);
  };
  switch (finger) {
    case WebViewBackend::Finger::kDown:
      fingerDown_ = true;
      pointer(wpe_input_pointer_event_type_motion, 0);
      break;
    case WebViewBackend::Finger::kUp:
      if (fingerDown_) {
        pointer(wpe_input_pointer_event_type_motion, 0);
        pointer(wpe_input_pointer_event_type_button, 1);
        pointer(wpe_input_pointer_event_type_button, 0);
      }
      fingerDown_ = false;
      break;
    case WebViewBackend::Finger::kCancel:
      fingerDown_ = false;
      break;
  }
}

int EnginePage::toPage(int points) const { return static_cast<int>(std::lround(points / zoom_)); }

void EnginePage::runScript(const std::string& js, bool inClientWorld, std::function<void(std::string)> done) {
  if (!view_ || !g_utf8_validate(js.data(), static_cast<gssize>(js.size()), nullptr)) {
    if (done) done(std::string());
    return;
  }
  WebKitUserMessage* message =
      webkit_user_message_new(ClientScriptMessage::kName, g_variant_new("(bs)", inClientWorld, js.c_str()));
  if (!done) {
    webkit_web_view_send_message_to_page(view_, message, nullptr, nullptr, nullptr);
    return;
  }
  // The page is kept until the answer came (or the engine gave up on it).
  struct Call {
    std::shared_ptr<EnginePage> page;
    std::function<void(std::string)> done;
  };
  webkit_web_view_send_message_to_page(
      view_, message, nullptr,
      [](GObject* source, GAsyncResult* result, gpointer data) {
        std::unique_ptr<Call> call(static_cast<Call*>(data));
        call->done(scriptReplyText(WEBKIT_WEB_VIEW(source), result));
      },
      new Call{shared_from_this(), std::move(done)});
}

void EnginePage::scrollTo(int x, int y) {
  // The engine's wheel events scroll by whole lines; the document is placed directly instead
  // (in page pixels), from the client's world, where the page's own scrollTo cannot be called.
  runScript("window.scrollTo(" + std::to_string(toPage(x)) + "," + std::to_string(toPage(y)) + ")", true, nullptr);
}

void EnginePage::evaluate(uint64_t sequence, const std::string& js) {
  // In the page's own world: the screens' scripts call the page's functions.
  runScript(js, false, [self = shared_from_this(), sequence](std::string text) {
    self->toMain([sequence, text = std::move(text)](EngineWebBackend::Anchor& anchor) {
      anchor.client->backendScriptResult(sequence, text);
    });
  });
}

void EnginePage::onUriChanged(WebKitWebView* view, void*, void* self) {
  // The view's address is its main frame's: the one it now loads (set when a load starts, and
  // again on a redirect or a move within the document).
  const char* uri = webkit_web_view_get_uri(view);
  if (uri) static_cast<EnginePage*>(self)->reportMainFrame(uri);
}

void EnginePage::reportMainFrame(const std::string& url) {
  // The engine may tell the same address twice (a redirect's end, then its answer).
  if (url.empty() || url == lastMainFrameUrl_) return;
  lastMainFrameUrl_ = url;
  flushMainFrame();
  if (allowedLoadPending_) {
    // The client's load, told as it starts (before the engine's question about it).
    pendingLoadReported_ = true;
    tellMainFrame(url, pendingLoadGesture_);
  } else if (lastAllowed_ && lastAllowed_->first == url) {
    // The navigation the engine asked about last came here.
    tellMainFrame(url, lastAllowed_->second);
    lastAllowed_.reset();
  } else if (webkit_web_view_is_loading(view_)) {
    // A server's redirect: the engine asks about it (with the gesture of the navigation it
    // redirects) right after telling the new address.
    unaskedMainFrame_ = url;
  } else {
    tellMainFrame(url, false);  // the page moved within itself
  }
}

void EnginePage::tellMainFrame(const std::string& url, bool userGesture) {
  toMain([url, userGesture](EngineWebBackend::Anchor& anchor) {
    anchor.client->backendMainFrameNavigated(url, userGesture);
  });
}

void EnginePage::flushMainFrame() {
  if (unaskedMainFrame_.empty()) return;
  std::string url = std::move(unaskedMainFrame_);
  unaskedMainFrame_.clear();
  tellMainFrame(url, false);
}

void EnginePage::select(uint64_t sequence, WebViewBackend::Selecting step, int x, int y) {
  if (!view_) {
    toMain([sequence](EngineWebBackend::Anchor& anchor) {
      anchor.client->backendSelection(sequence, std::string(), ui::Rect());
    });
    return;
  }
  const std::string js = std::string(kSelectionScript) + "(" + std::to_string(static_cast<int>(step)) + "," +
                         std::to_string(toPage(x)) + "," + std::to_string(toPage(y)) + ")";
  // In the client's world: the page can neither change how a word is found nor have its code
  // run by the client's.
  runScript(js, true, [self = shared_from_this(), sequence, zoom = static_cast<float>(zoom_)](std::string answer) {
    auto selection = parseSelection(answer);
    // From page pixels to the view's points, at the zoom the script was sent with.
    const ui::Rect& in = selection.second;
    selection.second = ui::Rect(in.origin.x * zoom, in.origin.y * zoom, in.size.width * zoom, in.size.height * zoom);
    self->toMain([sequence, text = std::move(selection.first), bounds = selection.second](EngineWebBackend::Anchor& anchor) {
      anchor.client->backendSelection(sequence, text, bounds);
    });
  });
}

void EnginePage::onLoadChanged(WebKitWebView*, int event, void* self) {
  auto* page = static_cast<EnginePage*>(self);
  // The main frame's address the engine did not ask about after all is told now.
  if (event == WEBKIT_LOAD_COMMITTED || event == WEBKIT_LOAD_FINISHED) page->flushMainFrame();
  if (event == WEBKIT_LOAD_STARTED) {
    page->failed_ = false;
    // The view taken from a warm page had the address already ("about:blank"), so the engine
    // told no change of it: this page's first load is told here.
    const char* uri = webkit_web_view_get_uri(page->view_);
    if (page->beforeOwnDocument_ && uri) page->reportMainFrame(uri);
    page->reportWithHistory([](WebViewBackendClient& client) { client.backendDidStart(); });
  } else if (event == WEBKIT_LOAD_COMMITTED) {
    page->beforeOwnDocument_ = false;
    // How the document shown came: a reload after its process ended sends no form again.
    const char* uri = webkit_web_view_get_uri(page->view_);
    auto method = uri ? page->navigationMethods_.find(uri) : page->navigationMethods_.end();
    page->shownBySafeMethod_ = method == page->navigationMethods_.end() || method->second;
    page->navigationMethods_.clear();
    // A new document: its size is still to come (its viewport too, which keeps the zoom until
    // then).
    page->documentWidth_ = page->documentHeight_ = -1;
  } else if (event == WEBKIT_LOAD_FINISHED) {
    page->viewSettled();
    page->finished_ = true;
    page->advanceWarming();
    if (page->failed_) {
      page->reportWithHistory(nullptr);
    } else {
      page->reportWithHistory([](WebViewBackendClient& client) { client.backendDidFinish(); });
    }
  }
}

void EnginePage::onProcessTerminated(WebKitWebView*, int reason, void* self) {
  auto* page = static_cast<EnginePage*>(self);
  std::fprintf(stderr, "WebEngine: a page's web process ended (%s)\n",
               reason == WEBKIT_WEB_PROCESS_CRASHED            ? "crashed"
               : reason == WEBKIT_WEB_PROCESS_EXCEEDED_MEMORY_LIMIT ? "out of memory"
                                                                 : "ended by the client");
  page->viewSettled();
  if (page->warm_ != Warm::kNo) {
    // A warm page is given up (and not made again as it closes): the family's next page makes
    // a view of its own.
    page->processEnded_ = true;
    auto self = page->shared_from_this();
    auto& warm = warmPages();
    warm.erase(std::remove(warm.begin(), warm.end(), self), warm.end());
    page->close();
    return;
  }
  if (reason == WEBKIT_WEB_PROCESS_TERMINATED_BY_API || page->reloadsAfterEnd_ >= kReloadsAfterEnd) return;
  // The page shown comes back in a new process: the client's HTML again, or the address shown
  // when it came by GET or HEAD (a form's answer is not sent again). The engine starts the
  // process for the load.
  ++page->reloadsAfterEnd_;
  const int reloads = page->reloadsAfterEnd_;
  const char* uri = webkit_web_view_get_uri(page->view_);
  if (page->shownHtml_ && (!uri || std::strcmp(uri, page->shownHtml_->baseUrl.value_or("about:blank").c_str()) == 0)) {
    const ShownHtml shown = *page->shownHtml_;
    page->loadHtml(shown.html, shown.baseUrl, shown.named);
  } else if (uri && page->shownBySafeMethod_) {
    page->clientReloadPending_ = true;
    webkit_web_view_reload(page->view_);
  }
  page->reloadsAfterEnd_ = reloads;
}

int EnginePage::onLoadFailed(WebKitWebView* view, int event, char* failingUri, void* error,
                             void* self) {
  auto* page = static_cast<EnginePage*>(self);
  // A load that failed before any answer never became the view's address.
  const char* current = webkit_web_view_get_uri(view);
  if (event == WEBKIT_LOAD_STARTED && failingUri && (!current || std::strcmp(current, failingUri) != 0)) {
    page->reportMainFrame(failingUri);
  }
  page->flushMainFrame();
  page->failed_ = true;
  const auto* gerror = static_cast<const GError*>(error);
  const int code = gerror ? gerror->code : 0;
  std::string message = gerror && gerror->message ? gerror->message : "";
  page->reportWithHistory([code, message](WebViewBackendClient& client) {
    client.backendDidFail(code, message);
  });
  return TRUE;  // no error page
}

int EnginePage::onDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision, int type,
                               void* self) {
  return static_cast<EnginePage*>(self)->decide(decision, type) ? TRUE : FALSE;
}

bool EnginePage::decide(WebKitPolicyDecision* decision, int decisionType) {
  if (decisionType == WEBKIT_POLICY_DECISION_TYPE_RESPONSE) {
    decideResponse(WEBKIT_RESPONSE_POLICY_DECISION(decision));
    return true;
  }
  WebKitNavigationAction* action = webkit_navigation_policy_decision_get_navigation_action(
      WEBKIT_NAVIGATION_POLICY_DECISION(decision));
  WebKitURIRequest* request = webkit_navigation_action_get_request(action);
  const std::string url = webkit_uri_request_get_uri(request);
  const char* method = webkit_uri_request_get_http_method(request);
  navigationMethods_[url] = !method || std::strcmp(method, "GET") == 0 || std::strcmp(method, "HEAD") == 0;
  const int navigationType = webkit_navigation_action_get_navigation_type(action);
  const bool newWindow = decisionType == WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION;
  if (!newWindow && navigationType == WEBKIT_NAVIGATION_TYPE_OTHER && allowedLoadPending_) {
    allowedLoadPending_ = false;
    if (!pendingLoadReported_) lastAllowed_.emplace(url, pendingLoadGesture_);
    webkit_policy_decision_use(decision);
    return true;
  }
  bool userGesture = webkit_navigation_action_is_user_gesture(action);
  if (!unaskedMainFrame_.empty() && unaskedMainFrame_ == url && webkit_navigation_action_is_redirect(action)) {
    unaskedMainFrame_.clear();
    tellMainFrame(url, userGesture);
  }
  // The client's own buttons.
  if (navigationType == WEBKIT_NAVIGATION_TYPE_BACK_FORWARD && clientMove_ != ClientMove::kNone) {
    clientMove_ = ClientMove::kNone;
    userGesture = true;
  } else if (navigationType == WEBKIT_NAVIGATION_TYPE_RELOAD && clientReloadPending_) {
    clientReloadPending_ = false;
    userGesture = true;
  }
  g_object_ref(decision);
  auto self = shared_from_this();
  RunLoop::main()->post([self, anchor = anchor_, decision, url, navigationType, newWindow, userGesture] {
    bool allowed = false;
    if (auto live = anchor.lock()) allowed = live->client->backendShouldStart(url, navigationType, userGesture);
    if (WebEngine* engine = WebEngine::shared()) {
      engine->post([self, decision, url, allowed, newWindow, userGesture] {
        if (allowed) self->lastAllowed_.emplace(url, userGesture);
        if (allowed && !newWindow) {
          webkit_policy_decision_use(decision);
        } else {
          webkit_policy_decision_ignore(decision);
          // A new window's page loads here, asked about once.
          if (allowed && self->view_) {
            self->expectLoad(userGesture);
            webkit_web_view_load_uri(self->view_, url.c_str());
          }
        }
        g_object_unref(decision);
      });
    }
  });
  return true;
}

void EnginePage::decideResponse(WebKitResponsePolicyDecision* decision) {
  WebKitURIResponse* response = webkit_response_policy_decision_get_response(decision);
  SoupMessageHeaders* headers = webkit_uri_response_get_http_headers(response);
  const char* disposition = headers ? soup_message_headers_get_one(headers, "Content-Disposition") : nullptr;
  // Shown only when the engine can show it and the server does not ask for it to be saved;
  // nothing is ever saved instead (the engine's own choice would download it).
  const bool attachment = isAttachment(disposition);
  if (webkit_response_policy_decision_is_mime_type_supported(decision) && !attachment) {
    webkit_policy_decision_use(WEBKIT_POLICY_DECISION(decision));
    return;
  }
  const char* uri = webkit_uri_response_get_uri(response);
  std::fprintf(stderr, "WebEngine: answer refused (%s): %s\n", attachment ? "an attachment" : "cannot be shown",
               uri ? uri : "(no address)");
  webkit_policy_decision_ignore(WEBKIT_POLICY_DECISION(decision));
}

void EnginePage::expectLoad(bool userGesture) {
  allowedLoadPending_ = true;
  pendingLoadGesture_ = userGesture;
  pendingLoadReported_ = false;
}

void EnginePage::onContentSize(void*, void* result, void* self) {
  JSCValue* value =
      webkit_javascript_result_get_js_value(static_cast<WebKitJavascriptResult*>(result));
  gchar* text = jsc_value_to_string(value);
  int width = 0, height = 0;
  const bool parsed = text && std::sscanf(text, "%d,%d", &width, &height) == 2;
  g_free(text);
  auto* page = static_cast<EnginePage*>(self);
  if (!parsed || width < 0 || height < 0 || page->beforeOwnDocument_) return;
  page->documentWidth_ = width;
  page->documentHeight_ = height;
  page->reportContentSize();
}

void EnginePage::reportContentSize() {
  if (documentWidth_ < 0 || documentHeight_ < 0) return;
  const int width = static_cast<int>(std::ceil(documentWidth_ * zoom_));
  const int height = static_cast<int>(std::ceil(documentHeight_ * zoom_));
  toMain([width, height](EngineWebBackend::Anchor& anchor) { anchor.client->backendContentSize(width, height); });
}

void EnginePage::onShmBuffer(void* owner, wpe_fdo_shm_exported_buffer* buffer) {
  static_cast<Owner*>(owner)->page->frameExported(buffer);
}

void EnginePage::frameExported(wpe_fdo_shm_exported_buffer* buffer) {
  // The view drew: the family's next view may be made (not from inside the backend's callback).
  if (!family_.empty() && gates()[family_].opening == this) {
    if (WebEngine* engine = WebEngine::shared()) engine->post([self = shared_from_this()] { self->viewSettled(); });
  }
  if (warm_ == Warm::kDrawing || warm_ == Warm::kEmptying) warmFrame(wpe_fdo_shm_exported_buffer_get_shm_buffer(buffer));
  if (anchor_.expired()) {
    // A warm page's frame, or one after the backend went: nobody shows it.
    wpe_view_backend_exportable_fdo_dispatch_release_shm_exported_buffer(exportable_, buffer);
    wpe_view_backend_exportable_fdo_dispatch_frame_complete(exportable_);
    return;
  }
  wl_shm_buffer* shm = wpe_fdo_shm_exported_buffer_get_shm_buffer(buffer);
  const int width = wl_shm_buffer_get_width(shm);
  const int height = wl_shm_buffer_get_height(shm);
  const int stride = wl_shm_buffer_get_stride(shm);
  const bool opaque = wl_shm_buffer_get_format(shm) == WL_SHM_FORMAT_XRGB8888;
  std::shared_ptr<ui::Image> frame = ui::Image::create(width, height, scale_);
  if (frame) {
    wl_shm_buffer_begin_access(shm);
    const auto* source = static_cast<const uint8_t*>(wl_shm_buffer_get_data(shm));
    uint32_t* target = frame->mutablePixels();
    for (int y = 0; y < height; ++y) {
      std::memcpy(target + static_cast<size_t>(y) * width, source + static_cast<size_t>(y) * stride,
                  static_cast<size_t>(width) * 4);
      if (opaque) {
        for (int x = 0; x < width; ++x) target[static_cast<size_t>(y) * width + x] |= 0xff000000u;
      }
    }
    wl_shm_buffer_end_access(shm);
  }
  wpe_view_backend_exportable_fdo_dispatch_release_shm_exported_buffer(exportable_, buffer);
  wpe_view_backend_exportable_fdo_dispatch_frame_complete(exportable_);
  if (frame) {
    toMain([frame](EngineWebBackend::Anchor& anchor) { anchor.client->backendFrame(frame); });
  }
}

}  // namespace zu::web
