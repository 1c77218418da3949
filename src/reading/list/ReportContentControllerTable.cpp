// The article list's table: sections by calendar day (text lists) or pairs in section 0 (album and
// video lists), the load-more row, and the rows themselves.
#include <algorithm>
#include <optional>

#include "model/entry/Content.h"
#include "model/entry/Feed.h"
#include "model/entry/NewsSummary.h"
#include "model/service/VeskEntryStatus.h"
#include "platform/intl/Calendar.h"
#include "platform/runtime/RunLoop.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "reading/refresh/LoadMoreView.h"
#include "reading/refresh/LoadMoreViewCell.h"
#include "reading/list/ReportContentController.h"
#include "reading/cells/ReportContentTableCell.h"

namespace zu {

namespace {

constexpr auto kFade = ui::TableViewRowAnimation::Fade;

// The local calendar days of the items of one walk. Items in list order mostly share their
// day, so the calendar (a costly computation per call) is asked only when an item leaves the
// day found last.
class DayWalker {
 public:
  double dayOf(const NewsSummary& item) {
    const double moment = static_cast<double>(item.updated()) / 1000.0;
    if (!start_ || moment < *start_ || moment >= next_) {
      start_ = calendar_.startOfDay(moment);
      next_ = calendar_.addingDays(*start_, 1);
    }
    return *start_;
  }

 private:
  const Calendar calendar_;
  std::optional<double> start_;
  double next_ = 0;
};

bool opensSectionByDay(const NewsSummary& item) {
  const int type = item.veskEntryStatus() ? item.veskEntryStatus()->type() : 0;
  return type == 0 || type == 2;
}

std::vector<int64_t> range(int64_t from, int64_t to) {
  std::vector<int64_t> out;
  for (int64_t i = from; i < to; ++i) out.push_back(i);
  return out;
}

}  // namespace

bool ReportContentController::isPlaceholder(const NewsSummary& item) {
  return !item.title() && !item.content();
}

bool ReportContentController::hasLoadMoreRow() const {
  return !sortdataSource_.empty() && !sortdataSource_.back().empty() && isPlaceholder(*sortdataSource_.back().back()) &&
         (!isAlbumOrVideo() || sortdataSource_.back().size() % 2 == 1);
}

// Sections (or pairs) for `items` appended after what is listed. `previousDay` is the day of the
// item listed last (none for a whole build); the first of `items` opens a section when it opens
// one by its day or when no section exists or the walk starts a page of a type without days.
void ReportContentController::appendSections(const Items& items, std::optional<double> previousDay,
                                             bool withLoadMore) {
  if (isAlbumOrVideo()) {
    if (sortdataSource_.empty()) sortdataSource_.emplace_back();
    for (size_t i = 0; i < items.size(); i += 2) {
      sortdataSource_[0].push_back(items[i]);
      sortdataSource_[0].push_back(i + 1 < items.size() ? items[i + 1] : std::make_shared<NewsSummary>());
    }
  } else {
    DayWalker days;
    bool first = true;
    for (const auto& item : items) {
      const double day = days.dayOf(*item);
      const bool opens = sortdataSource_.empty() || (opensSectionByDay(*item) ? previousDay != day : first);
      if (opens) sortdataSource_.emplace_back();
      sortdataSource_.back().push_back(item);
      previousDay = day;
      first = false;
    }
  }
  if (withLoadMore && !sortdataSource_.empty()) sortdataSource_.back().push_back(std::make_shared<NewsSummary>());
}

void ReportContentController::sortData() {
  rebuildPending_ = false;
  rowHeights_.clear();
  startDownloads(*dataSource_, true);
  if (!contenttable_) return;
  auto& table = *contenttable_;
  const int64_t oldSections = static_cast<int64_t>(sortdataSource_.size());
  sortdataSource_.clear();
  appendSections(*dataSource_, std::nullopt, feedData_ && feedData_->nextLink() && !dataSource_->empty());
  table.beginUpdates();
  table.deleteSections(range(0, oldSections), kFade);
  table.insertSections(range(0, static_cast<int64_t>(sortdataSource_.size())), kFade);
  table.endUpdates();
  if (!sortdataSource_.empty()) {
    table.setHidden(false);
    if (hasLoadMoreRow()) removeLoadingView();
  }
  if (isAlbumOrVideo()) reloading_ = false;
}

void ReportContentController::sortDataNext(const Items& items) {
  startDownloads(items, false);
  if (!contenttable_ || rebuildPending_) return;
  auto& table = *contenttable_;
  table.beginUpdates();
  std::optional<double> previousDay;
  if (hasLoadMoreRow()) {
    auto& last = sortdataSource_.back();
    const auto lastSection = static_cast<int64_t>(sortdataSource_.size()) - 1;
    const int64_t lastRow = numberOfRowsInSection(table, lastSection) - 1;
    last.pop_back();
    if (isAlbumOrVideo()) last.resize(static_cast<size_t>(2 * lastRow));
    table.deleteRows({ui::IndexPath::forRow(lastRow, lastSection)}, kFade);
  }
  if (!sortdataSource_.empty() && !sortdataSource_.back().empty()) previousDay = DayWalker().dayOf(*sortdataSource_.back().back());
  const auto sectionsBefore = static_cast<int64_t>(sortdataSource_.size());
  const int64_t rowsBefore = sectionsBefore ? static_cast<int64_t>(
      isAlbumOrVideo() ? sortdataSource_.back().size() / 2 : sortdataSource_.back().size()) : 0;
  appendSections(items, previousDay, feedData_ && feedData_->nextLink());
  const auto sectionsAfter = static_cast<int64_t>(sortdataSource_.size());
  if (sectionsBefore > 0) {
    const int64_t section = sectionsBefore - 1;
    std::vector<ui::IndexPath> rows;
    for (int64_t row = rowsBefore; row < numberOfRowsInSection(table, section); ++row) {
      rows.push_back(ui::IndexPath::forRow(row, section));
    }
    table.insertRows(rows, ui::TableViewRowAnimation::Bottom);
  }
  table.insertSections(range(sectionsBefore, sectionsAfter), ui::TableViewRowAnimation::Bottom);
  table.endUpdates();
  if (hasLoadMoreRow()) removeLoadingView();
  table.setHidden(false);
  reloading_ = false;
}

void ReportContentController::insertPreData(const Items& items) {
  // The new items stand before the listed ones: a new session keeps its indexes the list's.
  startDownloads(items, true);
  if (!contenttable_ || items.empty() || rebuildPending_) return;
  auto& table = *contenttable_;
  // The new items walked from the last to the first, each against the item that follows it
  // (first the item listed first): an item that opens a section by its day opens a new section
  // 0; the others join the section below them.
  DayWalker days;
  std::optional<double> followingDay;
  if (!sortdataSource_.empty() && !sortdataSource_.front().empty()) followingDay = days.dayOf(*sortdataSource_.front().front());
  Items joined;
  std::vector<Items> fresh;
  for (auto it = items.rbegin(); it != items.rend(); ++it) {
    const double day = days.dayOf(**it);
    const bool opens = (opensSectionByDay(**it) && followingDay != day) || (sortdataSource_.empty() && fresh.empty());
    if (opens) fresh.insert(fresh.begin(), Items{});
    Items& section = fresh.empty() ? joined : fresh.front();
    section.insert(section.begin(), *it);
    followingDay = day;
  }
  const auto freshCount = static_cast<int64_t>(fresh.size());
  table.beginUpdates();
  if (!joined.empty()) {
    std::vector<ui::IndexPath> rows;
    for (size_t r = 0; r < joined.size(); ++r) rows.push_back(ui::IndexPath::forRow(static_cast<int64_t>(r), freshCount));
    sortdataSource_.front().insert(sortdataSource_.front().begin(), joined.begin(), joined.end());
    table.insertRows(rows, kFade);
  }
  sortdataSource_.insert(sortdataSource_.begin(), fresh.begin(), fresh.end());
  table.insertSections(range(0, freshCount), kFade);
  table.endUpdates();
  table.setHidden(false);
}

void ReportContentController::sortDataUpdate(const Items& entries) {
  dataSource_ = std::make_shared<Items>(entries);
  rowHeights_.clear();
  startDownloads(entries, true);
  if (!contenttable_) return;
  sortdataSource_.clear();
  contenttable_->reloadData();
  contenttable_->layoutIfNeeded();
  rebuildPending_ = true;
  std::weak_ptr<ReportContentController> weak = sharedList();
  RunLoop::main()->postDelayed(0.01, [weak] {
    auto self = weak.lock();
    if (!self || !self->contenttable_ || !self->rebuildPending_) return;
    self->rebuildPending_ = false;
    self->appendSections(*self->dataSource_, std::nullopt, self->feedData_ && self->feedData_->nextLink());
    self->contenttable_->insertSections(range(0, static_cast<int64_t>(self->sortdataSource_.size())), kFade);
    self->contenttable_->setHidden(false);
    self->reloading_ = false;
  });
}

void ReportContentController::deleteLoadMoreCell() {
  if (!contenttable_ || rebuildPending_ || !hasLoadMoreRow()) return;
  const auto section = static_cast<int64_t>(sortdataSource_.size()) - 1;
  const int64_t row = numberOfRowsInSection(*contenttable_, section) - 1;
  auto& last = sortdataSource_.back();
  last.pop_back();
  if (isAlbumOrVideo()) last.resize(static_cast<size_t>(2 * row));
  contenttable_->deleteRows({ui::IndexPath::forRow(row, section)}, kFade);
}

void ReportContentController::pauseLoadMoreCell() {
  loadMorePaused_ = true;
  if (!contenttable_ || !hasLoadMoreRow()) return;
  const auto section = static_cast<int64_t>(sortdataSource_.size()) - 1;
  const auto path = ui::IndexPath::forRow(numberOfRowsInSection(*contenttable_, section) - 1, section);
  if (auto cell = std::dynamic_pointer_cast<LoadMoreViewCell>(contenttable_->cellForRow(path))) {
    cell->setPaused(true);
    cell->statusLabel()->setText(kTapForMoreText);
    cell->activityView()->stopAnimating();
  }
  contenttable_->deselectRow(path, false);
}

std::shared_ptr<NewsSummary> ReportContentController::itemAt(const ui::IndexPath& indexPath) const {
  if (indexPath.section < 0 || indexPath.section >= static_cast<int64_t>(sortdataSource_.size())) return nullptr;
  const auto& section = sortdataSource_[static_cast<size_t>(indexPath.section)];
  const int64_t index = isAlbumOrVideo() ? 2 * indexPath.row : indexPath.row;
  if (index < 0 || index >= static_cast<int64_t>(section.size())) return nullptr;
  return section[static_cast<size_t>(index)];
}

int64_t ReportContentController::numberOfSections(ui::TableView&) {
  return static_cast<int64_t>(sortdataSource_.size());
}

int64_t ReportContentController::numberOfRowsInSection(ui::TableView&, int64_t section) {
  updateFavoriteTitle();
  if (section < 0 || section >= static_cast<int64_t>(sortdataSource_.size())) return 0;
  const auto count = static_cast<int64_t>(sortdataSource_[static_cast<size_t>(section)].size());
  return isAlbumOrVideo() ? (count + 1) / 2 : count;
}

}  // namespace zu
