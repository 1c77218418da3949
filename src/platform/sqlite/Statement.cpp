#include "platform/sqlite/Statement.h"

#include <utility>

namespace zu {

Statement::~Statement() {
  if (stmt_) sqlite3_finalize(stmt_);
}

Statement::Statement(Statement&& other) noexcept
    : stmt_(std::exchange(other.stmt_, nullptr)), lastCode_(other.lastCode_) {}

Statement& Statement::operator=(Statement&& other) noexcept {
  if (this != &other) {
    if (stmt_) sqlite3_finalize(stmt_);
    stmt_ = std::exchange(other.stmt_, nullptr);
    lastCode_ = other.lastCode_;
  }
  return *this;
}

int Statement::bindInt64(int index, int64_t value) {
  if (!stmt_) return SQLITE_MISUSE;
  return sqlite3_bind_int64(stmt_, index, value);
}

int Statement::bind(int index, double value) {
  if (!stmt_) return SQLITE_MISUSE;
  return sqlite3_bind_double(stmt_, index, value);
}

int Statement::bind(int index, std::string_view text) {
  if (!stmt_) return SQLITE_MISUSE;
  // sqlite3_bind_text binds NULL for a null pointer; an empty view may carry one.
  const char* data = text.data() ? text.data() : "";
  return sqlite3_bind_text64(stmt_, index, data, text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

int Statement::bind(int index, const char* text) {
  if (!text) return bindNull(index);
  return bind(index, std::string_view(text));
}

int Statement::bindBlob(int index, const void* data, size_t size) {
  if (!stmt_) return SQLITE_MISUSE;
  // sqlite3_bind_blob binds NULL for a null pointer; keep "empty" and "absent" apart.
  if (size == 0) return sqlite3_bind_zeroblob(stmt_, index, 0);
  return sqlite3_bind_blob64(stmt_, index, data, size, SQLITE_TRANSIENT);
}

int Statement::bindNull(int index) {
  if (!stmt_) return SQLITE_MISUSE;
  return sqlite3_bind_null(stmt_, index);
}

int Statement::parameterIndex(const char* name) const {
  return stmt_ ? sqlite3_bind_parameter_index(stmt_, name) : 0;
}

int Statement::step() {
  lastCode_ = stmt_ ? sqlite3_step(stmt_) : SQLITE_MISUSE;
  return lastCode_;
}

bool Statement::execute() {
  int rc = step();
  if (stmt_) sqlite3_reset(stmt_);
  lastCode_ = rc;
  return rc == SQLITE_DONE;
}

bool Statement::next() { return step() == SQLITE_ROW; }

std::string Statement::errorMessage() const {
  if (!stmt_) return "statement not prepared";
  return sqlite3_errmsg(sqlite3_db_handle(stmt_));
}

void Statement::reset() {
  if (stmt_) sqlite3_reset(stmt_);
  lastCode_ = SQLITE_OK;
}

void Statement::clearBindings() {
  if (stmt_) sqlite3_clear_bindings(stmt_);
}

int Statement::columnCount() const { return stmt_ ? sqlite3_column_count(stmt_) : 0; }

std::string Statement::columnName(int index) const {
  const char* name = stmt_ ? sqlite3_column_name(stmt_, index) : nullptr;
  return name ? name : "";
}

int Statement::columnType(int index) const {
  return stmt_ ? sqlite3_column_type(stmt_, index) : SQLITE_NULL;
}

int64_t Statement::columnInt64(int index) const {
  return stmt_ ? sqlite3_column_int64(stmt_, index) : 0;
}

int Statement::columnInt(int index) const { return stmt_ ? sqlite3_column_int(stmt_, index) : 0; }

double Statement::columnDouble(int index) const {
  return stmt_ ? sqlite3_column_double(stmt_, index) : 0.0;
}

std::optional<std::string> Statement::columnText(int index) const {
  if (columnType(index) == SQLITE_NULL) return std::nullopt;
  const unsigned char* text = sqlite3_column_text(stmt_, index);
  int size = sqlite3_column_bytes(stmt_, index);  // after column_text, as SQLite requires
  if (!text) return std::string();
  return std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(size));
}

std::string Statement::columnString(int index) const {
  return columnText(index).value_or(std::string());
}

std::optional<std::vector<uint8_t>> Statement::columnBlob(int index) const {
  if (columnType(index) == SQLITE_NULL) return std::nullopt;
  const auto* data = static_cast<const uint8_t*>(sqlite3_column_blob(stmt_, index));
  int size = sqlite3_column_bytes(stmt_, index);
  if (!data || size <= 0) return std::vector<uint8_t>();
  return std::vector<uint8_t>(data, data + size);
}

}  // namespace zu
