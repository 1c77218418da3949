// VeskMBlog: the layout of a microblog post (element "mblog", children of its "layout"). Filled
// through its setters by the response parser or the tasks, then handed on and only read (not
// locked); held through std::shared_ptr and shared, not copied. Archived with the entry that holds
// it (keys: the field names).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "platform/runtime/Archivable.h"

namespace zu {

class Content;
class Link;
class MBlogUser;

class VeskMBlog : public Archivable {
 public:
  const std::shared_ptr<Link>& layoutLink() const { return layoutLink_; }
  void setLayoutLink(std::shared_ptr<Link> v) { layoutLink_ = std::move(v); }
  const std::shared_ptr<MBlogUser>& layoutUser() const { return layoutUser_; }
  void setLayoutUser(std::shared_ptr<MBlogUser> v) { layoutUser_ = std::move(v); }
  // The retweeted post's author.
  const std::shared_ptr<MBlogUser>& layoutRetweeted() const { return layoutRetweeted_; }
  void setLayoutRetweeted(std::shared_ptr<MBlogUser> v) { layoutRetweeted_ = std::move(v); }
  const std::shared_ptr<Content>& translated() const { return translated_; }
  void setTranslated(std::shared_ptr<Content> v) { translated_ = std::move(v); }

  std::string archiveClassName() const override;
  void encodeWithCoder(KeyedArchiver& coder) const override;
  bool initWithCoder(KeyedUnarchiver& coder) override;

 private:
  std::shared_ptr<Link> layoutLink_;
  std::shared_ptr<MBlogUser> layoutUser_;
  std::shared_ptr<MBlogUser> layoutRetweeted_;
  std::shared_ptr<Content> translated_;
};

}  // namespace zu
