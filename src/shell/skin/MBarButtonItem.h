// MBarButtonItem: makes the custom buttons of the skinned navigation bars — a button whose
// title takes the skin's navigation-item font, colours and title shadows, on stretchable
// background images, wrapped in a bar button item — and plain titled buttons of the same look.
// Main thread only; what it makes belongs to the caller.
//
// The background images stretch around a left cap of half the normal image's width (rounded
// down) and a top cap of 0. The button is as wide as its title in "fontKdpNavigationItem" plus
// 24 points (24 without a title) and as tall as the normal image (0 without one; the plain
// button is 30 tall). The title's shadow falls one point up.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/controls/Control.h"

namespace zu::ui {
class BarButtonItem;
class Button;
class Image;
}  // namespace zu::ui

namespace zu {

class MBarButtonItem {
 public:
  MBarButtonItem() = delete;

  static constexpr float kTitlePadding = 24;
  static constexpr float kPlainHeight = 30;

  // `target` keys the touch-up-inside action (Control::addTarget) so the caller can remove it.
  static std::shared_ptr<ui::BarButtonItem> barButtonItemWithTitle(
      const std::optional<std::string>& title, const std::shared_ptr<ui::Image>& normalImage,
      const std::shared_ptr<ui::Image>& highlightedImage, const void* target, ui::Control::Action action);
  static std::shared_ptr<ui::Button> buttonItemWithTitle(const std::optional<std::string>& title,
                                                         const void* target, ui::Control::Action action);

 private:
  static std::shared_ptr<ui::Button> makeTitledButton(const std::optional<std::string>& title,
                                                      const void* target, ui::Control::Action action);
  // The title's width in the font its label shows: the skin's, or the label's own when the
  // skin has none.
  static float titleWidth(const std::optional<std::string>& title, const ui::Button& button);
};

}  // namespace zu
