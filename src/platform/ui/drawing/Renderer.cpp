#include "platform/ui/drawing/Renderer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/runtime/Clock.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/system/InterfaceRotation.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/text/KeyboardDrawing.h"
#include "platform/ui/motion/Presentation.h"
#include "platform/ui/drawing/Screen.h"
#include "platform/ui/drawing/StatusBar.h"
#include "platform/ui/text/TextField.h"
#include "platform/ui/text/TextView.h"
#include "platform/ui/motion/TransitionPainter.h"
#include "platform/ui/views/View.h"
#include "platform/ui/views/Window.h"

namespace zu::ui {

namespace {

// Set while renderWithoutText runs: the views whose own drawing asked for text.
thread_local std::vector<const View*>* tTextDrawers = nullptr;

// Runs a view's own drawing step, noting the view when it asked for text that was left out.
template <typename Step>
void drawOwn(const View& view, Step&& step) {
  const uint64_t before = Canvas::hiddenTextRuns();
  step();
  if (tTextDrawers && Canvas::hiddenTextRuns() != before &&
      (tTextDrawers->empty() || tTextDrawers->back() != &view)) {
    tTextDrawers->push_back(&view);
  }
}

// Moves the canvas from the superview's bounds space into the view's, as presented.
void enter(Canvas& canvas, const PresentedState& state) {
  const Point c = state.center;
  const Rect& b = state.bounds;
  canvas.translate(c.x, c.y);
  if (!state.transform.isIdentity()) canvas.concat(state.transform);
  canvas.translate(-b.origin.x - b.size.width / 2, -b.origin.y - b.size.height / 2);
}

// The keyboard while a view edits text, then the status bar while it shows: both lie above the
// application's windows and below those at or above the status bar's level, along the
// interface's bottom and top edges — drawn in the interface's own space, turned about the
// screen's centre as the windows' content is.
void drawScreenChrome(Canvas& canvas, const Rect& screen) {
  Application& application = Application::shared();
  Keyboard& keyboard = Keyboard::shared();
  const bool bar = !application.isStatusBarHidden();
  const auto keyboardFrame = keyboard.presentedFrame(Clock::get()->monotonic());
  if (!keyboardFrame && !bar) return;
  const SystemEnvironment::Orientation orientation = application.statusBarOrientation();
  const Size interface = InterfaceRotation::interfaceSize(orientation);
  canvas.save();
  canvas.translate(screen.midX(), screen.midY());
  canvas.concat(InterfaceRotation::transformFor(orientation));
  canvas.translate(-interface.width / 2, -interface.height / 2);
  if (keyboardFrame) {
    ReturnKeyType returnKey = ReturnKeyType::Default;
    const auto responder = keyboard.firstResponder();
    if (auto* field = dynamic_cast<TextField*>(responder.get())) returnKey = field->returnKeyType();
    if (auto* text = dynamic_cast<TextView*>(responder.get())) returnKey = text->returnKeyType();
    KeyboardDrawing::draw(canvas, *keyboardFrame, returnKey, keyboard.isShifted());
  }
  if (bar) StatusBar::shared().draw(canvas, interface.width, application.statusBarStyle());
  canvas.restore();
}


void drawNode(Canvas& canvas, View& view, const Presentation& presentation, const PresentedState& state,
              bool transitions);

// A view in a running transition: its content now, drawn into a picture of its bounds, and
// the picture from before, combined by the transition.
void drawTransition(Canvas& canvas, View& view, const Presentation& presentation, const PresentedState& state,
                    const AnimationRecord& record, float fraction) {
  const Rect b = state.bounds;
  const float scale = canvas.pixelScale();
  auto after = Image::create(static_cast<int>(std::ceil(b.size.width * scale)),
                             static_cast<int>(std::ceil(b.size.height * scale)), scale);
  if (!after) return;
  {
    Canvas content(*after);
    content.translate(-b.origin.x, -b.origin.y);
    drawNode(content, view, presentation, state, false);
  }
  TransitionPainter::paint(canvas, record.transition, fraction, *record.before, *after, b);
}

void drawNode(Canvas& canvas, View& view, const Presentation& presentation, const PresentedState& state,
              bool transitions) {
  if (view.isHidden() || !(state.alpha > 0)) return;
  if (transitions) {
    float fraction = 0;
    if (const AnimationRecord* record = presentation.transitionOf(view, fraction)) {
      drawTransition(canvas, view, presentation, state, *record, fraction);
      return;
    }
  }
  const LayerStyle& layer = state.layer;
  const Rect b = state.bounds;
  const float radius = layer.cornerRadius;
  const bool group = state.alpha < 1;
  if (group) canvas.beginTransparencyLayer();

  if (layer.shadowOpacity > 0) {
    canvas.fillBlurredRoundedRect(b.offsetBy(layer.shadowOffset.width, layer.shadowOffset.height), radius,
                                  layer.shadowColor.withAlpha(layer.shadowColor.alpha * layer.shadowOpacity),
                                  layer.shadowRadius);
  }
  if (state.background && !state.background->isClear()) {
    canvas.setFillColor(*state.background);
    if (radius > 0) {
      canvas.fillRoundedRect(b, radius);
    } else {
      canvas.fillRect(b);
    }
  }

  canvas.save();
  if (layer.masksToBounds) {
    if (radius > 0) {
      canvas.clipRoundedRect(b, radius);
    } else {
      canvas.clip(b);
    }
  }
  canvas.save();
  drawOwn(view, [&] { view.drawForRender(canvas, b); });
  canvas.restore();
  auto keep = view.shared();
  const auto subviews = view.subviews();
  for (const auto& sub : subviews) {
    if (sub->isHidden()) continue;
    const PresentedState subState = presentation.stateOf(*sub);
    if (!(subState.alpha > 0)) continue;
    canvas.save();
    enter(canvas, subState);
    drawNode(canvas, *sub, presentation, subState, true);
    canvas.restore();
  }
  drawOwn(view, [&] { view.drawOverSubviews(canvas); });
  canvas.restore();

  if (layer.borderWidth > 0) {
    canvas.save();
    canvas.setStrokeColor(layer.borderColor);
    canvas.setLineWidth(layer.borderWidth);
    const float inset = layer.borderWidth / 2;
    canvas.strokeRoundedRect(b.insetBy(inset, inset), radius > inset ? radius - inset : 0);
    canvas.restore();
  }
  if (group) canvas.endTransparencyLayer(state.alpha);
}

}  // namespace

void drawTree(Canvas& canvas, View& view) {
  const Presentation presentation = Presentation::model();
  drawNode(canvas, view, presentation, presentation.stateOf(view), true);
}

std::shared_ptr<Image> snapshotTree(View& view, float scale) {
  const Presentation presentation = Presentation::now();
  const PresentedState state = presentation.stateOf(view);
  const Rect b = view.bounds();
  if (!(scale > 0)) scale = 1;
  auto image = Image::create(static_cast<int>(std::ceil(b.size.width * scale)),
                             static_cast<int>(std::ceil(b.size.height * scale)), scale);
  if (!image) return nullptr;
  {
    Canvas canvas(*image);
    canvas.translate(-state.bounds.origin.x, -state.bounds.origin.y);
    drawNode(canvas, view, presentation, state, true);
  }
  return image;
}

std::shared_ptr<Image> render(View& view, float scale) {
  view.layoutIfNeeded();
  return snapshotTree(view, scale);
}

std::shared_ptr<Image> renderScreen(float scale) {
  const Rect screen = Screen::main().bounds();
  if (!(scale > 0)) scale = 1;
  auto image = Image::create(static_cast<int>(screen.size.width * scale),
                             static_cast<int>(screen.size.height * scale), scale);
  Canvas canvas(*image);
  bool chromeDrawn = false;
  const Presentation presentation = Presentation::now();
  for (const auto& window : Application::shared().visibleWindows()) {
    if (!chromeDrawn && window->windowLevel() >= kWindowLevelStatusBar) {
      drawScreenChrome(canvas, screen);
      chromeDrawn = true;
    }
    window->layoutIfNeeded();
    const PresentedState state = presentation.stateOf(*window);
    canvas.save();
    enter(canvas, state);
    drawNode(canvas, *window, presentation, state, true);
    canvas.restore();
  }
  if (!chromeDrawn) drawScreenChrome(canvas, screen);
  return image;
}

namespace {

// Runs `paint` with text left out, collecting the views that asked for text into `drawers`.
template <typename Paint>
std::shared_ptr<Image> withoutText(std::vector<const View*>* drawers, Paint&& paint) {
  Canvas::TextHiding hiding;
  std::vector<const View*>* const outer = tTextDrawers;
  std::vector<const View*> seen;
  tTextDrawers = &seen;
  auto image = paint();
  tTextDrawers = outer;
  if (drawers) {
    for (const View* view : seen) {
      if (std::find(drawers->begin(), drawers->end(), view) == drawers->end()) drawers->push_back(view);
    }
  }
  return image;
}

}  // namespace

std::shared_ptr<Image> renderWithoutText(View& view, float scale, std::vector<const View*>* textDrawers) {
  return withoutText(textDrawers, [&] { return render(view, scale); });
}

std::shared_ptr<Image> renderScreenWithoutText(float scale, std::vector<const View*>* textDrawers) {
  return withoutText(textDrawers, [&] { return renderScreen(scale); });
}

std::optional<std::filesystem::path> writeSnapshot(const Image& image, const std::string& name) {
  const char* env = std::getenv("ZU_SNAPSHOT_DIR");
  const std::filesystem::path dir = env && *env ? env : "snapshots";
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  const std::filesystem::path file = dir / (name + ".png");
  if (ec || !image.writePng(file)) return std::nullopt;
  return file;
}

}  // namespace zu::ui
