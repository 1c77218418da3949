#include "engine/core/ErrorCodes.h"

#include <gtest/gtest.h>

namespace zu {
namespace {

TEST(ErrorCodesTest, FixedTextsAndGeneralForm) {
  EXPECT_EQ(ErrorGetDescription(0), "成功");
  EXPECT_EQ(ErrorGetDescription(-6), "操作被取消");
  EXPECT_EQ(ErrorGetDescription(-7), "参数无效");
  EXPECT_EQ(ErrorGetDescription(-8), "状态错误");
  EXPECT_EQ(ErrorGetDescription(-13), "网络不可用");
  EXPECT_EQ(ErrorGetDescription(-2005), "文件删除失败");
  EXPECT_EQ(ErrorGetDescription(-3001), "URL无效");
  EXPECT_EQ(ErrorGetDescription(-5000), "数据解析失败");
  EXPECT_EQ(ErrorGetDescription(-5002), "数据内容出错");
  EXPECT_EQ(ErrorGetDescription(-190000), "程序需要更新");
  // Codes in the table without a text of their own, and codes outside every range.
  EXPECT_EQ(ErrorGetDescription(-12), "错误-12");
  EXPECT_EQ(ErrorGetDescription(-1002), "错误-1002");
  EXPECT_EQ(ErrorGetDescription(-5001), "错误-5001");
  EXPECT_EQ(ErrorGetDescription(-14), "错误-14");
  EXPECT_EQ(ErrorGetDescription(-3005), "错误-3005");
  EXPECT_EQ(ErrorGetDescription(-100001), "错误-100001");
  EXPECT_EQ(ErrorGetDescription(7), "错误7");
  EXPECT_EQ(ErrorGetDescription(INT32_MIN), "错误-2147483648");
}

TEST(ErrorCodesTest, HttpStatusTextsOnlyForListedStatuses) {
  EXPECT_EQ(ErrorGetDescription(-3404), "HTTP响应码: 404(Not Found)");
  EXPECT_EQ(ErrorGetDescription(-3414), "HTTP响应码: 414(Request URI Tool Long)");
  EXPECT_EQ(ErrorGetDescription(-3100), "HTTP响应码: 100(Continue)");
  EXPECT_EQ(ErrorGetDescription(-3206), "HTTP响应码: 206(Partial Content)");
  EXPECT_EQ(ErrorGetDescription(-3306), "HTTP响应码: 306(Unused)");
  EXPECT_EQ(ErrorGetDescription(-3505), "HTTP响应码: 505(Http Version Not Supported)");
  // Mapped statuses without a reason, and gaps between the ranges, take the general form.
  EXPECT_EQ(ErrorGetDescription(-3207), "错误-3207");
  EXPECT_EQ(ErrorGetDescription(-3102), "错误-3102");
  EXPECT_EQ(ErrorGetDescription(-3418), "错误-3418");
  EXPECT_EQ(ErrorGetDescription(-3506), "错误-3506");
  EXPECT_EQ(ErrorGetDescription(-3600), "错误-3600");
}

TEST(ErrorCodesTest, HttpStatusMapping) {
  EXPECT_EQ(GetHttpSCErrorCode(100), -3100);
  EXPECT_EQ(GetHttpSCErrorCode(101), -3101);
  EXPECT_EQ(GetHttpSCErrorCode(102), 102);
  EXPECT_EQ(GetHttpSCErrorCode(199), 199);
  EXPECT_EQ(GetHttpSCErrorCode(200), -3200);
  EXPECT_EQ(GetHttpSCErrorCode(207), -3207);
  EXPECT_EQ(GetHttpSCErrorCode(208), 208);
  EXPECT_EQ(GetHttpSCErrorCode(250), 250);
  EXPECT_EQ(GetHttpSCErrorCode(307), -3307);
  EXPECT_EQ(GetHttpSCErrorCode(308), 308);
  EXPECT_EQ(GetHttpSCErrorCode(404), -3404);
  EXPECT_EQ(GetHttpSCErrorCode(417), -3417);
  EXPECT_EQ(GetHttpSCErrorCode(418), 418);
  EXPECT_EQ(GetHttpSCErrorCode(499), 499);
  EXPECT_EQ(GetHttpSCErrorCode(500), -3500);
  EXPECT_EQ(GetHttpSCErrorCode(600), -3600);
  EXPECT_EQ(GetHttpSCErrorCode(0), 0);
  EXPECT_EQ(GetHttpSCErrorCode(-1), -1);
  EXPECT_EQ(GetHttpSCErrorCode(INT32_MAX), INT32_MIN);
}

TEST(ErrorCodesTest, ServerCodesAndAuthorisation) {
  EXPECT_EQ(GetServerErrorCode(1), -100001);
  EXPECT_EQ(GetServerErrorCode(91001), -191001);
  EXPECT_EQ(GetServerErrorCode(INT32_MAX), INT32_MIN);
  for (int reason : {1, 2, 10, 11, 12}) {
    EXPECT_TRUE(isServerAuthorizeError(GetServerErrorCode(reason))) << reason;
  }
  for (int code : {-100000, -100003, -100009, -100013, -100501, -1000, -1001, 0}) {
    EXPECT_FALSE(isServerAuthorizeError(code)) << code;
  }
}

}  // namespace
}  // namespace zu
