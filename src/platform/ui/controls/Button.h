// Button: a control showing a title and/or an image over an optional background image, each set
// per control state. Main thread; made with Button::create(type) (or std::make_shared).
//
// Kept from the phone:
//  - Per-state values (title, title colour, title shadow colour, image, background image) fall
//    back to the normal state's value when the current state has none; current*() give what is
//    shown now.
//  - Types: custom (nothing drawn but what is set; white titles) and rounded rectangle (a white
//    rounded body with a grey border when there is no background image; dark blue titles,
//    white while highlighted).
//  - titleLabel() and imageView() exist from the start; layout places image then title as one
//    group inside the bounds less contentEdgeInsets (centred, or at the left or right edge by
//    contentHorizontalAlignment; fill puts the image at the left and gives the title the rest of
//    the width), each then moved by its own edge insets.
//    sizeThatFits is that group plus the content insets.
//  - The title label's font is the button's (bold 15 for rounded rectangles, system 15 for
//    custom buttons, like the phone's defaults).
//  - adjustsImageWhenDisabled, on by default: while the button is disabled, its image and its
//    background image are drawn faded (at kDisabledImageAlpha) unless one was set for the state
//    it is in, so a button that cannot be pressed looks it. Titles keep their colours (set one
//    for the disabled state to change it), as on the phone.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/ui/controls/Control.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"

namespace zu::ui {

enum class ButtonType { Custom = 0, RoundedRect = 1 };

class Button : public Control {
 public:
  static std::shared_ptr<Button> create(ButtonType type = ButtonType::Custom);
  explicit Button(ButtonType type = ButtonType::Custom, const Rect& frame = Rect());

  ButtonType buttonType() const { return type_; }

  void setTitle(std::optional<std::string> title, unsigned state);
  std::optional<std::string> titleForState(unsigned state) const;
  void setTitleColor(std::optional<Color> color, unsigned state);
  std::optional<Color> titleColorForState(unsigned state) const;
  void setTitleShadowColor(std::optional<Color> color, unsigned state);
  std::optional<Color> titleShadowColorForState(unsigned state) const;
  void setImage(std::shared_ptr<Image> image, unsigned state);
  std::shared_ptr<Image> imageForState(unsigned state) const;
  void setBackgroundImage(std::shared_ptr<Image> image, unsigned state);
  std::shared_ptr<Image> backgroundImageForState(unsigned state) const;

  std::optional<std::string> currentTitle() const { return titleForState(state()); }
  std::optional<Color> currentTitleColor() const { return titleColorForState(state()); }
  std::shared_ptr<Image> currentImage() const { return imageForState(state()); }
  std::shared_ptr<Image> currentBackgroundImage() const { return backgroundImageForState(state()); }

  const std::shared_ptr<Label>& titleLabel() const { return titleLabel_; }
  const std::shared_ptr<ImageView>& imageView() const { return imageView_; }

  static constexpr float kDisabledImageAlpha = 0.4f;
  bool adjustsImageWhenDisabled() const { return adjustsImageWhenDisabled_; }
  void setAdjustsImageWhenDisabled(bool adjusts);

  const EdgeInsets& contentEdgeInsets() const { return contentInsets_; }
  void setContentEdgeInsets(const EdgeInsets& insets);
  const EdgeInsets& titleEdgeInsets() const { return titleInsets_; }
  void setTitleEdgeInsets(const EdgeInsets& insets);
  const EdgeInsets& imageEdgeInsets() const { return imageInsets_; }
  void setImageEdgeInsets(const EdgeInsets& insets);

  void layoutSubviews() override;
  Size sizeThatFits(Size size) const override;
  void draw(Canvas& canvas, const Rect& rect) override;
  std::string dumpDetails() const override;

 protected:
  // The alpha the current background image is drawn with (faded while disabled, see above), for
  // subclasses that draw it themselves.
  float backgroundImageAlpha() const;
  void stateDidChange() override;
  void didMoveToSuperview() override;

 private:
  template <typename T>
  struct PerState {
    std::map<unsigned, T> values;
    void set(unsigned state, std::optional<T> value) {
      if (value) {
        values[state] = *value;
      } else {
        values.erase(state);
      }
    }
    std::optional<T> get(unsigned state) const {
      auto it = values.find(state);
      if (it != values.end()) return it->second;
      it = values.find(kControlStateNormal);
      if (it != values.end()) return it->second;
      return std::nullopt;
    }
  };

  // Puts the current state's title, colours and image into the subviews.
  void refresh();
  // The alpha an image of `images` is drawn with in the current state.
  float imageAlpha(const PerState<std::shared_ptr<Image>>& images) const;
  Size titleSize() const;
  Size imageSize() const;

  ButtonType type_;
  PerState<std::string> titles_;
  PerState<Color> titleColors_;
  PerState<Color> shadowColors_;
  PerState<std::shared_ptr<Image>> images_;
  PerState<std::shared_ptr<Image>> backgrounds_;
  std::shared_ptr<Label> titleLabel_;
  std::shared_ptr<ImageView> imageView_;
  EdgeInsets contentInsets_;
  EdgeInsets titleInsets_;
  EdgeInsets imageInsets_;
  bool subviewsAdded_ = false;
  bool adjustsImageWhenDisabled_ = true;
};

}  // namespace zu::ui
