// Fuzz target for the keyed archive reader. Each input is read twice: as it is (almost always
// stopped by the checksum) and with its checksum recomputed, so that the structure checks and
// the decoders see the mutated bytes. Nothing may crash, hang or allocate beyond the input.
#include <zlib.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/runtime/KeyedArchiver.h"
#include "platform/runtime/KeyedUnarchiver.h"

namespace {

// A record that reads every kind of field under a few keys, and nests.
class Node : public zu::Archivable {
 public:
  std::string archiveClassName() const override { return "Node"; }
  void encodeWithCoder(zu::KeyedArchiver& c) const override {
    c.encode("s", s_);
    c.encode("child", child_);
    c.encode("children", children_);
  }
  bool initWithCoder(zu::KeyedUnarchiver& c) override {
    for (const char* key : {"a", "b", "s", "v"}) {
      c.containsKey(key);
      c.decodeBool(key);
      c.decodeInt32(key);
      c.decodeInt64(key);
      c.decodeDouble(key);
      c.decodeBytes(key);
      c.decodeValue(key);
      c.decodeStringArray(key);
      if (auto s = c.decodeString(key)) s_ = *s;
    }
    child_ = c.decodeObject<Node>("child");
    children_ = c.decodeObjectArray<Node>("children");
    return !c.decodeBool("refuse").value_or(false);
  }

 private:
  std::optional<std::string> s_;
  std::shared_ptr<Node> child_;
  std::vector<std::shared_ptr<Node>> children_;
};

void decode(const uint8_t* data, size_t size) {
  zu::KeyedUnarchiver coder(data, size);
  Node root;
  root.initWithCoder(coder);
  if (auto node = coder.decodeObject<Node>("root")) {
    // What was read writes back to an archive that reads again.
    auto again = zu::KeyedUnarchiver::unarchiveObject<Node>(zu::KeyedArchiver::archivedData(*node));
    if (!again) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool registered = [] {
    zu::KeyedUnarchiver::registerClass<Node>("Node");
    return true;
  }();
  (void)registered;
  decode(data, size);
  if (size >= 4) {
    std::vector<uint8_t> fixed(data, data + size);
    uLong crc = crc32_z(0L, fixed.data(), size - 4);
    for (int i = 0; i < 4; ++i) fixed[size - 4 + i] = static_cast<uint8_t>(crc >> (8 * i));
    decode(fixed.data(), fixed.size());
  }
  return 0;
}
