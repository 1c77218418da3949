#include "platform/intl/Regex.h"

#include <unicode/regex.h>
#include <unicode/unistr.h>

#include "platform/runtime/StringUtil.h"

namespace zu {

struct Regex::Impl {
  std::unique_ptr<icu::RegexPattern> pattern;
};

namespace {

icu::UnicodeString toUnicode(std::string_view utf8) {
  const std::u16string u16 = StringUtil::toUtf16(utf8);
  return icu::UnicodeString(u16.data(), static_cast<int32_t>(u16.size()));
}

std::string toUtf8(const icu::UnicodeString& s) {
  return StringUtil::fromUtf16(std::u16string_view(s.getBuffer(), static_cast<size_t>(s.length())));
}

}  // namespace

Regex::Regex(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Regex::~Regex() = default;

std::shared_ptr<const Regex> Regex::create(std::string_view pattern, unsigned options,
                                           std::string* error) {
  uint32_t flags = 0;
  if (options & kCaseInsensitive) flags |= UREGEX_CASE_INSENSITIVE;
  if (options & kDotMatchesLineSeparators) flags |= UREGEX_DOTALL;
  if (options & kAnchorsMatchLines) flags |= UREGEX_MULTILINE;
  UParseError parseError{};
  UErrorCode status = U_ZERO_ERROR;
  auto impl = std::make_unique<Impl>();
  impl->pattern.reset(icu::RegexPattern::compile(toUnicode(pattern), flags, parseError, status));
  if (U_FAILURE(status) || !impl->pattern) {
    if (error) {
      *error = std::string(u_errorName(status)) + " at offset " + std::to_string(parseError.offset);
    }
    return nullptr;
  }
  return std::shared_ptr<const Regex>(new Regex(std::move(impl)));
}

std::vector<Regex::Match> Regex::matches(std::string_view text, size_t maxMatches) const {
  std::vector<Match> out;
  const icu::UnicodeString input = toUnicode(text);
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::RegexMatcher> matcher(impl_->pattern->matcher(input, status));
  if (U_FAILURE(status)) return out;
  const int32_t groups = matcher->groupCount();
  while (out.size() < maxMatches && matcher->find(status) && U_SUCCESS(status)) {
    Match m;
    const int32_t start = matcher->start(status);
    const int32_t end = matcher->end(status);
    m.range = {static_cast<size_t>(start), static_cast<size_t>(end - start)};
    for (int32_t g = 1; g <= groups; ++g) {
      const int32_t gs = matcher->start(g, status);
      const int32_t ge = matcher->end(g, status);
      if (gs < 0) {
        m.groups.push_back({std::string::npos, 0});
      } else {
        m.groups.push_back({static_cast<size_t>(gs), static_cast<size_t>(ge - gs)});
      }
    }
    out.push_back(std::move(m));
  }
  return out;
}

std::string Regex::replaceAll(std::string_view text, std::string_view replacement) const {
  const icu::UnicodeString input = toUnicode(text);
  const icu::UnicodeString with = toUnicode(replacement);
  icu::UnicodeString result;
  int32_t last = 0;
  for (const Match& m : matches(text)) {
    const auto start = static_cast<int32_t>(m.range.location);
    result.append(input, last, start - last);
    result.append(with);
    last = static_cast<int32_t>(m.range.end());
  }
  result.append(input, last, input.length() - last);
  return toUtf8(result);
}

}  // namespace zu
