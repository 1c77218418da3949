// The facade's usage reports (DataEngine members, kept beside ReportTask): each is one muted
// report started and forgotten.
#include "common/CommInfo.h"
#include "common/DeviceInfo.h"
#include "common/UrlEncode.h"
#include "engine/core/DataEngine.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/UrlManager.h"
#include "engine/tasks/posts/ReportTask.h"
#include "model/columns/Column.h"
#include "model/atom/VESKAtomBuilder.h"
#include "platform/device/DeviceProfile.h"
#include "platform/runtime/Bundle.h"

namespace zu {

namespace {
// The network kind the offline report sends for Wi-Fi (and other non-cellular routes).
constexpr int kNetworkStatusWifi = 1;
// Results of the offline report.
constexpr int32_t kOfflineSucceeded = 1;
constexpr int32_t kOfflineCancelled = 2;
constexpr int32_t kOfflineFailed = 3;
}  // namespace

void DataEngine::reportLogin() {
  asyncRunTask(std::make_shared<ReportTask>(statisticsReportUrl("login", true, std::string())));
}

void DataEngine::reportOpenOriginalPage(const Text& link) {
  if (!link) return;
  asyncRunTask(std::make_shared<ReportTask>(
      statisticsReportUrl("openlink", false, "&link=" + UrlEncode::encode(*link))));
}

void DataEngine::checkAndReportInstall() {
  const auto mid = getMid();
  const Text midStr = mid ? Text(getMidStr(*mid)) : std::nullopt;
  if (!needReportInstall(midStr)) return;
  std::string extra;
  if (mid) {
    extra = "&xmid=" + UrlEncode::encode(getXmidStr(*mid, DeviceProfile::uniqueIdentifier()));
  }
  asyncRunTask(std::make_shared<ReportTask>(statisticsReportUrl("openmid", true, extra)));
  CommInfo::setCustomKey(kLastReportMidKey, Value(midStr.value_or(kNoMid)));
}

void DataEngine::reportOfflineDownload(const std::vector<std::shared_ptr<Column>>& columns,
                                       int errCode) {
  std::vector<std::string> sources;
  for (const auto& column : columns) {
    if (column && column->entryId()) sources.push_back(*column->entryId());
  }
  const int32_t result = errCode == kErrOk          ? kOfflineSucceeded
                         : errCode == kErrCancelled ? kOfflineCancelled
                                                    : kOfflineFailed;
  std::string version;
  if (auto bundle = Bundle::mainBundle()) version = bundle->info("CFBundleVersion").value_or("");
  auto body = VESKAtomBuilder::allocOfflineReportToXML(
      getUsername(), DeviceProfile::uniqueIdentifier(), DeviceProfile::model(),
      DeviceProfile::systemVersion(), version,
      DeviceInfo::getNetworkStatus() == kNetworkStatusWifi ? 1 : 0, sources,
      hideOfflineDownloadCount_.load(), result);
  auto urls = gUrlManager();
  asyncRunTask(std::make_shared<ReportTask>(urls ? urls->statisticsReportUrl() : std::nullopt,
                                            std::move(body)));
}

}  // namespace zu
