// AlertRegistry: the alerts and action sheets on screen, oldest first (AlertRegistry::shared(),
// main thread only) — the seam through which tests and the screen read what is shown and press
// its buttons. An Alert adds itself when shown and removes itself when dismissed; the registry
// holds it, as the phone's alert window held a shown alert.
#pragma once

#include <memory>
#include <vector>

namespace zu::ui {

class Alert;

class AlertRegistry {
 public:
  static AlertRegistry& shared();

  const std::vector<std::shared_ptr<Alert>>& shown() const { return shown_; }
  // The newest alert shown, or null.
  std::shared_ptr<Alert> top() const { return shown_.empty() ? nullptr : shown_.back(); }

  void add(std::shared_ptr<Alert> alert);
  void remove(const Alert* alert);

  // Forgets every alert without callbacks (between tests).
  void resetForTesting() { shown_.clear(); }

 private:
  AlertRegistry() = default;
  std::vector<std::shared_ptr<Alert>> shown_;
};

}  // namespace zu::ui
