#include "platform/ui/text/FocusChain.h"

#include <algorithm>

#include "platform/ui/text/Keyboard.h"
#include "platform/ui/text/TextInput.h"
#include "platform/ui/views/OnScreen.h"
#include "platform/ui/views/View.h"
#include "platform/ui/views/Window.h"

namespace zu::ui {

namespace {

// The entries in the shown part of `view`'s tree, in tree order.
void collect(const std::shared_ptr<View>& view, std::vector<std::shared_ptr<View>>& entries) {
  if (!OnScreen::takesPart(*view)) return;
  if (auto* input = dynamic_cast<TextInput*>(view.get()); input && input->canBeginEditing()) {
    if (OnScreen::holds(*view)) entries.push_back(view);
  }
  for (const auto& sub : view->subviews()) collect(sub, entries);
}

}  // namespace

std::vector<std::shared_ptr<View>> FocusChain::entriesAround(const View& view) {
  // The screen: the window's subview that holds the view.
  const View* screen = &view;
  while (screen->superview() && !dynamic_cast<const Window*>(screen->superview().get())) {
    screen = screen->superview().get();
  }
  std::vector<std::shared_ptr<View>> entries;
  if (!screen->window()) return entries;
  collect(std::const_pointer_cast<View>(screen->shared()), entries);
  std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
    const Point pa = a->convertRectTo(a->bounds(), nullptr).origin;
    const Point pb = b->convertRectTo(b->bounds(), nullptr).origin;
    return pa.y != pb.y ? pa.y < pb.y : pa.x < pb.x;
  });
  return entries;
}

bool FocusChain::advance(bool backwards) {
  auto current = Keyboard::shared().firstResponder();
  if (!current) return false;
  const auto entries = entriesAround(*current);
  const auto at = std::find(entries.begin(), entries.end(), current);
  if (at == entries.end() || entries.size() < 2) return false;
  const size_t n = entries.size();
  const size_t from = static_cast<size_t>(at - entries.begin());
  for (size_t step = 1; step < n; ++step) {
    const auto& next = entries[backwards ? (from + n - step) % n : (from + step) % n];
    if (dynamic_cast<TextInput*>(next.get())->becomeFirstResponder()) return true;
  }
  return false;
}

}  // namespace zu::ui
