// SamplePicturePosts: the picture posts of the microblogs 1 to 3 of the sample service (under
// "/open/<n>", as SamplePlatforms' other addresses), as each platform's client sends them: a
// multipart form with the text, the OAuth protocol fields and the picture part "pic".
//  - 1 and 3, "/statuses/upload.json": the text in "status" (percent-encoded once; 1 also names
//    the application in "source"); the answer is the status as stored, with the text and the
//    address of the picture ("original_pic").
//  - 2, "/api/t/add_pic": the text in "content", with "format" and "clientip"; the answer is the
//    platform's JSON envelope ("ret" 0) holding the post's id, its time and the picture's address.
// Every form must be signed (HMAC-SHA1 over the form's text fields as they come; platform 3 signs
// the text it decodes from "status") for the client's phone key and the platform's access token,
// with a fresh timestamp and an unused nonce (SamplePlatforms::freshness), else 401 with the
// problem. A form without a picture or a
// text is refused as the platform refuses it: 1 and 3 with a 400 and an error document ("hash"
// with its "error"), 2 with "ret" 1 and the message.
//
// Stateless but for the nonces the platforms keep: any thread may call answer().
#pragma once

#include <optional>
#include <string>

#include "SampleOAuth.h"
#include "SamplePlatforms.h"
#include "SampleService.h"

namespace zu {

class SamplePicturePosts {
 public:
  // The answer to a picture post; nullopt for any other request. `baseUrl` is the server's.
  static std::optional<SampleOAuth::Reply> answer(const SampleService::Request& request, const std::string& baseUrl,
                                                  SamplePlatforms& platforms);
  // The text a picture post carries, as the reader wrote it; nullopt for no picture post.
  static std::optional<std::string> postedText(const SampleService::Request& request);
};

}  // namespace zu
