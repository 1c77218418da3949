// SampleLookups: the pages the article's selection menu opens in the in-app browser, as the
// sample service serves them in a `make run`: the dictionary ("/dp/dp?q=<word>"), the translation
// ("/dp/fy?i=<text>") and the search ("/search?q=<words>&…", the search template of the service
// URL feed). The dictionary and translation pages look the selection up in the documents' small
// table, dictionary.txt (one word a line: the word, its entry and its translation, separated by
// tabs; "#" starts a comment), without regard to the case of Latin letters and to blanks around
// it; the search page lists the articles of articles.xml whose title or text holds the words,
// each linking to its original page ("/article/<id>.html"). Every page names what was looked
// up, and says plainly when the table has no entry, no translation, or no article was found.
// What was looked up comes decoded from the query ("+" a blank) and is escaped into the page.
//
// Stateless: any thread may call page().
#pragma once

#include <optional>
#include <string>

namespace zu {

class SampleLookups {
 public:
  static constexpr const char* kDictionaryPath = "/dp/dp";
  static constexpr const char* kTranslationPath = "/dp/fy";
  static constexpr const char* kSearchPath = "/search";

  // The HTML page for a GET of `path` with `query` (without "?"), nullopt for a path that is none
  // of the three. `table` is dictionary.txt's text, `articles` articles.xml's.
  static std::optional<std::string> page(const std::string& path, const std::string& query,
                                         const std::string& table, const std::string& articles);
};

}  // namespace zu
