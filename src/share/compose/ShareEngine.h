// ShareEngine: what the share screen asks of the data engine — the short link of an article (by
// its address or its entry id), a picture download into the image cache, the report of a share,
// running a task, and a picture's cached file. The default goes to the data engine
// (gDataEngine()); without an engine a factory gives null and the screen runs nothing. A test
// gives its own to script what the tasks report and when.
//
// Tasks report through the application Observer: their results arrive as notifications named by
// the task's id on the main thread. The bound accounts come from the AccountEngine. Main thread
// only.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace zu {

class Task;

class ShareEngine {
 public:
  using Text = std::optional<std::string>;

  virtual ~ShareEngine() = default;

  static std::shared_ptr<ShareEngine> defaultEngine();

  virtual std::shared_ptr<Task> createGetShortUrlTask(const Text& url);
  virtual std::shared_ptr<Task> createGetShortUrlTaskWithArticleId(const Text& articleId);
  virtual std::shared_ptr<Task> createDownloadImageTask(const Text& url);
  virtual std::shared_ptr<Task> createSharingTask(const Text& linkText, const Text& url, int sharingType);
  virtual void asyncRunTask(const std::shared_ptr<Task>& task);
  // The cached file of a picture address, when there is one.
  virtual Text getImageLocalPath(const Text& url);
};

}  // namespace zu
