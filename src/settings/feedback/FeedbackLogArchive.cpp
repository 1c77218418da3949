#include "settings/feedback/FeedbackLogArchive.h"

#include <stdlib.h>

#include <system_error>
#include <vector>

#include "common/Log.h"
#include "common/ZipArchive.h"
#include "platform/runtime/Paths.h"

namespace zu {

namespace {

bool isFile(const std::optional<std::string>& path) {
  std::error_code error;
  return path && std::filesystem::is_regular_file(*path, error);
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
  std::string pattern = (tmp / "feedback-XXXXXX").string();
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (::mkdtemp(name.data()) == nullptr) return std::nullopt;
  folder_ = std::string(name.data());
  const std::string path = (std::filesystem::path(*folder_) / kArchiveName).string();

  bool ok;
  {
    ZipArchive zip;
    ok = zip.createZipFile2(path);
    if (ok && isFile(log)) ok = zip.addFileToZip(*log, kLogEntryName);
    if (ok && isFile(lastLog)) ok = zip.addFileToZip(*lastLog, kLastLogEntryName);
    ok = zip.closeZipFile2() && ok;
  }
  if (!ok) {
    remove();
    return std::nullopt;
  }
  path_ = path;
  return path_;
}

void FeedbackLogArchive::remove() {
  if (!folder_) return;
  std::error_code ignored;
  std::filesystem::remove_all(*folder_, ignored);
  folder_.reset();
  path_.reset();
}

}  // namespace zu
