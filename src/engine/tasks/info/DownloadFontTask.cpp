#include "engine/tasks/info/DownloadFontTask.h"

#include <filesystem>

#include "common/Md5.h"
#include "engine/core/DataEngine.h"
#include "engine/core/DataEngineObserver.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/UrlManager.h"
#include "engine/http/HttpEngine.h"
#include "engine/tasks/support/TaskSupport.h"
#include "model/service/Font.h"
#include "model/service/Fonts.h"
#include "model/atom/VESKAtomParser.h"

namespace zu {

DownloadFontTask::DownloadFontTask(std::string fontName) : fontName_(std::move(fontName)) {}

std::shared_ptr<Font> DownloadFontTask::getFont(const std::string& name,
                                                const std::vector<std::shared_ptr<Font>>& fonts) {
  for (const auto& font : fonts) {
    if (font && font->name() == name) return font;
  }
  return nullptr;
}

void DownloadFontTask::run() {
  HttpTask::run();
  if (!httpEngine()) return;
  auto urls = gUrlManager();
  std::optional<std::string> fontUrl = urls ? urls->fontUrl() : std::nullopt;
  if (!fontUrl) {
    done(kErrNetConnect, std::nullopt);
    return;
  }
  getFontInfo_ = true;
  httpEngine()->get(fontUrl);
}

void DownloadFontTask::onHttpSuccess(const std::shared_ptr<HttpResponse>& response) {
  if (getFontInfo_) {
    onFontList(*response);
  } else {
    onFontFile();
  }
}

void DownloadFontTask::onFontList(const HttpResponse& response) {
  getFontInfo_ = false;
  auto fonts = VESKAtomParser::allocParseFonts(TaskSupport::bodyText(response));
  auto engine = gDataEngine();
  if (!fonts || !engine) {
    done(kErrDataParse, ErrorGetDescription(kErrDataParse));
    return;
  }
  font_ = getFont(fontName_, fonts->fontArray().value_or(std::vector<std::shared_ptr<Font>>()));
  if (!font_) {
    done(kErrNotFound, std::nullopt);
    return;
  }
  totalSize_ = font_->length();
  // The download makes the fonts folder (reached from the home without following a link).
  const std::string temp = engine->getFontTempPath(fontName_);
  httpEngine()->setDownloadPath(temp);
  httpEngine()->setAllowResumeDownload(true);
  httpEngine()->download(font_->url());
}

void DownloadFontTask::onFontFile() {
  auto engine = gDataEngine();
  if (!engine) {
    done(kErrBadState, ErrorGetDescription(kErrBadState));
    return;
  }
  const std::string temp = engine->getFontTempPath(fontName_);
  const std::string path = engine->getFontPath(fontName_);
  std::error_code ec;
  const std::optional<std::string> digest = Md5::md5OfFile(temp);
  if (!digest || digest != font_->md5()) {
    std::filesystem::remove(temp, ec);
    done(kErrDataContent, "文件MD5错误");
    return;
  }
  std::filesystem::remove(path, ec);
  std::filesystem::rename(temp, path, ec);
  if (ec) {
    done(kErrFileWrite, ErrorGetDescription(kErrFileWrite));
    return;
  }
  done(kErrOk, std::nullopt);
}

void DownloadFontTask::onReceivedSize(int64_t receivedSize, int64_t totalSize) {
  auto observer = TaskSupport::observer();
  if (observer && observer->respondsToOnDownloadFontProgress()) {
    observer->onDownloadFontProgress(sharedTask(), receivedSize,
                                     totalSize == 0 ? totalSize_ : totalSize);
  }
}

}  // namespace zu
