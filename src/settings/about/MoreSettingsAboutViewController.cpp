#include "settings/about/MoreSettingsAboutViewController.h"

#include "platform/runtime/Bundle.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/controllers/TabBarController.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {

namespace {

constexpr const char* kHttp = "http://";

}  // namespace

const std::vector<std::string>& MoreSettingsAboutViewController::linkTitles() {
  static const std::vector<std::string> titles = {
      "http://www.vesk.com/zureader",
      "t.vesk.com/zureader",
      "zelvane.com/zureader",
      "t.qtalk.com/zureader",
  };
  return titles;
}

std::string MoreSettingsAboutViewController::versionStringFromInfoPlist() {
  return Bundle::mainBundle()->info("CFBundleVersion").value_or(std::string());
}

// --- the interface file

void MoreSettingsAboutViewController::buildView(ui::NibLoading& file) {
  auto owner = std::dynamic_pointer_cast<MoreSettingsAboutViewController>(file.owner());
  auto view = file.make<ui::ImageView>(ui::Rect(0, 0, 320, 416));
  view->setUserInteractionEnabled(true);
  auto version = file.make<ui::Label>(ui::Rect(20, 78, 280, 22));
  version->setTextAlignment(ui::TextAlignment::Center);
  version->setFont(ui::Font::systemFont(14));
  version->setTextColor(ui::Color::rgba8(90, 90, 95));
  version->setBackgroundColor(ui::Color::clearColor());
  view->addSubview(version);
  std::vector<std::shared_ptr<ui::Button>> links;
  const char* captions[] = {"官方网站", "zu微博", "Zelvane微博", "QTalk微博"};
  for (int i = 0; i < 4; ++i) {
    const float y = 106 + 29 * static_cast<float>(i);
    auto caption = file.make<ui::Label>(ui::Rect(16, y, 90, 28));
    caption->setText(std::string(captions[i]) + ":");
    caption->setFont(ui::Font::systemFont(14));
    caption->setTextColor(ui::Color::rgba8(90, 90, 95));
    caption->setBackgroundColor(ui::Color::clearColor());
    view->addSubview(caption);
    auto button = file.make<ui::Button>(ui::ButtonType::Custom, ui::Rect(104, y, 210, 28));
    button->setTag(kFirstLinkTag + i);
    button->titleLabel()->setFont(ui::Font::systemFont(14));
    button->setTitleColor(ui::Color::rgba8(40, 100, 190), ui::kControlStateNormal);
    view->addSubview(button);
    links.push_back(button);
  }
  auto appsCaption = file.make<ui::Label>(ui::Rect(16, 226, 280, 22));
  appsCaption->setText(std::string("推荐应用"));
  appsCaption->setFont(ui::Font::boldSystemFont(14));
  appsCaption->setTextColor(ui::Color::rgba8(90, 90, 95));
  appsCaption->setBackgroundColor(ui::Color::clearColor());
  view->addSubview(appsCaption);
  // Above a tab bar the view is 367 points high: the row ends at 350.
  auto apps = MSAppsView::create(ui::Rect(0, 252, 320, 98), owner ? owner->engine_ : nullptr);
  view->addSubview(apps);
  file.connectOwnerView(view);
  file.connectOwner<MoreSettingsAboutViewController>([=](MoreSettingsAboutViewController& screen) {
    screen.versionLabel_ = version;
    screen.linkButtons_ = links;
    screen.appsView_ = apps;
  });
}

void MoreSettingsAboutViewController::registerNib() {
  ui::NibRegistry::shared().add(kNibName, [](ui::NibLoading& file) {
    if (std::dynamic_pointer_cast<MoreSettingsAboutViewController>(file.owner())) buildView(file);
  });
}

// --- making

MoreSettingsAboutViewController::MoreSettingsAboutViewController(std::shared_ptr<AboutEngine> engine)
    : ViewController(std::string(kNibName)), engine_(std::move(engine)) {}

std::shared_ptr<MoreSettingsAboutViewController> MoreSettingsAboutViewController::sharedAbout() {
  return std::static_pointer_cast<MoreSettingsAboutViewController>(shared());
}

// --- the view

void MoreSettingsAboutViewController::viewDidLoad() {
  ViewController::viewDidLoad();
  auto self = sharedAbout();
  std::weak_ptr<MoreSettingsAboutViewController> weak = self;
  if (versionLabel_) versionLabel_->setText("版本:" + versionStringFromInfoPlist());
  if (auto background = std::dynamic_pointer_cast<ui::ImageView>(view())) {
    background->setImage(ui::Image::named("about_bj.png"));
  }
  const NRSkinManager& skin = NRSkinManager::sharedManager();
  // The bar names the screen as the settings row that opens it does, in the skin's title look.
  skin.setCurrentSkinTitleNavigationItem(kTitle, *navigationItem());
  navigationItem()->setLeftBarButtonItem(skin.barButtonItemWithTitle(
      "  更多", NRSkinManager::kBackButtonType, this, [weak](ui::Control&) {
        if (auto screen = weak.lock()) screen->returnButtonPressedAction();
      }));
  for (size_t i = 0; i < linkButtons_.size() && i < linkTitles().size(); ++i) {
    const auto& button = linkButtons_[i];
    button->setTitle(linkTitles()[i], ui::kControlStateNormal);
    button->setTitleColor(ui::Color::lightGrayColor(), ui::kControlStateHighlighted);
    button->setContentHorizontalAlignment(ui::ControlContentHorizontalAlignment::Left);
    button->titleLabel()->setTextAlignment(ui::TextAlignment::Left);
    button->addTarget(this, ui::kControlEventTouchUpInside, [weak](ui::Control& sender) {
      if (auto screen = weak.lock()) screen->urlButtonPressedAction(static_cast<ui::Button&>(sender));
    });
  }
  if (appsView_) appsView_->setAppViewDelegate(std::weak_ptr<MSAppsViewDelegate>(self));
}

void MoreSettingsAboutViewController::viewWillAppear(bool animated) {
  ViewController::viewWillAppear(animated);
  navigationItem()->setHidesBackButton(true);
}

void MoreSettingsAboutViewController::viewWillDisappear(bool animated) {
  ViewController::viewWillDisappear(animated);
  if (auto* navigation = navigationController()) navigation->setNavigationBarHidden(false, animated);
}

void MoreSettingsAboutViewController::viewDidUnload() {
  versionLabel_.reset();
  linkButtons_.clear();
  appsView_.reset();
}

// --- actions

void MoreSettingsAboutViewController::urlButtonPressedAction(ui::Button& button) {
  if (button.tag() < kFirstLinkTag) return;
  const std::string title = button.titleForState(ui::kControlStateNormal).value_or(std::string());
  if (title.empty()) return;
  ui::Application::shared().openURL(title.rfind(kHttp, 0) == 0 ? title : kHttp + title);
}

void MoreSettingsAboutViewController::returnButtonPressedAction() {
  if (auto* navigation = navigationController()) navigation->popViewController(true);
}

void MoreSettingsAboutViewController::appsViewDidClickedAppWithLink(MSAppsView&, const std::string& link) {
  lastUrlString_ = link;
  actionSheet_ = std::make_shared<ui::ActionSheet>(std::string(kSheetTitle),
                                                   std::weak_ptr<ui::ActionSheetDelegate>(sharedAbout()),
                                                   std::string("取消"), std::nullopt,
                                                   std::vector<std::string>{kOpenStoreTitle});
  auto* tabs = tabBarController();
  actionSheet_->showInView(tabs ? tabs->view() : view());
}

void MoreSettingsAboutViewController::actionSheetClickedButtonAtIndex(ui::ActionSheet& sheet, int index) {
  if (index == sheet.cancelButtonIndex() || !lastUrlString_ || lastUrlString_->empty()) return;
  ui::Application::shared().openURL(*lastUrlString_);
}

}  // namespace zu
