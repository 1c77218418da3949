// DownloadWithPrioritySession: downloads the images of a screen's list (the article list's
// thumbnails, the picture viewer's pictures) through the engine, the items on screen first.
// Each URL becomes a DownloadWithPriorityGroupObject in one of four priority groups: 3 "now"
// (the range the screen shows), 2 "next" (neighbours asked for ahead), 1 what was "now" before
// the last change of range, 0 the background (everything else, and failed images). The session
// serves the first non-empty group in the order 3, 2, 1, 0 (1 and 0 only while background
// download is allowed) over its manager's lanes, and reports every finished attempt to its
// delegate on the main thread with the cached file's path (none when the download failed).
//
// A failed image goes back to the background group and is tried again once the higher groups
// have emptied, at most kMaxDownloadAttempts times in a row; after that it waits until a range
// selects it again, so a dead URL (or no network at all) cannot spin downloads.
//
// Threads: the public operations are called on the main thread; each is handed, without
// waiting, to the session's own thread ("DownloadThread"), where all bookkeeping of groups and
// lanes runs, so no locks guard them. sessionClose() waits for that thread: it closes the
// manager there (cancelling every download), then stops and joins the thread. It must not be
// called on the session's thread (refused there). Nothing reaches the delegate after the close.
//
// Ownership: the screen owns the session (shared) and closes it before letting it go; the
// destructor closes a session that is still open. The delegate is not retained. The operations
// are virtual so that a test can watch what a screen asks of its session.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "reading/images/DownloadWithPriorityDLManagerDelegate.h"
#include "reading/images/DownloadWithPriorityGroupMutableArray.h"

namespace zu {

class DownloadWithPriorityDLManager;
class DownloadWithPrioritySessionDelegate;
class Thread;

class DownloadWithPrioritySession
    : public DownloadWithPriorityDLManagerDelegate,
      public std::enable_shared_from_this<DownloadWithPrioritySession> {
 public:
  using UrlList = std::vector<std::optional<std::string>>;
  using ObjectPtr = std::shared_ptr<DownloadWithPriorityGroupObject>;
  static constexpr int kPriorityLevelCount = 4;
  // Failed downloads of one image before it waits for a range to select it again.
  static constexpr int kMaxDownloadAttempts = 3;

  // Null for a missing list. Every item (a null URL stands for an item without an image)
  // waits in group 0; nothing downloads until a range is set or URLs are appended.
  static std::shared_ptr<DownloadWithPrioritySession> initWithUrlArray(
      const std::optional<UrlList>& urls);
  ~DownloadWithPrioritySession() override;
  DownloadWithPrioritySession(const DownloadWithPrioritySession&) = delete;
  DownloadWithPrioritySession& operator=(const DownloadWithPrioritySession&) = delete;

  // New items after the existing ones (their indices follow on); nothing for an empty list.
  virtual void appendUrlArray(const std::optional<UrlList>& urls);
  // A range of item indices: type 0 makes it "now" (former "now" to group 1, "next" to group
  // 0, as many lanes as the range selects, capped at 10, and the downloads re-chosen); type 1
  // makes it "next" (nothing starts). `topPriority`, when a valid index, comes first. Strategy 0
  // (forward) is the only one.
  virtual void setGroupWithStrategy(int location, int length, int strategy, int type, int topPriority);
  // Cancels the downloads in flight / starts them again.
  virtual void sessionPause();
  virtual void sessionResume();
  virtual void sessionClose();

  void setDelegate(std::weak_ptr<DownloadWithPrioritySessionDelegate> delegate);
  // Gates groups 1 and 0.
  void setAllowBackgroundDownload(bool allow) { isAllowBackgroundDownload_ = allow; }
  // 1 marks a session of full-size pictures in the log.
  uint8_t testMask() const { return testMask_; }
  void setTestMask(uint8_t mask) { testMask_ = mask; }

  // The item indices a range selects (see setGroupWithStrategy): nothing when the location is
  // not below the count (a negative one neither); the top index first; then, forward from the
  // location, indices until the sequence holds at least `length` of them, at least one.
  static std::vector<unsigned> allocCalculateSequenceArray(size_t count, int location, int length,
                                                           int strategy, int topPriority);

  // DownloadWithPriorityDLManagerDelegate (the session's thread).
  void onDownloadResult(const ObjectPtr& object, const Dictionary& userInfo) override;
  void onQueueClear() override;

 protected:
  // A session without its thread: only for a subclass that answers every operation itself (a
  // test's spy); the real one comes from initWithUrlArray.
  DownloadWithPrioritySession();

 private:

  // Runs `work` on the session's thread with the session, unless it is gone or closed.
  void onThread(void (DownloadWithPrioritySession::*work)());
  void appendObjects(const UrlList& urls);
  void setGroupWithStrategyOnThread(int location, int length, int strategy, int type,
                                    int topPriority);
  void pushDownloadQueue();
  void pauseOnThread();
  void resumeOnThread();
  void sessionCloseOnThread();
  // On the main thread: the cached path of the result's URL to the delegate.
  void doDownloadResult(const Dictionary& userInfo);
  std::shared_ptr<DownloadWithPrioritySessionDelegate> delegate() const;

  // The session's thread only.
  std::vector<ObjectPtr> allGroupArray_;
  DownloadWithPriorityGroupMutableArray::Groups priorityOrgnizedGroupArray_;
  std::shared_ptr<DownloadWithPriorityDLManager> dlManager_;

  std::shared_ptr<Thread> downloadThread_;
  std::atomic<bool> isThreadAlive_{true};
  std::atomic<bool> isAllowBackgroundDownload_{true};
  std::atomic<uint8_t> testMask_{0};
  mutable std::mutex delegateLock_;
  std::weak_ptr<DownloadWithPrioritySessionDelegate> delegate_;
};

}  // namespace zu
