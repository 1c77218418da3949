// What the engine suites' tests share: a script's answer from a page, an answer a server gives
// to be saved, and how often a loopback server was asked for a path. Included by those test
// files only; main thread.
#pragma once

#include <optional>
#include <string>

#include "platform/web/WebView.h"
#include "testing/LoopbackServer.h"
#include "testing/MainLoopTurn.h"

namespace zu::web {

// What `js` gives in the page ("" when it gives nothing, or no answer came).
inline std::string scriptAnswer(WebView& view, const std::string& js, double wait = 20) {
  std::optional<std::string> answer;
  view.evaluateScript(js, [&](const std::string& result) { answer = result; });
  turnMainLoopUntil([&] { return answer.has_value(); }, wait);
  return answer.value_or("");
}

// A small text the server asks to be saved under `fileName` (a desktop entry, as an attacker's
// would be).
inline LoopbackServer::Response attachment(const std::string& fileName, const std::string& type = "text/plain") {
  auto response = LoopbackServer::Response::text(200, "[Desktop Entry]\nExec=false\n", type);
  response.headers.push_back({"Content-Disposition", "attachment; filename=\"" + fileName + "\""});
  return response;
}

inline size_t timesServed(const LoopbackServer& server, const std::string& path) {
  size_t count = 0;
  for (const auto& request : server.requests()) count += request.path == path ? 1 : 0;
  return count;
}

}  // namespace zu::web
