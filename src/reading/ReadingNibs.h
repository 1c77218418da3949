// ReadingNibs: registers the interface files of the article reading library with the kit's
// NibRegistry — the article list's five cells, the load-more cell and the empty-favourites view,
// each under its class name — the article list screen ("ReportContentController"), the
// article toolbar's bar ("NewsToolBarView"), the in-app browser ("WebViewController_New"), and the
// comments screen ("CommentsController") with its row ("CommentCell"). Called once at start-up
// (main) and by tests; main thread.
#pragma once

namespace zu {

class ReadingNibs {
 public:
  static void registerNibs();
};

}  // namespace zu
