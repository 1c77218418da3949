// HashErrorResponse: how the Sina and Sohu microblogs answer a failed call — an XML document
// whose root "hash" holds an "error" element with "<code>:<text>..." — and how such an answer
// maps to an OpenPlatformError. Shared by OpenMB_Sina and OpenMB_Sohu; stateless, any thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/runtime/Value.h"

namespace zu {

class HashErrorResponse {
 public:
  HashErrorResponse() = delete;

  // The text of the first child element "error" of a root element "hash"; nullopt when the
  // body is not such an XML document.
  static std::optional<std::string> errorText(std::string_view body);
  // The integer before the first ':' of an error text (0 when there is none).
  static int errorCode(const std::string& errorText);
  // The second ':'-separated piece of an error text, or nullopt.
  static std::optional<std::string> secondPiece(const std::string& errorText);

  // The answer check: 200 passes; 304 no data; 400 by the error code (40072 refused
  // credentials, 40025 duplicate, otherwise the platform's text, or `noTextDescription` when
  // the answer carries no error); 401 refused credentials; anything else a post error.
  static void checkResponse(std::string_view body, int statusCode,
                            const char* noTextDescription, int* errCode, std::string* errDes);
  // The description of a 400 that the check let through.
  static std::string badRequestDescription(const Bytes& body, const char* noTextDescription);
};

}  // namespace zu
