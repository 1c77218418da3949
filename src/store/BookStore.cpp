#include "store/BookStore.h"

#include <utility>

#include "common/Log.h"
#include "common/Md5.h"

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
    VESKLogImpl("%s: %s: %s", className_, createErrorText,
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
