#include "app/ScreenProbe.h"

#include <map>
#include <memory>

#include "platform/ui/controllers/Alert.h"
#include "platform/ui/text/EditMenuView.h"
#include "platform/ui/controllers/NavigationBar.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controllers/TabBarController.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Slider.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/system/Occlusion.h"
#include "platform/ui/text/TextField.h"
#include "platform/ui/text/TextView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/views/View.h"
#include "platform/ui/views/Window.h"
#include "platform/web/WebView.h"

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

// What a web page in sight last answered for its text, asked again at each look (the answer
// comes on a later turn of the main loop, so an expect that keeps looking sees a page's text
// once it has loaded).
struct PageText {
  std::weak_ptr<ui::View> view;
  std::string text;
  bool asking = false;
};
std::map<const ui::View*, std::shared_ptr<PageText>>& pageTexts() {
  static std::map<const ui::View*, std::shared_ptr<PageText>> texts;
  return texts;
}

std::string pageText(const web::WebView& page) {
  auto& texts = pageTexts();
  std::erase_if(texts, [](const auto& entry) { return entry.second->view.expired(); });
  auto& known = texts[&page];
  auto view = const_cast<web::WebView&>(page).shared();
  if (!known || known->view.lock() != view) {
    known = std::make_shared<PageText>();
    known->view = view;
  }
  if (!known->asking) {
    known->asking = true;
    std::static_pointer_cast<web::WebView>(view)->evaluateScript(
        "document.body ? document.body.innerText : ''", [known = known](const std::string& text) {
          known->text = text;
          known->asking = false;
        });
  }
  return known->text;
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
  } else if (auto* page = dynamic_cast<const web::WebView*>(&view)) {
    add(pageText(*page));
  } else if (auto* alert = dynamic_cast<const ui::Alert*>(&view)) {
    // An alert or a sheet draws its title, message and button titles itself.
    add(alert->title().value_or(""));
    add(alert->messageText());
    for (const auto& title : alert->buttonTitles()) add(title);
  } else if (auto* menu = dynamic_cast<const ui::EditMenuView*>(&view)) {
    // The edit menu draws its items' titles itself.
    for (const auto& title : menu->titles()) add(title);
  } else if (auto* bar = dynamic_cast<const ui::NavigationBar*>(&view)) {
    if (auto item = bar->topItem(); item && item->title() && !item->titleView()) add(*item->title());
  }
}

// The visible windows front to back.
std::vector<std::shared_ptr<ui::Window>> windowsFrontToBack() {
  auto windows = ui::Application::shared().visibleWindows();
  return {windows.rbegin(), windows.rend()};
}

// From `controller` on: the presented controller while there is one, else a tab bar
// controller's selected one, else a navigation controller's top one.
std::shared_ptr<ui::ViewController> descend(std::shared_ptr<ui::ViewController> controller) {
  for (;;) {
    std::shared_ptr<ui::ViewController> next = controller->modalViewController();
    if (!next) {
      if (auto* tabs = dynamic_cast<ui::TabBarController*>(controller.get())) {
        next = tabs->selectedViewController();
      } else if (auto* navigation = dynamic_cast<ui::NavigationController*>(controller.get())) {
        next = navigation->topViewController();
      }
    }
    if (!next || next == controller) return controller;
    controller = std::move(next);
  }
}

// The frontmost controller in sight under `view` whose view was put in the tree by hand (no
// container holds it and nothing presented it) and covers at least half of `screen`.
ui::ViewController* handPlaced(const ui::View& view, const ui::Rect& screen) {
  if (view.isHidden() || view.alpha() <= 0.01f) return nullptr;
  const auto& subviews = view.subviews();
  for (auto it = subviews.rbegin(); it != subviews.rend(); ++it) {
    if (auto* found = handPlaced(**it, screen)) return found;
  }
  auto* controller = ui::ViewController::controllerOf(&view);
  if (!controller || controller->parentViewController() || controller->presentingViewController()) return nullptr;
  const ui::Rect shown = view.convertRectTo(view.bounds(), nullptr).intersection(screen);
  if (shown.isEmpty() || shown.width() * shown.height() < screen.width() * screen.height() / 2) return nullptr;
  return controller;
}

}  // namespace

std::string ScreenProbe::topScreen() {
  for (const auto& window : windowsFrontToBack()) {
    auto root = std::dynamic_pointer_cast<ui::ViewController>(window->rootViewController());
    if (!root) continue;
    auto top = descend(root);
    // A screen laid over the others by hand (a column's detail flipped out of its tile) is on
    // top of them while it is in sight; the root's own view is no such screen.
    if (auto* placed = handPlaced(*window, window->bounds()); placed && placed != root.get()) {
      top = descend(placed->shared());
    }
    return ui::classNameOf(*top);
  }
  return {};
}

std::string ScreenProbe::barTitle() {
  const auto occlusion = ui::Occlusion::ofScreen();
  for (const auto& window : windowsFrontToBack()) {
    const ui::NavigationBar* front = nullptr;
    eachViewInSight(*window, window->bounds(), [&](const ui::View& view) {
      if (auto* bar = dynamic_cast<const ui::NavigationBar*>(&view); bar && occlusion.sees(*bar)) front = bar;
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
  // Only what the views drawn over a text leave of it counts.
  const auto occlusion = ui::Occlusion::ofScreen();
  for (const auto& window : ui::Application::shared().visibleWindows()) {
    eachViewInSight(*window, window->bounds(), [&](const ui::View& view) {
      if (occlusion.sees(view)) textsOf(view, out);
    });
  }
  return out;
}

std::optional<float> ScreenProbe::sliderValueAt(ui::Point screenPoint) {
  auto window = ui::Application::shared().windowForTouch(screenPoint);
  if (!window) return std::nullopt;
  for (auto view = window->hitTest(window->pointFromSuperview(screenPoint)); view; view = view->superview()) {
    if (auto* slider = dynamic_cast<const ui::Slider*>(view.get())) return slider->value();
  }
  return std::nullopt;
}

bool ScreenProbe::shows(const std::string& text) {
  for (const auto& shown : texts()) {
    if (shown.find(text) != std::string::npos) return true;
  }
  return false;
}

}  // namespace zu
