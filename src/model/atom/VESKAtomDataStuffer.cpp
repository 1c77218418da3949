#include "model/atom/VESKAtomDataStuffer.h"

#include <cfloat>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include "model/service/Ad.h"
#include "model/service/Ads.h"
#include "model/entry/Author.h"
#include "model/book/BookReview.h"
#include "model/columns/Column.h"
#include "model/entry/Comment.h"
#include "model/entry/Content.h"
#include "model/entry/Entry.h"
#include "model/entry/EntryCategory.h"
#include "model/entry/Feed.h"
#include "model/service/Font.h"
#include "model/service/Fonts.h"
#include "model/columns/Icon.h"
#include "model/service/Img.h"
#include "model/columns/Label.h"
#include "model/entry/Link.h"
#include "model/columns/MBlogUser.h"
#include "model/columns/MinMaxValue.h"
#include "model/entry/NewsDetail.h"
#include "model/entry/NewsSummary.h"
#include "model/entry/OpenSearch.h"
#include "model/columns/UserInfo.h"
#include "model/service/VeskApp.h"
#include "model/service/VeskAppRecommend.h"
#include "model/service/VeskAssess.h"
#include "model/book/VeskBook.h"
#include "model/book/VeskBookReviews.h"
#include "model/service/VeskBump.h"
#include "model/service/VeskCategory.h"
#include "model/service/VeskCustomContent.h"
#include "model/service/VeskCustomization.h"
#include "model/service/VeskDevInfo.h"
#include "model/service/VeskEntryStatus.h"
#include "model/service/VeskError.h"
#include "model/service/VeskExif.h"
#include "model/service/VeskExifInfo.h"
#include "model/service/VeskFavorite.h"
#include "model/service/VeskLayoutformat.h"
#include "model/service/VeskMBlog.h"
#include "model/service/VeskMblogExtra.h"
#include "model/service/VeskMessage.h"
#include "model/service/VeskMessages.h"
#include "model/service/VeskNotification.h"
#include "model/service/VeskOK.h"
#include "model/service/VeskRanking.h"
#include "model/service/VeskSharing.h"
#include "model/service/VeskSoftUpdate.h"
#include "model/service/VeskStatControl.h"
#include "model/service/VeskSubscribe.h"
#include "model/service/VeskSync.h"
#include "model/service/VeskThumbnail.h"
#include "model/service/VeskUrs.h"
#include "model/entry/VideoDuration.h"
#include "model/atom/Vocabulary.h"
#include "model/service/XCoverImageDuration.h"
#include "model/atom/AtomParseUtil.h"
#include "model/atom/ResultInfo.h"
#include "model/book/BookSectionSource.h"
#include "model/book/Chapter.h"
#include "model/book/PageInfo.h"
#include "model/book/Section.h"
#include "model/service/statC.h"
#include "platform/runtime/StringUtil.h"

namespace zu {

namespace {

using U = AtomParseUtil;
namespace v = vocab;

// A profile's gender when it gives neither "male" (0) nor "female" (1).
constexpr int32_t kGenderNotGiven = 2;

// ---- Small readers ---------------------------------------------------------------------------
// Each takes a node (element or attribute), an object and its setter, and sets the field only
// when the node has text.

template <typename N, typename O, typename S>
void readText(const N* n, O& obj, S setter) {
  if (const char* t = U::firstText(n)) (obj.*setter)(std::string(t));
}
template <typename N, typename O, typename S>
void readInt(const N* n, O& obj, S setter) {
  if (const char* t = U::firstText(n)) (obj.*setter)(U::toInt32(t));
}
// Beyond the float range the value saturates to an infinity (a plain cast would be undefined).
template <typename N, typename O, typename S>
void readFloat(const N* n, O& obj, S setter) {
  if (const char* t = U::firstText(n)) {
    const double d = U::toDouble(t);
    float f = 0.0f;
    if (d > FLT_MAX) f = HUGE_VALF;
    else if (d < -FLT_MAX) f = -HUGE_VALF;
    else f = static_cast<float>(d);
    (obj.*setter)(f);
  }
}
template <typename N, typename O, typename S>
void readFlag(const N* n, O& obj, S setter) {
  if (const char* t = U::firstText(n)) (obj.*setter)(U::toFlag(t));
}
template <typename N, typename O, typename S>
void readTime(const N* n, O& obj, S setter) {
  if (const char* t = U::firstText(n)) (obj.*setter)(U::toTime(t));
}
// An address resolved against the xml:base in force at `element` (the element that carries
// the attribute, or the element itself).
template <typename N, typename O, typename S>
void readHref(const N* n, const xmlNode* element, O& obj, S setter) {
  if (const char* t = U::firstText(n)) (obj.*setter)(assembleHrefWithXMLBASE(element, t));
}
// An int stored in a one-byte flag: YES when the low byte of the number is non-zero.
template <typename N, typename O, typename S>
void readByteFlag(const N* n, O& obj, S setter) {
  if (const char* t = U::firstText(n)) {
    (obj.*setter)((static_cast<uint32_t>(U::toInt32(t)) & 0xFFu) != 0);
  }
}

bool is(const xmlNode* n, const char* name) { return std::strcmp(U::name(n), name) == 0; }
bool is(const xmlAttr* a, const char* name) {
  return std::strcmp(reinterpret_cast<const char*>(a->name), name) == 0;
}
bool isElement(const xmlNode* n) { return n->type == XML_ELEMENT_NODE; }

// ---- Link relations --------------------------------------------------------------------------

enum class Rel {
  Unlisted,
  // First group: an owner of another class than the row's drops the link.
  Self, Alternate, Search, Ad, CoverVertical, CoverHorizontal, Cover, CoverThumbnail, Buy,
  InfoGet, Edit, EditMedia, Comments, Catalog, BookDetail, Bookreview, BookContent, Related,
  Weibo, SubPreview, Previous, Next, First, Last, Pageinfo, Relative, Enclosure, Via,
  // Second group: for an owner of another class the relation counts as unlisted.
  VeskExtra, Vesk, Checkfavorite, Writedbooks, MblogAddfavorite, MblogDelfavorite, MblogRepost,
  BuyHardcopy,
};

Rel relationOf(const char* rel) {
  struct Row {
    const char* name;
    Rel rel;
  };
  static constexpr Row kRows[] = {
      {v::kRelSelf, Rel::Self},
      {v::kRelAlternate, Rel::Alternate},
      {v::kRelSearch, Rel::Search},
      {v::kRelAd, Rel::Ad},
      {v::kRelCoverImageVertical, Rel::CoverVertical},
      {v::kRelCoverImageHorizontal, Rel::CoverHorizontal},
      {v::kRelStanzaCoverImage, Rel::Cover},
      {v::kRelStanzaCoverImageThumbnail, Rel::CoverThumbnail},
      {v::kRelBuy, Rel::Buy},
      {v::kRelInfoGet, Rel::InfoGet},
      {v::kRelEdit, Rel::Edit},
      {v::kRelEditMedia, Rel::EditMedia},
      {v::kRelComments, Rel::Comments},
      {v::kRelCatalog, Rel::Catalog},
      {v::kRelBookDetail, Rel::BookDetail},
      {v::kRelBookreview, Rel::Bookreview},
      {v::kRelBookContent, Rel::BookContent},
      {v::kRelRelated, Rel::Related},
      {v::kRelWeibo, Rel::Weibo},
      {v::kRelSubPreview, Rel::SubPreview},
      {v::kRelPrevious, Rel::Previous},
      {v::kRelNext, Rel::Next},
      {v::kRelFirst, Rel::First},
      {v::kRelLast, Rel::Last},
      {v::kRelPageinfo, Rel::Pageinfo},
      {v::kRelRelative, Rel::Relative},
      {v::kRelEnclosure, Rel::Enclosure},
      {v::kRelVia, Rel::Via},
      {v::kRelVeskExtra, Rel::VeskExtra},
      {v::kRelVesk, Rel::Vesk},
      {v::kRelCheckfavorite, Rel::Checkfavorite},
      {v::kRelWritedbooks, Rel::Writedbooks},
      {v::kRelMblogAddfavorite, Rel::MblogAddfavorite},
      {v::kRelMblogDelfavorite, Rel::MblogDelfavorite},
      {v::kRelMblogRepost, Rel::MblogRepost},
      {v::kRelBuyHardcopy, Rel::BuyHardcopy},
  };
  for (const Row& row : kRows) {
    if (std::strcmp(rel, row.name) == 0) return row.rel;
  }
  return Rel::Unlisted;
}

bool isFirstGroup(Rel rel) { return rel >= Rel::Self && rel <= Rel::Via; }

// The relation of a parsed link, or none when it has no relation text.
const std::optional<std::string>& relationText(const Link& link) { return link.rel(); }

void placeInFeed(Feed& feed, std::shared_ptr<Link> link) {
  if (!relationText(*link)) {
    feed.setAlternatelink(std::move(link));
    return;
  }
  const Rel rel = relationOf(link->rel()->c_str());
  switch (rel) {
    case Rel::Self: feed.setSelfLink(std::move(link)); return;
    case Rel::Alternate: feed.setAlternatelink(std::move(link)); return;
    case Rel::Search: feed.setSearchLink(std::move(link)); return;
    case Rel::Ad: feed.setAdLink(std::move(link)); return;
    case Rel::Buy: feed.setBuyLink(std::move(link)); return;
    case Rel::InfoGet: feed.setInfoGetLink(std::move(link)); return;
    case Rel::Previous: feed.setPrevLink(std::move(link)); return;
    case Rel::Next: feed.setNextLink(std::move(link)); return;
    case Rel::First: feed.setFirstLink(std::move(link)); return;
    case Rel::Last: feed.setLastLink(std::move(link)); return;
    case Rel::Pageinfo: feed.setPageInfoLink(std::move(link)); return;
    case Rel::Relative: feed.appendRelativeLinks(std::move(link)); return;
    case Rel::Enclosure: feed.appendEnclosureLinks(std::move(link)); return;
    case Rel::Via: feed.appendViaLinks(std::move(link)); return;
    default:
      if (isFirstGroup(rel)) return;  // an entry-only relation: dropped
      feed.appendLinks(std::move(link));
      return;
  }
}

void placeInEntry(Entry& entry, std::shared_ptr<Link> link) {
  if (!relationText(*link)) {
    entry.setAlternatelink(std::move(link));
    return;
  }
  auto* detail = dynamic_cast<NewsDetail*>(&entry);
  const Rel rel = relationOf(link->rel()->c_str());
  switch (rel) {
    case Rel::Alternate: entry.setAlternatelink(std::move(link)); return;
    case Rel::CoverVertical: entry.setCoverImageVerticalLink(std::move(link)); return;
    case Rel::CoverHorizontal: entry.setCoverImageHorizontalLink(std::move(link)); return;
    case Rel::Cover: entry.setCoverImageLink(std::move(link)); return;
    case Rel::CoverThumbnail: entry.setCoverImageThumbnailLink(std::move(link)); return;
    case Rel::Buy: entry.setBuyLink(std::move(link)); return;
    case Rel::Edit: entry.setEditLink(std::move(link)); return;
    case Rel::EditMedia: entry.setEditMediaLink(std::move(link)); return;
    case Rel::Comments: entry.setCommentsLink(std::move(link)); return;
    case Rel::Catalog: entry.setCatalogLink(std::move(link)); return;
    case Rel::BookDetail: entry.setBookDetailLink(std::move(link)); return;
    case Rel::Bookreview: entry.setBookReviewLink(std::move(link)); return;
    case Rel::BookContent: entry.setBookContentLink(std::move(link)); return;
    case Rel::Related: entry.setRelatedLink(std::move(link)); return;
    case Rel::Weibo: entry.setWeiboLink(std::move(link)); return;
    case Rel::SubPreview: entry.setSubPreviewLink(std::move(link)); return;
    case Rel::VeskExtra:
      if (detail) {
        detail->setVeskExtraLink(std::move(link));
      } else {
        entry.setVeskBookExtraLink(std::move(link));
      }
      return;
    case Rel::Vesk:
      if (detail) {
        detail->setVeskLink(std::move(link));
        return;
      }
      break;
    case Rel::Checkfavorite:
      if (detail) {
        detail->setCheckFavoriteLink(std::move(link));
        return;
      }
      break;
    default:
      if (isFirstGroup(rel)) return;  // a feed-only relation: dropped
      break;
  }
  entry.appendLinks(std::move(link));
}

// Owners other than feeds and entries: a relation attaches the link only through a row of
// the owner's own class; otherwise the link is dropped. A link without relation goes to the
// default field when the owner has one.
void placeInAuthor(Author& author, std::shared_ptr<Link> link) {
  if (!relationText(*link)) {
    author.setProfileImageLink(std::move(link));
  } else if (relationOf(link->rel()->c_str()) == Rel::Writedbooks) {
    author.setBooksLink(std::move(link));
  }
}

void placeInMblogExtra(VeskMblogExtra& extra, std::shared_ptr<Link> link) {
  if (!relationText(*link)) return;
  switch (relationOf(link->rel()->c_str())) {
    case Rel::MblogAddfavorite: extra.setAddFavoritelink(std::move(link)); return;
    case Rel::MblogDelfavorite: extra.setDelFavoritelink(std::move(link)); return;
    case Rel::MblogRepost: extra.setRepostlink(std::move(link)); return;
    default: return;
  }
}

void placeInBook(VeskBook& book, std::shared_ptr<Link> link) {
  if (relationText(*link) && relationOf(link->rel()->c_str()) == Rel::BuyHardcopy) {
    book.setHardCopyLink(std::move(link));
  }
}

// ---- Records ---------------------------------------------------------------------------------

std::shared_ptr<Link> parseLink(const xmlNode* node) {
  auto link = std::make_shared<Link>();
  Link& l = *link;
  for (const xmlAttr* a = node->properties; a; a = a->next) {
    if (is(a, v::kAttrRel)) readText(a, l, &Link::setRel);
    else if (is(a, v::kAttrType)) readText(a, l, &Link::setType);
    else if (is(a, v::kAttrHreflang)) readText(a, l, &Link::setHreflang);
    else if (is(a, v::kAttrHref)) readHref(a, node, l, &Link::setHref);
    else if (is(a, v::kAttrTitle)) readText(a, l, &Link::setTitle);
    else if (is(a, v::kAttrLength)) readInt(a, l, &Link::setLength);
    else if (is(a, v::kAttrIsdefaultpic)) readFlag(a, l, &Link::setIsdefaultpic);
    else if (is(a, v::kAttrAutodownload)) readFlag(a, l, &Link::setIsautodownload);
    else if (is(a, v::kAttrVendor)) readText(a, l, &Link::setVendor);
    else if (is(a, v::kAttrHrefForSelected)) readHref(a, node, l, &Link::setHrefForSelected);
  }
  return link;
}

// The four attributes of the link-only readings (service URL feed, link lists). The address is
// resolved against the base of `root` (the feed element), not of the link element: both
// readings of the service URL feed must give the same addresses.
std::shared_ptr<Link> parseBareLink(const xmlNode* node, const xmlNode* root) {
  auto link = std::make_shared<Link>();
  Link& l = *link;
  for (const xmlAttr* a = node->properties; a; a = a->next) {
    if (is(a, v::kAttrRel)) readText(a, l, &Link::setRel);
    else if (is(a, v::kAttrType)) readText(a, l, &Link::setType);
    else if (is(a, v::kAttrHreflang)) readText(a, l, &Link::setHreflang);
    else if (is(a, v::kAttrHref)) readHref(a, root, l, &Link::setHref);
  }
  return link;
}

std::shared_ptr<Content> parseContent(const xmlNode* node) {
  auto content = std::make_shared<Content>();
  for (const xmlAttr* a = node->properties; a; a = a->next) {
    if (is(a, v::kAttrType)) {
      if (const char* t = U::firstText(a)) {
        int32_t type = 4;
        if (std::strcmp(t, v::kContentKindText) == 0) type = 1;
        else if (std::strcmp(t, v::kContentKindHtml) == 0) type = 2;
        else if (std::strcmp(t, v::kContentKindXhtml) == 0) type = 3;
        content->setType(type);
      }
    } else if (is(a, v::kAttrSrc)) {
      readText(a, *content, &Content::setSrc);
    }
  }
  readText(node, *content, &Content::setData);
  return content;
}

std::shared_ptr<Author> parseAuthor(const xmlNode* node) {
  auto author = std::make_shared<Author>();
  Author& au = *author;
  for (const xmlNode* c = node->children; c; c = c->next) {
    if (!isElement(c)) continue;
    if (is(c, v::kElemName)) readText(c, au, &Author::setName);
    else if (is(c, v::kElemUri)) readText(c, au, &Author::setUri);
    else if (is(c, v::kElemEmail)) readText(c, au, &Author::setEmail);
    else if (is(c, v::kElemProfile)) readText(c, au, &Author::setProfile);
    else if (is(c, v::kElemProfileImage) || is(c, v::kElemLink)) placeInAuthor(au, parseLink(c));
  }
  return author;
}

std::shared_ptr<EntryCategory> parseCategory(const xmlNode* node) {
  auto category = std::make_shared<EntryCategory>();
  EntryCategory& ca = *category;
  for (const xmlAttr* a = node->properties; a; a = a->next) {
    if (is(a, v::kAttrLabel)) readText(a, ca, &EntryCategory::setLabel);
    else if (is(a, v::kAttrTerm)) readText(a, ca, &EntryCategory::setTerm);
    else if (is(a, v::kAttrGetnext)) readFlag(a, ca, &EntryCategory::setGetnext);
    else if (is(a, v::kAttrScheme)) readText(a, ca, &EntryCategory::setScheme);
    else if (is(a, v::kAttrIscustomcontent)) readFlag(a, ca, &EntryCategory::setIscustomcontent);
    else if (is(a, v::kAttrCount)) readInt(a, ca, &EntryCategory::setCount);
  }
  return category;
}

std::shared_ptr<VeskRanking> parseRanking(const xmlNode* node) {
  auto r = std::make_shared<VeskRanking>();
  for (const xmlAttr* a = node->properties; a; a = a->next) {
    if (is(a, v::kAttrMinValue)) readInt(a, *r, &VeskRanking::setMinValue);
    else if (is(a, v::kAttrMaxValue)) readInt(a, *r, &VeskRanking::setMaxValue);
    else if (is(a, v::kAttrValue)) readFloat(a, *r, &VeskRanking::setValue);
    else if (is(a, v::kAttrTimes)) readInt(a, *r, &VeskRanking::setTimes);
    else if (is(a, v::kAttrTitle)) readText(a, *r, &VeskRanking::setTitle);
    else if (is(a, v::kAttrHref)) readHref(a, node, *r, &VeskRanking::setHref);
  }
  return r;
}

std::shared_ptr<VeskAssess> parseAssess(const xmlNode* node) {
  auto r = std::make_shared<VeskAssess>();
  for (const xmlAttr* a = node->properties; a; a = a->next) {
    if (is(a, v::kAttrTitle)) readText(a, *r, &VeskAssess::setTitle);
    else if (is(a, v::kAttrMinLength)) readInt(a, *r, &VeskAssess::setMinLength);
    else if (is(a, v::kAttrMaxLength)) readInt(a, *r, &VeskAssess::setMaxLength);
    else if (is(a, v::kAttrTimes)) readInt(a, *r, &VeskAssess::setTimes);
    else if (is(a, v::kAttrHref)) readHref(a, node, *r, &VeskAssess::setHref);
    else if (is(a, v::kAttrType)) readText(a, *r, &VeskAssess::setType);
  }
  return r;
}

std::shared_ptr<VeskSubscribe> parseSubscribe(const xmlNode* node) {
  auto r = std::make_shared<VeskSubscribe>();
  for (const xmlAttr* a = node->properties; a; a = a->next) {
    if (is(a, v::kAttrSubscribable)) {
      // Read as an integer, unlike the "1" flags: "01" counts as subscribable.
      if (const char* t = U::firstText(a)) r->setSubscribable(U::toInt32(t) == 1);
    } else if (is(a, v::kAttrSubscribed)) {
      if (const char* t = U::firstText(a)) {
        const int32_t n = U::toInt32(t);
        r->setSubscribed(n == 0 || n == 1 ? n : 2);
      }
    } else if (is(a, v::kAttrTimes)) {
      readInt(a, *r, &VeskSubscribe::setTimes);
    } else if (is(a, v::kAttrUpdatefrequency)) {
      readText(a, *r, &VeskSubscribe::setUpdateFrequency);
    }
  }
  return r;
}

std::shared_ptr<VeskThumbnail> parseThumbnail(const xmlNode* node) {
  auto r = std::make_shared<VeskThumbnail>();
  for (const xmlAttr* a = node->properties; a; a = a->next) {
    if (is(a, v::kAttrType)) readText(a, *r, &VeskThumbnail::setType);
    else if (is(a, v::kAttrHref)) readHref(a, node, *r, &VeskThumbnail::setHref);
    else if (is(a, v::kAttrWidth)) readInt(a, *r, &VeskThumbnail::setWidth);
    else if (is(a, v::kAttrHeight)) readInt(a, *r, &VeskThumbnail::setHeight);
  }
  return r;
}

std::shared_ptr<VeskBump> parseBump(const xmlNode* node) {
  auto r = std::make_shared<VeskBump>();
  for (const xmlAttr* a = node->properties; a; a = a->next) {
    if (is(a, v::kAttrAction)) {
      if (const char* t = U::firstText(a)) r->setAction(std::strcmp(t, v::kBumpUp) == 0);
    } else if (is(a, v::kAttrTimes)) {
      readInt(a, *r, &VeskBump::setTimes);
    } else if (is(a, v::kAttrHref)) {
      readHref(a, node, *r, &VeskBump::setHref);
    }
  }
  return r;
}

std::shared_ptr<VeskSharing> parseSharing(const xmlNode* node) {
  auto r = std::make_shared<VeskSharing>();
  for (const xmlAttr* a = node->properties; a; a = a->next) {
    if (is(a, v::kAttrAction)) readText(a, *r, &VeskSharing::setAction);
    else if (is(a, v::kAttrTimes)) readInt(a, *r, &VeskSharing::setTimes);
    else if (is(a, v::kAttrHref)) readHref(a, node, *r, &VeskSharing::setHref);
  }
  return r;
}

std::shared_ptr<VeskFavorite> parseFavorite(const xmlNode* node) {
  auto r = std::make_shared<VeskFavorite>();
  for (const xmlAttr* a = node->properties; a; a = a->next) {
    if (is(a, v::kAttrCollectable)) {
      readFlag(a, *r, &VeskFavorite::setCollectable);
    } else if (is(a, v::kAttrCollected)) {
      if (const char* t = U::firstText(a)) {
        int32_t collected = 2;
        if (std::strcmp(t, v::kFlagFalse) == 0) collected = 0;
        else if (std::strcmp(t, v::kFlagTrue) == 0) collected = 1;
        r->setCollected(collected);
      }
    } else if (is(a, v::kAttrCount)) {
      readInt(a, *r, &VeskFavorite::setCount);
    }
  }
  return r;
}

std::shared_ptr<VeskEntryStatus> parseEntryStatus(const xmlNode* node) {
  auto r = std::make_shared<VeskEntryStatus>();
  bool styleSeen = false;
  for (const xmlAttr* a = node->properties; a; a = a->next) {
    if (is(a, v::kAttrRead)) {
      readInt(a, *r, &VeskEntryStatus::setRead);
    } else if (is(a, v::kAttrMultilayer)) {
      readInt(a, *r, &VeskEntryStatus::setMultiLayer);
    } else if (is(a, v::kAttrType)) {
      const char* t = U::firstText(a);
      if (!t) continue;
      if (auto type = VeskEntryStatus::typeForWord(t)) {
        r->setType(*type);
        // A style given before the type wins over the type's default.
        if (!styleSeen) r->setExtendStyle(VeskEntryStatus::defaultExtendStyle(*type));
      }
    } else if (is(a, v::kAttrStyle)) {
      styleSeen = true;
      if (const char* t = U::firstText(a)) r->applyStyle(t);
    }
  }
  return r;
}

std::shared_ptr<VeskSync> parseSync(const xmlNode* node) {
  auto r = std::make_shared<VeskSync>();
  for (const xmlAttr* a = node->properties; a; a = a->next) {
    if (is(a, v::kAttrInterval)) readInt(a, *r, &VeskSync::setInterval);
  }
  return r;
}

std::shared_ptr<VeskDevInfo> parseDevInfo(const xmlNode* node) {
  auto r = std::make_shared<VeskDevInfo>();
  for (const xmlAttr* a = node->properties; a; a = a->next) {
    if (is(a, v::kAttrId)) readText(a, *r, &VeskDevInfo::setId);
  }
  return r;
}

std::shared_ptr<MBlogUser> parseMBlogUser(const xmlNode* node) {
  auto r = std::make_shared<MBlogUser>();
  for (const xmlAttr* a = node->properties; a; a = a->next) {
    if (is(a, v::kAttrName)) readText(a, *r, &MBlogUser::setName);
    else if (is(a, v::kAttrProfileImgUrl)) readText(a, *r, &MBlogUser::setProfile_img_url);
  }
  return r;
}

std::shared_ptr<VeskMBlog> parseMBlog(const xmlNode* node) {
  auto r = std::make_shared<VeskMBlog>();
  for (const xmlNode* layout = node->children; layout; layout = layout->next) {
    if (!isElement(layout) || !is(layout, v::kElemLayout)) continue;
    for (const xmlNode* c = layout->children; c; c = c->next) {
      if (!isElement(c)) continue;
      // The microblog layout ignores relations: every link is its layout link.
      if (is(c, v::kElemLink)) r->setLayoutLink(parseLink(c));
      else if (is(c, v::kElemUser)) r->setLayoutUser(parseMBlogUser(c));
      else if (is(c, v::kElemRetweeted)) r->setLayoutRetweeted(parseMBlogUser(c));
      else if (is(c, v::kElemTranslated)) r->setTranslated(parseContent(c));
    }
  }
  return r;
}

std::shared_ptr<VeskCustomization> parseCustomization(const xmlNode* node) {
  auto r = std::make_shared<VeskCustomization>();
  for (const xmlAttr* a = node->properties; a; a = a->next) {
    if (is(a, v::kAttrSearchHref)) readHref(a, node, *r, &VeskCustomization::setSearchHref);
    else if (is(a, v::kAttrType)) readText(a, *r, &VeskCustomization::setType);
    else if (is(a, v::kAttrGroupmode)) readText(a, *r, &VeskCustomization::setGroupmode);
    else if (is(a, v::kAttrId)) readText(a, *r, &VeskCustomization::setId);
    else if (is(a, v::kAttrSelf)) readFlag(a, *r, &VeskCustomization::setSelf);
    else if (is(a, v::kAttrSubHref)) readHref(a, node, *r, &VeskCustomization::setSubHref);
  }
  return r;
}

std::shared_ptr<VeskCustomContent> parseCustomContent(const xmlNode* node) {
  auto r = std::make_shared<VeskCustomContent>();
  for (const xmlNode* c = node->children; c; c = c->next) {
    if (!isElement(c)) continue;
    // Custom content ignores relations: every link is its link.
    if (is(c, v::kElemLink)) r->setLink(parseLink(c));
    else if (is(c, v::kElemContent)) r->setContent(parseContent(c));
  }
  return r;
}

std::shared_ptr<XCoverImageDuration> parseCoverImageDuration(const xmlNode* node) {
  auto r = std::make_shared<XCoverImageDuration>();
  r->setValue(5);  // the service's default when the element carries no value
  for (const xmlAttr* a = node->properties; a; a = a->next) {
    if (is(a, v::kAttrValue)) readInt(a, *r, &XCoverImageDuration::setValue);
  }
  return r;
}

std::shared_ptr<VideoDuration> parseVideoDuration(const xmlNode* node) {
  auto r = std::make_shared<VideoDuration>();
  for (const xmlAttr* a = node->properties; a; a = a->next) {
    if (is(a, v::kAttrValue)) readInt(a, *r, &VideoDuration::setValue);
  }
  return r;
}

std::shared_ptr<VeskMblogExtra> parseMblogExtra(const xmlNode* node) {
  auto r = std::make_shared<VeskMblogExtra>();
  for (const xmlNode* c = node->children; c; c = c->next) {
    if (!isElement(c)) continue;
    if (is(c, v::kElemFavorite)) r->setVeskFavorite(parseFavorite(c));
    else if (is(c, v::kElemAssess)) r->setVeskAssess(parseAssess(c));
    else if (is(c, v::kElemLink)) placeInMblogExtra(*r, parseLink(c));
  }
  return r;
}

std::shared_ptr<VeskBook> parseBook(const xmlNode* node) {
  auto r = std::make_shared<VeskBook>();
  VeskBook& b = *r;
  for (const xmlNode* c = node->children; c; c = c->next) {
    if (!isElement(c)) continue;
    if (is(c, v::kElemTranslator)) readText(c, b, &VeskBook::setTranslator);
    else if (is(c, v::kElemPublisher)) readText(c, b, &VeskBook::setPublisher);
    else if (is(c, v::kElemDate)) readText(c, b, &VeskBook::setDate);
    else if (is(c, v::kElemPrice)) readFloat(c, b, &VeskBook::setPrice);
    else if (is(c, v::kElemPages)) readInt(c, b, &VeskBook::setPages);
    else if (is(c, v::kElemBinding)) readText(c, b, &VeskBook::setBinding);
    else if (is(c, v::kElemIsbn)) readText(c, b, &VeskBook::setIsbn);
    else if (is(c, v::kElemVip)) readInt(c, b, &VeskBook::setVip);
    else if (is(c, v::kElemPayment)) readInt(c, b, &VeskBook::setPayment);
    else if (is(c, v::kElemIntegrity)) readInt(c, b, &VeskBook::setIntegrity);
    else if (is(c, v::kElemLink)) placeInBook(b, parseLink(c));
    else if (is(c, v::kElemPaytype)) readInt(c, b, &VeskBook::setPaytype);
    else if (is(c, v::kElemKeyname)) readText(c, b, &VeskBook::setKeyname);
    else if (is(c, v::kElemUpdated)) readTime(c, b, &VeskBook::setUpdated);
  }
  return r;
}

std::shared_ptr<BookReview> parseBookReview(const xmlNode* node) {
  auto r = std::make_shared<BookReview>();
  for (const xmlNode* c = node->children; c; c = c->next) {
    if (!isElement(c)) continue;
    if (is(c, v::kElemContent)) {
      for (const xmlAttr* a = c->properties; a; a = a->next) {
        if (is(a, v::kAttrType)) readText(a, *r, &BookReview::setType);
      }
      readText(c, *r, &BookReview::setComment);
    } else if (is(c, v::kElemLink)) {
      auto link = parseLink(c);
      if (!link->rel()) r->setLink(std::move(link));
    }
  }
  return r;
}

std::shared_ptr<VeskBookReviews> parseBookReviews(const xmlNode* node) {
  auto r = std::make_shared<VeskBookReviews>();
  for (const xmlNode* c = node->children; c; c = c->next) {
    if (isElement(c) && is(c, v::kElemBookreview)) r->appendBookReviews(parseBookReview(c));
  }
  return r;
}

std::shared_ptr<VeskExif> parseExif(const xmlNode* node) {
  auto r = std::make_shared<VeskExif>();
  for (const xmlNode* c = node->children; c; c = c->next) {
    if (!isElement(c)) continue;
    // "subtitle" fills title as well: whichever comes last wins.
    if (is(c, v::kElemTitle) || is(c, v::kElemSubtitle)) {
      readText(c, *r, &VeskExif::setTitle);
    } else if (is(c, v::kElemInfo)) {
      auto info = std::make_shared<VeskExifInfo>();
      for (const xmlAttr* a = c->properties; a; a = a->next) {
        if (is(a, v::kAttrKey)) readText(a, *info, &VeskExifInfo::setKey);
        else if (is(a, v::kAttrValue)) readText(a, *info, &VeskExifInfo::setValue);
      }
      r->appendInfos(std::move(info));
    }
  }
  return r;
}

std::shared_ptr<VeskCategory> parseVeskCategory(const xmlNode* node) {
  auto r = std::make_shared<VeskCategory>();
  VeskCategory& ca = *r;
  for (const xmlAttr* a = node->properties; a; a = a->next) {
    if (is(a, v::kAttrType)) readText(a, ca, &VeskCategory::setType);
    else if (is(a, v::kAttrHref)) readHref(a, node, ca, &VeskCategory::setHref);
    else if (is(a, v::kAttrWidth)) readInt(a, ca, &VeskCategory::setWidth);
    else if (is(a, v::kAttrHeight)) readInt(a, ca, &VeskCategory::setHeight);
    else if (is(a, v::kAttrAHref)) readHref(a, node, ca, &VeskCategory::setA_href);
    else if (is(a, v::kAttrAWidth)) readInt(a, ca, &VeskCategory::setA_width);
    else if (is(a, v::kAttrAHeight)) readInt(a, ca, &VeskCategory::setA_height);
    else if (is(a, v::kAttrSeq)) readInt(a, ca, &VeskCategory::setSeq);
  }
  for (const xmlNode* c = node->children; c; c = c->next) {
    if (isElement(c) && is(c, v::kElemExif)) ca.setVeskExif(parseExif(c));
  }
  return r;
}

// ---- Feed-level records ----------------------------------------------------------------------

std::shared_ptr<VeskOK> parseOK(const xmlNode* node) {
  auto r = std::make_shared<VeskOK>();
  for (const xmlNode* c = node->children; c; c = c->next) {
    if (!isElement(c)) continue;
    if (is(c, v::kElemId)) readText(c, *r, &VeskOK::setEntryId);
    else if (is(c, v::kElemDesc)) readText(c, *r, &VeskOK::setDesc);
  }
  return r;
}

std::shared_ptr<VeskError> parseError(const xmlNode* node) {
  auto r = std::make_shared<VeskError>();
  for (const xmlNode* c = node->children; c; c = c->next) {
    if (!isElement(c)) continue;
    if (is(c, v::kElemId)) readText(c, *r, &VeskError::setEntryId);
    else if (is(c, v::kElemReason)) readInt(c, *r, &VeskError::setReason);
    else if (is(c, v::kElemDesc)) readText(c, *r, &VeskError::setDesc);
    else if (is(c, v::kElemCustomization)) r->setVeskCustomization(parseCustomization(c));
  }
  return r;
}

std::shared_ptr<VeskSoftUpdate> parseSoftUpdate(const xmlNode* node) {
  auto r = std::make_shared<VeskSoftUpdate>();
  for (const xmlAttr* a = node->properties; a; a = a->next) {
    if (is(a, v::kAttrNewVersion)) readText(a, *r, &VeskSoftUpdate::setNewVersion);
    else if (is(a, v::kAttrType)) readText(a, *r, &VeskSoftUpdate::setType);
    else if (is(a, v::kAttrHref)) readHref(a, node, *r, &VeskSoftUpdate::setHref);
    else if (is(a, v::kAttrTitle)) readText(a, *r, &VeskSoftUpdate::setTitle);
  }
  readText(node, *r, &VeskSoftUpdate::setData);
  return r;
}

std::shared_ptr<VeskMessage> parseMessage(const xmlNode* node) {
  auto r = std::make_shared<VeskMessage>();
  for (const xmlAttr* a = node->properties; a; a = a->next) {
    if (is(a, v::kAttrType)) readText(a, *r, &VeskMessage::setType);
    else if (is(a, v::kAttrTitle)) readText(a, *r, &VeskMessage::setTitle);
    else if (is(a, v::kAttrHref)) readHref(a, node, *r, &VeskMessage::setHref);
    else if (is(a, v::kAttrUpdated)) readTime(a, *r, &VeskMessage::setUpdated);
  }
  readText(node, *r, &VeskMessage::setData);
  return r;
}

std::shared_ptr<VeskMessages> parseMessages(const xmlNode* node) {
  auto r = std::make_shared<VeskMessages>();
  for (const xmlAttr* a = node->properties; a; a = a->next) {
    if (is(a, v::kAttrUpdated)) readTime(a, *r, &VeskMessages::setUpdated);
  }
  for (const xmlNode* c = node->children; c; c = c->next) {
    if (isElement(c) && is(c, v::kElemMessage)) r->appendVeskMessageArray(parseMessage(c));
  }
  return r;
}

std::shared_ptr<VeskApp> parseApp(const xmlNode* node) {
  auto r = std::make_shared<VeskApp>();
  for (const xmlAttr* a = node->properties; a; a = a->next) {
    if (is(a, v::kAttrTitle)) readText(a, *r, &VeskApp::setTitle);
    else if (is(a, v::kAttrHref)) readHref(a, node, *r, &VeskApp::setHref);
    else if (is(a, v::kAttrImg)) readHref(a, node, *r, &VeskApp::setImg);
  }
  readText(node, *r, &VeskApp::setData);
  return r;
}

std::shared_ptr<VeskAppRecommend> parseAppRecommend(const xmlNode* node) {
  auto r = std::make_shared<VeskAppRecommend>();
  for (const xmlAttr* a = node->properties; a; a = a->next) {
    if (is(a, v::kAttrUpdated)) readTime(a, *r, &VeskAppRecommend::setUpdated);
  }
  for (const xmlNode* c = node->children; c; c = c->next) {
    if (isElement(c) && is(c, v::kElemApp)) r->appendVeskApps(parseApp(c));
  }
  return r;
}

std::shared_ptr<VeskNotification> parseNotification(const xmlNode* node) {
  auto r = std::make_shared<VeskNotification>();
  for (const xmlNode* c = node->children; c; c = c->next) {
    if (!isElement(c)) continue;
    if (is(c, v::kElemSoftupdate)) r->setVeskSoftUpdate(parseSoftUpdate(c));
    else if (is(c, v::kElemMessages)) r->setVeskMessages(parseMessages(c));
    else if (is(c, v::kElemAppRecommend)) r->setVeskAppRecommend(parseAppRecommend(c));
  }
  return r;
}

std::shared_ptr<VeskLayoutformat> parseLayoutformat(const xmlNode* node) {
  auto r = std::make_shared<VeskLayoutformat>();
  for (const xmlAttr* a = node->properties; a; a = a->next) {
    if (is(a, v::kAttrDisplaymin)) readInt(a, *r, &VeskLayoutformat::setDisplaymin);
    else if (is(a, v::kAttrDisplaymax)) readInt(a, *r, &VeskLayoutformat::setDisplaymax);
  }
  return r;
}

std::shared_ptr<VeskUrs> parseUrs(const xmlNode* node) {
  auto r = std::make_shared<VeskUrs>();
  for (const xmlAttr* a = node->properties; a; a = a->next) {
    if (is(a, v::kAttrId)) readText(a, *r, &VeskUrs::setId);
  }
  return r;
}

std::shared_ptr<VeskStatControl> parseStatControl(const xmlNode* node) {
  auto r = std::make_shared<VeskStatControl>();
  for (const xmlAttr* a = node->properties; a; a = a->next) {
    if (is(a, v::kAttrWifionly)) readByteFlag(a, *r, &VeskStatControl::setWifiOnly);
  }
  for (const xmlNode* c = node->children; c; c = c->next) {
    if (!isElement(c) || !is(c, v::kElemStatC)) continue;
    auto item = std::make_shared<statC>();
    for (const xmlAttr* a = c->properties; a; a = a->next) {
      if (is(a, v::kAttrK)) readInt(a, *item, &statC::setK);
      else if (is(a, v::kAttrV)) readInt(a, *item, &statC::setV);
    }
    r->appendC(std::move(item));
  }
  return r;
}

// ---- Book catalogue --------------------------------------------------------------------------

std::shared_ptr<PageInfo> parsePageInfo(const xmlNode* node) {
  auto r = std::make_shared<PageInfo>();
  for (const xmlAttr* a = node->properties; a; a = a->next) {
    if (is(a, v::kAttrLandscapePages)) {
      readInt(a, *r, &PageInfo::setLandscapePage);
    } else if (is(a, v::kAttrPortraitPages)) {
      readInt(a, *r, &PageInfo::setPortraitPage);
    } else if (is(a, v::kAttrFontsize)) {
      // The size follows a two-character prefix ("fs16"); two characters or fewer give 0.
      if (const char* t = U::firstText(a)) {
        const std::string rest = StringUtil::utf16SubstringFrom(t, 2);
        r->setFontSize(rest.empty() ? 0 : U::toInt32(rest.c_str()));
      }
    }
  }
  return r;
}

std::shared_ptr<Section> parseSection(const xmlNode* node) {
  auto r = std::make_shared<Section>();
  Section& s = *r;
  for (const xmlAttr* a = node->properties; a; a = a->next) {
    if (is(a, v::kAttrType)) readInt(a, s, &Section::setType);
  }
  for (const xmlNode* c = node->children; c; c = c->next) {
    if (!isElement(c)) continue;
    if (is(c, v::kElemTitle)) {
      readText(c, s, &Section::setTitle);
    } else if (is(c, v::kElemId)) {
      readText(c, s, &Section::setId);
    } else if (is(c, v::kElemPayment)) {
      readInt(c, s, &Section::setPayment);
    } else if (is(c, v::kElemVip)) {
      readInt(c, s, &Section::setVip);
    } else if (is(c, v::kElemLink)) {
      auto link = parseLink(c);
      if (!link->rel()) s.setSectionLink(std::move(link));
    } else if (is(c, v::kElemMd5)) {
      readText(c, s, &Section::setMd5);
    } else if (is(c, v::kElemPageinfos)) {
      // A later "pageinfos" replaces an earlier one, and one without items clears the list.
      std::optional<std::vector<std::shared_ptr<PageInfo>>> infos;
      for (const xmlNode* p = c->children; p; p = p->next) {
        if (!isElement(p) || !is(p, v::kElemPageinfo)) continue;
        if (!infos) infos.emplace();
        infos->push_back(parsePageInfo(p));
      }
      s.setPageInfos(std::move(infos));
    } else if (is(c, v::kElemIndexid)) {
      readInt(c, s, &Section::setIndexId);
    } else if (is(c, v::kElemAllowpreview)) {
      readFlag(c, s, &Section::setAllowPreview);
    } else if (is(c, v::kElemUpdated)) {
      readTime(c, s, &Section::setUpdated);
    }
  }
  return r;
}

std::shared_ptr<Chapter> parseChapter(const xmlNode* node) {
  auto r = std::make_shared<Chapter>();
  for (const xmlNode* c = node->children; c; c = c->next) {
    if (!isElement(c)) continue;
    if (is(c, v::kElemTitle)) readText(c, *r, &Chapter::setTitle);
    else if (is(c, v::kElemId)) readText(c, *r, &Chapter::setId);
    else if (is(c, v::kElemIndexid)) readInt(c, *r, &Chapter::setIndexId);
    else if (is(c, v::kElemSection)) r->appendSections(parseSection(c));
  }
  return r;
}

// Whether a section of a catalogue must be (re)downloaded: when anything needed to find its
// stored copy is missing, when there is no stored file, or when the service's copy is newer.
bool sectionNeedsDownload(const std::optional<std::string>& bookId, const Chapter& chapter,
                          const Section& section, BookSectionSource* books) {
  if (!bookId || !chapter.id() || !section.id() || books == nullptr) return true;
  auto path = books->getBookSectionHtmlFilePath(*bookId, *chapter.id(), *section.id());
  if (!path) return true;
  std::error_code ec;
  const auto status = std::filesystem::status(*path, ec);
  if (ec || !std::filesystem::exists(status) || std::filesystem::is_directory(status)) {
    return true;
  }
  auto stored = books->getSectionInfo(*bookId, *section.id());
  if (!stored) return false;
  return section.updated() > stored->updated();
}

// ---- Entries and feeds -----------------------------------------------------------------------

std::shared_ptr<Entry> makeEntry(int32_t kind) {
  switch (kind) {
    case kEntryKindColumn: return std::make_shared<Column>();
    case kEntryKindNewsSummary: return std::make_shared<NewsSummary>();
    case kEntryKindNewsDetail: return std::make_shared<NewsDetail>();
    case kEntryKindComment: return std::make_shared<Comment>();
    default: return std::make_shared<Entry>();
  }
}

std::shared_ptr<Entry> parseEntry(const xmlNode* node, int32_t kind) {
  std::shared_ptr<Entry> entry = makeEntry(kind);
  Entry& e = *entry;
  for (const xmlNode* c = node->children; c; c = c->next) {
    if (!isElement(c)) continue;
    const char* n = U::name(c);
    // Dispatch on the first byte keeps the common names to one or two comparisons.
    switch (n[0]) {
      case 'a':
        if (is(c, v::kElemAuthor)) e.setAuthor(parseAuthor(c));
        else if (is(c, v::kElemAssess)) e.setVeskAssess(parseAssess(c));
        break;
      case 'b':
        if (is(c, v::kElemBook)) e.setVeskBook(parseBook(c));
        else if (is(c, v::kElemBookreviews)) e.setVeskBookReviews(parseBookReviews(c));
        else if (is(c, v::kElemBump)) e.setVeskBump(parseBump(c));
        break;
      case 'c':
        if (is(c, v::kElemContent)) e.setContent(parseContent(c));
        else if (is(c, v::kElemCategory)) e.setCategory(parseCategory(c));
        else if (is(c, v::kElemCustomization)) e.setVeskCustomization(parseCustomization(c));
        else if (is(c, v::kElemCustomcontent)) e.setVeskCustomContent(parseCustomContent(c));
        break;
      case 'd':
        if (is(c, v::kElemDevinfo)) {
          e.setVeskDevInfo(parseDevInfo(c));
        } else if (is(c, v::kElemDetail) && kind == kEntryKindNewsSummary) {
          // Only the first child node counts: an entry written after a line break is not taken.
          const xmlNode* first = c->children;
          if (first && isElement(first) && is(first, v::kElemEntry)) {
            static_cast<NewsSummary&>(e).setDetail(std::static_pointer_cast<NewsDetail>(
                VESKAtomDataStuffer::newEntryByParseNode(first, kEntryKindNewsDetail)));
          }
        }
        break;
      case 'e':
        if (is(c, v::kElemEntryStatus)) e.setVeskEntryStatus(parseEntryStatus(c));
        break;
      case 'f':
        if (is(c, v::kElemFavorite)) e.setVeskFavorite(parseFavorite(c));
        break;
      case 'i':
        if (is(c, v::kElemId)) {
          if (!U::isForeign(c)) readText(c, e, &Entry::setEntryId);
        } else if (is(c, v::kElemImageThumbnail)) {
          e.setVeskThumbnail(parseThumbnail(c));
        } else if (is(c, v::kElemImageCategory) && kind == kEntryKindNewsDetail) {
          static_cast<NewsDetail&>(e).appendVeskCategorys(parseVeskCategory(c));
        }
        break;
      case 'l':
        if (is(c, v::kElemLink)) {
          placeInEntry(e, parseLink(c));
        } else if (is(c, v::kElemLatestaid) && kind == kEntryKindColumn) {
          readText(c, static_cast<Column&>(e), &Column::setLatestaid);
        }
        break;
      case 'm':
        if (is(c, v::kElemMblog)) e.setVeskMBlog(parseMBlog(c));
        else if (is(c, v::kElemMblogExtra)) e.setVeskMblogExtra(parseMblogExtra(c));
        break;
      case 'p':
        if (is(c, v::kElemPagedcontent)) e.setVeskPagedcontent(parseContent(c));
        break;
      case 'r':
        if (is(c, v::kElemRanking)) e.setVeskRanking(parseRanking(c));
        break;
      case 's':
        if (is(c, v::kElemSummary)) readText(c, e, &Entry::setSummary);
        else if (is(c, v::kElemSubtitle)) readText(c, e, &Entry::setSubtitle);
        else if (is(c, v::kElemSubscribe)) e.setVeskSubscribe(parseSubscribe(c));
        else if (is(c, v::kElemSharing)) e.setVeskSharing(parseSharing(c));
        else if (is(c, v::kElemSync)) e.setVeskSync(parseSync(c));
        break;
      case 't':
        if (is(c, v::kElemTitle) && !U::isForeign(c)) readText(c, e, &Entry::setTitle);
        break;
      case 'u':
        if (is(c, v::kElemUpdated)) readTime(c, e, &Entry::setUpdated);
        break;
      case 'v':
        if (is(c, v::kElemVideoDuration) && kind == kEntryKindNewsSummary) {
          static_cast<NewsSummary&>(e).setVideoDuration(parseVideoDuration(c));
        }
        break;
      case 'x':
        if (is(c, v::kElemXCoverImageDuration)) {
          e.setXCoverImageDuration(parseCoverImageDuration(c));
        }
        break;
      default:
        break;
    }
  }

  // Post-pass. Custom content without its own link or content shows the entry's (the same
  // objects, shared).
  if (const auto& custom = e.veskCustomContent()) {
    if (!custom->link()) custom->setLink(e.alternatelink());
    if (!custom->content()) custom->setContent(e.content());
  }
  // A summary's detail without an id is the same article.
  if (kind == kEntryKindNewsSummary) {
    const auto& detail = static_cast<NewsSummary&>(e).detail();
    if (detail && !detail->entryId()) detail->setEntryId(e.entryId());
  }
  return entry;
}

OpenSearch& openSearchOf(Feed& feed) {
  if (!feed.openSearch()) feed.setOpenSearch(std::make_shared<OpenSearch>());
  return *feed.openSearch();
}

void feedPostPass(Feed& feed, int32_t kind, BookSectionSource* books) {
  if (const auto& entries = feed.entrys()) {
    const auto& feedStatus = feed.veskEntryStatus();
    const auto& feedFavorite = feed.veskFavorite();
    for (const auto& entry : *entries) {
      if (feedStatus && !entry->veskEntryStatus()) entry->setVeskEntryStatus(feedStatus->copy());
      if (kind == kEntryKindNewsSummary) {
        // The detail shows the summary's status object itself (shared, not copied).
        const auto& detail = static_cast<NewsSummary&>(*entry).detail();
        if (detail && !detail->veskEntryStatus()) {
          detail->setVeskEntryStatus(entry->veskEntryStatus());
        }
      }
      if (feedFavorite && !entry->veskFavorite()) {
        auto favorite = std::make_shared<VeskFavorite>();
        favorite->setCollectable(feedFavorite->collectable());
        favorite->setCollected(feedFavorite->collected());
        favorite->setCount(feedFavorite->count());
        entry->setVeskFavorite(std::move(favorite));
      }
    }
  }
  if (const auto& chapters = feed.chapters()) {
    for (const auto& chapter : *chapters) {
      if (!chapter->sections()) continue;
      for (const auto& section : *chapter->sections()) {
        section->setNeedDownload(sectionNeedsDownload(feed.feedId(), *chapter, *section, books));
      }
    }
  }
}

}  // namespace

std::shared_ptr<Feed> VESKAtomDataStuffer::newFeedByParseNode(const xmlNode* node, int32_t kind,
                                                              BookSectionSource* books) {
  auto feed = std::make_shared<Feed>();
  for (const xmlNode* c = node->children; c; c = c->next) fillFeedByParseChildNode(*feed, c, kind);
  finishFeed(*feed, kind, books);
  return feed;
}

void VESKAtomDataStuffer::fillFeedByParseChildNode(Feed& f, const xmlNode* c, int32_t kind) {
  if (!isElement(c)) return;
  if (is(c, v::kElemEntry)) {
    f.appendEntrys(parseEntry(c, kind));
  } else if (is(c, v::kElemLink)) {
    placeInFeed(f, parseLink(c));
  } else if (is(c, v::kElemId)) {
    if (!U::isForeign(c)) readText(c, f, &Feed::setFeedId);
  } else if (is(c, v::kElemTitle)) {
    if (!U::isForeign(c)) readText(c, f, &Feed::setTitle);
  } else if (is(c, v::kElemUpdated)) {
    readTime(c, f, &Feed::setUpdated);
  } else if (is(c, v::kElemAuthor)) {
    f.setAuthor(parseAuthor(c));
  } else if (is(c, v::kElemTotalResults)) {
    readInt(c, openSearchOf(f), &OpenSearch::setTotalResults);
  } else if (is(c, v::kElemStartIndex)) {
    readInt(c, openSearchOf(f), &OpenSearch::setStartIndex);
  } else if (is(c, v::kElemItemsPerPage)) {
    readInt(c, openSearchOf(f), &OpenSearch::setItemsPerPage);
  } else if (is(c, v::kElemQuery)) {
    OpenSearch& os = openSearchOf(f);
    for (const xmlAttr* a = c->properties; a; a = a->next) {
      if (is(a, v::kAttrRole)) readText(a, os, &OpenSearch::setQueryrole);
      else if (is(a, v::kAttrSearchTerms)) readText(a, os, &OpenSearch::setQuerysearchTerms);
      else if (is(a, v::kAttrStartPage)) readInt(a, os, &OpenSearch::setQuerystartPage);
    }
  } else if (is(c, v::kElemEntryStatus)) {
    f.setVeskEntryStatus(parseEntryStatus(c));
  } else if (is(c, v::kElemFavorite)) {
    f.setVeskFavorite(parseFavorite(c));
  } else if (is(c, v::kElemOk)) {
    f.appendVeskOKs(parseOK(c));
  } else if (is(c, v::kElemError)) {
    f.appendVeskErrors(parseError(c));
  } else if (is(c, v::kElemSubtitle)) {
    readText(c, f, &Feed::setSubtitle);
  } else if (is(c, v::kElemNotification)) {
    f.setVeskNotification(parseNotification(c));
  } else if (is(c, v::kElemLayoutformat)) {
    f.setVeskLayoutformat(parseLayoutformat(c));
  } else if (is(c, v::kElemUrs)) {
    f.setVeskUrs(parseUrs(c));
  } else if (is(c, v::kElemSubseqUpdated)) {
    readTime(c, f, &Feed::setSubseqUpdated);
  } else if (is(c, v::kElemDevice)) {
    if (const char* t = U::firstText(c)) f.setIsiPad(std::strcmp(t, v::kDeviceIpad) == 0);
  } else if (is(c, v::kElemChapter)) {
    f.appendChapters(parseChapter(c));
  } else if (is(c, v::kElemCatalogVersion)) {
    readInt(c, f, &Feed::setCatalogVersion);
  }
}

void VESKAtomDataStuffer::finishFeed(Feed& feed, int32_t kind, BookSectionSource* books) {
  feedPostPass(feed, kind, books);
}

std::shared_ptr<Entry> VESKAtomDataStuffer::newEntryByParseNode(const xmlNode* node,
                                                                int32_t kind) {
  return parseEntry(node, kind);
}

std::vector<std::shared_ptr<Link>> VESKAtomDataStuffer::newObjectByParseNodeAsLinksArray(
    const xmlNode* node) {
  std::vector<std::shared_ptr<Link>> links;
  for (const xmlNode* c = node->children; c; c = c->next) {
    if (isElement(c) && is(c, v::kElemLink)) links.push_back(parseBareLink(c, node));
  }
  return links;
}

std::shared_ptr<Feed> VESKAtomDataStuffer::newObjectByParseNodeGetServiceUrl(
    const xmlNode* node) {
  auto feed = std::make_shared<Feed>();
  feed->setLinks(std::vector<std::shared_ptr<Link>>{});
  for (const xmlNode* c = node->children; c; c = c->next) {
    if (!isElement(c)) continue;
    if (is(c, v::kElemLink)) feed->appendLinks(parseBareLink(c, node));
    else if (is(c, v::kElemStatcontrol)) feed->setVeskStatControl(parseStatControl(c));
  }
  return feed;
}

std::shared_ptr<Link> VESKAtomDataStuffer::newLinkByParseNode(const xmlNode* node) {
  return parseLink(node);
}

std::shared_ptr<Author> VESKAtomDataStuffer::newAuthorByParseNode(const xmlNode* node) {
  return parseAuthor(node);
}

std::shared_ptr<Content> VESKAtomDataStuffer::newContentByParseNode(const xmlNode* node) {
  return parseContent(node);
}

std::shared_ptr<OpenSearch> VESKAtomDataStuffer::newOpenSearchByParseNode(const xmlNode* node) {
  auto os = std::make_shared<OpenSearch>();
  for (const xmlNode* c = node->children; c; c = c->next) {
    if (!isElement(c)) continue;
    if (is(c, v::kElemTotalResults)) {
      readInt(c, *os, &OpenSearch::setTotalResults);
    } else if (is(c, v::kElemStartIndex)) {
      readInt(c, *os, &OpenSearch::setStartIndex);
    } else if (is(c, v::kElemItemsPerPage)) {
      readInt(c, *os, &OpenSearch::setItemsPerPage);
    } else if (is(c, v::kElemQuery)) {
      for (const xmlAttr* a = c->properties; a; a = a->next) {
        if (is(a, v::kAttrRole)) readText(a, *os, &OpenSearch::setQueryrole);
        else if (is(a, v::kAttrSearchTerms)) readText(a, *os, &OpenSearch::setQuerysearchTerms);
        else if (is(a, v::kAttrStartPage)) readInt(a, *os, &OpenSearch::setQuerystartPage);
      }
    }
  }
  return os;
}

std::shared_ptr<EntryCategory> VESKAtomDataStuffer::newEntryCategoryByParseNode(
    const xmlNode* node) {
  return parseCategory(node);
}

std::shared_ptr<UserInfo> VESKAtomDataStuffer::newUserInfoByParseNode(const xmlNode* node) {
  auto info = std::make_shared<UserInfo>();
  // A profile without a gender has none given (2), not male (the record's default 0).
  info->setGender(kGenderNotGiven);
  auto minMax = [](const xmlNode* n) {
    auto value = std::make_shared<MinMaxValue>();
    for (const xmlAttr* a = n->properties; a; a = a->next) {
      if (is(a, v::kAttrMinLength)) readInt(a, *value, &MinMaxValue::setMinLength);
      else if (is(a, v::kAttrMaxLength)) readInt(a, *value, &MinMaxValue::setMaxLength);
    }
    readText(n, *value, &MinMaxValue::setValue);
    return value;
  };
  for (const xmlNode* c = node->children; c; c = c->next) {
    if (!isElement(c)) continue;
    if (is(c, v::kElemTitle)) {
      readText(c, *info, &UserInfo::setTitle);
    } else if (is(c, v::kElemName)) {
      info->setName(minMax(c));
    } else if (is(c, v::kElemEmail)) {
      info->setEmail(minMax(c));
    } else if (is(c, v::kElemGender)) {
      if (const char* t = U::firstText(c)) {
        int32_t gender = kGenderNotGiven;
        if (std::strcmp(t, v::kGenderMale) == 0) gender = 0;
        else if (std::strcmp(t, v::kGenderFemale) == 0) gender = 1;
        info->setGender(gender);
      }
    } else if (is(c, v::kElemIntroduction)) {
      info->setIntroduction(minMax(c));
    } else if (is(c, v::kElemIcon)) {
      auto icon = std::make_shared<Icon>();
      for (const xmlAttr* a = c->properties; a; a = a->next) {
        if (is(a, v::kAttrType)) readText(a, *icon, &Icon::setType);
        else if (is(a, v::kAttrRel)) readText(a, *icon, &Icon::setRel);
        else if (is(a, v::kAttrHref)) readHref(a, c, *icon, &Icon::setHref);
      }
      info->setIcon(std::move(icon));
    } else if (is(c, v::kElemLabels)) {
      auto label = std::make_shared<Label>();
      for (const xmlAttr* a = c->properties; a; a = a->next) {
        if (is(a, v::kAttrMaxLength)) readInt(a, *label, &Label::setMaxLength);
        else if (is(a, v::kAttrMaxCount)) readInt(a, *label, &Label::setMaxCount);
      }
      for (const xmlNode* l = c->children; l; l = l->next) {
        if (!isElement(l) || !is(l, v::kElemLabel)) continue;
        if (const char* t = U::firstText(l)) label->appendLabelItems(t);
      }
      info->setLabels(std::move(label));
    }
  }
  return info;
}

std::shared_ptr<VeskCustomization> VESKAtomDataStuffer::newVeskCustomizationByParseNode(
    const xmlNode* node) {
  return parseCustomization(node);
}

std::shared_ptr<VeskFavorite> VESKAtomDataStuffer::newVeskFavoriteByParseNode(
    const xmlNode* node) {
  return parseFavorite(node);
}

std::shared_ptr<VeskStatControl> VESKAtomDataStuffer::newVeskStatControlByParseNode(
    const xmlNode* node) {
  return parseStatControl(node);
}

std::shared_ptr<VeskAppRecommend> VESKAtomDataStuffer::newVeskAppRecommendByParseNode(
    const xmlNode* node) {
  return parseAppRecommend(node);
}

std::shared_ptr<Chapter> VESKAtomDataStuffer::newChapterByParseNode(const xmlNode* node) {
  return parseChapter(node);
}

std::shared_ptr<Fonts> VESKAtomDataStuffer::newFontsByParseNode(const xmlNode* node) {
  auto fonts = std::make_shared<Fonts>();
  for (const xmlNode* c = node->children; c; c = c->next) {
    if (!isElement(c) || !is(c, v::kElemFont)) continue;
    auto font = std::make_shared<Font>();
    for (const xmlNode* f = c->children; f; f = f->next) {
      if (!isElement(f)) continue;
      if (is(f, v::kElemName)) readText(f, *font, &Font::setName);
      else if (is(f, v::kElemDesc)) readText(f, *font, &Font::setDesc);
      else if (is(f, v::kElemUrl)) readText(f, *font, &Font::setUrl);
      else if (is(f, v::kElemLength)) readInt(f, *font, &Font::setLength);
      else if (is(f, v::kElemMd5)) readText(f, *font, &Font::setMd5);
    }
    fonts->appendFontArray(std::move(font));
  }
  return fonts;
}

std::shared_ptr<Ads> VESKAtomDataStuffer::newAdsByParseNode(const xmlNode* node) {
  if (!isElement(node) || !is(node, v::kElemAds)) return nullptr;
  auto ads = std::make_shared<Ads>();
  for (const xmlAttr* a = node->properties; a; a = a->next) {
    if (is(a, v::kAttrLoop)) readByteFlag(a, *ads, &Ads::setLoop);
  }
  for (const xmlNode* c = node->children; c; c = c->next) {
    if (!isElement(c) || !is(c, v::kElemAd)) continue;
    auto ad = std::make_shared<Ad>();
    for (const xmlAttr* a = c->properties; a; a = a->next) {
      if (is(a, v::kAttrId)) readText(a, *ad, &Ad::setId);
      else if (is(a, v::kAttrHref)) readText(a, *ad, &Ad::setHref);  // taken as written
    }
    for (const xmlNode* d = c->children; d; d = d->next) {
      if (!isElement(d)) continue;
      if (is(d, v::kElemTitle)) {
        readText(d, *ad, &Ad::setTitle);
      } else if (is(d, v::kElemPublished)) {
        readTime(d, *ad, &Ad::setPublished);
      } else if (is(d, v::kElemExpires)) {
        readTime(d, *ad, &Ad::setExpires);
      } else if (is(d, v::kElemImg)) {
        auto img = std::make_shared<Img>();
        for (const xmlAttr* a = d->properties; a; a = a->next) {
          if (is(a, v::kAttrType)) readText(a, *img, &Img::setType);
          else if (is(a, v::kAttrSrc)) readText(a, *img, &Img::setSrc);  // taken as written
          else if (is(a, v::kAttrWidth)) readInt(a, *img, &Img::setWidth);
          else if (is(a, v::kAttrHeight)) readInt(a, *img, &Img::setHeight);
          else if (is(a, v::kAttrDuration)) readInt(a, *img, &Img::setDuration);
        }
        ad->appendImgs(std::move(img));
      }
    }
    ads->appendAds(std::move(ad));
  }
  return ads;
}

std::shared_ptr<ResultInfo> VESKAtomDataStuffer::newResultInfoByParseNode(const xmlNode* node) {
  if (!isElement(node)) return nullptr;
  const bool ok = is(node, v::kElemOk);
  if (!ok && !is(node, v::kElemError)) return nullptr;
  auto result = std::make_shared<ResultInfo>();
  result->setResultOK(ok);
  for (const xmlNode* c = node->children; c; c = c->next) {
    if (!isElement(c)) continue;
    if (is(c, v::kElemId)) readText(c, *result, &ResultInfo::setResultId);
    else if (is(c, v::kElemReason)) readInt(c, *result, &ResultInfo::setReason);
    else if (is(c, v::kElemDesc)) readText(c, *result, &ResultInfo::setDesc);
    else if (is(c, v::kElemCustomization)) result->setVeskCustomization(parseCustomization(c));
  }
  return result;
}

}  // namespace zu
