// VideoFrameSize: the picture size a compressed video frame declares in its own first bytes,
// read before a decoder sees the frame. Decoders set up their pictures from these declarations
// (libvpx allocates a key frame's size before it finds the data too short), so the movie player
// (MoviePlayback) reads them first and refuses a stream that declares more than it plays.
//  - VP8: a key frame's size (14 bits a side);
//  - VP9: the size a frame gives (key and intra-only frames, and inter frames that give their
//    own size rather than a reference's), for each frame of a superframe;
//  - Theora: the frame size of the identification header (in 16-pixel macroblocks);
//  - PNG and JPEG (a picture served where a video should be, or a film of JPEG pictures): the
//    size each image header gives (PNG's IHDR, JPEG's start of frame), wherever it stands in the
//    bytes: such a stream reaches its decoder as a file's bytes split anywhere, so its headers
//    are looked for in every buffer and across the split between two (declaredInStream).
// Other frames declare nothing. Pure functions over untrusted bytes: any input gives an answer
// (a broken header declares nothing; the decoder then fails on it as it would); any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace zu::ui {

class VideoFrameSize {
 public:
  VideoFrameSize() = delete;

  enum class Codec { kVP8, kVP9, kTheora, kPng, kJpeg };
  struct Size {
    uint32_t width = 0;
    uint32_t height = 0;
    bool operator==(const Size&) const = default;
  };

  // The codec of a stream whose GStreamer media type is `mediaType` ("video/x-vp8", …), when it
  // is one read here.
  static std::optional<Codec> codecOf(std::string_view mediaType);
  // The size `frame` declares (the largest, for a VP9 superframe, or of the PNG or JPEG headers
  // it holds), if it declares one.
  static std::optional<Size> declared(Codec codec, const uint8_t* frame, size_t size);
  // For PNG and JPEG: the largest size the headers declare that end in `data`, the next bytes of
  // a stream whose bytes before them end in `carried` (kept here from one call to the next: a
  // header split between two calls is read whole). For the other codecs, declared().
  static std::optional<Size> declaredInStream(Codec codec, std::vector<uint8_t>& carried,
                                              const uint8_t* data, size_t size);
  // The wider and the higher of two declarations (either may be none).
  static std::optional<Size> larger(std::optional<Size> a, std::optional<Size> b);
};

}  // namespace zu::ui
