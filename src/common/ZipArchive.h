// ZipArchive: writes zip archives (the feedback screen packs the log files) and extracts them
// (the book download unpacks downloaded books), over minizip. One archive being written and one
// being read may be open at a time; destruction closes both.
//
// Writing: createZipFile2 (optionally with a password: the classic zip encryption, done by
// ZipCipher), addFileToZip per file, closeZipFile2. A file that cannot be read is added as an
// empty entry.
// Reading: unzipOpenFile (optionally with a password), unzipFileTo a folder, unzipCloseFile; or
// the one-call unzipFile. Archives come from the network, so extraction refuses what could
// escape or corrupt the folder: an entry whose name is absolute or climbs with "..", an entry
// that cannot be written, one compressed other than stored or deflated, a read error, a bad
// CRC, data that ends before the entry's size, a broken directory and entries claiming more
// than kMaxExtractedBytes together all end the call with false (the file being written is
// removed), after telling the delegate.
//
// Not thread-safe: one thread at a time. Paths and entry names are UTF-8.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace zu {

class FolderHandle;
class ZipArchiveDelegate;

class ZipArchive {
 public:
  // Most bytes one extraction writes, all entries together: far above any book, far below
  // what a hostile archive (a few kilobytes claiming gigabytes) could fill the disk with.
  static constexpr uint64_t kMaxExtractedBytes = uint64_t{1} << 30;

  ZipArchive();
  ~ZipArchive();
  ZipArchive(const ZipArchive&) = delete;
  ZipArchive& operator=(const ZipArchive&) = delete;

  // Creates a new archive at `path` (an existing file is replaced). True when created.
  bool createZipFile2(const std::string& path);
  // Keeps the password for the entries added next, then creates the archive.
  bool createZipFile2(const std::string& path, const std::string& password);
  // Adds the file at `file` as entry `newname`, deflated, dated with the file's modification
  // time. A missing or unreadable file gives an empty entry. False when no archive is being
  // written or the entry could not be written.
  bool addFileToZip(const std::string& file, const std::string& newname);
  // Adds `data` as entry `newname` in the same way, dated `modified` (none: no date).
  bool addDataToZip(const std::string& data, const std::string& newname,
                    std::optional<std::time_t> modified);
  // Closes the archive being written (no comment) and forgets the password. False when none is
  // open or closing failed.
  bool closeZipFile2();

  // Opens an archive for extraction; prints "<n> entries in the zip file". True when opened.
  bool unzipOpenFile(const std::string& path);
  bool unzipOpenFile(const std::string& path, const std::string& password);
  // Extracts every entry below `folder` (created when missing), making intermediate folders
  // and giving each file its stored date. An existing file is replaced when `overWrite`, else
  // only when the delegate agrees (or there is none to ask); a refused entry is skipped. True
  // when every entry was handled; false at the first failure (see above).
  bool unzipFileTo(const std::string& folder, bool overWrite);
  // Closes the archive being read and forgets the password. True when none was open or closing
  // succeeded.
  bool unzipCloseFile();

  const std::shared_ptr<ZipArchiveDelegate>& delegate() const { return delegate_; }
  void setDelegate(std::shared_ptr<ZipArchiveDelegate> delegate) { delegate_ = std::move(delegate); }

  // 1 January 1980, 00:00 local time (the earliest date a zip entry can hold).
  static std::time_t date1980();

  // Opens the archive at `zipPath`, extracts it into `folder` and closes it. False when either
  // path is empty or missing, or at the first step that fails; else the result of closing.
  static bool unzipFile(const std::string& zipPath, const std::string& folder, bool overWrite);

 private:
  void outputErrorMessage(const std::string& message);
  bool overWrite(const std::string& path);
  void unzipPerc(float percent);
  // Gives the next plain bytes of the open entry: a count, 0 at its end, negative on failure.
  using EntryReader = std::function<int(char* buffer, unsigned capacity)>;
  // Writes the open entry to the file `name` of `folder`, dated `modified` (-1: undated); false
  // on a read or write failure.
  bool extractCurrentEntry(const FolderHandle& folder, const std::string& name,
                           std::time_t modified, const EntryReader& read, uint64_t& written,
                           uint64_t total);

  void* zipFile_ = nullptr;  // minizip zipFile
  void* unzFile_ = nullptr;  // minizip unzFile
  std::optional<std::string> password_;
  std::shared_ptr<ZipArchiveDelegate> delegate_;
};

}  // namespace zu
