// SamplePlatforms: the sample service's stand-ins for the open platforms 1 to 6 of the accounts
// screen, so that each binds against the sample as its client speaks. Each platform lives under
// "/open/<n>" of the service (`make run` points the client's platform table there: every base
// address of platform n is "<service>/open/<n>"); platform 0 is SampleOAuth's, at the root.
//
// OAuth 1.0a, platforms 1 (paths "/oauth/request_token", "/oauth/authorize",
// "/oauth/access_token", user "/account/verify_credentials.json"), 2 ("/cgi-bin/request_token",
// "/cgi-bin/authorize", "/cgi-bin/access_token", user "/api/user/info") and 3 (as 1); OAuth 1.0,
// platform 4 ("/service/auth/…", user "/people/<id>"). Every signed request must carry the
// platform's consumer key (the client's built-in phone key), the HMAC-SHA1 method, a valid
// signature with the secrets of its step, the token of its step, a timestamp within five minutes
// of the service's clock (else 401 "oauth_problem=timestamp_refused&oauth_acceptable_timestamps=
// LOW-HIGH", which the client retries with) and a nonce not used before ("nonce_used"). The
// request token step needs the callback address; the page ("授权" link) leads to the callback the
// request token was given, with the request token and, for 1.0a, a verifier, which the access
// token step must then carry. Platform 4 (1.0) needs no verifier and names the user's id with the
// access token; its people record is public (unsigned). Anything else: 401 with the problem.
//
// OAuth 2.0 implicit grant, platforms 5 ("/oauth/authorize"; session "/renren_api/session_key";
// REST "/restserver.do") and 6 ("/oauth2/authorize"; user "/users/me.json"). The authorisation
// page checks the client id (the client's phone key), response_type "token" and the redirect
// address registered for the client (platform 5: the platform's own "/oauth/login_success.html";
// platform 6: the product's share-tools callback); a wrong one gets a 400 page naming the error
// and no link. Its "授权" link leads to the redirect address with the access token in the
// fragment and the client's `state` sent back as it came. Platform 5 swaps the token for a
// session key and answers REST calls whose "sig" (MD5 of the sorted parameters and the secret)
// and session key hold; platform 6 answers calls carrying the access token. Text posts of every
// platform are taken in with the same checks.
//
// Owned by SampleService; answer() may be called from any thread (the used nonces and the
// request tokens' callbacks are kept under a lock).
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>

namespace zu {

class SamplePlatforms {
 public:
  // The sample reader's nick name on platform `n` (0 to 6): one of its own on each, so the bound
  // accounts can be told apart (platform 0's is SampleOAuth::kNickName). Empty for another n.
  static std::string nickName(int n);
  // The callback address the product registered with platform 6 (its share-tools page).
  static constexpr const char* kShareToolsCallback = "http://zu.zelvane.com/shareTools/";

  struct Reply {
    int status = 200;
    std::string contentType;
    std::string body;
  };

  // The answer to a request under "/open/<n>" (n 1 to 6), nullopt for any other path.
  // `headers` have lower-case names; `baseUrl` is the server's.
  std::optional<Reply> answer(const std::string& method, const std::string& path, const std::string& query,
                              const std::string& body, const std::map<std::string, std::string>& headers,
                              const std::string& baseUrl);

  // The timestamp and nonce checks of a signed OAuth 1 request (platform 0's too): its
  // signature method, a timestamp within five minutes of the service's clock and a nonce not
  // used before. The problem when they fail ("oauth_problem=..."), else nullopt.
  std::optional<std::string> freshness(const std::multimap<std::string, std::string>& parameters);

  // The tokens platform `n` hands out.
  static std::string requestToken(int n) { return "p" + std::to_string(n) + "-request-token"; }
  static std::string verifier(int n) { return "p" + std::to_string(n) + "-verifier"; }
  static std::string accessToken(int n) { return "p" + std::to_string(n) + "-access-token"; }
  static std::string accessSecret(int n) { return "p" + std::to_string(n) + "-access-secret"; }
  // The client's built-in phone key and secret of platform `n` (1 to 6), which its requests
  // carry and are signed with.
  static std::string consumerKey(int n);
  static std::string consumerSecret(int n);

 private:
  std::optional<Reply> oauth1(int n, const std::string& method, const std::string& path, const std::string& query,
                              const std::string& body, const std::map<std::string, std::string>& headers,
                              const std::string& baseUrl);
  std::optional<Reply> oauth2(int n, const std::string& method, const std::string& path, const std::string& query,
                              const std::string& body, const std::string& baseUrl);
  std::mutex lock_;
  std::set<std::string> nonces_;
  std::map<int, std::string> callbacks_;  // platform -> the callback its request token was given
};

}  // namespace zu
