#include "engine/openplatform/OAuth.h"

#include <gtest/gtest.h>

#include "common/Base64.h"
#include "engine/openplatform/Base64EncodeData.h"
#include "engine/openplatform/OPUtils.h"
#include "testing/ScopedFakeClock.h"

namespace zu {
namespace {

// An authorised signer with the credentials of the published examples.
std::unique_ptr<OAuth> photosSigner() {
  Dictionary params{{"oauth_consumer_key", "dpf43f3p2l4k3l03"},
                    {"oauth_consumer_secret", "kd94hf93k423kf44"}};
  auto oauth = std::make_unique<OAuth>(&params);
  oauth->setToken("nnch734d00sl2jdk");
  oauth->setTokenSecret("pfkkdhi9sl3r4s00");
  oauth->setAuthorized(true);
  return oauth;
}

TEST(OAuthSignatureTest, PublishedVectors) {
  // The protected-resource request of RFC 5849 section 1.2: the URL's own query enters the
  // signature and the base string uses the URL without it.
  {
    auto signer = photosSigner();
    OAuth& oauth = *signer;
    OAuth::Parameters p{{"oauth_consumer_key", "dpf43f3p2l4k3l03"},
                        {"oauth_token", "nnch734d00sl2jdk"},
                        {"oauth_signature_method", "HMAC-SHA1"},
                        {"oauth_timestamp", "137131202"},
                        {"oauth_nonce", "chapoH"}};
    auto sig = oauth.accessSignatureWithMethod(
        "get", "http://photos.example.net/photos?file=vacation.jpg&size=original", p);
    EXPECT_EQ(sig, "MdpQcU8iPSUjWoN/UDMsK2sui9I=");
    EXPECT_EQ(OPUtils::findField(p, "file") ? *OPUtils::findField(p, "file") : "", "vacation.jpg");
  }
  // The classic photos example of OAuth Core 1.0, with its base string.
  {
    auto signer = photosSigner();
    OAuth& oauth = *signer;
    OAuth::Parameters p{{"oauth_consumer_key", "dpf43f3p2l4k3l03"},
                        {"oauth_token", "nnch734d00sl2jdk"},
                        {"oauth_signature_method", "HMAC-SHA1"},
                        {"oauth_timestamp", "1191242096"},
                        {"oauth_nonce", "kllo9940pd9333jh"},
                        {"oauth_version", "1.0"}};
    OAuth::Parameters copy = p;
    std::string url = "http://photos.example.net/photos?file=vacation.jpg&size=original";
    EXPECT_EQ(oauth.generateBaseStringWithMethod("GET", url, copy),
              "GET&http%3A%2F%2Fphotos.example.net%2Fphotos&file%3Dvacation.jpg%26oauth_consumer_"
              "key%3Ddpf43f3p2l4k3l03%26oauth_nonce%3Dkllo9940pd9333jh%26oauth_signature_method%"
              "3DHMAC-SHA1%26oauth_timestamp%3D1191242096%26oauth_token%3Dnnch734d00sl2jdk%26oaut"
              "h_version%3D1.0%26size%3Doriginal");
    EXPECT_EQ(oauth.accessSignatureWithMethod("GET", url, p), "tR3+Ty81lMeYAr/Fid0kMTYa/WM=");
    EXPECT_EQ(oauth.authString(), "tR3+Ty81lMeYAr/Fid0kMTYa/WM=");
  }
  // The temporary-credentials request of RFC 5849: no token secret, so the key ends in "&";
  // the callback goes in already encoded.
  {
    Dictionary params{{"oauth_consumer_secret", "kd94hf93k423kf44"}};
    OAuth oauth(&params);
    OAuth::Parameters p{{"oauth_consumer_key", "dpf43f3p2l4k3l03"},
                        {"oauth_signature_method", "HMAC-SHA1"},
                        {"oauth_timestamp", "137131200"},
                        {"oauth_nonce", "wIjqoS"},
                        {"oauth_callback", "http%3A%2F%2Fprinter.example.com%2Fready"}};
    EXPECT_EQ(oauth.accessSignatureWithMethod("POST", "https://photos.example.net/initiate", p),
              "74KNZJeDHnMBp0EMJ9ZHt/XKycU=");
  }
}

TEST(OAuthSignatureTest, ParameterStringsAndUrlQueries) {
  // Keys sort without regard to case; a key in capitals sits beside the same key in small
  // letters, in the order they came.
  OAuth::Parameters p{{"b", "2"}, {"A", "x"}, {"a", "1"}, {"C", "3"}};
  EXPECT_EQ(OAuth::generateParametersString(p), "A=x&a=1&b=2&C=3");
  EXPECT_EQ(OAuth::generateParametersString({}), std::nullopt);

  // Query pairs are taken as they stand, without decoding; pieces without '=' are skipped.
  OAuth::Parameters q;
  OAuth::parametersInUrl("http://h/p?format=json&x=a%20b&flag&y=1=2", q);
  EXPECT_EQ(q, (OAuth::Parameters{{"format", "json"}, {"x", "a%20b"}, {"y", "1=2"}}));
  OAuth::Parameters none;
  OAuth::parametersInUrl("http://h/p?", none);
  OAuth::parametersInUrl("http://h/p", none);
  EXPECT_TRUE(none.empty());

  // Nothing to sign: no signature.
  OAuth oauth;
  OAuth::Parameters empty;
  EXPECT_EQ(oauth.accessSignatureWithMethod("GET", "http://h/p", empty), std::nullopt);
}

TEST(OAuthSignatureTest, ApiCallsAreCompletedOnlyWhenAuthorised) {
  ScopedFakeClock clock(1300000000000);
  Dictionary params{{"oauth_consumer_key", "key"}, {"oauth_consumer_secret", "secret"}};
  OAuth oauth(&params);
  OAuth::Parameters p{{"status", "hi"}};
  EXPECT_FALSE(oauth.accessCompleteParametersWithMethod("POST", "http://h/u", p));
  EXPECT_EQ(p.size(), 1u);

  oauth.setToken("tok");
  oauth.setTokenSecret("ts");
  oauth.setAuthorized(true);
  oauth.setTimestampOffset(-100.7);
  ASSERT_TRUE(oauth.accessCompleteParametersWithMethod("POST", "http://h/u", p));
  EXPECT_EQ(*OPUtils::findField(p, "oauth_timestamp"), "1299999899");
  EXPECT_EQ(*OPUtils::findField(p, "oauth_token"), "tok");
  int nonce = std::stoi(*OPUtils::findField(p, "oauth_nonce"));
  EXPECT_GE(nonce, 123400);
  EXPECT_LE(nonce, 9999998);
  // The signature goes in encoded; authString keeps it plain.
  ASSERT_TRUE(oauth.authString());
  EXPECT_EQ(*OPUtils::findField(p, "oauth_signature"),
            OPUtils::stringUrlEncoded(*oauth.authString()));
}

TEST(OAuthSignatureTest, Base64WithLineBreaks) {
  uint8_t data[60];
  for (int i = 0; i < 60; ++i) data[i] = static_cast<uint8_t>(i * 7);
  char out[100];
  size_t length = 81;  // 80 characters and one break
  EXPECT_FALSE(Base64EncodeData(data, 60, out, &length));
  EXPECT_EQ(length, 81u);
  length = sizeof out;
  ASSERT_TRUE(Base64EncodeData(data, 60, out, &length));
  ASSERT_EQ(length, 82u);
  std::string text(out, length);
  EXPECT_EQ(text.substr(72, 2), "\r\n");
  EXPECT_EQ(text.substr(0, 72) + text.substr(74), Base64::encode(data, 60));
}

TEST(OPUtilsTest, FieldsMatchWholeNames) {
  // Either order of the token fields gives the same values.
  for (std::string answer : {"oauth_token=T&oauth_token_secret=S&x=1",
                             "oauth_token_secret=S&oauth_token=T"}) {
    EXPECT_EQ(OPUtils::getFieldValue(answer, "oauth_token"), "T") << answer;
    EXPECT_EQ(OPUtils::getFieldValue(answer, "oauth_token_secret"), "S") << answer;
  }
  EXPECT_EQ(OPUtils::getFieldValue("oauth_token_secret=S", "oauth_token"), std::nullopt);
  EXPECT_EQ(OPUtils::getFieldValue("xoauth_token=1", "oauth_token"), std::nullopt);
  EXPECT_EQ(OPUtils::getFieldValue("http://cb/?oauth_token=a&oauth_verifier=v", "oauth_verifier"),
            "v");
  EXPECT_EQ(OPUtils::getFieldValue("http://r/login_success.html#access_token=A%7CB&expires_in=1",
                                   "access_token"),
            "A%7CB");
  EXPECT_EQ(OPUtils::getFieldValue("a=", "a"), "");
}

TEST(OPUtilsTest, EncodingFormsAndSignatures) {
  EXPECT_EQ(OPUtils::stringUrlEncoded("a b!*'();:@&=+$,/?%#[]~-._中"),
            "a%20b%21%2A%27%28%29%3B%3A%40%26%3D%2B%24%2C%2F%3F%25%23%5B%5D~-._%E4%B8%AD");
  std::string form = OPUtils::genFormData({{"b", "2"}, {"A", "1"}}, "BND");
  EXPECT_EQ(form,
            "--BND\r\nContent-Disposition: form-data; name=\"A\"\r\n"
            "Content-Type: text/plain;charset=UTF-8\r\n\r\n1\r\n"
            "--BND\r\nContent-Disposition: form-data; name=\"b\"\r\n"
            "Content-Type: text/plain;charset=UTF-8\r\n\r\n2\r\n");
  std::string boundary = OPUtils::GenBoundary();
  EXPECT_EQ(boundary.size(), std::string("_Part_Boundary_000_000000.000000").size());
  EXPECT_EQ(boundary.rfind("_Part_Boundary_", 0), 0u);
}

}  // namespace
}  // namespace zu
