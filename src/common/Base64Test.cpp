#include "common/Base64.h"

#include <gtest/gtest.h>

#include <string>

namespace zu {
namespace {

Bytes bytesOf(std::string_view s) { return Bytes(s.begin(), s.end()); }

TEST(Base64Test, Rfc4648VectorsEncodeAndDecode) {
  const std::pair<const char*, const char*> vectors[] = {
      {"", ""},          {"f", "Zg=="},         {"fo", "Zm8="},         {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
  };
  for (const auto& [plain, encoded] : vectors) {
    SCOPED_TRACE(plain);
    EXPECT_EQ(Base64::encode(bytesOf(plain)), encoded);
    EXPECT_EQ(Base64::decode(std::string_view(encoded)), bytesOf(plain));
  }
  // Every byte value, through both alphabet ends ('+' and '/').
  Bytes all(256);
  for (int i = 0; i < 256; ++i) all[i] = static_cast<uint8_t>(i);
  std::string encoded = Base64::encode(all);
  EXPECT_EQ(encoded.size(), 344u);
  EXPECT_EQ(encoded.substr(encoded.size() - 12), "+fr7/P3+/w==");
  EXPECT_EQ(Base64::decode(encoded), all);
  EXPECT_EQ(Base64::encode(Bytes{0xFB, 0xFF}), "+/8=");
}

TEST(Base64Test, DecodingIsLenientButRefusesBadLengthsAndNonAscii) {
  EXPECT_EQ(Base64::decode(std::string_view("Zm9vY")), std::nullopt);
  EXPECT_EQ(Base64::decode(nullptr, 4), std::nullopt);
  EXPECT_EQ(Base64::decode(std::string_view("Zm\xC3\xA9")), std::nullopt);
  EXPECT_EQ(Base64::decode(std::string_view("====")), Bytes{});
  EXPECT_EQ(Base64::decode(std::string_view("QQ==")), bytesOf("A"));
  // Characters outside the alphabet count as 0 ('A'), whatever their byte value.
  EXPECT_EQ(Base64::decode(std::string_view("Q*==")), Base64::decode(std::string_view("QA==")));
  const char highBytes[] = {'\xFF', '\x80', '\xC3', 'A'};
  EXPECT_EQ(Base64::decode(highBytes, 4), (Bytes{0, 0, 0}));
  // '=' inside the text is not padding: it also counts as 0.
  EXPECT_EQ(Base64::decode(std::string_view("Q=Q=")), (Bytes{0x40, 0x04}));
}

}  // namespace
}  // namespace zu
