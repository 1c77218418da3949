// zureader: for now a console front end over the engine facade. It starts the engine as a
// guest, fetches the service URL feed (falling back to the copy kept from an earlier start),
// prints the endpoints and statistics switches it found, and shuts the engine down.
//
// The service host comes from $ZU_SERVICE_HOST (see ServiceHosts), the home from $ZU_HOME.
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "common/Log.h"
#include "common/ServiceHosts.h"
#include "engine/core/DESettings.h"
#include "engine/core/DataEngine.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/GetServiceUrlInnerTask.h"
#include "engine/core/UrlManager.h"
#include "engine/http/HttpEngine.h"
#include "engine/http/HttpEngineManager.h"
#include "platform/runtime/Paths.h"
#include "platform/runtime/RunLoop.h"
#include "shell/Observer.h"

namespace zu {
namespace {

constexpr double kFetchTimeoutSeconds = 90;

struct FetchResult : GetServiceUrlInnerTaskDelegate {
  std::optional<int> code;
  std::optional<std::string> desc;
  void onGetServiceUrlInnerTaskFinished(GetServiceUrlInnerTask*, int errCode,
                                        const std::optional<std::string>& errDesc) override {
    code = errCode;
    desc = errDesc;
  }
};

void printTable(const UrlManager& urls) {
  int known = 0;
#define ZU_PRINT_URL(getter, setter, rel)                                                   \
  {                                                                                         \
    auto url = urls.getter();                                                               \
    if (url) ++known;                                                                       \
    std::printf("  %-24s %-28s %s\n", rel, #getter, url ? url->c_str() : "(none)");         \
  }
  ZU_SERVICE_URL_TABLE(ZU_PRINT_URL)
#undef ZU_PRINT_URL
  std::printf("%d of 28 endpoints known\n", known);
}

int run() {
  VESKLogInit();
  DataEngine::initGlobalInstance();
  auto engine = gDataEngine();
  engine->setObserver(std::make_shared<Observer>());
  std::printf("zureader: home %s, service %s, user %s\n", Paths::home().c_str(),
              UrlManager::serviceUrlFeedAddress().c_str(), engine->getUsername().c_str());

  auto result = std::make_shared<FetchResult>();
  auto http = HttpEngineManager::globalInstance()->getEngine();
  std::make_shared<GetServiceUrlInnerTask>(http, result)->run();
  RunLoop::main()->runUntil([&] { return result->code.has_value(); }, kFetchTimeoutSeconds);
  HttpEngineManager::globalInstance()->releaseEngine(http);

  int status = 0;
  if (!result->code) {
    std::printf("service URL feed: no answer\n");
    status = 1;
  } else if (*result->code != kErrOk) {
    std::printf("service URL feed: failed %d %s\n", *result->code,
                result->desc.value_or(ErrorGetDescription(*result->code)).c_str());
    status = 1;
  } else {
    std::printf("service URL feed: endpoints\n");
    printTable(*gUrlManager());
    std::printf("statistics: wifi only %s, operational %s, action %s, content %s, pages %s\n",
                DESettings::allowWifiOnlyStatistic() ? "on" : "off",
                DESettings::allowOperationalStatistic() ? "on" : "off",
                DESettings::allowActionStatistic() ? "on" : "off",
                DESettings::allowContentStatistic() ? "on" : "off",
                DESettings::allowPageSeqStatistic() ? "on" : "off");
  }
  engine.reset();
  DataEngine::uninitGlobalInstance();
  VESKLogUninit();
  std::printf("zureader: engine stopped\n");
  return status;
}

}  // namespace
}  // namespace zu

int main() { return zu::run(); }
