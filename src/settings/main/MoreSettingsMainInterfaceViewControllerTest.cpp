#include "settings/main/MoreSettingsMainInterfaceViewController.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "engine/core/Task.h"
#include "engine/core/TaskEngine.h"
#include "model/columns/Column.h"
#include "model/columns/Icon.h"
#include "model/columns/MinMaxValue.h"
#include "model/columns/UserInfo.h"
#include "platform/net/ExternalUrl.h"
#include "platform/runtime/Bundle.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/controllers/TabBarController.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/controls/Slider.h"
#include "platform/ui/controls/Switch.h"
#include "platform/ui/views/TableViewCell.h"
#include "platform/ui/views/Window.h"
#include "settings/SettingsNibs.h"
#include "settings/feedback/MoreSettingsFeedbackViewController.h"
#include "settings/fonts/MoreSettingsFontViewController.h"
#include "settings/guide/MoreSettingsUserGuideViewController.h"
#include "settings/main/MoreSettingsEngine.h"
#include "settings/profile/MoreSettingsUserInfoViewController.h"
#include "share/accounts/MBAccountManagerViewController.h"
#include "shell/app/CustomBrightnessWindow.h"
#include "shell/app/MSCustomTabBarController.h"
#include "shell/app/MSSettings.h"
#include "shell/app/MainWindowNib.h"
#include "shell/app/Observer.h"
#include "shell/app/ShellTestSupport.h"
#include "shell/widgets/MSPlaceHolderTextView.h"
#include "shell/app/StandInScreen.h"
#include "shell/skin/NRSkinManager.h"
#include "shell/widgets/PageControl.h"

namespace zu {
namespace {

class ScriptedTask : public Task {
 public:
  std::string className() const override { return "ScriptedSettingsTask"; }
};

// A reader or a guest as the test says; tasks never run, the test posts their results.
class ScriptedSettingsEngine : public MoreSettingsEngine {
 public:
  bool isAnonymous() override { return anonymous; }
  std::string getUsername() override { return "alice@zu.example"; }
  std::shared_ptr<UserInfo> getLoginUserInfo() override { return stored; }
  std::shared_ptr<Task> createGetUserInfoTask(const Text& username) override {
    userInfoAsked.push_back(username.value_or("?"));
    tasks.push_back(std::make_shared<ScriptedTask>());
    return tasks.back();
  }
  std::shared_ptr<Task> createDownloadImageTask(const Text& url) override {
    if (!url) return nullptr;
    imageTasks.push_back(std::make_shared<ScriptedTask>());
    return imageTasks.back();
  }
  void asyncRunTask(const std::shared_ptr<Task>& task) override { ran.push_back(task); }
  Text getImageLocalPath(const Text& url) override {
    if (!url || !downloaded.count(*url)) return std::nullopt;
    return downloaded[*url];
  }
  int64_t getNormalCacheSize() override { return normalSize; }
  int64_t getOffdownCacheSize() override { return offlineSize; }
  bool isCacheCleaning() override { return false; }
  bool isOfflineBatchRunning() override { return batchRunning; }
  int boundAccountCount() override { return bound; }
  std::shared_ptr<Column> createFavoriteColumn() override {
    auto column = std::make_shared<Column>();
    column->setEntryId(std::string("favorites"));
    column->setTitle(std::string("我的收藏"));
    return column;
  }

  bool anonymous = true;
  bool batchRunning = false;
  int bound = 0;
  int64_t normalSize = 3 * 1024 * 1024;
  int64_t offlineSize = 512 * 1024;
  std::shared_ptr<UserInfo> stored;
  std::vector<std::string> userInfoAsked;
  std::vector<std::shared_ptr<Task>> tasks;
  std::vector<std::shared_ptr<Task>> imageTasks;
  std::vector<std::shared_ptr<Task>> ran;
  std::map<std::string, std::string> downloaded;  // link -> local file
};

std::shared_ptr<UserInfo> profileNamed(const std::string& name) {
  auto user = std::make_shared<UserInfo>();
  auto value = std::make_shared<MinMaxValue>();
  value->setValue(name);
  user->setName(value);
  return user;
}

std::shared_ptr<UserInfo> profileWithPortrait(const std::string& name, const std::string& link) {
  auto user = profileNamed(name);
  auto icon = std::make_shared<Icon>();
  icon->setHref(link);
  user->setIcon(icon);
  return user;
}

class SettingsTabTest : public testing::ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    NRSkinManager::resetForTesting();
    ui::Image::clearNamedCache();
    TaskEngine::initGlobalInstance();
    SettingsNibs::registerNibs();
    StandInScreen::registerMissing();
    window_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
  }
  void TearDown() override {
    screen_.reset();
    navigation_.reset();
    window_.reset();
    ui::Application::shared().setOpenURLHandler(nullptr);
    TaskEngine::uninitGlobalInstance();
    ShellFixture::TearDown();
    // A test that turned the night skin on leaves the day skin behind it.
    NRSkinManager::resetForTesting();
  }
  void open() {
    // A screen opened again replaces the one before in the window, as a new tab root would.
    if (navigation_) navigation_->view()->removeFromSuperview();
    screen_ = std::make_shared<MoreSettingsMainInterfaceViewController>();
    screen_->setEngine(engine_);
    navigation_ = std::make_shared<ui::NavigationController>(screen_);
    ui::ViewController::installAsRoot(*window_, navigation_);
    settle(1);
    window_->layoutIfNeeded();
  }
  ui::TableView& table() { return *screen_->sectionsTableView(); }
  std::shared_ptr<ui::TableViewCell> cellAt(int64_t section, int64_t row) {
    table().scrollToRow(ui::IndexPath::forRow(row, section), ui::TableViewScrollPosition::Middle, false);
    window_->layoutIfNeeded();
    return table().cellForRow(ui::IndexPath::forRow(row, section));
  }
  std::string labelText(int tag) {
    auto label = std::dynamic_pointer_cast<ui::Label>(screen_->userInfoTableViewCell()->viewWithTag(tag));
    return label ? label->text() : std::string("(none)");
  }
  void tap(int64_t section, int64_t row) {
    table().tapRow(ui::IndexPath::forRow(row, section));
    settle(1);
  }
  // The text of the first label under the table that begins with the prefix.
  static std::string shownText(const ui::View& view, const std::string& prefix) {
    if (auto* label = dynamic_cast<const ui::Label*>(&view); label && label->text().rfind(prefix, 0) == 0) {
      return label->text();
    }
    for (const auto& sub : view.subviews()) {
      if (auto text = shownText(*sub, prefix); !text.empty()) return text;
    }
    return {};
  }
  std::string topTitle() {
    auto top = navigation_->topViewController();
    return top ? top->nibName().value_or("(no name)") : std::string("(none)");
  }

  std::shared_ptr<ScriptedSettingsEngine> engine_ = std::make_shared<ScriptedSettingsEngine>();
  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<ui::NavigationController> navigation_;
  std::shared_ptr<MoreSettingsMainInterfaceViewController> screen_;
};

// The main interface's fourth tab is this screen, made from its registered file.
TEST_F(SettingsTabTest, TheSettingsTabsRootIsThisScreen) {
  MainWindowNib::registerNib();
  std::shared_ptr<MSCustomTabBarController> tabs;
  for (const auto& object : ui::NibRegistry::shared().load(MainWindowNib::kName)) {
    if (auto found = std::dynamic_pointer_cast<MSCustomTabBarController>(object)) tabs = found;
  }
  ASSERT_TRUE(tabs);
  ASSERT_GT(tabs->viewControllers().size(), MainWindowNib::kSettingsTab);
  auto navigation = std::dynamic_pointer_cast<ui::NavigationController>(tabs->viewControllers()[MainWindowNib::kSettingsTab]);
  ASSERT_TRUE(navigation);
  auto root = std::dynamic_pointer_cast<MoreSettingsMainInterfaceViewController>(navigation->topViewController());
  ASSERT_TRUE(root);
  EXPECT_EQ(std::optional<std::string>("更多"), root->title());
  EXPECT_FALSE(root->isViewLoaded());
}

// The shipped resource gives the nine sections, titled by the text after the index and one
// separator, with the rows in the positions the screen handles; footers carry the sizes.
TEST_F(SettingsTabTest, TheShippedSectionsReadWithTheirTitlesAndSizeFooters) {
  open();
  ASSERT_EQ(9, table().numberOfSections());
  const std::vector<std::string> titles = {"账号", "阅读", "离线下载", "缓存", "离线内容", "阅读模式", "显示", "反馈", "帮助"};
  const std::vector<int64_t> rows = {3, 1, 1, 1, 1, 1, 3, 3, 1};
  for (int64_t s = 0; s < 9; ++s) {
    EXPECT_EQ(titles[static_cast<size_t>(s)], screen_->titleForHeaderInSection(table(), s)) << s;
    EXPECT_EQ(rows[static_cast<size_t>(s)], table().numberOfRowsInSection(s)) << s;
  }
  EXPECT_EQ(MoreSettingsFontViewController::fontDescription(),
            screen_->moreSettingsDetailTextByIndexPath(ui::IndexPath::forRow(0, 1)));
  EXPECT_EQ(0u, screen_->moreSettingsDetailTextByIndexPath(ui::IndexPath::forRow(0, 1))->rfind("黑体，", 0));
  EXPECT_FALSE(screen_->moreSettingsDetailTextByIndexPath(ui::IndexPath::forRow(0, 2)));
  auto footer = screen_->viewForFooterInSection(table(), 3);
  ASSERT_TRUE(footer && !footer->subviews().empty());
  auto label = std::dynamic_pointer_cast<ui::Label>(footer->subviews().front());
  EXPECT_EQ("点击后，你阅读过的文章缓存将被全部删除。已用缓存：3.0MB", label->text());
  label = std::dynamic_pointer_cast<ui::Label>(screen_->viewForFooterInSection(table(), 4)->subviews().front());
  EXPECT_EQ("点击后，所有离线下载的内容将被全部删除。当前离线文件大小：512KB", label->text());

  // The cleaning's end draws the size footers again.
  cellAt(4, 0);
  const std::string used = "点击后，你阅读过的文章缓存将被全部删除。已用缓存：";
  EXPECT_EQ(used + "3.0MB", shownText(table(), used));
  engine_->normalSize = 0;
  NotificationCenter::defaultCenter().post("kNotificationCachecleanEnd");
  window_->layoutIfNeeded();
  EXPECT_EQ(used + "0KB", shownText(table(), used));

  EXPECT_EQ("1023KB", MoreSettingsMainInterfaceViewController::cacheSizeStringWithSize(1048575));
  EXPECT_EQ("1.0MB", MoreSettingsMainInterfaceViewController::cacheSizeStringWithSize(1048576));
  EXPECT_EQ("1.0GB", MoreSettingsMainInterfaceViewController::cacheSizeStringWithSize(1024LL * 1024 * 1024));
  EXPECT_EQ("0KB", MoreSettingsMainInterfaceViewController::cacheSizeStringWithSize(1023));
  EXPECT_EQ("1023.9MB", MoreSettingsMainInterfaceViewController::cacheSizeStringWithSize(1024LL * 1024 * 1024 - 100000));

  EXPECT_EQ("点击登录...", labelText(2));
  EXPECT_EQ("登录后,你可在不同平台上同步你的", labelText(3));
  EXPECT_TRUE(engine_->userInfoAsked.empty());
  EXPECT_TRUE(ui::ContrastAudit::snapshotScreen("settings-guest-day"));
}

// A section's key is the one beginning with its digits and a non-digit: "1" is not "11", a
// title with digits answers for no other section, a missing index has no rows, a missing
// resource gives no sections.
TEST_F(SettingsTabTest, SectionKeysAreFoundByTheirIndexPrefix) {
  const std::filesystem::path bundle = home_.path() / "TestBundle";
  std::filesystem::create_directories(bundle);
  std::ofstream(bundle / "Info.plist") << "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict/></plist>";
  std::string keys;
  for (const char* key : {"11_第十一", "3_第3章", "1_一", "0_零", "2_二", "4_四", "5_五", "6_六", "7_七", "8_八", "9_九",
                          "10_十", "13:缺十二"}) {
    keys += std::string("<key>") + key + "</key><array><string>" + key + "</string></array>";
  }
  std::ofstream(bundle / "MoreSettingsSections.plist")
      << "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>" << keys << "</dict></plist>";
  Bundle::setMainBundleForTesting(bundle);
  open();
  EXPECT_EQ("1_一", screen_->getKeyByIndexFromSectionDictionary(1));
  EXPECT_EQ("11_第十一", screen_->getKeyByIndexFromSectionDictionary(11));
  EXPECT_EQ("3_第3章", screen_->getKeyByIndexFromSectionDictionary(3));
  EXPECT_FALSE(screen_->getKeyByIndexFromSectionDictionary(12));
  EXPECT_EQ("缺十二", screen_->titleForHeaderInSection(table(), 13));
  EXPECT_EQ(13, table().numberOfSections());
  EXPECT_EQ(0, table().numberOfRowsInSection(12));

  // A section whose value is no list has no rows; an unreadable or missing table, no sections.
  std::ofstream(bundle / "MoreSettingsSections.plist")
      << "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>0_零</key><string>x</string></dict></plist>";
  open();
  EXPECT_EQ(1, table().numberOfSections());
  EXPECT_EQ(0, table().numberOfRowsInSection(0));
  std::ofstream(bundle / "MoreSettingsSections.plist") << "<plist><dict><key>0_零";
  open();
  EXPECT_EQ(0, table().numberOfSections());
  std::filesystem::remove(bundle / "MoreSettingsSections.plist");
  open();
  EXPECT_EQ(0, table().numberOfSections());
  // A bundle that names no review page: the store's own, which the opener accepts too.
  const std::string fallback = MoreSettingsMainInterfaceViewController::storeReviewUrl();
  EXPECT_TRUE(fallback.starts_with("https://") && ExternalUrl::isOpenable(fallback)) << fallback;
  Bundle::resetMainBundleForTesting();
}

// The switches store and tell; night changes the skin, posts YES and the screen redraws in the
// night look; lightness goes to the overlay.
TEST_F(SettingsTabTest, SwitchesStoreAndNightRedrawsTheScreen) {
  open();
  std::vector<Value> modes, nights;
  NotificationCenter::defaultCenter().add("ColumnDisplayModeChange", this,
                                          [&](const Notification& note) { modes.push_back(note.object); });
  NotificationCenter::defaultCenter().add("Notification_Night", this,
                                          [&](const Notification& note) { nights.push_back(note.object); });
  auto nopic = std::dynamic_pointer_cast<ui::Switch>(cellAt(5, 0)->accessoryView());
  ASSERT_TRUE(nopic);
  EXPECT_FALSE(nopic->isOn());
  nopic->setOn(true);
  nopic->sendActionsForControlEvents(ui::kControlEventValueChanged);
  EXPECT_TRUE(UserDefaults::standard().boolForKey("kMoreSettingsKeyForNopic"));
  ASSERT_EQ(1u, modes.size());
  EXPECT_EQ(Value(true), modes[0]);

  auto refresh = std::dynamic_pointer_cast<ui::Switch>(cellAt(6, 0)->accessoryView());
  ASSERT_TRUE(refresh && refresh->isOn());
  refresh->setOn(false);
  refresh->sendActionsForControlEvents(ui::kControlEventValueChanged);
  EXPECT_FALSE(MSSettings::valueForAutoRefresh());

  auto night = std::dynamic_pointer_cast<ui::Switch>(cellAt(6, 1)->accessoryView());
  ASSERT_TRUE(night);
  EXPECT_EQ(screen_->nightSwitch(), night);
  const auto dayCell = NRSkinManager::sharedManager().colorWithCodeName("colorKdmsCellBackground");
  night->setOn(true);
  night->sendActionsForControlEvents(ui::kControlEventValueChanged);
  EXPECT_TRUE(MSSettings::valueForNight());
  EXPECT_EQ("Night", NRSkinManager::sharedManager().skinName());
  ASSERT_EQ(1u, nights.size());
  EXPECT_EQ(Value(true), nights[0]);
  const auto nightCell = NRSkinManager::sharedManager().colorWithCodeName("colorKdmsCellBackground");
  ASSERT_TRUE(nightCell);
  EXPECT_NE(dayCell, nightCell);
  // Redrawn from the notification: the cells carry the night colour.
  EXPECT_EQ(*nightCell, cellAt(6, 1)->backgroundColor());
  table().scrollToRow(ui::IndexPath::forRow(0, 0), ui::TableViewScrollPosition::Top, false);
  window_->layoutIfNeeded();
  EXPECT_TRUE(ui::ContrastAudit::snapshotScreen("settings-guest-night"));

  CustomBrightnessWindow::globalInit();
  table().reloadData();
  auto slider = std::dynamic_pointer_cast<ui::Slider>(cellAt(6, 2)->accessoryView());
  ASSERT_TRUE(slider);
  EXPECT_EQ(200, slider->frame().size.width);
  slider->setValue(0.4f);
  slider->sendActionsForControlEvents(ui::kControlEventValueChanged);
  EXPECT_FLOAT_EQ(0.4f, MSSettings::valueForLightness());
  EXPECT_FLOAT_EQ(0.4f, CustomBrightnessWindow::brightness());
  CustomBrightnessWindow::globalUninit();
  NotificationCenter::defaultCenter().remove(this);
}

// The lightness slider keeps the finger it tracks inside the scrolling table: dragged from its
// thumb past either end, wandering up and down on the way, it follows to the end and the screen
// dims and clears as it moves, the table staying where it was; a drag that begins on the row's
// title scrolls the table.
TEST_F(SettingsTabTest, TheLightnessSliderFollowsADragToEitherEnd) {
  open();
  CustomBrightnessWindow::globalInit();
  table().reloadData();
  auto cell = cellAt(6, 2);
  auto slider = std::dynamic_pointer_cast<ui::Slider>(cell->accessoryView());
  ASSERT_TRUE(slider);
  slider->setValue(0.5f);
  std::vector<float> shown;
  slider->addTarget(this, ui::kControlEventValueChanged,
                    [&shown](ui::Control&) { shown.push_back(CustomBrightnessWindow::brightness()); });
  const ui::Point offset = table().contentOffset();
  const ui::Rect thumb = slider->convertRectTo(slider->thumbRect(), nullptr);
  const ui::Rect track = slider->convertRectTo(slider->bounds(), nullptr);
  auto finger = window_->beginTouch(thumb.center());
  for (float x = thumb.midX() + 12; x < track.maxX() + 40; x += 12) {
    window_->moveTouch(finger, ui::Point{x, thumb.midY() + (x > track.midX() + 40 ? 30.f : -20.f)});
  }
  EXPECT_FLOAT_EQ(1, CustomBrightnessWindow::brightness());
  EXPECT_FLOAT_EQ(1, MSSettings::valueForLightness());
  const size_t rightward = shown.size();
  EXPECT_GT(rightward, 4u);
  for (float x = track.maxX(); x > track.minX() - 40; x -= 12) {
    window_->moveTouch(finger, ui::Point{x, thumb.midY() - 25});
  }
  window_->endTouch(finger);
  EXPECT_FLOAT_EQ(0, CustomBrightnessWindow::brightness());
  EXPECT_FLOAT_EQ(0, MSSettings::valueForLightness());
  EXPECT_GT(shown.size(), rightward + 8);
  EXPECT_EQ(offset, table().contentOffset());
  EXPECT_FALSE(table().isDragging());

  settle(1);
  const ui::Rect title = cell->textLabel()->convertRectTo(cell->textLabel()->bounds(), nullptr);
  window_->drag(title.center(), ui::Point{title.midX(), title.midY() + 60});
  EXPECT_FLOAT_EQ(0, slider->value());
  EXPECT_NE(offset, table().contentOffset());
  slider->removeTarget(this);
  CustomBrightnessWindow::globalUninit();
}

// A swipe up or down that begins on the lightness slider's track, away from its thumb, is the
// table's: the table scrolls and the screen keeps its brightness, the slider sending nothing; a
// drag along the track from the same place is the slider's, the thumb following to the end.
TEST_F(SettingsTabTest, ASwipeFromTheLightnessTrackScrollsTheTableAndKeepsTheBrightness) {
  open();
  CustomBrightnessWindow::globalInit();
  table().reloadData();
  auto slider = std::dynamic_pointer_cast<ui::Slider>(cellAt(6, 2)->accessoryView());
  ASSERT_TRUE(slider);
  slider->setValue(0.6f);
  slider->sendActionsForControlEvents(ui::kControlEventValueChanged);
  ASSERT_FLOAT_EQ(0.6f, CustomBrightnessWindow::brightness());
  int sent = 0;
  slider->addTarget(this, ui::kControlEventValueChanged, [&sent](ui::Control&) { ++sent; });
  const ui::Point offset = table().contentOffset();
  const ui::Rect track = slider->convertRectTo(slider->bounds(), nullptr);
  const ui::Point onTrack{track.minX() + 40, track.midY()};
  ASSERT_LT(onTrack.x + 10, slider->convertRectTo(slider->thumbRect(), nullptr).minX());

  window_->drag(onTrack, ui::Point{onTrack.x, onTrack.y + 80}, 8);
  EXPECT_NE(offset, table().contentOffset());
  EXPECT_FLOAT_EQ(0.6f, slider->value());
  EXPECT_FLOAT_EQ(0.6f, CustomBrightnessWindow::brightness());
  EXPECT_FLOAT_EQ(0.6f, MSSettings::valueForLightness());
  EXPECT_EQ(0, sent);

  settle(1);
  const ui::Point scrolled = table().contentOffset();
  const ui::Rect moved = slider->convertRectTo(slider->bounds(), nullptr);
  window_->drag(ui::Point{moved.minX() + 40, moved.midY()}, ui::Point{moved.maxX() + 40, moved.midY() + 20}, 8);
  EXPECT_EQ(scrolled, table().contentOffset());
  EXPECT_FLOAT_EQ(1, CustomBrightnessWindow::brightness());
  EXPECT_GT(sent, 4);
  slider->removeTarget(this);
  CustomBrightnessWindow::globalUninit();
}

// Every row opens its screen and none stays selected; the cleaning rows refuse while an offline
// batch runs; the store row opens the configured address.
TEST_F(SettingsTabTest, RowsOpenTheirScreensAndNoneStaysSelected) {
  std::vector<std::string> opened;
  ui::Application::shared().setOpenURLHandler([&](const std::string& url) {
    opened.push_back(url);
    return true;
  });
  open();
  struct Road {
    int64_t section, row;
    std::string screen;
  };
  const std::vector<Road> roads = {{0, 1, ""},
                                   {0, 2, "ReportContentController"},
                                   {1, 0, "MoreSettingsFontViewController"},
                                   {2, 0, "MSOfflineManageViewController"},
                                   {7, 0, "MoreSettingsFeedbackViewController"},
                                   {7, 2, "MoreSettingsAboutViewController"}};
  for (const Road& road : roads) {
    cellAt(road.section, road.row);
    tap(road.section, road.row);
    EXPECT_EQ(2u, navigation_->viewControllers().size()) << road.section << "," << road.row;
    if (road.screen.empty()) {
      EXPECT_TRUE(std::dynamic_pointer_cast<MBAccountManagerViewController>(navigation_->topViewController()));
    } else {
      EXPECT_EQ(road.screen, topTitle()) << road.section << "," << road.row;
    }
    EXPECT_FALSE(table().indexPathForSelectedRow());
    navigation_->popViewController(false);
    settle(1);
  }
  // The favourites list got the engine's favourites column.
  auto requests = StandInScreen::requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ("ReportContentController", requests.back().nibName);
  auto column = requests.back().parameters.get("column").asObject<Column>();
  ASSERT_TRUE(column);
  EXPECT_EQ("favorites", column->entryId());

  // The guide "help" with its six pictures, over the window.
  cellAt(8, 0);
  tap(8, 0);
  EXPECT_FALSE(table().indexPathForSelectedRow());
  MoreSettingsUserGuideViewController* guide = nullptr;
  for (const auto& child : window_->subviews().back()->subviews()) {
    if (auto pages = std::dynamic_pointer_cast<PageControl>(child)) {
      guide = dynamic_cast<MoreSettingsUserGuideViewController*>(pages->delegate());
    }
  }
  ASSERT_TRUE(guide);
  EXPECT_EQ("help", guide->helpImageName());
  EXPECT_EQ(6, guide->helpImageNum());
  guide->view()->removeFromSuperview();

  // The store row: the bundle's review page, one the system's opener accepts; a page the
  // environment names comes first (a sample run's).
  cellAt(7, 1);
  tap(7, 1);
  ASSERT_EQ(1u, opened.size());
  EXPECT_EQ(Bundle::mainBundle()->info(MoreSettingsMainInterfaceViewController::kStoreReviewUrlKey), opened[0]);
  EXPECT_TRUE(opened[0].starts_with("https://")) << opened[0];
  EXPECT_TRUE(ExternalUrl::isOpenable(opened[0])) << opened[0];
  EXPECT_NE(std::string::npos, opened[0].find("/WebObjects/MZStore.woa/wa/viewContentsUserReviews"));
  ::setenv(MoreSettingsMainInterfaceViewController::kStoreReviewUrlVariable, "http://127.0.0.1:8/store/review.html", 1);
  tap(7, 1);
  ::unsetenv(MoreSettingsMainInterfaceViewController::kStoreReviewUrlVariable);
  ASSERT_EQ(2u, opened.size());
  EXPECT_EQ("http://127.0.0.1:8/store/review.html", opened[1]);

  // A guest's user cell presents the login screen.
  cellAt(0, 0);
  tap(0, 0);
  ASSERT_TRUE(screen_->modalViewController() || navigation_->modalViewController());

  // While an offline batch runs the cleaning rows say so and do nothing.
  engine_->batchRunning = true;
  table().reloadData();
  auto cleaning = cellAt(3, 0);
  auto label = std::dynamic_pointer_cast<ui::Label>(cleaning->contentView()->viewWithTag(10000));
  ASSERT_TRUE(label);
  EXPECT_EQ("离线下载中，无法清理缓存", label->text());
  label = std::dynamic_pointer_cast<ui::Label>(cellAt(4, 0)->contentView()->viewWithTag(10000));
  EXPECT_EQ("离线下载中，无法清理", label->text());
  // That selecting them then starts no cleaning needs the data engine: SettingsTabServiceTest.
}

// Scrolled to its end, the table is still there after the feedback screen, which hides the tab
// bar and raises the keyboard, has come and gone.
TEST_F(SettingsTabTest, TheTableKeepsItsEndAcrossTheFeedbackScreen) {
  screen_ = std::make_shared<MoreSettingsMainInterfaceViewController>();
  screen_->setEngine(engine_);
  navigation_ = std::make_shared<ui::NavigationController>(screen_);
  auto tabs = std::make_shared<ui::TabBarController>();
  tabs->setViewControllers({navigation_});
  ui::ViewController::installAsRoot(*window_, tabs);
  settle(1);
  window_->layoutIfNeeded();
  table().setContentOffset(table().maximumContentOffset());
  const ui::Point end = table().contentOffset();
  ASSERT_GT(end.y, 0);

  ASSERT_TRUE(table().cellForRow(ui::IndexPath::forRow(0, 7)));
  tap(7, 0);
  auto feedback = std::dynamic_pointer_cast<MoreSettingsFeedbackViewController>(navigation_->topViewController());
  ASSERT_TRUE(feedback);
  ASSERT_TRUE(feedback->inputTextView());
  feedback->inputTextView()->becomeFirstResponder();
  feedback->inputTextView()->insertText("Works well");
  settle(1);
  navigation_->popViewController(true);
  settle(1);
  window_->layoutIfNeeded();
  EXPECT_EQ(end, table().contentOffset());
  EXPECT_EQ(end, table().maximumContentOffset());
  EXPECT_TRUE(ui::ContrastAudit::snapshotScreen("settings-after-feedback"));
}

// A reader's cell: the stored profile at once, the service's answer after; a sync result asks
// again and shows the new bound-account count; a result after the view unloaded changes nothing.
TEST_F(SettingsTabTest, AReadersCellFollowsTheProfileAndTheBoundAccounts) {
  engine_->anonymous = false;
  engine_->stored = profileNamed("爱丽丝");
  engine_->bound = 1;
  open();
  ASSERT_EQ(1u, engine_->userInfoAsked.size());
  EXPECT_EQ("alice@zu.example", engine_->userInfoAsked[0]);
  EXPECT_EQ("爱丽丝", labelText(2));
  EXPECT_EQ("alice@zu.example", labelText(3));
  EXPECT_EQ("已经绑定1个转发账号", labelText(4));
  Observer::postResultOnMainThread(Dictionary{{"Task", Value(engine_->tasks.back())},
                                              {"ResultType", "UserInfo"},
                                              {"Result", Value(profileNamed("Alice"))}});
  settle(0);
  EXPECT_EQ("Alice", labelText(2));
  EXPECT_TRUE(ui::ContrastAudit::snapshotScreen("settings-reader-day"));

  engine_->bound = 3;
  NotificationCenter::defaultCenter().post("SyncResultNotification");
  settle(0);
  EXPECT_EQ(2u, engine_->userInfoAsked.size());
  EXPECT_EQ("已经绑定3个转发账号", labelText(4));

  // The sync showed the stored record at once; a failed task then changes nothing, and the next
  // load takes the stored record again.
  EXPECT_EQ("爱丽丝", labelText(2));
  engine_->stored = profileNamed("Stored");
  Observer::postResultOnMainThread(Dictionary{{"Task", Value(engine_->tasks.back())},
                                              {"ResultType", "TaskStatus"},
                                              {"Result", -3}});
  settle(0);
  EXPECT_EQ("爱丽丝", labelText(2));
  NotificationCenter::defaultCenter().post("SyncResultNotification");
  settle(0);
  EXPECT_EQ("Stored", labelText(2));
  // Logging out elsewhere redraws the guest's cell.
  engine_->anonymous = true;
  NotificationCenter::defaultCenter().post("Notification_Logout");
  EXPECT_EQ("点击登录...", labelText(2));
  engine_->anonymous = false;

  auto pending = engine_->tasks.back();
  screen_->viewDidUnload();
  Observer::postResultOnMainThread(Dictionary{{"Task", Value(pending)},
                                              {"ResultType", "UserInfo"},
                                              {"Result", Value(profileNamed("Late"))}});
  settle(0);
  EXPECT_FALSE(screen_->userInfo());

  MSSettings::setValueForNight(true);
  NRSkinManager::sharedManager().changeSkin("Night");
  open();
  EXPECT_TRUE(ui::ContrastAudit::snapshotScreen("settings-reader-night"));
  // The own profile opens from the user cell.
  tap(0, 0);
  EXPECT_TRUE(std::dynamic_pointer_cast<MoreSettingsUserInfoViewController>(navigation_->topViewController()));
}

// A portrait not on the device is fetched once however often the cell is drawn; its arrival
// shows the file; a failed fetch is tried again at the next drawing, a kept file is not fetched.
TEST_F(SettingsTabTest, TheReadersPortraitIsFetchedOnceAndShownOnArrival) {
  const std::string link = "http://zu.example/img/alice.png";
  engine_->anonymous = false;
  engine_->stored = profileWithPortrait("爱丽丝", link);
  open();
  auto portrait = std::dynamic_pointer_cast<ui::ImageView>(screen_->userInfoTableViewCell()->viewWithTag(1));
  ASSERT_TRUE(portrait);
  const auto guestPortrait = NRSkinManager::sharedManager().imageWithCodeName("imageKdpTouxiang152");
  EXPECT_EQ(guestPortrait, portrait->image());
  // Drawn again by a reload, an appearance and a sync: still the one fetch, observed once.
  table().reloadData();
  window_->layoutIfNeeded();
  screen_->viewWillAppear(false);
  NotificationCenter::defaultCenter().post("SyncResultNotification");
  window_->layoutIfNeeded();
  ASSERT_EQ(1u, engine_->imageTasks.size());
  EXPECT_EQ(1, std::count(engine_->ran.begin(), engine_->ran.end(), engine_->imageTasks[0]));

  // The picture arrives: the cell shows the file.
  auto picture = ui::Image::create(8, 8);
  const auto file = home_.path() / "alice.png";
  std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(picture->pngData()->data()),
                                              static_cast<std::streamsize>(picture->pngData()->size()));
  engine_->downloaded[link] = file.string();
  Observer::postResultOnMainThread(Dictionary{{"Task", Value(engine_->imageTasks[0])}, {"ResultType", "ImageDownLoad"}});
  settle(0);
  ASSERT_TRUE(portrait->image());
  EXPECT_NE(guestPortrait, portrait->image());
  EXPECT_EQ(8, portrait->image()->size().width);
  table().reloadData();
  window_->layoutIfNeeded();
  EXPECT_EQ(1u, engine_->imageTasks.size());

  // A new link whose fetch fails: the next drawing fetches again.
  engine_->stored = profileWithPortrait("爱丽丝", "http://zu.example/img/other.png");
  NotificationCenter::defaultCenter().post("SyncResultNotification");
  window_->layoutIfNeeded();
  ASSERT_EQ(2u, engine_->imageTasks.size());
  EXPECT_EQ(guestPortrait, portrait->image());
  Observer::postResultOnMainThread(Dictionary{{"Task", Value(engine_->imageTasks[1])}, {"ResultType", "TaskStatus"}, {"Result", -1}});
  settle(0);
  table().reloadData();
  window_->layoutIfNeeded();
  EXPECT_EQ(3u, engine_->imageTasks.size());

  // The reader logs out while a portrait is on its way: its arrival leaves the guest's default.
  engine_->anonymous = true;
  NotificationCenter::defaultCenter().post("Notification_Logout");
  engine_->downloaded["http://zu.example/img/other.png"] = file.string();
  Observer::postResultOnMainThread(Dictionary{{"Task", Value(engine_->imageTasks.back())}, {"ResultType", "ImageDownLoad"}});
  settle(0);
  EXPECT_EQ("点击登录...", labelText(2));
  EXPECT_EQ(guestPortrait, portrait->image());
  engine_->anonymous = false;
  engine_->downloaded.erase("http://zu.example/img/other.png");
  table().reloadData();
  window_->layoutIfNeeded();
  ASSERT_EQ(4u, engine_->imageTasks.size());

  // A portrait result after the view unloaded changes nothing.
  auto pending = engine_->imageTasks.back();
  auto cell = screen_->userInfoTableViewCell();
  screen_->viewDidUnload();
  engine_->downloaded["http://zu.example/img/other.png"] = file.string();
  Observer::postResultOnMainThread(Dictionary{{"Task", Value(pending)}, {"ResultType", "ImageDownLoad"}});
  settle(0);
  EXPECT_EQ(guestPortrait, std::dynamic_pointer_cast<ui::ImageView>(cell->viewWithTag(1))->image());
}

}  // namespace
}  // namespace zu
