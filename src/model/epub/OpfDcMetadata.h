// OpfDcMetadata: the Dublin Core metadata of an OPF package. A plain record of the ePub package
// model (accessors only, not archivable, not locked); held through std::shared_ptr.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/runtime/Object.h"

namespace zu {

class OpfMeta;

class OpfDcMetadata : public Object {
 public:
  const std::optional<std::string>& title() const { return title_; }
  void setTitle(std::optional<std::string> v) { title_ = std::move(v); }
  const std::optional<std::string>& creator() const { return creator_; }
  void setCreator(std::optional<std::string> v) { creator_ = std::move(v); }
  // The description text (named apart from Object::description, the text shown in logs).
  const std::optional<std::string>& descriptionText() const { return description_; }
  void setDescription(std::optional<std::string> v) { description_ = std::move(v); }
  const std::optional<std::string>& publisher() const { return publisher_; }
  void setPublisher(std::optional<std::string> v) { publisher_ = std::move(v); }
  const std::optional<std::string>& date() const { return date_; }
  void setDate(std::optional<std::string> v) { date_ = std::move(v); }
  const std::optional<std::vector<std::shared_ptr<OpfMeta>>>& metas() const { return metas_; }
  void setMetas(std::optional<std::vector<std::shared_ptr<OpfMeta>>> v) { metas_ = std::move(v); }

 private:
  std::optional<std::string> title_;
  std::optional<std::string> creator_;
  std::optional<std::string> description_;
  std::optional<std::string> publisher_;
  std::optional<std::string> date_;
  std::optional<std::vector<std::shared_ptr<OpfMeta>>> metas_;
};

}  // namespace zu
