// NRCustomStatusBar: a small window over the system status bar — a black strip, a spinner and
// one line of white bold text — in which the share screen reports each platform's answer while
// a share runs. There is at most one at a time, the shared overlay: showWithStatusMessage()
// makes it when there is none (framed to the status bar of that moment) and shows the text;
// hide() hides and lets go of it, so the next message makes a new one.
//
// Main thread only. The shared overlay is held by the class (shared()); a window nobody else
// keeps. Its level is the status bar's + 1, so it covers the bar the renderer draws.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/views/Window.h"

namespace zu::ui {
class ActivityIndicatorView;
class Label;
}  // namespace zu::ui

namespace zu {

class NRCustomStatusBar : public ui::Window {
 public:
  // Whatever `frame` is given, the window takes the application's status-bar frame.
  explicit NRCustomStatusBar(const ui::Rect& frame = ui::Rect());

  // Makes the shared overlay when there is none, then shows the text on it (a nil text leaves
  // a new overlay made but hidden).
  static void showWithStatusMessage(const std::optional<std::string>& text);
  // Hides the shared overlay and lets go of it; nothing without one.
  static void hide();
  // The shared overlay, or null.
  static const std::shared_ptr<NRCustomStatusBar>& shared();

  // With a text: sets it, starts the spinner and makes the window visible. A nil text changes
  // nothing.
  void showStatusMessage(const std::optional<std::string>& text);
  // Stops the spinner and hides the window.
  void hideStatus();

  const std::shared_ptr<ui::Label>& statusLabel() const { return statusLabel_; }
  const std::shared_ptr<ui::ActivityIndicatorView>& indicator() const { return indicator_; }

  std::string className() const override { return "NRCustomStatusBar"; }

 private:
  static std::shared_ptr<NRCustomStatusBar>& sCustomStatusBar();

  std::shared_ptr<ui::Label> statusLabel_;
  std::shared_ptr<ui::ActivityIndicatorView> indicator_;
};

}  // namespace zu
