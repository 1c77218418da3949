#include "common/ZipCipher.h"

#include <zlib.h>

#include <random>

namespace zu {

namespace {

uint32_t crcStep(uint32_t crc, uint8_t byte) {
  static const z_crc_t* table = get_crc_table();
  return static_cast<uint32_t>(table[(crc ^ byte) & 0xffu]) ^ (crc >> 8);
}

}  // namespace

ZipCipher::ZipCipher(std::string_view password) : keys_{0x12345678u, 0x23456789u, 0x34567890u} {
  for (char c : password) update(static_cast<uint8_t>(c));
}

void ZipCipher::update(uint8_t plain) {
  keys_[0] = crcStep(keys_[0], plain);
  keys_[1] = (keys_[1] + (keys_[0] & 0xffu)) * 134775813u + 1u;
  keys_[2] = crcStep(keys_[2], static_cast<uint8_t>(keys_[1] >> 24));
}

uint8_t ZipCipher::keyByte() const {
  const uint32_t temp = (keys_[2] & 0xffffu) | 2u;
  return static_cast<uint8_t>((temp * (temp ^ 1u)) >> 8);
}

uint8_t ZipCipher::encrypt(uint8_t plain) {
  const uint8_t out = plain ^ keyByte();
  update(plain);
  return out;
}

uint8_t ZipCipher::decrypt(uint8_t cipher) {
  const uint8_t plain = cipher ^ keyByte();
  update(plain);
  return plain;
}

void ZipCipher::encrypt(uint8_t* data, size_t size) {
  for (size_t i = 0; i < size; ++i) data[i] = encrypt(data[i]);
}

void ZipCipher::decrypt(uint8_t* data, size_t size) {
  for (size_t i = 0; i < size; ++i) data[i] = decrypt(data[i]);
}

std::array<uint8_t, ZipCipher::kHeaderSize> ZipCipher::header(uint32_t crc) {
  std::random_device random;
  std::array<uint8_t, kHeaderSize> out{};
  for (size_t i = 0; i + 2 < kHeaderSize; ++i) out[i] = static_cast<uint8_t>(random());
  out[kHeaderSize - 2] = static_cast<uint8_t>(crc >> 16);
  out[kHeaderSize - 1] = static_cast<uint8_t>(crc >> 24);
  encrypt(out.data(), out.size());
  return out;
}

bool ZipCipher::checkHeader(const uint8_t* header, uint8_t check) {
  uint8_t plain[kHeaderSize];
  for (size_t i = 0; i < kHeaderSize; ++i) plain[i] = decrypt(header[i]);
  return plain[kHeaderSize - 1] == check;
}

}  // namespace zu
