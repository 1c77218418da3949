// FeedbackTask: sends the reader's feedback to the feedback host. With a file (the zipped log)
// it first uploads the file as a multipart form to "http://<host>/ft/file.fb?op=up" and keeps
// the "fileId" of the JSON answer; then it posts the form to "http://<host>/ft/commentInner.fb"
// in GB 18030 (the host's encoding): feedback and product ids, user name, title, content, the
// screen, device and version line, the file fields when a file id came back, and the contact
// when one was given. The host answers "true" for success (0); anything else is -1.
//
// Made by DataEngine::createFeedbackTask. Runs on the "task" thread.
#pragma once

#include <optional>
#include <string>

#include "engine/core/HttpTask.h"

namespace zu {

class FeedbackTask : public HttpTask {
 public:
  // The feedback host's endpoints ("http://<feedback host>" + path).
  static constexpr const char* kUploadPath = "/ft/file.fb?op=up";
  static constexpr const char* kFormPath = "/ft/commentInner.fb";

  FeedbackTask(std::string productName, int productId, int feedbackId, std::string username,
               std::string title, std::string content, std::optional<std::string> filePath,
               std::optional<std::string> contact);

  void run() override;
  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override;

  // The form as text, before its conversion to GB 18030 (the values already percent-encoded).
  std::string feedbackForm() const;
  // "<width> * <height>; <model>/<system version>; <product>/<bundle version>", the screen in
  // pixels.
  std::string resolution() const;

 private:
  void postFeedback();

  std::string productName_;
  int productId_;
  int feedbackId_;
  std::string username_;
  std::string title_;
  std::string content_;
  std::optional<std::string> filePath_;
  std::optional<std::string> contact_;
  bool uploadFile_ = false;
  std::optional<std::string> fileId_;
};

}  // namespace zu
