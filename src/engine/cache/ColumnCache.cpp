#include "engine/cache/ColumnCache.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "common/CommInfo.h"
#include "common/Md5.h"
#include "model/entry/Entry.h"
#include "model/entry/Feed.h"
#include "platform/runtime/Clock.h"
#include "platform/runtime/FileUtil.h"
#include "platform/runtime/FolderHandle.h"
#include "platform/runtime/Paths.h"
#include "store/EntryPersistenter.h"

namespace zu {

namespace fs = std::filesystem;

namespace {
std::string md5Of(const std::string& text) { return Md5::encode(text).value_or(std::string()); }
}  // namespace

ColumnCache::ColumnCache(std::shared_ptr<EntryPersistenter> subscriptions)
    : rootPath_((Paths::caches() / kFolderName).string()),
      subscriptions_(std::move(subscriptions)),
      writer_(kWriterThreadName,
              [this](const std::string& slot, const Pending& job) { write(slot, job); }) {}

ColumnCache::~ColumnCache() = default;

std::string ColumnCache::folderOf(const std::string& columnId) const {
  return rootPath_ + "/" + md5Of(columnId);
}

std::string ColumnCache::getColumnPath(const std::string& columnId) {
  std::string path = folderOf(columnId);
  realFolder(path);
  return path;
}

std::optional<FolderHandle> ColumnCache::realFolder(const std::string& folder) const {
  auto root = FolderHandle::openReal(rootPath_);
  if (!root) return std::nullopt;
  return root->openRealSubfolder(fs::path(folder).filename().string());
}

std::string ColumnCache::getPath(const std::string& columnId, const std::string& url,
                                 const std::string& prefix) {
  return getColumnPath(columnId) + "/" + prefix + md5Of(url);
}

void ColumnCache::deleteOldFile(const std::string& columnId, const std::string& prefix) {
  flush();
  std::lock_guard files(fileLock_);
  const std::string folder = folderOf(columnId);
  forgetFirstPage(folder);
  if (auto handle = realFolder(folder)) deleteOldFileLocked(*handle, prefix, std::string());
}

void ColumnCache::deleteOldFileLocked(const FolderHandle& folder, const std::string& prefix,
                                      const std::string& keep) {
  const std::string kept = fs::path(keep).filename().string();
  for (const std::string& name : folder.names()) {
    if (name.rfind(prefix, 0) == 0 && name != kept) folder.remove(name);
  }
}

bool ColumnCache::replaceFile(const FolderHandle& folder, const std::string& path,
                              const Bytes& data, const char* prefix) {
  const std::string name = fs::path(path).filename().string();
  // At most one file of a prefix exists: when it is this path with these bytes, all is kept.
  if (folder.readFile(name) == data) return true;
  // The new file first, then the others go: the path always holds the old bytes or the new
  // ones, for a load running beside the writer and after a kill.
  if (!folder.writeFileAtomically(name, data, FileUtil::Sync::kDeferred)) {
    std::fprintf(stderr, "ColumnCache save file failed\n");
    return false;
  }
  deleteOldFileLocked(folder, prefix, path);
  return true;
}

void ColumnCache::enqueue(Pending pending) {
  const std::string slot = pending.folder + "/" + pending.prefix;
  const size_t bytes = pending.data->size() + (pending.validators ? pending.validators->size() : 0);
  writer_.waitForRoom();
  writer_.put(slot, std::move(pending), bytes);
}

void ColumnCache::write(const std::string& slot, const Pending& job) {
  std::lock_guard files(fileLock_);
  if (writerHook_) writerHook_(job.path);
  // The root and the column's folder real ones (a link in their place is replaced).
  const std::optional<FolderHandle> folder = realFolder(job.folder);
  const bool firstPage = std::string_view(job.prefix) == kFirstPagePrefix;
  // A page that could not be written keeps the validators of the page still there.
  if (!folder || !replaceFile(*folder, job.path, *job.data, job.prefix)) {
    if (!folder) std::fprintf(stderr, "ColumnCache save file failed\n");
    if (firstPage) noteWritten(slot, job, false);
    return;
  }
  if (!firstPage) return;
  // The page first: after a kill between the two, the validators kept are those of the page
  // before, never newer than the page (a 304 to newer validators would deliver an older page).
  bool written = true;
  if (job.validators) {
    written = replaceFile(*folder, job.validatorsPath, *job.validators, kValidatorsPrefix);
  } else {
    deleteOldFileLocked(*folder, kValidatorsPrefix, std::string());
  }
  noteWritten(slot, job, written);
}

namespace {
// A strong ETag names the bytes themselves; a weak one ("W/...") only an equivalent page.
bool isStrong(const std::optional<std::string>& etag) {
  return etag && !etag->empty() && etag->rfind("W/", 0) != 0;
}
}  // namespace

void ColumnCache::noteWritten(const std::string& slot, const Pending& job, bool written) {
  std::lock_guard kept(keptLock_);
  // Only the slot's latest save describes what the folder will hold; a newer one still waits.
  if (written && isStrong(job.validatorValues.etag) && writer_.pending(slot).get() == &job) {
    kept_[job.folder] = Kept{job.path, job.validatorValues, job.data->size(), job.user};
  } else {
    kept_.erase(job.folder);
  }
}

void ColumnCache::forgetFirstPage(const std::string& folder) {
  std::lock_guard kept(keptLock_);
  kept_.erase(folder);
}

std::optional<ColumnCache::Kept> ColumnCache::keptFirstPage(const std::string& folder,
                                                             const std::string& path) {
  const Text user = CommInfo::getUsername();
  std::lock_guard kept(keptLock_);
  auto it = kept_.find(folder);
  if (it == kept_.end() || it->second.path != path || it->second.user != user ||
      writer_.pending(folder + "/" + kFirstPagePrefix)) {
    return std::nullopt;
  }
  // The file is still there as written (nothing else in the process removes it, but the folder
  // is the user's too).
  const std::optional<FolderHandle> handle = FolderHandle::openExisting(folder);
  const auto st = handle ? handle->status(fs::path(path).filename().string()) : std::nullopt;
  if (!st || !S_ISREG(st->st_mode) || static_cast<size_t>(st->st_size) != it->second.size) {
    return std::nullopt;
  }
  return it->second;
}

std::optional<ColumnCache::Validators> ColumnCache::knownFirstPage(const Text& columnId,
                                                                   const Text& url) {
  if (!columnId || !url || columnId->empty() || url->empty()) return std::nullopt;
  const std::string folder = folderOf(*columnId);
  auto kept = keptFirstPage(folder, folder + "/" + kFirstPagePrefix + md5Of(*url));
  if (!kept) return std::nullopt;
  return kept->validators;
}

void ColumnCache::flush() { writer_.flush(); }

void ColumnCache::setWriterHookForTesting(std::function<void(const std::string& path)> hook) {
  std::lock_guard files(fileLock_);
  writerHook_ = std::move(hook);
}

ColumnCache::SlotView ColumnCache::pendingView(const std::string& folder, const char* prefix,
                                               const std::string& path) {
  SlotView view;
  const std::shared_ptr<const Pending> job = writer_.pending(folder + "/" + prefix);
  if (!job) return view;
  view.pending = true;
  view.holdsPath = job->path == path;
  if (view.holdsPath) {
    view.data = job->data;
    view.validators = job->validators;
  }
  return view;
}

void ColumnCache::save(const Text& columnId, const Text& url, const Bytes& data,
                       const char* prefix) {
  if (!columnId || !url || columnId->empty() || url->empty()) return;
  Pending pending;
  pending.folder = folderOf(*columnId);
  pending.prefix = prefix;
  pending.path = pending.folder + "/" + prefix + md5Of(*url);
  pending.data = std::make_shared<const Bytes>(data);
  enqueue(std::move(pending));
}

namespace {

// "<etag>\n<last-modified seconds>\n", each line empty when absent. An ETag never holds a
// line break (a header value cannot), so the two lines read back unambiguously.
Bytes validatorsText(const ColumnCache::Validators& v) {
  std::string text = v.etag.value_or(std::string()) + "\n";
  if (v.lastModified) text += std::to_string(static_cast<int64_t>(*v.lastModified));
  text += "\n";
  return Bytes(text.begin(), text.end());
}

std::optional<ColumnCache::Validators> parseValidators(const Bytes& bytes) {
  const std::string text(bytes.begin(), bytes.end());
  const size_t first = text.find('\n');
  if (first == std::string::npos) return std::nullopt;
  const size_t second = text.find('\n', first + 1);
  if (second == std::string::npos) return std::nullopt;
  ColumnCache::Validators v;
  if (first > 0) v.etag = text.substr(0, first);
  const std::string seconds = text.substr(first + 1, second - first - 1);
  if (!seconds.empty()) {
    char* end = nullptr;
    const long long value = std::strtoll(seconds.c_str(), &end, 10);
    if (end && *end == '\0') v.lastModified = static_cast<double>(value);
  }
  if (!v.etag && !v.lastModified) return std::nullopt;
  return v;
}

}  // namespace

void ColumnCache::saveFirstPage(const Text& columnId, const Text& url, const Bytes& data,
                                const Validators& validators) {
  if (!columnId || !url || columnId->empty() || url->empty()) return;
  Pending pending;
  pending.folder = folderOf(*columnId);
  pending.prefix = kFirstPagePrefix;
  const std::string digest = md5Of(*url);
  pending.path = pending.folder + "/" + kFirstPagePrefix + digest;
  if (isStrong(validators.etag)) {
    auto kept = keptFirstPage(pending.folder, pending.path);
    if (kept && kept->validators == validators && kept->size == data.size()) return;
  }
  // From this save until the writer has run it, the folder's page is not known.
  forgetFirstPage(pending.folder);
  pending.data = std::make_shared<const Bytes>(data);
  pending.validatorsPath = pending.folder + "/" + kValidatorsPrefix + digest;
  if (validators.etag || validators.lastModified) {
    pending.validators = std::make_shared<const Bytes>(validatorsText(validators));
  }
  pending.validatorValues = validators;
  pending.user = CommInfo::getUsername();
  enqueue(std::move(pending));
}

std::optional<ColumnCache::Validators> ColumnCache::loadFirstPageValidators(const Text& columnId,
                                                                            const Text& url) {
  if (!columnId || !url || columnId->empty() || url->empty()) return std::nullopt;
  const std::string folder = folderOf(*columnId);
  const std::string digest = md5Of(*url);
  const std::string page = folder + "/" + kFirstPagePrefix + digest;
  if (SlotView view = pendingView(folder, kFirstPagePrefix, page); view.pending) {
    return view.validators ? parseValidators(*view.validators) : std::nullopt;
  }
  // Validators without their page would make a 304 deliver nothing.
  const std::optional<FolderHandle> handle = FolderHandle::openExisting(folder);
  if (!handle || !handle->isRegularFile(kFirstPagePrefix + digest)) return std::nullopt;
  auto bytes = handle->readFile(kValidatorsPrefix + digest);
  return bytes ? parseValidators(*bytes) : std::nullopt;
}

std::optional<Bytes> ColumnCache::load(const Text& columnId, const Text& url, const char* prefix) {
  if (!columnId || !url || columnId->empty() || url->empty()) return std::nullopt;
  const std::string folder = folderOf(*columnId);
  const std::string name = prefix + md5Of(*url);
  if (SlotView view = pendingView(folder, prefix, folder + "/" + name); view.pending) {
    return view.data ? std::optional<Bytes>(*view.data) : std::nullopt;
  }
  const std::optional<FolderHandle> handle = FolderHandle::openExisting(folder);
  return handle ? handle->readFile(name) : std::nullopt;
}

void ColumnCache::saveCover(const Text& columnId, const Text& url, const Bytes& data) {
  save(columnId, url, data, kCoverPrefix);
}

void ColumnCache::saveCoverThumbnail(const Text& columnId, const Text& url, const Bytes& data) {
  save(columnId, url, data, kThumbnailPrefix);
}

std::optional<Bytes> ColumnCache::loadFirstPage(const Text& columnId, const Text& url) {
  return load(columnId, url, kFirstPagePrefix);
}

std::optional<Bytes> ColumnCache::loadCover(const Text& columnId, const Text& url) {
  return load(columnId, url, kCoverPrefix);
}

std::optional<Bytes> ColumnCache::loadCoverThumbnail(const Text& columnId, const Text& url) {
  return load(columnId, url, kThumbnailPrefix);
}

void ColumnCache::clean() {
  const int64_t start = Clock::get()->nowMillis();
  std::set<std::string> valid;
  if (subscriptions_) {
    if (auto feed = subscriptions_->allocReadEntriesInFeed(std::nullopt); feed && feed->entrys()) {
      for (const auto& entry : *feed->entrys()) {
        if (entry && entry->entryId()) valid.insert(md5Of(*entry->entryId()));
      }
    }
  }
  flush();
  std::lock_guard files(fileLock_);
  {
    std::lock_guard kept(keptLock_);
    kept_.clear();
  }
  // Relative to the root held open (made a real folder first when it was a link): a link
  // among its entries goes as a link, a folder with what is in it, never anything outside.
  if (auto root = FolderHandle::openReal(rootPath_)) {
    for (const std::string& name : root->names()) {
      if (!valid.count(name)) root->remove(name);
    }
  }
  std::printf("ColumnCache cleanWithValidColumns cost %lld count=%d\n",
              static_cast<long long>(Clock::get()->nowMillis() - start),
              static_cast<int>(valid.size()));
}

}  // namespace zu
