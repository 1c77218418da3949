// AccountEngine: what the account screens (authorisation, bound accounts) ask of the open
// platforms and of the web engine's cookies, behind one small interface so their tests can
// script the clients. The default engine is the OpenPlatformFactory and the shared
// CookieStorage; tests install their own with setCurrent().
//
// Main thread only. current() is held process-wide; a screen reads it when it needs it.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace zu {

class OpenPlatformBase;

class AccountEngine {
 public:
  virtual ~AccountEngine() = default;

  // The engine in force; setCurrent(nullptr) puts the default back.
  static std::shared_ptr<AccountEngine> current();
  static void setCurrent(std::shared_ptr<AccountEngine> engine);
  static std::shared_ptr<AccountEngine> defaultEngine();

  // The platform's client (0 to 6), null for any other number.
  virtual std::shared_ptr<OpenPlatformBase> getOpenPlatformInstance(int platform) = 0;
  // Every client, in platform order.
  virtual std::vector<std::shared_ptr<OpenPlatformBase>> allPlatforms() = 0;
  // Hands an address the authorisation page's own frame came to to the platform's client; true
  // when it was that client's callback address.
  virtual bool OnAuthShouldStartNtf(int platform, const std::string& url) = 0;
  // Deletes the shared cookies of every site matching `fragment`.
  virtual void deleteCookiesForDomain(const std::string& fragment) = 0;
};

}  // namespace zu
