#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "platform/crypto/HmacSha1.h"
#include "platform/crypto/Md5.h"
#include "platform/crypto/SecureRandom.h"

namespace zu::crypto {
namespace {

std::string hex(const HmacSha1::Digest& d) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (uint8_t b : d) {
    out.push_back(digits[b >> 4]);
    out.push_back(digits[b & 15]);
  }
  return out;
}

TEST(CryptoMd5Test, Rfc1321TestSuite) {
  struct Case {
    const char* input;
    const char* digest;
  } cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Md5::hexLower(c.input), c.digest) << c.input;
    std::string upper = c.digest;
    for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    EXPECT_EQ(Md5::hexUpper(c.input), upper) << c.input;
  }
  // Embedded NUL bytes are part of the input, not a terminator.
  EXPECT_NE(Md5::hexLower(std::string("a\0b", 3)), Md5::hexLower("a"));
}

TEST(CryptoMd5Test, FileDigestMatchesMemoryDigestAndFailsCleanly) {
  auto dir = std::filesystem::temp_directory_path() /
             ("zu_md5_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  // Larger than the read chunk, and not a multiple of it, so chunk boundaries are crossed.
  std::string content;
  for (int i = 0; content.size() < 200 * 1024 + 17; ++i) content += std::to_string(i) + ",";
  auto path = (dir / "data.bin").string();
  {
    std::ofstream out(path, std::ios::binary);
    out << content;
  }
  EXPECT_EQ(Md5::hexLowerOfFile(path), Md5::hexLower(content));
  EXPECT_EQ(Md5::digestOfFile(path), Md5::digest(content));

  auto empty = (dir / "empty").string();
  std::ofstream(empty).close();
  EXPECT_EQ(Md5::hexLowerOfFile(empty), "d41d8cd98f00b204e9800998ecf8427e");

  EXPECT_EQ(Md5::hexLowerOfFile((dir / "missing").string()), std::nullopt);
  EXPECT_EQ(Md5::hexLowerOfFile(dir.string()), std::nullopt);  // a directory cannot be read
  std::filesystem::remove_all(dir);
}

TEST(CryptoHmacSha1Test, Rfc2202TestCases) {
  struct Case {
    std::string key;
    std::string data;
    const char* digest;
  } cases[] = {
      {std::string(20, '\x0b'), "Hi There", "b617318655057264e28bc0b6fb378c8ef146be00"},
      {"Jefe", "what do ya want for nothing?", "effcdf6ae5eb2fa2d27416d5f184df9c259a7c79"},
      {std::string(20, '\xaa'), std::string(50, '\xdd'),
       "125d7342b9ac11cd91a39af48aa17b4f63f175d3"},
      {std::string("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d\x0e\x0f\x10\x11\x12"
                   "\x13\x14\x15\x16\x17\x18\x19",
                   25),
       std::string(50, '\xcd'), "4c9007f4026250c6bc8414f9bf50c86c2d7235da"},
      {std::string(20, '\x0c'), "Test With Truncation",
       "4c1a03424b55e07fe7f27be1d58bb9324a9a5a04"},
      // Keys longer than the block size are hashed first.
      {std::string(80, '\xaa'), "Test Using Larger Than Block-Size Key - Hash Key First",
       "aa4ae5e15272d00e95705637ce8a3b55ed402112"},
      {std::string(80, '\xaa'),
       "Test Using Larger Than Block-Size Key and Larger Than One Block-Size Data",
       "e8e99d0f45237d786d6bbaa7965c7808bbff1a91"},
  };
  for (const Case& c : cases) EXPECT_EQ(hex(HmacSha1::sign(c.key, c.data)), c.digest);
  // Empty key and empty message are valid inputs.
  EXPECT_EQ(hex(HmacSha1::sign("", "")), "fbdb1d1b18aa6c08324b7d64b71fb76370690e1d");
}

}  // namespace
}  // namespace zu::crypto

namespace zu::crypto {
namespace {

// Tokens are hex of the asked length and never repeat (a fixed or zeroed generator would).
TEST(CryptoSecureRandomTest, TokensAreHexAndFresh) {
  const std::string first = SecureRandom::hexToken(16);
  const std::string second = SecureRandom::hexToken(16);
  EXPECT_EQ(32u, first.size());
  EXPECT_EQ(std::string::npos, first.find_first_not_of("0123456789abcdef"));
  EXPECT_NE(first, second);
  EXPECT_NE(std::string(32, '0'), first);
  EXPECT_EQ(0u, SecureRandom::bytes(0).size());
}

}  // namespace
}  // namespace zu::crypto
