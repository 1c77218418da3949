#include "platform/net/DesktopProxy.h"

#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/net/GnomeProxySetting.h"

namespace zu {

namespace {

std::mutex gMutex;
std::shared_ptr<const ProxySettings>& answer() {
  static auto* current = new std::shared_ptr<const ProxySettings>(std::make_shared<const ProxySettings>());
  return *current;
}

}  // namespace

ProxySettings::Environment DesktopProxy::variables(char** environment) {
  ProxySettings::Environment variables;
  for (char** at = environment; at && *at; ++at) {
    const char* equals = std::strchr(*at, '=');
    if (!equals) continue;
    // The first of two of one name, as getenv() answers.
    variables.emplace(std::string(*at, static_cast<size_t>(equals - *at)), std::string(equals + 1));
  }
  return variables;
}

ProxySettings DesktopProxy::resolved(char** environment) {
  const auto desktop = variables(environment);
  if (auto gnome = GnomeProxySetting::read(desktop)) return std::move(*gnome);
  return ProxySettings::fromVariables(desktop);
}

void DesktopProxy::resolve(char** environment) {
  ProxySettings settings = resolved(environment);
  if (!settings.direct()) std::fprintf(stderr, "zureader: proxy: %s\n", settings.description().c_str());
  setCurrent(std::move(settings));
}

std::shared_ptr<const ProxySettings> DesktopProxy::current() {
  std::lock_guard<std::mutex> lock(gMutex);
  return answer();
}

void DesktopProxy::setCurrent(ProxySettings settings) {
  auto made = std::make_shared<const ProxySettings>(std::move(settings));
  std::lock_guard<std::mutex> lock(gMutex);
  answer() = std::move(made);
}

}  // namespace zu
