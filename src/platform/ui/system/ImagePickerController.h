// ImagePickerController: the picture chooser a screen presents modally to take a picture from
// the photo library, the saved-photos album or the camera, reporting the choice to its
// delegate (not retained). Made with std::make_shared; main thread only.
//
// This machine has no camera and no photo library: the picker is a recorder.
// isSourceTypeAvailable() answers per source from capability flags, all off unless set (the
// executable leaves them off, so screens take their no-library / no-camera roads). The
// reader's choice is pick() or cancel(), called by the screen host or a test.
//
// Kept from the phone: the source numbers (library 0, camera 1, saved-photos album 2); a
// picked image reaches the delegate as the original and, when editing is allowed, as the
// edited image too; the delegate dismisses the picker.
// Where we differ on purpose: there is no crop tool, so the edited image is the original; the
// picker's view is a plain page.
#pragma once

#include <memory>

#include "platform/ui/controllers/ViewController.h"

namespace zu::ui {

class Image;
class ImagePickerController;

enum class ImagePickerSourceType { PhotoLibrary = 0, Camera = 1, SavedPhotosAlbum = 2 };

struct PickedMedia {
  std::shared_ptr<Image> originalImage;
  std::shared_ptr<Image> editedImage;  // null unless editing is allowed
};

class ImagePickerControllerDelegate {
 public:
  virtual ~ImagePickerControllerDelegate() = default;
  virtual void imagePickerControllerDidFinishPickingMedia(ImagePickerController& picker,
                                                          const PickedMedia& media) = 0;
  // Dismisses the picker by default.
  virtual void imagePickerControllerDidCancel(ImagePickerController& picker);
};

class ImagePickerController : public ViewController {
 public:
  static bool isSourceTypeAvailable(ImagePickerSourceType type);
  static void setSourceTypeAvailable(ImagePickerSourceType type, bool available);

  void setDelegate(std::weak_ptr<ImagePickerControllerDelegate> delegate) { delegate_ = std::move(delegate); }
  ImagePickerSourceType sourceType() const { return sourceType_; }
  void setSourceType(ImagePickerSourceType type) { sourceType_ = type; }
  bool allowsEditing() const { return allowsEditing_; }
  void setAllowsEditing(bool allows) { allowsEditing_ = allows; }

  // The reader picks `image`: false (nothing reported) when the picker's source is not
  // available or the image is null.
  bool pick(const std::shared_ptr<Image>& image);
  void cancel();

  void viewDidLoad() override;

  // Turns every source off (between tests).
  static void resetForTesting();

 private:
  std::weak_ptr<ImagePickerControllerDelegate> delegate_;
  ImagePickerSourceType sourceType_ = ImagePickerSourceType::PhotoLibrary;
  bool allowsEditing_ = false;
};

}  // namespace zu::ui
