// Request documents of VESKAtomBuilder against hand-written expected bytes.
#include "model/atom/VESKAtomBuilder.h"

#include <gtest/gtest.h>
#include <libxml/parser.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "common/Log.h"
#include "model/entry/Entry.h"
#include "model/columns/Icon.h"
#include "model/columns/Label.h"
#include "model/columns/MinMaxValue.h"
#include "model/columns/UserInfo.h"
#include "model/service/VeskApp.h"
#include "model/service/VeskAppRecommend.h"
#include "model/service/VeskCustomization.h"
#include "model/atom/VESKAtomBuilderException.h"
#include "model/atom/VESKAtomParser.h"
#include "platform/runtime/Paths.h"
#include "platform/xml/XmlHolders.h"
#include "testing/TempHome.h"

namespace zu {
namespace {

const std::string kDecl = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
const std::string kNs = "xmlns:vesk=\"http://www.vesk.com/vesk/1.0\"";
const std::string kAtomNs =
    "xmlns=\"http://www.w3.org/2005/Atom\" xmlns:vesk=\"http://www.vesk.com/vesk/1.0\"";
// 1300000000000 ms = 2011-03-13 07:06:40 UTC.
constexpr int64_t kTime = 1300000000000;
const std::string kTimeText = "2011-03-13T15:06:40+08:00";

std::string str(const std::optional<Bytes>& b) {
  if (!b) return "<nullopt>";
  return std::string(b->begin(), b->end());
}
std::string str(const Bytes& b) { return std::string(b.begin(), b.end()); }
std::string doc(const std::string& body) { return kDecl + body + "\n"; }

TEST(VESKAtomBuilderTest, SubscriptionDocuments) {
  EXPECT_EQ(str(VESKAtomBuilder::allocAddOrUpdateSubscriptionXML("Sport", "col/1", "dev-1")),
            doc("<feed " + kNs +
                "><entry><title>Sport</title><id>col/1</id><vesk:devinfo id=\"dev-1\"/></entry>"
                "</feed>"));
  // Without devinfo; an empty title is still written.
  EXPECT_EQ(str(VESKAtomBuilder::allocAddOrUpdateSubscriptionXML("", "c2", std::nullopt)),
            doc("<feed " + kNs + "><entry><title></title><id>c2</id></entry></feed>"));

  VeskCustomization custom;
  custom.setType("rss");
  custom.setId("http://a.example/feed?x=1&y=2");
  EXPECT_EQ(str(VESKAtomBuilder::allocAddOrUpdateSubscriptionXML("My feed", "c3", &custom, "d")),
            doc("<feed " + kNs +
                "><entry><title>My feed</title><vesk:customization type=\"rss\" "
                "id=\"http://a.example/feed?x=1&amp;y=2\"/><id>c3</id>"
                "<vesk:devinfo id=\"d\"/></entry></feed>"));
  EXPECT_EQ(str(VESKAtomBuilder::allocAddOrUpdateSubscriptionXML("T", "c4", nullptr,
                                                                 std::nullopt)),
            doc("<feed " + kNs + "><entry><title>T</title><id>c4</id></entry></feed>"));

  auto a = std::make_shared<Entry>();
  a->setTitle("A");
  a->setEntryId("1");
  auto b = std::make_shared<Entry>();  // no title, no id: both written empty
  VESKAtomBuilder::EntryList list{{a, b}};
  EXPECT_EQ(str(VESKAtomBuilder::allocAddOrUpdateSubscriptionXML(list)),
            doc("<feed " + kNs +
                "><entry><title>A</title><id>1</id></entry><entry><title/><id/></entry>"
                "</feed>"));

  EXPECT_EQ(str(VESKAtomBuilder::allocDeleteSubscriptionXML("c/9")),
            doc("<feed><entry><id>c/9</id></entry></feed>"));
  EXPECT_EQ(str(VESKAtomBuilder::allocDeleteSubscriptionBatchXML(
                std::vector<std::string>{"1", "2"})),
            doc("<feed><entry><id>1</id></entry><entry><id>2</id></entry></feed>"));
  EXPECT_EQ(str(VESKAtomBuilder::allocDeleteSubscriptionBatchXML(std::vector<std::string>{})),
            doc("<feed/>"));
  EXPECT_FALSE(VESKAtomBuilder::allocDeleteSubscriptionBatchXML(std::nullopt));
}

TEST(VESKAtomBuilderTest, CommentFamilyDocuments) {
  // The worked rating document.
  EXPECT_EQ(str(VESKAtomBuilder::allocPostRankingXML("T", "I", kTime, "A", "C", 4.5f, "D")),
            doc("<entry " + kAtomNs + "><title>T</title><id>I</id><updated>" + kTimeText +
                "</updated><author><name>A</name></author><content>C</content>"
                "<vesk:ranking value=\"4.5\"/><vesk:devinfo id=\"D\"/></entry>"));
  auto ranking = [](float rating) {
    return str(VESKAtomBuilder::allocPostRankingXML(std::nullopt, "I", 0, std::nullopt,
                                                    std::nullopt, rating, std::nullopt));
  };
  EXPECT_EQ(ranking(10), doc("<entry " + kAtomNs + "><id>I</id><vesk:ranking value=\"10.0\"/>"
                             "</entry>"));
  EXPECT_EQ(ranking(0), doc("<entry " + kAtomNs + "><id>I</id><vesk:ranking value=\"0.0\"/>"
                            "</entry>"));
  EXPECT_EQ(ranking(3.25f), doc("<entry " + kAtomNs +
                                "><id>I</id><vesk:ranking value=\"3.2\"/></entry>"));
  EXPECT_EQ(ranking(-0.5f), doc("<entry " + kAtomNs + "><id>I</id></entry>"));
  EXPECT_EQ(ranking(std::nanf("")), doc("<entry " + kAtomNs + "><id>I</id></entry>"));

  // An updated time of 0 or below writes no "updated".
  EXPECT_EQ(str(VESKAtomBuilder::allocPostCommentXML("Re: x", "e1", -5, "Bob", "Nice",
                                                     "dev")),
            doc("<entry " + kAtomNs +
                "><title>Re: x</title><id>e1</id><author><name>Bob</name></author>"
                "<content>Nice</content><vesk:devinfo id=\"dev\"/></entry>"));
  EXPECT_EQ(str(VESKAtomBuilder::allocModifyCommentXML("t", "e1", kTime, std::nullopt, "c",
                                                       "http://s/edit/1", "dev")),
            doc("<entry " + kAtomNs + "><title>t</title><id>e1</id><updated>" + kTimeText +
                "</updated><content>c</content><vesk:devinfo id=\"dev\"/>"
                "<link rel=\"edit\" href=\"http://s/edit/1\"/></entry>"));
  // The edit link is written even without an address.
  EXPECT_EQ(str(VESKAtomBuilder::allocModifyCommentXML(std::nullopt, "e1", 0, std::nullopt,
                                                       std::nullopt, std::nullopt,
                                                       std::nullopt)),
            doc("<entry " + kAtomNs + "><id>e1</id><link rel=\"edit\"/></entry>"));
  EXPECT_EQ(str(VESKAtomBuilder::allocPostBumpXML("t", "e2", 0, "n", "c", true, "d")),
            doc("<entry " + kAtomNs +
                "><title>t</title><id>e2</id><author><name>n</name></author>"
                "<content>c</content><vesk:bump action=\"up\"/><vesk:devinfo id=\"d\"/>"
                "</entry>"));
  EXPECT_EQ(str(VESKAtomBuilder::allocPostBumpXML(std::nullopt, "e2", 0, std::nullopt,
                                                  std::nullopt, false, std::nullopt)),
            doc("<entry " + kAtomNs + "><id>e2</id><vesk:bump action=\"down\"/></entry>"));
  EXPECT_EQ(str(VESKAtomBuilder::allocPostSharingXML("t", "e3", kTime, "n", "c", "weibo")),
            doc("<entry " + kAtomNs + "><title>t</title><id>e3</id><updated>" + kTimeText +
                "</updated><author><name>n</name></author><content>c</content>"
                "<vesk:sharing action=\"weibo\"/></entry>"));
  EXPECT_EQ(str(VESKAtomBuilder::allocPostSharingXML(std::nullopt, "e3", 0, std::nullopt,
                                                     std::nullopt, std::nullopt)),
            doc("<entry " + kAtomNs + "><id>e3</id></entry>"));
  EXPECT_EQ(str(VESKAtomBuilder::allocReportIllegalToXML("bad", "e4", kTime, "spam", "dv")),
            doc("<feed " + kAtomNs + "><entry><title>bad</title><id>e4</id><updated>" +
                kTimeText + "</updated><content>spam</content></entry>"
                "<vesk:devinfo id=\"dv\"/></feed>"));
}

TEST(VESKAtomBuilderTest, UserDocuments) {
  UserInfo info;
  auto icon = std::make_shared<Icon>();
  icon->setType("image/png");
  icon->setRel("ignored");
  icon->setHref("http://s/i.png");
  info.setIcon(icon);
  auto name = std::make_shared<MinMaxValue>();
  name->setValue("Ann");
  name->setMinLength(1);
  name->setMaxLength(0);
  info.setName(name);
  auto email = std::make_shared<MinMaxValue>();
  email->setValue("a@b.c");
  email->setMaxLength(64);
  info.setEmail(email);
  info.setGender(1);
  auto intro = std::make_shared<MinMaxValue>();
  intro->setValue("Hi");
  info.setIntroduction(intro);
  auto labels = std::make_shared<Label>();
  labels->setMaxLength(8);
  labels->setMaxCount(3);
  labels->appendLabelItems("x");
  labels->appendLabelItems("y");
  info.setLabels(labels);
  info.setUpdated(kTime);

  const std::string body =
      "<icon type=\"image/png\" href=\"http://s/i.png\"/>";
  EXPECT_EQ(str(VESKAtomBuilder::allocUpdateUserInfoXML(&info)),
            doc("<userinfo type=\"update\">" + body +
                "<name>Ann</name><email>a@b.c</email><gender>female</gender>"
                "<introduction>Hi</introduction><labels><label>x</label><label>y</label>"
                "</labels><updated>" + kTimeText + "</updated></userinfo>"));
  // The local copy carries the limits (a limit of 1 is written, 0 is not) and no default type.
  EXPECT_EQ(str(VESKAtomBuilder::allocUserinfoToXML(&info)),
            doc("<userinfo>" + body +
                "<name min-length=\"1\">Ann</name><email max-length=\"64\">a@b.c</email>"
                "<gender>female</gender><introduction>Hi</introduction>"
                "<labels max-length=\"8\" max-count=\"3\"><label>x</label><label>y</label>"
                "</labels><updated>" + kTimeText + "</updated></userinfo>"));

  UserInfo sparse;
  sparse.setGender(2);
  EXPECT_EQ(str(VESKAtomBuilder::allocUpdateUserInfoXML(&sparse)),
            doc("<userinfo type=\"update\"/>"));
  EXPECT_EQ(str(VESKAtomBuilder::allocUserinfoToXML(&sparse)), doc("<userinfo/>"));
  // A name, email or introduction without a value is left out of the update (an empty element
  // would clear it on the service); the local copy keeps one that carries limits.
  UserInfo partial;
  partial.setGender(2);
  auto limitsOnly = std::make_shared<MinMaxValue>();
  limitsOnly->setMaxLength(20);
  partial.setName(limitsOnly);
  partial.setEmail(std::make_shared<MinMaxValue>());
  partial.setIntroduction(std::make_shared<MinMaxValue>());
  EXPECT_EQ(str(VESKAtomBuilder::allocUpdateUserInfoXML(&partial)),
            doc("<userinfo type=\"update\"/>"));
  EXPECT_EQ(str(VESKAtomBuilder::allocUserinfoToXML(&partial)),
            doc("<userinfo><name max-length=\"20\"/></userinfo>"));
  auto emptyIntro = std::make_shared<MinMaxValue>();
  emptyIntro->setValue(std::string());
  partial.setIntroduction(emptyIntro);  // cleared on purpose: sent empty
  EXPECT_EQ(str(VESKAtomBuilder::allocUpdateUserInfoXML(&partial)),
            doc("<userinfo type=\"update\"><introduction></introduction></userinfo>"));

  sparse.setGender(0);
  sparse.setType("full");
  EXPECT_EQ(str(VESKAtomBuilder::allocUserinfoToXML(&sparse)),
            doc("<userinfo type=\"full\"><gender>male</gender></userinfo>"));

  EXPECT_EQ(str(VESKAtomBuilder::allocModifyPasswordXML("old&1", "new<2")),
            doc("<userinfo type=\"modifypassword\"><old>old&amp;1</old><new>new&lt;2</new>"
                "</userinfo>"));
}

TEST(VESKAtomBuilderTest, MicroblogDocuments) {
  const std::string req =
      "<vesk:mblogreq><auth><token>tk</token><token_secret>sec</token_secret></auth>"
      "</vesk:mblogreq>";
  EXPECT_EQ(str(VESKAtomBuilder::allocPostMblogReqXML("tk", "sec")),
            doc("<feed " + kNs + ">" + req + "</feed>"));
  EXPECT_EQ(str(VESKAtomBuilder::allocPostMblogReqXML(std::nullopt, std::nullopt)),
            doc("<feed " + kNs + "><vesk:mblogreq><auth/></vesk:mblogreq></feed>"));
  EXPECT_EQ(str(VESKAtomBuilder::allocPostMblogReqWithIdXML("tk", "sec", "m1")),
            doc("<feed " + kNs + ">" + req + "<entry><id>m1</id></entry></feed>"));
  EXPECT_EQ(str(VESKAtomBuilder::allocAddIndividualMBlogXML("tk", "sec", "m2", "zelvanemblog")),
            doc("<feed " + kNs + ">" + req +
                "<entry><id>m2</id><vesk:customization><type>zelvanemblog</type>"
                "</vesk:customization></entry></feed>"));
  EXPECT_EQ(str(VESKAtomBuilder::allocAddCustomMBlogXML("tk", "sec", "Me", "m3", "qqmblog",
                                                        "u9")),
            doc("<feed " + kNs + ">" + req +
                "<entry><id>m3</id><title>Me</title>"
                "<vesk:customization type=\"qqmblog\" id=\"u9\"/></entry></feed>"));
  EXPECT_EQ(str(VESKAtomBuilder::allocAddCustomMBlogXML("tk", "sec", std::nullopt,
                                                        std::nullopt, std::nullopt,
                                                        std::nullopt)),
            doc("<feed " + kNs + ">" + req + "<entry/></feed>"));
  EXPECT_EQ(str(VESKAtomBuilder::allocMBlogGetCommentXML("tk", "sec")),
            doc("<entry " + kNs + ">" + req + "</entry>"));
  // The microblog comment always has "updated", even for time 0.
  EXPECT_EQ(str(VESKAtomBuilder::allocMBlogPostCommentXML("tk", "sec", "m4", "c7", 0, "Z",
                                                          "hello")),
            doc("<entry " + kNs + ">" + req +
                "<id>m4</id><cid>c7</cid><updated>1970-01-01T08:00:00+08:00</updated>"
                "<author><name>Z</name></author><content>hello</content></entry>"));
  EXPECT_EQ(str(VESKAtomBuilder::allocMBlogDomainRetweetXML("tk", "sec", "m5", "rt", 1)),
            doc("<feed " + kNs + ">" + req +
                "<entry><id>m5</id><content type=\"text\">rt</content>"
                "<is_comment>1</is_comment></entry></feed>"));
}

TEST(VESKAtomBuilderTest, OtherDocuments) {
  EXPECT_EQ(str(VESKAtomBuilder::allocQueryCommentXML(20)),
            doc("<comment><limits>20</limits></comment>"));

  EXPECT_EQ(str(VESKAtomBuilder::allocOfflineReportToXML(
                "ann", "uid", "Phone", "4.3", "2.1", 2,
                std::vector<std::string>{"c1", "c2"}, 3, 0)),
            doc("<reports><account>ann</account><id>uid</id><os>Phone</os>"
                "<os_version>4.3</os_version><ver>2.1</ver><product>VESK</product>"
                "<offline_report><net>2</net><sources><source>c1</source><source>c2</source>"
                "</sources><hide><times>3</times></hide><result>0</result></offline_report>"
                "</reports>"));
  // No sources element for an empty list; hide and result are still written.
  EXPECT_EQ(str(VESKAtomBuilder::allocOfflineReportToXML(
                std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt, -1,
                std::vector<std::string>{}, 0, 1)),
            doc("<reports><product>VESK</product><offline_report><net>-1</net>"
                "<hide><times>0</times></hide><result>1</result></offline_report></reports>"));

  VeskAppRecommend recommend;
  recommend.setUpdated(kTime);
  auto app = std::make_shared<VeskApp>();
  app->setTitle("Reader");
  app->setHref("http://s/app");
  app->setImg("http://s/app.png");
  app->setData("Read & learn");
  recommend.appendVeskApps(app);
  recommend.appendVeskApps(std::make_shared<VeskApp>());
  EXPECT_EQ(VESKAtomBuilder::allocVeskAppRecommendToXML(&recommend),
            "<vesk:app_recommend updated=\"" + kTimeText + "\">\n"
            "  <app title=\"Reader\" href=\"http://s/app\" img=\"http://s/app.png\">"
            "Read &amp; learn</app>\n"
            "  <app/>\n"
            "</vesk:app_recommend>");
  EXPECT_EQ(VESKAtomBuilder::allocVeskAppRecommendToXML(nullptr), "<vesk:app_recommend/>");
  // The recommended applications are read back from the kept text.
  auto back = VESKAtomParser::allocParseVeskAppRecommend(
      VESKAtomBuilder::allocVeskAppRecommendToXML(&recommend));
  ASSERT_TRUE(back);
  ASSERT_TRUE(back->veskApps());
  ASSERT_EQ(back->veskApps()->size(), 2u);
  EXPECT_EQ(back->veskApps()->at(0)->data(), "Read & learn");
  EXPECT_EQ(back->updated(), kTime);

  EXPECT_EQ(str(VESKAtomBuilder::allocSaveSubSequenceToXML(
                std::vector<std::string>{"a", "b&c"})),
            "<sub_sources>\n  <id>a</id>\n  <id>b&amp;c</id>\n</sub_sources>");
  EXPECT_EQ(str(VESKAtomBuilder::allocSaveSubSequenceToXML(std::vector<std::string>{})),
            "<sub_sources/>");

  EXPECT_EQ(str(VESKAtomBuilder::allocStaticsReportErrorsXML("500", "http://s/x?a=1&b=2",
                                                             "<html>oops</html>")),
            doc("<errors><http code=\"500\" href=\"http://s/x?a=1&amp;b=2\">"
                "&lt;html&gt;oops&lt;/html&gt;</http></errors>"));
  EXPECT_EQ(str(VESKAtomBuilder::allocStaticsReportErrorsXML(std::nullopt, std::nullopt,
                                                             std::nullopt)),
            doc("<errors><http/></errors>"));
}

TEST(VESKAtomBuilderTest, MissingRequiredArgumentsLogAndBuildNothing) {
  TempHome home;
  VESKLogInit();
  const VESKAtomBuilder::Text none;
  EXPECT_FALSE(VESKAtomBuilder::allocAddOrUpdateSubscriptionXML(none, "id", "d"));
  EXPECT_FALSE(VESKAtomBuilder::allocAddOrUpdateSubscriptionXML("t", none, nullptr, "d"));
  EXPECT_FALSE(VESKAtomBuilder::allocAddOrUpdateSubscriptionXML(VESKAtomBuilder::EntryList{}));
  EXPECT_FALSE(VESKAtomBuilder::allocDeleteSubscriptionXML(none));
  EXPECT_FALSE(VESKAtomBuilder::allocDeleteSubscriptionBatchXML(VESKAtomBuilder::TextList{}));
  EXPECT_FALSE(VESKAtomBuilder::allocPostCommentXML("t", none, 1, "a", "c", "d"));
  EXPECT_FALSE(VESKAtomBuilder::allocModifyCommentXML("t", none, 1, "a", "c", "h", "d"));
  EXPECT_FALSE(VESKAtomBuilder::allocPostRankingXML("t", none, 1, "a", "c", 1, "d"));
  EXPECT_FALSE(VESKAtomBuilder::allocPostBumpXML("t", none, 1, "a", "c", true, "d"));
  EXPECT_FALSE(VESKAtomBuilder::allocPostSharingXML("t", none, 1, "a", "c", "x"));
  EXPECT_FALSE(VESKAtomBuilder::allocReportIllegalToXML("t", none, 1, "c", "d"));
  EXPECT_FALSE(VESKAtomBuilder::allocEntryToXML(nullptr));
  EXPECT_FALSE(VESKAtomBuilder::allocEntryToXMLNode(nullptr));
  EXPECT_FALSE(VESKAtomBuilder::allocUpdateUserInfoXML(nullptr));
  EXPECT_FALSE(VESKAtomBuilder::allocUserinfoToXML(nullptr));
  EXPECT_FALSE(VESKAtomBuilder::allocModifyPasswordXML("old", none));
  EXPECT_FALSE(VESKAtomBuilder::allocSaveSubSequenceToXML(VESKAtomBuilder::TextList{}));
  VESKLogUninit();

  std::ifstream in(Paths::caches() / "log.txt", std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  std::vector<std::string> messages;
  std::string line;
  while (std::getline(ss, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    auto pos = line.find("]: ");
    if (pos != std::string::npos) messages.push_back(line.substr(pos + 3));
  }
  const std::vector<std::string> expected = {
      "VESKAtomBuilder: allocAddOrUpdateSubscriptionXML entryId not specified",
      "VESKAtomBuilder: allocAddOrUpdateSubscriptionXML entryId not specified",
      "VESKAtomBuilder: allocAddOrUpdateSubscriptionXML entry not specified",
      "VESKAtomBuilder: allocDeleteSubscriptionXML entryId not specified",
      "VESKAtomBuilder: allocDeleteSubscriptionBatchXML entryIdArray not specified",
      "VESKAtomBuilder: allocPostCommentXML nodeEntry not specified",
      "VESKAtomBuilder: allocModifyCommentXML nodeEntry not specified",
      "VESKAtomBuilder: allocPostRankingXML entryId not specified",
      "VESKAtomBuilder: allocPostBumpXML entryId not specified",
      "VESKAtomBuilder: allocPostSharingXML entryId not specified",
      "VESKAtomBuilder: allocReportIllegalToXML entryId not specified",
      "VESKAtomBuilder: allocEntryToXML nodeEntry not specified",
      "VESKAtomBuilder: allocEntryToXML nodeEntry not specified",
      "VESKAtomBuilder: allocUpdateUserInfoXML nodeUserInfo not specified",
      "VESKAtomBuilder: allocUserinfoToXML nodeUserInfo not specified",
      "VESKAtomBuilder: allocModifyPasswordXML oldPassword or newPassword not specified",
      "VESKAtomBuilder: allocSaveSubSequenceToXML entryIdArray not specified",
  };
  // The first line of a fresh log is the log's own start marker.
  ASSERT_EQ(messages.size(), expected.size() + 1);
  EXPECT_EQ(std::vector<std::string>(messages.begin() + 1, messages.end()), expected);
}

TEST(VESKAtomBuilderTest, FailWithErrorCodeRaisesTheBuilderException) {
  try {
    VESKAtomBuilder::failWithErrorCode(7, "tree could not be built");
    FAIL() << "no exception";
  } catch (const VESKAtomBuilderException& e) {
    EXPECT_STREQ(e.what(), "tree could not be built");
    EXPECT_STREQ(e.name(), "VESKAtomBuilderException");
  }
}

// Values that are not free text (ids, addresses, passwords, tokens) are escaped like free text,
// so a document holding "&" or "<" anywhere is well-formed and reads back unchanged; characters
// XML cannot carry come out as U+FFFD instead of breaking the document.
TEST(VESKAtomBuilderTest, HostileTextIsEscapedAndReadsBack) {
  EXPECT_EQ(str(VESKAtomBuilder::allocDeleteSubscriptionXML("a&b<c>]]>\"'")),
            doc("<feed><entry><id>a&amp;b&lt;c&gt;]]&gt;\"'</id></entry></feed>"));

  const std::string hostile =
      std::string("x&amp;<y/>\x01z\xff\xc3\xa9", 15) + std::string(1, '\0') + "w\r\n\t";
  const std::string cleaned = "x&amp;<y/>\xEF\xBF\xBDz\xEF\xBF\xBD\xc3\xa9\xEF\xBF\xBDw\r\n\t";
  auto bytes = VESKAtomBuilder::allocMBlogPostCommentXML(hostile, hostile, hostile, hostile,
                                                         kTime, hostile, hostile);
  XmlDocPtr parsed(xmlReadMemory(reinterpret_cast<const char*>(bytes.data()),
                                 static_cast<int>(bytes.size()), nullptr, nullptr, 0));
  ASSERT_TRUE(parsed) << str(bytes);
  int texts = 0;
  for (xmlNode* n = xmlDocGetRootElement(parsed.get())->children; n; n = n->next) {
    if (n->type != XML_ELEMENT_NODE) continue;
    std::string name = reinterpret_cast<const char*>(n->name);
    if (name == "updated") continue;
    XmlCharPtr content(xmlNodeGetContent(n));
    if (name == "mblogreq") {
      EXPECT_EQ(xmlText(content), cleaned + cleaned);
    } else {
      EXPECT_EQ(xmlText(content), cleaned) << name;
    }
    ++texts;
  }
  EXPECT_EQ(texts, 5);
}

}  // namespace
}  // namespace zu
