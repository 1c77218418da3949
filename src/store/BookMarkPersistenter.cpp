#include "store/BookMarkPersistenter.h"

#include <string>
#include <utility>

#include "common/CommInfo.h"
#include "common/Log.h"
#include "model/book/Bookmark.h"

namespace zu {
namespace {

constexpr const char* kCreate =
    "create table if not exists bookmark (id text primary key, index_id text, book_id text, "
    "chapter_id text, section_id text ,landscape_page interger, portrait_page "
    "interger,font_size ingerger, percentage real, js_string text, username text, time_string "
    "text);";

const std::vector<std::string>& definitions() {
  static const std::vector<std::string> defs = {
      "id text primary key",    "index_id text",      "book_id text",
      "chapter_id text",        "section_id text",    "landscape_page interger",
      "portrait_page interger", "font_size ingerger", "percentage real",
      "js_string text",         "username text",      "time_string text"};
  return defs;
}

constexpr const char* kInsert =
    "insert or replace into bookmark (id, book_id, index_id, chapter_id, section_id, "
    "landscape_page, portrait_page, font_size, username, time_string) values (?, ?, ?, ?, ?, ?, "
    "?, ?, ?, ?);";
constexpr const char* kDelete = "delete from bookmark where book_id=? and username=?;";
constexpr const char* kDeleteIndex =
    "delete from bookmark where book_id=? and index_id=? and username=?;";
constexpr const char* kRead =
    "select landscape_page, portrait_page, font_size, chapter_id, section_id, index_id, "
    "time_string from bookmark where book_id=? and username=?;";
constexpr const char* kGuestRows =
    "select book_id, landscape_page, portrait_page, font_size, chapter_id, section_id, "
    "index_id, time_string from bookmark where username='wayfarers';";
constexpr const char* kOtherUsers = "select count(*) from bookmark where book_id=? and username!=?";

struct Row {
  std::string bookId;
  BookStore::Text indexId, chapterId, sectionId, timeString;
  int32_t landscapePage, portraitPage, fontSize;
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
    s.bind(9, user);
    s.bind(10, r.timeString);
  };
}

}  // namespace

BookMarkPersistenter::BookMarkPersistenter(std::shared_ptr<Database> database,
                                           std::shared_ptr<std::mutex> databaseCondition)
    : BookStore(std::move(database), std::move(databaseCondition), "BookMarkPersistenter") {
  VESKLogImpl("BookMarkPersistenter: createTable");
  createTable(kCreate, "BookPositionPersistenter: Error creating table", "bookmark", definitions());
}

bool BookMarkPersistenter::insert(const Text& bookId, const Text& indexId, const Text& chapterId,
                                  const Text& sectionId, int32_t landscapePage,
                                  int32_t portraitPage, int32_t fontSize, const Text& timeString) {
  Text user = CommInfo::getUsername();
  if (!chapterId || !bookId || !user) return false;
  VESKLogImpl("BookMarkPersistenter: insert id: %s", bookId->c_str());
  Row row{*bookId,    indexId,       chapterId,    sectionId,
          timeString, landscapePage, portraitPage, fontSize};
  return write(kInsert, bindRow(row, *user), "insert");
}

bool BookMarkPersistenter::deleteBook(const Text& bookId) {
  VESKLogImpl("BookMarkPersistenter: delete id: %s", cstr(bookId));
  return deleteOwnRows(kDelete, {bookId});
}

bool BookMarkPersistenter::deleteWithindexId(const Text& bookId, const Text& indexId) {
  VESKLogImpl("BookMarkPersistenter: deleteWithindexId id: %s", cstr(bookId));
  return deleteOwnRows(kDeleteIndex, {bookId, indexId});
}

std::vector<std::shared_ptr<Bookmark>> BookMarkPersistenter::read(const Text& bookId) {
  std::vector<std::shared_ptr<Bookmark>> marks;
  queryOwnRows(kRead, {bookId}, [&](const Statement& s) {
    auto mark = std::make_shared<Bookmark>();
    readPosition(s, *mark);
    mark->setIndexId(s.columnText(5));
    mark->setTimeString(s.columnText(6));
    marks.push_back(std::move(mark));
  });
  return marks;
}

void BookMarkPersistenter::copyFromAnonymous(const Text& username) {
  if (!username) return;
  std::vector<Row> rows;
  copyGuestRows(
      kGuestRows,
      [&](const Statement& s) {
        rows.push_back(Row{s.columnString(0), s.columnText(6), s.columnText(4), s.columnText(5),
                           s.columnText(7), s.columnInt(1), s.columnInt(2), s.columnInt(3)});
      },
      [&] {
        for (const Row& r : rows) writeLocked(kInsert, bindRow(r, *username), "insert");
      });
}

bool BookMarkPersistenter::isBookMarkdByOtherUsers(const Text& bookId) {
  VESKLogImpl("BookPositionPersistenter: isBookMarkdByOtherUsers");
  Text user = CommInfo::getUsername();
  return countAboveZero(kOtherUsers, [&](Statement& s) {
    s.bind(1, bookId);
    s.bind(2, user);
  });
}

}  // namespace zu
