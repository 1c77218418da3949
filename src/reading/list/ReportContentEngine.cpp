#include "reading/list/ReportContentEngine.h"

#include "common/Reachability.h"
#include "engine/core/DataEngine.h"
#include "engine/core/Task.h"
#include "model/columns/Column.h"
#include "model/entry/Link.h"
#include "reading/images/DownloadWithPrioritySession.h"

namespace zu {

std::shared_ptr<ReportContentEngine> ReportContentEngine::defaultEngine() {
  static const auto engine = std::make_shared<ReportContentEngine>();
  return engine;
}

std::shared_ptr<Task> ReportContentEngine::createGetNewsSummarysTask(const std::shared_ptr<Link>& link,
                                                                     const std::shared_ptr<Column>& column,
                                                                     bool useCache) {
  auto engine = gDataEngine();
  return engine ? engine->createGetNewsSummarysTask(link, column, useCache) : nullptr;
}

void ReportContentEngine::asyncRunTask(const std::shared_ptr<Task>& task) {
  if (auto engine = gDataEngine(); engine && task) engine->asyncRunTask(task);
}

std::optional<double> ReportContentEngine::getColumnRefreshTime(const Text& columnKey) {
  auto engine = gDataEngine();
  return engine ? engine->getColumnRefreshTime(columnKey) : std::nullopt;
}

void ReportContentEngine::setColumnRefreshTime(const Text& columnKey, double secondsSince1970) {
  if (auto engine = gDataEngine()) engine->setColumnRefreshTime(columnKey, secondsSince1970);
}

void ReportContentEngine::markNewsRead(const Text& entryId) {
  if (auto engine = gDataEngine()) engine->markNewsRead(entryId);
}

bool ReportContentEngine::isInternetReachable() {
  static const auto reachability = Reachability::reachabilityForInternetConnection();
  return reachability && reachability->currentReachabilityStatus() != Reachability::kNotReachable;
}

ReportContentEngine::Text ReportContentEngine::getImageLocalPath(const Text& url) {
  auto engine = gDataEngine();
  return engine && url ? engine->getImageLocalPath(url) : std::nullopt;
}

void ReportContentEngine::downloadImageBatch(const std::vector<std::string>& urls) {
  auto engine = gDataEngine();
  if (!engine || urls.empty()) return;
  if (auto task = engine->createDownloadImageBatchTask(urls)) engine->asyncRunTask(task);
}

std::shared_ptr<DownloadWithPrioritySession> ReportContentEngine::createThumbSession(const std::vector<Text>& urls) {
  return urls.empty() ? nullptr : DownloadWithPrioritySession::initWithUrlArray(urls);
}

std::shared_ptr<Column> ReportContentEngine::createFavoriteColumn() {
  auto engine = gDataEngine();
  return engine ? engine->createFavoriteColumn() : nullptr;
}

bool ReportContentEngine::isAnonymous() {
  auto engine = gDataEngine();
  return !engine || engine->isAnonymous();
}

int64_t ReportContentEngine::getFavoriteNewsCount() {
  auto engine = gDataEngine();
  return engine ? engine->getFavoriteNewsCount() : 0;
}

}  // namespace zu
