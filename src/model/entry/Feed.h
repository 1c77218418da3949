// Feed: an Atom feed (the root of every list answer): its paging links and totals, its entries, the
// batch ok/error reports, notices and statistics switches, and a book catalogue's chapters. Not
// archivable. Filled by the response parser on the task thread, then handed on and only read (not
// locked; the times are atomic); held through std::shared_ptr and shared.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/runtime/Object.h"

namespace zu {

class Author;
class Chapter;
class Entry;
class Link;
class OpenSearch;
class VeskEntryStatus;
class VeskError;
class VeskFavorite;
class VeskLayoutformat;
class VeskNotification;
class VeskOK;
class VeskStatControl;
class VeskUrs;

class Feed : public Object {
 public:
  const std::optional<std::string>& title() const { return title_; }
  void setTitle(std::optional<std::string> v) { title_ = std::move(v); }
  int64_t updated() const { return updated_.load(std::memory_order_relaxed); }
  void setUpdated(int64_t v) { updated_.store(v, std::memory_order_relaxed); }
  const std::shared_ptr<Author>& author() const { return author_; }
  void setAuthor(std::shared_ptr<Author> v) { author_ = std::move(v); }
  const std::optional<std::string>& subtitle() const { return subtitle_; }
  void setSubtitle(std::optional<std::string> v) { subtitle_ = std::move(v); }
  // The feed's Atom id.
  const std::optional<std::string>& feedId() const { return feedId_; }
  void setFeedId(std::optional<std::string> v) { feedId_ = std::move(v); }
  // Paging totals; absent when the feed sent none.
  const std::shared_ptr<OpenSearch>& openSearch() const { return openSearch_; }
  void setOpenSearch(std::shared_ptr<OpenSearch> v) { openSearch_ = std::move(v); }
  const std::shared_ptr<Link>& selfLink() const { return selfLink_; }
  void setSelfLink(std::shared_ptr<Link> v) { selfLink_ = std::move(v); }
  const std::shared_ptr<Link>& alternatelink() const { return alternatelink_; }
  void setAlternatelink(std::shared_ptr<Link> v) { alternatelink_ = std::move(v); }
  const std::shared_ptr<Link>& searchLink() const { return searchLink_; }
  void setSearchLink(std::shared_ptr<Link> v) { searchLink_ = std::move(v); }
  const std::shared_ptr<Link>& adLink() const { return adLink_; }
  void setAdLink(std::shared_ptr<Link> v) { adLink_ = std::move(v); }
  const std::shared_ptr<Link>& buyLink() const { return buyLink_; }
  void setBuyLink(std::shared_ptr<Link> v) { buyLink_ = std::move(v); }
  const std::shared_ptr<Link>& infoGetLink() const { return infoGetLink_; }
  void setInfoGetLink(std::shared_ptr<Link> v) { infoGetLink_ = std::move(v); }
  const std::shared_ptr<Link>& prevLink() const { return prevLink_; }
  void setPrevLink(std::shared_ptr<Link> v) { prevLink_ = std::move(v); }
  // Next page: the address from which a list loads more items.
  const std::shared_ptr<Link>& nextLink() const { return nextLink_; }
  void setNextLink(std::shared_ptr<Link> v) { nextLink_ = std::move(v); }
  const std::shared_ptr<Link>& firstLink() const { return firstLink_; }
  void setFirstLink(std::shared_ptr<Link> v) { firstLink_ = std::move(v); }
  const std::shared_ptr<Link>& lastLink() const { return lastLink_; }
  void setLastLink(std::shared_ptr<Link> v) { lastLink_ = std::move(v); }
  // Links with any other relation.
  const std::optional<std::vector<std::shared_ptr<Link>>>& links() const { return links_; }
  void setLinks(std::optional<std::vector<std::shared_ptr<Link>>> v) { links_ = std::move(v); }
  // Adds one item at the end, making the list on the first.
  void appendLinks(std::shared_ptr<Link> item) {
    if (!links_) links_.emplace();
    links_->push_back(std::move(item));
  }
  const std::optional<std::vector<std::shared_ptr<Link>>>& relativeLinks() const {
    return relativeLinks_;
  }
  void setRelativeLinks(std::optional<std::vector<std::shared_ptr<Link>>> v) {
    relativeLinks_ = std::move(v);
  }
  // Adds one item at the end, making the list on the first.
  void appendRelativeLinks(std::shared_ptr<Link> item) {
    if (!relativeLinks_) relativeLinks_.emplace();
    relativeLinks_->push_back(std::move(item));
  }
  const std::optional<std::vector<std::shared_ptr<Link>>>& enclosureLinks() const {
    return enclosureLinks_;
  }
  void setEnclosureLinks(std::optional<std::vector<std::shared_ptr<Link>>> v) {
    enclosureLinks_ = std::move(v);
  }
  // Adds one item at the end, making the list on the first.
  void appendEnclosureLinks(std::shared_ptr<Link> item) {
    if (!enclosureLinks_) enclosureLinks_.emplace();
    enclosureLinks_->push_back(std::move(item));
  }
  const std::optional<std::vector<std::shared_ptr<Link>>>& viaLinks() const { return viaLinks_; }
  void setViaLinks(std::optional<std::vector<std::shared_ptr<Link>>> v) {
    viaLinks_ = std::move(v);
  }
  // Adds one item at the end, making the list on the first.
  void appendViaLinks(std::shared_ptr<Link> item) {
    if (!viaLinks_) viaLinks_.emplace();
    viaLinks_->push_back(std::move(item));
  }
  // The entries, of the class the caller asked the parser for.
  const std::optional<std::vector<std::shared_ptr<Entry>>>& entrys() const { return entrys_; }
  void setEntrys(std::optional<std::vector<std::shared_ptr<Entry>>> v) { entrys_ = std::move(v); }
  // Adds one item at the end, making the list on the first.
  void appendEntrys(std::shared_ptr<Entry> item) {
    if (!entrys_) entrys_.emplace();
    entrys_->push_back(std::move(item));
  }
  const std::optional<std::vector<std::shared_ptr<VeskOK>>>& veskOKs() const { return veskOKs_; }
  void setVeskOKs(std::optional<std::vector<std::shared_ptr<VeskOK>>> v) {
    veskOKs_ = std::move(v);
  }
  // Adds one item at the end, making the list on the first.
  void appendVeskOKs(std::shared_ptr<VeskOK> item) {
    if (!veskOKs_) veskOKs_.emplace();
    veskOKs_->push_back(std::move(item));
  }
  const std::optional<std::vector<std::shared_ptr<VeskError>>>& veskErrors() const {
    return veskErrors_;
  }
  void setVeskErrors(std::optional<std::vector<std::shared_ptr<VeskError>>> v) {
    veskErrors_ = std::move(v);
  }
  // Adds one item at the end, making the list on the first.
  void appendVeskErrors(std::shared_ptr<VeskError> item) {
    if (!veskErrors_) veskErrors_.emplace();
    veskErrors_->push_back(std::move(item));
  }
  const std::shared_ptr<VeskEntryStatus>& veskEntryStatus() const { return veskEntryStatus_; }
  void setVeskEntryStatus(std::shared_ptr<VeskEntryStatus> v) { veskEntryStatus_ = std::move(v); }
  const std::shared_ptr<VeskFavorite>& veskFavorite() const { return veskFavorite_; }
  void setVeskFavorite(std::shared_ptr<VeskFavorite> v) { veskFavorite_ = std::move(v); }
  const std::shared_ptr<VeskNotification>& veskNotification() const { return veskNotification_; }
  void setVeskNotification(std::shared_ptr<VeskNotification> v) {
    veskNotification_ = std::move(v);
  }
  const std::shared_ptr<VeskLayoutformat>& veskLayoutformat() const { return veskLayoutformat_; }
  void setVeskLayoutformat(std::shared_ptr<VeskLayoutformat> v) {
    veskLayoutformat_ = std::move(v);
  }
  const std::shared_ptr<VeskUrs>& veskUrs() const { return veskUrs_; }
  void setVeskUrs(std::shared_ptr<VeskUrs> v) { veskUrs_ = std::move(v); }
  // When the user's column order was last changed on the service.
  int64_t subseqUpdated() const { return subseqUpdated_.load(std::memory_order_relaxed); }
  void setSubseqUpdated(int64_t v) { subseqUpdated_.store(v, std::memory_order_relaxed); }
  // A book catalogue's chapters.
  const std::optional<std::vector<std::shared_ptr<Chapter>>>& chapters() const { return chapters_; }
  void setChapters(std::optional<std::vector<std::shared_ptr<Chapter>>> v) {
    chapters_ = std::move(v);
  }
  // Adds one item at the end, making the list on the first.
  void appendChapters(std::shared_ptr<Chapter> item) {
    if (!chapters_) chapters_.emplace();
    chapters_->push_back(std::move(item));
  }
  // The feed was produced for a tablet device.
  bool isiPad() const { return isiPad_; }
  void setIsiPad(bool v) { isiPad_ = v; }
  const std::shared_ptr<Link>& pageInfoLink() const { return pageInfoLink_; }
  void setPageInfoLink(std::shared_ptr<Link> v) { pageInfoLink_ = std::move(v); }
  const std::shared_ptr<VeskStatControl>& veskStatControl() const { return veskStatControl_; }
  void setVeskStatControl(std::shared_ptr<VeskStatControl> v) { veskStatControl_ = std::move(v); }
  int32_t catalogVersion() const { return catalogVersion_; }
  void setCatalogVersion(int32_t v) { catalogVersion_ = v; }

 private:
  std::optional<std::string> title_;
  std::atomic<int64_t> updated_{0};
  std::shared_ptr<Author> author_;
  std::optional<std::string> subtitle_;
  std::optional<std::string> feedId_;
  std::shared_ptr<OpenSearch> openSearch_;
  std::shared_ptr<Link> selfLink_;
  std::shared_ptr<Link> alternatelink_;
  std::shared_ptr<Link> searchLink_;
  std::shared_ptr<Link> adLink_;
  std::shared_ptr<Link> buyLink_;
  std::shared_ptr<Link> infoGetLink_;
  std::shared_ptr<Link> prevLink_;
  std::shared_ptr<Link> nextLink_;
  std::shared_ptr<Link> firstLink_;
  std::shared_ptr<Link> lastLink_;
  std::optional<std::vector<std::shared_ptr<Link>>> links_;
  std::optional<std::vector<std::shared_ptr<Link>>> relativeLinks_;
  std::optional<std::vector<std::shared_ptr<Link>>> enclosureLinks_;
  std::optional<std::vector<std::shared_ptr<Link>>> viaLinks_;
  std::optional<std::vector<std::shared_ptr<Entry>>> entrys_;
  std::optional<std::vector<std::shared_ptr<VeskOK>>> veskOKs_;
  std::optional<std::vector<std::shared_ptr<VeskError>>> veskErrors_;
  std::shared_ptr<VeskEntryStatus> veskEntryStatus_;
  std::shared_ptr<VeskFavorite> veskFavorite_;
  std::shared_ptr<VeskNotification> veskNotification_;
  std::shared_ptr<VeskLayoutformat> veskLayoutformat_;
  std::shared_ptr<VeskUrs> veskUrs_;
  std::atomic<int64_t> subseqUpdated_{0};
  std::optional<std::vector<std::shared_ptr<Chapter>>> chapters_;
  bool isiPad_ = false;
  std::shared_ptr<Link> pageInfoLink_;
  std::shared_ptr<VeskStatControl> veskStatControl_;
  int32_t catalogVersion_ = 0;
};

}  // namespace zu
