// UrlManager: the service's endpoints, learned from the service URL feed. The client knows
// only the feed's address by heart ("http://<service host>/getServiceUrl.atom"); every other
// endpoint is the href of the feed's link with a fixed relation ("vesk_login", ...).
// GetServiceUrlInnerTask fills the table once per process (setUrls); until then isEverSet() is
// false and every entry is absent.
//
// One global instance (gUrlManager) between initGlobalInstance and uninitGlobalInstance. The
// table is written on the "task" thread and read from any thread: every entry is read and
// replaced whole under the manager's lock.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "model/atom/Vocabulary.h"

namespace zu {

class Link;

// The table: X(getter, setter, link relation), in the table's declared order.
#define ZU_SERVICE_URL_TABLE(X) \
  X(getSubscribedColumnsUrl, setGetSubscribedColumnsUrl, vocab::kRelSubGet) \
  X(getServerColumnsUrl, setGetServerColumnsUrl, vocab::kRelSubList) \
  X(getRecommendColumnsUrl, setGetRecommendColumnsUrl, vocab::kRelSubRecommend) \
  X(addSubscribedColumnUrl, setAddSubscribedColumnUrl, vocab::kRelSubAdd) \
  X(delSubscribedColumnUrl, setDelSubscribedColumnUrl, vocab::kRelSubDel) \
  X(updateSubscribedColumnUrl, setUpdateSubscribedColumnUrl, vocab::kRelSubUpdate) \
  X(getUserInfoUrl, setGetUserInfoUrl, vocab::kRelUserGet) \
  X(changePasswordUrl, setChangePasswordUrl, vocab::kRelUserModifyPassword) \
  X(delCommentUrl, setDelCommentUrl, vocab::kRelCommentDel) \
  X(getFavoriteUrl, setGetFavoriteUrl, vocab::kRelFavoriteGet) \
  X(delFavoriteUrl, setDelFavoriteUrl, vocab::kRelFavoriteDel) \
  X(addFavoriteUrl, setAddFavoriteUrl, vocab::kRelFavoriteAdd) \
  X(sharingUrl, setSharingUrl, vocab::kRelSharingReport) \
  X(reportIllegalUrl, setReportIllegalUrl, vocab::kRelIllegalReport) \
  X(updateUserInfoUrl, setUpdateUserInfoUrl, vocab::kRelUserModifyInfo) \
  X(updateUserIconUrl, setUpdateUserIconUrl, vocab::kRelUserModifyIcon) \
  X(loginUrl, setLoginUrl, vocab::kRelLogin) \
  X(refreshSubscribedColumnsUrl, setRefreshSubscribedColumnsUrl, vocab::kRelSubRefresh) \
  X(programCoverImageUrl, setProgramCoverImageUrl, vocab::kRelCoverImage) \
  X(getUserSubSummaryUrl, setGetUserSubSummaryUrl, vocab::kRelSubGetSummary) \
  X(statisticsReportUrl, setStatisticsReportUrl, vocab::kRelStatisticsReport) \
  X(getInfoUrl, setGetInfoUrl, vocab::kRelInfoGet) \
  X(saveSubSequenceUrl, setSaveSubSequenceUrl, vocab::kRelSaveSubSequence) \
  X(fontUrl, setFontUrl, vocab::kRelFont) \
  X(searchEngineUrl, setSearchEngineUrl, vocab::kRelSearchEngine) \
  X(errorReportUrl, setErrorReportUrl, vocab::kRelErrReport) \
  X(shortUrl, setShortUrl, vocab::kRelShortUrl) \
  X(favoriteSearchUrl, setFavoriteSearchUrl, vocab::kRelFavoriteSearch)

class UrlManager {
 public:
  using Text = std::optional<std::string>;

  // Fixed path of the service URL feed and of the statistics endpoint.
  static constexpr const char* kServiceUrlFeedPath = "/getServiceUrl.atom";
  static constexpr const char* kStatisticsPath = "/stat";

  static void initGlobalInstance();
  static void uninitGlobalInstance();

  // "http://<service host>/getServiceUrl.atom" and "http://<statistics host>/stat".
  static std::string serviceUrlFeedAddress();
  static std::string statisticsAddress();

  // The href of the first link whose rel equals `rel` exactly, or nullopt.
  static Text getUrlsByRel(const std::vector<std::shared_ptr<Link>>& links, const std::string& rel);

  // Sets every entry from the links (an entry whose relation is missing becomes absent), then
  // marks the table filled.
  void setUrls(const std::vector<std::shared_ptr<Link>>& links);
  bool isEverSet() const;

#define ZU_URL_ACCESSORS(getter, setter, rel) \
  Text getter() const;                        \
  void setter(Text url);
  ZU_SERVICE_URL_TABLE(ZU_URL_ACCESSORS)
#undef ZU_URL_ACCESSORS

 private:
  enum Index {
#define ZU_URL_INDEX(getter, setter, rel) k_##getter,
    ZU_SERVICE_URL_TABLE(ZU_URL_INDEX)
#undef ZU_URL_INDEX
    kUrlCount
  };

  mutable std::mutex lock_;
  Text urls_[kUrlCount];
  bool everSet_ = false;
};

// The global table, or null outside initGlobalInstance()..uninitGlobalInstance().
std::shared_ptr<UrlManager> gUrlManager();

}  // namespace zu
