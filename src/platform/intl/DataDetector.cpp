#include "platform/intl/DataDetector.h"

#include <algorithm>

#include "platform/runtime/StringUtil.h"

namespace zu {

namespace {

// Not inside a word, a host or an e-mail address (ASCII only: Chinese text may touch a link).
// Stops at white space, quotes, angle brackets and the full-width punctuation of Chinese text.
constexpr const char* kLinkPattern =
    R"((?i)(?<![A-Za-z0-9_.@/-])(?:(?:https?|ftp)://|www\.))"
    R"([^\s<>"'\x{3000}-\x{303F}\x{FF00}-\x{FFEF}]+)";
constexpr const char* kPhonePattern =
    R"((?<![A-Za-z0-9_+])\+?\(?\d(?:[\d\- ()]*\d)?(?![A-Za-z0-9_]))";
// Left off the end of a link: punctuation that closes the sentence around it.
constexpr std::u16string_view kTrailing = u".,;:!?)]}'\"";

size_t countDigits(std::u16string_view s) {
  return static_cast<size_t>(
      std::count_if(s.begin(), s.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; }));
}

}  // namespace

DataDetector::DataDetector(uint64_t types)
    : types_(types), link_(Regex::create(kLinkPattern)), phone_(Regex::create(kPhonePattern)) {}

std::vector<DataDetector::Result> DataDetector::matches(std::string_view text,
                                                       size_t maxResults) const {
  std::vector<Result> out;
  if (maxResults == 0) return out;
  const std::u16string u16 = StringUtil::toUtf16(text);
  if ((types_ & kLink) && link_) {
    for (const Regex::Match& m : link_->matches(text, maxResults)) {
      Regex::Range r = m.range;
      while (r.length > 0 && kTrailing.find(u16[r.end() - 1]) != std::u16string_view::npos)
        --r.length;
      std::string url =
          StringUtil::fromUtf16(std::u16string_view(u16).substr(r.location, r.length));
      if (StringUtil::asciiLowercase(url.substr(0, 4)) == "www.") url = "http://" + url;
      if (r.length > 0) out.push_back({kLink, r, std::move(url)});
    }
  }
  if ((types_ & kPhoneNumber) && phone_) {
    const size_t links = out.size();
    // Links and numbers both come in text order: one walk through the links tells which
    // numbers lie inside one.
    size_t link = 0;
    size_t numbers = 0;
    // Numbers rejected for their digit count do not count against the limit.
    for (const Regex::Match& m : phone_->matches(text)) {
      if (numbers >= maxResults) break;
      while (link < links && out[link].range.end() <= m.range.location) ++link;
      const bool inLink = link < links && out[link].range.location < m.range.end();
      if (inLink) continue;
      const std::u16string_view number =
          std::u16string_view(u16).substr(m.range.location, m.range.length);
      const size_t digits = countDigits(number);
      if (digits < 7 || digits > 15) continue;
      std::string url = "tel:";
      for (char16_t c : number) {
        if ((c >= u'0' && c <= u'9') || c == u'+') url.push_back(static_cast<char>(c));
      }
      out.push_back({kPhoneNumber, m.range, std::move(url)});
      ++numbers;
    }
  }
  std::sort(out.begin(), out.end(),
            [](const Result& a, const Result& b) { return a.range.location < b.range.location; });
  if (out.size() > maxResults) out.resize(maxResults);
  return out;
}

}  // namespace zu
