#include "platform/runtime/PropertyList.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <limits>

#include "platform/runtime/Paths.h"
#include "testing/TempHome.h"
#include "testing/TestFiles.h"

namespace zu {
namespace {

Value roundTrip(const Value& v) {
  std::string error;
  auto text = PropertyList::serialize(v, &error);
  EXPECT_TRUE(text) << error;
  if (!text) return Value();
  auto back = PropertyList::parse(*text, &error);
  EXPECT_TRUE(back) << error << "\n" << *text;
  return back ? *back : Value();
}

TEST(PropertyListTest, NestedValuesRoundTrip) {
  Bytes data;
  for (int i = 0; i < 256; ++i) data.push_back(static_cast<uint8_t>(i));
  Dictionary inner{{"zeta", 1}, {"alpha", Value(Array{Value("a"), Value(2.5), Value(false)})}};
  Value v(Dictionary{
      {"name", "Zürich ✓ 日本語 😀"},
      {"escaped", "<a href=\"x\">&amp; ]]> </a>\r\n\ttab"},
      {"empty", ""},
      {"max", std::numeric_limits<int64_t>::max()},
      {"min", std::numeric_limits<int64_t>::min()},
      {"real", 0.1},
      {"tiny", 5e-324},
      {"yes", true},
      {"data", Value(data)},
      {"noData", Value(Bytes{})},
      {"inner", Value(inner)},
      {"emptyArray", Value(Array{})},
      {"emptyDict", Value(Dictionary{})},
  });
  Value back = roundTrip(v);
  EXPECT_EQ(back, v);
  // Dictionary order is the document order.
  ASSERT_TRUE(back.isDictionary());
  EXPECT_EQ(back.asDictionary()->get("inner").asDictionary()->keyAt(0), "zeta");
  // The 1-, 2- and 3-byte Base64 tails.
  for (size_t n : {1u, 2u, 3u, 4u})
    EXPECT_EQ(roundTrip(Value(Bytes(data.begin(), data.begin() + n))),
              Value(Bytes(data.begin(), data.begin() + n)));
}

TEST(PropertyListTest, DatesAndSpecialReals) {
  auto date = std::make_shared<PropertyListDate>(1234567890.0);
  EXPECT_EQ(date->description(), "2009-02-13T23:31:30Z");
  Value back = roundTrip(Value(Array{Value(date), Value(std::make_shared<PropertyListDate>(-1.0))}));
  ASSERT_TRUE(back.isArray());
  auto d0 = back.asArray()->at(0).asObject<PropertyListDate>();
  auto d1 = back.asArray()->at(1).asObject<PropertyListDate>();
  ASSERT_TRUE(d0 && d1);
  EXPECT_EQ(d0->secondsSince1970(), 1234567890.0);
  EXPECT_EQ(d1->description(), "1969-12-31T23:59:59Z");

  Value reals = roundTrip(Value(Array{Value(std::numeric_limits<double>::infinity()),
                                      Value(-std::numeric_limits<double>::infinity()),
                                      Value(std::nan(""))}));
  ASSERT_TRUE(reals.isArray());
  EXPECT_EQ(*reals.asArray()->at(0).asDouble(), std::numeric_limits<double>::infinity());
  EXPECT_EQ(*reals.asArray()->at(1).asDouble(), -std::numeric_limits<double>::infinity());
  EXPECT_TRUE(std::isnan(*reals.asArray()->at(2).asDouble()));
}

TEST(PropertyListTest, ReadsFilesWrittenByOtherTools) {
  auto v = PropertyList::parse(R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//X//DTD PLIST 1.0//EN" "http://127.0.0.1:1/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
  <!-- a comment -->
  <key>count</key> <integer> +42 </integer>
  <key>ratio</key><real>-1.5E3</real>
  <key>cdata</key><string><![CDATA[<b>&</b>]]></string>
  <key>blob</key><data>
    AAEC
    /w==
  </data>
  <key>when</key><date>2001-01-01T00:00:00Z</date>
  <key>count</key><integer>43</integer>
</dict>
</plist>)");
  ASSERT_TRUE(v);
  const Dictionary& d = *v->asDictionary();
  EXPECT_EQ(d.size(), 5u);
  EXPECT_EQ(d.get("count"), Value(43));  // a repeated key: the later value wins
  EXPECT_EQ(d.get("ratio"), Value(-1500.0));
  EXPECT_EQ(d.get("cdata"), Value("<b>&</b>"));
  EXPECT_EQ(d.get("blob"), Value(Bytes{0, 1, 2, 0xFF}));
  EXPECT_EQ(d.get("when").asObject<PropertyListDate>()->secondsSince1970(), 978307200.0);
}

TEST(PropertyListTest, MalformedInputFailsCleanly) {
  const char* cases[] = {
      "",
      "not xml",
      "<plist><dict><key>a</key></dict></plist>",                   // key without value
      "<plist><dict><string>a</string></dict></plist>",             // value without key
      "<plist><dict><key>a</key><string>x</string>",                // truncated
      "<plist><integer>9223372036854775808</integer></plist>",      // above int64
      "<plist><integer>-9223372036854775809</integer></plist>",
      "<plist><integer>12abc</integer></plist>",
      "<plist><integer></integer></plist>",
      "<plist><real>1.5x</real></plist>",
      "<plist><data>AB$C</data></plist>",
      "<plist><data>A</data></plist>",
      "<plist><date>2001-13-01T00:00:00Z</date></plist>",
      "<plist><date>yesterday</date></plist>",
      "<plist><true>x</true></plist>",
      "<plist><unknown/></plist>",
      "<plist></plist>",
      "<plist><true/><false/></plist>",
      "<plist><array>stray<true/></array></plist>",
      "<plist><string>a<b/>c</string></plist>",
      "<plist><string>\x01</string></plist>",
      "<plist><string>\xff\xfe</string></plist>",
  };
  for (const char* c : cases) {
    std::string error;
    EXPECT_FALSE(PropertyList::parse(c, &error)) << c;
    EXPECT_FALSE(error.empty()) << c;
  }

  // Deep nesting is refused, not a stack overflow.
  std::string deep = "<plist>";
  for (int i = 0; i < 100000; ++i) deep += "<array>";
  EXPECT_FALSE(PropertyList::parse(deep));
}

// A file that is missing, a folder or a named pipe (the preferences at launch) is a clean
// failure, and a pipe is never waited on.
TEST(PropertyListTest, OnlyARegularFileIsRead) {
  TempHome home;
  const auto pipe = home.path() / "prefs.plist";
  TestFiles::makePipe(pipe);
  std::optional<Value> read = Value();
  std::string error;
  EXPECT_TRUE(TestFiles::finishesBesidePipes([&] { read = PropertyList::readFile(pipe, &error); },
                                             {pipe}));
  EXPECT_FALSE(read);
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(PropertyList::readFile(home.path()));
  EXPECT_FALSE(PropertyList::readFile(home.path() / "missing.plist"));
}

TEST(PropertyListTest, EntitiesAreNeitherExpandedNorLoaded) {
  TempHome home;
  std::filesystem::path secret = home.path() / "secret.txt";
  std::ofstream(secret) << "secret";
  std::string external = "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY x SYSTEM \"file://" +
                         secret.string() + "\">]><plist><string>&x;</string></plist>";
  auto v = PropertyList::parse(external);
  EXPECT_TRUE(!v || v->stringValue().value_or("").find("secret") == std::string::npos);
  EXPECT_FALSE(v);

  std::string laughs = "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY a \"aaaaaaaaaa\">"
                       "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
                       "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
                       "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">]>"
                       "<plist><string>&d;&d;&d;&d;</string></plist>";
  EXPECT_FALSE(PropertyList::parse(laughs));
  // Nothing of the internal subset is read: attribute defaults would give every element all
  // of their attributes, element and notation declarations have no use either.
  std::string defaults = "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ATTLIST plist";
  for (int i = 0; i < 20000; ++i) defaults += " a" + std::to_string(i) + " CDATA \"x\"";
  defaults += ">]><plist><string>s</string></plist>";
  std::string error;
  EXPECT_FALSE(PropertyList::parse(defaults, &error));
  EXPECT_EQ(error, "declarations in the document type are not allowed");
  for (const char* declaration : {"<!ATTLIST string kind (a|b) 'a'>", "<!ELEMENT plist ANY>",
                                  "<!NOTATION n SYSTEM 'n'>"}) {
    EXPECT_FALSE(PropertyList::parse("<?xml version=\"1.0\"?><!DOCTYPE plist [" +
                                     std::string(declaration) +
                                     "]><plist><string>s</string></plist>"))
        << declaration;
  }
  // Comments there are harmless, and the usual declaration of the type is read.
  EXPECT_EQ(PropertyList::parse("<!DOCTYPE plist [<!-- note -->]><plist><string>s</string>"
                                "</plist>"),
            Value("s"));
  // The predefined entities and character references still read as text.
  EXPECT_EQ(PropertyList::parse("<plist><string>&lt;&#233;&#x1F600;&amp;</string></plist>"),
            Value("<é😀&"));
}

TEST(PropertyListTest, ValuesAPropertyListCannotCarryAreRefused) {
  EXPECT_FALSE(PropertyList::serialize(Value()));
  EXPECT_FALSE(PropertyList::serialize(Value(Array{Value(1), Value()})));
  EXPECT_FALSE(PropertyList::serialize(Value(std::make_shared<Object>())));
  // Text that would make the file unreadable: control characters, broken UTF-8, surrogates.
  EXPECT_FALSE(PropertyList::serialize(Value("bell\x07")));
  EXPECT_FALSE(PropertyList::serialize(Value("\xc3")));
  EXPECT_FALSE(PropertyList::serialize(Value("\xed\xa0\x80")));
  EXPECT_FALSE(PropertyList::serialize(Value(Dictionary{{"\x01", 1}})));
}

TEST(PropertyListTest, WriteFileReplacesAtomically) {
  TempHome home;
  auto file = Paths::documents() / "x.plist";
  ASSERT_TRUE(PropertyList::writeFile(Value(Dictionary{{"a", 1}}), file));
  ASSERT_TRUE(PropertyList::writeFile(Value(Dictionary{{"a", 2}}), file));
  EXPECT_EQ(PropertyList::readFile(file), Value(Dictionary{{"a", 2}}));
  // A failed write keeps the old file and leaves no temp file behind.
  EXPECT_FALSE(PropertyList::writeFile(Value(), file));
  EXPECT_EQ(PropertyList::readFile(file), Value(Dictionary{{"a", 2}}));
  size_t files = 0;
  for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(Paths::documents())) ++files;
  EXPECT_EQ(files, 1u);
  std::string error;
  EXPECT_FALSE(PropertyList::writeFile(Value(1), home.path() / "missing" / "dir" / "x.plist",
                                       &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(PropertyList::readFile(home.path() / "absent.plist"));
}

}  // namespace
}  // namespace zu
