// ScreenProbe: reads what the screen shows, for a replay's expect steps: the top screen (the
// controller the reader is looking at), the navigation bar's title, a slider's value, and the
// texts in sight.
//
//  - The top screen: from the frontmost visible window that has a root controller, the
//    presented (modal) controller while there is one, else a tab bar controller's selected
//    controller, else a navigation controller's top controller, until none of them leads on.
//    A controller whose view was laid into the window by hand (held by no container, presented
//    by none) and covers at least half the screen is on top instead, followed the same way.
//    Its class name is without namespaces ("MyColumnsController").
//  - The bar's title: the frontmost navigation bar in sight (and not covered), its top item's
//    title, or the texts of the item's title view when it has one.
//  - A slider's value: the slider a finger at a screen point would move (hit-tested in the
//    window that takes touches there, as ScreenInput delivers them).
//  - The texts in sight: labels, button titles, text fields (text, or placeholder when empty),
//    text views, bar titles, alerts' and sheets' titles, messages and buttons, the edit menu's
//    items, and web pages'
//    text (as the page last answered it: each look asks the page again, and the answer comes on
//    a later turn of the main loop) of every visible window, skipping views that are hidden, wholly
//    transparent, or wholly outside the screen or the bounds of an ancestor that clips, and views
//    a reader cannot see for what is drawn over them (ui::Occlusion: half of the view or more
//    under the navigation bar, the keyboard, an alert's panel, the status bar or any view or
//    window drawn later with an opaque ground). A text under a translucent layer (the dimmed
//    screen below an alert) is in sight.
//
// Reads the live view tree each time: main thread only; holds nothing but each page's last
// answered text.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/ui/drawing/Geometry.h"

namespace zu {

class ScreenProbe {
 public:
  // The class name of the top screen, or "" when no window has a root controller.
  static std::string topScreen();
  // The title of the navigation bar in sight, or "".
  static std::string barTitle();
  // Every text in sight, back to front.
  static std::vector<std::string> texts();
  // Whether `text` is one of the texts in sight or part of one.
  static bool shows(const std::string& text);
  // The value of the slider at `screenPoint`; none when a finger there would touch no slider.
  static std::optional<float> sliderValueAt(ui::Point screenPoint);
};

}  // namespace zu
