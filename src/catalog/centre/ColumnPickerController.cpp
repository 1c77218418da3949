#include "catalog/centre/ColumnPickerController.h"

#include <algorithm>

#include "catalog/centre/ColumnPickerEngine.h"
#include "catalog/centre/LoadMoreCell.h"
#include "catalog/custom/NRSubscribeColumnsArrayController.h"
#include "catalog/custom/NRSubscribeSocialCell.h"
#include "common/Reachability.h"
#include "engine/core/Task.h"
#include "engine/openplatform/OpenPlatformBase.h"
#include "model/columns/Column.h"
#include "model/entry/EntryCategory.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/entry/OpenSearch.h"
#include "model/service/VeskCustomization.h"
#include "model/service/VeskSubscribe.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/views/ScrollView.h"
#include "platform/ui/controls/SearchBar.h"
#include "platform/ui/controllers/TabBarController.h"
#include "share/accounts/AuthenicationViewController.h"
#include "shell/app/ErrorTips.h"
#include "shell/app/MSCustomTabBarController.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {

namespace {

constexpr const char* kSubscribeNotification = "NOTIFICATIONSUBSCRIBECOLUMN";
constexpr const char* kUnsubscribeNotification = "NOTIFICATIONUNSUBSCRIBECOLUMN";
constexpr const char* kEnterForegroundNotification = "Notification_ApplicationEnterForeground";
constexpr const char* kNightNotification = "Notification_Night";
constexpr const char* kFirstLoadContext = " ";
constexpr const char* kPagingContext = "  ";

std::string resultType(const Notification& notification) {
  return notification.userInfo.get("ResultType").stringValue().value_or("");
}

bool isSelf(const Column& column) {
  const auto& customization = column.veskCustomization();
  return customization && customization->self();
}

std::shared_ptr<ui::View> sectionHeader(const std::string& text) {
  const auto& skin = NRSkinManager::sharedManager();
  auto header = std::make_shared<ui::ImageView>(ui::Rect(0, 0, 320, ColumnPickerController::kHeaderHeight));
  header->setImage(skin.imageWithCodeName("imageKdccTitleViewBackground"));
  auto label = std::make_shared<ui::Label>(ui::Rect(6, 6, 200, 20));
  label->setBackgroundColor(ui::Color::clearColor());
  if (auto c = skin.colorWithCodeName("colorKdccTableTitle")) label->setTextColor(*c);
  if (auto f = skin.fontWithCodeName("fontKdccTableTitle")) label->setFont(*f);
  label->setShadowColor(skin.colorWithCodeName("colorKdccTableTitleShadow"));
  label->setShadowOffset(ui::Size{0, 1});
  label->setText(text);
  header->addSubview(label);
  return header;
}

}  // namespace

// Loaded by a controller, the file is its view; asked by anyone else (the main window's file for
// the tab's root), it makes the root screen.
void ColumnPickerController::buildScreen(ui::NibLoading& file) {
  if (!std::dynamic_pointer_cast<ColumnPickerController>(file.owner())) {
    file.makeTopLevel<ColumnPickerController>();
    return;
  }
  auto view = file.make<ui::View>(ui::Rect(0, 0, 320, 367));
  view->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  auto logo = file.make<ui::ImageView>(ui::Rect(110, 120, 100, 100));
  logo->setAutoresizingMask(ui::kAutoresizingFlexibleLeftMargin | ui::kAutoresizingFlexibleRightMargin);
  auto table = file.make<ui::TableView>(ui::Rect(0, 0, 320, 367), ui::TableViewStyle::Plain);
  table->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  auto noSource = file.make<ui::Label>(ui::Rect(20, 240, 280, 24));
  noSource->setBackgroundColor(ui::Color::clearColor());
  noSource->setTextAlignment(ui::TextAlignment::Center);
  noSource->setTextColor(ui::Color::grayColor());
  noSource->setText(std::string("暂无内容"));
  auto bar = file.make<ui::SearchBar>(ui::Rect(0, 0, 320, 44));
  view->addSubview(logo);
  view->addSubview(table);
  view->addSubview(noSource);
  file.connectOwnerView(view);
  file.connectOwner<ColumnPickerController>([table, noSource, logo, bar](ColumnPickerController& owner) {
    owner.tableView_ = table;
    owner.noSourceLabel_ = noSource;
    owner.noContentLogo_ = logo;
    owner.searchBar_ = bar;
    auto self = owner.sharedPicker();
    table->setDataSource(self);
    table->setDelegate(self);
  });
}

void ColumnPickerController::registerNibs() {
  ui::NibRegistry::shared().add(kNibName, buildScreen);
  ColumnCell::registerNib();
  LoadMoreCell::registerNib();
}

ColumnPickerController::ColumnPickerController()
    : ViewController(std::string(kNibName)), engine_(ColumnPickerEngine::defaultPickerEngine()) {
  loadMoreCell_ = LoadMoreCell::loadMoreCellWithTableView(nullptr);
  searchTipCell_ = LoadMoreCell::loadMoreCellWithTableView(nullptr);
  if (searchTipCell_) searchTipCell_->setBackgroundColor(ui::Color::clearColor());
}

ColumnPickerController::~ColumnPickerController() { NotificationCenter::defaultCenter().remove(this); }

std::shared_ptr<ColumnPickerController> ColumnPickerController::sharedPicker() {
  return std::static_pointer_cast<ColumnPickerController>(shared());
}

void ColumnPickerController::setEngine(std::shared_ptr<ColumnPickerEngine> engine) {
  engine_ = engine ? std::move(engine) : ColumnPickerEngine::defaultPickerEngine();
}

// --- tasks

bool ColumnPickerController::startTask(const std::shared_ptr<Task>& task,
                                       void (ColumnPickerController::*handler)(const Notification&)) {
  if (!task) return false;
  std::weak_ptr<ColumnPickerController> weak = sharedPicker();
  NotificationCenter::defaultCenter().add(task->getTaskIdStr(), this, [weak, handler](const Notification& note) {
    if (auto self = weak.lock()) ((*self).*handler)(note);
  });
  engine_->asyncRunTask(task);
  return true;
}

void ColumnPickerController::stopObserving(const std::string& taskId) {
  NotificationCenter::defaultCenter().remove(this, taskId);
}

void ColumnPickerController::requestFirstPage() {
  if (firstLoadTaskId_) stopObserving(*firstLoadTaskId_);
  firstLoadTaskId_.reset();
  auto task = engine_->createGetServerColumnsTask(parentColumn_ ? parentColumn_->alternatelink() : nullptr);
  if (!task) return;
  firstLoadTaskId_ = task->getTaskIdStr();
  startTask(task, &ColumnPickerController::firstLoadColumnsResultOnMainThread);
}

void ColumnPickerController::requestNextPage() {
  // One page at a time: the table asks for the load-more row whenever it shows it.
  if (loadingMore_ || !curFeed_ || !curFeed_->nextLink()) return;
  auto task = engine_->createGetServerColumnsTask(curFeed_->nextLink());
  if (!task) return;
  loadMoreTaskId_ = task->getTaskIdStr();
  loadingMore_ = true;
  startTask(task, &ColumnPickerController::loadMoreColumnsResultOnMainThread);
}

bool ColumnPickerController::isSelectedTab() const {
  auto* navigation = navigationController();
  auto* tabs = tabBarController();
  if (!navigation || !tabs) return false;
  return tabs->selectedViewController().get() == navigation;
}

// --- the view

void ColumnPickerController::viewDidLoad() {
  ViewController::viewDidLoad();
  lastLoadFailed_ = false;
  const auto& skin = NRSkinManager::sharedManager();
  const auto background = skin.colorWithCodeName("colorKdpContentBackground");
  applySkin();
  if (tableView_) tableView_->setTableHeaderView(searchBar_);
  if (searchBar_) {
    searchBar_->setDelegate(std::static_pointer_cast<ui::SearchBarDelegate>(sharedPicker()));
    searchDisplay_ = std::make_shared<ui::SearchDisplayController>(searchBar_, this);
    searchDisplay_->setDelegate(std::static_pointer_cast<ui::SearchDisplayDelegate>(sharedPicker()));
    searchDisplay_->setSearchResultsDataSource(std::static_pointer_cast<ui::TableViewDataSource>(sharedPicker()));
    searchDisplay_->setSearchResultsDelegate(std::static_pointer_cast<ui::TableViewDelegate>(sharedPicker()));
    ui::TableView& results = *searchDisplay_->searchResultsTableView();
    if (background) results.setBackgroundColor(*background);
    results.setSeparatorColor(ui::Color::clearColor());
    results.setSeparatorStyle(ui::TableViewCellSeparatorStyle::SingleLine);
  }
  if (noContentLogo_) noContentLogo_->setImage(skin.imageWithCodeName("imageKdpCenterLogo"));
  if (noSourceLabel_) noSourceLabel_->setHidden(true);
  waitingIndicator_ = std::make_shared<ui::ActivityIndicatorView>(ui::ActivityIndicatorStyle::Gray);
  waitingIndicator_->setStyle(static_cast<ui::ActivityIndicatorStyle>(skin.activityIndicatorViewStyle()));
  waitingIndicator_->setHidesWhenStopped(true);
  const ui::Rect bounds = view()->bounds();
  waitingIndicator_->setCenter(ui::Point{bounds.size.width / 2, bounds.size.height / 2});
  waitingIndicator_->setAutoresizingMask(45);
  view()->addSubview(waitingIndicator_);
  applyNavigationItems();

  if (!unLoaded_) {
    if (tableView_) tableView_->setHidden(true);
    requestFirstPage();
    if (tableView_ && tableView_->tableHeaderView()) tableView_->setContentOffset(ui::Point{0, 44}, false);
    waitingIndicator_->startAnimating();
  } else if (isSearchResult_) {
    // The reader was looking at search results: the search comes back over the catalogue.
    if (tableView_) tableView_->reloadData();
    if (searchDisplay_) searchDisplay_->setActive(true, false);
    if (searchBar_) {
      searchBar_->setText(lastSearchText_);
      searchBar_->becomeFirstResponder();
    }
    if (noSourceLabel_) noSourceLabel_->setHidden(true);
  } else {
    applySearchLink();
    const bool hasEntries = firstFeed_ && firstFeed_->entrys() && !firstFeed_->entrys()->empty();
    if (tableView_) {
      if (hasEntries) tableView_->reloadData();
      tableView_->setContentOffset(ui::Point{0, lastScrollY_}, false);
    }
    if (noSourceLabel_) noSourceLabel_->setHidden(hasEntries || !firstFeed_);
  }

  auto& center = NotificationCenter::defaultCenter();
  std::weak_ptr<ColumnPickerController> weak = sharedPicker();
  center.add(kUnsubscribeNotification, this, [weak](const Notification& n) {
    if (auto self = weak.lock()) self->dissubscribleResultOnMainThread(n);
  });
  center.add(kEnterForegroundNotification, this, [weak](const Notification&) {
    if (auto self = weak.lock()) self->onEnterForeground();
  });
  center.add(Reachability::kChangedNotification, this, [weak](const Notification& n) {
    if (auto self = weak.lock()) self->onNetworkStatus(n);
  });
  center.add(kNightNotification, this, [weak](const Notification&) {
    if (auto self = weak.lock()) self->onChangeSkin();
  });
}

void ColumnPickerController::applySkin() {
  const auto& skin = NRSkinManager::sharedManager();
  const auto background = skin.colorWithCodeName("colorKdpContentBackground");
  if (background && isViewLoaded()) view()->setBackgroundColor(*background);
  for (ui::TableView* table : {tableView_.get(), searchDisplay_ ? searchDisplay_->searchResultsTableView().get() : nullptr}) {
    if (!table) continue;
    if (background) table->setBackgroundColor(*background);
    table->setSeparatorColor(ui::Color::clearColor());
  }
  if (auto* navigation = navigationController()) {
    skin.setCurrentBackgroundImageOfNavigationBar(*navigation->navigationBar());
  }
  // The load-more and tip rows say their words in the skin's table-title colour, dark by day and
  // light by night, like the section titles over the same tables.
  if (const auto words = skin.colorWithCodeName("colorKdccTableTitle")) {
    for (const auto& cell : {loadMoreCell_, searchTipCell_}) {
      if (cell && cell->loadTextLabel()) cell->loadTextLabel()->setTextColor(*words);
    }
  }
}

void ColumnPickerController::onChangeSkin() {
  if (!isViewLoaded()) return;
  applySkin();
  applyNavigationItems();
  if (tableView_) tableView_->reloadData();
  if (searchDisplay_) searchDisplay_->searchResultsTableView()->reloadData();
  if (searchBar_) NRSkinManager::sharedManager().setCurrentSkinOfSearchBar(*searchBar_);
}

void ColumnPickerController::viewWillAppear(bool animated) {
  ViewController::viewWillAppear(animated);
  applyNavigationItems();
  if (searchDisplay_) {
    // A result whose detail was opened from the search shows unselected on the way back.
    auto& results = *searchDisplay_->searchResultsTableView();
    if (auto selected = results.indexPathForSelectedRow()) results.deselectRow(*selected, true);
  }
  if (tableView_) {
    if (auto selected = tableView_->indexPathForSelectedRow()) {
      tableView_->deselectRow(*selected, true);
    } else if (tableView_->tableHeaderView() && !(searchDisplay_ && searchDisplay_->isActive())) {
      // Not while a search shows: the search has scrolled the bar to the top and locked the
      // table, so tucking the bar away would leave the reader no way out of the search.
      tableView_->setContentOffset(ui::Point{0, 44}, false);
    }
  }
  if (lastLoadFailed_) {
    if (tableView_) tableView_->setHidden(true);
    requestFirstPage();
  }
}

void ColumnPickerController::viewDidUnload() {
  ViewController::viewDidUnload();
  // The task results keep coming to this controller; only the appearance observers go.
  auto& center = NotificationCenter::defaultCenter();
  center.remove(this, kUnsubscribeNotification);
  center.remove(this, kEnterForegroundNotification);
  center.remove(this, Reachability::kChangedNotification);
  center.remove(this, kNightNotification);
  if (tableView_) lastScrollY_ = tableView_->contentOffset().y;
  if (searchBar_) lastSearchText_ = searchBar_->text();
  unLoaded_ = true;
  tableView_.reset();
  noSourceLabel_.reset();
  waitingIndicator_.reset();
  noContentLogo_.reset();
  searchBar_.reset();
  searchDisplay_.reset();
}

void ColumnPickerController::applyNavigationItems() {
  const auto& skin = NRSkinManager::sharedManager();
  auto item = navigationItem();
  const std::string title = parentColumn_ ? parentColumn_->title().value_or("") : std::string(kRootTitle);
  setTitle(title);
  skin.setCurrentSkinTitleNavigationItem(title, *item);
  std::weak_ptr<ColumnPickerController> weak = sharedPicker();
  item->setHidesBackButton(true);
  auto* navigation = navigationController();
  const auto& stack = navigation ? navigation->viewControllers() : std::vector<std::shared_ptr<ui::ViewController>>{};
  auto it = std::find_if(stack.begin(), stack.end(), [this](const auto& c) { return c.get() == this; });
  if (it == stack.end() || it == stack.begin()) {
    item->setLeftBarButtonItem(skin.barButtonItemWithTitle(
        std::string("我的订阅"), NRSkinManager::kDoneButtonType, this, [weak](ui::Control&) {
          if (auto self = weak.lock()) self->mycolumnsButtonAction();
        }));
    return;
  }
  auto previous = std::dynamic_pointer_cast<ColumnPickerController>(*(it - 1));
  const std::string previousTitle = previous && previous->parentColumn_
                                        ? previous->parentColumn_->title().value_or("")
                                        : std::string(kRootTitle);
  item->setLeftBarButtonItem(skin.barButtonItemWithTitle(" " + previousTitle, NRSkinManager::kBackButtonType, this,
                                                         [weak](ui::Control&) {
                                                           if (auto self = weak.lock()) self->backButtonPressed();
                                                         }));
}

void ColumnPickerController::applySearchLink() {
  if (!searchBar_) return;
  const auto& link = firstFeed_ ? firstFeed_->searchLink() : nullptr;
  if (link) {
    searchBar_->setPlaceholder(link->title());
    searchBar_->setUserInteractionEnabled(true);
    return;
  }
  searchBar_->setPlaceholder(std::string(kNoSearchPlaceholder));
  searchBar_->setUserInteractionEnabled(false);
  if (tableView_ && tableView_->tableHeaderView()) {
    // The offset that tucked the bar away would now hide the first row.
    const float height = tableView_->tableHeaderView()->frame().size.height;
    tableView_->setTableHeaderView(nullptr);
    const ui::Point offset = tableView_->contentOffset();
    tableView_->setContentOffset(ui::Point{offset.x, std::max(0.f, offset.y - height)}, false);
  }
}

// --- actions

void ColumnPickerController::backButtonPressed() {
  if (auto* navigation = navigationController()) navigation->popViewController(true);
}

void ColumnPickerController::mycolumnsButtonAction() {
  if (auto* tabs = dynamic_cast<MSCustomTabBarController*>(tabBarController())) {
    tabs->setSelectedTabIndex(kMyColumnsTab);
  } else if (auto* plain = tabBarController()) {
    plain->setSelectedIndex(kMyColumnsTab);
  }
}

void ColumnPickerController::authReturnButtonAction() { dismissModalViewController(true); }

void ColumnPickerController::onEnterForeground() {
  if (lastLoadFailed_ && isSelectedTab()) viewWillAppear(true);
}

void ColumnPickerController::onNetworkStatus(const Notification& notification) {
  auto reachability = notification.object.asObject<Reachability>();
  if (!reachability || reachability->currentReachabilityStatus() == Reachability::kNotReachable) return;
  onEnterForeground();
}

void ColumnPickerController::alertViewClickedButtonAtIndex(ui::AlertView& alert, int) {
  if (alert.tag() == kFirstLoadAlertTag) {
    auto* navigation = navigationController();
    if (navigation && navigation->viewControllers().size() > 1 && navigation->topViewController().get() == this) {
      navigation->popViewController(true);
    }
  } else if (alert.tag() == kSearchMoreAlertTag) {
    if (searchTipCell_ && searchTipCell_->loadingIndicator()) searchTipCell_->loadingIndicator()->stopAnimating();
    if (searchTipCell_ && searchTipCell_->loadTextLabel()) searchTipCell_->loadTextLabel()->setText(kSearchMoreText);
  } else if (alert.tag() == kLoadMoreAlertTag) {
    if (loadMoreCell_ && loadMoreCell_->loadingIndicator()) loadMoreCell_->loadingIndicator()->stopAnimating();
  }
}

// --- results

void ColumnPickerController::firstLoadColumnsResultOnMainThread(const Notification& notification) {
  if (!firstLoadTaskId_ || notification.name != *firstLoadTaskId_) return;
  auto keep = shared();
  if (waitingIndicator_) waitingIndicator_->stopAnimating();
  const auto& info = notification.userInfo;
  const std::string type = resultType(notification);
  if (type == "TaskStatus") {
    stopObserving(notification.name);
    firstLoadTaskId_.reset();
    const int code = static_cast<int>(info.get("Result").intValue());
    if (code >= 0) return;
    lastLoadFailed_ = true;
    if (isSelectedTab()) {
      ErrorTips::showErrorInfo(code, info.get("ErrDesc").stringValue(), std::string(kFirstLoadContext),
                               std::static_pointer_cast<ui::AlertViewDelegate>(sharedPicker()), kFirstLoadAlertTag);
    }
  } else if (type == "Feed") {
    auto feed = info.get("Result").asObject<Feed>();
    if (!feed) return;
    lastLoadFailed_ = false;
    const bool firstShown = tableView_ && tableView_->isHidden();
    if (tableView_) tableView_->setHidden(false);
    firstFeed_ = feed;
    applySearchLink();
    if (!feed->entrys() || feed->entrys()->empty()) {
      if (noSourceLabel_) noSourceLabel_->setHidden(false);
      return;
    }
    dataSource_ = ColumnSections::firstPage(*feed->entrys());
    curFeed_ = feed;
    lastLoadMoreFailed_ = false;
    if (tableView_) tableView_->reloadData();
    // The catalogue shows for the first time with the bar tucked away: a layout while the table
    // was empty brought the offset that tucked it back to 0.
    if (firstShown && tableView_->tableHeaderView()) tableView_->setContentOffset(ui::Point{0, 44}, false);
  } else if (type == "ImageDownLoad") {
    reloadCoverRows(tableView_.get(), dataSource_, info.get("Url").stringValue(), true);
  }
}

void ColumnPickerController::loadMoreColumnsResultOnMainThread(const Notification& notification) {
  const std::string type = resultType(notification);
  if (type == "TaskStatus") stopObserving(notification.name);
  // A page's covers count for as long as its task reports them, also after the next page has
  // been asked for (the rows showed the default icon while the task downloaded them).
  if (type == "ImageDownLoad") {
    reloadCoverRows(tableView_.get(), dataSource_, notification.userInfo.get("Url").stringValue(), true);
    return;
  }
  if (!loadMoreTaskId_ || notification.name != *loadMoreTaskId_) return;
  auto keep = shared();
  const auto& info = notification.userInfo;
  // The page is in: the next may be asked for while this task still reports its covers.
  if (type == "TaskStatus" || type == "Feed") loadingMore_ = false;
  if (type == "TaskStatus") {
    loadMoreTaskId_.reset();
    const int code = static_cast<int>(info.get("Result").intValue());
    if (code >= 0) return;
    lastLoadMoreFailed_ = true;
    if (loadMoreCell_ && loadMoreCell_->loadingIndicator()) loadMoreCell_->loadingIndicator()->stopAnimating();
    ErrorTips::showErrorInfo(code, info.get("ErrDesc").stringValue(), std::string(kPagingContext),
                             std::static_pointer_cast<ui::AlertViewDelegate>(sharedPicker()), kLoadMoreAlertTag);
  } else if (type == "Feed") {
    auto feed = info.get("Result").asObject<Feed>();
    if (!feed) return;
    if (feed->entrys()) ColumnSections::append(dataSource_, *feed->entrys());
    curFeed_ = feed;
    lastLoadMoreFailed_ = false;
    if (tableView_) tableView_->reloadData();
  }
}

void ColumnPickerController::getIconImageResultOnMainThread(const Notification& notification) {
  stopObserving(notification.name);
  if (resultType(notification) != "ImageDownLoad") return;
  reloadCoverRows(tableView_.get(), dataSource_, notification.userInfo.get("Url").stringValue(), false);
}

void ColumnPickerController::reloadCoverRows(ui::TableView* table, const ColumnSections::List& list,
                                             const std::optional<std::string>& url, bool onlyNotLoaded) {
  if (!url || !table) return;
  std::vector<ui::IndexPath> rows;
  for (size_t s = 0; s < list.size(); ++s) {
    for (size_t r = 0; r < list[s].size(); ++r) {
      const auto& column = *list[s][r];
      const auto& link = column.coverImageThumbnailLink();
      if (!link || link->href() != url) continue;
      if (onlyNotLoaded && column.coverImageThumbnailLoaded()) continue;
      rows.push_back(ui::IndexPath::forRow(static_cast<int64_t>(r), static_cast<int64_t>(s)));
    }
  }
  if (!rows.empty()) table->reloadRows(rows, ui::TableViewRowAnimation::None);
}

// --- subscribing

void ColumnPickerController::subscribe(const std::shared_ptr<Column>& column) {
  auto task = engine_->createAddSubscribedColumnTask(column);
  if (!task) return;
  task->setUserIdentity(column ? column->entryId() : std::nullopt);
  task->setUserBroadcast(std::string(kSubscribeNotification));
  startTask(task, &ColumnPickerController::subscribleResultOnMainThread);
}

void ColumnPickerController::subscribeButtonPressedWithColumn(const std::shared_ptr<Column>& column) {
  subscribe(column);
}

void ColumnPickerController::subscribleResultOnMainThread(const Notification& notification) {
  auto keep = shared();
  for (ui::TableView* table : {tableView_.get(), searchDisplay_ ? searchDisplay_->searchResultsTableView().get() : nullptr}) {
    if (!table) continue;
    if (auto selected = table->indexPathForSelectedRow()) table->deselectRow(*selected, true);
  }
  if (resultType(notification) != "TaskStatus") return;
  stopObserving(notification.name);
  const auto& info = notification.userInfo;
  const int code = static_cast<int>(info.get("Result").intValue());
  if (code < 0) {
    ErrorTips::showErrorInfo(code, info.get("ErrDesc").stringValue(), std::string(kFirstLoadContext));
  }
  auto task = info.get("Task").asObject<Task>();
  setSubscribed(task ? task->userIdentity() : std::nullopt, code >= 0 ? 1 : -1, true);
}

void ColumnPickerController::columnDetailViewController(ColumnDetailViewController&,
                                                        const std::shared_ptr<Column>& column) {
  setSubscribed(column ? column->entryId() : std::nullopt, 1, false);
}

void ColumnPickerController::dissubscribleResultOnMainThread(const Notification& notification) {
  auto column = notification.object.asObject<Column>();
  setSubscribed(column ? column->entryId() : std::nullopt, 0, false);
}

void ColumnPickerController::setSubscribed(const std::optional<std::string>& entryId, int32_t subscribed,
                                           bool createRecord) {
  ui::TableView* results = searchDisplay_ ? searchDisplay_->searchResultsTableView().get() : nullptr;
  for (auto [list, table] : {std::pair{&dataSource_, tableView_.get()}, std::pair{&searchedDataSource_, results}}) {
    const auto path = findColumn(*list, entryId);
    if (!path) continue;
    auto& column = *(*list)[path->section][path->row];
    if (subscribed >= 0) {
      if (!column.veskSubscribe() && createRecord) column.setVeskSubscribe(std::make_shared<VeskSubscribe>());
      if (column.veskSubscribe()) column.veskSubscribe()->setSubscribed(subscribed);
    }
    // The search table shows its columns only while it shows results.
    if (table && (list == &dataSource_ || showsSearchResults())) {
      table->reloadRows({*path}, ui::TableViewRowAnimation::None);
    }
  }
}

std::optional<ui::IndexPath> ColumnPickerController::findColumn(const ColumnSections::List& list,
                                                                const std::optional<std::string>& entryId) {
  if (!entryId || entryId->empty()) return std::nullopt;
  for (size_t s = 0; s < list.size(); ++s) {
    for (size_t r = 0; r < list[s].size(); ++r) {
      if (list[s][r]->entryId() == entryId) {
        return ui::IndexPath::forRow(static_cast<int64_t>(r), static_cast<int64_t>(s));
      }
    }
  }
  return std::nullopt;
}

// --- the table

bool ColumnPickerController::isSearchTable(const ui::TableView& table) const {
  return searchDisplay_ && searchDisplay_->searchResultsTableView().get() == &table;
}

const ColumnSections::List& ColumnPickerController::listOf(const ui::TableView& table) const {
  return isSearchTable(table) ? searchedDataSource_ : dataSource_;
}

int64_t ColumnPickerController::numberOfSections(ui::TableView& table) {
  if (isSearchTable(table) && !showsSearchResults()) return 1;
  return static_cast<int64_t>(listOf(table).size());
}

int64_t ColumnPickerController::numberOfRowsInSection(ui::TableView& table, int64_t section) {
  const bool search = isSearchTable(table);
  if (search && !showsSearchResults()) return 1;
  const auto& list = listOf(table);
  if (section < 0 || section >= static_cast<int64_t>(list.size())) return 0;
  int64_t rows = static_cast<int64_t>(list[section].size());
  const auto& feed = search ? curSearchedFeed_ : curFeed_;
  const bool last = section + 1 == static_cast<int64_t>(list.size());
  if (last && feed && feed->nextLink()) rows += 1;
  return rows;
}

bool ColumnPickerController::isLoadMoreRow(const ui::TableView& table, const ui::IndexPath& indexPath) const {
  const auto& list = listOf(table);
  return indexPath.section >= 0 && indexPath.section < static_cast<int64_t>(list.size()) &&
         indexPath.row >= static_cast<int64_t>(list[indexPath.section].size());
}

std::shared_ptr<Column> ColumnPickerController::columnAt(const ui::TableView& table,
                                                         const ui::IndexPath& indexPath) const {
  const auto& list = listOf(table);
  if (indexPath.section < 0 || indexPath.section >= static_cast<int64_t>(list.size())) return nullptr;
  const auto& section = list[indexPath.section];
  if (indexPath.row < 0 || indexPath.row >= static_cast<int64_t>(section.size())) return nullptr;
  return section[indexPath.row];
}

std::shared_ptr<ui::TableViewCell> ColumnPickerController::tipRow(const std::string& text) {
  if (!searchTipCell_) return nullptr;
  if (searchTipCell_->loadTextLabel()) searchTipCell_->loadTextLabel()->setText(text);
  if (searchTipCell_->loadingIndicator()) searchTipCell_->loadingIndicator()->stopAnimating();
  searchTipCell_->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
  return searchTipCell_;
}

std::shared_ptr<ui::TableViewCell> ColumnPickerController::cellForRow(ui::TableView& table,
                                                                      const ui::IndexPath& indexPath) {
  const bool search = isSearchTable(table);
  if (search && inInput_) return tipRow(kTypingTip);
  if (search && !isSearchResult_) return tipRow("");
  if (isLoadMoreRow(table, indexPath)) {
    const auto& cell = search ? searchTipCell_ : loadMoreCell_;
    if (!cell) return cell;
    if (search && cell->loadTextLabel()) cell->loadTextLabel()->setText(kSearchMoreText);
    cell->setSelectionStyle(ui::TableViewCellSelectionStyle::Blue);
    const bool failed = search ? lastSearchMoreFailed_ : lastLoadMoreFailed_;
    if (cell->loadingIndicator()) {
      if (failed) {
        cell->loadingIndicator()->stopAnimating();
      } else {
        cell->loadingIndicator()->startAnimating();
      }
    }
    if (!failed) search ? requestNextSearchPage() : requestNextPage();
    return cell;
  }
  auto column = columnAt(table, indexPath);
  if (column && isSelf(*column)) {
    auto social = NRSubscribeSocialCell::cellWithColumn(column, std::static_pointer_cast<ui::TableView>(table.shared()),
                                                        sharedPicker());
    social->setSubscribeCellDelegate(std::static_pointer_cast<NRSubscribeCellDelegate>(sharedPicker()));
    social->showLine(true, false);
    return social;
  }
  auto cell = ColumnCell::columnCellWithTableView(&table, column, 0);
  if (!cell || !column) return cell;
  cell->setMetaDelegate(std::static_pointer_cast<ColumnCellDelegate>(sharedPicker()));
  loadCover(*cell, *column);
  return cell;
}

void ColumnPickerController::loadCover(ColumnCell& cell, Column& column) {
  if (!cell.coverImageView()) return;
  const auto& link = column.coverImageThumbnailLink();
  const auto href = link ? link->href() : std::nullopt;
  const auto path = href ? engine_->getImageLocalPath(href) : std::nullopt;
  std::shared_ptr<ui::Image> image = path ? ui::Image::fromFile(*path) : nullptr;
  if (image) {
    cell.coverImageView()->setImage(image);
    column.setCoverImageThumbnailLoaded(true);
    return;
  }
  cell.coverImageView()->setImage(NRSkinManager::sharedManager().imageWithCodeName("imageKdccDefaultIcon"));
  column.setCoverImageThumbnailLoaded(false);
  if (!href || engine_->isImageDownloading(href)) return;
  startTask(engine_->createDownloadImageTask(href), &ColumnPickerController::getIconImageResultOnMainThread);
}

std::optional<float> ColumnPickerController::heightForRow(ui::TableView& table, const ui::IndexPath& indexPath) {
  if (isSearchTable(table)) return inInput_ ? kTipRowHeight : kRowHeight;
  auto column = columnAt(table, indexPath);
  if (column && isSelf(*column)) return NRSubscribeSocialCell::cellHeightWithColumn(column, table.bounds().size.width);
  return kRowHeight;
}

// The catalogue heads a section whose first column has a category label; the search list heads
// every section with the total when there is one.
std::optional<std::string> ColumnPickerController::headerText(ui::TableView& table, int64_t section) const {
  if (isSearchTable(table)) {
    const auto& search = curSearchedFeed_ ? curSearchedFeed_->openSearch() : nullptr;
    if (!showsSearchResults() || !search || search->totalResults() < 1) return std::nullopt;
    return "共搜索到" + std::to_string(search->totalResults()) + "个结果";
  }
  if (section < 0 || section >= static_cast<int64_t>(dataSource_.size()) || dataSource_[section].empty()) {
    return std::nullopt;
  }
  const auto& category = dataSource_[section].front()->category();
  if (!category || !category->label() || category->label()->empty()) return std::nullopt;
  return category->label();
}

std::optional<float> ColumnPickerController::heightForHeaderInSection(ui::TableView& table, int64_t section) {
  return headerText(table, section) ? kHeaderHeight : 0.f;
}

std::shared_ptr<ui::View> ColumnPickerController::viewForHeaderInSection(ui::TableView& table, int64_t section) {
  auto text = headerText(table, section);
  return text ? sectionHeader(*text) : nullptr;
}

void ColumnPickerController::willDisplayCell(ui::TableView& table, ui::TableViewCell& cell,
                                             const ui::IndexPath& indexPath) {
  const bool search = isSearchTable(table);
  if (search && (!showsSearchResults() || searchedDataSource_.empty())) return;
  const char* code = !search && isLoadMoreRow(table, indexPath) ? "colorKdccTableLoadMoreCellBackground"
                     : indexPath.row % 2 == 1                  ? "colorKdccTableJishuCellBackground"
                                                               : "colorKdccTableOushuCellBackground";
  if (auto colour = NRSkinManager::sharedManager().colorWithCodeName(code)) cell.setBackgroundColor(*colour);
}

std::optional<ui::IndexPath> ColumnPickerController::willSelectRow(ui::TableView&, const ui::IndexPath& indexPath) {
  if (inInput_) return std::nullopt;
  return indexPath;
}

void ColumnPickerController::didSelectRow(ui::TableView& table, const ui::IndexPath& indexPath) {
  const bool search = isSearchTable(table);
  if (search && !showsSearchResults()) return;
  if (isLoadMoreRow(table, indexPath)) {
    table.deselectRow(indexPath, true);
    // A tap asks again even after a failure.
    const auto& cell = search ? searchTipCell_ : loadMoreCell_;
    if (cell && cell->loadingIndicator()) cell->loadingIndicator()->startAnimating();
    search ? requestNextSearchPage() : requestNextPage();
    return;
  }
  openColumn(columnAt(table, indexPath));
}

void ColumnPickerController::scrollViewDidScroll(ui::ScrollView& scrollView) {
  if (&scrollView != tableView_.get() || !searchBar_ || (searchDisplay_ && searchDisplay_->isActive())) return;
  if (tableView_->tableHeaderView() != searchBar_) return;
  ui::Rect frame = searchBar_->frame();
  frame.origin.y = std::min(0.f, tableView_->contentOffset().y);
  searchBar_->setFrame(frame);
}

void ColumnPickerController::scrollViewDidEndDragging(ui::ScrollView& scrollView, bool willDecelerate) {
  if (willDecelerate || &scrollView != tableView_.get() || !searchBar_) return;
  if ((searchDisplay_ && searchDisplay_->isActive()) || tableView_->tableHeaderView() != searchBar_) return;
  const float y = tableView_->contentOffset().y;
  const float h = searchBar_->frame().size.height;
  if (y < h / 2) {
    tableView_->setContentOffset(ui::Point{0, 0}, true);
  } else if (y > h / 2 && y < h) {
    tableView_->setContentOffset(ui::Point{0, h}, true);
  }
}

// --- search

bool ColumnPickerController::searchBarShouldBeginEditing(ui::SearchBar& bar) {
  if (bar.text().empty()) isSearchResult_ = false;
  if (inInput_) return false;
  inInput_ = true;
  curSearchedFeed_.reset();
  searchedDataSource_.clear();
  if (searchDisplay_) searchDisplay_->searchResultsTableView()->reloadData();
  return true;
}

bool ColumnPickerController::shouldReloadTableForSearchString(ui::SearchDisplayController& controller,
                                                              const std::string&) {
  ui::TableView& results = *controller.searchResultsTableView();
  if (auto colour = NRSkinManager::sharedManager().colorWithCodeName("colorKdpContentBackground")) {
    results.setBackgroundColor(*colour);
  }
  results.setSeparatorColor(ui::Color::clearColor());
  searchedDataSource_.clear();
  return true;
}

void ColumnPickerController::searchBarSearchButtonClicked(ui::SearchBar& bar) {
  inInput_ = false;
  isSearchResult_ = true;
  searchedDataSource_.clear();
  curSearchedFeed_.reset();
  lastSearchMoreFailed_ = false;
  // Only the newest search counts.
  for (auto* id : {&searchTaskId_, &searchMoreTaskId_}) {
    if (*id) stopObserving(**id);
    id->reset();
  }
  searchingMore_ = false;
  if (searchDisplay_) searchDisplay_->searchResultsTableView()->reloadData();
  auto task = engine_->createSearchTask(firstFeed_ ? firstFeed_->searchLink() : nullptr, bar.text(), 1);
  if (!task) return;
  searchTaskId_ = task->getTaskIdStr();
  startTask(task, &ColumnPickerController::searchColumnsResultOnMainThread);
}

void ColumnPickerController::searchBarTextDidEndEditing(ui::SearchBar&) { inInput_ = false; }

void ColumnPickerController::searchBarCancelButtonClicked(ui::SearchBar&) {
  inInput_ = false;
  isSearchResult_ = false;
}

void ColumnPickerController::requestNextSearchPage() {
  if (searchingMore_ || !curSearchedFeed_ || !curSearchedFeed_->nextLink()) return;
  auto task = engine_->createGetServerColumnsTask(curSearchedFeed_->nextLink());
  if (!task) return;
  searchMoreTaskId_ = task->getTaskIdStr();
  searchingMore_ = true;
  startTask(task, &ColumnPickerController::searchMoreColumnsResultOnMainThread);
}

bool ColumnPickerController::acceptSearchResult(const Notification& notification,
                                                std::optional<std::string>& taskId) {
  const bool current = taskId && notification.name == *taskId;
  if (resultType(notification) == "TaskStatus") {
    stopObserving(notification.name);
    if (current) taskId.reset();
  }
  return current && showsSearchResults();
}

void ColumnPickerController::searchColumnsResultOnMainThread(const Notification& notification) {
  if (!acceptSearchResult(notification, searchTaskId_)) return;
  const std::string type = resultType(notification);
  auto keep = shared();
  const auto& info = notification.userInfo;
  ui::TableView* results = searchDisplay_ ? searchDisplay_->searchResultsTableView().get() : nullptr;
  if (type == "TaskStatus") {
    const int code = static_cast<int>(info.get("Result").intValue());
    if (code < 0) {
      ErrorTips::showErrorInfo(code, info.get("ErrDesc").stringValue(), std::string(kPagingContext),
                               std::static_pointer_cast<ui::AlertViewDelegate>(sharedPicker()), kFirstLoadAlertTag);
    }
  } else if (type == "Feed") {
    auto feed = info.get("Result").asObject<Feed>();
    if (!feed) return;
    curSearchedFeed_ = feed;
    searchedDataSource_ = feed->entrys() ? ColumnSections::search(*feed->entrys()) : ColumnSections::List{};
    if (results) results->reloadData();
  } else if (type == "ImageDownLoad") {
    reloadCoverRows(results, searchedDataSource_, info.get("Url").stringValue(), true);
  }
}

void ColumnPickerController::searchMoreColumnsResultOnMainThread(const Notification& notification) {
  const bool page = resultType(notification) == "TaskStatus" || resultType(notification) == "Feed";
  if (page && searchMoreTaskId_ == notification.name) searchingMore_ = false;
  ui::TableView* results = searchDisplay_ ? searchDisplay_->searchResultsTableView().get() : nullptr;
  // As in the catalogue: a page's covers count also after the next page has been asked for.
  if (resultType(notification) == "ImageDownLoad") {
    if (showsSearchResults()) {
      reloadCoverRows(results, searchedDataSource_, notification.userInfo.get("Url").stringValue(), true);
    }
    return;
  }
  if (!acceptSearchResult(notification, searchMoreTaskId_)) return;
  const std::string type = resultType(notification);
  auto keep = shared();
  const auto& info = notification.userInfo;
  if (type == "TaskStatus") {
    const int code = static_cast<int>(info.get("Result").intValue());
    if (code >= 0) return;
    lastSearchMoreFailed_ = true;
    ErrorTips::showErrorInfo(code, info.get("ErrDesc").stringValue(), std::string(kPagingContext),
                             std::static_pointer_cast<ui::AlertViewDelegate>(sharedPicker()), kSearchMoreAlertTag);
  } else if (type == "Feed") {
    auto feed = info.get("Result").asObject<Feed>();
    if (!feed) return;
    if (feed->entrys()) ColumnSections::append(searchedDataSource_, *feed->entrys());
    curSearchedFeed_ = feed;
    lastSearchMoreFailed_ = false;
    if (results) results->reloadData();
  }
}

void ColumnPickerController::openColumn(const std::shared_ptr<Column>& column) {
  if (!column) return;
  auto* navigation = navigationController();
  const auto& category = column->category();
  if (category && category->iscustomcontent()) {
    auto list = std::make_shared<NRSubscribeColumnsArrayController>(NRSubscribeColumnsArrayController::kCustomListType);
    list->setEngine(engine_);
    list->setDelegate(std::static_pointer_cast<NRSubscribeColumnsArrayViewDelegate>(sharedPicker()));
    list->setParentColumn(column);
    if (navigation) navigation->pushViewController(list, true);
    return;
  }
  if (isSelf(*column)) {
    auto platform = NRSubscribeSocialCell::openPlatformBaseForColumn(column);
    if (platform && platform->authorized()) return;
    std::weak_ptr<ColumnPickerController> weak = sharedPicker();
    auto auth = std::make_shared<AuthenicationViewController>();
    auth->setReturnAction([weak] {
      if (auto self = weak.lock()) self->authReturnButtonAction();
    });
    auth->setAccountType(platform ? platform->platform() : 0);
    presentModalViewController(std::make_shared<ui::NavigationController>(auth), true);
    return;
  }
  if (column->alternatelink()) {
    auto next = std::make_shared<ColumnPickerController>();
    next->setEngine(engine_);
    next->setParentColumn(column);
    if (navigation && navigation->pushViewController(next, true)) {
      NRSkinManager::sharedManager().setCurrentSkinTitleNavigationItem(column->title().value_or(""),
                                                                       *navigationItem());
    }
    return;
  }
  auto detail = std::make_shared<ColumnDetailViewController>();
  detail->setEngine(engine_);
  detail->setDelegate(std::static_pointer_cast<ColumnDetailViewControllerProtocol>(sharedPicker()));
  detail->setDetailFrom(0);
  detail->setColumn(column);
  detail->setDelegateVC(sharedPicker());
  auto detailNavigation = std::make_shared<ui::NavigationController>(detail);
  NRSkinManager::sharedManager().setCurrentBarBackgroundImageOfNavigationController(*detailNavigation);
  presentModalViewController(detailNavigation, true);
}

}  // namespace zu
