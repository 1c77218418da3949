#include "shell/app/ErrorTips.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>

#include "engine/core/ErrorCodes.h"
#include "shell/app/ShellTestSupport.h"

namespace zu {
namespace {

using testing::ShellFixture;

class ErrorTipsTest : public ShellFixture {};

// The generated rows: 96 in all, numbered messages with the right minus sign, the texts kept as
// the service's users know them.
TEST_F(ErrorTipsTest, TableHoldsEveryRowWithItsGeneratedTexts) {
  EXPECT_EQ(96u, ErrorTips::rowCount());
  std::set<int> codes;
  auto count = [&](int from, int to) {
    for (int code = from; code >= to; --code) {
      if (ErrorTips::find(code, std::nullopt)) codes.insert(code);
    }
  };
  count(-1, -13);
  count(-1000, -1004);
  count(-2000, -2005);
  count(-3000, -3600);
  count(-5000, -5002);
  count(-100001, -100600);
  count(-110001, -110001);
  count(-190000, -190000);
  EXPECT_EQ(96u, codes.size());
  EXPECT_FALSE(codes.count(-12));
  EXPECT_FALSE(codes.count(-3102));
  EXPECT_FALSE(codes.count(-3418));
  EXPECT_FALSE(codes.count(-5001));

  const std::optional<std::string> none;
  EXPECT_EQ("系统发生错误，错误码：－8。", ErrorTips::getTipForError(-8, none, none));
  EXPECT_EQ("发生严重错误，错误码：－11。", ErrorTips::getTipForError(-11, none, none));
  EXPECT_EQ("错误码：－3100。", ErrorTips::getTipForError(-3100, none, none));
  EXPECT_EQ("错误码：－3505。", ErrorTips::getTipForError(-3505, none, none));
  EXPECT_EQ("系统发生错误，错误码：-100303。", ErrorTips::getTipForError(-100303, none, none));
  EXPECT_EQ("参数无效.", ErrorTips::getTipForError(-7, none, none));
  EXPECT_EQ("您的帐号由于多次登录错误，帐号已被锁定，请1小时后在试。",
            ErrorTips::getTipForError(-100010, none, none));
  EXPECT_EQ("警告", ErrorTips::getDescForError(-10, none));
  EXPECT_EQ("没有网络连接", ErrorTips::getDescForError(-13, none));
  EXPECT_EQ("请求错误", ErrorTips::getDescForError(-100009, none));
  // Only the upgrade row has its own button.
  for (int code : codes) {
    EXPECT_EQ(code == -190000 ? "马上更新" : "好", ErrorTips::getOKForError(code, none)) << code;
  }
  // Built once, readable from any thread.
  std::string fromWorker;
  std::thread([&] { fromWorker = ErrorTips::getTipForError(-3002, none, none); }).join();
  EXPECT_EQ("网络连接超时。", fromWorker);
}

// A row's text wins over the service's; without a row the service's text shows, and "null" or
// an empty text is no text; any context reads the "default" rows.
TEST_F(ErrorTipsTest, MessagesPreferTheRowThenTheServiceThenTheCode) {
  EXPECT_EQ("网络连接超时。", ErrorTips::getTipForError(-3002, "x", "default"));
  EXPECT_EQ("x", ErrorTips::getTipForError(-999, "x", "default"));
  EXPECT_FALSE(ErrorTips::getDescForError(-999, "default"));
  EXPECT_EQ("好", ErrorTips::getOKForError(-999, "default"));
  for (const std::optional<std::string>& tip :
       {std::optional<std::string>(), std::optional<std::string>("null"),
        std::optional<std::string>("")}) {
    EXPECT_EQ("错误号：-999", ErrorTips::getTipForError(-999, tip, "default"));
  }
  EXPECT_EQ("操作失败", ErrorTips::getDescForError(-3417, "reading"));
  EXPECT_EQ("更新提示", ErrorTips::getDescForError(-190000, std::nullopt));
  EXPECT_EQ("发现新版本，请更新后继续使用。",
            ErrorTips::getTipForError(-190000, std::nullopt, "settings"));
}

TEST_F(ErrorTipsTest, ShowsOneAlertExceptForCancelledAndAuthorisationCodes) {
  ErrorTips::showErrorInfo(kErrCancelled, "x", "default");
  ErrorTips::showErrorInfo(-100012, "x", "default");
  ErrorTips::showErrorInfo(-100001, std::nullopt, std::nullopt);
  EXPECT_EQ(0u, alertCount());

  ErrorTips::showErrorInfo(-3417, "x", "default", {}, 7);
  auto alert = topAlert();
  ASSERT_TRUE(alert);
  EXPECT_EQ("操作失败", alert->title());
  EXPECT_EQ("错误码：－3417。", alert->message());
  EXPECT_EQ(std::vector<std::string>{"好"}, alert->buttonTitles());
  EXPECT_EQ(0, alert->cancelButtonIndex());
  EXPECT_EQ(7, alert->tag());
  alert->clickButton(0);

  ErrorTips::showErrorInfo(-999, "null", std::nullopt);
  alert = topAlert();
  ASSERT_TRUE(alert);
  EXPECT_FALSE(alert->title());
  EXPECT_EQ("错误号：-999", alert->message());
}

}  // namespace
}  // namespace zu
