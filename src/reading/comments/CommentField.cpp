#include "reading/comments/CommentField.h"

#include <algorithm>
#include <cmath>

#include "engine/core/Task.h"
#include "model/columns/Column.h"
#include "model/entry/NewsDetail.h"
#include "model/service/VeskAssess.h"
#include "platform/device/SystemEnvironment.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/ViewController.h"
#include "reading/comments/CommentWordCount.h"
#include "reading/comments/CommentsEngine.h"
#include "shell/widgets/SPWaitingSavePhoto.h"

namespace zu {
namespace {

constexpr const char* kCommitComment = "commitComment";
constexpr int kToastSuccess = 4;
constexpr int kOrangeFrom = 10;
// The counter's number is at least this wide.
constexpr float kCountWidth = 40;

ui::Color grey(int level) { return ui::Color::rgba8(level, level, level); }

std::shared_ptr<ui::Button> redButton(const std::string& title) {
  auto button = ui::Button::create();
  for (unsigned state : {ui::kControlStateNormal, ui::kControlStateHighlighted}) {
    button->setTitle(title, state);
    button->setTitleShadowColor(ui::Color::blackColor(), state);
  }
  button->setBackgroundImage(ui::Image::named("button_red_normal.png"), ui::kControlStateNormal);
  button->setBackgroundImage(ui::Image::named("button_red_press.png"), ui::kControlStateHighlighted);
  button->titleLabel()->setShadowOffset(ui::Size{0, -1});
  button->titleLabel()->setFont(ui::Font::named("Helvetica-Bold", 12));
  return button;
}

}  // namespace

std::shared_ptr<CommentField> CommentField::create() {
  auto field = std::make_shared<CommentField>();
  field->build();
  return field;
}

CommentField::CommentField() : View(ui::Rect(0, 0, 320, 244)), engine_(CommentsEngine::defaultEngine()) {}

CommentField::~CommentField() { NotificationCenter::defaultCenter().remove(this); }

std::shared_ptr<CommentField> CommentField::sharedField() {
  return std::static_pointer_cast<CommentField>(shared());
}

void CommentField::build() {
  std::weak_ptr<CommentField> weak = sharedField();
  bgImageView_ = std::make_shared<ui::ImageView>(ui::Rect(5, 34, 310, 185));
  commentText_ = std::make_shared<ui::TextView>(ui::Rect(25, 44, 280, 161));
  commentText_->setDelegate(std::weak_ptr<ui::TextViewDelegate>(sharedField()));
  textLabel_ = std::make_shared<ui::Label>(ui::Rect(180, 221, 70, 20));
  textLabel_->setTextAlignment(ui::TextAlignment::Right);
  wordsCount_ = std::make_shared<ui::Label>(ui::Rect(250, 221, kCountWidth, 20));
  wordsCount_->setTextAlignment(ui::TextAlignment::Center);
  ziLabel_ = std::make_shared<ui::Label>(ui::Rect(290, 221, 20, 20));
  ziLabel_->setText("字");
  guestLabel_ = std::make_shared<ui::Label>(ui::Rect(10, 221, 170, 20));
  guestLabel_->setText("游客身份发表评论");
  for (const auto& label : {textLabel_, wordsCount_, ziLabel_, guestLabel_}) {
    label->setFont(ui::Font::systemFont(12));
    label->setBackgroundColor(ui::Color::clearColor());
  }
  cancelBut_ = redButton("取消");
  cancelBut_->setFrame(ui::Rect(5, 2, 60, 30));
  cancelBut_->addTarget(this, ui::kControlEventTouchUpInside, [weak](ui::Control&) {
    if (auto field = weak.lock()) field->cancel();
  });
  send_ = redButton("评论");
  send_->setFrame(ui::Rect(255, 2, 60, 30));
  send_->setAutoresizingMask(ui::kAutoresizingFlexibleLeftMargin);
  send_->addTarget(this, ui::kControlEventTouchUpInside, [weak](ui::Control&) {
    if (auto field = weak.lock()) field->commitComment();
  });
  for (const auto& view : std::initializer_list<std::shared_ptr<ui::View>>{
           bgImageView_, commentText_, textLabel_, wordsCount_, ziLabel_, guestLabel_, cancelBut_, send_}) {
    addSubview(view);
  }
  textViewDidChange(*commentText_);
}

void CommentField::pushFromView(const std::shared_ptr<ui::View>&) {
  auto browser = browseController();
  if (!browser) return;
  if (SystemEnvironment::isSystemVersionAtLeast5()) {
    // Heard and left alone, as the keyboard never covers the sheet.
    NotificationCenter::defaultCenter().add(ui::Keyboard::kWillChangeFrameNotification, this,
                                            [](const Notification&) {});
  }
  commentText_->layer().cornerRadius = 5;
  commentText_->setBackgroundColor(ui::Color::clearColor());
  textLabel_->setTextColor(grey(153));
  ziLabel_->setTextColor(grey(153));
  setBackgroundColor(grey(247));
  bgImageView_->setClipsToBounds(true);
  send_->setEnabled(false);
  guestLabel_->setHidden(!engine_->isAnonymous());

  const auto& browserView = browser->view();
  auto container = browserView ? browserView->superview() : nullptr;
  if (!container) return;
  container->addSubview(shared());
  layoutSubviews();
  const float height = bounds().size.height;
  ui::Point center = this->center();
  center.y -= height;
  setCenter(center);
  std::weak_ptr<CommentField> weak = sharedField();
  std::weak_ptr<ui::View> weakBrowserView = browserView;
  ui::Animations::animate(kSlideDuration, [weak, weakBrowserView, height] {
    const auto slide = ui::Transform::makeTranslation(0, height);
    if (auto view = weakBrowserView.lock()) view->setTransform(slide);
    if (auto field = weak.lock()) field->setTransform(slide);
  });
  commentText_->becomeFirstResponder();
  textViewDidChange(*commentText_);
}

void CommentField::cancel() {
  if (SystemEnvironment::isSystemVersionAtLeast5()) {
    NotificationCenter::defaultCenter().remove(this, ui::Keyboard::kWillChangeFrameNotification);
  }
  commentText_->resignFirstResponder();
  std::weak_ptr<CommentField> weak = sharedField();
  auto browser = browseController();
  std::weak_ptr<ui::View> weakBrowserView = browser ? browser->view() : nullptr;
  auto keep = sharedField();
  ui::Animations::animate(
      kSlideDuration,
      [weak, weakBrowserView] {
        if (auto view = weakBrowserView.lock()) view->setTransform(ui::Transform::identity());
        if (auto field = weak.lock()) field->setTransform(ui::Transform::identity());
      },
      [keep](bool) { keep->removeFromSuperview(); });
}

void CommentField::textViewDidChange(ui::TextView& textView) {
  const int remaining = CommentWordCount::remaining(textView.text(), kMaxLength);
  wordsCount_->setText(std::to_string(CommentWordCount::shownNumber(remaining)));
  textLabel_->setText(CommentWordCount::words(remaining));
  if (remaining >= 0) {
    wordsCount_->setTextColor(remaining > kOrangeFrom ? grey(33) : ui::Color(1.0f, 0.4f, 0.0f));
    send_->setEnabled(remaining < kMaxLength);
  } else {
    wordsCount_->setTextColor(ui::Color::redColor());
    send_->setEnabled(false);
  }
  placeCounter();
}

void CommentField::placeCounter() {
  // The number takes the width its digits need (a pasted text is over by thousands), growing
  // to the left from "字"; the words stand right before it.
  const ui::Rect unit = ziLabel_->frame();
  const ui::Rect number = wordsCount_->frame();
  const float width = std::max(kCountWidth, std::ceil(wordsCount_->sizeThatFits(ui::Size{0, 0}).width));
  wordsCount_->setFrame(ui::Rect(unit.origin.x - width, number.origin.y, width, number.size.height));
  const ui::Rect words = textLabel_->frame();
  textLabel_->setFrame(ui::Rect(unit.origin.x - width - words.size.width, words.origin.y, words.size.width,
                                words.size.height));
}

void CommentField::commitComment() {
  if (CommentWordCount::remaining(commentText_->text(), kMaxLength) < 0) {
    commentText_->setText(CommentWordCount::cut(commentText_->text(), kMaxLength));
  }
  send_->setEnabled(false);
  const auto& assess = detailData_ ? detailData_->veskAssess() : nullptr;
  auto task = engine_->createPostCommentTask(assess ? assess->href() : std::nullopt,
                                             detailData_ ? detailData_->entryId() : std::nullopt,
                                             std::string("无主题"), commentText_->text(),
                                             columnData_ ? columnData_->veskCustomization() : nullptr);
  if (!task) return;
  task->setUserIdentity(std::string(kCommitComment));
  taskId_ = task->getTaskIdStr();
  std::weak_ptr<CommentField> weak = sharedField();
  NotificationCenter::defaultCenter().add(*taskId_, this, [weak](const Notification& note) {
    if (auto field = weak.lock()) field->getResultOnMainThread(note);
  });
  engine_->asyncRunTask(task);
}

void CommentField::getResultOnMainThread(const Notification& note) {
  auto keep = sharedField();
  const std::string type = note.userInfo.get("ResultType").stringValue().value_or("");
  if (type == "Entry") {
    send_->setEnabled(true);
    if (detailData_ && detailData_->veskAssess()) detailData_->veskAssess()->incrementTimes();
    NotificationCenter::defaultCenter().post("CommentsUpdate", Value(std::static_pointer_cast<Object>(keep)),
                                             note.userInfo);
    return;
  }
  if (type != "TaskStatus") return;
  NotificationCenter::defaultCenter().remove(this, note.name);
  taskId_.reset();
  const int code = static_cast<int>(note.userInfo.get("Result").intValue());
  if (code >= 0) {
    cancel();
    SPWaitingSavePhoto::showwaitingDialogWithTypeOntimer(kToastSuccess, "评论成功");
    return;
  }
  auto alert = std::make_shared<ui::AlertView>(std::string("操作失败"), note.userInfo.get("ErrDesc").stringValue(),
                                               std::weak_ptr<ui::AlertViewDelegate>(), std::string("ok"));
  alert->show();
  // The sheet stays with its text, to be sent again.
  textViewDidChange(*commentText_);
}

void CommentField::layoutSubviews() {
  View::layoutSubviews();
  auto browser = browseController();
  if (!browser) return;
  const auto& browserView = browser->view();
  const auto container = browserView ? browserView->superview() : nullptr;
  const bool underStatusBar =
      browser->wantsFullScreenLayout() || (container && container->bounds().size.height == 480);
  const float offset = underStatusBar ? 20 : 0;
  const auto orientation = browser->interfaceOrientation();
  const bool portrait = orientation == SystemEnvironment::Orientation::kPortrait ||
                        orientation == SystemEnvironment::Orientation::kPortraitUpsideDown;
  const float width = portrait ? 320 : 480;
  const float height = portrait ? 244 : 145;
  // The frame as seen, the slide's translation included: shown, the sheet sits at the top.
  const ui::Transform slide = transform();
  setBounds(ui::Rect(0, 0, width, height));
  setCenter(ui::Point{width / 2 - slide.tx, offset + height / 2 - slide.ty});
  commentText_->setFrame(portrait ? ui::Rect(25, 44, 280, 161) : ui::Rect(25, 44, 435, 62));
  commentText_->setContentInset(ui::EdgeInsets{portrait ? 3.f : -3.f, 0, 0, 0});
  bgImageView_->setFrame(portrait ? ui::Rect(5, 34, 310, 185) : ui::Rect(5, 34, 470, 88));
  bgImageView_->setImage(ui::Image::named(portrait ? "pinglun_bj.png" : "pinglun_h_bj.png"));
  const float row = portrait ? 221 : 123;
  guestLabel_->setFrame(ui::Rect(10, row, 170, 20));
  textLabel_->setFrame(ui::Rect(width - 140, row, 70, 20));
  wordsCount_->setFrame(ui::Rect(width - 30 - kCountWidth, row, kCountWidth, 20));
  ziLabel_->setFrame(ui::Rect(width - 30, row, 20, 20));
  send_->setFrame(ui::Rect(width - 65, 2, 60, 30));
  placeCounter();
}

}  // namespace zu
