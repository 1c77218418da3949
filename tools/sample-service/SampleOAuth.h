// SampleOAuth: the sample service's stand-in for platform 0's microblog (zelvanemblog) during
// `make run`: the OAuth 1.0a token exchange and the account's user information, at the paths
// the client's platform table gives ("/oauth/request_token", "/oauth/authenticate",
// "/oauth/access_token", "/account/verify_credentials.json"). Every request but the page must
// carry a valid HMAC-SHA1 signature for the client's built-in phone key of platform 0 and the
// token secret of its step, and the token of its step; anything else gets a 401 (the service
// checks the timestamp and nonce of these steps and the posts first: SamplePlatforms). The
// authorisation page links to the callback address the request carried, with the request
// token and a verifier, as a platform's page does once the reader agrees.
//
// Stateless (fixed tokens), so any thread may call answer().
#pragma once

#include <map>
#include <optional>
#include <string>

namespace zu {

class SampleOAuth {
 public:
  static constexpr const char* kConsumerKey = "9jYg7SjjPvttfbfM";
  static constexpr const char* kConsumerSecret = "LZuPjII4OoaQmzBinnpy3MPNZEPFqzi0";
  static constexpr const char* kRequestToken = "sample-request-token";
  static constexpr const char* kRequestSecret = "sample-request-secret";
  static constexpr const char* kVerifier = "sample-verifier";
  static constexpr const char* kAccessToken = "sample-access-token";
  static constexpr const char* kAccessSecret = "sample-access-secret";
  static constexpr const char* kNickName = "样例读者";
  static constexpr const char* kScreenName = "sample_reader";

  // The viewport of the authorisation pages (theirs and the other platforms'): a phone's page,
  // laid out at the device's width rather than zoomed out from a desktop's.
  static constexpr const char* kPhoneViewport = "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">";

  struct Reply {
    int status = 200;
    std::string contentType;
    std::string body;
  };

  // The answer to one of the four paths; nullopt for any other path. `headers` have lower-case
  // names; `baseUrl` is the server's ("http://127.0.0.1:<port>"), which the client signed.
  static std::optional<Reply> answer(const std::string& method, const std::string& path,
                                     const std::string& query, const std::string& body,
                                     const std::map<std::string, std::string>& headers,
                                     const std::string& baseUrl);

  // Whether `path` is one of the signed steps answer() takes (the tokens and user information).
  static bool isSignedStep(const std::string& path);

  // The parameters a request carries: the query's, a form body's and the "Authorization"
  // header's (decoded; realm left out).
  static std::multimap<std::string, std::string> parameters(const std::string& query, const std::string& body,
                                                            const std::map<std::string, std::string>& headers);
  // Whether the request is signed with HMAC-SHA1 for the consumer `key` and `secret` and
  // `tokenSecret`, carrying `expectedToken` (null: no token at all); `url` is the address the
  // client signed, without its query.
  static bool isSignedFor(const std::string& key, const std::string& secret, const std::string& method,
                          const std::string& url, std::multimap<std::string, std::string> parameters,
                          const char* expectedToken, const std::string& tokenSecret);
  // Whether the request is signed for the client's phone key of platform 0 and `tokenSecret`,
  // carrying `expectedToken` (null: no token at all). The parameters signed are the query's, a
  // form body's and the "Authorization" header's.
  static bool isSigned(const std::string& method, const std::string& path, const std::string& query,
                       const std::string& body, const std::map<std::string, std::string>& headers,
                       const std::string& baseUrl, const char* expectedToken, const char* tokenSecret);
  // The decoded value of `key` in a form ("k=v&k=v", "+" a blank), or nullopt.
  static std::optional<std::string> formValue(const std::string& form, const std::string& key);

  // OAuth 1.0a's HMAC-SHA1 signature of a request (parameters already decoded), base64.
  static std::string signature(const std::string& method, const std::string& url,
                               std::multimap<std::string, std::string> parameters,
                               const std::string& consumerSecret, const std::string& tokenSecret);

  // Text made safe for XML or HTML content and attribute values (the pages' links carry
  // addresses the request gave; the other sample answers use it for what requests name).
  static std::string escapeMarkup(const std::string& text);
  // Text made safe inside a JSON string (quotes and backslashes escaped, line breaks as \n and
  // \r, other control characters as blanks), for the platforms' JSON answers.
  static std::string escapeJson(const std::string& text);

  // Percent-encoding as OAuth signs (unreserved characters kept); the other sample answers use it
  // (and formValue) for their queries.
  static std::string percentEncode(const std::string& text);
};

}  // namespace zu
