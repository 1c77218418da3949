// OfflineDownloadDelegate: what the offline download manager asks of the screen that owns it
// (the home screen): the download button whose picture plays the 17-frame animation while a
// download runs, and the word that the manager's work is over, upon which the screen lets the
// manager go. Called on the main thread; the manager does not retain its delegate.
#pragma once

#include <memory>

namespace zu {

namespace ui {
class Button;
}

class OfflineDownloadDelegate {
 public:
  virtual ~OfflineDownloadDelegate() = default;
  // The screen's offline download button; the pop-up grows out of it and shrinks back into it
  // (its frame, centre and size in the screen's view are used as they are, on the window).
  virtual std::shared_ptr<ui::Button> getDownloadButton() = 0;
  // The download has ended and the pop-up is gone. The manager stays alive until this returns,
  // so the screen may drop it here.
  virtual void finishOfflineDownload() = 0;
};

}  // namespace zu
