#include "engine/openplatform/OpenPlatform_OAuth2.h"

#include "common/Log.h"
#include "engine/openplatform/OPUtils.h"
#include "engine/openplatform/OpenPlatformError.h"
#include "engine/openplatform/OpenSns_Renren.h"
#include "platform/crypto/SecureRandom.h"

namespace zu {

void OpenPlatform_OAuth2::init(int platform) {
  OpenPlatformBase::init(platform);
  if (accountInfo_.accessToken) status_ = kStatusBound;
}

std::optional<std::string> OpenPlatform_OAuth2::authorizeUrl(const std::string& state) const {
  const PlatformItemInfo* row = getPlatformItem(platform_);
  if (!row) return std::nullopt;
  return row->authorizeUrl + "?client_id=" + row->appKey + "&response_type=token&redirect_uri=" +
         callbackUrl() + "&display=touch&scope=status_update,publish_share&state=" + state;
}

std::string OpenPlatform_OAuth2::callbackUrl() const { return OpenSns_Renren::loginSuccessUrl(); }

bool OpenPlatform_OAuth2::isCallbackUrl(const std::string& url) const {
  const auto endpoint = UrlRequest::endpointOfUrl(url);
  return endpoint && endpoint == UrlRequest::endpointOfUrl(callbackUrl());
}

void OpenPlatform_OAuth2::authLogin() {
  if (status_ == kStatusBound || !observer_) return;
  std::string state = crypto::SecureRandom::hexToken(16);
  auto url = authorizeUrl(state);
  if (!url) return;
  state_ = std::move(state);
  observer_->onOPAuthorizeUrl(this, *url);
}

void OpenPlatform_OAuth2::OnAuthoriztionRet(const std::optional<std::string>& url) {
  // Only the answer to this client's own request: the state it sent, once.
  const auto state = url ? OPUtils::getFieldValue(*url, "state") : std::nullopt;
  if (!state_ || state != state_) {
    VESKLogImpl("oauth2 callback without the binding's state refused");
    notifyObserverResult(kOPErrBadArgument, optext::kBadArgument);
    return;
  }
  std::optional<std::string> token = OPUtils::getFieldValue(*url, "access_token");
  if (!token) {
    notifyObserverResult(kOPErrBadArgument, optext::kBadArgument);
    return;
  }
  state_.reset();
  auto keep = shared_from_this();
  accountInfo_.accessToken = token;
  OnAccessTokenRet(*url);
  postBindOk();
}

void OpenPlatform_OAuth2::OnAccessTokenRet(const std::string&) { GetUserInfo(); }

bool OpenPlatform_OAuth2::OnUserInfoRet(const std::string&) {
  status_ = kStatusBound;
  if (observer_) observer_->onOPLoginSucc(this);
  return true;
}

void OpenPlatform_OAuth2::PostContentTitle(const std::optional<std::string>& text,
                                           const std::optional<std::string>&,
                                           const std::optional<std::string>&) {
  PostContent(text);
}

void OpenPlatform_OAuth2::PostContent(const std::optional<std::string>& text) {
  if (refusePost(text, false, optext::kNotLoggedIn)) return;
  const PlatformItemInfo* row = getPlatformItem(platform_);
  UrlRequest request(row ? row->postUrl : std::string());
  request.setMethod("POST");
  request.setValue("Content-Type", "application/x-www-form-urlencoded");
  if (auto body = packagePostBodyData(*text)) request.setBody(std::move(*body));
  startConnection(std::move(request), MyUrlConnection::kFlagPost);
}

bool OpenPlatform_OAuth2::OnPostContentRet(const std::string&) {
  if (statusCode_ == 200 || statusCode_ == 201) {
    notifyObserverResult(kOPSuccess, "");
    return true;
  }
  if (statusCode_ == 401) {
    clearAuthInfo();
    reportFailure(kOPErrAuthFailed, optext::kAuthFailed);
  } else if (statusCode_ == 400) {
    reportFailure(kOPErrRejected, optext::kShareError400);
  } else {
    reportFailure(kOPErrAuthFailed, optext::kOperationError);
  }
  return false;
}

void OpenPlatform_OAuth2::clearAuthInfo() { dropBoundAccount(); }

void OpenPlatform_OAuth2::checkPlatformStatus(int statusCode, int* errCode, std::string* errDes) {
  if (statusCode == 400 || statusCode == 401) {
    *errCode = kOPErrCredentialsRefused;
    *errDes = optext::kAuthFailed;
  } else if (statusCode == 304) {
    *errCode = kOPErrPlatform;
    *errDes = optext::kNoData;
  }
}

void OpenPlatform_OAuth2::ReleaseConnection() {
  if (!urlConnection_) return;
  VESKLogImpl("oauth2 ReleaseConnection ");
  urlConnection_->destroy();
  urlConnection_.reset();
}

void OpenPlatform_OAuth2::startConnection(UrlRequest request, int flag) {
  ReleaseConnection();
  urlConnection_ = MyUrlConnection::createConnection(std::move(request), weakDelegate(), flag);
}

void OpenPlatform_OAuth2::reportFailure(int code, const std::string& description) {
  onExchangeFailed();
  notifyObserverResult(code, description);
}

void OpenPlatform_OAuth2::myConnectionDidReceiveResponse(MyUrlConnection& connection) {
  statusCode_ = connection.statusCode();
}

void OpenPlatform_OAuth2::myConnectionDidFailWithError(MyUrlConnection&, const UrlError& error) {
  VESKLogImpl("Error occurs with domain(%s), code(%d)", error.message.c_str(), error.code);
  onExchangeFailed();
  if (observer_) observer_->onOPError(this, error.code, optext::kNetworkError);
}

void OpenPlatform_OAuth2::myConnectionDidFinishLoading(MyUrlConnection& connection) {
  auto keep = shared_from_this();
  std::string text = connection.responseText();
  int code = 0;
  std::string description;
  checkResponse(text, connection.statusCode(), &code, &description);
  if (code != 0) {
    VESKLogImpl("connectionDidFinishLoading ret error Status code = %d", connection.statusCode());
    if (connection.statusCode() == 401 || code == kOPErrCredentialsRefused) clearAuthInfo();
    reportFailure(code, description);
    connection.destroy();
    return;
  }
  switch (connection.flag()) {
    case MyUrlConnection::kFlagPost:
      OnPostContentRet(text);
      break;
    case MyUrlConnection::kFlagUserInfo:
      if (OnUserInfoRet(text) && accountInfo_.nickName) {
        storeBoundAccount();
        status_ = kStatusBound;
        if (observer_) observer_->onOPLoginSucc(this);
      } else {
        reportFailure(kOPErrAuthFailed, optext::kAuthFailed);
      }
      break;
    default:
      OnCustomProc(connection);
      break;
  }
}

}  // namespace zu
