// GetNewsDetailDynamicTask: the dynamic part of an article already shown (the href of its extra
// link), reported with onEntryResult; for the guest the local favourites decide whether it is
// collected, a user's collected state is the service's alone. Always finishes with 0, also
// when the article has no extra link or the reply does not parse (then nothing is reported).
//
// Made by DataEngine::createGetNewsDetailDynamicTask; runs on the "task" thread.
#pragma once

#include <memory>

#include "engine/core/HttpTask.h"

namespace zu {

class NewsDetail;

class GetNewsDetailDynamicTask : public HttpTask {
 public:
  explicit GetNewsDetailDynamicTask(std::shared_ptr<NewsDetail> detail);

  void run() override;
  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override;

 private:
  std::shared_ptr<NewsDetail> detail_;
};

}  // namespace zu
