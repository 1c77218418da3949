// SyncOfflineAddedFavoriteNewsInnerTask: uploads favourites kept in the local favourites store
// (added by the guest or while offline) on an engine its owner holds. Every favourite the
// service returns is deleted from the local store (the service holds it now), and so is every
// one it refuses as already known (server codes -100104 and -100105); the service's favourites
// count becomes the reader's. A reply that does not parse finishes with -5000.
//
// Lifetime and threads: an inner task that keeps itself and its delegate alive from run() to
// its finish; everything on the "task" thread.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "engine/core/HttpInnerTask.h"
#include "platform/runtime/Value.h"

namespace zu {

class SyncOfflineAddedFavoriteNewsInnerTaskDelegate;

class SyncOfflineAddedFavoriteNewsInnerTask : public HttpInnerTask {
 public:
  SyncOfflineAddedFavoriteNewsInnerTask(
      std::shared_ptr<HttpEngine> engine, std::optional<std::string> url,
      std::optional<Bytes> reqData,
      std::shared_ptr<SyncOfflineAddedFavoriteNewsInnerTaskDelegate> delegate);

  const std::optional<std::string>& url() const { return url_; }
  const std::optional<Bytes>& reqData() const { return reqData_; }

  void onHttpError(int errCode, const std::optional<std::string>& errDesc) override;
  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override;

 protected:
  void start() override;
  void finish(int errCode, const std::optional<std::string>& errDesc) override;

 private:
  std::optional<std::string> url_;
  std::optional<Bytes> reqData_;
  std::shared_ptr<SyncOfflineAddedFavoriteNewsInnerTaskDelegate> delegate_;
};

}  // namespace zu
