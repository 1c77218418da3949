// HttpHeaderParser: reads the header lines of HTTP responses as libcurl hands them over, one
// line at a time, and keeps the block of the latest response: a status line starts a new block
// (a redirect or an interim 1xx is replaced by what follows), an empty line ends it, folded
// lines continue the previous field, lines after the end (trailers) and malformed lines are
// ignored. takeResponse() turns the block into a UrlResponse.
//
// Works on bytes from the network: any input gives a clean result, never a crash. One owner,
// one thread.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/net/UrlResponse.h"

namespace zu {

class HttpHeaderParser {
 public:
  // One line, with or without its CR LF.
  void feedLine(std::string_view line);

  // True once a status line was seen.
  bool hasBlock() const { return haveBlock_; }
  // True once the empty line after the fields was seen.
  bool complete() const { return complete_; }
  int status() const { return status_; }
  const std::vector<std::pair<std::string, std::string>>& fields() const { return fields_; }

  // The block as a response for `url` (Content-Length and Content-Type read from the fields);
  // the fields are moved out.
  std::shared_ptr<UrlResponse> takeResponse(std::string url);

 private:
  bool haveBlock_ = false;
  bool complete_ = false;
  int status_ = 0;
  std::vector<std::pair<std::string, std::string>> fields_;
};

}  // namespace zu
