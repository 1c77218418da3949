#include "shell/widgets/ViewUtil.h"

#include "platform/ui/images/Image.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/input/TapGestureRecognizer.h"
#include "platform/ui/text/TextMetrics.h"

namespace zu {

std::shared_ptr<ui::Image> ViewUtil::imageFromView(ui::View& view) { return ui::render(view); }

void ViewUtil::addSingleTapGestureForView(ui::View& view, const void* target, ui::GestureRecognizer::Action action) {
  auto tap = std::make_shared<ui::TapGestureRecognizer>();
  tap->addTarget(target, std::move(action));
  view.addGestureRecognizer(tap);
  view.setUserInteractionEnabled(true);
}

float ViewUtil::updateLabel(ui::Label& label, const std::optional<std::string>& text) {
  if (text) label.setText(*text);
  const ui::Rect frame = label.frame();
  const float height = heightOfText(label, label.text(), kLabelHeightLimit);
  label.setFrame(ui::Rect(frame.origin.x, frame.origin.y, frame.size.width, height));
  return height;
}

float ViewUtil::heightOfText(const ui::Label& label, const std::string& text, float heightLimit) {
  if (text.empty()) return 0;
  return ui::TextMetrics::current()
      .sizeOf(text, label.font(), ui::Size{label.frame().size.width, heightLimit}, label.lineBreakMode())
      .height;
}

void ViewUtil::extentView(ui::View& view, float offsetY) {
  ui::Rect frame = view.frame();
  frame.size.height += offsetY;
  view.setFrame(frame);
}

void ViewUtil::translateViewByOffsetY(ui::View& view, float offsetY) {
  ui::Rect frame = view.frame();
  frame.origin.y += offsetY;
  view.setFrame(frame);
}

void ViewUtil::translateViewByOffsetX(ui::View& view, float offsetX) {
  ui::Rect frame = view.frame();
  frame.origin.x += offsetX;
  view.setFrame(frame);
}

}  // namespace zu
