// OpenPlatformHooks: what the engine core needs of the open-platform clients (the bound
// microblog and social accounts): the factory's reset, whether a platform's client is
// authorised, dropping a platform's binding, and copying a reader's bound account to another
// reader. The open-platform layer implements it over its factory and installs it when it
// starts; while none is installed the engine acts as if no account were bound (nothing is
// cleared, copied or reset, and no platform is authorised).
//
// Platforms are numbered 0 to 6 (kPlatformCount). Installation is thread-safe; the operations
// are called on the main thread (user switching) and the "task" thread (the error parser).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace zu {

class OpenPlatformHooks {
 public:
  static constexpr int kPlatformCount = 7;

  virtual ~OpenPlatformHooks() = default;

  // The factory's reset: every client forgets its state and reloads its account.
  virtual void reset() = 0;
  // True when the platform's client holds a usable authorisation.
  virtual bool authorized(int platform) = 0;
  // Drops the platform's binding for the current reader (the service reported it invalid).
  virtual void clearAuthInfo(int platform) = 0;
  // The access token and secret of the platform's bound account, when it holds both.
  virtual std::optional<std::pair<std::string, std::string>> accessTokenAndSecret(
      int platform) = 0;
  // Stores `fromUser`'s bound account of the platform (none included) as `toUser`'s.
  virtual void copyUserAccountInfo(const std::string& fromUser, const std::string& toUser,
                                   int platform) = 0;

  static std::shared_ptr<OpenPlatformHooks> installed();
  static void install(std::shared_ptr<OpenPlatformHooks> hooks);
};

}  // namespace zu
