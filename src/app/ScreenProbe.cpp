#include "app/ScreenProbe.h"

#include <memory>

#include "platform/ui/controllers/NavigationBar.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controllers/TabBarController.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/text/TextField.h"
#include "platform/ui/text/TextView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/views/View.h"
#include "platform/ui/views/Window.h"

namespace zu {

namespace {

// Calls `visit(view)` for every view in sight under `view`, back to front; `clip` is the part
// of the window (in its coordinates) the view can show itself in.
template <typename Visit>
void eachViewInSight(const ui::View& view, const ui::Rect& clip, const Visit& visit) {
  if (view.isHidden() || view.alpha() <= 0.01f) return;
  const ui::Rect inWindow = view.convertRectTo(view.bounds(), nullptr);
  const ui::Rect shown = inWindow.intersection(clip);
  // A view of no size may still hold subviews drawn outside it; one wholly clipped away holds
  // nothing in sight only when it clips.
  const bool inSight = !shown.isEmpty();
  if (inSight) visit(view);
  if (view.clipsToBounds() && !inSight) return;
  const ui::Rect inner = view.clipsToBounds() ? shown : clip;
  for (const auto& subview : view.subviews()) eachViewInSight(*subview, inner, visit);
}

// The texts `view` itself shows.
void textsOf(const ui::View& view, std::vector<std::string>& out) {
  auto add = [&](const std::string& text) {
    if (!text.empty()) out.push_back(text);
  };
  if (auto* label = dynamic_cast<const ui::Label*>(&view)) {
    add(label->text());
  } else if (auto* button = dynamic_cast<const ui::Button*>(&view)) {
    if (auto title = button->currentTitle()) add(*title);
  } else if (auto* field = dynamic_cast<const ui::TextField*>(&view)) {
    add(field->text().empty() ? field->placeholder().value_or("") : field->text());
  } else if (auto* textView = dynamic_cast<const ui::TextView*>(&view)) {
    add(textView->text());
  } else if (auto* bar = dynamic_cast<const ui::NavigationBar*>(&view)) {
    if (auto item = bar->topItem(); item && item->title() && !item->titleView()) add(*item->title());
  }
}

// The visible windows front to back.
std::vector<std::shared_ptr<ui::Window>> windowsFrontToBack() {
  auto windows = ui::Application::shared().visibleWindows();
  return {windows.rbegin(), windows.rend()};
}

}  // namespace

std::string ScreenProbe::topScreen() {
  for (const auto& window : windowsFrontToBack()) {
    auto controller = std::dynamic_pointer_cast<ui::ViewController>(window->rootViewController());
    if (!controller) continue;
    for (;;) {
      std::shared_ptr<ui::ViewController> next = controller->modalViewController();
      if (!next) {
        if (auto* tabs = dynamic_cast<ui::TabBarController*>(controller.get())) {
          next = tabs->selectedViewController();
        } else if (auto* navigation = dynamic_cast<ui::NavigationController*>(controller.get())) {
          next = navigation->topViewController();
        }
      }
      if (!next || next == controller) break;
      controller = std::move(next);
    }
    return ui::classNameOf(*controller);
  }
  return {};
}

std::string ScreenProbe::barTitle() {
  for (const auto& window : windowsFrontToBack()) {
    const ui::NavigationBar* front = nullptr;
    eachViewInSight(*window, window->bounds(), [&](const ui::View& view) {
      if (auto* bar = dynamic_cast<const ui::NavigationBar*>(&view)) front = bar;
    });
    if (!front) continue;
    auto item = front->topItem();
    if (!item) return {};
    if (!item->titleView()) return item->title().value_or("");
    std::vector<std::string> parts;
    eachViewInSight(*item->titleView(), window->bounds(),
                    [&](const ui::View& view) { textsOf(view, parts); });
    std::string title;
    for (const auto& part : parts) title += (title.empty() ? "" : " ") + part;
    return title;
  }
  return {};
}

std::vector<std::string> ScreenProbe::texts() {
  std::vector<std::string> out;
  for (const auto& window : ui::Application::shared().visibleWindows()) {
    eachViewInSight(*window, window->bounds(), [&](const ui::View& view) { textsOf(view, out); });
  }
  return out;
}

bool ScreenProbe::shows(const std::string& text) {
  for (const auto& shown : texts()) {
    if (shown.find(text) != std::string::npos) return true;
  }
  return false;
}

}  // namespace zu
