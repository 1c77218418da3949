#include "common/ServiceHosts.h"

#include <cstdlib>
#include <mutex>

namespace zu {

namespace {

constexpr const char* kDefaultServiceHost = "api.vesk.com";
constexpr const char* kDefaultStatisticsHost = "stat.vesk.com";
constexpr const char* kDefaultStaticHost = "static.vesk.com";
constexpr const char* kDefaultFeedbackHost = "feedback.vesk.com";
constexpr const char* kDefaultDictionaryHost = "dict.vesk.cn";

std::mutex gLock;
std::optional<std::string> gService, gStatistics, gStatic, gFeedback, gDictionary;

std::optional<std::string> environment(const char* name) {
  const char* value = std::getenv(name);
  if (!value || !*value) return std::nullopt;
  return std::string(value);
}

std::string choose(const std::optional<std::string>& set, const char* variable,
                   const char* fallback, bool followsService) {
  if (set) return *set;
  if (auto env = environment(variable)) return *env;
  if (followsService) {
    if (gService) return *gService;
    if (auto service = environment("ZU_SERVICE_HOST")) return *service;
  }
  return fallback;
}

}  // namespace

std::string ServiceHosts::serviceHost() {
  std::lock_guard guard(gLock);
  return choose(gService, "ZU_SERVICE_HOST", kDefaultServiceHost, false);
}

std::string ServiceHosts::statisticsHost() {
  std::lock_guard guard(gLock);
  return choose(gStatistics, "ZU_STAT_HOST", kDefaultStatisticsHost, true);
}

std::string ServiceHosts::staticHost() {
  std::lock_guard guard(gLock);
  return choose(gStatic, "ZU_STATIC_HOST", kDefaultStaticHost, true);
}

std::string ServiceHosts::feedbackHost() {
  std::lock_guard guard(gLock);
  return choose(gFeedback, "ZU_FEEDBACK_HOST", kDefaultFeedbackHost, true);
}

std::string ServiceHosts::dictionaryHost() {
  std::lock_guard guard(gLock);
  return choose(gDictionary, "ZU_DICT_HOST", kDefaultDictionaryHost, true);
}

void ServiceHosts::setServiceHost(std::optional<std::string> host) {
  std::lock_guard guard(gLock);
  gService = std::move(host);
}

void ServiceHosts::setStatisticsHost(std::optional<std::string> host) {
  std::lock_guard guard(gLock);
  gStatistics = std::move(host);
}

void ServiceHosts::setStaticHost(std::optional<std::string> host) {
  std::lock_guard guard(gLock);
  gStatic = std::move(host);
}

void ServiceHosts::setFeedbackHost(std::optional<std::string> host) {
  std::lock_guard guard(gLock);
  gFeedback = std::move(host);
}

void ServiceHosts::setDictionaryHost(std::optional<std::string> host) {
  std::lock_guard guard(gLock);
  gDictionary = std::move(host);
}

void ServiceHosts::setAllHosts(std::optional<std::string> host) {
  std::lock_guard guard(gLock);
  gService = host;
  gStatistics = host;
  gStatic = host;
  gFeedback = host;
  gDictionary = std::move(host);
}

}  // namespace zu
