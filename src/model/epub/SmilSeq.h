// SmilSeq: a sequence of media in a SMIL body. A plain record of the ePub package model (accessors
// only, not archivable, not locked); held through std::shared_ptr.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/runtime/Object.h"

namespace zu {

class SmilMedia;

class SmilSeq : public Object {
 public:
  const std::optional<std::string>& id() const { return id_; }
  void setId(std::optional<std::string> v) { id_ = std::move(v); }
  const std::optional<std::string>& textref() const { return textref_; }
  void setTextref(std::optional<std::string> v) { textref_ = std::move(v); }
  const std::optional<std::string>& type() const { return type_; }
  void setType(std::optional<std::string> v) { type_ = std::move(v); }
  const std::optional<std::vector<std::shared_ptr<SmilMedia>>>& medias() const { return medias_; }
  void setMedias(std::optional<std::vector<std::shared_ptr<SmilMedia>>> v) {
    medias_ = std::move(v);
  }

 private:
  std::optional<std::string> id_;
  std::optional<std::string> textref_;
  std::optional<std::string> type_;
  std::optional<std::vector<std::shared_ptr<SmilMedia>>> medias_;
};

}  // namespace zu
