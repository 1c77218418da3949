// ZipArchiveDelegate: what a ZipArchive tells its (optional) delegate while it works: error
// texts, the question whether an existing file may be overwritten, and extraction progress.
// Every callback has a default, so a delegate overrides only what it needs. Called on the
// thread that called the archive's operation; the archive holds its delegate (shared).
#pragma once

#include <string>

namespace zu {

class ZipArchiveDelegate {
 public:
  virtual ~ZipArchiveDelegate() = default;

  // A failure while extracting, in words ("Error occurs", "Failed to reading zip file" ...).
  virtual void errorMessage(const std::string& /*message*/) {}
  // An entry would replace the existing file at `path`: true to overwrite, false to skip it.
  virtual bool overWriteOperation(const std::string& /*path*/) { return true; }
  // Extraction progress in percent of the bytes to write.
  virtual void unzipPercent(float /*percent*/) {}
};

}  // namespace zu
