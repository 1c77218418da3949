// Fuzz target for the response parser: any bytes through every entry point and every entry
// kind. Malformed input must give a clean null (or a partial object), never a crash, a hang or
// unbounded memory.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "model/entry/Entry.h"
#include "model/entry/Feed.h"
#include "model/columns/UserInfo.h"
#include "model/service/VeskFavorite.h"
#include "model/atom/VESKAtomParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using zu::VESKAtomParser;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
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
