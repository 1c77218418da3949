#include "engine/tasks/posts/UpdateUserInfoTask.h"

#include "common/Log.h"
#include "engine/cache/UniqueCache.h"
#include "engine/core/DataEngine.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/UrlManager.h"
#include "engine/http/HttpEngine.h"
#include "engine/tasks/support/TaskUtil.h"
#include "model/entry/Content.h"
#include "model/entry/Entry.h"
#include "model/columns/Icon.h"
#include "model/columns/UserInfo.h"
#include "model/atom/VESKAtomBuilder.h"
#include "model/atom/VESKAtomDataStuffer.h"
#include "model/atom/VESKAtomParser.h"

namespace zu {

UpdateUserInfoTask::UpdateUserInfoTask(std::shared_ptr<UserInfo> userInfo,
                                       std::optional<std::string> iconLocalPath)
    : userInfo_(std::move(userInfo)), iconLocalPath_(std::move(iconLocalPath)) {}

void UpdateUserInfoTask::run() {
  HttpTask::run();
  if (!httpEngine()) return;
  if (!iconLocalPath_) {
    postProfile("application/atom+xml;type=entry");
    return;
  }
  VESKLogImpl("UpdateUserInfoTask upload icon path=%s", iconLocalPath_->c_str());
  auto urls = gUrlManager();
  httpEngine()->setHeaderField(std::string("Content-Type"),
                               std::string("application/octet-stream"));
  httpEngine()->setCacheEnabled(false);
  httpEngine()->upload(urls ? urls->updateUserIconUrl() : std::nullopt, iconLocalPath_);
}

void UpdateUserInfoTask::postProfile(const std::string& contentType) {
  auto urls = gUrlManager();
  const auto url = urls ? urls->updateUserInfoUrl() : std::nullopt;
  auto body = VESKAtomBuilder::allocUpdateUserInfoXML(userInfo_.get());
  VESKLogImpl("UpdateUserInfoTask url=%s data=%s", url.value_or("(null)").c_str(),
              TaskUtil::logText(body).c_str());
  httpEngine()->setHeaderField(std::string("Content-Type"), contentType);
  httpEngine()->setCacheEnabled(false);
  httpEngine()->post(url, std::move(body));
}

void UpdateUserInfoTask::onHttpSuccess(const std::shared_ptr<HttpResponse>& response) {
  if (iconLocalPath_) {
    iconLocalPath_.reset();
    auto entry = VESKAtomParser::allocParseEntry(TaskUtil::bodyText(*response), kEntryKindEntry);
    const auto& src = entry && entry->content() ? entry->content()->src() : std::nullopt;
    if (!src || !userInfo_) {
      done(kErrDataParse, ErrorGetDescription(kErrDataParse));
      return;
    }
    auto icon = std::make_shared<Icon>();
    icon->setHref(src);
    userInfo_->setIcon(std::move(icon));
    postProfile("application/atom+xml");
    return;
  }
  auto engine = gDataEngine();
  auto local = VESKAtomBuilder::allocUserinfoToXML(userInfo_.get());
  if (engine && local) {
    engine->getUniqueCache()->saveData(*local, UniqueCache::kUserInfoKey,
                                       engine->createUserInfoUrl(std::nullopt));
  }
  done(kErrOk, std::nullopt);
}

}  // namespace zu
