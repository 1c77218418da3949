#include "platform/ui/drawing/Layer.h"

#include "platform/ui/drawing/DisplayChanges.h"
#include "platform/ui/motion/Animations.h"

namespace zu::ui {

namespace {

// Records a change inside an open animation block, marks the screen and stores the value.
template <typename T>
void change(View& view, const char* name, T& field, const T& value) {
  if (field == value) return;
  if (Animations::isRecording()) Animations::record(view, name, field, value);
  field = value;
  DisplayChanges::shared().markDirty();
}

}  // namespace

const char* Layer::nameOf(float LayerStyle::*member) {
  if (member == &LayerStyle::cornerRadius) return "cornerRadius";
  if (member == &LayerStyle::borderWidth) return "borderWidth";
  if (member == &LayerStyle::shadowOpacity) return "shadowOpacity";
  return "shadowRadius";
}

const char* Layer::nameOf(Color LayerStyle::*member) {
  return member == &LayerStyle::borderColor ? "borderColor" : "shadowColor";
}

const char* Layer::nameOf(Size LayerStyle::*) { return "shadowOffset"; }

void Layer::set(float LayerStyle::*member, float value) {
  change(view_, nameOf(member), style_.*member, value);
}

void Layer::set(bool LayerStyle::*member, bool value) {
  if (style_.*member == value) return;
  style_.*member = value;
  DisplayChanges::shared().markDirty();
}

void Layer::set(Color LayerStyle::*member, const Color& value) {
  change(view_, nameOf(member), style_.*member, value);
}

void Layer::set(Size LayerStyle::*member, Size value) {
  change(view_, nameOf(member), style_.*member, value);
}

}  // namespace zu::ui
