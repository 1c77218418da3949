// UpdateColumnInnerTask: refreshes one column on an engine its owner holds, and decides whether
// the column has new content. The column is posted to the refresh endpoint (a microblog column
// with the bound account's token and secret, -8 without them); when the service's column time
// differs from the one recorded at the column's last change, the stored row is rewritten. The
// column's article list is fetched (conditionally, with the validators kept beside the page) and
// kept as its first page in the column cache: the column counts as changed unless the newest
// article is the one recorded before. Only then is the new time recorded. Missing cover images
// are fetched and also count as a change.
//
// Disk work: the store's changes of one refresh (row, newest article id, time) are written in
// one commit when the refresh ends, before its delegate is told, so a killed process leaves the
// row as it was before the refresh or as it is after it. The refresh POST runs with the response
// cache off. An unchanged list (a 304) rewrites no file. A favourites
// column only refreshes its kept first page (the guest's: nothing at all); a book column never
// fetches an article list.
//
// Lifetime and threads: an inner task (no id, not on the running list) that keeps itself and its
// delegate alive from run() to its finish; everything on the "task" thread.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "engine/cache/ColumnCache.h"
#include "engine/core/HttpInnerTask.h"
#include "engine/tasks/images/DownloadImageInnerTaskDelegate.h"

namespace zu {

class CachedHttpResponse;
class Column;
class UpdateColumnInnerTaskDelegate;

class UpdateColumnInnerTask : public HttpInnerTask, public DownloadImageInnerTaskDelegate {
 public:
  UpdateColumnInnerTask(std::shared_ptr<HttpEngine> engine, std::shared_ptr<Column> column,
                        std::shared_ptr<UpdateColumnInnerTaskDelegate> delegate);

  void onHttpError(int errCode, const std::optional<std::string>& errDesc) override;
  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override;
  // The covers' download ends the refresh with its code.
  void onDownloadImageInnerTaskFinished(DownloadImageInnerTask* task, int errCode,
                                        const std::optional<std::string>& errDesc) override;

 protected:
  void start() override;
  void finish(int errCode, const std::optional<std::string>& errDesc) override;

 private:
  void onColumnReply(const std::shared_ptr<HttpResponse>& response);
  void onArticleListReply(const std::shared_ptr<HttpResponse>& response);
  // GETs a column's first page, its kept copy standing in for a dropped response-cache copy.
  void askFirstPage(const std::optional<std::string>& columnId,
                    const std::optional<std::string>& href);
  static ColumnCache::Validators validatorsOf(const HttpResponse& response);
  // Fetches the covers found missing, or finishes with 0 when none is.
  void downloadCovers();

  std::shared_ptr<Column> column_;
  std::shared_ptr<Column> lastestColumn_;
  bool updateNewsSummary_ = false;
  bool contentChanged_ = false;
  bool coverNotExist_ = false;
  bool coverThumbnailNotExist_ = false;
  // Store changes held until the refresh ends: the row's rewrite and the newest article id.
  bool rewriteRow_ = false;
  std::optional<std::string> newestSummaryId_;
  // The body-less copy that asked for the list with the validators of the page the column cache
  // holds; delivered back, it is a 304 to them.
  std::shared_ptr<CachedHttpResponse> knownPage_;
  std::shared_ptr<UpdateColumnInnerTaskDelegate> delegate_;
};

}  // namespace zu
