// KeyedUnarchiver: reads archives written by KeyedArchiver and rebuilds Archivable objects
// through a process-wide class registry.
//
//   KeyedUnarchiver::registerClass<Column>("Column");
//   auto column = KeyedUnarchiver::unarchiveObject<Column>(data);   // null on any failure
//
//   KeyedUnarchiver coder(data);                  // a keyed record
//   if (!coder.ok()) ...                          // corrupt, truncated, or a newer version
//   std::optional<int64_t> t = coder.decodeInt64("time");
//
// The whole input is checked when the unarchiver is made (magic, version, CRC-32, every length
// against the bytes that remain, nesting at most kMaxDepth); corrupt input makes ok() false and
// every decode absent, never a crash or an allocation larger than the input. A missing key or one
// holding another type reads as absent (nullopt / null / empty), except that the integer
// decoders accept either integer width when the value fits, and decodeDouble accepts integers.
// Objects of unregistered classes, and objects whose initWithCoder returns false, decode as null
// (and are left out of object arrays).
//
// An unarchiver and the coders it hands to initWithCoder are used by one thread. registerClass
// is thread-safe.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/Archivable.h"
#include "platform/runtime/Value.h"

namespace zu {

class KeyedUnarchiver {
 public:
  // Deepest nesting of objects and Values accepted (and written).
  static constexpr int kMaxDepth = 64;

  using Factory = std::function<std::shared_ptr<Archivable>()>;
  // Registers (or replaces) the factory for `className`.
  static void registerClass(const std::string& className, Factory factory);
  template <typename T>
  static void registerClass(const std::string& className) {
    registerClass(className, [] { return std::make_shared<T>(); });
  }

  explicit KeyedUnarchiver(const Bytes& data);
  KeyedUnarchiver(const uint8_t* data, size_t size);
  ~KeyedUnarchiver();
  KeyedUnarchiver(const KeyedUnarchiver&) = delete;
  KeyedUnarchiver& operator=(const KeyedUnarchiver&) = delete;

  // The root object of an archive made by KeyedArchiver::archivedData; null on any failure or
  // when it is not a T.
  static std::shared_ptr<Archivable> unarchiveObject(const Bytes& data);
  template <typename T>
  static std::shared_ptr<T> unarchiveObject(const Bytes& data) {
    return std::dynamic_pointer_cast<T>(unarchiveObject(data));
  }

  // False when the input was not a well-formed archive.
  bool ok() const { return tree_ != nullptr; }
  // The archive's format version (0 when !ok()).
  int version() const;

  bool containsKey(std::string_view key) const;

  std::optional<bool> decodeBool(std::string_view key) const;
  std::optional<int32_t> decodeInt32(std::string_view key) const;
  std::optional<int64_t> decodeInt64(std::string_view key) const;
  std::optional<double> decodeDouble(std::string_view key) const;
  std::optional<std::string> decodeString(std::string_view key) const;
  std::optional<Bytes> decodeBytes(std::string_view key) const;
  // Archived objects inside the Value are rebuilt (null when they cannot be).
  std::optional<Value> decodeValue(std::string_view key) const;
  // Written by encode(key, std::vector<std::string>); nullopt when absent or not all strings.
  std::optional<std::vector<std::string>> decodeStringArray(std::string_view key) const;

  std::shared_ptr<Archivable> decodeObject(std::string_view key) const;
  template <typename T>
  std::shared_ptr<T> decodeObject(std::string_view key) const {
    return std::dynamic_pointer_cast<T>(decodeObject(key));
  }
  // Elements that cannot be rebuilt (or are not T) are left out; empty when absent.
  std::vector<std::shared_ptr<Archivable>> decodeObjectArray(std::string_view key) const;
  template <typename T>
  std::vector<std::shared_ptr<T>> decodeObjectArray(std::string_view key) const {
    std::vector<std::shared_ptr<T>> out;
    for (auto& o : decodeObjectArray(key)) {
      if (auto t = std::dynamic_pointer_cast<T>(o)) out.push_back(std::move(t));
    }
    return out;
  }

  struct Tree;
  struct Entry;

 private:
  // A coder over the container starting at `offset` in an already validated tree.
  KeyedUnarchiver(std::shared_ptr<const Tree> tree, size_t offset, int depth);
  void index(size_t offset);
  const Entry* find(std::string_view key) const;
  // A registered instance initialised from the container at `offset`; null when it cannot be.
  std::shared_ptr<Archivable> makeObject(std::string_view className, size_t offset,
                                         int depth) const;
  Value readValue(const uint8_t*& p, int depth) const;

  std::shared_ptr<const Tree> tree_;  // null when the input was rejected
  std::vector<Entry> entries_;        // this container's entries, in archive order
  int depth_ = 0;                     // nesting of this container
};

}  // namespace zu
