#include "SampleProfile.h"

#include <array>

namespace zu {

namespace {

constexpr const char* kRoot = "userinfo";

// Where an element sits in a document: [begin, end) is the whole element; its attributes are
// [attributesBegin, attributesEnd) and its content [contentBegin, contentEnd) (empty for an
// element closed in its own tag).
struct Element {
  size_t begin = 0, end = 0;
  size_t attributesBegin = 0, attributesEnd = 0;
  size_t contentBegin = 0, contentEnd = 0;
};

// The first element named `tag` (not one whose name only starts with it), or none.
std::optional<Element> find(const std::string& text, const std::string& tag) {
  const std::string open = "<" + tag;
  for (size_t at = text.find(open); at != std::string::npos; at = text.find(open, at + 1)) {
    const size_t after = at + open.size();
    if (after >= text.size()) return std::nullopt;
    const char next = text[after];
    if (next != ' ' && next != '>' && next != '/' && next != '\n' && next != '\t' && next != '\r') continue;
    const size_t close = text.find('>', after);
    if (close == std::string::npos) return std::nullopt;
    Element e;
    e.begin = at;
    e.attributesBegin = after;
    if (text[close - 1] == '/') {
      e.attributesEnd = close - 1;
      e.contentBegin = e.contentEnd = close + 1;
      e.end = close + 1;
      return e;
    }
    e.attributesEnd = close;
    e.contentBegin = close + 1;
    const std::string closing = "</" + tag + ">";
    const size_t last = text.find(closing, e.contentBegin);
    if (last == std::string::npos) return std::nullopt;
    e.contentEnd = last;
    e.end = last + closing.size();
    return e;
  }
  return std::nullopt;
}

std::string part(const std::string& text, size_t begin, size_t end) { return text.substr(begin, end - begin); }

}  // namespace

std::string SampleProfile::merged(const std::string& kept, const std::string& posted) {
  std::string result = kept;
  // The icon is taken whole; the other values keep the service's attributes (limits).
  static const std::array<const char*, 6> kValues = {"icon", "name", "email", "gender", "introduction", "labels"};
  for (const char* tag : kValues) {
    auto given = find(posted, tag);
    if (!given) continue;
    auto old = find(result, tag);
    const bool whole = std::string(tag) == "icon";
    const std::string attributes = old && !whole ? part(result, old->attributesBegin, old->attributesEnd)
                                                 : part(posted, given->attributesBegin, given->attributesEnd);
    const std::string element = "<" + std::string(tag) + attributes + ">" +
                                part(posted, given->contentBegin, given->contentEnd) + "</" + tag + ">";
    if (old) {
      result.replace(old->begin, old->end - old->begin, element);
    } else if (auto root = find(result, kRoot)) {
      result.insert(root->contentEnd, "  " + element + "\n");
    }
  }
  return result;
}

std::string SampleProfile::current(const std::string& document) const {
  std::lock_guard guard(lock_);
  return kept_.value_or(document);
}

bool SampleProfile::post(const std::string& posted, const std::string& document) {
  if (!find(posted, kRoot)) return false;
  std::lock_guard guard(lock_);
  const std::string base = kept_.value_or(document);
  kept_ = find(base, kRoot) ? merged(base, posted) : posted;
  return true;
}

}  // namespace zu
