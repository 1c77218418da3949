#include "engine/openplatform/OpenPlatformConfig.h"

#include <string>
#include <utility>

namespace zu {

namespace {

OpenPlatformConfig& mutableCurrent() {
  static OpenPlatformConfig config = OpenPlatformConfig::defaults();
  return config;
}

}  // namespace

OpenPlatformConfig OpenPlatformConfig::defaults() {
  OpenPlatformConfig c;
  c.zelvaneBase = "http://api.t.zelvane.com";
  c.sinaBase = "http://api.t.sina.com.cn";
  c.qqSecureBase = "https://open.t.qq.com";
  c.qqBase = "http://open.t.qq.com";
  c.sohuBase = "http://api.t.sohu.com";
  c.doubanAuthBase = "http://www.douban.com";
  c.doubanApiBase = "http://api.douban.com";
  c.renrenAuthBase = "https://graph.renren.com";
  c.renrenApiBase = "http://api.renren.com";
  c.renrenFeedBase = "https://api.m.renren.com";
  c.kaixinBase = "https://api.kaixin001.com";

  c.callbackUrl = "http://zu.zelvane.com/oauth/callback";
  c.shareToolsCallbackUrl = "http://zu.zelvane.com/shareTools/";

  c.zelvaneWeb = "http://t.zelvane.com";
  c.sinaWeb = "http://weibo.com";
  c.qqWeb = "http://t.qq.com";
  c.sohuWeb = "http://t.sohu.com";
  c.doubanNamespace = "http://www.douban.com/xmlns/";

  // Each deployment registers its own keys; these have the platforms' forms.
  c.phoneCredentials = {{
      {"9jYg7SjjPvttfbfM", "LZuPjII4OoaQmzBinnpy3MPNZEPFqzi0"},
      {"594401919", "5307b30cc252f50afac42187a2492c94"},
      {"4c3f1e5a41541c4568ab08bd4ce11a51", "3798fcfc5c1f702640db7ba53a1b88aa"},
      {"6lZqjztPpTlOmn0AYuft", "(y*-g7nwDkQuyAegOBjl!uD6g5Twsrx5lT0BVGxW"},
      {"8a29c1124a32e3d2cdae9f333b92bb54", "91daf3f7c1e20067"},
      {"3a7ae0ed8b87d681fdadb3d1c237115c", "a8252d074a337600f176f16c1be51d92"},
      {"ae0c06478bcabfd3f53a1e29d92f94c3", "d9ccf8de58406789b1f9c86a62b4e66a"},
  }};
  c.tabletCredentials = {{
      {"r7RM0RZ5emPT0x1N", "nnjPcFj0yizh0KMvzcHWN4SaVyT7DZ3j"},
      {"9445789589", "afc65979b6227a97255c297f7cd525c9"},
      {"49b4c8f6a82c822b3d6e01be3a785801", "7545c62f3d5c10acc50bd9d406394bd5"},
      {"6lZqjztPpTlOmn0AYuft", "(y*-g7nwDkQuyAegOBjl!uD6g5Twsrx5lT0BVGxW"},
      {"670fdbc9d878734db1ab666dd3643314", "fd467ceb1b75cee9"},
      {"a5af54a4724eae7fe68e67ac9bf18dec", "0fc201e43fd7be567202f9675ebfc99a"},
      {"ae0c06478bcabfd3f53a1e29d92f94c3", "d9ccf8de58406789b1f9c86a62b4e66a"},
  }};
  return c;
}

OpenPlatformConfig OpenPlatformConfig::servedBy(const std::string& base) {
  OpenPlatformConfig c = defaults();
  auto platform = [&](int n) { return base + "/open/" + std::to_string(n); };
  c.zelvaneBase = base;
  c.sinaBase = platform(1);
  c.qqSecureBase = c.qqBase = platform(2);
  c.sohuBase = platform(3);
  c.doubanAuthBase = c.doubanApiBase = platform(4);
  c.renrenAuthBase = c.renrenApiBase = c.renrenFeedBase = platform(5);
  c.kaixinBase = platform(6);
  return c;
}

const OpenPlatformConfig& OpenPlatformConfig::current() { return mutableCurrent(); }

void OpenPlatformConfig::setCurrent(OpenPlatformConfig config) {
  mutableCurrent() = std::move(config);
}

}  // namespace zu
