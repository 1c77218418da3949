#include "engine/openplatform/OpenSns_DouBan.h"

#include "engine/openplatform/OpenPlatformConfig.h"
#include "engine/openplatform/OpenPlatformError.h"
#include "platform/xml/XmlHolders.h"

namespace zu {

namespace {

constexpr char kAtomNamespace[] = "http://www.w3.org/2005/Atom";

// The text with the characters XML gives a meaning escaped, so any post stays one element.
std::string xmlEscaped(const std::string& text) {
  XmlCharPtr escaped(xmlEncodeSpecialChars(nullptr, reinterpret_cast<const xmlChar*>(text.c_str())));
  return escaped ? std::string(reinterpret_cast<const char*>(escaped.get())) : std::string();
}

}  // namespace

void OpenSns_DouBan::OnAccessTokenRet(const std::string& response) {
  userId_ = OPUtils::getFieldValue(response, "douban_user_id");
  status_ = kStatusBound;
  GetUserInfo();
}

std::string OpenSns_DouBan::packGetUserInfoReqUrl() const {
  std::string url = getUserInfoUrl();
  return url.substr(0, url.find('?')) + userId_.value_or("") + "?alt=json";
}

void OpenSns_DouBan::GetUserInfo() {
  startConnection(UrlRequest(packGetUserInfoReqUrl()), MyUrlConnection::kFlagUserInfo);
}

bool OpenSns_DouBan::OnUserInfoRet(const std::string& response) {
  if (auto json = OPUtils::readJson(response)) {
    const Dictionary* d = json->asDictionary();
    if (d) accountInfo_.nickName = OPUtils::stringField(d->get("title"), "$t");
  }
  return true;
}

void OpenSns_DouBan::makePostRequest(UrlRequest& request, OAuth& oauth,
                                     const std::string& content) {
  std::string url = getPostUrl();
  OAuth::Parameters parameters;
  oauth.accessCompleteParametersWithMethod("POST", url, parameters);
  std::string authorization = "OAuth realm=\"\"";
  for (const auto& [name, value] : parameters) {
    authorization += ", " + name + "=\"" + value + "\"";
  }
  std::string body = std::string("<?xml version='1.0' encoding='UTF-8'?>") +
                     "<entry xmlns:ns0=\"" + kAtomNamespace + "\" xmlns:db=\"" +
                     OpenPlatformConfig::current().doubanNamespace + "\"><content>" +
                     xmlEscaped(content) + "</content></entry>";
  request.setUrl(url);
  request.setMethod("POST");
  request.setValue("Authorization", authorization);
  request.setValue("Content-Type", "application/atom+xml;charset=utf-8");
  request.setBody(Bytes(body.begin(), body.end()));
}

void OpenSns_DouBan::PostContent(const std::optional<std::string>& text) {
  if (!text) {
    notifyObserverResult(kOPErrBadArgument, optext::kBadArgument);
    return;
  }
  UrlRequest request;
  makePostRequest(request, *oAuth_, *text);
  startConnection(std::move(request), MyUrlConnection::kFlagPost);
}

}  // namespace zu
