// SyncGuestDataTask: the guest's sync with the service. While the guest never fetched the
// recommended columns and has none of its own, the service's recommended columns (for the
// build's distribution id, "?mid=<decimal id>") are stored as the guest's subscriptions, once.
// Otherwise the guest's columns are posted to the refresh endpoint and every column the service
// no longer knows (an error item with reason 102) is deleted from the store; the columns the
// refresh returns are not stored (the column refresh tasks do that). Then the installation is
// reported once per distribution id.
//
// Reports no data, only its finish: 0, -5000 for an answer that does not parse or a store that
// gives no list, or the failure of a request. Made by DataEngine::createSyncAccountDataTask for
// the guest; runs on the "task" thread.
#pragma once

#include <memory>

#include "engine/core/ServiceUrlTask.h"

namespace zu {

class SyncGuestDataTask : public ServiceUrlTask {
 public:
  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override;

 protected:
  // The sync itself, once the URL table is filled.
  void onServiceUrlReady() override;

 private:
  bool getRecommend_ = false;  // this pass asks for the recommended columns
};

}  // namespace zu
