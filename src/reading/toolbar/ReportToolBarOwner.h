// ReportToolBarOwner: what the screen that shows an article toolbar (the paged article browser,
// the comments screen) answers to it. The toolbar holds its owner weakly; every call is on the
// main thread.
//
// The owner presents the screens the toolbar opens (it is a view controller: presenter()), says
// which article its current page shows, hears the favourite tasks the toolbar starts for it
// (registered in the notification centre under the owner's own address, so the owner's
// remove(this, taskId) ends them) and, when it wants, the "CommentsUpdate" after a posted comment.
#pragma once

#include <memory>

namespace zu {

class Column;
class NewsDetail;
class NewsSummary;
struct Notification;

namespace ui {
class ViewController;
}

class ReportToolBarOwner {
 public:
  virtual ~ReportToolBarOwner() = default;

  // The controller that presents and dismisses the toolbar's screens and whose view shows its
  // sheets.
  virtual std::shared_ptr<ui::ViewController> presenter() = 0;
  // Leaves the screen (the return button).
  virtual void clickPop() = 0;
  // The current page: its summary, its detail and its index.
  virtual std::shared_ptr<NewsSummary> currentNewsSummary() = 0;
  virtual std::shared_ptr<NewsDetail> currentDetailData() = 0;
  virtual int currentIndex() = 0;
  virtual std::shared_ptr<Column> dataColumn() = 0;

  // The results of the favourite tasks ("TaskStatus" among them), tagged with the entry id.
  virtual void onAddFavoriteTaskResult(const Notification& notification) = 0;
  virtual void onDelFavoriteTaskResult(const Notification& notification) = 0;

  // An owner that answers true hears "CommentsUpdate" after the toolbar posted a comment.
  virtual bool answersCommentsUpdate() const { return false; }
  virtual void commentsUpdate(const Notification& /*notification*/) {}
};

}  // namespace zu
