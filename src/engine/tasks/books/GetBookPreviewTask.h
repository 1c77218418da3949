// GetBookPreviewTask: fetches a book's catalogue, stores it with the book manager, then
// downloads, one after another, the raw HTML of every section that allows a preview into the
// section's file. Finishes with 0 when all arrived (at once when none allows a preview), -5000
// for a catalogue that is not a feed, -2004 for a section file that cannot be written, or the
// first failed request's code (the sections already fetched stay). Runs on the "task" thread.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/HttpTask.h"

namespace zu {

class Column;
class Section;

class GetBookPreviewTask : public HttpTask {
 public:
  explicit GetBookPreviewTask(std::shared_ptr<Column> column);

  void run() override;
  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override;

 private:
  void onCatalog(const HttpResponse& response);
  void onSection(const HttpResponse& response);
  void downloadNextSection();

  std::shared_ptr<Column> column_;
  std::string bookId_;
  bool getCatalog_ = false;
  std::vector<std::shared_ptr<Section>> previewSections_;
  std::map<std::string, std::string> sectionIdToChapterId_;
  size_t currIndex_ = 0;
  std::shared_ptr<Section> currSection_;
};

}  // namespace zu
