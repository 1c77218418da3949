// Helpers for the content centre's tests (included by *Test.cpp only): the detail tests' scripted
// engine grown by the content centre's requests (search, cover downloads, which covers are
// downloading), catalogue columns and pages, and a fixture that opens a catalogue level in a
// navigation controller inside a tab bar in a window, with the files of the screen registered.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "catalog/centre/ColumnPickerController.h"
#include "catalog/centre/ColumnPickerEngine.h"
#include "engine/openplatform/OpenPlatformBase.h"
#include "engine/openplatform/OpenPlatformFactory.h"
#include "model/entry/EntryCategory.h"
#include "model/entry/OpenSearch.h"
#include "model/service/VeskCustomization.h"
#include "shell/app/MSCustomTabBarController.h"
#include "shell/detail/ColumnDetailTestSupport.h"

namespace zu::testing {

class ScriptedPickerEngine : public ColumnPickerEngine {
 public:
  // Tasks go to the detail tests' engine, which records them.
  std::shared_ptr<Task> createGetServerColumnsTask(const std::shared_ptr<Link>& link) override {
    auto task = make("columns");
    task->link = link;
    return task;
  }
  std::shared_ptr<Task> createAddSubscribedColumnTask(const std::shared_ptr<Column>& column) override {
    auto task = make("subscribe");
    task->column = column;
    return task;
  }
  std::shared_ptr<Task> createGetServerColumnsTask(const std::shared_ptr<Link>& link,
                                                   const std::shared_ptr<VeskCustomization>& customization) override {
    auto task = createGetServerColumnsTask(link);
    customizations[task.get()] = customization;
    return task;
  }
  std::shared_ptr<Task> createSearchTask(const std::shared_ptr<Link>& link, const Text& keyWords, int,
                                         const std::shared_ptr<VeskCustomization>& customization = nullptr) override {
    auto task = make("search");
    task->link = link;
    task->comment = keyWords;
    customizations[task.get()] = customization;
    return task;
  }
  std::shared_ptr<Task> createDownloadImageTask(const Text& url) override {
    auto task = make("image");
    task->comment = url;
    return task;
  }
  bool isImageDownloading(const Text& url) override { return url && downloading.count(*url) != 0; }
  void asyncRunTask(const std::shared_ptr<Task>& task) override {
    if (auto scripted = std::dynamic_pointer_cast<ScriptedTask>(task)) scripted->ran = true;
  }
  Text getImageLocalPath(const Text& url) override {
    auto it = url ? localFiles.find(*url) : localFiles.end();
    return it == localFiles.end() ? std::nullopt : Text(it->second);
  }

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
  // The customization each task was made with.
  std::map<const Task*, std::shared_ptr<VeskCustomization>> customizations;
  std::map<std::string, std::string> localFiles;
  std::set<std::string> downloading;

 private:
  std::shared_ptr<ScriptedTask> make(const std::string& kind) {
    auto task = std::make_shared<ScriptedTask>(kind);
    tasks.push_back(task);
    return task;
  }
};

// A column of the catalogue: a leaf, or a category when `category` (an alternate link).
inline std::shared_ptr<Column> catalogueColumn(const std::string& id, const std::optional<std::string>& term,
                                               bool category = false, const std::string& label = "") {
  auto column = std::make_shared<Column>();
  column->setEntryId(id);
  column->setTitle("Column " + id);
  if (term || !label.empty()) {
    auto entryCategory = std::make_shared<EntryCategory>();
    if (term) entryCategory->setTerm(*term);
    if (!label.empty()) entryCategory->setLabel(label);
    column->setCategory(entryCategory);
  }
  if (category) column->setAlternatelink(linkTo("http://catalogue/" + id));
  column->setCoverImageThumbnailLink(linkTo("http://covers/" + id + ".png"));
  return column;
}

inline std::shared_ptr<Feed> cataloguePage(const std::vector<std::shared_ptr<Column>>& columns,
                                           const std::string& next = "", bool withSearch = true) {
  auto feed = std::make_shared<Feed>();
  for (const auto& column : columns) feed->appendEntrys(column);
  if (!next.empty()) feed->setNextLink(linkTo(next));
  if (withSearch) {
    auto search = linkTo("http://search?q={searchTerms}");
    search->setTitle("搜索订阅源");
    feed->setSearchLink(search);
  }
  return feed;
}

// Binds the platform's account, as an authorisation leaves it.
inline void bindAccount(int platform, const std::string& nickName) {
  PlatformAccountInfo info;
  info.accessToken = "token";
  info.secret = "secret";
  info.nickName = nickName;
  OpenPlatformFactory::instance().getOpenPlatformInstance(platform)->setAccountInfo(info);
}

class CatalogFixture : public DetailFixture {
 protected:
  // Every platform starts unbound, and ends so.
  void SetUp() override {
    DetailFixture::SetUp();
    ColumnPickerController::registerNibs();
    OpenPlatformFactory::instance().reset();
  }
  void TearDown() override {
    tabs_.reset();
    OpenPlatformFactory::instance().reset();
    DetailFixture::TearDown();
  }

  // The root level as tab 2 of a tab bar (tab 0 a plain screen), tab `selected` selected.
  std::shared_ptr<ColumnPickerController> openRoot(size_t selected = 2) {
    auto picker = std::make_shared<ColumnPickerController>();
    picker->setEngine(engine_);
    std::vector<std::shared_ptr<ui::ViewController>> roots;
    for (int i = 0; i < 4; ++i) {
      auto root = i == 2 ? std::static_pointer_cast<ui::ViewController>(picker) : std::make_shared<ui::ViewController>();
      roots.push_back(std::make_shared<ui::NavigationController>(root));
    }
    tabs_ = std::make_shared<MSCustomTabBarController>();
    tabs_->setViewControllers(roots);
    tabs_->setSelectedIndex(selected);
    ui::ViewController::installAsRoot(*window_, tabs_);
    picker->view();
    window_->layoutIfNeeded();
    return picker;
  }

  std::shared_ptr<ScriptedPickerEngine> engine_ = std::make_shared<ScriptedPickerEngine>();
  std::shared_ptr<MSCustomTabBarController> tabs_;
};

}  // namespace zu::testing
