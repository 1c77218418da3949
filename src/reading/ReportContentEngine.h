// ReportContentEngine: what the article list asks of the data engine — a column's summaries (first
// page, refresh, next page), running a task, the stored refresh time of a column, marking an
// article read, and whether the internet connection is reachable. The default goes to the data
// engine (gDataEngine()) and the process's reachability; without an engine a factory gives null and
// the screen runs nothing. A test gives its own to script what the tasks report and when.
//
// Tasks report through the application Observer: their results arrive as notifications named by
// the task's id on the main thread. Main thread only, except createGetNewsSummarysTask, which the
// default makes on any thread.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace zu {

class Column;
class Link;
class Task;

class ReportContentEngine {
 public:
  using Text = std::optional<std::string>;

  virtual ~ReportContentEngine() = default;

  static std::shared_ptr<ReportContentEngine> defaultEngine();

  virtual std::shared_ptr<Task> createGetNewsSummarysTask(const std::shared_ptr<Link>& link,
                                                          const std::shared_ptr<Column>& column,
                                                          bool useCache);
  virtual void asyncRunTask(const std::shared_ptr<Task>& task);
  // Seconds since 1970 of the last finished pull of `columnKey` (a column id or "fav").
  virtual std::optional<int64_t> getColumnRefreshTime(const Text& columnKey);
  virtual void setColumnRefreshTime(const Text& columnKey, int64_t time);
  virtual void markNewsRead(const Text& entryId);
  virtual bool isInternetReachable();
};

}  // namespace zu
