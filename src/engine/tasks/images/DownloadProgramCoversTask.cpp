#include "engine/tasks/images/DownloadProgramCoversTask.h"

#include <array>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

#include "common/CommInfo.h"
#include "common/Log.h"
#include "engine/core/DESettings.h"
#include "engine/core/DataEngine.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/UrlManager.h"
#include "engine/http/HttpEngine.h"
#include "engine/http/HttpResponse.h"
#include "engine/tasks/images/DownloadImageInnerTask.h"
#include "platform/runtime/FileUtil.h"
#include "platform/runtime/FolderHandle.h"
#include "platform/runtime/StringUtil.h"
#include "model/entry/Author.h"
#include "model/entry/Content.h"
#include "model/entry/Entry.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/service/XCoverImageDuration.h"
#include "model/atom/VESKAtomParser.h"

namespace zu {

namespace fs = std::filesystem;

namespace {

// The three pictures of a cover, in file order: large, portrait, landscape.
std::array<const std::shared_ptr<Link>*, 3> coverLinks(const Entry& entry) {
  return {&entry.coverImageLink(), &entry.coverImageVerticalLink(),
          &entry.coverImageHorizontalLink()};
}

constexpr const char* kCoverSuffixes[3] = {"_large", "_portrait", "_landscape"};

}  // namespace

DownloadProgramCoversTask::DownloadProgramCoversTask() { setMute(true); }

void DownloadProgramCoversTask::onServiceUrlReady() {
  auto urls = gUrlManager();
  httpEngine()->get(urls ? urls->programCoverImageUrl() : std::nullopt);
}

void DownloadProgramCoversTask::onHttpSuccess(const std::shared_ptr<HttpResponse>& response) {
  const Bytes& body = response->responseBody();
  feed_ = VESKAtomParser::allocParseFeed(
      std::string_view(reinterpret_cast<const char*>(body.data()), body.size()), 0);
  if (!feed_) {
    done(kErrDataParse, ErrorGetDescription(kErrDataParse));
    return;
  }
  if (feed_->updated() <= CommInfo::getCustomIntKey(kCoverUpdateTimeKey) && haveCoverImage()) {
    done(kErrExists, ErrorGetDescription(kErrExists));
    return;
  }
  std::vector<std::string> images = extractImageUrls(*feed_);
  if (images.empty()) {
    done(kErrFail, ErrorGetDescription(kErrFail));
    return;
  }
  auto self = std::dynamic_pointer_cast<DownloadImageInnerTaskDelegate>(sharedTask());
  std::make_shared<DownloadImageInnerTask>(httpEngine(), std::move(images), false, self)->run();
}

void DownloadProgramCoversTask::onDownloadImageInnerTaskFinished(
    DownloadImageInnerTask* /*task*/, int errCode, const std::optional<std::string>& errDesc) {
  done(errCode, errDesc);
}

void DownloadProgramCoversTask::finish(int errCode, const std::optional<std::string>& errDesc) {
  if (errCode == kErrOk && feed_) rewriteCoverFolder();
  HttpTask::finish(errCode, errDesc);
}

void DownloadProgramCoversTask::rewriteCoverFolder() {
  // The folder a real one (a link in its place is replaced), emptied and filled relative to it:
  // nothing behind a link is removed or written.
  const std::optional<FolderHandle> folder = FolderHandle::openReal(CommInfo::getProgramCoverDir());
  if (folder) folder->removeAll();
  const std::vector<std::shared_ptr<Entry>> entries = coverEntries(*feed_);
  std::vector<std::optional<Dictionary>> infos(entries.size());
  for (size_t n = 0; n < entries.size(); ++n) {
    if (!entries[n]) continue;
    infos[n] = getInfoFromEntry(*entries[n]);
    const auto links = coverLinks(*entries[n]);
    for (size_t i = 0; i < links.size(); ++i) {
      const std::shared_ptr<Link>& link = *links[i];
      if (!link || !folder) continue;
      auto cached = HttpEngine::localFilePathIfExistsForUrl(link->href());
      if (!cached) continue;
      if (auto data = FileUtil::readFile(*cached)) {
        folder->writeFileAtomically(std::to_string(n) + kCoverSuffixes[i], *data,
                                    FileUtil::Sync::kDeferred);
      }
    }
  }
  // One write of the defaults for the whole set.
  DESettings::setProgramCoverInfos(infos);
  CommInfo::setCustomIntKey(kCoverUpdateTimeKey, feed_->updated());
  if (auto facade = gDataEngine()) facade->setProgramCoversChanged(true);
}

std::vector<std::shared_ptr<Entry>> DownloadProgramCoversTask::coverEntries(const Feed& feed) {
  std::vector<std::shared_ptr<Entry>> entries = feed.entrys().value_or(std::vector<std::shared_ptr<Entry>>());
  if (entries.size() > kMaxCovers) entries.resize(kMaxCovers);
  return entries;
}

bool DownloadProgramCoversTask::haveCoverImage() {
  std::error_code ec;
  return fs::exists(CommInfo::getProgramCoverDir() + "0" + kCoverSuffixes[0], ec);
}

Dictionary DownloadProgramCoversTask::getInfoFromEntry(const Entry& entry) {
  Dictionary info;
  auto kept = [](const std::string& text) { return StringUtil::utf16Prefix(text, kMaxCoverText); };
  if (entry.title()) info.set("title", kept(*entry.title()));
  if (entry.content() && entry.content()->data()) info.set("description", kept(*entry.content()->data()));
  if (entry.author() && entry.author()->name()) info.set("source", kept(*entry.author()->name()));
  if (entry.updated() > 0) info.set("updated", entry.updated());
  if (entry.xCoverImageDuration() && entry.xCoverImageDuration()->value() >= 1) {
    info.set("duration", entry.xCoverImageDuration()->value());
  }
  return info;
}

std::vector<std::string> DownloadProgramCoversTask::extractImageUrls(const Feed& feed) {
  std::vector<std::string> urls;
  for (const auto& entry : coverEntries(feed)) {
    if (!entry) continue;
    for (const auto* link : coverLinks(*entry)) {
      if (*link && (*link)->href()) urls.push_back(*(*link)->href());
    }
  }
  return urls;
}

}  // namespace zu
