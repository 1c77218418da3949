#include "model/service/VeskMBlog.h"

#include "model/entry/Content.h"
#include "model/entry/Link.h"
#include "model/columns/MBlogUser.h"
#include "platform/runtime/KeyedArchiver.h"
#include "platform/runtime/KeyedUnarchiver.h"

namespace zu {

std::string VeskMBlog::archiveClassName() const { return "VeskMBlog"; }

void VeskMBlog::encodeWithCoder(KeyedArchiver& coder) const {
  coder.encode("layoutLink", layoutLink_);
  coder.encode("layoutUser", layoutUser_);
  coder.encode("layoutRetweeted", layoutRetweeted_);
  coder.encode("translated", translated_);
}

bool VeskMBlog::initWithCoder(KeyedUnarchiver& coder) {
  layoutLink_ = coder.decodeObject<Link>("layoutLink");
  layoutUser_ = coder.decodeObject<MBlogUser>("layoutUser");
  layoutRetweeted_ = coder.decodeObject<MBlogUser>("layoutRetweeted");
  translated_ = coder.decodeObject<Content>("translated");
  return true;
}

}  // namespace zu
