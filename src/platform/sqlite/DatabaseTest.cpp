#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <limits>
#include <mutex>
#include <string>
#include <vector>

#include "platform/runtime/FolderHandle.h"
#include "platform/sqlite/Database.h"
#include "testing/TestFiles.h"

namespace zu {
namespace {

class DatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "zu_db_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    path_ = (dir_ / "test.db").string();
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::filesystem::path dir_;
  std::string path_;
};

TEST_F(DatabaseTest, BoundValuesRoundTripUnchanged) {
  Database db;
  ASSERT_EQ(db.open(path_), SQLITE_OK) << db.lastError();
  ASSERT_EQ(db.exec("create table t (k integer primary key, i interger, d real, s text, b blob);"),
            SQLITE_OK);
  Statement insert = db.prepare("insert into t (k, i, d, s, b) values (?, ?, ?, ?, ?);");
  ASSERT_TRUE(insert) << db.lastError();

  const std::string hostile = "' OR 1=1 --";
  const std::string quotes = "it's \"quoted\"; drop table t;";
  const std::vector<uint8_t> binary = {0, 1, 0xff, 0, 'x'};
  struct Row {
    int64_t i;
    double d;
    std::optional<std::string> s;
    std::optional<std::vector<uint8_t>> b;
  } rows[] = {
      {std::numeric_limits<int64_t>::min(), 0.1, hostile, binary},
      {std::numeric_limits<int64_t>::max(), -1e300, quotes, std::vector<uint8_t>{}},
      {0, 0.0, std::string(), std::nullopt},
      {-1, 2.5, std::nullopt, std::nullopt},
      {42, 3.0, std::string("caf\xc3\xa9 \xe4\xb8\xad"), std::vector<uint8_t>{7}},
  };
  for (int k = 0; k < 5; ++k) {
    const Row& r = rows[k];
    EXPECT_EQ(insert.bind(1, k), SQLITE_OK);
    EXPECT_EQ(insert.bind(2, r.i), SQLITE_OK);
    EXPECT_EQ(insert.bind(3, r.d), SQLITE_OK);
    EXPECT_EQ(insert.bind(4, r.s), SQLITE_OK);
    EXPECT_EQ(insert.bind(5, r.b), SQLITE_OK);
    EXPECT_TRUE(insert.execute()) << insert.errorMessage();
    EXPECT_EQ(db.changes(), 1);
  }

  Statement select = db.prepare("select i, d, s, b, typeof(s), typeof(b) from t where k = ?;");
  ASSERT_TRUE(select);
  for (int k = 0; k < 5; ++k) {
    const Row& r = rows[k];
    select.reset();
    select.bind(1, k);
    ASSERT_TRUE(select.next()) << k;
    EXPECT_EQ(select.columnInt64(0), r.i);
    EXPECT_EQ(select.columnDouble(1), r.d);
    EXPECT_EQ(select.columnText(2), r.s) << k;
    EXPECT_EQ(select.columnBlob(3), r.b) << k;
    // Empty text and empty blobs are values, not NULL.
    EXPECT_EQ(select.columnString(4), r.s ? "text" : "null");
    EXPECT_EQ(select.columnString(5), r.b ? "blob" : "null");
    EXPECT_FALSE(select.next());
    EXPECT_FALSE(select.failed());
  }

  // The hostile text is data: it matches only itself.
  Statement find = db.prepare("select count(*) from t where s = ?;");
  find.bind(1, hostile);
  ASSERT_TRUE(find.next());
  EXPECT_EQ(find.columnInt(0), 1);
  find.reset();
  find.bind(1, "x' OR '1'='1");
  ASSERT_TRUE(find.next());
  EXPECT_EQ(find.columnInt(0), 0);

  // clearBindings() turns every parameter back into NULL.
  find.reset();
  find.clearBindings();
  Statement isNull = db.prepare("select ? is null;");
  isNull.bind(1, "v");
  isNull.clearBindings();
  ASSERT_TRUE(isNull.next());
  EXPECT_EQ(isNull.columnInt(0), 1);
}

TEST_F(DatabaseTest, FailuresAreReportedAsCodesAndText) {
  Database db;
  EXPECT_EQ(db.exec("create table t (x);"), SQLITE_MISUSE);  // not open
  EXPECT_FALSE(db.prepare("select 1;"));

  EXPECT_NE(db.open((dir_ / "missing" / "x.db").string()), SQLITE_OK);
  EXPECT_FALSE(db.isOpen());
  EXPECT_FALSE(db.lastError().empty());

  ASSERT_EQ(db.open(path_), SQLITE_OK);
  // Connections run in serialized mode: each has its own mutex.
  EXPECT_NE(sqlite3_db_mutex(db.handle()), nullptr);

  Statement bad = db.prepare("selec nothing;");
  EXPECT_FALSE(bad);
  EXPECT_NE(db.lastError().find("syntax error"), std::string::npos) << db.lastError();
  EXPECT_FALSE(bad.execute());
  EXPECT_EQ(bad.lastCode(), SQLITE_MISUSE);

  ASSERT_EQ(db.exec("create table t (id text primary key);"), SQLITE_OK);
  EXPECT_EQ(db.exec("create table t (id text primary key);"), SQLITE_ERROR);
  EXPECT_NE(db.lastError().find("already exists"), std::string::npos);

  Statement insert = db.prepare("insert into t (id) values (?);");
  insert.bind(1, "a");
  EXPECT_TRUE(insert.execute());
  // A constraint violation is a failed write, and the statement stays usable.
  EXPECT_FALSE(insert.execute());
  EXPECT_EQ(insert.lastCode(), SQLITE_CONSTRAINT);
  EXPECT_NE(insert.errorMessage().find("UNIQUE"), std::string::npos) << insert.errorMessage();
  insert.bind(1, "b");
  EXPECT_TRUE(insert.execute());

  // A statement that yields a row is not a successful write.
  Statement select = db.prepare("select id from t;");
  EXPECT_FALSE(select.execute());
  EXPECT_EQ(select.lastCode(), SQLITE_ROW);

  // Another connection holding the write lock: the write reports SQLITE_BUSY.
  Database other;
  ASSERT_EQ(other.open(path_), SQLITE_OK);
  ASSERT_EQ(other.exec("begin immediate;"), SQLITE_OK);
  insert.bind(1, "c");
  EXPECT_FALSE(insert.execute());
  EXPECT_EQ(insert.lastCode(), SQLITE_BUSY);
  EXPECT_EQ(db.exec("insert into t values ('d');"), SQLITE_BUSY);
  EXPECT_NE(db.lastError().find("locked"), std::string::npos) << db.lastError();
  ASSERT_EQ(other.exec("commit;"), SQLITE_OK);
  EXPECT_TRUE(insert.execute()) << insert.errorMessage();
}

TEST_F(DatabaseTest, TransactionRollsBackUnlessCommitted) {
  Database db;
  ASSERT_EQ(db.open(path_), SQLITE_OK);
  ASSERT_EQ(db.exec("create table t (v integer);"), SQLITE_OK);
  Statement insert = db.prepare("insert into t values (?);");
  auto count = [&] {
    Statement s = db.prepare("select count(*) from t;");
    return s.next() ? s.columnInt(0) : -1;
  };
  {
    Transaction tx(db);
    ASSERT_TRUE(tx.ok());
    for (int i = 0; i < 3; ++i) {
      insert.bind(1, i);
      ASSERT_TRUE(insert.execute());
    }
    EXPECT_EQ(count(), 3);
  }
  EXPECT_EQ(count(), 0);
  {
    Transaction tx(db);
    insert.bind(1, 7);
    ASSERT_TRUE(insert.execute());
    EXPECT_EQ(tx.commit(), SQLITE_OK);
    EXPECT_EQ(tx.commit(), SQLITE_MISUSE);  // already done
  }
  // A nested begin fails and its destructor must not roll back the outer transaction.
  {
    Transaction outer(db);
    insert.bind(1, 8);
    ASSERT_TRUE(insert.execute());
    {
      Transaction inner(db);
      EXPECT_FALSE(inner.ok());
      EXPECT_EQ(inner.commit(), SQLITE_MISUSE);
    }
    EXPECT_EQ(outer.commit(), SQLITE_OK);
  }
  db.close();
  ASSERT_EQ(db.open(path_), SQLITE_OK);
  EXPECT_EQ(count(), 2);
}

// A deferred commit lowers the sync level only for its own transaction and only in
// write-ahead-log mode; the connection's level comes back after commit, rollback and a begin
// that failed.
TEST_F(DatabaseTest, DeferredCommitLowersTheSyncLevelForItsTransactionOnly) {
  Database db;
  ASSERT_EQ(db.open(path_), SQLITE_OK);
  ASSERT_EQ(db.exec("create table t (v integer); pragma synchronous=full;"), SQLITE_OK);
  auto level = [&] {
    Statement s = db.prepare("pragma synchronous;");
    return s.next() ? s.columnInt(0) : -1;
  };
  Statement insert = db.prepare("insert into t values (?);");
  {
    // A rollback journal keeps the full level: a power cut there could tear the file.
    Transaction tx(db, Transaction::CommitSync::kDeferred);
    EXPECT_EQ(level(), 2);
    EXPECT_EQ(tx.commit(), SQLITE_OK);
  }
  ASSERT_EQ(db.exec("pragma journal_mode=wal; pragma synchronous=extra;"), SQLITE_OK);
  {
    Transaction tx(db, Transaction::CommitSync::kDeferred);
    ASSERT_TRUE(tx.ok());
    EXPECT_EQ(level(), 1);
    insert.bind(1, 1);
    ASSERT_TRUE(insert.execute());
    EXPECT_EQ(tx.commit(), SQLITE_OK);
    EXPECT_EQ(level(), 3);
  }
  {
    Transaction outer(db);
    {
      Transaction inner(db, Transaction::CommitSync::kDeferred);
      EXPECT_FALSE(inner.ok());
    }
    EXPECT_EQ(outer.commit(), SQLITE_OK);
  }
  EXPECT_EQ(level(), 3);
  ASSERT_EQ(db.exec("pragma synchronous=full;"), SQLITE_OK);
  {
    Transaction tx(db, Transaction::CommitSync::kDeferred);
    insert.bind(1, 2);
    ASSERT_TRUE(insert.execute());
  }
  EXPECT_EQ(level(), 2);
  {
    Transaction tx(db);
    EXPECT_EQ(level(), 2);
  }
  Statement count = db.prepare("select count(*) from t;");
  ASSERT_TRUE(count.next());
  EXPECT_EQ(count.columnInt(0), 1);
}

TEST_F(DatabaseTest, MissingColumnsAreAddedAtOpen) {
  const std::vector<std::string> definitions = {
      "id text primary key", "entry_id text", "readstatus interger", "data blob",
      "data_len interger", "username text"};
  {
    Database db;
    ASSERT_EQ(db.open(path_), SQLITE_OK);
    // A table written by an older version: fewer columns, names in another case.
    ASSERT_EQ(db.exec("create table fields (ID text primary key, Entry_Id text, data blob);"),
              SQLITE_OK);
    Statement s = db.prepare("insert into fields (id, entry_id) values (?, ?);");
    s.bind(1, "row");
    s.bind(2, "e1");
    ASSERT_TRUE(s.execute());
  }
  Database db;
  ASSERT_EQ(db.open(path_), SQLITE_OK);
  EXPECT_EQ(db.columnNames("fields"),
            (std::vector<std::string>{"ID", "Entry_Id", "data"}));
  EXPECT_EQ(db.missingColumns("fields", definitions),
            (std::vector<std::string>{"readstatus interger", "data_len interger", "username text"}));

  std::vector<std::string> errors;
  std::vector<std::string> withBad = definitions;
  withBad.insert(withBad.begin() + 3, "broken type (");
  EXPECT_EQ(db.addMissingColumns("fields", withBad,
                                 [&](const std::string& e) { errors.push_back(e); }),
            3);
  ASSERT_EQ(errors.size(), 1u);  // the bad one is reported, the ones after it still added
  EXPECT_EQ(db.columnNames("fields"),
            (std::vector<std::string>{"ID", "Entry_Id", "data", "readstatus", "data_len",
                                      "username"}));
  // Existing rows keep their values; the new columns are NULL.
  Statement s = db.prepare("select entry_id, readstatus from fields where id = ?;");
  s.bind(1, "row");
  ASSERT_TRUE(s.next());
  EXPECT_EQ(s.columnText(0), "e1");
  EXPECT_EQ(s.columnText(1), std::nullopt);

  EXPECT_EQ(db.addMissingColumns("fields", definitions), 0);  // nothing left to add
  EXPECT_TRUE(db.columnNames("no_such_table").empty());
}

// A file SQLite would write that has a second name (a hard link: to a file outside the home, or
// a backup tool's) is never written through: the store, its rollback journal and its
// shared-memory index are each first replaced by a copy of one name, the store's rows kept and
// the other names' files left as they were; each is reported. A name added while the store is
// open does not split it between two connections.
TEST_F(DatabaseTest, FilesOfTwoNamesAreNeverWrittenThrough) {
  namespace fs = std::filesystem;
  std::mutex reportsLock;
  std::vector<std::string> reports;
  FolderHandle::setReporter([&](const std::string& line) {
    std::lock_guard<std::mutex> lock(reportsLock);
    reports.push_back(line);
  });
  struct ReporterReset {
    ~ReporterReset() { FolderHandle::setReporter(nullptr); }
  } reporterReset;
  auto reported = [&](const std::string& text) {
    std::lock_guard<std::mutex> lock(reportsLock);
    for (const std::string& line : reports) {
      if (line.find(text) != std::string::npos) return true;
    }
    return false;
  };
  auto count = [](Database& db) {
    Statement s = db.prepare("select count(*) from t;");
    return s.next() ? s.columnInt(0) : -1;
  };
  auto insert = [](Database& db, int v) {
    Statement s = db.prepare("insert into t values (?);");
    s.bind(1, v);
    return s.execute();
  };
  {
    Database db;
    ASSERT_EQ(db.open(path_), SQLITE_OK);
    ASSERT_EQ(db.exec("create table t (v integer);"), SQLITE_OK);
    ASSERT_TRUE(insert(db, 1));
  }

  // The store itself, linked from outside: its rows survive, the outside file never changes.
  const fs::path outside = dir_ / "outside";
  fs::create_directories(outside);
  fs::create_hard_link(path_, outside / "store.db");
  const std::string before = TestFiles::read(outside / "store.db");
  {
    Database db;
    ASSERT_EQ(db.open(path_), SQLITE_OK) << db.lastError();
    EXPECT_EQ(count(db), 1);
    ASSERT_TRUE(insert(db, 2));
    EXPECT_EQ(count(db), 2);
  }
  EXPECT_EQ(TestFiles::read(outside / "store.db"), before);
  EXPECT_EQ(fs::hard_link_count(path_), 1u);
  EXPECT_TRUE(reported(path_ + " had 2 names, replaced by a copy of its own"));

  // A rollback journal's place taken by an outside file (not a hot journal: its first byte is 0).
  const std::string journalText("\0the reader's notes, not a journal", 34);
  TestFiles::write(outside / "notes", journalText);
  fs::create_hard_link(outside / "notes", path_ + "-journal");
  {
    Database db;
    ASSERT_EQ(db.open(path_), SQLITE_OK);
    ASSERT_TRUE(insert(db, 3));
    EXPECT_EQ(count(db), 3);
  }
  EXPECT_EQ(TestFiles::read(outside / "notes"), journalText);

  // A shared-memory index's place taken by an outside file: a first connection empties it.
  TestFiles::write(outside / "index", "the reader's index");
  fs::create_hard_link(outside / "index", path_ + "-shm");
  {
    Database db;
    ASSERT_EQ(db.open(path_), SQLITE_OK);
    ASSERT_EQ(db.exec("pragma journal_mode=wal;"), SQLITE_OK);
    ASSERT_TRUE(insert(db, 4));
    EXPECT_EQ(count(db), 4);
  }
  EXPECT_EQ(TestFiles::read(outside / "index"), "the reader's index");

  // A backup tool links the store while two connections use it: they still share one file.
  Database first;
  ASSERT_EQ(first.open(path_), SQLITE_OK);
  EXPECT_EQ(count(first), 4);
  fs::create_hard_link(path_, outside / "backup.db");
  Database second;
  ASSERT_EQ(second.open(path_), SQLITE_OK);
  ASSERT_TRUE(insert(second, 5));
  EXPECT_EQ(count(first), 5);
  ASSERT_TRUE(insert(first, 6));
  EXPECT_EQ(count(second), 6);
  EXPECT_EQ(fs::hard_link_count(path_), 2u);
}

TEST_F(DatabaseTest, StatementMayOutliveItsDatabase) {
  Statement s;
  {
    Database db;
    ASSERT_EQ(db.open(path_), SQLITE_OK);
    s = db.prepare("select 5;");
  }
  ASSERT_TRUE(s.next());
  EXPECT_EQ(s.columnInt(0), 5);
}

}  // namespace
}  // namespace zu
