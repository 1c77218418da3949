// UpdateColumnBatchTask: refreshes a list of columns, three at a time, each by an
// UpdateColumnInnerTask on an engine of its own from the engine manager; a column starts as soon
// as one of the running ones finishes. In foreground mode the observer hears columnWillUpdate
// before each column and columnDidUpdated (with the latest column and whether it changed)
// after it; in background mode the task is muted and the observer hears columnBackGroundUpdated
// only for a column that changed, or for every column when forceNotify is set. A column for
// which no engine can be had ends at once, unchanged, with -8. A failing column does not stop
// the batch: the batch ends once, after the last column, with the code of the column that
// finished last (-6 when cancelled).
//
// Made by the facade (createUpdateColumnTask, createUpdateColumnBatchTask, the reload after a
// microblog binding) and by the article list task; runs on the "task" thread.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/core/Task.h"
#include "engine/tasks/columns/UpdateColumnInnerTaskDelegate.h"

namespace zu {

class Column;
class HttpEngine;
class HttpEngineHooks;

class UpdateColumnBatchTask : public Task, public UpdateColumnInnerTaskDelegate {
 public:
  // How many columns refresh at the same time.
  static constexpr size_t kRunAtSameTime = 3;

  UpdateColumnBatchTask(std::vector<std::shared_ptr<Column>> columns, bool background);
  // One column, or none when null.
  UpdateColumnBatchTask(std::shared_ptr<Column> column, bool background);

  bool forceNotify() const { return forceNotify_; }
  void setForceNotify(bool force) { forceNotify_ = force; }
  const std::optional<std::string>& lastErrDesc() const { return lastErrDesc_; }

  void run() override;
  // Stops starting columns and cancels the running ones (each then finishes with -6).
  void cancel() override;
  void onUpdateColumnInnerTaskFinished(UpdateColumnInnerTask* task, int errCode,
                                       const std::optional<std::string>& errDesc,
                                       const std::shared_ptr<Column>& latestColumn,
                                       bool dataChanged) override;

 protected:
  // Gives back every engine still held.
  void finish(int errCode, const std::optional<std::string>& errDesc) override;

 private:
  void updateNextColumn();
  // Tells the observer that a column's refresh ended (foreground: always; background: when it
  // changed or notices are forced).
  void reportColumnEnd(const std::shared_ptr<Column>& column, bool dataChanged);

  const std::vector<std::shared_ptr<Column>> columns_;
  std::vector<std::shared_ptr<HttpEngine>> httpEngines_;
  std::shared_ptr<HttpEngineHooks> hooks_;
  size_t currIndex_ = 0;
  size_t total_ = 0;
  size_t runAtSameTime_ = 0;
  const bool background_;
  bool canceling_ = false;
  int lastErrCode_ = 0;
  std::optional<std::string> lastErrDesc_;
  bool forceNotify_ = false;
};

}  // namespace zu
