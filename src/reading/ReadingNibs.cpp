#include "reading/ReadingNibs.h"

#include "reading/CommentsController.h"
#include "reading/FavoriteNoneView.h"
#include "reading/LoadMoreViewCell.h"
#include "reading/NewPictureViewController.h"
#include "reading/ReportContentController.h"
#include "reading/ReportContentTableCell.h"
#include "reading/ReportContentTableCellForImage.h"
#include "reading/ReportContentTableCellForVideo.h"
#include "reading/ReportContentTableCellMBlog.h"
#include "reading/ReportContentTableCellWithImage.h"
#include "reading/ReportToolBarController.h"
#include "reading/WebViewController_New.h"

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
