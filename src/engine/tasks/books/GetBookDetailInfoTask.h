// GetBookDetailInfoTask: fetches one book's detail feed and hands it to the observer
// (onFeedResult), then finishes with 0; a reply that is not a feed finishes with -5000 and its
// text. Runs on the "task" thread.
#pragma once

#include <optional>
#include <string>

#include "engine/core/HttpTask.h"

namespace zu {

class GetBookDetailInfoTask : public HttpTask {
 public:
  explicit GetBookDetailInfoTask(std::string url);

  void run() override;
  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override;

 private:
  std::string url_;
};

}  // namespace zu
