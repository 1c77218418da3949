// OfflineDownDetailBatchInnerTask: downloads a column's articles for offline reading, at most
// kRunAtSameTime at once: one on the column's own engine and the others on engines borrowed
// from the engine manager, each given back as soon as its article ends. A failed article counts
// as finished and the others go on; a cancel (-6), a server authorisation error, or a connection
// failure while the device has no network (-13) stops starting articles, and the batch ends with
// that code once the articles in flight have returned.
//
// Lifetime and threads: keeps itself and its delegate alive from run() to its finish; everything
// on the "task" thread, where the borrowed engines deliver too.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/tasks/offline/OfflineDownDetailInnerTaskDelegate.h"
#include "platform/runtime/Object.h"

namespace zu {

class HttpEngine;
class HttpEngineHooks;
class NewsSummary;
class OfflineDownDetailBatchInnerTaskDelegate;
class OfflineDownDetailInnerTask;

class OfflineDownDetailBatchInnerTask : public Object, public OfflineDownDetailInnerTaskDelegate {
 public:
  static constexpr size_t kRunAtSameTime = 10;

  OfflineDownDetailBatchInnerTask(
      std::shared_ptr<HttpEngine> engine, std::vector<std::shared_ptr<NewsSummary>> newsSummarys,
      std::shared_ptr<OfflineDownDetailBatchInnerTaskDelegate> delegate);

  void run();
  // Stops starting articles and cancels those in flight (each ends with -6 at once, whether it
  // waits on its engine or on a style sheet).
  void cancel();
  // Articles fetched from the network.
  int getTotalNewsCount() const { return totalNewsCount_; }

  void onOfflineDownDetailInnerTaskFinished(OfflineDownDetailInnerTask* task, int errCode,
                                            const std::optional<std::string>& errDesc) override;
  void onOfflineDownDetailInnerFlow(OfflineDownDetailInnerTask* task, int bytes) override;

 private:
  std::shared_ptr<HttpEngine> getHttpEngine();
  void releaseHttpEngine(const std::shared_ptr<HttpEngine>& engine);
  void downloadNextDetail();
  void finish(int errCode, const std::optional<std::string>& errDesc);

  std::shared_ptr<HttpEngine> httpEngine_;
  std::shared_ptr<HttpEngineHooks> hooks_;
  bool mainEngineFree_ = true;
  std::vector<std::shared_ptr<HttpEngine>> extraEngines_;
  // The articles in flight (each keeps itself alive; these are only for cancel()).
  std::vector<std::weak_ptr<OfflineDownDetailInnerTask>> running_;
  size_t runAtSameTime_ = 0;
  std::vector<std::shared_ptr<NewsSummary>> newsSummarys_;
  size_t currIndex_ = 0;
  bool canceling_ = false;
  int errCode_ = 0;
  std::shared_ptr<OfflineDownDetailBatchInnerTaskDelegate> delegate_;
  std::shared_ptr<OfflineDownDetailBatchInnerTask> self_;
  int totalNewsCount_ = 0;
};

}  // namespace zu
