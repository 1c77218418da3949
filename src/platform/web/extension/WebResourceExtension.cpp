// The web-process extension: loaded by the engine into each of its web processes (which are
// not ours and are built without sanitizers, so neither is this). It sees every request a page
// is about to send and sends the sub-resource elements — pictures, style sheets, scripts, fonts
// — of a page the client built (its address is "about:blank": HTML loaded without a base URL),
// every http and https one, to the application's private scheme, under an address signed for
// that page (PrivateResourceUrl; the key comes at start-up), so an offline article still shows
// its pictures. Any other page's requests stay with the engine, offline too: what the
// application holds would come at once where the network takes its time, and a page could time
// which pictures of other sites the reader has seen.
// Everything else stays with the engine and its own rules: documents (a page's navigations and
// its frames: an Accept header that begins with "text/html"), and what a page's scripts ask
// for — a page the client built has a unique origin, so XMLHttpRequest and fetch send an Origin
// header with every request, and no Accept header of the engine's own (none at all unless the
// script sets one), a beacon is a POST. An element loaded without CORS carries no Origin header,
// so the private scheme, which is not CORS-enabled, never serves anything a script could read.
// A page that asks for a signed address itself is cancelled: only the rewriting here makes them.
//
// It also runs the client's own scripts in a page (ClientScriptMessage): evaluated here, they
// carry none of the reader's tap, which the engine's own way of running them would lend to any
// page code they set off.
#include <wpe/webkit-web-extension.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "platform/web/ClientScriptMessage.h"
#include "platform/web/PrivateResourceUrl.h"

namespace {

using zu::web::ClientScriptMessage;
using zu::web::PrivateResourceUrl;

std::string gKey;

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
  if (pageUri && std::strcmp(pageUri, "about:blank") == 0) {
    webkit_uri_request_set_uri(request, PrivateResourceUrl::make(PrivateResourceUrl::Kind::kFetch, uri, gKey,
                                                                 webkit_web_page_get_id(page))
                                            .c_str());
  }
  return FALSE;
}

// The client's world: one for the process, so what a script keeps there (the selection's word)
// is there for the next.
WebKitScriptWorld* clientWorld() {
  static WebKitScriptWorld* world = webkit_script_world_new_with_name(ClientScriptMessage::kWorld);
  return world;
}

// The client's script, evaluated in the page's main frame; answered with its value as a string.
gboolean onUserMessage(WebKitWebPage* page, WebKitUserMessage* message, gpointer) {
  if (g_strcmp0(webkit_user_message_get_name(message), ClientScriptMessage::kName) != 0) return FALSE;
  std::string answer;
  GVariant* parameters = webkit_user_message_get_parameters(message);
  WebKitFrame* frame = webkit_web_page_get_main_frame(page);
  if (frame && parameters && g_variant_is_of_type(parameters, G_VARIANT_TYPE("(bs)"))) {
    gboolean inClientWorld = FALSE;
    const gchar* script = nullptr;
    g_variant_get(parameters, "(b&s)", &inClientWorld, &script);
    JSCContext* context = webkit_frame_get_js_context_for_script_world(
        frame, inClientWorld ? clientWorld() : webkit_script_world_get_default());
    JSCValue* value = jsc_context_evaluate(context, script, -1);
    if (jsc_context_get_exception(context)) {
      jsc_context_clear_exception(context);
    } else if (value && !jsc_value_is_undefined(value) && !jsc_value_is_null(value)) {
      gchar* text = jsc_value_to_string(value);
      // A string the page made may hold what is no UTF-8 (a lone surrogate): then no answer.
      if (text && g_utf8_validate(text, -1, nullptr)) answer = text;
      g_free(text);
    }
    if (value) g_object_unref(value);
    g_object_unref(context);
  }
  webkit_user_message_send_reply(
      message, webkit_user_message_new(ClientScriptMessage::kName, g_variant_new("(s)", answer.c_str())));
  return TRUE;
}

void onPageCreated(WebKitWebExtension*, WebKitWebPage* page, gpointer) {
  g_signal_connect(page, "send-request", G_CALLBACK(onSendRequest), nullptr);
  g_signal_connect(page, "user-message-received", G_CALLBACK(onUserMessage), nullptr);
}

}  // namespace

extern "C" G_MODULE_EXPORT void webkit_web_extension_initialize_with_user_data(
    WebKitWebExtension* extension, const GVariant* userData) {
  // (the key that signs the private addresses)
  if (userData && g_variant_is_of_type(const_cast<GVariant*>(userData), G_VARIANT_TYPE("(s)"))) {
    const gchar* key = nullptr;
    g_variant_get(const_cast<GVariant*>(userData), "(&s)", &key);
    gKey = key;
  }
  g_signal_connect(extension, "page-created", G_CALLBACK(onPageCreated), nullptr);
}
