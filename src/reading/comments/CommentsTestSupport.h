// Helpers for the comments screen's and the comment sheet's tests (included by *Test.cpp only):
// an engine whose tasks never run — the test reports their results as the application observer
// would post them — and whose bound platform clients are fakes that record what they were asked
// to post; articles, comments and pages of comments to show.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/DateUtil.h"
#include "engine/core/Task.h"
#include "engine/openplatform/OpenPlatform_OAuth2.h"
#include "model/entry/Author.h"
#include "model/entry/Comment.h"
#include "model/entry/Content.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/entry/NewsDetail.h"
#include "model/service/VeskAssess.h"
#include "reading/comments/CommentsEngine.h"
#include "shell/detail/ColumnDetailTestSupport.h"

namespace zu::testing {

// A task the scripted engine made: what it was asked.
class CommentsTask : public Task {
 public:
  explicit CommentsTask(std::string kind) : kind(std::move(kind)) {}
  std::string className() const override { return "CommentsTask"; }

  std::string kind;  // "comments", "detail", "post", "delete", "shortUrl", "shortUrlById"
  std::shared_ptr<Link> link;
  std::optional<std::string> url;
  std::optional<std::string> entryId;
  std::optional<std::string> title;
  std::optional<std::string> content;
  bool ran = false;
};

// A bound client that records its posts; `titled` ones came through the three-argument post.
class FakeClient : public OpenPlatform_OAuth2 {
 public:
  explicit FakeClient(int number) { setPlatform(number); }
  void PostContent(const std::optional<std::string>& text) override { posts.push_back({text.value_or(""), {}, {}}); }
  void PostContentTitle(const std::optional<std::string>& text, const std::optional<std::string>& titleDesc,
                        const std::optional<std::string>& titleUrl) override {
    posts.push_back({text.value_or(""), titleDesc, titleUrl});
  }
  struct Post {
    std::string text;
    std::optional<std::string> title;
    std::optional<std::string> url;
  };
  std::vector<Post> posts;
};

class ScriptedCommentsEngine : public CommentsEngine {
 public:
  std::shared_ptr<Task> createGetCommentsTask(const std::shared_ptr<Link>& link,
                                              const std::shared_ptr<VeskCustomization>&) override {
    auto task = make("comments");
    task->link = link;
    return task;
  }
  std::shared_ptr<Task> createGetNewsDetailDynamicTask(const std::shared_ptr<NewsDetail>& detail) override {
    auto task = make("detail");
    task->entryId = detail ? detail->entryId() : std::nullopt;
    return task;
  }
  std::shared_ptr<Task> createPostCommentTask(const Text& url, const Text& entryId, const Text& title,
                                              const Text& content, const std::shared_ptr<VeskCustomization>&) override {
    auto task = make("post");
    task->url = url;
    task->entryId = entryId;
    task->title = title;
    task->content = content;
    return task;
  }
  std::shared_ptr<Task> createDeleteCommentTask(const Text& commentId, const std::shared_ptr<Link>& link,
                                                const std::shared_ptr<VeskCustomization>&) override {
    auto task = make("delete");
    task->entryId = commentId;
    task->link = link;
    return task;
  }
  std::shared_ptr<Task> createGetShortUrlTask(const Text& url) override {
    auto task = make("shortUrl");
    task->url = url;
    return task;
  }
  std::shared_ptr<Task> createGetShortUrlTaskWithArticleId(const Text& articleId) override {
    auto task = make("shortUrlById");
    task->entryId = articleId;
    return task;
  }
  void asyncRunTask(const std::shared_ptr<Task>& task) override {
    if (auto scripted = std::dynamic_pointer_cast<CommentsTask>(task)) scripted->ran = true;
  }
  Text getImageLocalPath(const Text&) override { return std::nullopt; }
  bool isAnonymous() override { return anonymous; }
  std::vector<std::shared_ptr<OpenPlatformBase>> authorizedClients() override {
    return std::vector<std::shared_ptr<OpenPlatformBase>>(clients.begin(), clients.end());
  }

  std::vector<std::shared_ptr<CommentsTask>> of(const std::string& kind) const {
    std::vector<std::shared_ptr<CommentsTask>> found;
    for (const auto& task : tasks) {
      if (task->kind == kind) found.push_back(task);
    }
    return found;
  }
  std::shared_ptr<CommentsTask> last(const std::string& kind) const {
    auto found = of(kind);
    return found.empty() ? nullptr : found.back();
  }

  std::vector<std::shared_ptr<CommentsTask>> tasks;
  std::vector<std::shared_ptr<FakeClient>> clients;
  bool anonymous = false;

 private:
  std::shared_ptr<CommentsTask> make(const std::string& kind) {
    auto task = std::make_shared<CommentsTask>(kind);
    tasks.push_back(task);
    return task;
  }
};

// A comment "<id>" by `name`, written `minutesAgo` before now; `own` ones carry an edit link.
inline std::shared_ptr<Comment> comment(const std::string& id, const std::string& name, const std::string& text,
                                        int minutesAgo, bool own = false) {
  auto entry = std::make_shared<Comment>();
  entry->setEntryId(id);
  entry->setUpdated(DateUtil::currentTimeMillis() - int64_t{minutesAgo} * 60 * 1000);
  auto author = std::make_shared<Author>();
  author->setName(name);
  author->setEmail(name + "@example.org");
  entry->setAuthor(author);
  auto content = std::make_shared<Content>();
  content->setData(text);
  entry->setContent(content);
  if (own) entry->setEditLink(linkTo("http://comments/article-1"));
  return entry;
}

inline std::shared_ptr<Feed> commentPage(const std::vector<std::shared_ptr<Comment>>& comments,
                                         const std::optional<std::string>& next) {
  auto feed = std::make_shared<Feed>();
  for (const auto& c : comments) feed->appendEntrys(c);
  if (next) feed->setNextLink(linkTo(*next));
  return feed;
}

// An article with `count` comments, its comments link and its assess address.
inline std::shared_ptr<NewsDetail> article(int count) {
  auto detail = std::make_shared<NewsDetail>();
  detail->setEntryId("article-1");
  detail->setTitle("Ferry timetable changes");
  detail->setCommentsLink(linkTo("http://comments/article-1"));
  auto assess = std::make_shared<VeskAssess>();
  assess->setTimes(count);
  assess->setHref("http://comments/article-1");
  detail->setVeskAssess(assess);
  return detail;
}

}  // namespace zu::testing
