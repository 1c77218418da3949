#include "engine/openplatform/OpenPlatform_OAuth1.h"

#include <iterator>

#include "common/Log.h"
#include "common/UrlEncode.h"
#include "engine/openplatform/OpenPlatformConfig.h"
#include "engine/openplatform/OpenPlatformError.h"
#include "platform/runtime/FileUtil.h"

namespace zu {

OpenPlatform_OAuth1::OpenPlatform_OAuth1() = default;
OpenPlatform_OAuth1::~OpenPlatform_OAuth1() = default;

void OpenPlatform_OAuth1::init(int platform) {
  OpenPlatformBase::init(platform);
  Dictionary parameters{
      {"requst_token_base_url", getRequestTokenBaseUrl()},
      {"authorize_base_url", getAuthorizeBaseUrl()},
      {"access_token_base_url", getAccessTokenBaseUrl()},
      {"oauth_consumer_key", getOAuthConsumerKey()},
      {"oauth_consumer_secret", getOAuthConsumerSecret()},
  };
  oAuth_ = std::make_unique<OAuth>(&parameters);
  oAuth_->setObserver(this);
  if (accountInfo_.accessToken && accountInfo_.secret) {
    oAuth_->setToken(accountInfo_.accessToken);
    oAuth_->setTokenSecret(accountInfo_.secret);
    oAuth_->setAuthorized(true);
    status_ = kStatusBound;
  }
}

std::string OpenPlatform_OAuth1::getRequestTokenBaseUrl() const {
  const PlatformItemInfo* row = getPlatformItem(platform_);
  return row ? row->requestTokenUrl : std::string();
}
std::string OpenPlatform_OAuth1::getAuthorizeBaseUrl() const {
  const PlatformItemInfo* row = getPlatformItem(platform_);
  return row ? row->authorizeUrl : std::string();
}
std::string OpenPlatform_OAuth1::getAccessTokenBaseUrl() const {
  const PlatformItemInfo* row = getPlatformItem(platform_);
  return row ? row->accessTokenUrl : std::string();
}
std::string OpenPlatform_OAuth1::getUserInfoUrl() const {
  const PlatformItemInfo* row = getPlatformItem(platform_);
  return row ? row->userInfoUrl : std::string();
}
std::string OpenPlatform_OAuth1::getOAuthConsumerKey() const {
  const PlatformItemInfo* row = getPlatformItem(platform_);
  return row ? row->appKey : std::string();
}
std::string OpenPlatform_OAuth1::getOAuthConsumerSecret() const {
  const PlatformItemInfo* row = getPlatformItem(platform_);
  return row ? row->appSecret : std::string();
}
std::string OpenPlatform_OAuth1::getPostUrl() const {
  const PlatformItemInfo* row = getPlatformItem(platform_);
  return row ? row->postUrl : std::string();
}
std::string OpenPlatform_OAuth1::getPostPicUrl() const {
  const PlatformItemInfo* row = getPlatformItem(platform_);
  return row ? row->postPicUrl : std::string();
}

std::string OpenPlatform_OAuth1::getAuthorizeUrl(const std::string& token,
                                                 const std::string& callbackUrl) const {
  return getAuthorizeBaseUrl() + "?oauth_token=" + token +
         "&oauth_callback=" + UrlEncode::encode(callbackUrl);
}

void OpenPlatform_OAuth1::authLogin() {
  if (status_ == kStatusBound) return;
  oAuth_->asyncRequestRequestTokenWithCallbackUrl(OpenPlatformConfig::current().callbackUrl);
}

void OpenPlatform_OAuth1::onOAuthRequestToken(OAuth*, const std::string& requestToken) {
  if (observer_) {
    observer_->onOPAuthorizeUrl(
        this, getAuthorizeUrl(requestToken, OpenPlatformConfig::current().callbackUrl));
  }
}

std::optional<std::string> OpenPlatform_OAuth1::parseVerifier(const std::string& url,
                                                              bool* success) {
  *success = OPUtils::getFieldValue(url, "oauth_token").has_value();
  return std::nullopt;
}

void OpenPlatform_OAuth1::OnAuthoriztionRet(const std::optional<std::string>& url) {
  bool success = false;
  std::optional<std::string> verifier;
  if (url && OPUtils::getFieldValue(*url, "oauth_token")) verifier = parseVerifier(*url, &success);
  if (!success) {
    notifyObserverResult(kOPErrBadArgument, optext::kBadArgument);
    return;
  }
  oAuth_->asyncRequestAccessTokenWithVerifier(verifier);
}

void OpenPlatform_OAuth1::onOAuthAccessToken(OAuth* oauth, const std::string& accessToken,
                                             const std::string& responseInfo) {
  auto keep = shared_from_this();
  accountInfo_.secret = oauth->tokenSecret();
  accountInfo_.accessToken = accessToken;
  OnAccessTokenRet(responseInfo);
  postBindOk();
}

void OpenPlatform_OAuth1::onOAuthError(OAuth*, int errorCode, const std::string& errorDes) {
  VESKLogImpl("OpenPlatform_OAuth1: %s token exchange failed (%d): %s", platformName_.c_str(),
              errorCode, errorDes.c_str());
  notifyObserverResult(kOPErrAuthFailed, optext::kAuthFailed);
}

void OpenPlatform_OAuth1::OnAccessTokenRet(const std::string&) {
  status_ = kStatusBound;
  GetUserInfo();
}

std::optional<std::string> OpenPlatform_OAuth1::createGetUserInfoReqUrl() {
  std::string url = getUserInfoUrl();
  OAuth::Parameters parameters;
  if (!oAuth_->accessCompleteParametersWithMethod("GET", url, parameters)) return std::nullopt;
  return url.substr(0, url.find('?')) + "?" +
         OAuth::generateParametersString(parameters).value_or("");
}

void OpenPlatform_OAuth1::GetUserInfo() {
  auto url = createGetUserInfoReqUrl();
  if (!url) {
    notifyObserverResult(kOPErrAuthFailed, optext::kAuthFailed);
    return;
  }
  startConnection(UrlRequest(*url), MyUrlConnection::kFlagUserInfo);
}

std::optional<std::string> OpenPlatform_OAuth1::verifierAfterField(const std::string& url,
                                                                   bool* success) {
  auto verifier = OPUtils::getFieldValue(url, "oauth_verifier");
  *success = verifier.has_value();
  return verifier;
}

std::optional<Bytes> OpenPlatform_OAuth1::pictureToPost(const std::optional<std::string>& text,
                                                        const std::optional<std::string>& picUri,
                                                        const char* notBoundText) {
  if (refusePost(text, !picUri, notBoundText)) return std::nullopt;
  // A picture that cannot be read (or is no regular file, a pipe included, or a file of more
  // than one name, which may be one outside the home) is a bad argument, not an empty picture
  // part.
  auto bytes = FileUtil::readFileToSend(*picUri);
  if (!bytes) {
    notifyObserverResult(kOPErrBadArgument, optext::kBadArgument);
    return std::nullopt;
  }
  return bytes;
}

void OpenPlatform_OAuth1::ReleaseConnection() {
  if (!urlConnection_) return;
  VESKLogImpl("ReleaseConnection id = %d", urlConnection_->flag());
  urlConnection_->destroy();
  urlConnection_.reset();
}

void OpenPlatform_OAuth1::startConnection(UrlRequest request, int flag, Value obID) {
  ReleaseConnection();
  urlConnection_ =
      MyUrlConnection::createConnection(std::move(request), weakDelegate(), flag, std::move(obID));
}

void OpenPlatform_OAuth1::myConnectionDidFailWithError(MyUrlConnection&, const UrlError& error) {
  VESKLogImpl("Error occurs with domain(%s), code(%d)", error.message.c_str(), error.code);
  if (observer_) observer_->onOPError(this, error.code, optext::kNetworkError);
}

void OpenPlatform_OAuth1::myConnectionDidFinishLoading(MyUrlConnection& connection) {
  auto keep = shared_from_this();
  std::string text = connection.responseText();
  VESKLogImpl("connectionDidFinishLoading platform = %s conn.flag = %d \r\nresponse = %s",
              platformName_.c_str(), connection.flag(), text.c_str());
  int code = 0;
  std::string description;
  checkResponse(text, connection.statusCode(), &code, &description);
  if (code != 0) {
    if (connection.statusCode() == 401 || code == kOPErrCredentialsRefused) clearAuthInfo();
    notifyObserverResult(code, description);
    return;
  }
  switch (connection.flag()) {
    case MyUrlConnection::kFlagPostPic:
      OnPostPicContentRet(connection, text);
      break;
    case MyUrlConnection::kFlagPost:
      OnPostContentRet(connection, text);
      break;
    case MyUrlConnection::kFlagUserInfo:
      onUserInfoAnswer(connection, text);
      break;
    default:
      OnCustomProc(connection);
      break;
  }
}

void OpenPlatform_OAuth1::onUserInfoAnswer(MyUrlConnection& connection, const std::string& text) {
  if (connection.statusCode() == 200 && OnUserInfoRet(text) && accountInfo_.nickName) {
    storeBoundAccount();
    if (observer_) observer_->onOPLoginSucc(this);
    return;
  }
  notifyObserverResult(kOPErrAuthFailed, optext::kAuthFailed);
}

bool OpenPlatform_OAuth1::OnPostPicContentRet(MyUrlConnection& connection,
                                              const std::string& text) {
  return OnPostContentRet(connection, text);
}

bool OpenPlatform_OAuth1::OnPostContentRet(MyUrlConnection& connection, const std::string&) {
  int status = connection.statusCode();
  if (status == 200 || status == 201) {
    notifyObserverResult(kOPSuccess, "");
    return true;
  }
  if (status == 401) {
    clearAuthInfo();
    notifyObserverResult(kOPErrAuthFailed, optext::kAuthFailed);
  } else if (status == 400) {
    notifyObserverResult(kOPErrRejected, getBadRequestErrorDescription(connection.responseData()));
  } else {
    notifyObserverResult(kOPErrAuthFailed, optext::kOperationError);
  }
  return false;
}

void OpenPlatform_OAuth1::PostContent(const std::optional<std::string>& text) {
  if (refusePost(text, false, optext::kNotLoggedIn)) return;
  UrlRequest request(getPostUrl());
  request.setMethod("POST");
  if (auto body = packagePostBodyData(*text, *oAuth_)) request.setBody(std::move(*body));
  startConnection(std::move(request), MyUrlConnection::kFlagPost);
}

void OpenPlatform_OAuth1::PostContentWithPic(const std::optional<std::string>& text,
                                             const std::optional<std::string>& picUri) {
  auto jpeg = pictureToPost(text, picUri, optext::kNotAuthorized);
  if (!jpeg) return;
  UrlRequest request;
  packagePostPicRequest(request, *jpeg, *oAuth_, *text);
  startConnection(std::move(request), MyUrlConnection::kFlagPostPic);
}

void OpenPlatform_OAuth1::clearAuthInfo() {
  oAuth_->setToken(std::nullopt);
  oAuth_->setTokenSecret(std::nullopt);
  oAuth_->setAuthorized(false);
  dropBoundAccount();
}

std::optional<Bytes> OpenPlatform_OAuth1::signedFormBody(OAuth& oauth,
                                                         OAuth::Parameters parameters) {
  oauth.accessCompleteParametersWithMethod("POST", getPostUrl(), parameters);
  auto text = OAuth::generateParametersString(parameters);
  if (!text) return std::nullopt;
  return Bytes(text->begin(), text->end());
}

void OpenPlatform_OAuth1::fillMultipartPicRequest(UrlRequest& request, const Bytes& jpeg,
                                                  OAuth& oauth, OAuth::Parameters signedParameters,
                                                  OPUtils::Fields form,
                                                  const char* pictureHeader) {
  std::string url = getPostPicUrl();
  oauth.accessCompleteParametersWithMethod("POST", url, signedParameters);
  for (const char* name : {"oauth_consumer_key", "oauth_nonce", "oauth_signature_method",
                           "oauth_timestamp", "oauth_token", "oauth_version"}) {
    const std::string* value = OPUtils::findField(signedParameters, name);
    OPUtils::setField(form, name, value ? *value : std::string());
  }
  OPUtils::setField(form, "oauth_signature", oauth.authString().value_or(""));

  std::string boundary = OPUtils::GenBoundary();
  setMultipartPicture(request, url, boundary, OPUtils::genFormData(form, boundary), pictureHeader,
                      jpeg);
  request.setValue("Expect", "100-continue");
}

void OpenPlatform_OAuth1::setMultipartPicture(UrlRequest& request, const std::string& url,
                                              const std::string& boundary, std::string formParts,
                                              const char* pictureHeader, const Bytes& jpeg) {
  std::string head = std::move(formParts) + "--" + boundary + "\r\n" + pictureHeader;
  std::string tail = "\r\n--" + boundary + "--\r\n";
  Bytes body(head.begin(), head.end());
  body.insert(body.end(), jpeg.begin(), jpeg.end());
  body.insert(body.end(), tail.begin(), tail.end());
  request.setUrl(url);
  request.setMethod("POST");
  request.setValue("Content-Type", "multipart/form-data; boundary=" + boundary);
  request.setValue("Content-Length", std::to_string(body.size()));
  request.setBody(std::move(body));
}

}  // namespace zu
