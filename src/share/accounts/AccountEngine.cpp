#include "share/accounts/AccountEngine.h"

#include "engine/openplatform/OpenPlatformFactory.h"
#include "platform/web/CookieStorage.h"

namespace zu {

namespace {

class FactoryAccountEngine : public AccountEngine {
 public:
  std::shared_ptr<OpenPlatformBase> getOpenPlatformInstance(int platform) override {
    return OpenPlatformFactory::instance().getOpenPlatformInstance(platform);
  }
  std::vector<std::shared_ptr<OpenPlatformBase>> allPlatforms() override {
    return OpenPlatformFactory::instance()
        .getOpenPlatforms(OpenPlatformFactory::kAllPlatforms)
        .value_or(std::vector<std::shared_ptr<OpenPlatformBase>>());
  }
  bool OnAuthShouldStartNtf(int platform, const std::string& url) override {
    return OpenPlatformFactory::instance().OnAuthShouldStartNtf(platform, url);
  }
  void deleteCookiesForDomain(const std::string& fragment) override {
    web::CookieStorage::shared().deleteCookiesForDomain(fragment);
  }
};

std::shared_ptr<AccountEngine>& installed() {
  static std::shared_ptr<AccountEngine> engine;
  return engine;
}

}  // namespace

std::shared_ptr<AccountEngine> AccountEngine::defaultEngine() {
  static const auto engine = std::make_shared<FactoryAccountEngine>();
  return engine;
}

std::shared_ptr<AccountEngine> AccountEngine::current() {
  return installed() ? installed() : defaultEngine();
}

void AccountEngine::setCurrent(std::shared_ptr<AccountEngine> engine) { installed() = std::move(engine); }

}  // namespace zu
