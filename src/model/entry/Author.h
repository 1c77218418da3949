// Author: the Atom person of an entry or feed (element "author"). Filled through its setters by the
// response parser or the tasks, then handed on and only read (not locked); held through
// std::shared_ptr and shared, not copied. Archived with the entry that holds it (keys: the field
// names).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Archivable.h"

namespace zu {

class Link;

class Author : public Archivable {
 public:
  const std::optional<std::string>& name() const { return name_; }
  void setName(std::optional<std::string> v) { name_ = std::move(v); }
  const std::optional<std::string>& uri() const { return uri_; }
  void setUri(std::optional<std::string> v) { uri_ = std::move(v); }
  const std::optional<std::string>& email() const { return email_; }
  void setEmail(std::optional<std::string> v) { email_ = std::move(v); }
  // The picture: a "profile_image" child, or a link without relation.
  const std::shared_ptr<Link>& profileImageLink() const { return profileImageLink_; }
  void setProfileImageLink(std::shared_ptr<Link> v) { profileImageLink_ = std::move(v); }
  const std::optional<std::string>& profile() const { return profile_; }
  void setProfile(std::optional<std::string> v) { profile_ = std::move(v); }
  // The link of relation "writedbooks".
  const std::shared_ptr<Link>& booksLink() const { return booksLink_; }
  void setBooksLink(std::shared_ptr<Link> v) { booksLink_ = std::move(v); }

  std::string archiveClassName() const override;
  void encodeWithCoder(KeyedArchiver& coder) const override;
  bool initWithCoder(KeyedUnarchiver& coder) override;

 private:
  std::optional<std::string> name_;
  std::optional<std::string> uri_;
  std::optional<std::string> email_;
  std::shared_ptr<Link> profileImageLink_;
  std::optional<std::string> profile_;
  std::shared_ptr<Link> booksLink_;
};

}  // namespace zu
