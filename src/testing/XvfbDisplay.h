// XvfbDisplay: an X server of the test's own (Xvfb, a virtual frame buffer), for tests of what
// the client does with a real X11 desktop — its clipboard above all — without needing a display
// from the machine. The server picks a free display number itself (-displayfd) and takes no
// TCP connections; it runs from construction to destruction, when it is ended and waited for
// (or until its last client has gone, so a test that dies leaves no server behind).
// available() is false when Xvfb is not installed or did not start (a test then skips, saying
// why). Any thread; one owner.
#pragma once

#include <sys/types.h>

#include <string>

namespace zu {

class XvfbDisplay {
 public:
  XvfbDisplay();
  ~XvfbDisplay();
  XvfbDisplay(const XvfbDisplay&) = delete;
  XvfbDisplay& operator=(const XvfbDisplay&) = delete;

  bool available() const { return !name_.empty(); }
  // ":N", as $DISPLAY names it.
  const std::string& name() const { return name_; }

 private:
  pid_t pid_ = -1;
  std::string name_;
};

}  // namespace zu
