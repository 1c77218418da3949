#include "engine/openplatform/OpenPlatformBase.h"

#include "common/CommInfo.h"
#include "common/Log.h"
#include "engine/openplatform/OpenDataManager.h"
#include "engine/openplatform/OpenPlatformConfig.h"
#include "engine/openplatform/OpenPlatformError.h"
#include "engine/openplatform/OpenPlatformFactory.h"
#include "platform/runtime/NotificationCenter.h"

namespace zu {

void OpenPlatformBase::init(int platform) {
  platform_ = platform;
  std::optional<PlatformAccountInfo> stored;
  if (auto store = currentStore()) stored = store->getAccountInfo(platform);
  accountInfo_ = stored ? *stored : PlatformAccountInfo();
}

bool OpenPlatformBase::isCallbackUrl(const std::string& url) const {
  const std::string& callback = OpenPlatformConfig::current().callbackUrl;
  return !callback.empty() && url.compare(0, callback.size(), callback) == 0;
}

bool OpenPlatformBase::shareEnable() const {
  auto store = currentStore();
  return store && store->getShareEnable(platform_);
}

void OpenPlatformBase::SwitchShareEnable(bool enable) {
  if (auto store = currentStore()) store->updateShareEnable(platform_, enable);
}

bool OpenPlatformBase::authorized() const {
  return accountInfo_.accessToken.has_value() && accountInfo_.secret.has_value();
}

const PlatformItemInfo* OpenPlatformBase::getPlatformItem(int platform) const {
  if (platform < 0 || platform > 5) return nullptr;
  return OpenPlatformFactory::instance().GetPlatformAuthParam(platform);
}

bool OpenPlatformBase::picShare() const {
  const PlatformItemInfo* row = getPlatformItem(platform_);
  return row && row->picShare;
}

void OpenPlatformBase::notifyObserverResult(int code, const std::string& description) {
  VESKLogImpl(">>>>>>>>>>>>> the %d notifyObserverResult platform = %s code = %d", platform_,
              platformName_.c_str(), code);
  if (!observer_) return;
  if (code == 0) {
    observer_->onOPPostSuccess(this);
  } else {
    observer_->onOPError(this, code, description);
  }
}

std::string OpenPlatformBase::description() const {
  return "<" + platformName_ + " " + std::to_string(platform_) + ">";
}

std::shared_ptr<OpenDataManager> OpenPlatformBase::currentStore() {
  return OpenDataManager::instance(CommInfo::getUsername());
}

void OpenPlatformBase::storeBoundAccount() {
  if (auto store = currentStore()) {
    store->updateAccountInfo(platform_, accountInfo_);
    store->updateShareEnable(platform_, true);
  }
}

void OpenPlatformBase::dropBoundAccount() {
  if (auto store = currentStore()) store->deletePlatform(platform_);
  accountInfo_.accessToken.reset();
  accountInfo_.secret.reset();
  status_ = kStatusUnbound;
  NotificationCenter::defaultCenter().post(kNotificationOptUnbindOk, Value(platform_));
}

void OpenPlatformBase::postBindOk() const {
  NotificationCenter::defaultCenter().post(kNotificationOptBindOk, Value(platform_));
}

bool OpenPlatformBase::refusePost(const std::optional<std::string>& text, bool argumentMissing,
                                  const char* notBoundText) {
  if (!text || argumentMissing) {
    notifyObserverResult(kOPErrBadArgument, optext::kBadArgument);
    return true;
  }
  if (status_ != kStatusBound) {
    notifyObserverResult(kOPErrNotBound, notBoundText);
    return true;
  }
  return false;
}

std::weak_ptr<MyUrlConnectionDelegate> OpenPlatformBase::weakDelegate() {
  return std::shared_ptr<MyUrlConnectionDelegate>(shared_from_this(), this);
}

}  // namespace zu
