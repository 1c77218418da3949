#include "common/KjJSON.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace zu {
namespace {

struct ErrorCase {
  const char* input;
  int code;
  const char* description;  // the outermost error
};

std::string lastDescription(const KjJsonBase& worker) {
  return worker.lastError() ? worker.lastError()->description : "<no error>";
}

TEST(KjJsonParserTest, MalformedInputGivesTheOutermostErrorOfTheTable) {
  const std::vector<ErrorCase> cases = {
      {"+1", 2, "Leading + disallowed in number"},
      {"01", 2, "Leading 0 disallowed in number"},
      {"-01", 2, "Leading 0 disallowed in number"},
      {"-", 2, "No digits after initial minus"},
      {"-x", 2, "No digits after initial minus"},
      {"1.", 2, "No digits after decimal point"},
      {"1.e5", 2, "No digits after decimal point"},
      {"1e", 2, "No digits after exponent"},
      {"1E+", 2, "No digits after exponent"},
      {"1e400", 2, "Failed creating decimal instance"},
      {"@", 3, "Unrecognised leading character"},
      {"tru", 3, "Expected 'true'"},
      {"fals e", 3, "Expected 'false'"},
      {"nul", 3, "Expected 'null'"},
      {"[@]", 3, "Expected value while parsing array"},
      {"{1:2}", 3, "Object key string expected"},
      {"{\"a\" 1}", 3, "Expected ':' separating key and value"},
      {"{\"a\":}", 3, "Object value expected for key: a"},
      {"\"a\x01\"", 5, "Unescaped control character '0x1'"},
      {"\"\x1f\"", 5, "Unescaped control character '0x1f'"},
      {"\"\\u12G4\"", 6, "Broken unicode character"},
      {"\"\\ud800\"", 6, "Broken unicode character"},
      {"\"\xff\"", 6, "Broken unicode character"},
      {"\"\xC0\xAF\"", 6, "Broken unicode character"},          // overlong '/'
      {"\"\xED\xA0\x80\"", 6, "Broken unicode character"},      // encoded surrogate
      {"\"\xF4\x90\x80\x80\"", 6, "Broken unicode character"},  // past U+10FFFF
      {"\"\xE4\xB8\"", 6, "Broken unicode character"},          // cut short
      {"\"\\q\"", 8, "Illegal escape sequence '0x71'"},
      {"[1,]", 9, "Trailing comma disallowed in array"},
      {"[1 , \n]", 9, "Trailing comma disallowed in array"},
      {"{\"a\":1,}", 9, "Trailing comma disallowed in object"},
      {"true false", 10, "Garbage after JSON"},
      {"12abc", 10, "Garbage after JSON"},
      {"", 11, "Unexpected end of string"},
      {"  ", 11, "Unexpected end of string"},
      {"[1", 11, "End of input while parsing array"},
      {"{\"a\":1", 11, "End of input while parsing object"},
      {"\"abc", 11, "Unexpected EOF while parsing string"},
  };
  KjJsonParser parser;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    EXPECT_FALSE(parser.fragmentWithString(std::string_view(c.input)));
    ASSERT_TRUE(parser.lastError());
    EXPECT_EQ(parser.lastError()->code, c.code);
    EXPECT_EQ(parser.lastError()->description, c.description);
  }
  EXPECT_FALSE(parser.fragmentWithString(std::nullopt));
  EXPECT_EQ(parser.errorTrace(), (std::vector<JsonError>{{12, "Input was 'nil'"}}));
}

TEST(KjJsonParserTest, ErrorTraceChainsInnerCausesAndIsClearedByTheNextParse) {
  KjJsonParser parser;
  EXPECT_FALSE(parser.fragmentWithString("[\"\\u12x4\"]"));
  EXPECT_EQ(parser.errorTrace(), (std::vector<JsonError>{
                                     {6, "Missing hex digit in quad"},
                                     {6, "Missing hex quad"},
                                     {6, "Broken unicode character"},
                                     {3, "Expected value while parsing array"},
                                 }));
  EXPECT_FALSE(parser.fragmentWithString("\"\\udc00\""));
  EXPECT_EQ(parser.errorTrace(), (std::vector<JsonError>{
                                     {6, "Invalid high character in surrogate pair"},
                                     {6, "Broken unicode character"},
                                 }));
  EXPECT_FALSE(parser.fragmentWithString("\"\\ud800\\u0041\""));
  EXPECT_EQ(parser.errorTrace()[0].description, "Invalid low surrogate char");
  EXPECT_FALSE(parser.fragmentWithString("\"\\ud800x\""));
  EXPECT_EQ(parser.errorTrace()[0].description, "Missing low character in surrogate pair");

  EXPECT_TRUE(parser.fragmentWithString("1"));
  EXPECT_TRUE(parser.errorTrace().empty());
}

TEST(KjJsonParserTest, ValuesMapToTheirTypes) {
  KjJsonParser parser;
  auto v = parser.objectWithString(
      " {\"s\":\"a\\\"\\\\\\/\\b\\f\\n\\r\\t\", \"i\":-42, \"d\":12.50, \"e\":1E2, \"t\":true,"
      " \"f\":false, \"n\":null, \"a\":[1 2], \"o\":{}, \"u\":\"\\u00e9\\u4E2D\", \"x\":\"é中\"} ");
  ASSERT_TRUE(v) << lastDescription(parser);
  const Dictionary& d = *v->asDictionary();
  EXPECT_EQ(d.keys(), (std::vector<std::string>{"s", "i", "d", "e", "t", "f", "n", "a", "o", "u", "x"}));
  EXPECT_EQ(*d.get("s").asString(), "a\"\\/\b\f\n\r\t");
  ASSERT_TRUE(d.get("i").isInt());
  EXPECT_EQ(*d.get("i").asInt(), -42);
  ASSERT_TRUE(d.get("d").isDouble());
  EXPECT_EQ(*d.get("d").asDouble(), 12.5);
  EXPECT_EQ(*d.get("e").asDouble(), 100.0);
  EXPECT_EQ(d.get("t"), Value(true));
  EXPECT_EQ(d.get("f"), Value(false));
  EXPECT_TRUE(d.get("n").isNull());
  EXPECT_EQ(d.get("a"), Value(Array{1, 2}));  // no comma needed between elements
  EXPECT_TRUE(d.get("o").asDictionary()->empty());
  EXPECT_EQ(*d.get("u").asString(), "\xC3\xA9\xE4\xB8\xAD");
  EXPECT_EQ(*d.get("x").asString(), "\xC3\xA9\xE4\xB8\xAD");

  // A later duplicate key replaces the earlier value in its place.
  auto dup = parser.objectWithString("{\"k\":1,\"j\":2,\"k\":3}");
  ASSERT_TRUE(dup);
  EXPECT_EQ(dup->asDictionary()->keys(), (std::vector<std::string>{"k", "j"}));
  EXPECT_EQ(dup->asDictionary()->get("k"), Value(3));

  // An escaped surrogate pair is one character above U+FFFF; an escaped NUL is kept.
  auto pair = parser.fragmentWithString("\"\\ud83d\\ude00\\u0000!\"");
  ASSERT_TRUE(pair) << lastDescription(parser);
  EXPECT_EQ(*pair->asString(), std::string("\xF0\x9F\x98\x80\0!", 6));
}

TEST(KjJsonParserTest, IntegersAreExactAcrossTheWholeSixtyFourBitRange) {
  KjJsonParser parser;
  auto v = parser.objectWithString(
      "[9223372036854775807, -9223372036854775808, 9007199254740993, 3600000000000000001, 0, -0]");
  ASSERT_TRUE(v) << lastDescription(parser);
  const Array& a = *v->asArray();
  for (const auto& n : a) EXPECT_TRUE(n.isInt());
  EXPECT_EQ(*a[0].asInt(), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(*a[1].asInt(), std::numeric_limits<int64_t>::min());
  EXPECT_EQ(*a[2].asInt(), 9007199254740993);  // 2^53 + 1: not a double
  EXPECT_EQ(*a[3].asInt(), 3600000000000000001);
  EXPECT_EQ(*a[5].asInt(), 0);

  // Past 64 bits an integer becomes the nearest double rather than failing.
  auto big = parser.fragmentWithString("18446744073709551616");
  ASSERT_TRUE(big && big->isDouble());
  EXPECT_EQ(*big->asDouble(), 18446744073709551616.0);
  auto small = parser.fragmentWithString("-9223372036854775809");
  ASSERT_TRUE(small && small->isDouble());
}

TEST(KjJsonParserTest, TopLevelRulesForObjectsAndFragments) {
  KjJsonParser parser;
  EXPECT_FALSE(parser.objectWithString("42"));
  EXPECT_EQ(parser.errorTrace(), (std::vector<JsonError>{{4, "Valid fragment, but not JSON"}}));
  EXPECT_EQ(parser.fragmentWithString("42"), Value(42));
  EXPECT_EQ(parser.fragmentWithString(" \t\r\n\v\ftrue \n"), Value(true));
  // The text ends at a NUL byte, as a C string does.
  EXPECT_EQ(parser.objectWithString(std::string_view("[1]\0garbage", 11)), Value(Array{1}));
  EXPECT_FALSE(parser.fragmentWithString(std::string_view("\"a\0b\"", 5)));
  EXPECT_EQ(parser.lastError()->description, "Unexpected EOF while parsing string");
}

std::string nested(unsigned depth, const char* open, const char* close) {
  std::string s;
  for (unsigned i = 0; i < depth; ++i) s += open;
  for (unsigned i = 0; i < depth; ++i) s += close;
  return s;
}

TEST(KjJsonParserTest, NestingLimitHoldsEvenWhenUnlimitedIsAsked) {
  KjJsonParser parser;
  EXPECT_EQ(parser.maxDepth(), 512u);
  EXPECT_TRUE(parser.objectWithString(nested(512, "[", "]"))) << lastDescription(parser);
  EXPECT_FALSE(parser.objectWithString(nested(513, "[", "]")));
  EXPECT_EQ(parser.errorTrace().front(), (JsonError{7, "Nested too deep"}));
  EXPECT_FALSE(parser.objectWithString(nested(513, "{\"k\":", "}")));
  EXPECT_EQ(parser.errorTrace().front().code, 7);

  // 0 asks for no limit; the hard cap still stops hostile input before the stack runs out.
  parser.setMaxDepth(0);
  EXPECT_TRUE(parser.objectWithString(nested(KjJsonBase::kHardMaxDepth, "[", "]")));
  EXPECT_FALSE(parser.objectWithString(std::string(1000000, '[')));
  EXPECT_EQ(parser.errorTrace().front().code, 7);
}

TEST(KjJsonWriterTest, WritesValuesCompactly) {
  KjJsonWriter writer;
  Dictionary d;
  d.set("b", Value(true));
  d.set("a", Value(Array{Value(1), Value(-2.5), Value(), Value("x")}));
  d.set("i", Value(std::numeric_limits<int64_t>::min()));
  d.set("s", Value(std::string("q\"b\\s/\b\t\n\f\r\x01\x1f\xC3\xA9", 15)));
  EXPECT_EQ(writer.stringWithObject(Value(d)),
            "{\"b\":true,\"a\":[1,-2.5,null,\"x\"],\"i\":-9223372036854775808,"
            "\"s\":\"q\\\"b\\\\s/\\b\\t\\n\\f\\r\\u0001\\u001f\xC3\xA9\"}");
  EXPECT_EQ(writer.stringWithFragment(Value(true)), "true");
  EXPECT_EQ(writer.stringWithFragment(Value(0.1)), "0.1");
  EXPECT_EQ(writer.stringWithFragment(Value(Dictionary{})), "{}");
  EXPECT_EQ(writer.stringWithFragment(Value(Array{})), "[]");

  EXPECT_FALSE(writer.stringWithObject(Value("scalar")));
  EXPECT_EQ(writer.errorTrace(), (std::vector<JsonError>{{4, "Not valid type for JSON"}}));
}

TEST(KjJsonWriterTest, SortedAndHumanReadableLayouts) {
  KjJsonWriter writer;
  Dictionary d;
  d.set("zeta", Value(1));
  d.set("Alpha", Value(2));
  d.set("beta", Value(Array{Value(3), Value(Dictionary{})}));
  writer.setSortKeys(true);
  EXPECT_EQ(writer.stringWithObject(Value(d)), "{\"Alpha\":2,\"beta\":[3,{}],\"zeta\":1}");

  writer.setSortKeys(false);
  writer.setHumanReadable(true);
  EXPECT_EQ(writer.stringWithObject(Value(Dictionary{{"k", Value("v")}})), "{\n  \"k\" : \"v\"\n}");
  EXPECT_EQ(writer.stringWithObject(Value(d)),
            "{\n  \"zeta\" : 1,\n  \"Alpha\" : 2,\n  \"beta\" : [\n    3,\n    {}\n  ]\n}");
}

class Point : public Object, public JsonProxy {
 public:
  Value proxyForJson() const override { return Value(Dictionary{{"x", Value(1)}}); }
};

class Opaque : public Object {};

TEST(KjJsonWriterTest, UnsupportedValuesFailWithTheKeyThatHeldThem) {
  KjJsonWriter writer;
  EXPECT_EQ(writer.stringWithObject(Value(std::make_shared<Point>())), "{\"x\":1}");
  EXPECT_EQ(writer.stringWithFragment(Value(Array{Value(std::make_shared<Point>())})), "[{\"x\":1}]");

  Dictionary d;
  d.set("blob", Value(Bytes{1, 2}));
  EXPECT_FALSE(writer.stringWithObject(Value(d)));
  EXPECT_EQ(writer.errorTrace(), (std::vector<JsonError>{
                                     {1, "JSON serialisation not supported for Bytes"},
                                     {1, "Unsupported value for key blob in object"},
                                 }));
  EXPECT_FALSE(writer.stringWithFragment(Value(std::make_shared<Opaque>())));
  EXPECT_EQ(writer.lastError()->description, "JSON serialisation not supported for zu::(anonymous namespace)::Opaque");
  // Infinity and NaN have no JSON spelling.
  EXPECT_FALSE(writer.stringWithFragment(Value(Array{Value(std::numeric_limits<double>::infinity())})));
  EXPECT_EQ(writer.lastError()->code, 1);

  Value deep{Array{}};
  for (int i = 0; i < 512; ++i) {
    Array wrapper;
    wrapper.push_back(std::move(deep));
    deep = Value(std::move(wrapper));
  }
  EXPECT_FALSE(writer.stringWithObject(deep));
  EXPECT_EQ(writer.errorTrace().front(), (JsonError{7, "Nested too deep"}));
}

TEST(KjJSONTest, NestedDocumentsAndHugeIntegersRoundTrip) {
  const std::string text =
      "{\"statuses\":[{\"id\":9223372036854775807,\"idstr\":\"9223372036854775807\","
      "\"user\":{\"id\":-9223372036854775808,\"name\":\"\xE4\xB8\xAD\\\"\\n\xF0\x9F\x98\x80\","
      "\"rate\":0.30000000000000004,\"tiny\":5e-324,\"big\":1.7976931348623157e+308,"
      "\"flags\":[true,false,null,[],{}]}}],\"next_cursor\":3600000000000000001}";
  KjJSON json;
  JsonError error;
  auto value = json.objectWithString(text, &error);
  ASSERT_TRUE(value) << error.description;
  auto written = json.stringWithObject(*value, &error);
  ASSERT_TRUE(written) << error.description;
  EXPECT_EQ(*written, text);
  auto again = json.objectWithString(*written, &error);
  ASSERT_TRUE(again);
  EXPECT_EQ(*again, *value);

  json.setHumanReadable(true);
  auto pretty = json.stringWithObject(*value, &error);
  ASSERT_TRUE(pretty);
  EXPECT_EQ(json.objectWithString(*pretty, &error), *value);
}

TEST(KjJSONTest, FacadeCopiesTheWorkersTraceAndHandsBackTheOutermostError) {
  KjJSON json;
  EXPECT_EQ(json.maxDepth(), 512u);
  JsonError error;
  EXPECT_FALSE(json.objectWithString("[1,]", &error));
  EXPECT_EQ(error, (JsonError{9, "Trailing comma disallowed in array"}));
  EXPECT_EQ(json.errorTrace(), (std::vector<JsonError>{error}));

  EXPECT_FALSE(json.objectWithString("7", &error));
  EXPECT_EQ(error.code, 4);
  EXPECT_EQ(json.fragmentWithString("7", &error), Value(7));
  EXPECT_EQ(json.objectWithString(std::nullopt, true, nullptr), std::nullopt);
  EXPECT_EQ(json.errorTrace().back().code, 12);

  EXPECT_FALSE(json.stringWithObject(Value(7), &error));
  EXPECT_EQ(error.code, 4);
  EXPECT_EQ(json.stringWithFragment(Value(7), &error), "7");

  json.setMaxDepth(1);
  EXPECT_FALSE(json.objectWithString("[[1]]", &error));
  EXPECT_EQ(json.errorTrace().front().code, 7);
  EXPECT_FALSE(json.stringWithObject(Value(Array{Value(Array{})}), &error));
  EXPECT_EQ(json.errorTrace().front().code, 7);
}

TEST(KjJSONTest, OneLineHelpers) {
  EXPECT_EQ(JSONValue("{\"a\":[1]}"), Value(Dictionary{{"a", Value(Array{1})}}));
  EXPECT_EQ(JSONValue("1"), std::nullopt);
  EXPECT_EQ(JSONFragmentValue("1"), Value(1));
  EXPECT_EQ(JSONRepresentation(Value(Array{1, 2})), "[1,2]");
  EXPECT_EQ(JSONRepresentation(Value(1)), std::nullopt);
  EXPECT_EQ(JSONFragment(Value("x")), "\"x\"");
}

}  // namespace
}  // namespace zu
