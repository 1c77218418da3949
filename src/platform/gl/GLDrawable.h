// GLDrawable: the drawing surface a GL view renders into, standing in for the layer that backs
// such a view on the phone. It knows the size in pixels that the view's bounds give it, hands
// that size to the colour renderbuffer of the view's framebuffer object (renderbufferStorage),
// and "presents" a finished frame by reading the framebuffer's pixels back into memory that
// the view then composites like any other picture.
//
// GL keeps rows bottom-up (row 0 is the bottom of the picture); present() writes them
// top-down, row 0 first, as every other image of the view kit is kept. The colours are copied
// as they stand in the framebuffer: like the phone's layer, the frame is taken as premultiplied
// (an opaque frame, the usual case, is the same either way).
//
// Both calls work on whatever context is current and whatever renderbuffer / framebuffer is
// bound, exactly like the phone's layer calls. Main thread only. Owned by its view.
#pragma once

#include <GLES/gl.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zu::gl {

class GLDisplay;

class GLDrawable {
 public:
  // Byte order of the pixels present() writes: R,G,B,A or B,G,R,A (a little-endian 0xAARRGGBB
  // word, cairo's layout).
  enum class PixelOrder { kRGBA, kBGRA };

  explicit GLDrawable(GLDisplay& display) : display_(display) {}

  // Size in pixels that the next renderbufferStorage() gives (negative values count as 0).
  void setSize(int width, int height);
  int width() const { return width_; }
  int height() const { return height_; }

  // Gives the bound renderbuffer RGBA8 storage of the drawable's size. False when GL refused
  // (the GL error is left for the caller's error check) or the size is empty.
  bool renderbufferStorage();

  // Reads the bound framebuffer's `width` × `height` pixels (the renderbuffer's size, which
  // the caller read back after storage) into `dst`, top row first, `stride` bytes apart.
  // False, with `dst` untouched, when the size is empty or the stride too small.
  bool present(int width, int height, uint8_t* dst, size_t stride, PixelOrder order);

 private:
  GLDisplay& display_;
  int width_ = 0;
  int height_ = 0;
  // GL's bottom-up rows, kept between frames so presenting allocates nothing.
  std::vector<uint8_t> readBack_;
};

}  // namespace zu::gl
