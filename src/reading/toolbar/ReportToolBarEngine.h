// ReportToolBarEngine: what the article toolbar asks of the data engine — a like, adding and
// removing a favourite, the guest's favourite count, a mail share's report, a short link, a posted
// comment — and running a task. The default goes to the data engine (gDataEngine()); without an
// engine a factory gives null and the toolbar runs nothing. A test gives its own to script what
// the tasks report.
//
// Tasks report through the application Observer: their results arrive as notifications named by
// the task's id on the main thread. Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace zu {

class Entry;
class Link;
class Task;
class VeskCustomization;

class ReportToolBarEngine {
 public:
  using Text = std::optional<std::string>;

  virtual ~ReportToolBarEngine() = default;

  static std::shared_ptr<ReportToolBarEngine> defaultEngine();

  virtual std::shared_ptr<Task> createBumpTask(const std::shared_ptr<Link>& link, const Text& entryId,
                                               int bump);
  virtual std::shared_ptr<Task> createAddFavoriteNewsSummaryTask(const std::shared_ptr<Entry>& entry);
  virtual std::shared_ptr<Task> createDelFavoriteNewsSummaryTask(const std::shared_ptr<Entry>& entry);
  virtual std::shared_ptr<Task> createSharingTask(const Text& linkText, const Text& url, int sharingType);
  virtual std::shared_ptr<Task> createGetShortUrlTask(const Text& url);
  virtual std::shared_ptr<Task> createGetShortUrlTaskWithArticleId(const Text& articleId);
  virtual std::shared_ptr<Task> createPostCommentTask(
      const Text& url, const Text& entryId, const Text& title, const Text& content,
      const std::shared_ptr<VeskCustomization>& customization);
  virtual void asyncRunTask(const std::shared_ptr<Task>& task);
  // True for the guest (and without an engine).
  virtual bool isAnonymous();
  virtual int64_t getFavoriteNewsCount();
};

}  // namespace zu
