// StringUtil: text helpers that count the way the platform counts. Text is UTF-8
// std::string; where the system counts characters (limits, truncation, ranges) it means
// UTF-16 code units, which these helpers measure and cut by. All functions are static, pure
// and thread-safe.
//
// Invalid UTF-8: every byte that does not belong to a well-formed sequence (stray
// continuation bytes, truncated or overlong sequences, encoded surrogates, code points above
// U+10FFFF) counts as one U+FFFD, i.e. one UTF-16 unit, and is written as U+FFFD ("\xEF\xBF\xBD")
// wherever a helper builds new text. Nothing here crashes on any input.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zu {

class StringUtil {
 public:
  StringUtil() = delete;

  // Number of UTF-16 code units of the text (characters beyond U+FFFF count 2).
  static size_t utf16Length(std::string_view utf8);

  // The text between UTF-16 offsets [start, start + length), as UTF-8. The range is clamped to
  // the text (start past the end gives ""). A boundary that falls between the two halves of a
  // surrogate pair moves inward, leaving that character out, so the result is valid UTF-8 and
  // never longer than asked.
  static std::string utf16Substring(std::string_view utf8, size_t start, size_t length);
  // The first `length` UTF-16 units (same rules as utf16Substring).
  static std::string utf16Prefix(std::string_view utf8, size_t length);
  // The text from UTF-16 offset `start` to the end (same rules as utf16Substring).
  static std::string utf16SubstringFrom(std::string_view utf8, size_t start);

  // Conversions between UTF-8 and UTF-16. Invalid input becomes U+FFFD (lone surrogates in
  // UTF-16 too).
  static std::u16string toUtf16(std::string_view utf8);
  static std::string fromUtf16(std::u16string_view utf16);

  // The character at byte `i` of `utf8` (i < utf8.size()), moving `i` past it; an invalid byte
  // is U+FFFD and moves `i` by one, as sanitizeUtf8 replaces it. Inline for ASCII and two-byte
  // characters: texts of a megabyte are read this way, character by character.
  static char32_t decodeNext(std::string_view utf8, size_t& i) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    if (b < 0x80) {
      ++i;
      return b;
    }
    if (b >= 0xC2 && b <= 0xDF && i + 1 < utf8.size() &&
        (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80) {
      const char32_t c = char32_t(b & 0x1F) << 6 | (static_cast<unsigned char>(utf8[i + 1]) & 0x3F);
      i += 2;
      return c;
    }
    return decodeLonger(utf8, i);
  }
  // True when the text is well-formed UTF-8.
  static bool isValidUtf8(std::string_view text);
  // The text with every invalid byte replaced by U+FFFD.
  static std::string sanitizeUtf8(std::string_view text);
  // Appends the UTF-8 form of the code point `cp` (at most U+10FFFF) to `out`.
  static void appendUtf8(std::string& out, char32_t cp);

  // The platform's whitespace set: tab (U+0009) and the Unicode space separators (U+0020,
  // U+00A0, U+1680, U+2000-U+200A, U+202F, U+205F, U+3000).
  static bool isWhitespace(char32_t c);
  // The whitespace set plus newlines: U+000A-U+000D, U+0085, U+2028, U+2029.
  static bool isWhitespaceOrNewline(char32_t c);

  // Control characters: C0 (U+0000-U+001F), DEL (U+007F) and C1 (U+0080-U+009F).
  static bool isControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); }
  // The characters that steer the order in which text is drawn rather than show: the
  // embeddings and overrides (U+202A-U+202E), the isolates (U+2066-U+2069) and the direction
  // marks (U+200E, U+200F, U+061C). An override makes "gnp.exe" read "exe.png".
  static bool isBidiControl(char32_t c) {
    return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x200E || c == 0x200F ||
           c == 0x061C;
  }

  // The text without leading and trailing characters of the whitespace-and-newline set.
  // Invalid bytes are not whitespace and are kept as they are.
  static std::string trimWhitespaceAndNewlines(std::string_view utf8);
  // The text without leading and trailing whitespace (newlines kept).
  static std::string trimWhitespace(std::string_view utf8);

  // The text with ASCII letters lowered / raised; every other byte is kept.
  static std::string asciiLowercase(std::string_view text);
  static std::string asciiUppercase(std::string_view text);

 private:
  // decodeNext for a character of three or four bytes, or an invalid byte.
  static char32_t decodeLonger(std::string_view utf8, size_t& i);
};

}  // namespace zu
