// BookSectionCombiner: merges the HTML files of a run of original book sections into the one
// combined file the reader shows, on libxml2's HTML document tree. The first file's document is
// kept whole; from each later file only the body content from its first text element (h1-h6
// or p, found by descending along first children) onwards is copied in, after a separator
// paragraph. The first text element taken from each file carries the original section's id
// as its "id" (the anchor that search and navigation look for); an end marker (a "p" with id
// "J_OC" holding 70 "br") closes the content, before a trailing "div" if the body ends with one.
//
// Below system version 5.0 separators are "p name='para_blanks'" and the first file's head gets
// the blank-paragraph script; from 5.0 on separators carry a 1500-pixel bottom margin.
//
// Stateless class functions; callable from any thread (each call owns its documents). Missing
// or unparsable files are skipped; nothing is thrown.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct _xmlNode;

namespace zu {

class BookSectionCombiner {
 public:
  BookSectionCombiner() = delete;

  // The script the old layout loads, on the service's content host.
  static constexpr const char* kBlankScriptPath = "/js/parablanks.js";
  static constexpr int kEndMarkerBreaks = 70;

  // Merges `sections` ((original section id, file path) in order) into `outputPath`, replacing
  // an existing file. False (nothing written) when no file could be read.
  static bool combine(const std::vector<std::pair<std::string, std::string>>& sections,
                      const std::string& outputPath, const std::string& scriptHost);

  // Whether the element name is a text element: h1..h6 or p, in any letter case.
  static bool isTextNode(const char* name);

  // Walks from `node` through its previous siblings, depth first into each one's children
  // from the last; the first element named `nodeName` (exact case) whose "id" attribute (name
  // in any case) equals `nodeId` (any case) is unlinked and freed. True when one was.
  static bool recursionDeleteSpecialNode(_xmlNode* node, const std::string& nodeName,
                                         const std::string& nodeId);

  // Parses `html` as UTF-8 and writes it with the HTML writer to `path`, replacing an existing
  // file. False when the text does not parse or the file cannot be written.
  static bool saveHtml(const std::string& html, const std::string& path);
};

}  // namespace zu
