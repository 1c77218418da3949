#include "engine/tasks/images/DownloadProgramCoversTask.h"

#include <array>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "common/CommInfo.h"
#include "common/Log.h"
#include "engine/core/DESettings.h"
#include "engine/core/DataEngine.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/UrlManager.h"
#include "engine/http/HttpEngine.h"
#include "engine/http/HttpResponse.h"
#include "engine/tasks/images/DownloadImageInnerTask.h"
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
  const std::string folder = CommInfo::getProgramCoverDir();
  std::error_code ec;
  if (fs::is_directory(folder, ec)) {
    for (const auto& item : fs::directory_iterator(folder, ec)) {
      std::error_code removeError;
      fs::remove_all(item.path(), removeError);
    }
  } else {
    fs::create_directories(folder, ec);
  }
  int position = 0;
  for (const auto& entry : feed_->entrys().value_or(std::vector<std::shared_ptr<Entry>>())) {
    const int n = position++;
    if (!entry) continue;
    DESettings::setProgramCoverInfo(getInfoFromEntry(*entry), n);
    const auto links = coverLinks(*entry);
    for (size_t i = 0; i < links.size(); ++i) {
      const std::shared_ptr<Link>& link = *links[i];
      if (!link) continue;
      auto cached = HttpEngine::localFilePathIfExistsForUrl(link->href());
      if (!cached) continue;
      std::error_code copyError;
      fs::copy_file(*cached, folder + std::to_string(n) + kCoverSuffixes[i],
                    fs::copy_options::overwrite_existing, copyError);
    }
  }
  CommInfo::setCustomIntKey(kCoverUpdateTimeKey, feed_->updated());
  if (auto facade = gDataEngine()) facade->setProgramCoversChanged(true);
}

bool DownloadProgramCoversTask::haveCoverImage() {
  std::error_code ec;
  return fs::exists(CommInfo::getProgramCoverDir() + "0" + kCoverSuffixes[0], ec);
}

Dictionary DownloadProgramCoversTask::getInfoFromEntry(const Entry& entry) {
  Dictionary info;
  if (entry.title()) info.set("title", *entry.title());
  if (entry.content() && entry.content()->data()) info.set("description", *entry.content()->data());
  if (entry.author() && entry.author()->name()) info.set("source", *entry.author()->name());
  if (entry.updated() > 0) info.set("updated", entry.updated());
  if (entry.xCoverImageDuration() && entry.xCoverImageDuration()->value() >= 1) {
    info.set("duration", entry.xCoverImageDuration()->value());
  }
  return info;
}

std::vector<std::string> DownloadProgramCoversTask::extractImageUrls(const Feed& feed) {
  std::vector<std::string> urls;
  for (const auto& entry : feed.entrys().value_or(std::vector<std::shared_ptr<Entry>>())) {
    if (!entry) continue;
    for (const auto* link : coverLinks(*entry)) {
      if (*link && (*link)->href()) urls.push_back(*(*link)->href());
    }
  }
  return urls;
}

}  // namespace zu
