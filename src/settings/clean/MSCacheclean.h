// MSCacheclean: one cleaning of the reading cache (type 10000) or of the offline content (10001)
// as an engine task, shown on the progress board. clean(type) starts it and lets go: the
// cleaning holds itself until it ends. The board shows "正在清理" at 0, then the part cleaned
// (cleaned / total) and "正在清理，已释放空间：%@" with that part of the size the cache had at the
// start; the task's end shows "清理完成" (with the bar full), "清理出错" or, after the board's
// cancel button, "取消清理". Then the board fades out over 1.8 s and "kNotificationCachecleanEnd"
// is posted (no object) — after a failure or a cancel too — and the cleaning lets go of itself.
//
// Size texts (cacheSizeStringWithSize): below 10 MB "%.1fMB" from 1 MB and "%dKB" under it; from
// 10 MB whole megabytes "%ldMB" (10,485,759 bytes read "10.0MB", 10,485,760 "10MB"). The settings
// table's footers use a rule of their own.
//
// Where we differ on purpose (faults mended):
//  - A total of 0 (or less) gives progress 0, never a division's NaN; the freed size uses the
//    progress clamped to 0..1, so a report beyond its total cannot overflow the byte count.
//  - An unknown cache type, or an engine that makes no task, ends the cleaning at once: no
//    board, no notification, the cleaning freed.
//  - A cleaning the engine refuses because another one runs (−8) ends like any failure.
//
// Main thread only; results come as task notifications through the application Observer. The
// board, the task and the hold are ProgressTaskFlow's.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "settings/progress/ProgressTaskFlow.h"

namespace zu {

class MSCacheclean : public ProgressTaskFlow {
 public:
  static constexpr int kNormalCache = 10000;
  static constexpr int kOffdownCache = 10001;
  static constexpr const char* kEndNotification = "kNotificationCachecleanEnd";

  // Starts a cleaning of `cacheType` with the engine (the data engine's when null). The result
  // lets tests follow the cleaning; it expires when the cleaning has ended.
  static std::weak_ptr<MSCacheclean> clean(int cacheType, std::shared_ptr<ProgressTaskEngine> engine = nullptr);
  static std::string cacheSizeStringWithSize(int64_t bytes);

  MSCacheclean(int cacheType, std::shared_ptr<ProgressTaskEngine> engine);

  void startClean();
  void onTaskStatus(const Notification& notification) override;
  void cancelClean();
  void endClean();
  void progressModalViewCancelButtonPressed(PBProgressModalView& view) override;

  // --- state (read by tests)
  int cacheType() const { return cacheType_; }
  int64_t initSize() const { return initSize_; }

 private:
  const int cacheType_;
  int64_t initSize_ = 0;
};

}  // namespace zu
