#include "engine/tasks/info/FeedbackTask.h"

#include <filesystem>

#include "common/Gb18030.h"
#include "common/KjJSON.h"
#include "common/ServiceHosts.h"
#include "common/UrlEncode.h"
#include "engine/core/ErrorCodes.h"
#include "engine/http/HttpEngine.h"
#include "engine/tasks/support/TaskSupport.h"
#include "platform/device/DeviceProfile.h"
#include "platform/runtime/Bundle.h"

namespace zu {

FeedbackTask::FeedbackTask(std::string productName, int productId, int feedbackId,
                           std::string username, std::string title, std::string content,
                           std::optional<std::string> filePath,
                           std::optional<std::string> contact)
    : productName_(std::move(productName)),
      productId_(productId),
      feedbackId_(feedbackId),
      username_(std::move(username)),
      title_(std::move(title)),
      content_(std::move(content)),
      filePath_(std::move(filePath)),
      contact_(std::move(contact)) {}

void FeedbackTask::run() {
  HttpTask::run();
  if (!httpEngine()) return;
  if (filePath_) {
    uploadFile_ = true;
    httpEngine()->uploadWithForm("http://" + ServiceHosts::feedbackHost() + kUploadPath,
                                 *filePath_);
    return;
  }
  postFeedback();
}

std::string FeedbackTask::resolution() const {
  const int width = static_cast<int>(DeviceProfile::screenWidth() * DeviceProfile::screenScale());
  const int height =
      static_cast<int>(DeviceProfile::screenHeight() * DeviceProfile::screenScale());
  std::string version;
  if (auto bundle = Bundle::mainBundle()) version = bundle->info("CFBundleVersion").value_or("");
  return std::to_string(width) + " * " + std::to_string(height) + "; " + DeviceProfile::model() +
         "/" + DeviceProfile::systemVersion() + "; " + productName_ + "/" + version;
}

std::string FeedbackTask::feedbackForm() const {
  auto gb = [](const std::string& text) { return UrlEncode::encode(text, StringEncoding::Gb18030); };
  std::string form = "feedbackId=" + std::to_string(feedbackId_) +
                     "&productId=" + std::to_string(productId_) +
                     "&userName=" + UrlEncode::encode(username_) + "&title=" + gb(title_) +
                     "&content=" + gb(content_) + "&resolution=" + gb(resolution());
  if (fileId_) {
    form += "&fileId=" + UrlEncode::encode(*fileId_) + "&fileName=" +
            UrlEncode::encode(std::filesystem::path(filePath_.value_or("")).filename().string());
  }
  if (contact_) form += "&contact=" + gb(*contact_);
  return form;
}

void FeedbackTask::postFeedback() {
  // The form is ASCII after percent-encoding, so its GB 18030 bytes are the same bytes.
  const std::string form = Gb18030::fromUtf8(feedbackForm()).value_or(feedbackForm());
  httpEngine()->setHeaderField("Content-Type", "application/x-www-form-urlencoded");
  // A submission: a kept copy of an earlier answer must never stand in for this one.
  httpEngine()->setCacheEnabled(false);
  httpEngine()->post("http://" + ServiceHosts::feedbackHost() + kFormPath,
                     Bytes(form.begin(), form.end()));
}

void FeedbackTask::onHttpSuccess(const std::shared_ptr<HttpResponse>& response) {
  const std::string answer =
      Gb18030::toUtf8(TaskSupport::bodyText(*response)).value_or(std::string());
  if (uploadFile_) {
    uploadFile_ = false;
    KjJSON json;
    auto object = json.objectWithString(answer);
    const Dictionary* fields = object ? object->asDictionary() : nullptr;
    if (const Value* id = fields ? fields->find("fileId") : nullptr) {
      if (const std::string* text = id->asString()) {
        fileId_ = *text;
      } else if (id->isInt()) {
        fileId_ = std::to_string(id->intValue());
      }
    }
    postFeedback();
    return;
  }
  if (answer == "true") {
    done(kErrOk, std::nullopt);
  } else {
    done(kErrFail, ErrorGetDescription(kErrFail));
  }
}

}  // namespace zu
