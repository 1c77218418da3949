// DataEngineObserver: the application-wide receiver of every task result (data results and
// finishes). Calls come on the "task" thread as a rule (cache-cleaning progress on the file
// cache's cleaning thread, the background column reload on a background thread), never on the
// main thread; an implementation hands the work to the main thread itself and returns at once.
// A task reports its data results before its finish.
//
// The optional callbacks have empty default bodies: an observer that does not implement one
// simply does not hear it. respondsToOnDownloadBookUpdatesProgress() and its siblings tell
// callers that want to skip preparing the report.
// Model objects are shared, not copied; a null pointer stands for a nil result.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/core/TaskFinishObserver.h"

namespace zu {

class Feed;
class Entry;
class UserInfo;
class Ads;
class Column;
class OfflineDownloadProgress;

class DataEngineObserver : public TaskFinishObserver {
 public:
  virtual void onFeedResult(const std::shared_ptr<Task>& task,
                            const std::shared_ptr<Feed>& feed) = 0;
  virtual void onEntryResult(const std::shared_ptr<Task>& task,
                             const std::shared_ptr<Entry>& entry) = 0;
  virtual void onUserInfoResult(const std::shared_ptr<Task>& task,
                                const std::shared_ptr<UserInfo>& userInfo) = 0;
  virtual void onImageDownloadResult(const std::shared_ptr<Task>& task, const std::string& url,
                                     int errCode, const std::optional<std::string>& errDesc,
                                     const std::optional<std::string>& localPath) = 0;
  virtual void onStringResult(const std::shared_ptr<Task>& task,
                              const std::optional<std::string>& string) = 0;
  virtual void onAdsResult(const std::shared_ptr<Task>& task,
                           const std::shared_ptr<Ads>& ads) = 0;
  virtual void columnWillUpdate(const std::shared_ptr<Task>& task,
                                const std::shared_ptr<Column>& column) = 0;
  virtual void columnDidUpdated(const std::shared_ptr<Task>& task,
                                const std::shared_ptr<Column>& column, bool dataChanged) = 0;
  // No task: called by the column refresh, the offline column download and the microblog
  // column reload, possibly from a background thread.
  virtual void columnBackGroundUpdated(const std::shared_ptr<Column>& column) = 0;

  // Optional callbacks.
  virtual void onOfflineDownloadProgress(const std::shared_ptr<Task>& /*task*/,
                                         const OfflineDownloadProgress& /*progress*/) {}
  virtual void onCacheCleanProgress(const std::shared_ptr<Task>& /*task*/, int /*total*/,
                                    int /*cleaned*/) {}
  virtual void onDownloadFontProgress(const std::shared_ptr<Task>& /*task*/,
                                      int64_t /*receivedSize*/, int64_t /*totalSize*/) {}
  virtual void onDownloadBookProgress(const std::shared_ptr<Task>& /*task*/,
                                      const std::string& /*bookId*/, int64_t /*receivedSize*/,
                                      int64_t /*totalSize*/) {}
  virtual void onDownloadBookUpdatesProgress(const std::shared_ptr<Task>& /*task*/,
                                             const std::string& /*bookId*/, int /*rate*/) {}

  // Whether the optional callbacks are implemented (callers test before reporting).
  virtual bool respondsToOnOfflineDownloadProgress() const { return false; }
  virtual bool respondsToOnCacheCleanProgress() const { return false; }
  virtual bool respondsToOnDownloadFontProgress() const { return false; }
  virtual bool respondsToOnDownloadBookProgress() const { return false; }
  virtual bool respondsToOnDownloadBookUpdatesProgress() const { return false; }
};

}  // namespace zu
