#include "reading/images/DownloadWithPrioritySession.h"

#include "common/Log.h"
#include "engine/core/DataEngine.h"
#include "platform/runtime/RunLoop.h"
#include "platform/runtime/Thread.h"
#include "reading/images/DownloadWithPriorityDLManager.h"
#include "reading/images/DownloadWithPrioritySessionDelegate.h"

namespace zu {

namespace {

constexpr int kLevelNow = 3;
constexpr int kLevelNext = 2;
constexpr int kLevelFormer = 1;
constexpr int kLevelBackground = 0;
constexpr int kTypeNow = 0;
constexpr int kTypeNext = 1;
constexpr int kStrategyForward = 0;

}  // namespace

DownloadWithPrioritySession::DownloadWithPrioritySession() {
  for (int level = 0; level < kPriorityLevelCount; ++level) {
    priorityOrgnizedGroupArray_[level] =
        std::make_shared<DownloadWithPriorityGroupMutableArray>(level);
  }
}

std::shared_ptr<DownloadWithPrioritySession> DownloadWithPrioritySession::initWithUrlArray(
    const std::optional<UrlList>& urls) {
  if (!urls) return nullptr;
  std::shared_ptr<DownloadWithPrioritySession> session(new DownloadWithPrioritySession());
  // Nothing else sees the session yet, so the objects are made here, before the thread starts.
  session->appendObjects(*urls);
  session->downloadThread_ = Thread::start("DownloadThread");
  session->dlManager_ = std::make_shared<DownloadWithPriorityDLManager>(
      session->weak_from_this(), session->downloadThread_->runLoop());
  return session;
}

DownloadWithPrioritySession::~DownloadWithPrioritySession() {
  if (!downloadThread_) return;
  if (downloadThread_->isCurrent()) {
    // The last reference went away on the session's own thread: close here, then let the
    // thread end (it cannot join itself).
    if (isThreadAlive_) sessionCloseOnThread();
    downloadThread_->stopAndJoin();
    return;
  }
  sessionClose();
}

void DownloadWithPrioritySession::onThread(void (DownloadWithPrioritySession::*work)()) {
  std::weak_ptr<DownloadWithPrioritySession> weak = weak_from_this();
  downloadThread_->runLoop()->post([weak, work] {
    auto self = weak.lock();
    if (self && self->isThreadAlive_) ((*self).*work)();
  });
}

void DownloadWithPrioritySession::appendUrlArray(const std::optional<UrlList>& urls) {
  if (!urls || urls->empty()) return;
  std::weak_ptr<DownloadWithPrioritySession> weak = weak_from_this();
  downloadThread_->runLoop()->post([weak, urls = *urls] {
    auto self = weak.lock();
    if (!self || !self->isThreadAlive_) return;
    self->appendObjects(urls);
    self->pushDownloadQueue();
  });
}

void DownloadWithPrioritySession::appendObjects(const UrlList& urls) {
  const size_t first = allGroupArray_.size();
  for (size_t i = 0; i < urls.size(); ++i) {
    auto object =
        std::make_shared<DownloadWithPriorityGroupObject>(urls[i], static_cast<unsigned>(first + i));
    allGroupArray_.push_back(object);
    priorityOrgnizedGroupArray_[kLevelBackground]->addObjectWithRemoveFromOthers(
        object, priorityOrgnizedGroupArray_);
  }
}

void DownloadWithPrioritySession::setGroupWithStrategy(int location, int length, int strategy,
                                                       int type, int topPriority) {
  std::weak_ptr<DownloadWithPrioritySession> weak = weak_from_this();
  downloadThread_->runLoop()->post([=] {
    auto self = weak.lock();
    if (self && self->isThreadAlive_) {
      self->setGroupWithStrategyOnThread(location, length, strategy, type, topPriority);
    }
  });
}

std::vector<unsigned> DownloadWithPrioritySession::allocCalculateSequenceArray(
    size_t count, int location, int length, int strategy, int topPriority) {
  std::vector<unsigned> sequence;
  // Compared unsigned: a negative location is past any end too.
  if (static_cast<size_t>(static_cast<unsigned>(location)) >= count) return sequence;
  std::optional<unsigned> top;
  if (topPriority >= 0 && static_cast<size_t>(topPriority) < count) {
    top = static_cast<unsigned>(topPriority);
    sequence.push_back(*top);
  }
  if (strategy != kStrategyForward) return sequence;
  for (size_t index = static_cast<unsigned>(location); index < count; ++index) {
    if (index != top) sequence.push_back(static_cast<unsigned>(index));
    if (static_cast<int64_t>(sequence.size()) >= length) break;
  }
  return sequence;
}

void DownloadWithPrioritySession::setGroupWithStrategyOnThread(int location, int length,
                                                               int strategy, int type,
                                                               int topPriority) {
  VESKLogImpl("setGroupWithStrategy: rangeLocation: %d, rangeLength:%d, topPriorityObject:%d ",
              location, length, topPriority);
  auto& groups = priorityOrgnizedGroupArray_;
  if (type != kTypeNow && type != kTypeNext) return;
  if (type == kTypeNow) {
    groups[kLevelNow]->moveAllObjectsToArray(*groups[kLevelFormer]);
    groups[kLevelNext]->moveAllObjectsToArray(*groups[kLevelBackground]);
  }
  const auto sequence =
      allocCalculateSequenceArray(allGroupArray_.size(), location, length, strategy, topPriority);
  const int level = type == kTypeNow ? kLevelNow : kLevelNext;
  for (unsigned index : sequence) {
    const ObjectPtr& object = allGroupArray_[index];
    object->setFailedAttempts(0);  // selected again: a failed image gets its tries back
    groups[level]->addObjectWithRemoveFromOthers(object, groups);
  }
  if (type == kTypeNow) {
    dlManager_->setQueueSize(static_cast<unsigned>(sequence.size()));
    pushDownloadQueue();
  }
}

void DownloadWithPrioritySession::pushDownloadQueue() {
  for (int level = kLevelNow; level >= kLevelBackground; --level) {
    if (level <= kLevelFormer && !isAllowBackgroundDownload_) return;
    const auto& group = priorityOrgnizedGroupArray_[level];
    if (group->myArray().empty()) continue;
    const unsigned active = level == kLevelNow ? static_cast<unsigned>(group->myArray().size()) : 0;
    // A copy: the group changes as results come in, the lanes keep their own lists.
    const std::vector<ObjectPtr> objects = group->myArray();
    dlManager_->createRefreshBatchDownloadInQueueTask(objects, active);
    return;
  }
}

void DownloadWithPrioritySession::sessionPause() {
  onThread(&DownloadWithPrioritySession::pauseOnThread);
}

void DownloadWithPrioritySession::sessionResume() {
  onThread(&DownloadWithPrioritySession::resumeOnThread);
}

void DownloadWithPrioritySession::pauseOnThread() { dlManager_->pauseDownloadInQueueTask(); }

void DownloadWithPrioritySession::resumeOnThread() { dlManager_->resumeDownloadInQueueTask(); }

void DownloadWithPrioritySession::sessionClose() {
  if (!downloadThread_) return;
  if (downloadThread_->isCurrent()) {
    VESKLogImpl("DownloadWithPrioritySession: sessionClose refused on the session's own thread");
    return;
  }
  downloadThread_->runLoop()->postAndWait([this] {
    if (isThreadAlive_) sessionCloseOnThread();
  });
  downloadThread_->stopAndJoin();
}

void DownloadWithPrioritySession::sessionCloseOnThread() {
  VESKLogImpl("DownloadThread sessionCloseOnThread");
  isThreadAlive_ = false;
  {
    std::lock_guard guard(delegateLock_);
    delegate_.reset();
  }
  if (dlManager_) dlManager_->close();
  dlManager_.reset();
}

void DownloadWithPrioritySession::onDownloadResult(const ObjectPtr& object,
                                                   const Dictionary& userInfo) {
  const int code = static_cast<int>(userInfo.get("Result").intValue());
  const int level = object->priorityLevel();
  DownloadWithPriorityGroupMutableArray* group =
      level >= 0 && level < kPriorityLevelCount ? priorityOrgnizedGroupArray_[level].get() : nullptr;
  auto& background = *priorityOrgnizedGroupArray_[kLevelBackground];
  if (code != 0) {
    object->setFailedAttempts(object->failedAttempts() + 1);
    const bool exhausted = object->failedAttempts() >= kMaxDownloadAttempts;
    if (group) group->removeObjectOrMoveToArray(object, background, object->downloaded() || exhausted);
    VESKLogImpl("DownloadWithPrioritySession: object %d download fail, error code: %d",
                static_cast<int>(object->orignalIndex()), code);
    if (exhausted) {
      VESKLogImpl("DownloadWithPrioritySession: object %d waits for a range after %d failures",
                  static_cast<int>(object->orignalIndex()), object->failedAttempts());
    }
  } else {
    VESKLogImpl(testMask_ == 1
                    ? "DownloadWithPrioritySession: Big picture object %d downloaded, notifying"
                    : "DownloadWithPrioritySession: Thumb picture object %d downloaded, notifying",
                static_cast<int>(object->orignalIndex()));
    object->setDownloaded(true);
    if (group) group->removeObjectOrMoveToArray(object, background, true);
  }
  std::weak_ptr<DownloadWithPrioritySession> weak = weak_from_this();
  RunLoop::main()->post([weak, userInfo] {
    if (auto self = weak.lock()) self->doDownloadResult(userInfo);
  });
}

void DownloadWithPrioritySession::onQueueClear() { pushDownloadQueue(); }

void DownloadWithPrioritySession::doDownloadResult(const Dictionary& userInfo) {
  auto target = delegate();
  if (!target) return;
  const std::string url = userInfo.get("Url").stringValue().value_or(std::string());
  std::optional<std::string> path;
  if (auto engine = gDataEngine()) path = engine->getImageLocalPath(url);
  target->onDownloadResult(shared_from_this(), url, path);
}

void DownloadWithPrioritySession::setDelegate(
    std::weak_ptr<DownloadWithPrioritySessionDelegate> delegate) {
  std::lock_guard guard(delegateLock_);
  delegate_ = std::move(delegate);
}

std::shared_ptr<DownloadWithPrioritySessionDelegate> DownloadWithPrioritySession::delegate() const {
  std::lock_guard guard(delegateLock_);
  return delegate_.lock();
}

}  // namespace zu
