// OpenPlatformBase: the client of one open platform (microblog or social network): binds the
// reader's account through the platform's authorisation page, keeps the bound account
// (PlatformAccountInfo, stored per reader by OpenDataManager) and posts a share text, with or
// without a picture. The protocol bases (OpenPlatform_OAuth1, OpenPlatform_OAuth2) and the
// platform clients override the operations; here they do nothing.
//
// Clients are made and owned by OpenPlatformFactory (shared, one per platform until the next
// reset) and used on the main thread only: every request runs on the main run loop and every
// report reaches the observer there. `status` is 3 while an account is bound and usable, 0
// otherwise. Tasks of the engine read accountInfo() and authorized() and call clearAuthInfo().
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "engine/openplatform/MyUrlConnectionDelegate.h"
#include "engine/openplatform/OpenPlatformObserver.h"
#include "engine/openplatform/PlatformAccountInfo.h"
#include "engine/openplatform/PlatformItemInfo.h"
#include "platform/runtime/Object.h"

namespace zu {

class OpenDataManager;

class OpenPlatformBase : public Object, public MyUrlConnectionDelegate {
 public:
  static constexpr int kStatusUnbound = 0;
  static constexpr int kStatusBound = 3;

  OpenPlatformBase() = default;
  ~OpenPlatformBase() override = default;

  // Sets the platform number and loads the current reader's stored account (an empty record
  // when none is stored).
  virtual void init(int platform);

  // Starts binding: the observer is sent the authorisation page.
  virtual void authLogin() {}
  // Posts a text; the outcome reaches the observer.
  virtual void PostContent(const std::optional<std::string>& /*text*/) {}
  // Posts a text with a picture (a local JPEG file, or a picture address for Kaixin).
  virtual void PostContentWithPic(const std::optional<std::string>& /*text*/,
                                  const std::optional<std::string>& /*picUri*/) {}
  // The authorisation page navigated to this callback address (from the factory).
  virtual void OnAuthoriztionRet(const std::optional<std::string>& /*url*/) {}
  // Unbinds the account (the protocol bases delete it and tell the engine).
  virtual void clearAuthInfo() {}
  // Whether the URL is this client's callback address.
  virtual bool isCallbackUrl(const std::string& url) const;

  const std::string& platformName() const { return platformName_; }
  void setPlatformName(std::string name) { platformName_ = std::move(name); }
  int platform() const { return platform_; }
  void setPlatform(int platform) { platform_ = platform; }
  int status() const { return status_; }

  // The current reader's share switch for this platform, and its change.
  bool shareEnable() const;
  void SwitchShareEnable(bool enable);

  // True when both the access token and the secret are held.
  bool authorized() const;
  int maxPostLength() const { return 256; }
  // The platform's table row for platforms 0 to 5; null above.
  const PlatformItemInfo* getPlatformItem(int platform) const;
  // The row's picture flag; false without a row (so for Kaixin).
  bool picShare() const;

  // 0: onOPPostSuccess; any other code: onOPError with the code and the text.
  void notifyObserverResult(int code, const std::string& description);

  OpenPlatformObserver* observer() const { return observer_; }
  void setObserver(OpenPlatformObserver* observer) { observer_ = observer; }
  const PlatformAccountInfo& accountInfo() const { return accountInfo_; }
  void setAccountInfo(PlatformAccountInfo info) { accountInfo_ = std::move(info); }

  std::string description() const override;

 protected:
  // The current reader's account store (null when it cannot be opened).
  static std::shared_ptr<OpenDataManager> currentStore();
  // Writes the bound account to the current reader's store and switches sharing on.
  void storeBoundAccount();
  // Deletes the stored row, clears token and secret, unbinds and posts
  // "Notification_Opt_UnbindOk".
  void dropBoundAccount();
  // Posts "Notification_Opt_BindOk" with the platform number.
  void postBindOk() const;
  // Refuses a post before it is sent: -3 without a text (or with `argumentMissing`), -9 with
  // `notBoundText` while no account is bound. True when refused (the observer has heard why).
  bool refusePost(const std::optional<std::string>& text, bool argumentMissing,
                  const char* notBoundText);
  // The weak handle connections use to report back to this client.
  std::weak_ptr<MyUrlConnectionDelegate> weakDelegate();

  PlatformAccountInfo accountInfo_;
  std::string platformName_;
  int platform_ = -1;
  OpenPlatformObserver* observer_ = nullptr;
  int status_ = kStatusUnbound;
};

}  // namespace zu
