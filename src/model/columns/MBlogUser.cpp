#include "model/columns/MBlogUser.h"

#include "platform/runtime/KeyedArchiver.h"
#include "platform/runtime/KeyedUnarchiver.h"

namespace zu {

std::string MBlogUser::archiveClassName() const { return "MBlogUser"; }

void MBlogUser::encodeWithCoder(KeyedArchiver& coder) const {
  coder.encode("name", name_);
  coder.encode("profile_img_url", profile_img_url_);
}

bool MBlogUser::initWithCoder(KeyedUnarchiver& coder) {
  name_ = coder.decodeString("name");
  profile_img_url_ = coder.decodeString("profile_img_url");
  return true;
}

}  // namespace zu
