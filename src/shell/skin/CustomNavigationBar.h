// CustomNavigationBar: a navigation bar with a clear background that does not clip its
// contents; its skinned background comes from the navigation bar decoration. Main thread only.
#pragma once

#include "platform/ui/controllers/NavigationBar.h"

namespace zu {

class CustomNavigationBar : public ui::NavigationBar {
 public:
  explicit CustomNavigationBar(const ui::Rect& frame = ui::Rect(0, 0, 320, kHeight));
  std::string className() const override { return "CustomNavigationBar"; }
};

}  // namespace zu
