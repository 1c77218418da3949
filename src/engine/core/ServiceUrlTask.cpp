#include "engine/core/ServiceUrlTask.h"

#include <memory>

#include "engine/core/ErrorCodes.h"
#include "engine/core/GetServiceUrlInnerTask.h"
#include "engine/core/UrlManager.h"

namespace zu {

void ServiceUrlTask::run() {
  HttpTask::run();
  if (!httpEngine()) return;
  startWithServiceUrl();
}

void ServiceUrlTask::startWithServiceUrl() {
  auto urls = gUrlManager();
  if (urls && urls->isEverSet()) {
    onServiceUrlReady();
    return;
  }
  serviceUrlFetched_ = true;
  auto self = std::dynamic_pointer_cast<GetServiceUrlInnerTaskDelegate>(sharedTask());
  std::make_shared<GetServiceUrlInnerTask>(httpEngine(), self)->run();
}

void ServiceUrlTask::onGetServiceUrlInnerTaskFinished(GetServiceUrlInnerTask* /*task*/,
                                                      int errCode,
                                                      const std::optional<std::string>& errDesc) {
  if (isDone() || !httpEngine()) return;
  if (errCode != kErrOk) {
    done(errCode, errDesc);
    return;
  }
  onServiceUrlReady();
}

}  // namespace zu
