#include "engine/http/HttpEngineManager.h"

#include <algorithm>
#include <filesystem>

#include "engine/http/HttpEngine.h"
#include "engine/http/HttpEngineUtils.h"
#include "platform/runtime/FolderHandle.h"
#include "platform/runtime/Paths.h"

namespace zu {

namespace {

std::mutex gManagerLock;
std::shared_ptr<HttpEngineManager> gHttpEngineManager;

}  // namespace

void HttpEngineManager::initGlobalInstance() {
  std::shared_ptr<HttpEngineManager> manager;
  {
    std::lock_guard<std::mutex> lock(gManagerLock);
    if (gHttpEngineManager) return;
    gHttpEngineManager = std::make_shared<HttpEngineManager>();
    manager = gHttpEngineManager;
  }
  HttpEngineHooks::install(manager);
}

void HttpEngineManager::uninitGlobalInstance() {
  std::shared_ptr<HttpEngineManager> manager;
  {
    std::lock_guard<std::mutex> lock(gManagerLock);
    manager = std::move(gHttpEngineManager);
    gHttpEngineManager.reset();
  }
  if (manager && HttpEngineHooks::installed() == manager) HttpEngineHooks::install(nullptr);
}

std::shared_ptr<HttpEngineManager> HttpEngineManager::globalInstance() {
  std::lock_guard<std::mutex> lock(gManagerLock);
  return gHttpEngineManager;
}

HttpEngineManager::HttpEngineManager() {
  // Older versions kept their caches under Documents; they now live under Caches. Each goes
  // relative to the documents folder held open: a link in a folder's place goes as a link (a
  // removal by its path, which ends in '/', would empty the folder the link points at).
  if (const std::optional<FolderHandle> documents = Paths::openFolder("Documents")) {
    for (const std::string& dir : {HttpEngineUtils::httpCacheDirectory(),
                                   HttpEngineUtils::fileCacheDirectory(),
                                   HttpEngineUtils::linkCacheDirectory()}) {
      documents->remove(std::filesystem::path(dir).parent_path().filename().string());
    }
  }
}

HttpEngineManager::~HttpEngineManager() {
  std::lock_guard<std::mutex> lock(enginesLock_);
  // Engines still out must not call a manager that is gone.
  for (const auto& engine : engines_) engine->setDelegate(nullptr);
  engines_.clear();
  HttpEngineUtils::globalDealloc();
}

std::shared_ptr<HttpEngine> HttpEngineManager::getEngine() {
  auto engine = std::make_shared<HttpEngine>();
  engine->setDelegate(this);
  std::lock_guard<std::mutex> lock(enginesLock_);
  engines_.push_back(engine);
  return engine;
}

void HttpEngineManager::releaseEngine(const std::shared_ptr<HttpEngine>& engine) {
  if (!engine) return;
  engine->setDelegate(nullptr);
  engine->setObserver(nullptr);
  std::lock_guard<std::mutex> lock(enginesLock_);
  engines_.erase(std::remove(engines_.begin(), engines_.end(), engine), engines_.end());
}

void HttpEngineManager::setObserver(HttpEngine& engine, HttpEngineObserver* observer) {
  engine.setObserver(observer);
}

HttpEngineObserver* HttpEngineManager::observer(const HttpEngine& engine) {
  return engine.observer();
}

void HttpEngineManager::cancel(HttpEngine& engine) { engine.cancel(); }

size_t HttpEngineManager::engineCount() const {
  std::lock_guard<std::mutex> lock(enginesLock_);
  return engines_.size();
}

void HttpEngineManager::removeAllCookies() { cookies_.removeAllCookies(); }

void HttpEngineManager::onNewCookie(const std::string& cookie,
                                    const std::optional<std::string>& user,
                                    const std::optional<std::string>& password,
                                    const std::optional<std::string>& host, bool secureOnly) {
  cookies_.onNewCookie(cookie, user, password, host.value_or(""), secureOnly);
}

std::optional<std::string> HttpEngineManager::cookieForUser(
    const std::optional<std::string>& user, const std::optional<std::string>& password,
    const std::optional<std::string>& host, bool secureChannel) {
  return cookies_.cookieForUser(user, password, host.value_or(""), secureChannel);
}

}  // namespace zu
