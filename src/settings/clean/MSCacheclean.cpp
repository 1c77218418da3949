#include "settings/clean/MSCacheclean.h"

#include <algorithm>
#include <cstdio>

#include "engine/core/Task.h"
#include "platform/runtime/NotificationCenter.h"
#include "settings/progress/ProgressTaskEngine.h"

namespace zu {

namespace {

constexpr int64_t kMegabyte = 1024 * 1024;

}  // namespace

std::weak_ptr<MSCacheclean> MSCacheclean::clean(int cacheType, std::shared_ptr<ProgressTaskEngine> engine) {
  auto cleaner = std::make_shared<MSCacheclean>(cacheType, std::move(engine));
  cleaner->startClean();
  return cleaner;
}

std::string MSCacheclean::cacheSizeStringWithSize(int64_t bytes) {
  const float megabytes = static_cast<float>(bytes) / 1024 / 1024;
  char text[32];
  if (megabytes < 10) {
    if (megabytes >= 1) {
      std::snprintf(text, sizeof text, "%.1fMB", static_cast<double>(megabytes));
    } else {
      std::snprintf(text, sizeof text, "%dKB", static_cast<int>(bytes / 1024));
    }
  } else {
    std::snprintf(text, sizeof text, "%ldMB", static_cast<long>(bytes / kMegabyte));
  }
  return text;
}

MSCacheclean::MSCacheclean(int cacheType, std::shared_ptr<ProgressTaskEngine> engine)
    : ProgressTaskFlow(std::move(engine)), cacheType_(cacheType) {}

void MSCacheclean::startClean() {
  if (isHoldingSelf()) return;
  std::shared_ptr<Task> task;
  if (cacheType_ == kOffdownCache) {
    task = engine_->createCleanOffdownCacheTask();
    initSize_ = engine_->getOffdownCacheSize();
  } else if (cacheType_ == kNormalCache) {
    task = engine_->createCleanNormalCacheTask();
    initSize_ = engine_->getNormalCacheSize();
  }
  if (!task) return;
  holdSelf();
  runUnderBoard(std::move(task), "正在清理");
}

void MSCacheclean::onTaskStatus(const Notification& notification) {
  if (!board()) return;
  auto keep = shared_from_this();
  const Dictionary& info = notification.userInfo;
  const std::string type = info.get("ResultType").stringValue().value_or("");
  if (type == "CacheCleaning") {
    const float progress = progressOf(info.get("CacheCleanCleaned").intValue(), info.get("CacheCleanTotal").intValue());
    board()->setProgress(progress);
    const double part = std::clamp(static_cast<double>(progress), 0.0, 1.0);
    const auto freed = static_cast<int64_t>(part * static_cast<double>(initSize_));
    board()->setStatusString("正在清理，已释放空间：" + cacheSizeStringWithSize(freed));
    return;
  }
  if (type != "TaskStatus") return;
  if (isCancelled()) {
    board()->setStatusString(std::string("取消清理"));
  } else if (info.get("Result").intValue() != 0) {
    board()->setStatusString(std::string("清理出错"));
  } else {
    board()->setProgress(1);
    board()->setStatusString(std::string("清理完成"));
  }
  endClean();
}

void MSCacheclean::cancelClean() { cancelTask("取消清理"); }

void MSCacheclean::progressModalViewCancelButtonPressed(PBProgressModalView&) { cancelClean(); }

void MSCacheclean::endClean() {
  if (!isHoldingSelf()) return;
  endTask(false);
  NotificationCenter::defaultCenter().post(kEndNotification, Value(), Dictionary());
  releaseSelf();
}

}  // namespace zu
