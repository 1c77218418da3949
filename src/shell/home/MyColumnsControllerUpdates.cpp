// MyColumnsController: the staged update of the list, the column update results, new
// subscriptions and background updates of single columns.
#include <utility>

#include "common/Log.h"
#include "engine/core/DataEngine.h"
#include "engine/core/Task.h"
#include "model/columns/Column.h"
#include "model/entry/Feed.h"
#include "model/service/VeskEntryStatus.h"
#include "platform/runtime/Clock.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/RunLoop.h"
#include "platform/runtime/UserDefaults.h"
#include "shell/home/MyColumnsController.h"
#include "views/GridView.h"

namespace zu {

namespace {

constexpr int kBookType = 9;

int64_t nowMillis() { return static_cast<int64_t>(Clock::get()->now() * 1000.0); }

}  // namespace

void MyColumnsController::dataSourceUpdate(const std::shared_ptr<Feed>& feed) {
  ColumnListPlanner::List fresh;
  if (feed && feed->entrys()) {
    for (const auto& entry : *feed->entrys()) {
      if (auto column = std::dynamic_pointer_cast<Column>(entry)) fresh.push_back(column);
    }
  }
  if (readChanges_) {
    fresh = readChanges_->applyTo(fresh, true);
    readChanges_.reset();
  }
  auto plan = ColumnListPlanner::plan(dataSource_, fresh);
  std::weak_ptr<ViewController> weak = shared();
  auto self = [weak] { return std::dynamic_pointer_cast<MyColumnsController>(weak.lock()); };
  double t = 0;
  for (const auto& step : plan.steps) {
    staged_.tokens.push_back(RunLoop::main()->postDelayed(t, [self, step] {
      if (auto me = self()) me->replayStep(step);
    }));
    t += kStepSeconds;
  }
  staged_.tokens.push_back(RunLoop::main()->postDelayed(t, [self, planned = std::move(plan.columns)] {
    if (auto me = self()) me->replayBatch(planned);
  }));
}

void MyColumnsController::replayStep(const ColumnListPlanner::Step& step) {
  using Kind = ColumnListPlanner::Step::Kind;
  // Planned from a list the reader has changed since: its indexes may name other columns.
  if (staged_.derailed) return;
  if (step.kind == Kind::Delete) {
    dataSourceDelete(step.index);
    return;
  }
  if (step.kind == Kind::Add) {
    dataSourceAdd(step.column);
    return;
  }
  if (!ColumnListPlanner::apply(dataSource_, step)) return;
  if (step.kind == Kind::Insert) {
    VESKLogImpl("dataSourceInsertOnMainThread : dataSource insert. index = %d", step.index);
    if (gridView_) gridView_->insertCellAtIndexs({step.index}, true);
  } else {
    VESKLogImpl("dataSourceMoveOnMainThread : dataSource exchange. from = %d to = %d", step.index,
                step.toIndex);
    if (gridView_) gridView_->moveCellFromIndex(step.index, step.toIndex, false);
  }
}

// The last step: the shown list should now be the plan, less what the reader deleted and with
// what the reader subscribed meanwhile; when it is not, it is set so and the grid is loaded
// again. Then the plan's remaining columns are checked for new articles (a subscribed column
// has its own check).
void MyColumnsController::replayBatch(const std::vector<std::shared_ptr<Column>>& planned) {
  const StagedUpdate staged = std::exchange(staged_, {});
  ColumnListPlanner::List kept = staged.changes.applyTo(planned, false);
  ColumnListPlanner::List shown = staged.changes.applyTo(planned, true);
  if (!ColumnListPlanner::sameOrder(dataSource_, shown)) {
    dataSource_ = std::move(shown);
    if (gridView_) gridView_->reloadDataToPage(currentPage_);
  }
  updateWithColumns(kept);
}

void MyColumnsController::noteStagedChange(const std::shared_ptr<Column>& column, bool subscribed) {
  if (!column || !column->entryId()) return;
  if (readChanges_) readChanges_->note(column, subscribed);
  if (staged_.tokens.empty()) return;
  staged_.derailed = true;
  staged_.changes.note(column, subscribed);
}

void MyColumnsController::ReaderChanges::note(const std::shared_ptr<Column>& column,
                                              bool subscribe) {
  const std::string& id = *column->entryId();
  std::erase_if(subscribed, [&](const auto& c) { return c->entryId() == id; });
  if (subscribe) {
    deleted.erase(id);
    subscribed.push_back(column);
  } else {
    deleted.insert(id);
  }
}

ColumnListPlanner::List MyColumnsController::ReaderChanges::applyTo(
    const ColumnListPlanner::List& list, bool withSubscribed) const {
  ColumnListPlanner::List out;
  for (const auto& column : list) {
    const auto& id = column ? column->entryId() : std::nullopt;
    if (!id || deleted.count(*id) == 0) out.push_back(column);
  }
  if (!withSubscribed) return out;
  for (const auto& column : subscribed) {
    if (ColumnListPlanner::findColumn(column->entryId(), out) < 0) out.push_back(column);
  }
  return out;
}

// A read of the whole list replaces it: what a staged update still meant to do was planned
// from a list that is gone, and its batch would set that list back. The refresh it belonged
// to ends here; the read decides on a new one.
void MyColumnsController::dropStagedUpdate() {
  if (staged_.tokens.empty()) return;
  for (uint64_t token : staged_.tokens) RunLoop::main()->cancel(token);
  staged_ = {};
  endRefresh();
}

void MyColumnsController::dataSourceDelete(int index) {
  if (!ColumnListPlanner::apply(dataSource_, {ColumnListPlanner::Step::Kind::Delete, index, 0, nullptr})) {
    return;
  }
  VESKLogImpl("dataSourceDeleteWithIndexOnMainThread : dataSource remove. count = %d",
              static_cast<int>(dataSource_.size()));
  if (gridView_) gridView_->deleteCellAtIndexs({index}, true);
}

void MyColumnsController::dataSourceAdd(const std::shared_ptr<Column>& column) {
  dataSource_.push_back(column);
  const int count = static_cast<int>(dataSource_.size());
  VESKLogImpl("dataSourceAddOnMainThread : dataSource add. count = %d", count);
  if (gridView_) gridView_->insertCellAtIndexs({count - 1}, true);
}

void MyColumnsController::updateWithColumns(const std::vector<std::shared_ptr<Column>>& columns) {
  auto engine = gDataEngine();
  if (!engine) {
    endRefresh();
    return;
  }
  auto task = engine->createUpdateColumnBatchTask(columns);
  ++updateCount_;
  countedBatches_.insert(task->getTaskIdStr());
  runTask(task, &MyColumnsController::updateColumnResultOnMainThread);
}

void MyColumnsController::updateColumnResultOnMainThread(const Notification& n) {
  const std::string* type = n.userInfo.get("ResultType").asString();
  if (!type || *type != "TaskStatus") return;
  const std::string* state = n.userInfo.get("StateResult").asString();
  if (state && *state == "TaskFinish") {
    const std::string id = n.name;
    auto finish = finishOf(n);
    const bool counted = countedBatches_.erase(id) > 0;
    if (!finish || finish->code > 0 || !counted || updateCount_ <= 0) return;
    if (--updateCount_ == 0) {
      endRefresh();
      UserDefaults::standard().set(kRefreshTimeKey, Value(Clock::get()->now()));
    }
    return;
  }
  auto column = n.userInfo.get("Result").asObject<Column>();
  if (!column || !state) return;
  const int index = ColumnListPlanner::findColumn(column->entryId(), dataSource_);
  auto shown = index >= 0 ? dataSource_[static_cast<size_t>(index)] : nullptr;
  auto engine = gDataEngine();
  if (*state == "ColumnWillUpdate") {
    if (shown) shown->setNeedUpdate(true);
    if (auto* cell = index >= 0 ? cellAt(index) : nullptr) cell->willUpdate();
  } else if (*state == "ColumnUpdatedNoChanged") {
    if (shown) {
      shown->setNeedUpdate(false);
      shown->setUpdated(nowMillis());
    }
    if (engine) engine->setColumnRefreshTime(column->entryId(), Clock::get()->now());
    if (auto* cell = index >= 0 ? cellAt(index) : nullptr) cell->endUpdate();
  } else if (*state == "ColumnUpdatedChanged") {
    if (shown) shown->setNeedUpdate(false);
    auto fresh = updateCellWithIndex(index, column->entryId());
    if (engine) engine->setColumnRefreshTime(column->entryId(), Clock::get()->now());
    if (fresh && fresh->veskEntryStatus() && fresh->veskEntryStatus()->type() == kBookType) {
      startBookDownload(fresh);
    }
  }
}

void MyColumnsController::subscribeColumnResultOnMainThread(const Notification& n) {
  const std::string* type = n.userInfo.get("ResultType").asString();
  if (!type || *type != "Entry") return;
  auto column = n.userInfo.get("Result").asObject<Column>();
  if (!column) return;
  dataSourceAdd(column);
  noteStagedChange(column, true);
  if (auto engine = gDataEngine()) {
    runTask(engine->createUpdateColumnTask(column), &MyColumnsController::updateColumnResultOnMainThread);
  }
}

void MyColumnsController::columnBackGroundUpdatedOnMainThread(const Notification& n) {
  if (auto column = n.userInfo.get("Column").asObject<Column>()) {
    updateCellWithIndex(-1, column->entryId());
  }
}

std::shared_ptr<Column> MyColumnsController::updateCellWithIndex(int index,
                                                                 const std::optional<std::string>& entryId) {
  auto engine = gDataEngine();
  auto fresh = engine ? engine->getColumnFromLocal(entryId) : nullptr;
  if (!fresh) return nullptr;
  if (index == -1) index = ColumnListPlanner::findColumn(fresh->entryId(), dataSource_);
  if (index < 0 || index >= static_cast<int>(dataSource_.size())) return fresh;
  VESKLogImpl("updateCellWithIndex : %d", index);
  fresh->setUpdated(nowMillis());
  fresh->setNeedUpdate(false);
  dataSource_[static_cast<size_t>(index)] = fresh;
  const bool shown = !isRemoveView_ || (curPageDrawn_ && gridView_ && index / kCellsPerPage == gridView_->getCurPage());
  if (shown) {
    if (auto* cell = cellAt(index)) cell->updateColumn(fresh, isPureTextMode_);
  }
  return fresh;
}

// Book downloads from the home grid come with the opening of columns; a changed book column is
// handed here so that they can start.

}  // namespace zu
