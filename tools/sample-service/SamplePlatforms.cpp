#include "SamplePlatforms.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <vector>

#include "SampleOAuth.h"
#include "SampleText.h"

namespace zu {

namespace {

using Parameters = std::multimap<std::string, std::string>;

// How far a request's timestamp may stray from the service's clock, in seconds.
constexpr long kTimestampWindow = 300;

// The client's built-in phone keys of platforms 1 to 6 (index 0 unused: SampleOAuth's).
struct Consumer {
  const char* key;
  const char* secret;
};
constexpr Consumer kConsumers[7] = {
    {"", ""},
    {"594401919", "5307b30cc252f50afac42187a2492c94"},
    {"4c3f1e5a41541c4568ab08bd4ce11a51", "3798fcfc5c1f702640db7ba53a1b88aa"},
    {"6lZqjztPpTlOmn0AYuft", "(y*-g7nwDkQuyAegOBjl!uD6g5Twsrx5lT0BVGxW"},
    {"8a29c1124a32e3d2cdae9f333b92bb54", "91daf3f7c1e20067"},
    {"3a7ae0ed8b87d681fdadb3d1c237115c", "a8252d074a337600f176f16c1be51d92"},
    {"ae0c06478bcabfd3f53a1e29d92f94c3", "d9ccf8de58406789b1f9c86a62b4e66a"},
};

// The OAuth 1 paths of platforms 1 to 4: request token, authorise page, access token.
struct Oauth1Paths {
  const char* requestToken;
  const char* authorize;
  const char* accessToken;
  bool verifier;  // OAuth 1.0a: the page gives a verifier the access token step must carry
};
constexpr Oauth1Paths kOauth1[5] = {
    {"", "", "", false},
    {"/oauth/request_token", "/oauth/authorize", "/oauth/access_token", true},
    {"/cgi-bin/request_token", "/cgi-bin/authorize", "/cgi-bin/access_token", true},
    {"/oauth/request_token", "/oauth/authorize", "/oauth/access_token", true},
    {"/service/auth/request_token", "/service/auth/authorize", "/service/auth/access_token", false},
};

std::string requestSecret(int n) { return "p" + std::to_string(n) + "-request-secret"; }
std::string sessionKey(int n) { return "p" + std::to_string(n) + "-session-key"; }
std::string userId(int n) { return "700" + std::to_string(n); }

std::optional<std::string> valueOf(const Parameters& parameters, const std::string& key) {
  auto it = parameters.find(key);
  if (it == parameters.end()) return std::nullopt;
  return it->second;
}

SamplePlatforms::Reply text(int status, const std::string& body) { return {status, "text/plain", body}; }
SamplePlatforms::Reply json(int status, const std::string& body) { return {status, "application/json", body}; }

// The reader's portrait, a picture of the service (`base` is the platform's, "<service>/open/<n>").
std::string avatar(const std::string& base) { return base.substr(0, base.rfind("/open/")) + "/img/avatar.png"; }

// A page of the platform: the authorisation's, or its refusal.
SamplePlatforms::Reply page(int status, const std::string& body) {
  return {status, "text/html;charset=utf-8",
          "<!DOCTYPE html><html><head><meta charset=\"utf-8\">" + std::string(SampleOAuth::kPhoneViewport) +
              "<title>授权</title><style>body{font-family:sans-serif;margin:16px;font-size:15px}a{font-size:18px}</style></head><body>" +
              body + "</body></html>"};
}

std::string md5Hex(const std::string& text) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(text.data(), text.size(), digest, &length, EVP_md5(), nullptr);
  static const char* hex = "0123456789abcdef";
  std::string out;
  for (unsigned int i = 0; i < length; ++i) {
    out += hex[digest[i] >> 4];
    out += hex[digest[i] & 15];
  }
  return out;
}

// Platform 5's signature of a REST call: MD5 of "k=v" of every parameter but "sig", sorted by
// name without regard to case, then the application's secret.
bool restSigned(const Parameters& parameters, const std::string& secret) {
  std::vector<std::pair<std::string, std::string>> sorted;
  for (const auto& [key, value] : parameters) {
    if (key != "sig") sorted.emplace_back(key, value);
  }
  std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return SampleText::lower(a.first) < SampleText::lower(b.first); });
  std::string text;
  for (const auto& [key, value] : sorted) text += key + "=" + value;
  auto sig = valueOf(parameters, "sig");
  return sig && SampleText::lower(*sig) == md5Hex(text + secret);
}

}  // namespace

std::optional<SamplePlatforms::Reply> SamplePlatforms::answer(const std::string& method, const std::string& path,
                                                              const std::string& query, const std::string& body,
                                                              const std::map<std::string, std::string>& headers,
                                                              const std::string& baseUrl) {
  if (path.size() < 8 || path.compare(0, 6, "/open/") != 0 || path[6] < '1' || path[6] > '6' || path[7] != '/') {
    return std::nullopt;
  }
  const int n = path[6] - '0';
  const std::string rest = path.substr(7);
  return n <= 4 ? oauth1(n, method, rest, query, body, headers, baseUrl + path.substr(0, 7))
                : oauth2(n, method, rest, query, body, baseUrl + path.substr(0, 7));
}

std::string SamplePlatforms::consumerKey(int n) { return n >= 1 && n <= 6 ? kConsumers[n].key : ""; }

std::string SamplePlatforms::consumerSecret(int n) { return n >= 1 && n <= 6 ? kConsumers[n].secret : ""; }

std::optional<std::string> SamplePlatforms::freshness(const Parameters& parameters) {
  if (valueOf(parameters, "oauth_signature_method") != std::optional<std::string>("HMAC-SHA1")) {
    return "oauth_problem=signature_method_rejected";
  }
  if (auto version = valueOf(parameters, "oauth_version"); version && *version != "1.0") {
    return "oauth_problem=version_rejected";
  }
  const long now = static_cast<long>(
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count());
  // A number of seconds within the window; anything else (no number, or one too large to
  // hold) is as stale as a time far off.
  const auto timestamp = valueOf(parameters, "oauth_timestamp");
  long sent = 0;
  const auto [end, error] = timestamp ? std::from_chars(timestamp->data(), timestamp->data() + timestamp->size(), sent)
                                      : std::from_chars_result{nullptr, std::errc::invalid_argument};
  if (error != std::errc() || end != timestamp->data() + timestamp->size() || sent < now - kTimestampWindow ||
      sent > now + kTimestampWindow) {
    return "oauth_problem=timestamp_refused&oauth_acceptable_timestamps=" + std::to_string(now - kTimestampWindow) +
           "-" + std::to_string(now + kTimestampWindow);
  }
  const auto nonce = valueOf(parameters, "oauth_nonce");
  if (!nonce || nonce->empty()) return "oauth_problem=parameter_absent&oauth_parameters_absent=oauth_nonce";
  std::lock_guard guard(lock_);
  if (!nonces_.insert(*timestamp + ":" + *nonce).second) return "oauth_problem=nonce_used";
  return std::nullopt;
}

std::optional<SamplePlatforms::Reply> SamplePlatforms::oauth1(int n, const std::string& method, const std::string& path,
                                                              const std::string& query, const std::string& body,
                                                              const std::map<std::string, std::string>& headers,
                                                              const std::string& base) {
  const Oauth1Paths& paths = kOauth1[n];
  const Consumer& consumer = kConsumers[n];
  const Parameters parameters = SampleOAuth::parameters(query, body, headers);

  if (path == paths.authorize) {
    // The page the reader agrees on: back to the callback the request token was given.
    std::string callback;
    {
      std::lock_guard guard(lock_);
      if (auto it = callbacks_.find(n); it != callbacks_.end()) callback = it->second;
    }
    if (valueOf(parameters, "oauth_token") != requestToken(n) || callback.empty()) {
      return page(400, "<p>oauth_problem=token_rejected</p>");
    }
    std::string link = callback + (callback.find('?') == std::string::npos ? "?" : "&") +
                       "oauth_token=" + requestToken(n);
    if (paths.verifier) link += "&oauth_verifier=" + verifier(n);
    return page(200, "<p>样例平台 " + std::to_string(n) + " 请求访问你的帐号。</p><p><a id=\"allow\" href=\"" +
                         SampleOAuth::escapeMarkup(link) + "\">授权</a></p>");
  }
  // Platform 4's people records are public.
  if (n == 4 && path.rfind("/people/", 0) == 0 && method == "GET") {
    if (path != "/people/" + userId(n)) return json(404, "{\"msg\":\"no such people\"}");
    return json(200, "{\"id\":{\"$t\":\"" + base + "/people/" + userId(n) + "\"},\"title\":{\"$t\":\"" + nickName(n) +
                         "\"},\"link\":[{\"@rel\":\"icon\",\"@href\":\"" + avatar(base) + "\"}]}");
  }

  // Every other call is signed, fresh, and carries the token of its step.
  const bool requestStep = path == paths.requestToken;
  const bool accessStep = path == paths.accessToken;
  const std::string userInfo = n == 2 ? "/api/user/info" : "/account/verify_credentials.json";
  const std::string post = n == 2 ? "/api/t/add" : n == 4 ? "/miniblog/saying" : "/statuses/update.xml";
  if (!requestStep && !accessStep && path != userInfo && !(path == post && method == "POST")) return std::nullopt;
  const std::string token = requestStep ? std::string() : accessStep ? requestToken(n) : accessToken(n);
  const std::string tokenSecret = requestStep ? std::string() : accessStep ? requestSecret(n) : accessSecret(n);
  if (auto problem = freshness(parameters)) return text(401, *problem);
  if (!SampleOAuth::isSignedFor(consumer.key, consumer.secret, method, base + path, parameters,
                                requestStep ? nullptr : token.c_str(), tokenSecret)) {
    return text(401, "oauth_problem=signature_invalid");
  }
  if (requestStep) {
    const auto callback = valueOf(parameters, "oauth_callback");
    if (!callback || callback->empty()) return text(400, "oauth_problem=parameter_absent&oauth_parameters_absent=oauth_callback");
    std::lock_guard guard(lock_);
    callbacks_[n] = *callback;
    return text(200, "oauth_token=" + requestToken(n) + "&oauth_token_secret=" + requestSecret(n) +
                         "&oauth_callback_confirmed=true");
  }
  if (accessStep) {
    if (paths.verifier && valueOf(parameters, "oauth_verifier") != verifier(n)) {
      return text(401, "oauth_problem=verifier_invalid");
    }
    std::string answer = "oauth_token=" + accessToken(n) + "&oauth_token_secret=" + accessSecret(n);
    if (n == 4) answer += "&douban_user_id=" + userId(n);
    return text(200, answer);
  }
  if (path == post) {
    if (n == 2) return json(200, "{\"ret\":0,\"msg\":\"ok\",\"errcode\":0,\"data\":{\"id\":\"1\",\"time\":1}}");
    if (n == 4) return Reply{201, "application/atom+xml", "<entry><id>1</id></entry>"};
    return Reply{200, "application/xml", "<status><id>1</id></status>"};
  }
  if (n == 2) {
    return json(200, std::string("{\"ret\":0,\"msg\":\"ok\",\"errcode\":0,\"data\":{\"name\":\"sample_reader\",\"nick\":\"") +
                         nickName(n) + "\",\"Head\":\"" + avatar(base) + "\"}}");
  }
  const std::string name = n == 3 ? "\"screen_name\"" : "\"name\"";
  return json(200, "{\"id\":" + userId(n) + "," + name + ":\"" + nickName(n) + "\",\"profile_image_url\":\"" +
                       avatar(base) + "\"}");
}

std::string SamplePlatforms::nickName(int n) {
  static const char* const kNames[] = {SampleOAuth::kNickName, "港口读者", "渡口边的读者", "灯塔下的读者",
                                       "读书的领航员", "码头书友", "潮汐读者"};
  return n >= 0 && n < 7 ? kNames[n] : std::string();
}

std::optional<SamplePlatforms::Reply> SamplePlatforms::oauth2(int n, const std::string& method, const std::string& path,
                                                              const std::string& query, const std::string& body,
                                                              const std::string& base) {
  const Consumer& consumer = kConsumers[n];
  Parameters parameters = SampleOAuth::parameters(query, body, {});
  const std::string authorize = n == 5 ? "/oauth/authorize" : "/oauth2/authorize";
  if (path == authorize) {
    // The registered redirect address, the client id and the grant; a wrong one is refused
    // on the page (never sent on to an address the client did not register).
    const std::string redirect = n == 5 ? base + "/oauth/login_success.html" : kShareToolsCallback;
    std::string error;
    if (valueOf(parameters, "client_id") != std::optional<std::string>(consumer.key)) {
      error = "invalid_client";
    } else if (valueOf(parameters, "response_type") != std::optional<std::string>("token")) {
      error = "unsupported_response_type";
    } else if (valueOf(parameters, "redirect_uri") != redirect) {
      error = "redirect_uri_mismatch";
    }
    if (!error.empty()) return page(400, "<p>授权失败：" + error + "</p>");
    std::string link = redirect + "#access_token=" + accessToken(n) + "&token_type=bearer&expires_in=2592000";
    if (auto state = valueOf(parameters, "state")) link += "&state=" + SampleOAuth::percentEncode(*state);
    return page(200, "<p>样例平台 " + std::to_string(n) + " 请求访问你的帐号。</p><p><a id=\"allow\" href=\"" +
                         SampleOAuth::escapeMarkup(link) + "\">授权</a></p>");
  }
  if (n == 5 && path == "/oauth/login_success.html") return page(200, "<p>授权成功</p>");
  if (n == 5 && path == "/renren_api/session_key" && method == "POST") {
    if (valueOf(parameters, "oauth_token") != accessToken(n)) return json(401, "{\"error\":\"invalid_token\"}");
    return json(200, "{\"renren_token\":{\"session_key\":\"" + sessionKey(n) +
                         "\",\"expires_in\":2592000},\"user\":{\"id\":" + userId(n) + "}}");
  }
  if (n == 5 && path == "/restserver.do" && method == "POST") {
    if (valueOf(parameters, "api_key") != std::optional<std::string>(consumer.key) ||
        valueOf(parameters, "session_key") != sessionKey(n)) {
      return json(200, "{\"error_code\":102,\"error_msg\":\"session key invalid\"}");
    }
    if (!restSigned(parameters, consumer.secret)) return json(200, "{\"error_code\":104,\"error_msg\":\"incorrect signature\"}");
    const auto call = valueOf(parameters, "method");
    if (call == std::optional<std::string>("users.getInfo")) {
      return json(200, "[{\"uid\":" + userId(n) + ",\"name\":\"" + nickName(n) + "\",\"headurl\":\"" + avatar(base) + "\"}]");
    }
    if (call == std::optional<std::string>("status.set")) return json(200, "{\"result\":1}");
    return json(200, "{\"error_code\":3,\"error_msg\":\"unknown method\"}");
  }
  if (n == 6 && (path == "/users/me.json" || (path == "/records/add.xml" && method == "POST"))) {
    if (valueOf(parameters, "access_token") != accessToken(n)) return json(401, "{\"error\":\"invalid_token\"}");
    if (path == "/records/add.xml") return Reply{200, "application/xml", "<result><rid>1</rid></result>"};
    return json(200, "{\"uid\":\"" + userId(n) + "\",\"name\":\"" + nickName(n) + "\",\"logo50\":\"" + avatar(base) + "\"}");
  }
  return std::nullopt;
}

}  // namespace zu
