// PostTextDelegate: what the share screen's text cell tells its screen: the whole text after each
// change the reader made. Main thread only; the cell does not retain its delegate.
#pragma once

#include <string>

namespace zu {

class PostTextDelegate {
 public:
  virtual ~PostTextDelegate() = default;
  virtual void didChangePostText(const std::string& text) = 0;
};

}  // namespace zu
