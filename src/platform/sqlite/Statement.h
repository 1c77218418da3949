// Statement: one prepared SQLite statement (RAII; finalized on destruction). Values are always
// bound, never formatted into SQL text. Prepared once by Database::prepare() and reused: bind,
// step, read columns, then reset(). Not thread-safe: one caller at a time.
// The Statement may outlive its Database object: the connection is closed with
// sqlite3_close_v2, which waits for the last statement to be finalized.
#pragma once

#include <sqlite3.h>

#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zu {

class Statement {
 public:
  Statement() = default;
  explicit Statement(sqlite3_stmt* stmt) : stmt_(stmt) {}
  ~Statement();
  Statement(Statement&& other) noexcept;
  Statement& operator=(Statement&& other) noexcept;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  bool valid() const { return stmt_ != nullptr; }
  explicit operator bool() const { return valid(); }

  // Binding; indexes start at 1. Each returns SQLITE_OK or the failure code.
  template <std::integral T>
  int bind(int index, T value) {
    return bindInt64(index, static_cast<int64_t>(value));
  }
  int bindInt64(int index, int64_t value);
  int bind(int index, double value);
  // Text is copied. An empty text is stored as '' (not NULL).
  int bind(int index, std::string_view text);
  int bind(int index, const std::string& text) { return bind(index, std::string_view(text)); }
  // A null pointer binds NULL.
  int bind(int index, const char* text);
  // Bytes are copied. An empty blob is stored as a zero-length blob (not NULL).
  int bindBlob(int index, const void* data, size_t size);
  int bind(int index, const std::vector<uint8_t>& blob) {
    return bindBlob(index, blob.data(), blob.size());
  }
  int bindNull(int index);
  int bind(int index, std::nullptr_t) { return bindNull(index); }
  // nullopt binds NULL.
  template <typename T>
  int bind(int index, const std::optional<T>& value) {
    return value ? bind(index, *value) : bindNull(index);
  }
  // Index of a named parameter (":name"), 0 when there is none.
  int parameterIndex(const char* name) const;

  // One step: SQLITE_ROW, SQLITE_DONE or a failure code. Stepping an invalid statement gives
  // SQLITE_MISUSE.
  int step();
  // For statements that write: steps once and resets; true only when the step gave
  // SQLITE_DONE. The step's code stays in lastCode().
  bool execute();
  // For queries: true while a row is available. false at the end or on failure; tell them
  // apart with failed().
  bool next();
  // The code of the last step.
  int lastCode() const { return lastCode_; }
  // Whether the last step ended in a failure (neither a row nor the end).
  bool failed() const { return lastCode_ != SQLITE_OK && lastCode_ != SQLITE_ROW &&
                               lastCode_ != SQLITE_DONE; }
  // Text of the connection's last failure.
  std::string errorMessage() const;

  // Makes the statement ready to run again; bindings are kept.
  void reset();
  // Sets every parameter back to NULL.
  void clearBindings();

  // Columns of the current row; indexes start at 0.
  int columnCount() const;
  std::string columnName(int index) const;
  int columnType(int index) const;  // SQLITE_INTEGER, SQLITE_FLOAT, SQLITE_TEXT, SQLITE_BLOB, SQLITE_NULL
  bool columnIsNull(int index) const { return columnType(index) == SQLITE_NULL; }
  int64_t columnInt64(int index) const;
  int columnInt(int index) const;
  double columnDouble(int index) const;
  // nullopt for NULL.
  std::optional<std::string> columnText(int index) const;
  // "" for NULL.
  std::string columnString(int index) const;
  // nullopt for NULL; a zero-length blob gives an empty vector.
  std::optional<std::vector<uint8_t>> columnBlob(int index) const;

  sqlite3_stmt* handle() const { return stmt_; }

 private:
  sqlite3_stmt* stmt_ = nullptr;
  int lastCode_ = SQLITE_OK;
};

}  // namespace zu
