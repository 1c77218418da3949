#include "engine/openplatform/OAuth.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <random>

#include "common/Log.h"
#include "engine/openplatform/Base64EncodeData.h"
#include "platform/crypto/HmacSha1.h"
#include "platform/runtime/Clock.h"

namespace zu {

namespace {

constexpr char kAcceptableTimestamps[] = "oauth_acceptable_timestamps=";
constexpr char kTimestampRefused[] = "timestamp_refused";
constexpr double kTokenRequestTimeout = 60;

std::string upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

std::string stringParam(const Dictionary* d, std::string_view key) {
  if (!d) return {};
  const Value* v = d->find(key);
  const std::string* s = v ? v->asString() : nullptr;
  return s ? *s : std::string();
}

// The leading integer of a text ("2000&x" -> 2000); nullopt without leading digits.
std::optional<int64_t> leadingInteger(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  size_t start = i;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  size_t digits = i;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
  if (i == digits || i - digits > 18) return std::nullopt;
  return std::strtoll(std::string(text.substr(start, i - start)).c_str(), nullptr, 10);
}

}  // namespace

OAuth::OAuth(const Dictionary* parameters) {
  if (parameters) {
    request_token_base_url_ = stringParam(parameters, "requst_token_base_url");
    authorize_base_url_ = stringParam(parameters, "authorize_base_url");
    access_token_base_url_ = stringParam(parameters, "access_token_base_url");
    oauth_consumer_key_ = stringParam(parameters, "oauth_consumer_key");
    oauth_consumer_secret_ = stringParam(parameters, "oauth_consumer_secret");
  }
  oauth_signature_method_ = "HMAC-SHA1";
  oauth_version_ = "1.0";
  x_auth_mode_ = "client_auth";
}

OAuth::~OAuth() {
  if (httpConnection_) httpConnection_->cancel();
}

std::string OAuth::stringUrlEncoded(std::string_view text) {
  return OPUtils::stringUrlEncoded(text);
}

std::string OAuth::accessTimestamp() const {
  double seconds = Clock::get()->now() + timestamp_offset_;
  return std::to_string(static_cast<int64_t>(seconds));
}

std::string OAuth::accessNonce() {
  static thread_local std::mt19937 random{std::random_device{}()};
  return std::to_string(random() % 9876599u + 123400u);
}

void OAuth::parametersInUrl(const std::string& url, Parameters& parameters) {
  size_t q = url.find('?');
  if (q == std::string::npos || q + 1 >= url.size()) return;
  std::string_view query(url);
  query.remove_prefix(q + 1);
  for (;;) {
    size_t amp = query.find('&');
    std::string_view piece = query.substr(0, amp);
    size_t eq = piece.find('=');
    if (eq != std::string_view::npos) {
      OPUtils::setField(parameters, std::string(piece.substr(0, eq)),
                        std::string(piece.substr(eq + 1)));
    }
    if (amp == std::string_view::npos) break;
    query.remove_prefix(amp + 1);
  }
}

std::optional<std::string> OAuth::generateParametersString(const Parameters& parameters) {
  if (parameters.empty()) return std::nullopt;
  Parameters sorted = parameters;
  OPUtils::sortCaseInsensitive(sorted);
  std::string out;
  for (const auto& [key, value] : sorted) {
    if (!out.empty()) out += '&';
    out += key;
    out += '=';
    out += value;
  }
  return out;
}

std::optional<std::string> OAuth::generateBaseStringWithMethod(const std::string& method,
                                                               const std::string& url,
                                                               Parameters& parameters) const {
  parametersInUrl(url, parameters);
  auto parameterString = generateParametersString(parameters);
  if (!parameterString) return std::nullopt;
  std::string bareUrl = url.substr(0, url.find('?'));
  return upper(method) + "&" + stringUrlEncoded(bareUrl) + "&" + stringUrlEncoded(*parameterString);
}

std::optional<std::string> OAuth::accessSignatureWithMethod(const std::string& method,
                                                            const std::string& url,
                                                            Parameters& parameters) {
  auto base = generateBaseStringWithMethod(method, url, parameters);
  if (!base) return std::nullopt;
  std::string key = stringUrlEncoded(oauth_consumer_secret_) + "&";
  if (oauth_token_secret_) key += *oauth_token_secret_;
  crypto::HmacSha1::Digest digest = crypto::HmacSha1::sign(key, *base);
  char buffer[32];
  size_t length = sizeof buffer;
  if (!Base64EncodeData(digest.data(), digest.size(), buffer, &length)) return std::nullopt;
  oauth_signature_ = std::string(buffer, length);
  return oauth_signature_;
}

void OAuth::freshTimestampAndNonce() {
  oauth_timestamp_ = accessTimestamp();
  oauth_nonce_ = accessNonce();
}

void OAuth::addOAuthParameters(Parameters& p, bool withToken) const {
  OPUtils::setField(p, "oauth_consumer_key", stringUrlEncoded(oauth_consumer_key_));
  if (withToken) OPUtils::setField(p, "oauth_token", stringUrlEncoded(oauth_token_.value_or("")));
  OPUtils::setField(p, "oauth_nonce", stringUrlEncoded(oauth_nonce_));
  OPUtils::setField(p, "oauth_signature_method", stringUrlEncoded(oauth_signature_method_));
  OPUtils::setField(p, "oauth_timestamp", stringUrlEncoded(oauth_timestamp_));
  OPUtils::setField(p, "oauth_version", stringUrlEncoded(oauth_version_));
}

void OAuth::startTokenRequest(const std::string& url, Parameters& parameters) {
  auto signature = accessSignatureWithMethod("GET", url, parameters);
  if (!signature) return;
  OPUtils::setField(parameters, "oauth_signature", stringUrlEncoded(*signature));
  UrlRequest request(url + "?" + generateParametersString(parameters).value_or(""));
  request.setMethod("GET");
  request.setTimeoutInterval(kTokenRequestTimeout);
  if (httpConnection_) httpConnection_->cancel();
  responseData_.clear();
  httpConnection_ = UrlConnection::start(std::move(request), this);
}

void OAuth::asyncRequestRequestTokenWithCallbackUrl(const std::optional<std::string>& callbackUrl) {
  timestampRetried_ = false;
  requestRequestToken(callbackUrl);
}

void OAuth::requestRequestToken(const std::optional<std::string>& callbackUrl) {
  if (request_token_base_url_.empty() || oauth_consumer_key_.empty() ||
      oauth_consumer_secret_.empty() || oauth_signature_method_.empty() ||
      oauth_version_.empty() || !callbackUrl) {
    return;
  }
  isRequestToken_ = true;
  oauth_token_.reset();
  oauth_token_secret_.reset();
  oauth_callback_ = callbackUrl;
  freshTimestampAndNonce();
  Parameters p;
  OPUtils::setField(p, "oauth_callback", stringUrlEncoded(*callbackUrl));
  addOAuthParameters(p, false);
  startTokenRequest(request_token_base_url_, p);
}

void OAuth::asyncRequestAccessTokenWithVerifier(const std::optional<std::string>& verifier) {
  if (access_token_base_url_.empty() || !oauth_token_ || !oauth_token_secret_ ||
      oauth_consumer_key_.empty() || oauth_consumer_secret_.empty() ||
      oauth_signature_method_.empty() || oauth_version_.empty()) {
    return;
  }
  isRequestToken_ = false;
  oauth_verifier_ = verifier;
  freshTimestampAndNonce();
  Parameters p;
  addOAuthParameters(p, true);
  if (verifier) OPUtils::setField(p, "oauth_verifier", stringUrlEncoded(*verifier));
  startTokenRequest(access_token_base_url_, p);
}

void OAuth::asyncRequestAccessTokenWithUsername(const std::string& username,
                                                const std::string& password) {
  if (access_token_base_url_.empty() || oauth_consumer_key_.empty() ||
      oauth_consumer_secret_.empty() || oauth_signature_method_.empty() ||
      oauth_version_.empty()) {
    return;
  }
  isRequestToken_ = false;
  x_auth_username_ = username;
  x_auth_password_ = password;
  oauth_token_.reset();
  oauth_token_secret_.reset();
  freshTimestampAndNonce();
  Parameters p;
  OPUtils::setField(p, "x_auth_username", stringUrlEncoded(x_auth_username_));
  OPUtils::setField(p, "x_auth_password", stringUrlEncoded(x_auth_password_));
  OPUtils::setField(p, "x_auth_mode", stringUrlEncoded(x_auth_mode_));
  addOAuthParameters(p, false);
  startTokenRequest(access_token_base_url_, p);
}

bool OAuth::accessCompleteParametersWithMethod(const std::string& method, const std::string& url,
                                               Parameters& parameters) {
  if (!authorized_ || !oauth_token_ || !oauth_token_secret_ || oauth_consumer_key_.empty() ||
      oauth_consumer_secret_.empty() || oauth_signature_method_.empty() ||
      oauth_version_.empty() || method.empty() || url.empty()) {
    return false;
  }
  freshTimestampAndNonce();
  addOAuthParameters(parameters, true);
  auto signature = accessSignatureWithMethod(method, url, parameters);
  if (!signature) return false;
  OPUtils::setField(parameters, "oauth_signature", stringUrlEncoded(*signature));
  return true;
}

bool OAuth::timestampInvalid(const std::string& text) {
  return text.empty() || text.find(kAcceptableTimestamps) != std::string::npos ||
         text.find(kTimestampRefused) != std::string::npos;
}

bool OAuth::retryWithAcceptableTimestamps(const std::string& text) {
  if (timestampRetried_) return false;
  size_t at = text.find(kAcceptableTimestamps);
  if (at == std::string::npos) return false;
  std::string_view range(text);
  range.remove_prefix(at + sizeof kAcceptableTimestamps - 1);
  size_t dash = range.find('-');
  if (dash == std::string_view::npos || range.find('-', dash + 1) != std::string_view::npos) {
    return false;
  }
  auto low = leadingInteger(range.substr(0, dash));
  auto high = leadingInteger(range.substr(dash + 1));
  auto sent = leadingInteger(oauth_timestamp_);
  if (!low || !high || !sent) return false;
  // The sent timestamp already carried the old offset, so the correction adds to it.
  timestamp_offset_ += (static_cast<double>(*low) + static_cast<double>(*high)) / 2 -
                       static_cast<double>(*sent);
  timestampRetried_ = true;
  requestRequestToken(oauth_callback_);
  return true;
}

void OAuth::connectionDidReceiveResponse(UrlConnection&,
                                         const std::shared_ptr<const UrlResponse>&) {
  responseData_.clear();
}

void OAuth::connectionDidReceiveData(UrlConnection&, const uint8_t* data, size_t length) {
  responseData_.insert(responseData_.end(), data, data + length);
}

void OAuth::connectionDidFinishLoading(UrlConnection&) {
  auto keep = std::move(httpConnection_);
  std::string text(responseData_.begin(), responseData_.end());
  responseData_.clear();
  auto token = OPUtils::getFieldValue(text, "oauth_token");
  auto secret = OPUtils::getFieldValue(text, "oauth_token_secret");
  if (token && secret) {
    oauth_token_ = token;
    oauth_token_secret_ = secret;
    if (isRequestToken_) {
      authorized_ = false;
      if (observer_) observer_->onOAuthRequestToken(this, *token);
    } else {
      authorized_ = true;
      if (observer_) observer_->onOAuthAccessToken(this, *token, text);
    }
    return;
  }
  if (timestampInvalid(text)) {
    if (retryWithAcceptableTimestamps(text)) return;
    VESKLogImpl("OAuth: timestamp refused: %s", text.c_str());
    if (observer_) observer_->onOAuthError(this, -1, "时间戳无效!");
    return;
  }
  if (observer_) observer_->onOAuthError(this, -1, "无效数据");
}

void OAuth::connectionDidFailWithError(UrlConnection& connection, const UrlError& error) {
  auto keep = std::move(httpConnection_);
  connection.cancel();
  VESKLogImpl("OAuth: token request failed (%d): %s", error.code, error.message.c_str());
  if (observer_) observer_->onOAuthError(this, -1, "网络连接错误");
}

}  // namespace zu
