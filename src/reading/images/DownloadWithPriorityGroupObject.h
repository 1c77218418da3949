// DownloadWithPriorityGroupObject: one image of a download session, one per item of the
// screen's list (a null URL stands for an item without an image). It records whether the image
// is downloaded, the engine task now downloading it (only a lane's head has one), its position
// in the session's list and the level of the priority group that holds it (-1: none).
//
// Threads: made by the session and then touched only on the session's thread. Objects are
// compared by identity: two items with the same URL are two objects and two downloads.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace zu {

class Task;

class DownloadWithPriorityGroupObject {
 public:
  DownloadWithPriorityGroupObject(std::optional<std::string> url, unsigned orignalIndex)
      : url_(std::move(url)), orignalIndex_(orignalIndex) {}

  // Set after a successful download, or for a null URL when a group first sees it.
  bool downloaded() const { return downloaded_; }
  void setDownloaded(bool downloaded) { downloaded_ = downloaded; }
  const std::optional<std::string>& url() const { return url_; }
  const std::shared_ptr<Task>& task() const { return task_; }
  void setTask(std::shared_ptr<Task> task) { task_ = std::move(task); }
  unsigned orignalIndex() const { return orignalIndex_; }
  int priorityLevel() const { return priorityLevel_; }
  void setPriorityLevel(int level) { priorityLevel_ = level; }
  // Failed downloads since a range last selected the object.
  int failedAttempts() const { return failedAttempts_; }
  void setFailedAttempts(int attempts) { failedAttempts_ = attempts; }

 private:
  bool downloaded_ = false;
  std::optional<std::string> url_;
  std::shared_ptr<Task> task_;
  unsigned orignalIndex_;
  int priorityLevel_ = -1;
  int failedAttempts_ = 0;
};

}  // namespace zu
