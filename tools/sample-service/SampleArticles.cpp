#include "SampleArticles.h"

namespace zu {

namespace {

// The text between the first `open` and the `close` after it, or "".
std::string between(const std::string& text, const std::string& open, const std::string& close) {
  const size_t from = text.find(open);
  if (from == std::string::npos) return {};
  const size_t to = text.find(close, from + open.size());
  return to == std::string::npos ? std::string() : text.substr(from + open.size(), to - from - open.size());
}

// "2026-01-05T07:30:00Z" as the page shows it: "2026-01-05 07:30".
std::string shownTime(const std::string& updated) {
  if (updated.size() < 16 || updated[10] != 'T') return updated;
  return updated.substr(0, 10) + " " + updated.substr(11, 5);
}

// The page script: the client's page script object (`window.vesk`, put in front of the page)
// gives the font level and the night mode; the page sets its text size from the level, now and
// whenever the client calls `vesk.updateFontLevel`, and turns its night colours on.
constexpr const char* kPageScript =
    "<script>if (window.vesk) {"
    " vesk.updateFontLevel = function (level) { document.documentElement.style.fontSize = (12 + 2 * level) + 'px'; };"
    " vesk.updateFontLevel(vesk.fontLevel);"
    " document.addEventListener('DOMContentLoaded', function () {"
    " if (vesk.nightMode == 'NIGHT') document.body.className += ' night'; }); }</script>";

// The page of an article: head, headline, source and time, byline, lead, text, links.
std::string page(const std::string& entry, const std::string& text, const std::string& lead,
                 const std::string& links, const std::string& base) {
  const std::string title = between(entry, "<title>", "</title>");
  const std::string source = between(between(entry, "<source>", "</source>"), "<title>", "</title>");
  const std::string author = between(between(entry, "<author>", "</author>"), "<name>", "</name>");
  std::string html = "<html><head><meta charset=\"utf-8\"/><title>" + title +
                     "</title><link rel=\"stylesheet\" type=\"text/css\" href=\"" + base +
                     "/style/article.css\"/>" + kPageScript + "</head><body><div class=\"article\">"
                     "<h1 class=\"headline\">" + title + "</h1><p class=\"meta\">";
  if (!source.empty()) html += "<span class=\"source\">" + source + "</span>";
  html += "<span class=\"time\">" + shownTime(between(entry, "<updated>", "</updated>")) + "</span></p>";
  if (!author.empty()) html += "<p class=\"byline\">" + author + "</p>";
  return html + lead + "<div class=\"text\">" + text + "</div>" + links + "</div></body></html>";
}

// The entry with its <content> replaced by `html`.
std::string withContent(std::string entry, const std::string& html) {
  const size_t open = entry.find("<content");
  const size_t close = entry.find("</content>", open);
  const std::string content = "<content type=\"html\"><![CDATA[" + html + "]]></content>";
  if (open == std::string::npos || close == std::string::npos) {
    entry.insert(entry.rfind("</entry>"), "  " + content + "\n  ");
  } else {
    entry.replace(open, close + 10 - open, content);
  }
  return entry;
}

// The article pictures' size (documents/images/<id>-picture.png) and the size the page shows
// them at, the page's width.
constexpr int kPictureWidth = 300;
constexpr int kPictureHeight = 200;
constexpr int kShownWidth = 280;
constexpr int kShownHeight = kShownWidth * kPictureHeight / kPictureWidth;

// The page's picture of `address`, a link to the viewer's page `seq`.
std::string pagePicture(const std::string& address, int seq) {
  return "<p class=\"picture\"><a href=\"web:getimageclick;seq=" + std::to_string(seq) + "\"><img src=\"" + address +
         "\" width=\"" + std::to_string(kShownWidth) + "\" height=\"" + std::to_string(kShownHeight) + "\"/></a></p>";
}

// A picture record: the address the page shows at its size there, and the viewer's full-size
// address and size.
std::string pictureRecord(const std::string& address, int seq) {
  return "<vesk:image_category type=\"image/png\" href=\"" + address + "\" a_href=\"" + address + "\" width=\"" +
         std::to_string(kShownWidth) + "\" height=\"" + std::to_string(kShownHeight) + "\" a_width=\"" +
         std::to_string(kPictureWidth) + "\" a_height=\"" + std::to_string(kPictureHeight) + "\" seq=\"" +
         std::to_string(seq) + "\"/>\n  ";
}

}  // namespace

std::string SampleArticles::withPage(std::string entry, const std::string& id, const std::string& base,
                                     const Extras& extras) {
  std::string text = between(entry, "<![CDATA[", "]]>");
  if (text.empty()) text = "<p>" + between(entry, "<content type=\"text\">", "</content>") + "</p>";
  std::string lead = extras.lead;
  std::string links;
  std::string records;
  if (extras.commands) {
    const std::string picture = base + "/img/" + id + "-picture.png";
    lead += pagePicture(picture, 1);
    links = "<p class=\"links\"><a href=\"web:gethtmlclick;" + base + "/article/" + id +
            ".html\">The article on the web</a><a href=\"web:getvideoclick;" + base + "/video/" + id +
            ".webm\">The video</a></p>";
    // The pictures the viewer pages through are the page's own: its one picture, which names
    // its full-size address too, for the viewer to download.
    records = pictureRecord(picture, 1);
  }
  // The page is made from the entry before the entry is moved into its new content (the order
  // in which a call's arguments are made is the compiler's).
  const std::string html = page(entry, text, lead, links, base);
  entry = withContent(std::move(entry), html);
  if (!records.empty()) entry.insert(entry.rfind("</entry>"), "  " + records);
  return entry;
}

std::optional<std::string> SampleArticles::microblogArticle(const std::string& list, const std::string& id,
                                                            const std::string& base) {
  const size_t at = list.find("<id>" + id + "</id>");
  if (at == std::string::npos) return std::nullopt;
  const size_t open = list.rfind("<entry>", at);
  const size_t close = list.find("</entry>", at);
  if (open == std::string::npos || close == std::string::npos) return std::nullopt;
  std::string entry = list.substr(open, close + 8 - open);
  // The list's links and thumbnail stay the list's; the article has its page and picture.
  for (const char* element : {"<link ", "<vesk:image_thumbnail "}) {
    for (size_t link = entry.find(element); link != std::string::npos; link = entry.find(element, link)) {
      entry.erase(link, entry.find("/>", link) + 2 - link);
    }
  }
  std::string text = "<p>" + between(entry, "<content type=\"text\">", "</content>") + "</p>";
  const std::string retweeted = between(entry, "<vesk:retweeted name=\"", "\"");
  if (!retweeted.empty()) text += "<p class=\"repost\">转发自 @" + retweeted + "</p>";
  std::string records;
  if (list.substr(open, close - open).find("<vesk:image_thumbnail") != std::string::npos) {
    const std::string picture = base + "/img/" + id + "-picture.png";
    text += pagePicture(picture, 1);
    records = pictureRecord(picture, 1);
  }
  entry.insert(entry.find("</title>") + 8, "<source><title>码头微博</title></source>");
  const std::string html = page(entry, text, "", "", base);
  entry = withContent(std::move(entry), html);
  if (!records.empty()) entry.insert(entry.rfind("</entry>"), "  " + records);
  return entry;
}

std::string SampleArticles::styleSheet() {
  return "html { -webkit-text-size-adjust: none; font-size: 16px; }\n"
         "body { margin: 0; padding: 14px 16px 24px; color: #222; background: #fff; line-height: 1.75;\n"
         "  font-family: \"Noto Sans CJK SC\", \"Source Han Sans SC\", \"WenQuanYi Micro Hei\", \"PingFang SC\",\n"
         "    \"Heiti SC\", \"Microsoft YaHei\", \"Droid Sans Fallback\", sans-serif;\n"
         "  word-wrap: break-word; overflow-wrap: break-word; }\n"
         ".article { max-width: 100%; }\n"
         "h1.headline { font-size: 1.4rem; line-height: 1.35; margin: 0 0 8px; color: #111; }\n"
         ".meta { font-size: 0.75rem; color: #6e6e6e; margin: 0 0 4px; }\n"
         ".meta .source { margin-right: 1em; color: #2a6496; }\n"
         ".byline { font-size: 0.8rem; color: #666; margin: 0 0 12px; }\n"
         ".text p { font-size: 1rem; margin: 0 0 0.9em; text-align: justify; }\n"
         "img, video { max-width: 100%; height: auto; border: 0; }\n"
         ".picture { text-align: center; margin: 12px 0; }\n"
         ".album { margin: 0 0 12px; }\n"
         ".album img { margin: 0 4px 4px 0; vertical-align: top; }\n"
         ".repost { font-size: 0.85rem; color: #666; }\n"
         ".links { font-size: 0.85rem; margin: 16px 0 0; }\n"
         ".links a { display: inline-block; margin-right: 1.2em; }\n"
         "a { color: #2a6496; text-decoration: none; }\n"
         "body.night { background: #1c1c1e; color: #a0a0a0; }\n"
         ".night h1.headline { color: #cfcfcf; }\n"
         ".night .meta, .night .byline, .night .repost { color: #8a8a8a; }\n"
         ".night a, .night .meta .source { color: #7fa7d9; }\n";
}

}  // namespace zu
