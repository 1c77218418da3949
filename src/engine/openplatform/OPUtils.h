// OPUtils: small text helpers shared by the open-platform clients: reading one field of a
// form-encoded answer or callback URL, the clients' percent escaping, multipart boundaries and
// text form fields, and the MD5 hex digest of Renren's signatures. Stateless class functions,
// callable from any thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/runtime/Value.h"

namespace zu {

class OPUtils {
 public:
  OPUtils() = delete;

  using Fields = std::vector<std::pair<std::string, std::string>>;

  // The value of the field `name` in a form-encoded text or URL ("a=1&b=2", "...?a=1",
  // "...#a=1&b=2"): the first occurrence of the whole name (at the start or after '?', '#',
  // '&' or ';', and followed by '='), up to the next '&' or the end; not decoded. nullopt when
  // there is no such field, so "oauth_token" never matches inside "oauth_token_secret".
  static std::optional<std::string> getFieldValue(std::string_view text, std::string_view name);

  // UTF-8 bytes percent-escaped: only letters, digits and - . _ ~ stay.
  static std::string stringUrlEncoded(std::string_view text);

  // "_Part_Boundary_%03d_%06d.%06d" with three pseudo-random numbers.
  static std::string GenBoundary();

  // One multipart text part per field, fields in case-insensitive key order:
  // "--<boundary>\r\nContent-Disposition: form-data; name=\"<key>\"\r\n"
  // "Content-Type: text/plain;charset=UTF-8\r\n\r\n<value>\r\n".
  static std::string genFormData(const Fields& fields, std::string_view boundary);

  // 32 lower-case hex digits of the MD5 of the text's UTF-8 bytes.
  static std::string md5HexDigest(std::string_view text);

  // Replaces the value of `key` in place, or appends the pair.
  static void setField(Fields& fields, std::string key, std::string value);
  // The value of `key`, or null.
  static const std::string* findField(const Fields& fields, std::string_view key);

  // A platform's JSON answer (any JSON value), or nullopt when it is not JSON.
  static std::optional<Value> readJson(std::string_view text);
  // The member `key` of a JSON object as text (numbers as their decimal text); nullopt when
  // `object` is not an object or the member is missing, null or not a scalar.
  static std::optional<std::string> stringField(const Value& object, std::string_view key);

  // Sorts by key without regard to case; equal keys keep their order.
  static void sortCaseInsensitive(Fields& fields);
  // Case-insensitive comparison of two keys (the sort order above).
  static bool lessCaseInsensitive(std::string_view a, std::string_view b);
};

}  // namespace zu
