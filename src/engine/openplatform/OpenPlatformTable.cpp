#include "engine/openplatform/OpenPlatformTable.h"

namespace zu {

namespace {

// The six URLs of a platform that serves the usual microblog paths from one host.
PlatformItemInfo microblogRow(const std::string& base, const char* authorizePath,
                              const char* postPath) {
  PlatformItemInfo row;
  row.requestTokenUrl = base + "/oauth/request_token";
  row.authorizeUrl = base + authorizePath;
  row.accessTokenUrl = base + "/oauth/access_token";
  row.userInfoUrl = base + "/account/verify_credentials.json";
  row.postUrl = base + postPath;
  row.postPicUrl = base + "/statuses/upload.json";
  row.picShare = true;
  return row;
}

OpenPlatformTable::Table buildTable(const OpenPlatformConfig& c,
                                    const std::array<OpenPlatformConfig::Credentials, 7>& keys,
                                    bool renrenPicture) {
  OpenPlatformTable::Table table;
  table[0] = microblogRow(c.zelvaneBase, "/oauth/authenticate", "/statuses/update.json");
  table[1] = microblogRow(c.sinaBase, "/oauth/authorize", "/statuses/update.xml");

  PlatformItemInfo qq;
  qq.requestTokenUrl = c.qqSecureBase + "/cgi-bin/request_token";
  qq.authorizeUrl = c.qqSecureBase + "/cgi-bin/authorize";
  qq.accessTokenUrl = c.qqSecureBase + "/cgi-bin/access_token";
  qq.userInfoUrl = c.qqBase + "/api/user/info?format=json";
  qq.postUrl = c.qqBase + "/api/t/add";
  qq.postPicUrl = c.qqBase + "/api/t/add_pic";
  qq.picShare = true;
  table[2] = qq;

  table[3] = microblogRow(c.sohuBase, "/oauth/authorize", "/statuses/update.xml");

  PlatformItemInfo douban;
  douban.requestTokenUrl = c.doubanAuthBase + "/service/auth/request_token";
  douban.authorizeUrl = c.doubanAuthBase + "/service/auth/authorize";
  douban.accessTokenUrl = c.doubanAuthBase + "/service/auth/access_token";
  douban.userInfoUrl = c.doubanApiBase + "/people/";
  douban.postUrl = c.doubanApiBase + "/miniblog/saying?alt=json";
  douban.picShare = false;
  table[4] = douban;

  PlatformItemInfo renren;
  renren.authorizeUrl = c.renrenAuthBase + "/oauth/authorize";
  renren.accessTokenUrl = c.renrenAuthBase + "/oauth/token";
  renren.userInfoUrl = c.renrenApiBase + "/restserver.do";
  renren.postUrl = c.renrenApiBase + "/restserver.do";
  if (renrenPicture) renren.postPicUrl = c.renrenFeedBase + "/feed/send.xml";
  renren.picShare = false;
  table[5] = renren;

  PlatformItemInfo kaixin;
  kaixin.authorizeUrl = c.kaixinBase + "/oauth2/authorize";
  kaixin.userInfoUrl = c.kaixinBase + "/users/me.json";
  kaixin.postUrl = c.kaixinBase + "/records/add.xml";
  kaixin.postPicUrl = c.kaixinBase + "/records/add.xml";
  kaixin.picShare = false;
  table[6] = kaixin;

  for (int i = 0; i < 7; ++i) {
    table[i]->appKey = keys[i].key;
    table[i]->appSecret = keys[i].secret;
  }
  return table;
}

}  // namespace

OpenPlatformTable::Table OpenPlatformTable::phoneTable(const OpenPlatformConfig& config) {
  return buildTable(config, config.phoneCredentials, true);
}

OpenPlatformTable::Table OpenPlatformTable::tabletTable(const OpenPlatformConfig& config) {
  return buildTable(config, config.tabletCredentials, false);
}

}  // namespace zu
