// Hand-made GIF files for the tests of the GIF frame decoder and the animated GIF view: a
// writer that lays out the blocks one by one and keeps the pieces it wrote, so a test can put
// together the standalone frame it expects from the pieces rather than from the decoder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zu::giftest {

using Bytes = std::vector<uint8_t>;

// LZW data at minimum code size 2 for pixels 0…3: the code size byte, sub-blocks of at most
// 255 bytes and the zero-length block. A clear code every two pixels keeps codes 3 bits wide.
inline Bytes lzw(const std::vector<uint8_t>& pixels) {
  std::vector<int> codes{4};
  for (size_t i = 0; i < pixels.size(); ++i) {
    if (i > 0 && i % 2 == 0) codes.push_back(4);
    codes.push_back(pixels[i] & 3);
  }
  codes.push_back(5);
  Bytes packed;
  uint32_t acc = 0;
  int bits = 0;
  for (int c : codes) {
    acc |= static_cast<uint32_t>(c) << bits;
    bits += 3;
    while (bits >= 8) {
      packed.push_back(static_cast<uint8_t>(acc));
      acc >>= 8;
      bits -= 8;
    }
  }
  if (bits > 0) packed.push_back(static_cast<uint8_t>(acc));
  Bytes out{2};
  for (size_t i = 0; i < packed.size(); i += 255) {
    const size_t n = std::min<size_t>(255, packed.size() - i);
    out.push_back(static_cast<uint8_t>(n));
    out.insert(out.end(), packed.begin() + static_cast<long>(i), packed.begin() + static_cast<long>(i + n));
  }
  out.push_back(0);
  return out;
}

inline void word(Bytes& b, int v) {
  b.push_back(static_cast<uint8_t>(v & 0xff));
  b.push_back(static_cast<uint8_t>((v >> 8) & 0xff));
}

// Palette entries: 0 red, 1 green, 2 blue, 3 white.
inline Bytes palette() { return {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255}; }

struct Gif {
  Bytes bytes;
  Bytes screen;        // the 7-byte logical screen descriptor as written
  Bytes globalTable;
  std::vector<Bytes> headers;      // each graphic control extension (8 bytes)
  std::vector<Bytes> descriptors;  // each image descriptor (9 bytes, as written)
  std::vector<Bytes> localTables;  // each image's local table (empty without)
  std::vector<Bytes> images;       // each image's LZW data

  // `packed` of the screen; a global table of 4 entries when its bit 7 is set.
  Gif(int width, int height, uint8_t packed = 0x81, const char* signature = "GIF89a") {
    bytes.assign(signature, signature + 6);
    word(screen, width);
    word(screen, height);
    screen.push_back(packed);
    screen.push_back(0);
    screen.push_back(0);
    bytes.insert(bytes.end(), screen.begin(), screen.end());
    if (packed & 0x80) {
      globalTable = palette();
      bytes.insert(bytes.end(), globalTable.begin(), globalTable.end());
    }
  }
  Gif& control(int disposal, int delay, int transparent = -1) {
    Bytes h{0x21, 0xF9, 0x04,
            static_cast<uint8_t>((disposal & 7) << 2 | (transparent >= 0 ? 1 : 0)),
            static_cast<uint8_t>(delay & 0xff), static_cast<uint8_t>(delay >> 8),
            static_cast<uint8_t>(transparent >= 0 ? transparent : 0), 0};
    headers.push_back(h);
    bytes.insert(bytes.end(), h.begin(), h.end());
    return *this;
  }
  // An image filled with `pixels` (row by row); `packed` of its descriptor (0x81: a local
  // table of 4 entries, 0xA1 the same sorted, 0x40 interlaced).
  Gif& image(int left, int top, int width, int height, const std::vector<uint8_t>& pixels, uint8_t packed = 0) {
    Bytes d;
    word(d, left);
    word(d, top);
    word(d, width);
    word(d, height);
    d.push_back(packed);
    descriptors.push_back(d);
    bytes.push_back(0x2C);
    bytes.insert(bytes.end(), d.begin(), d.end());
    Bytes local;
    if (packed & 0x80) {
      local = {0, 0, 0, 255, 255, 0, 0, 255, 255, 128, 128, 128};
      bytes.insert(bytes.end(), local.begin(), local.end());
    }
    localTables.push_back(local);
    images.push_back(lzw(pixels));
    bytes.insert(bytes.end(), images.back().begin(), images.back().end());
    return *this;
  }
  Gif& raw(const Bytes& b) {
    bytes.insert(bytes.end(), b.begin(), b.end());
    return *this;
  }
  Gif& trailer() {
    bytes.push_back(0x3B);
    return *this;
  }

  // The standalone file the view must make of image `i` with graphic control extension `h`,
  // put together from the pieces: the screen's packed byte becomes "table present", the sort
  // flag and size code of the table used, and keeps the colour resolution bits.
  Bytes standalone(size_t i, size_t h) const {
    const Bytes& d = descriptors[i];
    const bool local = d[8] & 0x80;
    const int sizeCode = local ? d[8] & 7 : screen[4] & 7;
    const int sorted = local ? (d[8] >> 5) & 1 : (screen[4] >> 3) & 1;
    Bytes out{'G', 'I', 'F', '8', '9', 'a'};
    Bytes s = screen;
    s[4] = static_cast<uint8_t>(0x80 | (sorted ? 0x08 : 0) | sizeCode | (screen[4] & 0x70));
    out.insert(out.end(), s.begin(), s.end());
    const Bytes& table = local ? localTables[i] : globalTable;
    out.insert(out.end(), table.begin(), table.end());
    out.insert(out.end(), headers[h].begin(), headers[h].end());
    out.push_back(0x2C);
    Bytes dd = d;
    dd[8] &= 0x40;
    out.insert(out.end(), dd.begin(), dd.end());
    out.insert(out.end(), images[i].begin(), images[i].end());
    out.push_back(0x3B);
    return out;
  }
};

// The standard loop-count block with count 256 (its low byte is zero).
inline Bytes loopBlock() {
  Bytes b{0x21, 0xFF, 11};
  const std::string id = "NETSCAPE2.0";
  b.insert(b.end(), id.begin(), id.end());
  b.insert(b.end(), {3, 1, 0x00, 0x01, 0});
  return b;
}

// An application block whose data holds the bytes 0xF9 0x04 followed by a zero byte.
inline Bytes trickyApplication() {
  Bytes b{0x21, 0xFF, 11};
  const std::string id = "XMP DataXMP";
  b.insert(b.end(), id.begin(), id.end());
  b.insert(b.end(), {5, 0xF9, 0x04, 0x00, 0x09, 0x00, 0});
  return b;
}

// A comment block whose text holds the bytes 0xF9 0x04 and a zero byte.
inline Bytes trickyComment() { return {0x21, 0xFE, 6, 'x', 0xF9, 0x04, 0, 7, 'y', 0}; }

}  // namespace zu::giftest
