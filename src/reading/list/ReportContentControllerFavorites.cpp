// The article list as the reader's favourites: the records of favourites changed in the browser
// and their application on coming back, the empty-favourites view, the guest's limit alert and
// the count in the title.
#include <algorithm>

#include "model/columns/Column.h"
#include "model/entry/NewsSummary.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "reading/refresh/FavoriteNoneView.h"
#include "reading/list/ReportContentController.h"
#include "reading/list/ReportContentEngine.h"
#include "reading/browser/ScrolledNewsBrowseController.h"

namespace zu {

namespace {

constexpr auto kFade = ui::TableViewRowAnimation::Fade;

// The summary of an addition: the notification's object, or its user info's "summary".
std::shared_ptr<NewsSummary> addedSummary(const Notification& note) {
  return note.userInfo.get(ScrolledNewsBrowseController::kFavoriteSummaryKey).asObject<NewsSummary>();
}

// The id of a removal, from the browser's user info.
std::optional<std::string> removedId(const Notification& note) {
  return note.userInfo.get(ScrolledNewsBrowseController::kFavoriteEntryIdKey).stringValue();
}

}  // namespace

void ReportContentController::controllerSelected() {
  if (engine_) setDataColumn(engine_->createFavoriteColumn());
}

void ReportContentController::addFavoriteWithIdNotification(const Notification& note) {
  // Only the favourites list applies the records; an ordinary one keeps none.
  if (!isFavorite()) return;
  auto summary = addedSummary(note);
  if (!summary || !summary->entryId() || summary->entryId()->empty()) return;
  const std::string id = *summary->entryId();
  std::lock_guard<std::mutex> lock(favoriteActionLock_);
  auto record = std::find_if(favoriteActionRecords_.begin(), favoriteActionRecords_.end(),
                             [&](const FavoriteAction& r) { return r.id == id; });
  if (record == favoriteActionRecords_.end()) {
    favoriteActionRecords_.push_back({id, 1, summary});
    return;
  }
  // The latest summary is the one shown.
  record->summary = summary;
  if (record->action == -1) record->action = 0;
  else if (record->action == 0) record->action = 1;
}

void ReportContentController::delFavoriteWithIdNotification(const Notification& note) {
  if (!isFavorite()) return;
  auto id = removedId(note);
  if (!id || id->empty()) return;
  std::lock_guard<std::mutex> lock(favoriteActionLock_);
  auto record = std::find_if(favoriteActionRecords_.begin(), favoriteActionRecords_.end(),
                             [&](const FavoriteAction& r) { return r.id == *id; });
  if (record == favoriteActionRecords_.end()) {
    favoriteActionRecords_.push_back({*id, -1, nullptr});
    return;
  }
  if (record->action == 1) record->action = 0;
  else if (record->action == 0) record->action = -1;
}

void ReportContentController::deleteTableViewRowForFavorite() {
  std::vector<FavoriteAction> records;
  {
    std::lock_guard<std::mutex> lock(favoriteActionLock_);
    records.swap(favoriteActionRecords_);
  }
  if (firstIn_ || !isFavorite() || !contenttable_) return;
  if (dataSource_->empty()) isNeedRefresh_ = true;
  if (isNeedRefresh_) {
    isNeedRefresh_ = false;
    fetchUpdateData();
    return;
  }
  auto& table = *contenttable_;
  Items inserted;
  bool changed = false;
  for (const auto& record : records) {
    if (record.action == -1) {
      changed |= std::erase_if(*dataSource_, [&](const auto& item) {
        return item->entryId() == std::optional<std::string>(record.id);
      }) > 0;
      // A rebuild still waiting builds from dataSource_: the table is left to it.
      if (rebuildPending_) continue;
      for (int64_t s = static_cast<int64_t>(sortdataSource_.size()) - 1; s >= 0; --s) {
        auto& section = sortdataSource_[static_cast<size_t>(s)];
        std::vector<ui::IndexPath> rows;
        for (int64_t r = static_cast<int64_t>(section.size()) - 1; r >= 0; --r) {
          const auto& item = section[static_cast<size_t>(r)];
          if (isPlaceholder(*item) || item->entryId() != std::optional<std::string>(record.id)) continue;
          section.erase(section.begin() + r);
          rows.push_back(ui::IndexPath::forRow(r, s));
        }
        if (rows.empty()) continue;
        // A section left empty goes with its last article.
        if (section.empty()) {
          sortdataSource_.erase(sortdataSource_.begin() + s);
          table.deleteSections({s}, kFade);
        } else {
          table.deleteRows(rows, kFade);
        }
      }
    } else if (record.action == 1 && record.summary) {
      changed = true;
      inserted.insert(inserted.begin(), record.summary);
      dataSource_->insert(dataSource_->begin(), record.summary);
      removeFavoriteNoneView();
      if (rebuildPending_) continue;
      table.beginUpdates();
      if (sortdataSource_.empty()) {
        sortdataSource_.emplace_back();
        table.insertSections({0}, kFade);
      }
      sortdataSource_.front().insert(sortdataSource_.front().begin(), record.summary);
      table.insertRows({ui::IndexPath::forRow(0, 0)}, kFade);
      table.endUpdates();
      table.setHidden(false);
    }
  }
  // The list's indexes moved: a new thumbnail session over the list keeps the session's indexes
  // the list's and fetches the added favourites' thumbnails.
  if (changed) startDownloads(inserted, true);
  if (rebuildPending_ ? dataSource_->empty() : sortdataSource_.empty()) showFavoriteNoneView();
  updateFavoriteTitle();
}

void ReportContentController::showFavoriteNoneView() {
  if (favoriteNoneView_ || !isViewLoaded()) return;
  auto objects = ui::NibRegistry::shared().load(FavoriteNoneView::kNibName, shared());
  favoriteNoneView_ = objects.empty() ? nullptr : std::dynamic_pointer_cast<FavoriteNoneView>(objects.front());
  if (!favoriteNoneView_) return;
  favoriteNoneView_->setNightMode(nightMode_);
  view()->addSubview(favoriteNoneView_);
}

void ReportContentController::removeFavoriteNoneView() {
  if (favoriteNoneView_) favoriteNoneView_->removeFromSuperview();
  favoriteNoneView_.reset();
}

void ReportContentController::checkGuestFavoriteLimit() {
  if (!isFavorite() || !engine_ || !engine_->isAnonymous()) return;
  if (engine_->getFavoriteNewsCount() < kGuestFavoriteLimit) return;
  auto alert = std::make_shared<ui::AlertView>(std::string(kLimitAlertTitle), std::string(kLimitAlertMessage),
                                               std::static_pointer_cast<ui::AlertViewDelegate>(sharedList()),
                                               std::string("取消"), std::vector<std::string>{"登录"});
  alert->setTag(kLimitAlertTag);
  alert->show();
}

void ReportContentController::updateFavoriteTitle() {
  if (!isFavorite() || !titleLabel_) return;
  const std::string title = dataColumn_->title().value_or("");
  const size_t count = dataSource_->size();
  titleLabel_->setText(count > 0 ? title + "(" + std::to_string(count) + ")" : title);
}

void ReportContentController::backButtonPressed() {
  if (auto* navigation = navigationController()) navigation->popViewController(true);
}

}  // namespace zu
