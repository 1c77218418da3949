#include "platform/ui/system/ImagePickerController.h"

#include "platform/ui/drawing/Color.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/View.h"

namespace zu::ui {

namespace {

bool gAvailable[3] = {false, false, false};

bool* flagOf(ImagePickerSourceType type) {
  const int n = static_cast<int>(type);
  return n >= 0 && n < 3 ? &gAvailable[n] : nullptr;
}

}  // namespace

void ImagePickerControllerDelegate::imagePickerControllerDidCancel(ImagePickerController& picker) {
  picker.dismissModalViewController(true);
}

bool ImagePickerController::isSourceTypeAvailable(ImagePickerSourceType type) {
  const bool* flag = flagOf(type);
  return flag && *flag;
}

void ImagePickerController::setSourceTypeAvailable(ImagePickerSourceType type, bool available) {
  if (bool* flag = flagOf(type)) *flag = available;
}

bool ImagePickerController::pick(const std::shared_ptr<Image>& image) {
  if (!image || !isSourceTypeAvailable(sourceType_)) return false;
  auto keep = shared();
  PickedMedia media{image, allowsEditing_ ? image : nullptr};
  if (auto d = delegate_.lock()) d->imagePickerControllerDidFinishPickingMedia(*this, media);
  return true;
}

void ImagePickerController::cancel() {
  auto keep = shared();
  if (auto d = delegate_.lock()) d->imagePickerControllerDidCancel(*this);
}

void ImagePickerController::viewDidLoad() { view()->setBackgroundColor(Color::whiteColor()); }

void ImagePickerController::resetForTesting() {
  for (bool& flag : gAvailable) flag = false;
}

}  // namespace zu::ui
