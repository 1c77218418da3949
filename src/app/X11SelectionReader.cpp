#include "app/X11SelectionReader.h"

#include <poll.h>

#include <algorithm>

// Last: they bring the X11 macros.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

namespace zu {

namespace {

using SteadyClock = std::chrono::steady_clock;

// How often the wait lets `whileWaiting` run.
constexpr std::chrono::milliseconds kPumpStep{10};

}  // namespace

struct X11SelectionReader::Connection {
  Display* display = nullptr;
  Window window = 0;
  Atom clipboard = 0, utf8 = 0, incr = 0, property = 0, stamp = 0;
  int fixesEvents = -1;  // XFixes' first event code; -1 without the extension

  // The request asked and not yet answered: its owner and its time.
  struct Asked {
    Window owner;
    Time time;
  };
  std::optional<Asked> asked;
  // Its answer, once it came (also while nobody was reading).
  std::optional<XSelectionEvent> answer;
  // The last text read, while the selection was not set again since.
  struct Kept {
    Window owner;
    Result result;
  };
  std::optional<Kept> kept;

  ~Connection() {
    if (!display) return;
    if (window) XDestroyWindow(display, window);
    XCloseDisplay(display);
  }

  // Every event read passes here: a selection set again drops the text kept, and the answer to
  // the request asked is kept until it is read.
  void note(const XEvent& event) {
    // The selection set again (by its owner or another program), or its owner gone: the text
    // kept is old, and the request asked may never be answered (an owner that set a new text
    // need not answer for the old one; one that ended cannot).
    if (fixesEvents >= 0 && event.type == fixesEvents + XFixesSelectionNotify) {
      kept.reset();
      asked.reset();
      answer.reset();
    }
    if (event.type == SelectionNotify && asked && event.xselection.selection == clipboard &&
        event.xselection.time == asked->time) {
      answer = event.xselection;
    }
  }

  // Takes in what the server sent; true when `match` takes `event` (which then holds it). Ends
  // at `deadline` too, however many events keep coming (any program may send them).
  template <typename Match>
  bool drain(Match&& match, XEvent& event, SteadyClock::time_point deadline) {
    while (XPending(display) > 0) {
      XNextEvent(display, &event);
      note(event);
      if (match(event)) return true;
      if (SteadyClock::now() >= deadline) return false;
    }
    return false;
  }
  // Takes in the events the server has sent so far.
  void drain() {
    XEvent event;
    for (int queued = XEventsQueued(display, QueuedAfterReading); queued > 0; --queued) {
      XNextEvent(display, &event);
      note(event);
    }
  }

  // Waits until `match` takes an event, up to kAnswerWait and not past `until`, running
  // `whileWaiting` meanwhile.
  template <typename Match>
  bool waitFor(Match&& match, XEvent& event, const std::function<void()>& whileWaiting,
               SteadyClock::time_point until) {
    const auto deadline = std::min(until, SteadyClock::now() + kAnswerWait);
    for (;;) {
      if (drain(match, event, deadline)) return true;
      const auto left = deadline - SteadyClock::now();
      if (left <= SteadyClock::duration::zero()) return false;
      if (whileWaiting) whileWaiting();
      if (drain(match, event, deadline)) return true;
      pollfd entry{ConnectionNumber(display), POLLIN, 0};
      const auto step = std::min<SteadyClock::duration>(left, kPumpStep);
      ::poll(&entry, 1, static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(step).count()));
    }
  }

  // The server's time now: a change of a property of the window comes back with it.
  Time serverTime(const std::function<void()>& whileWaiting, SteadyClock::time_point until) {
    XChangeProperty(display, window, stamp, XA_INTEGER, 32, PropModeAppend, nullptr, 0);
    XEvent event;
    if (waitFor([this](const XEvent& e) { return e.type == PropertyNotify && e.xproperty.atom == stamp; }, event,
                whileWaiting, until)) {
      return event.xproperty.time;
    }
    return CurrentTime;
  }

  // Reads the window's property whole into `out` (appended: only text, of 8-bit units) and
  // deletes it. False when it is not there; `tooLong` when `out` would pass kMaxBytes (nothing
  // of it is kept then). The property is read in one request from its start: a request from
  // an offset past its end is an X error, which ends the process, and an owner may change the
  // property between two requests (or hold other units than bytes, which shifts the offsets).
  bool takeProperty(std::string& out, Atom& type, bool& tooLong) {
    tooLong = false;
    const size_t room = kMaxBytes - std::min(out.size(), kMaxBytes);
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, property, 0, static_cast<long>(room / 4 + 1), False, AnyPropertyType,
                           &type, &format, &items, &after, &data) != Success) {
      return false;
    }
    if (type == None) {
      if (data) XFree(data);
      return false;
    }
    // The bytes the owner sent (Xlib hands 32-bit units over as longs).
    const size_t bytes = items * static_cast<size_t>(format / 8);
    if (after > 0 || bytes > room) {
      tooLong = true;
    } else if (data && format == 8) {
      out.append(reinterpret_cast<const char*>(data), bytes);
    }
    if (data) XFree(data);
    XDeleteProperty(display, window, property);
    return true;
  }
};

X11SelectionReader::X11SelectionReader(const char* displayName, std::function<void()> whileWaiting,
                                       std::chrono::milliseconds readLimit)
    : x_(std::make_unique<Connection>()), whileWaiting_(std::move(whileWaiting)), readLimit_(readLimit) {
  x_->display = XOpenDisplay(displayName);
  if (!x_->display) return;
  Display* d = x_->display;
  x_->window = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
  XSelectInput(d, x_->window, PropertyChangeMask);
  x_->clipboard = XInternAtom(d, "CLIPBOARD", False);
  x_->utf8 = XInternAtom(d, "UTF8_STRING", False);
  x_->incr = XInternAtom(d, "INCR", False);
  x_->property = XInternAtom(d, "ZU_CLIPBOARD", False);
  x_->stamp = XInternAtom(d, "ZU_TIMESTAMP", False);
  int fixesEvents = 0, fixesErrors = 0;
  if (XFixesQueryExtension(d, &fixesEvents, &fixesErrors)) {
    x_->fixesEvents = fixesEvents;
    XFixesSelectSelectionInput(d, x_->window, x_->clipboard,
                               XFixesSetSelectionOwnerNotifyMask | XFixesSelectionWindowDestroyNotifyMask |
                                   XFixesSelectionClientCloseNotifyMask);
  }
  XFlush(d);
}

X11SelectionReader::~X11SelectionReader() = default;

bool X11SelectionReader::isOpen() const { return x_->display != nullptr; }

void X11SelectionReader::forget() { x_->kept.reset(); }

X11SelectionReader::Result X11SelectionReader::read() {
  Connection& x = *x_;
  if (!x.display) return {};
  const auto until = SteadyClock::now() + readLimit_;
  XEvent event;
  Window owner = None;
  // Asked again when the selection is set anew, or its owner goes, while the answer is awaited.
  for (;;) {
    // The owner first: a change of owner told before this answer is in the queue by now.
    owner = XGetSelectionOwner(x.display, x.clipboard);
    x.drain();
    if (owner == None) {
      x.asked.reset();
      x.kept.reset();
      return {};
    }
    if (x.fixesEvents >= 0 && x.kept && x.kept->owner == owner) return x.kept->result;
    x.kept.reset();
    // A request asked of another owner is not this one's to answer.
    if (x.asked && x.asked->owner != owner) {
      x.asked.reset();
      x.answer.reset();
    }
    if (!x.asked) {
      x.answer.reset();
      const Time time = x.serverTime(whileWaiting_, until);
      XDeleteProperty(x.display, x.window, x.property);
      XConvertSelection(x.display, x.clipboard, x.utf8, x.property, x.window, time);
      x.asked = Connection::Asked{owner, time};
    }
    if (x.answer) break;
    if (!x.waitFor([&x](const XEvent&) { return x.answer.has_value() || !x.asked; }, event, whileWaiting_, until)) {
      return {Outcome::NoAnswer, {}};
    }
    if (x.answer) break;
    if (SteadyClock::now() >= until) return {Outcome::NoAnswer, {}};
  }
  const XSelectionEvent answered = *x.answer;
  x.asked.reset();
  x.answer.reset();

  Result result;
  Atom type = None;
  bool tooLong = false;
  if (answered.property == None || !x.takeProperty(result.text, type, tooLong)) {
    result = {};
  } else if (tooLong) {
    result = {Outcome::TooLong, {}};
  } else if (type == x.incr) {
    // In increments: each deletion of the property asks for the next; an empty one ends it.
    result.text.clear();
    const auto increment = [&x](const XEvent& e) {
      return e.type == PropertyNotify && e.xproperty.atom == x.property && e.xproperty.state == PropertyNewValue;
    };
    for (;;) {
      // An owner that keeps sending (or keeps setting the property and taking it away) ends
      // with the read's limit.
      if (!x.waitFor(increment, event, whileWaiting_, until)) {
        result = {Outcome::BrokenOff, {}};
        break;
      }
      const size_t before = result.text.size();
      if (!x.takeProperty(result.text, type, tooLong)) continue;  // gone again: wait for the next
      if (tooLong) {
        result = {Outcome::TooLong, {}};
        break;
      }
      if (result.text.size() == before) {
        result.outcome = Outcome::Text;
        break;
      }
    }
  } else {
    result.outcome = Outcome::Text;
  }
  if (result.outcome == Outcome::Text && result.text.empty()) result.outcome = Outcome::NoText;
  if (result.outcome == Outcome::Text || result.outcome == Outcome::NoText) {
    x.kept = Connection::Kept{owner, result};
  }
  return result;
}

}  // namespace zu
