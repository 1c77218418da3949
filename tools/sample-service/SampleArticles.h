// SampleArticles: what the sample service adds to its articles for the article page — command
// links in the article HTML (a picture with its sequence number, a page for the in-app browser,
// a video, "/video/<id>.webm"), a page script that defines `vesk.updateFontLevel` over the client's page script
// object, a style sheet, the list of the article's pictures (vesk:image_category records with
// their addresses).
//
// Pure functions of their inputs; any thread.
#pragma once

#include <string>

namespace zu {

class SampleArticles {
 public:
  // `entry` (one <entry> of the articles document, its content in CDATA) with the additions for
  // the article `id`; an entry without CDATA content gets only the picture record.
  static std::string withCommands(std::string entry, const std::string& id, const std::string& base);
  // The style sheet and the page script that every sample article's HTML carries.
  static std::string pageHead(const std::string& base);
};

}  // namespace zu
