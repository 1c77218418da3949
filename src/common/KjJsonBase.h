// KjJsonBase: what the JSON parser, writer and facade share: the chained error trace of the
// last operation and the nesting limit. Each instance is used by one thread at a time.
//
// Errors are kept in order of occurrence: the last one is the outermost, and each one stands on
// top of the one before it (the inner cause). A failed operation leaves its trace until the
// next operation clears it.
#pragma once

#include <string>
#include <vector>

namespace zu {

inline constexpr char kJsonErrorDomain[] = "org.tervang.JSON.ErrorDomain";

// Error codes of the JSON library.
enum JsonErrorCode : int {
  kJsonErrorUnsupported = 1,     // value or key that cannot be written
  kJsonErrorNumber = 2,          // malformed number
  kJsonErrorSyntax = 3,          // unexpected token
  kJsonErrorFragment = 4,        // not an object or array where one is required
  kJsonErrorControlChar = 5,     // unescaped control character in a string
  kJsonErrorUnicode = 6,         // bad \u escape, surrogate or UTF-8 sequence
  kJsonErrorDepth = 7,           // nested too deep
  kJsonErrorEscape = 8,          // unknown escape sequence
  kJsonErrorTrailingComma = 9,
  kJsonErrorTrailingGarbage = 10,
  kJsonErrorEof = 11,            // input ended early
  kJsonErrorInput = 12,          // no input at all
};

struct JsonError {
  int code = 0;
  std::string description;
  bool operator==(const JsonError&) const = default;
};

class KjJsonBase {
 public:
  static constexpr unsigned kDefaultMaxDepth = 512;
  // Whatever maxDepth says (0 included, which asks for no limit), nesting never goes deeper
  // than this, so hostile input cannot exhaust the stack of the thread that parses it.
  static constexpr unsigned kHardMaxDepth = 2048;

  KjJsonBase() = default;
  virtual ~KjJsonBase() = default;

  void addErrorWithCode(int code, std::string description);
  void clearErrorTrace() { errorTrace_.clear(); }
  const std::vector<JsonError>& errorTrace() const { return errorTrace_; }
  // The outermost error of the trace, or null when it is empty.
  const JsonError* lastError() const { return errorTrace_.empty() ? nullptr : &errorTrace_.back(); }

  unsigned maxDepth() const { return maxDepth_; }
  void setMaxDepth(unsigned maxDepth) { maxDepth_ = maxDepth; }

  // The trace as text for log lines, innermost first.
  static std::string describeErrorTrace(const std::vector<JsonError>& trace);

 protected:
  // Enters one nesting level: false (with error 7 recorded) when that goes past the limit.
  bool enterLevel();
  void leaveLevel() { --depth_; }
  unsigned effectiveMaxDepth() const {
    return (maxDepth_ == 0 || maxDepth_ > kHardMaxDepth) ? kHardMaxDepth : maxDepth_;
  }

  std::vector<JsonError> errorTrace_;
  unsigned depth_ = 0;
  unsigned maxDepth_ = kDefaultMaxDepth;
};

}  // namespace zu
