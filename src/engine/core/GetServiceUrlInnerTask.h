// GetServiceUrlInnerTask: fills the URL table (gUrlManager) on the engine of the task that
// needs an endpoint. When the table is filled already it finishes with 0 without a request.
// Otherwise it fetches the service URL feed: on success the table and the statistics switches
// are set from it and the raw feed is kept in the unique cache ("serviceurl"); when the fetch
// fails (but was not cancelled) the kept copy fills the table instead and the task still
// finishes with 0. A feed that does not parse finishes with -5000.
//
// Runs on the "task" thread like every inner task; it keeps itself and its delegate alive until
// it has told the delegate.
#pragma once

#include <memory>

#include "engine/core/GetServiceUrlInnerTaskDelegate.h"
#include "engine/core/HttpInnerTask.h"

namespace zu {

class Feed;

class GetServiceUrlInnerTask : public HttpInnerTask {
 public:
  GetServiceUrlInnerTask(std::shared_ptr<HttpEngine> engine,
                         std::shared_ptr<GetServiceUrlInnerTaskDelegate> delegate);

  void onHttpError(int errCode, const std::optional<std::string>& errDesc) override;
  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override;

  // Writes the feed's statistics switches into the engine settings (all off without any).
  static void applyStatControl(const Feed& feed);

 protected:
  void start() override;
  void finish(int errCode, const std::optional<std::string>& errDesc) override;

 private:
  std::shared_ptr<GetServiceUrlInnerTaskDelegate> delegate_;
};

}  // namespace zu
