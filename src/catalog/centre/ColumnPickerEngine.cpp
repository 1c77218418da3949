#include "catalog/centre/ColumnPickerEngine.h"

#include "engine/core/DataEngine.h"
#include "engine/core/Task.h"
#include "model/entry/Link.h"

namespace zu {

std::shared_ptr<ColumnPickerEngine> ColumnPickerEngine::defaultPickerEngine() {
  static const auto engine = std::make_shared<ColumnPickerEngine>();
  return engine;
}

std::shared_ptr<Task> ColumnPickerEngine::createGetServerColumnsTask(
    const std::shared_ptr<Link>& link, const std::shared_ptr<VeskCustomization>& customization) {
  auto engine = gDataEngine();
  return engine ? engine->createGetServerColumnsTask(link, customization) : nullptr;
}

std::shared_ptr<Task> ColumnPickerEngine::createSearchTask(const std::shared_ptr<Link>& link, const Text& keyWords,
                                                           int entryType,
                                                           const std::shared_ptr<VeskCustomization>& customization) {
  auto engine = gDataEngine();
  return engine ? engine->createSearchTask(link, keyWords, entryType, customization) : nullptr;
}

std::shared_ptr<Task> ColumnPickerEngine::createDownloadImageTask(const Text& url) {
  auto engine = gDataEngine();
  return engine ? engine->createDownloadImageTask(url) : nullptr;
}

bool ColumnPickerEngine::isImageDownloading(const Text& url) {
  auto engine = gDataEngine();
  return engine && engine->isImageDownloading(url);
}

}  // namespace zu
