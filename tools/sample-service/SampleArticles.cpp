#include "SampleArticles.h"

namespace zu {

std::string SampleArticles::pageHead(const std::string& base) {
  return "<link rel=\"stylesheet\" type=\"text/css\" href=\"" + base + "/style/article.css\"/>"
         "<script>if (window.vesk) { vesk.updateFontLevel = function (level) {"
         " document.body.style.fontSize = (10 + 2 * level) + 'px'; };"
         " document.addEventListener('DOMContentLoaded', function () { vesk.updateFontLevel(vesk.fontLevel);"
         " if (vesk.nightMode == 'NIGHT') { document.body.style.background = '#1c1c1e'; document.body.style.color = '#9a9a9a';"
         " document.head.insertAdjacentHTML('beforeend', '<style>a { color: #7fa7d9; }</style>'); } }); }"
         "</script>";
}

std::string SampleArticles::withCommands(std::string entry, const std::string& id, const std::string& base) {
  const std::string picture = base + "/img/" + id + "-picture.png";
  const std::string additions =
      pageHead(base) +
      "<p class=\"picture\"><a href=\"web:getimageclick;seq=2\"><img src=\"" + picture +
      "\" width=\"280\" height=\"120\"/></a></p>"
      "<p><a href=\"web:gethtmlclick;" + base + "/article/" + id + ".html\">The article on the web</a></p>"
      "<p><a href=\"web:getvideoclick;" + base + "/video/" + id + ".webm\">The video</a></p>";
  if (const size_t end = entry.find("]]></content>"); end != std::string::npos) entry.insert(end, additions);
  const size_t close = entry.rfind("</entry>");
  if (close != std::string::npos) {
    // Each picture names its full-size address too, which the picture viewer downloads.
    const std::string cover = base + "/img/" + id + "-cover.png";
    entry.insert(close, "  <vesk:image_category type=\"image/png\" href=\"" + cover + "\" a_href=\"" + cover +
                            "\" width=\"320\" height=\"240\" seq=\"1\"/>\n  "
                            "<vesk:image_category type=\"image/png\" href=\"" + picture + "\" a_href=\"" +
                            picture + "\" width=\"280\" height=\"120\" seq=\"2\"/>\n  ");
  }
  return entry;
}

}  // namespace zu
