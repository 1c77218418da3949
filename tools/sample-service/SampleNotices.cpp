#include "SampleNotices.h"

#include <openssl/evp.h>

#include <array>
#include <cstdio>

namespace zu {

namespace {

constexpr size_t kFontPackSize = 96 * 1024;

struct RecommendedApp {
  const char* title;
  const char* stem;
  const char* line;  // what the store says of it
};
constexpr std::array<RecommendedApp, SampleNotices::kRecommendedApps> kApps = {{
    {"zu书架", "reader", "把你在zu阅读里收藏的书放在一个书架上。"},
    {"zu相册", "album", "看你拍下的港口照片，一张一张翻。"},
    {"zu词典", "dict", "查英文单词，离线也能用。"},
    {"zu便签", "notes", "随手记下要办的事。"}}};

std::string infoFeed(const std::string& base) {
  std::string apps;
  for (const auto& app : kApps) {
    apps += std::string("    <vesk:app title=\"") + app.title + "\" href=\"" + base + SampleNotices::kAppPathPrefix +
            app.stem + "\" img=\"" + base + "/img/app-" + app.stem + ".png\">" + app.title + "</vesk:app>\n";
  }
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
         "<feed xmlns=\"http://www.w3.org/2005/Atom\" xmlns:vesk=\"http://www.vesk.com/vesk/1.0\">\n"
         "  <id>info</id>\n  <title>notices</title>\n  <vesk:notification>\n"
         "   <vesk:app_recommend updated=\"2026-01-05T08:00:00Z\">\n" +
         apps + "   </vesk:app_recommend>\n  </vesk:notification>\n</feed>\n";
}

std::string fontList(const std::string& base) {
  return std::string("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<fonts><font><name>") + SampleNotices::kFontName +
         "</name><desc>宋体字体包</desc><url>" + base + SampleNotices::kFontPackPath + "</url><length>" +
         std::to_string(SampleNotices::fontPack().size()) + "</length><md5>" + SampleNotices::fontPackMd5() +
         "</md5></font></fonts>\n";
}

// The store's page of a recommended application, where the about screen's "打开" leads.
std::string storePage(const RecommendedApp& app) {
  return std::string("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>") + app.title +
         "</title>\n<meta name=\"viewport\" content=\"width=device-width\">\n"
         "<style>body{margin:0;font-family:sans-serif;background:#f4f4f6;color:#222}"
         "header{background:#2d5f8b;color:#fff;padding:14px 16px;font-size:13px}"
         ".app{display:flex;align-items:center;margin:16px}"
         ".app img{width:57px;height:57px;border-radius:12px;margin-right:12px}"
         "h1{font-size:20px;margin:0}p{font-size:15px;line-height:1.6;margin:0 16px 12px}</style>\n"
         "</head><body>\n<header>Sample application store</header>\n<div class=\"app\"><img src=\"/img/app-" +
         app.stem + ".png\" alt=\"\"><h1>" + app.title + "</h1></div>\n<p>" + app.line + "</p>\n</body></html>\n";
}

}  // namespace

const std::string& SampleNotices::fontPack() {
  static const std::string bytes = [] {
    // Fixed bytes that vary along the file, so a resumed download that joined the wrong parts
    // would fail its checksum.
    std::string pack(kFontPackSize, '\0');
    uint32_t state = 0x5eed;
    for (auto& byte : pack) {
      state = state * 1664525u + 1013904223u;
      byte = static_cast<char>(state >> 24);
    }
    return pack;
  }();
  return bytes;
}

std::string SampleNotices::fontPackMd5() {
  std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
  unsigned int length = 0;
  EVP_Digest(fontPack().data(), fontPack().size(), digest.data(), &length, EVP_md5(), nullptr);
  std::string hex;
  for (unsigned int i = 0; i < length; ++i) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02x", digest[i]);
    hex += pair;
  }
  return hex;
}

std::optional<SampleNotices::Reply> SampleNotices::answer(const std::string& path, const std::string& baseUrl) {
  if (path == "/info.atom") return Reply{"application/atom+xml;charset=utf-8", infoFeed(baseUrl)};
  if (path == "/fonts.atom") return Reply{"application/atom+xml;charset=utf-8", fontList(baseUrl)};
  if (path == kFontPackPath) return Reply{"application/octet-stream", fontPack()};
  for (const auto& app : kApps) {
    if (path == std::string(kAppPathPrefix) + app.stem) return Reply{"text/html;charset=utf-8", storePage(app)};
  }
  return std::nullopt;
}

}  // namespace zu
