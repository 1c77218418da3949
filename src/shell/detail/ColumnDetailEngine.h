// ColumnDetailEngine: the requests of the column detail screen and the review form — reviews,
// related columns, subscribing, posting a review, a cover's local file and the offline switch.
// The default goes to the data engine (gDataEngine()); without an engine a factory gives null
// and the screens run nothing. A test gives its own, scripting what the tasks report.
//
// Tasks report through the application Observer: their results arrive as notifications named
// by the task's id on the main thread. Main thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace zu {

class Column;
class Link;
class Task;
class VeskCustomization;

class ColumnDetailEngine {
 public:
  using Text = std::optional<std::string>;

  virtual ~ColumnDetailEngine() = default;

  // The engine every screen uses unless it was given another.
  static std::shared_ptr<ColumnDetailEngine> defaultEngine();

  virtual std::shared_ptr<Task> createGetCommentsTask(
      const std::shared_ptr<Link>& link, const std::shared_ptr<VeskCustomization>& customization);
  virtual std::shared_ptr<Task> createGetServerColumnsTask(const std::shared_ptr<Link>& link);
  virtual std::shared_ptr<Task> createAddSubscribedColumnTask(const std::shared_ptr<Column>& column);
  virtual std::shared_ptr<Task> createCommentColumnTask(const std::shared_ptr<Column>& column,
                                                        float rating, const Text& comment);
  virtual void asyncRunTask(const std::shared_ptr<Task>& task);
  // The cached file of an image address, when there is one.
  virtual Text getImageLocalPath(const Text& url);
  virtual void setColumnOfflineDownload(const Text& columnId, bool on);
};

}  // namespace zu
