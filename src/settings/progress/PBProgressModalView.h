// PBProgressModalView: the modal progress board that the cache cleaning and the font pack
// download show — a status line, a progress bar (PBProgressBar) and a cancel button on a board
// picture, in a window of its own (768 × 1024 at the origin, clear, above the application's) so
// it covers whatever is on screen and takes every touch while it shows.
//
// Life: made with create(delegate); show() unhides its window and the board holds itself until
// it is dismissed, so its maker may let go at once. dismiss() fades it out over 1.8 s (the window
// hidden and the hold released when the fade completes), dismissInstantly() at once; dismissing a
// board that no longer shows does nothing. The cancel button tells the delegate
// (progressModalViewCancelButtonPressed), stops the board's touches — so a second press reaches
// nothing — and fades it out over 1.0 s; the flow's own dismiss that follows does nothing. The
// cancel button goes as soon as a dismiss begins ("下载完成" or "清理完成" offers no 取消) and
// comes back with the next show().
// Progress and status are kept and shown again by each show(). Upright portrait only (the
// controllers' default).
//
// Its view comes from the interface file "PBProgressModalView" (SettingsNibs registers it).
// Main thread only; the delegate is held weakly.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/controllers/ViewController.h"

namespace zu {

namespace ui {
class Button;
class ImageView;
class Label;
class NibLoading;
class Window;
}  // namespace ui

class PBProgressBar;
class PBProgressModalView;

class PBProgressModalViewDelegate {
 public:
  virtual ~PBProgressModalViewDelegate() = default;
  virtual void progressModalViewCancelButtonPressed(PBProgressModalView& view) = 0;
};

class PBProgressModalView : public ui::ViewController {
 public:
  static constexpr const char* kNibName = "PBProgressModalView";
  static constexpr double kDismissDuration = 1.8;
  static constexpr double kCancelDismissDuration = 1.0;

  static void registerNib();
  static std::shared_ptr<PBProgressModalView> create(std::weak_ptr<PBProgressModalViewDelegate> delegate);
  PBProgressModalView();
  ~PBProgressModalView() override;

  void show();
  void dismiss() { dismissWithDuration(kDismissDuration); }
  void dismissInstantly() { dismissWithDuration(0); }
  void dismissWithDuration(double seconds);
  float progress() const { return progress_; }
  void setProgress(float progress);
  const std::optional<std::string>& statusString() const { return statusString_; }
  void setStatusString(std::optional<std::string> status);
  void cancelButtonAction();

  std::shared_ptr<PBProgressModalViewDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(std::weak_ptr<PBProgressModalViewDelegate> delegate) { delegate_ = std::move(delegate); }

  // --- state and outlets (read by tests)
  bool isShowing() const { return showing_; }
  bool isHoldingItself() const { return self_ != nullptr; }
  const std::shared_ptr<ui::Window>& backWindow() const { return backWindow_; }
  const std::shared_ptr<ui::Label>& statusLabel() const { return statusLabel_; }
  const std::shared_ptr<PBProgressBar>& progressBar() const { return progressBar_; }
  const std::shared_ptr<ui::ImageView>& backgroundBoard() const { return backgroundBoard_; }
  const std::shared_ptr<ui::Button>& cancelButton() const { return cancelButton_; }

  void viewDidLoad() override;
  void viewDidUnload() override;

 private:
  static void buildView(ui::NibLoading& file);
  void internalInit();
  // The end of a dismissal: the window hidden and the board's hold on itself released.
  void didHide();

  float progress_ = 0;
  std::optional<std::string> statusString_;
  std::weak_ptr<PBProgressModalViewDelegate> delegate_;
  std::shared_ptr<ui::Window> backWindow_;
  bool showing_ = false;
  std::shared_ptr<PBProgressModalView> self_;

  std::shared_ptr<ui::Label> statusLabel_;
  std::shared_ptr<PBProgressBar> progressBar_;
  std::shared_ptr<ui::ImageView> backgroundBoard_;
  std::shared_ptr<ui::Button> cancelButton_;
};

}  // namespace zu
