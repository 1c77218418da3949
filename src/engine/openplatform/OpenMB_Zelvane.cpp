#include "engine/openplatform/OpenMB_Zelvane.h"

#include "common/Log.h"
#include "common/OAuthPercentEncode.h"
#include "engine/openplatform/OpenPlatformConfig.h"
#include "engine/openplatform/OpenPlatformError.h"

namespace zu {

std::optional<std::string> OpenMB_Zelvane::parseVerifier(const std::string&, bool* success) {
  *success = true;
  return std::nullopt;
}

std::string OpenMB_Zelvane::getBadRequestErrorDescription(const Bytes&) { return ""; }

std::optional<Bytes> OpenMB_Zelvane::packagePostBodyData(const std::string& text, OAuth& oauth) {
  return signedFormBody(oauth, {{"status", OAuthPercentEncode::encode(text)}});
}

bool OpenMB_Zelvane::OnUserInfoRet(const std::string& response) {
  auto json = OPUtils::readJson(response);
  if (!json) return false;
  accountInfo_.nickName = OPUtils::stringField(*json, "name");
  if (auto screenName = OPUtils::stringField(*json, "screen_name")) {
    accountInfo_.userUrl = OpenPlatformConfig::current().zelvaneWeb + "/" + *screenName;
  }
  accountInfo_.imageUrl = OPUtils::stringField(*json, "profile_image_url");
  return accountInfo_.nickName.has_value();
}

void OpenMB_Zelvane::makePostPicRequest(UrlRequest& request, const Bytes& jpeg, OAuth& oauth) {
  std::string url = getPostPicUrl();
  OAuth::Parameters parameters;
  oauth.accessCompleteParametersWithMethod("POST", url, parameters);
  OPUtils::sortCaseInsensitive(parameters);
  std::string authorization = "OAuth ";
  for (size_t i = 0; i < parameters.size(); ++i) {
    if (i > 0) authorization += ",";
    authorization += parameters[i].first + "=\"" + parameters[i].second + "\"";
  }

  setMultipartPicture(request, url, OPUtils::GenBoundary(), "", kJpegPartHeader, jpeg);
  request.setValue("Authorization", authorization);
}

void OpenMB_Zelvane::PostContentWithPic(const std::optional<std::string>& text,
                                        const std::optional<std::string>& picUri) {
  auto jpeg = pictureToPost(text, picUri, optext::kInvalidUser);
  if (!jpeg) return;
  UrlRequest request;
  makePostPicRequest(request, *jpeg, *oAuth_);
  startConnection(std::move(request), MyUrlConnection::kFlagPostPic, Value(*text));
}

bool OpenMB_Zelvane::OnPostPicContentRet(MyUrlConnection& connection, const std::string& text) {
  const std::string* carried = connection.obID().asString();
  std::string post = carried ? *carried : std::string();
  if (auto json = OPUtils::readJson(text)) {
    const Dictionary* d = json->asDictionary();
    const Value* url = d ? d->find("upload_image_url") : nullptr;
    if (url && url->asString()) {
      post += "\r\n" + *url->asString();
      VESKLogImpl("ZelVane send data %s", post.c_str());
    }
  }
  PostContent(post);
  return true;
}

}  // namespace zu
