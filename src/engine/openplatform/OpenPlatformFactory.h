// OpenPlatformFactory: the process-wide maker and keeper of the open-platform clients, one per
// platform number (0 zelvanemblog, 1 Sina, 2 QQ, 3 Sohu, 4 Douban, 5 Renren, 6 Kaixin), made
// lazily for the current reader, and the holder of the working platform table (endpoints and
// application keys, loaded from OpenPlatformConfig by Init()).
//
// The screens use it directly: they fetch a client, set themselves as its observer, bind and
// post, and pass every navigation of the authorisation page to OnAuthShouldStartNtf(). The
// engine facade calls reset() after a reader switch and at logout, so the next access makes
// fresh clients over the new reader's accounts, and copies the guest's accounts to a reader
// who logs in for the first time (getUserAcountInfo / setUserAcountInfo). Tasks read a
// client's accountInfo() and authorized() and call clearAuthInfo().
//
// Clients are used on the main thread; client creation is serialised by the factory's lock.
#pragma once

#include <array>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "engine/openplatform/OpenPlatformBase.h"
#include "engine/openplatform/OpenPlatformTable.h"
#include "engine/openplatform/PlatformAccountInfo.h"
#include "engine/openplatform/PlatformItemInfo.h"

namespace zu {

class OpenPlatformFactory {
 public:
  static constexpr int kPlatformCount = 7;
  static constexpr int kSlots = 10;
  // Kinds of getOpenPlatforms().
  static constexpr int kAllPlatforms = 0;
  static constexpr int kAuthorizedPlatforms = 1;
  static constexpr int kUnauthorizedPlatforms = 2;
  // Tables of LoadAllPlatformAuthParams().
  static constexpr int kTabletTable = 0;
  static constexpr int kPhoneTable = 1;

  // The singleton, made (and sent Init) on first use.
  static OpenPlatformFactory& instance();

  // Empties the slots and loads the phone table from the configuration in force.
  void Init();

  // The platform's client, made for the current reader when the slot is empty; null for a
  // number outside 0 to 6.
  std::shared_ptr<OpenPlatformBase> createOpenPlatformInstance(int platform);
  std::shared_ptr<OpenPlatformBase> getOpenPlatformInstance(int platform);

  // The product callback address or the Renren login-success page.
  bool isCallbackUrl(const std::string& url) const;
  // Hands a navigation of the authorisation page to the platform's client; true exactly when
  // it was that client's callback address (false also when the client does not exist).
  bool OnAuthShouldStartNtf(int platform, const std::string& url);

  // Drops every client.
  void reset();
  // Drops every client and empties the working table.
  bool release();

  // The bound clients in platform order.
  std::vector<std::shared_ptr<OpenPlatformBase>> getAuthorizedPlatform();
  // Every client (kind 0), the bound ones (1) or the unbound ones (2), in platform order;
  // nullopt for another kind.
  std::optional<std::vector<std::shared_ptr<OpenPlatformBase>>> getOpenPlatforms(int kind);

  // Copies rows 0 to 6 of the tablet (0) or phone (1) table into the working table.
  void LoadAllPlatformAuthParams(int table);
  void ConfigPlatformAuthParam(int platform, const std::optional<PlatformItemInfo>& row);
  // The working row of platforms 0 to 6; null otherwise.
  const PlatformItemInfo* GetPlatformAuthParam(int platform) const;

  // A reader's stored account, and its replacement.
  std::optional<PlatformAccountInfo> getUserAcountInfo(const std::optional<std::string>& user,
                                                       int platform);
  bool setUserAcountInfo(const std::optional<std::string>& user, int platform,
                         const PlatformAccountInfo& info);

 private:
  OpenPlatformFactory() = default;
  static std::shared_ptr<OpenPlatformBase> makeClient(int platform);

  std::mutex lock_;
  std::array<std::shared_ptr<OpenPlatformBase>, kSlots> arrayOpenBase_;
  std::array<std::optional<PlatformItemInfo>, kPlatformCount> oPlatformMap_;
};

}  // namespace zu
