// OpfManifestItem: one file listed in an OPF manifest. A plain record of the ePub package model
// (accessors only, not archivable, not locked); held through std::shared_ptr.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Object.h"

namespace zu {

class OpfManifestItem : public Object {
 public:
  const std::optional<std::string>& id() const { return id_; }
  void setId(std::optional<std::string> v) { id_ = std::move(v); }
  const std::optional<std::string>& href() const { return href_; }
  void setHref(std::optional<std::string> v) { href_ = std::move(v); }
  const std::optional<std::string>& media_type() const { return media_type_; }
  void setMedia_type(std::optional<std::string> v) { media_type_ = std::move(v); }

 private:
  std::optional<std::string> id_;
  std::optional<std::string> href_;
  std::optional<std::string> media_type_;
};

}  // namespace zu
