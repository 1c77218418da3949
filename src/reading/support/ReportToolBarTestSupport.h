// Helpers for the article toolbar's tests (included by *Test.cpp only): an owner screen that
// records what the toolbar asks of it, and an engine whose tasks never run — the test reports
// their results as the application observer would post them.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/core/Task.h"
#include "model/columns/Column.h"
#include "model/entry/NewsDetail.h"
#include "model/entry/Link.h"
#include "model/entry/NewsSummary.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/controllers/ViewController.h"
#include "reading/toolbar/ReportToolBarEngine.h"
#include "reading/toolbar/ReportToolBarOwner.h"

namespace zu::testing {

class FakeToolBarOwner : public ui::ViewController, public ReportToolBarOwner {
 public:
  FakeToolBarOwner() : ViewController(std::nullopt) {}

  std::shared_ptr<ui::ViewController> presenter() override {
    return std::static_pointer_cast<ui::ViewController>(shared());
  }
  void clickPop() override { ++pops; }
  std::shared_ptr<NewsSummary> currentNewsSummary() override { return summary; }
  std::shared_ptr<NewsDetail> currentDetailData() override { return detail; }
  int currentIndex() override { return index; }
  std::shared_ptr<Column> dataColumn() override { return column; }
  // As the browser does: the observation of the task's id ends at its finish.
  void onAddFavoriteTaskResult(const Notification& note) override { heard("add", note); }
  void onDelFavoriteTaskResult(const Notification& note) override { heard("del", note); }
  bool answersCommentsUpdate() const override { return wantsCommentsUpdate; }
  void commentsUpdate(const Notification& note) override {
    commentsUpdates.push_back(note);
    // As the browser does: it listens again only when the toolbar posts the next comment.
    if (stopsListeningOnceHeard) NotificationCenter::defaultCenter().remove(this, "CommentsUpdate");
  }

  std::shared_ptr<NewsSummary> summary;
  std::shared_ptr<NewsDetail> detail;
  std::shared_ptr<Column> column;
  int index = 0;
  int pops = 0;
  bool wantsCommentsUpdate = true;
  bool stopsListeningOnceHeard = false;
  // "add <entry id> <result type>" / "del ..." in order.
  std::vector<std::string> favoriteResults;
  std::vector<Notification> commentsUpdates;

 private:
  void heard(const std::string& kind, const Notification& note) {
    auto task = note.userInfo.get("Task").asObject<Task>();
    const std::string type = note.userInfo.get("ResultType").stringValue().value_or("");
    favoriteResults.push_back(kind + " " + (task ? task->userIdentity().value_or("-") : "-") + " " + type);
    if (type == "TaskStatus" && task) NotificationCenter::defaultCenter().remove(this, task->getTaskIdStr());
  }
};

// A task the scripted engine made: its kind and what it was asked.
class ToolBarTask : public Task {
 public:
  explicit ToolBarTask(std::string kind) : kind(std::move(kind)) {}
  std::string className() const override { return "ToolBarTask"; }
  std::string kind;  // "bump", "addFav", "delFav", "sharing", "shortUrl", "shortUrlById", "comment"
  std::vector<std::optional<std::string>> args;
  int number = 0;
  bool ran = false;
};

class ScriptedToolBarEngine : public ReportToolBarEngine {
 public:
  std::shared_ptr<Task> createBumpTask(const std::shared_ptr<Link>& link, const Text& entryId, int bump) override {
    return make("bump", {link ? link->href() : std::nullopt, entryId}, bump);
  }
  std::shared_ptr<Task> createAddFavoriteNewsSummaryTask(const std::shared_ptr<Entry>& entry) override {
    return make("addFav", {entry ? entry->entryId() : std::nullopt});
  }
  std::shared_ptr<Task> createDelFavoriteNewsSummaryTask(const std::shared_ptr<Entry>& entry) override {
    return make("delFav", {entry ? entry->entryId() : std::nullopt});
  }
  std::shared_ptr<Task> createSharingTask(const Text& linkText, const Text& url, int type) override {
    return make("sharing", {linkText, url}, type);
  }
  std::shared_ptr<Task> createGetShortUrlTask(const Text& url) override { return make("shortUrl", {url}); }
  std::shared_ptr<Task> createGetShortUrlTaskWithArticleId(const Text& id) override {
    return make("shortUrlById", {id});
  }
  std::shared_ptr<Task> createPostCommentTask(const Text& url, const Text& entryId, const Text& title,
                                              const Text& content,
                                              const std::shared_ptr<VeskCustomization>&) override {
    return make("comment", {url, entryId, title, content});
  }
  void asyncRunTask(const std::shared_ptr<Task>& task) override {
    if (auto scripted = std::dynamic_pointer_cast<ToolBarTask>(task)) scripted->ran = true;
  }
  bool isAnonymous() override { return anonymous; }
  int64_t getFavoriteNewsCount() override { return favoriteCount; }

  std::vector<std::shared_ptr<ToolBarTask>> of(const std::string& kind) const {
    std::vector<std::shared_ptr<ToolBarTask>> found;
    for (const auto& task : tasks) {
      if (task->kind == kind) found.push_back(task);
    }
    return found;
  }

  std::vector<std::shared_ptr<ToolBarTask>> tasks;
  bool anonymous = true;
  int64_t favoriteCount = 0;

 private:
  std::shared_ptr<ToolBarTask> make(const std::string& kind, std::vector<Text> args, int number = 0) {
    auto task = std::make_shared<ToolBarTask>(kind);
    task->args = std::move(args);
    task->number = number;
    tasks.push_back(task);
    return task;
  }
};

}  // namespace zu::testing
