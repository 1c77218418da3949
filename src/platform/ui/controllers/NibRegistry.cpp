#include "platform/ui/controllers/NibRegistry.h"

#include "platform/ui/views/View.h"
#include "platform/ui/controllers/ViewController.h"

namespace zu::ui {

void NibLoading::connectOwnerView(const std::shared_ptr<View>& view) {
  connectOwner<ViewController>([view](ViewController& controller) { controller.setView(view); });
}

NibRegistry& NibRegistry::shared() {
  static NibRegistry* registry = new NibRegistry();
  return *registry;
}

void NibRegistry::add(const std::string& name, Builder builder) { builders_[name] = std::move(builder); }

std::vector<std::shared_ptr<Object>> NibRegistry::load(const std::string& name,
                                                       const std::shared_ptr<Object>& owner) {
  auto it = builders_.find(name);
  if (it == builders_.end()) return {};
  // Copied: a builder may register files itself.
  const Builder builder = it->second;
  NibLoading loading(owner);
  builder(loading);
  for (const auto& wire : loading.wires_) wire();
  for (const auto& object : loading.made_) {
    if (auto* view = dynamic_cast<View*>(object.get())) {
      view->awakeFromNib();
    } else if (auto* controller = dynamic_cast<ViewController*>(object.get())) {
      controller->awakeFromNib();
    }
  }
  return loading.topLevel_;
}

}  // namespace zu::ui
