// TaskSupport: what the download and info tasks share: the book id of a column, a link's
// address, a reply body as text, the facade's book manager and observer, a book catalogue
// read and stored, and the end of a download that kept the book in the facade's downloading
// list. Static functions only, called
// on the "task" thread.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace zu {

class BookMgr;
class Column;
class DataEngineObserver;
class Feed;
class HttpResponse;
class Link;

class TaskSupport {
 public:
  TaskSupport() = delete;

  // The column's entry id ("" without a column or id).
  static std::string bookIdOf(const Column* column);
  static std::optional<std::string> hrefOf(const std::shared_ptr<Link>& link);
  static std::string_view bodyText(const HttpResponse& response);
  // The facade's book manager and observer (null without a facade).
  static std::shared_ptr<BookMgr> bookMgr();
  static std::shared_ptr<DataEngineObserver> observer();
  // Reads a book's catalogue reply as a feed, asking the book manager which sections it lacks
  // or holds in an older version (against the stored catalogue). Null when it is not a feed.
  static std::shared_ptr<Feed> parseBookCatalog(const HttpResponse& response);
  // parseBookCatalog, then hands the raw reply to the book manager to store. Null, with
  // nothing stored, when the reply is not a feed.
  static std::shared_ptr<Feed> storeBookCatalog(const HttpResponse& response,
                                                const std::string& bookId);
  // Takes the book off the facade's downloading list; after a success (code 0) records the
  // column's book update time as the book's last updated time.
  static void bookDownloadEnded(const std::string& bookId, int errCode, const Column* column);
};

}  // namespace zu
