#include "platform/gl/GLDrawable.h"

#include <GLES/glext.h>

#include <algorithm>
#include <cstring>

#include "platform/gl/GLDisplay.h"

namespace zu::gl {

void GLDrawable::setSize(int width, int height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
}

bool GLDrawable::renderbufferStorage() {
  if (width_ == 0 || height_ == 0) return false;
  display_.fbo().renderbufferStorage(GL_RENDERBUFFER_OES, GL_RGBA8_OES, width_, height_);
  // Peek without consuming: the caller's own error check should still see GL's word.
  GLint storedWidth = 0;
  display_.fbo().getRenderbufferParameteriv(GL_RENDERBUFFER_OES, GL_RENDERBUFFER_WIDTH_OES,
                                            &storedWidth);
  return storedWidth == width_;
}

bool GLDrawable::present(int width, int height, uint8_t* dst, size_t stride, PixelOrder order) {
  if (width <= 0 || height <= 0 || dst == nullptr) return false;
  const size_t rowBytes = static_cast<size_t>(width) * 4;
  if (stride < rowBytes) return false;
  readBack_.resize(rowBytes * static_cast<size_t>(height));
  // Rows are packed: no padding between them in readBack_.
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, width, height, order == PixelOrder::kBGRA ? GL_BGRA_EXT : GL_RGBA,
               GL_UNSIGNED_BYTE, readBack_.data());
  for (int row = 0; row < height; ++row) {
    const uint8_t* from = readBack_.data() + static_cast<size_t>(height - 1 - row) * rowBytes;
    std::memcpy(dst + static_cast<size_t>(row) * stride, from, rowBytes);
  }
  return true;
}

}  // namespace zu::gl
