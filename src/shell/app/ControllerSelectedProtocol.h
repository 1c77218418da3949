// ControllerSelectedProtocol: what a tab's top view controller adopts to hear that its tab was
// chosen on the root tab bar (MSCustomTabBarController), before the tab is shown. Optional:
// controllers that do not adopt it are simply not told. Main thread only.
#pragma once

namespace zu {

class ControllerSelectedProtocol {
 public:
  virtual ~ControllerSelectedProtocol() = default;
  virtual void controllerSelected() = 0;
};

}  // namespace zu
