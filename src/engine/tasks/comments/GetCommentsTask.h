// GetCommentsTask: the comments of an article (a microblog customization POSTs the bound
// account's token and secret, -8 without them), reported with onFeedResult; then the comment
// images (each comment's thumbnail and its author's avatar) are fetched into the response
// cache, each reported with onImageDownloadResult, and the task finishes with the image
// download's code. A reply that does not parse finishes with -5000.
//
// Made by DataEngine::createGetCommentsTask; runs on the "task" thread. The customization is
// held until the task ends.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/tasks/support/ImageReportingTask.h"

namespace zu {

class Feed;
class VeskCustomization;

class GetCommentsTask : public ImageReportingTask {
 public:
  explicit GetCommentsTask(std::optional<std::string> url);

  const std::shared_ptr<VeskCustomization>& customization() const { return customization_; }
  void setCustomization(std::shared_ptr<VeskCustomization> customization) {
    customization_ = std::move(customization);
  }

  // Per comment in order: its thumbnail's href, then its author's avatar href, each when
  // present; nullopt when the feed has no entry list.
  static std::optional<std::vector<std::string>> extractImageUrls(const Feed& feed);

  void run() override;
  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override;

 protected:
  void finish(int errCode, const std::optional<std::string>& errDesc) override;

 private:
  std::optional<std::string> url_;
  std::shared_ptr<VeskCustomization> customization_;
};

}  // namespace zu
