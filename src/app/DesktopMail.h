// DesktopMail: whether the desktop has a program for mail addresses ("mailto:"), as the desktop
// itself answers: `xdg-mime query default x-scheme-handler/mailto` names one. main.cpp asks once
// at start-up when there is a window, and then lets the mail composer hand its messages to the
// system opener (UrlOpener); otherwise the screens say that no mail account is set up.
//
// Main thread. The query is waited for at most kTimeoutSeconds (then taken as no answer); no
// xdg-mime, or a query that fails, means no program.
#pragma once

namespace zu {

class DesktopMail {
 public:
  static constexpr double kTimeoutSeconds = 3;

  DesktopMail() = delete;
  static bool hasHandler();
};

}  // namespace zu
