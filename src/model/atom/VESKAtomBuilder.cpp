#include "model/atom/VESKAtomBuilder.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlsave.h>

#include <charconv>
#include <new>
#include <string_view>

#include "common/Log.h"
#include "model/entry/Author.h"
#include "model/book/BookReview.h"
#include "model/columns/Column.h"
#include "model/entry/Content.h"
#include "model/entry/Entry.h"
#include "model/entry/EntryCategory.h"
#include "model/entry/Feed.h"
#include "model/columns/Icon.h"
#include "model/entry/InternetDateTime.h"
#include "model/columns/Label.h"
#include "model/entry/Link.h"
#include "model/columns/MBlogUser.h"
#include "model/columns/MinMaxValue.h"
#include "model/entry/NewsSummary.h"
#include "model/columns/UserInfo.h"
#include "model/service/VeskApp.h"
#include "model/service/VeskAppRecommend.h"
#include "model/service/VeskAssess.h"
#include "model/book/VeskBook.h"
#include "model/book/VeskBookReviews.h"
#include "model/service/VeskBump.h"
#include "model/service/VeskCustomization.h"
#include "model/service/VeskEntryStatus.h"
#include "model/service/VeskMBlog.h"
#include "model/service/VeskRanking.h"
#include "model/service/VeskSharing.h"
#include "model/service/VeskStatControl.h"
#include "model/service/VeskSubscribe.h"
#include "model/service/VeskSync.h"
#include "model/service/VeskThumbnail.h"
#include "model/entry/VideoDuration.h"
#include "model/atom/Vocabulary.h"
#include "model/service/XCoverImageDuration.h"
#include "model/atom/VESKAtomBuilderException.h"
#include "model/atom/XmlDocumentWriter.h"
#include "model/service/statC.h"

namespace zu {

namespace v = vocab;

namespace {

// ---- Numbers in the C locale --------------------------------------------------------------

std::string formatInt(int64_t value) {
  char buf[24];
  auto res = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, res.ptr);
}

// printf "%<width>.<precision>f" without the locale: fixed notation, padded with spaces on
// the left to `width`.
std::string formatFixed(double value, int precision, size_t width) {
  char buf[512];
  auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, precision);
  std::string out(buf, res.ptr);
  if (out.size() < width) out.insert(0, width - out.size(), ' ');
  return out;
}

std::string formatTime(int64_t ms) {
  return InternetDateTime::LongLongToRFC3339StringWithTimeZone8(ms);
}

// ---- Tree building ------------------------------------------------------------------------

using W = XmlDocumentWriter;

// An element with the text escaped in full; "" gives an element with an empty text child
// ("<t></t>"), nullopt an element without children ("<t/>").
xmlNode* addFreeText(xmlNode* parent, const char* name, const std::optional<std::string>& text) {
  if (!text) return W::addElement(parent, name);
  return W::addText(parent, name, *text);
}

// An element with a value (id, address, token, number); empty or absent gives "<t/>".
xmlNode* addValue(xmlNode* parent, const char* name, std::string_view value) {
  if (value.empty()) return W::addElement(parent, name);
  return W::addText(parent, name, value);
}
xmlNode* addValue(xmlNode* parent, const char* name, const std::optional<std::string>& value) {
  return addValue(parent, name, value ? std::string_view(*value) : std::string_view());
}
xmlNode* addValue(xmlNode* parent, const char* name, const std::string& value) {
  return addValue(parent, name, std::string_view(value));
}
xmlNode* addEmpty(xmlNode* parent, const char* name) { return W::addElement(parent, name); }

void setAttr(xmlNode* node, const char* name, std::string_view value) {
  W::setAttribute(node, name, value);
}
void setAttr(xmlNode* node, const char* name, const std::string& value) {
  setAttr(node, name, std::string_view(value));
}
void setAttr(xmlNode* node, const char* name, const char* value) {
  setAttr(node, name, std::string_view(value));
}
// Only when given.
void setAttr(xmlNode* node, const char* name, const std::optional<std::string>& value) {
  if (value) setAttr(node, name, std::string_view(*value));
}
void setFlagAttr(xmlNode* node, const char* name, bool flag) {
  setAttr(node, name, flag ? v::kFlagTrue : v::kFlagFalse);
}
// "%d", only when at least 1.
void setPositiveAttr(xmlNode* node, const char* name, int32_t value) {
  if (value >= 1) setAttr(node, name, formatInt(value));
}

void declareVesk(xmlNode* root) { setAttr(root, v::kAttrXmlnsVesk, v::kVeskNamespaceUri); }
void declareAtomAndVesk(xmlNode* root) {
  setAttr(root, v::kAttrXmlns, v::kAtomNamespaceUri);
  declareVesk(root);
}

void addDevinfo(xmlNode* parent, const std::optional<std::string>& devinfo) {
  if (!devinfo) return;
  setAttr(addEmpty(parent, v::kVeskElemDevinfo), v::kAttrId, *devinfo);
}

// A link element: rel, then [type] [href] [hreflang] of the link.
xmlNode* addLink(xmlNode* parent, const std::optional<std::string>& rel, const Link& link) {
  xmlNode* node = addEmpty(parent, v::kElemLink);
  setAttr(node, v::kAttrRel, rel);
  setAttr(node, v::kAttrType, link.type());
  setAttr(node, v::kAttrHref, link.href());
  setAttr(node, v::kAttrHreflang, link.hreflang());
  return node;
}
xmlNode* addLink(xmlNode* parent, const char* rel, const Link& link) {
  xmlNode* node = addEmpty(parent, v::kElemLink);
  setAttr(node, v::kAttrRel, rel);
  setAttr(node, v::kAttrType, link.type());
  setAttr(node, v::kAttrHref, link.href());
  setAttr(node, v::kAttrHreflang, link.hreflang());
  return node;
}

const char* contentTypeName(int32_t type) {
  switch (type) {
    case 1: return v::kContentKindText;
    case 2: return v::kContentKindHtml;
    case 3: return v::kContentKindXhtml;
    case 4: return v::kContentKindMime;
    default: return nullptr;
  }
}

void addContent(xmlNode* parent, const char* name, const Content* content) {
  if (!content || !content->data()) return;
  xmlNode* node = addFreeText(parent, name, content->data());
  if (const char* type = contentTypeName(content->type())) setAttr(node, v::kAttrType, type);
}

// The "mblogreq" block that leads every microblog request.
void addMblogReq(xmlNode* parent, const std::optional<std::string>& token,
                 const std::optional<std::string>& tokenSecret) {
  xmlNode* req = addEmpty(parent, v::kVeskElemMblogreq);
  xmlNode* auth = addEmpty(req, v::kElemAuth);
  if (token) addValue(auth, v::kElemToken, token);
  if (tokenSecret) addValue(auth, v::kElemTokenSecret, tokenSecret);
}

// ---- Documents ----------------------------------------------------------------------------

using Document = XmlDocumentWriter;

// ---- The stored entry element -------------------------------------------------------------

// A cover link: the relation, the link's own attributes, then isdefaultpic always.
void addCoverLink(xmlNode* parent, const char* rel, const Link* link, bool withSelected) {
  if (!link) return;
  xmlNode* node = addLink(parent, rel, *link);
  setFlagAttr(node, v::kAttrIsdefaultpic, link->isdefaultpic());
  if (withSelected) setAttr(node, v::kAttrHrefForSelected, link->hrefForSelected());
}

void addTypedLink(xmlNode* parent, const char* rel, const Link* link) {
  if (link) addLink(parent, rel, *link);
}

void addAuthor(xmlNode* parent, const Author* author) {
  if (!author) return;
  xmlNode* node = addEmpty(parent, v::kElemAuthor);
  if (author->name()) addFreeText(node, v::kElemName, author->name());
  if (author->uri()) addValue(node, v::kElemUri, author->uri());
  if (author->email()) addValue(node, v::kElemEmail, author->email());
  if (author->profile()) addValue(node, v::kElemProfile, author->profile());
  if (author->booksLink()) addLink(node, v::kRelWritedbooks, *author->booksLink());
}

// The style of an entry status: "extend,base". The reader takes the first number as the
// extend style and the second as the base style, so both survive a round trip; a style
// outside 0..11 is left out of its place (the reader then keeps its own value for it).
std::optional<std::string> statusStyle(const VeskEntryStatus& status) {
  const bool extendOk = status.extendStyle() >= 0 && status.extendStyle() <= 11;
  const bool baseOk = status.baseStyle() >= 0 && status.baseStyle() <= 11;
  if (!extendOk && !baseOk) return std::nullopt;
  std::string style;
  if (extendOk) style += formatInt(status.extendStyle());
  style += ',';
  if (baseOk) style += formatInt(status.baseStyle());
  return style;
}

void addEntryStatus(xmlNode* parent, const VeskEntryStatus* status) {
  if (!status) return;
  xmlNode* node = addEmpty(parent, v::kVeskElemEntryStatus);
  setFlagAttr(node, v::kAttrRead, status->read() == 1);
  if (const char* word = VeskEntryStatus::wordForType(status->type())) {
    setAttr(node, v::kAttrType, word);
    if (status->type() == 9) setAttr(node, v::kAttrMultilayer, formatInt(status->multiLayer()));
  }
  setAttr(node, v::kAttrStyle, statusStyle(*status));
}

void addMBlog(xmlNode* parent, const VeskMBlog* mblog) {
  if (!mblog) return;
  xmlNode* layout = addEmpty(addEmpty(parent, v::kVeskElemMblog), v::kElemLayout);
  if (const Link* link = mblog->layoutLink().get()) {
    xmlNode* node = addEmpty(layout, v::kElemLink);
    setAttr(node, v::kAttrRel, link->rel());
    setAttr(node, v::kAttrHref, link->href());
    setAttr(node, v::kAttrTitle, link->title());
  }
  for (auto [name, user] : {std::pair{v::kElemUser, mblog->layoutUser().get()},
                            std::pair{v::kElemRetweeted, mblog->layoutRetweeted().get()}}) {
    if (!user) continue;
    xmlNode* node = addEmpty(layout, name);
    setAttr(node, v::kAttrName, user->name());
    setAttr(node, v::kAttrProfileImgUrl, user->profile_img_url());
  }
}

void addBook(xmlNode* parent, const VeskBook* book) {
  if (!book) return;
  xmlNode* node = addEmpty(parent, v::kVeskElemBook);
  if (book->translator()) addValue(node, v::kElemTranslator, book->translator());
  if (book->publisher()) addValue(node, v::kElemPublisher, book->publisher());
  if (book->date()) addValue(node, v::kElemDate, book->date());
  addValue(node, v::kElemPrice, formatFixed(book->price(), 6, 0));
  addValue(node, v::kElemPages, formatInt(book->pages()));
  if (book->binding()) addValue(node, v::kElemBinding, book->binding());
  if (book->isbn()) addValue(node, v::kElemIsbn, book->isbn());
  addValue(node, v::kElemVip, formatInt(book->vip()));
  addValue(node, v::kElemPayment, formatInt(book->payment()));
  addValue(node, v::kElemIntegrity, formatInt(book->integrity()));
  if (const Link* link = book->hardCopyLink().get()) {
    xmlNode* ln = addLink(node, link->rel(), *link);
    setAttr(ln, v::kAttrVendor, link->vendor());
  }
  if (book->updated() != 0) addValue(node, v::kElemUpdated, formatTime(book->updated()));
}

void addBookReviews(xmlNode* parent, const VeskBookReviews* reviews) {
  if (!reviews) return;
  xmlNode* node = addEmpty(parent, v::kVeskElemBookreviews);
  if (!reviews->bookReviews()) return;
  for (const auto& review : *reviews->bookReviews()) {
    if (!review) continue;
    xmlNode* rn = addEmpty(node, v::kElemBookreview);
    if (review->comment()) {
      setAttr(addFreeText(rn, v::kElemContent, review->comment()), v::kAttrType, review->type());
    }
    if (review->link()) addLink(rn, review->link()->rel(), *review->link());
  }
}

XmlNodePtr buildEntryNode(const Entry& e) {
  XmlNodePtr holder(W::newElement(v::kElemEntry));
  xmlNode* n = holder.get();
  declareVesk(n);

  if (e.title()) addFreeText(n, v::kElemTitle, e.title());
  addValue(n, v::kElemId, e.entryId());
  if (e.subtitle()) addValue(n, v::kElemSubtitle, e.subtitle());
  if (e.summary()) addFreeText(n, v::kElemSummary, e.summary());
  addContent(n, v::kElemContent, e.content().get());
  addContent(n, v::kVeskElemPagedcontent, e.veskPagedcontent().get());

  addTypedLink(n, v::kRelAlternate, e.alternatelink().get());
  addCoverLink(n, v::kRelCoverImageVertical, e.coverImageVerticalLink().get(), false);
  addCoverLink(n, v::kRelCoverImageHorizontal, e.coverImageHorizontalLink().get(), false);
  addCoverLink(n, v::kRelStanzaCoverImage, e.coverImageLink().get(), true);
  if (const Link* thumb = e.coverImageThumbnailLink().get()) {
    setAttr(addLink(n, v::kRelStanzaCoverImageThumbnail, *thumb), v::kAttrHrefForSelected,
            thumb->hrefForSelected());
  }
  addTypedLink(n, v::kRelBuy, e.buyLink().get());
  addTypedLink(n, v::kRelEdit, e.editLink().get());
  addTypedLink(n, v::kRelEditMedia, e.editMediaLink().get());
  addTypedLink(n, v::kRelRelated, e.relatedLink().get());
  addTypedLink(n, v::kRelComments, e.commentsLink().get());
  if (e.links()) {
    for (const auto& link : *e.links()) {
      if (link) addLink(n, link->rel(), *link);
    }
  }

  if (const EntryCategory* c = e.category().get()) {
    xmlNode* node = addEmpty(n, v::kElemCategory);
    setAttr(node, v::kAttrTerm, c->term());
    setAttr(node, v::kAttrLabel, c->label());
    setFlagAttr(node, v::kAttrGetnext, c->getnext());
  }
  addAuthor(n, e.author().get());

  if (const VeskRanking* r = e.veskRanking().get()) {
    xmlNode* node = addEmpty(n, v::kVeskElemRanking);
    setPositiveAttr(node, v::kAttrMinValue, r->minValue());
    setPositiveAttr(node, v::kAttrMaxValue, r->maxValue());
    if (r->value() > 0) setAttr(node, v::kAttrValue, formatFixed(r->value(), 1, 3));
    setPositiveAttr(node, v::kAttrTimes, r->times());
    setAttr(node, v::kAttrTitle, r->title());
    setAttr(node, v::kAttrHref, r->href());
  }
  if (const VeskAssess* a = e.veskAssess().get()) {
    xmlNode* node = addEmpty(n, v::kVeskElemAssess);
    setAttr(node, v::kAttrTitle, a->title());
    setPositiveAttr(node, v::kAttrMinLength, a->minLength());
    setPositiveAttr(node, v::kAttrMaxLength, a->maxLength());
    setPositiveAttr(node, v::kAttrTimes, a->times());
    setAttr(node, v::kAttrHref, a->href());
    setAttr(node, v::kAttrType, a->type());
  }
  if (const VeskSubscribe* s = e.veskSubscribe().get()) {
    xmlNode* node = addEmpty(n, v::kVeskElemSubscribe);
    setFlagAttr(node, v::kAttrSubscribable, s->subscribable());
    if (s->subscribed() == 0 || s->subscribed() == 1) {
      setFlagAttr(node, v::kAttrSubscribed, s->subscribed() == 1);
    }
    setPositiveAttr(node, v::kAttrTimes, s->times());
    setAttr(node, v::kAttrUpdatefrequency, s->updateFrequency());
  }
  if (const VeskThumbnail* t = e.veskThumbnail().get()) {
    xmlNode* node = addEmpty(n, v::kVeskElemImageThumbnail);
    setAttr(node, v::kAttrType, t->type());
    setAttr(node, v::kAttrHref, t->href());
    setPositiveAttr(node, v::kAttrWidth, t->width());
    setPositiveAttr(node, v::kAttrHeight, t->height());
  }
  if (const VeskBump* b = e.veskBump().get()) {
    xmlNode* node = addEmpty(n, v::kVeskElemBump);
    setAttr(node, v::kAttrAction, b->action() ? v::kBumpUp : v::kBumpDown);
    setPositiveAttr(node, v::kAttrTimes, b->times());
    setAttr(node, v::kAttrHref, b->href());
  }
  if (const VeskSharing* s = e.veskSharing().get()) {
    xmlNode* node = addEmpty(n, v::kVeskElemSharing);
    setAttr(node, v::kAttrAction, s->action());
    setPositiveAttr(node, v::kAttrTimes, s->times());
    setAttr(node, v::kAttrHref, s->href());
  }
  if (const VeskSync* s = e.veskSync().get()) {
    setPositiveAttr(addEmpty(n, v::kVeskElemSync), v::kAttrInterval, s->interval());
  }
  addEntryStatus(n, e.veskEntryStatus().get());
  if (const VeskCustomization* c = e.veskCustomization().get()) {
    xmlNode* node = addEmpty(n, v::kVeskElemCustomization);
    setAttr(node, v::kAttrType, c->type());
    setAttr(node, v::kAttrId, c->id());
  }
  addMBlog(n, e.veskMBlog().get());

  if (const auto* column = dynamic_cast<const Column*>(&e); column && column->latestaid()) {
    addValue(n, v::kElemLatestaid, column->latestaid());
  }
  if (const auto* summary = dynamic_cast<const NewsSummary*>(&e);
      summary && summary->videoDuration()) {
    setPositiveAttr(addEmpty(n, v::kElemVideoDuration), v::kAttrValue,
                    summary->videoDuration()->value());
  }
  if (const XCoverImageDuration* d = e.xCoverImageDuration().get()) {
    setPositiveAttr(addEmpty(n, v::kElemXCoverImageDuration), v::kAttrValue, d->value());
  }
  if (e.updated() > 0) addValue(n, v::kElemUpdated, formatTime(e.updated()));

  addTypedLink(n, v::kRelCatalog, e.catalogLink().get());
  addTypedLink(n, v::kRelBookDetail, e.bookDetailLink().get());
  addTypedLink(n, v::kRelBookreview, e.bookReviewLink().get());
  addTypedLink(n, v::kRelBookContent, e.bookContentLink().get());
  addTypedLink(n, v::kRelVeskExtra, e.veskBookExtraLink().get());
  addBook(n, e.veskBook().get());
  addBookReviews(n, e.veskBookReviews().get());
  return holder;
}

// ---- Shared pieces of the comment family --------------------------------------------------

// The root "entry" of a comment-like document with ["title"], "id", ["updated"], ["author"],
// ["content"].
Document commentDocument(const std::optional<std::string>& title,
                         const std::optional<std::string>& entryId, int64_t updated,
                         const std::optional<std::string>& authorName,
                         const std::optional<std::string>& content) {
  Document doc(v::kElemEntry);
  xmlNode* root = doc.root();
  declareAtomAndVesk(root);
  if (title) addFreeText(root, v::kElemTitle, title);
  addValue(root, v::kElemId, entryId);
  if (updated > 0) addValue(root, v::kElemUpdated, formatTime(updated));
  if (authorName) addFreeText(addEmpty(root, v::kElemAuthor), v::kElemName, authorName);
  if (content) addFreeText(root, v::kElemContent, content);
  return doc;
}

void addMinMaxLimits(xmlNode* node, const MinMaxValue& value) {
  setPositiveAttr(node, v::kAttrMinLength, value.minLength());
  setPositiveAttr(node, v::kAttrMaxLength, value.maxLength());
}

// Whether a profile value is written: only one that has a value, since an empty element would
// clear the value on the service; the local copy also keeps a value-less one whose limits it
// must remember.
bool writesMinMax(const MinMaxValue* value, bool withLimits) {
  if (!value) return false;
  if (value->value()) return true;
  return withLimits && (value->minLength() > 0 || value->maxLength() > 0);
}

// The profile documents; `withLimits` writes the length and count limits (the local copy).
Bytes userInfoDocument(const UserInfo& info, bool withLimits) {
  Document doc(v::kElemUserinfo);
  xmlNode* root = doc.root();
  if (info.type()) {
    setAttr(root, v::kAttrType, *info.type());
  } else if (!withLimits) {
    setAttr(root, v::kAttrType, v::kUserinfoTypeUpdate);
  }
  if (const Icon* icon = info.icon().get()) {
    xmlNode* node = addEmpty(root, v::kElemIcon);
    setAttr(node, v::kAttrType, icon->type());
    setAttr(node, v::kAttrHref, icon->href());
  }
  if (const MinMaxValue* name = info.name().get(); writesMinMax(name, withLimits)) {
    xmlNode* node = addFreeText(root, v::kElemName, name->value());
    if (withLimits) addMinMaxLimits(node, *name);
  }
  if (const MinMaxValue* email = info.email().get(); writesMinMax(email, withLimits)) {
    xmlNode* node = addValue(root, v::kElemEmail, email->value());
    if (withLimits) addMinMaxLimits(node, *email);
  }
  if (info.gender() == 0) addValue(root, v::kElemGender, std::string_view(v::kGenderMale));
  if (info.gender() == 1) addValue(root, v::kElemGender, std::string_view(v::kGenderFemale));
  if (const MinMaxValue* intro = info.introduction().get(); writesMinMax(intro, withLimits)) {
    xmlNode* node = addFreeText(root, v::kElemIntroduction, intro->value());
    if (withLimits) addMinMaxLimits(node, *intro);
  }
  if (const Label* labels = info.labels().get()) {
    xmlNode* node = addEmpty(root, v::kElemLabels);
    if (withLimits) {
      setPositiveAttr(node, v::kAttrMaxLength, labels->maxLength());
      setPositiveAttr(node, v::kAttrMaxCount, labels->maxCount());
    }
    if (labels->labelItems()) {
      for (const auto& item : *labels->labelItems()) addValue(node, v::kElemLabel, item);
    }
  }
  if (info.updated() != 0) addValue(root, v::kElemUpdated, formatTime(info.updated()));
  return doc.serialise();
}

}  // namespace

// ---- Subscriptions --------------------------------------------------------------------------

std::optional<Bytes> VESKAtomBuilder::allocAddOrUpdateSubscriptionXML(const Text& title,
                                                                      const Text& entryId,
                                                                      const Text& devinfo) {
  return allocAddOrUpdateSubscriptionXML(title, entryId, nullptr, devinfo);
}

std::optional<Bytes> VESKAtomBuilder::allocAddOrUpdateSubscriptionXML(
    const Text& title, const Text& entryId, const VeskCustomization* customization,
    const Text& devinfo) {
  if (!title || !entryId) {
    VESKLogImpl("VESKAtomBuilder: allocAddOrUpdateSubscriptionXML entryId not specified");
    return std::nullopt;
  }
  Document doc(v::kElemFeed);
  declareVesk(doc.root());
  xmlNode* entry = addEmpty(doc.root(), v::kElemEntry);
  addFreeText(entry, v::kElemTitle, title);
  if (customization) {
    xmlNode* node = addEmpty(entry, v::kVeskElemCustomization);
    setAttr(node, v::kAttrType, customization->type());
    setAttr(node, v::kAttrId, customization->id());
  }
  addValue(entry, v::kElemId, entryId);
  addDevinfo(entry, devinfo);
  return doc.serialise();
}

std::optional<Bytes> VESKAtomBuilder::allocAddOrUpdateSubscriptionXML(const EntryList& entries) {
  if (!entries) {
    VESKLogImpl("VESKAtomBuilder: allocAddOrUpdateSubscriptionXML entry not specified");
    return std::nullopt;
  }
  Document doc(v::kElemFeed);
  declareVesk(doc.root());
  for (const auto& e : *entries) {
    xmlNode* entry = addEmpty(doc.root(), v::kElemEntry);
    addFreeText(entry, v::kElemTitle, e ? e->title() : std::nullopt);
    addValue(entry, v::kElemId, e ? e->entryId() : std::nullopt);
  }
  return doc.serialise();
}

std::optional<Bytes> VESKAtomBuilder::allocDeleteSubscriptionXML(const Text& entryId) {
  if (!entryId) {
    VESKLogImpl("VESKAtomBuilder: allocDeleteSubscriptionXML entryId not specified");
    return std::nullopt;
  }
  Document doc(v::kElemFeed);
  addValue(addEmpty(doc.root(), v::kElemEntry), v::kElemId, entryId);
  return doc.serialise();
}

std::optional<Bytes> VESKAtomBuilder::allocDeleteSubscriptionBatchXML(const TextList& entryIds) {
  if (!entryIds) {
    VESKLogImpl("VESKAtomBuilder: allocDeleteSubscriptionBatchXML entryIdArray not specified");
    return std::nullopt;
  }
  Document doc(v::kElemFeed);
  for (const auto& id : *entryIds) addValue(addEmpty(doc.root(), v::kElemEntry), v::kElemId, id);
  return doc.serialise();
}

// ---- Comment family -------------------------------------------------------------------------

std::optional<Bytes> VESKAtomBuilder::allocPostCommentXML(const Text& title, const Text& entryId,
                                                          int64_t updated,
                                                          const Text& authorName,
                                                          const Text& content,
                                                          const Text& devinfo) {
  if (!entryId) {
    VESKLogImpl("VESKAtomBuilder: allocPostCommentXML nodeEntry not specified");
    return std::nullopt;
  }
  Document doc = commentDocument(title, entryId, updated, authorName, content);
  addDevinfo(doc.root(), devinfo);
  return doc.serialise();
}

std::optional<Bytes> VESKAtomBuilder::allocModifyCommentXML(const Text& title,
                                                            const Text& entryId, int64_t updated,
                                                            const Text& authorName,
                                                            const Text& content,
                                                            const Text& editHref,
                                                            const Text& devinfo) {
  if (!entryId) {
    VESKLogImpl("VESKAtomBuilder: allocModifyCommentXML nodeEntry not specified");
    return std::nullopt;
  }
  Document doc = commentDocument(title, entryId, updated, authorName, content);
  addDevinfo(doc.root(), devinfo);
  xmlNode* link = addEmpty(doc.root(), v::kElemLink);
  setAttr(link, v::kAttrRel, v::kRelEdit);
  setAttr(link, v::kAttrHref, editHref);
  return doc.serialise();
}

std::optional<Bytes> VESKAtomBuilder::allocPostRankingXML(const Text& title, const Text& entryId,
                                                          int64_t updated,
                                                          const Text& authorName,
                                                          const Text& content, float rating,
                                                          const Text& devinfo) {
  if (!entryId) {
    VESKLogImpl("VESKAtomBuilder: allocPostRankingXML entryId not specified");
    return std::nullopt;
  }
  Document doc = commentDocument(title, entryId, updated, authorName, content);
  if (rating >= 0) {  // false for NaN as well
    setAttr(addEmpty(doc.root(), v::kVeskElemRanking), v::kAttrValue,
            formatFixed(rating, 1, 3));
  }
  addDevinfo(doc.root(), devinfo);
  return doc.serialise();
}

std::optional<Bytes> VESKAtomBuilder::allocPostBumpXML(const Text& title, const Text& entryId,
                                                       int64_t updated, const Text& authorName,
                                                       const Text& content, bool up,
                                                       const Text& devinfo) {
  if (!entryId) {
    VESKLogImpl("VESKAtomBuilder: allocPostBumpXML entryId not specified");
    return std::nullopt;
  }
  Document doc = commentDocument(title, entryId, updated, authorName, content);
  setAttr(addEmpty(doc.root(), v::kVeskElemBump), v::kAttrAction,
          up ? v::kBumpUp : v::kBumpDown);
  addDevinfo(doc.root(), devinfo);
  return doc.serialise();
}

std::optional<Bytes> VESKAtomBuilder::allocPostSharingXML(const Text& title, const Text& entryId,
                                                          int64_t updated,
                                                          const Text& authorName,
                                                          const Text& content,
                                                          const Text& action) {
  if (!entryId) {
    VESKLogImpl("VESKAtomBuilder: allocPostSharingXML entryId not specified");
    return std::nullopt;
  }
  Document doc = commentDocument(title, entryId, updated, authorName, content);
  if (action) setAttr(addEmpty(doc.root(), v::kVeskElemSharing), v::kAttrAction, *action);
  return doc.serialise();
}

std::optional<Bytes> VESKAtomBuilder::allocReportIllegalToXML(const Text& title,
                                                              const Text& entryId,
                                                              int64_t updated,
                                                              const Text& content,
                                                              const Text& devinfo) {
  if (!entryId) {
    VESKLogImpl("VESKAtomBuilder: allocReportIllegalToXML entryId not specified");
    return std::nullopt;
  }
  Document doc(v::kElemFeed);
  declareAtomAndVesk(doc.root());
  xmlNode* entry = addEmpty(doc.root(), v::kElemEntry);
  if (title) addFreeText(entry, v::kElemTitle, title);
  addValue(entry, v::kElemId, entryId);
  if (updated > 0) addValue(entry, v::kElemUpdated, formatTime(updated));
  if (content) addFreeText(entry, v::kElemContent, content);
  addDevinfo(doc.root(), devinfo);
  return doc.serialise();
}

// ---- Entries and feeds ----------------------------------------------------------------------

Bytes VESKAtomBuilder::allocFeedToXML(const Feed* feed) {
  Document doc(v::kElemFeed);
  if (!feed) return doc.serialise();
  if (feed->entrys()) {
    for (const auto& entry : *feed->entrys()) {
      if (!entry) continue;
      xmlAddChild(doc.root(), buildEntryNode(*entry).release());
    }
  }
  if (const VeskStatControl* control = feed->veskStatControl().get()) {
    // The root declares the prefix of its own product child (each entry declares its own).
    declareVesk(doc.root());
    xmlNode* node = addEmpty(doc.root(), v::kVeskElemStatcontrol);
    if (control->c()) {
      for (const auto& c : *control->c()) {
        if (!c) continue;
        xmlNode* cn = addEmpty(node, v::kElemStatC);
        if (c->k() != 0) setAttr(cn, v::kAttrK, formatInt(c->k()));
        if (c->v() != 0) setAttr(cn, v::kAttrV, formatInt(c->v()));
      }
    }
  }
  return doc.serialise();
}

XmlNodePtr VESKAtomBuilder::allocEntryToXMLNode(const Entry* entry) {
  if (!entry) {
    VESKLogImpl("VESKAtomBuilder: allocEntryToXML nodeEntry not specified");
    return nullptr;
  }
  return buildEntryNode(*entry);
}

std::optional<Bytes> VESKAtomBuilder::allocEntryToXML(const Entry* entry) {
  XmlNodePtr node = allocEntryToXMLNode(entry);
  if (!node) return std::nullopt;
  return Document(std::move(node)).serialise();
}

// ---- User profile ---------------------------------------------------------------------------

std::optional<Bytes> VESKAtomBuilder::allocUpdateUserInfoXML(const UserInfo* userInfo) {
  if (!userInfo) {
    VESKLogImpl("VESKAtomBuilder: allocUpdateUserInfoXML nodeUserInfo not specified");
    return std::nullopt;
  }
  return userInfoDocument(*userInfo, false);
}

std::optional<Bytes> VESKAtomBuilder::allocUserinfoToXML(const UserInfo* userInfo) {
  if (!userInfo) {
    VESKLogImpl("VESKAtomBuilder: allocUserinfoToXML nodeUserInfo not specified");
    return std::nullopt;
  }
  return userInfoDocument(*userInfo, true);
}

std::optional<Bytes> VESKAtomBuilder::allocModifyPasswordXML(const Text& oldPassword,
                                                             const Text& newPassword) {
  if (!oldPassword || !newPassword) {
    VESKLogImpl(
        "VESKAtomBuilder: allocModifyPasswordXML oldPassword or newPassword not specified");
    return std::nullopt;
  }
  Document doc(v::kElemUserinfo);
  setAttr(doc.root(), v::kAttrType, v::kUserinfoTypeModifyPassword);
  addValue(doc.root(), v::kElemOld, oldPassword);
  addValue(doc.root(), v::kElemNew, newPassword);
  return doc.serialise();
}

// ---- Microblog requests ---------------------------------------------------------------------

Bytes VESKAtomBuilder::allocPostMblogReqXML(const Text& token, const Text& tokenSecret) {
  Document doc(v::kElemFeed);
  declareVesk(doc.root());
  addMblogReq(doc.root(), token, tokenSecret);
  return doc.serialise();
}

Bytes VESKAtomBuilder::allocPostMblogReqWithIdXML(const Text& token, const Text& tokenSecret,
                                                  const Text& entryId) {
  Document doc(v::kElemFeed);
  declareVesk(doc.root());
  addMblogReq(doc.root(), token, tokenSecret);
  addValue(addEmpty(doc.root(), v::kElemEntry), v::kElemId, entryId);
  return doc.serialise();
}

Bytes VESKAtomBuilder::allocAddIndividualMBlogXML(const Text& token, const Text& tokenSecret,
                                                  const Text& entryId,
                                                  const Text& customizationType) {
  Document doc(v::kElemFeed);
  declareVesk(doc.root());
  addMblogReq(doc.root(), token, tokenSecret);
  xmlNode* entry = addEmpty(doc.root(), v::kElemEntry);
  addValue(entry, v::kElemId, entryId);
  addValue(addEmpty(entry, v::kVeskElemCustomization), v::kElemType,
           customizationType);
  return doc.serialise();
}

Bytes VESKAtomBuilder::allocAddCustomMBlogXML(const Text& token, const Text& tokenSecret,
                                              const Text& title, const Text& entryId,
                                              const Text& customizationType,
                                              const Text& customizationId) {
  Document doc(v::kElemFeed);
  declareVesk(doc.root());
  addMblogReq(doc.root(), token, tokenSecret);
  xmlNode* entry = addEmpty(doc.root(), v::kElemEntry);
  if (entryId) addValue(entry, v::kElemId, entryId);
  if (title) addFreeText(entry, v::kElemTitle, title);
  if (customizationType || customizationId) {
    xmlNode* node = addEmpty(entry, v::kVeskElemCustomization);
    setAttr(node, v::kAttrType, customizationType);
    setAttr(node, v::kAttrId, customizationId);
  }
  return doc.serialise();
}

Bytes VESKAtomBuilder::allocMBlogGetCommentXML(const Text& token, const Text& tokenSecret) {
  Document doc(v::kElemEntry);
  declareVesk(doc.root());
  addMblogReq(doc.root(), token, tokenSecret);
  return doc.serialise();
}

Bytes VESKAtomBuilder::allocMBlogPostCommentXML(const Text& token, const Text& tokenSecret,
                                                const Text& entryId, const Text& commentId,
                                                int64_t updated, const Text& authorName,
                                                const Text& content) {
  Document doc(v::kElemEntry);
  xmlNode* root = doc.root();
  declareVesk(root);
  addMblogReq(root, token, tokenSecret);
  addValue(root, v::kElemId, entryId);
  addValue(root, v::kElemCid, commentId);
  addValue(root, v::kElemUpdated, formatTime(updated));
  addFreeText(addEmpty(root, v::kElemAuthor), v::kElemName, authorName);
  addFreeText(root, v::kElemContent, content);
  return doc.serialise();
}

Bytes VESKAtomBuilder::allocMBlogDomainRetweetXML(const Text& token, const Text& tokenSecret,
                                                  const Text& entryId, const Text& content,
                                                  int32_t isComment) {
  Document doc(v::kElemFeed);
  declareVesk(doc.root());
  addMblogReq(doc.root(), token, tokenSecret);
  xmlNode* entry = addEmpty(doc.root(), v::kElemEntry);
  if (entryId) addValue(entry, v::kElemId, entryId);
  setAttr(addFreeText(entry, v::kElemContent, content), v::kAttrType, v::kContentKindText);
  addValue(entry, v::kElemIsComment, formatInt(isComment));
  return doc.serialise();
}

// ---- Other documents ------------------------------------------------------------------------

Bytes VESKAtomBuilder::allocQueryCommentXML(int32_t limit) {
  Document doc(v::kElemComment);
  addValue(doc.root(), v::kElemLimits, formatInt(limit));
  return doc.serialise();
}

Bytes VESKAtomBuilder::allocOfflineReportToXML(const Text& account, const Text& uniqueId,
                                               const Text& os, const Text& osVersion,
                                               const Text& clientVersion, int32_t network,
                                               const TextList& sources, int32_t hideTimes,
                                               int32_t result) {
  Document doc(v::kElemReports);
  xmlNode* root = doc.root();
  if (account) addValue(root, v::kElemAccount, account);
  if (uniqueId) addValue(root, v::kElemId, uniqueId);
  if (os) addValue(root, v::kElemOs, os);
  if (osVersion) addValue(root, v::kElemOsVersion, osVersion);
  if (clientVersion) addValue(root, v::kElemVer, clientVersion);
  addValue(root, v::kElemProduct, std::string_view(v::kProductToken));
  xmlNode* report = addEmpty(root, v::kElemOfflineReport);
  addValue(report, v::kElemNet, formatInt(network));
  if (sources && !sources->empty()) {
    xmlNode* node = addEmpty(report, v::kElemSources);
    for (const auto& source : *sources) addValue(node, v::kElemSource, source);
  }
  addValue(addEmpty(report, v::kElemHide), v::kElemTimes, formatInt(hideTimes));
  addValue(report, v::kElemResult, formatInt(result));
  return doc.serialise();
}

std::string VESKAtomBuilder::allocVeskAppRecommendToXML(const VeskAppRecommend* recommend) {
  Document doc(v::kVeskElemAppRecommend);
  if (recommend) {
    if (recommend->updated() != 0) {
      setAttr(doc.root(), v::kAttrUpdated, formatTime(recommend->updated()));
    }
    if (recommend->veskApps()) {
      for (const auto& app : *recommend->veskApps()) {
        if (!app) continue;
        xmlNode* node = addValue(doc.root(), v::kElemApp, app->data());
        setAttr(node, v::kAttrTitle, app->title());
        setAttr(node, v::kAttrHref, app->href());
        setAttr(node, v::kAttrImg, app->img());
      }
    }
  }
  return doc.serialiseRootIndented();
}

std::optional<Bytes> VESKAtomBuilder::allocSaveSubSequenceToXML(const TextList& columnIds) {
  if (!columnIds) {
    VESKLogImpl("VESKAtomBuilder: allocSaveSubSequenceToXML entryIdArray not specified");
    return std::nullopt;
  }
  Document doc(v::kElemSubSources);
  for (const auto& id : *columnIds) addValue(doc.root(), v::kElemId, id);
  const std::string text = doc.serialiseRootIndented();
  return Bytes(text.begin(), text.end());
}

Bytes VESKAtomBuilder::allocStaticsReportErrorsXML(const Text& code, const Text& href,
                                                   const Text& text) {
  Document doc(v::kElemErrors);
  xmlNode* http = addValue(doc.root(), v::kElemHttp, text);
  setAttr(http, v::kAttrCode, code);
  setAttr(http, v::kAttrHref, href);
  return doc.serialise();
}

void VESKAtomBuilder::failWithErrorCode(int32_t /*code*/, const std::string& description) {
  throw VESKAtomBuilderException(description);
}

}  // namespace zu
