#include "shell/detail/AddCommentViewController.h"

#include "engine/core/Task.h"
#include "model/columns/Column.h"
#include "model/entry/Entry.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/StringUtil.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "shell/detail/ColumnDetailEngine.h"
#include "shell/app/ErrorTips.h"
#include "shell/skin/MBarButtonItem.h"
#include "shell/skin/MyFaceSettings.h"
#include "shell/widgets/SPWaitingSavePhoto.h"

namespace zu {

void AddCommentViewController::build(ui::NibLoading& file) {
  auto view = file.make<ui::View>(ui::Rect(0, 0, 320, 416));
  auto back = file.make<ui::ImageView>(ui::Rect(0, 0, 320, 100));
  auto stars = file.make<StarsView>(ui::Rect(0, 12, 320, 30));
  auto note = file.make<ui::Label>(ui::Rect(10, 50, 300, 40));
  note->setBackgroundColor(ui::Color::clearColor());
  note->setFont(ui::Font::systemFont(13));
  note->setNumberOfLines(2);
  note->setTextAlignment(ui::TextAlignment::Center);
  note->setText("轻点或划过星星为栏目打分，再写下您的评价");
  // The box ends above the keyboard, which shows as the form opens (its top is 200 in the view).
  auto text = file.make<ui::TextView>(ui::Rect(10, 104, 300, 92));
  text->setFont(ui::Font::systemFont(15));
  text->setBackgroundColor(ui::Color::clearColor());
  text->layer().borderWidth = 1;
  text->layer().borderColor = ui::Color::white(0.75f);
  text->layer().cornerRadius = 4;
  for (const auto& part : std::initializer_list<std::shared_ptr<ui::View>>{back, stars, note, text}) {
    view->addSubview(part);
  }
  file.connectOwnerView(view);
  file.connectOwner<AddCommentViewController>([back, stars, note, text](AddCommentViewController& owner) {
    owner.backImage_ = back;
    owner.starsView_ = stars;
    owner.noteLabel_ = note;
    owner.commentTextView_ = text;
  });
}

void AddCommentViewController::registerNib() { ui::NibRegistry::shared().add(kNibName, build); }

AddCommentViewController::AddCommentViewController()
    : ViewController(std::string(kNibName)), engine_(ColumnDetailEngine::defaultEngine()) {}

AddCommentViewController::~AddCommentViewController() {
  NotificationCenter::defaultCenter().remove(this);
  // Left (back) while a post ran: its result will reach no one, so the waiting display, which
  // takes no touches, would otherwise stay up.
  if (sendingTaskId_) {
    if (auto* waiting = SPWaitingSavePhoto::existing()) waiting->hideWaitingDialog();
  }
}

void AddCommentViewController::setEngine(std::shared_ptr<ColumnDetailEngine> engine) {
  engine_ = engine ? std::move(engine) : ColumnDetailEngine::defaultEngine();
}

void AddCommentViewController::viewDidLoad() {
  ViewController::viewDidLoad();
  navigationItem()->setTitle(std::string("评价"));
  navigationItem()->setHidesBackButton(true);
  std::weak_ptr<ViewController> weak = shared();
  backButton_ = MBarButtonItem::buttonItemWithTitle(std::string("  返回"), this, [weak](ui::Control&) {
    if (auto self = std::static_pointer_cast<AddCommentViewController>(weak.lock())) self->backButtonPressed();
  });
  MyFaceSettings::setImageForNavBarLeftButton(*backButton_);
  navigationItem()->setLeftBarButtonItem(std::make_shared<ui::BarButtonItem>(backButton_));
  sendButton_ = MBarButtonItem::buttonItemWithTitle(std::string("发表评价"), this, [weak](ui::Control&) {
    if (auto self = std::static_pointer_cast<AddCommentViewController>(weak.lock())) self->commentButtonPressed();
  });
  MyFaceSettings::setImageForNavBarRightButton(*sendButton_);
  sendButton_->setEnabled(false);
  navigationItem()->setRightBarButtonItem(std::make_shared<ui::BarButtonItem>(sendButton_));

  if (commentTextView_) {
    commentTextView_->setDelegate(std::static_pointer_cast<AddCommentViewController>(shared()));
    commentTextView_->becomeFirstResponder();
  }
  rate_ = 0;
  initStarsView();

  view()->setBackgroundColor(MyFaceSettings::getBackgroundcolorForColumnCommentView());
  if (backImage_) MyFaceSettings::setImageForColumnCommentViewBackImageView(*backImage_);
  if (noteLabel_) MyFaceSettings::setForColumnCommentNoteLabel(*noteLabel_);
  if (commentTextView_) commentTextView_->setTextColor(MyFaceSettings::getColorForColumnCommentTextView());
}

void AddCommentViewController::viewDidUnload() {
  ViewController::viewDidUnload();
  starsView_.reset();
  commentTextView_.reset();
}

void AddCommentViewController::initStarsView() {
  if (!starsView_) return;
  starsView_->setDelegate(std::static_pointer_cast<AddCommentViewController>(shared()));
  starsView_->setTotalNum(StarsView::kStars);
  starsView_->setMarkedNum(0);
  starsView_->setMarkedStarImage(ui::Image::named("bigstar_yellow"));
  starsView_->setBlackStarImage(ui::Image::named("bigstar_black"));
  starsView_->setPadding(kStarPadding);
  const float starWidth = starsView_->markedStarImage() ? starsView_->markedStarImage()->size().width : 0;
  starsView_->setWidth(starWidth + kStarPadding);
  const double viewWidth = starsView_->bounds().size.width;
  starsView_->setLeftPadding(static_cast<float>(
      (viewWidth - StarsView::kStars * static_cast<double>(starsView_->width()) + starsView_->padding()) / 2));
  starsView_->setNeedsDisplay();
}

void AddCommentViewController::markedNumChanged(int32_t markedNum) {
  rate_ = markedNum > 0 ? static_cast<uint32_t>(markedNum) : 0;
  updateSendButton();
}

void AddCommentViewController::textViewDidChange(ui::TextView&) { updateSendButton(); }

void AddCommentViewController::updateSendButton() {
  if (!sendButton_) return;
  const bool hasText = commentTextView_ && StringUtil::utf16Length(commentTextView_->text()) >= 1;
  sendButton_->setEnabled(hasText && rate_ != 0 && !isSending());
}

void AddCommentViewController::commentButtonPressed() {
  // A second tap while a post runs sends nothing.
  if (isSending()) return;
  const std::string text =
      StringUtil::trimWhitespaceAndNewlines(commentTextView_ ? commentTextView_->text() : std::string());
  auto task = engine_->createCommentColumnTask(column_, static_cast<float>(rate_), text);
  if (!task) return;
  SPWaitingSavePhoto::showLoadingView();
  task->setUserIdentity(column_ ? column_->entryId() : std::nullopt);
  sendingTaskId_ = task->getTaskIdStr();
  std::weak_ptr<ViewController> weak = shared();
  NotificationCenter::defaultCenter().add(*sendingTaskId_, this, [weak](const Notification& note) {
    if (auto self = std::static_pointer_cast<AddCommentViewController>(weak.lock())) self->postCompleted(note);
  });
  updateSendButton();
  engine_->asyncRunTask(task);
}

void AddCommentViewController::finishSending() {
  SPWaitingSavePhoto::hideLoadingView();
  if (sendingTaskId_) NotificationCenter::defaultCenter().remove(this, *sendingTaskId_);
  sendingTaskId_.reset();
}

void AddCommentViewController::postCompleted(const Notification& notification) {
  if (!sendingTaskId_ || notification.name != *sendingTaskId_) return;
  auto keep = shared();
  finishSending();
  const std::string type = notification.userInfo.get("ResultType").stringValue().value_or("");
  std::shared_ptr<Entry> posted;
  bool succeeded = false;
  if (type == "Entry") {
    posted = notification.userInfo.get("Result").asObject<Entry>();
    succeeded = true;
  } else if (type == "TaskStatus") {
    const int code = static_cast<int>(notification.userInfo.get("Result").intValue());
    // A rating without text brings no review entry: its finish of 0 is the success.
    succeeded = code >= 0;
    if (!succeeded) {
      ErrorTips::showErrorInfo(code, notification.userInfo.get("ErrDesc").stringValue(), std::nullopt);
    }
  }
  if (!succeeded) {
    updateSendButton();
    return;
  }
  if (auto* navigation = navigationController()) navigation->popViewController(true);
  if (auto listener = delegate()) listener->didPostNewComment(posted);
}

void AddCommentViewController::backButtonPressed() {
  if (auto* navigation = navigationController()) navigation->popViewController(true);
}

}  // namespace zu
