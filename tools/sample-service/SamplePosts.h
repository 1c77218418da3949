// SamplePosts: the sample service's stand-in for the share endpoints of platform 0's microblog
// (zelvanemblog) during `make run` and the share screen's tests, at the paths the client's
// platform table gives: "/statuses/update.json" (a text post, a signed form whose "status" the
// client percent-encodes before signing) and "/statuses/upload.json" (a picture, a multipart
// form with the part "pic", signed in the "Authorization" header alone). Both must be signed
// with the account's access token (SampleOAuth), else 401. The upload answers the picture's
// address ("upload_image_url"); a text post answers the post as stored, except that a text
// holding kRefusedText is refused with a 400 (a platform turning a post down).
//
// Stateless; the service records every request, so a test reads what was posted from there
// (postedText). Any thread may call answer().
#pragma once

#include <optional>
#include <string>

#include "SampleOAuth.h"
#include "SampleService.h"

namespace zu {

class SamplePosts {
 public:
  static constexpr const char* kUpdatePath = "/statuses/update.json";
  static constexpr const char* kUploadPath = "/statuses/upload.json";
  static constexpr const char* kRefusedText = "请拒绝这条分享";

  // The answer to one of the two paths; nullopt for any other path.
  static std::optional<SampleOAuth::Reply> answer(const SampleService::Request& request, const std::string& baseUrl);
  // The address an uploaded picture is given (the picture route answers it).
  static std::string pictureAddress(const std::string& baseUrl, const std::string& picture);
  // The text of a post to kUpdatePath as the reader wrote it, or nullopt.
  static std::optional<std::string> postedText(const SampleService::Request& request);
};

}  // namespace zu
