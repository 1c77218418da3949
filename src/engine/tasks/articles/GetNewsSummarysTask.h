// GetNewsSummarysTask: a column's article list. With useCache, a first page kept in the column
// cache is reported at once (an empty feed when it does not parse) and the column is refreshed
// in the background instead of asking for the list; otherwise the list is fetched (a microblog
// column POSTs the bound account's token and secret, -8 without them), kept as the column's
// first page when useCache is set, and reported. A list fetched from the favourites address
// also gives the reader's favourites count. Every reported list carries the local read marks.
//
// Made by DataEngine::createGetNewsSummarysTask; runs on the "task" thread.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/core/HttpTask.h"

namespace zu {

class Column;
class Entry;
class Feed;

class GetNewsSummarysTask : public HttpTask {
 public:
  GetNewsSummarysTask(std::optional<std::string> url, std::shared_ptr<Column> column,
                      bool useCache);

  // Gives each entry an entry status with its read flag (1 in a favourites column, else the
  // read-status store's); in a customised column the entries' details lose comment, bump and
  // favourite support and their comments link.
  static void addLocalState(const std::vector<std::shared_ptr<Entry>>& entries,
                            const std::shared_ptr<Column>& column);
  // The thumbnail address of each entry that has one, in entry order.
  static std::vector<std::string> extractImageUrls(const Feed& feed);

  void run() override;
  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override;

 private:
  std::optional<std::string> url_;
  std::shared_ptr<Column> column_;
  bool useCache_;
};

}  // namespace zu
