// GetShortUrlTask: asks the service's short-link address for the short form of an article's
// link ("<short-link address>?url=<encoded link>") or, given only the article's id, of that
// article ("...?articleid=<encoded id>"). The short link goes to the observer with
// onStringResult and the task finishes with 0. Without a short-link address in the URL table,
// without link and id, or with an empty answer it finishes with -1 and no text (the first two
// without a request).
//
// Made by the facade's short-link factories; runs on the "task" thread.
#pragma once

#include <optional>
#include <string>

#include "engine/core/HttpTask.h"

namespace zu {

class GetShortUrlTask : public HttpTask {
 public:
  // The link wins when both are given.
  GetShortUrlTask(std::optional<std::string> url, std::optional<std::string> articleId);

  void run() override;
  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override;

 private:
  std::optional<std::string> url_;
  std::optional<std::string> articleId_;
};

}  // namespace zu
