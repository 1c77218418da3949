#include "engine/openplatform/OpenSns_Renren.h"

#include "common/Log.h"
#include "engine/openplatform/OpenPlatformConfig.h"
#include "engine/openplatform/OpenPlatformError.h"

namespace zu {

namespace {
constexpr char kFormType[] = "application/x-www-form-urlencoded";
}  // namespace

std::string OpenSns_Renren::loginSuccessUrl() {
  return OpenPlatformConfig::current().renrenAuthBase + "/oauth/login_success.html";
}

void OpenSns_Renren::init(int platform) {
  OpenPlatform_OAuth2::init(platform);
  templateData_ = "templateData";
  bodyGeneral_ = "用iphone应用连接zu阅读！";
}

std::string OpenSns_Renren::clientId() const {
  const PlatformItemInfo* row = getPlatformItem(platform_);
  return row ? row->appKey : std::string();
}

std::string OpenSns_Renren::clientSecret() const {
  const PlatformItemInfo* row = getPlatformItem(platform_);
  return row ? row->appSecret : std::string();
}

void OpenSns_Renren::checkResponse(const std::string&, int statusCode, int* errCode,
                                   std::string* errDes) {
  checkPlatformStatus(statusCode, errCode, errDes);
}

void OpenSns_Renren::OnAccessTokenRet(const std::string&) {
  if (accountInfo_.accessToken) GetSession();
}

void OpenSns_Renren::GetSession() {
  UrlRequest request(OpenPlatformConfig::current().renrenAuthBase +
                     "/renren_api/session_key?oauth_token=" + accountInfo_.accessToken.value_or(""));
  request.setMethod("POST");
  request.setValue("Content-Type", kFormType);
  startConnection(std::move(request), MyUrlConnection::kFlagRenrenSession);
}

bool OpenSns_Renren::OnCustomProc(MyUrlConnection& connection) {
  if (connection.flag() != MyUrlConnection::kFlagRenrenSession) return false;
  return OnGetSessionRet(connection.responseText());
}

bool OpenSns_Renren::OnGetSessionRet(const std::string& text) {
  auto json = OPUtils::readJson(text);
  const Dictionary* d = json ? json->asDictionary() : nullptr;
  auto sessionKey = d ? OPUtils::stringField(d->get("renren_token"), "session_key") : std::nullopt;
  if (!sessionKey) {
    // Without a session nothing more can happen: tell the screen instead of leaving it (and a
    // held post) waiting.
    VESKLogImpl("OpenSns_Renren: no session in answer %s", text.c_str());
    reportFailure(kOPErrAuthFailed, optext::kAuthFailed);
    return false;
  }
  accountInfo_.secret = sessionKey;
  session_key_ = sessionKey;
  if (d) userID_ = OPUtils::stringField(d->get("user"), "id");
  GetUserInfo();
  return true;
}

std::string OpenSns_Renren::calcSig(const OPUtils::Fields& fields) const {
  OPUtils::Fields sorted = fields;
  OPUtils::sortCaseInsensitive(sorted);
  std::string text;
  for (const auto& [key, value] : sorted) text += key + "=" + value;
  text += clientSecret();
  return OPUtils::md5HexDigest(text);
}

std::optional<std::string> OpenSns_Renren::genPostParametersString(const OPUtils::Fields& fields) {
  if (fields.empty()) return std::nullopt;
  OPUtils::Fields sorted = fields;
  OPUtils::sortCaseInsensitive(sorted);
  std::string out;
  for (const auto& [key, value] : sorted) {
    if (!out.empty()) out += '&';
    out += OPUtils::stringUrlEncoded(key) + "=" + OPUtils::stringUrlEncoded(value);
  }
  return out;
}

void OpenSns_Renren::GetUserInfo() {
  OPUtils::Fields fields = {{"format", "JSON"},
                            {"call_id", "1"},
                            {"api_key", clientId()},
                            {"session_key", session_key_.value_or("")},
                            {"v", "1.0"},
                            {"method", "users.getInfo"}};
  fields.emplace_back("sig", calcSig(fields));
  const PlatformItemInfo* row = getPlatformItem(platform_);
  UrlRequest request(row ? row->postUrl : std::string());
  request.setMethod("POST");
  request.setValue("Content-Type", kFormType);
  std::string body = genPostParametersString(fields).value_or("");
  request.setBody(Bytes(body.begin(), body.end()));
  startConnection(std::move(request), MyUrlConnection::kFlagUserInfo);
}

bool OpenSns_Renren::OnUserInfoRet(const std::string& response) {
  // The answer is an array of one object.
  if (response.size() < 2) return false;
  auto json = OPUtils::readJson(std::string_view(response).substr(1, response.size() - 2));
  if (!json) return false;
  auto name = OPUtils::stringField(*json, "name");
  if (!name) return false;
  accountInfo_.nickName = name;
  userID_ = OPUtils::stringField(*json, "uid");
  accountInfo_.imageUrl = OPUtils::stringField(*json, "headurl");
  if (isPostContentHold_) PostContentTitle(holdContent_, urlTitleDesc_, urlHerf_);
  return true;
}

std::optional<Bytes> OpenSns_Renren::packagePostBodyData(const std::string& text) {
  ++callID_;
  OPUtils::Fields fields = {{"format", "JSON"},
                            {"api_key", clientId()},
                            {"session_key", accountInfo_.secret.value_or("")},
                            {"v", "1.0"},
                            {"method", "status.set"},
                            {"status", text}};
  fields.emplace_back("sig", calcSig(fields));
  std::string body = genPostParametersString(fields).value_or("");
  return Bytes(body.begin(), body.end());
}

void OpenSns_Renren::PostContent(const std::optional<std::string>& text) {
  urlHerf_.reset();
  postOrHold(text);
}

void OpenSns_Renren::PostContentTitle(const std::optional<std::string>& text,
                                      const std::optional<std::string>& titleDesc,
                                      const std::optional<std::string>& titleUrl) {
  if (titleUrl) {
    urlTitleDesc_ = titleDesc;
    urlHerf_ = titleUrl;
  }
  postOrHold(text);
}

void OpenSns_Renren::postOrHold(const std::optional<std::string>& text) {
  if (session_key_ || !text || status_ != kStatusBound) {
    OpenPlatform_OAuth2::PostContent(text);
    return;
  }
  holdContent_ = text;
  isPostContentHold_ = true;
  GetSession();
}

bool OpenSns_Renren::OnPostContentRet(const std::string& text) {
  bool ok = OpenPlatform_OAuth2::OnPostContentRet(text);
  releaseHeldPost();
  return ok;
}

void OpenSns_Renren::onExchangeFailed() { releaseHeldPost(); }

void OpenSns_Renren::releaseHeldPost() {
  holdContent_.reset();
  isPostContentHold_ = false;
}

}  // namespace zu
