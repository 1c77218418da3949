#include "engine/tasks/posts/GetShortUrlTask.h"

#include "common/Log.h"
#include "common/UrlEncode.h"
#include "engine/core/DataEngineObserver.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/UrlManager.h"
#include "engine/http/HttpEngine.h"
#include "engine/tasks/support/TaskUtil.h"
#include "model/atom/VESKAtomParser.h"

namespace zu {

GetShortUrlTask::GetShortUrlTask(std::optional<std::string> url,
                                 std::optional<std::string> articleId)
    : url_(std::move(url)), articleId_(std::move(articleId)) {}

void GetShortUrlTask::run() {
  HttpTask::run();
  if (!httpEngine()) return;
  auto urls = gUrlManager();
  const auto service = urls ? urls->shortUrl() : std::nullopt;
  if (!service || (!url_ && !articleId_)) {
    done(kErrFail, std::nullopt);
    return;
  }
  const std::string request = url_ ? *service + "?url=" + UrlEncode::encode(*url_)
                                   : *service + "?articleid=" + UrlEncode::encode(*articleId_);
  VESKLogImpl("GetShortUrlTask start url=%s", request.c_str());
  httpEngine()->get(request);
}

void GetShortUrlTask::onHttpSuccess(const std::shared_ptr<HttpResponse>& response) {
  auto shortUrl = VESKAtomParser::allocParseShortUrl(TaskUtil::bodyText(*response));
  if (!shortUrl || shortUrl->empty()) {
    done(kErrFail, std::nullopt);
    return;
  }
  VESKLogImpl("GetShortUrlTask success shortUrl=%s", shortUrl->c_str());
  if (auto observer = TaskUtil::observer()) observer->onStringResult(sharedTask(), shortUrl);
  done(kErrOk, std::nullopt);
}

}  // namespace zu
