// ServiceHosts: the hosts of the service that the client knows by heart: the service host
// (the service URL feed "/getServiceUrl.atom"), the statistics host ("/stat"), the static-
// content host (the book reader's style sheets and script), the feedback host
// ("/ft/file.fb", "/ft/commentInner.fb") and the dictionary host (the article menu's dictionary
// "/dp/dp?q=" and translation "/dp/fy?i="). Each is "name" or "name:port".
//
// Configuration: $ZU_SERVICE_HOST, $ZU_STAT_HOST, $ZU_STATIC_HOST, $ZU_FEEDBACK_HOST and
// $ZU_DICT_HOST; the latter four follow the service host when only that one is set (a local
// sample service answers all five); otherwise the service's public hosts. Tests and the
// application may set them directly. Thread-safe.
#pragma once

#include <optional>
#include <string>

namespace zu {

class ServiceHosts {
 public:
  ServiceHosts() = delete;

  static std::string serviceHost();
  static std::string statisticsHost();
  static std::string staticHost();
  static std::string feedbackHost();
  static std::string dictionaryHost();

  // A host set here wins over the environment; nullopt goes back to it.
  static void setServiceHost(std::optional<std::string> host);
  static void setStatisticsHost(std::optional<std::string> host);
  static void setStaticHost(std::optional<std::string> host);
  static void setFeedbackHost(std::optional<std::string> host);
  static void setDictionaryHost(std::optional<std::string> host);
  // All five at once (a test pointing the client at one loopback server).
  static void setAllHosts(std::optional<std::string> host);
};

}  // namespace zu
