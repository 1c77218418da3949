// ScratchDesktop: the desktop user's folders of an engine test run — a scratch folder standing
// for $HOME, with its download, data, cache and configuration folders — so that whatever the
// engine writes outside the client's home during the run lands there and not in the real ones.
// start() points the environment at it before the engine starts (its processes inherit it), as
// a desktop with no runtime folder (no XDG_RUNTIME_DIR: where the libraries fall back on the
// home); tests plant files of names a page asks to save under (plant()), and everything the run
// left there beyond what was planted is listed by strays(), every folder in which an entry was
// made or removed since (a file made and removed again included) by touched().
//
// Included by the engine suites' test files only (through WebEngineTestMain.h). One per process
// (shared()); main thread.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "platform/crypto/SecureRandom.h"
#include "testing/TestFiles.h"

namespace zu::web {

class ScratchDesktop {
 public:
  static ScratchDesktop& shared() {
    static ScratchDesktop desktop;
    return desktop;
  }

  // Makes the folder, points HOME and the XDG folders at it and drops the runtime folder. Call
  // first in main, before any thread or library reads them.
  void start() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zu_desktop_XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a scratch desktop folder");
    root_ = pattern;
    const std::map<std::string, std::filesystem::path> folders = {
        {"XDG_DOWNLOAD_DIR", root_ / "Downloads"},   {"XDG_DATA_HOME", root_ / ".local" / "share"},
        {"XDG_CACHE_HOME", root_ / ".cache"},        {"XDG_CONFIG_HOME", root_ / ".config"}};
    setenv("HOME", root_.c_str(), 1);
    unsetenv("XDG_RUNTIME_DIR");
    for (const auto& [name, folder] : folders) {
      std::filesystem::create_directories(folder);
      setenv(name.c_str(), folder.c_str(), 1);
    }
    made_ = listing();
    times_ = folderTimes();
  }

  const std::filesystem::path& root() const { return root_; }
  std::filesystem::path downloads() const { return root_ / "Downloads"; }

  // A name no other test or run uses.
  static std::string uniqueName(const std::string& stem, const std::string& extension) {
    return stem + "-" + crypto::SecureRandom::hexToken(8) + extension;
  }
  // Writes `contents` under `name` in the home and in the download folder.
  void plant(const std::string& name, const std::string& contents) {
    for (const auto& folder : {root_, downloads()}) {
      TestFiles::write(folder / name, contents);
      planted_[std::filesystem::relative(folder / name, root_).string()] = contents;
    }
    times_ = folderTimes();
  }
  // The planted files whose bytes changed or that are gone.
  std::vector<std::string> damaged() const {
    std::vector<std::string> names;
    for (const auto& [name, contents] : planted_) {
      std::error_code ec;
      if (!std::filesystem::is_regular_file(root_ / name, ec) || TestFiles::read(root_ / name) != contents) {
        names.push_back(name);
      }
    }
    return names;
  }
  // Everything that changed since start(): the planted files damaged ("damaged: <name>") and
  // what is there beyond them and the folders start() made.
  std::vector<std::string> changes() const {
    std::vector<std::string> found;
    for (const auto& name : damaged()) found.push_back("damaged: " + name);
    for (const auto& name : strays()) found.push_back(name);
    for (const auto& name : touched()) found.push_back("touched: " + name);
    return found;
  }
  // The folders (by relative path, "." for the root) whose entries changed since start() or the
  // last plant().
  std::vector<std::string> touched() const {
    std::vector<std::string> found;
    const auto now = folderTimes();
    for (const auto& [name, time] : times_) {
      auto it = now.find(name);
      if (it != now.end() && it->second != time) found.push_back(name);
    }
    return found;
  }
  // What is in the folder beyond the folders start() made and the planted files.
  std::vector<std::string> strays() const {
    std::vector<std::string> found;
    for (const auto& entry : listing()) {
      if (!made_.count(entry) && !planted_.count(entry)) found.push_back(entry);
    }
    return found;
  }

  ~ScratchDesktop() {
    std::error_code ignored;
    if (!root_.empty()) std::filesystem::remove_all(root_, ignored);
  }

 private:
  ScratchDesktop() = default;

  std::set<std::string> listing() const {
    std::set<std::string> entries;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(root_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
      entries.insert(std::filesystem::relative(it->path(), root_).string());
    }
    return entries;
  }

  // Each folder's time of last change, in nanoseconds.
  std::map<std::string, int64_t> folderTimes() const {
    std::map<std::string, int64_t> times;
    auto add = [&](const std::filesystem::path& folder) {
      struct stat st {};
      if (::lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        times[std::filesystem::relative(folder, root_).string()] =
            static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
      }
    };
    add(root_);
    for (const auto& entry : listing()) add(root_ / entry);
    return times;
  }

  std::filesystem::path root_;
  std::set<std::string> made_;
  std::map<std::string, int64_t> times_;
  std::map<std::string, std::string> planted_;
};

}  // namespace zu::web
