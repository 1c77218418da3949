#include "shell/detail/ColumnDetailViewController.h"

#include <algorithm>
#include <cstdio>

#include "common/DateUtil.h"
#include "common/Log.h"
#include "engine/core/Task.h"
#include "model/entry/Author.h"
#include "model/columns/Column.h"
#include "model/entry/Content.h"
#include "model/entry/Entry.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/service/VeskRanking.h"
#include "model/service/VeskSubscribe.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/StringUtil.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/controls/Switch.h"
#include "platform/ui/text/TextMetrics.h"
#include "shell/detail/ColumnCommentCell.h"
#include "shell/detail/ColumnDetailEngine.h"
#include "shell/detail/ColumnDetailHeaderView.h"
#include "shell/detail/ColumnSummaryCell.h"
#include "shell/app/ErrorTips.h"
#include "shell/skin/MBarButtonItem.h"
#include "shell/skin/MyFaceSettings.h"
#include "shell/widgets/StarsView.h"

namespace zu {

namespace {

constexpr float kTextHeightLimit = 20000;
constexpr float kCommentHeightLimit = 1000;
constexpr float kRowHeight = 44;
constexpr float kSummaryMargin = 29;
constexpr float kCommentMargin = 45;
constexpr float kCommentTextY = 32;
constexpr float kHeaderTitleWidth = 230;
constexpr float kHeaderTitleMinHeight = 22;
constexpr float kRelatedRowHeight = 80;
constexpr float kRelatedTitleWidth = 240;
constexpr float kRelatedTitleMinHeight = 23;
constexpr size_t kBackTitleCutFrom = 12;
constexpr size_t kBackTitleKept = 10;

const char* const kSectionTitles[] = {"内容简介", "用户评价", "用户还喜欢"};

// The size of text wrapped by characters within a width and a height limit.
ui::Size measure(const std::string& text, const ui::Font& font, float width, float heightLimit) {
  return ui::TextMetrics::current().sizeOf(text, font, ui::Size{width, heightLimit}, ui::LineBreakMode::CharacterWrap);
}

std::string commentText(const Entry& comment) {
  const auto& content = comment.content();
  return content && content->data() ? StringUtil::trimWhitespace(*content->data()) : std::string();
}

int32_t rankOf(const Entry& entry) {
  return entry.veskRanking() ? entry.veskRanking()->wholeValue() : 0;
}

// The stars with the images of "smallstar".
void showRank(StarsView* stars, const Entry& entry) {
  if (stars) stars->markedStar("smallstar", rankOf(entry));
}

// Lays the title out within `width` from the places the interface file gave: a title taller
// than `minHeight` grows the view and moves the part below it down by the excess. The label
// takes the measured width and at least `minHeight`; a title that fits `minHeight` leaves the
// label at its file place instead when `keepFilePlaceWhenShort` (the related rows).
void layoutTitle(ColumnDetailHeaderView& view, const std::string& title, const ui::Font& font, float width,
                 float minHeight, bool keepFilePlaceWhenShort) {
  auto& label = *view.titleLabel();
  label.setNumberOfLines(0);
  label.setLineBreakMode(ui::LineBreakMode::CharacterWrap);
  label.setText(title);
  const ui::Size size = measure(title, font, width, kTextHeightLimit);
  const float height = std::max(size.height, minHeight);
  const float excess = height - minHeight;
  const ui::Rect built = view.builtTitleFrame();
  ui::Rect frame = view.frame();
  ui::Rect bottom = view.builtBottomFrame();
  if (excess > 0 || !keepFilePlaceWhenShort) {
    label.setFrame(ui::Rect(built.origin.x, built.origin.y, size.width, height));
  } else {
    label.setFrame(built);
  }
  frame.size.height = view.builtHeight();
  if (excess > 0) {
    frame.size.height += excess;
    bottom.origin.y += excess;
  }
  view.setFrame(frame);
  if (view.bottomView()) view.bottomView()->setFrame(bottom);
}

// A queued row of the table, else the first object of its interface file.
template <typename Cell>
std::shared_ptr<Cell> reusableRow(ui::TableView& table, const std::shared_ptr<Object>& owner) {
  auto cell = std::dynamic_pointer_cast<Cell>(table.dequeueReusableCell(Cell::kReuseIdentifier));
  if (cell) return cell;
  auto objects = ui::NibRegistry::shared().load(Cell::kNibName, owner);
  return objects.empty() ? nullptr : std::dynamic_pointer_cast<Cell>(objects.front());
}

}  // namespace

void ColumnDetailViewController::buildScreen(ui::NibLoading& file) {
  auto view = file.make<ui::View>(ui::Rect(0, 0, 320, 416));
  view->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  auto table = file.make<ui::TableView>(ui::Rect(0, 0, 320, 416), ui::TableViewStyle::Plain);
  table->setBackgroundColor(ui::Color::clearColor());
  table->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  view->addSubview(table);
  file.connectOwnerView(view);
  file.connectOwner<ColumnDetailViewController>([table](ColumnDetailViewController& owner) {
    owner.tableView_ = table;
    auto self = owner.sharedDetail();
    table->setDataSource(self);
    table->setDelegate(self);
  });
}

void ColumnDetailViewController::registerNibs() {
  ui::NibRegistry::shared().add(kNibName, buildScreen);
  ColumnDetailHeaderView::registerNib();
  ColumnSummaryCell::registerNib();
  ColumnCommentCell::registerNib();
  AddCommentViewController::registerNib();
}

ColumnDetailViewController::ColumnDetailViewController()
    : ViewController(std::string(kNibName)), engine_(ColumnDetailEngine::defaultEngine()) {}

ColumnDetailViewController::~ColumnDetailViewController() { NotificationCenter::defaultCenter().remove(this); }

std::shared_ptr<ColumnDetailViewController> ColumnDetailViewController::sharedDetail() {
  return std::static_pointer_cast<ColumnDetailViewController>(shared());
}

void ColumnDetailViewController::setEngine(std::shared_ptr<ColumnDetailEngine> engine) {
  engine_ = engine ? std::move(engine) : ColumnDetailEngine::defaultEngine();
}

std::string ColumnDetailViewController::backTitle(const std::string& previousTitle) {
  if (StringUtil::utf16Length(previousTitle) >= kBackTitleCutFrom) {
    return " " + StringUtil::utf16Prefix(previousTitle, kBackTitleKept) + "...";
  }
  return " " + previousTitle;
}

std::string ColumnDetailViewController::summaryText() const {
  const auto& summary = column_ ? column_->summary() : std::nullopt;
  if (summary && StringUtil::utf16Length(*summary) >= 1) return StringUtil::trimWhitespace(*summary);
  return "暂无内容简介";
}

// --- the view

void ColumnDetailViewController::viewDidLoad() {
  ViewController::viewDidLoad();
  setTitle(column_ ? column_->title() : std::nullopt);
  navigationItem()->setTitle(std::string());
  ui::NavigationController* navigation = navigationController();
  if (navigation) {
    MyFaceSettings::setModeForNavBar(*navigation->navigationBar());
    navigation->navigationBar()->setClipsToBounds(true);
  }
  std::weak_ptr<ColumnDetailViewController> weak = sharedDetail();
  if (navigation) {
    const auto& stack = navigation->viewControllers();
    auto it = std::find_if(stack.begin(), stack.end(), [this](const auto& c) { return c.get() == this; });
    if (it != stack.end() && it != stack.begin()) {
      navigationItem()->setHidesBackButton(true);
      const std::string previous = (*(it - 1))->title().value_or("");
      backButton_ = MBarButtonItem::buttonItemWithTitle(backTitle(previous), this, [weak](ui::Control&) {
        if (auto self = weak.lock()) self->backButtonPressed();
      });
      MyFaceSettings::setImageForNavBarLeftButton(*backButton_);
      navigationItem()->setLeftBarButtonItem(std::make_shared<ui::BarButtonItem>(backButton_));
    }
  }
  closeButton_ = MBarButtonItem::buttonItemWithTitle(std::string("关闭"), this, [weak](ui::Control&) {
    if (auto self = weak.lock()) self->closeButtonPressed();
  });
  MyFaceSettings::setImageForNavBarRightButton(*closeButton_);
  closeButton_->setLeavesScreen(true);
  navigationItem()->setRightBarButtonItem(std::make_shared<ui::BarButtonItem>(closeButton_));

  auto objects = ui::NibRegistry::shared().load(ColumnDetailHeaderView::kNibName, shared());
  headerView_ = objects.empty() ? nullptr : std::dynamic_pointer_cast<ColumnDetailHeaderView>(objects.back());
  updateHeaderView();
  // A view loaded again (after a memory warning unloaded it) asks for the first page and the
  // related columns anew: what the first load received must not be shown twice.
  comments_.clear();
  displayedCommentsCount_ = 0;
  nextCommentLink_.reset();
  suggestions_.clear();
  requestComments();
  requestSuggestions();
  if (tableView_) {
    tableView_->setTableHeaderView(headerView_);
    tableView_->setSeparatorColor(MyFaceSettings::getColorForDetailViewTableSeparatorLine());
  }
  view()->setBackgroundColor(MyFaceSettings::getBackgroundcolorForColumnDetailView());
}

void ColumnDetailViewController::viewDidUnload() {
  ViewController::viewDidUnload();
  tableView_.reset();
  headerView_.reset();
}

// --- header

void ColumnDetailViewController::loadCover(ColumnDetailHeaderView& row, const Column& column, bool keepShown) {
  if (!row.coverImageView()) return;
  std::optional<std::vector<uint8_t>> data;
  if (keepShown) data = column.coverImageThumbnailData();
  const auto& link = column.coverImageThumbnailLink();
  std::optional<std::string> path = link ? engine_->getImageLocalPath(link->href()) : std::nullopt;
  // A row that keeps nothing of what it showed (a reused related row) shows the default cover
  // until its own arrives, and keeps it when the column has none.
  if (!keepShown && row.coverImageView()) row.coverImageView()->setImage(ColumnDetailHeaderView::defaultCover());
  if (!data && !path) {
    row.coverLoader().cancel();
    return;
  }
  ColumnDetailHeaderView* shown = &row;  // the row's own loader: it delivers only while the row lives
  row.coverLoader().load(
      [data = std::move(data), path = std::move(path)] {
        std::shared_ptr<ui::Image> image = data ? ui::Image::fromData(*data) : nullptr;
        if (!image && path) image = ui::Image::fromFile(*path);
        return image;
      },
      [shown](std::shared_ptr<ui::Image> image) {
        if (shown->coverImageView() && image) shown->coverImageView()->setImage(std::move(image));
      });
}

void ColumnDetailViewController::updateHeaderView() {
  if (!headerView_ || !column_) return;
  ColumnDetailHeaderView& header = *headerView_;
  if (header.titleLabel()) {
    layoutTitle(header, column_->title().value_or(""), ui::Font::named("Helvetica", 19), kHeaderTitleWidth,
                kHeaderTitleMinHeight, false);
  }
  if (const auto& cover = header.coverImageView()) {
    cover->setClipsToBounds(true);
    cover->layer().cornerRadius = 4;
  }
  loadCover(header, *column_, true);
  const auto& subscribe = column_->veskSubscribe();
  if (header.subscriptionLabel()) {
    header.subscriptionLabel()->setText(std::to_string(subscribe ? subscribe->times() : 0) + " 人订阅");
  }
  if (header.updateFrequencyLabel()) {
    header.updateFrequencyLabel()->setText(subscribe ? subscribe->updateFrequency().value_or("") : "");
  }
  showRank(header.starsView().get(), *column_);
  if (detailFrom_ == 1 || detailFrom_ == 3) {
    if (header.commentButton()) header.commentButton()->setEnabled(true);
    if (header.subscribeButton()) header.subscribeButton()->setHidden(true);
    if (header.unsubscribeButton()) header.unsubscribeButton()->setHidden(false);
  } else {
    showSubscribeButtons(subscribe && subscribe->subscribed() != 0);
  }
  std::weak_ptr<ColumnDetailViewController> weak = sharedDetail();
  auto connect = [&](const std::shared_ptr<ui::Button>& button, void (ColumnDetailViewController::*action)()) {
    if (!button) return;
    button->removeTarget(this);
    button->addTarget(this, ui::kControlEventTouchUpInside, [weak, action](ui::Control&) {
      if (auto self = weak.lock()) ((*self).*action)();
    });
  };
  connect(header.commentButton(), &ColumnDetailViewController::commentButtonPressed);
  connect(header.subscribeButton(), &ColumnDetailViewController::subscribeButtonPressed);
  connect(header.unsubscribeButton(), &ColumnDetailViewController::unsubscribeButtonPressed);
}

void ColumnDetailViewController::showSubscribeButtons(bool subscribed) {
  if (!headerView_) return;
  if (const auto& button = headerView_->subscribeButton()) button->setHidden(subscribed);
  if (const auto& button = headerView_->unsubscribeButton()) button->setHidden(!subscribed);
  if (const auto& button = headerView_->commentButton()) button->setEnabled(subscribed);
}

// --- tasks

bool ColumnDetailViewController::startTask(const std::shared_ptr<Task>& task,
                                           void (ColumnDetailViewController::*handler)(const Notification&)) {
  if (!task) return false;
  std::weak_ptr<ColumnDetailViewController> weak = sharedDetail();
  NotificationCenter::defaultCenter().add(task->getTaskIdStr(), this, [weak, handler](const Notification& note) {
    if (auto self = weak.lock()) ((*self).*handler)(note);
  });
  engine_->asyncRunTask(task);
  return true;
}

void ColumnDetailViewController::stopObserving(const std::optional<std::string>& taskId) {
  if (taskId) NotificationCenter::defaultCenter().remove(this, *taskId);
}

void ColumnDetailViewController::startCommentsTask(const std::shared_ptr<Link>& link) {
  commentsRequesting_ = true;
  // Only the newest request's pages count.
  stopObserving(commentsTaskId_);
  commentsTaskId_.reset();
  auto task = engine_->createGetCommentsTask(link, column_ ? column_->veskCustomization() : nullptr);
  if (!task) return;
  task->setUserIdentity(column_ ? column_->entryId() : std::nullopt);
  commentsTaskId_ = task->getTaskIdStr();
  startTask(task, &ColumnDetailViewController::commentsReceived);
}

void ColumnDetailViewController::requestComments() {
  startCommentsTask(column_ ? column_->commentsLink() : nullptr);
}

void ColumnDetailViewController::requestMoreComments() {
  commentsRequesting_ = true;
  if (nextCommentLink_) startCommentsTask(nextCommentLink_);
}

void ColumnDetailViewController::requestSuggestions() {
  // Only the newest request's columns count.
  stopObserving(suggestionsTaskId_);
  suggestionsTaskId_.reset();
  auto task = engine_->createGetServerColumnsTask(column_ ? column_->relatedLink() : nullptr);
  if (!task) return;
  task->setUserIdentity(column_ ? column_->entryId() : std::nullopt);
  suggestionsTaskId_ = task->getTaskIdStr();
  startTask(task, &ColumnDetailViewController::suggestionsReceived);
}

int32_t ColumnDetailViewController::heldComments() const {
  return static_cast<int32_t>(comments_.size()) - displayedCommentsCount_;
}

bool ColumnDetailViewController::hasExtraRow() const {
  return heldComments() > 0 || nextCommentLink_ != nullptr;
}

void ColumnDetailViewController::reloadCommentsSection() {
  if (tableView_) tableView_->reloadSections({1}, ui::TableViewRowAnimation::None);
}

void ColumnDetailViewController::showMoreRows(int32_t count) {
  if (count <= 0) return;
  std::vector<ui::IndexPath> rows;
  for (int32_t i = 0; i < count; ++i) rows.push_back(ui::IndexPath::forRow(displayedCommentsCount_ + i, 1));
  displayedCommentsCount_ += count;
  if (tableView_) tableView_->insertRows(rows, ui::TableViewRowAnimation::Bottom);
}

void ColumnDetailViewController::turnExtraRowIntoReview() {
  // The count first: the reloaded row must already be a review when the table asks for it.
  const int64_t row = displayedCommentsCount_;
  displayedCommentsCount_ += 1;
  if (tableView_) tableView_->reloadRows({ui::IndexPath::forRow(row, 1)}, ui::TableViewRowAnimation::None);
}

void ColumnDetailViewController::commentsReceived(const Notification& notification) {
  if (!commentsTaskId_ || notification.name != *commentsTaskId_) return;
  auto keep = shared();
  commentsRequesting_ = false;
  const auto& info = notification.userInfo;
  const std::string type = info.get("ResultType").stringValue().value_or("");
  if (type == "TaskStatus") {
    VESKLogImpl("error code %s", info.get("ErrDesc").stringValue().value_or("null").c_str());
    stopObserving(commentsTaskId_);
    commentsTaskId_.reset();
    reloadCommentsSection();
    return;
  }
  auto feed = type == "Feed" ? info.get("Result").asObject<Feed>() : nullptr;
  if (!feed) {
    reloadCommentsSection();
    return;
  }
  nextCommentLink_ = feed->nextLink();
  const auto& entries = feed->entrys();
  if (!entries || entries->empty()) {
    VESKLogImpl("0 comment feeds received");
    reloadCommentsSection();
    return;
  }
  comments_.insert(comments_.end(), entries->begin(), entries->end());
  const int32_t held = heldComments();
  if (held > kCommentsPerStep) {
    showMoreRows(kCommentsPerStep);
  } else if (nextCommentLink_) {
    showMoreRows(held);
  } else {
    showMoreRows(held - 1);
    turnExtraRowIntoReview();
  }
}

void ColumnDetailViewController::suggestionsReceived(const Notification& notification) {
  if (!suggestionsTaskId_ || notification.name != *suggestionsTaskId_) return;
  const auto& info = notification.userInfo;
  const std::string type = info.get("ResultType").stringValue().value_or("");
  if (type == "TaskStatus") {
    VESKLogImpl("error code %s", info.get("ErrDesc").stringValue().value_or("null").c_str());
    stopObserving(suggestionsTaskId_);
    suggestionsTaskId_.reset();
  } else if (type == "Feed") {
    auto feed = info.get("Result").asObject<Feed>();
    if (!feed || !feed->entrys() || feed->entrys()->empty()) return;
    for (const auto& entry : *feed->entrys()) {
      if (auto related = std::dynamic_pointer_cast<Column>(entry)) suggestions_.push_back(related);
    }
    if (tableView_) tableView_->reloadSections({2}, ui::TableViewRowAnimation::None);
  } else if (type == "ImageDownLoad") {
    if (tableView_) tableView_->reloadSections({2}, ui::TableViewRowAnimation::None);
  }
}

// --- buttons

void ColumnDetailViewController::subscribeButtonPressed() {
  if (headerView_) {
    if (const auto& button = headerView_->subscribeButton()) button->setHidden(true);
    if (const auto& button = headerView_->unsubscribeButton()) {
      button->setHidden(false);
      button->setEnabled(false);
    }
  }
  auto task = engine_->createAddSubscribedColumnTask(column_);
  if (task) {
    task->setUserBroadcast(std::string(kSubscribeNotification));
    startTask(task, &ColumnDetailViewController::subscribleResultOnMainThread);
  }
  if (closeButton_) closeButton_->setEnabled(false);
  if (headerView_ && headerView_->subscribeButton()) headerView_->subscribeButton()->setEnabled(false);
}

void ColumnDetailViewController::subscribleResultOnMainThread(const Notification& notification) {
  auto keep = shared();
  if (closeButton_) closeButton_->setEnabled(true);
  const auto& info = notification.userInfo;
  const std::string type = info.get("ResultType").stringValue().value_or("");
  if (type == "Entry") {
    if (auto entry = info.get("Result").asObject<Column>()) column_ = entry;
    return;
  }
  if (type != "TaskStatus") return;
  stopObserving(notification.name);
  const int code = static_cast<int>(info.get("Result").intValue());
  if (code >= 0) {
    if (auto listener = delegate()) listener->columnDetailViewController(*this, column_);
    if (headerView_) {
      if (const auto& button = headerView_->commentButton()) {
        button->setHidden(false);
        button->setEnabled(true);
      }
      if (const auto& button = headerView_->unsubscribeButton()) button->setEnabled(true);
    }
  } else {
    ErrorTips::showErrorInfo(code, info.get("ErrDesc").stringValue(), std::string(" "));
    // Not subscribed after all: the subscribe button comes back.
    if (headerView_) {
      if (const auto& button = headerView_->unsubscribeButton()) button->setHidden(true);
      if (const auto& button = headerView_->subscribeButton()) button->setHidden(false);
    }
  }
  if (headerView_ && headerView_->subscribeButton()) headerView_->subscribeButton()->setEnabled(true);
}

void ColumnDetailViewController::unsubscribeButtonPressed() {
  if (headerView_) {
    if (const auto& button = headerView_->unsubscribeButton()) button->setHidden(true);
    if (const auto& button = headerView_->subscribeButton()) button->setHidden(false);
  }
  NotificationCenter::defaultCenter().post(kUnsubscribeNotification, column_ ? Value(column_) : Value());
  if (headerView_) {
    if (const auto& button = headerView_->subscribeButton()) button->setEnabled(true);
    if (const auto& button = headerView_->commentButton()) button->setEnabled(false);
  }
}

ui::NavigationController* ColumnDetailViewController::navigationForPush() {
  ui::NavigationController* navigation = navigationController();
  return navigation && navigation->topViewController().get() == this ? navigation : nullptr;
}

void ColumnDetailViewController::commentButtonPressed() {
  auto* navigation = navigationForPush();
  if (!navigation) return;
  auto form = std::make_shared<AddCommentViewController>();
  form->setDelegate(sharedDetail());
  form->setColumn(column_);
  form->setEngine(engine_);
  navigation->pushViewController(form, true);
}

void ColumnDetailViewController::closeButtonPressed() {
  auto closer = std::dynamic_pointer_cast<ColumnDetailClosing>(delegateVC());
  if (closer) {
    closer->closeColumnDetailWithEntryId(column_ ? column_->entryId() : std::nullopt);
  } else {
    dismissModalViewController(true);
  }
}

void ColumnDetailViewController::backButtonPressed() {
  if (auto* navigation = navigationController()) navigation->popViewController(true);
}

void ColumnDetailViewController::downloadSwitchValueChanged(ui::Switch& sender) {
  if (column_) engine_->setColumnOfflineDownload(column_->entryId(), sender.isOn());
}

void ColumnDetailViewController::suggestionDidSelected(int64_t row) {
  auto* navigation = navigationForPush();
  if (!navigation || row < 0 || row >= static_cast<int64_t>(suggestions_.size())) return;
  auto detail = std::make_shared<ColumnDetailViewController>();
  detail->setDelegate(sharedDetail());
  detail->setDetailFrom(2);
  detail->setDelegateVC(delegateVC_);
  detail->setColumn(suggestions_[static_cast<size_t>(row)]);
  detail->setEngine(engine_);
  navigation->pushViewController(detail, true);
}

void ColumnDetailViewController::columnDetailViewController(ColumnDetailViewController&,
                                                            const std::shared_ptr<Column>& column) {
  if (!column) return;
  for (const auto& related : suggestions_) {
    if (related->entryId() && related->entryId() == column->entryId()) {
      if (const auto& subscribe = related->veskSubscribe()) subscribe->setSubscribed(1);
      return;
    }
  }
}

void ColumnDetailViewController::didPostNewComment(const std::shared_ptr<Entry>&) {
  comments_.clear();
  displayedCommentsCount_ = 0;
  requestComments();
  reloadCommentsSection();
}

// --- the table

int64_t ColumnDetailViewController::numberOfRowsInSection(ui::TableView&, int64_t section) {
  switch (section) {
    case 0:
      return 1;
    case 1:
      if (displayedCommentsCount_ == 0) return 1;
      return displayedCommentsCount_ + (hasExtraRow() ? 1 : 0);
    case 2:
      return static_cast<int64_t>(suggestions_.size());
    default:
      return 0;
  }
}

std::optional<float> ColumnDetailViewController::heightForRow(ui::TableView&, const ui::IndexPath& indexPath) {
  if (indexPath.section == 0) {
    const float height = kSummaryMargin + measure(summaryText(), ui::Font::systemFont(13), 300, kTextHeightLimit).height;
    return std::max(height, kRowHeight);
  }
  if (indexPath.section == 1) {
    if (indexPath.row >= displayedCommentsCount_ || indexPath.row >= static_cast<int64_t>(comments_.size())) {
      return kRowHeight;
    }
    const std::string text = commentText(*comments_[static_cast<size_t>(indexPath.row)]);
    if (text.empty()) return kCommentMargin;
    return kCommentMargin + measure(text, ui::Font::systemFont(13), 300, kCommentHeightLimit).height;
  }
  if (indexPath.section == 2 && indexPath.row < static_cast<int64_t>(suggestions_.size())) {
    const auto& title = suggestions_[static_cast<size_t>(indexPath.row)]->title();
    if (!title) return kRelatedRowHeight;
    const float height =
        measure(*title, ui::Font::named("Helvetica", 17), kRelatedTitleWidth, kTextHeightLimit).height;
    return height <= kRelatedTitleMinHeight ? kRelatedRowHeight : kRelatedRowHeight + height - kRelatedTitleMinHeight;
  }
  return kRowHeight;
}

std::shared_ptr<ui::View> ColumnDetailViewController::viewForHeaderInSection(ui::TableView&, int64_t section) {
  if (section < 0 || section > 2) return nullptr;
  auto header = std::make_shared<ui::View>(ui::Rect(0, 0, 320, kSectionHeaderHeight));
  auto image = std::make_shared<ui::ImageView>(ui::Rect(0, 0, 320, kSectionHeaderHeight));
  MyFaceSettings::setImageForDetailViewHeaderImage(*image);
  header->addSubview(image);
  auto label = std::make_shared<ui::Label>(ui::Rect(10, 0, 300, kSectionHeaderHeight));
  MyFaceSettings::setForDetailViewHeaderLabel(*label);
  label->setBackgroundColor(ui::Color::clearColor());
  label->setFont(ui::Font::systemFont(15));
  label->setText(kSectionTitles[section]);
  header->addSubview(label);
  return header;
}

std::shared_ptr<ui::TableViewCell> ColumnDetailViewController::cellForRow(ui::TableView& table,
                                                                         const ui::IndexPath& indexPath) {
  std::shared_ptr<ui::TableViewCell> cell;
  if (indexPath.section == 0) {
    cell = summaryRow(table);
  } else if (indexPath.section == 1) {
    if (commentsRequesting_ && indexPath.row == displayedCommentsCount_) {
      cell = extraRow("正在请求...", true, false);
    } else if (displayedCommentsCount_ > 0 && indexPath.row < displayedCommentsCount_ &&
               indexPath.row < static_cast<int64_t>(comments_.size())) {
      cell = commentRow(table, *comments_[static_cast<size_t>(indexPath.row)]);
    } else if (displayedCommentsCount_ > 0) {
      cell = extraRow("更多评价...", false, true);
    } else {
      cell = extraRow("暂无评论", false, false);
    }
  } else if (indexPath.row < static_cast<int64_t>(suggestions_.size())) {
    cell = suggestionRow(table, *suggestions_[static_cast<size_t>(indexPath.row)]);
  }
  if (!cell) cell = std::make_shared<ui::TableViewCell>();
  cell->setBackgroundColor(ui::Color::clearColor());
  return cell;
}

std::shared_ptr<ui::TableViewCell> ColumnDetailViewController::extraRow(const std::string& text, bool requesting,
                                                                        bool touchable) {
  auto cell = std::make_shared<ui::TableViewCell>();
  cell->setFrame(ui::Rect(0, 0, 320, kRowHeight));
  cell->setUserInteractionEnabled(touchable);
  auto label = std::make_shared<ui::Label>(ui::Rect(0, 0, 320, kRowHeight));
  label->setBackgroundColor(ui::Color::clearColor());
  label->setFont(ui::Font::systemFont(14));
  label->setTextColor(ui::Color{0.6f, 0.6f, 0.6f, 1});
  label->setTextAlignment(ui::TextAlignment::Center);
  label->setText(text);
  cell->contentView()->addSubview(label);
  if (requesting) {
    auto spinner = std::make_shared<ui::ActivityIndicatorView>(ui::ActivityIndicatorStyle::Gray);
    spinner->setFrame(ui::Rect(100, 12, 20, 20));
    spinner->startAnimating();
    cell->contentView()->addSubview(spinner);
  }
  return cell;
}

std::shared_ptr<ui::TableViewCell> ColumnDetailViewController::summaryRow(ui::TableView& table) {
  auto cell = reusableRow<ColumnSummaryCell>(table, shared());
  if (!cell || !cell->summaryLabel()) return cell;
  const std::string text = summaryText();
  const ui::Font font = ui::Font::systemFont(13);
  const ui::Size size = measure(text, font, 300, kTextHeightLimit);
  cell->summaryLabel()->setFont(font);
  cell->summaryLabel()->setText(text);
  cell->summaryLabel()->setFrame(ui::Rect(10, 10, size.width, size.height));
  return cell;
}

std::shared_ptr<ui::TableViewCell> ColumnDetailViewController::commentRow(ui::TableView& table, const Entry& comment) {
  auto cell = reusableRow<ColumnCommentCell>(table, shared());
  if (!cell) return cell;
  float nameWidth = 0;
  if (const auto& name = cell->usernameLabel()) {
    const std::string author = comment.author() ? comment.author()->name().value_or("") : "";
    nameWidth = measure(author, ui::Font::named("Helvetica", 15), 150, kTextHeightLimit).width;
    ui::Rect frame = name->frame();
    frame.size.width = nameWidth;
    name->setFrame(frame);
    name->setText(author);
  }
  if (const auto& time = cell->timeLabel()) {
    ui::Rect frame = time->frame();
    frame.origin.x = (cell->usernameLabel() ? cell->usernameLabel()->frame().origin.x : 0) + nameWidth + 10;
    time->setFrame(frame);
    time->setText(DateUtil::getFormatedCommentDateString(static_cast<double>(comment.updated() / 1000)));
  }
  if (const auto& label = cell->commentLabel()) {
    const std::string text = commentText(comment);
    const ui::Size size = measure(text, ui::Font::systemFont(13), 300, kTextHeightLimit);
    label->setText(text);
    label->setFrame(ui::Rect(10, kCommentTextY, size.height > 20 ? size.width : 300, size.height));
  }
  showRank(cell->starsView().get(), comment);
  return cell;
}

std::shared_ptr<ui::TableViewCell> ColumnDetailViewController::suggestionRow(ui::TableView& table,
                                                                            const Column& related) {
  auto row = reusableRow<ColumnDetailHeaderView>(table, shared());
  if (!row) return row;
  if (const auto& cover = row->coverImageView()) {
    cover->setClipsToBounds(true);
    cover->layer().cornerRadius = 4;
  }
  // A reused row never keeps the cover of the column it showed before.
  loadCover(*row, related, false);
  for (const auto& button : {row->commentButton(), row->subscribeButton(), row->unsubscribeButton()}) {
    if (button) button->setHidden(true);
  }
  if (row->titleLabel()) {
    layoutTitle(*row, related.title().value_or(""), ui::Font::named("Helvetica", 17), kRelatedTitleWidth,
                kRelatedTitleMinHeight, true);
  }
  const auto& subscribe = related.veskSubscribe();
  if (row->subscriptionLabel()) {
    row->subscriptionLabel()->setText(std::to_string(subscribe ? subscribe->times() : 0) + "人订阅");
  }
  if (row->updateFrequencyLabel()) {
    row->updateFrequencyLabel()->setText(subscribe ? subscribe->updateFrequency().value_or("") : "");
  }
  showRank(row->starsView().get(), related);
  return row;
}

void ColumnDetailViewController::didSelectRow(ui::TableView& table, const ui::IndexPath& indexPath) {
  table.deselectRow(indexPath, true);
  if (indexPath.section == 2) {
    suggestionDidSelected(indexPath.row);
    return;
  }
  // Only the more-reviews row takes a tap: not the requesting row, not the no-reviews row.
  if (indexPath.section != 1 || displayedCommentsCount_ == 0 || commentsRequesting_ ||
      indexPath.row != displayedCommentsCount_ || !hasExtraRow()) {
    return;
  }
  const int32_t held = heldComments();
  if (held > kCommentsPerStep) {
    showMoreRows(kCommentsPerStep);
  } else if (held == kCommentsPerStep) {
    if (nextCommentLink_) {
      showMoreRows(kCommentsPerStep);
    } else {
      showMoreRows(kCommentsPerStep - 1);
      turnExtraRowIntoReview();
    }
  } else if (nextCommentLink_) {
    requestMoreComments();
    table.reloadRows({ui::IndexPath::forRow(displayedCommentsCount_, 1)}, ui::TableViewRowAnimation::None);
  } else {
    showMoreRows(held - 1);
    turnExtraRowIntoReview();
  }
}

}  // namespace zu
