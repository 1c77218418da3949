#include "engine/tasks/comments/CommentColumnTask.h"

#include "common/DateUtil.h"
#include "common/Log.h"
#include "engine/core/DataEngine.h"
#include "engine/core/DataEngineObserver.h"
#include "engine/core/ErrorCodes.h"
#include "engine/http/HttpEngine.h"
#include "engine/tasks/support/TaskUtil.h"
#include "model/columns/Column.h"
#include "model/service/VeskAssess.h"
#include "model/service/VeskRanking.h"
#include "model/atom/VESKAtomBuilder.h"
#include "model/atom/VESKAtomDataStuffer.h"
#include "model/atom/VESKAtomParser.h"
#include "platform/device/DeviceProfile.h"

namespace zu {

CommentColumnTask::CommentColumnTask(std::shared_ptr<Column> column, float rating,
                                     std::optional<std::string> comment)
    : column_(std::move(column)), rating_(rating), comment_(std::move(comment)) {}

void CommentColumnTask::run() {
  HttpTask::run();
  if (!httpEngine()) return;
  const auto& ranking = column_ ? column_->veskRanking() : nullptr;
  const auto& assess = column_ ? column_->veskAssess() : nullptr;
  if (!ranking || !ranking->href() || !assess || !assess->href()) {
    done(kErrFail, ErrorGetDescription(kErrFail));
    return;
  }
  auto engine = gDataEngine();
  auto body = VESKAtomBuilder::allocPostRankingXML(
      std::string("."), column_->entryId(), DateUtil::currentTimeMillis(),
      engine ? engine->getUsername() : std::string(), std::string("."), rating_,
      DeviceProfile::uniqueIdentifier());
  VESKLogImpl("CommentColumnTask url=%s data=%s", ranking->href()->c_str(),
              TaskUtil::logText(body).c_str());
  post(ranking->href(), std::move(body));
}

void CommentColumnTask::post(const std::optional<std::string>& url, std::optional<Bytes> body) {
  TaskUtil::postEntryDocument(*httpEngine(), nullptr, url, std::move(body));
}

void CommentColumnTask::onHttpSuccess(const std::shared_ptr<HttpResponse>& response) {
  if (!doComment_) {
    if (!comment_ || comment_->empty()) {
      done(kErrOk, std::nullopt);
      return;
    }
    doComment_ = true;
    auto engine = gDataEngine();
    post(column_->veskAssess()->href(),
         VESKAtomBuilder::allocPostCommentXML(std::string(), column_->entryId(),
                                              DateUtil::currentTimeMillis(),
                                              engine ? engine->getUsername() : std::string(),
                                              comment_, DeviceProfile::uniqueIdentifier()));
    return;
  }
  auto comment = VESKAtomParser::allocParseEntry(TaskUtil::bodyText(*response), kEntryKindComment);
  if (!comment) {
    done(kErrDataParse, ErrorGetDescription(kErrDataParse));
    return;
  }
  if (auto observer = TaskUtil::observer()) observer->onEntryResult(sharedTask(), comment);
  done(kErrOk, std::nullopt);
}

}  // namespace zu
