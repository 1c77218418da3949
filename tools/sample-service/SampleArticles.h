// SampleArticles: an article's page as the sample service serves it. The entry's content (the
// paragraphs of articles.xml, or a microblog post's text) becomes a whole page: the headline,
// the source (the column, from the entry's Atom <source>) and the time, the byline when the
// entry has an author, the lead picture, the text, then the command links — a picture with its
// sequence number, a page for the in-app browser, a video. Its head links the readable style
// sheet ("/style/article.css": margins, line height, a CJK font stack, pictures no wider than
// the page, night colours) and carries the page script that reads the client's page script
// object: `vesk.updateFontLevel` sets the text size of a font level, and the night mode turns
// the page's night colours on. The entry also gets the list of its pictures
// (vesk:image_category records with their full-size addresses).
//
// Pure functions of their inputs; any thread.
#pragma once

#include <optional>
#include <string>

namespace zu {

class SampleArticles {
 public:
  // What the page shows besides the entry's own text.
  struct Extras {
    std::string lead;   // HTML before the text (an album's strip of pictures)
    bool commands = true;  // the picture, browser and video links with the lead picture
  };

  // `entry` (one <entry>, its content in CDATA or plain text) with its content replaced by the
  // page of the article `id`, and the records of its pictures.
  static std::string withPage(std::string entry, const std::string& id, const std::string& base,
                              const Extras& extras);
  // The microblog post `id` of the microblog column's list as an article entry: its page holds
  // the post's text, the reposted author and its picture. nullopt when the list has no such post.
  static std::optional<std::string> microblogArticle(const std::string& list, const std::string& id,
                                                     const std::string& base);
  // The article style sheet.
  static std::string styleSheet();
};

}  // namespace zu
