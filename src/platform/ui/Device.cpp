#include "platform/ui/Device.h"

namespace zu::ui {

Device& Device::current() {
  static Device* device = new Device;  // never destroyed
  return *device;
}

}  // namespace zu::ui
