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

bool DesktopProxy::followsGnome(const ProxySettings::Environment& environment) {
  // GIO's own test for its GNOME resolver: the desktop's list of names holds "GNOME" (GNOME,
  // and the desktops built on it: "ubuntu:GNOME", "Budgie:GNOME").
  auto it = environment.find("XDG_CURRENT_DESKTOP");
  return it != environment.end() && it->second.find("GNOME") != std::string::npos;
}

ProxySettings DesktopProxy::resolved(char** environment, std::vector<std::string>* unused) {
  const auto desktop = variables(environment);
  if (followsGnome(desktop)) {
    if (auto gnome = GnomeProxySetting::read(desktop)) return std::move(*gnome);
  }
  return ProxySettings::fromVariables(desktop, unused);
}

void DesktopProxy::resolve(char** environment) {
  std::vector<std::string> unused;
  ProxySettings settings = resolved(environment, &unused);
  // The name only: a value may hold a password.
  for (const std::string& name : unused) {
    std::fprintf(stderr, "zureader: proxy: %s names no proxy address the client can use; not used\n", name.c_str());
  }
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
