#include "SamplePosts.h"

#include <functional>

namespace zu {

std::string SamplePosts::pictureAddress(const std::string& baseUrl, const std::string& picture) {
  return baseUrl + "/img/upload-" + std::to_string(std::hash<std::string>{}(picture) % 100000000) + ".png";
}

std::optional<std::string> SamplePosts::postedText(const SampleService::Request& request) {
  if (request.path != kUpdatePath) return std::nullopt;
  // The client encodes the status before signing, so the form carries it encoded twice.
  const auto once = SampleOAuth::formValue(request.body, "status");
  return once ? SampleOAuth::formValue("status=" + *once, "status") : std::nullopt;
}

std::optional<SampleOAuth::Reply> SamplePosts::answer(const SampleService::Request& request, const std::string& baseUrl) {
  const bool update = request.path == kUpdatePath;
  const bool upload = request.path == kUploadPath;
  if (!update && !upload) return std::nullopt;
  if (request.method != "POST" ||
      !SampleOAuth::isSigned(request.method, request.path, request.query, request.body, request.headers, baseUrl,
                             SampleOAuth::kAccessToken, SampleOAuth::kAccessSecret)) {
    return SampleOAuth::Reply{401, "text/plain", "invalid signature"};
  }
  if (upload) {
    auto picture = request.formFiles.find("pic");
    if (picture == request.formFiles.end() || picture->second.second.empty()) {
      return SampleOAuth::Reply{400, "application/json", "{\"error\":\"no picture\"}"};
    }
    return SampleOAuth::Reply{200, "application/json",
                              "{\"upload_image_url\":\"" + pictureAddress(baseUrl, picture->second.second) + "\"}"};
  }
  const auto text = postedText(request);
  if (!text || text->empty()) return SampleOAuth::Reply{400, "application/json", "{\"error\":\"no status\"}"};
  if (text->find(kRefusedText) != std::string::npos) {
    return SampleOAuth::Reply{400, "application/json", "{\"error\":\"refused\"}"};
  }
  return SampleOAuth::Reply{200, "application/json",
                            "{\"id\":8001,\"text\":\"" + SampleOAuth::escapeJson(*text) + "\",\"user\":{\"name\":\"" +
                                SampleOAuth::kNickName + "\"}}"};
}

}  // namespace zu
