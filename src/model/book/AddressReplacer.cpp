#include "model/book/AddressReplacer.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace zu {

namespace {

unsigned char asciiLower(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

// An Aho–Corasick automaton over the reversed addresses. Run over the text from its end, the
// state after reading text[i] names the longest address that starts at i.
//
// The trie is built from the reversed addresses in sorted order, so each state's children are
// made in byte order and lie side by side in one array (found by binary search): no table or
// map per state, which for thousands of long addresses would cost more than the search itself.
class ReversedAutomaton {
 public:
  explicit ReversedAutomaton(const std::vector<std::string>& addresses) {
    std::vector<std::string> reversed;
    reversed.reserve(addresses.size());
    for (const std::string& address : addresses) reversed.emplace_back(address.rbegin(), address.rend());
    std::vector<int32_t> order(addresses.size());
    for (size_t k = 0; k < order.size(); ++k) order[k] = static_cast<int32_t>(k);
    std::sort(order.begin(), order.end(),
              [&](int32_t a, int32_t b) { return reversed[a] < reversed[b]; });

    // Each string shares with the one before it the path of their common prefix.
    own_.push_back(-1);
    std::vector<int32_t> parent{-1};
    std::vector<unsigned char> byte{0};
    std::vector<int32_t> path{0};  // path[d]: the state at depth d of the previous string
    const std::string* previous = nullptr;
    for (int32_t k : order) {
      const std::string& s = reversed[k];
      size_t common = 0;
      if (previous) {
        while (common < s.size() && common < previous->size() && s[common] == (*previous)[common]) {
          ++common;
        }
      }
      path.resize(common + 1);
      for (size_t d = common; d < s.size(); ++d) {
        const auto state = static_cast<int32_t>(own_.size());
        own_.push_back(-1);
        parent.push_back(path.back());
        byte.push_back(static_cast<unsigned char>(s[d]));
        path.push_back(state);
      }
      if (own_[path.back()] < 0) own_[path.back()] = k;
      previous = &s;
    }

    // Children side by side: states were made parent before child and, for each parent, in
    // byte order, so a stable count by parent keeps each run sorted.
    const size_t states = own_.size();
    firstEdge_.assign(states + 1, 0);
    for (size_t state = 1; state < states; ++state) ++firstEdge_[parent[state] + 1];
    for (size_t state = 0; state < states; ++state) firstEdge_[state + 1] += firstEdge_[state];
    edgeByte_.resize(states - 1);
    edgeTarget_.resize(states - 1);
    std::vector<int32_t> fill(firstEdge_.begin(), firstEdge_.end() - 1);
    for (size_t state = 1; state < states; ++state) {
      const int32_t at = fill[parent[state]]++;
      edgeByte_[at] = byte[state];
      edgeTarget_[at] = static_cast<int32_t>(state);
    }
    linkFailures();
  }

  // The next state after reading the (lower-cased) byte c.
  int32_t step(int32_t state, unsigned char c) const {
    for (;;) {
      const int32_t next = child(state, c);
      if (next >= 0) return next;
      if (state == 0) return 0;
      state = fail_[state];
    }
  }
  // The longest address that is a suffix of the state's string (-1: none).
  int32_t longest(int32_t state) const { return longest_[state]; }

 private:
  int32_t child(int32_t state, unsigned char c) const {
    const auto begin = edgeByte_.begin() + firstEdge_[state];
    const auto end = edgeByte_.begin() + firstEdge_[state + 1];
    const auto found = std::lower_bound(begin, end, c);
    return found != end && *found == c ? edgeTarget_[found - edgeByte_.begin()] : -1;
  }

  // Breadth first, so every failure state is finished before the states that point at it.
  void linkFailures() {
    const size_t states = own_.size();
    fail_.assign(states, 0);
    longest_.assign(states, -1);
    longest_[0] = own_[0];
    std::vector<int32_t> queue{0};
    queue.reserve(states);
    for (size_t head = 0; head < queue.size(); ++head) {
      const int32_t state = queue[head];
      for (int32_t e = firstEdge_[state]; e < firstEdge_[state + 1]; ++e) {
        const int32_t next = edgeTarget_[e];
        int32_t f = 0;
        if (state != 0) {
          f = fail_[state];
          int32_t target = child(f, edgeByte_[e]);
          while (target < 0 && f != 0) {
            f = fail_[f];
            target = child(f, edgeByte_[e]);
          }
          f = target >= 0 ? target : 0;
        }
        fail_[next] = f;
        longest_[next] = own_[next] >= 0 ? own_[next] : longest_[f];
        queue.push_back(next);
      }
    }
  }

  std::vector<int32_t> own_;      // the address that ends exactly at the state, or -1
  std::vector<int32_t> fail_;     // the longest proper suffix that is a state
  std::vector<int32_t> longest_;  // own, else the failure state's
  std::vector<int32_t> firstEdge_;
  std::vector<unsigned char> edgeByte_;
  std::vector<int32_t> edgeTarget_;
};

}  // namespace

bool AddressReplacer::add(std::string_view address, std::string replacement) {
  if (address.empty()) return false;
  std::string lowered(address.size(), '\0');
  for (size_t i = 0; i < address.size(); ++i) lowered[i] = static_cast<char>(asciiLower(address[i]));
  if (!known_.insert(lowered).second) return false;
  addresses_.push_back(std::move(lowered));
  replacements_.push_back(std::move(replacement));
  return true;
}

std::string AddressReplacer::apply(std::string_view text, int* replaced) const {
  if (replaced) *replaced = 0;
  if (addresses_.empty() || text.empty()) return std::string(text);
  const ReversedAutomaton automaton(addresses_);
  // For every place, the longest address starting there.
  std::vector<int32_t> startsHere(text.size(), -1);
  int32_t state = 0;
  for (size_t i = text.size(); i-- > 0;) {
    state = automaton.step(state, asciiLower(text[i]));
    startsHere[i] = automaton.longest(state);
  }
  std::string out;
  out.reserve(text.size());
  size_t plainFrom = 0;
  for (size_t i = 0; i < text.size();) {
    const int32_t k = startsHere[i];
    if (k < 0) {
      ++i;
      continue;
    }
    out.append(text.substr(plainFrom, i - plainFrom));
    out.append(replacements_[static_cast<size_t>(k)]);
    i += addresses_[static_cast<size_t>(k)].size();
    plainFrom = i;
    if (replaced) ++*replaced;
  }
  out.append(text.substr(plainFrom));
  return out;
}

}  // namespace zu
