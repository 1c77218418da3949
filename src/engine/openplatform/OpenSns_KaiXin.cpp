#include "engine/openplatform/OpenSns_KaiXin.h"

#include "common/UrlEncode.h"
#include "engine/openplatform/OPUtils.h"
#include "engine/openplatform/OpenPlatformConfig.h"
#include "engine/openplatform/OpenPlatformError.h"
#include "engine/openplatform/OpenPlatformFactory.h"

namespace zu {

namespace {
constexpr char kFormType[] = "application/x-www-form-urlencoded";
}  // namespace

const PlatformItemInfo* OpenSns_KaiXin::row() const {
  return OpenPlatformFactory::instance().GetPlatformAuthParam(platform_);
}

std::optional<std::string> OpenSns_KaiXin::authorizeUrl(const std::string& state) const {
  const PlatformItemInfo* r = row();
  if (!r) return std::nullopt;
  return r->authorizeUrl + "?display=touch&response_type=token&redirect_uri=" + callbackUrl() +
         "&scope=basic+create_records&oauth_client=1&client_id=" + r->appKey + "&state=" + state;
}

std::string OpenSns_KaiXin::callbackUrl() const {
  return OpenPlatformConfig::current().shareToolsCallbackUrl;
}

void OpenSns_KaiXin::checkResponse(const std::string&, int statusCode, int* errCode,
                                   std::string* errDes) {
  checkPlatformStatus(statusCode, errCode, errDes);
}

void OpenSns_KaiXin::OnAccessTokenRet(const std::string&) {
  accountInfo_.secret = "secret";
  if (accountInfo_.accessToken) GetUserInfo();
}

std::string OpenSns_KaiXin::GenPostUrl() const {
  const PlatformItemInfo* r = row();
  return (r ? r->userInfoUrl : std::string()) + "?access_token=" +
         accountInfo_.accessToken.value_or("") + "&fields=name,ccity,logo50,hometown,status";
}

void OpenSns_KaiXin::GetUserInfo() {
  UrlRequest request(GenPostUrl());
  request.setValue("Content-Type", kFormType);
  startConnection(std::move(request), MyUrlConnection::kFlagUserInfo);
}

bool OpenSns_KaiXin::OnUserInfoRet(const std::string& response) {
  auto json = OPUtils::readJson(response);
  if (!json) return false;
  accountInfo_.imageUrl = OPUtils::stringField(*json, "logo50");
  accountInfo_.nickName = OPUtils::stringField(*json, "name");
  accountInfo_.userUrl = "";
  return accountInfo_.nickName.has_value();
}

void OpenSns_KaiXin::postQuery(const std::optional<std::string>& text,
                               const std::string& extraQuery) {
  const PlatformItemInfo* r = row();
  UrlRequest request((r ? r->postUrl : std::string()) + "?access_token=" +
                     accountInfo_.accessToken.value_or("") +
                     "&content=" + UrlEncode::encode(*text) + extraQuery);
  request.setMethod("POST");
  request.setValue("Content-Type", kFormType);
  startConnection(std::move(request), MyUrlConnection::kFlagPost);
}

void OpenSns_KaiXin::PostContent(const std::optional<std::string>& text) {
  if (refusePost(text, false, optext::kNotLoggedIn)) return;
  postQuery(text, "");
}

void OpenSns_KaiXin::PostContentWithPic(const std::optional<std::string>& text,
                                        const std::optional<std::string>& picUri) {
  if (refusePost(text, !picUri, optext::kNotLoggedIn)) return;
  postQuery(text, "&picurl=" + UrlEncode::encode(*picUri));
}

}  // namespace zu
