// DESettings: named, typed accessors over the engine's persistent settings. Class functions
// only; each fixes one setting's key, type, encoding and default, so callers never touch keys.
//
// Most settings are custom keys of the standard user defaults (CommInfo): flags as the texts
// "true" / "false", integers as decimal text, texts and dictionaries as themselves; setters
// write through at once. Three settings belong to the user whose subscription store is open and
// live in that store's per-user values ("userDefined.db"): the two column-order times (decimal
// text) and the guest-sync flag ("YES" / "NO"). The guest-sync flag says that the guest's columns
// went up to an account, which happens once per device: it is also written under the guest and
// reads as set when either the current user's or the guest's value says so. The data engine
// registers its subscription store
// with setSubscriptionStore() at start; without one those three read as 0 / NO and are not
// written.
//
// Safe from any thread: the user defaults and the store lock themselves.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/runtime/Value.h"

namespace zu {

class EntryPersistenter;

class DESettings {
 public:
  DESettings() = delete;

  // The subscription store whose per-user values hold the store settings (not owned: the
  // engine owns the store; null forgets it).
  static void setSubscriptionStore(const std::shared_ptr<EntryPersistenter>& store);

  // ---- Statistics switches (default NO) ----------------------------------------------------
  static bool allowWifiOnlyStatistic();
  static void setWifiOnlySatistic(bool allow);
  static bool allowPageSeqStatistic();
  static void setPageSeqSatistic(bool allow);
  static bool allowOperationalStatistic();
  static void setOperationalSatistic(bool allow);
  static bool allowActionStatistic();
  static void setActionSatistic(bool allow);
  static bool allowContentStatistic();
  static void setContentSatistic(bool allow);

  // ---- Screen preferences ------------------------------------------------------------------
  // True until set otherwise ("EverRun" / "EverRead" hold the inverse).
  static bool isFirstRun();
  static void setFirstRun(bool first);
  static bool isFirstRead();
  static void setFirstRead(bool first);
  // True unless set to NO.
  static bool needAlertLogin();
  static void setNeedAlertLogin(bool need);
  static int64_t getFondSize();
  static void setFondSize(int64_t size);
  // Stored as integers; read back by their low byte.
  static bool allowOfflineDownloadUnder3g();
  static void setAllowOfflineDownloadUnder3g(bool allow);
  static bool noAlertOfflineDownloadUnder3g();
  static void setNoAlertOfflineDownloadUnder3g(bool noAlert);
  // True when no helper was shown yet or the running version is higher than the one shown.
  static bool needDisplayUpgradeHelper();
  // True forgets the shown version; false records the running version as shown.
  static void setNeedDisplayUpgradeHelper(bool need);

  // ---- Texts and times (nullopt / 0 when missing; nullopt removes) -------------------------
  static std::optional<std::string> getDeviceId();
  static void setDeviceId(const std::optional<std::string>& deviceId);
  static std::optional<std::string> getMacDeviceId();
  static void setMacDeviceId(const std::optional<std::string>& deviceId);
  static std::optional<std::string> getLastRunAppVersion();
  static void setLastRunAppVersion(const std::optional<std::string>& version);
  static int64_t getRecommendAppTime();
  static void setRecommendAppTime(int64_t time);
  static std::optional<std::string> getRecommendAppXml();
  static void setRecommendAppXml(const std::optional<std::string>& xml);
  // The running version when none was stored.
  static std::optional<std::string> getNotifiedSoftVersion();
  static void setNotifiedSoftVersion(const std::optional<std::string>& version);
  static int64_t getNotifiedMessageTime();
  static void setNotifiedMessageTime(int64_t time);
  // The start-up cover description stored under "ProgramCoverInfoOf<index>".
  static std::optional<Dictionary> getProgramCoverInfo(int index);
  static void setProgramCoverInfo(const std::optional<Dictionary>& info, int index);
  // The descriptions of a whole cover set, written at once: index i takes infos[i] (none
  // removes it), and the descriptions kept past the set's end (of a longer set before) go.
  static void setProgramCoverInfos(const std::vector<std::optional<Dictionary>>& infos);

  // ---- Per-user values of the subscription store -------------------------------------------
  static int64_t getSubSequenceUpdateTime();
  static void setSubSequenceUpdateTime(int64_t time);
  static int64_t getSubSequenceLocalChangeTime();
  static void setSubSequenceLocalChangeTime(int64_t time);
  static bool guestSubscribeColumnEverSync();
  static void setGuestSubscribeColumnEverSync(bool everSync);
};

}  // namespace zu
