// MSFontDownload: changing the article font style, with the font pack download that a style
// other than "黑体" (style 1) needs before it can be chosen. The shell's MSFontStyle names the
// styles and reads the choice; this class stores a new one.
//
// setCurrentFontStyle(style): with the style's pack on the device (or for style 1) the choice is
// stored at once (MSSettings keeps 1 − style); otherwise an offer is made — an alert "字体下载" /
// "显示本字体需要下载字体包，将耗费11M流量，马上下载？" with "暂时不" and "确定下载" — and nothing is stored
// yet. "暂时不" ends it. "确定下载" runs the engine's font task and shows the progress board at 0
// with "正在下载字体包：%@" (the style's name); the bar follows the bytes received. The task's end:
//  - success: the bar full, "下载完成", "kNotificationFontDownloaded" posted (no object), then the
//    style stored; the board fades out;
//  - failure: "下载出错", the board gone at once, then the error tip (code, "ErrDesc", context " ");
//  - after the board's cancel button: "取消下载"; nothing posted or stored.
// The flow holds itself from the offer to the task's end.
//
// Where we differ on purpose (faults mended):
//  - One offer or download at a time: asking for a style that needs its pack while one is under
//    way does nothing, so repeated taps start one.
//  - A total of 0 gives progress 0, never a division's NaN.
//  - The downloaded style is stored directly rather than by asking again whether its pack is
//    there, so an engine that disagrees cannot start a second offer from the first's success.
//  - A style number outside 0..1 is ignored; an engine that makes no task ends the flow like a
//    failed download (the tip shows the engine's "invalid argument" code).
//
// Main thread only; results come as task notifications through the application Observer. The
// board, the task and the hold are ProgressTaskFlow's.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/controllers/AlertView.h"
#include "settings/progress/ProgressTaskFlow.h"

namespace zu {

class MSFontDownload : public ProgressTaskFlow, public ui::AlertViewDelegate {
 public:
  static constexpr const char* kDownloadedNotification = "kNotificationFontDownloaded";
  static constexpr const char* kAlertTitle = "字体下载";
  static constexpr const char* kAlertMessage = "显示本字体需要下载字体包，将耗费11M流量，马上下载？";
  static constexpr const char* kDeclineTitle = "暂时不";
  static constexpr const char* kAcceptTitle = "确定下载";

  // Stores `style` or offers its pack, with the engine (the data engine's when null).
  static void setCurrentFontStyle(int style, std::shared_ptr<ProgressTaskEngine> engine = nullptr);
  // The offer or download under way, or null.
  static std::shared_ptr<MSFontDownload> current();

  explicit MSFontDownload(std::shared_ptr<ProgressTaskEngine> engine);

  void startDownload(int style);
  void didInitDownload();
  void onTaskStatus(const Notification& notification) override;
  void cancelDownload();
  void didUninitDownload();

  void alertViewClickedButtonAtIndex(ui::AlertView& alert, int index) override;
  void alertViewDidDismissWithButtonIndex(ui::AlertView& alert, int index) override;
  void progressModalViewCancelButtonPressed(PBProgressModalView& view) override;

  // --- state (read by tests)
  int toSetFontStyle() const { return toSetFontStyle_; }
  bool isErrored() const { return errored_; }

 private:
  bool errored_ = false;
  int toSetFontStyle_ = 0;
};

}  // namespace zu
