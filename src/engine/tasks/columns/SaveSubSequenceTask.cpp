#include "engine/tasks/columns/SaveSubSequenceTask.h"

#include "engine/core/DESettings.h"
#include "engine/core/DataEngine.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/UrlManager.h"
#include "engine/http/HttpEngine.h"
#include "engine/tasks/support/TaskUtil.h"
#include "model/entry/Feed.h"
#include "model/atom/VESKAtomBuilder.h"
#include "store/EntryPersistenter.h"

namespace zu {

SaveSubSequenceTask::SaveSubSequenceTask() { setMute(true); }

void SaveSubSequenceTask::run() {
  HttpTask::run();
  if (!httpEngine()) return;
  auto engine = gDataEngine();
  auto store = TaskUtil::subscriptions();
  if (!engine || engine->isAnonymous() || !store) {
    done(kErrOk, std::nullopt);
    return;
  }
  auto feed = store->allocReadEntriesInFeed(std::nullopt);
  const std::vector<std::string> ids = TaskUtil::entryIds(TaskUtil::entriesOf(feed.get()));
  if (ids.empty()) {
    done(kErrOk, std::nullopt);
    return;
  }
  auto urls = gUrlManager();
  httpEngine()->setHeaderField(std::string("Content-Type"), std::string("application/xml"));
  httpEngine()->setCacheEnabled(false);
  httpEngine()->post(urls ? urls->saveSubSequenceUrl() : std::nullopt,
                     VESKAtomBuilder::allocSaveSubSequenceToXML(ids));
}

void SaveSubSequenceTask::onHttpSuccess(const std::shared_ptr<HttpResponse>& /*response*/) {
  DESettings::setSubSequenceLocalChangeTime(0);
  done(kErrOk, std::nullopt);
}

}  // namespace zu
