// InterfaceRotation: turns the application's windows when the device turns
// (Device::setOrientation calls deviceDidTurn), and keeps a window's content in an orientation
// its shown controller allows when modal controllers come and go. Main thread only; class
// functions over the application's windows and the status bar's one orientation.
//
// Kept from the phone:
//  - A turn is asked of the controller shown in the key window (the root view controller's
//    last presented controller, which asks its own top or selected child; without a key window
//    with a root view controller, the frontmost visible window that has one):
//    shouldAutorotateToInterfaceOrientation. When it agrees, that window turns, and with it each
//    other window whose own shown controller allows the orientation:
//    willRotateToInterfaceOrientation (with the duration), then the windows' content turns and
//    takes the new frame, the status bar takes the orientation, and
//    didRotateFromInterfaceOrientation follows — at the end of the turn's animation
//    (kQuarterTurnDuration, twice that for a half turn), or at once without animation.
//  - The window itself stays 320 × 480. Its content views (the root controller's view, or the
//    presented one that covers it) turn about their centre: +90° for landscape right, −90° for
//    landscape left, 180° upside down; their bounds become 480 wide and 320 high (less the
//    20-point status bar unless hidden or the controller wants full-screen layout), so their
//    subviews lay out as on a landscape screen.
//  - A face-up, face-down or unknown device orientation turns nothing.
//  - Alerts and action sheets shown turn with the interface: each sits where its orientation's
//    interface puts it (centred, or along the interface's bottom edge), turned as the content is.
//  - The drawn keyboard and the status bar lie along the interface's bottom and top edges.
// Where we differ on purpose: other windows without a root view controller do not turn; a
// controller revealed by a dismissal that does not allow the current orientation
// turns the interface back at once (to the device's orientation when it allows that, else
// portrait), where the phone waits for the next turn of the device.
#pragma once

#include "platform/device/SystemEnvironment.h"
#include "platform/ui/drawing/Geometry.h"
#include "platform/ui/drawing/Transform.h"

namespace zu::ui {

class View;
class ViewController;
class Window;

class InterfaceRotation {
 public:
  using Orientation = SystemEnvironment::Orientation;
  static constexpr double kQuarterTurnDuration = 0.4;

  InterfaceRotation() = delete;

  // The device now points `orientation` (1–4 as the status bar numbers them); each window
  // follows when its shown controller allows it. True when the interface turned.
  static bool deviceDidTurn(Orientation orientation, bool animated = true);

  // The controller whose wishes decide a window's orientation, or null.
  static ViewController* shownController(Window& window);
  // Puts a window content view in `orientation`'s place: transform, centre and bounds size.
  static void place(View& view, Orientation orientation, bool fullScreen);
  // After a modal controller came or went: turns `window` to an orientation its shown
  // controller allows, when the current one is not.
  static void settle(Window& window);

  static Transform transformFor(Orientation orientation);
  // The interface's size in `orientation`: the screen's, its sides swapped in landscape.
  static Size interfaceSize(Orientation orientation);
  // A rectangle of the interface (origin at its top-left corner) as it lies on the screen:
  // turned about the screen's centre.
  static Rect toScreen(Orientation orientation, const Rect& interfaceRect);
  // A point of the screen in the interface's own space (toScreen's inverse).
  static Point fromScreen(Orientation orientation, Point screenPoint);
  // The content's frame in window coordinates (the phone's application frame when not full
  // screen and the status bar shows).
  static Rect frameFor(Orientation orientation, bool fullScreen);

 private:
  static bool turn(Orientation to, bool animated, bool onlyWhenAllowed);
};

}  // namespace zu::ui
