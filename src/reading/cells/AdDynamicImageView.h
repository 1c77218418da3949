// AdDynamicImageView: a tappable, possibly animated picture that opens a web address — a
// custom button over the whole view, and over it an animated GIF view (SCGIFImageView, tag 30)
// that takes no touches, so taps reach the button. loadImg puts a bundle picture in the GIF
// view; a tap opens adUrl, or kDefaultAddress when none is set. No screen makes one yet.
//
// Where we differ on purpose: the address is handed only to the application's opener
// (ui::Application::openURL, whose hook decides what may be opened), never opened otherwise.
// Clips to its bounds, clear background. Main thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/views/View.h"

namespace zu {

namespace ui {
class Button;
}  // namespace ui

class SCGIFImageView;

class AdDynamicImageView : public ui::View {
 public:
  static constexpr int kPictureTag = 30;
  // A public web search engine's home page.
  static constexpr const char* kDefaultAddress = "https://duckduckgo.com/";

  explicit AdDynamicImageView(const ui::Rect& frame = ui::Rect());
  ~AdDynamicImageView() override;

  const std::shared_ptr<ui::Button>& button() const { return button_; }
  const std::shared_ptr<SCGIFImageView>& pictureView() const { return picture_; }

  const std::optional<std::string>& adUrl() const { return adUrl_; }
  void setAdUrl(std::optional<std::string> url) { adUrl_ = std::move(url); }

  // The bundle picture `name` in the picture view; nothing for an empty name. `type` is ignored.
  void loadImg(const std::string& name, const std::string& type = {});
  // The button's action: opens adUrl (or the default address) through the application.
  void adOpen();

  std::string className() const override { return "AdDynamicImageView"; }

 private:
  std::optional<std::string> adUrl_;
  std::shared_ptr<ui::Button> button_;
  std::shared_ptr<SCGIFImageView> picture_;
};

}  // namespace zu
