// The facade's factories of the info, font, feedback and advertisement tasks (DataEngine
// members, kept beside the tasks they make).
#include "engine/core/DataEngine.h"
#include "engine/core/ErrorCodes.h"
#include "engine/tasks/info/DownloadFontTask.h"
#include "engine/tasks/info/FeedbackTask.h"
#include "engine/tasks/info/GetAdvertisementsTask.h"
#include "engine/tasks/info/GetInfoTask.h"
#include "model/atom/Vocabulary.h"

namespace zu {

void DataEngine::getInfo() { asyncRunTask(std::make_shared<GetInfoTask>()); }

std::shared_ptr<Task> DataEngine::createDownloadFontTask(const Text& fontName) {
  if (!fontName) return createErrorTask(kErrInvalidArg);
  return std::make_shared<DownloadFontTask>(*fontName);
}

std::shared_ptr<Task> DataEngine::createFeedbackTask(const Text& title, const Text& content,
                                                     const Text& filePath, const Text& contact) {
  auto orNone = [](const Text& text) {
    return text && !text->empty() ? *text : std::string("无");
  };
  std::string user = getUsername();
  if (user.empty()) user = kGuestUserName;
  return std::make_shared<FeedbackTask>(vocab::kProductToken, kFeedbackProductId,
                                        kFeedbackId, user, orNone(title), orNone(content),
                                        filePath, contact);
}

std::shared_ptr<Task> DataEngine::createGetAdvertisementsTask(const Text& url) {
  return std::make_shared<GetAdvertisementsTask>(url);
}

}  // namespace zu
