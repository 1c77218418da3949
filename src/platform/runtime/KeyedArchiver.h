// KeyedArchiver: writes keyed values and Archivable object graphs into the project's own binary
// archive format (read back by KeyedUnarchiver).
//
//   Bytes data = KeyedArchiver::archivedData(column);       // one root object
//   KeyedArchiver coder;                                      // or a keyed record
//   coder.encode("time", int64_t{123});
//   coder.encode("name", std::optional<std::string>{});     // nullopt: nothing written
//   Bytes data = coder.encodedData();
//
// Format (little-endian; varint = unsigned LEB128):
//   "ZUKA" u8 version=1, container, u32 CRC-32 of all preceding bytes
//   container := varint count, count x (varint key length, key, u8 tag, payload)
// with tags for bool, int32, int64, double, string, bytes, Value, object (class name +
// container), null object and object arrays. Encoding the same key twice: the later one wins.
//
// Object graphs are written as trees: an object referenced twice is written twice, and nesting
// deeper than KeyedUnarchiver::kMaxDepth is written as a null object (that also stops cycles).
// Objects inside a Value that are not Archivable are written as null.
//
// One KeyedArchiver is used by one thread; the format is independent of the host.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/runtime/Archivable.h"
#include "platform/runtime/Value.h"

namespace zu {

class KeyedArchiver {
 public:
  static constexpr uint8_t kFormatVersion = 1;

  KeyedArchiver();
  ~KeyedArchiver();
  KeyedArchiver(const KeyedArchiver&) = delete;
  KeyedArchiver& operator=(const KeyedArchiver&) = delete;

  // The archive of `root` under the key "root" (KeyedUnarchiver::unarchiveObject reads it).
  static Bytes archivedData(const Archivable& root);

  // Typed encoders.
  void encodeBool(std::string_view key, bool v);
  void encodeInt32(std::string_view key, int32_t v);
  void encodeInt64(std::string_view key, int64_t v);
  void encodeDouble(std::string_view key, double v);
  void encodeString(std::string_view key, std::string_view v);
  void encodeBytes(std::string_view key, const Bytes& v);
  void encodeValue(std::string_view key, const Value& v);
  // A null pointer is written as a null object (decodes as null, and containsKey is true).
  void encodeObject(std::string_view key, const Archivable* object);
  // Null elements are skipped.
  void encodeObjectArray(std::string_view key,
                         const std::vector<std::shared_ptr<const Archivable>>& objects);

  // Overloads for models: coder.encode("key", field_).
  void encode(std::string_view key, bool v) { encodeBool(key, v); }
  // Signed types up to 32 bits are written as int32, every other integer as int64
  // (unsigned 64-bit values above INT64_MAX wrap).
  template <typename I,
            std::enable_if_t<std::is_integral_v<I> && !std::is_same_v<I, bool>, int> = 0>
  void encode(std::string_view key, I v) {
    if constexpr (std::is_signed_v<I> && sizeof(I) <= 4) {
      encodeInt32(key, static_cast<int32_t>(v));
    } else {
      encodeInt64(key, static_cast<int64_t>(v));
    }
  }
  void encode(std::string_view key, double v) { encodeDouble(key, v); }
  void encode(std::string_view key, const char* v) { encodeString(key, v); }
  void encode(std::string_view key, std::string_view v) { encodeString(key, v); }
  void encode(std::string_view key, const std::string& v) { encodeString(key, v); }
  // nullopt writes nothing, so the key decodes as absent (distinct from "").
  void encode(std::string_view key, const std::optional<std::string>& v) {
    if (v) encodeString(key, *v);
  }
  void encode(std::string_view key, const Bytes& v) { encodeBytes(key, v); }
  void encode(std::string_view key, const Value& v) { encodeValue(key, v); }
  void encode(std::string_view key, const std::vector<std::string>& v);
  template <typename T, std::enable_if_t<std::is_base_of_v<Archivable, T>, int> = 0>
  void encode(std::string_view key, const std::shared_ptr<T>& object) {
    encodeObject(key, object.get());
  }
  template <typename T, std::enable_if_t<std::is_base_of_v<Archivable, T>, int> = 0>
  void encode(std::string_view key, const std::vector<std::shared_ptr<T>>& objects) {
    std::vector<std::shared_ptr<const Archivable>> all(objects.begin(), objects.end());
    encodeObjectArray(key, all);
  }

  // The finished archive. The archiver can keep encoding afterwards (a later call includes the
  // later keys).
  Bytes encodedData() const;

 private:
  struct Frame;
  void beginEntry(std::string_view key, uint8_t tag);
  // Writes "class name + container" of `object`, or returns false (writing nothing) when that
  // would nest deeper than KeyedUnarchiver::kMaxDepth.
  bool writeObjectBody(const Archivable& object);
  void writeValue(const Value& v);
  std::string& out();

  std::vector<Frame> frames_;  // the containers being written, innermost last
  int depth_ = 0;              // nesting of objects and Value containers
};

}  // namespace zu
