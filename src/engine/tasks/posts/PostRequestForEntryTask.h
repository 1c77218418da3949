// PostRequestForEntryTask: POSTs an entry document the factory built (a comment, an edit of
// one, a bump, a sharing report) and reads the reply as one entry of the given kind, handed to
// the observer with onEntryResult. A posted comment that comes back with a thumbnail has that
// image fetched into the response cache afterwards (reported with onImageDownloadResult) and
// the task finishes with the image download's code; otherwise with 0. A reply that does not
// parse finishes with -5000. The response cache is off for the post.
//
// PostRequestForEntryInFeedTask reads the reply as a feed instead.
// Made by the facade's factories; runs on the "task" thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/tasks/support/ImageReportingTask.h"
#include "platform/runtime/Value.h"

namespace zu {

class PostRequestForEntryTask : public ImageReportingTask {
 public:
  // `type` is the entry kind of the reply (kEntryKind...).
  PostRequestForEntryTask(std::optional<std::string> url, std::optional<Bytes> reqData,
                          int32_t type);

  const std::optional<std::string>& url() const { return url_; }
  const std::optional<Bytes>& reqData() const { return reqData_; }
  int32_t type() const { return type_; }

  void run() override;
  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override;

 private:
  std::optional<std::string> url_;
  std::optional<Bytes> reqData_;
  int32_t type_;
};

}  // namespace zu
