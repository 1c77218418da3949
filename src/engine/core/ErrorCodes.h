// Engine error codes: the signed 32-bit result of every task finish, HTTP engine result and
// image download result (0 success, negative failure), with the one table that gives each code
// its name and its text. Plain functions without state, usable from any thread.
#pragma once

#include <cstdint>
#include <string>

namespace zu {

// The code table: X(name, code, text). A null text means the code has no text of its own and is
// described by the general form "错误%d".
#define ZU_ENGINE_ERROR_TABLE(X)                         \
  X(kErrOk, 0, "成功")                                    \
  X(kErrFail, -1, "失败")                                 \
  X(kErrNotSupported, -2, "不支持")                       \
  X(kErrNotFound, -3, "未找到")                           \
  X(kErrExists, -4, "已存在")                             \
  X(kErrOverLimit, -5, "超过限制")                        \
  X(kErrCancelled, -6, "操作被取消")                      \
  X(kErrInvalidArg, -7, "参数无效")                       \
  X(kErrBadState, -8, "状态错误")                         \
  X(kErrNoMemory, -9, "内存不足")                         \
  X(kErrCacheFull, -10, "指定缓存不足")                   \
  X(kErrFatal, -11, "严重错误")                           \
  X(kErrGeneral12, -12, nullptr)                          \
  X(kErrNetworkUnavailable, -13, "网络不可用")            \
  X(kErrLoginRefused1, -1000, nullptr)                    \
  X(kErrLoginRefused2, -1001, nullptr)                    \
  X(kErrLoginRefused10, -1002, nullptr)                   \
  X(kErrLoginRefused11, -1003, nullptr)                   \
  X(kErrLoginRefused12, -1004, nullptr)                   \
  X(kErrFileNotFound, -2000, "文件未找到")                \
  X(kErrFileExists, -2001, "文件已存在")                  \
  X(kErrFileOpen, -2002, "文件打开失败")                  \
  X(kErrFileCreate, -2003, "文件创建失败")                \
  X(kErrFileWrite, -2004, "文件写入失败")                 \
  X(kErrFileDelete, -2005, "文件删除失败")                \
  X(kErrNetDisconnected, -3000, "网络连接断开")           \
  X(kErrBadUrl, -3001, "URL无效")                         \
  X(kErrNetTimeout, -3002, "网络连接超时")                \
  X(kErrNetConnect, -3003, "网络连接失败")                \
  X(kErrNetError, -3004, "网络连接出错")                  \
  X(kErrDataParse, -5000, "数据解析失败")                 \
  X(kErrData5001, -5001, nullptr)                         \
  X(kErrDataContent, -5002, "数据内容出错")               \
  X(kErrNeedUpgrade, -190000, "程序需要更新")

// The HTTP statuses whose code -(3000 + S) has the text "HTTP响应码: S(reason)":
// X(status, reason), the reasons spelled as the service's clients have always shown them.
#define ZU_HTTP_STATUS_TABLE(X)               \
  X(100, "Continue")                          \
  X(101, "Switching Protocols")               \
  X(200, "OK")                                \
  X(201, "Created")                           \
  X(202, "Accepted")                          \
  X(203, "Non-Authoritative Information")     \
  X(204, "No Content")                        \
  X(205, "Reset Content")                     \
  X(206, "Partial Content")                   \
  X(300, "Multiple Choices")                  \
  X(301, "Moved Permanently")                 \
  X(302, "Found")                             \
  X(303, "See Other")                         \
  X(304, "Not Modified")                      \
  X(305, "Use Proxy")                         \
  X(306, "Unused")                            \
  X(307, "Temporary Redirect")                \
  X(400, "Bad Request")                       \
  X(401, "Unauthorized")                      \
  X(402, "Payment Required")                  \
  X(403, "Forbidden")                         \
  X(404, "Not Found")                         \
  X(405, "Method Not Allowed")                \
  X(406, "Not Acceptable")                    \
  X(407, "Proxy Authentication Required")     \
  X(408, "Request Timeout")                   \
  X(409, "Conflict")                          \
  X(410, "Gone")                              \
  X(411, "Length Required")                   \
  X(412, "Precondition Failed")               \
  X(413, "Request Entity Too Large")          \
  X(414, "Request URI Tool Long")             \
  X(415, "Unsupported Media Type")            \
  X(416, "Requested Range Not Satisfiable")   \
  X(417, "Expectation Failed")                \
  X(500, "Internal Server Error")             \
  X(501, "Not Implemented")                   \
  X(502, "Bad Gateway")                       \
  X(503, "Service Unavailable")               \
  X(504, "Gateway Timeout")                   \
  X(505, "Http Version Not Supported")

#define ZU_ENGINE_ERROR_CONSTANT(name, code, text) inline constexpr int name = code;
ZU_ENGINE_ERROR_TABLE(ZU_ENGINE_ERROR_CONSTANT)
#undef ZU_ENGINE_ERROR_CONSTANT

// The service refused with failure reason N: -(100000 + N).
inline constexpr int kServerErrorBase = -100000;

// The text of a code: the table's text, "HTTP响应码: S(reason)" for the listed statuses, else
// "错误%d" with the code.
std::string ErrorGetDescription(int code);

// -(3000 + status) for 100, 101, 200..207, 300..307, 400..417 and 500 or more; any other status
// is returned unchanged.
int GetHttpSCErrorCode(int status);

// -100000 - reason.
int GetServerErrorCode(int reason);

// True for the five codes of a login the service no longer accepts: -100001, -100002, -100010,
// -100011 and -100012.
bool isServerAuthorizeError(int code);

}  // namespace zu
