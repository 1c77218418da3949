// DownloadSectionInnerTask: downloads one book section for reading offline, on the engine of
// the task that runs it: the section's HTML, then, one after another, every picture, style
// sheet and script the page needs (each address once, however often the page names it). Its
// HtmlParser points the page at the local copies and writes the page into the book's folder,
// or into `pagesFolder` when one is given (an update's staging folder).
// Progress goes to the delegate after each resource; the first failed request finishes the
// inner task with that request's code.
//
// Keeps itself and its delegate alive from run() until it has told the delegate (see
// HttpInnerTask). Runs on the "task" thread.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/core/HttpInnerTask.h"
#include "engine/tasks/books/DownloadSectionInnerTaskDelegate.h"
#include "model/book/HtmlParser.h"

namespace zu {

class Section;

class DownloadSectionInnerTask : public HttpInnerTask {
 public:
  DownloadSectionInnerTask(std::shared_ptr<HttpEngine> engine, std::string bookId,
                           int chapterIndex, std::shared_ptr<Section> section,
                           std::shared_ptr<DownloadSectionInnerTaskDelegate> delegate,
                           std::optional<std::string> pagesFolder = std::nullopt);

  void onHttpError(int errCode, const std::optional<std::string>& errDesc) override;
  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override;

 protected:
  void start() override;
  void finish(int errCode, const std::optional<std::string>& errDesc) override;

 private:
  void downloadNextUrl();
  void reportProgress(int progress);

  std::string bookId_;
  int chapterIndex_;
  std::shared_ptr<Section> section_;
  std::shared_ptr<DownloadSectionInnerTaskDelegate> delegate_;
  HtmlParser parser_;
  bool downloadHtml_ = false;
  std::vector<std::string> urlArray_;
  size_t currIndex_ = 0;
  std::string currUrl_;
};

}  // namespace zu
