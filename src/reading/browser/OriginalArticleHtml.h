// OriginalArticleHtml: the server's article HTML as it arrived, kept beside its detail. The
// article page stores the text it built back into the detail's content (the mail body reads it
// there), so the content no longer holds what the server sent; every later build of the same
// detail starts from the text kept here instead, and gets one script object and no leftover
// placeholder pictures.
//
// Keyed by the detail object, held weakly: an entry goes when its detail goes (entries of gone
// details are dropped whenever one is added). Main thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace zu {

class NewsDetail;

class OriginalArticleHtml {
 public:
  // The server's text of `detail`: the one kept, else its content text now (which is then
  // kept). nullopt when the detail has no content text.
  static std::optional<std::string> of(const std::shared_ptr<NewsDetail>& detail);
  // How many details have their text kept (for tests).
  static size_t keptCount();
};

}  // namespace zu
