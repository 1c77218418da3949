// AddressReplacer: rewrites a page's text in one pass, replacing every occurrence of any of a set
// of addresses (ASCII case ignored) by its replacement. HtmlParser collects the addresses of the
// resources it stored and applies them when the page is written.
//
// Where addresses overlap in the text, the scan goes from the start and at each place replaces
// the longest address that occurs there, then goes on after it; replaced text is never matched
// again. An address equal (ASCII case ignored) to one added before keeps the first replacement.
// apply() takes time linear in the text and the addresses together, however many addresses
// there are and however they share prefixes or suffixes (an Aho–Corasick automaton over the
// reversed addresses finds, for every place, the longest address starting there).
//
// A value: not locked; one thread at a time.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace zu {

class AddressReplacer {
 public:
  // False (nothing added) for an empty address or one added before.
  bool add(std::string_view address, std::string replacement);
  size_t size() const { return addresses_.size(); }

  // The text with the addresses replaced; `replaced` (when given) receives how many places were.
  std::string apply(std::string_view text, int* replaced = nullptr) const;

 private:
  std::vector<std::string> addresses_;  // lower-cased, in the order added
  std::vector<std::string> replacements_;
  std::unordered_set<std::string> known_;
};

}  // namespace zu
