// ViewUtil: small view operations shared by the screens — a snapshot of a view, a single-tap
// gesture, a label whose height follows its text, and frame shifts. Class operations only; main
// thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/input/GestureRecognizer.h"

namespace zu::ui {
class Image;
class Label;
class View;
}  // namespace zu::ui

namespace zu {

class ViewUtil {
 public:
  ViewUtil() = delete;

  static constexpr float kLabelHeightLimit = 1000;

  // The view drawn into a new image of its bounds size (null for empty bounds).
  static std::shared_ptr<ui::Image> imageFromView(ui::View& view);
  // Adds a one-tap recognizer calling `action` and switches the view's touches on.
  static void addSingleTapGestureForView(ui::View& view, const void* target, ui::GestureRecognizer::Action action);
  // Sets the text unless nullopt, then fits the label's height to its text measured within its
  // width and 1000 points (0 without text); returns that height.
  static float updateLabel(ui::Label& label, const std::optional<std::string>& text);
  // The height `text` needs in the label's font and line-break mode within its width and
  // `heightLimit` (0 for no text).
  static float heightOfText(const ui::Label& label, const std::string& text, float heightLimit);
  static void extentView(ui::View& view, float offsetY);
  static void translateViewByOffsetY(ui::View& view, float offsetY);
  static void translateViewByOffsetX(ui::View& view, float offsetX);
};

}  // namespace zu
