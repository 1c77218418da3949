// Layer: the drawing attributes a view's backing layer carries beyond the view's own (corner
// radius, masking, border, shadow). Owned by its View (View::layer()) and bound to it; main
// thread, like the view. Each attribute is a field that reads as its value and is set by plain
// assignment (`view->layer().cornerRadius = 4`); LayerStyle is a plain copy of the values, as
// the renderer draws them.
//
// Kept from the phone: masksToBounds is the same flag as the view's clipsToBounds; corners
// round the background, the clip (when masking) and the border; the border is drawn inside the
// bounds, above the subviews; the shadow is cast by the layer's shape (its rounded bounds) and
// only when shadowOpacity > 0; the default shadow offset is (0, −3), radius 3, colour black.
// The shadow is blurred by shadowRadius (a gaussian of deviation radius / 2).
// A field set to a new value marks the screen (DisplayChanges); set inside an animation block
// (Animations) the change is recorded like a view property's, under the field's own name, and
// drawn along the block's curve (Presentation) — every field but masksToBounds, which changes at
// once.
// Where we differ on purpose: the shadow is always cast by the rounded bounds, never by the
// drawn content's transparency.
#pragma once

#include "platform/ui/drawing/Color.h"
#include "platform/ui/drawing/Geometry.h"

namespace zu::ui {

class View;

// The values of a layer's attributes.
struct LayerStyle {
  float cornerRadius = 0;
  bool masksToBounds = false;
  float borderWidth = 0;
  Color borderColor = Color::blackColor();
  Color shadowColor = Color::blackColor();
  float shadowOpacity = 0;
  Size shadowOffset{0, -3};
  float shadowRadius = 3;
  bool operator==(const LayerStyle&) const = default;
};

class Layer {
 public:
  // One attribute: reads as its value; an assignment of another value reaches the view.
  template <typename T, T LayerStyle::*Member>
  class Field {
   public:
    explicit Field(Layer& owner) : owner_(owner) {}
    Field(const Field&) = delete;
    Field& operator=(const Field&) = delete;
    operator const T&() const { return owner_.style_.*Member; }
    const T& get() const { return owner_.style_.*Member; }
    Field& operator=(const T& value) {
      owner_.set(Member, value);
      return *this;
    }

   private:
    Layer& owner_;
  };

  explicit Layer(View& view) : view_(view) {}
  Layer(const Layer&) = delete;
  Layer& operator=(const Layer&) = delete;

  const LayerStyle& style() const { return style_; }

  Field<float, &LayerStyle::cornerRadius> cornerRadius{*this};
  Field<bool, &LayerStyle::masksToBounds> masksToBounds{*this};
  Field<float, &LayerStyle::borderWidth> borderWidth{*this};
  Field<Color, &LayerStyle::borderColor> borderColor{*this};
  Field<Color, &LayerStyle::shadowColor> shadowColor{*this};
  Field<float, &LayerStyle::shadowOpacity> shadowOpacity{*this};
  Field<Size, &LayerStyle::shadowOffset> shadowOffset{*this};
  Field<float, &LayerStyle::shadowRadius> shadowRadius{*this};

  // The name under which a member's changes are recorded ("cornerRadius", …).
  static const char* nameOf(float LayerStyle::*member);
  static const char* nameOf(Color LayerStyle::*member);
  static const char* nameOf(Size LayerStyle::*member);

 private:
  void set(float LayerStyle::*member, float value);
  void set(bool LayerStyle::*member, bool value);
  void set(Color LayerStyle::*member, const Color& value);
  void set(Size LayerStyle::*member, Size value);

  View& view_;
  LayerStyle style_;
};

}  // namespace zu::ui
