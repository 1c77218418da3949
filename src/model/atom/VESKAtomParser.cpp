#include "model/atom/VESKAtomParser.h"

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

// Every element of the page in document order (the order "//name" selects them in), walked
// without recursion (the HTML parser nests as deep as a page says). One pass: XPath's union of
// two large node sets, and its "//" over many parents, compare each node with every one kept
// before it.
template <typename Visit>
void forEachElement(const xmlDoc* doc, Visit visit) {
  const auto* top = reinterpret_cast<const xmlNode*>(doc);
  const xmlNode* node = doc->children;
  while (node != nullptr) {
    if (node->type == XML_ELEMENT_NODE) {
      visit(node);
      if (node->children != nullptr) {
        node = node->children;
        continue;
      }
    }
    while (node != nullptr && node->next == nullptr) {
      node = node->parent == top ? nullptr : node->parent;
    }
    if (node != nullptr) node = node->next;
  }
}

// The page's base address: the href of the first base element among the html and head
// elements' children, which libxml2 gives every node of an HTML document alike. Looked up once
// per page, since each look-up walks the head again (a head of many elements made one per
// address quadratic).
std::optional<std::string> pageBase(xmlDoc* doc) {
  XmlCharPtr base(xmlNodeGetBase(doc, nullptr));
  if (!base) return std::nullopt;
  return xmlText(base);
}

// The node's attribute resolved against the page's base; nullopt when it has none.
std::optional<std::string> resolvedAttribute(const xmlNode* node, const char* attribute,
                                             const std::optional<std::string>& base) {
  XmlCharPtr value(xmlGetProp(node, xmlChars(attribute)));
  if (!value) return std::nullopt;
  return assembleHrefWithBase(base, xmlText(value));
}

// Whether the element's attribute is there and reads exactly `expected`.
bool attributeIs(const xmlNode* node, const char* attribute, const char* expected) {
  XmlCharPtr value(xmlGetProp(node, xmlChars(attribute)));
  return value && std::strcmp(reinterpret_cast<const char*>(value.get()), expected) == 0;
}

// The addresses of a page's pictures (img with src) and of its style sheets (link of type
// "text/css") and scripts (script of type "text/javascript"), in document order.
void collectPageAddresses(xmlDoc* doc, std::vector<std::string>* images,
                          std::vector<std::string>* cssJs) {
  const std::optional<std::string> base = pageBase(doc);
  forEachElement(doc, [&](const xmlNode* node) {
    const char* name = U::name(node);
    if (images && std::strcmp(name, "img") == 0) {
      if (auto src = resolvedAttribute(node, "src", base)) images->push_back(std::move(*src));
    } else if (cssJs && std::strcmp(name, "link") == 0) {
      if (attributeIs(node, "type", "text/css")) {
        if (auto href = resolvedAttribute(node, "href", base)) cssJs->push_back(std::move(*href));
      }
    } else if (cssJs && std::strcmp(name, "script") == 0) {
      if (attributeIs(node, "type", "text/javascript")) {
        if (auto src = resolvedAttribute(node, "src", base)) cssJs->push_back(std::move(*src));
      }
    }
  });
}

// The node's attribute as written; nullopt when it has none.
std::optional<std::string> attributeText(const xmlNode* node, const char* attribute) {
  XmlCharPtr value(xmlGetProp(node, xmlChars(attribute)));
  if (!value) return std::nullopt;
  return xmlText(value);
}

bool isCssSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

// The addresses of a srcset: candidates split by commas, each an address (a run without spaces,
// its trailing commas dropped) and its descriptors.
void addSrcset(std::string_view srcset, const std::optional<std::string>& base, std::vector<std::string>* out) {
  size_t i = 0;
  while (i < srcset.size()) {
    while (i < srcset.size() && (isCssSpace(srcset[i]) || srcset[i] == ',')) ++i;
    const size_t start = i;
    while (i < srcset.size() && !isCssSpace(srcset[i])) ++i;
    std::string_view address = srcset.substr(start, i - start);
    const bool last = !address.empty() && address.back() == ',';
    while (!address.empty() && address.back() == ',') address.remove_suffix(1);
    if (!address.empty()) out->push_back(assembleHrefWithBase(base, address));
    if (last) continue;
    // The descriptors, up to the next comma.
    while (i < srcset.size() && srcset[i] != ',') ++i;
  }
}

// The addresses of the url() of a style text, quoted or not.
void addCssUrls(std::string_view css, const std::optional<std::string>& base, std::vector<std::string>* out) {
  size_t i = 0;
  while ((i = css.find('(', i)) != std::string_view::npos) {
    const bool isUrl = i >= 3 && strncasecmp(css.data() + i - 3, "url", 3) == 0;
    ++i;
    if (!isUrl) continue;
    while (i < css.size() && isCssSpace(css[i])) ++i;
    size_t end;
    if (i < css.size() && (css[i] == '"' || css[i] == '\'')) {
      const char quote = css[i++];
      end = css.find(quote, i);
    } else {
      end = css.find(')', i);
    }
    if (end == std::string_view::npos) return;
    std::string_view address = css.substr(i, end - i);
    while (!address.empty() && isCssSpace(address.back())) address.remove_suffix(1);
    if (!address.empty()) out->push_back(assembleHrefWithBase(base, address));
    i = end + 1;
  }
}

// Whether the space-separated list `value` holds `word`, in any case.
bool listHolds(std::string_view value, std::string_view word) {
  size_t i = 0;
  while (i < value.size()) {
    while (i < value.size() && isCssSpace(value[i])) ++i;
    const size_t start = i;
    while (i < value.size() && !isCssSpace(value[i])) ++i;
    if (i - start == word.size() && strncasecmp(value.data() + start, word.data(), word.size()) == 0) return true;
  }
  return false;
}

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
  std::vector<std::string> pictures;
  std::vector<std::string> attachments;
  collectPageAddresses(doc.get(), &pictures, &attachments);
  if (images) *images = std::move(pictures);
  if (cssJs) *cssJs = std::move(attachments);
  return true;
}

std::optional<std::vector<std::string>> VESKAtomParser::allocParseImgUrlinHtml(
    std::string_view html) {
  XmlDocPtr doc = U::readHtmlDocument(html);
  if (!doc) return std::nullopt;
  std::vector<std::string> addresses;
  collectPageAddresses(doc.get(), &addresses, nullptr);
  if (addresses.empty()) return std::nullopt;
  return addresses;
}

std::optional<std::vector<std::string>> VESKAtomParser::allocParsePageElementUrlsInHtml(std::string_view html) {
  XmlDocPtr doc = U::readHtmlDocument(html);
  if (!doc) return std::nullopt;
  const std::optional<std::string> base = pageBase(doc.get());
  std::vector<std::string> addresses;
  auto add = [&](const xmlNode* node, const char* attribute) {
    if (auto address = resolvedAttribute(node, attribute, base)) addresses.push_back(std::move(*address));
  };
  forEachElement(doc.get(), [&](const xmlNode* node) {
    const char* name = U::name(node);
    if (std::strcmp(name, "img") == 0 || std::strcmp(name, "source") == 0) {
      add(node, "src");
      if (auto srcset = attributeText(node, "srcset")) addSrcset(*srcset, base, &addresses);
    } else if (std::strcmp(name, "link") == 0) {
      const auto rel = attributeText(node, "rel");
      if (attributeIs(node, "type", "text/css") || (rel && listHolds(*rel, "stylesheet"))) add(node, "href");
    } else if (std::strcmp(name, "script") == 0 || std::strcmp(name, "input") == 0 ||
               std::strcmp(name, "audio") == 0) {
      add(node, "src");
    } else if (std::strcmp(name, "video") == 0) {
      add(node, "src");
      add(node, "poster");
    } else if (std::strcmp(name, "style") == 0) {
      XmlCharPtr text(xmlNodeGetContent(node));
      if (text) addCssUrls(xmlText(text), base, &addresses);
    }
    if (auto style = attributeText(node, "style")) addCssUrls(*style, base, &addresses);
  });
  return addresses;
}

}  // namespace zu
