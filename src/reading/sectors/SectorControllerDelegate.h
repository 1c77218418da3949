// SectorControllerDelegate: what a sector tells the page that holds it. updateGridView is sent on
// the main thread after a picture that was loading has been shown, so the page can redraw.
#pragma once

namespace zu {

class SectorControllerDelegate {
 public:
  virtual ~SectorControllerDelegate() = default;
  virtual void updateGridView() {}
};

}  // namespace zu
