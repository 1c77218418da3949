// SampleBookLinks: the seven files book pages refer to on the static host — the paragraph
// script and six style sheets —, which the client's book-links download fetches at every launch
// and keeps only when all seven arrived. The paths are the client's exactly, the doubled slash
// of the last four included ("//css/book/fs-2.css"); a path that differs, by a single slash say,
// is not one of them. The files are the documents' "book/<name>", served as what they are
// (JavaScript, CSS).
//
// Stateless: any thread.
#pragma once

#include <array>
#include <string>

namespace zu {

class SampleBookLinks {
 public:
  SampleBookLinks() = delete;

  struct File {
    const char* path;         // on the static host
    const char* document;     // under the documents folder
    const char* contentType;
  };

  static constexpr std::array<File, 7> kFiles{{
      {"/js/parablanks.js", "book/parablanks.js", "application/javascript;charset=utf-8"},
      {"/css/book/book-l.css", "book/book-l.css", "text/css;charset=utf-8"},
      {"/css/book/book-p.css", "book/book-p.css", "text/css;charset=utf-8"},
      {"//css/book/fs-2.css", "book/fs-2.css", "text/css;charset=utf-8"},
      {"//css/book/fs-4.css", "book/fs-4.css", "text/css;charset=utf-8"},
      {"//css/book/fs-5.css", "book/fs-5.css", "text/css;charset=utf-8"},
      {"//css/book/fs-6.css", "book/fs-6.css", "text/css;charset=utf-8"},
  }};

  // The file served at `path`, or null for any other path.
  static const File* at(const std::string& path);
};

}  // namespace zu
