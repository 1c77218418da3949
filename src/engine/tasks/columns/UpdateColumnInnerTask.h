// UpdateColumnInnerTask: refreshes one column on an engine its owner holds, and decides whether
// the column has new content. The column is posted to the refresh endpoint (a microblog column
// with the bound account's token and secret, -8 without them); when the service's column time
// differs from the one recorded at the column's last change, the stored row is rewritten and the
// column's article list is fetched and kept as its first page in the column cache: the column
// counts as changed unless the newest article is the one recorded before. Only then is the new
// time recorded. Missing cover images are fetched and also count as a change. A favourites
// column only refreshes its kept first page (the guest's: nothing at all); a book column never
// fetches an article list.
//
// Lifetime and threads: an inner task (no id, not on the running list) that keeps itself and its
// delegate alive from run() to its finish; everything on the "task" thread.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "engine/core/HttpInnerTask.h"
#include "engine/tasks/images/DownloadImageInnerTaskDelegate.h"

namespace zu {

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
  // Fetches the covers found missing, or finishes with 0 when none is.
  void downloadCovers();

  std::shared_ptr<Column> column_;
  std::shared_ptr<Column> lastestColumn_;
  bool updateNewsSummary_ = false;
  bool contentChanged_ = false;
  bool coverNotExist_ = false;
  bool coverThumbnailNotExist_ = false;
  std::shared_ptr<UpdateColumnInnerTaskDelegate> delegate_;
};

}  // namespace zu
