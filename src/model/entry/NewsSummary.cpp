#include "model/entry/NewsSummary.h"

#include "model/entry/Link.h"
#include "model/service/VeskMBlog.h"

namespace zu {

std::string NewsSummary::archiveClassName() const { return "NewsSummary"; }

int32_t NewsSummary::getMBlogLayoutPriority() const {
  const std::shared_ptr<VeskMBlog>& mblog = veskMBlog();
  if (mblog && mblog->layoutLink() && mblog->layoutLink()->href()) return 0;
  if (veskThumbnail()) return 1;
  if (mblog && mblog->layoutRetweeted()) return 2;
  return 3;
}

}  // namespace zu
