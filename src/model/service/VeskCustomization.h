// VeskCustomization: a custom subscription such as a microblog user's posts (element
// "customization"). It tells whether its type is one of the four microblog words and which open
// platform that microblog is. Filled through its setters by the response parser or the tasks, then
// handed on and only read (not locked); held through std::shared_ptr and shared, not copied.
// Archived with the entry that holds it (keys: the field names).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Archivable.h"

namespace zu {

class VeskCustomization : public Archivable {
 public:
  const std::optional<std::string>& searchHref() const { return searchHref_; }
  void setSearchHref(std::optional<std::string> v) { searchHref_ = std::move(v); }
  // The kind: the microblog words "zelvanemblog", "sinamblog", "qqmblog", "sohumblog", or "qqzone",
  // "rss".
  const std::optional<std::string>& type() const { return type_; }
  void setType(std::optional<std::string> v) { type_ = std::move(v); }
  const std::optional<std::string>& groupmode() const { return groupmode_; }
  void setGroupmode(std::optional<std::string> v) { groupmode_ = std::move(v); }
  const std::optional<std::string>& id() const { return id_; }
  void setId(std::optional<std::string> v) { id_ = std::move(v); }
  bool self() const { return self_; }
  void setSelf(bool v) { self_ = v; }
  const std::optional<std::string>& subHref() const { return subHref_; }
  void setSubHref(std::optional<std::string> v) { subHref_ = std::move(v); }

  // YES when type is exactly one of "zelvanemblog", "sinamblog", "qqmblog", "sohumblog".
  bool isMBlogType() const;
  // The open-platform number of the microblog the type names: "zelvanemblog" 0, "sinamblog" 1,
  // "qqmblog" 2, "sohumblog" 3; -1 for any other type or none.
  int32_t getOpenPlatformType() const;

  std::string archiveClassName() const override;
  void encodeWithCoder(KeyedArchiver& coder) const override;
  bool initWithCoder(KeyedUnarchiver& coder) override;

 private:
  std::optional<std::string> searchHref_;
  std::optional<std::string> type_;
  std::optional<std::string> groupmode_;
  std::optional<std::string> id_;
  bool self_ = false;
  std::optional<std::string> subHref_;
};

}  // namespace zu
