// DownloadBookLinksTask: refreshes the book reader's fixed style sheets and scripts. It GETs
// the seven addresses of the book link cache one after another and, only when every one
// arrived, writes them all into the cache; any failure finishes with that request's code and
// leaves the cache as it was. Muted: nobody hears its finish. Runs on the "task" thread.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "engine/core/HttpTask.h"
#include "platform/runtime/Value.h"

namespace zu {

class DownloadBookLinksTask : public HttpTask {
 public:
  DownloadBookLinksTask();

  void run() override;
  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override;

 protected:
  void finish(int errCode, const std::optional<std::string>& errDesc) override;

 private:
  void downloadNextLink();

  std::vector<std::string> links_;
  std::vector<std::pair<std::string, Bytes>> datas_;
  size_t currIndex_ = 0;
  std::string currentLink_;
};

}  // namespace zu
