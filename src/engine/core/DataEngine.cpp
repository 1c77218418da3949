#include "engine/core/DataEngine.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <unordered_set>

#include "common/CommInfo.h"
#include "common/DateUtil.h"
#include "common/DeviceInfo.h"
#include "common/Log.h"
#include "common/Reachability.h"
#include "common/ServiceHosts.h"
#include "common/UrlEncode.h"
#include "engine/cache/ColumnCache.h"
#include "engine/cache/FileCacheManager.h"
#include "engine/cache/LinkCache.h"
#include "engine/cache/UniqueCache.h"
#include "engine/core/DESettings.h"
#include "engine/core/DataEngineObserver.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/ErrorTask.h"
#include "engine/core/HttpTask.h"
#include "engine/core/TaskEngine.h"
#include "engine/core/UrlManager.h"
#include "engine/core/VeskHttpErrorParser.h"
#include "engine/http/HttpDataEngine.h"
#include "engine/http/HttpEngine.h"
#include "engine/http/HttpEngineManager.h"
#include "engine/openplatform/OpenDataManager.h"
#include "engine/openplatform/OpenPlatformFactory.h"
#include "engine/tasks/images/DownloadProgramCoversTask.h"
#include "engine/tasks/offline/OfflineDownColumnBatchTask.h"
#include "engine/tasks/columns/SaveSubSequenceTask.h"
#include "engine/tasks/sync/SyncDeleteStatusTask.h"
#include "engine/tasks/columns/UpdateColumnBatchTask.h"
#include "model/columns/Column.h"
#include "model/entry/Content.h"
#include "model/book/VeskBook.h"
#include "model/service/VeskEntryStatus.h"
#include "model/book/BookCatalog.h"
#include "model/book/BookMemo.h"
#include "model/book/BookReadInfo.h"
#include "model/book/Chapter.h"
#include "model/book/Section.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/service/ProgramCover.h"
#include "model/columns/UserInfo.h"
#include "model/service/VeskAppRecommend.h"
#include "model/service/VeskCustomization.h"
#include "model/service/VeskSubscribe.h"
#include "model/atom/Vocabulary.h"
#include "model/atom/VESKAtomBuilder.h"
#include "model/atom/VESKAtomParser.h"
#include "platform/device/DeviceProfile.h"
#include "platform/runtime/Bundle.h"
#include "platform/runtime/Clock.h"
#include "platform/runtime/FileUtil.h"
#include "platform/runtime/FolderHandle.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/Paths.h"
#include "platform/runtime/SharedSlot.h"
#include "platform/runtime/StringUtil.h"
#include "platform/runtime/Thread.h"
#include "platform/ui/images/Image.h"
#include "store/EntryPersistenter.h"
#include "store/BookMgr.h"
#include "store/EntryStatusPersistenter.h"

namespace zu {

namespace fs = std::filesystem;

namespace {

SharedSlot<DataEngine> gInstance;

constexpr const char* kFavoriteColumnTitle = "我的收藏";
constexpr const char* kSearchTermsToken = "{searchTerms}";
// Keep-alive: checked once a second while more than this much background time is left.
constexpr double kKeepAlivePeriod = 1.0;
constexpr double kKeepAliveReserve = 10.0;
constexpr size_t kMidMinimumSize = 21;
constexpr int kPlatformZelvane = 0;
constexpr int kPlatformSina = 1;
constexpr int32_t kBookEntryType = 9;
constexpr int kLargestSnapshotFontSize = 10;

std::string customText(const char* key) {
  return CommInfo::getCustomKey(key).stringValue().value_or(std::string());
}

std::optional<std::string> customTextOrNone(const char* key) {
  return CommInfo::getCustomKey(key).stringValue();
}

// A regular file of the client's at `path`: a link there is not followed (what it points at is
// not the client's, and a cover or font taken from it would be read through it).
bool fileExists(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(fs::symlink_status(path, ec));
}

}  // namespace

std::shared_ptr<DataEngine> gDataEngine() { return gInstance.get(); }

// ---- Lifecycle -------------------------------------------------------------------------------

void DataEngine::initGlobalInstance() {
  CommInfo::globalInit();
  FileCacheManager::initGlobalInstance();
  HttpEngineManager::initGlobalInstance();
  TaskEngine::initGlobalInstance();
  HttpTask::setHttpErrorParser(&veskHttpErrorParser);
  EntryStatusPersistenter::globalInit();
  UrlManager::initGlobalInstance();
  gInstance.getOrMake([] { return std::make_shared<DataEngine>(); });
  if (auto mid = getMid()) {
    VESKLogImpl("mid:%u", getMidInDecimal(*mid));
  } else {
    VESKLogImpl("mid读取失败");
  }
  if (!DESettings::getDeviceId()) {
    std::string id = DeviceProfile::uniqueIdentifier();
    if (!id.empty()) DESettings::setDeviceId(id);
  }
  if (!DESettings::getMacDeviceId()) {
    auto id = DeviceInfo::macDeviceId();
    if (id && !id->empty()) DESettings::setMacDeviceId(id);
  }
}

void DataEngine::uninitGlobalInstance() {
  TaskEngine::uninitGlobalInstance();
  // The service's parser reads through the facade: HTTP tasks of a later engine must not.
  HttpTask::setHttpErrorParser(nullptr);
  // The background keep-alive and an unbinding hold the engine while they run: join that
  // thread first, so the engine is destroyed here, in shut-down's order, and never later on
  // the background thread while a next engine starts.
  if (std::shared_ptr<DataEngine> engine = gInstance.take()) {
    engine->stopBackgroundThread();
    engine.reset();
  }
  UrlManager::uninitGlobalInstance();
  EntryStatusPersistenter::globalUninit();
  HttpEngineManager::uninitGlobalInstance();
  FileCacheManager::uninitGlobalInstance();
  CommInfo::globalUninit();
}

DataEngine::DataEngine() {
  subPersist_ = EntryPersistenter::initWithDBopen(EntryPersistenter::kSourceSubscribe);
  favPersist_ = EntryPersistenter::initWithDBopen(EntryPersistenter::kSourceFavorite);
  if (!subPersist_ || !favPersist_) VESKLogImpl("DataEngine: a local store could not be opened");
  DESettings::setSubscriptionStore(subPersist_);
  columnCache_ = std::make_shared<ColumnCache>(subPersist_);
  uniqueCache_ = std::make_shared<UniqueCache>();
  linkCache_ = std::make_shared<LinkCache>();
  UrlCache::setShared(linkCache_);
  bookMgr_ = std::make_shared<BookMgr>(subPersist_);
  bookMgr_->setContentHost("http://" + ServiceHosts::staticHost());
  setUsernameInner(kGuestUserName, kGuestUserName);
  // The columns are reloaded or rewritten on the background thread, not on the posting one.
  NotificationCenter::defaultCenter().add(kNotificationOptBindOk, this, [this](const Notification& n) {
    const int platform = static_cast<int>(n.object.intValue());
    std::weak_ptr<DataEngine> weak = weak_from_this();
    backgroundLoop()->post([weak, platform] {
      if (auto self = weak.lock()) self->weiboDidFinishBinding(platform);
    });
  });
  NotificationCenter::defaultCenter().add(kNotificationOptUnbindOk, this, [this](const Notification& n) {
    const int platform = static_cast<int>(n.object.intValue());
    std::weak_ptr<DataEngine> weak = weak_from_this();
    backgroundLoop()->post([weak, platform] {
      if (auto self = weak.lock()) self->weiboDidFinishUnbinding(platform);
    });
  });
  checkAppUpgrade();
}

DataEngine::~DataEngine() {
  NotificationCenter::defaultCenter().remove(this);
  stopBackgroundThread();
  endBackgroundTask();
  if (UrlCache::shared() == linkCache_) UrlCache::setShared(nullptr);
  DESettings::setSubscriptionStore(nullptr);
}

void DataEngine::stopBackgroundThread() {
  std::shared_ptr<Thread> bgThread;
  {
    std::lock_guard guard(bgLock_);
    bgThread = std::move(bgThread_);
  }
  if (bgThread) bgThread->stopAndJoin();
}

void DataEngine::checkAppUpgrade() {
  const std::optional<std::string> last = DESettings::getLastRunAppVersion();
  std::optional<std::string> current;
  if (auto bundle = Bundle::mainBundle()) current = bundle->info("CFBundleVersion");
  VESKLogImpl("currentVersion %s", current.value_or("(null)").c_str());
  const char* oldest = DeviceInfo::isBuildForIPad() ? "1.5.3" : "1.1.2";
  if (versionCompare(last, std::string_view(oldest)) < 0) {
    // Relative to the library folder held open: a link among them goes as a link.
    if (const std::optional<FolderHandle> library = Paths::openFolder("Library")) {
      for (const char* name : {"log.txt", "log_last.txt", "CoverImages"}) library->remove(name);
    }
  }
  DESettings::setLastRunAppVersion(current);
}

std::shared_ptr<DataEngineObserver> DataEngine::getObserver() const {
  std::lock_guard guard(observerLock_);
  return observer_;
}

// ---- Observer and tasks ----------------------------------------------------------------------

void DataEngine::setObserver(std::shared_ptr<DataEngineObserver> observer) {
  {
    std::lock_guard guard(observerLock_);
    observer_ = observer;
  }
  if (auto engine = gTaskEngine()) engine->setTaskFinishObserver(std::move(observer));
}

void DataEngine::asyncRunTask(const std::shared_ptr<Task>& task) {
  if (auto engine = gTaskEngine()) engine->asyncRunTask(task);
}

void DataEngine::asyncCancelTask(const std::shared_ptr<Task>& task) {
  if (auto engine = gTaskEngine()) engine->asyncCancelTask(task);
}

// ---- Users -----------------------------------------------------------------------------------

void DataEngine::setUsername(const Text& username, const Text& password) {
  if (!username || !password || !isUsableUsername(*username)) {
    VESKLogImpl("setUsername invalid argument");
    return;
  }
  const std::string name = StringUtil::asciiLowercase(*username);
  if (auto engine = gTaskEngine()) engine->syncCancelAllTask();
  // Asked before switching: switching creates the user's database.
  const bool known = EntryStatusPersistenter::isUserDBExist(name);
  setUsernameInner(name, *password);
  OpenPlatformFactory& platforms = OpenPlatformFactory::instance();
  if (!known) {
    {
      std::lock_guard guard(userLock_);
      userFirstLogin_ = true;
    }
    syncGuestFavoriteNewsToUser();
    for (int platform = 0; platform < OpenPlatformFactory::kPlatformCount; ++platform) {
      if (auto account = platforms.getUserAcountInfo(std::string(kGuestUserName), platform)) {
        platforms.setUserAcountInfo(name, platform, *account);
      }
    }
  }
  syncColumnDeleteStatusToServer();
  syncAccountOfflineFavoriteNewsToServer();
  platforms.reset();
  asyncRunTask(std::make_shared<DownloadProgramCoversTask>());
}

void DataEngine::setUsernameInner(const std::string& username, const std::string& password) {
  {
    std::lock_guard guard(userLock_);
    username_ = username;
    password_ = password;
    userFirstLogin_ = false;
  }
  CommInfo::setUsername(username);
  CommInfo::setPassword(password);
  EntryStatusPersistenter::changeDB();
  if (username != kGuestUserName) {
    CommInfo::setCustomKey(kLastLoginUsernameKey, Value(username));
    CommInfo::setCustomKey(kLastLoginPasswordKey, Value(password));
  }
}

void DataEngine::logout() {
  if (auto engine = gTaskEngine()) engine->syncCancelAllTask();
  setUsernameInner(kGuestUserName, kGuestUserName);
  if (auto manager = HttpEngineManager::globalInstance()) manager->removeAllCookies();
  OpenPlatformFactory::instance().reset();
}

bool DataEngine::isAnonymous() const { return getUsername() == kGuestUserName; }

bool DataEngine::isUsableUsername(std::string_view username) {
  return !username.empty() && username.size() <= kMaxUsernameBytes && username != "." &&
         username != ".." && username.find('/') == std::string_view::npos &&
         username.find('\0') == std::string_view::npos &&
         username.find(EntryPersistenter::kRowKeySeparator) == std::string_view::npos &&
         username.front() != EntryPersistenter::kRowKeySeparator[0];
}

std::string DataEngine::getUsername() const {
  std::lock_guard guard(userLock_);
  return username_;
}

bool DataEngine::isUserFirstLogin() const {
  std::lock_guard guard(userLock_);
  return userFirstLogin_;
}

DataEngine::Text DataEngine::getLastLoginUsername() const {
  return customTextOrNone(kLastLoginUsernameKey);
}

DataEngine::Text DataEngine::getLastLoginPassword() const {
  return customTextOrNone(kLastLoginPasswordKey);
}

void DataEngine::clearLastLoginUsernamePassword() {
  CommInfo::setCustomKey(kLastLoginUsernameKey, Value());
  CommInfo::setCustomKey(kLastLoginPasswordKey, Value());
}

std::shared_ptr<UserInfo> DataEngine::getLoginUserInfo() {
  auto data = uniqueCache_->loadData(UniqueCache::kUserInfoKey, createUserInfoUrl(std::nullopt));
  if (!data) return nullptr;
  return VESKAtomParser::allocParseUserinfo(
      std::string_view(reinterpret_cast<const char*>(data->data()), data->size()));
}

std::optional<Bytes> DataEngine::guestFavoriteNewsDocument() {
  return favoriteNewsDocument(kGuestUserName);
}

std::vector<std::shared_ptr<Entry>> DataEngine::allFavoriteNews(const std::string& username) {
  std::vector<std::shared_ptr<Entry>> newestFirst;
  if (!favPersist_) return newestFirst;
  // The store hands favourites out a page at a time, newest first: follow the next links to
  // the end. A row stored meanwhile shifts the later pages by one, so an id already taken is
  // skipped rather than sent twice.
  std::unordered_set<std::string> taken;
  Text page;
  while (auto feed = favPersist_->allocReadEntriesInFeedwithUsername(page, username, false)) {
    for (const auto& entry : feed->entrys().value_or(std::vector<std::shared_ptr<Entry>>())) {
      if (entry && (!entry->entryId() || taken.insert(*entry->entryId()).second)) {
        newestFirst.push_back(entry);
      }
    }
    const auto& next = feed->nextLink();
    if (!next || !next->href() || next->href() == page) break;
    page = next->href();
  }
  return std::vector<std::shared_ptr<Entry>>(newestFirst.rbegin(), newestFirst.rend());
}

std::optional<Bytes> DataEngine::favoriteNewsDocument(const std::string& username) {
  auto entries = allFavoriteNews(username);
  if (entries.empty()) return std::nullopt;
  return VESKAtomBuilder::allocAddOrUpdateSubscriptionXML(entries);
}

// ---- Columns and entries ---------------------------------------------------------------------

void DataEngine::updateSubscribedColumnsOrder(const std::vector<std::shared_ptr<Entry>>& order) {
  if (!subPersist_) return;
  subPersist_->updateOrder(order);
  if (isAnonymous()) return;
  const int64_t now = DateUtil::currentTimeMillis();
  VESKLogImpl("update columns order by user time %lld", static_cast<long long>(now));
  DESettings::setSubSequenceLocalChangeTime(now);
  asyncRunTask(std::make_shared<SaveSubSequenceTask>());
}

void DataEngine::syncColumnDeleteStatusToServer() {
  auto feed = subPersist_ ? subPersist_->allocReadEntriesInFeedWithDeletedMark() : nullptr;
  if (!feed || !feed->entrys() || feed->entrys()->empty()) return;
  asyncRunTask(std::make_shared<SyncDeleteStatusTask>(*feed->entrys()));
}

void DataEngine::markColumnDeleted(const std::shared_ptr<Column>& column) {
  if (!column || !column->entryId() || !subPersist_) return;
  if (isAnonymous()) {
    subPersist_->deleteEntry(column->entryId());
  } else {
    subPersist_->setColumnDeletedMark(column->entryId(), 1);
  }
  const auto& status = column->veskEntryStatus();
  if (status && status->type() == kBookEntryType) {
    bookMgr_->deleteBook(column->entryId());
    deleteBookAllSnapshots(*column->entryId());
  }
}

void DataEngine::markColumnShowed(const std::shared_ptr<Column>& column) {
  if (!column || !column->entryId() || !subPersist_) return;
  auto latest = subPersist_->getColumnLastestSummaryId(column->entryId());
  if (latest) subPersist_->setColumnLastestShowedSummaryId(column->entryId(), latest);
}

void DataEngine::markNewsRead(const Text& entryId) {
  EntryStatusPersistenter::setEntryStatus(entryId, 1);
}

std::shared_ptr<Column> DataEngine::getColumnFromLocal(const Text& columnId) {
  if (!columnId || !subPersist_) return nullptr;
  auto column = std::dynamic_pointer_cast<Column>(subPersist_->allocReadEntry(columnId));
  if (!column) return nullptr;
  const auto& customization = column->veskCustomization();
  if (customization && customization->isMBlogType()) {
    const int platform = customization->getOpenPlatformType();
    auto client = OpenPlatformFactory::instance().getOpenPlatformInstance(platform);
    if (!client || !client->authorized()) {
      setUnauthorizedWeiboColumnData(column, platform);
      return column;
    }
  }
  if (const auto& cover = column->coverImageLink()) {
    column->setCoverImageData(columnCache_->loadCover(columnId, cover->href()));
  }
  if (const auto& thumbnail = column->coverImageThumbnailLink()) {
    column->setCoverImageThumbnailData(columnCache_->loadCoverThumbnail(columnId, thumbnail->href()));
  }
  if (!column->veskSubscribe()) column->setVeskSubscribe(std::make_shared<VeskSubscribe>());
  column->veskSubscribe()->setSubscribed(1);
  return column;
}

void DataEngine::setUnauthorizedWeiboColumnData(const std::shared_ptr<Column>& column,
                                                int platform) {
  if (!column) return;
  const char* text = nullptr;
  const char* background = nullptr;
  const char* icon = nullptr;
  if (platform == kPlatformZelvane) {
    text = "绑定zu微博后继续阅读...";
    background = "ipadweibo_zelvane_default_bg.png";
    icon = "ipadweibo_zelvane_list_icon.png";
  } else if (platform == kPlatformSina) {
    text = "绑定新浪微博后继续阅读...";
    background = "ipadweibo_sina_default_bg.png";
    icon = "ipadweibo_sina_list_icon.png";
  } else {
    return;
  }
  auto content = std::make_shared<Content>();
  content->setData(std::string(text));
  column->setContent(content);
  auto bundle = Bundle::mainBundle();
  auto read = [&](const char* name) -> std::optional<Bytes> {
    if (!bundle) return std::nullopt;
    auto path = bundle->pathForResource(name, "");
    return path ? FileUtil::readFile(*path) : std::nullopt;
  };
  column->setCoverImageData(read(background));
  column->setCoverImageThumbnailData(read(icon));
}

// The columns of a microblog whose account was just bound are refreshed in the background, each
// reported whether or not it changed (their placeholders give way to the real content).
void DataEngine::weiboDidFinishBinding(int platform) {
  if (!subPersist_) return;
  auto feed = subPersist_->allocReadEntriesInFeed(std::nullopt);
  if (!feed || !feed->entrys()) return;
  std::vector<std::shared_ptr<Column>> columns;
  for (const auto& entry : *feed->entrys()) {
    auto column = std::dynamic_pointer_cast<Column>(entry);
    if (!column || !column->veskCustomization()) continue;
    const auto& customization = column->veskCustomization();
    if (customization->isMBlogType() && customization->getOpenPlatformType() == platform) {
      columns.push_back(column);
    }
  }
  if (columns.empty()) return;
  auto task = std::make_shared<UpdateColumnBatchTask>(std::move(columns), true);
  task->setForceNotify(true);
  asyncRunTask(task);
}

void DataEngine::weiboDidFinishUnbinding(int platform) {
  if (!subPersist_) return;
  auto feed = subPersist_->allocReadEntriesInFeed(std::nullopt);
  if (!feed || !feed->entrys()) return;
  auto observer = getObserver();
  for (const auto& entry : *feed->entrys()) {
    auto column = std::dynamic_pointer_cast<Column>(entry);
    if (!column || !column->veskCustomization()) continue;
    const auto& customization = column->veskCustomization();
    if (!customization->isMBlogType() || customization->getOpenPlatformType() != platform) {
      continue;
    }
    setUnauthorizedWeiboColumnData(column, platform);
    if (observer) observer->columnBackGroundUpdated(column);
  }
}

std::optional<double> DataEngine::getColumnRefreshTime(const Text& columnKey) {
  if (!columnKey) return std::nullopt;
  std::lock_guard guard(refreshTimeLock_);
  auto it = columnRefreshTime_.find(*columnKey);
  if (it == columnRefreshTime_.end()) return std::nullopt;
  return it->second;
}

void DataEngine::setColumnRefreshTime(const Text& columnKey, double secondsSince1970) {
  if (!columnKey) return;
  // 9999-12-31 23:59:59 UTC: the last moment the calendar and the date formats show.
  constexpr double kLastShownSecond = 253402300799.0;
  const double time = secondsSince1970 > kLastShownSecond ? secondsSince1970 / 1000.0 : secondsSince1970;
  std::lock_guard guard(refreshTimeLock_);
  columnRefreshTime_[*columnKey] = time;
}

void DataEngine::setAllColumnOfflineDownload(bool on) {
  if (subPersist_) subPersist_->setAllEntriesOfflineDownload(on ? 1 : 0);
}

void DataEngine::setColumnOfflineDownload(const Text& columnId, bool on) {
  if (columnId && subPersist_) subPersist_->setEntryOfflineDownload(columnId, on ? 1 : 0);
}

bool DataEngine::isColumnOfflineDownloadOn(const Text& columnId) {
  return columnId && subPersist_ && subPersist_->isEntryNeedOfflineDownload(columnId);
}

int DataEngine::getOfflineDownloadColumnCount() {
  return subPersist_ ? subPersist_->countOfflineDownloadEntries() : 0;
}

int64_t DataEngine::getFavoriteNewsCount() {
  if (isAnonymous()) return favPersist_ ? favPersist_->countReadEntries() : 0;
  return CommInfo::getCustomIntKey(kFavoriteNewsCountKey);
}

void DataEngine::setFavoriteNewsCount(int64_t count) {
  if (!isAnonymous()) CommInfo::setCustomIntKey(kFavoriteNewsCountKey, count);
}

bool DataEngine::needGetRecommend() {
  if (customText(kEverGetRecommendKey) == "true") return false;
  return !subPersist_ || subPersist_->countReadEntries() == 0;
}

void DataEngine::setEverGetRecommend(bool ever) {
  CommInfo::setCustomKey(kEverGetRecommendKey, Value(std::string(ever ? "true" : "false")));
}

// ---- Images in flight ------------------------------------------------------------------------

void DataEngine::addDownloadingImageUrl(const Text& url) {
  if (!url) return;
  std::lock_guard guard(imageUrlsLock_);
  ++downloadingImageUrls_[*url];
}

void DataEngine::removeDownloadingImageUrl(const Text& url) {
  if (!url) return;
  std::lock_guard guard(imageUrlsLock_);
  auto it = downloadingImageUrls_.find(*url);
  if (it == downloadingImageUrls_.end()) return;
  if (--it->second <= 0) downloadingImageUrls_.erase(it);
}

void DataEngine::addDownloadingImageUrlWithArray(const std::vector<std::string>& urls) {
  for (const auto& url : urls) addDownloadingImageUrl(url);
}

void DataEngine::removeDownloadingImageUrlWithArray(const std::vector<std::string>& urls) {
  for (const auto& url : urls) removeDownloadingImageUrl(url);
}

bool DataEngine::isImageDownloading(const Text& url) {
  if (!url) return false;
  std::lock_guard guard(imageUrlsLock_);
  return downloadingImageUrls_.count(*url) != 0;
}

void DataEngine::addDownloadingBookId(const std::string& bookId) {
  std::lock_guard guard(bookIdsLock_);
  downloadingBookIds_.push_back(bookId);
}

void DataEngine::removeDownloadingBookId(const std::string& bookId) {
  std::lock_guard guard(bookIdsLock_);
  auto it = std::find(downloadingBookIds_.begin(), downloadingBookIds_.end(), bookId);
  if (it != downloadingBookIds_.end()) downloadingBookIds_.erase(it);
}

bool DataEngine::isBookDownloading(const std::string& bookId) {
  std::lock_guard guard(bookIdsLock_);
  return std::find(downloadingBookIds_.begin(), downloadingBookIds_.end(), bookId) !=
         downloadingBookIds_.end();
}

DataEngine::Text DataEngine::getImageLocalPath(const Text& url) {
  return HttpEngine::localFilePathIfExistsForUrl(url);
}

// ---- Books -----------------------------------------------------------------------------------

bool DataEngine::isBookDownloaded(const Text& bookId) {
  return bookId && fileExists(bookMgr_->getBookEpubPath(*bookId));
}

bool DataEngine::bookHaveUpdates(const std::shared_ptr<Column>& column) {
  if (!column || !subPersist_) return false;
  const int64_t stored = subPersist_->getBookLastUpdatedTime(column->entryId());
  const int64_t current = column->veskBook() ? column->veskBook()->updated() : 0;
  return stored != current;
}

std::shared_ptr<BookReadInfo> DataEngine::getBookReadInfo(const Text& bookId, int32_t fontSize,
                                                          bool isPreview) {
  // The position store answers an empty record (no section) when it holds none.
  auto stored = bookMgr_->getBookReadInfo(bookId, fontSize, isPreview);
  if (stored && stored->sectionId()) return stored;
  Text chapterId, sectionId;
  if (auto catalog = bookMgr_->getBookCatalog(bookId); catalog && catalog->chapters()) {
    if (!catalog->chapters()->empty()) {
      const auto& chapter = catalog->chapters()->front();
      chapterId = chapter->id();
      if (chapter->sections() && !chapter->sections()->empty()) {
        sectionId = chapter->sections()->front()->id();
      }
    }
  }
  return BookReadInfo::readInfoWithChapterId(chapterId, sectionId, 0, 0, fontSize);
}

void DataEngine::saveBookReadInfo(const std::shared_ptr<BookReadInfo>& readInfo,
                                  const Text& bookId, bool isPreview) {
  bookMgr_->setBookReadInfo(readInfo, bookId, isPreview);
}

int32_t DataEngine::getBookReadProcessPercent(const Text& bookId, bool isPreview) {
  return bookMgr_->getBookReadProcessPercent(bookId, isPreview);
}

std::string DataEngine::getBookEpubPath(const std::string& bookId) {
  return bookMgr_->getBookEpubPath(bookId);
}

std::string DataEngine::getBookOPSDirectory(const std::string& bookId) {
  return bookMgr_->getBookOPSDirectory(bookId);
}

DataEngine::Text DataEngine::getBookSectionHtmlFilePath(const Text& bookId, const Text& chapterId,
                                                        const Text& sectionId) {
  return bookMgr_->getBookSectionHtmlFilePath(bookId, chapterId, sectionId);
}

bool DataEngine::saveBookSectionHtml(const Text& bookId, const Text& chapterId,
                                     const Text& sectionId, const Text& html) {
  return bookMgr_->saveBookSectionHtml(bookId, chapterId, sectionId, html);
}

std::shared_ptr<BookCatalog> DataEngine::getBookCatalog(const Text& bookId) {
  return bookMgr_->getBookCatalog(bookId);
}

std::shared_ptr<BookCatalog> DataEngine::getBookCatalogOriginal(const Text& bookId) {
  return bookMgr_->getBookCatalogOriginal(bookId);
}

bool DataEngine::setBookmark(const std::shared_ptr<Bookmark>& bookmark, const Text& bookId) {
  return bookMgr_->setBookmark(bookmark, bookId);
}

std::vector<std::shared_ptr<Bookmark>> DataEngine::getBookmarkInBook(const Text& bookId,
                                                                     int32_t fontSize) {
  return bookMgr_->getBookmarkInBook(bookId, fontSize);
}

bool DataEngine::deleteBookmark(const Text& bookId, const Text& indexId) {
  return bookMgr_->deleteBookmark(bookId, indexId);
}

void DataEngine::deleteBookmark(const Text& bookId, int32_t page, int32_t fontSize,
                                bool landscape) {
  bookMgr_->deleteBookmark(bookId, page, fontSize, landscape);
}

bool DataEngine::setBookMemo(const std::shared_ptr<BookMemo>& memo, const Text& bookId,
                             const Text& indexId, int32_t color) {
  return bookMgr_->setBookMemo(memo, bookId, indexId, color);
}

bool DataEngine::setBookMemo(const Text& sectionId, const Text& memo, const Text& indexId,
                             int32_t color) {
  auto record = std::make_shared<BookMemo>();
  record->setSectionId(sectionId);
  record->setMemoString(memo);
  record->setIndexId(indexId);
  record->setColor(color);
  return bookMgr_->setBookMemo(record, std::nullopt, indexId, color);
}

std::vector<std::shared_ptr<BookMemo>> DataEngine::getBookMemoInBook(const Text& bookId,
                                                                     int32_t fontSize) {
  return bookMgr_->getBookMemoInBook(bookId, fontSize);
}

bool DataEngine::deleteBookMemo(const Text& bookId, const Text& indexId) {
  return bookMgr_->deleteBookMemo(bookId, indexId);
}

bool DataEngine::isBookMemoExist(const Text& bookId, const Text& indexId) {
  return bookMgr_->isBookMemoExist(bookId, indexId);
}

std::optional<std::vector<std::shared_ptr<BookSearchResult>>> DataEngine::searchInChapterOrSection(
    const Text& bookId, const Text& chapterId, const Text& sectionId, const Text& keyWord) {
  return bookMgr_->searchInChapterOrSection(bookId, chapterId, sectionId, keyWord);
}

void DataEngine::calibratePage(const Text& bookId, int32_t pages,
                               const std::optional<std::vector<std::string>>& originalIds,
                               const std::optional<std::vector<int32_t>>& startPages,
                               int32_t fontSize, bool landscape) {
  bookMgr_->calibratePage(bookId, pages, originalIds, startPages, fontSize, landscape);
}

void DataEngine::setBookPageInfo(const Text& bookId, const Text& sectionId,
                                 int32_t landscapePages, int32_t portraitPages, bool landscape) {
  bookMgr_->setBookPageInfo(bookId, sectionId, landscapePages, portraitPages, landscape);
}

int32_t DataEngine::calculatePageMapping(const Text& bookId, const Text& mappingSectionId,
                                         int32_t page, int32_t fromFontSize, int32_t toFontSize,
                                         bool fromLandscape, bool toLandscape) {
  return bookMgr_->calculatePageMapping(bookId, mappingSectionId, page, fromFontSize, toFontSize,
                                        fromLandscape, toLandscape);
}

DataEngine::Text DataEngine::getNextSectionIdForThisPage(const Text& bookId, int32_t page,
                                                         int32_t fontSize, bool landscape) {
  return bookMgr_->getNextSectionIdForThisPage(bookId, page, fontSize, landscape);
}

DataEngine::Text DataEngine::getPrevSectionIdForThisPage(const Text& bookId, int32_t page,
                                                         int32_t fontSize, bool landscape) {
  return bookMgr_->getPrevSectionIdForThisPage(bookId, page, fontSize, landscape);
}

std::string DataEngine::buildBookSnapshotUrl(const std::string& bookId, int fontSize,
                                             bool landscape) {
  return "booksnapshot:bookid" + bookId + "_fontSize=" + std::to_string(fontSize) +
         "_landscape=" + (landscape ? "1" : "0") + "_user=" + getUsername();
}

bool DataEngine::setBookSnapshot(const std::string& bookId, int fontSize, bool landscape,
                                 const std::shared_ptr<ui::Image>& snapshot) {
  if (!snapshot) return false;
  auto images = HttpDataEngine::sharedInstance()->imageCache();
  if (!images) return false;
  auto png = snapshot->pngData();
  return png && images->save(buildBookSnapshotUrl(bookId, fontSize, landscape), *png);
}

std::shared_ptr<ui::Image> DataEngine::getBookSnapshot(const std::string& bookId, int fontSize,
                                                       bool landscape) {
  auto images = HttpDataEngine::sharedInstance()->imageCache();
  if (!images) return nullptr;
  auto bytes = images->load(buildBookSnapshotUrl(bookId, fontSize, landscape));
  return bytes ? ui::Image::fromData(*bytes) : nullptr;
}

void DataEngine::deleteBookSnapshot(const std::string& bookId, int fontSize, bool landscape) {
  if (auto images = HttpDataEngine::sharedInstance()->imageCache()) {
    images->deleteFile(buildBookSnapshotUrl(bookId, fontSize, landscape));
  }
}

void DataEngine::deleteBookAllSnapshots(const std::string& bookId) {
  const int64_t start = Clock::get()->nowMillis();
  for (int size = 0; size <= kLargestSnapshotFontSize; ++size) {
    deleteBookSnapshot(bookId, size, true);
    deleteBookSnapshot(bookId, size, false);
  }
  std::printf("%s cost %lld\n", "deleteBookAllSnapshots",
              static_cast<long long>(Clock::get()->nowMillis() - start));
}

// ---- Covers, portraits, fonts, search --------------------------------------------------------

std::vector<std::shared_ptr<ProgramCover>> DataEngine::getProgramCovers() {
  std::vector<std::shared_ptr<ProgramCover>> covers;
  covers.reserve(32);
  const std::string folder = CommInfo::getProgramCoverDir();
  for (int i = 0;; ++i) {
    auto cover = std::make_shared<ProgramCover>();
    if (auto info = DESettings::getProgramCoverInfo(i)) {
      auto text = [&](const char* key) -> Text {
        const Value* v = info->find(key);
        return v ? v->stringValue() : std::nullopt;
      };
      auto number = [&](const char* key) -> int64_t {
        const Value* v = info->find(key);
        return v ? v->intValue() : 0;
      };
      cover->setTitle(text("title"));
      cover->setDescription(text("description"));
      cover->setSource(text("source"));
      cover->setUpdated(number("updated"));
      cover->setDuration(static_cast<int32_t>(number("duration")));
    }
    const std::string base = folder + std::to_string(i);
    bool any = false;
    if (fileExists(base + "_large")) cover->setLargeCoverPath(base + "_large"), any = true;
    if (fileExists(base + "_portrait")) cover->setPortraitCoverPath(base + "_portrait"), any = true;
    if (fileExists(base + "_landscape")) {
      cover->setLandscapeCoverPath(base + "_landscape");
      any = true;
    }
    if (!any) break;
    covers.push_back(std::move(cover));
  }
  if (covers.empty()) {
    if (auto bundle = Bundle::mainBundle()) {
      for (int i = 0;; ++i) {
        auto path = bundle->pathForResource(std::to_string(i) + "_large", "");
        if (!path) break;
        auto cover = std::make_shared<ProgramCover>();
        cover->setLargeCoverPath(path->string());
        covers.push_back(std::move(cover));
      }
    }
  }
  setProgramCoversChanged(false);
  asyncRunTask(std::make_shared<DownloadProgramCoversTask>());
  return covers;
}

bool DataEngine::isProgramCoversChanged() { return customText(kProgramCoverChangedKey) == "true"; }

void DataEngine::setProgramCoversChanged(bool changed) {
  CommInfo::setCustomKey(kProgramCoverChangedKey, Value(std::string(changed ? "true" : "false")));
}

std::vector<std::string> DataEngine::getCustomPortraits() {
  std::vector<std::string> paths;
  for (const auto& path : FileUtil::listFolder(CommInfo::getCustomPortraitDir())) {
    paths.push_back(path.string());
  }
  return paths;
}

DataEngine::Text DataEngine::addCustomPortrait(const Bytes& png) {
  const std::string folder = CommInfo::getCustomPortraitDir();
  const std::string name = std::to_string(DateUtil::currentTimeMillis()) + ".png";
  const std::optional<FolderHandle> handle = FolderHandle::openReal(folder);
  if (!handle || !handle->writeFileAtomically(name, png)) return std::nullopt;
  return folder + name;
}

void DataEngine::delCustomPortrait(const Text& path) {
  if (!path) return;
  std::error_code ec;
  fs::remove(*path, ec);
}

std::string DataEngine::getFontPath(const std::string& fontName) {
  std::string name = fontName == "宋体" ? "STSong" : fontName;
  // Font names come from the service's font list: a separator must not lead the file (or the
  // download written beside it) out of the fonts folder.
  std::replace(name.begin(), name.end(), '/', '_');
  return CommInfo::getFontsDir() + name + ".ttf";
}

std::string DataEngine::getFontTempPath(const std::string& fontName) {
  return getFontPath(fontName) + ".temp";
}

bool DataEngine::isFontDownloaded(const Text& fontName) {
  return fontName && fileExists(getFontPath(*fontName));
}

bool DataEngine::isFontDownloadImcompleted(const Text& fontName) {
  return fontName && fileExists(getFontTempPath(*fontName));
}

DataEngine::Text DataEngine::getSearchEngineUrlWithKeywords(const std::string& words) {
  auto urls = gUrlManager();
  Text address = urls ? urls->searchEngineUrl() : std::nullopt;
  if (!address) return std::nullopt;
  return replaceSearchTerms(*address, words);
}

std::string DataEngine::replaceSearchTerms(std::string url, const std::string& words) {
  const std::string encoded = UrlEncode::encode(words);
  const std::string token = kSearchTermsToken;
  for (size_t at = url.find(token); at != std::string::npos;
       at = url.find(token, at + encoded.size())) {
    url.replace(at, token.size(), encoded);
  }
  return url;
}

DataEngine::Text DataEngine::getSearchEngineUrlWithKeywords(const std::string& words,
                                                            const Text& from) {
  Text url = getSearchEngineUrlWithKeywords(words);
  if (!url) return std::nullopt;
  std::string source = "baidu";
  if (from && (*from == "wikipedia" || *from == "wenvar")) source = *from;
  return *url + "from=" + source;
}

std::shared_ptr<VeskAppRecommend> DataEngine::getAppRecommend() {
  auto xml = DESettings::getRecommendAppXml();
  return xml ? VESKAtomParser::allocParseVeskAppRecommend(*xml) : nullptr;
}

int64_t DataEngine::getNormalCacheSize() {
  auto manager = FileCacheManager::globalInstance();
  return manager ? manager->getCacheSizeWithItemType(0) : 0;
}

int64_t DataEngine::getOffdownCacheSize() {
  auto manager = FileCacheManager::globalInstance();
  return manager ? manager->getCacheSizeWithItemType(1) : 0;
}

int64_t DataEngine::getCacheSize() {
  const int64_t normal = getNormalCacheSize();
  const int64_t offline = getOffdownCacheSize();
  const int64_t total = normal + offline;
  std::printf("total cache size %lldm, normal size %lldK, offline download size %lldK\n",
              static_cast<long long>(total / (1024 * 1024)),
              static_cast<long long>(normal / 1024), static_cast<long long>(offline / 1024));
  return total;
}

bool DataEngine::isCacheCleaning() {
  auto manager = FileCacheManager::globalInstance();
  return manager && manager->isCleaning();
}

// ---- Background ------------------------------------------------------------------------------

bool DataEngine::needBackgroundRunning() {
  return OfflineDownColumnBatchTask::isRunning() || isCacheCleaning();
}

bool DataEngine::isBackgroundTaskActive() const {
  std::lock_guard guard(bgLock_);
  return bgTask_ != Application::kInvalidBackgroundTask;
}

void DataEngine::applicationDidEnterBackground() {
  if (auto manager = FileCacheManager::globalInstance()) manager->flush();
  if (!DeviceProfile::isMultitaskingSupported() || isBackgroundTaskActive() ||
      !needBackgroundRunning()) {
    return;
  }
  std::shared_ptr<RunLoop> loop = backgroundLoop();
  Application::BackgroundTaskId id;
  {
    std::lock_guard guard(bgLock_);
    id = Application::beginBackgroundTask([this] {
      std::lock_guard inner(bgLock_);
      std::printf("background task %llu ExpirationHandler fired remaining time %d.\n",
                  static_cast<unsigned long long>(bgTask_),
                  static_cast<int>(Application::backgroundTimeRemaining()));
    });
    bgTask_ = id;
  }
  std::weak_ptr<DataEngine> weak = weak_from_this();
  loop->post([weak, id] {
    std::printf("background task %llu start time %d.\n", static_cast<unsigned long long>(id),
                static_cast<int>(Application::backgroundTimeRemaining()));
    if (auto self = weak.lock()) self->backgroundTick();
  });
}

std::shared_ptr<RunLoop> DataEngine::backgroundLoop() {
  std::lock_guard guard(bgLock_);
  if (!bgThread_) bgThread_ = Thread::start("DataEngine background");
  return bgThread_->runLoop();
}

void DataEngine::backgroundTick() {
  const bool keepGoing = Application::applicationState() == Application::State::kBackground &&
                         isBackgroundTaskActive() && needBackgroundRunning() &&
                         Application::backgroundTimeRemaining() > kKeepAliveReserve;
  if (!keepGoing) {
    endBackgroundTask();
    return;
  }
  std::weak_ptr<DataEngine> weak = weak_from_this();
  RunLoop::current()->postDelayed(kKeepAlivePeriod, [weak] {
    if (auto self = weak.lock()) self->backgroundTick();
  });
}

void DataEngine::endBackgroundTask() {
  Application::BackgroundTaskId id;
  {
    std::lock_guard guard(bgLock_);
    id = bgTask_;
    bgTask_ = Application::kInvalidBackgroundTask;
  }
  if (id == Application::kInvalidBackgroundTask) return;
  std::printf("background task %llu finished.\n", static_cast<unsigned long long>(id));
  Application::endBackgroundTask(id);
}

// ---- Usage reports ---------------------------------------------------------------------------

std::optional<std::array<uint8_t, 4>> DataEngine::getMid() {
  auto bundle = Bundle::mainBundle();
  if (!bundle) return std::nullopt;
  auto path = bundle->pathForResource(kMidResource, "");
  if (!path) return std::nullopt;
  auto data = FileUtil::readFile(*path);
  if (!data || data->size() < kMidMinimumSize) return std::nullopt;
  return std::array<uint8_t, 4>{(*data)[20], (*data)[19], (*data)[18], (*data)[17]};
}

std::string DataEngine::getMidStr(const std::array<uint8_t, 4>& mid) {
  char text[9];
  std::snprintf(text, sizeof text, "%.2x%.2x%.2x%.2x", mid[0], mid[1], mid[2], mid[3]);
  return text;
}

std::string DataEngine::getXmidStr(const std::array<uint8_t, 4>& mid,
                                   const std::string& deviceId) {
  const uint8_t key = deviceId.empty() ? 48 : static_cast<uint8_t>(deviceId.back());
  return getMidStr({static_cast<uint8_t>(mid[0] ^ key), static_cast<uint8_t>(mid[1] ^ key),
                    static_cast<uint8_t>(mid[2] ^ key), static_cast<uint8_t>(mid[3] ^ key)});
}

uint32_t DataEngine::getMidInDecimal(const std::array<uint8_t, 4>& mid) {
  return (uint32_t{mid[0]} << 24) | (uint32_t{mid[1]} << 16) | (uint32_t{mid[2]} << 8) |
         uint32_t{mid[3]};
}

bool DataEngine::needReportInstall(const Text& midStr) {
  Text last = customTextOrNone(kLastReportMidKey);
  return !last || *last != midStr.value_or(kNoMid);
}

std::string DataEngine::statisticsReportUrl(const std::string& method, bool withGuestAccount,
                                            const std::string& extra) {
  std::string url = UrlManager::statisticsAddress() + "?method=" + UrlEncode::encode(method);
  if (withGuestAccount || !isAnonymous()) url += "&account=" + UrlEncode::encode(getUsername());
  std::string version;
  if (auto bundle = Bundle::mainBundle()) version = bundle->info("CFBundleVersion").value_or("");
  url += "&ver=" + UrlEncode::encode(version);
  url += "&id=" + UrlEncode::encode(DeviceProfile::uniqueIdentifier());
  url += "&os=" + UrlEncode::encode(DeviceProfile::model());
  url += "&os_version=" + UrlEncode::encode(DeviceProfile::systemVersion());
  url += "&product=";
  url += vocab::kProductToken;
  return url + extra;
}

// ---- Task factories --------------------------------------------------------------------------

std::shared_ptr<Task> DataEngine::createErrorTask(int errCode) {
  return std::make_shared<ErrorTask>(errCode);
}

int DataEngine::microblogCredentials(const std::shared_ptr<VeskCustomization>& customization,
                                     bool microblogOnly, std::optional<MicroblogCredentials>* out) {
  out->reset();
  if (!customization || !customization->isMBlogType()) {
    return microblogOnly ? kErrInvalidArg : kErrOk;
  }
  auto client =
      OpenPlatformFactory::instance().getOpenPlatformInstance(customization->getOpenPlatformType());
  if (!client) return kErrBadState;
  const PlatformAccountInfo& account = client->accountInfo();
  if (!account.accessToken || account.accessToken->empty() || !account.secret ||
      account.secret->empty()) {
    return kErrBadState;
  }
  *out = MicroblogCredentials{*account.accessToken, *account.secret};
  return kErrOk;
}

bool DataEngine::favoritesUseService() {
  return !isAnonymous() && Reachability::reachabilityForInternetConnection()
                                   ->currentReachabilityStatus() != Reachability::kNotReachable;
}

DataEngine::Text DataEngine::createUserInfoUrl(const Text& username) {
  auto urls = gUrlManager();
  Text base = urls ? urls->getUserInfoUrl() : std::nullopt;
  if (!base) return std::nullopt;
  return *base + "?username=" + UrlEncode::encode(username.value_or(getUsername()));
}

bool DataEngine::isGuestFavoriteColumn(const std::shared_ptr<Column>& column) {
  return column && column->alternatelink() &&
         column->alternatelink()->type() == EntryPersistenter::kLocalLinkType;
}

std::shared_ptr<Column> DataEngine::createFavoriteColumn() {
  auto column = std::make_shared<Column>();
  column->setTitle(std::string(kFavoriteColumnTitle));
  column->setIsFavoriteColumn(true);
  auto link = std::make_shared<Link>();
  link->setRel(std::string(vocab::kRelAlternate));
  if (isAnonymous()) {
    link->setType(std::string(EntryPersistenter::kLocalLinkType));
  } else if (auto urls = gUrlManager()) {
    link->setHref(urls->getFavoriteUrl());
  }
  column->setAlternatelink(link);
  return column;
}

std::string DataEngine::sharingTargetName(int sharingType) {
  static const char* const kNames[] = {"zelvanemblog", "sinamblog", "qqmblog", "sohumblog",
                                       "douban",       "renren",    "kaixin"};
  if (sharingType >= 0 && sharingType < 7) return kNames[sharingType];
  if (sharingType == 20) return "mail";
  return "null";
}

}  // namespace zu
