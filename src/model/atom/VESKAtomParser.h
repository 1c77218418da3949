// VESKAtomParser: turns every XML document the service answers with (feeds, entries, profiles,
// ok/error answers, the service URL feed, book catalogues, fonts, advertisements, short links),
// and every entry document the local stores keep, into model objects. Each entry point reads
// the bytes into a document tree (AtomParseUtil::readDocument: no base URL, no network, no
// entities, size-capped), hands the root element to the matching VESKAtomDataStuffer method,
// frees the tree and returns the new object. The two answers that carry long lists (a feed,
// the account sync) are read as a stream instead (AtomParseUtil::readRootChildren, under the
// same rules): one child of the root at a time is made into its object and freed, so a parse
// holds the objects made and a single entry's tree, never the whole document's.
//
// No state: static functions only, callable on any thread at once (the engine's task thread,
// the stores' threads). A null result means the bytes were not a well-formed document (or the
// root the entry point requires was missing); nothing is logged. Parsing never fails once the
// document was read: missing or unknown elements leave fields at their defaults.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/atom/VESKAtomDataStuffer.h"

namespace zu {

class Ads;
class BookSectionSource;
class Chapter;
class Entry;
class Feed;
class Fonts;
class Link;
class NewsDetail;
class ResultInfo;
class UserInfo;
class VeskAppRecommend;
class VeskFavorite;

class VESKAtomParser {
 public:
  VESKAtomParser() = delete;

  // A feed whose entries are made with `kind` (EntryKind). For a book catalogue, `books` (the
  // book manager) tells which sections must be downloaded; without it every section must.
  static std::shared_ptr<Feed> allocParseFeed(std::string_view data, int32_t kind,
                                               BookSectionSource* books = nullptr);
  // An entry of the class `kind` picks.
  static std::shared_ptr<Entry> allocParseEntry(std::string_view data, int32_t kind);
  static std::shared_ptr<UserInfo> allocParseUserinfo(std::string_view data);
  // Null also when the root is neither "ok" nor "error".
  static std::shared_ptr<ResultInfo> allocParseResultInfo(std::string_view data);
  // One Link per "link" child of the root (rel, type, hreflang, href only; no placement);
  // empty when there is none; nullopt when the data is not XML.
  static std::optional<std::vector<std::shared_ptr<Link>>> allocParseLinksInFeed(
      std::string_view data);
  // The service URL feed: `links` (present, maybe empty) and `veskStatControl` only.
  static std::shared_ptr<Feed> allocParseGetServiceUrlFeed(std::string_view data);
  // The account sync answer. True when the root has a "userinfo" child; then each out
  // parameter that is not null receives its result: the profile (the last "userinfo"), the
  // favourite record (the last "favorite", or null), the columns (every "entry", as Column, in
  // order) and the subscription order time ("subseq_updated", 0 when absent). False (nothing
  // written) when the data is not XML or has no "userinfo".
  static bool allocParseUserSubSummary(std::string_view data, std::shared_ptr<UserInfo>* userInfo,
                                       std::shared_ptr<VeskFavorite>* favorite,
                                       std::vector<std::shared_ptr<Entry>>* entries,
                                       int64_t* subseqUpdated);
  // An article (entry kind 3).
  static std::shared_ptr<NewsDetail> allocParseNewsDetailDynamicEntry(std::string_view data);
  // The recommended applications kept as text (UTF-8).
  static std::shared_ptr<VeskAppRecommend> allocParseVeskAppRecommend(std::string_view xml);
  static std::shared_ptr<Fonts> allocParseFonts(std::string_view data);
  static std::shared_ptr<Chapter> allocParseChapter(std::string_view data);
  // Null also when the root is not "ads".
  static std::shared_ptr<Ads> allocParseAds(std::string_view data);
  // The text of a "shortUrl" root; nullopt for another root, a root without text, or not XML.
  static std::optional<std::string> allocParseShortUrl(std::string_view data);

  // ---- HTML pages (read with the forgiving HTML parser, AtomParseUtil::readHtmlDocument) ----

  // The addresses an HTML page needs offline, in document order, each resolved against the
  // page's base element (assembleHrefWithXMLBASE; without one, as written): into `images` the
  // `src` of every img element with one, into `cssJs` the `href` of every link of type
  // "text/css" and the `src` of every script of type "text/javascript" (a script without src
  // is inline and gives nothing). Either list pointer may be null. False, with nothing
  // written, when the page cannot be read.
  static bool allocParseImgUrlWithAttachinHtml(std::string_view html,
                                               std::vector<std::string>* images,
                                               std::vector<std::string>* cssJs);
  // Every address of an element the page itself shows or runs, in document order, resolved as
  // above: what allocParseImgUrlWithAttachinHtml finds, and also a style sheet linked without a
  // type (a link whose rel names "stylesheet"), a script's src whatever its type, the other
  // densities of a picture (srcset of img and source), the src of source, input, video and
  // audio, a video's poster, and the url() of style attributes and style elements. nullopt when
  // the page cannot be read.
  static std::optional<std::vector<std::string>> allocParsePageElementUrlsInHtml(std::string_view html);
  // The resolved `src` of every img element with one; nullopt when the page cannot be read or
  // has none.
  static std::optional<std::vector<std::string>> allocParseImgUrlinHtml(std::string_view html);
};

}  // namespace zu
