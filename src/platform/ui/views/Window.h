// Window: the root of a view tree that the screen shows, with a level (normal 0, status bar
// 1000, alert 2000; higher levels are composited above) and a root view controller slot.
// Made with std::make_shared, used on the main thread.
//
// Kept from the phone: a window starts hidden; makeKeyAndVisible shows it and makes it the
// application's key window (the previous key window is told it resigned); showing a window
// registers it with the Application, which lists windows by level. Its coordinates are the
// screen's when its frame is at the origin. Where we differ on purpose: the root view
// controller slot only holds the object (the controller layer adds its view).
#pragma once

#include <functional>
#include <memory>

#include "platform/ui/input/Touch.h"
#include "platform/ui/views/View.h"

namespace zu::ui {

class TouchDispatcher;

inline constexpr float kWindowLevelNormal = 0;
inline constexpr float kWindowLevelStatusBar = 1000;
inline constexpr float kWindowLevelAlert = 2000;

class Window : public View {
 public:
  explicit Window(const Rect& frame = Rect());
  ~Window() override;

  float windowLevel() const { return level_; }
  void setWindowLevel(float level) {
    if (level_ != level) setNeedsDisplay();
    level_ = level;
  }

  // A window that passes touches through takes only those its views take: where none does, a
  // touch goes to the windows below (Application::windowForTouch), as over a window with
  // interaction off.
  void setPassesTouchesThrough(bool passes) { passesTouchesThrough_ = passes; }
  std::shared_ptr<View> hitTest(Point p) override;

  const std::shared_ptr<Object>& rootViewController() const { return rootViewController_; }
  void setRootViewController(std::shared_ptr<Object> controller) {
    rootViewController_ = std::move(controller);
  }

  // What the desktop's Escape does to a window that passes over the screens (a help picture
  // that a tap closes): set, Escape runs it when this window is the top one (EscapeKey).
  const std::function<void()>& escapeAction() const { return escapeAction_; }
  void setEscapeAction(std::function<void()> action) { escapeAction_ = std::move(action); }

  void setHidden(bool hidden) override;
  void makeKeyAndVisible();
  void makeKeyWindow();
  bool isKeyWindow() const;
  virtual void becomeKeyWindow() {}
  virtual void resignKeyWindow() {}

  // --- touches in window coordinates, as the screen's input or a test fires them (see
  // TouchDispatcher for the delivery rules). A touch beginning outside the edit menu's window
  // hides a shown edit menu first (MenuController).
  std::shared_ptr<Touch> beginTouch(Point point);
  void moveTouch(const std::shared_ptr<Touch>& touch, Point point);
  // Lifts the finger where it is, or at `point`.
  void endTouch(const std::shared_ptr<Touch>& touch);
  void endTouch(const std::shared_ptr<Touch>& touch, Point point);
  void cancelTouch(const std::shared_ptr<Touch>& touch);
  // A whole tap: down and up at `point`.
  void tap(Point point);
  // Down at `from`, moves in `steps` equal steps to `to`, up there.
  void drag(Point from, Point to, int steps = 5);

 private:
  std::unique_ptr<TouchDispatcher> touches_;
  float level_ = kWindowLevelNormal;
  bool passesTouchesThrough_ = false;
  std::shared_ptr<Object> rootViewController_;
  std::function<void()> escapeAction_;
};

}  // namespace zu::ui
