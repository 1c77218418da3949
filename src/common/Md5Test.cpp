#include "common/Md5.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "platform/runtime/Paths.h"

namespace zu {
namespace {

// RFC 1321 appendix A.5 (the empty string is refused by encode, so it is checked on a file).
const std::pair<const char*, const char*> kVectors[] = {
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
     "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
};

std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

std::string writeTemp(const std::string& name, const std::string& bytes) {
  std::string path = ::testing::TempDir() + "/h4md5_" + name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

TEST(Md5Test, StringsGiveUpperCaseAndFilesLowerCaseDigests) {
  int n = 0;
  for (const auto& [text, digest] : kVectors) {
    SCOPED_TRACE(text);
    EXPECT_EQ(Md5::encode(text), upper(digest));
    std::string path = writeTemp(std::to_string(n++), text);
    EXPECT_EQ(Md5::md5OfFile(path), digest);
    std::remove(path.c_str());
  }
  EXPECT_EQ(Md5::encode(""), std::nullopt);
  EXPECT_EQ(Md5::encode("\xE4\xB8\xAD"), "AED1DFBC31703955E64806B799B67645");  // UTF-8 bytes of 中

  std::string empty = writeTemp("empty", "");
  EXPECT_EQ(Md5::md5OfFile(empty), "d41d8cd98f00b204e9800998ecf8427e");
  std::remove(empty.c_str());
  EXPECT_EQ(Md5::md5OfFile(::testing::TempDir() + "/h4md5_missing"), std::nullopt);
}

TEST(Md5Test, FilesLongerThanOneReadBlockAreDigestedWhole) {
  // 1 MiB + 300 bytes: many read blocks and a short last one.
  std::string bytes(1048576 + 300, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
  std::string path = writeTemp("big", bytes);
  std::string expected = Md5::encode(bytes).value();
  for (char& c : expected) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_EQ(Md5::md5OfFile(path), expected);
  std::remove(path.c_str());
}

}  // namespace
}  // namespace zu
