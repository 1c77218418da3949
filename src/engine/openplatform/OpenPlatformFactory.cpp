#include "engine/openplatform/OpenPlatformFactory.h"

#include "engine/openplatform/OpenDataManager.h"
#include "engine/openplatform/OpenMB_QQ.h"
#include "engine/openplatform/OpenMB_Sina.h"
#include "engine/openplatform/OpenMB_Sohu.h"
#include "engine/openplatform/OpenMB_Zelvane.h"
#include "engine/openplatform/OpenSns_DouBan.h"
#include "engine/openplatform/OpenSns_KaiXin.h"
#include "engine/openplatform/OpenSns_Renren.h"

namespace zu {

namespace {

const char* const kPlatformNames[OpenPlatformFactory::kPlatformCount] = {
    "zu微博", "新浪微博", "腾讯微博", "搜狐微博", "豆瓣开放社区", "人人开放社区", "开心网",
};

}  // namespace

OpenPlatformFactory& OpenPlatformFactory::instance() {
  static OpenPlatformFactory* factory = [] {
    auto* f = new OpenPlatformFactory();
    f->Init();
    return f;
  }();
  return *factory;
}

void OpenPlatformFactory::Init() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    for (auto& slot : arrayOpenBase_) slot.reset();
  }
  // The program is never built for the tablet, so the phone table is the one in use.
  LoadAllPlatformAuthParams(kPhoneTable);
}

std::shared_ptr<OpenPlatformBase> OpenPlatformFactory::makeClient(int platform) {
  switch (platform) {
    case 0: return std::make_shared<OpenMB_Zelvane>();
    case 1: return std::make_shared<OpenMB_Sina>();
    case 2: return std::make_shared<OpenMB_QQ>();
    case 3: return std::make_shared<OpenMB_Sohu>();
    case 4: return std::make_shared<OpenSns_DouBan>();
    case 5: return std::make_shared<OpenSns_Renren>();
    case 6: return std::make_shared<OpenSns_KaiXin>();
    default: return nullptr;
  }
}

std::shared_ptr<OpenPlatformBase> OpenPlatformFactory::createOpenPlatformInstance(int platform) {
  if (platform < 0 || platform >= kPlatformCount) return nullptr;
  std::lock_guard<std::mutex> guard(lock_);
  auto& slot = arrayOpenBase_[platform];
  if (slot) return slot;
  auto client = makeClient(platform);
  client->setPlatformName(kPlatformNames[platform]);
  client->init(platform);
  slot = client;
  return client;
}

std::shared_ptr<OpenPlatformBase> OpenPlatformFactory::getOpenPlatformInstance(int platform) {
  return createOpenPlatformInstance(platform);
}

bool OpenPlatformFactory::isCallbackUrl(const std::string& url) const {
  const auto& config = OpenPlatformConfig::current();
  auto startsWith = [&](const std::string& prefix) {
    return !prefix.empty() && url.compare(0, prefix.size(), prefix) == 0;
  };
  return startsWith(config.callbackUrl) || startsWith(OpenSns_Renren::loginSuccessUrl());
}

bool OpenPlatformFactory::OnAuthShouldStartNtf(int platform, const std::string& url) {
  std::shared_ptr<OpenPlatformBase> client;
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (platform < 0 || platform >= kPlatformCount) return false;
    client = arrayOpenBase_[platform];
  }
  if (!client || !client->isCallbackUrl(url)) return false;
  client->OnAuthoriztionRet(url);
  return true;
}

void OpenPlatformFactory::reset() {
  std::array<std::shared_ptr<OpenPlatformBase>, kSlots> dropped;
  {
    std::lock_guard<std::mutex> guard(lock_);
    dropped.swap(arrayOpenBase_);
  }
  // The clients go here, outside the lock.
}

bool OpenPlatformFactory::release() {
  reset();
  std::lock_guard<std::mutex> guard(lock_);
  for (auto& row : oPlatformMap_) row.reset();
  return true;
}

std::vector<std::shared_ptr<OpenPlatformBase>> OpenPlatformFactory::getAuthorizedPlatform() {
  return *getOpenPlatforms(kAuthorizedPlatforms);
}

std::optional<std::vector<std::shared_ptr<OpenPlatformBase>>> OpenPlatformFactory::getOpenPlatforms(
    int kind) {
  if (kind != kAllPlatforms && kind != kAuthorizedPlatforms && kind != kUnauthorizedPlatforms) {
    return std::nullopt;
  }
  std::vector<std::shared_ptr<OpenPlatformBase>> out;
  for (int p = 0; p < kPlatformCount; ++p) {
    auto client = getOpenPlatformInstance(p);
    if (!client) continue;
    if (kind == kAllPlatforms || (kind == kAuthorizedPlatforms) == client->authorized()) {
      out.push_back(client);
    }
  }
  return out;
}

void OpenPlatformFactory::LoadAllPlatformAuthParams(int table) {
  OpenPlatformTable::Table rows;
  if (table == kTabletTable) {
    rows = OpenPlatformTable::tabletTable(OpenPlatformConfig::current());
  } else if (table == kPhoneTable) {
    rows = OpenPlatformTable::phoneTable(OpenPlatformConfig::current());
  } else {
    return;
  }
  for (int p = 0; p < kPlatformCount; ++p) ConfigPlatformAuthParam(p, rows[p]);
}

void OpenPlatformFactory::ConfigPlatformAuthParam(int platform,
                                                  const std::optional<PlatformItemInfo>& row) {
  if (platform < 0 || platform >= kPlatformCount || !row) return;
  std::lock_guard<std::mutex> guard(lock_);
  oPlatformMap_[platform] = row;
}

const PlatformItemInfo* OpenPlatformFactory::GetPlatformAuthParam(int platform) const {
  if (platform < 0 || platform >= kPlatformCount || !oPlatformMap_[platform]) return nullptr;
  return &*oPlatformMap_[platform];
}

std::optional<PlatformAccountInfo> OpenPlatformFactory::getUserAcountInfo(
    const std::optional<std::string>& user, int platform) {
  auto store = OpenDataManager::instance(user);
  if (!store) return std::nullopt;
  return store->getAccountInfo(platform);
}

bool OpenPlatformFactory::setUserAcountInfo(const std::optional<std::string>& user, int platform,
                                            const PlatformAccountInfo& info) {
  auto store = OpenDataManager::instance(user);
  return store && store->updateAccountInfo(platform, info);
}

}  // namespace zu
