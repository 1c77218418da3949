#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <initializer_list>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "model/columns/Column.h"
#include "model/entry/Comment.h"
#include "model/entry/ModelArchive.h"
#include "model/entry/ModelArchiveTestHelpers.h"
#include "model/entry/NewsDetail.h"
#include "model/entry/NewsSummary.h"
#include "model/entry/VideoDuration.h"
#include "platform/runtime/KeyedArchiver.h"
#include "platform/runtime/KeyedUnarchiver.h"

namespace zu {
namespace {

using archive_test::expectSame;
using archive_test::filled;

template <typename T>
std::shared_ptr<T> roundTrip(const T& object) {
  return KeyedUnarchiver::unarchiveObject<T>(KeyedArchiver::archivedData(object));
}

template <typename T>
void roundTripFilledAndEmpty() {
  const auto full = filled<T>(1);
  SCOPED_TRACE(full->archiveClassName());
  const auto restored = roundTrip(*full);
  ASSERT_NE(restored, nullptr);
  expectSame(*full, *restored);

  const auto empty = std::make_shared<T>();
  const auto restoredEmpty = roundTrip(*empty);
  ASSERT_NE(restoredEmpty, nullptr);
  expectSame(*empty, *restoredEmpty);
}

template <typename... T>
void roundTripEach() {
  (roundTripFilledAndEmpty<T>(), ...);
}

class ModelArchiveTest : public ::testing::Test {
 protected:
  void SetUp() override { ModelArchive::registerClasses(); }
};

TEST_F(ModelArchiveTest, EveryArchivableRecordKeepsEveryFieldAndEveryAbsence) {
  roundTripEach<Author, Link, Content, EntryCategory, VeskRanking, VeskAssess, VeskSubscribe,
                VeskThumbnail, VeskBump, VeskSharing, VeskFavorite, VeskEntryStatus, VeskSync,
                VeskDevInfo, MBlogUser, VeskMBlog, VeskCustomization, VeskCustomContent,
                XCoverImageDuration, VeskMblogExtra, VeskBook, BookReview, VeskBookReviews,
                Entry>();
}

// Entries are kept archived, so the keys are a stored format: each field is written under its own
// name with its kind of value (s text, o object, a object list, i int, t 64-bit time, b flag,
// f float), nothing else is written, and the fields named in notArchived are left out.
template <typename T>
void expectArchiveKeys(const char* keys, std::initializer_list<const char*> notArchived = {}) {
  const auto record = filled<T>(1);
  SCOPED_TRACE(record->archiveClassName());
  KeyedArchiver coder;
  record->encodeWithCoder(coder);
  const Bytes data = coder.encodedData();
  KeyedUnarchiver archive(data);
  ASSERT_TRUE(archive.ok());
  std::istringstream in(keys);
  std::string item;
  size_t count = 0;
  while (in >> item) {
    ++count;
    const std::string key = item.substr(0, item.find(':'));
    switch (item.back()) {
      case 's': EXPECT_TRUE(archive.decodeString(key).has_value()) << key; break;
      case 'o': EXPECT_NE(archive.decodeObject(key), nullptr) << key; break;
      case 'a': EXPECT_FALSE(archive.decodeObjectArray(key).empty()) << key; break;
      case 'i': EXPECT_TRUE(archive.decodeInt32(key).has_value()) << key; break;
      case 't': EXPECT_TRUE(archive.decodeInt64(key).has_value()) << key; break;
      case 'b': EXPECT_TRUE(archive.decodeBool(key).has_value()) << key; break;
      case 'f': EXPECT_TRUE(archive.decodeDouble(key).has_value()) << key; break;
      default: ADD_FAILURE() << "bad kind in " << item;
    }
  }
  for (const char* key : notArchived) EXPECT_FALSE(archive.containsKey(key)) << key;
  // The record's container follows the magic and the version byte with its entry count.
  ASSERT_GT(data.size(), size_t{5});
  EXPECT_EQ(size_t{data[5]}, count) << "keys written besides the named ones";
}

TEST_F(ModelArchiveTest, EachFieldIsArchivedUnderItsOwnNameAndNothingElse) {
  expectArchiveKeys<Author>(
      "name:s uri:s email:s profileImageLink:o profile:s booksLink:o");
  expectArchiveKeys<Link>(
      "title:s rel:s type:s href:s hreflang:s length:i isdefaultpic:b isautodownload:b vendor:s "
      "hrefForSelected:s");
  expectArchiveKeys<Content>("type:i mimeType:s src:s data:s");
  expectArchiveKeys<EntryCategory>("term:s label:s getnext:b scheme:s iscustomcontent:b count:i");
  expectArchiveKeys<VeskRanking>("minValue:i maxValue:i value:f times:i title:s href:s");
  expectArchiveKeys<VeskAssess>("title:s minLength:i maxLength:i times:i href:s type:s");
  expectArchiveKeys<VeskSubscribe>("subscribable:b subscribed:i times:i updateFrequency:s");
  expectArchiveKeys<VeskThumbnail>("type:s href:s width:i height:i");
  expectArchiveKeys<VeskBump>("action:b times:i href:s");
  expectArchiveKeys<VeskSharing>("action:s times:i href:s");
  expectArchiveKeys<VeskFavorite>("collectable:b collected:i count:i");
  expectArchiveKeys<VeskEntryStatus>("read:i type:i extendStyle:i baseStyle:i multiLayer:i");
  expectArchiveKeys<VeskSync>("interval:i");
  expectArchiveKeys<VeskDevInfo>("id:s");
  expectArchiveKeys<MBlogUser>("name:s profile_img_url:s");
  expectArchiveKeys<VeskMBlog>("layoutLink:o layoutUser:o layoutRetweeted:o translated:o");
  expectArchiveKeys<VeskCustomization>("searchHref:s type:s groupmode:s id:s self:b subHref:s");
  expectArchiveKeys<VeskCustomContent>("link:o content:o");
  expectArchiveKeys<XCoverImageDuration>("value:i");
  expectArchiveKeys<VeskMblogExtra>(
      "veskFavorite:o veskAssess:o addFavoritelink:o delFavoritelink:o repostlink:o");
  expectArchiveKeys<VeskBook>(
      "translator:s publisher:s date:s price:f pages:i binding:s isbn:s vip:i payment:i "
      "integrity:i hardCopyLink:o paytype:i keyname:s",
      {"updated"});
  expectArchiveKeys<BookReview>("type:s comment:s link:o");
  expectArchiveKeys<VeskBookReviews>("bookReviews:a");
  expectArchiveKeys<Entry>(
      "title:s entryId:s updated:t author:o subtitle:s summary:s content:o veskPagedcontent:o "
      "alternatelink:o coverImageVerticalLink:o coverImageHorizontalLink:o coverImageLink:o "
      "coverImageThumbnailLink:o buyLink:o editLink:o editMediaLink:o commentsLink:o "
      "relatedLink:o weiboLink:o subPreviewLink:o links:a category:o veskRanking:o veskAssess:o "
      "veskSubscribe:o veskThumbnail:o veskBump:o veskSharing:o veskFavorite:o "
      "veskEntryStatus:o veskSync:o veskDevInfo:o veskMBlog:o veskCustomization:o "
      "veskCustomContent:o xCoverImageDuration:o veskMblogExtra:o lastCacheTime:t veskBook:o "
      "catalogLink:o bookDetailLink:o bookReviewLink:o veskBookReviews:o veskBookExtraLink:o",
      {"bookContentLink"});
}

TEST_F(ModelArchiveTest, EmptyTextsAndListsStayDistinctFromAbsentOnes) {
  Entry entry;
  entry.setTitle("");
  entry.setLinks(std::vector<std::shared_ptr<Link>>{});
  auto reviews = std::make_shared<VeskBookReviews>();
  reviews->setBookReviews(std::vector<std::shared_ptr<BookReview>>{});
  entry.setVeskBookReviews(reviews);
  const auto restored = roundTrip(entry);
  ASSERT_NE(restored, nullptr);
  EXPECT_EQ(restored->title(), std::optional<std::string>(""));
  EXPECT_EQ(restored->subtitle(), std::nullopt);
  ASSERT_TRUE(restored->links().has_value());
  EXPECT_TRUE(restored->links()->empty());
  ASSERT_NE(restored->veskBookReviews(), nullptr);
  ASSERT_TRUE(restored->veskBookReviews()->bookReviews().has_value());
  EXPECT_TRUE(restored->veskBookReviews()->bookReviews()->empty());
  EXPECT_EQ(restored->author(), nullptr);
}

TEST_F(ModelArchiveTest, EntryDropsBookContentLinkAndBookTimeButKeepsAll64BitsOfItsTimes) {
  const auto entry = filled<Entry>(3);
  ASSERT_NE(entry->bookContentLink(), nullptr);
  entry->veskBook()->setUpdated(1304481600000);
  for (int64_t t : {std::numeric_limits<int64_t>::min(), int64_t{-1},
                    std::numeric_limits<int64_t>::max(), int64_t{1} << 40}) {
    entry->setUpdated(t);
    entry->setLastCacheTime(-(t / 3));
    const auto restored = roundTrip(*entry);
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(restored->updated(), t);
    EXPECT_EQ(restored->lastCacheTime(), -(t / 3));
    EXPECT_EQ(restored->bookContentLink(), nullptr);
    ASSERT_NE(restored->veskBook(), nullptr);
    EXPECT_EQ(restored->veskBook()->updated(), 0);
    expectSame(*entry, *restored);
  }
}

TEST_F(ModelArchiveTest, SubclassesComeBackAsTheirClassWithOnlyTheEntryFields) {
  auto column = std::make_shared<Column>();
  archive_test::fill(*column, 5);
  column->setNeedUpdate(true);
  column->setIsFavoriteColumn(true);
  column->setCoverImageData(Bytes{1, 2, 3});
  column->setLatestaid("a1");
  std::shared_ptr<Entry> restored =
      KeyedUnarchiver::unarchiveObject<Entry>(KeyedArchiver::archivedData(*column));
  auto restoredColumn = std::dynamic_pointer_cast<Column>(restored);
  ASSERT_NE(restoredColumn, nullptr);
  expectSame(static_cast<const Entry&>(*column), *restoredColumn);
  EXPECT_FALSE(restoredColumn->needUpdate());
  EXPECT_FALSE(restoredColumn->isFavoriteColumn());
  EXPECT_EQ(restoredColumn->coverImageData(), std::nullopt);
  EXPECT_EQ(restoredColumn->latestaid(), std::nullopt);

  auto summary = std::make_shared<NewsSummary>();
  summary->setEntryId("s1");
  summary->setDetail(std::make_shared<NewsDetail>());
  summary->setVideoDuration(std::make_shared<VideoDuration>());
  auto restoredSummary = roundTrip(*summary);
  ASSERT_NE(restoredSummary, nullptr);
  EXPECT_EQ(restoredSummary->entryId(), "s1");
  EXPECT_EQ(restoredSummary->detail(), nullptr);
  EXPECT_EQ(restoredSummary->videoDuration(), nullptr);

  auto comment = std::make_shared<Comment>();
  comment->setNeedUpdate(true);
  auto restoredComment = roundTrip(*comment);
  ASSERT_NE(restoredComment, nullptr);
  EXPECT_FALSE(restoredComment->needUpdate());
}

TEST_F(ModelArchiveTest, NewsDetailStartsWithSupportFlagsButIsRestoredWithout) {
  auto detail = std::make_shared<NewsDetail>();
  EXPECT_TRUE(detail->supportComment());
  EXPECT_TRUE(detail->supportBump());
  EXPECT_TRUE(detail->supportFavorite());
  Column column;
  EXPECT_FALSE(column.needUpdate());
  EXPECT_FALSE(column.coverImageLoaded());
  EXPECT_FALSE(column.coverImageThumbnailLoaded());
  EXPECT_FALSE(column.isDeleting());
  EXPECT_FALSE(column.isFrontView());
  EXPECT_FALSE(column.isFavoriteColumn());
  EXPECT_FALSE(Comment().needUpdate());

  detail->setEntryId("d1");
  auto restored = roundTrip(*detail);
  ASSERT_NE(restored, nullptr);
  EXPECT_EQ(restored->entryId(), "d1");
  EXPECT_FALSE(restored->supportComment());
  EXPECT_FALSE(restored->supportBump());
  EXPECT_FALSE(restored->supportFavorite());
}

// Writes the keys of an Entry with values of the wrong types, as a damaged or foreign archive
// could hold them.
class MistypedEntry : public Archivable {
 public:
  std::string archiveClassName() const override { return "Entry"; }
  void encodeWithCoder(KeyedArchiver& coder) const override {
    coder.encodeInt32("title", 7);
    coder.encodeString("updated", "2011-05-04T04:00:00Z");
    coder.encode("author", std::make_shared<Link>());  // a Link where an Author belongs
    coder.encodeString("links", "not a list");
    coder.encodeString("entryId", "e1");
  }
  bool initWithCoder(KeyedUnarchiver&) override { return false; }
};

TEST_F(ModelArchiveTest, MistypedOrCorruptArchivesGiveAbsentFieldsOrNothing) {
  const Bytes data = KeyedArchiver::archivedData(MistypedEntry());
  const auto entry = KeyedUnarchiver::unarchiveObject<Entry>(data);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->entryId(), "e1");
  EXPECT_EQ(entry->title(), std::nullopt);
  EXPECT_EQ(entry->updated(), 0);
  EXPECT_EQ(entry->author(), nullptr);
  // A list key of another type reads as no items (the unarchiver tells presence, not type).
  EXPECT_TRUE(!entry->links() || entry->links()->empty());

  const Bytes good = KeyedArchiver::archivedData(*filled<Entry>(1));
  for (size_t cut : {size_t{0}, size_t{5}, good.size() / 2, good.size() - 1}) {
    const Bytes truncated(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
    EXPECT_EQ(KeyedUnarchiver::unarchiveObject<Entry>(truncated), nullptr) << cut;
  }
  Bytes flipped = good;
  flipped[flipped.size() / 2] ^= 0x40;
  EXPECT_EQ(KeyedUnarchiver::unarchiveObject<Entry>(flipped), nullptr);
}

}  // namespace
}  // namespace zu
