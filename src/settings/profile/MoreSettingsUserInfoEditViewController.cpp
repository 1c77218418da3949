#include "settings/profile/MoreSettingsUserInfoEditViewController.h"

#include <algorithm>

#include "engine/core/Task.h"
#include "model/columns/Icon.h"
#include "model/columns/Label.h"
#include "model/columns/MinMaxValue.h"
#include "model/columns/UserInfo.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/RunLoop.h"
#include "platform/runtime/StringUtil.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationBar.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/input/TapGestureRecognizer.h"
#include "platform/ui/text/TextMetrics.h"
#include "settings/profile/UserInfoEngine.h"
#include "settings/profile/VerticalLineCell.h"
#include "shell/app/ErrorTips.h"
#include "shell/skin/NRSkinManager.h"
#include "shell/widgets/MSPlaceHolderTextView.h"

namespace zu {

namespace {

constexpr const char* kTitle = "编辑资料";
constexpr const char* kTagPlaceholder = "1到14个字符";
constexpr const char* kErrorContext = " ";
constexpr double kKeyboardAnimation = 0.3;
constexpr double kFadeDuration = 0.7;
constexpr double kPopDelay = 0.5;
constexpr float kRowHeight = 44;
constexpr float kPortraitHeaderHeight = 96;
constexpr float kLogoutFooterHeight = 102;
constexpr float kFooterHeight = 15;
constexpr float kLineX = 125;
constexpr float kIntroductionMaxHeight = 300;
constexpr float kIntroductionViewPadding = 66;
constexpr float kIntroductionRowPadding = 86;
constexpr float kIntroductionCellPadding = 20;
const ui::Rect kTableFrame(0, 0, 320, 416);
const ui::Rect kTagFieldFrame(132, 10, 160, 26);
constexpr float kTagFieldRightMargin = 8;
const ui::Rect kIntroductionFrame(128, 10, 168, 66);

const NRSkinManager& skin() { return NRSkinManager::sharedManager(); }

ui::Color lineColor() {
  return skin().colorWithCodeName("colorKdmsTableViewSeparator").value_or(ui::Color::white(0.8f));
}

std::shared_ptr<ui::TableViewCell> plainCell(float height) {
  auto cell = std::make_shared<ui::TableViewCell>(ui::TableViewCellStyle::Default, std::nullopt);
  cell->setFrame(ui::Rect(0, 0, 300, height));
  cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
  cell->setBackgroundColor(skin().colorWithCodeName("colorKdmsCellBackground"));
  if (auto font = skin().fontWithCodeName("fontKdmsCellTitle")) cell->textLabel()->setFont(*font);
  if (auto color = skin().colorWithCodeName("colorKdmsCellTitle")) cell->textLabel()->setTextColor(*color);
  return cell;
}

std::shared_ptr<MinMaxValue> minMax(std::optional<std::string> text, const std::shared_ptr<MinMaxValue>& old) {
  auto value = std::make_shared<MinMaxValue>();
  value->setValue(std::move(text));
  if (old) {
    value->setMinLength(old->minLength());
    value->setMaxLength(old->maxLength());
  }
  return value;
}

const std::string& valueOf(const std::shared_ptr<MinMaxValue>& value) {
  static const std::string empty;
  return value && value->value() ? *value->value() : empty;
}

std::vector<int64_t> range(int64_t from, int64_t to) {
  std::vector<int64_t> sections;
  for (int64_t s = from; s <= to; ++s) sections.push_back(s);
  return sections;
}

}  // namespace

// --- the interface file

void MoreSettingsUserInfoEditViewController::build(ui::NibLoading& file) {
  if (!std::dynamic_pointer_cast<MoreSettingsUserInfoEditViewController>(file.owner())) return;
  auto view = file.make<ui::View>(kTableFrame);
  auto table = file.make<ui::TableView>(kTableFrame, ui::TableViewStyle::Grouped);
  view->addSubview(table);

  // The portrait header: the portrait button under its mask, the nickname over its field.
  auto header = file.make<ui::TableViewCell>(ui::TableViewCellStyle::Default, std::nullopt);
  header->setFrame(ui::Rect(0, 0, 320, kPortraitHeaderHeight));
  header->setBackgroundColor(ui::Color::clearColor());
  header->setSeparator(ui::TableViewCellSeparatorStyle::None, ui::Color::clearColor());
  auto portrait = file.make<ui::Button>(ui::ButtonType::Custom, ui::Rect(14, 16, 64, 64));
  auto mask = file.make<ui::ImageView>(ui::Rect(14, 16, 64, 64));
  mask->layer().cornerRadius = 7;
  mask->layer().borderWidth = 2;
  mask->layer().borderColor = ui::Color::whiteColor();
  mask->setUserInteractionEnabled(false);
  auto nicknameBackground = file.make<ui::ImageView>(ui::Rect(92, 30, 214, 36));
  auto nickname = file.make<ui::TextField>(ui::Rect(102, 30, 196, 36));
  nickname->setBorderStyle(ui::TextBorderStyle::None);
  nickname->setContentVerticalAlignment(ui::ControlContentVerticalAlignment::Center);
  nickname->setPlaceholder(std::string("昵称"));
  nickname->setReturnKeyType(ui::ReturnKeyType::Done);
  for (const auto& part : std::initializer_list<std::shared_ptr<ui::View>>{portrait, mask, nicknameBackground, nickname}) {
    header->contentView()->addSubview(part);
  }

  // The introduction cell: its title and the text view.
  auto introCell = file.make<ui::TableViewCell>(ui::TableViewCellStyle::Default, std::nullopt);
  introCell->setFrame(ui::Rect(0, 0, 300, kIntroductionFrame.size.height + kIntroductionCellPadding));
  auto introLabel = file.make<ui::Label>(ui::Rect(10, 11, 105, 22));
  introLabel->setText(std::string("个人介绍"));
  introLabel->setBackgroundColor(ui::Color::clearColor());
  auto intro = file.make<MSPlaceHolderTextView>(kIntroductionFrame);
  intro->setBackgroundColor(ui::Color::clearColor());
  introCell->contentView()->addSubview(introLabel);
  introCell->contentView()->addSubview(intro);

  // The logout button in the last footer.
  auto footer = file.make<ui::View>(ui::Rect(0, 0, 320, kLogoutFooterHeight));
  auto logout = file.make<ui::Button>(ui::ButtonType::Custom, ui::Rect(10, 29, 300, 44));
  logout->setTitle(std::string("注销"), ui::kControlStateNormal);
  logout->setTitleColor(ui::Color::whiteColor(), ui::kControlStateNormal);
  logout->titleLabel()->setFont(ui::Font::boldSystemFont(17));
  footer->addSubview(logout);

  file.connectOwnerView(view);
  file.connectOwner<MoreSettingsUserInfoEditViewController>([=](MoreSettingsUserInfoEditViewController& owner) {
    owner.tableView_ = table;
    owner.touxiangCell_ = header;
    owner.touxiangButton_ = portrait;
    owner.zhezhaoImageView_ = mask;
    owner.nicknameBackgroundImageView_ = nicknameBackground;
    owner.nicknameTextField_ = nickname;
    owner.selfintroCell_ = introCell;
    owner.selfintroLabel_ = introLabel;
    owner.selfintroTextView_ = intro;
    owner.logoutFooter_ = footer;
    owner.logoutButton_ = logout;
  });
}

void MoreSettingsUserInfoEditViewController::registerNib() { ui::NibRegistry::shared().add(kNibName, build); }

// --- making

std::shared_ptr<MoreSettingsUserInfoEditViewController> MoreSettingsUserInfoEditViewController::create(
    std::shared_ptr<UserInfo> userInfo, std::shared_ptr<UserInfoEngine> engine) {
  return std::make_shared<MoreSettingsUserInfoEditViewController>(std::move(userInfo), std::move(engine));
}

MoreSettingsUserInfoEditViewController::MoreSettingsUserInfoEditViewController(std::shared_ptr<UserInfo> userInfo,
                                                                               std::shared_ptr<UserInfoEngine> engine)
    : ui::ViewController(std::string(kNibName)),
      oldUserInfo_(std::move(userInfo)),
      engine_(engine ? std::move(engine) : UserInfoEngine::defaultEngine()) {}

MoreSettingsUserInfoEditViewController::~MoreSettingsUserInfoEditViewController() {
  NotificationCenter::defaultCenter().remove(this);
  if (popToken_ != 0) RunLoop::main()->cancel(popToken_);
  if (saveIndicator_) saveIndicator_->removeFromSuperview();
}

std::shared_ptr<MoreSettingsUserInfoEditViewController> MoreSettingsUserInfoEditViewController::sharedEditor() {
  return std::static_pointer_cast<MoreSettingsUserInfoEditViewController>(shared());
}

void MoreSettingsUserInfoEditViewController::setTitle(const std::string& title) {
  skin().setCurrentSkinTitleNavigationItem(title, *navigationItem());
}

// --- the view

void MoreSettingsUserInfoEditViewController::viewDidLoad() {
  ui::ViewController::viewDidLoad();
  std::weak_ptr<MoreSettingsUserInfoEditViewController> weak = sharedEditor();
  auto on = [weak](void (MoreSettingsUserInfoEditViewController::*action)()) {
    return [weak, action](ui::Control&) {
      if (auto self = weak.lock()) ((*self).*action)();
    };
  };
  ui::NavigationItem& item = *navigationItem();
  setTitle(kTitle);
  item.setLeftBarButtonItem(skin().barButtonItemWithTitle(
      "取消", NRSkinManager::kDoneButtonType, this, on(&MoreSettingsUserInfoEditViewController::returnButtonPressedAction)));
  item.setRightBarButtonItem(skin().barButtonItemWithTitle(
      "保存", NRSkinManager::kDoneButtonType, this, on(&MoreSettingsUserInfoEditViewController::saveButtonPressedAction)));
  saveIndicator_ = std::make_shared<ui::ActivityIndicatorView>(ui::ActivityIndicatorStyle::White);
  saveIndicator_->setFrame(ui::Rect(90, 10, 20, 20));
  saveIndicator_->setHidesWhenStopped(true);

  // Filling from the old record.
  const UserInfo* old = oldUserInfo_.get();
  if (nicknameTextField_) {
    nicknameTextField_->setText(old ? valueOf(old->name()) : std::string());
    nicknameTextField_->setDelegate(std::weak_ptr<ui::TextFieldDelegate>(sharedEditor()));
    if (auto font = skin().fontWithCodeName("fontKdmsCellTitle")) nicknameTextField_->setFont(*font);
    // The skin's row colours, as the skin's field board under them is light by day and dark by
    // night.
    if (auto color = skin().colorWithCodeName("colorKdmsCellTitle")) nicknameTextField_->setTextColor(*color);
    nicknameTextField_->setPlaceholderColor(skin().colorWithCodeName("colorKdmsCellInputPlaceholder"));
  }
  if (nicknameBackgroundImageView_) {
    auto background = skin().imageWithCodeName("imageKdmsNicknameInputBackground");
    nicknameBackgroundImageView_->setImage(background ? background->stretchableImage(30, 18) : nullptr);
  }
  currentGender_ = old ? old->gender() : 0;
  const auto href = old && old->icon() ? old->icon()->href() : std::nullopt;
  currentImagePath_ = href ? engine_->getImageLocalPath(href) : std::nullopt;
  biaoqianArray_.clear();
  filling_ = true;
  if (old && old->labels() && old->labels()->labelItems()) {
    for (const std::string& item : *old->labels()->labelItems()) addOneBiaoqianWithString(item);
  }
  if (biaoqianArray_.empty()) addOneBiaoqianWithString(std::string());
  filling_ = false;
  if (selfintroTextView_) {
    introductionNibHeight_ = selfintroTextView_->frame().size.height;
    selfintroTextView_->setPlaceholder("介绍下自己吧");
    if (auto color = skin().colorWithCodeName("colorKdpSearchBarPlaceholder")) selfintroTextView_->setPlaceholderColor(*color);
    if (auto color = skin().colorWithCodeName("colorKdmsCellSubtitle")) selfintroTextView_->setTextColor(*color);
    if (auto font = skin().fontWithCodeName("fontKdmsCellSubtitle")) selfintroTextView_->setFont(*font);
    selfintroTextView_->setText(old ? valueOf(old->introduction()) : std::string());
    selfintroTextView_->setDelegate(std::weak_ptr<ui::TextViewDelegate>(sharedEditor()));
    fitIntroduction();
  }
  if (selfintroLabel_) {
    if (auto font = skin().fontWithCodeName("fontKdmsCellTitle")) selfintroLabel_->setFont(*font);
    if (auto color = skin().colorWithCodeName("colorKdmsCellTitle")) selfintroLabel_->setTextColor(*color);
  }
  if (selfintroCell_) {
    selfintroCell_->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
    selfintroCell_->setBackgroundColor(skin().colorWithCodeName("colorKdmsCellBackground"));
    VerticalLineCell::addVerticalLineAtPosition(*selfintroCell_, kLineX, lineColor());
  }
  if (touxiangButton_) {
    touxiangButton_->layer().cornerRadius = 7;
    touxiangButton_->setClipsToBounds(true);
    touxiangButton_->addTarget(this, ui::kControlEventTouchUpInside,
                               on(&MoreSettingsUserInfoEditViewController::touxiangImagePressedAction));
  }
  if (logoutButton_) {
    // Stretched from the middle, the rounded ends kept.
    auto stretched = [](const std::shared_ptr<ui::Image>& image) -> std::shared_ptr<ui::Image> {
      if (!image) return nullptr;
      return image->stretchableImage(static_cast<int>(image->size().width / 2),
                                     static_cast<int>(image->size().height / 2));
    };
    logoutButton_->setBackgroundImage(stretched(skin().imageWithCodeName("imageKdmsLogoutButtonNormal")),
                                      ui::kControlStateNormal);
    logoutButton_->setBackgroundImage(stretched(skin().imageWithCodeName("imageKdmsLogoutButtonHighlighted")),
                                      ui::kControlStateHighlighted);
    logoutButton_->addTarget(this, ui::kControlEventTouchUpInside,
                             on(&MoreSettingsUserInfoEditViewController::logoutButtonPressedAction));
  }
  if (tableView_) {
    tableView_->setDataSource(std::weak_ptr<ui::TableViewDataSource>(sharedEditor()));
    tableView_->setDelegate(std::weak_ptr<ui::TableViewDelegate>(sharedEditor()));
    tableView_->setEditing(true);
    tableView_->setAllowsSelectionDuringEditing(true);
    if (auto color = skin().colorWithCodeName("colorKdmsTableViewSeparator")) tableView_->setSeparatorColor(*color);
    tableView_->setBackgroundView(std::make_shared<ui::ImageView>(skin().imageWithCodeName("imageKdmsTableViewBackground")));
    auto tap = std::make_shared<ui::TapGestureRecognizer>();
    tap->setCancelsTouchesInView(false);
    tap->addTarget(this, [weak](ui::GestureRecognizer&) {
      if (auto self = weak.lock()) self->hideKeyboard();
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

void MoreSettingsUserInfoEditViewController::viewDidUnload() {
  ui::ViewController::viewDidUnload();
  NotificationCenter::defaultCenter().remove(this, ui::Keyboard::kWillShowNotification);
  NotificationCenter::defaultCenter().remove(this, ui::Keyboard::kWillHideNotification);
  tableView_.reset();
  touxiangCell_.reset();
  selfintroCell_.reset();
  selfintroTextView_.reset();
  selfintroLabel_.reset();
  touxiangButton_.reset();
  zhezhaoImageView_.reset();
  nicknameBackgroundImageView_.reset();
  nicknameTextField_.reset();
  logoutFooter_.reset();
  logoutButton_.reset();
  biaoqianArray_.clear();
  currentImagePath_.reset();
}

void MoreSettingsUserInfoEditViewController::viewWillAppear(bool animated) {
  ui::ViewController::viewWillAppear(animated);
  if (auto* navigation = navigationController(); navigation && saveIndicator_ && !saveIndicator_->superview()) {
    navigation->navigationBar()->addSubview(saveIndicator_);
  }
  showPortrait();
  if (tableView_) {
    tableView_->setAlpha(0.95f);
    auto table = tableView_;
    ui::Animations::animate(kFadeDuration, [table] { table->setAlpha(1.0f); });
  }
}

void MoreSettingsUserInfoEditViewController::viewDidDisappear(bool animated) {
  ui::ViewController::viewDidDisappear(animated);
  // The indicator belongs to this screen, not to the bar the next screen shows.
  if (saveIndicator_) saveIndicator_->removeFromSuperview();
}

void MoreSettingsUserInfoEditViewController::showPortrait() {
  auto image = currentImagePath_ ? ui::Image::fromFile(*currentImagePath_) : nullptr;
  if (touxiangButton_) {
    // As the button's background the portrait is scaled into the box, whatever its size (the
    // service's portraits may be far smaller than the box).
    touxiangButton_->setImage(nullptr, ui::kControlStateNormal);
    touxiangButton_->setBackgroundImage(image ? image : skin().imageWithCodeName("imageKdpTouxiang152"),
                                        ui::kControlStateNormal);
  }
  if (zhezhaoImageView_) zhezhaoImageView_->setHidden(!currentImagePath_);
}

// --- the introduction

float MoreSettingsUserInfoEditViewController::introductionTextHeight() const {
  if (!selfintroTextView_) return 0;
  const ui::Font font = skin().fontWithCodeName("fontKdmsCellSubtitle").value_or(ui::Font::systemFont(14));
  return ui::TextMetrics::current()
      .sizeOf(selfintroTextView_->text(), font, ui::Size{selfintroTextView_->frame().size.width, kIntroductionMaxHeight},
              ui::LineBreakMode::WordWrap)
      .height;
}

void MoreSettingsUserInfoEditViewController::fitIntroduction() {
  if (!selfintroTextView_) return;
  const float height = std::max(introductionNibHeight_, introductionTextHeight() + kIntroductionViewPadding);
  ui::Rect frame = selfintroTextView_->frame();
  frame.size.height = height;
  selfintroTextView_->setFrame(frame);
  if (selfintroCell_) {
    ui::Rect cell = selfintroCell_->frame();
    cell.size.height = height + kIntroductionCellPadding;
    selfintroCell_->setFrame(cell);
  }
}

void MoreSettingsUserInfoEditViewController::textViewDidBeginEditing(ui::TextView& view) {
  lastTextinSection_ = 1;
  lastTextinRow_ = 0;
  if (ui::Keyboard::shared().isVisible()) scrollEntryIntoSight(view);
}

void MoreSettingsUserInfoEditViewController::textViewDidChange(ui::TextView& view) {
  infoChanged_ = true;
  fitIntroduction();
  // The reload makes the table take the introduction row's new height.
  if (!tableView_) return;
  tableView_->reloadSections({2, 3}, ui::TableViewRowAnimation::Middle);
  // The box grows downwards as lines are typed: its caret's line (with the box's inset below
  // it) stays in sight above the keyboard, the table scrolling as the box grows past it.
  if (!view.isFirstResponder()) return;
  tableView_->layoutIfNeeded();
  const ui::Rect caret = view.caretRectInView();
  const ui::Rect line(0, caret.minY(), view.bounds().size.width, caret.size.height + ui::TextView::kTextInset);
  tableView_->scrollRectToVisible(view.convertRectTo(line, tableView_.get()), false);
}

// --- the table

int64_t MoreSettingsUserInfoEditViewController::numberOfSections(ui::TableView&) {
  const auto tags = static_cast<int64_t>(biaoqianArray_.size());
  return tags < static_cast<int64_t>(kMaxTags) ? tags + 3 : tags + 2;
}

int64_t MoreSettingsUserInfoEditViewController::addSection() const {
  const auto tags = static_cast<int64_t>(biaoqianArray_.size());
  return tags < static_cast<int64_t>(kMaxTags) ? tags + 2 : -1;
}

std::shared_ptr<ui::TableViewCell> MoreSettingsUserInfoEditViewController::cellForRow(ui::TableView&,
                                                                                     const ui::IndexPath& indexPath) {
  const int64_t section = indexPath.section;
  if (section == 0) {
    auto cell = plainCell(kRowHeight);
    cell->textLabel()->setText(indexPath.row == 0 ? "男" : "女");
    if (indexPath.row == currentGender_) {
      auto check = std::make_shared<ui::ImageView>(skin().imageWithCodeName("imageKdpCheckmark"));
      check->setFrame(ui::Rect(270, (kRowHeight - 17) / 2, 17, 17));
      check->setTag(kCheckmarkTag);
      cell->contentView()->addSubview(check);
    }
    return cell;
  }
  if (section == 1 && selfintroCell_) return selfintroCell_;
  if (section == addSection()) {
    auto cell = plainCell(kRowHeight);
    cell->textLabel()->setText("添加标签");
    return cell;
  }
  auto cell = plainCell(kRowHeight);
  cell->textLabel()->setText("个人标签");
  VerticalLineCell::addVerticalLineAtPosition(*cell, kLineX, lineColor());
  const auto index = static_cast<size_t>(section - 2);
  if (index < biaoqianArray_.size()) {
    const auto& field = biaoqianArray_[index];
    if (field->superview()) field->removeFromSuperview();
    // The field ends inside the row's content and narrows with it, so the editing control and
    // the delete button that narrow the content leave the tag's text in sight.
    cell->layoutIfNeeded();
    const float room = cell->contentView()->bounds().size.width - kTagFieldFrame.origin.x - kTagFieldRightMargin;
    field->setFrame(ui::Rect(kTagFieldFrame.origin.x, kTagFieldFrame.origin.y,
                             std::clamp(room, 0.f, kTagFieldFrame.size.width), kTagFieldFrame.size.height));
    field->setAutoresizingMask(ui::kAutoresizingFlexibleWidth);
    cell->contentView()->addSubview(field);
  }
  return cell;
}

std::optional<float> MoreSettingsUserInfoEditViewController::heightForRow(ui::TableView&, const ui::IndexPath& indexPath) {
  if (indexPath.section == 1) return introductionTextHeight() + kIntroductionRowPadding;
  return kRowHeight;
}

std::optional<float> MoreSettingsUserInfoEditViewController::heightForHeaderInSection(ui::TableView&, int64_t section) {
  return section == 0 ? kPortraitHeaderHeight : 1.f;
}

std::optional<float> MoreSettingsUserInfoEditViewController::heightForFooterInSection(ui::TableView& table,
                                                                                     int64_t section) {
  return section == numberOfSections(table) - 1 ? kLogoutFooterHeight : kFooterHeight;
}

std::shared_ptr<ui::View> MoreSettingsUserInfoEditViewController::viewForHeaderInSection(ui::TableView&, int64_t section) {
  if (section == 0 && touxiangCell_) return touxiangCell_;
  return std::make_shared<ui::View>(ui::Rect(0, 0, 320, 1));
}

std::shared_ptr<ui::View> MoreSettingsUserInfoEditViewController::viewForFooterInSection(ui::TableView& table,
                                                                                        int64_t section) {
  if (section == numberOfSections(table) - 1 && logoutFooter_) return logoutFooter_;
  return std::make_shared<ui::View>(ui::Rect(0, 0, 320, kFooterHeight));
}

ui::TableViewCellEditingStyle MoreSettingsUserInfoEditViewController::editingStyleForRow(ui::TableView&,
                                                                                        const ui::IndexPath& indexPath) {
  if (indexPath.section == addSection()) return ui::TableViewCellEditingStyle::Insert;
  if (indexPath.section >= 2 && biaoqianArray_.size() > 1) return ui::TableViewCellEditingStyle::Delete;
  return ui::TableViewCellEditingStyle::None;
}

void MoreSettingsUserInfoEditViewController::commitEditingStyle(ui::TableView&, ui::TableViewCellEditingStyle style,
                                                                const ui::IndexPath& indexPath) {
  if (style == ui::TableViewCellEditingStyle::Insert) {
    if (indexPath.section == addSection()) addOneBiaoqianWithString(std::string());
    return;
  }
  if (style == ui::TableViewCellEditingStyle::Delete && indexPath.section >= 2 && biaoqianArray_.size() > 1) {
    removeTag(static_cast<size_t>(indexPath.section - 2));
  }
}

std::optional<ui::IndexPath> MoreSettingsUserInfoEditViewController::willSelectRow(ui::TableView& table,
                                                                                  const ui::IndexPath& indexPath) {
  if (indexPath.section == 0) {
    currentGender_ = static_cast<int>(indexPath.row);
    infoChanged_ = true;
    table.reloadData();
  } else if (indexPath.section == addSection()) {
    addOneBiaoqianWithString(std::string());
  }
  return std::nullopt;
}

// --- tags

void MoreSettingsUserInfoEditViewController::addOneBiaoqianWithString(const std::string& text) {
  if (biaoqianArray_.size() >= kMaxTags) return;
  auto field = std::make_shared<ui::TextField>(kTagFieldFrame);
  field->setTag(kTagFieldTag);
  field->setText(text);
  field->setPlaceholder(std::string(kTagPlaceholder));
  field->setBorderStyle(ui::TextBorderStyle::None);
  field->setContentVerticalAlignment(ui::ControlContentVerticalAlignment::Center);
  if (auto color = skin().colorWithCodeName("colorKdmsCellSubtitle")) field->setTextColor(*color);
  if (auto font = skin().fontWithCodeName("fontKdmsCellSubtitle")) field->setFont(*font);
  field->setReturnKeyType(ui::ReturnKeyType::Done);
  field->setDelegate(std::weak_ptr<ui::TextFieldDelegate>(sharedEditor()));
  if (!biaoqianArray_.empty()) biaoqianArray_.back()->setReturnKeyType(ui::ReturnKeyType::Next);
  biaoqianArray_.push_back(field);
  // Filling at load: the table has not been shown yet.
  if (!tableView_ || filling_) return;
  infoChanged_ = true;
  const auto tags = static_cast<int64_t>(biaoqianArray_.size());
  if (tags < static_cast<int64_t>(kMaxTags)) {
    tableView_->insertSections({tags + 1}, ui::TableViewRowAnimation::Fade);
    tableView_->reloadSections(range(2, tags + 1), ui::TableViewRowAnimation::None);
  } else {
    tableView_->reloadSections(range(2, 6), ui::TableViewRowAnimation::None);
  }
  field->becomeFirstResponder();
}

void MoreSettingsUserInfoEditViewController::removeTag(size_t index) {
  if (index >= biaoqianArray_.size()) return;
  auto removed = biaoqianArray_[index];
  biaoqianArray_.erase(biaoqianArray_.begin() + static_cast<std::ptrdiff_t>(index));
  if (removed->isFirstResponder()) removed->resignFirstResponder();
  removed->removeFromSuperview();
  if (biaoqianArray_.back()->returnKeyType() == ui::ReturnKeyType::Next) {
    biaoqianArray_.back()->setReturnKeyType(ui::ReturnKeyType::Done);
  }
  infoChanged_ = true;
  if (!tableView_) return;
  const size_t left = biaoqianArray_.size();
  if (left == kMaxTags - 1) {
    // The add row comes back where the fifth tag was.
    tableView_->reloadSections(range(2, 6), ui::TableViewRowAnimation::Fade);
  } else {
    tableView_->deleteSections({static_cast<int64_t>(index) + 2}, ui::TableViewRowAnimation::Fade);
  }
  // The last tag loses its delete control.
  if (left == 1) tableView_->reloadSections({2, 3}, ui::TableViewRowAnimation::None);
}

int MoreSettingsUserInfoEditViewController::tagIndexOf(const ui::TextField& field) const {
  for (size_t i = 0; i < biaoqianArray_.size(); ++i) {
    if (biaoqianArray_[i].get() == &field) return static_cast<int>(i);
  }
  return -1;
}

// --- the fields

void MoreSettingsUserInfoEditViewController::textFieldDidBeginEditing(ui::TextField& field) {
  if (const int index = tagIndexOf(field); index >= 0) {
    lastTextinSection_ = index + 2;
    lastTextinRow_ = 0;
  }
  // With the keyboard up already (the editing moved here), no keyboard step follows.
  if (ui::Keyboard::shared().isVisible()) scrollEntryIntoSight(field);
}

bool MoreSettingsUserInfoEditViewController::textFieldShouldChangeCharacters(ui::TextField& field, ui::TextRange,
                                                                             const std::string& replacement) {
  if (tagIndexOf(field) >= 0 && !replacement.empty() && StringUtil::utf16Length(field.text()) >= kMaxTagLength) {
    return false;
  }
  infoChanged_ = true;
  return true;
}

bool MoreSettingsUserInfoEditViewController::textFieldShouldReturn(ui::TextField& field) {
  if (&field == nicknameTextField_.get()) {
    field.resignFirstResponder();
    if (tableView_) tableView_->reloadData();
    return true;
  }
  field.resignFirstResponder();
  if (field.returnKeyType() == ui::ReturnKeyType::Done) return true;
  const int index = tagIndexOf(field);
  if (index >= 0 && static_cast<size_t>(index) + 1 < biaoqianArray_.size()) {
    biaoqianArray_[static_cast<size_t>(index) + 1]->becomeFirstResponder();
  }
  return true;
}

void MoreSettingsUserInfoEditViewController::hideKeyboard() {
  if (nicknameTextField_ && nicknameTextField_->isFirstResponder()) {
    if (tableView_) tableView_->reloadData();
    return;
  }
  for (const auto& field : biaoqianArray_) field->resignFirstResponder();
  if (nicknameTextField_) nicknameTextField_->resignFirstResponder();
  if (selfintroTextView_) selfintroTextView_->resignFirstResponder();
}

// --- the keyboard

void MoreSettingsUserInfoEditViewController::keyboardWillShow() {
  if (!tableView_ || !isViewLoaded()) return;
  const float height = view()->bounds().size.height - kKeyboardHeight;
  auto table = tableView_;
  ui::Animations::animate(kKeyboardAnimation, 0, ui::kAnimationOptionBeginFromCurrentState, [table, height] {
    table->setFrame(ui::Rect(0, 0, table->frame().size.width, height));
  });
  // The nickname lies in the portrait header, above every row: the remembered row (男 until a
  // tag or the introduction was edited) at the top would take it under the bar.
  if (nicknameTextField_ && nicknameTextField_->isFirstResponder()) {
    scrollEntryIntoSight(*nicknameTextField_);
    return;
  }
  const ui::IndexPath remembered{lastTextinSection_, lastTextinRow_};
  if (lastTextinSection_ < tableView_->numberOfSections() &&
      lastTextinRow_ < tableView_->numberOfRowsInSection(lastTextinSection_)) {
    tableView_->scrollToRow(remembered, ui::TableViewScrollPosition::Top, true);
  }
}

void MoreSettingsUserInfoEditViewController::scrollEntryIntoSight(const ui::View& entry) {
  if (!tableView_) return;
  std::optional<ui::IndexPath> row;
  if (&entry == selfintroTextView_.get()) {
    row = ui::IndexPath{1, 0};
  } else if (auto* field = dynamic_cast<const ui::TextField*>(&entry); field && tagIndexOf(*field) >= 0) {
    row = ui::IndexPath{tagIndexOf(*field) + 2, 0};
  }
  if (row && row->section < tableView_->numberOfSections()) {
    tableView_->scrollToRow(*row, ui::TableViewScrollPosition::None, true);
  } else if (&entry == nicknameTextField_.get()) {
    tableView_->scrollRectToVisible(tableView_->rectForHeaderInSection(0), true);
  }
  tableView_->layoutIfNeeded();
}

std::vector<std::shared_ptr<ui::View>> MoreSettingsUserInfoEditViewController::focusEntries() {
  std::vector<std::shared_ptr<ui::View>> entries;
  if (nicknameTextField_) entries.push_back(nicknameTextField_);
  if (selfintroTextView_) entries.push_back(selfintroTextView_);
  entries.insert(entries.end(), biaoqianArray_.begin(), biaoqianArray_.end());
  return entries;
}

void MoreSettingsUserInfoEditViewController::revealFocusEntry(ui::View& entry) { scrollEntryIntoSight(entry); }

void MoreSettingsUserInfoEditViewController::keyboardWillHide() {
  if (!tableView_) return;
  auto table = tableView_;
  ui::Animations::animate(kKeyboardAnimation, 0, ui::kAnimationOptionBeginFromCurrentState,
                          [table] { table->setFrame(kTableFrame); });
}

// --- the portrait

void MoreSettingsUserInfoEditViewController::touxiangImagePressedAction() {
  if (!ui::ImagePickerController::isSourceTypeAvailable(ui::ImagePickerSourceType::Camera)) {
    openPicker(ui::ImagePickerSourceType::PhotoLibrary);
    return;
  }
  auto sheet = std::make_shared<ui::ActionSheet>(std::string("选择图片源"),
                                                 std::weak_ptr<ui::ActionSheetDelegate>(sharedEditor()),
                                                 std::string("取消"), std::nullopt,
                                                 std::vector<std::string>{"从照片库中选择", "拍照"});
  sheet->setTag(kPortraitSheetTag);
  sheet->showInView(view());
}

void MoreSettingsUserInfoEditViewController::openPicker(ui::ImagePickerSourceType source) {
  if (!ui::ImagePickerController::isSourceTypeAvailable(source)) {
    if (source == ui::ImagePickerSourceType::Camera) {
      std::make_shared<ui::AlertView>(std::nullopt, std::string("Error accessing camera!"),
                                      std::weak_ptr<ui::AlertViewDelegate>(), std::string("Close"))
          ->show();
    } else {
      std::make_shared<ui::AlertView>(std::string("通知"), std::string("无法访问照片库"),
                                      std::weak_ptr<ui::AlertViewDelegate>(), std::string("Close"))
          ->show();
    }
    return;
  }
  auto* navigation = navigationController();
  if (!navigation) return;
  auto picker = std::make_shared<ui::ImagePickerController>();
  picker->setSourceType(source);
  picker->setAllowsEditing(true);
  picker->setDelegate(std::weak_ptr<ui::ImagePickerControllerDelegate>(sharedEditor()));
  navigation->presentModalViewController(picker, true);
}

void MoreSettingsUserInfoEditViewController::imagePickerControllerDidFinishPickingMedia(
    ui::ImagePickerController& picker, const ui::PickedMedia& media) {
  auto keep = shared();
  if (media.editedImage) {
    auto portrait = ui::Image::create(static_cast<int>(kPortraitSide), static_cast<int>(kPortraitSide));
    std::optional<std::vector<uint8_t>> png;
    if (portrait) {
      {
        ui::Canvas canvas(*portrait);
        canvas.drawImage(*media.editedImage, ui::Rect(0, 0, kPortraitSide, kPortraitSide));
      }
      png = portrait->pngData();
    }
    if (auto path = png ? engine_->addCustomPortrait(*png) : std::nullopt) {
      currentImagePath_ = std::move(path);
      infoChanged_ = true;
      showPortrait();
    }
  }
  if (auto* presenting = picker.presentingViewController()) presenting->dismissModalViewController(true);
}

// --- the sheets

void MoreSettingsUserInfoEditViewController::actionSheetClickedButtonAtIndex(ui::ActionSheet& sheet, int index) {
  if (index == sheet.cancelButtonIndex()) return;
  if (sheet.tag() == kPortraitSheetTag) {
    openPicker(index == 0 ? ui::ImagePickerSourceType::PhotoLibrary : ui::ImagePickerSourceType::Camera);
    return;
  }
  if (sheet.tag() != kLogoutSheetTag || index != sheet.destructiveButtonIndex()) return;
  auto keep = shared();
  // The screen goes: a save still running has no one to report to (its success must not
  // announce a profile after the logout).
  stopObserving();
  UserDefaults& defaults = UserDefaults::standard();
  defaults.removeObject("username");
  defaults.removeObject("password");
  engine_->logout();
  NotificationCenter::defaultCenter().post(kLogoutNotification, Value());
  if (auto* navigation = navigationController()) navigation->popToRootViewController(true);
}

void MoreSettingsUserInfoEditViewController::logoutButtonPressedAction() {
  auto sheet = std::make_shared<ui::ActionSheet>(std::string("注销后，您将无法继续阅读你当前订阅的内容。"),
                                                 std::weak_ptr<ui::ActionSheetDelegate>(sharedEditor()),
                                                 std::string("取消"), std::string("注销此账号"));
  sheet->setTag(kLogoutSheetTag);
  sheet->showInView(view());
}

// --- leaving and saving

void MoreSettingsUserInfoEditViewController::returnButtonPressedAction() {
  if (auto* navigation = navigationController()) navigation->popViewController(false);
}

void MoreSettingsUserInfoEditViewController::setBarButtonsEnabled(bool enabled) {
  ui::NavigationItem& item = *navigationItem();
  if (auto left = item.leftBarButtonItem()) left->setEnabled(enabled);
  if (auto right = item.rightBarButtonItem()) right->setEnabled(enabled);
}

void MoreSettingsUserInfoEditViewController::saveButtonPressedAction() {
  if (saveTaskId_) return;
  setBarButtonsEnabled(false);
  if (saveIndicator_) saveIndicator_->startAnimating();
  setTitle("正在保存...");

  const UserInfo* old = oldUserInfo_.get();
  auto info = std::make_shared<UserInfo>();
  info->setGender(currentGender_);
  info->setIntroduction(minMax(selfintroTextView_ ? selfintroTextView_->text() : std::string(),
                               old ? old->introduction() : nullptr));
  // The address is not edited here: as held (none when the record has none).
  const auto& email = old ? old->email() : nullptr;
  info->setEmail(minMax(email ? email->value() : std::nullopt, email));
  info->setName(minMax(nicknameTextField_ ? nicknameTextField_->text() : std::string(), old ? old->name() : nullptr));
  auto labels = std::make_shared<Label>();
  labels->setLabelItems(std::vector<std::string>());
  for (const auto& field : biaoqianArray_) {
    if (!field->text().empty()) labels->appendLabelItems(field->text());
  }
  if (old && old->labels()) {
    labels->setType(old->labels()->type());
    labels->setMaxLength(old->labels()->maxLength());
    labels->setMaxCount(old->labels()->maxCount());
  }
  info->setLabels(std::move(labels));
  currentUserInfo_ = info;

  auto task = engine_->createUpdateUserInfoTask(info, currentImagePath_);
  if (!task) {
    // Nothing will report: a failed save, every edit kept.
    if (saveIndicator_) saveIndicator_->stopAnimating();
    setBarButtonsEnabled(true);
    setTitle(kTitle);
    currentUserInfo_.reset();
    return;
  }
  saveTaskId_ = task->getTaskIdStr();
  std::weak_ptr<MoreSettingsUserInfoEditViewController> weak = sharedEditor();
  NotificationCenter::defaultCenter().add(*saveTaskId_, this, [weak](const Notification& note) {
    if (auto self = weak.lock()) self->saveUserInfoResultOnMainThread(note);
  });
  engine_->asyncRunTask(task);
}

void MoreSettingsUserInfoEditViewController::stopObserving() {
  if (saveTaskId_) NotificationCenter::defaultCenter().remove(this, *saveTaskId_);
  saveTaskId_.reset();
}

void MoreSettingsUserInfoEditViewController::saveUserInfoResultOnMainThread(const Notification& notification) {
  const Dictionary& info = notification.userInfo;
  if (!saveTaskId_ || notification.name != *saveTaskId_) return;
  if (info.get("ResultType").stringValue().value_or("") != "TaskStatus") return;
  auto keep = shared();
  if (saveIndicator_) saveIndicator_->stopAnimating();
  stopObserving();
  const int code = static_cast<int>(info.get("Result").intValue());
  if (code == 0) {
    setTitle("保存成功");
    Dictionary changed{{"USERINFO", Value(currentUserInfo_)}};
    if (currentImagePath_) changed.set("PORTRAITPATH", Value(*currentImagePath_));
    NotificationCenter::defaultCenter().post(kUserInfoChangeNotification, Value(), changed);
    std::weak_ptr<MoreSettingsUserInfoEditViewController> weak = sharedEditor();
    popToken_ = RunLoop::main()->postDelayed(kPopDelay, [weak] {
      if (auto self = weak.lock()) self->popAfterSave();
    });
    return;
  }
  setBarButtonsEnabled(true);
  ErrorTips::showErrorInfo(code, info.get("ErrDesc").stringValue(), std::string(kErrorContext));
  setTitle(kTitle);
  currentUserInfo_.reset();
}

void MoreSettingsUserInfoEditViewController::popAfterSave() {
  popToken_ = 0;
  auto* navigation = navigationController();
  // Only this screen leaves: never a screen the reader reached meanwhile.
  if (navigation && navigation->topViewController().get() == this) navigation->popViewController(false);
}

}  // namespace zu
