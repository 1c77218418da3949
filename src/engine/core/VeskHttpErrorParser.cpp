#include "engine/core/VeskHttpErrorParser.h"

#include <string_view>

#include "engine/core/DataEngine.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/ServiceErrorReport.h"
#include "engine/core/UrlManager.h"
#include "engine/http/HttpResponse.h"
#include "engine/openplatform/OpenPlatformFactory.h"
#include "model/service/VeskCustomization.h"
#include "model/atom/ResultInfo.h"
#include "model/atom/VESKAtomBuilder.h"
#include "model/atom/VESKAtomParser.h"
#include "platform/net/UrlRequest.h"
#include "platform/runtime/StringUtil.h"

namespace zu {

namespace {

constexpr int kUpgradeReason = 90000;
constexpr int kLastFatalReason = 91000;
constexpr int kUnboundAccountCode1 = -100501;
constexpr int kUnboundAccountCode2 = -100502;
constexpr int kDefaultForbiddenCode = -100001;

std::string_view bodyText(const HttpResponse& response) {
  return std::string_view(reinterpret_cast<const char*>(response.responseBody().data()),
                          response.responseBody().size());
}

void parseBadRequest(const HttpResponse& response, int* code, std::optional<std::string>* desc) {
  auto result = VESKAtomParser::allocParseResultInfo(bodyText(response));
  if (!result) {
    *code = kErrDataParse;
    *desc = ErrorGetDescription(kErrDataParse);
    return;
  }
  const int reason = result->reason();
  *desc = result->desc();
  if (reason >= kUpgradeReason && reason <= kLastFatalReason) {
    *code = reason == kUpgradeReason ? kErrNeedUpgrade : kErrFatal;
    return;
  }
  *code = GetServerErrorCode(reason);
  const auto& customization = result->veskCustomization();
  if ((*code == kUnboundAccountCode1 || *code == kUnboundAccountCode2) && customization &&
      customization->isMBlogType()) {
    auto client = OpenPlatformFactory::instance().getOpenPlatformInstance(
        customization->getOpenPlatformType());
    if (client) client->clearAuthInfo();
  }
}

void parseForbidden(const HttpResponse& response, int* code) {
  auto requestHost = UrlRequest::hostOfUrl(response.requestUrl());
  auto serviceHost = UrlRequest::hostOfUrl(UrlManager::serviceUrlFeedAddress());
  if (requestHost && serviceHost && StringUtil::asciiLowercase(*requestHost) ==
                                        StringUtil::asciiLowercase(*serviceHost)) {
    if (auto engine = gDataEngine()) engine->clearLastLoginUsernamePassword();
  }
  const int reason = response.xErrorCode();
  *code = reason == 0 ? kDefaultForbiddenCode : GetServerErrorCode(reason);
}

void reportFailure(int status, const HttpResponse& response) {
  auto urls = gUrlManager();
  std::optional<std::string> reportUrl = urls ? urls->errorReportUrl() : std::nullopt;
  if (!reportUrl || reportUrl->empty() || response.requestUrl() == *reportUrl) return;
  std::optional<std::string> body;
  if (status != 404 && StringUtil::isValidUtf8(bodyText(response))) {
    body = std::string(bodyText(response));
  }
  ServiceErrorReport::send(reportUrl, VESKAtomBuilder::allocStaticsReportErrorsXML(
                                          std::to_string(status), response.requestUrl(), body));
}

}  // namespace

bool veskHttpErrorParser(int status, const HttpResponse& response, int* code,
                         std::optional<std::string>* desc) {
  switch (status) {
    case 200:
    case 206:
      return true;
    case 400:
      parseBadRequest(response, code, desc);
      return false;
    case 403:
      parseForbidden(response, code);
      return false;
    default:
      break;
  }
  *code = GetHttpSCErrorCode(status);
  *desc = ErrorGetDescription(*code);
  if (status == 404 || (status >= 500 && status <= 599)) reportFailure(status, response);
  return false;
}

}  // namespace zu
