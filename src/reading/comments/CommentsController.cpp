#include "reading/comments/CommentsController.h"

#include <algorithm>
#include <cmath>

#include "engine/openplatform/OpenPlatformBase.h"
#include "model/columns/Column.h"
#include "model/entry/Content.h"
#include "model/entry/Entry.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/entry/NewsDetail.h"
#include "model/entry/NewsSummary.h"
#include "model/service/VeskAssess.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationBar.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/drawing/Screen.h"
#include "platform/ui/system/Application.h"
#include "reading/comments/CommentCell.h"
#include "reading/comments/CommentWordCount.h"
#include "reading/comments/CommentsEngine.h"
#include "reading/support/ReadingLook.h"
#include "reading/toolbar/ReportToolBarController.h"
#include "shell/app/MSSettings.h"
#include "shell/app/ScreenRequest.h"
#include "shell/skin/NRSkinManager.h"
#include "shell/widgets/MSPlaceHolderTextView.h"
#include "shell/widgets/SPWaitingSavePhoto.h"

namespace zu {
namespace {

constexpr float kWidth = 320;
constexpr float kBarHeight = 44;
// The counter's number is at least this wide, and its words stand this far before it.
constexpr float kNumberWidth = 26;
constexpr float kWordsGap = 1;
constexpr const char* kWriteCellIdentifier = "WriteCellItentifier";
constexpr const char* kLoadCellIdentifier = "LoadCellIdentifier";

std::shared_ptr<ui::Image> skinImage(const char* code) {
  return NRSkinManager::sharedManager().imageWithCodeName(code);
}

std::shared_ptr<ui::Label> plainLabel(const ui::Rect& frame, const ui::Font& font, const ui::Color& color) {
  auto label = std::make_shared<ui::Label>(frame);
  label->setFont(font);
  label->setTextColor(color);
  label->setBackgroundColor(ui::Color::clearColor());
  return label;
}

}  // namespace

bool CommentsController::isShowError_ = false;

// The screen of a request: its parameters are what an opener sets.
void CommentsController::build(ui::NibLoading& file) {
  auto screen = file.makeTopLevel<CommentsController>();
  auto request = std::dynamic_pointer_cast<ScreenRequest>(file.owner());
  if (!request) return;
  const Dictionary& parameters = request->parameters();
  screen->setNewsSummary(parameters.get("newsSummary").asObject<NewsSummary>());
  screen->setDetailData(parameters.get("detailData").asObject<NewsDetail>());
  screen->setColumnData(parameters.get("column").asObject<Column>());
  screen->setCurrentIndex(static_cast<int>(parameters.get("currentIndex").intValue()));
  screen->setViewController(parameters.get("viewController").asObject<ui::ViewController>());
}

void CommentsController::registerNibs() {
  ui::NibRegistry::shared().add(kNibName, build);
  CommentCell::registerNib();
}

CommentsController::CommentsController()
    : ViewController(std::nullopt), engine_(CommentsEngine::defaultEngine()) {}

CommentsController::~CommentsController() {
  isShowError_ = false;
  releaseClients();
  NotificationCenter::defaultCenter().remove(this);
  // A delete still running showed the spinner, which takes no touches, so the reader could leave;
  // its result is heard by no one now, so the spinner goes with the screen.
  if (!deletions_.empty()) {
    if (auto* hud = SPWaitingSavePhoto::existing()) hud->hideWaitingDialog();
  }
}

std::shared_ptr<CommentsController> CommentsController::sharedComments() {
  return std::static_pointer_cast<CommentsController>(shared());
}

int32_t CommentsController::commentCount() const {
  return detailData_ && detailData_->veskAssess() ? detailData_->veskAssess()->times() : 0;
}

std::string CommentsController::titleText() const { return "评论(" + std::to_string(commentCount()) + ")"; }

void CommentsController::setTitleCount() {
  const std::string title = titleText();
  setTitle(title);
  if (navItem_) NRSkinManager::sharedManager().setCurrentSkinTitleNavigationItem(title, *navItem_);
}

// --- the view

void CommentsController::loadView() {
  const ui::Rect frame = ui::Screen::main().applicationFrame();
  auto view = std::make_shared<ui::View>(ui::Rect(0, 0, kWidth, frame.size.height));
  view->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  view->setBackgroundColor(ui::Color::whiteColor());
  const float height = frame.size.height;
  navBar_ = std::make_shared<ui::NavigationBar>(ui::Rect(0, 0, kWidth, kBarHeight));
  commentsTable_ = std::make_shared<ui::TableView>(ui::Rect(0, kBarHeight, kWidth, height - 2 * kBarHeight));
  commentsTable_->setAutoresizingMask(ui::kAutoresizingFlexibleHeight);
  toolBarView_ = std::make_shared<ui::View>(ui::Rect(0, height - kBarHeight, kWidth, kBarHeight));
  toolBarView_->setAutoresizingMask(ui::kAutoresizingFlexibleTopMargin);
  view->addSubview(commentsTable_);
  view->addSubview(navBar_);
  view->addSubview(toolBarView_);
  setView(view);
}

void CommentsController::viewDidLoad() {
  ViewController::viewDidLoad();
  auto self = sharedComments();
  const auto& skin = NRSkinManager::sharedManager();
  reportToolBarController_ = ReportToolBarController::create(
      ReportToolBarController::kNibName, std::weak_ptr<ReportToolBarOwner>(self), detailData_, newsSummary_);
  if (reportToolBarController_) {
    reportToolBarController_->setColumnData(columnData_);
    if (const auto& bar = reportToolBarController_->view()) {
      bar->setFrame(toolBarView_->bounds());
      toolBarView_->addSubview(bar);
    }
  }
  commentsTable_->setDataSource(self);
  commentsTable_->setDelegate(std::weak_ptr<ui::TableViewDelegate>(self));
  skin.setCurrentBackgroundImageOfNavigationBar(*navBar_);
  navItem_ = std::make_shared<ui::NavigationItem>();
  navItem_->setHidesBackButton(true);
  std::weak_ptr<CommentsController> weak = self;
  auto right = skin.barButtonItemWithTitle(std::string("原文"), NRSkinManager::kDoneButtonType, this,
                                           [weak](ui::Control&) {
                                             if (auto screen = weak.lock()) screen->switchView();
                                           });
  rightButton_ = right ? std::dynamic_pointer_cast<ui::Button>(right->customView()) : nullptr;
  // "原文" returns to the article: the screen's way back.
  if (rightButton_) rightButton_->setLeavesScreen(true);
  navItem_->setRightBarButtonItem(right);
  navBar_->setItems({navItem_});
  setTitle(std::string("评论(0)"));
  skin.setCurrentSkinTitleNavigationItem("评论(0)", *navItem_);

  indicator_ = std::make_shared<ui::ActivityIndicatorView>(ui::ActivityIndicatorStyle::Gray);
  indicator_->setHidesWhenStopped(true);
  indicator_->setCenter(ui::Point{view()->bounds().size.width / 2, view()->bounds().size.height / 2});
  view()->addSubview(indicator_);

  moreComments_ = ui::Button::create();
  moreComments_->setTag(kMoreCommentsTag);
  moreComments_->setFrame(ui::Rect(10, 10, 300, 34));
  // The button's pictures of the look ("black_" twins by night), like the rows around it.
  const bool night = MSSettings::valueForNight();
  moreComments_->setBackgroundImage(ReadingLook::image("but_morepinglun_normal.png", night), ui::kControlStateNormal);
  moreComments_->setBackgroundImage(ReadingLook::image("but_morepinglun_press.png", night),
                                    ui::kControlStateHighlighted);
  moreComments_->addTarget(this, ui::kControlEventTouchUpInside, [weak](ui::Control&) {
    if (auto screen = weak.lock()) screen->showMoreComments();
  });
  moreComments_->setHidden(true);
  loadCell_ = std::make_shared<ui::TableViewCell>(ui::TableViewCellStyle::Default, std::string(kLoadCellIdentifier));
  loadCell_->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
  loadCell_->contentView()->addSubview(moreComments_);
  paintRow(*loadCell_);

  buildWriteBox();

  auto& center = NotificationCenter::defaultCenter();
  center.add(kStatusUpdateNotification, this, [weak](const Notification& note) {
    if (auto screen = weak.lock()) screen->commentsCountUpdate(note);
  });
  center.add(kCommentsUpdateNotification, this, [weak](const Notification& note) {
    if (auto screen = weak.lock()) screen->commentsUpdate(note);
  });
  center.add(ui::TextView::kTextDidChangeNotification, this, [weak](const Notification&) {
    if (auto screen = weak.lock()) screen->textChanged();
  });

  bindedSocialArray_ = engine_->authorizedClients();
  maxWriteNumber_ = CommentWordCount::kMaxWriteNumber;
  if (bindedSocialArray_.empty()) {
    writeForwardButton_->setHidden(true);
    writeForwardLabel_->setHidden(true);
  } else {
    asyncGetShortUrlString();
  }
  resetWriteNumberLabel();
  commentsTable_->setBackgroundColor(ReadingLook::skinColor("colorKdnrCommentCellBackgroundJishu", ui::Color::whiteColor()));
}

// The write box's and the more-comments rows take the table's skin colour, so by night they are
// as dark as the comment rows around them.
void CommentsController::paintRow(ui::TableViewCell& cell) {
  const ui::Color ground = ReadingLook::skinColor("colorKdnrCommentCellBackgroundJishu", ui::Color::whiteColor());
  cell.setBackgroundColor(ground);
  cell.contentView()->setBackgroundColor(ground);
}

void CommentsController::buildWriteBox() {
  auto self = sharedComments();
  std::weak_ptr<CommentsController> weak = self;
  writeCell_ = std::make_shared<ui::TableViewCell>(ui::TableViewCellStyle::Default, std::string(kWriteCellIdentifier));
  writeCell_->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
  paintRow(*writeCell_);
  auto content = writeCell_->contentView();

  writeTextBackground_ = ui::Button::create();
  writeTextBackground_->setEnabled(false);
  if (auto image = skinImage("imageKdnrCommentWriteBackground")) {
    writeTextBackground_->setBackgroundImage(image->stretchableImage(30, 14), ui::kControlStateNormal);
    writeTextBackground_->setBackgroundImage(image->stretchableImage(30, 14), ui::kControlStateDisabled);
  }
  content->addSubview(writeTextBackground_);

  writeTextView_ = std::make_shared<MSPlaceHolderTextView>(ui::Rect(10, 10, 300, 25));
  writeTextView_->setFont(ReadingLook::skinFont("fontKdnrCommentWriteText", 14));
  writeTextView_->setTextColor(ReadingLook::skinColor("colorKdnrShareWriteText", ui::Color::blackColor()));
  writeTextView_->setPlaceholderColor(ReadingLook::skinColor("colorKdnrShareWriteTextPlaceholder", ui::Color::grayColor()));
  writeTextView_->setPlaceholder("我要说两句");
  writeTextView_->setBackgroundColor(ui::Color::clearColor());
  writeTextView_->setDelegate(std::weak_ptr<ui::TextViewDelegate>(self));
  content->addSubview(writeTextView_);

  // The forward row, shown while writing: the check box and its title, the counter, send.
  writeForwardView_ = std::make_shared<ui::View>(ui::Rect(10, 92, 300, 40));
  writeForwardView_->setBackgroundColor(ui::Color::clearColor());
  writeForwardButton_ = ui::Button::create();
  writeForwardButton_->setFrame(ui::Rect(0, 8, 24, 24));
  writeForwardButton_->setImage(skinImage("imageKdpSelectableButtonNO"), ui::kControlStateNormal);
  writeForwardButton_->setImage(skinImage("imageKdpSelectableButtonYES"), ui::kControlStateSelected);
  writeForwardButton_->setImage(skinImage("imageKdpSelectableButtonYES"),
                                ui::kControlStateSelected | ui::kControlStateHighlighted);
  writeForwardLabel_ = ui::Button::create();
  writeForwardLabel_->setFrame(ui::Rect(26, 5, 120, 30));
  // The title starts beside its box, leaving the counter after it a clear gap.
  writeForwardLabel_->setContentHorizontalAlignment(ui::ControlContentHorizontalAlignment::Left);
  writeForwardLabel_->setTitle(std::string("同时转发已绑定微博"), ui::kControlStateNormal);
  writeForwardLabel_->setTitleColor(ReadingLook::skinColor("colorKdnrCommentWriteAlsoForward", ui::Color::darkGrayColor()),
                                    ui::kControlStateNormal);
  writeForwardLabel_->titleLabel()->setFont(ReadingLook::skinFont("fontKdnrCommentWriteAlsoForward", 12));
  for (const auto& button : {writeForwardButton_, writeForwardLabel_}) {
    button->addTarget(this, ui::kControlEventTouchUpInside, [weak](ui::Control&) {
      if (auto screen = weak.lock()) screen->writeForwardButtonAction();
    });
  }
  writeNumberArroundLabel_ = plainLabel(ui::Rect(150, 12, 60, 16), ReadingLook::skinFont("fontKdnrShareCountArround", 11),
                                        ReadingLook::skinColor("colorKdnrShareCountText", ui::Color::grayColor()));
  writeNumberArroundLabel_->setTextAlignment(ui::TextAlignment::Right);
  writeNumberLabel_ = plainLabel(ui::Rect(211, 12, kNumberWidth, 16), ReadingLook::skinFont("fontKdnrShareCountNumber", 12),
                                 ReadingLook::skinColor("colorKdnrShareCountNormal", ui::Color::darkGrayColor()));
  writeNumberLabel_->setTextAlignment(ui::TextAlignment::Center);
  writeUnitLabel_ = plainLabel(ui::Rect(237, 12, 13, 16), ReadingLook::skinFont("fontKdnrShareCountArround", 11),
                               ReadingLook::skinColor("colorKdnrShareCountText", ui::Color::grayColor()));
  writeUnitLabel_->setText("字");
  writeSendButton_ = ui::Button::create();
  writeSendButton_->setFrame(ui::Rect(250, 5, 50, 30));
  writeSendButton_->setBackgroundImage(skinImage("imageKdnrCommentPostButtonNormal"), ui::kControlStateNormal);
  writeSendButton_->setBackgroundImage(skinImage("imageKdnrCommentPostButtonHighlighted"),
                                       ui::kControlStateHighlighted);
  writeSendButton_->setTitle(std::string("发送"), ui::kControlStateNormal);
  writeSendButton_->titleLabel()->setFont(ui::Font::boldSystemFont(12));
  writeSendButton_->setEnabled(false);
  writeSendButton_->addTarget(this, ui::kControlEventTouchUpInside, [weak](ui::Control&) {
    if (auto screen = weak.lock()) screen->postAction();
  });
  for (const auto& view : std::initializer_list<std::shared_ptr<ui::View>>{
           writeForwardButton_, writeForwardLabel_, writeNumberArroundLabel_, writeNumberLabel_, writeUnitLabel_,
           writeSendButton_}) {
    writeForwardView_->addSubview(view);
  }
  content->addSubview(writeForwardView_);

  writeBottomLine_ = std::make_shared<ui::ImageView>(skinImage("imageKdpTableViewCellBottomLine"));
  writeBottomLine_->setAutoresizingMask(ui::kAutoresizingFlexibleTopMargin | ui::kAutoresizingFlexibleWidth);
  content->addSubview(writeBottomLine_);
  layoutWriteBox();
}

void CommentsController::layoutWriteBox() {
  if (!writeCell_) return;
  const float height = isWriting_ ? kWritingHeight : kWriteBoxHeight;
  writeCell_->setFrame(ui::Rect(0, 0, kWidth, height));
  writeBottomLine_->setFrame(ui::Rect(0, height - 2, kWidth, 2));
  if (isWriting_) {
    writeTextBackground_->setFrame(ui::Rect(10, 9, 300, 76));
    writeTextView_->setFrame(ui::Rect(10, 13, 300, 54));
    writeForwardView_->setHidden(false);
  } else {
    writeTextBackground_->setFrame(ui::Rect(10, 9, 300, 30));
    writeTextView_->setFrame(ui::Rect(10, 10, 300, 25));
    writeTextView_->setContentOffset(ui::Point{0, 0});
    writeForwardView_->setHidden(true);
  }
}

void CommentsController::viewDidUnload() {
  auto& center = NotificationCenter::defaultCenter();
  center.remove(this, kStatusUpdateNotification);
  center.remove(this, kCommentsUpdateNotification);
  center.remove(this, ui::TextView::kTextDidChangeNotification);
  navBar_.reset();
  navItem_.reset();
  rightButton_.reset();
  commentsTable_.reset();
  indicator_.reset();
  moreComments_.reset();
  loadCell_.reset();
  toolBarView_.reset();
  reportToolBarController_.reset();
  writeCell_.reset();
  writeTextView_.reset();
  writeTextBackground_.reset();
  writeNumberArroundLabel_.reset();
  writeNumberLabel_.reset();
  writeUnitLabel_.reset();
  writeForwardButton_.reset();
  writeForwardLabel_.reset();
  writeForwardView_.reset();
  writeSendButton_.reset();
  writeBottomLine_.reset();
  ViewController::viewDidUnload();
}

void CommentsController::viewWillAppear(bool animated) {
  ViewController::viewWillAppear(animated);
  ui::Application::shared().setStatusBarOrientation(SystemEnvironment::Orientation::kPortrait);
  if (auto* navigation = navigationController()) navigation->setNavigationBarHidden(true, false);
  setTitleCount();
  commentsArray_.clear();
  fetchData();
  getNewsDetailDynamic();
  if (commentsTable_) commentsTable_->reloadData();
  if (reportToolBarController_) reportToolBarController_->setButtonState();
}

// --- the write box

void CommentsController::setWriting(bool writing) {
  isWriting_ = writing;
  if (writing) {
    if (writeTextView_ && !writeTextView_->isFirstResponder()) writeTextView_->becomeFirstResponder();
  } else if (writeTextView_) {
    writeTextView_->resignFirstResponder();
  }
  layoutWriteBox();
  if (commentsTable_) commentsTable_->reloadData();
}

void CommentsController::textViewDidBeginEditing(ui::TextView& textView) {
  if (&textView != writeTextView_.get() || isWriting_) return;
  setWriting(true);
}

void CommentsController::scrollViewWillBeginDragging(ui::ScrollView& scrollView) {
  if (&scrollView != commentsTable_.get() || !isWriting_) return;
  setWriting(false);
}

void CommentsController::writeForwardButtonAction() {
  if (writeForwardButton_) writeForwardButton_->setSelected(!writeForwardButton_->isSelected());
}

void CommentsController::textChanged() {
  if (!writeTextView_) return;
  if (writeSendButton_) writeSendButton_->setEnabled(!writeTextView_->text().empty());
  resetWriteNumberLabel();
}

void CommentsController::resetWriteNumberLabel() {
  if (!writeTextView_ || !writeNumberLabel_) return;
  const int remaining = CommentWordCount::remaining(writeTextView_->text(), maxWriteNumber_);
  writeNumberArroundLabel_->setText(CommentWordCount::words(remaining));
  writeNumberLabel_->setText(std::to_string(CommentWordCount::shownNumber(remaining)));
  writeNumberLabel_->setTextColor(remaining >= 0 ? ReadingLook::skinColor("colorKdnrShareCountNormal", ui::Color::darkGrayColor())
                                                 : ReadingLook::skinColor("colorKdnrShareCountOut", ui::Color::redColor()));
  // The number takes the width its digits need (a pasted text is over by thousands), growing
  // to the left from "字"; the words stand right before it.
  const ui::Rect number = writeNumberLabel_->frame();
  const float right = number.maxX();
  const float width = std::max(kNumberWidth, std::ceil(writeNumberLabel_->sizeThatFits(ui::Size{0, 0}).width));
  writeNumberLabel_->setFrame(ui::Rect(right - width, number.origin.y, width, number.size.height));
  const ui::Rect words = writeNumberArroundLabel_->frame();
  writeNumberArroundLabel_->setFrame(
      ui::Rect(right - width - kWordsGap - words.size.width, words.origin.y, words.size.width, words.size.height));
}

// --- the table

int64_t CommentsController::numberOfRowsInSection(ui::TableView&, int64_t section) {
  return section == 0 ? 1 : static_cast<int64_t>(commentsArray_.size()) + 1;
}

std::shared_ptr<ui::TableViewCell> CommentsController::cellForRow(ui::TableView& table,
                                                                  const ui::IndexPath& indexPath) {
  if (indexPath.section == 0) {
    layoutWriteBox();
    return writeCell_;
  }
  const auto row = static_cast<size_t>(indexPath.row);
  if (row >= commentsArray_.size()) {
    moreComments_->setHidden(!(commentsFeed_ && commentsFeed_->nextLink()));
    return loadCell_;
  }
  auto cell = std::dynamic_pointer_cast<CommentCell>(table.dequeueReusableCell(CommentCell::kReuseIdentifier));
  if (!cell) cell = CommentCell::load();
  if (!cell) return std::make_shared<ui::TableViewCell>();
  const Entry& comment = *commentsArray_[row];
  std::shared_ptr<ui::Image> avatar;
  if (const auto& thumbnail = comment.coverImageThumbnailLink(); thumbnail && thumbnail->href()) {
    if (auto path = engine_->getImageLocalPath(thumbnail->href())) avatar = ui::Image::fromFile(*path);
  }
  cell->setComment(comment, avatar, row % 2 == 1);
  return cell;
}

std::optional<float> CommentsController::heightForRow(ui::TableView&, const ui::IndexPath& indexPath) {
  if (indexPath.section == 0) return isWriting_ ? kWritingHeight : kWriteBoxHeight;
  const auto row = static_cast<size_t>(indexPath.row);
  if (row >= commentsArray_.size()) return kLoadRowHeight;
  const auto& content = commentsArray_[row]->content();
  return CommentCell::heightForText(content ? content->data().value_or("") : std::string());
}

std::optional<ui::IndexPath> CommentsController::willSelectRow(ui::TableView&, const ui::IndexPath& indexPath) {
  if (indexPath.section == 0 || static_cast<size_t>(indexPath.row) >= commentsArray_.size()) return std::nullopt;
  return indexPath;
}

void CommentsController::didSelectRow(ui::TableView&, const ui::IndexPath& indexPath) {
  selectComment(indexPath.row);
}

}  // namespace zu
