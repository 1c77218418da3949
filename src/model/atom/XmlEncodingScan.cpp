#include "model/atom/XmlEncodingScan.h"

namespace zu {

namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool within(unsigned char c, unsigned char low, unsigned char high) {
  return c >= low && c <= high;
}

struct NamedKind {
  std::string_view name;
  XmlEncodingScan::Kind kind;
};

// Declared names, upper case without '-', '_' and blanks, matched whole: only names whose
// decoder reads every ASCII byte as that character and puts no ASCII byte inside another
// character (the multi-byte kinds excepted, whose scan masks those bytes). The table test over
// every name glibc's converter knows holds the list to that. A family prefix is no proof:
// "LATIN-GREEK-1" starts like "LATIN1", yet reads "!", "?", "[", "]" and ":" as Greek letters.
constexpr NamedKind kNames[] = {
    {"UTF8", XmlEncodingScan::kUtf8},
    {"USASCII", XmlEncodingScan::kUtf8},
    {"ASCII", XmlEncodingScan::kUtf8},
    {"ISO88591", XmlEncodingScan::kAsciiCompatible},
    {"ISO88592", XmlEncodingScan::kAsciiCompatible},
    {"ISO88593", XmlEncodingScan::kAsciiCompatible},
    {"ISO88594", XmlEncodingScan::kAsciiCompatible},
    {"ISO88595", XmlEncodingScan::kAsciiCompatible},
    {"ISO88596", XmlEncodingScan::kAsciiCompatible},
    {"ISO88597", XmlEncodingScan::kAsciiCompatible},
    {"ISO88598", XmlEncodingScan::kAsciiCompatible},
    {"ISO88599", XmlEncodingScan::kAsciiCompatible},
    {"ISO885910", XmlEncodingScan::kAsciiCompatible},
    {"ISO885911", XmlEncodingScan::kAsciiCompatible},
    {"ISO885913", XmlEncodingScan::kAsciiCompatible},
    {"ISO885914", XmlEncodingScan::kAsciiCompatible},
    {"ISO885915", XmlEncodingScan::kAsciiCompatible},
    {"ISO885916", XmlEncodingScan::kAsciiCompatible},
    // The ISO-8859 parts by their other names.
    {"LATIN1", XmlEncodingScan::kAsciiCompatible},
    {"LATIN2", XmlEncodingScan::kAsciiCompatible},
    {"LATIN3", XmlEncodingScan::kAsciiCompatible},
    {"LATIN4", XmlEncodingScan::kAsciiCompatible},
    {"LATIN5", XmlEncodingScan::kAsciiCompatible},
    {"LATIN6", XmlEncodingScan::kAsciiCompatible},
    {"LATIN7", XmlEncodingScan::kAsciiCompatible},
    {"LATIN8", XmlEncodingScan::kAsciiCompatible},
    {"LATIN9", XmlEncodingScan::kAsciiCompatible},
    {"LATIN10", XmlEncodingScan::kAsciiCompatible},
    {"WINDOWS1250", XmlEncodingScan::kAsciiCompatible},
    {"WINDOWS1251", XmlEncodingScan::kAsciiCompatible},
    {"WINDOWS1252", XmlEncodingScan::kAsciiCompatible},
    {"WINDOWS1253", XmlEncodingScan::kAsciiCompatible},
    {"WINDOWS1254", XmlEncodingScan::kAsciiCompatible},
    {"WINDOWS1255", XmlEncodingScan::kAsciiCompatible},
    {"WINDOWS1256", XmlEncodingScan::kAsciiCompatible},
    {"WINDOWS1257", XmlEncodingScan::kAsciiCompatible},
    {"WINDOWS1258", XmlEncodingScan::kAsciiCompatible},
    {"CP1250", XmlEncodingScan::kAsciiCompatible},
    {"CP1251", XmlEncodingScan::kAsciiCompatible},
    {"CP1252", XmlEncodingScan::kAsciiCompatible},
    {"CP1253", XmlEncodingScan::kAsciiCompatible},
    {"CP1254", XmlEncodingScan::kAsciiCompatible},
    {"CP1255", XmlEncodingScan::kAsciiCompatible},
    {"CP1256", XmlEncodingScan::kAsciiCompatible},
    {"CP1257", XmlEncodingScan::kAsciiCompatible},
    {"CP1258", XmlEncodingScan::kAsciiCompatible},
    {"KOI8R", XmlEncodingScan::kAsciiCompatible},
    {"KOI8U", XmlEncodingScan::kAsciiCompatible},
    {"EUCCN", XmlEncodingScan::kAsciiCompatible},
    {"EUCTW", XmlEncodingScan::kAsciiCompatible},
    {"EUCJP", XmlEncodingScan::kAsciiCompatible},
    {"EUCKR", XmlEncodingScan::kAsciiCompatible},
    {"SHIFTJIS", XmlEncodingScan::kShiftJis},
    {"SJIS", XmlEncodingScan::kShiftJis},
    {"CP932", XmlEncodingScan::kShiftJis},
    {"WINDOWS31J", XmlEncodingScan::kShiftJis},
    {"BIG5", XmlEncodingScan::kBig5},
    {"BIG5HKSCS", XmlEncodingScan::kBig5},
    {"CP950", XmlEncodingScan::kBig5},
    // GB2312 is read as EUC-CN, whose characters GBK's rule reads alike.
    {"GB2312", XmlEncodingScan::kGbk},
    {"GBK", XmlEncodingScan::kGbk},
    {"CP936", XmlEncodingScan::kGbk},
    {"GB18030", XmlEncodingScan::kGb18030},
};

}  // namespace

XmlEncodingScan::Kind XmlEncodingScan::kindOf(std::string_view doc) {
  // UTF-16 and UTF-32 write a zero byte in every ASCII character; no well-formed document in
  // an ASCII-compatible encoding contains one.
  if (doc.find('\0') != std::string_view::npos) return kRefused;
  if (doc.substr(0, 3) == "\xEF\xBB\xBF") doc.remove_prefix(3);
  if (doc.substr(0, 4) == "\x4C\x6F\xA7\x94") return kRefused;  // "<?xm" in EBCDIC
  if (doc.substr(0, 5) != "<?xml" || doc.size() < 6 || !isBlank(doc[5])) return kUtf8;
  std::string_view decl = doc.substr(0, doc.find("?>"));
  const size_t at = decl.find("encoding");
  if (at == std::string_view::npos) return kUtf8;
  size_t i = at + 8;
  while (i < decl.size() && isBlank(decl[i])) ++i;
  // Malformed declarations: the parser refuses them (reading on in UTF-8).
  if (i >= decl.size() || decl[i] != '=') return kUtf8;
  ++i;
  while (i < decl.size() && isBlank(decl[i])) ++i;
  if (i >= decl.size() || (decl[i] != '"' && decl[i] != '\'')) return kUtf8;
  const size_t end = decl.find(decl[i], i + 1);
  if (end == std::string_view::npos) return kUtf8;
  std::string name;
  for (char c : decl.substr(i + 1, end - i - 1)) {
    if (c == '-' || c == '_' || isBlank(c)) continue;
    name += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  }
  for (const NamedKind& known : kNames) {
    if (name == known.name) return known.kind;
  }
  return kRefused;
}

size_t XmlEncodingScan::characterLength(Kind kind, std::string_view bytes, size_t at) {
  const auto byte = [&](size_t i) -> int {
    return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : -1;
  };
  const int lead = byte(at);
  const int next = byte(at + 1);
  if (lead < 0x81 || next < 0) return 1;
  const auto c = static_cast<unsigned char>(next);
  switch (kind) {
    case kShiftJis:
      if (!within(lead, 0x81, 0x9F) && !within(lead, 0xE0, 0xFC)) return 1;
      return within(c, 0x40, 0x7E) || within(c, 0x80, 0xFC) ? 2 : 1;
    case kBig5:
      if (lead == 0xFF) return 1;
      return within(c, 0x40, 0x7E) || within(c, 0xA1, 0xFE) ? 2 : 1;
    case kGb18030:
      if (lead != 0xFF && within(c, 0x30, 0x39)) {
        const int third = byte(at + 2);
        const int fourth = byte(at + 3);
        return third >= 0x81 && third <= 0xFE && fourth >= 0x30 && fourth <= 0x39 ? 4 : 1;
      }
      [[fallthrough]];
    case kGbk:
      if (lead == 0xFF) return 1;
      return within(c, 0x40, 0x7E) || within(c, 0x80, 0xFE) ? 2 : 1;
    case kRefused:
    case kUtf8:
    case kAsciiCompatible:
      break;
  }
  return 1;
}

std::string_view XmlEncodingScan::scannable(Kind kind, std::string_view doc,
                                            std::string* storage) {
  if (kind == kRefused || kind == kUtf8 || kind == kAsciiCompatible) return doc;
  storage->assign(doc);
  std::string& bytes = *storage;
  for (size_t i = 0; i < bytes.size();) {
    // Only a byte from 0x81 up begins a character of more than one byte.
    if (static_cast<unsigned char>(bytes[i]) < 0x81) {
      ++i;
      continue;
    }
    const size_t length = characterLength(kind, bytes, i);
    for (size_t k = 1; k < length; ++k) bytes[i + k] = '\x80';
    i += length;
  }
  return bytes;
}

bool XmlEncodingScan::hasForbiddenCharacter(Kind kind, std::string_view doc) {
  const auto byte = [&](size_t i) -> int {
    return i < doc.size() ? static_cast<unsigned char>(doc[i]) : -1;
  };
  for (size_t i = 0; i < doc.size(); ++i) {
    const int c = byte(i);
    if (c < 0x20) {
      if (c != '\t' && c != '\n' && c != '\r') return true;
      continue;
    }
    if (c < 0x80) continue;
    const int next = byte(i + 1);
    if (kind == kUtf8) {
      // U+FFFE and U+FFFF; the surrogates U+D800..U+DFFF; U+110000 and up. These lead bytes
      // never stand inside another character, so no boundary needs finding.
      if (c == 0xEF && next == 0xBF && (byte(i + 2) == 0xBE || byte(i + 2) == 0xBF)) return true;
      if (c == 0xED && next >= 0xA0 && next <= 0xBF) return true;
      if ((c == 0xF4 && next >= 0x90) || (c >= 0xF5 && c <= 0xF7 && next >= 0x80 && next <= 0xBF)) {
        return true;
      }
    } else if (kind == kGb18030) {
      // U+FFFE and U+FFFF are the four-byte characters 84 31 A4 38 and 84 31 A4 39.
      const size_t length = characterLength(kind, doc, i);
      if (length == 4 && c == 0x84 && next == 0x31 && byte(i + 2) == 0xA4 &&
          (byte(i + 3) == 0x38 || byte(i + 3) == 0x39)) {
        return true;
      }
      i += length - 1;
    }
  }
  return false;
}

}  // namespace zu
