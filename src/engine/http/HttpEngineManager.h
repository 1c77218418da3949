// HttpEngineManager: hands out HttpEngines to the tasks, is every such engine's delegate and
// keeps the session cookies in memory (HttpCookieStore), keyed by user, password and host.
// It is also the task layer's HttpEngineHooks: initGlobalInstance() installs it, so HttpTask
// borrows its engines here.
//
// One global instance (gHttpEngineManager): initGlobalInstance() at engine start-up (after the
// file cache manager), uninitGlobalInstance() at shut-down. Making it deletes the folders
// "HttpCache", "FileCache" and "LinkCache" under Documents that older versions left there.
//
// Threads: the cookies are locked (engines on the task thread and on the main thread use them);
// getEngine/releaseEngine are meant for the task thread but are locked as well. The manager
// holds every engine it handed out until releaseEngine; when it goes away, the engines still
// out lose their delegate (no cookie is sent or kept by them any more).
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "engine/core/HttpEngineHooks.h"
#include "engine/http/HttpCookieStore.h"
#include "engine/http/HttpEngineDelegate.h"

namespace zu {

class HttpEngine;
class HttpEngineObserver;

class HttpEngineManager : public HttpEngineDelegate, public HttpEngineHooks {
 public:
  // Creates the global manager when there is none and installs it as the task layer's hooks.
  static void initGlobalInstance();
  // Uninstalls and releases it.
  static void uninitGlobalInstance();
  // The global manager, or null.
  static std::shared_ptr<HttpEngineManager> globalInstance();

  HttpEngineManager();
  ~HttpEngineManager() override;
  HttpEngineManager(const HttpEngineManager&) = delete;
  HttpEngineManager& operator=(const HttpEngineManager&) = delete;

  // A new engine with this manager as delegate, kept until releaseEngine.
  std::shared_ptr<HttpEngine> getEngine() override;
  // Clears the engine's delegate and observer and stops keeping it.
  void releaseEngine(const std::shared_ptr<HttpEngine>& engine) override;
  void setObserver(HttpEngine& engine, HttpEngineObserver* observer) override;
  HttpEngineObserver* observer(const HttpEngine& engine) override;
  void cancel(HttpEngine& engine) override;
  // Number of engines handed out and not released.
  size_t engineCount() const;

  // Forgets every cookie (logout).
  void removeAllCookies();
  void onNewCookie(const std::string& cookie, const std::optional<std::string>& user,
                   const std::optional<std::string>& password,
                   const std::optional<std::string>& host, bool secureOnly) override;
  std::optional<std::string> cookieForUser(const std::optional<std::string>& user,
                                           const std::optional<std::string>& password,
                                           const std::optional<std::string>& host,
                                           bool secureChannel) override;

 private:
  mutable std::mutex enginesLock_;
  std::vector<std::shared_ptr<HttpEngine>> engines_;
  HttpCookieStore cookies_;
};

}  // namespace zu
