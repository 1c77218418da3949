#include "engine/tasks/support/TaskSupport.h"

#include "engine/core/DataEngine.h"
#include "engine/http/HttpResponse.h"
#include "model/columns/Column.h"
#include "model/entry/Link.h"
#include "model/entry/Feed.h"
#include "model/book/VeskBook.h"
#include "model/atom/VESKAtomDataStuffer.h"
#include "model/atom/VESKAtomParser.h"
#include "store/BookMgr.h"
#include "store/EntryPersistenter.h"

namespace zu {

std::string TaskSupport::bookIdOf(const Column* column) {
  return column && column->entryId() ? *column->entryId() : std::string();
}

std::optional<std::string> TaskSupport::hrefOf(const std::shared_ptr<Link>& link) {
  return link ? link->href() : std::nullopt;
}

std::string_view TaskSupport::bodyText(const HttpResponse& response) {
  const Bytes& body = response.responseBody();
  return std::string_view(reinterpret_cast<const char*>(body.data()), body.size());
}

std::shared_ptr<BookMgr> TaskSupport::bookMgr() {
  auto engine = gDataEngine();
  return engine ? engine->getBookMgr() : nullptr;
}

std::shared_ptr<DataEngineObserver> TaskSupport::observer() {
  auto engine = gDataEngine();
  return engine ? engine->getObserver() : nullptr;
}

std::shared_ptr<Feed> TaskSupport::parseBookCatalog(const HttpResponse& response) {
  auto books = bookMgr();
  return books ? VESKAtomParser::allocParseFeed(bodyText(response), kEntryKindEntry, books.get())
               : nullptr;
}

std::shared_ptr<Feed> TaskSupport::storeBookCatalog(const HttpResponse& response,
                                                   const std::string& bookId) {
  auto feed = parseBookCatalog(response);
  if (feed) bookMgr()->setBookCatalog(bodyText(response), bookId);
  return feed;
}

void TaskSupport::bookDownloadEnded(const std::string& bookId, int errCode,
                                        const Column* column) {
  auto engine = gDataEngine();
  if (!engine) return;
  engine->removeDownloadingBookId(bookId);
  if (errCode != 0 || !column) return;
  const int64_t updated = column->veskBook() ? column->veskBook()->updated() : 0;
  if (auto store = engine->getSubPersist()) store->setBookLastUpdatedTime(bookId, updated);
}

}  // namespace zu
