// Helpers for the column detail's tests (included by *Test.cpp only): an engine whose tasks
// never run — the test reports their results as the application observer would post them —
// and a fixture that opens a detail screen in a navigation controller in a window, with the
// files of the screen registered and a task engine running so that tasks get ids of their own.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/DateUtil.h"
#include "common/Log.h"
#include "engine/core/Task.h"
#include "engine/core/TaskEngine.h"
#include "model/entry/Author.h"
#include "platform/runtime/NotificationCenter.h"
#include "model/columns/Column.h"
#include "model/entry/Comment.h"
#include "model/entry/Content.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/service/VeskRanking.h"
#include "model/service/VeskSubscribe.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/views/Window.h"
#include "shell/detail/ColumnDetailEngine.h"
#include "shell/detail/ColumnDetailViewController.h"
#include "shell/app/Observer.h"
#include "shell/app/ShellTestSupport.h"

namespace zu::testing {

// A task the scripted engine made: what it was asked, and whether it was run.
class ScriptedTask : public Task {
 public:
  explicit ScriptedTask(std::string kind) : kind(std::move(kind)) {}
  std::string className() const override { return "ScriptedTask"; }

  std::string kind;  // "comments", "related", "subscribe", "post"
  std::shared_ptr<Link> link;
  std::shared_ptr<Column> column;
  float rating = 0;
  std::optional<std::string> comment;
  bool ran = false;
};

class ScriptedEngine : public ColumnDetailEngine {
 public:
  std::shared_ptr<Task> createGetCommentsTask(const std::shared_ptr<Link>& link,
                                              const std::shared_ptr<VeskCustomization>&) override {
    auto task = make("comments");
    task->link = link;
    return task;
  }
  std::shared_ptr<Task> createGetServerColumnsTask(const std::shared_ptr<Link>& link) override {
    auto task = make("related");
    task->link = link;
    return task;
  }
  std::shared_ptr<Task> createAddSubscribedColumnTask(const std::shared_ptr<Column>& column) override {
    auto task = make("subscribe");
    task->column = column;
    return task;
  }
  std::shared_ptr<Task> createCommentColumnTask(const std::shared_ptr<Column>& column, float rating,
                                                const Text& comment) override {
    auto task = make("post");
    task->column = column;
    task->rating = rating;
    task->comment = comment;
    return task;
  }
  void asyncRunTask(const std::shared_ptr<Task>& task) override {
    if (auto scripted = std::dynamic_pointer_cast<ScriptedTask>(task)) scripted->ran = true;
  }
  Text getImageLocalPath(const Text& url) override {
    auto it = url ? localFiles.find(*url) : localFiles.end();
    return it == localFiles.end() ? std::nullopt : Text(it->second);
  }
  void setColumnOfflineDownload(const Text& columnId, bool on) override {
    offlineSwitches.emplace_back(columnId.value_or(""), on);
  }

  // The tasks of one kind, oldest first.
  std::vector<std::shared_ptr<ScriptedTask>> of(const std::string& kind) const {
    std::vector<std::shared_ptr<ScriptedTask>> found;
    for (const auto& task : tasks) {
      if (task->kind == kind) found.push_back(task);
    }
    return found;
  }
  std::shared_ptr<ScriptedTask> last(const std::string& kind) const {
    auto found = of(kind);
    return found.empty() ? nullptr : found.back();
  }

  std::vector<std::shared_ptr<ScriptedTask>> tasks;
  std::map<std::string, std::string> localFiles;
  std::vector<std::pair<std::string, bool>> offlineSwitches;

 private:
  std::shared_ptr<ScriptedTask> make(const std::string& kind) {
    auto task = std::make_shared<ScriptedTask>(kind);
    tasks.push_back(task);
    return task;
  }
};

// Results posted on the main thread as the application observer posts them.
inline void postFeed(const std::shared_ptr<Task>& task, const std::shared_ptr<Feed>& feed) {
  Observer::postResultOnMainThread(Dictionary{{"Task", Value(task)}, {"ResultType", "Feed"}, {"Result", Value(feed)}});
}
inline void postEntry(const std::shared_ptr<Task>& task, const std::shared_ptr<Entry>& entry) {
  Observer::postResultOnMainThread(
      Dictionary{{"Task", Value(task)}, {"ResultType", "Entry"}, {"Result", Value(entry)}});
}
inline void postFinish(const std::shared_ptr<Task>& task, int code, const std::string& desc = "null") {
  Observer::postResultOnMainThread(Dictionary{{"Task", Value(task)},
                                              {"ResultType", "TaskStatus"},
                                              {"StateResult", "TaskFinish"},
                                              {"Result", code},
                                              {"ErrDesc", desc}});
}

inline std::shared_ptr<Link> linkTo(const std::string& href) {
  auto link = std::make_shared<Link>();
  link->setHref(href);
  return link;
}

// Reviews "r<first>" … of reader names, texts and ratings of their own.
inline std::shared_ptr<Feed> reviewPage(int count, bool withNext, int first = 1) {
  auto feed = std::make_shared<Feed>();
  for (int i = first; i < first + count; ++i) {
    auto review = std::make_shared<Comment>();
    review->setEntryId("r" + std::to_string(i));
    review->setUpdated(DateUtil::currentTimeMillis() - int64_t{i} * 37 * 60 * 1000);
    auto author = std::make_shared<Author>();
    author->setName("reader" + std::to_string(i));
    review->setAuthor(author);
    auto content = std::make_shared<Content>();
    content->setData("review number " + std::to_string(i));
    review->setContent(content);
    auto ranking = std::make_shared<VeskRanking>();
    ranking->setValue(static_cast<float>(i % 5) + 0.5f);
    review->setVeskRanking(ranking);
    feed->appendEntrys(review);
  }
  if (withNext) feed->setNextLink(linkTo("http://reviews/next" + std::to_string(first + count)));
  return feed;
}

inline std::shared_ptr<Column> detailColumn(const std::string& id, const std::string& title, bool subscribed) {
  auto column = std::make_shared<Column>();
  column->setEntryId(id);
  column->setTitle(title);
  column->setSummary("  A column about the harbour town.\t");
  column->setCommentsLink(linkTo("http://reviews/" + id));
  column->setRelatedLink(linkTo("http://related/" + id));
  auto subscribe = std::make_shared<VeskSubscribe>();
  subscribe->setTimes(1204);
  subscribe->setUpdateFrequency("每天更新");
  subscribe->setSubscribed(subscribed ? 1 : 0);
  column->setVeskSubscribe(subscribe);
  auto ranking = std::make_shared<VeskRanking>();
  ranking->setValue(3.8f);
  column->setVeskRanking(ranking);
  return column;
}

class DetailFixture : public ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    VESKLogInit();
    TaskEngine::initGlobalInstance();
    ColumnDetailViewController::registerNibs();
    window_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
  }
  void TearDown() override {
    NotificationCenter::defaultCenter().remove(this);
    navigation_.reset();
    window_.reset();
    TaskEngine::uninitGlobalInstance();
    VESKLogUninit();
    ShellFixture::TearDown();
  }

  // A detail screen of the column as the root of a navigation controller in the window.
  std::shared_ptr<ColumnDetailViewController> open(const std::shared_ptr<Column>& column, int from = 0) {
    auto detail = std::make_shared<ColumnDetailViewController>();
    detail->setEngine(engine_);
    detail->setDetailFrom(from);
    detail->setColumn(column);
    navigation_ = std::make_shared<ui::NavigationController>(detail);
    ui::ViewController::installAsRoot(*window_, navigation_);
    window_->layoutIfNeeded();
    return detail;
  }

  std::shared_ptr<ScriptedEngine> engine_ = std::make_shared<ScriptedEngine>();
  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<ui::NavigationController> navigation_;
};

}  // namespace zu::testing
