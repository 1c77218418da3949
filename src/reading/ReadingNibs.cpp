#include "reading/ReadingNibs.h"

#include "reading/comments/CommentsController.h"
#include "reading/refresh/FavoriteNoneView.h"
#include "reading/refresh/LoadMoreViewCell.h"
#include "reading/pictures/NewPictureViewController.h"
#include "reading/list/ReportContentController.h"
#include "reading/cells/ReportContentTableCell.h"
#include "reading/cells/ReportContentTableCellForImage.h"
#include "reading/cells/ReportContentTableCellForVideo.h"
#include "reading/cells/ReportContentTableCellMBlog.h"
#include "reading/cells/ReportContentTableCellWithImage.h"
#include "reading/toolbar/ReportToolBarController.h"
#include "reading/browser/WebViewController_New.h"

namespace zu {

void ReadingNibs::registerNibs() {
  ReportContentTableCell::registerNib();
  ReportContentTableCellWithImage::registerNib();
  ReportContentTableCellMBlog::registerNib();
  ReportContentTableCellForImage::registerNib();
  ReportContentTableCellForVideo::registerNib();
  LoadMoreViewCell::registerNib();
  FavoriteNoneView::registerNib();
  ReportContentController::registerNib();
  ReportToolBarController::registerNib();
  WebViewController_New::registerNib();
  CommentsController::registerNibs();
  NewPictureViewController::registerNibs();
}

}  // namespace zu
