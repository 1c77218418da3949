#include "engine/openplatform/OpenMB_Sina.h"

#include "common/OAuthPercentEncode.h"
#include "engine/openplatform/HashErrorResponse.h"
#include "engine/openplatform/OpenPlatformConfig.h"
#include "engine/openplatform/OpenPlatformError.h"

namespace zu {

std::optional<std::string> OpenMB_Sina::getErrorStrFromResponse(const Bytes& response) {
  return HashErrorResponse::errorText(
      std::string_view(reinterpret_cast<const char*>(response.data()), response.size()));
}

std::optional<std::string> OpenMB_Sina::parseVerifier(const std::string& url, bool* success) {
  return verifierAfterField(url, success);
}

void OpenMB_Sina::checkResponse(const std::string& text, int statusCode, int* errCode,
                                std::string* errDes) {
  HashErrorResponse::checkResponse(text, statusCode, optext::kPostError, errCode, errDes);
}

std::string OpenMB_Sina::getBadRequestErrorDescription(const Bytes& response) {
  return HashErrorResponse::badRequestDescription(response, "badrequestError");
}

std::optional<Bytes> OpenMB_Sina::packagePostBodyData(const std::string& text, OAuth& oauth) {
  return signedFormBody(oauth, {{"status", OAuthPercentEncode::encode(text)}});
}

void OpenMB_Sina::packagePostPicRequest(UrlRequest& request, const Bytes& jpeg, OAuth& oauth,
                                        const std::string& content) {
  // The signature covers the text encoded twice; the form carries it encoded once.
  std::string once = OPUtils::stringUrlEncoded(content);
  fillMultipartPicRequest(
      request, jpeg, oauth,
      {{"status", OPUtils::stringUrlEncoded(once)}, {"source", oauth.consumerKey()}},
      {{"source", oauth.consumerKey()}, {"status", once}}, kJpegPartHeader);
}

bool OpenMB_Sina::OnUserInfoRet(const std::string& response) {
  auto json = OPUtils::readJson(response);
  if (!json) return false;
  accountInfo_.nickName = OPUtils::stringField(*json, "name");
  if (auto id = OPUtils::stringField(*json, "id")) {
    accountInfo_.userUrl = OpenPlatformConfig::current().sinaWeb + "/" + *id;
  }
  accountInfo_.imageUrl = OPUtils::stringField(*json, "profile_image_url");
  return accountInfo_.nickName.has_value();
}

}  // namespace zu
