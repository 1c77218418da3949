// ReportContentEngine: what the article list asks of the data engine — a column's summaries (first
// page, refresh, next page), running a task, the stored refresh time of a column, marking an
// article read, whether the internet connection is reachable, the cached file of an image, the
// authors' icons in one batch, the thumbnail session of a list, the favourites column, the
// guest's favourites count. The default goes to the data
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
#include <vector>

namespace zu {

class Column;
class DownloadWithPrioritySession;
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
  // When `columnKey` (a column id or "fav") was last refreshed, by a pull here or by the home
  // grid: a date in seconds since 1970 (DataEngine::getColumnRefreshTime).
  virtual std::optional<double> getColumnRefreshTime(const Text& columnKey);
  virtual void setColumnRefreshTime(const Text& columnKey, double secondsSince1970);
  virtual void markNewsRead(const Text& entryId);
  virtual bool isInternetReachable();
  // The cached file of an image address, or none before it was downloaded.
  virtual Text getImageLocalPath(const Text& url);
  // Downloads `urls` into the image cache (started and let go: nobody observes it).
  virtual void downloadImageBatch(const std::vector<std::string>& urls);
  // A prioritised session over the list's thumbnail addresses (none stands for an item without
  // one); null for an empty list.
  virtual std::shared_ptr<DownloadWithPrioritySession> createThumbSession(
      const std::vector<Text>& urls);
  virtual std::shared_ptr<Column> createFavoriteColumn();
  virtual bool isAnonymous();
  virtual int64_t getFavoriteNewsCount();
};

}  // namespace zu
