#include "store/BookStore.h"

#include <utility>

#include "common/CommInfo.h"
#include "common/Log.h"
#include "common/Md5.h"
#include "model/book/BookPosition.h"

namespace zu {

BookStore::BookStore(std::shared_ptr<Database> database,
                     std::shared_ptr<std::mutex> databaseCondition, const char* className)
    : className_(className),
      database_(std::move(database)),
      databaseCondition_(std::move(databaseCondition)) {}

BookStore::~BookStore() {
  // The statements belong to the shared connection: finalise them under its lock.
  if (databaseCondition_) {
    std::lock_guard<std::mutex> lock(*databaseCondition_);
    statements_.clear();
  }
}

BookStore::Use::~Use() {
  if (s_) {
    s_->reset();
    s_->clearBindings();
  }
}

bool BookStore::createTable(const char* createSql, const char* createErrorText,
                            const char* table, const std::vector<std::string>& definitions) {
  if (!database_ || database_->exec(createSql) != SQLITE_OK) {
    VESKLogImpl("%s: %s", createErrorText,
                database_ ? database_->lastError().c_str() : "no database");
    return false;
  }
  VESKLogImpl("%s: tableColumnCheck", className_);
  database_->addMissingColumns(table, definitions, [this](const std::string& error) {
    VESKLogImpl("%s: tableCheck error:%s", className_, error.c_str());
  });
  return true;
}

BookStore::Use BookStore::use(const char* sql) {
  auto it = statements_.find(sql);
  if (it != statements_.end()) return Use(&it->second);
  Statement s = database_->prepare(sql);
  if (!s.valid()) return Use(nullptr);
  return Use(&statements_.emplace(sql, std::move(s)).first->second);
}

bool BookStore::writeLocked(const char* sql, const Binder& bind, const char* action) {
  Use s = use(sql);
  if (!s) {
    VESKLogImpl("%s: %s error:%s", className_, action, database_->lastError().c_str());
    return false;
  }
  if (bind) bind(*s);
  if (!s->execute()) {
    VESKLogImpl("%s: %s error:%s", className_, action, s->errorMessage().c_str());
    return false;
  }
  return true;
}

bool BookStore::write(const char* sql, const Binder& bind, const char* action) {
  std::lock_guard<std::mutex> lock(*databaseCondition_);
  return writeLocked(sql, bind, action);
}

bool BookStore::queryLocked(const char* sql, const Binder& bind, const RowReader& row) {
  Use s = use(sql);
  if (!s) return false;
  if (bind) bind(*s);
  while (s->next()) row(*s);
  return !s->failed();
}

bool BookStore::query(const char* sql, const Binder& bind, const RowReader& row) {
  std::lock_guard<std::mutex> lock(*databaseCondition_);
  return queryLocked(sql, bind, row);
}

namespace {

BookStore::Binder bindOwn(std::initializer_list<BookStore::Text> keys,
                          const BookStore::Text& user) {
  return [keys, &user](Statement& s) {
    int index = 1;
    for (const BookStore::Text& key : keys) s.bind(index++, key);
    s.bind(index, user);
  };
}

}  // namespace

bool BookStore::deleteOwnRows(const char* sql, std::initializer_list<Text> keys) {
  Text user = CommInfo::getUsername();
  return write(sql, bindOwn(keys, user), "delete");
}

bool BookStore::queryOwnRows(const char* sql, std::initializer_list<Text> keys,
                             const RowReader& row) {
  Text user = CommInfo::getUsername();
  return query(sql, bindOwn(keys, user), row);
}

void BookStore::readPosition(const Statement& s, BookPosition& position) {
  position.setLandscapePage(s.columnInt(0));
  position.setPortraitPage(s.columnInt(1));
  position.setFontSize(s.columnInt(2));
  position.setChapterId(s.columnText(3));
  position.setSectionId(s.columnText(4));
}

void BookStore::copyGuestRows(const char* selectSql, const RowReader& collect,
                              const std::function<void()>& writeAll) {
  std::lock_guard<std::mutex> lock(*databaseCondition_);
  size_t rows = 0;
  queryLocked(selectSql, nullptr, [&](const Statement& s) {
    collect(s);
    ++rows;
  });
  if (rows == 0) return;
  Transaction transaction(*database_);
  writeAll();
  if (transaction.commit() != SQLITE_OK) {
    VESKLogImpl("%s: insert error:%s", className_, database_->lastError().c_str());
  }
}

bool BookStore::countAboveZero(const char* sql, const Binder& bind) {
  int64_t count = 0;
  query(sql, bind, [&](const Statement& s) { count = s.columnInt64(0); });
  return count > 0;
}

BookStore::Text BookStore::rowId(const std::vector<std::string>& parts) {
  std::string joined;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i) joined += '+';
    joined += parts[i];
  }
  return Md5::encode(joined);
}

}  // namespace zu
