// VideoFrameSize: the picture size a compressed video frame declares in its own first bytes,
// read before a decoder sees the frame. Decoders set up their pictures from these declarations
// (libvpx allocates a key frame's size before it finds the data too short), so the movie player
// (MoviePlayback) reads them first and refuses a stream that declares more than it plays.
//  - VP8: a key frame's size (14 bits a side);
//  - VP9: the size a frame gives (key and intra-only frames, and inter frames that give their
//    own size rather than a reference's), for each frame of a superframe;
//  - Theora: the frame size of the identification header (in 16-pixel macroblocks).
// Other frames declare nothing. Pure functions over untrusted bytes: any input gives an answer
// (a broken header declares nothing; the decoder then fails on it as it would); any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace zu::ui {

class VideoFrameSize {
 public:
  VideoFrameSize() = delete;

  enum class Codec { kVP8, kVP9, kTheora };
  struct Size {
    uint32_t width = 0;
    uint32_t height = 0;
    bool operator==(const Size&) const = default;
  };

  // The codec of a stream whose GStreamer media type is `mediaType` ("video/x-vp8", …), when it
  // is one read here.
  static std::optional<Codec> codecOf(std::string_view mediaType);
  // The size `frame` declares (the largest, for a VP9 superframe), if it declares one.
  static std::optional<Size> declared(Codec codec, const uint8_t* frame, size_t size);
  // The wider and the higher of two declarations (either may be none).
  static std::optional<Size> larger(std::optional<Size> a, std::optional<Size> b);
};

}  // namespace zu::ui
