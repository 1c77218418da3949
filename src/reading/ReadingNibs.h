// ReadingNibs: registers the interface files of the article reading library with the kit's
// NibRegistry — the article list's five cells, the load-more cell and the empty-favourites view,
// each under its class name — the article list screen ("ReportContentController") and the
// article toolbar's bar ("NewsToolBarView") and the in-app browser ("WebViewController_New"). Called once at start-up (main) and by tests; main thread.
#pragma once

namespace zu {

class ReadingNibs {
 public:
  static void registerNibs();
};

}  // namespace zu
