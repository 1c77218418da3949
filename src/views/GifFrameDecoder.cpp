#include "views/GifFrameDecoder.h"

#include <cstring>

namespace zu {

namespace {

constexpr uint8_t kExtension = 0x21;
constexpr uint8_t kImage = 0x2C;
constexpr uint8_t kTrailer = 0x3B;
constexpr uint8_t kGraphicControl = 0xF9;
constexpr size_t kSignatureSize = 6;
constexpr size_t kScreenSize = 7;
constexpr size_t kDescriptorSize = 9;

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  // The next n bytes, or null (the position unchanged) when fewer remain.
  const uint8_t* take(size_t n) {
    if (n > size_ - pos_) return nullptr;
    const uint8_t* p = data_ + pos_;
    pos_ += n;
    return p;
  }
  bool byte(uint8_t& out) {
    const uint8_t* p = take(1);
    if (p) out = *p;
    return p != nullptr;
  }
  // Skips data sub-blocks up to and including the zero-length one; `first` is a length byte
  // already read. False when the data ends first.
  bool skipSubBlocks(uint8_t first) {
    for (uint8_t length = first; length != 0;) {
      if (!take(length) || !byte(length)) return false;
    }
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

class Splitter {
 public:
  Splitter(const uint8_t* data, size_t size) : in_(data, size) {}

  GifFrameDecoder::Result run() {
    if (!in_.take(kSignatureSize)) return std::move(result_);
    const uint8_t* screen = in_.take(kScreenSize);
    if (!screen) return std::move(result_);
    std::memcpy(screen_, screen, kScreenSize);
    const uint8_t packed = screen_[4];
    sorted_ = (packed >> 3) & 1;
    sizeCode_ = packed & 7;
    if (packed & 0x80) {
      const size_t length = 3 * (size_t{2} << sizeCode_);
      const uint8_t* table = in_.take(length);
      if (!table) return std::move(result_);
      global_.assign(table, table + length);
    }
    uint8_t b = 0;
    for (;;) {
      if (!in_.byte(b)) {
        // The data ended before the trailer: a frame still waiting for its image goes.
        dropUnfinished(result_.frames.empty() ? nullptr : &result_.frames.back());
        break;
      }
      if (b == kTrailer) break;
      bool ok = true;
      if (b == kImage) ok = readImage();
      if (b == kExtension) ok = readExtension();
      if (!ok) break;
    }
    return std::move(result_);
  }

 private:
  bool readExtension() {
    AnimatedGifFrame* last = result_.frames.empty() ? nullptr : &result_.frames.back();
    uint8_t label = 0;
    uint8_t size = 0;
    if (!in_.byte(label) || !in_.byte(size)) return dropUnfinished(last);
    if (label != kGraphicControl || size != 4) {
      return in_.skipSubBlocks(size) || dropUnfinished(last);
    }
    const uint8_t* body = in_.take(5);
    if (!body) return dropUnfinished(last);
    // A well-formed block ends with a zero terminator; anything else is a stray sub-block.
    if (body[4] != 0 && !in_.skipSubBlocks(body[4])) return dropUnfinished(last);
    // Each frame record counts too, so a file of bare control blocks cannot grow without end.
    used_ += sizeof(AnimatedGifFrame) + 8;
    if (used_ > GifFrameDecoder::kMaxFrameBytes) {
      result_.overBudget = true;
      result_.frames.clear();
      return false;
    }
    AnimatedGifFrame frame;
    frame.disposalMethod = (body[0] >> 2) & 7;
    frame.delay = static_cast<double>(body[1] + 256 * body[2]);
    frame.header = {kExtension, kGraphicControl, 4, body[0], body[1], body[2], body[3], 0};
    result_.frames.push_back(std::move(frame));
    return true;
  }

  bool readImage() {
    AnimatedGifFrame* frame = result_.frames.empty() ? nullptr : &result_.frames.back();
    const uint8_t* d = in_.take(kDescriptorSize);
    if (!d) return dropUnfinished(frame);
    uint8_t descriptor[kDescriptorSize];
    std::memcpy(descriptor, d, kDescriptorSize);
    auto word = [&](int i) { return static_cast<float>(descriptor[i] | descriptor[i + 1] << 8); };
    const ui::Rect area(word(0), word(2), word(4), word(6));
    const uint8_t packed = descriptor[8];
    const bool local = packed & 0x80;
    const int sizeCode = local ? packed & 7 : sizeCode_;
    const int sort = local ? (packed >> 5) & 1 : sorted_;

    std::vector<uint8_t> out;
    out.reserve(64 + global_.size());
    static const uint8_t kSignature[] = {'G', 'I', 'F', '8', '9', 'a'};
    out.insert(out.end(), kSignature, kSignature + kSignatureSize);
    uint8_t screen[kScreenSize];
    std::memcpy(screen, screen_, kScreenSize);
    screen[4] = static_cast<uint8_t>((sort ? 0x88 : 0x80) | sizeCode | (screen_[4] & 0x70));
    out.insert(out.end(), screen, screen + kScreenSize);
    if (local) {
      const size_t length = 3 * (size_t{2} << sizeCode);
      const uint8_t* table = in_.take(length);
      if (!table) return dropUnfinished(frame);
      out.insert(out.end(), table, table + length);
    } else {
      out.insert(out.end(), global_.begin(), global_.end());
    }
    if (frame) out.insert(out.end(), frame->header.begin(), frame->header.end());
    out.push_back(kImage);
    descriptor[8] = packed & 0x40;
    out.insert(out.end(), descriptor, descriptor + kDescriptorSize);
    uint8_t codeSize = 0;
    if (!in_.byte(codeSize)) return dropUnfinished(frame);
    out.push_back(codeSize);
    for (;;) {
      uint8_t length = 0;
      if (!in_.byte(length)) return dropUnfinished(frame);
      out.push_back(length);
      if (length == 0) break;
      const uint8_t* block = in_.take(length);
      if (!block) return dropUnfinished(frame);
      if (frame) out.insert(out.end(), block, block + length);
    }
    out.push_back(kTrailer);
    if (!frame) return true;  // an image before any frame: read, kept nowhere

    const size_t total = used_ - frame->data.size() + out.size();
    if (total > GifFrameDecoder::kMaxFrameBytes) {
      result_.overBudget = true;
      result_.frames.clear();
      return false;
    }
    used_ = total;
    frame->area = area;
    frame->data = std::move(out);
    return true;
  }

  // The data ended early: a frame that has no image yet goes. Always false (stop reading).
  bool dropUnfinished(AnimatedGifFrame* frame) {
    if (frame && frame->data.empty()) result_.frames.pop_back();
    return false;
  }

  Reader in_;
  GifFrameDecoder::Result result_;
  uint8_t screen_[kScreenSize] = {};
  std::vector<uint8_t> global_;
  int sorted_ = 0;
  int sizeCode_ = 0;
  size_t used_ = 0;
};

}  // namespace

bool GifFrameDecoder::isGifImage(const uint8_t* data, size_t size) {
  return data && size >= 4 && std::memcmp(data, "GIF8", 4) == 0;
}

GifFrameDecoder::Result GifFrameDecoder::decode(const uint8_t* data, size_t size) {
  if (!data) return {};
  return Splitter(data, size).run();
}

}  // namespace zu
