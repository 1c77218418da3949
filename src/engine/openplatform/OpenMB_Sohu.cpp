#include "engine/openplatform/OpenMB_Sohu.h"

#include "common/OAuthPercentEncode.h"
#include "engine/openplatform/HashErrorResponse.h"
#include "engine/openplatform/OpenPlatformConfig.h"
#include "engine/openplatform/OpenPlatformError.h"

namespace zu {

std::optional<std::string> OpenMB_Sohu::getErrorStrFromResponse(const Bytes& response) {
  return HashErrorResponse::errorText(
      std::string_view(reinterpret_cast<const char*>(response.data()), response.size()));
}

std::optional<std::string> OpenMB_Sohu::parseVerifier(const std::string& url, bool* success) {
  return verifierAfterField(url, success);
}

void OpenMB_Sohu::checkResponse(const std::string& text, int statusCode, int* errCode,
                                std::string* errDes) {
  HashErrorResponse::checkResponse(text, statusCode, optext::kShareFailed, errCode, errDes);
}

std::string OpenMB_Sohu::getBadRequestErrorDescription(const Bytes& response) {
  return HashErrorResponse::badRequestDescription(response, "badrequest");
}

std::optional<Bytes> OpenMB_Sohu::packagePostBodyData(const std::string& text, OAuth& oauth) {
  return signedFormBody(oauth, {{"status", OAuthPercentEncode::encode(text)}});
}

void OpenMB_Sohu::packagePostPicRequest(UrlRequest& request, const Bytes& jpeg, OAuth& oauth,
                                        const std::string& content) {
  std::string encoded = OPUtils::stringUrlEncoded(content);
  fillMultipartPicRequest(request, jpeg, oauth, {{"status", encoded}}, {{"status", encoded}},
                          kJpegPartHeader);
}

bool OpenMB_Sohu::OnUserInfoRet(const std::string& response) {
  auto json = OPUtils::readJson(response);
  if (!json) return false;
  accountInfo_.nickName = OPUtils::stringField(*json, "screen_name");
  if (auto id = OPUtils::stringField(*json, "id")) {
    accountInfo_.userUrl = OpenPlatformConfig::current().sohuWeb + "/u/" + *id;
  }
  accountInfo_.imageUrl = OPUtils::stringField(*json, "profile_image_url");
  return accountInfo_.nickName.has_value();
}

std::optional<std::string> OpenMB_Sohu::getNicknameFromVerifyCredentialsResult(
    const Value& result) {
  return OPUtils::stringField(result, "screen_name");
}

}  // namespace zu
