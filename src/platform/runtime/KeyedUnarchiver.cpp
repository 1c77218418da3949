#include "platform/runtime/KeyedUnarchiver.h"

#include <zlib.h>

#include <cstring>
#include <limits>
#include <map>
#include <mutex>

#include "platform/runtime/ArchiveFormat.h"
#include "platform/runtime/KeyedArchiver.h"

namespace zu {

using namespace archive;

struct KeyedUnarchiver::Tree {
  std::string data;
  int version = 0;
};

struct KeyedUnarchiver::Entry {
  std::string_view key;  // points into Tree::data
  uint8_t tag;
  size_t payload;  // offset of the payload in Tree::data
};

namespace {

std::mutex gRegistryMutex;
std::map<std::string, KeyedUnarchiver::Factory, std::less<>>& registry() {
  static auto* r = new std::map<std::string, KeyedUnarchiver::Factory, std::less<>>();
  return *r;
}

// --- Validation: walks the bytes once, allocating nothing, so that later reads of a validated
// tree cannot run past the end. Each function also serves as "skip over this item".

bool checkContainer(Cursor& c, int depth);

bool checkObjectBody(Cursor& c, int depth) {
  std::string_view name;
  if (!c.string(name) || name.empty()) return false;
  if (depth + 1 > KeyedUnarchiver::kMaxDepth) return false;
  return checkContainer(c, depth + 1);
}

bool checkValue(Cursor& c, int depth) {
  uint8_t tag;
  if (!c.u8(tag)) return false;
  uint64_t n;
  std::string_view s;
  switch (tag) {
    case kValueNull:
    case kValueFalse:
    case kValueTrue:
      return true;
    case kValueInt:
    case kValueDouble:
      return c.fixed(n, 8);
    case kValueString:
    case kValueBytes:
      return c.string(s);
    case kValueArray:
    case kValueDict:
      if (depth + 1 > KeyedUnarchiver::kMaxDepth || !c.count(n)) return false;
      for (uint64_t i = 0; i < n; ++i) {
        if (tag == kValueDict && !c.string(s)) return false;
        if (!checkValue(c, depth + 1)) return false;
      }
      return true;
    case kValueObject:
      return checkObjectBody(c, depth);
    default:
      return false;
  }
}

bool checkPayload(uint8_t tag, Cursor& c, int depth) {
  uint64_t n;
  uint8_t b;
  std::string_view s;
  switch (tag) {
    case kTagBool:
      return c.u8(b) && b <= 1;
    case kTagInt32:
      return c.fixed(n, 4);
    case kTagInt64:
    case kTagDouble:
      return c.fixed(n, 8);
    case kTagString:
    case kTagBytes:
      return c.string(s);
    case kTagValue:
      return checkValue(c, depth);
    case kTagObject:
      return checkObjectBody(c, depth);
    case kTagNullObject:
      return true;
    case kTagObjectArray:
      if (!c.count(n)) return false;
      for (uint64_t i = 0; i < n; ++i) {
        if (!c.u8(b)) return false;
        if (b == kTagObject) {
          if (!checkObjectBody(c, depth)) return false;
        } else if (b != kTagNullObject) {
          return false;
        }
      }
      return true;
    default:
      return false;
  }
}

bool checkContainer(Cursor& c, int depth) {
  uint64_t n;
  if (!c.count(n)) return false;
  for (uint64_t i = 0; i < n; ++i) {
    std::string_view key;
    uint8_t tag;
    if (!c.string(key) || !c.u8(tag) || !checkPayload(tag, c, depth)) return false;
  }
  return true;
}

double bitsToDouble(uint64_t bits) {
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

}  // namespace

void KeyedUnarchiver::registerClass(const std::string& className, Factory factory) {
  std::lock_guard<std::mutex> lock(gRegistryMutex);
  registry()[className] = std::move(factory);
}

KeyedUnarchiver::KeyedUnarchiver(const Bytes& data) : KeyedUnarchiver(data.data(), data.size()) {}

KeyedUnarchiver::KeyedUnarchiver(const uint8_t* data, size_t size) {
  if (!data || size < kHeaderSize + kTrailerSize) return;
  if (std::memcmp(data, kMagic, sizeof kMagic) != 0) return;
  int version = data[sizeof kMagic];
  if (version < 1 || version > KeyedArchiver::kFormatVersion) return;
  size_t bodyEnd = size - kTrailerSize;
  Cursor trailer{data + bodyEnd, data + size};
  uint64_t stored;
  trailer.fixed(stored, 4);
  if (crc32_z(0L, data, bodyEnd) != stored) return;
  Cursor c{data + kHeaderSize, data + bodyEnd};
  if (!checkContainer(c, 0) || c.p != c.end) return;

  auto tree = std::make_shared<Tree>();
  tree->data.assign(reinterpret_cast<const char*>(data), bodyEnd);
  tree->version = version;
  tree_ = std::move(tree);
  index(kHeaderSize);
}

KeyedUnarchiver::KeyedUnarchiver(std::shared_ptr<const Tree> tree, size_t offset, int depth)
    : tree_(std::move(tree)), depth_(depth) {
  index(offset);
}

KeyedUnarchiver::~KeyedUnarchiver() = default;

void KeyedUnarchiver::index(size_t offset) {
  const auto* base = reinterpret_cast<const uint8_t*>(tree_->data.data());
  Cursor c{base + offset, base + tree_->data.size()};
  uint64_t n;
  if (!c.count(n)) return;
  entries_.reserve(static_cast<size_t>(n));
  for (uint64_t i = 0; i < n; ++i) {
    Entry e;
    if (!c.string(e.key) || !c.u8(e.tag)) return;
    e.payload = static_cast<size_t>(c.p - base);
    if (!checkPayload(e.tag, c, depth_)) return;
    entries_.push_back(e);
  }
}

int KeyedUnarchiver::version() const { return tree_ ? tree_->version : 0; }

std::shared_ptr<Archivable> KeyedUnarchiver::unarchiveObject(const Bytes& data) {
  KeyedUnarchiver coder(data);
  return coder.decodeObject("root");
}

const KeyedUnarchiver::Entry* KeyedUnarchiver::find(std::string_view key) const {
  // The last entry of a key wins, as when a dictionary is assigned twice.
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
    if (it->key == key) return &*it;
  }
  return nullptr;
}

bool KeyedUnarchiver::containsKey(std::string_view key) const { return find(key) != nullptr; }

namespace {

// A cursor over an entry's payload (already validated).
Cursor payloadCursor(const std::string& data, size_t offset) {
  const auto* base = reinterpret_cast<const uint8_t*>(data.data());
  return Cursor{base + offset, base + data.size()};
}

}  // namespace

std::optional<bool> KeyedUnarchiver::decodeBool(std::string_view key) const {
  const Entry* e = find(key);
  if (!e || e->tag != kTagBool) return std::nullopt;
  return tree_->data[e->payload] != 0;
}

std::optional<int64_t> KeyedUnarchiver::decodeInt64(std::string_view key) const {
  const Entry* e = find(key);
  if (!e) return std::nullopt;
  Cursor c = payloadCursor(tree_->data, e->payload);
  uint64_t bits;
  if (e->tag == kTagInt32 && c.fixed(bits, 4)) {
    return static_cast<int64_t>(static_cast<int32_t>(static_cast<uint32_t>(bits)));
  }
  if (e->tag == kTagInt64 && c.fixed(bits, 8)) return static_cast<int64_t>(bits);
  return std::nullopt;
}

std::optional<int32_t> KeyedUnarchiver::decodeInt32(std::string_view key) const {
  auto v = decodeInt64(key);
  if (!v || *v < std::numeric_limits<int32_t>::min() || *v > std::numeric_limits<int32_t>::max())
    return std::nullopt;
  return static_cast<int32_t>(*v);
}

std::optional<double> KeyedUnarchiver::decodeDouble(std::string_view key) const {
  const Entry* e = find(key);
  if (!e) return std::nullopt;
  if (e->tag == kTagDouble) {
    Cursor c = payloadCursor(tree_->data, e->payload);
    uint64_t bits;
    if (c.fixed(bits, 8)) return bitsToDouble(bits);
    return std::nullopt;
  }
  if (auto i = decodeInt64(key)) return static_cast<double>(*i);
  return std::nullopt;
}

std::optional<std::string> KeyedUnarchiver::decodeString(std::string_view key) const {
  const Entry* e = find(key);
  if (!e || e->tag != kTagString) return std::nullopt;
  Cursor c = payloadCursor(tree_->data, e->payload);
  std::string_view s;
  if (!c.string(s)) return std::nullopt;
  return std::string(s);
}

std::optional<Bytes> KeyedUnarchiver::decodeBytes(std::string_view key) const {
  const Entry* e = find(key);
  if (!e || e->tag != kTagBytes) return std::nullopt;
  Cursor c = payloadCursor(tree_->data, e->payload);
  std::string_view s;
  if (!c.string(s)) return std::nullopt;
  return Bytes(s.begin(), s.end());
}

std::optional<Value> KeyedUnarchiver::decodeValue(std::string_view key) const {
  const Entry* e = find(key);
  if (!e) return std::nullopt;
  switch (e->tag) {
    case kTagValue: {
      const auto* p = reinterpret_cast<const uint8_t*>(tree_->data.data()) + e->payload;
      return readValue(p, depth_);
    }
    case kTagBool:
      return Value(*decodeBool(key));
    case kTagInt32:
    case kTagInt64:
      return Value(*decodeInt64(key));
    case kTagDouble:
      return Value(*decodeDouble(key));
    case kTagString:
      return Value(*decodeString(key));
    case kTagBytes:
      return Value(*decodeBytes(key));
    case kTagObject:
    case kTagNullObject:
      return Value(decodeObject(key));
    default:
      return std::nullopt;
  }
}

std::optional<std::vector<std::string>> KeyedUnarchiver::decodeStringArray(
    std::string_view key) const {
  const Entry* e = find(key);
  if (!e || e->tag != kTagValue) return std::nullopt;
  auto v = decodeValue(key);
  const Array* a = v ? v->asArray() : nullptr;
  if (!a) return std::nullopt;
  std::vector<std::string> out;
  out.reserve(a->size());
  for (const Value& item : *a) {
    const std::string* s = item.asString();
    if (!s) return std::nullopt;
    out.push_back(*s);
  }
  return out;
}

std::shared_ptr<Archivable> KeyedUnarchiver::makeObject(std::string_view className,
                                                        size_t offset, int depth) const {
  Factory factory;
  {
    std::lock_guard<std::mutex> lock(gRegistryMutex);
    auto it = registry().find(className);
    if (it == registry().end()) return nullptr;
    factory = it->second;
  }
  std::shared_ptr<Archivable> object = factory ? factory() : nullptr;
  if (!object) return nullptr;
  KeyedUnarchiver child(tree_, offset, depth);
  if (!object->initWithCoder(child)) return nullptr;
  return object;
}

std::shared_ptr<Archivable> KeyedUnarchiver::decodeObject(std::string_view key) const {
  const Entry* e = find(key);
  if (!e || e->tag != kTagObject) return nullptr;
  Cursor c = payloadCursor(tree_->data, e->payload);
  std::string_view name;
  if (!c.string(name)) return nullptr;
  size_t offset = static_cast<size_t>(c.p - reinterpret_cast<const uint8_t*>(tree_->data.data()));
  return makeObject(name, offset, depth_ + 1);
}

std::vector<std::shared_ptr<Archivable>> KeyedUnarchiver::decodeObjectArray(
    std::string_view key) const {
  std::vector<std::shared_ptr<Archivable>> out;
  const Entry* e = find(key);
  if (!e || e->tag != kTagObjectArray) return out;
  const auto* base = reinterpret_cast<const uint8_t*>(tree_->data.data());
  Cursor c = payloadCursor(tree_->data, e->payload);
  uint64_t n;
  if (!c.count(n)) return out;
  for (uint64_t i = 0; i < n; ++i) {
    uint8_t tag;
    if (!c.u8(tag)) break;
    if (tag != kTagObject) continue;
    Cursor body = c;
    std::string_view name;
    if (!body.string(name)) break;
    size_t offset = static_cast<size_t>(body.p - base);
    if (!checkObjectBody(c, depth_)) break;  // moves past this element
    if (auto o = makeObject(name, offset, depth_ + 1)) out.push_back(std::move(o));
  }
  return out;
}

Value KeyedUnarchiver::readValue(const uint8_t*& p, int depth) const {
  const auto* base = reinterpret_cast<const uint8_t*>(tree_->data.data());
  Cursor c{p, base + tree_->data.size()};
  Value result;
  uint8_t tag;
  uint64_t n;
  std::string_view s;
  if (!c.u8(tag)) return result;
  switch (tag) {
    case kValueFalse:
    case kValueTrue:
      result = Value(tag == kValueTrue);
      break;
    case kValueInt:
      if (c.fixed(n, 8)) result = Value(static_cast<int64_t>(n));
      break;
    case kValueDouble:
      if (c.fixed(n, 8)) result = Value(bitsToDouble(n));
      break;
    case kValueString:
      if (c.string(s)) result = Value(std::string(s));
      break;
    case kValueBytes:
      if (c.string(s)) result = Value(Bytes(s.begin(), s.end()));
      break;
    case kValueArray:
      if (c.count(n)) {
        Array a;
        a.reserve(static_cast<size_t>(n));
        for (uint64_t i = 0; i < n; ++i) a.push_back(readValue(c.p, depth + 1));
        result = Value(std::move(a));
      }
      break;
    case kValueDict:
      if (c.count(n)) {
        Dictionary d;
        for (uint64_t i = 0; i < n; ++i) {
          if (!c.string(s)) break;
          std::string k(s);
          d.set(std::move(k), readValue(c.p, depth + 1));
        }
        result = Value(std::move(d));
      }
      break;
    case kValueObject:
      if (c.string(s)) {
        size_t offset = static_cast<size_t>(c.p - base);
        Cursor skip{c.p, c.end};
        if (checkContainer(skip, depth + 1)) {
          if (auto o = makeObject(s, offset, depth + 1)) result = Value(std::move(o));
          c.p = skip.p;
        }
      }
      break;
    default:
      break;
  }
  p = c.p;
  return result;
}

}  // namespace zu
