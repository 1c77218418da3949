// DataDetector: finds web addresses and telephone numbers in text, as the phone's data detector
// does for the attributed label's links. Types are chosen with the phone's mask bits: links (32)
// and phone numbers (2048).
//
// Links: addresses with an explicit http, https or ftp scheme, and host names starting with
// "www."; the link stops at white space, quotes, angle brackets and full-width punctuation, and
// trailing sentence punctuation (".", ",", ")" …) is left out. A "www." address gets "http://".
// Phone numbers: 7 to 15 digits, optionally after "+", grouped by spaces, hyphens or
// parentheses, not part of a longer run of letters or digits; the URL is "tel:" with the digits
// (and the "+"). A number inside a link is part of the link.
//
// Ranges are UTF-16 code units, results in text order. Immutable after construction; any
// thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/intl/Regex.h"

namespace zu {

class DataDetector {
 public:
  static constexpr uint64_t kLink = 1u << 5;
  static constexpr uint64_t kPhoneNumber = 1u << 11;

  struct Result {
    uint64_t type = 0;
    Regex::Range range;
    std::string url;
  };

  explicit DataDetector(uint64_t types);

  uint64_t types() const { return types_; }
  // The matches in text order; with `maxResults`, only the first that many (no more links than
  // that are looked for).
  std::vector<Result> matches(std::string_view text, size_t maxResults = SIZE_MAX) const;

 private:
  uint64_t types_;
  std::shared_ptr<const Regex> link_;
  std::shared_ptr<const Regex> phone_;
};

}  // namespace zu
