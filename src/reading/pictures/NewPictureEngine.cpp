#include "reading/pictures/NewPictureEngine.h"

#include "engine/core/DataEngine.h"
#include "reading/images/DownloadWithPrioritySession.h"

namespace zu {

std::shared_ptr<NewPictureEngine> NewPictureEngine::defaultEngine() {
  static const auto engine = std::make_shared<NewPictureEngine>();
  return engine;
}

NewPictureEngine::Text NewPictureEngine::getImageLocalPath(const Text& url) {
  auto engine = gDataEngine();
  return engine && url ? engine->getImageLocalPath(url) : std::nullopt;
}

std::shared_ptr<DownloadWithPrioritySession> NewPictureEngine::createPictureSession(const std::vector<Text>& urls) {
  return urls.empty() ? nullptr : DownloadWithPrioritySession::initWithUrlArray(urls);
}

}  // namespace zu
