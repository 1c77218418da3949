#include "common/StagedFolder.h"

#include <fcntl.h>
#include <stdio.h>

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <utility>

#include "platform/runtime/FolderHandle.h"

namespace zu {

namespace fs = std::filesystem;

namespace {

// Hard links to (or copies of) every file below `from` that has no counterpart below `to`.
bool carryOver(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  if (!fs::is_directory(fs::symlink_status(from, ec))) return true;  // a link is carried nowhere
  for (fs::recursive_directory_iterator it(from, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path relative = it->path().lexically_relative(from);
    const fs::path there = to / relative;
    const fs::file_status status = it->symlink_status(ec);
    if (ec) return false;
    if (fs::is_directory(status)) {
      const fs::file_status other = fs::symlink_status(there, ec);
      if (!fs::exists(other)) {
        ec.clear();
        if (!FolderHandle::openReal(there)) return false;
      } else if (!fs::is_directory(other)) {
        it.disable_recursion_pending();  // the new contents put a file in its place
      }
      ec.clear();
      continue;
    }
    if (fs::exists(fs::symlink_status(there, ec))) continue;  // the new contents replace it
    ec.clear();
    if (!fs::is_regular_file(status)) continue;
    fs::create_hard_link(it->path(), there, ec);
    if (ec) {
      ec.clear();
      fs::copy_file(it->path(), there, ec);
    }
    if (ec) return false;
  }
  return !ec;
}

}  // namespace

StagedFolder::StagedFolder(std::string target) : target_(std::move(target)) {
  while (target_.size() > 1 && target_.back() == '/') target_.pop_back();
  staging_ = target_ + ".staging";
  old_ = target_ + ".old";
}

StagedFolder::~StagedFolder() { abandon(); }

bool StagedFolder::begin() {
  std::error_code ec;
  // A process killed between the two renames of the fallback swap left the old contents here
  // (a real folder: a link in its place is no book of ours, and goes below).
  if (!fs::exists(fs::symlink_status(target_, ec)) && fs::is_directory(fs::symlink_status(old_, ec))) {
    fs::rename(old_, target_, ec);
  }
  fs::remove_all(old_, ec);
  fs::remove_all(staging_, ec);
  // Made afresh, each folder on the way real (below the home: no link followed).
  begun_ = !fs::exists(fs::symlink_status(staging_, ec)) && FolderHandle::openReal(staging_);
  return begun_;
}

bool StagedFolder::commit() {
  if (!begun_) return false;
  std::error_code ec;
  if (!carryOver(target_, staging_)) {
    abandon();
    return false;
  }
  if (!fs::exists(target_, ec)) {
    fs::rename(staging_, target_, ec);
    if (ec) {
      abandon();
      return false;
    }
    begun_ = false;
    return true;
  }
  if (::renameat2(AT_FDCWD, staging_.c_str(), AT_FDCWD, target_.c_str(), RENAME_EXCHANGE) == 0) {
    // The staging folder now holds the old contents.
    abandon();
    return true;
  }
  // No atomic exchange here: two renames, undone should the second fail.
  fs::rename(target_, old_, ec);
  if (ec) {
    abandon();
    return false;
  }
  fs::rename(staging_, target_, ec);
  if (ec) {
    std::error_code back;
    fs::rename(old_, target_, back);
    abandon();
    return false;
  }
  begun_ = false;
  fs::remove_all(old_, ec);
  return true;
}

void StagedFolder::removeLeftovers(std::string target) {
  const StagedFolder names(std::move(target));
  std::error_code ec;
  fs::remove_all(names.staging_, ec);
  fs::remove_all(names.old_, ec);
}

void StagedFolder::abandon() {
  if (!begun_) return;
  begun_ = false;
  std::error_code ec;
  fs::remove_all(staging_, ec);
}

}  // namespace zu
