// Section: one section of a book catalogue (a unit of content fetched and stored on its own):
// its service fields (type, id, title, payment and VIP state, content link, digest, page counts
// per font size, position, preview flag, update time), the need-download flag the parser sets,
// and the mapping fields the book manager adds when it combines sections. Archived with the
// catalogue (the need-download flag is not archived). Filled on one thread, then only read (not
// locked; the update time is atomic). Held through std::shared_ptr and shared.
#pragma once

#include <atomic>
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

class Section : public Archivable {
 public:
  // Kind of section as the service gives it.
  int32_t type() const { return type_; }
  void setType(int32_t v) { type_ = v; }
  const std::optional<std::string>& id() const { return id_; }
  void setId(std::optional<std::string> v) { id_ = std::move(v); }
  const std::optional<std::string>& title() const { return title_; }
  void setTitle(std::optional<std::string> v) { title_ = std::move(v); }
  int32_t payment() const { return payment_; }
  void setPayment(int32_t v) { payment_ = v; }
  int32_t vip() const { return vip_; }
  void setVip(int32_t v) { vip_ = v; }
  // Where the section's content is fetched.
  const std::shared_ptr<Link>& sectionLink() const { return sectionLink_; }
  void setSectionLink(std::shared_ptr<Link> v) { sectionLink_ = std::move(v); }
  // Digest of the section's content.
  const std::optional<std::string>& md5() const { return md5_; }
  void setMd5(std::optional<std::string> v) { md5_ = std::move(v); }
  // Page counts, one per font size.
  const std::optional<std::vector<std::shared_ptr<PageInfo>>>& pageInfos() const {
    return pageInfos_;
  }
  void setPageInfos(std::optional<std::vector<std::shared_ptr<PageInfo>>> v) {
    pageInfos_ = std::move(v);
  }
  // Position of the section in the book.
  int32_t indexId() const { return indexId_; }
  void setIndexId(int32_t v) { indexId_ = v; }
  bool allowPreview() const { return allowPreview_; }
  void setAllowPreview(bool v) { allowPreview_ = v; }
  // The section must be (re)downloaded; set when a catalogue feed is read, never archived.
  bool needDownload() const { return needDownload_; }
  void setNeedDownload(bool v) { needDownload_ = v; }
  int64_t updated() const { return updated_.load(std::memory_order_relaxed); }
  void setUpdated(int64_t v) { updated_.store(v, std::memory_order_relaxed); }
  // Id of the combined section this section was merged into.
  const std::optional<std::string>& mappingId() const { return mappingId_; }
  void setMappingId(std::optional<std::string> v) { mappingId_ = std::move(v); }
  // Ids of the sections merged into this combined section.
  const std::optional<std::vector<std::string>>& originalIds() const { return originalIds_; }
  void setOriginalIds(std::optional<std::vector<std::string>> v) { originalIds_ = std::move(v); }
  // Id of the chapter the section belongs to.
  const std::optional<std::string>& parentId() const { return parentId_; }
  void setParentId(std::optional<std::string> v) { parentId_ = std::move(v); }

  std::string archiveClassName() const override;
  void encodeWithCoder(KeyedArchiver& coder) const override;
  bool initWithCoder(KeyedUnarchiver& coder) override;

 private:
  int32_t type_ = 0;
  std::optional<std::string> id_;
  std::optional<std::string> title_;
  int32_t payment_ = 0;
  int32_t vip_ = 0;
  std::shared_ptr<Link> sectionLink_;
  std::optional<std::string> md5_;
  std::optional<std::vector<std::shared_ptr<PageInfo>>> pageInfos_;
  int32_t indexId_ = 0;
  bool allowPreview_ = false;
  bool needDownload_ = false;
  std::atomic<int64_t> updated_{0};
  std::optional<std::string> mappingId_;
  std::optional<std::vector<std::string>> originalIds_;
  std::optional<std::string> parentId_;
};

}  // namespace zu
