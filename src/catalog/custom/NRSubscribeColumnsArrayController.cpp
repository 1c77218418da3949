#include "catalog/custom/NRSubscribeColumnsArrayController.h"

#include <cctype>

#include "catalog/centre/ColumnPickerEngine.h"
#include "catalog/centre/LoadMoreCell.h"
#include "catalog/custom/NRSubscribeColumnsArrayViewDelegate.h"
#include "catalog/custom/NRSubscribeHeaderView.h"
#include "catalog/custom/NRSubscribeNoResultView.h"
#include "catalog/custom/NRSubscribeSearchWaitingView.h"
#include "catalog/custom/NRSubscribeSelfdefCell.h"
#include "catalog/custom/NRSubscribeSelfsearchHeaderView.h"
#include "catalog/custom/NRSubscribeSocialCell.h"
#include "engine/core/Task.h"
#include "model/columns/Column.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/entry/OpenSearch.h"
#include "model/service/VeskCustomization.h"
#include "model/service/VeskSubscribe.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "shell/app/ErrorTips.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {

namespace {

constexpr const char* kSubscribeNotification = "NOTIFICATIONSUBSCRIBECOLUMN";
constexpr const char* kUnsubscribeNotification = "NOTIFICATIONUNSUBSCRIBECOLUMN";
constexpr const char* kNightNotification = "Notification_Night";

std::string resultType(const Notification& notification) {
  return notification.userInfo.get("ResultType").stringValue().value_or("");
}

bool isSelf(const std::shared_ptr<Column>& column) {
  const auto& customization = column ? column->veskCustomization() : nullptr;
  return customization && customization->self();
}

// The column a subscription notification is about: its "Result", else its object.
std::shared_ptr<Column> notifiedColumn(const Notification& notification) {
  if (auto column = notification.userInfo.get("Result").asObject<Column>()) return column;
  return notification.object.asObject<Column>();
}

// The list's light ground picture, by day; by night none, so the skin's dark content colour
// shows (also where the table hides while the search is edited).
std::shared_ptr<ui::Image> listBackground(int type) {
  if (NRSkinManager::sharedManager().skinName() == "Night") return nullptr;
  if (type == NRSubscribeColumnsArrayController::kTopListType) return ui::Image::named("contentC_list1st_bg.png");
  auto image = ui::Image::named("contentC_list2nd_bg.png");
  return image ? image->stretchableImage(300, 0) : nullptr;
}

}  // namespace

NRSubscribeColumnsArrayController::NRSubscribeColumnsArrayController(int type)
    : ViewController(std::string("NRSubscribeColumnsArrayController")),
      type_(type),
      engine_(ColumnPickerEngine::defaultPickerEngine()) {
  observeListNotifications();
}

NRSubscribeColumnsArrayController::~NRSubscribeColumnsArrayController() {
  NotificationCenter::defaultCenter().remove(this);
}

std::shared_ptr<NRSubscribeColumnsArrayController> NRSubscribeColumnsArrayController::sharedList() {
  return std::static_pointer_cast<NRSubscribeColumnsArrayController>(shared());
}

void NRSubscribeColumnsArrayController::setEngine(std::shared_ptr<ColumnPickerEngine> engine) {
  engine_ = engine ? std::move(engine) : ColumnPickerEngine::defaultPickerEngine();
}

// The handlers reach this controller by its address: it stops observing everything when it goes.
void NRSubscribeColumnsArrayController::observeListNotifications() {
  auto& center = NotificationCenter::defaultCenter();
  center.add(kSubscribeNotification, this, [this](const Notification& n) { onSubscribedNotification(n); });
  center.add(kUnsubscribeNotification, this, [this](const Notification& n) { onUnsubscribedNotification(n); });
  if (isViewLoaded()) center.add(kNightNotification, this, [this](const Notification&) { onChangeSkin(); });
}

bool NRSubscribeColumnsArrayController::startTask(
    const std::shared_ptr<Task>& task, void (NRSubscribeColumnsArrayController::*handler)(const Notification&)) {
  if (!task) return false;
  NotificationCenter::defaultCenter().add(task->getTaskIdStr(), this,
                                          [this, handler](const Notification& note) { (this->*handler)(note); });
  engine_->asyncRunTask(task);
  return true;
}

bool NRSubscribeColumnsArrayController::isNumber(const std::string& keyword) {
  size_t first = 0;
  size_t last = keyword.size();
  while (first < last && std::isspace(static_cast<unsigned char>(keyword[first]))) ++first;
  while (last > first && std::isspace(static_cast<unsigned char>(keyword[last - 1]))) --last;
  if (first < last && (keyword[first] == '+' || keyword[first] == '-')) ++first;
  if (first == last) return false;
  for (size_t i = first; i < last; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(keyword[i]))) return false;
  }
  return true;
}

// --- the view

void NRSubscribeColumnsArrayController::loadView() {
  auto root = std::make_shared<ui::View>(ui::Rect(0, 0, 320, 416));
  root->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  setView(root);
}

void NRSubscribeColumnsArrayController::viewDidLoad() {
  ViewController::viewDidLoad();
  const auto& skin = NRSkinManager::sharedManager();
  NotificationCenter::defaultCenter().add(kNightNotification, this, [this](const Notification&) { onChangeSkin(); });
  if (auto* navigation = navigationController()) navigation->setNavigationBarHidden(false);
  applyNavigationItems();

  const ui::Rect bounds = view()->bounds();
  backgroundView_ = std::make_shared<ui::ImageView>(bounds);
  backgroundView_->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  backgroundView_->setImage(listBackground(type_));
  if (type_ == kTopListType) {
    view()->setClipsToBounds(false);
  }
  view()->addSubview(backgroundView_);

  const auto background = skin.colorWithCodeName("colorKdpContentBackground");
  tableView_ = std::make_shared<ui::TableView>(ui::Rect(0, 0, bounds.size.width, bounds.size.height),
                                               ui::TableViewStyle::Plain);
  tableView_->setShowsVerticalScrollIndicator(false);
  if (background) {
    tableView_->setBackgroundColor(*background);
    view()->setBackgroundColor(*background);
  }
  tableView_->setSeparatorColor(ui::Color::clearColor());
  tableView_->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  if (type_ == kTopListType) tableView_->setClipsToBounds(false);
  tableView_->setDataSource(std::static_pointer_cast<ui::TableViewDataSource>(sharedList()));
  tableView_->setDelegate(std::static_pointer_cast<ui::TableViewDelegate>(sharedList()));
  view()->addSubview(tableView_);

  noResultView_ = std::make_shared<NRSubscribeNoResultView>(ui::Rect(0, 0, 360, 150));
  noResultView_->setAutoresizingMask(ui::kAutoresizingFlexibleWidth);
  noResultView_->setHidden(true);
  view()->addSubview(noResultView_);
  searchWaitingView_ = std::make_shared<NRSubscribeSearchWaitingView>();
  searchWaitingView_->setCenter(ui::Point{bounds.size.width / 2, 42});
  searchWaitingView_->setAutoresizingMask(ui::kAutoresizingFlexibleLeftMargin | ui::kAutoresizingFlexibleRightMargin);
  searchWaitingView_->setHidden(true);
  view()->addSubview(searchWaitingView_);

  initHeaderView();
  if (headerView_) {
    ui::Rect frame = headerView_->frame();
    frame.size.width = bounds.size.width;
    headerView_->setFrame(frame);
    headerView_->setAutoresizingMask(ui::kAutoresizingFlexibleWidth);
    view()->addSubview(headerView_);
    const float headerBottom = frame.origin.y + frame.size.height;
    ui::Rect table = tableView_->frame();
    if (table.origin.y != headerBottom) {
      table.origin.y += frame.size.height;
      table.size.height -= frame.size.height;
      tableView_->setFrame(table);
      noResultView_->setFrame(table);
      ui::Point centre = searchWaitingView_->center();
      centre.y += frame.size.height;
      searchWaitingView_->setCenter(centre);
    }
  }

  auto icon = ui::Image::named("contentC_icon_search.png");
  searchIconImageView_ = std::make_shared<ui::ImageView>();
  searchIconImageView_->setImage(icon);
  if (icon) {
    const float top = type_ == kSearchListType ? 55 : 1055;
    searchIconImageView_->setFrame(
        ui::Rect((bounds.size.width - icon->size().width) / 2, top, icon->size().width, icon->size().height));
  }
  if (background) searchIconImageView_->setBackgroundColor(*background);
  searchIconImageView_->setAutoresizingMask(ui::kAutoresizingFlexibleLeftMargin |
                                            ui::kAutoresizingFlexibleRightMargin);
  searchIconImageView_->setHidden(true);
  view()->addSubview(searchIconImageView_);
}

void NRSubscribeColumnsArrayController::applyNavigationItems() {
  const auto& skin = NRSkinManager::sharedManager();
  auto item = navigationItem();
  const std::string title = parentColumn_ ? parentColumn_->title().value_or("") : std::string();
  setTitle(title);
  skin.setCurrentSkinTitleNavigationItem(title, *item);
  if (auto* navigation = navigationController()) skin.setCurrentBackgroundImageOfNavigationBar(*navigation->navigationBar());
  item->setHidesBackButton(true);
  item->setLeftBarButtonItem(skin.barButtonItemWithTitle(std::string("  返回"), NRSkinManager::kBackButtonType, this,
                                                         [this](ui::Control&) { returnButtonAction(); }));
}

void NRSubscribeColumnsArrayController::initHeaderView() {
  headerView_.reset();
  if (type_ == kNestedListType) {
    auto* navigation = navigationController();
    const bool first = !navigation || navigation->viewControllers().empty() ||
                       navigation->viewControllers().front().get() == this;
    if (first) return;
    auto header = NRSubscribeHeaderView::create(10002);
    header->setReturnAction([this] { returnButtonAction(); });
    headerView_ = header;
  } else if (type_ == kSearchListType) {
    headerView_ = NRSubscribeHeaderView::create(10000);
  } else if (type_ == kCustomListType) {
    headerView_ = NRSubscribeSelfsearchHeaderView::create(sharedList());
  }
}

void NRSubscribeColumnsArrayController::viewDidUnload() {
  ViewController::viewDidUnload();
  tableView_.reset();
  headerView_.reset();
  noResultView_.reset();
  searchWaitingView_.reset();
  searchIconImageView_.reset();
  backgroundView_.reset();
}

bool NRSubscribeColumnsArrayController::shouldAutorotateToInterfaceOrientation(
    SystemEnvironment::Orientation orientation) {
  return orientation == SystemEnvironment::Orientation::kPortrait;
}

void NRSubscribeColumnsArrayController::onChangeSkin() {
  if (!isViewLoaded()) return;
  applyNavigationItems();
  if (backgroundView_) backgroundView_->setImage(listBackground(type_));
  if (auto background = NRSkinManager::sharedManager().colorWithCodeName("colorKdpContentBackground")) {
    if (tableView_) tableView_->setBackgroundColor(*background);
    view()->setBackgroundColor(*background);
    if (searchIconImageView_) searchIconImageView_->setBackgroundColor(*background);
  }
  if (tableView_) tableView_->reloadData();
  if (auto header = std::dynamic_pointer_cast<NRSubscribeSelfsearchHeaderView>(headerView_)) header->onChangeSkin();
}

void NRSubscribeColumnsArrayController::returnButtonAction() {
  if (auto* navigation = navigationController()) navigation->popViewController(true);
}

void NRSubscribeColumnsArrayController::showSearchIconImageView(bool show) {
  if (searchIconImageView_) searchIconImageView_->setHidden(!show);
  if (tableView_) tableView_->setHidden(show);
}

void NRSubscribeColumnsArrayController::setHeaderViewTotal(int total) {
  headerTotal_ = total;
  if (auto header = std::dynamic_pointer_cast<NRSubscribeHeaderView>(headerView_)) header->setTotal(total);
}

// --- filling

void NRSubscribeColumnsArrayController::preloadColumns() {
  curFeed_.reset();
  link_.reset();
  customization_.reset();
  pageTaskId_.reset();
  // Every task started before is no longer heard; its results are dropped.
  NotificationCenter::defaultCenter().remove(this);
  observeListNotifications();
  dataSource_.reset();
  if (noResultView_) noResultView_->setHidden(true);
  if (searchWaitingView_) searchWaitingView_->setHidden(true);
  if (tableView_) tableView_->reloadData();
}

void NRSubscribeColumnsArrayController::loadColumnsOfLink(const std::shared_ptr<Link>& link,
                                                          const std::shared_ptr<Column>& parentColumn) {
  preloadColumns();
  link_ = link;
  parentColumn_ = parentColumn;
  getNextFeed();
}

void NRSubscribeColumnsArrayController::loadColumnsOfSearchLink(
    const std::shared_ptr<Link>& link, const std::optional<std::string>& keyword,
    const std::shared_ptr<VeskCustomization>& customization) {
  if (noResultView_) noResultView_->setKeyword(keyword);
  preloadColumns();
  if (customization && customization->type() == std::optional<std::string>("qqzone") &&
      !isNumber(keyword.value_or(""))) {
    if (noResultView_) {
      noResultView_->setQQAlert();
      noResultView_->setHidden(false);
    }
    return;
  }
  link_ = link;
  customization_ = customization;
  keyword_ = keyword;
  if (searchWaitingView_) {
    searchWaitingView_->setHidden(false);
    view()->bringSubviewToFront(searchWaitingView_);
  }
  getSearchFeed();
}

void NRSubscribeColumnsArrayController::loadColumnsOfDataSource(std::optional<ColumnSections::List> sections) {
  preloadColumns();
  dataSource_ = std::move(sections);
  if (tableView_) tableView_->reloadData();
}

void NRSubscribeColumnsArrayController::getSearchFeed() {
  auto task = engine_->createSearchTask(link_, keyword_, 1, customization_);
  if (!task) return;
  pageTaskId_ = task->getTaskIdStr();
  startTask(task, &NRSubscribeColumnsArrayController::loadColumnsResultOnMainThread);
}

void NRSubscribeColumnsArrayController::getNextFeed() {
  // One page at a time: the table asks for the load-more row whenever it shows it.
  if (pageTaskId_) return;
  const auto& link = curFeed_ ? curFeed_->nextLink() : link_;
  auto task = engine_->createGetServerColumnsTask(link, customization_);
  if (!task) return;
  pageTaskId_ = task->getTaskIdStr();
  startTask(task, &NRSubscribeColumnsArrayController::loadColumnsResultOnMainThread);
}

void NRSubscribeColumnsArrayController::takeCovers(const ColumnSections::List& list) {
  for (const auto& section : list) {
    for (const auto& column : section) {
      const auto& link = column->coverImageThumbnailLink();
      column->setCoverImageThumbnailLoaded(link && link->href() && engine_->getImageLocalPath(link->href()));
    }
  }
}

void NRSubscribeColumnsArrayController::loadColumnsResultOnMainThread(const Notification& notification) {
  // Only the current list's tasks are observed (a new list stops hearing the earlier ones).
  auto keep = shared();
  const std::string type = resultType(notification);
  const auto& info = notification.userInfo;
  if (type == "TaskStatus") NotificationCenter::defaultCenter().remove(this, notification.name);
  // The page is in: the next may be asked for while this task reports its covers.
  if ((type == "TaskStatus" || type == "Feed") && pageTaskId_ == notification.name) pageTaskId_.reset();
  if (searchWaitingView_) searchWaitingView_->setHidden(true);
  if (type == "TaskStatus") {
    const int code = static_cast<int>(info.get("Result").intValue());
    if (code < 0) {
      ErrorTips::showErrorInfo(code, info.get("ErrDesc").stringValue(), std::string(" "));
      lastErrorOccurred_ = true;
      updateLoadMoreView();
      return;
    }
    lastErrorOccurred_ = false;
  } else if (type == "Feed") {
    auto feed = info.get("Result").asObject<Feed>();
    if (!feed) return;
    const ColumnSections::Entries entries = feed->entrys() ? *feed->entrys() : ColumnSections::Entries{};
    if (!curFeed_) {
      dataSource_ = ColumnSections::firstPage(entries);
    } else {
      if (!dataSource_) dataSource_.emplace();
      ColumnSections::appendToLast(*dataSource_, entries);
    }
    takeCovers(*dataSource_);
    if ((type_ == kSearchListType || type_ == kCustomListType) && dataSource_->empty() && noResultView_) {
      noResultView_->setHidden(false);
      view()->bringSubviewToFront(noResultView_);
    }
    if (type_ == kSearchListType) {
      setHeaderViewTotal(feed->openSearch() ? static_cast<int>(feed->openSearch()->totalResults()) : 0);
    }
    curFeed_ = feed;
    // Cleared before the reload: the table asks for the load-more row at once, and a row asked
    // while the flag still told of a failure would read "点击加载更多" and ask for nothing.
    lastErrorOccurred_ = false;
    if (tableView_) tableView_->reloadData();
    if (type_ == kTopListType) {
      if (auto delegate = delegate_.lock()) delegate->columnsArrayControllerDidFinishLoad(*this);
    }
  } else if (type == "ImageDownLoad") {
    if (type_ == kTopListType || !dataSource_ || dataSource_->empty() || !tableView_) return;
    const auto url = info.get("Url").stringValue();
    std::vector<ui::IndexPath> rows;
    for (size_t s = 0; s < dataSource_->size(); ++s) {
      for (size_t r = 0; r < (*dataSource_)[s].size(); ++r) {
        const auto& column = (*dataSource_)[s][r];
        const auto& link = column->coverImageThumbnailLink();
        if (url && link && link->href() == url && !column->coverImageThumbnailLoaded()) {
          rows.push_back(ui::IndexPath::forRow(static_cast<int64_t>(r), static_cast<int64_t>(s)));
        }
      }
    }
    if (!rows.empty()) tableView_->reloadRows(rows, ui::TableViewRowAnimation::None);
  }
}

// --- the table

bool NRSubscribeColumnsArrayController::isLoadMoreRow(const ui::IndexPath& indexPath) const {
  if (!dataSource_ || indexPath.section < 0 || indexPath.section >= static_cast<int64_t>(dataSource_->size())) {
    return false;
  }
  return indexPath.row >= static_cast<int64_t>((*dataSource_)[indexPath.section].size());
}

std::shared_ptr<Column> NRSubscribeColumnsArrayController::columnAt(const ui::IndexPath& indexPath) const {
  if (!dataSource_ || indexPath.section < 0 || indexPath.section >= static_cast<int64_t>(dataSource_->size())) {
    return nullptr;
  }
  const auto& section = (*dataSource_)[indexPath.section];
  if (indexPath.row < 0 || indexPath.row >= static_cast<int64_t>(section.size())) return nullptr;
  return section[indexPath.row];
}

int64_t NRSubscribeColumnsArrayController::numberOfSections(ui::TableView&) {
  return dataSource_ ? static_cast<int64_t>(dataSource_->size()) : 0;
}

int64_t NRSubscribeColumnsArrayController::numberOfRowsInSection(ui::TableView&, int64_t section) {
  if (!dataSource_ || section < 0 || section >= static_cast<int64_t>(dataSource_->size())) return 0;
  int64_t rows = static_cast<int64_t>((*dataSource_)[section].size());
  const bool last = section + 1 == static_cast<int64_t>(dataSource_->size());
  if (last && curFeed_ && curFeed_->nextLink()) rows += 1;
  return rows;
}

std::shared_ptr<ui::TableViewCell> NRSubscribeColumnsArrayController::cellForRow(ui::TableView& table,
                                                                                 const ui::IndexPath& indexPath) {
  auto tableShared = std::static_pointer_cast<ui::TableView>(table.shared());
  if (isLoadMoreRow(indexPath)) {
    loadMoreCell_ = LoadMoreCell::loadMoreCellWithTableView(&table);
    if (loadMoreCell_) {
      loadMoreCell_->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
      // On the rows' ground from the skin, its words in the table-title colour: by night a dark
      // row under light words like the results above it.
      const auto& skin = NRSkinManager::sharedManager();
      const auto ground = skin.colorWithCodeName("colorKdccTableJishuCellBackground").value_or(ui::Color::whiteColor());
      loadMoreCell_->setBackgroundColor(ground);
      loadMoreCell_->contentView()->setBackgroundColor(ground);
      if (auto words = skin.colorWithCodeName("colorKdccTableTitle"); words && loadMoreCell_->loadTextLabel()) {
        loadMoreCell_->loadTextLabel()->setTextColor(*words);
      }
    }
    updateLoadMoreView();
    return loadMoreCell_;
  }
  auto column = columnAt(indexPath);
  const bool blank = !column || type_ == kTopListType || column->coverImageLink() || column->alternatelink() ||
                     (type_ != kCustomListType && !isSelf(column));
  if (blank) {
    auto cell = table.dequeueReusableCell("DefaultCell");
    if (!cell) cell = std::make_shared<ui::TableViewCell>(ui::TableViewCellStyle::Default, "DefaultCell");
    cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
    return cell;
  }
  std::shared_ptr<NRSubscribeCell> cell;
  if (type_ == kCustomListType) {
    const auto& link = column->coverImageThumbnailLink();
    cell = NRSubscribeSelfdefCell::cellWithColumn(column, tableShared,
                                                  link ? engine_->getImageLocalPath(link->href()) : std::nullopt);
  } else {
    cell = NRSubscribeSocialCell::cellWithColumn(column, tableShared, sharedList());
  }
  cell->setSubscribeCellDelegate(std::static_pointer_cast<NRSubscribeCellDelegate>(sharedList()));
  const bool lastRow = dataSource_ && indexPath.section + 1 == static_cast<int64_t>(dataSource_->size()) &&
                       indexPath.row + 1 == static_cast<int64_t>((*dataSource_)[indexPath.section].size());
  cell->showLine(!lastRow, false);
  cell->showLine(false, true);
  return cell;
}

std::optional<float> NRSubscribeColumnsArrayController::heightForRow(ui::TableView& table,
                                                                     const ui::IndexPath& indexPath) {
  if (isLoadMoreRow(indexPath) || type_ == kTopListType) return kRowHeight;
  auto column = columnAt(indexPath);
  if (!column || column->coverImageLink() || column->alternatelink()) return kRowHeight;
  if (isSelf(column)) return NRSubscribeSocialCell::cellHeightWithColumn(column, table.bounds().size.width);
  if (type_ == kCustomListType) return NRSubscribeSelfdefCell::cellHeightWithColumn(column);
  return kRowHeight;
}

void NRSubscribeColumnsArrayController::didSelectRow(ui::TableView& table, const ui::IndexPath& indexPath) {
  if (isLoadMoreRow(indexPath)) {
    table.deselectRow(indexPath, true);
    updateLoadMoreView();
    if (lastErrorOccurred_) {
      // One page per tap (none while one is on its way).
      if (loadMoreCell_ && loadMoreCell_->loadingIndicator()) loadMoreCell_->loadingIndicator()->startAnimating();
      getNextFeed();
    }
    return;
  }
  auto delegate = delegate_.lock();
  if (auto column = columnAt(indexPath); column && delegate) {
    delegate->columnsArrayControllerDidSelectColumn(*this, column);
  }
}

void NRSubscribeColumnsArrayController::didDeselectRow(ui::TableView&, const ui::IndexPath& indexPath) {
  auto delegate = delegate_.lock();
  if (auto column = columnAt(indexPath); column && delegate) {
    delegate->columnsArrayControllerDidDeselectColumn(*this, column);
  }
}

void NRSubscribeColumnsArrayController::updateLoadMoreView() {
  if (!loadMoreCell_) return;
  if (loadMoreCell_->loadTextLabel()) {
    loadMoreCell_->loadTextLabel()->setText(std::string(lastErrorOccurred_ ? kTapToLoadText : kLoadingMoreText));
  }
  if (lastErrorOccurred_) {
    if (loadMoreCell_->loadingIndicator()) loadMoreCell_->loadingIndicator()->stopAnimating();
    return;
  }
  if (loadMoreCell_->loadingIndicator()) loadMoreCell_->loadingIndicator()->startAnimating();
  if (curFeed_ && curFeed_->nextLink()) getNextFeed();
}

// --- subscribing

void NRSubscribeColumnsArrayController::subscribeButtonPressedWithColumn(const std::shared_ptr<Column>& column) {
  auto task = engine_->createAddSubscribedColumnTask(column);
  if (!task) return;
  if (isViewLoaded()) view()->setUserInteractionEnabled(false);
  task->setUserIdentity(column ? column->entryId() : std::nullopt);
  // Heard up to its first notification whatever happens to the list meanwhile: a new list stops
  // hearing the list's own tasks, not this one (the view takes touches again), and a list that
  // has gone (popped while the request ran) still passes the entry on to the home grid.
  auto& center = NotificationCenter::defaultCenter();
  std::weak_ptr<NRSubscribeColumnsArrayController> weak = sharedList();
  auto registration = std::make_shared<NotificationCenter::RegistrationId>(0);
  *registration = center.add(task->getTaskIdStr(), nullptr, [weak, registration](const Notification& note) {
    NotificationCenter::defaultCenter().removeRegistration(*registration);
    if (auto self = weak.lock()) {
      self->subscribeResultOnMainThread(note);
    } else if (resultType(note) == "Entry") {
      NotificationCenter::defaultCenter().post(kSubscribeNotification, Value(), note.userInfo);
    }
  });
  engine_->asyncRunTask(task);
}

void NRSubscribeColumnsArrayController::subscribeResultOnMainThread(const Notification& notification) {
  auto keep = shared();
  if (isViewLoaded()) view()->setUserInteractionEnabled(true);
  if (tableView_) {
    tableView_->setUserInteractionEnabled(true);
    if (auto selected = tableView_->indexPathForSelectedRow()) tableView_->deselectRow(*selected, true);
  }
  // A successful subscription delivers its entry before its finish: the first one is enough (the
  // observation has ended already).
  const auto& info = notification.userInfo;
  const std::string type = resultType(notification);
  if (type == "TaskStatus") {
    const int code = static_cast<int>(info.get("Result").intValue());
    if (code >= 0) return;
    ErrorTips::showErrorInfo(code, info.get("ErrDesc").stringValue(), std::string(" "),
                             std::static_pointer_cast<ui::AlertViewDelegate>(sharedList()), kSubscribeAlertTag);
    auto task = info.get("Task").asObject<Task>();
    reloadColumnRow(task ? task->userIdentity() : std::nullopt);
  } else if (type == "Entry") {
    NotificationCenter::defaultCenter().post(kSubscribeNotification, Value(), info);
  }
}

std::optional<ui::IndexPath> NRSubscribeColumnsArrayController::findColumn(
    const std::optional<std::string>& entryId) const {
  if (!dataSource_ || !entryId || entryId->empty()) return std::nullopt;
  for (size_t s = 0; s < dataSource_->size(); ++s) {
    for (size_t r = 0; r < (*dataSource_)[s].size(); ++r) {
      if ((*dataSource_)[s][r]->entryId() == entryId) {
        return ui::IndexPath::forRow(static_cast<int64_t>(r), static_cast<int64_t>(s));
      }
    }
  }
  return std::nullopt;
}

void NRSubscribeColumnsArrayController::reloadColumnRow(const std::optional<std::string>& entryId) {
  if (auto path = findColumn(entryId); path && tableView_) {
    tableView_->reloadRows({*path}, ui::TableViewRowAnimation::Fade);
  }
}

void NRSubscribeColumnsArrayController::onSubscribedNotification(const Notification& notification) {
  auto notified = notifiedColumn(notification);
  if (!notified) return;
  auto path = findColumn(notified->entryId());
  if (!path) return;
  auto listed = (*dataSource_)[path->section][path->row];
  if ((type_ == kCustomListType || isSelf(notified) || isSelf(listed)) && notified->veskSubscribe()) {
    listed->setVeskSubscribe(notified->veskSubscribe());
  }
  if (!listed->veskSubscribe()) listed->setVeskSubscribe(std::make_shared<VeskSubscribe>());
  listed->veskSubscribe()->setSubscribed(1);
  if (tableView_) tableView_->reloadRows({*path}, ui::TableViewRowAnimation::Fade);
}

void NRSubscribeColumnsArrayController::onUnsubscribedNotification(const Notification& notification) {
  auto notified = notifiedColumn(notification);
  if (!notified) return;
  auto path = findColumn(notified->entryId());
  if (!path) return;
  auto listed = (*dataSource_)[path->section][path->row];
  if (!listed->veskSubscribe()) listed->setVeskSubscribe(std::make_shared<VeskSubscribe>());
  listed->veskSubscribe()->setSubscribed(0);
  if (tableView_) tableView_->reloadRows({*path}, ui::TableViewRowAnimation::Fade);
}

}  // namespace zu
