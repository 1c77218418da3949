#include "store/BookMemoPersistenter.h"

#include <string>
#include <utility>

#include "common/CommInfo.h"
#include "common/Log.h"
#include "model/book/BookMemo.h"

namespace zu {
namespace {

constexpr const char* kCreate =
    "create table if not exists bookmemo (id text primary key, index_id text, book_id text, "
    "chapter_id text, section_id text ,landscape_page interger, portrait_page "
    "interger,font_size ingerger, description text, username text, time_string text, color "
    "ingerger);";

const std::vector<std::string>& definitions() {
  static const std::vector<std::string> defs = {
      "id text primary key",    "index_id text",      "book_id text",
      "chapter_id text",        "section_id text",    "landscape_page interger",
      "portrait_page interger", "font_size ingerger", "description text",
      "username text",          "time_string text",   "color interger"};
  return defs;
}

constexpr const char* kInsert =
    "insert or replace into bookmemo (id, book_id, index_id, chapter_id, section_id, "
    "landscape_page, portrait_page, font_size, description, username, time_string, color) "
    "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?);";
constexpr const char* kDelete = "delete from bookmemo where book_id=? and username=?;";
constexpr const char* kDeleteIndex =
    "delete from bookmemo where book_id=? and index_id=? and username=?;";
constexpr const char* kRead =
    "select landscape_page, portrait_page, font_size, chapter_id, section_id, description, "
    "index_id, time_string, color from bookmemo where book_id=? and username=?;";
constexpr const char* kCountIndex =
    "select count(*) from bookmemo where book_id=? and index_id=? and username=?;";
constexpr const char* kGuestRows =
    "select book_id, landscape_page, portrait_page, font_size, chapter_id, section_id, "
    "description, index_id, time_string, color from bookmemo where username='wayfarers';";
constexpr const char* kOtherUsers = "select count(*) from bookmemo where book_id=? and username!=?";

struct Row {
  std::string bookId;
  BookStore::Text indexId, chapterId, sectionId, description, timeString;
  int32_t landscapePage, portraitPage, fontSize, color;
};

BookStore::Binder bindRow(const Row& r, const std::string& user) {
  return [&r, &user](Statement& s) {
    s.bind(1, BookStore::rowId({r.bookId, r.indexId.value_or("(null)"), user}));
    s.bind(2, r.bookId);
    s.bind(3, r.indexId);
    s.bind(4, r.chapterId);
    s.bind(5, r.sectionId);
    s.bind(6, r.landscapePage);
    s.bind(7, r.portraitPage);
    s.bind(8, r.fontSize);
    s.bind(9, r.description.value_or(std::string()));
    s.bind(10, user);
    s.bind(11, r.timeString);
    s.bind(12, r.color);
  };
}

}  // namespace

BookMemoPersistenter::BookMemoPersistenter(std::shared_ptr<Database> database,
                                           std::shared_ptr<std::mutex> databaseCondition)
    : BookStore(std::move(database), std::move(databaseCondition), "BookMemoPersistenter") {
  VESKLogImpl("BookMemoPersistenter: createTable");
  createTable(kCreate, "BookMemoPersistenter: Error creating table", "bookmemo", definitions());
}

bool BookMemoPersistenter::insert(const Text& bookId, const Text& indexId, const Text& chapterId,
                                  const Text& sectionId, int32_t landscapePage,
                                  int32_t portraitPage, int32_t fontSize, const Text& description,
                                  const Text& timeString, int32_t color) {
  Text user = CommInfo::getUsername();
  if (!chapterId || !bookId || !user) return false;
  VESKLogImpl("BookMemoPersistenter: insert id: %s", bookId->c_str());
  Row row{*bookId,    indexId,       chapterId,    sectionId, description,
          timeString, landscapePage, portraitPage, fontSize,  color};
  return write(kInsert, bindRow(row, *user), "insert");
}

bool BookMemoPersistenter::deleteBook(const Text& bookId) {
  VESKLogImpl("BookPositionPersistenter: delete id: %s", cstr(bookId));
  return deleteOwnRows(kDelete, {bookId});
}

bool BookMemoPersistenter::deleteWithindexId(const Text& bookId, const Text& indexId) {
  VESKLogImpl("BookMemoPersistenter: deleteWithindexId id: %s", cstr(bookId));
  return deleteOwnRows(kDeleteIndex, {bookId, indexId});
}

std::vector<std::shared_ptr<BookMemo>> BookMemoPersistenter::read(const Text& bookId) {
  std::vector<std::shared_ptr<BookMemo>> memos;
  queryOwnRows(kRead, {bookId}, [&](const Statement& s) {
    auto memo = std::make_shared<BookMemo>();
    readPosition(s, *memo);
    memo->setMemoString(s.columnText(5));
    memo->setIndexId(s.columnText(6));
    memo->setTimeString(s.columnText(7));
    memo->setColor(s.columnInt(8));
    memos.push_back(std::move(memo));
  });
  return memos;
}

bool BookMemoPersistenter::isBookMemoedWithindexId(const Text& bookId, const Text& indexId) {
  Text user = CommInfo::getUsername();
  return countAboveZero(kCountIndex, [&](Statement& s) {
    s.bind(1, bookId);
    s.bind(2, indexId);
    s.bind(3, user);
  });
}

void BookMemoPersistenter::copyFromAnonymous(const Text& username) {
  if (!username) return;
  std::vector<Row> rows;
  copyGuestRows(
      kGuestRows,
      [&](const Statement& s) {
        rows.push_back(Row{s.columnString(0), s.columnText(7), s.columnText(4), s.columnText(5),
                           s.columnText(6), s.columnText(8), s.columnInt(1), s.columnInt(2),
                           s.columnInt(3), s.columnInt(9)});
      },
      [&] {
        for (const Row& r : rows) writeLocked(kInsert, bindRow(r, *username), "insert");
      });
}

bool BookMemoPersistenter::isBookMemoedByOtherUsers(const Text& bookId) {
  VESKLogImpl("BookMemoPersistenter: isBookMemoedByOtherUsers");
  Text user = CommInfo::getUsername();
  return countAboveZero(kOtherUsers, [&](Statement& s) {
    s.bind(1, bookId);
    s.bind(2, user);
  });
}

}  // namespace zu
