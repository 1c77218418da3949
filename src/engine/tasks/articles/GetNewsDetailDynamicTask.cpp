#include "engine/tasks/articles/GetNewsDetailDynamicTask.h"

#include "engine/core/DataEngine.h"
#include "engine/core/DataEngineObserver.h"
#include "engine/core/ErrorCodes.h"
#include "engine/http/HttpEngine.h"
#include "engine/tasks/articles/GetNewsDetailTask.h"
#include "engine/tasks/support/TaskUtil.h"
#include "model/entry/Link.h"
#include "model/entry/NewsDetail.h"
#include "model/atom/VESKAtomParser.h"

namespace zu {

GetNewsDetailDynamicTask::GetNewsDetailDynamicTask(std::shared_ptr<NewsDetail> detail)
    : detail_(std::move(detail)) {}

void GetNewsDetailDynamicTask::run() {
  HttpTask::run();
  if (!httpEngine()) return;
  const auto& link = detail_ ? detail_->veskExtraLink() : nullptr;
  if (!link || !link->href()) {
    done(kErrOk, std::nullopt);
    return;
  }
  httpEngine()->get(link->href());
}

void GetNewsDetailDynamicTask::onHttpSuccess(const std::shared_ptr<HttpResponse>& response) {
  auto dynamicPart =
      VESKAtomParser::allocParseNewsDetailDynamicEntry(TaskUtil::bodyText(*response));
  if (dynamicPart) {
    auto engine = gDataEngine();
    if (engine && engine->isAnonymous()) {
      GetNewsDetailTask::markCollectedFromLocal(*dynamicPart, detail_->entryId());
    }
    if (auto observer = TaskUtil::observer()) observer->onEntryResult(sharedTask(), dynamicPart);
  }
  done(kErrOk, std::nullopt);
}

}  // namespace zu
