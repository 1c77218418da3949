#include "SampleOAuth.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <algorithm>
#include <cctype>
#include <vector>

namespace zu {

namespace {

using Parameters = std::multimap<std::string, std::string>;

std::string encode(const std::string& text) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Percent-decoding; a form's "+" is a blank, while in the Authorization header's values (RFC 5849
// percent-encoding) it is itself.
std::string decode(const std::string& text, bool plusIsBlank = true) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
      i += 2;
    } else {
      out += plusIsBlank && text[i] == '+' ? ' ' : text[i];
    }
  }
  return out;
}

void addForm(const std::string& text, Parameters& into) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('&', start);
    if (end == std::string::npos) end = text.size();
    const std::string piece = text.substr(start, end - start);
    const size_t eq = piece.find('=');
    if (eq != std::string::npos) into.emplace(decode(piece.substr(0, eq)), decode(piece.substr(eq + 1)));
    start = end + 1;
  }
}

// The protocol parameters of an "OAuth k="v", ..." header: those named "oauth_…" (the header
// carries no others; realm and anything else a client puts there are left out).
void addAuthorization(const std::string& header, Parameters& into) {
  if (header.rfind("OAuth ", 0) != 0) return;
  size_t at = 6;
  while (at < header.size()) {
    size_t comma = header.find(',', at);
    if (comma == std::string::npos) comma = header.size();
    std::string item = header.substr(at, comma - at);
    while (!item.empty() && item.front() == ' ') item.erase(0, 1);
    const size_t eq = item.find('=');
    if (eq != std::string::npos && item.size() >= eq + 3) {
      const std::string key = item.substr(0, eq);
      const std::string value = item.substr(eq + 2, item.size() - eq - 3);
      if (key.rfind("oauth_", 0) == 0) into.emplace(key, decode(value, false));
    }
    at = comma + 1;
  }
}

std::optional<std::string> valueOf(const Parameters& parameters, const std::string& key) {
  auto it = parameters.find(key);
  if (it == parameters.end()) return std::nullopt;
  return it->second;
}

std::string header(const std::map<std::string, std::string>& headers, const std::string& name) {
  auto it = headers.find(name);
  return it == headers.end() ? std::string() : it->second;
}

}  // namespace

std::string SampleOAuth::percentEncode(const std::string& text) { return encode(text); }

std::string SampleOAuth::escapeMarkup(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '"': out += "&quot;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '\'': out += "&apos;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string SampleOAuth::escapeJson(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (static_cast<unsigned char>(c) < 0x20) {
      out += ' ';
    } else {
      out += c;
    }
  }
  return out;
}

std::string SampleOAuth::signature(const std::string& method, const std::string& url,
                                   Parameters parameters, const std::string& consumerSecret,
                                   const std::string& tokenSecret) {
  std::vector<std::pair<std::string, std::string>> encoded;
  for (const auto& [k, v] : parameters) encoded.emplace_back(encode(k), encode(v));
  std::sort(encoded.begin(), encoded.end());
  std::string normalised;
  for (const auto& [k, v] : encoded) {
    if (!normalised.empty()) normalised += '&';
    normalised += k + "=" + v;
  }
  const std::string base = method + "&" + encode(url) + "&" + encode(normalised);
  const std::string key = encode(consumerSecret) + "&" + encode(tokenSecret);
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  HMAC(EVP_sha1(), key.data(), static_cast<int>(key.size()),
       reinterpret_cast<const unsigned char*>(base.data()), base.size(), digest, &length);
  std::string out(4 * ((length + 2) / 3) + 1, '\0');
  const int written = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()), digest, static_cast<int>(length));
  out.resize(static_cast<size_t>(written));
  return out;
}

Parameters SampleOAuth::parameters(const std::string& query, const std::string& body,
                                   const std::map<std::string, std::string>& headers) {
  Parameters parameters;
  addForm(query, parameters);
  const std::string type = header(headers, "content-type");
  if (type.empty() || type.rfind("application/x-www-form-urlencoded", 0) == 0) addForm(body, parameters);
  addAuthorization(header(headers, "authorization"), parameters);
  return parameters;
}

bool SampleOAuth::isSignedFor(const std::string& key, const std::string& secret, const std::string& method,
                              const std::string& url, Parameters parameters, const char* expectedToken,
                              const std::string& tokenSecret) {
  const auto signed_ = valueOf(parameters, "oauth_signature");
  parameters.erase("oauth_signature");
  const auto token = valueOf(parameters, "oauth_token");
  const bool tokenRight = expectedToken ? token == std::optional<std::string>(expectedToken) : !token;
  return valueOf(parameters, "oauth_consumer_key") == std::optional<std::string>(key) && tokenRight && signed_ &&
         *signed_ == signature(method, url, parameters, secret, tokenSecret);
}

bool SampleOAuth::isSigned(const std::string& method, const std::string& path, const std::string& query,
                           const std::string& body, const std::map<std::string, std::string>& headers,
                           const std::string& baseUrl, const char* expectedToken, const char* tokenSecret) {
  return isSignedFor(kConsumerKey, kConsumerSecret, method, baseUrl + path, parameters(query, body, headers),
                     expectedToken, tokenSecret);
}

std::optional<std::string> SampleOAuth::formValue(const std::string& form, const std::string& key) {
  Parameters parameters;
  addForm(form, parameters);
  return valueOf(parameters, key);
}

bool SampleOAuth::isSignedStep(const std::string& path) {
  return path == "/oauth/request_token" || path == "/oauth/access_token" || path == "/account/verify_credentials.json";
}

std::optional<SampleOAuth::Reply> SampleOAuth::answer(const std::string& method, const std::string& path,
                                                      const std::string& query, const std::string& body,
                                                      const std::map<std::string, std::string>& headers,
                                                      const std::string& baseUrl) {
  const bool requestToken = path == "/oauth/request_token";
  const bool accessToken = path == "/oauth/access_token";
  if (path == "/oauth/authenticate") {
    Parameters page;
    addForm(query, page);
    const auto token = valueOf(page, "oauth_token");
    const auto callback = valueOf(page, "oauth_callback");
    if (token != std::optional<std::string>(kRequestToken) || !callback) return Reply{400, "text/plain", "bad request token"};
    const std::string link = *callback + (callback->find('?') == std::string::npos ? "?" : "&") +
                             "oauth_token=" + kRequestToken + "&oauth_verifier=" + kVerifier;
    return Reply{200, "text/html;charset=utf-8",
                 "<!DOCTYPE html><html><head><meta charset=\"utf-8\">" + std::string(kPhoneViewport) +
                     "<title>授权</title></head><body>"
                 "<p>样例微博请求访问你的帐号。</p><p><a id=\"allow\" href=\"" + escapeMarkup(link) +
                     "\">授权</a></p></body></html>"};
  }
  if (!isSignedStep(path)) return std::nullopt;

  const char* expectedToken = requestToken ? nullptr : accessToken ? kRequestToken : kAccessToken;
  const char* tokenSecret = requestToken ? "" : accessToken ? kRequestSecret : kAccessSecret;
  if (!isSigned(method, path, query, body, headers, baseUrl, expectedToken, tokenSecret)) {
    return Reply{401, "text/plain", "invalid signature"};
  }
  if (requestToken) {
    return Reply{200, "text/plain",
                 std::string("oauth_token=") + kRequestToken + "&oauth_token_secret=" + kRequestSecret +
                     "&oauth_callback_confirmed=true"};
  }
  if (accessToken) {
    return Reply{200, "text/plain",
                 std::string("oauth_token=") + kAccessToken + "&oauth_token_secret=" + kAccessSecret};
  }
  return Reply{200, "application/json",
               std::string("{\"id\":7001,\"name\":\"") + kNickName + "\",\"screen_name\":\"" + kScreenName +
                   "\",\"profile_image_url\":\"" + baseUrl + "/img/avatar.png\"}"};
}

}  // namespace zu
