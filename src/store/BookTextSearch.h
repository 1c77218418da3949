// BookTextSearch: finds every occurrence of a keyword in the text of a combined book file (HTML)
// and returns each hit with up to 10 characters of context on either side and the title of the
// original section it lies in. Matching is exact and per text node (a word split across two
// elements is not found); hits in one text node never overlap. Characters are counted in UTF-16
// code units, as the reader counts them; invalid UTF-8 in a text node is searched as U+FFFD.
// The current original section is switched by each "h1" carrying an "id" (the anchors section
// combining writes) and holds for the h1's following siblings and their descendants.
//
// Stateless class functions, callable from any thread; the title lookup runs on the calling
// thread. An empty keyword finds nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct _xmlNode;

namespace zu {

class BookSearchResult;

class BookTextSearch {
 public:
  BookTextSearch() = delete;

  using Text = std::optional<std::string>;
  using Results = std::vector<std::shared_ptr<BookSearchResult>>;
  // The title shown for hits in the original section of this id (nullopt before the first
  // anchor).
  using TitleLookup = std::function<std::string(const Text& originalSectionId)>;

  // Characters of context kept before and after a hit.
  static constexpr size_t kContextLength = 10;

  // Parses `html` (recovering, no errors or warnings) and appends its hits to `results`.
  static void searchHtml(const std::string& html, const std::string& keyWord,
                         const Text& chapterId, const Text& sectionId,
                         const TitleLookup& title, Results& results);

  // Walks `node` and its following siblings (and their children) with `originalSectionId`
  // current, appending hits.
  static void recursionSearchForNode(_xmlNode* node, const std::u16string& keyWord,
                                     const std::string& keyWordUtf8, const Text& chapterId,
                                     const Text& sectionId, Text originalSectionId,
                                     const TitleLookup& title, Results& results);
};

}  // namespace zu
