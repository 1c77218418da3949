// Entry: an Atom entry of any kind (article list item, article, column, comment), the record that
// every layer passes around; the base of Column, NewsSummary, NewsDetail and Comment. Filled by the
// response parser on the task thread (or by the tasks and stores), then handed to other threads and
// only read; not locked, except that the 64-bit times are read and written whole (atomic). Held
// through std::shared_ptr and shared, never copied: screens, caches and stores hold the same
// object.
//
// Conventions of every model class (records, entries, feeds):
//   - Each field `foo` is a private member `foo_` with a reader `foo()` and a writer
//     `setFoo(v)` (first letter capitalised, the rest as the field name: `setA_href`,
//     `setIsiPad`). Flags are bool, numbers int32_t or float, times int64_t milliseconds since
//     1970 (0: no time given).
//   - Texts are std::optional<std::string>: nullopt is "not given", distinct from "".
//     Readers return a const reference; writers take the value (a string literal, a
//     std::string or std::nullopt).
//   - Object fields are std::shared_ptr<T>, null when absent; the object is shared, not copied.
//   - Lists are std::optional<std::vector<std::shared_ptr<T>>> (texts: std::vector<std::string>):
//     absent until their first item. `appendFoo(item)` adds one at the end and makes the list
//     on the first; `setFoo(list)` replaces it (an empty list is kept as empty, not absent).
//   - An object made with make_shared<T>() is empty: texts and objects absent, numbers 0,
//     flags false (NewsDetail's three support flags start true).
//   - Archivable classes (Entry and its subclasses, the entry-level records) write each field
//     under its name; absent texts, objects and lists are not written and come back absent.
//     Call ModelArchive::registerClasses() once before decoding.
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

class Author;
class Content;
class EntryCategory;
class Link;
class VeskAssess;
class VeskBook;
class VeskBookReviews;
class VeskBump;
class VeskCustomContent;
class VeskCustomization;
class VeskDevInfo;
class VeskEntryStatus;
class VeskFavorite;
class VeskMBlog;
class VeskMblogExtra;
class VeskRanking;
class VeskSharing;
class VeskSubscribe;
class VeskSync;
class VeskThumbnail;
class XCoverImageDuration;

class Entry : public Archivable {
 public:
  const std::optional<std::string>& title() const { return title_; }
  void setTitle(std::optional<std::string> v) { title_ = std::move(v); }
  // The Atom id; the key of the entry in stores, requests and caches.
  const std::optional<std::string>& entryId() const { return entryId_; }
  void setEntryId(std::optional<std::string> v) { entryId_ = std::move(v); }
  int64_t updated() const { return updated_.load(std::memory_order_relaxed); }
  void setUpdated(int64_t v) { updated_.store(v, std::memory_order_relaxed); }
  const std::shared_ptr<Author>& author() const { return author_; }
  void setAuthor(std::shared_ptr<Author> v) { author_ = std::move(v); }
  const std::optional<std::string>& subtitle() const { return subtitle_; }
  void setSubtitle(std::optional<std::string> v) { subtitle_ = std::move(v); }
  const std::optional<std::string>& summary() const { return summary_; }
  void setSummary(std::optional<std::string> v) { summary_ = std::move(v); }
  const std::shared_ptr<Content>& content() const { return content_; }
  void setContent(std::shared_ptr<Content> v) { content_ = std::move(v); }
  // The content split into pages by the service.
  const std::shared_ptr<Content>& veskPagedcontent() const { return veskPagedcontent_; }
  void setVeskPagedcontent(std::shared_ptr<Content> v) { veskPagedcontent_ = std::move(v); }
  // The web address of the entry (also a link without relation).
  const std::shared_ptr<Link>& alternatelink() const { return alternatelink_; }
  void setAlternatelink(std::shared_ptr<Link> v) { alternatelink_ = std::move(v); }
  const std::shared_ptr<Link>& coverImageVerticalLink() const { return coverImageVerticalLink_; }
  void setCoverImageVerticalLink(std::shared_ptr<Link> v) {
    coverImageVerticalLink_ = std::move(v);
  }
  const std::shared_ptr<Link>& coverImageHorizontalLink() const {
    return coverImageHorizontalLink_;
  }
  void setCoverImageHorizontalLink(std::shared_ptr<Link> v) {
    coverImageHorizontalLink_ = std::move(v);
  }
  const std::shared_ptr<Link>& coverImageLink() const { return coverImageLink_; }
  void setCoverImageLink(std::shared_ptr<Link> v) { coverImageLink_ = std::move(v); }
  const std::shared_ptr<Link>& coverImageThumbnailLink() const { return coverImageThumbnailLink_; }
  void setCoverImageThumbnailLink(std::shared_ptr<Link> v) {
    coverImageThumbnailLink_ = std::move(v);
  }
  const std::shared_ptr<Link>& buyLink() const { return buyLink_; }
  void setBuyLink(std::shared_ptr<Link> v) { buyLink_ = std::move(v); }
  const std::shared_ptr<Link>& editLink() const { return editLink_; }
  void setEditLink(std::shared_ptr<Link> v) { editLink_ = std::move(v); }
  const std::shared_ptr<Link>& editMediaLink() const { return editMediaLink_; }
  void setEditMediaLink(std::shared_ptr<Link> v) { editMediaLink_ = std::move(v); }
  const std::shared_ptr<Link>& commentsLink() const { return commentsLink_; }
  void setCommentsLink(std::shared_ptr<Link> v) { commentsLink_ = std::move(v); }
  const std::shared_ptr<Link>& relatedLink() const { return relatedLink_; }
  void setRelatedLink(std::shared_ptr<Link> v) { relatedLink_ = std::move(v); }
  const std::shared_ptr<Link>& weiboLink() const { return weiboLink_; }
  void setWeiboLink(std::shared_ptr<Link> v) { weiboLink_ = std::move(v); }
  const std::shared_ptr<Link>& subPreviewLink() const { return subPreviewLink_; }
  void setSubPreviewLink(std::shared_ptr<Link> v) { subPreviewLink_ = std::move(v); }
  // Every link whose relation names none of the typed link fields.
  const std::optional<std::vector<std::shared_ptr<Link>>>& links() const { return links_; }
  void setLinks(std::optional<std::vector<std::shared_ptr<Link>>> v) { links_ = std::move(v); }
  // Adds one item at the end, making the list on the first.
  void appendLinks(std::shared_ptr<Link> item) {
    if (!links_) links_.emplace();
    links_->push_back(std::move(item));
  }
  const std::shared_ptr<EntryCategory>& category() const { return category_; }
  void setCategory(std::shared_ptr<EntryCategory> v) { category_ = std::move(v); }
  const std::shared_ptr<VeskRanking>& veskRanking() const { return veskRanking_; }
  void setVeskRanking(std::shared_ptr<VeskRanking> v) { veskRanking_ = std::move(v); }
  const std::shared_ptr<VeskAssess>& veskAssess() const { return veskAssess_; }
  void setVeskAssess(std::shared_ptr<VeskAssess> v) { veskAssess_ = std::move(v); }
  const std::shared_ptr<VeskSubscribe>& veskSubscribe() const { return veskSubscribe_; }
  void setVeskSubscribe(std::shared_ptr<VeskSubscribe> v) { veskSubscribe_ = std::move(v); }
  const std::shared_ptr<VeskThumbnail>& veskThumbnail() const { return veskThumbnail_; }
  void setVeskThumbnail(std::shared_ptr<VeskThumbnail> v) { veskThumbnail_ = std::move(v); }
  const std::shared_ptr<VeskBump>& veskBump() const { return veskBump_; }
  void setVeskBump(std::shared_ptr<VeskBump> v) { veskBump_ = std::move(v); }
  const std::shared_ptr<VeskSharing>& veskSharing() const { return veskSharing_; }
  void setVeskSharing(std::shared_ptr<VeskSharing> v) { veskSharing_ = std::move(v); }
  const std::shared_ptr<VeskFavorite>& veskFavorite() const { return veskFavorite_; }
  void setVeskFavorite(std::shared_ptr<VeskFavorite> v) { veskFavorite_ = std::move(v); }
  const std::shared_ptr<VeskEntryStatus>& veskEntryStatus() const { return veskEntryStatus_; }
  void setVeskEntryStatus(std::shared_ptr<VeskEntryStatus> v) { veskEntryStatus_ = std::move(v); }
  const std::shared_ptr<VeskSync>& veskSync() const { return veskSync_; }
  void setVeskSync(std::shared_ptr<VeskSync> v) { veskSync_ = std::move(v); }
  const std::shared_ptr<VeskDevInfo>& veskDevInfo() const { return veskDevInfo_; }
  void setVeskDevInfo(std::shared_ptr<VeskDevInfo> v) { veskDevInfo_ = std::move(v); }
  const std::shared_ptr<VeskMBlog>& veskMBlog() const { return veskMBlog_; }
  void setVeskMBlog(std::shared_ptr<VeskMBlog> v) { veskMBlog_ = std::move(v); }
  const std::shared_ptr<VeskCustomization>& veskCustomization() const { return veskCustomization_; }
  void setVeskCustomization(std::shared_ptr<VeskCustomization> v) {
    veskCustomization_ = std::move(v);
  }
  const std::shared_ptr<VeskCustomContent>& veskCustomContent() const { return veskCustomContent_; }
  void setVeskCustomContent(std::shared_ptr<VeskCustomContent> v) {
    veskCustomContent_ = std::move(v);
  }
  const std::shared_ptr<XCoverImageDuration>& xCoverImageDuration() const {
    return xCoverImageDuration_;
  }
  void setXCoverImageDuration(std::shared_ptr<XCoverImageDuration> v) {
    xCoverImageDuration_ = std::move(v);
  }
  const std::shared_ptr<VeskMblogExtra>& veskMblogExtra() const { return veskMblogExtra_; }
  void setVeskMblogExtra(std::shared_ptr<VeskMblogExtra> v) { veskMblogExtra_ = std::move(v); }
  // When this entry was last cached locally.
  int64_t lastCacheTime() const { return lastCacheTime_.load(std::memory_order_relaxed); }
  void setLastCacheTime(int64_t v) { lastCacheTime_.store(v, std::memory_order_relaxed); }
  const std::shared_ptr<VeskBook>& veskBook() const { return veskBook_; }
  void setVeskBook(std::shared_ptr<VeskBook> v) { veskBook_ = std::move(v); }
  const std::shared_ptr<Link>& catalogLink() const { return catalogLink_; }
  void setCatalogLink(std::shared_ptr<Link> v) { catalogLink_ = std::move(v); }
  const std::shared_ptr<Link>& bookDetailLink() const { return bookDetailLink_; }
  void setBookDetailLink(std::shared_ptr<Link> v) { bookDetailLink_ = std::move(v); }
  const std::shared_ptr<Link>& bookReviewLink() const { return bookReviewLink_; }
  void setBookReviewLink(std::shared_ptr<Link> v) { bookReviewLink_ = std::move(v); }
  // Not archived: a restored entry has none.
  const std::shared_ptr<Link>& bookContentLink() const { return bookContentLink_; }
  void setBookContentLink(std::shared_ptr<Link> v) { bookContentLink_ = std::move(v); }
  const std::shared_ptr<VeskBookReviews>& veskBookReviews() const { return veskBookReviews_; }
  void setVeskBookReviews(std::shared_ptr<VeskBookReviews> v) { veskBookReviews_ = std::move(v); }
  // The product's extra link of a book or entry.
  const std::shared_ptr<Link>& veskBookExtraLink() const { return veskBookExtraLink_; }
  void setVeskBookExtraLink(std::shared_ptr<Link> v) { veskBookExtraLink_ = std::move(v); }

  std::string archiveClassName() const override;
  void encodeWithCoder(KeyedArchiver& coder) const override;
  bool initWithCoder(KeyedUnarchiver& coder) override;

 private:
  std::optional<std::string> title_;
  std::optional<std::string> entryId_;
  std::atomic<int64_t> updated_{0};
  std::shared_ptr<Author> author_;
  std::optional<std::string> subtitle_;
  std::optional<std::string> summary_;
  std::shared_ptr<Content> content_;
  std::shared_ptr<Content> veskPagedcontent_;
  std::shared_ptr<Link> alternatelink_;
  std::shared_ptr<Link> coverImageVerticalLink_;
  std::shared_ptr<Link> coverImageHorizontalLink_;
  std::shared_ptr<Link> coverImageLink_;
  std::shared_ptr<Link> coverImageThumbnailLink_;
  std::shared_ptr<Link> buyLink_;
  std::shared_ptr<Link> editLink_;
  std::shared_ptr<Link> editMediaLink_;
  std::shared_ptr<Link> commentsLink_;
  std::shared_ptr<Link> relatedLink_;
  std::shared_ptr<Link> weiboLink_;
  std::shared_ptr<Link> subPreviewLink_;
  std::optional<std::vector<std::shared_ptr<Link>>> links_;
  std::shared_ptr<EntryCategory> category_;
  std::shared_ptr<VeskRanking> veskRanking_;
  std::shared_ptr<VeskAssess> veskAssess_;
  std::shared_ptr<VeskSubscribe> veskSubscribe_;
  std::shared_ptr<VeskThumbnail> veskThumbnail_;
  std::shared_ptr<VeskBump> veskBump_;
  std::shared_ptr<VeskSharing> veskSharing_;
  std::shared_ptr<VeskFavorite> veskFavorite_;
  std::shared_ptr<VeskEntryStatus> veskEntryStatus_;
  std::shared_ptr<VeskSync> veskSync_;
  std::shared_ptr<VeskDevInfo> veskDevInfo_;
  std::shared_ptr<VeskMBlog> veskMBlog_;
  std::shared_ptr<VeskCustomization> veskCustomization_;
  std::shared_ptr<VeskCustomContent> veskCustomContent_;
  std::shared_ptr<XCoverImageDuration> xCoverImageDuration_;
  std::shared_ptr<VeskMblogExtra> veskMblogExtra_;
  std::atomic<int64_t> lastCacheTime_{0};
  std::shared_ptr<VeskBook> veskBook_;
  std::shared_ptr<Link> catalogLink_;
  std::shared_ptr<Link> bookDetailLink_;
  std::shared_ptr<Link> bookReviewLink_;
  std::shared_ptr<Link> bookContentLink_;
  std::shared_ptr<VeskBookReviews> veskBookReviews_;
  std::shared_ptr<Link> veskBookExtraLink_;
};

}  // namespace zu
