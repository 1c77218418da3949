// The facade's factories of the image download tasks (DataEngine members, kept beside the task
// they make).
#include "engine/core/DataEngine.h"
#include "engine/core/ErrorCodes.h"
#include "engine/tasks/images/DEDownloadImageTask.h"

namespace zu {

std::shared_ptr<Task> DataEngine::createDownloadImageTask(const Text& url) {
  if (!url) return createErrorTask(kErrInvalidArg);
  return std::make_shared<DEDownloadImageTask>(std::vector<std::string>{*url});
}

std::shared_ptr<Task> DataEngine::createDownloadImageTask(
    const Text& url, const std::shared_ptr<DataEngineObserver>& observer) {
  if (!url || !observer) return createErrorTask(kErrInvalidArg);
  return std::make_shared<DEDownloadImageTask>(std::vector<std::string>{*url}, observer);
}

std::shared_ptr<Task> DataEngine::createDownloadImageBatchTask(
    const std::optional<std::vector<std::string>>& urls) {
  if (!urls) return createErrorTask(kErrInvalidArg);
  return std::make_shared<DEDownloadImageTask>(*urls);
}

}  // namespace zu
