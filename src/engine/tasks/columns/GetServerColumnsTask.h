// GetServerColumnsTask: a column list from the service: the catalogue (no address given), a
// category page, a search result or a microblog's list (POSTed with the bound account's token
// and secret; -8 without them). An entry whose category says "getnext" stands for a sub-list:
// the sub-list is fetched and its entries take the entry's place, so the result keeps the first
// page's order. Each column is marked subscribed or not from the local subscription store (a
// column kept with the deleted mark counts as not subscribed). The list goes to onFeedResult;
// any failure of any page finishes the task with that code and reports nothing. Then the
// columns' images are fetched and reported (see ImageReportingTask).
//
// Made by DataEngine::createGetServerColumnsTask and createSearchTask; runs on the "task"
// thread, one request at a time on its own engine. The customization is held for the task's
// life.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/core/GetServiceUrlInnerTaskDelegate.h"
#include "engine/tasks/support/ImageReportingTask.h"

namespace zu {

class Entry;
class Feed;
class VeskCustomization;

class GetServerColumnsTask : public ImageReportingTask, public GetServiceUrlInnerTaskDelegate {
 public:
  // `url`: the list's address, or nullopt for the service's catalogue.
  explicit GetServerColumnsTask(std::optional<std::string> url);

  const std::shared_ptr<VeskCustomization>& customization() const { return customization_; }
  void setCustomization(std::shared_ptr<VeskCustomization> customization) {
    customization_ = std::move(customization);
  }

  // Marks each entry of the feed subscribed exactly when the store holds it without the
  // deleted mark (a subscribe record is added to a subscribed entry that has none).
  static void addSubscribedStateFromLocal(const Feed& feed);

  void run() override;
  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override;
  void onGetServiceUrlInnerTaskFinished(GetServiceUrlInnerTask* task, int errCode,
                                        const std::optional<std::string>& errDesc) override;

 private:
  void checkAndDownloadNextSubUrl();
  void notifyResultFeed();

  std::optional<std::string> url_;
  std::shared_ptr<VeskCustomization> customization_;
  std::shared_ptr<Feed> resultFeed_;
  std::vector<std::shared_ptr<Entry>> resultEntrys_;
  size_t currIndex_ = 0;
  size_t total_ = 0;
  bool getSubUrl_ = false;
};

}  // namespace zu
