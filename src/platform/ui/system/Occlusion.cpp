#include "platform/ui/system/Occlusion.h"

#include <algorithm>
#include <cstdint>

#include "platform/runtime/Clock.h"
#include "platform/ui/controllers/Alert.h"
#include "platform/ui/controllers/NavigationBar.h"
#include "platform/ui/controllers/TabBar.h"
#include "platform/ui/controllers/Toolbar.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/drawing/Screen.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/system/InterfaceRotation.h"
#include "platform/ui/text/EditMenuView.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/View.h"
#include "platform/ui/views/Window.h"

namespace zu::ui {

namespace {

constexpr float kOpaque = 0.9f;
constexpr float kTint = 0.2f;
// A view this transparent is not shown.
constexpr float kTransparent = 0.01f;

float area(const Rect& r) { return r.isNull() ? 0 : r.size.width * r.size.height; }

// The area of `rect` that `covers` hold together.
float coveredArea(const Rect& rect, const std::vector<Rect>& covers) {
  // What is left of the rectangle, cut by each cover in turn into at most four pieces.
  std::vector<Rect> left{rect};
  for (const Rect& cover : covers) {
    std::vector<Rect> next;
    for (const Rect& piece : left) {
      const Rect common = piece.intersection(cover);
      if (common.isNull() || common.isEmpty()) {
        next.push_back(piece);
        continue;
      }
      const auto keep = [&](float x, float y, float w, float h) {
        if (w > 0 && h > 0) next.emplace_back(x, y, w, h);
      };
      keep(piece.minX(), piece.minY(), piece.width(), common.minY() - piece.minY());  // above
      keep(piece.minX(), common.maxY(), piece.width(), piece.maxY() - common.maxY());  // below
      keep(piece.minX(), common.minY(), common.minX() - piece.minX(), common.height());  // left
      keep(common.maxX(), common.minY(), piece.maxX() - common.maxX(), common.height());  // right
    }
    left = std::move(next);
    if (left.empty()) break;
  }
  float uncovered = 0;
  for (const Rect& piece : left) uncovered += area(piece);
  return area(rect) - uncovered;
}

// The kit's views that paint an opaque ground of their own.
bool paintsItsGround(const View& view) {
  return dynamic_cast<const NavigationBar*>(&view) || dynamic_cast<const Toolbar*>(&view) ||
         dynamic_cast<const TabBar*>(&view) || dynamic_cast<const Alert*>(&view) ||
         dynamic_cast<const EditMenuView*>(&view);
}

}  // namespace

float Occlusion::meanAlpha(const Image& image) {
  auto [it, fresh] = alphas_.emplace(&image, 0.f);
  if (fresh) {
    const uint32_t* px = image.pixels();
    const int64_t n = static_cast<int64_t>(image.pixelWidth()) * image.pixelHeight();
    double sum = 0;
    for (int64_t i = 0; i < n; ++i) sum += px[i] >> 24;
    it->second = n > 0 ? static_cast<float>(sum / (255.0 * n)) : 0.f;
  }
  return it->second;
}

size_t Occlusion::note(const View& view, float alpha, const Rect& shown) {
  const size_t order = ++order_;
  if (shown.isNull() || shown.isEmpty()) return order;
  noted_[&view] = Noted{shown, shown, order, order};
  float ground = 0;
  if (const auto& background = view.backgroundColor(); background && background->alpha > 0) ground = background->alpha;
  std::shared_ptr<Image> picture;
  if (const auto* imageView = dynamic_cast<const ImageView*>(&view)) picture = imageView->image();
  if (const auto* button = dynamic_cast<const Button*>(&view)) picture = button->currentBackgroundImage();
  if (picture) ground = std::max(ground, meanAlpha(*picture));
  if (paintsItsGround(view)) ground = 1;
  ground *= alpha;
  if (ground >= kOpaque) {
    grounds_.push_back(Ground{shown, order, true});
  } else if (ground >= kTint) {
    grounds_.push_back(Ground{shown, order, false});
  }
  return order;
}

void Occlusion::noteChrome() {
  const size_t order = ++order_;
  // The keyboard where the renderer draws it (in the interface's space), on the screen.
  if (const auto keys = Keyboard::shared().presentedFrame(Clock::get()->monotonic())) {
    grounds_.push_back(Ground{InterfaceRotation::toScreen(Application::shared().statusBarOrientation(), *keys), order, true});
  }
  if (!Application::shared().isStatusBarHidden()) {
    grounds_.push_back(Ground{Application::shared().statusBarFrame(), order, true});
  }
}

std::vector<Rect> Occlusion::groundsOver(const Rect& rect, size_t after, bool opaqueOnly) const {
  std::vector<Rect> over;
  for (const Ground& ground : grounds_) {
    if (ground.order <= after || (opaqueOnly && !ground.opaque)) continue;
    const Rect common = ground.rect.intersection(rect);
    if (common.isNull()) continue;
    // A rectangle of no area is covered by a ground that holds it.
    if (area(rect) <= 0 && !ground.rect.contains(rect)) continue;
    over.push_back(common);
  }
  return over;
}

Occlusion::Cover Occlusion::coverOf(const Rect& rect, size_t order) const {
  const auto all = groundsOver(rect, order, false);
  if (all.empty()) return Cover::None;
  const float half = area(rect) / 2;
  const auto opaque = groundsOver(rect, order, true);
  if (!opaque.empty() && coveredArea(rect, opaque) >= half) return Cover::Opaque;
  return coveredArea(rect, all) >= half ? Cover::Translucent : Cover::None;
}

std::optional<Rect> Occlusion::shownRect(const View& view) const {
  const auto it = noted_.find(&view);
  if (it == noted_.end()) return std::nullopt;
  return it->second.shown;
}

Occlusion::Cover Occlusion::coverOf(const View& view) const {
  const auto it = noted_.find(&view);
  if (it == noted_.end()) return Cover::Opaque;
  return coverOf(it->second.shown, it->second.lastPart);
}

bool Occlusion::seesWhole(const View& view) const {
  const auto it = noted_.find(&view);
  if (it == noted_.end() || it->second.shown != it->second.whole) return false;
  const Rect& shown = it->second.shown;
  return coveredArea(shown, groundsOver(shown, it->second.lastPart, false)) <= area(shown) / 20;
}

void Occlusion::walk(const View& view, float alpha, const Rect& clip, const View& window) {
  if (view.isHidden() || view.alpha() <= kTransparent) return;
  alpha *= view.alpha();
  // Into the window's space, then out of it onto the screen.
  const Rect inWindow = &view == &window ? view.bounds() : view.convertRectTo(view.bounds(), &window);
  const Point corners[4] = {window.pointToSuperview(Point{inWindow.minX(), inWindow.minY()}),
                            window.pointToSuperview(Point{inWindow.maxX(), inWindow.minY()}),
                            window.pointToSuperview(Point{inWindow.minX(), inWindow.maxY()}),
                            window.pointToSuperview(Point{inWindow.maxX(), inWindow.maxY()})};
  const Rect whole = Rect::boundingBox(corners);
  const Rect shown = whole.intersection(clip);
  note(view, alpha, shown);
  if (const auto noted = noted_.find(&view); noted != noted_.end()) noted->second.whole = whole;
  // A view of no size may still hold subviews drawn outside it; one wholly clipped away holds
  // nothing in sight only when it clips.
  if (view.clipsToBounds() && (shown.isNull() || shown.isEmpty())) return;
  const Rect inner = view.clipsToBounds() ? shown : clip;
  for (const auto& subview : view.subviews()) walk(*subview, alpha, inner, window);
  // (Looked up again: the subviews' notes may have moved the table's entries.)
  if (const auto noted = noted_.find(&view); noted != noted_.end()) noted->second.lastPart = order_;
}

Occlusion Occlusion::ofScreen() {
  Occlusion occlusion;
  const Rect screen = Screen::main().bounds();
  bool chromeLaid = false;
  for (const auto& window : Application::shared().visibleWindows()) {
    if (!chromeLaid && window->windowLevel() >= kWindowLevelStatusBar) {
      occlusion.noteChrome();
      chromeLaid = true;
    }
    occlusion.walk(*window, 1, screen, *window);
  }
  if (!chromeLaid) occlusion.noteChrome();
  return occlusion;
}

}  // namespace zu::ui
