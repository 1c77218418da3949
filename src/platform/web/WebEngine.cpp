#include "platform/web/WebEngine.h"

#include <wpe/fdo.h>
#include <wpe/unstable/fdo-shm.h>
#include <wpe/webkit.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <optional>
#include <thread>
#include <vector>

#include "platform/crypto/SecureRandom.h"
#include "platform/net/DesktopProxy.h"
#include "platform/runtime/Bundle.h"
#include "platform/runtime/FileUtil.h"
#include "platform/runtime/Paths.h"
#include "platform/runtime/RunLoop.h"
#include "platform/runtime/Thread.h"
#include "platform/web/PrivateResourceUrl.h"
#include "platform/web/NamedResources.h"
#include "platform/web/WebResourceProvider.h"

namespace zu::web {

namespace {

std::atomic<WebEngine*> gStarted{nullptr};

// Where a view keeps the addresses its page names (setNamedResources).
constexpr const char* kNamedResourcesKey = "zu-named-resources";

std::string extensionDirectory() {
  if (const char* env = std::getenv("ZU_WEB_EXTENSION_DIR"); env && *env) return env;
  return ZU_WEB_EXTENSION_DIR;
}

// True when `path` (made absolute, dots resolved) lies inside `root`.
bool isInside(const std::filesystem::path& path, const std::filesystem::path& root) {
  std::error_code ec;
  auto p = std::filesystem::weakly_canonical(path, ec);
  if (ec) return false;
  auto r = std::filesystem::weakly_canonical(root, ec);
  if (ec || r.empty()) return false;
  auto mismatch = std::mismatch(r.begin(), r.end(), p.begin(), p.end());
  return mismatch.first == r.end();
}

// Files a page may show: the bundle's and the downloaded fonts (Library/Fonts), nothing else
// of the home folder (preferences, stores, the engine's own cookies).
std::optional<std::vector<uint8_t>> readLocalFile(const std::string& path) {
  auto bundle = Bundle::mainBundle();
  const bool allowed = (bundle && isInside(path, bundle->resourcePath())) ||
                       isInside(path, Paths::library() / "Fonts");
  if (!allowed) return std::nullopt;
  return FileUtil::readFile(path);
}

// Answers the engine; a resource without a MIME type is left to the engine's own sniffing.
void finishRequest(WebKitURISchemeRequest* request, std::optional<WebResource> resource) {
  if (!resource) {
    GError* error = g_error_new_literal(G_IO_ERROR, G_IO_ERROR_NOT_FOUND, "resource not found");
    webkit_uri_scheme_request_finish_error(request, error);
    g_error_free(error);
  } else {
    const gsize size = resource->data.size();
    GBytes* bytes = g_bytes_new(resource->data.data(), size);
    GInputStream* stream = g_memory_input_stream_new_from_bytes(bytes);
    webkit_uri_scheme_request_finish(
        request, stream, static_cast<gint64>(size),
        resource->mimeType.empty() ? nullptr : resource->mimeType.c_str());
    g_object_unref(stream);
    g_bytes_unref(bytes);
  }
  g_object_unref(request);
}

// A download the engine starts (a page's "download" link, say) is cancelled before it has a
// destination, so no file is made, replaced or removed anywhere.
gboolean refuseDestination(WebKitDownload* download, gchar*, gpointer) {
  webkit_download_cancel(download);
  return TRUE;  // no destination: the engine's own choice would be the download folder
}

void refuseDownload(WebKitWebContext*, WebKitDownload* download, gpointer) {
  WebKitURIRequest* request = webkit_download_get_request(download);
  const char* uri = request ? webkit_uri_request_get_uri(request) : nullptr;
  std::fprintf(stderr, "WebEngine: download refused: %s\n", uri ? uri : "(no address)");
  g_signal_connect(download, "decide-destination", G_CALLBACK(&refuseDestination), nullptr);
  webkit_download_cancel(download);
}

// The desktop's proxy (DesktopProxy), as libcurl gets it: the web engine's network process
// would otherwise ask GIO, whose GNOME resolver reads the client's in-memory settings (no proxy).
void setProxy(WebKitWebsiteDataManager* manager) {
  const auto proxy = DesktopProxy::current();
  if (proxy->direct()) {
    webkit_website_data_manager_set_network_proxy_settings(manager, WEBKIT_NETWORK_PROXY_MODE_NO_PROXY, nullptr);
    return;
  }
  std::vector<const char*> direct;
  for (const auto& host : proxy->directHosts) direct.push_back(host.c_str());
  direct.push_back(nullptr);
  WebKitNetworkProxySettings* settings = webkit_network_proxy_settings_new(
      proxy->defaultProxy ? proxy->defaultProxy->c_str() : nullptr, direct.size() > 1 ? direct.data() : nullptr);
  for (const auto& [scheme, address] : proxy->schemeProxies) {
    webkit_network_proxy_settings_add_proxy_for_scheme(settings, scheme.c_str(), address.c_str());
  }
  webkit_website_data_manager_set_network_proxy_settings(manager, WEBKIT_NETWORK_PROXY_MODE_CUSTOM, settings);
  webkit_network_proxy_settings_free(settings);
}

}  // namespace

WebEngine* WebEngine::shared() {
  static WebEngine* engine = [] {
    auto* made = new WebEngine();
    // Shared with the web thread, which may still be signalling when the starter has seen the
    // result and gone on: both keep it alive, and it is signalled under its lock.
    struct Start {
      std::mutex mutex;
      std::condition_variable started;
      int result = -1;
    };
    auto start = std::make_shared<Start>();
    std::thread([made, start] {
      Thread::setCurrentName("web");
      const bool ok = made->start();
      {
        std::lock_guard<std::mutex> lock(start->mutex);
        start->result = ok ? 1 : 0;
        start->started.notify_one();
      }
      if (!ok) return;
      // The engine lives as long as the process; this loop is never left.
      GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
      g_main_loop_run(loop);
    }).detach();
    std::unique_lock<std::mutex> lock(start->mutex);
    start->started.wait(lock, [&] { return start->result >= 0; });
    if (start->result != 1) return static_cast<WebEngine*>(nullptr);
    gStarted = made;
    std::atexit(&WebEngine::park);
    return made;
  }();
  return engine;
}

bool WebEngine::start() {
  if (!wpe_loader_init("libWPEBackend-fdo-1.0.so.1") || !wpe_fdo_initialize_shm()) {
    std::fprintf(stderr, "WebEngine: the fdo backend cannot start in shared-memory mode\n");
    return false;
  }
  resources_ = Thread::start("web-resources");
  key_ = crypto::SecureRandom::hexToken(32);
  context_ = newEphemeralContext();
  return true;
}

WebKitWebContext* WebEngine::newEphemeralContext() {
  // Website data, caches and cookies in memory, for the run: nothing the client needs of the
  // engine outlives it (its pages' pictures and style sheets come from the client's own caches),
  // and files the engine's processes opened by path in the home could be led out of it by a link
  // planted there meanwhile.
  WebKitWebsiteDataManager* manager = webkit_website_data_manager_new_ephemeral();
  setProxy(manager);
  WebKitWebContext* context = webkit_web_context_new_with_website_data_manager(manager);
  g_object_unref(manager);
  webkit_web_context_set_cache_model(context, WEBKIT_CACHE_MODEL_DOCUMENT_VIEWER);
  g_signal_connect(context, "download-started", G_CALLBACK(&refuseDownload), nullptr);

  webkit_web_context_set_web_extensions_directory(context, extensionDirectory().c_str());
  webkit_web_context_set_web_extensions_initialization_user_data(
      context, g_variant_new("(s)", key_.c_str()));

  webkit_web_context_register_uri_scheme(context, PrivateResourceUrl::kScheme, &WebEngine::onSchemeRequest, this,
                                         nullptr);
  WebKitSecurityManager* security = webkit_web_context_get_security_manager(context);
  // Pictures of https pages come through it too: it must not count as mixed content. It is not
  // CORS-enabled: what it serves is for a page's elements, never for its scripts to read.
  webkit_security_manager_register_uri_scheme_as_secure(security, PrivateResourceUrl::kScheme);
  return context;
}

void WebEngine::park() {
  WebEngine* engine = gStarted.load();
  if (!engine) return;
  {
    std::lock_guard<std::mutex> lock(engine->mutex_);
    if (engine->parked_) return;
  }
  engine->post([engine] {
    std::unique_lock<std::mutex> lock(engine->mutex_);
    engine->parked_ = true;
    engine->parkedChanged_.notify_all();
    // Never woken: the process ends around this thread.
    engine->parkedChanged_.wait(lock, [] { return false; });
  });
  std::unique_lock<std::mutex> lock(engine->mutex_);
  engine->parkedChanged_.wait_for(lock, std::chrono::seconds(5), [engine] { return engine->parked_; });
  lock.unlock();
  // What is still to be answered is dropped with the engine's thread.
  if (engine->resources_) engine->resources_->stopAndJoin();
}

void WebEngine::post(std::function<void()> fn) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(std::move(fn));
  }
  // One idle source per post; each drains the whole queue in order, the later ones find it
  // empty.
  GSource* source = g_idle_source_new();
  g_source_set_callback(
      source,
      [](gpointer self) -> gboolean {
        auto* engine = static_cast<WebEngine*>(self);
        std::vector<std::function<void()>> work;
        {
          std::lock_guard<std::mutex> lock(engine->mutex_);
          work.swap(engine->queue_);
        }
        for (auto& fn : work) fn();
        return G_SOURCE_REMOVE;
      },
      this, nullptr);
  g_source_attach(source, nullptr);
  g_source_unref(source);
}

void WebEngine::setNamedResources(WebKitWebView* view, std::shared_ptr<const NamedResources> named) {
  g_object_set_data_full(G_OBJECT(view), kNamedResourcesKey,
                         new std::shared_ptr<const NamedResources>(std::move(named)), [](gpointer data) {
                           delete static_cast<std::shared_ptr<const NamedResources>*>(data);
                         });
}

void WebEngine::onSchemeRequest(WebKitURISchemeRequest* request, void* self) {
  static_cast<WebEngine*>(self)->answer(request);
}

void WebEngine::answer(WebKitURISchemeRequest* request) {
  g_object_ref(request);
  WebKitWebView* view = webkit_uri_scheme_request_get_web_view(request);
  const char* address = webkit_uri_scheme_request_get_uri(request);
  auto parsed = PrivateResourceUrl::parse(address);
  const char* pageUri = view ? webkit_web_view_get_uri(view) : nullptr;
  // Never a document: the extension rewrites elements only, so a page loading such an address
  // as itself made it up. And never what a script asks for: a request that names its origin is
  // made in CORS mode (XMLHttpRequest, fetch, a module script), whose answer its script could
  // read — the engine does not hold a scheme of ours to CORS —, while a page's pictures, style
  // sheets, scripts and fonts come without one.
  SoupMessageHeaders* headers = webkit_uri_scheme_request_get_http_headers(request);
  const bool namesOrigin = headers && soup_message_headers_get_one(headers, "Origin");
  if (!parsed || !pageUri || std::strcmp(pageUri, address) == 0 || namesOrigin) {
    finishRequest(request, std::nullopt);
    return;
  }
  // Only a page the client built (HTML loaded without a base URL) gets anything: its elements
  // under the address the extension signed for this very page, and local files. What it names
  // itself may come from the cache; anything else only from the network (NamedResources).
  const bool clientBuilt = std::strcmp(pageUri, "about:blank") == 0;
  const PrivateResourceUrl::Kind kind = parsed->kind;
  if (!clientBuilt ||
      (kind == PrivateResourceUrl::Kind::kFetch &&
       !PrivateResourceUrl::validToken(*parsed, key_, webkit_web_view_get_page_id(view)))) {
    finishRequest(request, std::nullopt);
    return;
  }
  const auto* named = static_cast<const std::shared_ptr<const NamedResources>*>(
      g_object_get_data(G_OBJECT(view), kNamedResourcesKey));
  const auto reach = named && *named && (*named)->names(parsed->url) ? WebResourceProvider::Reach::kCacheThenNetwork
                                                                      : WebResourceProvider::Reach::kNetworkOnly;
  // Answered on the resource thread (the provider's, and the files'), so a page's style sheet
  // never waits for the main thread's frames; the answer comes back here.
  resources_->runLoop()->post([this, request, kind, reach, url = std::move(parsed->url)] {
    auto done = [this, request](std::optional<WebResource> resource) {
      post([request, resource = std::move(resource)]() mutable {
        finishRequest(request, std::move(resource));
      });
    };
    if (kind == PrivateResourceUrl::Kind::kFile) {
      auto data = readLocalFile(url);
      done(data ? std::optional<WebResource>(WebResource{std::move(*data), {}}) : std::nullopt);
      return;
    }
    auto provider = WebResourceProvider::shared();
    if (!provider) {
      done(std::nullopt);
      return;
    }
    provider->resourceForUrl(url, reach, std::move(done));
  });
}

}  // namespace zu::web
