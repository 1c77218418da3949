#include <gtest/gtest.h>

#include "common/CommInfo.h"
#include "model/columns/Column.h"
#include "model/book/BookReadInfo.h"
#include "model/book/Bookmark.h"
#include "platform/runtime/Paths.h"
#include "store/BookCatalogPersistenter.h"
#include "store/BookMarkPersistenter.h"
#include "store/BookMemoPersistenter.h"
#include "store/BookPersistenter.h"
#include "store/BookReadInfoPersistenter.h"
#include "store/EntryPersistenter.h"
#include "testing/TempHome.h"

namespace zu {
namespace {

constexpr const char* kGuest = EntryPersistenter::kGuestUserName;

class BookStoresTest : public ::testing::Test {
 protected:
  void SetUp() override { CommInfo::setUsername(std::string(kGuest)); }
  void TearDown() override { CommInfo::globalUninit(); }
  std::shared_ptr<EntryPersistenter> open() {
    auto subs = EntryPersistenter::initWithDBopen(EntryPersistenter::kSourceSubscribe);
    EXPECT_TRUE(subs);
    return subs;
  }
  TempHome home_;
};

TEST_F(BookStoresTest, StoresMadeOnTheSubscriptionDatabaseOnly) {
  auto subs = open();
  auto favs = EntryPersistenter::initWithDBopen(EntryPersistenter::kSourceFavorite);
  ASSERT_TRUE(subs && favs);
  EXPECT_TRUE(subs->bookPersistenter() && subs->bookmarkPersistenter() &&
              subs->bookmemoPersistenter() && subs->catalogPersistenter() &&
              subs->readInfoPersistenter());
  EXPECT_FALSE(favs->bookPersistenter() || favs->catalogPersistenter());
  EXPECT_EQ(subs->bookmarkPersistenter()->database(), subs->database());
  EXPECT_EQ(subs->catalogPersistenter()->databaseCondition(), subs->databaseCondition());
  subs.reset();

  // A file written by an older version: a memo table with only some of its columns.
  Database db;
  ASSERT_EQ(db.open(CommInfo::getEntryCacheRootPath() + "userSubscribe.db"), SQLITE_OK);
  ASSERT_EQ(db.exec("drop table bookmemo; create table bookmemo (id text primary key, book_id "
                    "text, DESCRIPTION text);"),
            SQLITE_OK);
  subs = open();
  auto columns = db.columnNames("bookmemo");
  EXPECT_EQ(columns.size(), 12u);
  EXPECT_EQ(columns.back(), "color");
  auto types = db.prepare("select type from pragma_table_info('bookmemo') where name='color'");
  ASSERT_TRUE(types.next());
  EXPECT_EQ(types.columnString(0), "interger");
  for (const char* table : {"catalog", "mappingcatalog", "readinfo", "booksubscribe", "bookmark"}) {
    EXPECT_FALSE(db.columnNames(table).empty()) << table;
  }
}

TEST_F(BookStoresTest, BookEntriesAreStoredAsEntryXml) {
  auto subs = open();
  auto& books = *subs->bookPersistenter();
  auto column = std::make_shared<Column>();
  column->setEntryId(std::string("book-'1'"));
  column->setTitle(std::string("O'Brien's \"book\""));
  column->setSummary(std::string("<b>not markup</b> & more"));
  ASSERT_TRUE(books.insert(column));
  auto second = std::make_shared<Column>();
  second->setEntryId(std::string("book-2"));
  ASSERT_TRUE(books.insert(second));
  EXPECT_FALSE(books.insert(std::make_shared<Column>()));  // no id

  auto read = books.read(std::string("book-'1'"));
  ASSERT_TRUE(read);
  EXPECT_TRUE(std::dynamic_pointer_cast<Column>(read));
  EXPECT_EQ(read->title(), "O'Brien's \"book\"");
  EXPECT_EQ(read->summary(), "<b>not markup</b> & more");
  auto all = books.readAll();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[1]->entryId(), "book-2");
  EXPECT_TRUE(books.isExist(std::string("book-2")));
  // The stored bytes are the entry XML the readers parse, with their length.
  auto row = subs->database()->prepare("select data, data_len from booksubscribe limit 1");
  ASSERT_TRUE(row.next());
  const auto data = row.columnBlob(0).value_or(Bytes());
  EXPECT_EQ(static_cast<int64_t>(data.size()), row.columnInt64(1));
  EXPECT_NE(std::string(data.begin(), data.end()).find("<entry"), std::string::npos);

  CommInfo::setUsername(std::string("bob"));
  EXPECT_FALSE(books.isExist(std::string("book-2")));
  EXPECT_TRUE(books.readAll().empty());
  CommInfo::setUsername(std::string(kGuest));
  EXPECT_TRUE(books.deleteEntry(std::string("book-2")));
  EXPECT_FALSE(books.read(std::string("book-2")));
}

TEST_F(BookStoresTest, PositionsAndBookmarksPerUserAcrossRestart) {
  {
    auto subs = open();
    auto& positions = *subs->readInfoPersistenter();
    // Quotes in ids are data, not SQL.
    ASSERT_TRUE(positions.insert(std::string("b'1"), std::string("s'x"), -1, 7, 3, false));
    ASSERT_TRUE(positions.insert(std::string("b'1"), std::string("s2"), 4, -1, 2, true));
    ASSERT_TRUE(positions.insert(std::string("b'1"), std::string("s'x"), -1, 8, 3, false));
    auto& marks = *subs->bookmarkPersistenter();
    ASSERT_TRUE(marks.insert(std::string("b'1"), std::string("i1"), std::string("c"),
                             std::nullopt, 1, 2, 3, std::string("t1")));
    ASSERT_TRUE(marks.insert(std::string("b'1"), std::string("i1"), std::string("c"),
                             std::string("s"), 5, 6, 3, std::string("t2")));
    ASSERT_TRUE(marks.insert(std::string("b'1"), std::string("i2"), std::string("c"),
                             std::nullopt, 0, 0, 3, std::nullopt));
    EXPECT_FALSE(marks.insert(std::string("b'1"), std::string("i3"), std::nullopt,
                              std::nullopt, 0, 0, 3, std::nullopt));
  }
  auto subs = open();  // restart
  auto& positions = *subs->readInfoPersistenter();
  auto full = positions.read(std::string("b'1"), false);
  EXPECT_EQ(full->sectionId(), "s'x");
  EXPECT_EQ(full->portraitPage(), 8);
  EXPECT_EQ(full->landscapePage(), -1);
  EXPECT_EQ(full->fontSize(), 3);
  EXPECT_EQ(positions.read(std::string("b'1"), true)->landscapePage(), 4);
  EXPECT_FALSE(positions.read(std::string("none"), false)->sectionId());  // not null, no id
  auto marks = subs->bookmarkPersistenter()->read(std::string("b'1"));
  ASSERT_EQ(marks.size(), 2u);  // the same index id replaced the first
  if (marks[0]->indexId() == "i2") std::swap(marks[0], marks[1]);
  EXPECT_EQ(marks[0]->indexId(), "i1");
  EXPECT_EQ(marks[0]->sectionId(), "s");
  EXPECT_EQ(marks[0]->landscapePage(), 5);
  EXPECT_EQ(marks[0]->timeString(), "t2");
  EXPECT_EQ(marks[1]->indexId(), "i2");
  EXPECT_FALSE(marks[1]->sectionId());
  EXPECT_FALSE(marks[1]->timeString());

  // A new user gets the guest's positions and bookmarks; the guest keeps them.
  CommInfo::setUsername(std::string("bob"));
  EXPECT_FALSE(positions.read(std::string("b'1"), false)->sectionId());
  EXPECT_TRUE(subs->bookmarkPersistenter()->isBookMarkdByOtherUsers(std::string("b'1")));
  positions.copyFromAnonymous(std::string("bob"));
  subs->bookmarkPersistenter()->copyFromAnonymous(std::string("bob"));
  EXPECT_EQ(positions.read(std::string("b'1"), false)->portraitPage(), 8);
  EXPECT_EQ(positions.read(std::string("b'1"), true)->sectionId(), "s2");
  EXPECT_EQ(subs->bookmarkPersistenter()->read(std::string("b'1")).size(), 2u);
  EXPECT_TRUE(positions.deleteBook(std::string("b'1")));
  EXPECT_FALSE(positions.read(std::string("b'1"), true)->sectionId());
  CommInfo::setUsername(std::string(kGuest));
  EXPECT_EQ(positions.read(std::string("b'1"), true)->sectionId(), "s2");
  EXPECT_EQ(subs->bookmarkPersistenter()->read(std::string("b'1")).size(), 2u);
  // Without a current user nothing is written.
  CommInfo::globalUninit();
  EXPECT_FALSE(positions.insert(std::string("b"), std::string("s"), 0, 0, 2, false));
}

}  // namespace
}  // namespace zu
