// Chapter: one chapter of a book catalogue: id, title, its sections in order, its position in
// the book, its page counts per font size and its link. Filled by the response parser (id,
// title, position, sections) and by the catalogue store (page counts); archived with the
// catalogue. Filled on one thread, then only read (not locked). Held through std::shared_ptr.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/runtime/Archivable.h"

namespace zu {

class Link;
class PageInfo;
class Section;

class Chapter : public Archivable {
 public:
  const std::optional<std::string>& id() const { return id_; }
  void setId(std::optional<std::string> v) { id_ = std::move(v); }
  const std::optional<std::string>& title() const { return title_; }
  void setTitle(std::optional<std::string> v) { title_ = std::move(v); }
  const std::optional<std::vector<std::shared_ptr<Section>>>& sections() const { return sections_; }
  void setSections(std::optional<std::vector<std::shared_ptr<Section>>> v) {
    sections_ = std::move(v);
  }
  // Adds one item at the end, making the list on the first.
  void appendSections(std::shared_ptr<Section> item) {
    if (!sections_) sections_.emplace();
    sections_->push_back(std::move(item));
  }
  // Position of the chapter in the book.
  int32_t indexId() const { return indexId_; }
  void setIndexId(int32_t v) { indexId_ = v; }
  // Page counts of the chapter, one per font size.
  const std::optional<std::vector<std::shared_ptr<PageInfo>>>& pageInfos() const {
    return pageInfos_;
  }
  void setPageInfos(std::optional<std::vector<std::shared_ptr<PageInfo>>> v) {
    pageInfos_ = std::move(v);
  }
  const std::shared_ptr<Link>& link() const { return link_; }
  void setLink(std::shared_ptr<Link> v) { link_ = std::move(v); }

  std::string archiveClassName() const override;
  void encodeWithCoder(KeyedArchiver& coder) const override;
  bool initWithCoder(KeyedUnarchiver& coder) override;

 private:
  std::optional<std::string> id_;
  std::optional<std::string> title_;
  std::optional<std::vector<std::shared_ptr<Section>>> sections_;
  int32_t indexId_ = 0;
  std::optional<std::vector<std::shared_ptr<PageInfo>>> pageInfos_;
  std::shared_ptr<Link> link_;
};

}  // namespace zu
