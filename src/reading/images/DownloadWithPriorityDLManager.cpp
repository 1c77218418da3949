#include "reading/images/DownloadWithPriorityDLManager.h"

#include <algorithm>
#include <cstdio>

#include "engine/core/DataEngine.h"
#include "engine/core/Task.h"
#include "platform/runtime/RunLoop.h"
#include "reading/images/DownloadWithPriorityDLManagerDelegate.h"
#include "reading/images/DownloadWithPriorityGroupObject.h"

namespace zu {

namespace {

// What the lanes found in a state they did not expect; they go on all the same.
void consoleAssert(const char* text) { std::printf("%s\n", text); }

}  // namespace

DownloadWithPriorityDLManager::DownloadWithPriorityDLManager(
    std::weak_ptr<DownloadWithPriorityDLManagerDelegate> delegate, std::shared_ptr<RunLoop> thread)
    : delegate_(std::move(delegate)), queueArray_(kInitialQueueSize), thread_(std::move(thread)) {}

DownloadWithPriorityDLManager::~DownloadWithPriorityDLManager() = default;

void DownloadWithPriorityDLManager::cancelHeadTask(const ObjectPtr& head) {
  if (!head->task()) return;
  if (auto engine = gDataEngine()) engine->asyncCancelTask(head->task());
  head->setTask(nullptr);
}

void DownloadWithPriorityDLManager::startHeadTask(const ObjectPtr& head) {
  auto engine = gDataEngine();
  if (!engine || head->task()) return;
  auto task = engine->createDownloadImageTask(head->url(), shared_from_this());
  head->setTask(task);
  engine->asyncRunTask(task);
}

void DownloadWithPriorityDLManager::startHeads() {
  if (isPause_ || closed_) return;
  for (auto& lane : queueArray_) {
    if (!lane.empty() && !lane.front()->task()) startHeadTask(lane.front());
  }
}

void DownloadWithPriorityDLManager::setQueueSize(unsigned n) {
  if (n == 0) return;
  n = std::min(n, kMaxQueueSize);
  if (n == queueSize_) return;
  cancelAllDownloadInQueueTask();
  queueArray_.assign(n, Lane());
  queueSize_ = n;
}

void DownloadWithPriorityDLManager::deal(const std::vector<ObjectPtr>& objects,
                                         const std::vector<ObjectPtr>& staying) {
  if (queueArray_.empty()) return;
  for (size_t k = 0; k < objects.size(); ++k) {
    const ObjectPtr& object = objects[k];
    // A head that stayed is in its lane already, with or without a task (paused).
    if (!object || object->task() ||
        std::find(staying.begin(), staying.end(), object) != staying.end()) {
      continue;
    }
    queueArray_[k % queueArray_.size()].push_back(object);
  }
}

void DownloadWithPriorityDLManager::createRefreshBatchDownloadInQueueTask(
    const std::vector<ObjectPtr>& objects, unsigned active) {
  const auto wantedEnd = objects.begin() + std::min<size_t>(active, objects.size());
  std::vector<ObjectPtr> staying;
  for (auto& lane : queueArray_) {
    if (lane.empty()) continue;
    ObjectPtr head = lane.front();
    lane.clear();
    if (std::find(objects.begin(), wantedEnd, head) != wantedEnd) {
      lane.push_back(head);
      staying.push_back(head);
    } else {
      cancelHeadTask(head);
    }
  }
  deal(objects, staying);
  startHeads();
}

void DownloadWithPriorityDLManager::createBatchDownloadInQueueTask(
    const std::vector<ObjectPtr>& objects) {
  deal(objects, {});
  startHeads();
}

void DownloadWithPriorityDLManager::cancelDownloadInQueueTask(unsigned orignalIndex) {
  for (auto& lane : queueArray_) {
    auto it = std::find_if(lane.begin(), lane.end(), [&](const ObjectPtr& object) {
      return object->orignalIndex() == orignalIndex;
    });
    if (it == lane.end()) continue;
    if (it != lane.begin()) {
      lane.erase(it);
      continue;
    }
    if (!lane.front()->task()) consoleAssert("assert groupObject.task == nil in cancelDownloadInQueueTask");
    cancelHeadTask(lane.front());
    lane.pop_front();
    if (!lane.empty() && !isPause_ && !closed_) startHeadTask(lane.front());
  }
}

void DownloadWithPriorityDLManager::pauseDownloadInQueueTask() {
  if (isPause_) return;
  for (auto& lane : queueArray_) {
    if (lane.empty()) continue;
    if (!lane.front()->task()) consoleAssert("assert groupObject.task == nil in pauseDownloadInQueueTask");
    cancelHeadTask(lane.front());
  }
  isPause_ = true;
}

void DownloadWithPriorityDLManager::resumeDownloadInQueueTask() {
  if (!isPause_) return;
  isPause_ = false;
  for (auto& lane : queueArray_) {
    if (lane.empty()) continue;
    // A head still downloading keeps its task rather than getting a second one.
    if (lane.front()->task()) {
      consoleAssert("assert groupObject.task != nil in resumeDownloadInQueueTask");
      continue;
    }
    if (!closed_) startHeadTask(lane.front());
  }
}

void DownloadWithPriorityDLManager::cancelAllDownloadInQueueTask() {
  for (auto& lane : queueArray_) {
    if (!lane.empty()) cancelHeadTask(lane.front());
    lane.clear();
  }
}

void DownloadWithPriorityDLManager::onImageDownloadResultOnThread(const Dictionary& result) {
  if (closed_) return;
  const std::shared_ptr<Task> task = result.get("Task").asObject<Task>();
  for (auto& lane : queueArray_) {
    if (lane.empty() || !task || lane.front()->task() != task) continue;
    ObjectPtr head = lane.front();
    head->setTask(nullptr);
    if (auto delegate = delegate_.lock()) delegate->onDownloadResult(head, result);
    lane.pop_front();
    if (lane.empty()) continue;
    if (lane.front()->task()) {
      consoleAssert("assert groupObject.task == nil in onImageDownloadResultOnThread");
    } else if (!isPause_ && !closed_) {
      startHeadTask(lane.front());
    }
  }
  const bool allEmpty = std::all_of(queueArray_.begin(), queueArray_.end(),
                                    [](const Lane& lane) { return lane.empty(); });
  if (allEmpty && !closed_) {
    if (auto delegate = delegate_.lock()) delegate->onQueueClear();
  }
}

void DownloadWithPriorityDLManager::close() {
  closed_ = true;
  {
    std::lock_guard guard(threadLock_);
    thread_.reset();
  }
  delegate_.reset();
  cancelAllDownloadInQueueTask();
  queueArray_.clear();
}

void DownloadWithPriorityDLManager::onImageDownloadResult(
    const std::shared_ptr<Task>& task, const std::string& url, int errCode,
    const std::optional<std::string>& errDesc, const std::optional<std::string>& /*localPath*/) {
  Dictionary result{{"Task", Value(task)},
                    {"ResultType", "ImageDownLoad"},
                    {"Result", errCode},
                    {"Url", url},
                    {"ErrDesc", errDesc ? Value(*errDesc) : Value()}};
  std::shared_ptr<RunLoop> thread;
  {
    std::lock_guard guard(threadLock_);
    thread = thread_;
  }
  if (!thread || thread->isStopped()) return;  // closed: the result is dropped
  std::shared_ptr<DownloadWithPriorityDLManager> self = shared_from_this();
  thread->post([self, result = std::move(result)] { self->onImageDownloadResultOnThread(result); });
}

}  // namespace zu
