// OpfManifest: the manifest of an OPF package: every file of the publication. A plain record of
// the ePub package model (accessors only, not archivable, not locked); held through
// std::shared_ptr.
#pragma once

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/runtime/Object.h"

namespace zu {

class OpfManifestItem;

class OpfManifest : public Object {
 public:
  const std::optional<std::vector<std::shared_ptr<OpfManifestItem>>>& items() const {
    return items_;
  }
  void setItems(std::optional<std::vector<std::shared_ptr<OpfManifestItem>>> v) {
    items_ = std::move(v);
  }

 private:
  std::optional<std::vector<std::shared_ptr<OpfManifestItem>>> items_;
};

}  // namespace zu
