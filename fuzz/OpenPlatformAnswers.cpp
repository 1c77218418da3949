// Fuzz target for what the open platforms send back: the XML error of the Sina and Sohu
// microblogs, and the form-encoded token answers and callback URLs the clients read fields
// from. Any bytes give a clean result; a field value found is always a piece of the input.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/openplatform/HashErrorResponse.h"
#include "engine/openplatform/OPUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  int code = 0;
  std::string description;
  zu::HashErrorResponse::checkResponse(text, 400, "none", &code, &description);
  if (code == 0) std::abort();
  zu::HashErrorResponse::badRequestDescription(zu::Bytes(data, data + size), "none");
  for (const char* name : {"oauth_token", "oauth_token_secret", "oauth_verifier", "access_token",
                           "douban_user_id"}) {
    auto value = zu::OPUtils::getFieldValue(text, name);
    if (value && text.find(std::string(name) + "=" + *value) == std::string_view::npos) {
      std::abort();
    }
  }
  return 0;
}
