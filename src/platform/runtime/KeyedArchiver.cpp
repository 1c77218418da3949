#include "platform/runtime/KeyedArchiver.h"

#include <zlib.h>

#include <cstring>

#include "platform/runtime/ArchiveFormat.h"
#include "platform/runtime/KeyedUnarchiver.h"

namespace zu {

using namespace archive;

struct KeyedArchiver::Frame {
  std::string bytes;
  uint64_t count = 0;
};

KeyedArchiver::KeyedArchiver() { frames_.emplace_back(); }
KeyedArchiver::~KeyedArchiver() = default;

Bytes KeyedArchiver::archivedData(const Archivable& root) {
  KeyedArchiver coder;
  coder.encodeObject("root", &root);
  return coder.encodedData();
}

std::string& KeyedArchiver::out() { return frames_.back().bytes; }

void KeyedArchiver::beginEntry(std::string_view key, uint8_t tag) {
  ++frames_.back().count;
  putString(out(), key);
  out() += static_cast<char>(tag);
}

void KeyedArchiver::encodeBool(std::string_view key, bool v) {
  beginEntry(key, kTagBool);
  out() += static_cast<char>(v ? 1 : 0);
}

void KeyedArchiver::encodeInt32(std::string_view key, int32_t v) {
  beginEntry(key, kTagInt32);
  putFixed(out(), static_cast<uint32_t>(v), 4);
}

void KeyedArchiver::encodeInt64(std::string_view key, int64_t v) {
  beginEntry(key, kTagInt64);
  putFixed(out(), static_cast<uint64_t>(v), 8);
}

void KeyedArchiver::encodeDouble(std::string_view key, double v) {
  beginEntry(key, kTagDouble);
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  putFixed(out(), bits, 8);
}

void KeyedArchiver::encodeString(std::string_view key, std::string_view v) {
  beginEntry(key, kTagString);
  putString(out(), v);
}

void KeyedArchiver::encodeBytes(std::string_view key, const Bytes& v) {
  beginEntry(key, kTagBytes);
  putString(out(), std::string_view(reinterpret_cast<const char*>(v.data()), v.size()));
}

void KeyedArchiver::encodeValue(std::string_view key, const Value& v) {
  beginEntry(key, kTagValue);
  writeValue(v);
}

void KeyedArchiver::encode(std::string_view key, const std::vector<std::string>& v) {
  Array a;
  a.reserve(v.size());
  for (const auto& s : v) a.emplace_back(s);
  encodeValue(key, Value(std::move(a)));
}

bool KeyedArchiver::writeObjectBody(const Archivable& object) {
  if (depth_ + 1 > KeyedUnarchiver::kMaxDepth) return false;
  ++depth_;
  frames_.emplace_back();
  object.encodeWithCoder(*this);
  Frame inner = std::move(frames_.back());
  frames_.pop_back();
  --depth_;
  putString(out(), object.archiveClassName());
  putVarint(out(), inner.count);
  out() += inner.bytes;
  return true;
}

void KeyedArchiver::encodeObject(std::string_view key, const Archivable* object) {
  ++frames_.back().count;
  putString(out(), key);
  size_t tagPos = out().size();
  out() += static_cast<char>(kTagObject);
  if (!object || !writeObjectBody(*object)) out()[tagPos] = static_cast<char>(kTagNullObject);
}

void KeyedArchiver::encodeObjectArray(
    std::string_view key, const std::vector<std::shared_ptr<const Archivable>>& objects) {
  beginEntry(key, kTagObjectArray);
  uint64_t n = 0;
  for (const auto& o : objects) n += o ? 1 : 0;
  putVarint(out(), n);
  for (const auto& o : objects) {
    if (!o) continue;
    size_t tagPos = out().size();
    out() += static_cast<char>(kTagObject);
    if (!writeObjectBody(*o)) out()[tagPos] = static_cast<char>(kTagNullObject);
  }
}

void KeyedArchiver::writeValue(const Value& v) {
  std::string& o = out();
  switch (v.type()) {
    case Value::Type::Null:
      o += static_cast<char>(kValueNull);
      return;
    case Value::Type::Bool:
      o += static_cast<char>(*v.asBool() ? kValueTrue : kValueFalse);
      return;
    case Value::Type::Int:
      o += static_cast<char>(kValueInt);
      putFixed(o, static_cast<uint64_t>(*v.asInt()), 8);
      return;
    case Value::Type::Double: {
      o += static_cast<char>(kValueDouble);
      uint64_t bits;
      double d = *v.asDouble();
      std::memcpy(&bits, &d, sizeof bits);
      putFixed(o, bits, 8);
      return;
    }
    case Value::Type::String:
      o += static_cast<char>(kValueString);
      putString(o, *v.asString());
      return;
    case Value::Type::Bytes: {
      const Bytes& b = *v.asBytes();
      o += static_cast<char>(kValueBytes);
      putString(o, std::string_view(reinterpret_cast<const char*>(b.data()), b.size()));
      return;
    }
    case Value::Type::Array:
    case Value::Type::Dictionary:
      if (depth_ + 1 > KeyedUnarchiver::kMaxDepth) {
        o += static_cast<char>(kValueNull);
        return;
      }
      ++depth_;
      if (const Array* a = v.asArray()) {
        o += static_cast<char>(kValueArray);
        putVarint(o, a->size());
        for (const Value& e : *a) writeValue(e);
      } else {
        const Dictionary& d = *v.asDictionary();
        o += static_cast<char>(kValueDict);
        putVarint(o, d.size());
        for (size_t i = 0; i < d.size(); ++i) {
          putString(out(), d.keyAt(i));
          writeValue(d.valueAt(i));
        }
      }
      --depth_;
      return;
    case Value::Type::Object: {
      auto object = v.asObject<Archivable>();
      size_t tagPos = o.size();
      o += static_cast<char>(kValueObject);
      if (!object || !writeObjectBody(*object)) out()[tagPos] = static_cast<char>(kValueNull);
      return;
    }
  }
}

Bytes KeyedArchiver::encodedData() const {
  std::string all(kMagic, sizeof kMagic);
  all += static_cast<char>(kFormatVersion);
  putVarint(all, frames_.front().count);
  all += frames_.front().bytes;
  uLong crc = crc32_z(0L, reinterpret_cast<const Bytef*>(all.data()), all.size());
  putFixed(all, crc, 4);
  return Bytes(all.begin(), all.end());
}

}  // namespace zu
