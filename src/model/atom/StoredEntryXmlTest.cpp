// The stored entry XML: VESKAtomBuilder writes an entry, VESKAtomParser reads it back (as the
// entry store does). Golden bytes for the written form, and write -> read round trips of every
// field the document carries, with ordinary and with hostile text.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <utility>

#include "model/entry/Author.h"
#include "model/book/BookReview.h"
#include "model/columns/Column.h"
#include "model/entry/Content.h"
#include "model/entry/Entry.h"
#include "model/entry/EntryCategory.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/columns/MBlogUser.h"
#include "model/entry/NewsDetail.h"
#include "model/entry/NewsSummary.h"
#include "model/service/VeskAssess.h"
#include "model/book/VeskBook.h"
#include "model/book/VeskBookReviews.h"
#include "model/service/VeskBump.h"
#include "model/service/VeskCustomization.h"
#include "model/service/VeskEntryStatus.h"
#include "model/service/VeskMBlog.h"
#include "model/service/VeskRanking.h"
#include "model/service/VeskSharing.h"
#include "model/service/VeskStatControl.h"
#include "model/service/VeskSubscribe.h"
#include "model/service/VeskSync.h"
#include "model/service/VeskThumbnail.h"
#include "model/entry/VideoDuration.h"
#include "model/service/XCoverImageDuration.h"
#include "model/atom/VESKAtomBuilder.h"
#include "model/atom/VESKAtomParser.h"
#include "testing/XmlWellFormedness.h"
#include "model/service/statC.h"

namespace zu {
namespace {

const std::string kDecl = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
const std::string kNs = "xmlns:vesk=\"http://www.vesk.com/vesk/1.0\"";
constexpr int64_t kTime = 1300000000000;  // 2011-03-13T15:06:40+08:00
const std::string kTimeText = "2011-03-13T15:06:40+08:00";

std::string str(const std::optional<Bytes>& b) {
  return b ? std::string(b->begin(), b->end()) : "<nullopt>";
}

std::shared_ptr<Link> link(std::optional<std::string> rel, std::string href) {
  auto l = std::make_shared<Link>();
  l->setRel(std::move(rel));
  l->setHref(std::move(href));
  return l;
}

// Every field the stored document carries, each text passed through `t` (identity, or one that
// makes it hostile). Addresses keep a leading "http://" so they stay absolute.
template <typename EntryT>
std::shared_ptr<EntryT> makeFullEntry(const std::function<std::string(std::string)>& t) {
  auto e = std::make_shared<EntryT>();
  e->setTitle(t("Title"));
  e->setEntryId(t("id-1"));
  e->setSubtitle(t("Sub"));
  e->setSummary(t("Sum"));
  auto content = std::make_shared<Content>();
  content->setType(2);
  content->setData(t("<p>x</p>"));
  e->setContent(content);
  auto paged = std::make_shared<Content>();
  paged->setType(1);
  paged->setData(t("page"));
  e->setVeskPagedcontent(paged);
  auto alt = link(std::nullopt, "http://s/a" + t(""));
  alt->setType("text/html");
  alt->setHreflang("zh");
  e->setAlternatelink(alt);
  auto cv = link(std::nullopt, "http://s/cv");
  cv->setIsdefaultpic(true);
  e->setCoverImageVerticalLink(cv);
  e->setCoverImageHorizontalLink(link(std::nullopt, "http://s/ch"));
  auto cover = link(std::nullopt, "http://s/c");
  cover->setIsdefaultpic(true);
  cover->setHrefForSelected("http://s/cs" + t(""));
  e->setCoverImageLink(cover);
  auto thumb = link(std::nullopt, "http://s/t");
  thumb->setIsdefaultpic(true);  // never written for the thumbnail
  thumb->setHrefForSelected("http://s/ts");
  e->setCoverImageThumbnailLink(thumb);
  e->setBuyLink(link(std::nullopt, "http://s/buy"));
  e->setEditLink(link(std::nullopt, "http://s/edit"));
  e->setEditMediaLink(link(std::nullopt, "http://s/em"));
  e->setRelatedLink(link(std::nullopt, "http://s/rel"));
  e->setCommentsLink(link(std::nullopt, "http://s/cm"));
  auto enclosure = link("podcast", "http://s/e1");
  enclosure->setType("audio/mpeg");
  e->appendLinks(enclosure);
  e->appendLinks(link(t("x-other"), "http://s/o1" + t("")));
  auto category = std::make_shared<EntryCategory>();
  category->setTerm(t("t"));
  category->setLabel(t("l"));
  category->setGetnext(true);
  e->setCategory(category);
  auto author = std::make_shared<Author>();
  author->setName(t("Au"));
  author->setUri(t("http://s/u"));
  author->setEmail(t("a@s"));
  author->setProfile(t("p"));
  author->setBooksLink(link(std::nullopt, "http://s/books"));
  e->setAuthor(author);
  auto ranking = std::make_shared<VeskRanking>();
  ranking->setMinValue(1);
  ranking->setMaxValue(5);
  ranking->setValue(4.5f);
  ranking->setTimes(10);
  ranking->setTitle(t("r"));
  ranking->setHref("http://s/r");
  e->setVeskRanking(ranking);
  auto assess = std::make_shared<VeskAssess>();
  assess->setTitle(t("as"));
  assess->setMinLength(2);
  assess->setMaxLength(140);
  assess->setTimes(3);
  assess->setHref("http://s/as");
  assess->setType(t("t"));
  e->setVeskAssess(assess);
  auto subscribe = std::make_shared<VeskSubscribe>();
  subscribe->setSubscribable(true);
  subscribe->setSubscribed(1);
  subscribe->setTimes(7);
  subscribe->setUpdateFrequency(t("daily"));
  e->setVeskSubscribe(subscribe);
  auto thumbnail = std::make_shared<VeskThumbnail>();
  thumbnail->setType("image/jpeg");
  thumbnail->setHref("http://s/th");
  thumbnail->setWidth(120);
  thumbnail->setHeight(90);
  e->setVeskThumbnail(thumbnail);
  auto bump = std::make_shared<VeskBump>();
  bump->setAction(true);
  bump->setTimes(2);
  bump->setHref("http://s/b");
  e->setVeskBump(bump);
  auto sharing = std::make_shared<VeskSharing>();
  sharing->setAction(t("share"));
  sharing->setTimes(4);
  sharing->setHref("http://s/sh");
  e->setVeskSharing(sharing);
  auto sync = std::make_shared<VeskSync>();
  sync->setInterval(30);
  e->setVeskSync(sync);
  auto status = std::make_shared<VeskEntryStatus>();
  status->setRead(1);
  status->setType(9);
  status->setMultiLayer(2);
  status->setExtendStyle(8);
  status->setBaseStyle(3);
  e->setVeskEntryStatus(status);
  auto customization = std::make_shared<VeskCustomization>();
  customization->setType(t("rss"));
  customization->setId(t("cid"));
  e->setVeskCustomization(customization);
  auto mblog = std::make_shared<VeskMBlog>();
  auto layoutLink = link("layout", "http://s/l");
  layoutLink->setTitle(t("lt"));
  mblog->setLayoutLink(layoutLink);
  auto user = std::make_shared<MBlogUser>();
  user->setName(t("U"));
  user->setProfile_img_url("http://s/u.png");
  mblog->setLayoutUser(user);
  auto retweeted = std::make_shared<MBlogUser>();
  retweeted->setName(t("R"));
  retweeted->setProfile_img_url("http://s/r.png");
  mblog->setLayoutRetweeted(retweeted);
  e->setVeskMBlog(mblog);
  auto cover_duration = std::make_shared<XCoverImageDuration>();
  cover_duration->setValue(5);
  e->setXCoverImageDuration(cover_duration);
  e->setUpdated(kTime);
  e->setCatalogLink(link(std::nullopt, "http://s/cat"));
  e->setBookDetailLink(link(std::nullopt, "http://s/bd"));
  e->setBookReviewLink(link(std::nullopt, "http://s/br"));
  e->setBookContentLink(link(std::nullopt, "http://s/bc"));
  e->setVeskBookExtraLink(link(std::nullopt, "http://s/ex"));
  auto book = std::make_shared<VeskBook>();
  book->setTranslator(t("tr"));
  book->setPublisher(t("pu"));
  book->setDate(t("2011"));
  book->setPrice(12.5f);
  book->setPages(300);
  book->setBinding(t("hard"));
  book->setIsbn(t("978"));
  book->setVip(0);
  book->setPayment(1);
  book->setIntegrity(2);
  auto hardCopy = link("buy_hardcopy", "http://s/hc");
  hardCopy->setType("text/html");
  hardCopy->setHreflang("zh");
  hardCopy->setVendor(t("shop"));
  book->setHardCopyLink(hardCopy);
  book->setUpdated(kTime);
  e->setVeskBook(book);
  auto reviews = std::make_shared<VeskBookReviews>();
  auto r1 = std::make_shared<BookReview>();
  r1->setType("text");
  r1->setComment(t("good"));
  r1->setLink(link(std::nullopt, "http://s/rv"));
  reviews->appendBookReviews(r1);
  auto r2 = std::make_shared<BookReview>();
  r2->setLink(link(std::nullopt, "http://s/rv2"));
  reviews->appendBookReviews(r2);
  e->setVeskBookReviews(reviews);
  return e;
}

std::string identity(std::string s) { return s; }
// Markup characters, an entity-looking text, a CDATA end, quotes and non-ASCII text.
std::string hostile(std::string s) { return s + " & <b>\"q\" 'a' ]]> &amp; \xE4\xB8\xAD\r\n"; }

const std::string kFullColumnBody =
    "<entry " + kNs + ">"
    "<title>Title</title><id>id-1</id><subtitle>Sub</subtitle><summary>Sum</summary>"
    "<content type=\"html\">&lt;p&gt;x&lt;/p&gt;</content>"
    "<vesk:pagedcontent type=\"text\">page</vesk:pagedcontent>"
    "<link rel=\"alternate\" type=\"text/html\" href=\"http://s/a\" hreflang=\"zh\"/>"
    "<link rel=\"x-cover-image-vertical\" href=\"http://s/cv\" isdefaultpic=\"1\"/>"
    "<link rel=\"x-cover-image-horizontal\" href=\"http://s/ch\" isdefaultpic=\"0\"/>"
    "<link rel=\"x-stanza-cover-image\" href=\"http://s/c\" isdefaultpic=\"1\" "
    "hrefForSelected=\"http://s/cs\"/>"
    "<link rel=\"x-stanza-cover-image-thumbnail\" href=\"http://s/t\" "
    "hrefForSelected=\"http://s/ts\"/>"
    "<link rel=\"buy\" href=\"http://s/buy\"/>"
    "<link rel=\"edit\" href=\"http://s/edit\"/>"
    "<link rel=\"editMedia\" href=\"http://s/em\"/>"
    "<link rel=\"related\" href=\"http://s/rel\"/>"
    "<link rel=\"comments\" href=\"http://s/cm\"/>"
    "<link rel=\"podcast\" type=\"audio/mpeg\" href=\"http://s/e1\"/>"
    "<link rel=\"x-other\" href=\"http://s/o1\"/>"
    "<category term=\"t\" label=\"l\" getnext=\"1\"/>"
    "<author><name>Au</name><uri>http://s/u</uri><email>a@s</email><profile>p</profile>"
    "<link rel=\"writedbooks\" href=\"http://s/books\"/></author>"
    "<vesk:ranking min-value=\"1\" max-value=\"5\" value=\"4.5\" times=\"10\" title=\"r\" "
    "href=\"http://s/r\"/>"
    "<vesk:assess title=\"as\" min-length=\"2\" max-length=\"140\" times=\"3\" "
    "href=\"http://s/as\" type=\"t\"/>"
    "<vesk:subscribe subscribable=\"1\" subscribed=\"1\" times=\"7\" updatefrequency=\"daily\"/>"
    "<vesk:image_thumbnail type=\"image/jpeg\" href=\"http://s/th\" width=\"120\" "
    "height=\"90\"/>"
    "<vesk:bump action=\"up\" times=\"2\" href=\"http://s/b\"/>"
    "<vesk:sharing action=\"share\" times=\"4\" href=\"http://s/sh\"/>"
    "<vesk:sync interval=\"30\"/>"
    "<vesk:entry_status read=\"1\" type=\"book\" multilayer=\"2\" style=\"8,3\"/>"
    "<vesk:customization type=\"rss\" id=\"cid\"/>"
    "<vesk:mblog><layout><link rel=\"layout\" href=\"http://s/l\" title=\"lt\"/>"
    "<user name=\"U\" profile_img_url=\"http://s/u.png\"/>"
    "<retweeted name=\"R\" profile_img_url=\"http://s/r.png\"/></layout></vesk:mblog>"
    "<latestaid>la</latestaid>"
    "<x_cover_image_duration value=\"5\"/>"
    "<updated>" + kTimeText + "</updated>"
    "<link rel=\"catalog\" href=\"http://s/cat\"/>"
    "<link rel=\"book_detail\" href=\"http://s/bd\"/>"
    "<link rel=\"bookreview\" href=\"http://s/br\"/>"
    "<link rel=\"book_content\" href=\"http://s/bc\"/>"
    "<link rel=\"vesk_extra\" href=\"http://s/ex\"/>"
    "<vesk:book><translator>tr</translator><publisher>pu</publisher><date>2011</date>"
    "<price>12.500000</price><pages>300</pages><binding>hard</binding><isbn>978</isbn>"
    "<vip>0</vip><payment>1</payment><integrity>2</integrity>"
    "<link rel=\"buy_hardcopy\" type=\"text/html\" href=\"http://s/hc\" hreflang=\"zh\" "
    "vendor=\"shop\"/><updated>" + kTimeText + "</updated></vesk:book>"
    "<vesk:bookreviews><bookreview><content type=\"text\">good</content>"
    "<link href=\"http://s/rv\"/></bookreview><bookreview><link href=\"http://s/rv2\"/>"
    "</bookreview></vesk:bookreviews>"
    "</entry>";

TEST(StoredEntryXmlTest, WritesEveryFieldInOrder) {
  auto column = makeFullEntry<Column>(identity);
  column->setLatestaid("la");
  EXPECT_EQ(str(VESKAtomBuilder::allocEntryToXML(column.get())),
            kDecl + kFullColumnBody + "\n");

  // The detached node is the same element.
  XmlNodePtr node = VESKAtomBuilder::allocEntryToXMLNode(column.get());
  ASSERT_TRUE(node);
  EXPECT_EQ(node->parent, nullptr);
  EXPECT_STREQ(reinterpret_cast<const char*>(node->name), "entry");
}

TEST(StoredEntryXmlTest, SparseEntriesWriteOnlyWhatIsPresent) {
  Entry onlyId;
  onlyId.setEntryId("x");
  EXPECT_EQ(str(VESKAtomBuilder::allocEntryToXML(&onlyId)),
            kDecl + "<entry " + kNs + "><id>x</id></entry>\n");
  Entry empty;  // a nil id is written empty; time 0 and below gives no "updated"
  empty.setUpdated(-1);
  EXPECT_EQ(str(VESKAtomBuilder::allocEntryToXML(&empty)),
            kDecl + "<entry " + kNs + "><id/></entry>\n");

  // A summary without a video duration writes none; with one, "video_duration" goes after the
  // microblog block. Content without data, and an extension record at its zero values.
  NewsSummary summary;
  summary.setEntryId("s");
  auto content = std::make_shared<Content>();
  content->setType(1);
  summary.setContent(content);
  auto status = std::make_shared<VeskEntryStatus>();
  status->setType(12);
  status->setExtendStyle(-1);
  status->setBaseStyle(4);
  summary.setVeskEntryStatus(status);
  summary.setVeskRanking(std::make_shared<VeskRanking>());
  summary.setVeskSubscribe(std::make_shared<VeskSubscribe>());
  auto book = std::make_shared<VeskBook>();
  book->setUpdated(-1);
  summary.setVeskBook(book);
  const std::string front = "<entry " + kNs + "><id>s</id>";
  const std::string middle =
      "<vesk:ranking/><vesk:subscribe subscribable=\"0\" subscribed=\"0\"/>"
      "<vesk:entry_status read=\"0\" style=\",4\"/>";
  const std::string back =
      "<vesk:book><price>0.000000</price><pages>0</pages><vip>0</vip><payment>0</payment>"
      "<integrity>0</integrity><updated>1970-01-01T08:00:00+08:00</updated></vesk:book>"
      "</entry>\n";
  EXPECT_EQ(str(VESKAtomBuilder::allocEntryToXML(&summary)), kDecl + front + middle + back);
  auto duration = std::make_shared<VideoDuration>();
  duration->setValue(95);
  summary.setVideoDuration(duration);
  EXPECT_EQ(str(VESKAtomBuilder::allocEntryToXML(&summary)),
            kDecl + front + middle + "<video_duration value=\"95\"/>" + back);
}

// Value-to-word mappings and the attributes a typed link or a status leaves out, and non-ASCII
// text written as raw UTF-8 bytes (not character references) in texts and attributes.
TEST(StoredEntryXmlTest, WordMappingsAndRawUtf8) {
  const std::string zhong = "\xE4\xB8\xAD";
  Entry e;
  e.setTitle(zhong);
  e.setEntryId("x");
  auto content = std::make_shared<Content>();
  content->setType(3);
  content->setData("c");
  e.setContent(content);
  auto paged = std::make_shared<Content>();
  paged->setType(4);
  paged->setData("p");
  e.setVeskPagedcontent(paged);
  auto alt = link("self", "http://s/a");  // a typed link is written with its field's relation
  alt->setTitle("not carried");
  e.setAlternatelink(alt);
  auto vertical = link(std::nullopt, "http://s/v");
  vertical->setHrefForSelected("http://s/vs");  // only the stanza cover links carry it
  e.setCoverImageVerticalLink(vertical);
  auto category = std::make_shared<EntryCategory>();
  category->setLabel(zhong);
  e.setCategory(category);
  auto subscribe = std::make_shared<VeskSubscribe>();
  subscribe->setSubscribed(2);
  e.setVeskSubscribe(subscribe);
  auto status = std::make_shared<VeskEntryStatus>();
  status->setRead(2);
  status->setType(9);
  status->setExtendStyle(7);
  status->setBaseStyle(12);
  e.setVeskEntryStatus(status);
  EXPECT_EQ(str(VESKAtomBuilder::allocEntryToXML(&e)),
            kDecl + "<entry " + kNs + "><title>" + zhong + "</title><id>x</id>"
            "<content type=\"xhtml\">c</content><vesk:pagedcontent type=\"mime\">p"
            "</vesk:pagedcontent><link rel=\"alternate\" href=\"http://s/a\"/>"
            "<link rel=\"x-cover-image-vertical\" href=\"http://s/v\" isdefaultpic=\"0\"/>"
            "<category label=\"" + zhong + "\" getnext=\"0\"/>"
            "<vesk:subscribe subscribable=\"0\"/>"
            "<vesk:entry_status read=\"0\" type=\"book\" multilayer=\"0\" style=\"7,\"/>"
            "</entry>\n");

  // Types without a word write no type attribute; a status without a style in range none.
  Entry other;
  other.setEntryId("y");
  content->setType(0);
  other.setContent(content);
  paged->setType(5);
  other.setVeskPagedcontent(paged);
  status->setType(10);
  status->setExtendStyle(12);
  status->setBaseStyle(-1);
  other.setVeskEntryStatus(status);
  auto bump = std::make_shared<VeskBump>();
  other.setVeskBump(bump);
  EXPECT_EQ(str(VESKAtomBuilder::allocEntryToXML(&other)),
            kDecl + "<entry " + kNs + "><id>y</id><content>c</content>"
            "<vesk:pagedcontent>p</vesk:pagedcontent><vesk:bump action=\"down\"/>"
            "<vesk:entry_status read=\"0\"/></entry>\n");
}

TEST(StoredEntryXmlTest, FeedDocumentHoldsStoredEntriesAndStatControl) {
  Feed feed;
  auto a = std::make_shared<Entry>();
  a->setEntryId("a");
  a->setTitle("A & B");
  feed.appendEntrys(a);
  auto b = std::make_shared<Column>();
  b->setEntryId("b");
  b->setLatestaid("9");
  feed.appendEntrys(b);
  auto control = std::make_shared<VeskStatControl>();
  control->setWifiOnly(true);
  for (auto [k, v] : {std::pair{3, 1}, std::pair{0, 0}, std::pair{0, 2}}) {
    auto c = std::make_shared<statC>();
    c->setK(k);
    c->setV(v);
    control->appendC(c);
  }
  feed.setVeskStatControl(control);
  const std::string bytes = str(VESKAtomBuilder::allocFeedToXML(&feed));
  EXPECT_EQ(bytes, kDecl + "<feed " + kNs + "><entry " + kNs +
                       "><title>A &amp; B</title><id>a</id></entry>"
                       "<entry " + kNs + "><id>b</id><latestaid>9</latestaid></entry>"
                       "<vesk:statcontrol><c k=\"3\" v=\"1\"/><c/><c v=\"2\"/>"
                       "</vesk:statcontrol></feed>\n");
  EXPECT_EQ(str(VESKAtomBuilder::allocFeedToXML(nullptr)), kDecl + "<feed/>\n");
  // Every prefix is declared, so outside readers and ours see the product element.
  EXPECT_EQ(XmlWellFormedness::namespaceFaults(bytes), "");

  // Read back as a column list.
  auto parsed = VESKAtomParser::allocParseFeed(bytes, kEntryKindColumn);
  ASSERT_TRUE(parsed && parsed->entrys());
  ASSERT_EQ(parsed->entrys()->size(), 2u);
  EXPECT_EQ(parsed->entrys()->at(0)->title(), "A & B");
  auto column = std::dynamic_pointer_cast<Column>(parsed->entrys()->at(1));
  ASSERT_TRUE(column);
  EXPECT_EQ(column->latestaid(), "9");
  // The counters read back as the service URL feed's are read.
  auto urlFeed = VESKAtomParser::allocParseGetServiceUrlFeed(bytes);
  ASSERT_TRUE(urlFeed && urlFeed->veskStatControl() && urlFeed->veskStatControl()->c());
  const auto& counters = *urlFeed->veskStatControl()->c();
  ASSERT_EQ(counters.size(), 3u);
  EXPECT_EQ(counters[0]->k(), 3);
  EXPECT_EQ(counters[0]->v(), 1);
  EXPECT_EQ(counters[2]->v(), 2);
}

std::shared_ptr<Entry> readBack(const Entry& e, int32_t kind) {
  auto bytes = VESKAtomBuilder::allocEntryToXML(&e);
  EXPECT_TRUE(bytes);
  if (!bytes) return nullptr;
  auto back = VESKAtomParser::allocParseEntry(
      std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()), kind);
  EXPECT_TRUE(back) << str(bytes);
  return back;
}

// The writer writes every carried field, so an entry read back and written again gives the same
// bytes exactly when every carried field came back unchanged.
TEST(StoredEntryXmlTest, EveryCarriedFieldSurvivesARoundTrip) {
  for (auto* transform : {&identity, &hostile}) {
    SCOPED_TRACE(transform == &identity ? "plain text" : "hostile text");
    auto column = makeFullEntry<Column>(*transform);
    column->setLatestaid((*transform)("la"));
    auto back = readBack(*column, kEntryKindColumn);
    ASSERT_TRUE(back);
    EXPECT_EQ(str(VESKAtomBuilder::allocEntryToXML(back.get())),
              str(VESKAtomBuilder::allocEntryToXML(column.get())));

    // Spot checks of the texts themselves, placement by relation, and the subclass field.
    EXPECT_EQ(back->title(), column->title());
    EXPECT_EQ(back->entryId(), column->entryId());
    ASSERT_TRUE(back->content());
    EXPECT_EQ(back->content()->data(), column->content()->data());
    EXPECT_EQ(back->content()->type(), 2);
    ASSERT_TRUE(back->coverImageLink() && back->coverImageThumbnailLink());
    EXPECT_TRUE(back->coverImageLink()->isdefaultpic());
    EXPECT_EQ(back->coverImageLink()->hrefForSelected(),
              column->coverImageLink()->hrefForSelected());
    EXPECT_FALSE(back->coverImageThumbnailLink()->isdefaultpic());
    ASSERT_TRUE(back->links());
    ASSERT_EQ(back->links()->size(), 2u);
    EXPECT_EQ(back->links()->at(1)->rel(), column->links()->at(1)->rel());
    ASSERT_TRUE(back->veskBookExtraLink());
    EXPECT_EQ(back->veskBookExtraLink()->href(), "http://s/ex");
    ASSERT_TRUE(back->veskBook());
    EXPECT_FLOAT_EQ(back->veskBook()->price(), 12.5f);
    EXPECT_EQ(back->veskBook()->updated(), kTime);
    auto backColumn = std::dynamic_pointer_cast<Column>(back);
    ASSERT_TRUE(backColumn);
    EXPECT_EQ(backColumn->latestaid(), column->latestaid());
  }
}

TEST(StoredEntryXmlTest, SubclassFieldsFollowTheKindReadBack) {
  auto summary = makeFullEntry<NewsSummary>(identity);
  auto duration = std::make_shared<VideoDuration>();
  duration->setValue(95);
  summary->setVideoDuration(duration);
  auto back = std::dynamic_pointer_cast<NewsSummary>(readBack(*summary, kEntryKindNewsSummary));
  ASSERT_TRUE(back && back->videoDuration());
  EXPECT_EQ(back->videoDuration()->value(), 95);
  EXPECT_EQ(str(VESKAtomBuilder::allocEntryToXML(back.get())),
            str(VESKAtomBuilder::allocEntryToXML(summary.get())));

  // As a plain entry the duration is dropped; as an article the extra link moves.
  auto plain = readBack(*summary, kEntryKindEntry);
  ASSERT_TRUE(plain);
  EXPECT_FALSE(std::dynamic_pointer_cast<NewsSummary>(plain));
  auto detail = std::dynamic_pointer_cast<NewsDetail>(readBack(*summary, kEntryKindNewsDetail));
  ASSERT_TRUE(detail && detail->veskExtraLink());
  EXPECT_EQ(detail->veskExtraLink()->href(), "http://s/ex");
  EXPECT_FALSE(detail->veskBookExtraLink());
}

// Both styles of an entry status survive a restart, whatever the type's default style is.
TEST(StoredEntryXmlTest, EntryStatusKeepsBothStyles) {
  for (auto [type, extend, base] : {std::tuple{3, 7, 2}, std::tuple{0, 0, 11},
                                    std::tuple{5, 11, 0}, std::tuple{12, 4, 9}}) {
    Entry e;
    e.setEntryId("s");
    auto status = std::make_shared<VeskEntryStatus>();
    status->setType(type);
    status->setExtendStyle(extend);
    status->setBaseStyle(base);
    e.setVeskEntryStatus(status);
    auto back = readBack(e, kEntryKindNewsSummary);
    ASSERT_TRUE(back && back->veskEntryStatus());
    EXPECT_EQ(back->veskEntryStatus()->extendStyle(), extend) << type;
    EXPECT_EQ(back->veskEntryStatus()->baseStyle(), base) << type;
    EXPECT_EQ(back->veskEntryStatus()->read(), 0);
  }
}

}  // namespace
}  // namespace zu
