#include "platform/net/ExternalUrl.h"

#include "platform/net/UrlRequest.h"
#include "platform/runtime/StringUtil.h"

namespace zu {

namespace {

// Characters that must never reach a terminal: controls, bidi controls, line separators, and
// the replacement character that stands for bytes that are not UTF-8.
bool isUnprintable(char16_t c) {
  if (c < 0x20 || c == 0x7f || (c >= 0x80 && c <= 0x9f) || c == 0xfffd) return true;
  if (c == 0x061c || c == 0x200e || c == 0x200f) return true;
  if (c >= 0x202a && c <= 0x202e) return true;
  if (c >= 0x2066 && c <= 0x2069) return true;
  return c == 0x2028 || c == 0x2029;
}

// Within the length bound, UTF-8, and nothing unprintable or blank.
bool isCleanText(std::string_view text) {
  if (text.size() > ExternalUrl::kMaxLength || !StringUtil::isValidUtf8(text)) return false;
  for (const char16_t c : StringUtil::toUtf16(text)) {
    if (c == u' ' || isUnprintable(c)) return false;
  }
  return true;
}

bool isMailScheme(std::string_view text) {
  return StringUtil::asciiLowercase(text.substr(0, 7)) == "mailto:";
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A field name percent-decoded and in lower case; nullopt for a broken escape.
std::optional<std::string> decodedName(std::string_view name) {
  std::string out;
  for (size_t i = 0; i < name.size(); ++i) {
    char c = name[i];
    if (c == '%') {
      if (i + 2 >= name.size()) return std::nullopt;
      const int high = hexValue(name[i + 1]);
      const int low = hexValue(name[i + 2]);
      if (high < 0 || low < 0) return std::nullopt;
      c = static_cast<char>(high * 16 + low);
      i += 2;
    }
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    out.push_back(c);
  }
  return out;
}

// CR, LF and NEL (U+0085, a C1 control that breaks lines); with `separators`, also the line and
// paragraph separators.
bool isLineBreak(char32_t c, bool separators) {
  return c == U'\r' || c == U'\n' || c == 0x85 || (separators && (c == 0x2028 || c == 0x2029));
}

// Control characters a mail's text never carries: C0 but tab, DEL and C1.
bool isMailControl(char32_t c) { return (c < 0x20 && c != U'\t') || (c >= 0x7f && c <= 0x9f); }

// `text` with each line break (CR LF counting as one; the separators too with `separators`)
// replaced by `lineBreak`, and the other control characters left out.
template <typename LineBreak>
std::string mailText(std::string_view text, bool separators, LineBreak lineBreak) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const char32_t c = StringUtil::decodeNext(text, i);
    if (isLineBreak(c, separators)) {
      if (c == U'\r' && i < text.size() && text[i] == '\n') ++i;
      lineBreak(out);
    } else if (!isMailControl(c)) {
      StringUtil::appendUtf8(out, c);
    }
  }
  return out;
}

}  // namespace

std::string ExternalUrl::mailSubject(std::string_view text) {
  // A run of breaks is marked by one LF (no LF is left in the text) and the mark made a space
  // once the end is known: none at either end.
  std::string out = mailText(text, true, [](std::string& s) {
    if (!s.empty() && s.back() != '\n') s.push_back('\n');
  });
  if (!out.empty() && out.back() == '\n') out.pop_back();
  for (char& c : out) {
    if (c == '\n') c = ' ';
  }
  return out;
}

std::string ExternalUrl::mailBody(std::string_view text) {
  return mailText(text, false, [](std::string& s) { s += "\r\n"; });
}

std::string ExternalUrl::percentEncoded(std::string_view text, bool keepAt) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (const unsigned char c : text) {
    const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                            (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' ||
                            c == '~' || (keepAt && c == '@');
    if (unreserved) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('%');
      out.push_back(kDigits[c >> 4]);
      out.push_back(kDigits[c & 0xf]);
    }
  }
  return out;
}

bool ExternalUrl::isWebAddress(std::string_view url) {
  if (!isCleanText(url) || !UrlRequest::hasHttpScheme(url)) return false;
  // A host must follow: not empty, and not straight into a path, query or fragment.
  const std::string_view rest = url.substr(url.find("://") + 3);
  if (rest.empty() || rest.front() == '/' || rest.front() == '?' || rest.front() == '#') return false;
  return UrlRequest::hostOfUrl(std::string(url)).has_value();
}

bool ExternalUrl::isMailAddress(std::string_view url) {
  if (!isCleanText(url) || !isMailScheme(url)) return false;
  const std::string_view rest = url.substr(7);
  if (rest.empty() || rest.find('#') != std::string_view::npos) return false;
  const size_t question = rest.find('?');
  if (question == std::string_view::npos) return true;
  std::string_view query = rest.substr(question + 1);
  // "mailto:?" names nobody; "mailto:a@b?" is only a trailing mark.
  if (query.empty()) return question > 0;
  for (;;) {
    const size_t amp = query.find('&');
    const std::string_view field = query.substr(0, amp);
    const size_t equals = field.find('=');
    if (equals == std::string_view::npos) return false;
    const auto name = decodedName(field.substr(0, equals));
    if (!name || (*name != "to" && *name != "cc" && *name != "subject" && *name != "body")) {
      return false;
    }
    if (amp == std::string_view::npos) return true;
    query.remove_prefix(amp + 1);
  }
}

std::optional<std::string> ExternalUrl::mailto(const std::vector<std::string>& to,
                                               const std::vector<std::string>& cc,
                                               const std::string& subject, const std::string& body) {
  auto addresses = [](const std::vector<std::string>& list) {
    std::string joined;
    for (const auto& address : list) {
      if (!joined.empty()) joined += ',';
      joined += percentEncoded(address, true);
    }
    return joined;
  };
  if (!StringUtil::isValidUtf8(subject) || !StringUtil::isValidUtf8(body)) return std::nullopt;
  std::string url = "mailto:" + addresses(to);
  char separator = '?';
  auto field = [&](const char* name, const std::string& value) {
    if (value.empty()) return;
    url += separator;
    url += name;
    url += '=';
    url += value;
    separator = '&';
  };
  field("cc", addresses(cc));
  field("subject", percentEncoded(mailSubject(subject), false));
  field("body", percentEncoded(mailBody(body), false));
  if (!isMailAddress(url)) return std::nullopt;
  return url;
}

std::string ExternalUrl::printable(std::string_view text) {
  std::u16string units = StringUtil::toUtf16(text);
  for (char16_t& c : units) {
    if (isUnprintable(c)) c = u'?';
  }
  return StringUtil::fromUtf16(units);
}

}  // namespace zu
