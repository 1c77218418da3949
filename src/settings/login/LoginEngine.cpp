#include "settings/login/LoginEngine.h"

#include "engine/core/DataEngine.h"
#include "engine/core/Task.h"
#include "platform/runtime/StringUtil.h"

namespace zu {

std::shared_ptr<LoginEngine> LoginEngine::defaultEngine() {
  static const auto engine = std::make_shared<LoginEngine>();
  return engine;
}

std::shared_ptr<Task> LoginEngine::createLoginTask(const Text& username, const Text& password,
                                                   bool forceServerAuth) {
  auto engine = gDataEngine();
  return engine ? engine->createLoginTask(username, password, forceServerAuth) : nullptr;
}

void LoginEngine::asyncRunTask(const std::shared_ptr<Task>& task) {
  if (auto engine = gDataEngine(); engine && task) engine->asyncRunTask(task);
}

bool LoginEngine::setUsername(const std::string& username, const std::string& password) {
  auto engine = gDataEngine();
  if (!engine) return false;
  engine->setUsername(username, password);
  // The engine keeps the name lower-cased; a name it refused leaves the previous user current.
  return !engine->isAnonymous() && engine->getUsername() == StringUtil::asciiLowercase(username);
}

}  // namespace zu
