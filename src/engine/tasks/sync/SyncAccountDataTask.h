// SyncAccountDataTask: brings the subscription store of a logged-in user in step with the
// service. At the first login on the device the guest's columns are uploaded to the account
// once (the device-wide flag "GuestSubscribeColumnEverSync" is set only after the service took
// them, so a failed upload is tried again by the next sync) and the guest's book data is copied
// to the user. Then the account's summary is fetched and merged:
// - a column the service lists and the store lacks is inserted; a stored one is replaced only
//   when the service's carries a customization and the stored one none; stored columns the
//   service does not list are deleted;
// - order: a local reordering newer than the service's order time is uploaded (and the
//   service's order not applied); an older one is forgotten, and the service's order is applied
//   when it is newer than the one applied last;
// - the profile is kept in the unique cache ("userinfo"), the favourites count in the engine;
// - the installation is reported once per distribution id.
// The task reports no data of its own, only its finish: 0, -5000 for a summary that does not
// parse, or the failure of a request.
//
// Made by DataEngine::createSyncAccountDataTask for a logged-in user; runs on the "task" thread,
// one request at a time on its own engine.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/core/ServiceUrlTask.h"

namespace zu {

class Entry;

class SyncAccountDataTask : public ServiceUrlTask {
 public:
  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override;

 protected:
  // The sync itself, once the URL table is filled.
  void onServiceUrlReady() override;

 private:
  void getUserSubSummary();
  void mergeSubSummary(const HttpResponse& response);
  // Uploads the local order when it changed after `serverTime`, else applies the service's.
  void checkAndUpdateColumnsOrder(int64_t serverTime,
                                  const std::vector<std::shared_ptr<Entry>>& subColumns);

  bool syncGuestSubColumns_ = false;  // the guest upload is under way
  bool syncSubSummary_ = false;       // the summary request is under way
};

}  // namespace zu
