// MBlogUser: a user of a microblog layout (elements "user" and "retweeted"). Filled through its
// setters by the response parser or the tasks, then handed on and only read (not locked); held
// through std::shared_ptr and shared, not copied. Archived with the entry that holds it (keys: the
// field names).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Archivable.h"

namespace zu {

class MBlogUser : public Archivable {
 public:
  const std::optional<std::string>& name() const { return name_; }
  void setName(std::optional<std::string> v) { name_ = std::move(v); }
  // Taken as written, not resolved.
  const std::optional<std::string>& profile_img_url() const { return profile_img_url_; }
  void setProfile_img_url(std::optional<std::string> v) { profile_img_url_ = std::move(v); }

  std::string archiveClassName() const override;
  void encodeWithCoder(KeyedArchiver& coder) const override;
  bool initWithCoder(KeyedUnarchiver& coder) override;

 private:
  std::optional<std::string> name_;
  std::optional<std::string> profile_img_url_;
};

}  // namespace zu
