// NcxNavPointSub: one nested entry of an NCX navigation point (a section). A plain record of the
// ePub package model (accessors only, not archivable, not locked); held through std::shared_ptr.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Object.h"

namespace zu {

class NcxNavContent;
class NcxNavLabel;

class NcxNavPointSub : public Object {
 public:
  const std::optional<std::string>& id() const { return id_; }
  void setId(std::optional<std::string> v) { id_ = std::move(v); }
  int32_t playOrder() const { return playOrder_; }
  void setPlayOrder(int32_t v) { playOrder_ = v; }
  const std::shared_ptr<NcxNavLabel>& navLabel() const { return navLabel_; }
  void setNavLabel(std::shared_ptr<NcxNavLabel> v) { navLabel_ = std::move(v); }
  const std::shared_ptr<NcxNavContent>& content() const { return content_; }
  void setContent(std::shared_ptr<NcxNavContent> v) { content_ = std::move(v); }

 private:
  std::optional<std::string> id_;
  int32_t playOrder_ = 0;
  std::shared_ptr<NcxNavLabel> navLabel_;
  std::shared_ptr<NcxNavContent> content_;
};

}  // namespace zu
