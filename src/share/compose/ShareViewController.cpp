#include "share/compose/ShareViewController.h"

#include <algorithm>

#include "engine/core/Task.h"
#include "engine/http/HttpEngine.h"
#include "engine/openplatform/OpenPlatformBase.h"
#include "model/entry/NewsDetail.h"
#include "model/service/VeskCategory.h"
#include "platform/device/SystemEnvironment.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/StringUtil.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/controls/Switch.h"
#include "share/accounts/AccountEngine.h"
#include "share/accounts/MBAccountManagerViewController.h"
#include "share/compose/NRCustomStatusBar.h"
#include "share/compose/ShareEngine.h"
#include "share/compose/ShareTableCellText.h"
#include "share/compose/ShareTableCellTo.h"
#include "share/compose/ShareTextView.h"
#include "shell/app/ScreenRequest.h"
#include "shell/skin/NRSkinManager.h"
#include "shell/widgets/SPWaitingSavePhoto.h"

namespace zu {

namespace {

constexpr int64_t kTextSection = 0;
constexpr int64_t kAccountSection = 1;
constexpr int64_t kBindSection = 2;
constexpr const char* kBindIdentifier = "defaultTableViewCell";

ui::Color skinColor(const char* code, ui::Color fallback) {
  return NRSkinManager::sharedManager().colorWithCodeName(code).value_or(fallback);
}

}  // namespace

ShareViewController::ShareViewController()
    : ui::ViewController(std::string(ScreenRequest::kShareNib)), engine_(ShareEngine::defaultEngine()) {}

ShareViewController::~ShareViewController() {
  NRCustomStatusBar::hide();
  // Gone before its share ended (the presenter let it go): the waiting panel is its own, and
  // an error of that share must not take the next share's toast.
  if (sharing_) {
    SPWaitingSavePhoto::hideLoadingView();
    sHasError() = false;
  }
  NotificationCenter::defaultCenter().remove(this);
  cancelDelayedCalls();
  for (const auto& weak : observedClients_) {
    if (auto client = weak.lock(); client && client->observer() == this) client->setObserver(nullptr);
  }
  if (httpEngine_) {
    httpEngine_->setObserver(nullptr);
    httpEngine_->reset();
  }
}

void ShareViewController::buildScreen(ui::NibLoading& file) {
  auto screen = file.makeTopLevel<ShareViewController>();
  auto request = std::dynamic_pointer_cast<ScreenRequest>(file.owner());
  if (!request) return;
  const Dictionary& parameters = request->parameters();
  screen->setNewsdetail(parameters.get("newsdetail").asObject<NewsDetail>());
  screen->setNewsBrowseController(parameters.get("newsBrowseController").asObject<ui::ViewController>());
  screen->setFather(parameters.get("father").asObject<Object>());
  screen->setPostText(parameters.get("postText").stringValue().value_or(std::string()));
  screen->setPostImageIndex(static_cast<int>(parameters.get("postImageIndex").intValue()));
  screen->setUseEntryIDForShortUrl(parameters.get("useEntryIDForShortUrl").boolValue());
}

void ShareViewController::registerNibs() {
  ui::NibRegistry::shared().add(ScreenRequest::kShareNib, buildScreen);
  ShareTableCellText::registerNib();
  ShareTableCellTo::registerNib();
}

std::shared_ptr<ShareViewController> ShareViewController::sharedShare() {
  return std::static_pointer_cast<ShareViewController>(shared());
}

void ShareViewController::setEngine(std::shared_ptr<ShareEngine> engine) {
  engine_ = engine ? std::move(engine) : ShareEngine::defaultEngine();
}

bool ShareViewController::hasError() { return sHasError(); }

bool& ShareViewController::sHasError() {
  static bool hasError = false;
  return hasError;
}

void ShareViewController::setItemEnabled(const std::shared_ptr<ui::BarButtonItem>& item, bool enabled) {
  if (!item) return;
  item->setEnabled(enabled);
  if (auto control = std::dynamic_pointer_cast<ui::Control>(item->customView())) control->setEnabled(enabled);
}

std::shared_ptr<ui::BarButtonItem> ShareViewController::sendButton() { return navigationItem()->rightBarButtonItem(); }

std::shared_ptr<ui::BarButtonItem> ShareViewController::cancelButton() { return navigationItem()->leftBarButtonItem(); }

// --- loading

void ShareViewController::loadView() {
  auto view = std::make_shared<ui::View>(ui::Rect(0, 0, 320, kTableHeight));
  view->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  tableViewBackground_ = std::make_shared<ui::ImageView>();
  tableViewBackground_->setFrame(view->bounds());
  tableViewBackground_->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  view->addSubview(tableViewBackground_);
  shareTableView_ = std::make_shared<ui::TableView>(ui::Rect(0, 0, 320, kTableHeight), ui::TableViewStyle::Grouped);
  shareTableView_->setAutoresizingMask(ui::kAutoresizingFlexibleWidth);
  view->addSubview(shareTableView_);
  setView(view);
}

void ShareViewController::viewDidLoad() {
  auto self = sharedShare();
  shareTableView_->setDataSource(std::weak_ptr<ui::TableViewDataSource>(self));
  shareTableView_->setDelegate(std::weak_ptr<ui::TableViewDelegate>(self));

  const NRSkinManager& skin = NRSkinManager::sharedManager();
  ui::NavigationItem& item = *navigationItem();
  skin.setCurrentSkinTitleNavigationItem("转发", item);
  item.setLeftBarButtonItem(skin.barButtonItemWithTitle(" 取消", NRSkinManager::kBackButtonType, this,
                                                        [this](ui::Control&) { cancelAction(); }));
  item.setRightBarButtonItem(skin.barButtonItemWithTitle("转发", NRSkinManager::kDoneButtonType, this,
                                                         [this](ui::Control&) { sendAction(); }));
  tableViewBackground_->setImage(skin.imageWithCodeName("imageKdssTableViewBackground"));
  shareTableView_->setBackgroundColor(ui::Color::clearColor());
  shareTableView_->setSeparatorColor(skinColor("colorKdmsTableViewSeparator", ui::Color::white(0.88f)));

  isFirstIn_ = true;
  httpEngine_ = std::make_shared<HttpEngine>();
  httpEngine_->setObserver(this);
  shareToList_.clear();
  returnCount_ = 0;
  isPost_ = false;

  if (postText_.empty()) {
    const std::string title = newsdetail_ && newsdetail_->title() && !newsdetail_->title()->empty()
                                  ? *newsdetail_->title()
                                  : std::string(kEmptyTitle);
    postText_ = std::string(1, '\x7f') + "「" + title + "」 ";
  }
  UserDefaults& defaults = UserDefaults::standard();
  if (defaults.objectForKey(kCommentSwitchKey).isNull()) defaults.set(kCommentSwitchKey, Value(true));

  commentCheckButton_ = std::make_shared<ui::Button>(ui::ButtonType::Custom, ui::Rect(179, 1, 14, 15));
  commentCheckButton_->setImage(skin.imageWithCodeName("imageKdpSelectableButtonNO"), ui::kControlStateNormal);
  commentCheckButton_->setImage(skin.imageWithCodeName("imageKdpSelectableButtonYES"), ui::kControlStateSelected);
  commentLabelButton_ = std::make_shared<ui::Button>(ui::ButtonType::Custom, ui::Rect(197, 0, 150, 16));
  commentLabelButton_->setTitle("同时添加一条评论", ui::kControlStateNormal);
  commentLabelButton_->setTitleColor(skin.colorWithCodeName("colorKdnrCommentWriteAlsoForward"), ui::kControlStateNormal);
  if (auto font = skin.fontWithCodeName("fontKdnrCommentWriteAlsoForward")) commentLabelButton_->titleLabel()->setFont(*font);
  commentLabelButton_->setContentHorizontalAlignment(ui::ControlContentHorizontalAlignment::Left);
  for (const auto& button : {commentCheckButton_, commentLabelButton_}) {
    button->addTarget(this, ui::kControlEventTouchUpInside,
                      [this](ui::Control&) { commentCheckButton_->setSelected(!commentCheckButton_->isSelected()); });
  }
}

// --- appearance

void ShareViewController::viewWillAppear(bool animated) {
  SystemEnvironment::setStatusBarOrientation(SystemEnvironment::Orientation::kPortrait);
  if (auto* navigation = navigationController()) navigation->setNavigationBarHidden(false, true);
  if (!observingKeyboard_) {
    observingKeyboard_ = true;
    std::weak_ptr<ShareViewController> weak = sharedShare();
    NotificationCenter& center = NotificationCenter::defaultCenter();
    const char* frameNote = SystemEnvironment::systemVersion() < 5.0f ? ui::Keyboard::kWillShowNotification
                                                                       : ui::Keyboard::kWillChangeFrameNotification;
    center.add(frameNote, this, [weak](const Notification& n) {
      if (auto self = weak.lock()) self->keyboardWillChangeFrame(n);
    });
    center.add(ui::Keyboard::kWillHideNotification, this, [weak](const Notification& n) {
      if (auto self = weak.lock()) self->keyboardWillHide(n);
    });
  }
  shareToList_.clear();
  startShortUrlTask();
  rebuildList();
  updateLimits();
  shareTableView_->reloadData();
  setSendAndCounter();
  ui::ViewController::viewWillAppear(animated);
}

void ShareViewController::viewDidAppear(bool animated) {
  ui::ViewController::viewDidAppear(animated);
  if (isFirstIn_) {
    isFirstIn_ = false;
    if (textCell_ && textCell_->shareText()) {
      ShareTextView& text = *textCell_->shareText();
      text.setText(postText_);
      text.setSelectedRange(ui::TextRange{0, StringUtil::utf16Length(postText_)});
      text.becomeFirstResponder();
    }
    if (shareToList_.empty()) later(kAccountsDelay, &ShareViewController::openAccountsWithMoveIn);
  } else if (shareToList_.empty()) {
    // Back from the accounts screen without binding.
    dismiss();
  }
}

void ShareViewController::viewWillDisappear(bool animated) {
  resignText();
  if (observingKeyboard_) {
    observingKeyboard_ = false;
    NotificationCenter& center = NotificationCenter::defaultCenter();
    center.remove(this, ui::Keyboard::kWillShowNotification);
    center.remove(this, ui::Keyboard::kWillChangeFrameNotification);
    center.remove(this, ui::Keyboard::kWillHideNotification);
  }
  ui::ViewController::viewWillDisappear(animated);
}

bool ShareViewController::shouldAutorotateToInterfaceOrientation(SystemEnvironment::Orientation orientation) {
  return orientation == SystemEnvironment::Orientation::kPortrait;
}

void ShareViewController::rebuildList() {
  for (const auto& client : AccountEngine::current()->allPlatforms()) {
    if (!client || !client->authorized()) continue;
    ShareToSource source;
    source.shareType = client->platform();
    source.accountName = client->accountInfo().nickName.value_or(std::string());
    source.sourceName = client->platformName();
    source.isTurnOn = client->shareEnable();
    source.maxInputWordsNum = client->platform() == 0 ? kLimit + kZelvaneExtra : kLimit;
    shareToList_.push_back(std::move(source));
  }
}

bool ShareViewController::anyTurnedOn() const { return turnedOnCount() > 0; }

int32_t ShareViewController::turnedOnCount() const {
  return static_cast<int32_t>(std::count_if(shareToList_.begin(), shareToList_.end(),
                                            [](const ShareToSource& source) { return source.isTurnOn; }));
}

void ShareViewController::updateLimits() {
  std::optional<int32_t> smallest;
  for (const ShareToSource& source : shareToList_) {
    if (!source.isTurnOn) continue;
    const int32_t allowed = source.maxInputWordsNum - kLinkReserve;
    smallest = smallest ? std::min(*smallest, allowed) : allowed;
  }
  maxInputNum_ = smallest.value_or(0);
}

void ShareViewController::setSendAndCounter() {
  const bool on = anyTurnedOn();
  // A running share keeps the bar disabled until it ends.
  setItemEnabled(sendButton(), on && !sharing_);
  if (!textCell_) return;
  for (int tag : {ShareTableCellText::kTagCountWords, ShareTableCellText::kTagCountNumber,
                  ShareTableCellText::kTagCountUnit}) {
    if (auto counter = textCell_->viewWithTag(tag)) counter->setHidden(!on);
  }
}

// --- the table

int64_t ShareViewController::numberOfRowsInSection(ui::TableView&, int64_t section) {
  return section == kAccountSection ? static_cast<int64_t>(shareToList_.size()) : 1;
}

std::optional<float> ShareViewController::heightForRow(ui::TableView&, const ui::IndexPath& indexPath) {
  return indexPath.section == kTextSection ? 154.0f : indexPath.section == kAccountSection ? 54.0f : 56.0f;
}

std::optional<float> ShareViewController::heightForHeaderInSection(ui::TableView&, int64_t section) {
  return section == kAccountSection ? 32.0f : 8.0f;
}

std::optional<float> ShareViewController::heightForFooterInSection(ui::TableView&, int64_t section) {
  if (section == kTextSection) return newsdetail_ && newsdetail_->supportComment() ? 16.0f : 2.0f;
  return section == kAccountSection ? 2.0f : 8.0f;
}

std::shared_ptr<ui::View> ShareViewController::viewForHeaderInSection(ui::TableView&, int64_t section) {
  if (section != kAccountSection) return nullptr;
  const NRSkinManager& skin = NRSkinManager::sharedManager();
  auto header = std::make_shared<ui::View>(ui::Rect(0, 0, 320, 32));
  header->setBackgroundColor(ui::Color::clearColor());
  auto label = std::make_shared<ui::Label>(ui::Rect(18, 0, 200, 32));
  label->setBackgroundColor(ui::Color::clearColor());
  label->setText("转发至社交网站");
  label->setFont(ui::Font::named("Helvetica-Bold", 15));
  label->setTextColor(skinColor("colorKdmsHeaderViewText", ui::Color::darkGrayColor()));
  label->setShadowColor(skin.colorWithCodeName("colorKdmsHeaderViewTextShadow"));
  label->setShadowOffset(skin.sizeWithCodeName("shadowKdpTableViewHeaderViewText"));
  header->addSubview(label);
  return header;
}

std::shared_ptr<ui::View> ShareViewController::viewForFooterInSection(ui::TableView&, int64_t section) {
  if (section != kTextSection || !newsdetail_ || !newsdetail_->supportComment()) return nullptr;
  auto footer = std::make_shared<ui::View>(ui::Rect(0, 0, 320, 16));
  footer->setBackgroundColor(ui::Color::clearColor());
  footer->addSubview(commentCheckButton_);
  footer->addSubview(commentLabelButton_);
  return footer;
}

std::shared_ptr<ui::TableViewCell> ShareViewController::cellForRow(ui::TableView& table, const ui::IndexPath& indexPath) {
  const NRSkinManager& skin = NRSkinManager::sharedManager();
  if (indexPath.section == kTextSection) {
    const bool first = !textCell_;
    if (first) textCell_ = ShareTableCellText::cellFromNib();
    if (!textCell_) return std::make_shared<ui::TableViewCell>(ui::TableViewCellStyle::Default, std::string());
    if (first && SystemEnvironment::isSystemVersionAtLeast5()) {
      if (auto moved = textCell_->viewWithTag(ShareTableCellText::kTagTitle)) {
        ui::Rect frame = moved->frame();
        frame.origin.x += 20;
        moved->setFrame(frame);
      }
    }
    configureTextCell(*textCell_);
    return textCell_;
  }
  if (indexPath.section == kAccountSection) {
    auto cell = std::dynamic_pointer_cast<ShareTableCellTo>(table.dequeueReusableCell(ShareTableCellTo::kReuseIdentifier));
    if (!cell) cell = ShareTableCellTo::cellFromNib();
    if (!cell) return std::make_shared<ui::TableViewCell>(ui::TableViewCellStyle::Default, std::string());
    const ShareToSource& source = shareToList_.at(static_cast<size_t>(indexPath.row));
    cell->setBackgroundColor(skinColor("colorKdmsCellBackground", ui::Color::whiteColor()));
    cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
    if (auto name = cell->shareToNameLabel()) {
      name->setText(source.sourceName);
      name->setTextColor(skinColor("colorKdmsCellTitle", ui::Color::blackColor()));
    }
    if (auto account = cell->shareAccountLabel()) {
      account->setText(source.accountName);
      account->setTextColor(skinColor("colorKdmsCellSubtitle", ui::Color::darkGrayColor()));
    }
    if (auto toggle = cell->shareToSwitch()) {
      toggle->setOn(source.isTurnOn);
      toggle->removeTarget(this);
      ui::Switch* raw = toggle.get();
      toggle->addTarget(this, ui::kControlEventValueChanged, [this, raw](ui::Control&) { accountSwitchChanged(*raw); });
    }
    return cell;
  }
  auto cell = table.dequeueReusableCell(kBindIdentifier);
  if (!cell) cell = std::make_shared<ui::TableViewCell>(ui::TableViewCellStyle::Default, std::string(kBindIdentifier));
  ui::Label& label = *cell->textLabel();
  label.setText("绑定账号");
  label.setFont(ui::Font::systemFont(16));
  label.setTextColor(skinColor("colorKdmsCellTitle", ui::Color::blackColor()));
  label.setBackgroundColor(ui::Color::clearColor());
  cell->setAccessoryView(skin.skinDisclosureIndicatorImageView());
  cell->setBackgroundColor(skinColor("colorKdmsCellBackground", ui::Color::whiteColor()));
  return cell;
}

void ShareViewController::willDisplayCell(ui::TableView& table, ui::TableViewCell& cell, const ui::IndexPath& indexPath) {
  cell.setSeparator(table.separatorStyle(),
                    indexPath.section == kTextSection ? ui::Color::clearColor() : table.separatorColor());
}

std::optional<ui::IndexPath> ShareViewController::willSelectRow(ui::TableView&, const ui::IndexPath& indexPath) {
  if (indexPath.section == kTextSection) return std::nullopt;
  return indexPath;
}

void ShareViewController::didSelectRow(ui::TableView& table, const ui::IndexPath& indexPath) {
  table.deselectRow(indexPath, false);
  resignText();
  if (indexPath.section != kBindSection) return;
  openAccountsScreen(false);
  table.scrollToRow(ui::IndexPath::forRow(0, kTextSection), ui::TableViewScrollPosition::Top, false);
}

void ShareViewController::configureTextCell(ShareTableCellText& cell) {
  // The skin's row colour, as the account rows below have it: by night the counter's light words
  // sit on a dark row, not on the cell's own white.
  cell.setBackgroundColor(skinColor("colorKdmsCellBackground", ui::Color::whiteColor()));
  cell.setMaxInputNumber(maxInputNum_);
  cell.setDelegate(std::weak_ptr<PostTextDelegate>(sharedShare()));
  if (auto text = cell.shareText()) {
    text->setBackgroundColor(ui::Color::clearColor());
    text->setFont(ui::Font::systemFont(15));
    if (text->text() != postText_) text->setText(postText_);
  }
  if (!UserDefaults::standard().boolForKey(kNoPictureKey)) configurePicture(cell);
  configureCommentToggle(cell);
  cell.updateCounter();
}

void ShareViewController::configurePicture(ShareTableCellText& cell) {
  const auto& pictures = newsdetail_ ? newsdetail_->veskCategorys() : std::nullopt;
  if (!pictures || pictures->empty()) {
    for (int tag = ShareTableCellText::kTagPreview; tag <= ShareTableCellText::kTagPictureButton; ++tag) {
      if (auto part = cell.viewWithTag(tag)) part->setHidden(true);
    }
    return;
  }
  const NRSkinManager& skin = NRSkinManager::sharedManager();
  if (auto text = cell.shareText()) {
    ui::Rect frame = text->frame();
    if (cell.bounds().size.width - frame.size.width < 80) {
      frame.size.width -= 80;
      text->setFrame(frame);
    }
  }
  if (!pictureShown_) {
    // The picture is clipped when it first shows; later reloads keep the reader's choice.
    pictureShown_ = true;
    isBindPic_ = true;
  }
  if (auto clip = std::dynamic_pointer_cast<ui::ImageView>(cell.viewWithTag(ShareTableCellText::kTagClip))) {
    clip->setImage(isBindPic_ ? skin.imageWithCodeName("imageKdssBiezhen") : nullptr);
  }
  if (auto button = std::dynamic_pointer_cast<ui::Button>(cell.viewWithTag(ShareTableCellText::kTagPictureButton))) {
    button->setHidden(false);
    button->setImage(skin.imageWithCodeName("imageKdssPictureBoard"), ui::kControlStateNormal);
    button->setImage(skin.imageWithCodeName("imageKdssPictureBoard"), ui::kControlStateHighlighted);
    button->removeTarget(this);
    button->addTarget(this, ui::kControlEventTouchUpInside, [this](ui::Control&) { pictureButtonAction(); });
  }
  if (auto frame = std::dynamic_pointer_cast<ui::ImageView>(cell.viewWithTag(ShareTableCellText::kTagPictureFrame))) {
    frame->setHidden(false);
    frame->setImage(skin.imageWithCodeName("imageKdssPictureBoard"));
  }
  if (postImageIndex_ < 0 || static_cast<size_t>(postImageIndex_) >= pictures->size()) return;
  const auto& picture = (*pictures)[static_cast<size_t>(postImageIndex_)];
  const auto href = picture ? picture->a_href() : std::nullopt;
  if (auto local = engine_->getImageLocalPath(href)) {
    showPreview(local);
  } else if (href) {
    auto task = engine_->createDownloadImageTask(href);
    if (task) {
      task->setUserIdentity(std::string(kDownloadImageIdentity));
      runObserved(task, &ShareViewController::getResultOnMainThread);
    }
  }
}

void ShareViewController::showPreview(const std::optional<std::string>& localPath) {
  if (!textCell_ || !localPath) return;
  if (auto preview = std::dynamic_pointer_cast<ui::ImageView>(textCell_->viewWithTag(ShareTableCellText::kTagPreview))) {
    preview->setHidden(false);
    preview->setImage(ui::Image::withContentsOfFile(*localPath));
  }
}

void ShareViewController::configureCommentToggle(ShareTableCellText& cell) {
  const bool comments = newsdetail_ && newsdetail_->supportComment();
  auto toggle = std::dynamic_pointer_cast<ui::Button>(cell.viewWithTag(ShareTableCellText::kTagToggle));
  if (!toggle) return;
  const bool on = UserDefaults::standard().boolForKey(kCommentSwitchKey);
  toggle->setImage(ui::Image::named(on && comments ? "zhuanfa_but_selected.png" : "zhuanfa_but_noselected.png"),
                   ui::kControlStateNormal);
  toggle->removeTarget(this);
  for (int tag : {ShareTableCellText::kTagToggleLabel, ShareTableCellText::kTagToggle}) {
    if (auto part = cell.viewWithTag(tag)) part->setHidden(!comments);
  }
  if (!comments) return;
  ui::Button* raw = toggle.get();
  toggle->addTarget(this, ui::kControlEventTouchUpInside, [raw](ui::Control&) {
    UserDefaults& defaults = UserDefaults::standard();
    const bool now = !defaults.boolForKey(kCommentSwitchKey);
    defaults.set(kCommentSwitchKey, Value(now));
    raw->setImage(NRSkinManager::sharedManager().imageWithCodeName(now ? "imageKdpSelectableButtonYES"
                                                                         : "imageKdpSelectableButtonNO"),
                  ui::kControlStateNormal);
  });
}

// --- the reader's changes

void ShareViewController::didChangePostText(const std::string& text) {
  postText_ = text;
  const auto length = static_cast<int64_t>(StringUtil::utf16Length(postText_));
  setItemEnabled(sendButton(), !sharing_ && length > 0 && length <= maxInputNum_);
}

void ShareViewController::accountSwitchChanged(ui::Switch& toggle) {
  const auto rows = static_cast<int64_t>(shareToList_.size());
  for (int64_t row = 0; row < rows; ++row) {
    auto cell = shareTableView_->cellForRow(ui::IndexPath::forRow(row, kAccountSection));
    if (!cell || cell->viewWithTag(ShareTableCellTo::kTagSwitch).get() != &toggle) continue;
    ShareToSource& source = shareToList_[static_cast<size_t>(row)];
    source.isTurnOn = toggle.isOn();
    if (auto client = AccountEngine::current()->getOpenPlatformInstance(source.shareType)) {
      client->SwitchShareEnable(source.isTurnOn);
    }
    break;
  }
  updateLimits();
  shareTableView_->reloadData();
  setSendAndCounter();
}

void ShareViewController::pictureButtonAction() {
  isBindPic_ = !isBindPic_;
  if (!textCell_) return;
  if (auto clip = std::dynamic_pointer_cast<ui::ImageView>(textCell_->viewWithTag(ShareTableCellText::kTagClip))) {
    clip->setImage(isBindPic_ ? NRSkinManager::sharedManager().imageWithCodeName("imageKdssBiezhen") : nullptr);
  }
}

void ShareViewController::cancelAction() {
  // A post waiting for the short link goes with the screen.
  cancelDelayedCalls();
  for (const ShareToSource& source : shareToList_) {
    if (!source.isTurnOn) continue;
    auto client = AccountEngine::current()->getOpenPlatformInstance(source.shareType);
    if (client && client->observer() == this) client->setObserver(nullptr);
  }
  dismiss();
}

void ShareViewController::dismiss() {
  std::weak_ptr<ui::ViewController> presenter = newsBrowseController_;
  if (!presenter.lock()) {
    auto* navigation = navigationController();
    ui::ViewController* presenting = navigation ? navigation->presentingViewController() : presentingViewController();
    if (presenting) presenter = presenting->shared();
  }
  if (auto controller = presenter.lock()) controller->dismissModalViewController(true);
}

// --- the accounts screen and the keyboard

void ShareViewController::openAccountsWithMoveIn() { openAccountsScreen(true); }

void ShareViewController::openAccountsScreen(bool moveIn) {
  auto* navigation = navigationController();
  if (!navigation) return;
  auto accounts = std::make_shared<MBAccountManagerViewController>();
  if (!moveIn) {
    navigation->pushViewController(accounts, true);
    return;
  }
  ui::Animations::begin(kMoveInAnimation);
  ui::Animations::setTransition(ui::kAnimationTransitionMoveInFromTop, navigation->view());
  ui::Animations::setDuration(kAccountsMoveIn);
  ui::Animations::setCurve(ui::AnimationCurve::EaseOut);
  navigation->pushViewController(accounts, false);
  ui::Animations::commit();
}

RunLoop::Token ShareViewController::later(double seconds, void (ShareViewController::*call)()) {
  std::weak_ptr<ShareViewController> weak = sharedShare();
  auto token = std::make_shared<RunLoop::Token>(0);
  *token = RunLoop::main()->postDelayed(seconds, [weak, call, token] {
    auto self = weak.lock();
    if (!self) return;
    std::erase(self->delayedCalls_, *token);
    ((*self).*call)();
  });
  delayedCalls_.push_back(*token);
  return *token;
}

void ShareViewController::cancelDelayedCalls() {
  for (RunLoop::Token token : delayedCalls_) RunLoop::main()->cancel(token);
  delayedCalls_.clear();
  waitingPost_ = 0;
}

void ShareViewController::keyboardWillChangeFrame(const Notification& notification) {
  const auto frame = ui::Keyboard::frameFromUserInfo(notification.userInfo, ui::Keyboard::kFrameEndKey);
  keyboardHeight_ = frame ? frame->size.height : 0;
  later(kKeyboardDelay, &ShareViewController::fitTableAboveKeyboard);
}

void ShareViewController::fitTableAboveKeyboard() { setTableHeight(kTableHeight - keyboardHeight_); }

void ShareViewController::keyboardWillHide(const Notification&) {
  cancelDelayedCalls();
  setTableHeight(kTableHeight);
}

void ShareViewController::setTableHeight(float height) {
  if (!shareTableView_) return;
  auto table = shareTableView_;
  ui::Animations::animate(kTableAnimation, [table, height] {
    ui::Rect frame = table->frame();
    frame.size.height = height;
    table->setFrame(frame);
  });
}

void ShareViewController::resignText() {
  if (textCell_ && textCell_->shareText() && textCell_->shareText()->isFirstResponder()) {
    textCell_->shareText()->resignFirstResponder();
  }
}

}  // namespace zu
