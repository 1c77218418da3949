#include "platform/net/HttpHeaderParser.h"

#include <charconv>

namespace zu {

namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' ||
                        s.back() == '\n')) {
    s.remove_suffix(1);
  }
  return s;
}

}  // namespace

void HttpHeaderParser::feedLine(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  if (line.size() >= 5 && line.substr(0, 5) == "HTTP/") {
    haveBlock_ = true;
    complete_ = false;
    fields_.clear();
    // Room for a typical block in one allocation, small enough for the allocator's
    // per-thread cache (a larger first block costs a search of its free lists).
    fields_.reserve(8);
    status_ = 0;
    size_t sp = line.find(' ');
    if (sp != std::string_view::npos) {
      std::string_view code = trim(line.substr(sp + 1, 4));
      int value = 0;
      auto [end, ec] = std::from_chars(code.data(), code.data() + code.size(), value);
      if (ec == std::errc() && value >= 0 && value <= 999) status_ = value;
      (void)end;
    }
    return;
  }
  if (!haveBlock_ || complete_) return;
  if (line.empty()) {
    complete_ = true;
    return;
  }
  if (line.front() == ' ' || line.front() == '\t') {
    if (!fields_.empty()) {
      fields_.back().second += ' ';
      fields_.back().second += trim(line);
    }
    return;
  }
  size_t colon = line.find(':');
  if (colon == std::string_view::npos || colon == 0) return;
  fields_.emplace_back(std::string(trim(line.substr(0, colon))),
                       std::string(trim(line.substr(colon + 1))));
}

std::shared_ptr<UrlResponse> HttpHeaderParser::takeResponse(std::string url) {
  auto r = std::make_shared<UrlResponse>();
  r->statusCode = status_;
  r->headers = std::move(fields_);
  fields_.clear();
  r->url = std::move(url);
  if (auto len = r->field("Content-Length")) {
    std::string_view t = trim(*len);
    int64_t v = -1;
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    r->expectedContentLength = (ec == std::errc() && end == t.data() + t.size() && v >= 0) ? v : -1;
  }
  if (auto type = r->field("Content-Type")) {
    std::string_view t = *type;
    t = trim(t.substr(0, t.find(';')));
    r->mimeType.assign(t);
    for (char& c : r->mimeType) {
      if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    }
  }
  return r;
}

}  // namespace zu
