// HomeLock: lets the clients that run on one home know of each other, so that what a launch
// does to clear up after a run that ended — removing the temporary files a killed run left
// (FolderHandle::removeTemporariesBelow) — never takes a file that another client, running on
// the same home, is writing at that moment (a store's own copy, the preferences' new bytes).
//
// Every client holds the lock file "Library/.zureader.lock" of its home for its whole run,
// shared (flock). At launch it first asks for it exclusively, which it gets only when no other
// client holds it: then, and only then, it clears up, and holds it shared from then on. A
// client launched while another runs clears nothing up (a line reports it); the next launch
// with no other client running does. A launch that finds another clearing up waits for it
// before it holds the lock shared.
//
// The lock file is a regular file of the user's, owner-only, reached without following a link
// (Paths, FolderHandle) and never written; anything else found at its name (a link, a named
// pipe, another user's file) is set aside as a link where a folder belongs is, and a lock file
// made. Where none can be had, nothing is cleared up (reported) and nothing held.
//
// Use: one object for the run, made on the main thread before anything of the client writes in
// its home, kept until the process ends; its end lets the lock go.
#pragma once

#include <functional>

namespace zu {

class HomeLock {
 public:
  // The lock file's name in the home's Library folder.
  static constexpr const char* kName = ".zureader.lock";

  // Takes the lock of the current home (Paths): exclusively when no other client holds it, and
  // then runs `clearUp` before holding it shared; else holds it shared without running it.
  explicit HomeLock(const std::function<void()>& clearUp);
  ~HomeLock();
  HomeLock(const HomeLock&) = delete;
  HomeLock& operator=(const HomeLock&) = delete;

  // Whether `clearUp` ran: no other client held the lock.
  bool clearedUp() const { return clearedUp_; }
  // Whether the lock is held (shared) for the run.
  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
  bool clearedUp_ = false;
};

}  // namespace zu
