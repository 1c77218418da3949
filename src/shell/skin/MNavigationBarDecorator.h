// MNavigationBarDecorator: puts a skin's background image into navigation bars. One per process
// (Singleton); main thread only.
//
// From system version 5.0 on the bar's own background image is set. Below 5.0 an image view
// tagged kBackgroundTag is inserted as the bar's lowest subview (decorating again replaces its
// image), and the navigation bar's subview hook, switched on once when the decorator is made,
// keeps that view lowest whatever the bar inserts or sends to the back afterwards. The hook is
// switched on whatever the system version, and off only when the instance is cleaned up.
#pragma once

#include <memory>

#include "shell/app/Singleton.h"

namespace zu::ui {
class Image;
class NavigationBar;
class NavigationController;
}  // namespace zu::ui

namespace zu {

class MNavigationBarDecorator : public Singleton<MNavigationBarDecorator> {
 public:
  static constexpr int kBackgroundTag = 20110705;

  void decorateNavigationBar(ui::NavigationBar& bar, const std::shared_ptr<ui::Image>& image);
  // The same on the controller's bar; the new image view also follows the bar's width, and the
  // 5.0 path leaves clipping alone.
  void decorateNavigationController(ui::NavigationController& controller,
                                    const std::shared_ptr<ui::Image>& image);

 private:
  friend class Singleton<MNavigationBarDecorator>;
  MNavigationBarDecorator();
  ~MNavigationBarDecorator();

  void decorate(ui::NavigationBar& bar, const std::shared_ptr<ui::Image>& image, bool controller);
};

}  // namespace zu
