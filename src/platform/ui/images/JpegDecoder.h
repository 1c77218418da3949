// JpegDecoder: JPEG decoding for Image over libjpeg-turbo (grayscale, YCbCr and RGB files; CMYK
// is refused). Errors longjmp out of the library into a null result; a file that ends before
// its last scan is refused too instead of coming back half grey. Stateless; any thread.
//
// The work a file may ask for is bounded: a progressive file may hold any number of scans, each
// a full pass over the picture's coefficients, so a small file of repeated scans could keep a
// caller busy for minutes. A file with more than Limits::maxScans scans, or whose decoding runs
// past Limits::maxSeconds, is refused (null) as soon as the library reports its progress. The
// time is real time (the steady clock), not the injected Clock: it bounds work, and a fake clock
// in a test must neither stretch nor cut it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace zu::ui {

class Image;

class JpegDecoder {
 public:
  // Encoders write about ten scans for a progressive file (one per component's DC, then bands
  // of AC coefficients and their refinements); far more has no use but to cost time.
  static constexpr int kMaxScans = 100;
  // Far above what the largest picture accepted (Image::kMaxPixels) takes to decode (about a
  // tenth of a second); screens decode on the main thread, which must not stall for longer.
  static constexpr double kMaxDecodeSeconds = 2;

  struct Limits {
    int maxScans;
    double maxSeconds;
  };

  static bool hasSignature(const uint8_t* data, size_t size);
  // Decodes under the default limits (kMaxScans, kMaxDecodeSeconds).
  static std::shared_ptr<Image> decode(const uint8_t* data, size_t size);
  static std::shared_ptr<Image> decode(const uint8_t* data, size_t size, const Limits& limits);
};

}  // namespace zu::ui
