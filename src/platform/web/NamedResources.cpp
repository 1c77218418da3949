#include "platform/web/NamedResources.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace zu::web {

namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Percent-escapes what the engine escapes in a path or query (`inQuery`: a query, where
// braces and the back quote stay).
void appendEscaped(std::string& out, std::string_view part, bool inQuery) {
  static const char* kHex = "0123456789ABCDEF";
  for (char c : part) {
    const auto byte = static_cast<uint8_t>(c);
    const bool escape = byte <= 0x20 || byte >= 0x7f || c == '"' || c == '<' || c == '>' ||
                        (inQuery ? c == '\'' : (c == '`' || c == '{' || c == '}'));
    if (!escape) {
      out.push_back(c);
      continue;
    }
    out.push_back('%');
    out.push_back(kHex[byte >> 4]);
    out.push_back(kHex[byte & 0xf]);
  }
}

}  // namespace

NamedResources::NamedResources(const std::vector<std::string>& addresses) {
  for (const auto& address : addresses) {
    std::string key = normalized(address);
    if (!key.empty()) addresses_.insert(std::move(key));
  }
}

bool NamedResources::names(const std::string& url) const {
  const std::string key = normalized(url);
  return !key.empty() && addresses_.count(key) > 0;
}

std::string NamedResources::normalized(const std::string& url) {
  // Leading and trailing spaces and controls go, tabs and line breaks anywhere.
  size_t begin = 0, end = url.size();
  while (begin < end && static_cast<uint8_t>(url[begin]) <= 0x20) ++begin;
  while (end > begin && static_cast<uint8_t>(url[end - 1]) <= 0x20) --end;
  std::string text;
  text.reserve(end - begin);
  for (size_t i = begin; i < end; ++i) {
    if (url[i] != '\t' && url[i] != '\n' && url[i] != '\r') text.push_back(url[i]);
  }
  const size_t colon = text.find(':');
  if (colon == std::string::npos) return std::string();
  std::string scheme;
  for (size_t i = 0; i < colon; ++i) scheme.push_back(lower(text[i]));
  if (scheme != "http" && scheme != "https") return std::string();
  // The engine takes back slashes for slashes in these schemes, before the query.
  for (size_t i = colon; i < text.size() && text[i] != '?' && text[i] != '#'; ++i) {
    if (text[i] == '\\') text[i] = '/';
  }
  if (text.compare(colon + 1, 2, "//") != 0) return std::string();
  std::string_view rest(text);
  rest.remove_prefix(colon + 3);
  if (const size_t hash = rest.find('#'); hash != std::string_view::npos) rest = rest.substr(0, hash);
  const size_t authorityEnd = std::min(rest.find('/'), rest.find('?'));
  std::string_view authority = rest.substr(0, authorityEnd);
  rest.remove_prefix(authority.size());
  std::string host;
  if (const size_t at = authority.rfind('@'); at != std::string_view::npos) {
    host.append(authority.substr(0, at + 1));
    authority.remove_prefix(at + 1);
  }
  // A host (a bracketed one for IPv6), then at most a port of digits; the scheme's own port is
  // not written.
  size_t hostEnd = 0;
  if (!authority.empty() && authority.front() == '[') {
    hostEnd = authority.find(']');
    if (hostEnd == std::string_view::npos) return std::string();
    ++hostEnd;
  } else {
    hostEnd = std::min(authority.find(':'), authority.size());
  }
  if (hostEnd == 0) return std::string();
  if (hostEnd < authority.size()) {
    const std::string_view port = authority.substr(hostEnd + 1);
    if (authority[hostEnd] != ':' || port.find_first_not_of("0123456789") != std::string_view::npos) {
      return std::string();
    }
    if (port.empty() || port == (scheme == "http" ? "80" : "443")) authority = authority.substr(0, hostEnd);
  }
  for (char c : authority) host.push_back(lower(c));
  const size_t question = rest.find('?');
  std::string_view path = rest.substr(0, question);
  std::string out = scheme + "://" + host;
  if (path.empty()) out.push_back('/');
  appendEscaped(out, path, false);
  if (question != std::string_view::npos) {
    out.push_back('?');
    appendEscaped(out, rest.substr(question + 1), true);
  }
  return out;
}

}  // namespace zu::web
