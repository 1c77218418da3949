#include "engine/core/DESettings.h"

#include <cstdio>
#include <mutex>

#include "common/CommInfo.h"
#include "common/DateUtil.h"
#include "platform/runtime/Bundle.h"
#include "platform/runtime/UserDefaults.h"
#include "store/EntryPersistenter.h"

namespace zu {
namespace {

constexpr const char* kWifiOnlyStatistic = "WifiOnlyStatistic";
constexpr const char* kPageSeqStatistic = "PageSeqStatistic";
constexpr const char* kOperationalStatistic = "OperationalStatistic";
constexpr const char* kActionStatistic = "ActionStatistic";
constexpr const char* kContentStatistic = "ContentStatistic";
constexpr const char* kEverRun = "EverRun";
constexpr const char* kEverRead = "EverRead";
constexpr const char* kNeedAlertLogin = "NeedAlertLogin";
constexpr const char* kFondSize = "FondSize";
constexpr const char* kAllowOfflineDownloadUnder3g = "AllowOfflineDownloadUnder3g";
constexpr const char* kNoAlertOfflineDownloadUnder3g = "NoAlertOfflineDownloadUnder3g";
constexpr const char* kDisplayedHelperVersion = "DisplayedHelperVersion";
constexpr const char* kDeviceId = "kProperty_DeviceID";
constexpr const char* kMacDeviceId = "kProperty_MacDeviceID";
constexpr const char* kLastRunAppVersion = "LastRunAppVersion";
constexpr const char* kRecommendAppTime = "RecommendAppTime";
constexpr const char* kRecommendAppXml = "RecommendAppXml";
constexpr const char* kNotifiedSoftVersion = "NotifiedSoftVersion";
constexpr const char* kNotifiedMessageTime = "NotifiedMessageTime";
constexpr const char* kProgramCoverInfoOf = "ProgramCoverInfoOf";
constexpr const char* kSubSequenceUpdateTime = "SubSequenceUpdateTime";
constexpr const char* kSubSequenceLocalChangeTime = "SubSequenceLocalChangeTime";
constexpr const char* kGuestSubscribeColumnEverSync = "GuestSubscribeColumnEverSync";

std::mutex& storeMutex() {
  static std::mutex m;
  return m;
}

std::weak_ptr<EntryPersistenter>& storeRef() {
  static std::weak_ptr<EntryPersistenter> store;
  return store;
}

std::shared_ptr<EntryPersistenter> subscriptionStore() {
  std::lock_guard<std::mutex> lock(storeMutex());
  return storeRef().lock();
}

std::optional<std::string> textKey(const char* key) {
  const Value v = CommInfo::getCustomKey(key);
  if (const std::string* s = v.asString()) return *s;
  return std::nullopt;
}

void setTextKey(const char* key, const std::optional<std::string>& text) {
  CommInfo::setCustomKey(key, text ? Value(*text) : Value());
}

// A flag is the text "true" or "false"; only "true" reads as set.
bool isTrue(const char* key) {
  const std::optional<std::string> text = textKey(key);
  return text && *text == "true";
}

void setFlag(const char* key, bool value) {
  CommInfo::setCustomKey(key, Value(std::string(value ? "true" : "false")));
}

// Integers used as flags keep only their low byte, as a one-byte flag would.
bool lowByteFlag(const char* key) {
  return static_cast<int8_t>(CommInfo::getCustomIntKey(key) & 0xff) != 0;
}

std::optional<std::string> bundleVersion() {
  return Bundle::mainBundle()->info("CFBundleVersion");
}

std::string decimal(int64_t value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%lli", static_cast<long long>(value));
  return buf;
}

int64_t storeInt(const char* key) {
  std::shared_ptr<EntryPersistenter> store = subscriptionStore();
  if (!store) return 0;
  std::optional<std::string> text = store->getUserDefinedValue(std::string(key));
  return text ? Value(*text).intValue() : 0;
}

void setStoreText(const char* key, std::string text) {
  if (std::shared_ptr<EntryPersistenter> store = subscriptionStore()) {
    store->setUserDefinedValue(std::string(key), std::move(text));
  }
}

}  // namespace

void DESettings::setSubscriptionStore(const std::shared_ptr<EntryPersistenter>& store) {
  std::lock_guard<std::mutex> lock(storeMutex());
  storeRef() = store;
}

bool DESettings::allowWifiOnlyStatistic() { return isTrue(kWifiOnlyStatistic); }
void DESettings::setWifiOnlySatistic(bool allow) { setFlag(kWifiOnlyStatistic, allow); }
bool DESettings::allowPageSeqStatistic() { return isTrue(kPageSeqStatistic); }
void DESettings::setPageSeqSatistic(bool allow) { setFlag(kPageSeqStatistic, allow); }
bool DESettings::allowOperationalStatistic() { return isTrue(kOperationalStatistic); }
void DESettings::setOperationalSatistic(bool allow) { setFlag(kOperationalStatistic, allow); }
bool DESettings::allowActionStatistic() { return isTrue(kActionStatistic); }
void DESettings::setActionSatistic(bool allow) { setFlag(kActionStatistic, allow); }
bool DESettings::allowContentStatistic() { return isTrue(kContentStatistic); }
void DESettings::setContentSatistic(bool allow) { setFlag(kContentStatistic, allow); }

bool DESettings::isFirstRun() { return !isTrue(kEverRun); }
void DESettings::setFirstRun(bool first) { setFlag(kEverRun, !first); }
bool DESettings::isFirstRead() { return !isTrue(kEverRead); }
void DESettings::setFirstRead(bool first) { setFlag(kEverRead, !first); }

bool DESettings::needAlertLogin() {
  const std::optional<std::string> text = textKey(kNeedAlertLogin);
  return !(text && *text == "false");
}
void DESettings::setNeedAlertLogin(bool need) { setFlag(kNeedAlertLogin, need); }

int64_t DESettings::getFondSize() { return CommInfo::getCustomIntKey(kFondSize); }
void DESettings::setFondSize(int64_t size) { CommInfo::setCustomIntKey(kFondSize, size); }

bool DESettings::allowOfflineDownloadUnder3g() {
  return lowByteFlag(kAllowOfflineDownloadUnder3g);
}
void DESettings::setAllowOfflineDownloadUnder3g(bool allow) {
  CommInfo::setCustomIntKey(kAllowOfflineDownloadUnder3g, allow ? 1 : 0);
}
bool DESettings::noAlertOfflineDownloadUnder3g() {
  return lowByteFlag(kNoAlertOfflineDownloadUnder3g);
}
void DESettings::setNoAlertOfflineDownloadUnder3g(bool noAlert) {
  CommInfo::setCustomIntKey(kNoAlertOfflineDownloadUnder3g, noAlert ? 1 : 0);
}

bool DESettings::needDisplayUpgradeHelper() {
  const std::optional<std::string> shown = textKey(kDisplayedHelperVersion);
  if (!shown) return true;
  return versionCompare(bundleVersion(), *shown) > 0;
}
void DESettings::setNeedDisplayUpgradeHelper(bool need) {
  setTextKey(kDisplayedHelperVersion, need ? std::nullopt : bundleVersion());
}

std::optional<std::string> DESettings::getDeviceId() { return textKey(kDeviceId); }
void DESettings::setDeviceId(const std::optional<std::string>& deviceId) {
  setTextKey(kDeviceId, deviceId);
}
std::optional<std::string> DESettings::getMacDeviceId() { return textKey(kMacDeviceId); }
void DESettings::setMacDeviceId(const std::optional<std::string>& deviceId) {
  setTextKey(kMacDeviceId, deviceId);
}
std::optional<std::string> DESettings::getLastRunAppVersion() {
  return textKey(kLastRunAppVersion);
}
void DESettings::setLastRunAppVersion(const std::optional<std::string>& version) {
  setTextKey(kLastRunAppVersion, version);
}
int64_t DESettings::getRecommendAppTime() { return CommInfo::getCustomIntKey(kRecommendAppTime); }
void DESettings::setRecommendAppTime(int64_t time) {
  CommInfo::setCustomIntKey(kRecommendAppTime, time);
}
std::optional<std::string> DESettings::getRecommendAppXml() { return textKey(kRecommendAppXml); }
void DESettings::setRecommendAppXml(const std::optional<std::string>& xml) {
  setTextKey(kRecommendAppXml, xml);
}
std::optional<std::string> DESettings::getNotifiedSoftVersion() {
  std::optional<std::string> version = textKey(kNotifiedSoftVersion);
  return version ? version : bundleVersion();
}
void DESettings::setNotifiedSoftVersion(const std::optional<std::string>& version) {
  setTextKey(kNotifiedSoftVersion, version);
}
int64_t DESettings::getNotifiedMessageTime() {
  return CommInfo::getCustomIntKey(kNotifiedMessageTime);
}
void DESettings::setNotifiedMessageTime(int64_t time) {
  CommInfo::setCustomIntKey(kNotifiedMessageTime, time);
}

std::optional<Dictionary> DESettings::getProgramCoverInfo(int index) {
  return UserDefaults::standard().dictionaryForKey(kProgramCoverInfoOf + std::to_string(index));
}
void DESettings::setProgramCoverInfo(const std::optional<Dictionary>& info, int index) {
  UserDefaults::standard().set(kProgramCoverInfoOf + std::to_string(index),
                               info ? Value(*info) : Value());
}

void DESettings::setProgramCoverInfos(const std::vector<std::optional<Dictionary>>& infos) {
  std::vector<std::pair<std::string, Value>> values;
  values.reserve(infos.size() + 1);
  for (size_t i = 0; i < infos.size(); ++i) {
    values.emplace_back(kProgramCoverInfoOf + std::to_string(i), infos[i] ? Value(*infos[i]) : Value());
  }
  UserDefaults& defaults = UserDefaults::standard();
  for (size_t i = infos.size();; ++i) {
    std::string key = kProgramCoverInfoOf + std::to_string(i);
    if (defaults.objectForKey(key).isNull()) break;
    values.emplace_back(std::move(key), Value());
  }
  defaults.setValues(std::move(values));
}

int64_t DESettings::getSubSequenceUpdateTime() { return storeInt(kSubSequenceUpdateTime); }
void DESettings::setSubSequenceUpdateTime(int64_t time) {
  setStoreText(kSubSequenceUpdateTime, decimal(time));
}
int64_t DESettings::getSubSequenceLocalChangeTime() {
  return storeInt(kSubSequenceLocalChangeTime);
}
void DESettings::setSubSequenceLocalChangeTime(int64_t time) {
  setStoreText(kSubSequenceLocalChangeTime, decimal(time));
}
bool DESettings::guestSubscribeColumnEverSync() {
  std::shared_ptr<EntryPersistenter> store = subscriptionStore();
  if (!store) return false;
  const std::string key(kGuestSubscribeColumnEverSync);
  for (const std::optional<std::string>& text :
       {store->getUserDefinedValue(key),
        store->getUserDefinedValue(key, std::string(EntryPersistenter::kGuestUserName))}) {
    if (text && Value(*text).boolValue()) return true;
  }
  return false;
}
void DESettings::setGuestSubscribeColumnEverSync(bool everSync) {
  std::shared_ptr<EntryPersistenter> store = subscriptionStore();
  if (!store) return;
  const std::string key(kGuestSubscribeColumnEverSync);
  const std::string text = everSync ? "YES" : "NO";
  store->setUserDefinedValue(key, text);
  store->setUserDefinedValue(key, text, std::string(EntryPersistenter::kGuestUserName));
}

}  // namespace zu
