#include "settings/feedback/MoreSettingsFeedbackViewController.h"

#include "catalog/widgets/PBCustomSegmentedControl.h"
#include "engine/core/Task.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/input/TapGestureRecognizer.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationBar.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/views/TableViewCell.h"
#include "settings/feedback/FeedbackEngine.h"
#include "shell/app/ScreenRequest.h"
#include "shell/skin/NRSkinManager.h"
#include "shell/widgets/MSPlaceHolderTextView.h"

namespace zu {

namespace {

constexpr const char* kQuestionsIdentifier = "QuestionsCell";
constexpr const char* kTextIdentifier = "TextCell";
constexpr const char* kMailIdentifier = "MailCell";
constexpr const char* kTitle = "反馈意见";
constexpr const char* kPlaceholder = "说点什么吧";
constexpr const char* kMailPlaceholder = "请输入邮箱地址以方便我们与您联系";
constexpr const char* kNote = "您的反馈意见将有助于我们优化zu阅读，同时，我们也将在反馈用户中进行抽奖，回馈用户。";
constexpr float kQuestionsRowHeight = 54;
constexpr float kTextRowHeight = 161;
constexpr float kSegmentWidth = 80;
constexpr float kKeyboardHeight = 216;
constexpr double kKeyboardAnimation = 0.3;
constexpr float kMessageOffset = 20;
constexpr float kMailOffset = 150;

const NRSkinManager& skin() { return NRSkinManager::sharedManager(); }

// A 1-point line across a cell at `y` in the skin's cell colour.
void addLine(ui::View& content, float y) {
  auto line = std::make_shared<ui::View>(ui::Rect(0, y, 320, 1));
  line->setBackgroundColor(skin().colorWithCodeName("colorKdmsCellBackground").value_or(ui::Color::lightGrayColor()));
  content.addSubview(line);
}

std::shared_ptr<ui::TableViewCell> plainCell(const char* identifier) {
  auto cell = std::make_shared<ui::TableViewCell>(ui::TableViewCellStyle::Default, std::string(identifier));
  cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
  return cell;
}

}  // namespace

// The message box's delegate: passes its changes and its start of editing to the screen.
class MoreSettingsFeedbackViewController::MessageDelegate : public ui::TextViewDelegate {
 public:
  explicit MessageDelegate(std::weak_ptr<MoreSettingsFeedbackViewController> screen) : screen_(std::move(screen)) {}
  void textViewDidChange(ui::TextView&) override {
    if (auto screen = screen_.lock()) screen->messageDidChange();
  }
  void textViewDidBeginEditing(ui::TextView&) override {
    if (auto screen = screen_.lock()) screen->messageDidBeginEditing();
  }

 private:
  std::weak_ptr<MoreSettingsFeedbackViewController> screen_;
};

// --- the interface file

void MoreSettingsFeedbackViewController::build(ui::NibLoading& file) {
  if (std::dynamic_pointer_cast<ScreenRequest>(file.owner())) {
    file.makeTopLevel<MoreSettingsFeedbackViewController>();
    return;
  }
  if (!std::dynamic_pointer_cast<MoreSettingsFeedbackViewController>(file.owner())) return;
  auto view = file.make<ui::View>(ui::Rect(0, 0, 320, 416));
  auto table = file.make<ui::TableView>(ui::Rect(0, 0, 320, 416), ui::TableViewStyle::Plain);
  view->addSubview(table);
  file.connectOwnerView(view);
  file.connectOwner<MoreSettingsFeedbackViewController>(
      [=](MoreSettingsFeedbackViewController& owner) { owner.tableView_ = table; });
}

void MoreSettingsFeedbackViewController::registerNib() { ui::NibRegistry::shared().add(kNibName, build); }

// --- making

MoreSettingsFeedbackViewController::MoreSettingsFeedbackViewController()
    : ui::ViewController(std::string(kNibName)), engine_(FeedbackEngine::defaultEngine()) {}

MoreSettingsFeedbackViewController::~MoreSettingsFeedbackViewController() {
  stopObserving();
  NotificationCenter::defaultCenter().remove(this);
  if (exitToken_ != 0) RunLoop::main()->cancel(exitToken_);
  if (submitIndicator_) submitIndicator_->removeFromSuperview();
}

std::shared_ptr<MoreSettingsFeedbackViewController> MoreSettingsFeedbackViewController::sharedFeedback() {
  return std::static_pointer_cast<MoreSettingsFeedbackViewController>(shared());
}

void MoreSettingsFeedbackViewController::setEngine(std::shared_ptr<FeedbackEngine> engine) {
  engine_ = engine ? std::move(engine) : FeedbackEngine::defaultEngine();
}

// --- the view

void MoreSettingsFeedbackViewController::viewDidLoad() {
  ViewController::viewDidLoad();
  guest_ = engine_->isAnonymous();
  std::weak_ptr<MoreSettingsFeedbackViewController> weak = sharedFeedback();
  ui::NavigationItem& item = *navigationItem();
  setTitle(kTitle);
  item.setLeftBarButtonItem(skin().barButtonItemWithTitle("  更多", NRSkinManager::kBackButtonType, this,
                                                          [weak](ui::Control&) {
                                                            if (auto self = weak.lock()) self->returnButtonPressedAction();
                                                          }));
  auto submit = skin().barButtonItemWithTitle("提交", NRSkinManager::kDoneButtonType, this, [weak](ui::Control&) {
    if (auto self = weak.lock()) self->submitButtonPressedAction();
  });
  submit->setEnabled(false);
  item.setRightBarButtonItem(submit);

  submitIndicator_ = std::make_shared<ui::ActivityIndicatorView>(ui::ActivityIndicatorStyle::White);
  submitIndicator_->setFrame(ui::Rect(95, 12, 20, 20));
  submitIndicator_->setHidesWhenStopped(true);

  messageDelegate_ = std::make_shared<MessageDelegate>(weak);
  inputTextView_ = std::make_shared<MSPlaceHolderTextView>(ui::Rect(0, 0, 320, 160));
  inputTextView_->setTag(kMessageTag);
  if (auto font = skin().fontWithCodeName("fontKdmsCellTitle")) inputTextView_->setFont(*font);
  if (auto color = skin().colorWithCodeName("colorKdmsCellTitle")) inputTextView_->setTextColor(*color);
  inputTextView_->setPlaceholder(kPlaceholder);
  if (auto color = skin().colorWithCodeName("colorKdmsCellInputPlaceholder")) inputTextView_->setPlaceholderColor(*color);
  inputTextView_->setBackgroundColor(ui::Color::clearColor());
  inputTextView_->setDelegate(messageDelegate_);

  if (tableView_) {
    tableView_->setDataSource(std::weak_ptr<ui::TableViewDataSource>(sharedFeedback()));
    tableView_->setDelegate(std::weak_ptr<ui::TableViewDelegate>(sharedFeedback()));
    tableView_->setSeparatorColor(ui::Color::clearColor());
    // The skin's picture behind a clear table.
    tableView_->setBackgroundColor(ui::Color::clearColor());
    auto background = std::make_shared<ui::ImageView>(skin().imageWithCodeName("imageKdmsTableViewBackground"));
    background->setFrame(view()->bounds());
    view()->addSubview(background);
    view()->sendSubviewToBack(background);
    // A tap outside the message box and the address field puts the keyboard away; the table's
    // own touches still go through.
    auto tap = std::make_shared<ui::TapGestureRecognizer>();
    tap->setCancelsTouchesInView(false);
    tap->addTarget(this, [weak](ui::GestureRecognizer& recognizer) {
      auto self = weak.lock();
      if (!self) return;
      auto inside = [&recognizer](const std::shared_ptr<ui::View>& box) {
        return box && box->window() && box->bounds().contains(recognizer.locationInView(box.get()));
      };
      if (!inside(self->inputTextView_) && !inside(self->textField_)) self->backgroundPressed();
    });
    tableView_->addGestureRecognizer(tap);
  }

  auto& center = NotificationCenter::defaultCenter();
  center.add(ui::Keyboard::kWillShowNotification, this, [weak](const Notification&) {
    if (auto self = weak.lock()) self->keyboardWillShow();
  });
  center.add(ui::Keyboard::kWillHideNotification, this, [weak](const Notification&) {
    if (auto self = weak.lock()) self->keyboardWillHide();
  });
}

void MoreSettingsFeedbackViewController::viewWillAppear(bool animated) {
  ViewController::viewWillAppear(animated);
  if (auto* navigation = navigationController(); navigation && submitIndicator_ && !submitIndicator_->superview()) {
    navigation->navigationBar()->addSubview(submitIndicator_);
  }
}

void MoreSettingsFeedbackViewController::viewDidDisappear(bool animated) {
  ViewController::viewDidDisappear(animated);
  // The indicator belongs to this screen, not to the bar the next screen shows.
  if (submitIndicator_) submitIndicator_->removeFromSuperview();
}

void MoreSettingsFeedbackViewController::viewDidUnload() {
  ViewController::viewDidUnload();
  NotificationCenter::defaultCenter().remove(this, ui::Keyboard::kWillShowNotification);
  NotificationCenter::defaultCenter().remove(this, ui::Keyboard::kWillHideNotification);
  tableView_.reset();
  inputTextView_.reset();
  textField_.reset();
  segmentedControl_.reset();
}

void MoreSettingsFeedbackViewController::setTitle(const std::string& title) {
  skin().setCurrentSkinTitleNavigationItem(title, *navigationItem());
}

void MoreSettingsFeedbackViewController::keyboardWillShow() {
  if (!tableView_) return;
  const float height = view()->bounds().size.height - kKeyboardHeight;
  auto table = tableView_;
  ui::Animations::animate(kKeyboardAnimation, [table, height] {
    table->setFrame(ui::Rect(0, 0, table->frame().size.width, height));
  });
  if (textField_ && textField_->isEditing()) tableView_->setContentOffset(ui::Point{0, kMailOffset}, true);
}

void MoreSettingsFeedbackViewController::keyboardWillHide() {
  if (!tableView_) return;
  auto table = tableView_;
  ui::Animations::animate(kKeyboardAnimation, [table] { table->setFrame(ui::Rect(0, 0, 320, 416)); });
}

// --- the table

std::optional<float> MoreSettingsFeedbackViewController::heightForRow(ui::TableView&, const ui::IndexPath& indexPath) {
  switch (indexPath.row) {
    case 0:
      return kQuestionsRowHeight;
    case 1:
      return kTextRowHeight;
    default:
      return isGuest() ? kGuestMailRowHeight : kReaderMailRowHeight;
  }
}

std::shared_ptr<ui::TableViewCell> MoreSettingsFeedbackViewController::cellForRow(ui::TableView& table,
                                                                                  const ui::IndexPath& indexPath) {
  switch (indexPath.row) {
    case 0:
      return questionsCell(table);
    case 1:
      return textCell(table);
    default:
      return mailCell(table);
  }
}

std::shared_ptr<ui::TableViewCell> MoreSettingsFeedbackViewController::questionsCell(ui::TableView& table) {
  auto cell = table.dequeueReusableCell(kQuestionsIdentifier);
  if (!cell) {
    cell = plainCell(kQuestionsIdentifier);
    auto control = std::make_shared<PBCustomSegmentedControl>(ui::Rect(0, 0, 320, kQuestionsRowHeight));
    control->setTag(kSegmentTag);
    for (size_t i = 0; i < kButtonImageNames.size(); ++i) {
      const std::string name = kButtonImageNames[i];
      PBSegmentInfo info;
      info.width = kSegmentWidth;
      info.normalImage = skin().imageWithCodeName(name + "Normal");
      info.selectedImage = skin().imageWithCodeName(name + "Highlighted");
      control->insertSegmentWithSegmentInfo(info, static_cast<int>(i));
    }
    std::weak_ptr<MoreSettingsFeedbackViewController> weak = sharedFeedback();
    control->addTarget(this, ui::kControlEventValueChanged, [weak](ui::Control& sender) {
      if (auto self = weak.lock()) self->segmentedControlValueChanged(static_cast<PBCustomSegmentedControl&>(sender));
    });
    cell->contentView()->addSubview(control);
    addLine(*cell->contentView(), kQuestionsRowHeight - 1);
  }
  segmentedControl_ = std::dynamic_pointer_cast<PBCustomSegmentedControl>(cell->viewWithTag(kSegmentTag));
  if (segmentedControl_) segmentedControl_->setSelectedSegmentIndex(lastSelectedIndex_);
  return cell;
}

std::shared_ptr<ui::TableViewCell> MoreSettingsFeedbackViewController::textCell(ui::TableView& table) {
  auto cell = table.dequeueReusableCell(kTextIdentifier);
  if (!cell) {
    cell = plainCell(kTextIdentifier);
    addLine(*cell->contentView(), kTextRowHeight - 1);
  }
  if (inputTextView_ && inputTextView_->superview() != cell->contentView()) {
    inputTextView_->removeFromSuperview();
    cell->contentView()->addSubview(inputTextView_);
  }
  return cell;
}

std::shared_ptr<ui::TableViewCell> MoreSettingsFeedbackViewController::mailCell(ui::TableView& table) {
  auto cell = table.dequeueReusableCell(kMailIdentifier);
  if (cell) return cell;
  cell = plainCell(kMailIdentifier);
  ui::View& content = *cell->contentView();
  float noteTop = 10;
  if (isGuest()) {
    auto background = skin().imageWithCodeName("imageKdmsNicknameInputBackground");
    auto backgroundView = std::make_shared<ui::ImageView>(background ? background->stretchableImage(30, 20) : nullptr);
    backgroundView->setFrame(ui::Rect(10, 10, 300, 32));
    content.addSubview(backgroundView);
    textField_ = std::make_shared<ui::TextField>(ui::Rect(20, 10, 280, 32));
    textField_->setPlaceholder(std::string(kMailPlaceholder));
    textField_->setKeyboardType(ui::KeyboardType::EmailAddress);
    textField_->setAutocapitalizes(false);
    textField_->setBorderStyle(ui::TextBorderStyle::None);
    textField_->setContentVerticalAlignment(ui::ControlContentVerticalAlignment::Center);
    if (auto font = skin().fontWithCodeName("fontKdmsCellSubtitle")) textField_->setFont(*font);
    textField_->setDelegate(std::weak_ptr<ui::TextFieldDelegate>(sharedFeedback()));
    content.addSubview(textField_);
    noteTop += 42;
  }
  auto note = std::make_shared<ui::Label>(ui::Rect(10, noteTop, 310, 36));
  note->setText(kNote);
  note->setNumberOfLines(2);
  note->setLineBreakMode(ui::LineBreakMode::WordWrap);
  note->setBackgroundColor(ui::Color::clearColor());
  note->setTextColor(skin().colorWithCodeName("colorKdmsHeaderViewText").value_or(ui::Color::darkGrayColor()));
  note->setShadowColor(skin().colorWithCodeName("colorKdmsHeaderViewTextShadow"));
  note->setShadowOffset(skin().sizeWithCodeName("shadowKdpTableViewHeaderViewText"));
  note->setFont(skin().fontWithCodeName("fontKdmsHeaderViewText").value_or(ui::Font::systemFont(12)));
  content.addSubview(note);
  return cell;
}

// --- editing

void MoreSettingsFeedbackViewController::messageDidChange() {
  if (sending_) return;
  if (auto submit = navigationItem()->rightBarButtonItem()) {
    submit->setEnabled(inputTextView_ && !inputTextView_->text().empty());
  }
}

void MoreSettingsFeedbackViewController::messageDidBeginEditing() {
  if (tableView_) tableView_->setContentOffset(ui::Point{0, kMessageOffset}, true);
}

void MoreSettingsFeedbackViewController::textFieldDidBeginEditing(ui::TextField&) {
  if (tableView_) tableView_->setContentOffset(ui::Point{0, kMailOffset}, true);
}

void MoreSettingsFeedbackViewController::backgroundPressed() {
  if (inputTextView_) inputTextView_->resignFirstResponder();
  if (textField_) textField_->resignFirstResponder();
}

void MoreSettingsFeedbackViewController::segmentedControlValueChanged(PBCustomSegmentedControl& control) {
  lastSelectedIndex_ = control.selectedSegmentIndex();
}

void MoreSettingsFeedbackViewController::returnButtonPressedAction() {
  if (auto* navigation = navigationController()) navigation->popViewController(true);
}

// --- sending

void MoreSettingsFeedbackViewController::submitButtonPressedAction() {
  if (sending_ || !inputTextView_ || inputTextView_->text().empty()) return;
  sending_ = true;
  // The keyboard goes now, not after the screen has left.
  backgroundPressed();
  ui::NavigationItem& item = *navigationItem();
  item.setRightBarButtonItem(nullptr);
  // The skin's back button is hidden, and so is the bar's own, which would otherwise take its
  // place.
  item.setHidesBackButton(true);
  if (auto left = item.leftBarButtonItem(); left && left->customView()) left->customView()->setHidden(true);
  if (submitIndicator_) submitIndicator_->startAnimating();
  setTitle("正在提交");

  const std::optional<std::string> archive = archive_.make();
  const std::string type = kQuestionTypes[static_cast<size_t>(lastSelectedIndex_) % kQuestionTypes.size()];
  const std::optional<std::string> contact =
      textField_ ? std::optional<std::string>(textField_->text()) : std::nullopt;
  auto task = engine_->createFeedbackTask(type, inputTextView_->text(), archive.value_or(std::string()), contact);
  if (!task) {
    archive_.remove();
    if (submitIndicator_) submitIndicator_->stopAnimating();
    setTitle("提交失败");
    std::weak_ptr<MoreSettingsFeedbackViewController> weak = sharedFeedback();
    exitToken_ = RunLoop::main()->postDelayed(kExitDelay, [weak] {
      if (auto self = weak.lock()) self->exitFeedback();
    });
    return;
  }
  taskId_ = task->getTaskIdStr();
  std::weak_ptr<MoreSettingsFeedbackViewController> weak = sharedFeedback();
  NotificationCenter::defaultCenter().add(*taskId_, this, [weak](const Notification& note) {
    if (auto self = weak.lock()) self->getSubmitResultOnMainThread(note);
  });
  engine_->asyncRunTask(task);
}

void MoreSettingsFeedbackViewController::stopObserving() {
  if (taskId_) NotificationCenter::defaultCenter().remove(this, *taskId_);
  taskId_.reset();
}

void MoreSettingsFeedbackViewController::getSubmitResultOnMainThread(const Notification& notification) {
  if (submitIndicator_) submitIndicator_->stopAnimating();
  const Dictionary& info = notification.userInfo;
  if (info.get("ResultType").stringValue().value_or("") != "TaskStatus") return;
  stopObserving();
  // The upload is over, whatever its outcome: the log archive is not kept.
  archive_.remove();
  const int64_t code = info.get("Result").intValue();
  if (code == 0) {
    setTitle("提交成功");
    navigationItem()->setLeftBarButtonItem(nullptr);
  } else if (code < 0) {
    setTitle("提交失败");
  }
  std::weak_ptr<MoreSettingsFeedbackViewController> weak = sharedFeedback();
  exitToken_ = RunLoop::main()->postDelayed(kExitDelay, [weak] {
    if (auto self = weak.lock()) self->exitFeedback();
  });
}

void MoreSettingsFeedbackViewController::exitFeedback() {
  exitToken_ = 0;
  if (submitIndicator_) submitIndicator_->stopAnimating();
  auto* navigation = navigationController();
  // Only this screen leaves: never a screen the reader reached meanwhile.
  if (navigation && navigation->topViewController().get() == this) navigation->popViewController(true);
}

}  // namespace zu
