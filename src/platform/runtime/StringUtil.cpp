#include "platform/runtime/StringUtil.h"

#include <cstdint>

namespace zu {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

struct Decoded {
  char32_t cp;  // kReplacement for an invalid byte
  size_t size;  // bytes consumed (1 for an invalid byte)
  bool valid;
};

// Decodes one character at s[i] following the well-formed byte sequences of UTF-8 (no
// overlongs, no surrogates, nothing above U+10FFFF). An invalid lead byte or a broken sequence
// consumes exactly one byte.
Decoded decode(std::string_view s, size_t i) {
  auto byte = [&](size_t k) { return static_cast<uint8_t>(s[k]); };
  uint8_t b0 = byte(i);
  if (b0 < 0x80) return {b0, 1, true};
  size_t left = s.size() - i;
  auto cont = [&](size_t k, uint8_t lo = 0x80, uint8_t hi = 0xBF) {
    return k < left && byte(i + k) >= lo && byte(i + k) <= hi;
  };
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    if (cont(1)) return {char32_t((b0 & 0x1F) << 6 | (byte(i + 1) & 0x3F)), 2, true};
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    uint8_t lo = b0 == 0xE0 ? 0xA0 : 0x80;
    uint8_t hi = b0 == 0xED ? 0x9F : 0xBF;
    if (cont(1, lo, hi) && cont(2)) {
      return {char32_t((b0 & 0x0F) << 12 | (byte(i + 1) & 0x3F) << 6 | (byte(i + 2) & 0x3F)), 3,
              true};
    }
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    uint8_t lo = b0 == 0xF0 ? 0x90 : 0x80;
    uint8_t hi = b0 == 0xF4 ? 0x8F : 0xBF;
    if (cont(1, lo, hi) && cont(2) && cont(3)) {
      return {char32_t((b0 & 0x07) << 18 | (byte(i + 1) & 0x3F) << 12 |
                       (byte(i + 2) & 0x3F) << 6 | (byte(i + 3) & 0x3F)),
              4, true};
    }
  }
  return {kReplacement, 1, false};
}

size_t unitsOf(char32_t cp) { return cp > 0xFFFF ? 2 : 1; }

// Appends s[from, to) with invalid bytes replaced.
void appendSanitized(std::string& out, std::string_view s, size_t from, size_t to) {
  for (size_t i = from; i < to;) {
    Decoded d = decode(s, i);
    if (d.valid) {
      out.append(s.substr(i, d.size));
    } else {
      StringUtil::appendUtf8(out, kReplacement);
    }
    i += d.size;
  }
}

template <typename Pred>
std::string trim(std::string_view s, Pred isSpace) {
  size_t begin = 0;
  while (begin < s.size()) {
    Decoded d = decode(s, begin);
    if (!d.valid || !isSpace(d.cp)) break;
    begin += d.size;
  }
  // Scan forward to find where the trailing run of spaces starts (UTF-8 cannot be decoded
  // backwards reliably when it is invalid).
  size_t end = begin;
  for (size_t i = begin; i < s.size();) {
    Decoded d = decode(s, i);
    i += d.size;
    if (!d.valid || !isSpace(d.cp)) end = i;
  }
  return std::string(s.substr(begin, end - begin));
}

}  // namespace

size_t StringUtil::utf16Length(std::string_view utf8) {
  size_t units = 0;
  for (size_t i = 0; i < utf8.size();) {
    uint8_t b = static_cast<uint8_t>(utf8[i]);
    if (b < 0x80) {  // fast path for ASCII
      ++units;
      ++i;
      continue;
    }
    Decoded d = decode(utf8, i);
    units += unitsOf(d.cp);
    i += d.size;
  }
  return units;
}

std::string StringUtil::utf16Substring(std::string_view utf8, size_t start, size_t length) {
  size_t end = length > SIZE_MAX - start ? SIZE_MAX : start + length;
  std::string out;
  size_t unit = 0;  // UTF-16 offset of the character at i
  for (size_t i = 0; i < utf8.size() && unit < end;) {
    Decoded d = decode(utf8, i);
    size_t n = unitsOf(d.cp);
    // Only characters that lie wholly inside [start, end) are kept.
    if (unit >= start && unit + n <= end) {
      if (d.valid) {
        out.append(utf8.substr(i, d.size));
      } else {
        appendUtf8(out, kReplacement);
      }
    }
    unit += n;
    i += d.size;
  }
  return out;
}

std::string StringUtil::utf16Prefix(std::string_view utf8, size_t length) {
  return utf16Substring(utf8, 0, length);
}

std::string StringUtil::utf16SubstringFrom(std::string_view utf8, size_t start) {
  return utf16Substring(utf8, start, SIZE_MAX);
}

std::u16string StringUtil::toUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    Decoded d = decode(utf8, i);
    if (d.cp > 0xFFFF) {
      char32_t v = d.cp - 0x10000;
      out += static_cast<char16_t>(0xD800 + (v >> 10));
      out += static_cast<char16_t>(0xDC00 + (v & 0x3FF));
    } else {
      out += static_cast<char16_t>(d.cp);
    }
    i += d.size;
  }
  return out;
}

std::string StringUtil::fromUtf16(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (size_t i = 0; i < utf16.size(); ++i) {
    char32_t u = utf16[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] <= 0xDFFF) {
      appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (utf16[i + 1] - 0xDC00));
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      appendUtf8(out, kReplacement);  // lone surrogate
    } else {
      appendUtf8(out, u);
    }
  }
  return out;
}

char32_t StringUtil::decodeLonger(std::string_view utf8, size_t& i) {
  const Decoded d = decode(utf8, i);
  i += d.size;
  return d.cp;
}

bool StringUtil::isValidUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    Decoded d = decode(text, i);
    if (!d.valid) return false;
    i += d.size;
  }
  return true;
}

std::string StringUtil::sanitizeUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  appendSanitized(out, text, 0, text.size());
  return out;
}

bool StringUtil::isWhitespace(char32_t c) {
  switch (c) {
    case 0x0009:
    case 0x0020:
    case 0x00A0:
    case 0x1680:
    case 0x202F:
    case 0x205F:
    case 0x3000:
      return true;
    default:
      return c >= 0x2000 && c <= 0x200A;
  }
}

bool StringUtil::isWhitespaceOrNewline(char32_t c) {
  return isWhitespace(c) || (c >= 0x000A && c <= 0x000D) || c == 0x0085 || c == 0x2028 ||
         c == 0x2029;
}

std::string StringUtil::trimWhitespaceAndNewlines(std::string_view utf8) {
  return trim(utf8, isWhitespaceOrNewline);
}

std::string StringUtil::trimWhitespace(std::string_view utf8) { return trim(utf8, isWhitespace); }

void StringUtil::appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string StringUtil::asciiLowercase(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::string StringUtil::asciiUppercase(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

}  // namespace zu
