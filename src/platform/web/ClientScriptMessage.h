// ClientScriptMessage: the message by which the client runs its own scripts in a page, sent to
// the web-process extension, which evaluates them in the page's main frame — in the page's own
// script world (to call the page's functions) or in the client's, which the page's scripts
// cannot reach. They run as the page's own code runs, not as the reader's tap: the engine's own
// way to run a script gives it the powers of a tap (media that plays, windows that open) for
// whatever page code it sets off — a getter the page put on what the script reads, a mutation
// event, a timer started meanwhile.
//
// Parameters "(bs)": in the client's world, the script (UTF-8). Reply "(s)": the script's value
// as a string, "" for undefined, null, or a script that threw.
// Constants only; shared by the application and the extension.
#pragma once

namespace zu::web {

struct ClientScriptMessage {
  static constexpr const char* kName = "zu-client-script";
  static constexpr const char* kWorld = "zu-client";
};

}  // namespace zu::web
