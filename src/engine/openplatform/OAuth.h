// OAuth: the OAuth 1.0a signer and token exchange of one platform client. It signs with
// HMAC-SHA1 (base string of the upper-case method, the encoded URL without its query and the
// encoded parameter string sorted by key without regard to case; key of the encoded consumer
// secret and the token secret as held), runs the request-token and access-token requests
// itself, reads their answers, corrects its clock when a platform refuses the timestamp, and
// completes the parameters of the client's API calls.
//
// Parameter lists hold values that are already percent-encoded; the signer adds its own
// encoded "oauth_*" values and never decodes. A refused timestamp that comes with the range the
// platform accepts moves the signer's clock offset to the middle of that range and restarts
// the request-token step, once per exchange; a second refusal is an error.
//
// Owned by its client and used on the main thread; the token requests run on that thread's run
// loop and report to the observer (not retained). Destroying the signer cancels its request.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "engine/openplatform/OAuthObserver.h"
#include "engine/openplatform/OPUtils.h"
#include "platform/net/UrlConnection.h"
#include "platform/runtime/Value.h"

namespace zu {

class OAuth : public UrlConnectionDelegate {
 public:
  using Parameters = OPUtils::Fields;

  // Takes "requst_token_base_url", "authorize_base_url", "access_token_base_url",
  // "oauth_consumer_key" and "oauth_consumer_secret" from the dictionary when one is given.
  explicit OAuth(const Dictionary* parameters = nullptr);
  ~OAuth() override;
  OAuth(const OAuth&) = delete;
  OAuth& operator=(const OAuth&) = delete;

  static std::string stringUrlEncoded(std::string_view text);
  // Seconds since 1970 on the process clock plus the offset, as decimal text.
  std::string accessTimestamp() const;
  // A number from 123400 to 9999998 as decimal text.
  static std::string accessNonce();

  // Adds the pairs of the URL's query (after its first '?') as they stand.
  static void parametersInUrl(const std::string& url, Parameters& parameters);
  // "k=v&k=v" with the keys sorted without regard to case; nullopt for no parameters.
  static std::optional<std::string> generateParametersString(const Parameters& parameters);
  // Adds the URL's query pairs to the parameters and answers the signature base string.
  std::optional<std::string> generateBaseStringWithMethod(const std::string& method,
                                                          const std::string& url,
                                                          Parameters& parameters) const;
  // The Base64 signature (also kept as oauth_signature()); nullopt when there is nothing to sign.
  std::optional<std::string> accessSignatureWithMethod(const std::string& method,
                                                       const std::string& url,
                                                       Parameters& parameters);

  // Starts the request-token step (nothing happens when URL, key, secret or callback is missing).
  void asyncRequestRequestTokenWithCallbackUrl(const std::optional<std::string>& callbackUrl);
  // Starts the access-token step with the held request token (the verifier may be absent).
  void asyncRequestAccessTokenWithVerifier(const std::optional<std::string>& verifier);
  // xAuth: trades a user name and password for an access token.
  void asyncRequestAccessTokenWithUsername(const std::string& username,
                                           const std::string& password);

  // Adds the encoded OAuth parameters and the signature of an API call to `parameters`.
  // False, leaving them untouched, unless an access token is held and every argument is there.
  bool accessCompleteParametersWithMethod(const std::string& method, const std::string& url,
                                          Parameters& parameters);
  // The last signature (Base64, not encoded).
  const std::optional<std::string>& authString() const { return oauth_signature_; }

  // Whether a token answer refuses the timestamp (or is empty).
  static bool timestampInvalid(const std::string& text);

  OAuthObserver* observer() const { return observer_; }
  void setObserver(OAuthObserver* observer) { observer_ = observer; }
  const std::string& consumerKey() const { return oauth_consumer_key_; }
  const std::string& consumerSecret() const { return oauth_consumer_secret_; }
  const std::optional<std::string>& token() const { return oauth_token_; }
  void setToken(std::optional<std::string> token) { oauth_token_ = std::move(token); }
  const std::optional<std::string>& tokenSecret() const { return oauth_token_secret_; }
  void setTokenSecret(std::optional<std::string> s) { oauth_token_secret_ = std::move(s); }
  const std::optional<std::string>& callback() const { return oauth_callback_; }
  const std::optional<std::string>& verifier() const { return oauth_verifier_; }
  const std::string& timestamp() const { return oauth_timestamp_; }
  const std::string& nonce() const { return oauth_nonce_; }
  double timestampOffset() const { return timestamp_offset_; }
  void setTimestampOffset(double offset) { timestamp_offset_ = offset; }
  bool isRequestToken() const { return isRequestToken_; }
  bool authorized() const { return authorized_; }
  void setAuthorized(bool authorized) { authorized_ = authorized; }

  void connectionDidReceiveResponse(UrlConnection& connection,
                                    const std::shared_ptr<const UrlResponse>& response) override;
  void connectionDidReceiveData(UrlConnection& connection, const uint8_t* data,
                                size_t length) override;
  void connectionDidFinishLoading(UrlConnection& connection) override;
  void connectionDidFailWithError(UrlConnection& connection, const UrlError& error) override;

 private:
  void requestRequestToken(const std::optional<std::string>& callbackUrl);
  void freshTimestampAndNonce();
  // Adds the encoded consumer key, the token (when `withToken`), nonce, signature method,
  // timestamp and version, in that order.
  void addOAuthParameters(Parameters& parameters, bool withToken) const;
  // Signs GET over `url`, adds the encoded signature and starts the token request.
  void startTokenRequest(const std::string& url, Parameters& parameters);
  // A refused timestamp with a usable range: moves the offset and restarts, once.
  bool retryWithAcceptableTimestamps(const std::string& text);

  OAuthObserver* observer_ = nullptr;
  std::string request_token_base_url_;
  std::string authorize_base_url_;
  std::string access_token_base_url_;
  std::string x_auth_username_;
  std::string x_auth_password_;
  std::string x_auth_mode_;
  std::optional<std::string> oauth_callback_;
  std::string oauth_consumer_key_;
  std::string oauth_consumer_secret_;
  std::string oauth_signature_method_;
  std::optional<std::string> oauth_signature_;
  std::string oauth_timestamp_;
  std::string oauth_nonce_;
  std::string oauth_version_;
  std::optional<std::string> oauth_token_;
  std::optional<std::string> oauth_token_secret_;
  std::optional<std::string> oauth_verifier_;
  double timestamp_offset_ = 0;
  std::shared_ptr<UrlConnection> httpConnection_;
  Bytes responseData_;
  bool isRequestToken_ = false;
  bool authorized_ = false;
  // The running exchange already restarted once for a refused timestamp.
  bool timestampRetried_ = false;
};

}  // namespace zu
