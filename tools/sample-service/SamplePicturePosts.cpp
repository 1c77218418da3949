#include "SamplePicturePosts.h"

#include <chrono>

#include "SamplePosts.h"

namespace zu {

namespace {

// The platform and its address of a picture post, or 0.
int platformOf(const std::string& path) {
  if (path == "/open/1/statuses/upload.json") return 1;
  if (path == "/open/2/api/t/add_pic") return 2;
  if (path == "/open/3/statuses/upload.json") return 3;
  return 0;
}

// The field the text travels in: "content" on platform 2, "status" on 1 and 3.
const char* textField(int n) { return n == 2 ? "content" : "status"; }

// A form's text field, as sent.
std::optional<std::string> field(const SampleService::Request& request, const std::string& name) {
  auto it = request.formFiles.find(name);
  if (it == request.formFiles.end() || !it->second.first.empty()) return std::nullopt;
  return it->second.second;
}

// Platforms 1 and 3 refuse a form with an error document, as their other calls do.
SampleOAuth::Reply hashError(const std::string& path, const std::string& error) {
  return {400, "application/xml;charset=utf-8",
          "<?xml version=\"1.0\" encoding=\"UTF-8\"?><hash><request>" + path.substr(7) + "</request><error>" + error +
              "</error></hash>"};
}

}  // namespace

std::optional<std::string> SamplePicturePosts::postedText(const SampleService::Request& request) {
  const int n = platformOf(request.path);
  if (n == 0) return std::nullopt;
  auto text = field(request, textField(n));
  // Platforms 1 and 3 carry the text percent-encoded once.
  if (text && n != 2) text = SampleOAuth::formValue("t=" + *text, "t");
  return text;
}

std::optional<SampleOAuth::Reply> SamplePicturePosts::answer(const SampleService::Request& request,
                                                             const std::string& baseUrl, SamplePlatforms& platforms) {
  const int n = platformOf(request.path);
  if (n == 0 || request.method != "POST") return std::nullopt;
  // The signed parameters: the query's, the form's text fields and the header's.
  // Platform 3 reads the text percent-encoded and signs what it reads; the others sign the
  // fields as they come.
  auto parameters = SampleOAuth::parameters(request.query, std::string(), request.headers);
  for (const auto& [name, file] : request.formFiles) {
    if (!file.first.empty()) continue;
    parameters.emplace(name, n == 3 && name == textField(n) ? postedText(request).value_or("") : file.second);
  }
  if (auto problem = platforms.freshness(parameters)) return SampleOAuth::Reply{401, "text/plain", *problem};
  if (!SampleOAuth::isSignedFor(SamplePlatforms::consumerKey(n), SamplePlatforms::consumerSecret(n), "POST",
                                baseUrl + request.path, parameters, SamplePlatforms::accessToken(n).c_str(),
                                SamplePlatforms::accessSecret(n))) {
    return SampleOAuth::Reply{401, "text/plain", "oauth_problem=signature_invalid"};
  }
  const auto picture = request.formFiles.find("pic");
  const bool hasPicture =
      picture != request.formFiles.end() && !picture->second.first.empty() && !picture->second.second.empty();
  const auto text = postedText(request);
  if (n == 2) {
    if (!text || text->empty()) return SampleOAuth::Reply{200, "application/json", "{\"ret\":1,\"msg\":\"content is empty\",\"errcode\":4}"};
    if (!hasPicture) return SampleOAuth::Reply{200, "application/json", "{\"ret\":1,\"msg\":\"pic is empty\",\"errcode\":9}"};
    const long now = static_cast<long>(
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count());
    return SampleOAuth::Reply{200, "application/json",
                              "{\"ret\":0,\"msg\":\"ok\",\"errcode\":0,\"data\":{\"id\":\"9002\",\"time\":" +
                                  std::to_string(now) + ",\"imgurl\":\"" +
                                  SamplePosts::pictureAddress(baseUrl, picture->second.second) + "\"}}"};
  }
  if (!text || text->empty()) return hashError(request.path, "40012:Error: content is null!");
  if (!hasPicture) return hashError(request.path, "40070:Error: pic is null!");
  const std::string user = n == 3 ? "screen_name" : "name";
  return SampleOAuth::Reply{200, "application/json",
                            "{\"id\":900" + std::to_string(n) + ",\"text\":\"" + SampleOAuth::escapeJson(*text) +
                                "\",\"original_pic\":\"" + SamplePosts::pictureAddress(baseUrl, picture->second.second) +
                                "\",\"user\":{\"" + user + "\":\"" + SamplePlatforms::nickName(n) + "\"}}"};
}

}  // namespace zu
