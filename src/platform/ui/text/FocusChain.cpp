#include "platform/ui/text/FocusChain.h"

#include <algorithm>

#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/text/FocusOrder.h"
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

// The screen's own order of its entries: that of the controller of `view` or of a view above it.
FocusOrder* focusOrderAbove(const View& view) {
  for (const View* v = &view; v; v = v->superview().get()) {
    if (auto* order = dynamic_cast<FocusOrder*>(ViewController::controllerOf(v))) return order;
  }
  return nullptr;
}

// The entries a focus order lists that can begin editing now.
std::vector<std::shared_ptr<View>> usable(FocusOrder& order) {
  std::vector<std::shared_ptr<View>> entries;
  for (auto& entry : order.focusEntries()) {
    if (auto* input = dynamic_cast<TextInput*>(entry.get()); input && input->canBeginEditing()) {
      entries.push_back(std::move(entry));
    }
  }
  return entries;
}

// The entries of the screen that holds `view` (the window's subview holding it), in reading
// order: top to bottom, then left to right.
std::vector<std::shared_ptr<View>> entriesInTree(const View& view) {
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

// Begins editing `entry`, brought into sight first when the screen keeps an order.
bool begin(const std::shared_ptr<View>& entry, FocusOrder* order) {
  if (order) order->revealFocusEntry(*entry);
  return dynamic_cast<TextInput*>(entry.get())->becomeFirstResponder();
}

// Nothing is edited: the first entry of the top screen (the last with `backwards`) that agrees
// begins editing.
bool beginFirst(bool backwards) {
  const auto under = OnScreen::underMiddle();
  if (!under) return false;
  FocusOrder* order = focusOrderAbove(*under);
  auto entries = order ? usable(*order) : entriesInTree(*under);
  if (backwards) std::reverse(entries.begin(), entries.end());
  for (const auto& entry : entries) {
    if (begin(entry, order)) return true;
  }
  return false;
}

}  // namespace

std::vector<std::shared_ptr<View>> FocusChain::entriesAround(const View& view) {
  if (FocusOrder* order = focusOrderAbove(view)) return usable(*order);
  return entriesInTree(view);
}

bool FocusChain::advance(bool backwards) {
  auto current = Keyboard::shared().firstResponder();
  if (!current) return beginFirst(backwards);
  FocusOrder* order = focusOrderAbove(*current);
  const auto entries = order ? usable(*order) : entriesInTree(*current);
  const auto at = std::find(entries.begin(), entries.end(), current);
  if (at == entries.end() || entries.size() < 2) return false;
  const size_t n = entries.size();
  const size_t from = static_cast<size_t>(at - entries.begin());
  for (size_t step = 1; step < n; ++step) {
    if (begin(entries[backwards ? (from + n - step) % n : (from + step) % n], order)) return true;
  }
  return false;
}

}  // namespace zu::ui
