// ColumnPickerEngine: the requests of the content centre and the custom subscription list — a
// catalogue page, a search (in a custom scope with its customization), a subscription, a cover
// download and the cover cache — on top of the column detail's requests (the content centre opens
// the detail with its own engine). The default goes to the data
// engine (gDataEngine()); without an engine a factory gives null and the screen runs nothing. A
// test gives its own, scripting what the tasks report.
//
// Tasks report through the application Observer: their results arrive as notifications named
// by the task's id on the main thread. Main thread only.
#pragma once

#include <memory>

#include "shell/detail/ColumnDetailEngine.h"

namespace zu {

class VeskCustomization;

class ColumnPickerEngine : public ColumnDetailEngine {
 public:
  static std::shared_ptr<ColumnPickerEngine> defaultPickerEngine();

  using ColumnDetailEngine::createGetServerColumnsTask;
  // A page of a custom scope's list (a microblog's is asked with its bound account).
  virtual std::shared_ptr<Task> createGetServerColumnsTask(const std::shared_ptr<Link>& link,
                                                           const std::shared_ptr<VeskCustomization>& customization);
  // The list at the link's address; entry kind 1 asks for columns.
  virtual std::shared_ptr<Task> createSearchTask(const std::shared_ptr<Link>& link, const Text& keyWords,
                                                 int entryType,
                                                 const std::shared_ptr<VeskCustomization>& customization = nullptr);
  virtual std::shared_ptr<Task> createDownloadImageTask(const Text& url);
  virtual bool isImageDownloading(const Text& url);
};

}  // namespace zu
