#include "model/atom/AtomParseUtil.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cmath>
#include <cstring>
#include <string>

namespace zu {
namespace {

// The element named `name` anywhere under `node` (depth first), or null.
const xmlNode* find(const xmlNode* node, const char* name) {
  for (const xmlNode* c = node; c; c = c->next) {
    if (c->type == XML_ELEMENT_NODE && std::strcmp(AtomParseUtil::name(c), name) == 0) return c;
    if (const xmlNode* inner = find(c->children, name)) return inner;
  }
  return nullptr;
}

std::string resolve(const std::string& xml, const char* name, const std::string& address) {
  XmlDocPtr doc = AtomParseUtil::readDocument(xml);
  EXPECT_TRUE(doc);
  if (!doc) return {};
  const xmlNode* node = find(xmlDocGetRootElement(doc.get()), name);
  EXPECT_TRUE(node) << name;
  return assembleHrefWithXMLBASE(node, address);
}

TEST(AtomParseUtilTest, RelativePath) {
  EXPECT_FALSE(GetRelativePath("http://a"));
  EXPECT_FALSE(GetRelativePath("https://a"));
  // The bare schemes are too short to count as absolute.
  EXPECT_EQ(GetRelativePath("http://"), "http://");
  EXPECT_EQ(GetRelativePath("https://"), "https://");
  EXPECT_EQ(GetRelativePath("/"), "/");
  EXPECT_EQ(GetRelativePath(""), "");
  EXPECT_EQ(GetRelativePath("/a/b"), "a/b");
  EXPECT_EQ(GetRelativePath("//a"), "/a");
  EXPECT_EQ(GetRelativePath("ftp://x/y"), "ftp://x/y");
  EXPECT_EQ(GetRelativePath("HTTP://A/b"), "HTTP://A/b");  // case-sensitive
}

TEST(AtomParseUtilTest, AddressResolution) {
  const std::string slash = "<feed xml:base='http://h/base/'><link/></feed>";
  const std::string bare = "<feed xml:base='http://h/base'><link/></feed>";
  // Exactly one slash at the joint in every case; the relative part is appended whole.
  EXPECT_EQ(resolve(slash, "link", "a.atom"), "http://h/base/a.atom");
  EXPECT_EQ(resolve(slash, "link", "/a.atom"), "http://h/base/a.atom");
  EXPECT_EQ(resolve(bare, "link", "a.atom"), "http://h/base/a.atom");
  EXPECT_EQ(resolve(bare, "link", "/a.atom"), "http://h/base/a.atom");
  EXPECT_EQ(resolve(slash, "link", "../up/./x"), "http://h/base/../up/./x");
  EXPECT_EQ(resolve(slash, "link", "http://other/x"), "http://other/x");
  EXPECT_EQ(resolve(slash, "link", "https://other/x"), "https://other/x");
  // No base: unchanged.
  EXPECT_EQ(resolve("<feed><link/></feed>", "link", "/a.atom"), "/a.atom");
  // The nearest base wins; a relative inner base resolves against the outer one.
  const std::string nested =
      "<feed xml:base='http://h/outer/'><entry xml:base='http://i/inner/'><link/></entry>"
      "<entry xml:base='sub/'><link2/></entry></feed>";
  EXPECT_EQ(resolve(nested, "link", "x"), "http://i/inner/x");
  EXPECT_EQ(resolve(nested, "link2", "x"), "http://h/outer/sub/x");
  EXPECT_EQ(assembleHrefWithXMLBASE(nullptr, "x"), "x");
}

TEST(AtomParseUtilTest, Integers) {
  EXPECT_EQ(AtomParseUtil::toInt32("42"), 42);
  EXPECT_EQ(AtomParseUtil::toInt32("  \t\n-17abc"), -17);
  EXPECT_EQ(AtomParseUtil::toInt32("+8"), 8);
  EXPECT_EQ(AtomParseUtil::toInt32("007"), 7);
  EXPECT_EQ(AtomParseUtil::toInt32("abc"), 0);
  EXPECT_EQ(AtomParseUtil::toInt32("- 5"), 0);
  EXPECT_EQ(AtomParseUtil::toInt32("3.9"), 3);
  EXPECT_EQ(AtomParseUtil::toInt32("2147483647"), INT32_MAX);
  EXPECT_EQ(AtomParseUtil::toInt32("2147483648"), INT32_MAX);
  EXPECT_EQ(AtomParseUtil::toInt32("-2147483648"), INT32_MIN);
  EXPECT_EQ(AtomParseUtil::toInt32("-2147483649"), INT32_MIN);
  EXPECT_EQ(AtomParseUtil::toInt32(std::string(500, '9').c_str()), INT32_MAX);
}

TEST(AtomParseUtilTest, FloatsAndFlags) {
  EXPECT_DOUBLE_EQ(AtomParseUtil::toDouble("4.5"), 4.5);
  EXPECT_DOUBLE_EQ(AtomParseUtil::toDouble(" +12.5kg"), 12.5);
  EXPECT_DOUBLE_EQ(AtomParseUtil::toDouble("-.5"), -0.5);
  EXPECT_DOUBLE_EQ(AtomParseUtil::toDouble("1e3"), 1000.0);
  EXPECT_DOUBLE_EQ(AtomParseUtil::toDouble("2e"), 2.0);
  EXPECT_DOUBLE_EQ(AtomParseUtil::toDouble("."), 0.0);
  EXPECT_DOUBLE_EQ(AtomParseUtil::toDouble("inf"), 0.0);
  EXPECT_DOUBLE_EQ(AtomParseUtil::toDouble("0x10"), 0.0);
  EXPECT_DOUBLE_EQ(AtomParseUtil::toDouble("1e-99999"), 0.0);
  EXPECT_EQ(AtomParseUtil::toDouble("1e99999"), HUGE_VAL);
  EXPECT_TRUE(AtomParseUtil::toFlag("1"));
  EXPECT_FALSE(AtomParseUtil::toFlag("01"));
  EXPECT_FALSE(AtomParseUtil::toFlag("1 "));
  EXPECT_FALSE(AtomParseUtil::toFlag("true"));
  EXPECT_FALSE(AtomParseUtil::toFlag(""));
}

TEST(AtomParseUtilTest, FirstTextTakesOnlyTheFirstNode) {
  XmlDocPtr doc = AtomParseUtil::readDocument(
      "<r a='' b='x'><t>one<!--c-->two</t><c><![CDATA[<raw>]]></c><e><i/>t</e><n/>"
      "<m><!--c-->t</m><w>\n  <i/></w><s> \n </s><d>\n  <![CDATA[cd]]>\n</d></r>");
  ASSERT_TRUE(doc);
  const xmlNode* root = xmlDocGetRootElement(doc.get());
  auto text = [&](const char* name) -> std::string {
    const char* t = AtomParseUtil::firstText(find(root, name));
    return t ? t : "<none>";
  };
  EXPECT_EQ(text("t"), "one");
  EXPECT_EQ(text("c"), "<raw>");
  EXPECT_EQ(text("e"), "<none>");
  EXPECT_EQ(text("n"), "<none>");
  EXPECT_EQ(text("m"), "<none>");     // a comment is no text
  // Indentation is passed over; an element of white space only keeps it.
  EXPECT_EQ(text("w"), "<none>");
  EXPECT_EQ(text("d"), "cd");
  EXPECT_EQ(text("s"), " \n ");
  EXPECT_EQ(AtomParseUtil::firstText(root->properties), nullptr);  // a='' has no text
  EXPECT_STREQ(AtomParseUtil::firstText(root->properties->next), "x");
}

}  // namespace
}  // namespace zu

namespace zu {
namespace {

std::string elementWithAttributes(int n, const char* prefix = "a") {
  std::string s = "<r";
  for (int i = 0; i < n; ++i) s += " " + std::string(prefix) + std::to_string(i) + "='x=y'";
  return s + "/>";
}

TEST(AtomParseUtilTest, StructureLimitsRefuseQuadraticInput) {
  const int max = AtomParseUtil::kMaxAttributesPerElement;
  EXPECT_TRUE(AtomParseUtil::readDocument(elementWithAttributes(max)));
  EXPECT_FALSE(AtomParseUtil::readDocument(elementWithAttributes(max + 1)));
  // A megabyte of attributes on one element would keep libxml2 busy for minutes.
  EXPECT_FALSE(AtomParseUtil::readDocument(elementWithAttributes(100000)));
  // Many elements each within the bound are fine.
  std::string many = "<r>";
  for (int i = 0; i < 200; ++i) many += elementWithAttributes(10);
  EXPECT_TRUE(AtomParseUtil::readDocument(many + "</r>"));
  // '=' in comments, CDATA, processing instructions, quoted values and text is no attribute.
  const std::string noise(500, '=');
  EXPECT_TRUE(AtomParseUtil::readDocument("<?pi " + noise + "?><r a='" + noise + "'><!--" +
                                          noise + "--><![CDATA[" + noise + "]]>" + noise +
                                          "</r>"));
  EXPECT_TRUE(AtomParseUtil::readDocument("<!DOCTYPE r [<!-- " + noise + " -->]><r/>"));
  // A quote inside a processing instruction of the internal subset opens no literal that
  // would hide the elements after the declaration from the bound.
  EXPECT_TRUE(AtomParseUtil::readDocument("<!DOCTYPE r [<?pi ' " + noise + "?>]><r/>"));
  EXPECT_FALSE(AtomParseUtil::readDocument("<!DOCTYPE r [<?pi ' ?>]>" +
                                           elementWithAttributes(max + 1)));
  // The bound holds in whatever encoding the document declares: one whose bytes would hide the
  // markup from the scan is refused, an ASCII-compatible one is read.
  std::string utf7 = elementWithAttributes(max + 1);
  for (size_t at; (at = utf7.find('=')) != std::string::npos;) utf7.replace(at, 1, "+AD0-");
  utf7.replace(0, 1, "+ADw-");
  EXPECT_FALSE(AtomParseUtil::readDocument("<?xml version='1.0' encoding='UTF-7'?>" + utf7));
  EXPECT_FALSE(AtomParseUtil::readDocument("<?xml version='1.0' encoding='ISO-2022-JP'?><r/>"));
  EXPECT_FALSE(AtomParseUtil::readDocument(std::string("\xFF\xFE<\0r\0/\0>\0", 10)));
  for (const char* encoding : {"utf-8", "GBK", "gb2312", "ISO-8859-1", "Big5", "windows-1252"}) {
    EXPECT_TRUE(AtomParseUtil::readDocument("\xEF\xBB\xBF<?xml version=\"1.0\" encoding = \"" +
                                            std::string(encoding) + "\"?><r a='1'/>"))
        << encoding;
  }
  EXPECT_TRUE(AtomParseUtil::readDocument("<?xml version='1.0'?><r/>"));
  // Namespace declarations are bounded while in scope.
  std::string nested;
  for (int i = 0; i <= AtomParseUtil::kMaxNamespaceDeclarations; ++i) {
    nested += "<e xmlns:p" + std::to_string(i) + "='urn:" + std::to_string(i) + "'>";
  }
  for (int i = 0; i <= AtomParseUtil::kMaxNamespaceDeclarations; ++i) nested += "</e>";
  EXPECT_FALSE(AtomParseUtil::readDocument(nested));
  // A declaration is counted however the name and the '=' are spaced or packed.
  for (const char* form : {"xmlns:p%d = 'urn:%d'", "xmlns:p%d\t='urn:%d'", "xmlns:p%d=\"urn:%d\""}) {
    std::string spaced = "<r";
    for (int i = 0; i <= AtomParseUtil::kMaxNamespaceDeclarations; ++i) {
      char attribute[64];
      std::snprintf(attribute, sizeof attribute, form, i, i);
      spaced += std::string(i % 2 ? " " : "\n") + attribute;
    }
    EXPECT_FALSE(AtomParseUtil::readDocument(spaced + "/>")) << form;
  }
  EXPECT_TRUE(AtomParseUtil::readDocument("<r a='1' xmlns:b = 'urn:b' c=\"xmlns:d='e'\"/>"));
  EXPECT_TRUE(AtomParseUtil::readDocument("<feed xmlns='urn:a' xmlns:vesk='urn:v'/>"));
  // A declaration leaves scope with its element: a long feed whose entries (open or empty
  // elements) each repeat their declarations is an ordinary document.
  std::string siblings = "<feed xmlns='urn:a'>";
  for (int i = 0; i < 3 * AtomParseUtil::kMaxNamespaceDeclarations; ++i) {
    siblings += "<entry xmlns:vesk='urn:v' xmlns:x='urn:x'><id>" + std::to_string(i) +
                "</id></entry><vesk:c xmlns:vesk='urn:v'/>";
  }
  EXPECT_TRUE(AtomParseUtil::readDocument(siblings + "</feed>"));
  // Closing unrelated elements does not take an ancestor's declarations out of scope.
  std::string deepThenNested = "<r xmlns:q='urn:q'><a><b/></a>";
  for (int i = 0; i < AtomParseUtil::kMaxNamespaceDeclarations; ++i) {
    deepThenNested += "<e xmlns:p" + std::to_string(i) + "='urn:" + std::to_string(i) + "'>";
  }
  for (int i = 0; i < AtomParseUtil::kMaxNamespaceDeclarations; ++i) deepThenNested += "</e>";
  EXPECT_FALSE(AtomParseUtil::readDocument(deepThenNested + "</r>"));
}

TEST(AtomParseUtilTest, MultiByteEncodingsAreScannedByTheirCharacters) {
  // In these encodings the second byte of a character may be '[' or ']'. Read byte by byte,
  // "<!DOCTYPE feed" followed by such a character opens an internal subset that never closes,
  // and such a character before "]>" ends a CDATA section that the parser still reads (so a
  // comment opened inside it seems to hide what follows);
  // either hid the element after it, and its 100,000 attributes kept libxml2 busy for tens of
  // seconds. Each character below is valid in its encoding (GB2312, read as EUC-CN, has
  // no such characters).
  std::string attributes;
  for (int i = 0; i < 100000; ++i) attributes += " a" + std::to_string(i) + "=''";
  const struct {
    const char* name;
    const char* opening;  // a character whose second byte is '['
    const char* closing;  // ... and one whose second byte is ']'
  } encodings[] = {
      {"Shift_JIS", "\x83\x5B", "\x83\x5D"}, {"CP932", "\x83\x5B", "\x83\x5D"},
      {"Big5", "\xA4\x5B", "\xA4\x5D"},      {"Big5-HKSCS", "\xA4\x5B", "\xA4\x5D"},
      {"CP950", "\xA4\x5B", "\xA4\x5D"},     {"GBK", "\x83\x5B", "\x83\x5D"},
      {"CP936", "\x83\x5B", "\x83\x5D"},     {"GB18030", "\x83\x5B", "\x83\x5D"},
  };
  for (const auto& e : encodings) {
    const std::string decl = "<?xml version=\"1.0\" encoding=\"" + std::string(e.name) + "\"?>\n";
    const std::string subset = decl + "<!DOCTYPE feed" + e.opening + "><feed" + attributes + "/>";
    EXPECT_FALSE(AtomParseUtil::readDocument(subset)) << e.name;
    const std::string cdata = decl + "<feed><![CDATA[" + e.closing + "]><!--]]><e" + attributes +
                              "/>--></feed>";
    EXPECT_FALSE(AtomParseUtil::readDocument(cdata)) << e.name;
    // The same characters in an ordinary document are read.
    const std::string ordinary = decl + "<!DOCTYPE feed><feed a='" + e.opening + "'><![CDATA[" +
                                 e.closing + "]]><e b='1'/></feed>";
    EXPECT_TRUE(AtomParseUtil::readDocument(ordinary)) << e.name;
  }
}

TEST(AtomParseUtilTest, FaultsAtWhichTheParserReadsOnAreRefused) {
  // libxml2 reports each of these faults and then reads on from the fault as markup, so an
  // element the scan skipped (inside a comment, a CDATA section, a processing instruction, a
  // quoted value or the document type declaration) was parsed after all: 5,000 attributes
  // here, and a few megabytes of them kept the parser busy for tens of seconds before it
  // refused the document.
  std::string attributes;
  for (int i = 0; i < 5000; ++i) attributes += " a" + std::to_string(i) + "=\"\"";
  const std::string e = "<e" + attributes + "></e>";
  const std::string hidden[] = {
      // A character XML does not allow ends a comment, a CDATA section or an instruction.
      "<r><!-- \x01" + e + " --></r>",
      "<r><![CDATA[ab\x0b" + e + "]]></r>",
      "<r><?p \x1f" + e + " ?></r>",
      "<r><!-- \xEF\xBF\xBF" + e + " --></r>",
      "<r><!-- \xED\xA0\x80" + e + " --></r>",
      "<r><!-- \xF4\x90\x80\x80" + e + " --></r>",
      "<?xml version=\"1.0\" encoding=\"GB18030\"?><r><!-- \x84\x31\xA4\x39" + e + " --></r>",
      // A '<' ends an attribute value, and the tag.
      "<r><f x=\"" + e + "\"/></r>",
      "<r><f x='" + e + "'/></r>",
      // An instruction without a target ends right after "<?".
      "<r><? " + e + " ?></r>",
      // A malformed XML declaration ends at its first '>'.
      "<?xml version=\"1.0\" x>" + e + "<?p ?>",
      // A document type declaration broken off reads on from the next character.
      "<!DOCTYPE r X" + e,
      "<!DOCTYPE r [<!-- c -->]" + e,
  };
  for (const std::string& doc : hidden) {
    EXPECT_FALSE(AtomParseUtil::withinStructureLimits(doc.data(), doc.size())) << doc.substr(0, 40);
    EXPECT_FALSE(AtomParseUtil::readDocument(doc)) << doc.substr(0, 40);
  }

  // What a well-formed document holds in those places is read.
  const std::string fine[] = {
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<?xml-stylesheet href=\"a.css\"?>"
      "<!DOCTYPE r SYSTEM \"x<y.dtd\" [<!-- a < b --><?p a > b?>]>"
      "<r a=\"x > y\" b='\"'>\t<!-- x > y --><![CDATA[<p class=\"c\">it's</p>]]>"
      "<?q <not> a tag?>\xE2\x82\xAC \xEF\xBF\xBD \xF0\x9F\x98\x80 \xED\x9F\xBF</r>",
      "<?xml version='1.0' encoding='GB18030'?><r>\x84\x31\xA4\x37 \x81\x30\x81\x30</r>",
      "<r>\r\n</r>",
  };
  for (const std::string& doc : fine) {
    EXPECT_TRUE(AtomParseUtil::withinStructureLimits(doc.data(), doc.size())) << doc.substr(0, 40);
    EXPECT_TRUE(AtomParseUtil::readDocument(doc)) << doc.substr(0, 40);
  }
}

// An HTML img tag carrying `n` attributes besides its src: names alone, blank-separated, or
// with quoted values and no blank between them.
std::string htmlImgWithAttributes(int n, bool valued = false) {
  std::string s = "<p>text</p><img src='a.png'";
  for (int i = 0; i < n; ++i) s += valued ? "a" + std::to_string(i) + "='v'" : " a" + std::to_string(i);
  return s + ">";
}

TEST(AtomParseUtilTest, HtmlPagesWithTooManyAttributesOnOneElementAreRefused) {
  // libxml2's HTML parser compares every attribute of a tag with each earlier one: a page of a
  // few megabytes of attributes on one tag would keep it busy for hours.
  const int max = AtomParseUtil::kMaxAttributesPerElement;
  EXPECT_TRUE(AtomParseUtil::readHtmlDocument(htmlImgWithAttributes(max - 1)));
  EXPECT_FALSE(AtomParseUtil::readHtmlDocument(htmlImgWithAttributes(max + 1)));
  EXPECT_FALSE(AtomParseUtil::readHtmlDocument(htmlImgWithAttributes(100000)));
  EXPECT_TRUE(AtomParseUtil::readHtmlDocument(htmlImgWithAttributes(max - 1, true)));
  EXPECT_FALSE(AtomParseUtil::readHtmlDocument(htmlImgWithAttributes(max + 1, true)));
  // The parser takes a long name in pieces of 100 characters, each its own attribute.
  std::string longName;
  for (int i = 0; i < 2 * max; ++i) {
    const std::string n = std::to_string(i);
    longName += "n" + std::string(99 - n.size(), 'x') + n;
  }
  EXPECT_FALSE(AtomParseUtil::readHtmlDocument("<img " + longName + ">"));
  // A piece that cannot begin a name is skipped up to the next blank, into what would
  // otherwise have been a quoted value.
  std::string names;
  for (int i = 0; i <= max; ++i) names += " b" + std::to_string(i);
  EXPECT_FALSE(
      AtomParseUtil::readHtmlDocument("<img " + std::string(100, 'n') + "1='" + names + "'>"));
  // A quote inside a comment opens no value that would hide the tag after it.
  EXPECT_FALSE(AtomParseUtil::readHtmlDocument("<!-- <b c=' -->" +
                                               htmlImgWithAttributes(max + 1) + "'"));
  // Ordinary pages are read: many elements each within the bound, long quoted values full of
  // words and '>', script text.
  std::string page = "<html><head><meta name='description' content='";
  for (int i = 0; i < 500; ++i) page += "word" + std::to_string(i) + " > ";
  page += "'><script>for (var i = 0; i < n; i++) { a b c d e f g h }</script></head><body>";
  for (int i = 0; i < 300; ++i) page += htmlImgWithAttributes(20);
  EXPECT_TRUE(AtomParseUtil::readHtmlDocument(page + "</body></html>"));
}

}  // namespace
}  // namespace zu
