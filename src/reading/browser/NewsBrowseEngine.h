// NewsBrowseEngine: what the paged article browser and its pages ask of the data engine — an
// article's detail task, running and cancelling tasks, marking an article read and the search
// address of the selection menu. The default goes to the data engine (gDataEngine()); without
// one a factory gives null and nothing runs. A test gives its own to script what the tasks
// report and when.
//
// Tasks report through the application Observer: their results arrive as notifications named by
// the task's id on the main thread. Main thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace zu {

class Link;
class Task;

class NewsBrowseEngine {
 public:
  using Text = std::optional<std::string>;

  virtual ~NewsBrowseEngine() = default;

  static std::shared_ptr<NewsBrowseEngine> defaultEngine();

  virtual std::shared_ptr<Task> createGetNewsDetailTask(const std::shared_ptr<Link>& link);
  virtual void asyncRunTask(const std::shared_ptr<Task>& task);
  virtual void asyncCancelTask(const std::shared_ptr<Task>& task);
  virtual void markNewsRead(const Text& entryId);
  // The service's search template filled with the escaped words; nullopt without a template.
  virtual Text getSearchEngineUrlWithKeywords(const std::string& words);
};

}  // namespace zu
