#include "model/atom/XmlEncodingScan.h"

#include <gtest/gtest.h>
#include <libxml/parser.h>

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

TEST(XmlEncodingScanTest, TheScannedAsciiIsTheAsciiTheParserDecodes) {
  // Most of the sequences below are refused by the decoder, which reports each on the console.
  xmlSetGenericErrorFunc(nullptr, ignoreError);
  // Every lead byte, followed by second bytes from each range the decoders treat differently
  // (ASCII markup, letters and digits included), then '[': whatever libxml2 accepts, the
  // masked copy holds exactly the ASCII characters the parser decoded, no more, no fewer.
  const std::vector<unsigned char> seconds = {0x80, 0x81, 0x9F, 0xA0, 0xA1, 0xDF, 0xE0, 0xFC,
                                              0xFD, 0xFE, 0xFF, '0',  '9',  '@',  '[',  ']',
                                              'x',  '"',  '=',  '>',  ' ',  '/'};
  for (const char* encoding : {"Shift_JIS", "CP932", "Big5", "Big5-HKSCS", "CP950", "GBK",
                               "GB2312", "CP936", "GB18030", "EUC-JP", "EUC-KR"}) {
    const std::string head =
        "<?xml version=\"1.0\" encoding=\"" + std::string(encoding) + "\"?>\n<a>";
    const XmlEncodingScan::Kind kind = XmlEncodingScan::kindOf(head);
    ASSERT_NE(kind, XmlEncodingScan::kRefused) << encoding;
    int decoded = 0;
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
      std::vector<std::string> bodies;
      for (unsigned char second : seconds) {
        bodies.push_back({static_cast<char>(lead), static_cast<char>(second), '['});
      }
      // GB18030's four-byte form.
      bodies.push_back({static_cast<char>(lead), '0', '\x81', '0', '['});
      for (const std::string& body : bodies) {
        const std::string doc = head + body + "</a>";
        const auto content = decodedContent(doc);
        if (!content) continue;
        ++decoded;
        std::string storage;
        const std::string_view scanned = XmlEncodingScan::scannable(kind, doc, &storage);
        ASSERT_EQ(scanned.size(), doc.size());
        EXPECT_EQ(asciiOf(scanned.substr(head.size(), body.size())), asciiOf(*content))
            << encoding << " " << std::hex << lead << " " << int(static_cast<unsigned char>(body[1]));
      }
    }
    // The decoder is there: hundreds of these are characters of the encoding.
    EXPECT_GT(decoded, 300) << encoding;
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
}

}  // namespace
}  // namespace zu
