// Link: an Atom link (element "link", also "profile_image"), placed by its relation into a typed
// field or a list of its owner. Filled through its setters by the response parser or the tasks,
// then handed on and only read (not locked); held through std::shared_ptr and shared, not copied.
// Archived with the entry that holds it (keys: the field names).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Archivable.h"

namespace zu {

class Link : public Archivable {
 public:
  const std::optional<std::string>& title() const { return title_; }
  void setTitle(std::optional<std::string> v) { title_ = std::move(v); }
  // The relation.
  const std::optional<std::string>& rel() const { return rel_; }
  void setRel(std::optional<std::string> v) { rel_ = std::move(v); }
  // Media type.
  const std::optional<std::string>& type() const { return type_; }
  void setType(std::optional<std::string> v) { type_ = std::move(v); }
  // Target address, resolved against xml:base.
  const std::optional<std::string>& href() const { return href_; }
  void setHref(std::optional<std::string> v) { href_ = std::move(v); }
  const std::optional<std::string>& hreflang() const { return hreflang_; }
  void setHreflang(std::optional<std::string> v) { hreflang_ = std::move(v); }
  int32_t length() const { return length_; }
  void setLength(int32_t v) { length_ = v; }
  // The picture is a default picture.
  bool isdefaultpic() const { return isdefaultpic_; }
  void setIsdefaultpic(bool v) { isdefaultpic_ = v; }
  // Attribute "autodownload".
  bool isautodownload() const { return isautodownload_; }
  void setIsautodownload(bool v) { isautodownload_ = v; }
  const std::optional<std::string>& vendor() const { return vendor_; }
  void setVendor(std::optional<std::string> v) { vendor_ = std::move(v); }
  // Address of the selected-state picture, resolved.
  const std::optional<std::string>& hrefForSelected() const { return hrefForSelected_; }
  void setHrefForSelected(std::optional<std::string> v) { hrefForSelected_ = std::move(v); }

  std::string archiveClassName() const override;
  void encodeWithCoder(KeyedArchiver& coder) const override;
  bool initWithCoder(KeyedUnarchiver& coder) override;

 private:
  std::optional<std::string> title_;
  std::optional<std::string> rel_;
  std::optional<std::string> type_;
  std::optional<std::string> href_;
  std::optional<std::string> hreflang_;
  int32_t length_ = 0;
  bool isdefaultpic_ = false;
  bool isautodownload_ = false;
  std::optional<std::string> vendor_;
  std::optional<std::string> hrefForSelected_;
};

}  // namespace zu
