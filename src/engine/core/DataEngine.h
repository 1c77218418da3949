// DataEngine: the screens' only door to data. One instance (gDataEngine()) lives between
// initGlobalInstance() and uninitGlobalInstance(), which start and stop the engine's singletons
// in a fixed order. It owns the subscription and favourite stores and the column, unique and
// link caches, holds the current user (the guest "wayfarers" until a login) and switches users,
// keeps the application observer, creates tasks (the create... factories) and hands them to the
// task engine, and keeps some shared state: images being downloaded, column refresh times,
// start-up covers, custom portraits, font paths, the search address, the distribution id of the
// statistics reports, and the background keep-alive.
//
// The open platforms are reached through OpenPlatformFactory. Factories exist for the task
// classes that exist; each task family adds its own.
//
// Threads: called mostly on the main thread; tasks on the "task" thread call back for stores,
// caches, the observer and the in-flight sets, which lock themselves. The user fields are
// written only after every task was cancelled. The background keep-alive and the rewriting of
// microblog columns after an unbinding run on a thread of the engine ("DataEngine background").
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/device/Application.h"
#include "platform/runtime/Value.h"

namespace zu {

class BookCatalog;
class BookMemo;
class BookMgr;
class BookReadInfo;
class BookSearchResult;
class Bookmark;
class Column;
class ColumnCache;
class DataEngineObserver;
class Entry;
class EntryPersistenter;
class Feed;
class Link;
class LinkCache;
class NewsDetail;
class ProgramCover;
class RunLoop;
class Task;
class Thread;
class UniqueCache;
class UserInfo;
class VeskAppRecommend;
class VeskCustomization;
namespace ui {
class Image;
}

class DataEngine : public std::enable_shared_from_this<DataEngine> {
 public:
  using Text = std::optional<std::string>;

  // The name (and password) of a reader who has not logged in.
  static constexpr const char* kGuestUserName = "wayfarers";
  // Custom keys the facade keeps.
  static constexpr const char* kLastLoginUsernameKey = "LastLoginUsername";
  static constexpr const char* kLastLoginPasswordKey = "LastLoginPassword";
  static constexpr const char* kProgramCoverChangedKey = "ProgramCoverChanged";
  static constexpr const char* kEverGetRecommendKey = "EverGetRecommendColunmn";
  static constexpr const char* kFavoriteNewsCountKey = "FavoriteNewsCount";
  static constexpr const char* kLastReportMidKey = "LastReportMid";
  // What "LastReportMid" holds when the build has no distribution id.
  static constexpr const char* kNoMid = "ZelvaneMid";
  // The bundle resource holding the distribution id in bytes 17..20.
  static constexpr const char* kMidResource = "nofile.mid";

  // ---- Lifecycle ---------------------------------------------------------------------------
  // Start-up, after the log is opened: CommInfo, the file cache manager, the HTTP engine
  // manager and the task engine (its thread starts), the service's HTTP result parser, the
  // read-status store, the URL table, then gDataEngine; logs the distribution id ("mid:%u" or
  // "mid读取失败") and fills missing device ids.
  static void initGlobalInstance();
  // Shut-down: the task engine (cancelling its tasks), gDataEngine, the URL table, the
  // read-status store, the HTTP engine manager, the file cache manager, CommInfo.
  static void uninitGlobalInstance();

  // Opens the stores and caches, installs the link cache as the shared URL cache, makes the
  // guest current and runs the upgrade clean-up. Use initGlobalInstance().
  DataEngine();
  ~DataEngine();
  DataEngine(const DataEngine&) = delete;
  DataEngine& operator=(const DataEngine&) = delete;

  // Compares the last run version with the bundle's; after an upgrade from an old version it
  // removes the log files and cover folder older versions kept in Library/. Records the
  // bundle's version as the last run one.
  void checkAppUpgrade();

  std::shared_ptr<DataEngineObserver> getObserver() const;
  const std::shared_ptr<EntryPersistenter>& getSubPersist() const { return subPersist_; }
  const std::shared_ptr<EntryPersistenter>& getFavPersist() const { return favPersist_; }
  const std::shared_ptr<ColumnCache>& getColumnCache() const { return columnCache_; }
  const std::shared_ptr<UniqueCache>& getUniqueCache() const { return uniqueCache_; }
  const std::shared_ptr<LinkCache>& getLinkCache() const { return linkCache_; }
  // The book manager over the subscription store; also the catalogue parser's section source.
  const std::shared_ptr<BookMgr>& getBookMgr() const { return bookMgr_; }

  // ---- Observer and tasks ------------------------------------------------------------------
  // Keeps the observer and makes it the task engine's finish observer as well.
  void setObserver(std::shared_ptr<DataEngineObserver> observer);
  void asyncRunTask(const std::shared_ptr<Task>& task);
  void asyncCancelTask(const std::shared_ptr<Task>& task);

  // ---- Users -------------------------------------------------------------------------------
  // Switches to a user (name lower-cased): cancels every task first, then switches the stores;
  // a user new to this device (no read-status database yet) is a first login and gets the
  // guest's favourites and bound accounts; then the deletions and favourites kept here go to
  // the service and the start-up covers are refreshed. Both must be given and the name usable
  // as a folder ("setUsername invalid argument" otherwise).
  void setUsername(const Text& username, const Text& password);
  // Stores the pair here and in CommInfo, switches the read-status store and, for a real
  // user, remembers the pair as the last login.
  void setUsernameInner(const std::string& username, const std::string& password);
  // Cancels every task, goes back to the guest, forgets all cookies and resets the platforms.
  void logout();
  bool isAnonymous() const;
  // A name that can stand as one folder and file-name part: not empty, ".", "..", nor longer
  // than a file name may be, nor holding '/' or a NUL. Every user's stores and caches live in
  // folders named after the user (an empty name would be the folder of them all; one too long
  // cannot be made, and the status store would stay the previous user's). Nor may it hold the
  // separator of the saved entries' row keys (EntryPersistenter::kRowKeySeparator), nor begin
  // with the separator's character: the key of entry "a" for user "-b" would be that of entry
  // "a-" for user "b".
  static bool isUsableUsername(std::string_view username);
  static constexpr size_t kMaxUsernameBytes = 255;
  std::string getUsername() const;
  bool isUserFirstLogin() const;
  Text getLastLoginUsername() const;
  Text getLastLoginPassword() const;
  void clearLastLoginUsernamePassword();
  // The profile kept in the unique cache for the current user, or null.
  std::shared_ptr<UserInfo> getLoginUserInfo();
  // Every favourite of the guest, in reverse store order, as an add-or-update subscription
  // document (what a first login sends to the add-favourite endpoint); nullopt when none.
  std::optional<Bytes> guestFavoriteNewsDocument();
  // At a first login the guest's favourites (that document) go up to the new account (a
  // SyncGuestFavoriteNewsTask); the guest's rows stay. Should that upload fail, they become the
  // account's own favourites kept here, which the next upload of those carries.
  void syncGuestFavoriteNewsToUser();
  // The favourites the current user kept in the local store while offline (the same document
  // of all the user's rows) go up to the service (a SyncOfflineAddedFavoriteNewsTask); nothing
  // happens when there are none.
  void syncAccountOfflineFavoriteNewsToServer();

  // ---- Columns and entries ----------------------------------------------------------------
  // Stores the new order; for a user also records the time of this local change.
  void updateSubscribedColumnsOrder(const std::vector<std::shared_ptr<Entry>>& order);
  // The guest's column is deleted at once; a user's is only marked deleted, so that a later
  // sync removes it on the server. A book column also loses its book and page snapshots.
  void markColumnDeleted(const std::shared_ptr<Column>& column);
  // When columns wait with the deleted mark, a SyncDeleteStatusTask tells the service.
  void syncColumnDeleteStatusToServer();
  // The column's latest summary id becomes its latest shown one.
  void markColumnShowed(const std::shared_ptr<Column>& column);
  void markNewsRead(const Text& entryId);
  // The stored column; a microblog column whose platform is not authorised gets the unbound
  // placeholder, any other its cover images from the column cache and a subscribed mark.
  std::shared_ptr<Column> getColumnFromLocal(const Text& columnId);
  // The column's kept first page with the local read marks (null without an alternate link or
  // a kept page); a background refresh of the column starts in every case.
  std::shared_ptr<Feed> getColumnFirstPageNewsSummary(const std::shared_ptr<Column>& column);
  // Platform 0 and 1: placeholder text and the bundle's default images; others unchanged.
  void setUnauthorizedWeiboColumnData(const std::shared_ptr<Column>& column, int platform);
  // When a column (its id, or "fav" for the favourites) was last refreshed: a date in seconds
  // since 1970 with a fraction, as Clock::now() gives it. The home grid and the article list
  // write it and the list reads it, all in this one unit. Memory only; a nil key stores nothing
  // and reads nothing. A time too late to be seconds of a date the calendar shows (after the
  // year 9999) can only have been given in milliseconds, and is kept as the date it meant.
  std::optional<double> getColumnRefreshTime(const Text& columnKey);
  void setColumnRefreshTime(const Text& columnKey, double secondsSince1970);
  void setAllColumnOfflineDownload(bool on);
  void setColumnOfflineDownload(const Text& columnId, bool on);
  bool isColumnOfflineDownloadOn(const Text& columnId);
  int getOfflineDownloadColumnCount();
  // The guest counts the favourites store; a user reads the kept count.
  int64_t getFavoriteNewsCount();
  void setFavoriteNewsCount(int64_t count);
  bool needGetRecommend();
  void setEverGetRecommend(bool ever);

  // ---- Images in flight --------------------------------------------------------------------
  void addDownloadingImageUrl(const Text& url);
  void removeDownloadingImageUrl(const Text& url);
  void addDownloadingImageUrlWithArray(const std::vector<std::string>& urls);
  void removeDownloadingImageUrlWithArray(const std::vector<std::string>& urls);
  bool isImageDownloading(const Text& url);
  void addDownloadingBookId(const std::string& bookId);
  void removeDownloadingBookId(const std::string& bookId);
  bool isBookDownloading(const std::string& bookId);
  Text getImageLocalPath(const Text& url);
  // Image downloads into the image cache (made in tasks/ImageTaskFactories.cpp): each image is
  // reported to the facade's observer, or only to `observer`, which also hears the finish (the
  // task is then muted). -7 for a missing URL, list or observer.
  std::shared_ptr<Task> createDownloadImageTask(const Text& url);
  std::shared_ptr<Task> createDownloadImageTask(const Text& url,
                                                const std::shared_ptr<DataEngineObserver>& observer);
  std::shared_ptr<Task> createDownloadImageBatchTask(
      const std::optional<std::vector<std::string>>& urls);

  // ---- Books -------------------------------------------------------------------------------
  // A package file exists for the book.
  bool isBookDownloaded(const Text& bookId);
  // The stored update time of the column's book differs from the one the column carries.
  bool bookHaveUpdates(const std::shared_ptr<Column>& column);
  // The stored reading position, or the start of the first chapter's first section.
  std::shared_ptr<BookReadInfo> getBookReadInfo(const Text& bookId, int32_t fontSize,
                                                bool isPreview);
  void saveBookReadInfo(const std::shared_ptr<BookReadInfo>& readInfo, const Text& bookId,
                        bool isPreview);
  int32_t getBookReadProcessPercent(const Text& bookId, bool isPreview);
  std::string getBookEpubPath(const std::string& bookId);
  std::string getBookOPSDirectory(const std::string& bookId);
  Text getBookSectionHtmlFilePath(const Text& bookId, const Text& chapterId,
                                  const Text& sectionId);
  bool saveBookSectionHtml(const Text& bookId, const Text& chapterId, const Text& sectionId,
                           const Text& html);
  std::shared_ptr<BookCatalog> getBookCatalog(const Text& bookId);
  std::shared_ptr<BookCatalog> getBookCatalogOriginal(const Text& bookId);
  bool setBookmark(const std::shared_ptr<Bookmark>& bookmark, const Text& bookId);
  std::vector<std::shared_ptr<Bookmark>> getBookmarkInBook(const Text& bookId, int32_t fontSize);
  bool deleteBookmark(const Text& bookId, const Text& indexId);
  void deleteBookmark(const Text& bookId, int32_t page, int32_t fontSize, bool landscape);
  bool setBookMemo(const std::shared_ptr<BookMemo>& memo, const Text& bookId, const Text& indexId,
                   int32_t color);
  // Wraps the text in a memo of the section (no book id), as the reading screen saves it.
  bool setBookMemo(const Text& sectionId, const Text& memo, const Text& indexId, int32_t color);
  std::vector<std::shared_ptr<BookMemo>> getBookMemoInBook(const Text& bookId, int32_t fontSize);
  bool deleteBookMemo(const Text& bookId, const Text& indexId);
  bool isBookMemoExist(const Text& bookId, const Text& indexId);
  std::optional<std::vector<std::shared_ptr<BookSearchResult>>> searchInChapterOrSection(
      const Text& bookId, const Text& chapterId, const Text& sectionId, const Text& keyWord);
  void calibratePage(const Text& bookId, int32_t pages,
                     const std::optional<std::vector<std::string>>& originalIds,
                     const std::optional<std::vector<int32_t>>& startPages, int32_t fontSize,
                     bool landscape);
  void setBookPageInfo(const Text& bookId, const Text& sectionId, int32_t landscapePages,
                       int32_t portraitPages, bool landscape);
  int32_t calculatePageMapping(const Text& bookId, const Text& mappingSectionId, int32_t page,
                               int32_t fromFontSize, int32_t toFontSize, bool fromLandscape,
                               bool toLandscape);
  Text getNextSectionIdForThisPage(const Text& bookId, int32_t page, int32_t fontSize,
                                   bool landscape);
  Text getPrevSectionIdForThisPage(const Text& bookId, int32_t page, int32_t fontSize,
                                   bool landscape);
  // Book downloads (made in tasks/BookTaskFactories.cpp): a book's detail feed (-7 without a
  // link address), the whole book, its sections brought up to date, its preview sections.
  std::shared_ptr<Task> createGetBookDetailInfoTask(const std::shared_ptr<Link>& link);
  std::shared_ptr<Task> createDownloadBookTask(const std::shared_ptr<Column>& column);
  std::shared_ptr<Task> createDownloadBookUpdatesTask(const std::shared_ptr<Column>& column);
  std::shared_ptr<Task> createGetBookPreviewTask(const std::shared_ptr<Column>& column);
  // A book's reviews: the list at the link's address (read as article summaries of no column,
  // nothing kept) and one review (read as an article); -7 without a link address.
  std::shared_ptr<Task> createGetBookReviewSummaryTask(const std::shared_ptr<Link>& link);
  std::shared_ptr<Task> createGetBookReviewDetailTask(const std::shared_ptr<Link>& link);
  // Starts the refresh of the book reader's fixed style sheets and scripts.
  void updateBookCssJsLinks();
  // Page snapshots live in the image cache under
  // "booksnapshot:bookid<id>_fontSize=<n>_landscape=<0|1>_user=<user>", as PNG (lossless, so
  // a snapshot shows the page exactly as it was drawn).
  std::string buildBookSnapshotUrl(const std::string& bookId, int fontSize, bool landscape);
  // False when there is no image, it cannot be encoded or the cache does not take it.
  bool setBookSnapshot(const std::string& bookId, int fontSize, bool landscape,
                       const std::shared_ptr<ui::Image>& snapshot);
  // The kept snapshot, or null (none kept, or its bytes do not decode).
  std::shared_ptr<ui::Image> getBookSnapshot(const std::string& bookId, int fontSize,
                                             bool landscape);
  void deleteBookSnapshot(const std::string& bookId, int fontSize, bool landscape);
  // Both orientations of every font size 0 to 10.
  void deleteBookAllSnapshots(const std::string& bookId);

  // ---- Covers, portraits, fonts, search ----------------------------------------------------
  // Downloaded covers (described by the engine settings), else the bundle's "0_large",
  // "1_large", ...; marks the covers seen and starts a cover refresh.
  std::vector<std::shared_ptr<ProgramCover>> getProgramCovers();
  bool isProgramCoversChanged();
  void setProgramCoversChanged(bool changed);
  std::vector<std::string> getCustomPortraits();
  // Writes PNG bytes as "<portrait folder><now ms>.png"; the path, or nullopt.
  Text addCustomPortrait(const Bytes& png);
  void delCustomPortrait(const Text& path);
  // "<fonts folder><name>.ttf" ("宋体" is "STSong"); a '/' in the name becomes '_'.
  std::string getFontPath(const std::string& fontName);
  std::string getFontTempPath(const std::string& fontName);
  bool isFontDownloaded(const Text& fontName);
  bool isFontDownloadImcompleted(const Text& fontName);
  // The search-engine address with "{searchTerms}" replaced by the URL-encoded words; the
  // second form appends "from=<source>" ("baidu", "wikipedia" or "wenvar"; others "baidu").
  Text getSearchEngineUrlWithKeywords(const std::string& words);
  Text getSearchEngineUrlWithKeywords(const std::string& words, const Text& from);
  std::shared_ptr<VeskAppRecommend> getAppRecommend();
  // Info, fonts, feedback and advertisements (made in tasks/InfoTaskFactories.cpp). getInfo
  // starts the notice check (update and message notices, recommended apps).
  void getInfo();
  // One font pack into the fonts folder (-7 without a name).
  std::shared_ptr<Task> createDownloadFontTask(const Text& fontName);
  // Feedback from the current user to the feedback host, with the file (the zipped log)
  // uploaded first when one is given; an empty title or content is sent as "无".
  std::shared_ptr<Task> createFeedbackTask(const Text& title, const Text& content,
                                           const Text& filePath, const Text& contact);
  std::shared_ptr<Task> createGetAdvertisementsTask(const Text& url);
  // What identifies the product to the feedback host (with the product token "VESK").
  static constexpr int kFeedbackProductId = 11001;
  static constexpr int kFeedbackId = 16029;
  int64_t getNormalCacheSize();
  int64_t getOffdownCacheSize();
  int64_t getCacheSize();
  bool isCacheCleaning();

  // ---- Background --------------------------------------------------------------------------
  // True while an offline download runs or the file cache is cleaning.
  bool needBackgroundRunning();
  // Flushes the file caches; then, when background work is running, keeps the application
  // alive in the background (checked once a second) until it is done, the application is
  // active again or no more than ten seconds of background time remain.
  void applicationDidEnterBackground();
  bool isBackgroundTaskActive() const;

  // ---- Usage reports -----------------------------------------------------------------------
  // The distribution id: bytes 20, 19, 18, 17 of "nofile.mid" (at least 21 bytes long).
  static std::optional<std::array<uint8_t, 4>> getMid();
  static std::string getMidStr(const std::array<uint8_t, 4>& mid);
  static std::string getXmidStr(const std::array<uint8_t, 4>& mid, const std::string& deviceId);
  static uint32_t getMidInDecimal(const std::array<uint8_t, 4>& mid);
  // True when "LastReportMid" is unset or differs from the id text (or "ZelvaneMid").
  static bool needReportInstall(const Text& midStr);
  // The statistics query: "<stat address>?method=<method>&account=...&ver=...&id=...&os=...
  // &os_version=...&product=VESK" plus `extra` ("&link=..." / "&xmid=..."); the account is
  // left out when `withGuestAccount` is false and the reader is the guest.
  std::string statisticsReportUrl(const std::string& method, bool withGuestAccount,
                                  const std::string& extra);
  // The reports themselves (made in tasks/ReportFactories.cpp), each one muted ReportTask started
  // and forgotten: the login ("login"), the article's source page opened ("openlink", the
  // guest's account left out; nothing for a missing link), the install ("openmid" with the
  // scrambled distribution id, sent only while "LastReportMid" differs from the id text,
  // which it then becomes) and the offline download's result (a document posted to the URL
  // table's statistics address: 1 for code 0, 2 for a cancel, 3 otherwise).
  void reportLogin();
  void reportOpenOriginalPage(const Text& link);
  void checkAndReportInstall();
  void reportOfflineDownload(const std::vector<std::shared_ptr<Column>>& columns, int errCode);

  // ---- Task factories ----------------------------------------------------------------------
  std::shared_ptr<Task> createErrorTask(int errCode);

  // Login and columns (made beside their tasks, in tasks/ColumnTaskFactories.cpp).
  // Cancels every running task first, then a LoginTask for the lower-cased name; -7 (and no
  // cancelling) when either is missing.
  std::shared_ptr<Task> createLoginTask(const Text& username, const Text& password,
                                        bool forceServerAuth);
  std::shared_ptr<Task> createGetSubscribedColumnsTask(bool loadImageData);
  // A foreground refresh of the column as the subscription store holds it.
  std::shared_ptr<Task> createUpdateColumnTask(const std::shared_ptr<Column>& column);
  std::shared_ptr<Task> createUpdateColumnBatchTask(
      const std::vector<std::shared_ptr<Column>>& columns);
  // The list at the link's address (the catalogue without one).
  std::shared_ptr<Task> createGetServerColumnsTask(
      const std::shared_ptr<Link>& link,
      const std::shared_ptr<VeskCustomization>& customization = nullptr);
  // -7 for a column with neither id nor customization; the name defaults to the title.
  std::shared_ptr<Task> createAddSubscribedColumnTask(const std::shared_ptr<Column>& column,
                                                      const Text& customColumnName);
  // The link's address with "{searchTerms}" replaced by the encoded words; -7 without link,
  // address or words. The entry kind is not used.
  std::shared_ptr<Task> createSearchTask(
      const std::shared_ptr<Link>& link, const Text& keyWords, int entryType,
      const std::shared_ptr<VeskCustomization>& customization = nullptr);

  // Account sync (tasks/SyncTaskFactories.cpp): first starts the refresh of the book reader's
  // style sheets and scripts; then the guest's sync for the guest, the account's for a user.
  std::shared_ptr<Task> createSyncAccountDataTask();

  // The rules the factories share.
  struct MicroblogCredentials {
    std::string accessToken;
    std::string secret;
  };
  // For a microblog customization: 0 with the bound account's token and secret in `out`, or
  // -8 when the account lacks either. For any other
  // customization (or none): -7 when `microblogOnly`, else 0 with `out` left empty.
  int microblogCredentials(const std::shared_ptr<VeskCustomization>& customization,
                           bool microblogOnly, std::optional<MicroblogCredentials>* out);
  // Favourites talk to the service for a logged-in user whose network is reachable; the guest,
  // or a user without network, works on the local favourites store.
  bool favoritesUseService();
  // "<user-info URL>?username=<encoded name>" (the current user when none is given).
  Text createUserInfoUrl(const Text& username);
  bool isGuestFavoriteColumn(const std::shared_ptr<Column>& column);
  // The column that stands for the favourites ("我的收藏").
  std::shared_ptr<Column> createFavoriteColumn();
  // 0 "zelvanemblog" ... 6 "kaixin", 20 "mail", any other "null".
  static std::string sharingTargetName(int sharingType);

  // Articles, comments and local entries (tasks/ArticleTaskFactories.cpp). -7 for a missing
  // link, column or address.
  // A local paging link reads the favourites store; the favourites column's list goes through
  // the favourites upload; any other column's list may be answered from its kept first page.
  std::shared_ptr<Task> createGetNewsSummarysTask(const std::shared_ptr<Link>& link,
                                                  const std::shared_ptr<Column>& column,
                                                  bool useCache);
  // `since` and `until` in milliseconds since 1970; -7 also for a missing or empty keyword.
  std::shared_ptr<Task> createGetSearchFavNewsSummarysTask(
      const std::shared_ptr<Link>& link, const std::shared_ptr<Column>& column,
      const Text& keyWord, const Text& scope, std::optional<int64_t> since,
      std::optional<int64_t> until);
  std::shared_ptr<Task> createGetNewsDetailTask(const std::shared_ptr<Link>& link);
  std::shared_ptr<Task> createGetNewsDetailDynamicTask(const std::shared_ptr<NewsDetail>& detail);
  std::shared_ptr<Task> createGetCommentsTask(
      const std::shared_ptr<Link>& link,
      const std::shared_ptr<VeskCustomization>& customization = nullptr);
  std::shared_ptr<Task> createCommentColumnTask(const std::shared_ptr<Column>& column,
                                                float rating, const Text& comment);
  // Cleaning of the offline-download items, the normal items, or both.
  std::shared_ptr<Task> createCleanOffdownCacheTask();
  std::shared_ptr<Task> createCleanNormalCacheTask();
  std::shared_ptr<Task> createCleanCacheTask();

  // Posts, favourites, comments, short links and the profile (tasks/PostTaskFactories.cpp).
  // The request documents are built here; -7 for a missing argument, -8 for a microblog
  // without bound credentials (or the guest where a user is needed).
  std::shared_ptr<Task> createPostRequestTask(const Text& url, const std::optional<Bytes>& reqData);
  std::shared_ptr<Task> createPostRequestForEntryTask(const Text& url,
                                                      const std::optional<Bytes>& reqData,
                                                      int entryType);
  std::shared_ptr<Task> createGetUserInfoTask(const Text& username);
  // -7 for a missing profile or an icon file given while the profile has an icon; -8 for the
  // guest.
  std::shared_ptr<Task> createUpdateUserInfoTask(const std::shared_ptr<UserInfo>& userInfo,
                                                 const Text& iconLocalPath);
  std::shared_ptr<Task> createChangePasswordTask(const Text& oldPassword, const Text& newPassword);
  // A comment posted to `url` (a microblog's with the bound account's credentials); the reply
  // is the stored comment.
  std::shared_ptr<Task> createPostCommentTask(
      const Text& url, const Text& entryId, const Text& title, const Text& content,
      const std::shared_ptr<VeskCustomization>& customization = nullptr);
  std::shared_ptr<Task> createUpdateCommentTask(const std::shared_ptr<Link>& link,
                                                const Text& commentId, const Text& title,
                                                const Text& content);
  std::shared_ptr<Task> createDeleteCommentTask(
      const Text& commentId, const std::shared_ptr<Link>& link,
      const std::shared_ptr<VeskCustomization>& customization = nullptr);
  std::shared_ptr<Task> createRepostMBlogTask(
      const std::shared_ptr<Link>& link, const Text& content, bool isComment,
      const std::shared_ptr<VeskCustomization>& customization);
  // -7 also for a rating below 0.
  std::shared_ptr<Task> createRatingTask(const std::shared_ptr<Link>& link, const Text& entryId,
                                         float rating);
  std::shared_ptr<Task> createBumpTask(const std::shared_ptr<Link>& link, const Text& entryId,
                                       int bump);
  // A user whose network is reachable adds and removes favourites on the service (the local
  // copy goes, the count follows the service); otherwise the local favourites store changes.
  std::shared_ptr<Task> createAddFavoriteNewsSummaryTask(const std::shared_ptr<Entry>& entry);
  std::shared_ptr<Task> createDelFavoriteNewsSummaryTask(const std::shared_ptr<Entry>& entry);
  std::shared_ptr<Task> createAddFavoriteMBlogTask(
      const Text& url, const std::shared_ptr<VeskCustomization>& customization);
  std::shared_ptr<Task> createDelFavoriteMBlogTask(
      const Text& url, const std::shared_ptr<VeskCustomization>& customization);
  // The sharing report of a link to target `sharingType` (see sharingTargetName).
  std::shared_ptr<Task> createSharingTask(const Text& linkText, const Text& url, int sharingType);
  std::shared_ptr<Task> createReportIllegalTask(const Text& item, const Text& title,
                                                const Text& content);
  std::shared_ptr<Task> createGetShortUrlTask(const Text& url);
  std::shared_ptr<Task> createGetShortUrlTaskWithArticleId(const Text& articleId);

  // Offline download (tasks/OfflineDownloadFactories.cpp): the batch over the columns marked for
  // it; creating it resets the count of downloads the reader sent to the background.
  std::shared_ptr<Task> createOfflineDownloadTask();
  void increaseHideOfflineDownloadCount() { ++hideOfflineDownloadCount_; }
  int hideOfflineDownloadCount() const { return hideOfflineDownloadCount_.load(); }

 private:
  // Every "{searchTerms}" of the address replaced by the URL-encoded words.
  static std::string replaceSearchTerms(std::string url, const std::string& words);
  void weiboDidFinishBinding(int platform);
  void weiboDidFinishUnbinding(int platform);
  // The loop of the engine's background thread (made on first use).
  std::shared_ptr<RunLoop> backgroundLoop();
  // Every favourite of `username` in the favourites store, oldest first (the reverse of the
  // store's order), each id once.
  std::vector<std::shared_ptr<Entry>> allFavoriteNews(const std::string& username);
  // Those favourites as an add-or-update subscription document; nullopt when there are none.
  std::optional<Bytes> favoriteNewsDocument(const std::string& username);
  // Stops the background thread and waits for it, so nothing there still holds the engine.
  void stopBackgroundThread();
  void backgroundTick();
  void endBackgroundTask();

  std::shared_ptr<EntryPersistenter> subPersist_;
  std::shared_ptr<EntryPersistenter> favPersist_;
  std::shared_ptr<ColumnCache> columnCache_;
  std::shared_ptr<UniqueCache> uniqueCache_;
  std::shared_ptr<LinkCache> linkCache_;
  std::shared_ptr<BookMgr> bookMgr_;

  mutable std::mutex userLock_;
  std::string username_;
  std::string password_;
  bool userFirstLogin_ = false;

  mutable std::mutex observerLock_;
  std::shared_ptr<DataEngineObserver> observer_;

  std::mutex imageUrlsLock_;
  std::map<std::string, int> downloadingImageUrls_;
  std::mutex bookIdsLock_;
  std::vector<std::string> downloadingBookIds_;
  std::mutex refreshTimeLock_;
  std::map<std::string, double> columnRefreshTime_;

  std::atomic<int> hideOfflineDownloadCount_{0};
  mutable std::mutex bgLock_;
  Application::BackgroundTaskId bgTask_ = Application::kInvalidBackgroundTask;
  std::shared_ptr<Thread> bgThread_;
};

// The global engine, or null outside initGlobalInstance()..uninitGlobalInstance().
std::shared_ptr<DataEngine> gDataEngine();

}  // namespace zu
