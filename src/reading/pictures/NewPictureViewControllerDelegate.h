// NewPictureViewControllerDelegate: what the picture viewer tells the page that opened it in an
// album column (the article page): the article it now shows (setDetailIndex, at every article
// loaded) and the article it closed on (setBackPageIndex), as indexes into the shared article
// list. Held weakly by the viewer; called on the main thread.
#pragma once

#include <cstdint>

namespace zu {

class NewPictureViewControllerDelegate {
 public:
  virtual ~NewPictureViewControllerDelegate() = default;
  virtual void setDetailIndex(int64_t index) = 0;
  virtual void setBackPageIndex(int64_t index) = 0;
};

}  // namespace zu
