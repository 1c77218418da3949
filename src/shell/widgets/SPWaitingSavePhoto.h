// SPWaitingSavePhoto: the application-wide waiting indicator and result toast. One shared
// instance, made on first use and kept until resign(), owns a window of its own at the status
// bar's level − 100 that never takes touches (the screen below stays usable) and is hidden
// between uses. Its content is a CustomLoadingView.
//
// Type 0 shows the spinner with a text until hideLoadingView(). Any other type is a toast: an
// icon by type, the panel scaling from s to 1 and fading in over 0.3 s, then 0.8 s later out to
// scale 2.001 − s and alpha 0 over 0.3 s, after which the window hides, the panel is reset and
// the icon cleared (about 1.4 s in all). Type 5 switches view animations on first; type 12
// centres the label vertically in the panel, and every call first resets the label's shift.
//
// Where we differ on purpose: a new call cancels the pending steps of an earlier toast, so an
// old toast's ending never hides a newer spinner or toast. While the keyboard is up the panel
// shows just above it (a field's notice comes while the reader types), so the keyboard never
// covers it.
//
// Main thread only; the shared instance is not locked.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace zu {

namespace ui {
class Window;
}  // namespace ui

class CustomLoadingView;

class SPWaitingSavePhoto {
 public:
  static constexpr float kWindowLevelBelowStatusBar = 100;
  static constexpr const char* kWaitingText = "等待中";

  static SPWaitingSavePhoto& sharedWaitingSavePhoto();
  // The shared instance when one exists (tests, screens that only hide it).
  static SPWaitingSavePhoto* existing();
  static void showLoadingView();
  static void hideLoadingView();
  static void showwaitingDialogWithTypeOntimer(int type, const std::string& text);
  static void setRotateEnable(bool enable);
  static void resign();

  SPWaitingSavePhoto();
  ~SPWaitingSavePhoto();
  SPWaitingSavePhoto(const SPWaitingSavePhoto&) = delete;
  SPWaitingSavePhoto& operator=(const SPWaitingSavePhoto&) = delete;

  void hideWaitingDialog();
  void showWaitingDialog();
  void showWaitingDialogOnString(const std::string& text, int type);

  const std::shared_ptr<ui::Window>& window() const { return window_; }
  const std::shared_ptr<CustomLoadingView>& viewController() const { return viewController_; }

 private:
  void finishToast();

  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<CustomLoadingView> viewController_;
  // Counts calls; a toast step whose call is no longer the latest does nothing.
  uint64_t generation_ = 0;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace zu
