// VESKAtomDataStuffer: the reading vocabulary of the wire format — one parse method per model
// class, each making a new, empty object and filling it from one element of a parsed document
// (which child element or attribute fills which field, and how its text is converted). Every
// method follows the same rules: names match by local name only; children and attributes are
// visited in document order; the text of a node is its first child node only; missing or
// unknown names leave fields at their defaults; a single field filled twice keeps the last
// value; lists are appended in document order and stay absent without items. Links are placed
// into their owner's fields by relation.
//
// Static functions only, no state; call them on any thread with nodes of a document the caller
// owns and keeps alive for the call. The returned objects are new and owned by the caller.
// VESKAtomParser reads the bytes and calls these.
#pragma once

#include <libxml/tree.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace zu {

class Ads;
class Author;
class BookSectionSource;
class Chapter;
class Content;
class Entry;
class EntryCategory;
class Feed;
class Fonts;
class Link;
class NewsDetail;
class OpenSearch;
class ResultInfo;
class UserInfo;
class VeskAppRecommend;
class VeskCustomization;
class VeskFavorite;
class VeskStatControl;

// The class of the entries made: 1 Column, 2 NewsSummary, 3 NewsDetail, 4 Comment, any other
// value (0 and 5 are used) a plain Entry. Some elements are only taken for one kind.
enum EntryKind : int32_t {
  kEntryKindEntry = 0,
  kEntryKindColumn = 1,
  kEntryKindNewsSummary = 2,
  kEntryKindNewsDetail = 3,
  kEntryKindComment = 4,
  kEntryKindPlain = 5,
};

class VESKAtomDataStuffer {
 public:
  VESKAtomDataStuffer() = delete;

  // A feed and its entries (made with `kind`), then the feed post-pass: entries inherit the
  // feed's status (a copy) and favourite, and the sections of a book catalogue get their
  // need-download flag from `books` (every section needs downloading when `books` is null).
  static std::shared_ptr<Feed> newFeedByParseNode(const xmlNode* node, int32_t kind,
                                                  BookSectionSource* books = nullptr);
  // The same reading in steps, for a caller that holds one child of the feed element at a
  // time: each child node in document order (nodes other than elements are skipped), then
  // finishFeed once for the post-pass.
  static void fillFeedByParseChildNode(Feed& feed, const xmlNode* child, int32_t kind);
  static void finishFeed(Feed& feed, int32_t kind, BookSectionSource* books = nullptr);
  // An entry of the class `kind` picks, then the entry post-pass.
  static std::shared_ptr<Entry> newEntryByParseNode(const xmlNode* node, int32_t kind);
  // One Link per "link" child of `node` in document order, with only rel, type, hreflang and
  // href (resolved against the base of `node` itself, whatever xml:base a link carries) read;
  // no placement. Empty when there is none.
  static std::vector<std::shared_ptr<Link>> newObjectByParseNodeAsLinksArray(const xmlNode* node);
  // The service URL feed: `links` (always present, maybe empty) as above and the statistics
  // switches of the "statcontrol" child; nothing else of the feed.
  static std::shared_ptr<Feed> newObjectByParseNodeGetServiceUrl(const xmlNode* node);

  // A link with every attribute read and none placed.
  static std::shared_ptr<Link> newLinkByParseNode(const xmlNode* node);
  static std::shared_ptr<Author> newAuthorByParseNode(const xmlNode* node);
  static std::shared_ptr<Content> newContentByParseNode(const xmlNode* node);
  static std::shared_ptr<EntryCategory> newEntryCategoryByParseNode(const xmlNode* node);
  // The paging record from an element of its own (the feed reading fills its record directly).
  static std::shared_ptr<OpenSearch> newOpenSearchByParseNode(const xmlNode* node);
  static std::shared_ptr<UserInfo> newUserInfoByParseNode(const xmlNode* node);
  static std::shared_ptr<VeskCustomization> newVeskCustomizationByParseNode(const xmlNode* node);
  static std::shared_ptr<VeskFavorite> newVeskFavoriteByParseNode(const xmlNode* node);
  static std::shared_ptr<VeskStatControl> newVeskStatControlByParseNode(const xmlNode* node);
  static std::shared_ptr<VeskAppRecommend> newVeskAppRecommendByParseNode(const xmlNode* node);
  static std::shared_ptr<Chapter> newChapterByParseNode(const xmlNode* node);
  static std::shared_ptr<Fonts> newFontsByParseNode(const xmlNode* node);
  // Null unless the element's local name is "ads".
  static std::shared_ptr<Ads> newAdsByParseNode(const xmlNode* node);
  // Null unless the element's local name is "ok" or "error".
  static std::shared_ptr<ResultInfo> newResultInfoByParseNode(const xmlNode* node);
};

}  // namespace zu
