// PictureView: one page of the picture viewer — a zooming scroll view holding the picture's
// image view, and a spinner while the picture is on its way. Made only from the interface file
// "PictureView" (also its reuse identifier); the viewer (NewPictureViewController) fills it with
// one of three states: waiting (spinner), a picture (fitted by resetImageRotate and zoomable up to
// 1.5 times its fitted or natural size, whichever is larger), or the failure picture (centred at
// its own size, not zoomable).
//
// The cell is its scroll view's delegate: the image view is what zooms, and a zoom keeps the
// picture centred while it is smaller than the scroll view. Main thread only.
//
// Where we differ on purpose: a picture without size (or a scroll view without size) leaves the
// layout untouched instead of dividing by zero; the viewer shows such a picture as failed.
#pragma once

#include <memory>

#include "platform/ui/views/ScrollViewDelegate.h"
#include "views/GridViewCell.h"

namespace zu {

namespace ui {
class ActivityIndicatorView;
class Image;
class ImageView;
class NibLoading;
class ScrollView;
}  // namespace ui

class PictureView : public GridViewCell, public ui::ScrollViewDelegate {
 public:
  static constexpr const char* kNibName = "PictureView";
  static constexpr float kZoomHeadroom = 1.5f;

  static void registerNib();
  // The first object of the interface file.
  static std::shared_ptr<PictureView> load();

  PictureView();

  const std::shared_ptr<ui::ImageView>& imageView() const { return imageView_; }
  const std::shared_ptr<ui::ScrollView>& imageScrollView() const { return imageScrollView_; }
  const std::shared_ptr<ui::ActivityIndicatorView>& indicatorView() const { return indicatorView_; }
  // A real picture is shown (not the spinner, not the failure picture).
  bool showsPicture() const { return showsPicture_; }
  bool showsFailure() const { return showsFailure_; }

  // The spinner runs, the image view is hidden.
  void showWaiting();
  // The picture fitted to the page; false (nothing changed) for a picture without size.
  bool showPicture(const std::shared_ptr<ui::Image>& image);
  // `image` centred at its own size, no zoom.
  void showFailure(const std::shared_ptr<ui::Image>& image);

  // Fits the picture to the scroll view (to its size turned a quarter when `rotate`: the view is
  // about to turn), resets the zoom to 1 and sets the largest zoom; the failure picture is
  // centred again; a waiting page is left alone.
  void resetImageRotate(bool rotate);

  void layoutSubviews() override;

  // ui::ScrollViewDelegate
  std::shared_ptr<ui::View> viewForZooming(ui::ScrollView& scrollView) override;
  void scrollViewDidZoom(ui::ScrollView& scrollView) override;

  std::string className() const override { return "PictureView"; }

 private:
  static void build(ui::NibLoading& file);
  void stopSpinner();
  void centreFailure(ui::Size area);

  std::shared_ptr<ui::ImageView> imageView_;
  std::shared_ptr<ui::ScrollView> imageScrollView_;
  std::shared_ptr<ui::ActivityIndicatorView> indicatorView_;
  bool showsPicture_ = false;
  bool showsFailure_ = false;
  // The page size the picture was last laid out for.
  ui::Size laidOutFor_;
};

}  // namespace zu
