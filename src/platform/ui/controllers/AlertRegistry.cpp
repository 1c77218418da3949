#include "platform/ui/controllers/AlertRegistry.h"

#include <algorithm>

#include "platform/ui/controllers/Alert.h"

namespace zu::ui {

AlertRegistry& AlertRegistry::shared() {
  static AlertRegistry* registry = new AlertRegistry();
  return *registry;
}

void AlertRegistry::add(std::shared_ptr<Alert> alert) {
  if (!alert || std::find(shown_.begin(), shown_.end(), alert) != shown_.end()) return;
  shown_.push_back(std::move(alert));
}

void AlertRegistry::remove(const Alert* alert) {
  auto it = std::find_if(shown_.begin(), shown_.end(),
                         [&](const std::shared_ptr<Alert>& a) { return a.get() == alert; });
  if (it != shown_.end()) shown_.erase(it);
}

}  // namespace zu::ui
