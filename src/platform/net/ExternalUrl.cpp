#include "platform/net/ExternalUrl.h"

#include "platform/net/UrlRequest.h"

namespace zu {

namespace {

constexpr char32_t kInvalid = 0xffffffff;

// The code point starting at `text[*at]` (advancing *at past it), or kInvalid for a byte that
// does not start a well-formed UTF-8 sequence (*at then moves one byte).
char32_t nextCodePoint(std::string_view text, size_t* at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(*at);
  size_t length = 0;
  char32_t cp = 0;
  char32_t least = 0;
  if (lead < 0x80) {
    ++*at;
    return lead;
  } else if ((lead & 0xe0) == 0xc0) {
    length = 2, cp = lead & 0x1f, least = 0x80;
  } else if ((lead & 0xf0) == 0xe0) {
    length = 3, cp = lead & 0x0f, least = 0x800;
  } else if ((lead & 0xf8) == 0xf0) {
    length = 4, cp = lead & 0x07, least = 0x10000;
  } else {
    ++*at;
    return kInvalid;
  }
  if (*at + length > text.size()) {
    ++*at;
    return kInvalid;
  }
  for (size_t i = 1; i < length; ++i) {
    if ((byte(*at + i) & 0xc0) != 0x80) {
      ++*at;
      return kInvalid;
    }
    cp = (cp << 6) | (byte(*at + i) & 0x3f);
  }
  if (cp < least || cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff)) {
    ++*at;
    return kInvalid;
  }
  *at += length;
  return cp;
}

// Characters that must never reach a terminal: controls, bidi controls, line separators.
bool isUnprintable(char32_t cp) {
  if (cp == kInvalid || cp < 0x20 || cp == 0x7f || (cp >= 0x80 && cp <= 0x9f)) return true;
  if (cp == 0x061c || cp == 0x200e || cp == 0x200f) return true;
  if (cp >= 0x202a && cp <= 0x202e) return true;
  if (cp >= 0x2066 && cp <= 0x2069) return true;
  return cp == 0x2028 || cp == 0x2029;
}

// Within the length bound, UTF-8, and nothing unprintable or blank.
bool isCleanText(std::string_view text) {
  if (text.size() > ExternalUrl::kMaxLength) return false;
  for (size_t at = 0; at < text.size();) {
    const char32_t cp = nextCodePoint(text, &at);
    if (cp == ' ' || isUnprintable(cp)) return false;
  }
  return true;
}

// "mailto:" in any case.
bool isMailScheme(std::string_view text) {
  static constexpr std::string_view kScheme = "mailto:";
  if (text.size() < kScheme.size()) return false;
  std::string lower(text.substr(0, kScheme.size()));
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower == kScheme;
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

// Every byte but the unreserved ones (and '@' in an address) as %XX.
std::string percentEncoded(std::string_view text, bool keepAt) {
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

}  // namespace

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
  for (const auto* text : {&subject, &body}) {
    for (size_t at = 0; at < text->size();) {
      if (nextCodePoint(*text, &at) == kInvalid) return std::nullopt;
    }
  }
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
  field("subject", percentEncoded(subject, false));
  field("body", percentEncoded(body, false));
  if (!isMailAddress(url)) return std::nullopt;
  return url;
}

std::string ExternalUrl::printable(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    const size_t start = at;
    const char32_t cp = nextCodePoint(text, &at);
    if (isUnprintable(cp)) {
      out.push_back('?');
    } else {
      out.append(text.substr(start, at - start));
    }
  }
  return out;
}

}  // namespace zu
