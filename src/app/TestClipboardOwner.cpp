// zu_test_clipboard_owner: a program that owns the X11 CLIPBOARD selection with a text, as
// another program of the desktop would, but answers slowly, for the clipboard's tests.
//
//   zu_test_clipboard_owner TEXT DELAY_MS   answers each request DELAY_MS after it came
//   zu_test_clipboard_owner TEXT hold       answers the requests come so far at each line read
//                                           on standard input
//   zu_test_clipboard_owner TEXT stall      answers in increments (INCR) and stops after the
//                                           first, half of the text
//   zu_test_clipboard_owner TEXT endless    answers in increments, the text's first byte each,
//                                           and never ends
//   zu_test_clipboard_owner TEXT wide       answers a text with 6 MiB of 32-bit units instead
//                                           of bytes (an owner that sends the wrong format)
//   zu_test_clipboard_owner TEXT die        ends, answering nothing, when the first request comes
//   zu_test_clipboard_owner TEXT renew      answers nothing until a line is read on standard
//                                           input; then drops the requests come so far, owns the
//                                           selection anew with "TEXT again", writes "renewed"
//                                           and answers each request at once
//
// It answers UTF8_STRING (the text, in one piece) and TARGETS. Once it owns the selection it
// writes "owned" and a line break on standard output; it ends when it loses the selection or
// its standard input ends. Connects to $DISPLAY.
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

using SteadyClock = std::chrono::steady_clock;

struct Pending {
  XSelectionRequestEvent request;
  SteadyClock::time_point due;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s TEXT DELAY_MS|hold|stall|endless|wide|die|renew\n", argv[0]);
    return 2;
  }
  std::string text = argv[1];
  const bool die = std::strcmp(argv[2], "die") == 0;
  const bool renew = std::strcmp(argv[2], "renew") == 0;
  bool hold = renew || std::strcmp(argv[2], "hold") == 0;
  const bool endless = std::strcmp(argv[2], "endless") == 0;
  const bool stall = endless || std::strcmp(argv[2], "stall") == 0;
  const bool wide = std::strcmp(argv[2], "wide") == 0;
  const auto delay = std::chrono::milliseconds(hold || stall || wide || die ? 0 : std::atol(argv[2]));
  Display* display = XOpenDisplay(nullptr);
  if (!display) return 1;
  const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
  const Atom clipboard = XInternAtom(display, "CLIPBOARD", False);
  const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  const Atom targets = XInternAtom(display, "TARGETS", False);
  const Atom incr = XInternAtom(display, "INCR", False);
  // The transfer in increments under way (stall, endless): where it goes, and whether its one
  // piece went (stall).
  Window incrWindow = None;
  Atom incrProperty = None;
  bool pieceSent = false;
  XSetSelectionOwner(display, clipboard, window, CurrentTime);
  if (XGetSelectionOwner(display, clipboard) != window) return 1;
  std::printf("owned\n");
  std::fflush(stdout);

  std::vector<Pending> pending;
  const auto answer = [&](const XSelectionRequestEvent& request) {
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.requestor = request.requestor;
    reply.xselection.selection = request.selection;
    reply.xselection.target = request.target;
    reply.xselection.time = request.time;
    reply.xselection.property = request.property;
    if (request.target == utf8 && stall) {
      const long size = static_cast<long>(text.size());
      XSelectInput(display, request.requestor, PropertyChangeMask);
      XChangeProperty(display, request.requestor, request.property, incr, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(&size), 1);
      incrWindow = request.requestor;
      incrProperty = request.property;
      pieceSent = false;
    } else if (request.target == utf8 && wide) {
      const std::vector<long> units(size_t{6} << 18, 0x41424344);
      XChangeProperty(display, request.requestor, request.property, utf8, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(units.data()), static_cast<int>(units.size()));
    } else if (request.target == utf8) {
      XChangeProperty(display, request.requestor, request.property, utf8, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
    } else if (request.target == targets) {
      const Atom offered[] = {targets, utf8};
      XChangeProperty(display, request.requestor, request.property, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(offered), 2);
    } else {
      reply.xselection.property = None;
    }
    XSendEvent(display, request.requestor, False, 0, &reply);
    XFlush(display);
  };

  for (;;) {
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == SelectionClear) return 0;
      if (event.type == SelectionRequest && die) return 0;
      if (event.type == SelectionRequest) pending.push_back({event.xselectionrequest, SteadyClock::now() + delay});
      // The requestor took the announcement (or a piece): the first piece, and then nothing more
      // (stall), or the next one-byte piece (endless).
      if (event.type == PropertyNotify && event.xproperty.window == incrWindow &&
          event.xproperty.atom == incrProperty && event.xproperty.state == PropertyDelete && !pieceSent) {
        XChangeProperty(display, incrWindow, incrProperty, utf8, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(text.data()),
                        static_cast<int>(endless ? std::min<size_t>(1, text.size()) : text.size() / 2));
        XFlush(display);
        pieceSent = !endless;
      }
    }
    int timeout = -1;
    if (!hold && !pending.empty()) {
      const auto left = pending.front().due - SteadyClock::now();
      timeout = static_cast<int>(std::max<int64_t>(0, std::chrono::ceil<std::chrono::milliseconds>(left).count()));
    }
    pollfd entries[2] = {{ConnectionNumber(display), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
    ::poll(entries, 2, timeout);
    if (entries[1].revents != 0) {
      char buffer[256];
      if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0) return 0;
      if (renew && hold) {
        pending.clear();
        text += " again";
        XSetSelectionOwner(display, clipboard, window, CurrentTime);
        XSync(display, False);
        hold = false;
        std::printf("renewed\n");
        std::fflush(stdout);
      } else if (hold) {
        for (const Pending& p : pending) answer(p.request);
        pending.clear();
      }
    }
    while (!hold && !pending.empty() && pending.front().due <= SteadyClock::now()) {
      answer(pending.front().request);
      pending.erase(pending.begin());
    }
  }
}
