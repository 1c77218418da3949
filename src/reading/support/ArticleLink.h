// ArticleLink: what an address the article page is asked to load means. The server's article
// HTML speaks to the client through pseudo-addresses split at ";": the first part names the
// command, the second is its argument. First match wins, in this order:
//   "web:getimageclick;seq=N"  a picture (2 parts or more)
//   the read-original sentinel  the article's original page (the form adds "?x=0&y=0")
//   "web:getvideoclick;URL"     a video (2 parts or more)
//   "web:gethtmlclick;URL"      a page for the in-app browser (2 parts or more)
//   "about:blank"               the page itself, exactly one part: the only load allowed
// Anything else (and a command short of its argument) is kOther: refused.
//
// Pure functions; any thread.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace zu {

class VeskCategory;

struct ArticleLink {
  enum class Kind { kPicture, kReadOriginal, kVideo, kPage, kBlank, kOther };
  static constexpr const char* kPictureCommand = "web:getimageclick";
  static constexpr const char* kVideoCommand = "web:getvideoclick";
  static constexpr const char* kPageCommand = "web:gethtmlclick";
  static constexpr const char* kSequencePrefix = "seq=";

  Kind kind = Kind::kOther;
  std::string argument;  // the second part; empty for the sentinel and the page itself

  static ArticleLink parse(const std::string& url);
  // A command of the client (every kind but the page itself and kOther).
  bool isCommand() const { return kind != Kind::kBlank && kind != Kind::kOther; }

  // The picture a "seq=N" argument names: the position of the first picture whose sequence
  // number is N, the count of pictures when none is. N is read as the leading digits (0 for
  // none), as the service's own clients read it.
  static size_t pictureIndex(const std::string& argument,
                             const std::vector<std::shared_ptr<VeskCategory>>& pictures);
};

}  // namespace zu
