// UrlError: why a URL connection failed, in the platform's URL error codes (negative numbers
// such as -1001 for a time-out), so the HTTP engine can map them to its own codes. `message`
// is a human-readable detail (libcurl's text) for logs only.
// A plain value; copy freely.
#pragma once

#include <string>

namespace zu {

struct UrlError {
  static constexpr int kUnknown = -1;
  static constexpr int kCancelled = -999;
  static constexpr int kBadUrl = -1000;
  static constexpr int kTimedOut = -1001;
  static constexpr int kUnsupportedUrl = -1002;
  static constexpr int kCannotFindHost = -1003;
  static constexpr int kCannotConnectToHost = -1004;
  static constexpr int kNetworkConnectionLost = -1005;
  static constexpr int kHttpTooManyRedirects = -1007;
  static constexpr int kNotConnectedToInternet = -1009;
  static constexpr int kBadServerResponse = -1011;
  static constexpr int kUserCancelledAuthentication = -1012;
  static constexpr int kCannotDecodeContentData = -1016;
  static constexpr int kDataLengthExceedsMaximum = -1103;
  static constexpr int kSecureConnectionFailed = -1200;
  static constexpr int kServerCertificateUntrusted = -1202;

  int code = kUnknown;
  std::string message;
};

}  // namespace zu
