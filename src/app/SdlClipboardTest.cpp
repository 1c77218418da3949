#include "app/SdlClipboard.h"

#include <SDL.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/X11SelectionReader.h"
#include "testing/XvfbDisplay.h"

// Last: they bring the X11 macros.
#include <X11/Xlib.h>

extern char** environ;

namespace zu {
namespace {

// Another program of the desktop, run with its standard input and output (and error) on pipes.
class Program {
 public:
  explicit Program(std::vector<std::string> args) {
    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDERR_FILENO);
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    if (posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    input_ = in[1];
    output_ = out[0];
  }
  ~Program() {
    closeInput();
    if (output_ >= 0) ::close(output_);
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
  }

  bool write(std::string_view bytes) {
    while (!bytes.empty()) {
      const ssize_t n = ::write(input_, bytes.data(), bytes.size());
      if (n <= 0) return false;
      bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
  }
  void closeInput() {
    if (input_ >= 0) ::close(input_);
    input_ = -1;
  }
  // Waits until the program has written `line` (or ended, or 30 s passed).
  bool waitFor(std::string_view line) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (written_.find(line) == std::string::npos && std::chrono::steady_clock::now() < end) {
      pollfd entry{output_, POLLIN, 0};
      if (::poll(&entry, 1, 1000) <= 0) continue;
      char buffer[512];
      const ssize_t n = ::read(output_, buffer, sizeof buffer);
      if (n <= 0) break;
      written_.append(buffer, static_cast<size_t>(n));
    }
    return written_.find(line) != std::string::npos;
  }
  bool running() const { return pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == 0; }
  // Everything it writes, once it has ended.
  std::string readAll() {
    closeInput();
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(output_, buffer, sizeof buffer)) > 0) written_.append(buffer, static_cast<size_t>(n));
    return written_;
  }

 private:
  pid_t pid_ = -1;
  int input_ = -1;
  int output_ = -1;
  std::string written_;
};

// Lines of a text as long as `bytes`, of letters and other scripts.
std::string longText(size_t bytes) {
  std::string text;
  for (int line = 0; text.size() < bytes; ++line) {
    text += "line " + std::to_string(line) + " 渡船 harbour ферри 🚢 ";
    text += std::string(static_cast<size_t>(line % 61), 'x') + "\n";
  }
  text.resize(bytes);
  return text;
}

// The clipboard of a real X11 desktop — an Xvfb of the test's own, SDL's X11 video driver —
// with real owners: xclip (which sends a text above about a mebibyte in increments) and a
// program that answers slowly or when told (zu_test_clipboard_owner).
class SdlClipboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!xvfb_.available()) GTEST_SKIP() << "no Xvfb here (scripts/install-deps.sh installs it)";
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS"}) {
      const char* value = std::getenv(name);
      saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }
    setenv("DISPLAY", xvfb_.name().c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    // No session bus: SDL's video start would otherwise have libdbus start one for the display.
    setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/zu-no-bus", 1);
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    ASSERT_EQ(0, SDL_InitSubSystem(SDL_INIT_VIDEO)) << SDL_GetError();
    videoUp_ = true;
    window_ = SDL_CreateWindow("clipboard", 0, 0, 32, 32, SDL_WINDOW_HIDDEN);
    ASSERT_NE(nullptr, window_) << SDL_GetError();
    clipboard_ =
        std::make_unique<SdlClipboard>(window_, [this](const std::string& text) { notices_.push_back(text); });
    display_ = XOpenDisplay(xvfb_.name().c_str());
    ASSERT_NE(nullptr, display_);
  }
  void TearDown() override {
    clipboard_.reset();
    if (window_) SDL_DestroyWindow(window_);
    if (display_) XCloseDisplay(display_);
    if (videoUp_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    SDL_ResetHint(SDL_HINT_VIDEODRIVER);
    for (const auto& [name, value] : saved_) {
      if (value) setenv(name.c_str(), value->c_str(), 1); else unsetenv(name.c_str());
    }
  }
  // The window that owns the clipboard now (None: nobody).
  Window owner() { return XGetSelectionOwner(display_, XInternAtom(display_, "CLIPBOARD", False)); }
  // xclip, owning the clipboard with `text`.
  std::unique_ptr<Program> xclipOwning(const std::string& text) {
    const Window before = owner();
    auto xclip = std::make_unique<Program>(std::vector<std::string>{"xclip", "-selection", "clipboard", "-i", "-verbose"});
    EXPECT_TRUE(xclip->write(text));
    xclip->closeInput();
    EXPECT_TRUE(xclip->waitFor("Waiting for selection requests"));
    // It says so before its claim has reached the server.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while ((owner() == None || owner() == before) && std::chrono::steady_clock::now() < end) {
      pollfd none{-1, 0, 0};
      ::poll(&none, 0, 10);
    }
    return xclip;
  }
  std::unique_ptr<Program> slowOwner(const std::string& text, const std::string& delay) {
    auto owner = std::make_unique<Program>(std::vector<std::string>{ZU_TEST_CLIPBOARD_OWNER, text, delay});
    EXPECT_TRUE(owner->waitFor("owned\n"));
    return owner;
  }

  XvfbDisplay xvfb_;
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
  bool videoUp_ = false;
  SDL_Window* window_ = nullptr;
  std::unique_ptr<SdlClipboard> clipboard_;
  std::vector<std::string> notices_;
  Display* display_ = nullptr;
};

// A text that its owner sends in increments (xclip: above about a mebibyte) is pasted whole,
// not as nothing; one longer than the reader takes is not pasted, and the reader is told so.
TEST_F(SdlClipboardTest, ATextSentInIncrementsIsReadWhole) {
  const std::string text = longText(size_t{3} << 20);
  {
    auto xclip = xclipOwning(text);
    const std::optional<std::string> pasted = clipboard_->text();
    ASSERT_TRUE(pasted.has_value());
    EXPECT_EQ(text.size(), pasted->size());
    EXPECT_TRUE(*pasted == text);
    EXPECT_TRUE(notices_.empty());
  }
  auto xclip = xclipOwning(longText(X11SelectionReader::kMaxBytes + 1));
  EXPECT_FALSE(clipboard_->text().has_value());
  EXPECT_EQ(std::vector<std::string>{SdlClipboard::kTooLongNotice}, notices_);
}

// An owner slower than a second is waited for, and keeps the clipboard. One that does not
// answer at all keeps it too: the paste says the clipboard did not answer, and the next paste
// takes the answer it gave meanwhile.
TEST_F(SdlClipboardTest, ASlowOwnerIsWaitedForAndKeepsItsClipboard) {
  {
    auto slow = slowOwner("ferry at six", "1500");
    const Window held = owner();
    EXPECT_EQ(std::optional<std::string>("ferry at six"), clipboard_->text());
    EXPECT_TRUE(notices_.empty());
    EXPECT_EQ(held, owner());
    EXPECT_TRUE(slow->running());
  }
  auto holding = slowOwner("tide at nine", "hold");
  const Window held = owner();
  EXPECT_FALSE(clipboard_->text().has_value());
  EXPECT_EQ(std::vector<std::string>{SdlClipboard::kNoAnswerNotice}, notices_);
  EXPECT_EQ(held, owner());
  EXPECT_TRUE(holding->running());
  ASSERT_TRUE(holding->write("answer\n"));
  EXPECT_EQ(std::optional<std::string>("tide at nine"), clipboard_->text());
  EXPECT_EQ(1u, notices_.size());
}

// An owner that ends while it is asked is not waited for: the clipboard is empty. One that sets
// a new text after not answering (dropping the request it left) is asked again for it.
TEST_F(SdlClipboardTest, AnOwnerThatGoesOrSetsANewTextWhileAskedIsNotWaitedForInVain) {
  {
    auto dying = slowOwner("gone at the first request", "die");
    EXPECT_FALSE(clipboard_->text().has_value());
    EXPECT_TRUE(notices_.empty());
    EXPECT_EQ(None, owner());
  }
  auto renewing = slowOwner("tide at nine", "renew");
  EXPECT_FALSE(clipboard_->text().has_value());
  EXPECT_EQ(std::vector<std::string>{SdlClipboard::kNoAnswerNotice}, notices_);
  ASSERT_TRUE(renewing->write("renew\n"));
  ASSERT_TRUE(renewing->waitFor("renewed\n"));
  EXPECT_EQ(std::optional<std::string>("tide at nine again"), clipboard_->text());
  EXPECT_EQ(1u, notices_.size());
}

// An answer in increments that stops after its first is not pasted as a part, and the reader is
// told it did not come whole.
TEST_F(SdlClipboardTest, AnAnswerThatStopsBetweenIncrementsIsTold) {
  auto stalling = slowOwner("half of this comes, the rest never", "stall");
  EXPECT_FALSE(clipboard_->text().has_value());
  EXPECT_EQ(std::vector<std::string>{SdlClipboard::kBrokenOffNotice}, notices_);
}

// An owner that sends its answer in increments without end (one byte each) keeps the reader
// waiting no longer than its read's limit, and the read says the answer did not come whole.
TEST_F(SdlClipboardTest, AnAnswerInIncrementsWithoutEndEndsWithTheReadsLimit) {
  auto endless = slowOwner("z", "endless");
  X11SelectionReader reader(xvfb_.name().c_str(), {}, std::chrono::milliseconds(500));
  ASSERT_TRUE(reader.isOpen());
  EXPECT_EQ(X11SelectionReader::Outcome::BrokenOff, reader.read().outcome);
  EXPECT_TRUE(endless->running());
}

// An owner that answers with mebibytes of 32-bit units where text was asked for gives no text,
// and reading its answer raises no X error (which would end the process).
TEST_F(SdlClipboardTest, AnAnswerInAnotherFormatIsNoText) {
  auto wide = slowOwner("not this", "wide");
  EXPECT_FALSE(clipboard_->text().has_value());
  EXPECT_TRUE(notices_.empty());
  EXPECT_TRUE(wide->running());
}

// What the client copies is pasted back (its own window answers while the reader waits) and is
// read by another program; what another program copies afterwards is what is pasted.
TEST_F(SdlClipboardTest, WhatTheClientCopiedIsPastedBackAndReadElsewhere) {
  ASSERT_TRUE(clipboard_->setText("渡船 at six"));
  EXPECT_EQ(std::optional<std::string>("渡船 at six"), clipboard_->text());
  Program reader({"xclip", "-selection", "clipboard", "-o"});
  // xclip asks while this process answers only as SDL's events are pumped.
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (reader.running() && std::chrono::steady_clock::now() < end) {
    SDL_PumpEvents();
    pollfd none{-1, 0, 0};
    ::poll(&none, 0, 10);
  }
  EXPECT_EQ("渡船 at six", reader.readAll());
  auto xclip = xclipOwning("from elsewhere");
  EXPECT_EQ(std::optional<std::string>("from elsewhere"), clipboard_->text());
  EXPECT_TRUE(notices_.empty());
}

}  // namespace
}  // namespace zu
