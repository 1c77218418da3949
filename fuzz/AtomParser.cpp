// Fuzz target for the response parser: any bytes through every entry point and every entry
// kind. Malformed input must give a clean null (or a partial object), never a crash, a hang or
// unbounded memory. A document the parser reads must also keep the bounds that the scan before
// parsing promises (attributes per element, namespace declarations in scope): an input whose
// markup the scan misread (an encoding's second bytes taken for '[' or ']') stops the run,
// however small it is.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/atom/AtomParseUtil.h"
#include "model/entry/Entry.h"
#include "model/entry/Feed.h"
#include "model/columns/UserInfo.h"
#include "model/service/VeskFavorite.h"
#include "model/atom/VESKAtomParser.h"

namespace {

// Inputs may grow to a megabyte: an element of 100,000 attributes hidden from the scan (which
// kept libxml2 busy for tens of seconds) takes about that much. libFuzzer's own cap is 4 KB.
constexpr size_t kMaxLen = 1024 * 1024;

// Traps when an element read carries more attributes (namespace declarations included) than the
// scan lets through, or more declarations are in scope than it allows.
void checkBounds(const xmlNode* node, int inScope) {
  for (; node; node = node->next) {
    if (node->type != XML_ELEMENT_NODE) continue;
    int attributes = 0;
    int declared = 0;
    for (const xmlAttr* a = node->properties; a; a = a->next) ++attributes;
    for (const xmlNs* ns = node->nsDef; ns; ns = ns->next) ++declared;
    if (attributes + declared > zu::AtomParseUtil::kMaxAttributesPerElement ||
        inScope + declared > zu::AtomParseUtil::kMaxNamespaceDeclarations) {
      __builtin_trap();
    }
    checkBounds(node->children, inScope + declared);
  }
}

}  // namespace

// Adds "-max_len=kMaxLen" unless the run names a -max_len of its own.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  for (int i = 1; i < *argc; ++i) {
    if (std::strncmp((*argv)[i], "-max_len=", 9) == 0) return 0;
  }
  static std::string flag = "-max_len=" + std::to_string(kMaxLen);
  static std::vector<char*> args;
  args.assign(*argv, *argv + *argc);
  args.push_back(flag.data());
  args.push_back(nullptr);
  *argc += 1;
  *argv = args.data();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using zu::VESKAtomParser;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (zu::XmlDocPtr doc = zu::AtomParseUtil::readDocument(bytes)) {
    checkBounds(xmlDocGetRootElement(doc.get()), 0);
  }
  for (int32_t kind = 0; kind <= 5; ++kind) {
    (void)VESKAtomParser::allocParseFeed(bytes, kind);
    (void)VESKAtomParser::allocParseEntry(bytes, kind);
  }
  (void)VESKAtomParser::allocParseUserinfo(bytes);
  (void)VESKAtomParser::allocParseResultInfo(bytes);
  (void)VESKAtomParser::allocParseLinksInFeed(bytes);
  (void)VESKAtomParser::allocParseGetServiceUrlFeed(bytes);
  (void)VESKAtomParser::allocParseNewsDetailDynamicEntry(bytes);
  (void)VESKAtomParser::allocParseVeskAppRecommend(bytes);
  (void)VESKAtomParser::allocParseFonts(bytes);
  (void)VESKAtomParser::allocParseChapter(bytes);
  (void)VESKAtomParser::allocParseAds(bytes);
  (void)VESKAtomParser::allocParseShortUrl(bytes);
  std::shared_ptr<zu::UserInfo> user;
  std::shared_ptr<zu::VeskFavorite> favorite;
  std::vector<std::shared_ptr<zu::Entry>> entries;
  int64_t time = 0;
  (void)VESKAtomParser::allocParseUserSubSummary(bytes, &user, &favorite, &entries, &time);
  return 0;
}
