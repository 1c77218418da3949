#include "engine/openplatform/OpenMB_QQ.h"

#include "common/Log.h"
#include "common/OAuthPercentEncode.h"
#include "engine/openplatform/OpenPlatformConfig.h"
#include "engine/openplatform/OpenPlatformError.h"

namespace zu {

std::optional<std::string> OpenMB_QQ::parseVerifier(const std::string& url, bool* success) {
  return verifierAfterField(url, success);
}

void OpenMB_QQ::checkResponse(const std::string& text, int statusCode, int* errCode,
                              std::string* errDes) {
  if (statusCode != 200) {
    *errCode = kOPErrRejected;
    *errDes = optext::kRequestError;
    return;
  }
  VESKLogImpl("OpenMB_QQ: answer %s", text.c_str());
  auto json = OPUtils::readJson(text);
  const Dictionary* d = json ? json->asDictionary() : nullptr;
  if (!d) return;
  if (const Value* errcode = d->find("errcode")) {
    switch (errcode->intValue()) {
      case 10:
        *errCode = kOPErrTooFast;
        *errDes = optext::kTooFast;
        return;
      case 13:
        *errCode = kOPErrDuplicate;
        *errDes = optext::kDuplicate;
        return;
      default:
        return;
    }
  }
  switch (d->get("ret").intValue()) {
    case 1:
      *errCode = kOPErrRejected;
      *errDes = optext::kBadArgument;
      return;
    case 2:
      *errCode = kOPErrTooFast;
      *errDes = optext::kRateLimited;
      return;
    case 3:
      *errCode = kOPErrCredentialsRefused;
      *errDes = optext::kAuthFailed;
      return;
    case 4:
      *errCode = kOPErrPlatform;
      *errDes = optext::kServerError;
      return;
    default:
      return;
  }
}

std::string OpenMB_QQ::getBadRequestErrorDescription(const Bytes&) { return ""; }

std::optional<Bytes> OpenMB_QQ::packagePostBodyData(const std::string& text, OAuth& oauth) {
  return signedFormBody(oauth, {{"format", "json"},
                                {"content", OAuthPercentEncode::encode(text)},
                                {"clientip", kClientIp}});
}

void OpenMB_QQ::packagePostPicRequest(UrlRequest& request, const Bytes& jpeg, OAuth& oauth,
                                      const std::string& content) {
  fillMultipartPicRequest(request, jpeg, oauth,
                          {{"content", OPUtils::stringUrlEncoded(content)},
                           {"format", "json"},
                           {"clientip", kClientIp}},
                          {{"content", content},
                           {"format", OPUtils::stringUrlEncoded("json")},
                           {"clientip", kClientIp}},
                          kOctetPartHeader);
}

bool OpenMB_QQ::OnUserInfoRet(const std::string& response) {
  auto json = OPUtils::readJson(response);
  const Dictionary* d = json ? json->asDictionary() : nullptr;
  if (!d) return false;
  const Value& data = d->get("data");
  accountInfo_.nickName = OPUtils::stringField(data, "nick");
  if (accountInfo_.nickName) {
    accountInfo_.userUrl = OpenPlatformConfig::current().qqWeb + "/" + *accountInfo_.nickName;
  }
  accountInfo_.imageUrl = OPUtils::stringField(data, "Head");
  return accountInfo_.nickName.has_value();
}

}  // namespace zu
