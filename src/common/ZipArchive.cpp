#include "common/ZipArchive.h"

#include <minizip/unzip.h>
#include <minizip/zip.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <iterator>
#include <string_view>
#include <vector>

#include "common/ZipArchiveDelegate.h"
#include "common/ZipCipher.h"
#include "platform/runtime/FileUtil.h"
#include "platform/runtime/FolderHandle.h"

namespace zu {

namespace fs = std::filesystem;

namespace {

constexpr size_t kReadBlock = 4096;

zipFile asZip(void* p) { return static_cast<zipFile>(p); }
unzFile asUnz(void* p) { return static_cast<unzFile>(p); }

// True when the entry name (separators already turned into "/") stays inside the folder it is
// extracted to: not empty, not absolute, and no ".." component.
bool staysInside(std::string_view name) {
  if (name.empty() || name.front() == '/') return false;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find('/', start);
    if (end == std::string_view::npos) end = name.size();
    if (name.substr(start, end - start) == "..") return false;
    start = end + 1;
  }
  return true;
}

// A regular file only: a named pipe in its place is refused, never waited on.
std::optional<std::string> readWholeFile(const std::string& path) {
  auto bytes = FileUtil::readFile(path);
  if (!bytes) return std::nullopt;
  return std::string(bytes->begin(), bytes->end());
}

// A modification time in local calendar fields; all zero when it has none.
zip_fileinfo entryInfoFor(std::optional<std::time_t> modified) {
  zip_fileinfo info{};
  if (!modified) return info;
  std::tm local{};
  if (!localtime_r(&*modified, &local)) return info;
  info.tmz_date.tm_sec = static_cast<uInt>(local.tm_sec);
  info.tmz_date.tm_min = static_cast<uInt>(local.tm_min);
  info.tmz_date.tm_hour = static_cast<uInt>(local.tm_hour);
  info.tmz_date.tm_mday = static_cast<uInt>(local.tm_mday);
  info.tmz_date.tm_mon = static_cast<uInt>(local.tm_mon);
  info.tmz_date.tm_year = static_cast<uInt>(local.tm_year + 1900);
  return info;
}

// The entry's date as a time, or -1 when it names none.
std::time_t modificationTime(const tm_unz& date) {
  std::tm local{};
  local.tm_sec = static_cast<int>(date.tm_sec);
  local.tm_min = static_cast<int>(date.tm_min);
  local.tm_hour = static_cast<int>(date.tm_hour);
  local.tm_mday = static_cast<int>(date.tm_mday);
  local.tm_mon = static_cast<int>(date.tm_mon);
  local.tm_year = static_cast<int>(date.tm_year) - 1900;
  local.tm_isdst = -1;
  return std::mktime(&local);
}

// The data deflated without zlib framing, as a zip entry holds it; nullopt when zlib fails.
std::optional<std::string> deflateRaw(const std::string& data) {
  z_stream stream{};
  if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8,
                   Z_DEFAULT_STRATEGY) != Z_OK) {
    return std::nullopt;
  }
  std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  const int rc = deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  if (rc != Z_STREAM_END) return std::nullopt;
  return out;
}

// Reads the plain bytes of an encrypted entry opened raw: decrypts, inflates (or copies a
// stored entry) and checks size and CRC at the end. read() answers like unzReadCurrentFile:
// bytes, 0 at the end, negative on any failure (a wrong password included).
class EncryptedEntryReader {
 public:
  EncryptedEntryReader(unzFile unz, std::string_view password, int method,
                       const unz_file_info64& info)
      : unz_(unz), cipher_(password), method_(method), info_(info) {}
  ~EncryptedEntryReader() {
    if (inflating_) inflateEnd(&stream_);
  }

  int read(char* out, unsigned capacity) {
    if (failed_) return -1;
    if (!started_ && !start()) return fail();
    for (;;) {
      if (method_ == 0) {
        const int n = readDecrypted(out, capacity);
        if (n > 0) return deliver(out, n);
        return n == 0 ? finish() : fail();
      }
      if (stream_.avail_in == 0 && !inputDone_) {
        const int n = readDecrypted(input_, sizeof input_);
        if (n < 0) return fail();
        inputDone_ = n == 0;
        stream_.next_in = reinterpret_cast<Bytef*>(input_);
        stream_.avail_in = static_cast<uInt>(n);
      }
      if (streamEnded_) return finish();
      stream_.next_out = reinterpret_cast<Bytef*>(out);
      stream_.avail_out = capacity;
      const int rc = inflate(&stream_, Z_NO_FLUSH);
      if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) return fail();
      streamEnded_ = rc == Z_STREAM_END;
      const unsigned produced = capacity - stream_.avail_out;
      if (produced > 0) return deliver(out, static_cast<int>(produced));
      if (streamEnded_) return finish();
      if (inputDone_) return fail();  // the data ended before the deflate stream did
    }
  }

 private:
  bool start() {
    started_ = true;
    if (method_ != 0 && method_ != Z_DEFLATED) return false;
    uint8_t header[ZipCipher::kHeaderSize];
    if (::unzReadCurrentFile(unz_, header, sizeof header) != static_cast<int>(sizeof header)) {
      return false;
    }
    // Writers that stream (data descriptor flag) cannot know the CRC up front and check
    // against the time instead.
    const bool streamed = (info_.flag & 8u) != 0;
    const uint8_t check = streamed ? static_cast<uint8_t>(info_.dosDate >> 8)
                                   : static_cast<uint8_t>(info_.crc >> 24);
    if (!cipher_.checkHeader(header, check)) return false;
    if (method_ == Z_DEFLATED) {
      if (inflateInit2(&stream_, -MAX_WBITS) != Z_OK) return false;
      inflating_ = true;
    }
    return true;
  }
  int readDecrypted(char* buffer, unsigned capacity) {
    const int n = ::unzReadCurrentFile(unz_, buffer, capacity);
    if (n > 0) cipher_.decrypt(reinterpret_cast<uint8_t*>(buffer), static_cast<size_t>(n));
    return n;
  }
  int deliver(const char* data, int n) {
    crc_ = crc32(crc_, reinterpret_cast<const Bytef*>(data), static_cast<uInt>(n));
    size_ += static_cast<uint64_t>(n);
    if (size_ > info_.uncompressed_size) return fail();
    return n;
  }
  int finish() {
    if (crc_ != info_.crc || size_ != info_.uncompressed_size) return fail();
    return 0;
  }
  int fail() {
    failed_ = true;
    return -1;
  }

  unzFile unz_;
  ZipCipher cipher_;
  int method_;
  unz_file_info64 info_;
  z_stream stream_{};
  char input_[kReadBlock];
  bool started_ = false;
  bool inflating_ = false;
  bool inputDone_ = false;
  bool streamEnded_ = false;
  bool failed_ = false;
  uLong crc_ = crc32(0L, Z_NULL, 0);
  uint64_t size_ = 0;
};

}  // namespace

ZipArchive::ZipArchive() = default;

ZipArchive::~ZipArchive() {
  closeZipFile2();
  unzipCloseFile();
}

bool ZipArchive::createZipFile2(const std::string& path) {
  if (zipFile_) closeZipFile2();
  zipFile_ = ::zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
  return zipFile_ != nullptr;
}

bool ZipArchive::createZipFile2(const std::string& path, const std::string& password) {
  const bool ok = createZipFile2(path);
  password_ = password;
  return ok;
}

bool ZipArchive::addFileToZip(const std::string& file, const std::string& newname) {
  if (!zipFile_) return false;
  // The file's modification time, links followed; none when it has no attributes.
  std::optional<std::time_t> modified;
  if (struct stat st; ::stat(file.c_str(), &st) == 0) modified = st.st_mtime;
  // A file that cannot be read still gets its (empty) entry.
  return addDataToZip(readWholeFile(file).value_or(std::string()), newname, modified);
}

bool ZipArchive::addDataToZip(const std::string& data, const std::string& newname,
                              std::optional<std::time_t> modified) {
  if (!zipFile_) return false;
  const zip_fileinfo info = entryInfoFor(modified);
  const auto* bytes = reinterpret_cast<const Bytef*>(data.data());
  if (password_ && !password_->empty()) {
    // Deflated and encrypted here, written raw with the "encrypted" flag: the entry is the
    // classic encrypted deflate entry any zip reader opens with the password.
    const uLong crc = ::crc32(::crc32(0L, Z_NULL, 0), bytes, static_cast<uInt>(data.size()));
    std::optional<std::string> compressed = deflateRaw(data);
    if (!compressed) return false;
    ZipCipher cipher(*password_);
    const auto header = cipher.header(static_cast<uint32_t>(crc));
    cipher.encrypt(reinterpret_cast<uint8_t*>(compressed->data()), compressed->size());
    constexpr uLong kEncryptedFlag = 1;
    if (::zipOpenNewFileInZip4(asZip(zipFile_), newname.c_str(), &info, nullptr, 0, nullptr, 0,
                               nullptr, Z_DEFLATED, Z_DEFAULT_COMPRESSION, 1, -MAX_WBITS, 8,
                               Z_DEFAULT_STRATEGY, nullptr, 0, 0, kEncryptedFlag) != ZIP_OK) {
      return false;
    }
    const bool written =
        ::zipWriteInFileInZip(asZip(zipFile_), header.data(), header.size()) == ZIP_OK &&
        ::zipWriteInFileInZip(asZip(zipFile_), compressed->data(),
                              static_cast<unsigned>(compressed->size())) == ZIP_OK;
    const int closed = ::zipCloseFileInZipRaw(asZip(zipFile_), data.size(), crc);
    return written && closed == ZIP_OK;
  }
  if (::zipOpenNewFileInZip(asZip(zipFile_), newname.c_str(), &info, nullptr, 0, nullptr, 0,
                            nullptr, Z_DEFLATED, Z_DEFAULT_COMPRESSION) != ZIP_OK) {
    return false;
  }
  if (::zipWriteInFileInZip(asZip(zipFile_), data.data(), static_cast<unsigned>(data.size())) !=
      ZIP_OK) {
    ::zipCloseFileInZip(asZip(zipFile_));
    return false;
  }
  return ::zipCloseFileInZip(asZip(zipFile_)) == ZIP_OK;
}

bool ZipArchive::closeZipFile2() {
  password_.reset();
  if (!zipFile_) return false;
  const int rc = ::zipClose(asZip(zipFile_), nullptr);
  zipFile_ = nullptr;
  return rc == ZIP_OK;
}

bool ZipArchive::unzipOpenFile(const std::string& path) {
  if (unzFile_) unzipCloseFile();
  unzFile_ = ::unzOpen64(path.c_str());
  if (!unzFile_) return false;
  unz_global_info64 global{};
  if (::unzGetGlobalInfo64(asUnz(unzFile_), &global) == UNZ_OK) {
    std::printf("%llu entries in the zip file\n",
                static_cast<unsigned long long>(global.number_entry));
  }
  return true;
}

bool ZipArchive::unzipOpenFile(const std::string& path, const std::string& password) {
  const bool ok = unzipOpenFile(path);
  password_ = password;
  return ok;
}

bool ZipArchive::extractCurrentEntry(const FolderHandle& folder, const std::string& name,
                                     std::time_t modified, const EntryReader& read,
                                     uint64_t& written, uint64_t total) {
  // Written in place relative to its folder, never through a link at its name, and a file of
  // more than one name (perhaps one outside the home) is replaced by a file of its own first.
  // O_NONBLOCK keeps a named pipe in its place from holding the open; only a regular file is
  // written.
  const int fd = folder.openForWriting(name, O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK, 0644);
  struct stat st;
  const bool regular = fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  std::FILE* out = regular ? ::fdopen(fd, "wb") : nullptr;
  if (!out) {
    if (fd >= 0) ::close(fd);
    outputErrorMessage("Failed to write file");
    return false;
  }
  char buffer[kReadBlock];
  bool ok = true;
  for (;;) {
    const int n = read(buffer, sizeof buffer);
    if (n < 0) {
      outputErrorMessage("Failed to reading zip file");
      ok = false;
      break;
    }
    if (n == 0) break;
    if (std::fwrite(buffer, 1, static_cast<size_t>(n), out) != static_cast<size_t>(n)) {
      outputErrorMessage("Failed to write file");
      ok = false;
      break;
    }
    written += static_cast<uint64_t>(n);
    if (total != 0) unzipPerc(static_cast<float>(written * 100 / total));
  }
  if (std::fflush(out) != 0 && ok) {
    outputErrorMessage("Failed to write file");
    ok = false;
  }
  const struct timespec times[2] = {{modified, 0}, {modified, 0}};
  if (ok && (modified == static_cast<std::time_t>(-1) || ::futimens(fd, times) != 0)) {
    std::printf("Failed to set attributes\n");
  }
  if (std::fclose(out) != 0 && ok) {
    outputErrorMessage("Failed to write file");
    ok = false;
  }
  // What was written is not the entry: leave no partial file behind.
  if (!ok) folder.remove(name);
  return ok;
}

bool ZipArchive::unzipFileTo(const std::string& folder, bool overWrite) {
  if (!unzFile_) return false;
  unzFile unz = asUnz(unzFile_);
  if (::unzGoToFirstFile(unz) != UNZ_OK) outputErrorMessage("Failed");
  const std::string base = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  uint64_t written = 0;
  // Progress is measured against the entries opened so far, so it reaches 100 at the end of
  // each entry and never exceeds it.
  uint64_t total = 0;
  for (;;) {
    unz_file_info64 info{};
    const bool gotInfo =
        ::unzGetCurrentFileInfo64(unz, &info, nullptr, 0, nullptr, 0, nullptr, 0) == UNZ_OK;
    // An encrypted entry is read raw and decrypted here; it needs the password.
    const bool encrypted = gotInfo && (info.flag & 1u) != 0;
    // minizip hands out the still compressed bytes of a bzip2 entry as if stored, unchecked:
    // only stored and deflated entries can be read.
    const bool readable =
        info.compression_method == 0 || info.compression_method == Z_DEFLATED;
    int method = 0;
    const int openRc = gotInfo && !readable                ? UNZ_BADZIPFILE
                       : !encrypted                        ? ::unzOpenCurrentFile(unz)
                       : password_ && !password_->empty() ? ::unzOpenCurrentFile2(unz, &method,
                                                                                   nullptr, 1)
                                                          : UNZ_PARAMERROR;
    if (openRc != UNZ_OK) {
      outputErrorMessage("Error occurs");
      return false;
    }
    if (!gotInfo) {
      outputErrorMessage("Error occurs while getting file info");
      ::unzCloseCurrentFile(unz);
      return false;
    }
    std::vector<char> nameBuffer(info.size_filename + 1, '\0');
    ::unzGetCurrentFileInfo64(unz, nullptr, nameBuffer.data(), info.size_filename + 1, nullptr, 0,
                              nullptr, 0);
    std::string name(nameBuffer.data());
    const bool isFolder = !name.empty() && (name.back() == '/' || name.back() == '\\');
    for (char& c : name) {
      if (c == '\\') c = '/';
    }
    if (!staysInside(name)) {
      outputErrorMessage("Entry outside the folder refused: " + name);
      ::unzCloseCurrentFile(unz);
      return false;
    }
    const std::string fullPath = base + name;
    std::error_code ec;
    bool wroteFile = false;
    // Each folder on the way made real (below the home, reached without following a link).
    if (isFolder) {
      FolderHandle::openReal(fullPath);
    } else {
      const std::optional<FolderHandle> parent =
          FolderHandle::openReal(fs::path(fullPath).parent_path());
      const bool skip = !overWrite && fs::exists(fullPath, ec) && !this->overWrite(fullPath);
      if (!parent && !skip) {
        outputErrorMessage("Failed to write file");
        ::unzCloseCurrentFile(unz);
        return false;
      }
      if (!skip) {
        // No entry yields more than it claims (minizip and the decrypting reader stop there),
        // so the claims bound what is written.
        if (info.uncompressed_size > kMaxExtractedBytes - total) {
          outputErrorMessage("Entry too large refused: " + name);
          ::unzCloseCurrentFile(unz);
          return false;
        }
        total += info.uncompressed_size;
        std::optional<EncryptedEntryReader> decrypting;
        if (encrypted) decrypting.emplace(unz, *password_, method, info);
        uint64_t entryBytes = 0;
        const EntryReader read = [&](char* buffer, unsigned capacity) {
          if (decrypting) return decrypting->read(buffer, capacity);
          const int n = ::unzReadCurrentFile(unz, buffer, capacity);
          if (n > 0) entryBytes += static_cast<uint64_t>(n);
          // minizip checks the CRC only of an entry read to its full size: data that ends
          // sooner would pass as the whole entry.
          if (n == 0 && entryBytes != info.uncompressed_size) return UNZ_BADZIPFILE;
          return n;
        };
        if (!extractCurrentEntry(*parent, fs::path(fullPath).filename().string(),
                                 modificationTime(info.tmu_date), read, written, total)) {
          ::unzCloseCurrentFile(unz);
          return false;
        }
        wroteFile = true;
      }
    }
    // Closing after a full read checks the CRC.
    if (::unzCloseCurrentFile(unz) != UNZ_OK) {
      outputErrorMessage("Failed to reading zip file");
      if (wroteFile) fs::remove(fullPath, ec);
      return false;
    }
    const int next = ::unzGoToNextFile(unz);
    if (next == UNZ_END_OF_LIST_OF_FILE) return true;
    if (next != UNZ_OK) {
      outputErrorMessage("Error occurs");
      return false;
    }
  }
}

bool ZipArchive::unzipCloseFile() {
  password_.reset();
  if (!unzFile_) return true;
  const int rc = ::unzClose(asUnz(unzFile_));
  unzFile_ = nullptr;
  return rc == UNZ_OK;
}

void ZipArchive::outputErrorMessage(const std::string& message) {
  if (delegate_) delegate_->errorMessage(message);
}

bool ZipArchive::overWrite(const std::string& path) {
  return delegate_ ? delegate_->overWriteOperation(path) : true;
}

void ZipArchive::unzipPerc(float percent) {
  if (delegate_) delegate_->unzipPercent(percent);
}

std::time_t ZipArchive::date1980() {
  std::tm local{};
  local.tm_mday = 1;
  local.tm_year = 80;
  local.tm_isdst = -1;
  return std::mktime(&local);
}

bool ZipArchive::unzipFile(const std::string& zipPath, const std::string& folder,
                           bool overWrite) {
  std::error_code ec;
  if (zipPath.empty() || folder.empty() || !fs::exists(zipPath, ec) || !fs::exists(folder, ec)) {
    return false;
  }
  ZipArchive zip;
  if (!zip.unzipOpenFile(zipPath)) return false;
  if (!zip.unzipFileTo(folder, overWrite)) return false;
  return zip.unzipCloseFile();
}

}  // namespace zu
