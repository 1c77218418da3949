#include "common/KjJsonParser.h"

#include <charconv>
#include <cstdio>
#include <limits>
#include <utility>

#include "platform/runtime/StringUtil.h"

namespace zu {

namespace {

// Byte classes inside a string: 0 copied as is, 1 stops the plain run (the double quote, the
// backslash, NUL and the control bytes 0x01-0x1F), 2 starts a multi-byte UTF-8 sequence that
// must be checked before it is copied.
struct StringByteClasses {
  uint8_t table[256];
  constexpr StringByteClasses() : table() {
    for (int b = 0; b < 256; ++b) table[b] = b < 0x20 || b == '"' || b == '\\' ? 1 : b >= 0x80 ? 2 : 0;
  }
};
constexpr StringByteClasses kStringBytes;

bool isDigit(char ch) { return ch >= '0' && ch <= '9'; }

// The C library's white space in the C locale.
bool isSpace(char ch) {
  return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}

// Length of the well-formed UTF-8 sequence at p (lead byte >= 0x80), or 0 when it is broken:
// stray continuation bytes, overlong forms, encoded surrogates, values past U+10FFFF and
// sequences cut off by the end of the text are all refused.
size_t utf8SequenceLength(const uint8_t* p, const uint8_t* end) {
  uint8_t b = p[0];
  size_t n;
  uint8_t lo = 0x80, hi = 0xBF;
  if (b >= 0xC2 && b <= 0xDF) {
    n = 2;
  } else if (b >= 0xE0 && b <= 0xEF) {
    n = 3;
    if (b == 0xE0) lo = 0xA0;
    if (b == 0xED) hi = 0x9F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    n = 4;
    if (b == 0xF0) lo = 0x90;
    if (b == 0xF4) hi = 0x8F;
  } else {
    return 0;
  }
  if (static_cast<size_t>(end - p) < n) return 0;
  if (p[1] < lo || p[1] > hi) return 0;
  for (size_t i = 2; i < n; ++i) {
    if (p[i] < 0x80 || p[i] > 0xBF) return 0;
  }
  return n;
}

std::string formatByte(const char* format, unsigned value) {
  char buf[96];
  std::snprintf(buf, sizeof buf, format, value);
  return buf;
}

}  // namespace

std::optional<Value> KjJsonParser::fragmentWithString(std::optional<std::string_view> text) {
  clearErrorTrace();
  if (!text) {
    addErrorWithCode(kJsonErrorInput, "Input was 'nil'");
    return std::nullopt;
  }
  depth_ = 0;
  c_ = text->data();
  end_ = c_ + text->size();
  Value result;
  if (!scanValue(result)) return std::nullopt;
  skipWhitespace();
  if (peek() != '\0') {
    addErrorWithCode(kJsonErrorTrailingGarbage, "Garbage after JSON");
    return std::nullopt;
  }
  return result;
}

std::optional<Value> KjJsonParser::objectWithString(std::optional<std::string_view> text) {
  std::optional<Value> result = fragmentWithString(text);
  if (!result) return std::nullopt;
  if (!result->isDictionary() && !result->isArray()) {
    addErrorWithCode(kJsonErrorFragment, "Valid fragment, but not JSON");
    return std::nullopt;
  }
  return result;
}

void KjJsonParser::skipWhitespace() {
  while (c_ < end_ && isSpace(*c_)) ++c_;
}

bool KjJsonParser::scanValue(Value& out) {
  skipWhitespace();
  switch (peek()) {
    case '"': {
      ++c_;
      std::string s;
      if (!scanRestOfString(s)) return false;
      out = Value(std::move(s));
      return true;
    }
    case '{':
      ++c_;
      return scanRestOfDictionary(out);
    case '[':
      ++c_;
      return scanRestOfArray(out);
    case 't':
      if (!scanLiteral("true", "Expected 'true'")) return false;
      out = Value(true);
      return true;
    case 'f':
      if (!scanLiteral("false", "Expected 'false'")) return false;
      out = Value(false);
      return true;
    case 'n':
      if (!scanLiteral("null", "Expected 'null'")) return false;
      out = Value();
      return true;
    case '-':
    case '0': case '1': case '2': case '3': case '4':
    case '5': case '6': case '7': case '8': case '9':
      return scanNumber(out);
    case '+':
      addErrorWithCode(kJsonErrorNumber, "Leading + disallowed in number");
      return false;
    case '\0':
      addErrorWithCode(kJsonErrorEof, "Unexpected end of string");
      return false;
    default:
      addErrorWithCode(kJsonErrorSyntax, "Unrecognised leading character");
      return false;
  }
}

bool KjJsonParser::scanLiteral(const char* word, const char* error) {
  for (const char* w = word; *w; ++w, ++c_) {
    if (peek() != *w) {
      addErrorWithCode(kJsonErrorSyntax, error);
      return false;
    }
  }
  return true;
}

bool KjJsonParser::scanRestOfArray(Value& out) {
  if (!enterLevel()) return false;
  Array array;
  while (peek() != '\0') {
    skipWhitespace();
    if (peek() == ']') {
      ++c_;
      leaveLevel();
      out = Value(std::move(array));
      return true;
    }
    Value element;
    if (!scanValue(element)) {
      addErrorWithCode(kJsonErrorSyntax, "Expected value while parsing array");
      return false;
    }
    array.push_back(std::move(element));
    skipWhitespace();
    if (peek() == ',') {
      ++c_;
      skipWhitespace();
      if (peek() == ']') {
        addErrorWithCode(kJsonErrorTrailingComma, "Trailing comma disallowed in array");
        return false;
      }
    }
  }
  addErrorWithCode(kJsonErrorEof, "End of input while parsing array");
  return false;
}

bool KjJsonParser::scanRestOfDictionary(Value& out) {
  if (!enterLevel()) return false;
  Dictionary dictionary;
  while (peek() != '\0') {
    skipWhitespace();
    if (peek() == '}') {
      ++c_;
      leaveLevel();
      out = Value(std::move(dictionary));
      return true;
    }
    std::string key;
    if (peek() != '"') {
      addErrorWithCode(kJsonErrorSyntax, "Object key string expected");
      return false;
    }
    ++c_;
    if (!scanRestOfString(key)) {
      addErrorWithCode(kJsonErrorSyntax, "Object key string expected");
      return false;
    }
    skipWhitespace();
    if (peek() != ':') {
      addErrorWithCode(kJsonErrorSyntax, "Expected ':' separating key and value");
      return false;
    }
    ++c_;
    Value value;
    if (!scanValue(value)) {
      addErrorWithCode(kJsonErrorSyntax, "Object value expected for key: " + key);
      return false;
    }
    dictionary.set(std::move(key), std::move(value));
    skipWhitespace();
    if (peek() == ',') {
      ++c_;
      skipWhitespace();
      if (peek() == '}') {
        addErrorWithCode(kJsonErrorTrailingComma, "Trailing comma disallowed in object");
        return false;
      }
    }
  }
  addErrorWithCode(kJsonErrorEof, "End of input while parsing object");
  return false;
}

bool KjJsonParser::scanRestOfString(std::string& out) {
  for (;;) {
    // Copy the longest run of plain bytes (well-formed UTF-8 included) in one step.
    const char* run = c_;
    while (c_ < end_) {
      uint8_t cls = kStringBytes.table[static_cast<uint8_t>(*c_)];
      if (cls == 0) {
        ++c_;
      } else if (cls == 2) {
        size_t n = utf8SequenceLength(reinterpret_cast<const uint8_t*>(c_),
                                      reinterpret_cast<const uint8_t*>(end_));
        if (n == 0) {
          addErrorWithCode(kJsonErrorUnicode, "Broken unicode character");
          return false;
        }
        c_ += n;
      } else {
        break;
      }
    }
    out.append(run, c_);

    char stop = peek();
    if (stop == '"') {
      ++c_;
      return true;
    }
    if (stop == '\0') {
      addErrorWithCode(kJsonErrorEof, "Unexpected EOF while parsing string");
      return false;
    }
    if (stop != '\\') {
      addErrorWithCode(kJsonErrorControlChar,
                       formatByte("Unescaped control character '0x%x'", static_cast<uint8_t>(stop)));
      return false;
    }
    ++c_;
    char escape = peek();
    switch (escape) {
      case '"': case '\\': case '/': out += escape; break;
      case 'b': out += '\b'; break;
      case 'f': out += '\f'; break;
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      case 'u':
        ++c_;
        if (!scanUnicodeChar(out)) {
          addErrorWithCode(kJsonErrorUnicode, "Broken unicode character");
          return false;
        }
        continue;  // scanUnicodeChar has moved past the escape
      default:
        addErrorWithCode(kJsonErrorEscape,
                         formatByte("Illegal escape sequence '0x%x'", static_cast<uint8_t>(escape)));
        return false;
    }
    ++c_;
  }
}

bool KjJsonParser::scanHexQuad(unsigned& out) {
  out = 0;
  for (int i = 0; i < 4; ++i, ++c_) {
    char ch = peek();
    unsigned digit;
    if (ch >= '0' && ch <= '9') {
      digit = static_cast<unsigned>(ch - '0');
    } else if (ch >= 'a' && ch <= 'f') {
      digit = static_cast<unsigned>(ch - 'a' + 10);
    } else if (ch >= 'A' && ch <= 'F') {
      digit = static_cast<unsigned>(ch - 'A' + 10);
    } else {
      addErrorWithCode(kJsonErrorUnicode, "Missing hex digit in quad");
      return false;
    }
    out = out * 16 + digit;
  }
  return true;
}

bool KjJsonParser::scanUnicodeChar(std::string& out) {
  unsigned high;
  if (!scanHexQuad(high)) {
    addErrorWithCode(kJsonErrorUnicode, "Missing hex quad");
    return false;
  }
  uint32_t cp = high;
  if (high >= 0xD800 && high <= 0xDBFF) {
    unsigned low = 0;
    bool haveLow = peek() == '\\' && end_ - c_ >= 2 && c_[1] == 'u';
    if (haveLow) {
      c_ += 2;
      haveLow = scanHexQuad(low);
    }
    if (!haveLow) {
      addErrorWithCode(kJsonErrorUnicode, "Missing low character in surrogate pair");
      return false;
    }
    if (low < 0xDC00 || low > 0xDFFF) {
      addErrorWithCode(kJsonErrorUnicode, "Invalid low surrogate char");
      return false;
    }
    cp = 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
  } else if (high >= 0xDC00 && high <= 0xDFFF) {
    addErrorWithCode(kJsonErrorUnicode, "Invalid high character in surrogate pair");
    return false;
  }
  StringUtil::appendUtf8(out, static_cast<char32_t>(cp));
  return true;
}

bool KjJsonParser::scanNumber(Value& out) {
  const char* start = c_;
  if (peek() == '-') {
    ++c_;
    if (!isDigit(peek())) {
      addErrorWithCode(kJsonErrorNumber, "No digits after initial minus");
      return false;
    }
  }
  if (peek() == '0') {
    ++c_;
    if (isDigit(peek())) {
      addErrorWithCode(kJsonErrorNumber, "Leading 0 disallowed in number");
      return false;
    }
  } else {
    while (isDigit(peek())) ++c_;
  }
  bool integral = true;
  if (peek() == '.') {
    ++c_;
    integral = false;
    if (!isDigit(peek())) {
      addErrorWithCode(kJsonErrorNumber, "No digits after decimal point");
      return false;
    }
    while (isDigit(peek())) ++c_;
  }
  if (peek() == 'e' || peek() == 'E') {
    ++c_;
    integral = false;
    if (peek() == '-' || peek() == '+') ++c_;
    if (!isDigit(peek())) {
      addErrorWithCode(kJsonErrorNumber, "No digits after exponent");
      return false;
    }
    while (isDigit(peek())) ++c_;
  }

  if (integral) {
    int64_t i = 0;
    auto r = std::from_chars(start, c_, i);
    if (r.ec == std::errc() && r.ptr == c_) {
      out = Value(i);
      return true;
    }
    // Past 64 bits: fall through to the nearest double.
  }
  double d = 0;
  auto r = std::from_chars(start, c_, d, std::chars_format::general);
  if (r.ec != std::errc() || r.ptr != c_) {
    addErrorWithCode(kJsonErrorNumber, "Failed creating decimal instance");
    return false;
  }
  out = Value(d);
  return true;
}

}  // namespace zu
