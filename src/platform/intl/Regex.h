// Regex: a compiled regular expression over ICU, as the phone's regular-expression class is used
// here: find matches in UTF-8 text and replace them with a literal text. ICU's syntax is the
// phone's own, so patterns written for it compile unchanged (std::regex refuses some of them,
// such as a class range that starts at "\w").
//
// Ranges are in UTF-16 code units of the text, as everywhere the system counts characters.
// A pattern that does not compile gives no Regex (create returns null and says why); invalid
// UTF-8 in a text is read as U+FFFD. The object is immutable after creation and may be shared
// between threads; each call makes its own matcher.
#pragma once

#include <cstdint>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>


namespace zu {

class Regex {
 public:
  enum Options : unsigned {
    kCaseInsensitive = 1 << 0,
    kDotMatchesLineSeparators = 1 << 1,
    kAnchorsMatchLines = 1 << 2,
  };

  struct Range {
    size_t location = 0;
    size_t length = 0;
    size_t end() const { return location + length; }
    bool operator==(const Range&) const = default;
  };

  struct Match {
    Range range;
    // Capture groups 1..n; a group that took no part in the match has location npos.
    std::vector<Range> groups;
  };

  // Null when the pattern does not compile; `error` (optional) then says why and where.
  static std::shared_ptr<const Regex> create(std::string_view pattern, unsigned options = 0,
                                             std::string* error = nullptr);
  ~Regex();
  Regex(const Regex&) = delete;
  Regex& operator=(const Regex&) = delete;

  // Every non-overlapping match, in order; with `maxMatches`, the first that many.
  std::vector<Match> matches(std::string_view text, size_t maxMatches = SIZE_MAX) const;
  size_t numberOfMatches(std::string_view text) const { return matches(text).size(); }
  bool matchesAnywhere(std::string_view text) const { return !matches(text).empty(); }
  // Every match replaced by `replacement` taken literally ("$" and "\" are plain characters).
  std::string replaceAll(std::string_view text, std::string_view replacement) const;

 private:
  struct Impl;
  explicit Regex(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace zu
