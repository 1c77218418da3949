// CustomLoadingView: the content of the waiting indicator's window (SPWaitingSavePhoto), loaded
// from the interface file "CustomLoadingView": a centred panel with curved corners (mainView)
// carrying the spinner, the toast icon and the text label. registerNib() registers the file;
// the indicator does so before it loads one.
//
// Rotation: the panel is centred in the view's bounds whenever rotation is asked about; every
// orientation is allowed while setRotateEnable(true) holds (false at start), else portrait only.
// (The kit never rotates the interface, so there is no rotation to hide the panel during.) Main
// thread only; the outlets are owned by the view tree.
#pragma once

#include <memory>

#include "platform/ui/controllers/ViewController.h"

namespace zu {

namespace ui {
class ActivityIndicatorView;
class ImageView;
class Label;
}  // namespace ui

class CustomLoadingView : public ui::ViewController {
 public:
  static constexpr const char* kNibName = "CustomLoadingView";
  static void registerNib();
  static void setRotateEnable(bool enable);
  static bool rotateEnable();

  CustomLoadingView();

  ui::View* mainView() const { return mainView_.lock().get(); }
  ui::ActivityIndicatorView* activityIndicator() const { return activityIndicator_.lock().get(); }
  ui::Label* titleLable() const { return titleLable_.lock().get(); }
  ui::ImageView* imageView() const { return imageView_.lock().get(); }

  void setMainView(const std::shared_ptr<ui::View>& view) { mainView_ = view; }
  void setActivityIndicator(const std::shared_ptr<ui::ActivityIndicatorView>& view) { activityIndicator_ = view; }
  void setTitleLable(const std::shared_ptr<ui::Label>& view) { titleLable_ = view; }
  void setImageView(const std::shared_ptr<ui::ImageView>& view) { imageView_ = view; }

  bool shouldAutorotateToInterfaceOrientation(SystemEnvironment::Orientation orientation) override;
  void viewDidUnload() override;

 private:
  void centreMainView();

  std::weak_ptr<ui::View> mainView_;
  std::weak_ptr<ui::ActivityIndicatorView> activityIndicator_;
  std::weak_ptr<ui::Label> titleLable_;
  std::weak_ptr<ui::ImageView> imageView_;
};

}  // namespace zu
