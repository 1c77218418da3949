// The web-process extension: loaded by the engine into each of its web processes (which are
// not ours and are built without sanitizers, so neither is this). It sees every request a page
// is about to send and sends the page's sub-resource elements — pictures, style sheets,
// scripts, fonts — to the application's private scheme, under an address signed for that page
// (PrivateResourceUrl; the key comes with the socket's path at start-up):
//  - in a page the client built (its address is "about:blank": HTML loaded without a base
//    URL) every http and https element, so an offline article still shows its pictures;
//  - in any other page only those of another origin than the document that asks for them (as
//    its referrer tells, ofAnotherOrigin) that the application says it holds while the network
//    cannot be reached (asked over the socket), so its pictures from other hosts show offline;
//    the rest, its own origin's included, stay with the engine, which keeps those sites'
//    cookies. (Online none: the page could time which ones come from the application.)
// Everything else stays with the engine and its own rules: documents (a page's navigations and
// its frames: an Accept header that begins with "text/html"), and what a page's scripts ask
// for — XMLHttpRequest and fetch send an Origin header with every request to another origin,
// and no Accept header of the engine's own (none at all unless the script sets one), a beacon
// is a POST. An element loaded without CORS carries no Origin header, so the private scheme,
// which is not CORS-enabled, never serves anything a script could read. A script's request of
// its own origin carries none either, and with an Accept header it sets looks like an element:
// hence a page from elsewhere never gets its own origin rewritten (a page the client built has
// a unique origin, so every request of its scripts carries Origin). A page that asks for a
// signed address itself is cancelled: only the rewriting here makes them.
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>
#include <wpe/webkit-web-extension.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/web/PrivateResourceUrl.h"

namespace {

using zu::web::PrivateResourceUrl;

std::string gSocketPath;
std::string gKey;
int gSocket = -1;

// How long a page waits for the application's answer before leaving the request alone.
constexpr int kAnswerTimeoutSeconds = 2;

bool writeAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool connectToApplication() {
  if (gSocket >= 0) return true;
  if (gSocketPath.empty()) return false;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (gSocketPath.size() >= sizeof(address.sun_path)) return false;
  std::memcpy(address.sun_path, gSocketPath.c_str(), gSocketPath.size() + 1);
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  timeval timeout{kAnswerTimeoutSeconds, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof(timeout));
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
    close(fd);
    return false;
  }
  gSocket = fd;
  return true;
}

// Asks the application whether it holds `url`; false when it cannot be asked. A broken or
// late answer closes the connection, so a stale answer can never be read for the next question.
bool applicationHolds(const std::string& url) {
  if (url.find('\n') != std::string::npos || !connectToApplication()) return false;
  const std::string line = url + "\n";
  char answer = 0;
  ssize_t n = -1;
  if (writeAll(gSocket, line.data(), line.size())) {
    do {
      n = read(gSocket, &answer, 1);
    } while (n < 0 && errno == EINTR);
  }
  if (n != 1) {
    close(gSocket);
    gSocket = -1;
    return false;
  }
  return answer == '1';
}

// The origin of an http or https address, "scheme://host:port" in lower case (the scheme's own
// port when none is named); empty when it has none.
std::string originOf(const char* url) {
  GUri* uri = url ? g_uri_parse(url, G_URI_FLAGS_NONE, nullptr) : nullptr;
  if (!uri) return std::string();
  std::string origin;
  const char* scheme = g_uri_get_scheme(uri);
  const char* host = g_uri_get_host(uri);
  if (scheme && host && *host) {
    int port = g_uri_get_port(uri);
    if (port < 0) port = g_ascii_strcasecmp(scheme, "https") == 0 ? 443 : 80;
    gchar* lowerScheme = g_ascii_strdown(scheme, -1);
    gchar* lowerHost = g_ascii_strdown(host, -1);
    origin = std::string(lowerScheme) + "://" + lowerHost + ":" + std::to_string(port);
    g_free(lowerScheme);
    g_free(lowerHost);
  }
  g_uri_unref(uri);
  return origin;
}

// Whether the element `uri` is of another origin than the document that asks for it: its
// referrer's. A request that names no referrer counts only when it goes from an https page to
// an http address (the engine names none then, and no document of an https page is of an http
// origin); any other (a page or a request that asks for no referrer) is taken as of its own.
bool ofAnotherOrigin(WebKitURIRequest* request, const char* uri, const char* pageUri) {
  SoupMessageHeaders* headers = webkit_uri_request_get_http_headers(request);
  const char* referrer = headers ? soup_message_headers_get_one(headers, "Referer") : nullptr;
  if (!referrer) return g_str_has_prefix(uri, "http://") && pageUri && g_str_has_prefix(pageUri, "https://");
  const std::string asking = originOf(referrer);
  return !asking.empty() && asking != originOf(uri);
}

// A picture, style sheet, script or font that the page's document asked for without CORS.
bool isElementRequest(WebKitURIRequest* request) {
  const char* method = webkit_uri_request_get_http_method(request);
  if (method && std::strcmp(method, "GET") != 0) return false;
  SoupMessageHeaders* headers = webkit_uri_request_get_http_headers(request);
  if (!headers || soup_message_headers_get_one(headers, "Origin")) return false;
  const char* accept = soup_message_headers_get_one(headers, "Accept");
  return accept && !g_str_has_prefix(accept, "text/html");
}

gboolean onSendRequest(WebKitWebPage* page, WebKitURIRequest* request, WebKitURIResponse*,
                       gpointer) {
  const char* uri = webkit_uri_request_get_uri(request);
  // A signed address is made here and nowhere else, so one that a page asks for itself (a
  // script can read it from its own stack) is cancelled: it would load as a frame's document
  // in the scheme's own origin, or answer a script. Only a local file's address is the page's.
  if (uri && g_str_has_prefix(uri, PrivateResourceUrl::kScheme) &&
      uri[std::strlen(PrivateResourceUrl::kScheme)] == ':') {
    const auto parsed = PrivateResourceUrl::parse(uri);
    return parsed && parsed->kind == PrivateResourceUrl::Kind::kFile ? FALSE : TRUE;
  }
  if (!uri || (!g_str_has_prefix(uri, "http://") && !g_str_has_prefix(uri, "https://")) ||
      gKey.empty() || !isElementRequest(request)) {
    return FALSE;
  }
  const char* pageUri = webkit_web_page_get_uri(page);
  const bool clientBuilt = pageUri && std::strcmp(pageUri, "about:blank") == 0;
  const uint64_t pageId = webkit_web_page_get_id(page);
  if (clientBuilt) {
    webkit_uri_request_set_uri(
        request, PrivateResourceUrl::make(PrivateResourceUrl::Kind::kFetch, uri, gKey, pageId).c_str());
  } else if (ofAnotherOrigin(request, uri, pageUri) && applicationHolds(uri)) {
    webkit_uri_request_set_uri(
        request, PrivateResourceUrl::make(PrivateResourceUrl::Kind::kCached, uri, gKey, pageId).c_str());
  }
  return FALSE;
}

void onPageCreated(WebKitWebExtension*, WebKitWebPage* page, gpointer) {
  g_signal_connect(page, "send-request", G_CALLBACK(onSendRequest), nullptr);
}

}  // namespace

extern "C" G_MODULE_EXPORT void webkit_web_extension_initialize_with_user_data(
    WebKitWebExtension* extension, const GVariant* userData) {
  // (the socket's path, the key that signs the private addresses)
  if (userData && g_variant_is_of_type(const_cast<GVariant*>(userData), G_VARIANT_TYPE("(ss)"))) {
    const gchar* path = nullptr;
    const gchar* key = nullptr;
    g_variant_get(const_cast<GVariant*>(userData), "(&s&s)", &path, &key);
    gSocketPath = path;
    gKey = key;
  }
  g_signal_connect(extension, "page-created", G_CALLBACK(onPageCreated), nullptr);
}
