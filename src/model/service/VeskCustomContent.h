// VeskCustomContent: the custom content of an entry (element "customcontent"): a link and a
// content, which the parser fills from the entry's own when they are missing. Filled through its
// setters by the response parser or the tasks, then handed on and only read (not locked); held
// through std::shared_ptr and shared, not copied. Archived with the entry that holds it (keys: the
// field names).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "platform/runtime/Archivable.h"

namespace zu {

class Content;
class Link;

class VeskCustomContent : public Archivable {
 public:
  const std::shared_ptr<Link>& link() const { return link_; }
  void setLink(std::shared_ptr<Link> v) { link_ = std::move(v); }
  const std::shared_ptr<Content>& content() const { return content_; }
  void setContent(std::shared_ptr<Content> v) { content_ = std::move(v); }

  std::string archiveClassName() const override;
  void encodeWithCoder(KeyedArchiver& coder) const override;
  bool initWithCoder(KeyedUnarchiver& coder) override;

 private:
  std::shared_ptr<Link> link_;
  std::shared_ptr<Content> content_;
};

}  // namespace zu
