#include "store/BookReadInfoPersistenter.h"

#include <string>
#include <utility>
#include <vector>

#include "common/CommInfo.h"
#include "common/Log.h"
#include "model/book/BookReadInfo.h"

namespace zu {
namespace {

constexpr const char* kCreate =
    "create table if not exists readinfo (id text primary key, book_id text, section_id text, "
    "landscape_page interger, portrait_page interger,font_size ingerger, percentage real, "
    "username text, is_preview interger);";

const std::vector<std::string>& definitions() {
  static const std::vector<std::string> defs = {
      "id text primary key",     "book_id text",           "section_id text",
      "landscape_page interger", "portrait_page interger", "font_size ingerger",
      "percentage real",         "username text",          "is_preview ingerger"};
  return defs;
}

constexpr const char* kInsert =
    "insert or replace into readinfo (id, book_id, section_id, landscape_page, portrait_page, "
    "font_size, username, is_preview) values (?, ?, ?, ?, ?, ?, ?, ?);";
constexpr const char* kDelete = "delete from readinfo where book_id=? and username=?;";
constexpr const char* kRead =
    "select section_id, landscape_page, portrait_page, font_size from readinfo where book_id=? "
    "and is_preview=? and username=?;";
constexpr const char* kGuestRows =
    "select book_id, section_id, landscape_page, portrait_page, font_size, is_preview from "
    "readinfo where username='wayfarers';";

struct Row {
  std::string bookId;
  BookStore::Text sectionId;
  int32_t landscapePage;
  int32_t portraitPage;
  int32_t fontSize;
  bool isPreview;
};

}  // namespace

BookReadInfoPersistenter::BookReadInfoPersistenter(std::shared_ptr<Database> database,
                                                   std::shared_ptr<std::mutex> databaseCondition)
    : BookStore(std::move(database), std::move(databaseCondition), "BookReadInfoPersistenter") {
  VESKLogImpl("BookReadInfoPersistenter: createTable");
  createTable(kCreate, "BookReadInfoPersistenter: Error creating table", "readinfo", definitions());
}

namespace {

BookStore::Binder bindRow(const std::string& bookId, const BookStore::Text& sectionId,
                          int32_t landscapePage, int32_t portraitPage, int32_t fontSize,
                          bool isPreview, const std::string& user) {
  return [=](Statement& s) {
    s.bind(1, BookStore::rowId({bookId, isPreview ? "1" : "0", user}));
    s.bind(2, bookId);
    s.bind(3, sectionId);
    s.bind(4, landscapePage);
    s.bind(5, portraitPage);
    s.bind(6, fontSize);
    s.bind(7, user);
    s.bind(8, isPreview ? 1 : 0);
  };
}

}  // namespace

bool BookReadInfoPersistenter::insert(const Text& bookId, const Text& sectionId,
                                      int32_t landscapePage, int32_t portraitPage, int32_t fontSize,
                                      bool isPreview) {
  VESKLogImpl("BookReadInfoPersistenter: insert id: %s", cstr(bookId));
  Text user = CommInfo::getUsername();
  if (!bookId || !user) {
    VESKLogImpl("BookReadInfoPersistenter: insert error:%s", !user ? "no current user" : "no id");
    return false;
  }
  return write(kInsert,
               bindRow(*bookId, sectionId, landscapePage, portraitPage, fontSize, isPreview, *user),
               "insert");
}

bool BookReadInfoPersistenter::deleteBook(const Text& bookId) {
  VESKLogImpl("BookReadInfoPersistenter: delete id: %s", cstr(bookId));
  return deleteOwnRows(kDelete, {bookId});
}

std::shared_ptr<BookReadInfo> BookReadInfoPersistenter::read(const Text& bookId, bool isPreview) {
  Text user = CommInfo::getUsername();
  auto info = std::make_shared<BookReadInfo>();
  query(
      kRead,
      [&](Statement& s) {
        s.bind(1, bookId);
        s.bind(2, isPreview ? 1 : 0);
        s.bind(3, user);
      },
      [&](const Statement& s) {  // the last row wins
        info->setSectionId(s.columnText(0));
        info->setLandscapePage(s.columnInt(1));
        info->setPortraitPage(s.columnInt(2));
        info->setFontSize(s.columnInt(3));
      });
  return info;
}

void BookReadInfoPersistenter::copyFromAnonymous(const Text& username) {
  if (!username) return;
  std::vector<Row> rows;
  copyGuestRows(
      kGuestRows,
      [&](const Statement& s) {
        rows.push_back(Row{s.columnString(0), s.columnText(1), s.columnInt(2), s.columnInt(3),
                           s.columnInt(4), s.columnInt(5) != 0});
      },
      [&] {
        for (const Row& r : rows) {
          writeLocked(kInsert,
                      bindRow(r.bookId, r.sectionId, r.landscapePage, r.portraitPage, r.fontSize,
                              r.isPreview, *username),
                      "insert");
        }
      });
}

}  // namespace zu
