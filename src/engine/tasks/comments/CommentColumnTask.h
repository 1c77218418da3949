// CommentColumnTask: rates a column and, when a comment is given, comments on it: the rating is
// posted to the column's ranking address, then the comment to its assessment address; the
// comment the service stored is reported with onEntryResult. A column without both addresses
// finishes with -1; a stored comment that does not parse with -5000.
//
// Made by DataEngine::createCommentColumnTask; runs on the "task" thread.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "engine/core/HttpTask.h"
#include "platform/runtime/Value.h"

namespace zu {

class Column;

class CommentColumnTask : public HttpTask {
 public:
  CommentColumnTask(std::shared_ptr<Column> column, float rating,
                    std::optional<std::string> comment);

  void run() override;
  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override;

 private:
  void post(const std::optional<std::string>& url, std::optional<Bytes> body);

  std::shared_ptr<Column> column_;
  float rating_;
  std::optional<std::string> comment_;
  bool doComment_ = false;
};

}  // namespace zu
