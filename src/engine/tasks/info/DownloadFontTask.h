// DownloadFontTask: downloads one font pack. It fetches the service's font list, finds the font
// by name and downloads its file into "<Fonts>/<name>.ttf.temp" with resume allowed (a partial
// file left by an earlier attempt is continued). Only when the file's MD5 equals the list's is
// it moved to "<Fonts>/<name>.ttf"; a mismatch deletes the download and finishes with -5002
// "文件MD5错误". Progress goes to an observer that implements onDownloadFontProgress (the list's
// length stands in for a total the server does not send).
//
// Finishes: 0; -3003 without a font address in the URL table; -5000 for a list that does not
// parse; -3 for a name missing from the list; or the engine's code (the partial file is kept).
// Runs on the "task" thread.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/core/HttpTask.h"

namespace zu {

class Font;

class DownloadFontTask : public HttpTask {
 public:
  explicit DownloadFontTask(std::string fontName);

  void run() override;
  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override;
  void onReceivedSize(int64_t receivedSize, int64_t totalSize) override;

  // The first font of the list with that name, or null.
  static std::shared_ptr<Font> getFont(const std::string& name,
                                       const std::vector<std::shared_ptr<Font>>& fonts);

 private:
  void onFontList(const HttpResponse& response);
  void onFontFile();

  std::string fontName_;
  std::shared_ptr<Font> font_;
  bool getFontInfo_ = false;
  int64_t totalSize_ = 0;
};

}  // namespace zu
