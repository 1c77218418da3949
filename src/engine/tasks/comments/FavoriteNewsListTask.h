// FavoriteNewsListTask: the road both favourites lists share. First the favourites still kept
// in the local store (the guest's, or a user's added offline) are uploaded on the task's engine
// (a SyncOfflineAddedFavoriteNewsInnerTask; its failure is ignored), then the list is fetched;
// a cancel during the upload ends the task as a list that cannot be fetched does.
// The service's list sets the reader's favourites count and is reported with every entry read;
// when the list cannot be fetched, the local favourites are reported instead and the task still
// finishes with 0, so a reader without network sees them and no error. A list that does not
// parse finishes with -5000.
//
// Subclasses give the list's address and may merge the local remainder into the service's list.
// Runs on the "task" thread.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "engine/core/HttpTask.h"
#include "engine/tasks/sync/SyncOfflineAddedFavoriteNewsInnerTaskDelegate.h"

namespace zu {

class Column;
class Feed;

class FavoriteNewsListTask : public HttpTask, public SyncOfflineAddedFavoriteNewsInnerTaskDelegate {
 public:
  FavoriteNewsListTask(std::optional<std::string> url, std::shared_ptr<Column> column);

  void run() override;
  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override;
  void onHttpError(int errCode, const std::optional<std::string>& errDesc) override;
  void onSyncOfflineAddedFavoriteNewsInnerTaskFinished(
      SyncOfflineAddedFavoriteNewsInnerTask* task, int errCode,
      const std::optional<std::string>& errDesc) override;

 protected:
  // The address the list is fetched from.
  virtual std::optional<std::string> listUrl() const = 0;
  // The name the end of the list is logged under.
  virtual const char* logName() const = 0;
  // Called with the service's list before it is reported.
  virtual void mergeLocal(Feed& /*feed*/) {}

  const std::optional<std::string>& url() const { return url_; }

 private:
  void report(const std::shared_ptr<Feed>& feed);

  std::optional<std::string> url_;
  std::shared_ptr<Column> column_;
};

}  // namespace zu
