// ArticleHtmlBuilder: turns the server's article HTML into the page the article page loads. In
// order: the text is wrapped in "<body>"…"</body>" when it has no "<body>"; the page script
// object (`window.vesk= {...}`: device, versions, the reader's font level and style, the
// no-image and night modes) goes in front; in no-image mode every http picture source becomes
// the bundle's placeholder picture; that text is what the detail keeps (`stored`: later
// readers such as the mail body see it); then, for the page only, the body becomes transparent
// by day, the read-original form goes one character before the first "</body>" (not for
// microblog, album or video articles), and on a double-density screen the 640×960 viewport
// meta follows the first "<head>".
//
// The only change to the server's own text is that local files are addressed through the web
// view's bundle scheme (WebView::fileUrl) instead of "file://", since the engine shows no
// file:// in a page built from a string.
//
// The double-density screen: the page is laid out at the screen's 320 points there too — the
// viewport's width, which the web view takes — and the engine draws it at the screen's density
// by itself, so the viewport's scale of 0.5, which mapped the page's pixels to the phone's
// screen pixels, is not applied. The "@2x" pictures the page shows keep that rule's intent,
// one picture pixel to a screen pixel, by saying their size in points: the read-original
// button carries its width and height, and the no-image placeholder its density (a srcset of
// "2x"), which a width the server gave the picture still overrides.
//
// Where we differ on purpose (the sound behaviour where the plain design has a fault):
//  - The read-original form: a "</body>" at index 0 puts it at 0, and a text with no "</body>"
//    (a "<body>" the server did not close) gets it at the end; the character it steps back
//    over is a whole character, never half of one, and never the ">" of a tag (a body that ends
//    in a tag, as every wrapped text does, would get the form inside that tag and show a stray
//    ">"): then the form goes right before "</body>".
//  - Each build starts from the server's text as received (the caller keeps it, see
//    OriginalArticleHtml), so a second load has one script object and the placeholders of a
//    no-image load never stay once the mode is off.
//
// Pure functions of their inputs (Settings::current() reads the reader's settings and the skin
// on the main thread); the compiled expression is shared and may be used from any thread.
#pragma once

#include <optional>
#include <string>

#include "platform/ui/drawing/Geometry.h"

namespace zu {

class ArticleHtmlBuilder {
 public:
  // Where a form submission of the read-original button navigates (never loaded: the link
  // bridge opens the article's own page instead). Holds no ";".
  static constexpr const char* kReadOriginalSentinel = "http://vesk.invalid/readoriginal";
  static constexpr const char* kNoImageExpression =
      R"(img src='*http://([\w-]+\.)+[\w-]+(/[\w-\./?%=]*)?'*)";
  static constexpr const char* kViewportMeta =
      "\n    <meta  align=\"center\" name=\"viewport\" content=\"width=320; initial-scale=0.5; "
      "maximum-scale=0.5;  user-scalable=no;\"/>";

  struct Settings {
    int fontSize = 0;          // 0 … 3
    bool songFont = false;     // the current style is "宋体"
    std::string fontUrl;       // the song font file, as the web view addresses it
    bool noImage = false;
    bool night = false;
    bool doubleDensity = false;  // a 640 × 960 screen
    std::string placeholderUrl;  // the no-image picture
    std::string presentButtonUrl;  // the read-original button's picture
    ui::Size presentButtonSize;    // its size in points, on a double-density screen only
    int entryType = 0;           // the summary's entry status type

    // The reader's settings, the skin's pictures and the screen, for an article of `entryType`.
    static Settings current(int entryType);
  };

  struct Result {
    std::string stored;  // the text the detail keeps
    std::string page;    // the text loaded into the web view
  };

  // 2 for size 0, else size + 3.
  static int fontLevelFor(int fontSize) { return fontSize == 0 ? 2 : fontSize + 3; }
  static std::string scriptObject(const Settings& settings);
  // The read-original block inserted before "</body>"; a button of a double-density picture has
  // its size in points (`buttonSize`; zero: the picture's own).
  static std::string readOriginalForm(const std::string& buttonUrl, ui::Size buttonSize = {});
  // Content types 2 (html) and 3 (xhtml) build a page; any other gives nullopt.
  static std::optional<Result> build(int contentType, const std::string& serverHtml, const Settings& settings);

  // The pieces, each applied to `html` in place.
  static void wrapBody(std::string& html);
  // `doubleDensity`: the placeholder is a picture of twice the pixels.
  static void replaceImages(std::string& html, const std::string& placeholderUrl, bool doubleDensity = false);
  static void insertReadOriginal(std::string& html, const std::string& block);
  static void insertViewport(std::string& html);
};

}  // namespace zu
