#include "settings/fonts/MSFontDownload.h"

#include "engine/core/ErrorCodes.h"
#include "engine/core/Task.h"
#include "platform/runtime/NotificationCenter.h"
#include "settings/progress/ProgressTaskEngine.h"
#include "shell/app/ErrorTips.h"
#include "shell/app/MSFontStyle.h"
#include "shell/app/MSSettings.h"

namespace zu {

namespace {

// The context of the download's error alerts: one blank.
constexpr const char* kErrorContext = " ";
// The style that never needs a pack.
constexpr int kBuiltInStyle = 1;

std::weak_ptr<MSFontDownload>& currentSlot() {
  static std::weak_ptr<MSFontDownload> slot;
  return slot;
}

void storeFontStyle(int style) { MSSettings::setValueForFontStyle(1 - style); }

}  // namespace

void MSFontDownload::setCurrentFontStyle(int style, std::shared_ptr<ProgressTaskEngine> engine) {
  if (style < 0 || style >= MSFontStyle::kStyleCount) return;
  if (!engine) engine = ProgressTaskEngine::defaultEngine();
  if (style == kBuiltInStyle || engine->isFontDownloaded(MSFontStyle::fontStyleNameFor(style))) {
    storeFontStyle(style);
    return;
  }
  if (current()) return;
  auto download = std::make_shared<MSFontDownload>(std::move(engine));
  currentSlot() = download;
  download->startDownload(style);
}

std::shared_ptr<MSFontDownload> MSFontDownload::current() { return currentSlot().lock(); }

MSFontDownload::MSFontDownload(std::shared_ptr<ProgressTaskEngine> engine) : ProgressTaskFlow(std::move(engine)) {}

void MSFontDownload::startDownload(int style) {
  if (isHoldingSelf()) return;
  holdSelf();
  toSetFontStyle_ = style;
  auto alert = std::make_shared<ui::AlertView>(
      std::string(kAlertTitle), std::string(kAlertMessage),
      std::weak_ptr<ui::AlertViewDelegate>(std::static_pointer_cast<MSFontDownload>(shared_from_this())),
      std::string(kDeclineTitle), std::vector<std::string>{kAcceptTitle});
  alert->show();
}

void MSFontDownload::alertViewClickedButtonAtIndex(ui::AlertView& alert, int index) {
  if (index != alert.cancelButtonIndex() && alert.buttonTitleAtIndex(index) == kAcceptTitle) didInitDownload();
}

void MSFontDownload::alertViewDidDismissWithButtonIndex(ui::AlertView&, int) {
  // Declined (or dismissed without an answer): the offer ends here.
  if (!task()) releaseSelf();
}

void MSFontDownload::didInitDownload() {
  if (!isHoldingSelf() || task()) return;
  const std::string name = MSFontStyle::fontStyleNameFor(toSetFontStyle_);
  if (!runUnderBoard(engine_->createDownloadFontTask(name), "正在下载字体包：" + name)) {
    releaseSelf();
    ErrorTips::showErrorInfo(kErrInvalidArg, std::nullopt, std::string(kErrorContext));
  }
}

void MSFontDownload::onTaskStatus(const Notification& notification) {
  if (!board()) return;
  auto keep = shared_from_this();
  const Dictionary& info = notification.userInfo;
  const std::string type = info.get("ResultType").stringValue().value_or("");
  if (type == "FontDownload") {
    board()->setProgress(progressOf(info.get("FontDownloadedSize").intValue(), info.get("FontTotalSize").intValue()));
    return;
  }
  if (type != "TaskStatus") return;
  const int code = static_cast<int>(info.get("Result").intValue());
  if (isCancelled()) {
    board()->setStatusString(std::string("取消下载"));
  } else if (code != 0) {
    errored_ = true;
    board()->setStatusString(std::string("下载出错"));
  } else {
    board()->setProgress(1);
    board()->setStatusString(std::string("下载完成"));
    NotificationCenter::defaultCenter().post(kDownloadedNotification, Value(), Dictionary());
    storeFontStyle(toSetFontStyle_);
  }
  didUninitDownload();
  if (errored_) ErrorTips::showErrorInfo(code, info.get("ErrDesc").stringValue(), std::string(kErrorContext));
}

void MSFontDownload::cancelDownload() { cancelTask("取消下载"); }

void MSFontDownload::progressModalViewCancelButtonPressed(PBProgressModalView&) { cancelDownload(); }

void MSFontDownload::didUninitDownload() {
  endTask(errored_);
  releaseSelf();
}

}  // namespace zu
