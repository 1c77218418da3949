// OpenPlatformError: the result codes the open-platform clients report to their observer
// (onOPError, or onOPPostSuccess for kOPSuccess). Any other value is the connection's own error
// code (a UrlError code). Plain constants; shared by every client.
#pragma once

namespace zu {

enum OpenPlatformError : int {
  kOPSuccess = 0,
  kOPErrPlatform = -1,           // the platform answered with an error or with no data
  kOPErrBadArgument = -3,        // missing text, picture or callback field
  kOPErrAuthFailed = -4,         // token exchange, user information or operation failed
  kOPErrRejected = -5,           // the platform rejected the request (HTTP 400 and the like)
  kOPErrCredentialsRefused = -6, // the platform refused the credentials; the account is unbound
  kOPErrDuplicate = -7,          // the same post was already published
  kOPErrTooFast = -8,            // posting too fast
  kOPErrNotBound = -9,           // no bound account
};

// The texts that go with the codes (the platforms' own texts are passed on as they come).
namespace optext {
inline constexpr char kPostError[] = "发表微博错误";
inline constexpr char kNoData[] = "微博服务器没有数据返回";
inline constexpr char kServerError[] = "服务器内部错误";
inline constexpr char kBadUrl[] = "URL 无效";
inline constexpr char kBadArgument[] = "参数错误";
inline constexpr char kAuthFailed[] = "认证失败";
inline constexpr char kOperationError[] = "操作错误";
inline constexpr char kShareError400[] = "分享错误400";
inline constexpr char kRequestError[] = "微博请求错误";
inline constexpr char kShareFailed[] = "分享失败";
inline constexpr char kDuplicate[] = "不能重复发表相同微博";
inline constexpr char kTooFast[] = "微博发表频率过快";
inline constexpr char kRateLimited[] = "频率受限";
inline constexpr char kNotAuthorized[] = "未认证";
inline constexpr char kNotLoggedIn[] = "未登录";
inline constexpr char kInvalidUser[] = "无效用户";
inline constexpr char kNetworkError[] = "网络返回错误";
}  // namespace optext

}  // namespace zu
