#include "shell/app/ErrorTips.h"

#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/core/ErrorCodes.h"
#include "platform/ui/controllers/AlertView.h"

namespace zu {

namespace {

constexpr const char* kDefaultContext = "default";
constexpr const char* kOK = "好";

struct Table {
  std::vector<ErrorTip> rows;
  std::unordered_map<std::string, size_t> byKey;

  static std::string key(std::string_view context, int code) {
    return std::string(context) + " , " + std::to_string(code);
  }
  void add(int code, const char* title, std::string tip, const char* ok = kOK) {
    byKey.emplace(key(kDefaultContext, code), rows.size());
    rows.push_back({kDefaultContext, code, title, std::move(tip), ok});
  }
  // Rows whose message carries the code: `prefix` + the digits + `suffix`.
  void addNumbered(int code, const char* title, const char* prefix, const char* suffix) {
    add(code, title, prefix + std::to_string(-code) + suffix);
  }
  void addRange(int from, int to, const char* title, const char* prefix, const char* suffix) {
    for (int code = from; code >= to; --code) addNumbered(code, title, prefix, suffix);
  }
};

Table buildTable() {
  Table t;
  const char* failed = "操作失败";
  const char* warning = "警告";
  const char* loginFailed = "登录失败";
  // The full-width minus "－" (U+FF0D) in the engine's own codes.
  for (int code : {-1, -2, -3, -4, -5, -8}) {
    t.addNumbered(code, failed, "系统发生错误，错误码：－", "。");
  }
  t.add(-6, failed, "任务被取消，请稍后重试。");
  t.add(-7, failed, "参数无效.");
  t.add(-9, warning, "系统内存不足。");
  t.add(-10, warning, "系统缓存不足。");
  t.addNumbered(-11, warning, "发生严重错误，错误码：－", "。");
  const char* mismatch = "您输入的密码与帐号不匹配，请重新输入。";
  const char* locked = "您的帐号由于多次登录错误，帐号已被锁定，请1小时后在试。";
  const char* banned = "您的帐号已被封禁。您可以向相关的客服人员了解具体情况。";
  const char* authFailed = "帐号认证失败。";
  t.add(-1000, loginFailed, mismatch);
  t.add(-1001, loginFailed, mismatch);
  t.add(-1002, loginFailed, locked);
  t.add(-1003, loginFailed, banned);
  t.add(-1004, loginFailed, authFailed);
  t.add(-13, "没有网络连接", "zu阅读无法完成您的要求，因为他没有连接到互联网。");
  t.add(-2000, failed, "文件不存在。");
  t.add(-2001, failed, "文件已存在。");
  t.add(-2002, failed, "打开文件失败。");
  t.add(-2003, failed, "文件创建失败。");
  t.add(-2004, failed, "文件写入失败。");
  t.add(-2005, failed, "文件删除失败。");
  t.add(-3000, failed, "Http链接断开。");
  t.add(-3001, failed, "请求链接无效。");
  t.add(-3002, failed, "网络连接超时。");
  t.add(-3003, failed, "网络连接失败。");
  t.add(-3004, failed, "http失败。");
  const char* codePrefix = "错误码：－";
  t.addRange(-3100, -3101, failed, codePrefix, "。");
  t.addRange(-3200, -3206, failed, codePrefix, "。");
  t.addRange(-3300, -3307, failed, codePrefix, "。");
  t.addRange(-3400, -3417, failed, codePrefix, "。");
  t.addRange(-3500, -3505, failed, codePrefix, "。");
  t.add(-5000, "错误", "数据解析失败。");
  t.add(-5002, "错误", "数据内容发生错误。");
  t.add(-100001, failed, mismatch);
  t.add(-100002, failed, mismatch);
  t.add(-100003, failed, "头像修改失败。");
  t.add(-100004, failed, "个人资料修改失败。");
  t.add(-100005, failed, "密码修改失败。");
  t.add(-100006, failed,
        "上传头像大小超过限制，系统只支持大小在500KB以内，尺寸1024x768以内的图片。");
  t.add(-100007, failed, "头像文件不存在，请选择头像。");
  t.add(-100008, failed, "头像图片格式错误，请上传正确的图片格式，系统只支持JPG，PNG，BMP格式。");
  t.add(-100009, "请求错误", "请求的URL错误。");
  t.add(-100010, failed, locked);
  t.add(-100011, failed, banned);
  t.add(-100012, failed, authFailed);
  t.add(-100101, failed, "该内容源已订阅。");
  t.add(-100102, failed, "该内容源已不存在。");
  // The service's own codes carry the ASCII minus.
  for (int code : {-100201, -100202, -100301, -100302, -100303}) {
    t.addNumbered(code, failed, "系统发生错误，错误码：-", "。");
  }
  t.add(-100304, failed, "字数超限。");
  t.add(-100501, "微博提醒", "您的微博帐号已经失效，请重新绑定。");
  t.add(-100502, "微博提醒", "您的微博授权已经过期，请重新绑定。");
  t.add(-100503, "微博提醒", "微博认证失败，请重新绑定。");
  t.add(-110001, failed, "无数据。");
  t.add(-190000, "更新提示", "发现新版本，请更新后继续使用。", "马上更新");
  return t;
}

const Table& table() {
  static const Table t = buildTable();
  return t;
}

}  // namespace

const ErrorTip* ErrorTips::find(int code, const Text& context) {
  const Table& t = table();
  if (context && *context != kDefaultContext) {
    auto it = t.byKey.find(Table::key(*context, code));
    if (it != t.byKey.end()) return &t.rows[it->second];
  }
  auto it = t.byKey.find(Table::key(kDefaultContext, code));
  return it == t.byKey.end() ? nullptr : &t.rows[it->second];
}

ErrorTips::Text ErrorTips::getDescForError(int code, const Text& context) {
  const ErrorTip* row = find(code, context);
  return row ? Text(row->error_desc) : std::nullopt;
}

std::string ErrorTips::getTipForError(int code, const Text& serverTip, const Text& context) {
  if (const ErrorTip* row = find(code, context)) return row->tip;
  // "null" is how a finish without a description reaches the screens.
  if (serverTip && !serverTip->empty() && *serverTip != "null") return *serverTip;
  return "错误号：" + std::to_string(code);
}

std::string ErrorTips::getOKForError(int code, const Text& context) {
  const ErrorTip* row = find(code, context);
  return row ? row->ok : std::string(kOK);
}

void ErrorTips::showErrorInfo(int code, const Text& serverTip, const Text& context,
                              std::weak_ptr<ui::AlertViewDelegate> delegate,
                              std::optional<int> alertViewTag) {
  if (code == kErrCancelled || isServerAuthorizeError(code)) return;
  auto alert = std::make_shared<ui::AlertView>(getDescForError(code, context),
                                               getTipForError(code, serverTip, context),
                                               std::move(delegate), getOKForError(code, context));
  if (alertViewTag) alert->setTag(*alertViewTag);
  alert->show();
}

size_t ErrorTips::rowCount() { return table().rows.size(); }

}  // namespace zu
