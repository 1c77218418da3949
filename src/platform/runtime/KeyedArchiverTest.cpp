#include "platform/runtime/KeyedArchiver.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <limits>

#include "platform/runtime/KeyedUnarchiver.h"

namespace zu {
namespace {

class Person : public Archivable {
 public:
  std::optional<std::string> name;
  std::optional<std::string> nick;
  int32_t age = 0;
  int64_t id = 0;
  double score = 0;
  bool active = false;
  Bytes photo;
  Value extra;
  std::vector<std::string> tags;
  std::shared_ptr<Person> partner;
  std::vector<std::shared_ptr<Person>> children;

  std::string archiveClassName() const override { return "Person"; }
  void encodeWithCoder(KeyedArchiver& c) const override {
    c.encode("name", name);
    c.encode("nick", nick);
    c.encode("age", age);
    c.encode("id", id);
    c.encode("score", score);
    c.encode("active", active);
    c.encode("photo", photo);
    c.encode("extra", extra);
    c.encode("tags", tags);
    c.encode("partner", partner);
    c.encode("children", children);
  }
  bool initWithCoder(KeyedUnarchiver& c) override {
    name = c.decodeString("name");
    nick = c.decodeString("nick");
    age = c.decodeInt32("age").value_or(-1);
    id = c.decodeInt64("id").value_or(-1);
    score = c.decodeDouble("score").value_or(-1);
    active = c.decodeBool("active").value_or(false);
    photo = c.decodeBytes("photo").value_or(Bytes{});
    extra = c.decodeValue("extra").value_or(Value());
    tags = c.decodeStringArray("tags").value_or(std::vector<std::string>{});
    partner = c.decodeObject<Person>("partner");
    children = c.decodeObjectArray<Person>("children");
    return true;
  }
};

// A class that refuses records without an "id".
class Strict : public Archivable {
 public:
  std::string archiveClassName() const override { return "Strict"; }
  void encodeWithCoder(KeyedArchiver& c) const override {
    if (hasId) c.encode("id", 1);
  }
  bool initWithCoder(KeyedUnarchiver& c) override { return c.decodeInt32("id").has_value(); }
  bool hasId = true;
};

// Archived under a name nobody registers.
class Stranger : public Archivable {
 public:
  std::string archiveClassName() const override { return "Stranger"; }
  void encodeWithCoder(KeyedArchiver&) const override {}
  bool initWithCoder(KeyedUnarchiver&) override { return true; }
};

class KeyedArchiverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KeyedUnarchiver::registerClass<Person>("Person");
    KeyedUnarchiver::registerClass<Strict>("Strict");
  }
};

std::shared_ptr<Person> sample() {
  auto p = std::make_shared<Person>();
  p->name = "Ånna 😀";
  p->nick = "";  // empty, not absent
  p->age = -33;
  p->id = std::numeric_limits<int64_t>::min();
  p->score = 0.1;
  p->active = true;
  p->photo = Bytes{0, 1, 0xFF};
  p->tags = {"a", "", "c"};
  auto partner = std::make_shared<Person>();
  partner->name = "Bo";
  p->partner = partner;
  auto kid = std::make_shared<Person>();
  kid->age = 4;
  p->children = {kid, nullptr, std::make_shared<Person>()};
  p->extra = Value(Dictionary{{"list", Value(Array{Value(1), Value(2.5), Value(), Value(true)})},
                              {"obj", Value(partner)},
                              {"bytes", Value(Bytes{9})}});
  return p;
}

TEST_F(KeyedArchiverTest, ObjectGraphRoundTrips) {
  auto p = sample();
  Bytes data = KeyedArchiver::archivedData(*p);
  auto back = KeyedUnarchiver::unarchiveObject<Person>(data);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->name, p->name);
  EXPECT_EQ(back->nick, std::optional<std::string>(""));
  EXPECT_EQ(back->age, -33);
  EXPECT_EQ(back->id, std::numeric_limits<int64_t>::min());
  EXPECT_EQ(back->score, 0.1);
  EXPECT_TRUE(back->active);
  EXPECT_EQ(back->photo, p->photo);
  EXPECT_EQ(back->tags, p->tags);
  ASSERT_TRUE(back->partner);
  EXPECT_EQ(back->partner->name, "Bo");
  EXPECT_EQ(back->partner->nick, std::nullopt);  // absent stays absent
  EXPECT_EQ(back->partner->partner, nullptr);
  ASSERT_EQ(back->children.size(), 2u);  // the null element was not written
  EXPECT_EQ(back->children[0]->age, 4);

  const Dictionary* extra = back->extra.asDictionary();
  ASSERT_TRUE(extra);
  EXPECT_EQ(extra->get("list"), p->extra.asDictionary()->get("list"));
  EXPECT_EQ(extra->get("bytes"), Value(Bytes{9}));
  auto inValue = extra->get("obj").asObject<Person>();
  ASSERT_TRUE(inValue);
  EXPECT_EQ(inValue->name, "Bo");

  // The format is stable: the same object gives the same bytes.
  EXPECT_EQ(KeyedArchiver::archivedData(*p), data);
}

TEST_F(KeyedArchiverTest, KeyedRecordReadsAbsentAndMismatchedKeysAsAbsent) {
  KeyedArchiver coder;
  coder.encode("i32", 7);
  coder.encode("big", int64_t{1} << 40);
  coder.encode("text", "hello");
  coder.encode("flag", false);
  coder.encode("again", 1);
  coder.encode("again", 2);  // the later write wins
  coder.encodeObject("none", nullptr);
  KeyedUnarchiver u(coder.encodedData());
  ASSERT_TRUE(u.ok());
  EXPECT_EQ(u.version(), 1);
  EXPECT_EQ(u.decodeInt64("i32"), 7);       // int32 widens
  EXPECT_EQ(u.decodeInt32("big"), std::nullopt);  // does not fit
  EXPECT_EQ(u.decodeDouble("i32"), 7.0);
  EXPECT_EQ(u.decodeString("i32"), std::nullopt);
  EXPECT_EQ(u.decodeInt32("text"), std::nullopt);
  EXPECT_EQ(u.decodeBool("text"), std::nullopt);
  EXPECT_EQ(u.decodeBool("flag"), false);
  EXPECT_EQ(u.decodeBytes("text"), std::nullopt);
  EXPECT_EQ(u.decodeStringArray("text"), std::nullopt);
  EXPECT_EQ(u.decodeInt32("again"), 2);
  EXPECT_EQ(u.decodeValue("text"), Value("hello"));
  EXPECT_EQ(u.decodeString("missing"), std::nullopt);
  EXPECT_FALSE(u.containsKey("missing"));
  EXPECT_TRUE(u.containsKey("none"));
  EXPECT_EQ(u.decodeObject("none"), nullptr);
  EXPECT_EQ(u.decodeObject("text"), nullptr);
  EXPECT_TRUE(u.decodeObjectArray("text").empty());
}

TEST_F(KeyedArchiverTest, UnknownOrRefusingClassesDecodeAsNull) {
  auto p = std::make_shared<Person>();
  p->partner = nullptr;
  KeyedArchiver coder;
  Stranger stranger;
  Strict good, bad;
  bad.hasId = false;
  coder.encodeObject("stranger", &stranger);
  coder.encodeObject("bad", &bad);
  coder.encode("list", std::vector<std::shared_ptr<Archivable>>{
                           std::make_shared<Stranger>(), std::make_shared<Strict>(),
                           std::make_shared<Strict>(bad)});
  coder.encode("after", 5);
  KeyedUnarchiver u(coder.encodedData());
  ASSERT_TRUE(u.ok());
  EXPECT_EQ(u.decodeObject("stranger"), nullptr);
  EXPECT_EQ(u.decodeObject("bad"), nullptr);
  auto list = u.decodeObjectArray("list");
  ASSERT_EQ(list.size(), 1u);
  EXPECT_TRUE(std::dynamic_pointer_cast<Strict>(list[0]));
  EXPECT_TRUE(u.decodeObjectArray<Person>("list").empty());  // wrong class is left out
  EXPECT_EQ(u.decodeInt32("after"), 5);
  EXPECT_EQ(KeyedUnarchiver::unarchiveObject(KeyedArchiver::archivedData(stranger)), nullptr);
  EXPECT_EQ(KeyedUnarchiver::unarchiveObject<Strict>(KeyedArchiver::archivedData(*p)), nullptr);
}

Bytes withFixedCrc(Bytes b) {
  if (b.size() < 4) return b;
  uLong crc = crc32_z(0L, b.data(), b.size() - 4);
  for (int i = 0; i < 4; ++i) b[b.size() - 4 + i] = static_cast<uint8_t>(crc >> (8 * i));
  return b;
}

TEST_F(KeyedArchiverTest, CorruptOrTruncatedInputFailsCleanly) {
  Bytes data = KeyedArchiver::archivedData(*sample());
  for (size_t n = 0; n < data.size(); ++n) {
    Bytes cut(data.begin(), data.begin() + n);
    EXPECT_FALSE(KeyedUnarchiver(cut).ok()) << n;
    // Even with a valid checksum, a truncated body is refused.
    EXPECT_FALSE(KeyedUnarchiver(withFixedCrc(cut)).ok()) << n;
  }
  for (size_t i = 0; i < data.size(); ++i) {
    Bytes bad = data;
    bad[i] ^= 0x5A;
    KeyedUnarchiver u(bad);
    EXPECT_FALSE(u.ok()) << i;
    EXPECT_EQ(u.decodeObject("root"), nullptr);
    EXPECT_EQ(u.decodeString("root"), std::nullopt);
    // Past the checksum the structure is still checked; whatever decodes must not crash.
    for (uint8_t x : {0x01, 0x80, 0xFF}) {
      Bytes worse = data;
      worse[i] ^= x;
      KeyedUnarchiver::unarchiveObject<Person>(withFixedCrc(worse));
    }
  }
  // Lengths and counts claiming far more than the input are refused without allocating.
  Bytes huge = {'Z', 'U', 'K', 'A', 1, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F,
                0, 0, 0, 0};
  EXPECT_FALSE(KeyedUnarchiver(withFixedCrc(huge)).ok());
  Bytes future = data;
  future[4] = KeyedArchiver::kFormatVersion + 1;
  EXPECT_FALSE(KeyedUnarchiver(withFixedCrc(future)).ok());
  Bytes empty;
  EXPECT_FALSE(KeyedUnarchiver(empty).ok());
  EXPECT_FALSE(KeyedUnarchiver(nullptr, 0).ok());
}

TEST_F(KeyedArchiverTest, DeepAndCyclicGraphsAreCutAtTheDepthLimit) {
  auto head = std::make_shared<Person>();
  auto p = head;
  for (int i = 0; i < 200; ++i) {
    p->partner = std::make_shared<Person>();
    p->age = i;
    p = p->partner;
  }
  auto back = KeyedUnarchiver::unarchiveObject<Person>(KeyedArchiver::archivedData(*head));
  ASSERT_TRUE(back);
  int depth = 0;
  for (auto q = back; q; q = q->partner) ++depth;
  EXPECT_EQ(depth, KeyedUnarchiver::kMaxDepth);

  auto a = std::make_shared<Person>(), b = std::make_shared<Person>();
  a->partner = b;
  b->partner = a;  // a cycle still ends
  EXPECT_TRUE(KeyedUnarchiver::unarchiveObject<Person>(KeyedArchiver::archivedData(*a)));
  b->partner = nullptr;

  Value deep(1);
  for (int i = 0; i < 200; ++i) deep = Value(Array{deep});
  KeyedArchiver coder;
  coder.encode("deep", deep);
  KeyedUnarchiver u(coder.encodedData());
  ASSERT_TRUE(u.ok());
  EXPECT_TRUE(u.decodeValue("deep")->isArray());
}

}  // namespace
}  // namespace zu
