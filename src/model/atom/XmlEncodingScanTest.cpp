#include "model/atom/XmlEncodingScan.h"

#include <gtest/gtest.h>
#include <libxml/parser.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zu {
namespace {

// The ASCII characters of `text`, in order.
std::string asciiOf(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x80) out += c;
  }
  return out;
}

// The text content of the root of `doc` as libxml2 decodes it, or nullopt when it refuses the
// document.
std::optional<std::string> decodedContent(const std::string& doc) {
  xmlDocPtr parsed = xmlReadMemory(doc.data(), static_cast<int>(doc.size()), nullptr, nullptr,
                                   XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (!parsed) return std::nullopt;
  xmlChar* text = xmlNodeGetContent(xmlDocGetRootElement(parsed));
  std::string content = text ? reinterpret_cast<const char*>(text) : "";
  xmlFree(text);
  xmlFreeDoc(parsed);
  return content;
}

void ignoreError(void*, const char*, ...) {}

// Every encoding name glibc's converter knows, as `iconv -l` lists them (libxml2 hands the
// names it does not know itself to that converter).
std::vector<std::string> glibcEncodingNames() {
  std::vector<std::string> names;
  FILE* list = ::popen("iconv -l", "r");
  if (!list) return names;
  std::string text;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, list)) > 0;) text.append(buffer, n);
  ::pclose(list);
  std::string name;
  for (char c : text + "\n") {
    if (c == '\n' || c == ',' || c == ' ') {
      while (!name.empty() && name.back() == '/') name.pop_back();
      if (!name.empty()) names.push_back(name);
      name.clear();
    } else {
      name += c;
    }
  }
  return names;
}

// In the Japanese national variants the bytes of '\\' and '~' are the yen sign and the overline:
// no markup, and no name character in XML either way, so a scan may read them as ASCII.
bool isJapaneseVariantByte(char c) { return c == '\\' || c == '~'; }

TEST(XmlEncodingScanTest, EveryEncodingGlibcKnowsIsRefusedOrReadAsTheParserReadsIt) {
  // Most of the sequences below are refused by the decoder, which reports each on the console.
  xmlSetGenericErrorFunc(nullptr, ignoreError);
  const std::vector<std::string> names = glibcEncodingNames();
  ASSERT_GT(names.size(), 500u) << "iconv -l listed too few names";
  // Every byte alone; then every byte from 0x80 followed by second bytes from each range the
  // multi-byte decoders treat differently (ASCII markup, letters and digits included), then
  // '[': whatever libxml2 accepts, the scan's view holds exactly the ASCII characters the
  // parser decoded, no more, no fewer.
  std::vector<std::string> singles;
  for (int b = 1; b <= 0xFF; ++b) singles.push_back({static_cast<char>(b), '['});
  std::vector<std::string> pairs;
  const std::vector<unsigned char> seconds = {0x80, 0x81, 0x9F, 0xA0, 0xA1, 0xDF, 0xE0, 0xFC,
                                              0xFD, 0xFE, 0xFF, '0',  '9',  '@',  '[',  ']',
                                              'x',  '"',  '=',  '>',  ' ',  '/',  '!'};
  for (int lead = 0x80; lead <= 0xFF; ++lead) {
    for (unsigned char second : seconds) {
      pairs.push_back({static_cast<char>(lead), static_cast<char>(second), '['});
    }
    // GB18030's four-byte form.
    pairs.push_back({static_cast<char>(lead), '0', '\x81', '0', '['});
  }
  std::map<std::string, int> decodedOf;
  for (const std::string& encoding : names) {
    const std::string head = "<?xml version=\"1.0\" encoding=\"" + encoding + "\"?>\n<a>";
    const XmlEncodingScan::Kind kind = XmlEncodingScan::kindOf(head);
    if (kind == XmlEncodingScan::kRefused) continue;
    const bool multiByte = kind != XmlEncodingScan::kUtf8 && kind != XmlEncodingScan::kAsciiCompatible;
    int decoded = 0;
    for (const auto* bodies : {&singles, &pairs}) {
      if (bodies == &pairs && !multiByte) continue;
      for (const std::string& body : *bodies) {
        const std::string doc = head + body + "</a>";
        const auto content = decodedContent(doc);
        if (!content) continue;
        ++decoded;
        std::string storage;
        const std::string_view scanned = XmlEncodingScan::scannable(kind, doc, &storage);
        ASSERT_EQ(scanned.size(), doc.size());
        std::string seen = asciiOf(scanned.substr(head.size(), body.size()));
        // The parser hands a carriage return on as a line feed.
        std::replace(seen.begin(), seen.end(), '\r', '\n');
        if (kind == XmlEncodingScan::kShiftJis && body.size() == 2 && isJapaneseVariantByte(body[0]) &&
            asciiOf(*content) == "[") {
          seen = "[";
        }
        ASSERT_EQ(seen, asciiOf(*content))
            << encoding << " " << std::hex << int(static_cast<unsigned char>(body[0])) << " "
            << int(static_cast<unsigned char>(body[1]));
      }
    }
    decodedOf[encoding] = decoded;
  }
  // The probe reads something: the families' own names are accepted and decoded (every ASCII
  // byte, and most others, are characters of each).
  for (const char* family : {"UTF-8", "US-ASCII", "ISO-8859-7", "ISO-8859-15", "WINDOWS-1251",
                             "CP1252", "EUC-JP", "EUC-KR", "SHIFT_JIS", "CP932", "BIG5",
                             "BIG5-HKSCS", "GBK", "GB2312", "GB18030"}) {
    EXPECT_GT(decodedOf[family], 90) << family;
  }
  xmlSetGenericErrorFunc(nullptr, nullptr);
}

TEST(XmlEncodingScanTest, KindsOfDeclaredEncodings) {
  auto kindOf = [](const std::string& name) {
    return XmlEncodingScan::kindOf("<?xml version='1.0' encoding='" + name + "'?><r/>");
  };
  EXPECT_EQ(XmlEncodingScan::kindOf("<r/>"), XmlEncodingScan::kUtf8);
  EXPECT_EQ(XmlEncodingScan::kindOf("<?xml version='1.0'?><r/>"), XmlEncodingScan::kUtf8);
  EXPECT_EQ(kindOf("utf-8"), XmlEncodingScan::kUtf8);
  EXPECT_EQ(kindOf("iso-8859-15"), XmlEncodingScan::kAsciiCompatible);
  EXPECT_EQ(kindOf("shift_jis"), XmlEncodingScan::kShiftJis);
  EXPECT_EQ(kindOf("Windows-31J"), XmlEncodingScan::kShiftJis);
  EXPECT_EQ(kindOf("big5-hkscs"), XmlEncodingScan::kBig5);
  EXPECT_EQ(kindOf("gbk"), XmlEncodingScan::kGbk);
  EXPECT_EQ(kindOf("GB18030"), XmlEncodingScan::kGb18030);
  // The declaration rules over a UTF-8 byte-order mark, as in the parser.
  EXPECT_EQ(XmlEncodingScan::kindOf("\xEF\xBB\xBF<?xml version='1.0' encoding='Big5'?><r/>"),
            XmlEncodingScan::kBig5);
  EXPECT_EQ(kindOf("x-unknown"), XmlEncodingScan::kRefused);
  // Names are matched whole: a family's prefix does not make a name safe ("!", "?", "[", "]"
  // and ":" are Greek letters in LATIN-GREEK-1).
  EXPECT_EQ(kindOf("LATIN-GREEK-1"), XmlEncodingScan::kRefused);
  EXPECT_EQ(kindOf("ISO-8859-1-X"), XmlEncodingScan::kRefused);
}

}  // namespace
}  // namespace zu
