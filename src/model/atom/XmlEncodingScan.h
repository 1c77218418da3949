// XmlEncodingScan: how a scan of an XML document's raw bytes must read them to see the markup
// the XML parser sees. The scans that bound a document before libxml2 parses it look for ASCII
// markup ('<', '>', '=', quotes, '[', ']'); libxml2 decodes the bytes in the encoding that the
// XML declaration names (a UTF-8 byte-order mark does not override the declaration).
//
//  - UTF-8 (also what the parser reads without a declared encoding), the single-byte encodings
//    and the EUC ones never use a byte below 0x80 inside a multi-byte character: the raw bytes
//    are read as they are.
//  - Shift_JIS, Big5, GBK and GB18030 (and their code-page twins) do: the bytes after the first
//    of a character may be 0x40..0x7E ('[', ']', letters; GB18030 also digits). There the scan
//    reads a copy in which every such byte is replaced by 0x80, so the copy's ASCII bytes are
//    exactly the ASCII characters the parser decodes.
//  - Encodings whose ASCII characters are not single ASCII bytes (UTF-16, UTF-32, UTF-7,
//    ISO-2022, EBCDIC) and names not known here are refused. Names are matched whole against a
//    list of those shown to read every ASCII byte as itself (a test runs every name glibc's
//    converter knows through libxml2): a family's prefix proves nothing ("LATIN-GREEK-1" reads
//    "!", "?", "[", "]" and ":" as Greek letters).
//
// A byte that begins no valid character of the encoding counts as one byte: libxml2 stops at
// the first sequence it cannot decode, so such a document is refused by the parser whatever the
// scan made of it. Static functions only; any thread.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zu {

class XmlEncodingScan {
 public:
  enum Kind {
    kRefused,          // the scan cannot see the markup in the bytes
    kUtf8,             // UTF-8: the raw bytes are read as they are
    kAsciiCompatible,  // another encoding whose raw bytes are read as they are
    kShiftJis,         // the kinds whose characters may hold bytes below 0x80
    kBig5,
    kGbk,
    kGb18030,
  };

  XmlEncodingScan() = delete;

  // The kind of the encoding the parser will read `doc` in: from a zero byte (UTF-16/32), the
  // EBCDIC form of "<?xm", or the declaration's encoding name (none: UTF-8). Names are compared
  // without case, '-', '_' and blanks.
  static Kind kindOf(std::string_view doc);

  // The number of bytes of the character that starts at `at` in the encoding of `kind`: 1 for
  // ASCII, single-byte characters and bytes that begin no valid character.
  static size_t characterLength(Kind kind, std::string_view bytes, size_t at);

  // The bytes a scan reads: `doc` itself for kUtf8 and kAsciiCompatible; for the multi-byte
  // kinds a copy kept in `storage` with every byte after the first of each character set to
  // 0x80.
  static std::string_view scannable(Kind kind, std::string_view doc, std::string* storage);

  // Whether `doc` holds a character that XML does not allow: a control byte other than tab,
  // line feed and carriage return, and in UTF-8 a surrogate, U+FFFE, U+FFFF or a code point
  // past U+10FFFF (in GB18030 U+FFFE and U+FFFF). The parser refuses such a document, but
  // only after reading on: the character ends the comment, CDATA section or processing
  // instruction it stands in, and what follows is read as markup, which a scan that skipped
  // the whole comment never looked at.
  static bool hasForbiddenCharacter(Kind kind, std::string_view doc);
};

}  // namespace zu
