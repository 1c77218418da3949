#include "platform/ui/system/VideoFrameSize.h"

#include <algorithm>
#include <cstring>

namespace zu::ui {

namespace {

using Size = VideoFrameSize::Size;

// Reads bits from the most significant down; past the end every read fails.
class BitReader {
 public:
  BitReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  // The next `count` bits (at most 24), or nullopt past the end.
  std::optional<uint32_t> read(int count) {
    uint32_t value = 0;
    for (int i = 0; i < count; ++i) {
      if (bit_ >= size_ * 8) return std::nullopt;
      value = value << 1 | ((data_[bit_ / 8] >> (7 - bit_ % 8)) & 1);
      ++bit_;
    }
    return value;
  }
  bool skip(int count) { return read(count).has_value(); }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t bit_ = 0;
};

std::optional<Size> vp8(const uint8_t* p, size_t size) {
  // A key frame (bit 0 of the frame tag clear): the start code, then width and height in the
  // low 14 bits of two little-endian words (the top two bits scale, not size).
  if (size < 10 || (p[0] & 1) != 0 || p[3] != 0x9d || p[4] != 0x01 || p[5] != 0x2a) return std::nullopt;
  return Size{static_cast<uint32_t>((p[6] | p[7] << 8) & 0x3fff),
              static_cast<uint32_t>((p[8] | p[9] << 8) & 0x3fff)};
}

// The colour description of a VP9 key or intra-only frame, skipped.
bool skipVp9ColorConfig(BitReader& bits, uint32_t profile) {
  if (profile >= 2 && !bits.skip(1)) return false;  // ten or twelve bits
  const auto space = bits.read(3);
  if (!space) return false;
  const bool hasSubsampling = profile == 1 || profile == 3;
  if (*space != 7) return bits.skip(1) && (!hasSubsampling || bits.skip(3));  // range, x, y, zero
  return !hasSubsampling || bits.skip(1);  // RGB
}

std::optional<Size> vp9FrameSize(BitReader& bits) {
  const auto width = bits.read(16);
  const auto height = bits.read(16);
  if (!width || !height) return std::nullopt;
  return Size{*width + 1, *height + 1};
}

bool vp9SyncCode(BitReader& bits) { return bits.read(24) == 0x498342u; }

// One frame's uncompressed header, as far as its size.
std::optional<Size> vp9Frame(const uint8_t* p, size_t size) {
  BitReader bits(p, size);
  if (bits.read(2) != 2u) return std::nullopt;  // frame marker
  const auto low = bits.read(1);
  const auto high = bits.read(1);
  if (!low || !high) return std::nullopt;
  const uint32_t profile = *high << 1 | *low;
  if (profile == 3 && !bits.skip(1)) return std::nullopt;
  const auto showExisting = bits.read(1);
  if (!showExisting || *showExisting) return std::nullopt;  // shows a frame decoded before
  const auto type = bits.read(1);
  const auto show = bits.read(1);
  const auto errorResilient = bits.read(1);
  if (!type || !show || !errorResilient) return std::nullopt;
  if (*type == 0) {  // key frame
    if (!vp9SyncCode(bits) || !skipVp9ColorConfig(bits, profile)) return std::nullopt;
    return vp9FrameSize(bits);
  }
  std::optional<uint32_t> intraOnly = 0u;
  if (!*show) intraOnly = bits.read(1);
  if (!intraOnly || (!*errorResilient && !bits.skip(2))) return std::nullopt;  // reset context
  if (*intraOnly) {
    if (!vp9SyncCode(bits) || (profile > 0 && !skipVp9ColorConfig(bits, profile))) return std::nullopt;
    if (!bits.skip(8)) return std::nullopt;  // frames refreshed
    return vp9FrameSize(bits);
  }
  if (!bits.skip(8 + 3 * 4)) return std::nullopt;  // frames refreshed; references and their signs
  for (int i = 0; i < 3; ++i) {
    const auto fromReference = bits.read(1);
    if (!fromReference || *fromReference) return std::nullopt;  // a reference's size
  }
  return vp9FrameSize(bits);
}

std::optional<Size> vp9(const uint8_t* p, size_t size) {
  // A superframe ends in an index of its frames' sizes, framed by one marker byte at each end.
  if (size > 0 && (p[size - 1] & 0xe0) == 0xc0) {
    const uint8_t marker = p[size - 1];
    const size_t frames = (marker & 7u) + 1;
    const size_t bytes = ((marker >> 3) & 3u) + 1;
    const size_t index = 2 + bytes * frames;
    if (size >= index && p[size - index] == marker) {
      std::optional<Size> found;
      size_t at = 0;
      for (size_t f = 0; f < frames; ++f) {
        size_t length = 0;
        for (size_t b = 0; b < bytes; ++b) length |= static_cast<size_t>(p[size - index + 1 + f * bytes + b]) << (8 * b);
        if (length > size - index - at) break;
        found = VideoFrameSize::larger(found, vp9Frame(p + at, length));
        at += length;
      }
      return found;
    }
  }
  return vp9Frame(p, size);
}

std::optional<Size> theora(const uint8_t* p, size_t size) {
  // The identification header: 0x80 "theora", the version (3 bytes), then the frame's width and
  // height in macroblocks (16 bits each, big-endian).
  constexpr std::string_view kMagic("\x80theora", 7);
  if (size < 14 || std::string_view(reinterpret_cast<const char*>(p), 7) != kMagic) return std::nullopt;
  return Size{static_cast<uint32_t>(p[10] << 8 | p[11]) * 16, static_cast<uint32_t>(p[12] << 8 | p[13]) * 16};
}

// A PNG header: the signature, then the IHDR chunk's length and type, then the width and the
// height (four bytes each, big-endian).
constexpr size_t kPngHeader = 24;
// A JPEG start of frame: its marker, length (2), sample precision (1), height and width (2 each).
constexpr size_t kJpegHeader = 9;

uint32_t bigEndian(const uint8_t* p, int bytes) {
  uint32_t value = 0;
  for (int i = 0; i < bytes; ++i) value = value << 8 | p[i];
  return value;
}

// Every PNG header in the bytes, wherever it starts.
std::optional<Size> pngHeaders(const uint8_t* p, size_t size) {
  static constexpr uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  std::optional<Size> found;
  for (size_t at = 0; at + kPngHeader <= size; ++at) {
    if (p[at] != 0x89 || std::memcmp(p + at, kSignature, sizeof kSignature) != 0 ||
        std::memcmp(p + at + 12, "IHDR", 4) != 0) {
      continue;
    }
    found = VideoFrameSize::larger(found, Size{bigEndian(p + at + 16, 4), bigEndian(p + at + 20, 4)});
  }
  return found;
}

// Every JPEG start of frame in the bytes (baseline, extended, progressive, lossless,
// hierarchical, arithmetic: C0–C3, C5–C7, C9–CB, CD–CF), wherever it starts.
std::optional<Size> jpegHeaders(const uint8_t* p, size_t size) {
  std::optional<Size> found;
  for (size_t at = 0; at + kJpegHeader <= size; ++at) {
    if (p[at] != 0xff) continue;
    const uint8_t marker = p[at + 1];
    if ((marker & 0xf0) != 0xc0 || marker == 0xc4 || marker == 0xc8 || marker == 0xcc) continue;
    found = VideoFrameSize::larger(found, Size{bigEndian(p + at + 7, 2), bigEndian(p + at + 5, 2)});
  }
  return found;
}

}  // namespace

std::optional<VideoFrameSize::Size> VideoFrameSize::larger(std::optional<Size> a, std::optional<Size> b) {
  if (!a) return b;
  if (!b) return a;
  return Size{std::max(a->width, b->width), std::max(a->height, b->height)};
}

std::optional<VideoFrameSize::Codec> VideoFrameSize::codecOf(std::string_view mediaType) {
  if (mediaType == "video/x-vp8") return Codec::kVP8;
  if (mediaType == "video/x-vp9") return Codec::kVP9;
  if (mediaType == "video/x-theora") return Codec::kTheora;
  if (mediaType == "image/png") return Codec::kPng;
  if (mediaType == "image/jpeg") return Codec::kJpeg;
  return std::nullopt;
}

std::optional<VideoFrameSize::Size> VideoFrameSize::declared(Codec codec, const uint8_t* frame, size_t size) {
  if (!frame) return std::nullopt;
  switch (codec) {
    case Codec::kVP8: return vp8(frame, size);
    case Codec::kVP9: return vp9(frame, size);
    case Codec::kTheora: return theora(frame, size);
    case Codec::kPng: return pngHeaders(frame, size);
    case Codec::kJpeg: return jpegHeaders(frame, size);
  }
  return std::nullopt;
}

std::optional<VideoFrameSize::Size> VideoFrameSize::declaredInStream(Codec codec, std::vector<uint8_t>& carried,
                                                                     const uint8_t* data, size_t size) {
  if (codec != Codec::kPng && codec != Codec::kJpeg) return declared(codec, data, size);
  if (!data) size = 0;
  // A header needs at most this many bytes before the call's own: they are kept from the last.
  const size_t keep = (codec == Codec::kPng ? kPngHeader : kJpegHeader) - 1;
  // The headers that begin in the bytes carried and end in these, then those within these.
  std::vector<uint8_t> joined = carried;
  joined.insert(joined.end(), data, data + std::min(size, keep));
  std::optional<Size> found = declared(codec, joined.data(), joined.size());
  if (size > 0) found = larger(found, declared(codec, data, size));
  if (size >= keep) {
    carried.assign(data + size - keep, data + size);
  } else {
    carried.insert(carried.end(), data, data + size);
    if (carried.size() > keep) carried.erase(carried.begin(), carried.end() - static_cast<std::ptrdiff_t>(keep));
  }
  return found;
}

}  // namespace zu::ui
