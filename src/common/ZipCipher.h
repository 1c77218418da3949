// ZipCipher: the traditional zip encryption, the stream cipher of the zip format's application
// note: three 32-bit keys seeded from the password and stirred with every plain byte. Each
// encrypted entry starts with a 12-byte header whose last byte is the high byte of the entry's
// CRC (or of the entry's time), which lets a reader tell a wrong password (almost always) before
// inflating anything.
// ZipArchive uses it for password-protected archives, since the system's minizip is built
// without encryption. One object per entry and direction; not thread-safe.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zu {

class ZipCipher {
 public:
  static constexpr size_t kHeaderSize = 12;

  explicit ZipCipher(std::string_view password);

  uint8_t encrypt(uint8_t plain);
  uint8_t decrypt(uint8_t cipher);
  void encrypt(uint8_t* data, size_t size);
  void decrypt(uint8_t* data, size_t size);

  // The encrypted header of an entry whose CRC is `crc`: ten random bytes, then the CRC's two
  // high bytes.
  std::array<uint8_t, kHeaderSize> header(uint32_t crc);
  // Decrypts a header read from an entry; true when its last byte is `check`: the CRC's high
  // byte, or for an entry with a trailing data descriptor the high byte of its DOS time.
  bool checkHeader(const uint8_t* header, uint8_t check);

 private:
  void update(uint8_t plain);
  uint8_t keyByte() const;

  uint32_t keys_[3];
};

}  // namespace zu
