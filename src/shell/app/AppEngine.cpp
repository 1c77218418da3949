#include "shell/app/AppEngine.h"

#include "common/Log.h"
#include "engine/core/DataEngine.h"
#include "engine/core/DataEngineObserver.h"

namespace zu {

void AppEngine::logInit() { VESKLogInit(); }
void AppEngine::logUninit() { VESKLogUninit(); }
void AppEngine::initGlobalInstance() { DataEngine::initGlobalInstance(); }
void AppEngine::uninitGlobalInstance() { DataEngine::uninitGlobalInstance(); }

void AppEngine::setObserver(std::shared_ptr<DataEngineObserver> observer) {
  if (auto engine = gDataEngine()) engine->setObserver(std::move(observer));
}

bool AppEngine::isAnonymous() {
  auto engine = gDataEngine();
  return !engine || engine->isAnonymous();
}

void AppEngine::logout() {
  if (auto engine = gDataEngine()) engine->logout();
}

void AppEngine::applicationDidEnterBackground() {
  if (auto engine = gDataEngine()) engine->applicationDidEnterBackground();
}

}  // namespace zu
