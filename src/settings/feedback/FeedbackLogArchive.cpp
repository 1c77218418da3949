#include "settings/feedback/FeedbackLogArchive.h"

#include <stdlib.h>

#include <ctime>
#include <system_error>
#include <utility>
#include <vector>

#include "common/Log.h"
#include "common/ZipArchive.h"
#include "platform/runtime/FolderHandle.h"
#include "platform/runtime/Paths.h"

namespace zu {

namespace {

// The bytes and time of a log file, read only when it is a regular file itself, of one name: a
// link in its place (to anything of the reader's) is not followed, and a file with another name
// (a hard link put there since the log opened: the other name may be a file outside the home) is
// left out, decided on what was read, so the upload never carries a file of the reader's.
struct LogFile {
  std::string bytes;
  std::time_t modified;
};
std::optional<LogFile> readLogFile(const std::optional<std::string>& path) {
  if (!path) return std::nullopt;
  const std::filesystem::path file(*path);
  auto folder = FolderHandle::openExisting(file.parent_path());
  if (!folder) return std::nullopt;
  struct stat st;
  auto bytes = folder->readFile(file.filename().string(), &st);
  if (!bytes) return std::nullopt;
  if (st.st_nlink > 1) {
    FolderHandle::report("FeedbackLogArchive: " + *path + " has " + std::to_string(st.st_nlink) +
                         " names, left out of the archive");
    return std::nullopt;
  }
  return LogFile{std::string(bytes->begin(), bytes->end()), st.st_mtime};
}

}  // namespace

FeedbackLogArchive::~FeedbackLogArchive() { remove(); }

std::optional<std::string> FeedbackLogArchive::make() {
  std::optional<std::string> made;
  VESKLogWithFilesLocked([&](const std::optional<std::string>& log, const std::optional<std::string>& lastLog) {
    made = make(log, lastLog);
  });
  return made;
}

std::optional<std::string> FeedbackLogArchive::make(const std::optional<std::string>& log,
                                                    const std::optional<std::string>& lastLog) {
  remove();
  const std::filesystem::path tmp = Paths::tmp();
  std::error_code error;
  std::filesystem::permissions(tmp, std::filesystem::perms::owner_all, std::filesystem::perm_options::replace, error);
  if (error) return std::nullopt;
  // A folder of our own (mkdtemp makes it 0700 under a name no one else has), so the archive
  // keeps the plain name "log.zip" the feedback host is sent.
  std::string pattern = (tmp / (std::string(kFolderPrefix) + "XXXXXX")).string();
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (::mkdtemp(name.data()) == nullptr) return std::nullopt;
  folder_ = std::string(name.data());
  const std::string path = (std::filesystem::path(*folder_) / kArchiveName).string();

  bool ok;
  {
    ZipArchive zip;
    ok = zip.createZipFile2(path);
    for (const auto& [file, entry] : {std::pair{&log, kLogEntryName}, std::pair{&lastLog, kLastLogEntryName}}) {
      if (!ok) break;
      if (auto read = readLogFile(*file)) ok = zip.addDataToZip(read->bytes, entry, read->modified);
    }
    ok = zip.closeZipFile2() && ok;
  }
  if (!ok) {
    remove();
    return std::nullopt;
  }
  path_ = path;
  return path_;
}

size_t FeedbackLogArchive::removeLeftovers() {
  const std::optional<FolderHandle> tmp = Paths::openExistingFolder("tmp");
  if (!tmp) return 0;
  size_t removed = 0;
  for (const std::string& name : tmp->names()) {
    if (!FolderHandle::isFreshName(name, kFolderPrefix)) continue;
    const std::optional<FolderHandle> folder = tmp->openExistingPath(name);
    if (!folder) continue;
    // What make() leaves: nothing yet, or the archive alone.
    const std::vector<std::string> inside = folder->names();
    const bool archiveAlone = inside.size() == 1 && inside[0] == kArchiveName && folder->isRegularFile(kArchiveName);
    if (!inside.empty() && !archiveAlone) continue;
    if (tmp->remove(name)) {
      ++removed;
      FolderHandle::report("FeedbackLogArchive: removed " + (tmp->path() / name).string() +
                           ", an archive left by a run that ended");
    }
  }
  return removed;
}

void FeedbackLogArchive::remove() {
  if (!folder_) return;
  std::error_code ignored;
  std::filesystem::remove_all(*folder_, ignored);
  folder_.reset();
  path_.reset();
}

}  // namespace zu
