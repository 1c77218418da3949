#include "model/atom/VESKAtomParser.h"

#include <libxml/xpath.h>
#include <strings.h>

#include <cstring>
#include <utility>

#include "model/entry/Entry.h"
#include "model/entry/Feed.h"
#include "model/entry/NewsDetail.h"
#include "model/columns/UserInfo.h"
#include "model/service/VeskFavorite.h"
#include "model/atom/Vocabulary.h"
#include "model/atom/AtomParseUtil.h"

namespace zu {

namespace {

using U = AtomParseUtil;

// Reads the document and hands its root element to `parse`; the tree is freed on return.
template <typename F>
auto withRoot(std::string_view data, F parse) -> decltype(parse(nullptr)) {
  XmlDocPtr doc = U::readDocument(data);
  if (!doc) return {};
  const xmlNode* root = xmlDocGetRootElement(doc.get());
  if (!root) return {};
  return parse(root);
}

// The element nodes an XPath expression selects in the document, in document order.
std::vector<const xmlNode*> selectNodes(xmlXPathContext* ctx, const char* expression) {
  std::vector<const xmlNode*> nodes;
  XmlXPathObjectPtr result(xmlXPathEvalExpression(xmlChars(expression), ctx));
  if (!result || !result->nodesetval) return nodes;
  const xmlNodeSet* set = result->nodesetval;
  for (int i = 0; i < set->nodeNr; ++i) {
    if (set->nodeTab[i]->type == XML_ELEMENT_NODE) nodes.push_back(set->nodeTab[i]);
  }
  return nodes;
}

bool hasName(const xmlNode* node, const char* name) {
  return strcasecmp(U::name(node), name) == 0;
}

// The node's attribute resolved against the page's base; nullopt when it has none.
std::optional<std::string> resolvedAttribute(const xmlNode* node, const char* attribute) {
  XmlCharPtr value(xmlGetProp(node, xmlChars(attribute)));
  if (!value) return std::nullopt;
  return assembleHrefWithXMLBASE(node, xmlText(value));
}

constexpr char kImagesXPath[] = "//img[@src]";
constexpr char kCssJsXPath[] = "//link[@type='text/css'] | //script[@type='text/javascript']";

}  // namespace

std::shared_ptr<Feed> VESKAtomParser::allocParseFeed(std::string_view data, int32_t kind,
                                                     BookSectionSource* books) {
  // A feed may hold thousands of entries: each is made into its object and freed before the
  // next one is read.
  auto feed = std::make_shared<Feed>();
  const bool read = U::readRootChildren(data, [&](const xmlNode* child) {
    VESKAtomDataStuffer::fillFeedByParseChildNode(*feed, child, kind);
  });
  if (!read) return nullptr;
  VESKAtomDataStuffer::finishFeed(*feed, kind, books);
  return feed;
}

std::shared_ptr<Entry> VESKAtomParser::allocParseEntry(std::string_view data, int32_t kind) {
  return withRoot(data, [&](const xmlNode* root) {
    return VESKAtomDataStuffer::newEntryByParseNode(root, kind);
  });
}

std::shared_ptr<UserInfo> VESKAtomParser::allocParseUserinfo(std::string_view data) {
  return withRoot(data, [](const xmlNode* root) {
    return VESKAtomDataStuffer::newUserInfoByParseNode(root);
  });
}

std::shared_ptr<ResultInfo> VESKAtomParser::allocParseResultInfo(std::string_view data) {
  return withRoot(data, [](const xmlNode* root) {
    return VESKAtomDataStuffer::newResultInfoByParseNode(root);
  });
}

std::optional<std::vector<std::shared_ptr<Link>>> VESKAtomParser::allocParseLinksInFeed(
    std::string_view data) {
  return withRoot(data, [](const xmlNode* root) {
    return std::optional<std::vector<std::shared_ptr<Link>>>(
        VESKAtomDataStuffer::newObjectByParseNodeAsLinksArray(root));
  });
}

std::shared_ptr<Feed> VESKAtomParser::allocParseGetServiceUrlFeed(std::string_view data) {
  return withRoot(data, [](const xmlNode* root) {
    return VESKAtomDataStuffer::newObjectByParseNodeGetServiceUrl(root);
  });
}

bool VESKAtomParser::allocParseUserSubSummary(std::string_view data,
                                              std::shared_ptr<UserInfo>* userInfo,
                                              std::shared_ptr<VeskFavorite>* favorite,
                                              std::vector<std::shared_ptr<Entry>>* entries,
                                              int64_t* subseqUpdated) {
  std::shared_ptr<UserInfo> foundUser;
  std::shared_ptr<VeskFavorite> foundFavorite;
  std::vector<std::shared_ptr<Entry>> foundEntries;
  foundEntries.reserve(100);
  int64_t foundTime = 0;
  const bool read = U::readRootChildren(data, [&](const xmlNode* c) {
    if (U::isElement(c, vocab::kElemUserinfo)) {
      foundUser = VESKAtomDataStuffer::newUserInfoByParseNode(c);
    } else if (U::isElement(c, vocab::kElemEntry)) {
      foundEntries.push_back(VESKAtomDataStuffer::newEntryByParseNode(c, kEntryKindColumn));
    } else if (U::isElement(c, vocab::kElemFavorite)) {
      foundFavorite = VESKAtomDataStuffer::newVeskFavoriteByParseNode(c);
    } else if (U::isElement(c, vocab::kElemSubseqUpdated)) {
      if (const char* t = U::firstText(c)) foundTime = U::toTime(t);
    }
  });
  if (!read || !foundUser) return false;
  if (userInfo) *userInfo = std::move(foundUser);
  if (favorite) *favorite = std::move(foundFavorite);
  if (entries) *entries = std::move(foundEntries);
  if (subseqUpdated) *subseqUpdated = foundTime;
  return true;
}

std::shared_ptr<NewsDetail> VESKAtomParser::allocParseNewsDetailDynamicEntry(
    std::string_view data) {
  return withRoot(data, [](const xmlNode* root) {
    return std::static_pointer_cast<NewsDetail>(
        VESKAtomDataStuffer::newEntryByParseNode(root, kEntryKindNewsDetail));
  });
}

std::shared_ptr<VeskAppRecommend> VESKAtomParser::allocParseVeskAppRecommend(
    std::string_view xml) {
  return withRoot(xml, [](const xmlNode* root) {
    return VESKAtomDataStuffer::newVeskAppRecommendByParseNode(root);
  });
}

std::shared_ptr<Fonts> VESKAtomParser::allocParseFonts(std::string_view data) {
  return withRoot(data, [](const xmlNode* root) {
    return VESKAtomDataStuffer::newFontsByParseNode(root);
  });
}

std::shared_ptr<Chapter> VESKAtomParser::allocParseChapter(std::string_view data) {
  return withRoot(data, [](const xmlNode* root) {
    return VESKAtomDataStuffer::newChapterByParseNode(root);
  });
}

std::shared_ptr<Ads> VESKAtomParser::allocParseAds(std::string_view data) {
  return withRoot(data, [](const xmlNode* root) {
    return VESKAtomDataStuffer::newAdsByParseNode(root);
  });
}

std::optional<std::string> VESKAtomParser::allocParseShortUrl(std::string_view data) {
  return withRoot(data, [](const xmlNode* root) -> std::optional<std::string> {
    if (!U::isElement(root, vocab::kElemShortUrl)) return std::nullopt;
    if (const char* t = U::firstText(root)) return std::string(t);
    return std::nullopt;
  });
}

bool VESKAtomParser::allocParseImgUrlWithAttachinHtml(std::string_view html,
                                                      std::vector<std::string>* images,
                                                      std::vector<std::string>* cssJs) {
  XmlDocPtr doc = U::readHtmlDocument(html);
  if (!doc) return false;
  XmlXPathContextPtr ctx(xmlXPathNewContext(doc.get()));
  if (!ctx) return false;
  std::vector<std::string> pictures;
  for (const xmlNode* node : selectNodes(ctx.get(), kImagesXPath)) {
    if (!hasName(node, "img")) continue;
    if (auto src = resolvedAttribute(node, "src")) pictures.push_back(std::move(*src));
  }
  std::vector<std::string> attachments;
  for (const xmlNode* node : selectNodes(ctx.get(), kCssJsXPath)) {
    std::optional<std::string> address;
    if (hasName(node, "script")) {
      address = resolvedAttribute(node, "src");
    } else if (hasName(node, "link")) {
      address = resolvedAttribute(node, "href");
    }
    if (address) attachments.push_back(std::move(*address));
  }
  if (images) *images = std::move(pictures);
  if (cssJs) *cssJs = std::move(attachments);
  return true;
}

std::optional<std::vector<std::string>> VESKAtomParser::allocParseImgUrlinHtml(
    std::string_view html) {
  XmlDocPtr doc = U::readHtmlDocument(html);
  if (!doc) return std::nullopt;
  XmlXPathContextPtr ctx(xmlXPathNewContext(doc.get()));
  if (!ctx) return std::nullopt;
  std::vector<std::string> addresses;
  for (const xmlNode* node : selectNodes(ctx.get(), kImagesXPath)) {
    if (hasName(node, "img")) {
      if (auto src = resolvedAttribute(node, "src")) addresses.push_back(std::move(*src));
    }
  }
  if (addresses.empty()) return std::nullopt;
  return addresses;
}

}  // namespace zu
