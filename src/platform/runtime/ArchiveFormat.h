// ArchiveFormat: the byte layout shared by KeyedArchiver and KeyedUnarchiver (internal to the
// runtime; other code uses those two classes). See KeyedArchiver.h for the layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zu::archive {

constexpr char kMagic[4] = {'Z', 'U', 'K', 'A'};
constexpr size_t kHeaderSize = 5;   // magic + version byte
constexpr size_t kTrailerSize = 4;  // CRC-32 (little-endian) of everything before it

// Entry tags.
enum Tag : uint8_t {
  kTagBool = 1,        // u8 0/1
  kTagInt32 = 2,       // 4 bytes
  kTagInt64 = 3,       // 8 bytes
  kTagDouble = 4,      // 8 bytes, IEEE 754 bits
  kTagString = 5,      // varint length + UTF-8
  kTagBytes = 6,       // varint length + bytes
  kTagValue = 7,       // value (below)
  kTagObject = 8,      // varint name length + class name + container
  kTagNullObject = 9,  // nothing
  kTagObjectArray = 10 // varint count + count x (kTagObject payload | kTagNullObject)
};

// Value tags (inside kTagValue).
enum ValueTag : uint8_t {
  kValueNull = 0,
  kValueFalse = 1,
  kValueTrue = 2,
  kValueInt = 3,     // 8 bytes
  kValueDouble = 4,  // 8 bytes
  kValueString = 5,  // varint length + bytes
  kValueBytes = 6,   // varint length + bytes
  kValueArray = 7,   // varint count + values
  kValueDict = 8,    // varint count + (varint key length + key + value)
  kValueObject = 9   // varint name length + class name + container
};

inline void putVarint(std::string& out, uint64_t v) {
  while (v >= 0x80) {
    out += static_cast<char>((v & 0x7F) | 0x80);
    v >>= 7;
  }
  out += static_cast<char>(v);
}

inline void putFixed(std::string& out, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

inline void putString(std::string& out, std::string_view s) {
  putVarint(out, s.size());
  out.append(s.data(), s.size());
}

// Bounds-checked reading; every read fails (returns false) rather than pass the end.
struct Cursor {
  const uint8_t* p;
  const uint8_t* end;

  size_t remaining() const { return static_cast<size_t>(end - p); }

  bool u8(uint8_t& v) {
    if (p == end) return false;
    v = *p++;
    return true;
  }
  bool fixed(uint64_t& v, int bytes) {
    if (remaining() < static_cast<size_t>(bytes)) return false;
    v = 0;
    for (int i = 0; i < bytes; ++i) v |= uint64_t(p[i]) << (8 * i);
    p += bytes;
    return true;
  }
  bool varint(uint64_t& v) {
    v = 0;
    for (int shift = 0; shift < 64; shift += 7) {
      uint8_t b;
      if (!u8(b)) return false;
      if (shift == 63 && (b & 0x7E)) return false;  // more than 64 bits
      v |= uint64_t(b & 0x7F) << shift;
      if (!(b & 0x80)) return true;
    }
    return false;
  }
  // A length-prefixed run of bytes, the length checked against what remains.
  bool string(std::string_view& s) {
    uint64_t n;
    if (!varint(n) || n > remaining()) return false;
    s = std::string_view(reinterpret_cast<const char*>(p), static_cast<size_t>(n));
    p += n;
    return true;
  }
  // A count of items that each take at least one byte.
  bool count(uint64_t& n) { return varint(n) && n <= remaining(); }
};

}  // namespace zu::archive
