// OpfMeta: one meta element of an OPF package's metadata. A plain record of the ePub package model
// (accessors only, not archivable, not locked); held through std::shared_ptr.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Object.h"

namespace zu {

class OpfMeta : public Object {
 public:
  const std::optional<std::string>& meta() const { return meta_; }
  void setMeta(std::optional<std::string> v) { meta_ = std::move(v); }
  const std::optional<std::string>& refines() const { return refines_; }
  void setRefines(std::optional<std::string> v) { refines_ = std::move(v); }
  const std::optional<std::string>& property() const { return property_; }
  void setProperty(std::optional<std::string> v) { property_ = std::move(v); }
  const std::optional<std::string>& scheme() const { return scheme_; }
  void setScheme(std::optional<std::string> v) { scheme_ = std::move(v); }

 private:
  std::optional<std::string> meta_;
  std::optional<std::string> refines_;
  std::optional<std::string> property_;
  std::optional<std::string> scheme_;
};

}  // namespace zu
