// CommentsEngine: what the comments screen and the comment sheet ask of the data engine — an
// article's comments (a page by its link), the article's counts, posting and deleting a comment,
// the article's short link, running a task, an avatar's cached file, whether the reader is a
// guest — and of the open platforms: the clients with a bound account. The default goes to the
// data engine (gDataEngine()) and OpenPlatformFactory; without an engine a factory gives null and
// the screens run nothing. A test gives its own to script what the tasks report and which
// clients are bound.
//
// Tasks report through the application Observer: their results arrive as notifications named by
// the task's id on the main thread. Main thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zu {

class Link;
class NewsDetail;
class OpenPlatformBase;
class Task;
class VeskCustomization;

class CommentsEngine {
 public:
  using Text = std::optional<std::string>;

  virtual ~CommentsEngine() = default;

  static std::shared_ptr<CommentsEngine> defaultEngine();

  virtual std::shared_ptr<Task> createGetCommentsTask(const std::shared_ptr<Link>& link,
                                                      const std::shared_ptr<VeskCustomization>& customization);
  virtual std::shared_ptr<Task> createGetNewsDetailDynamicTask(const std::shared_ptr<NewsDetail>& detail);
  virtual std::shared_ptr<Task> createPostCommentTask(const Text& url, const Text& entryId, const Text& title,
                                                      const Text& content,
                                                      const std::shared_ptr<VeskCustomization>& customization);
  virtual std::shared_ptr<Task> createDeleteCommentTask(const Text& commentId, const std::shared_ptr<Link>& link,
                                                        const std::shared_ptr<VeskCustomization>& customization);
  virtual std::shared_ptr<Task> createGetShortUrlTask(const Text& url);
  virtual std::shared_ptr<Task> createGetShortUrlTaskWithArticleId(const Text& articleId);
  virtual void asyncRunTask(const std::shared_ptr<Task>& task);
  // The cached file of an image address, when there is one (never downloads).
  virtual Text getImageLocalPath(const Text& url);
  virtual bool isAnonymous();
  // The open-platform clients with a bound account, in platform order.
  virtual std::vector<std::shared_ptr<OpenPlatformBase>> authorizedClients();
};

}  // namespace zu
