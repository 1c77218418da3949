// SampleNotices: the sample service's notice feed and font packs. "/info.atom" (the URL table's
// "vesk_infoGet") carries no software update and no messages, only a recommendation of four
// applications whose icons are the documents' own pictures under "/img/app-<name>.png" (served
// by the picture route) and whose links, "/apps/<name>", are their pages in the application
// store (the about screen hands them to the desktop's browser). "/fonts.atom" (the URL table's
// "vesk_font") lists one font, "宋体", with the address, length and MD5 of its pack,
// kFontPackPath: a small stand-in file of fixed bytes (a real pack is 11 MB; the client only
// moves and checks it).
//
// Stateless: any thread may call answer(). The server's own rules (ETags, ranges, cut answers,
// statuses set by a test) apply to these answers as to every other.
#pragma once

#include <optional>
#include <string>

namespace zu {

class SampleNotices {
 public:
  static constexpr const char* kFontName = "宋体";
  static constexpr const char* kFontPackPath = "/font/song.ttf";
  static constexpr int kRecommendedApps = 4;
  static constexpr const char* kAppPathPrefix = "/apps/";

  struct Reply {
    std::string contentType;
    std::string body;
  };

  // The answer to a GET of `path`; nullopt for a path that is not one of these. `baseUrl` is the
  // server's ("http://127.0.0.1:<port>").
  static std::optional<Reply> answer(const std::string& path, const std::string& baseUrl);

  // The pack's bytes and their MD5 (lower-case hex), as the font list gives it.
  static const std::string& fontPack();
  static std::string fontPackMd5();
};

}  // namespace zu
