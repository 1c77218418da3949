#include "platform/net/UrlResponse.h"

#include <algorithm>

namespace zu {

std::optional<std::string> UrlResponse::field(std::string_view name) const {
  auto same = [&](const std::string& n) {
    return n.size() == name.size() &&
           std::equal(n.begin(), n.end(), name.begin(), [](char a, char b) {
             auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
             return lower(a) == lower(b);
           });
  };
  std::optional<std::string> out;
  for (const auto& [n, v] : headers) {
    if (!same(n)) continue;
    if (out) {
      *out += ", ";
      *out += v;
    } else {
      out = v;
    }
  }
  return out;
}

}  // namespace zu
