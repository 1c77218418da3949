// Entry store: EntryPersistenter against plain sqlite3 code doing the same work on the same
// input in the same run, on real files in a temporary home.
//
//   Insert: 5,000 columns stored as one column refresh (insertEntries: one transaction; the
//     user's largest order number read once, then one insert per row). The reference runs the
//     same statements through sqlite3 directly, building the same stored entry XML and row key.
//   Page:   pages of 20 favourites read through local URLs (count, page query, parsing each
//     row's XML). The reference runs the same two statements and the same parser.
//
// Prints rows per second of each and the ratio ours / raw. A store that committed each row
// on its own would show a few hundred rows per second on the insert.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/CommInfo.h"
#include "model/Column.h"
#include "model/Entry.h"
#include "model/Feed.h"
#include "model/Link.h"
#include "model/VeskEntryStatus.h"
#include "model/atom/VESKAtomBuilder.h"
#include "model/atom/VESKAtomDataStuffer.h"
#include "model/atom/VESKAtomParser.h"
#include "platform/crypto/Md5.h"
#include "platform/runtime/Paths.h"
#include "store/EntryPersistenter.h"

#include "RatioReporter.h"

namespace {

constexpr int kRows = 5000;
constexpr int kPage = 20;
constexpr const char* kUser = "bench";

std::vector<std::shared_ptr<zu::Entry>> makeColumns() {
  std::vector<std::shared_ptr<zu::Entry>> out;
  for (int i = 0; i < kRows; ++i) {
    auto c = std::make_shared<zu::Column>();
    c->setEntryId("urn:vesk:column:" + std::to_string(100000 + i));
    c->setTitle("Column " + std::to_string(i) + " — it's news");
    c->setSummary("A column about the things that happened today, with a summary long enough "
                  "to look like the ones the service sends for its list of columns.");
    c->setUpdated(1700000000000 + i * 1000LL);
    auto link = std::make_shared<zu::Link>();
    link->setHref("http://svc.example/column/" + std::to_string(i));
    link->setType("text/html");
    c->setAlternatelink(link);
    auto status = std::make_shared<zu::VeskEntryStatus>();
    status->setType(i % 9);
    c->setVeskEntryStatus(status);
    std::string aid = "a";
    aid += std::to_string(i);
    c->setLatestaid(std::move(aid));
    out.push_back(std::move(c));
  }
  return out;
}

struct Fixture {
  std::filesystem::path home;
  std::vector<std::shared_ptr<zu::Entry>> entries = makeColumns();
  std::shared_ptr<zu::EntryPersistenter> subs;
  std::shared_ptr<zu::EntryPersistenter> favs;

  Fixture() {
    char pattern[] = "/tmp/zu-entrystore-bench-XXXXXX";
    home = mkdtemp(pattern);
    zu::Paths::setHomeForTesting(home);
    zu::CommInfo::setUsername(std::string(kUser));
    subs = zu::EntryPersistenter::initWithDBopen(zu::EntryPersistenter::kSourceSubscribe);
    favs = zu::EntryPersistenter::initWithDBopen(zu::EntryPersistenter::kSourceFavorite);
    if (!subs || !favs || !favs->insertEntries(entries)) {
      std::fprintf(stderr, "cannot set up the stores\n");
      std::exit(1);
    }
  }
  ~Fixture() {
    subs.reset();
    favs.reset();
    zu::Paths::resetHomeForTesting();
    std::error_code ec;
    std::filesystem::remove_all(home, ec);
  }
  std::string file(const char* name) const { return (home / "Documents/userEntry" / name).string(); }
};

Fixture& fixture() {
  static Fixture f;
  return f;
}

void BM_StoreInsertRefresh(benchmark::State& state) {
  Fixture& f = fixture();
  for (auto _ : state) {
    state.PauseTiming();
    f.subs->clearEntry();
    state.ResumeTiming();
    if (!f.subs->insertEntries(f.entries)) state.SkipWithError("insertEntries failed");
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_StoreInsertRefresh)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RawInsertRefresh(benchmark::State& state) {
  Fixture& f = fixture();
  sqlite3* db = nullptr;
  sqlite3_open_v2(f.file("rawSubscribe.db").c_str(), &db,
                  SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
  sqlite3_exec(db,
               "create table if not exists fields (pk text primary key, id text, title text, "
               "updated interger, entry_string text, last_cache_time interger, user_name text, "
               "source_saved_time interger, order_id interger, need_offline_download interger, "
               "column_lastest_showed_summary_id text, column_lastest_summary_id text, "
               "column_deleted_mark interger, book_updated_time interger);",
               nullptr, nullptr, nullptr);
  sqlite3_stmt* maxOrder = nullptr;
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, "select max(order_id) from fields where user_name=?;", -1, &maxOrder,
                     nullptr);
  sqlite3_prepare_v2(db,
                     "insert or replace into fields (pk, id, title, updated, entry_string, "
                     "last_cache_time, user_name, order_id, need_offline_download) values (?, "
                     "?, ?, ?, ?, ?, ?, ?, 0);",
                     -1, &insert, nullptr);
  for (auto _ : state) {
    state.PauseTiming();
    sqlite3_exec(db, "delete from fields;", nullptr, nullptr, nullptr);
    state.ResumeTiming();
    sqlite3_exec(db, "begin", nullptr, nullptr, nullptr);
    sqlite3_bind_text(maxOrder, 1, kUser, -1, SQLITE_TRANSIENT);
    int64_t order = sqlite3_step(maxOrder) == SQLITE_ROW ? sqlite3_column_int64(maxOrder, 0) : 0;
    sqlite3_reset(maxOrder);
    for (const auto& e : f.entries) {
      std::optional<zu::Bytes> xml = zu::VESKAtomBuilder::allocEntryToXML(e.get());
      std::string text(xml->begin(), xml->end());
      std::string pk = zu::crypto::Md5::hexUpper(*e->entryId() + "----" + kUser);
      sqlite3_bind_text(insert, 1, pk.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(insert, 2, e->entryId()->c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(insert, 3, e->title()->c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_int64(insert, 4, e->updated());
      sqlite3_bind_text(insert, 5, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
      sqlite3_bind_int64(insert, 6, 1700000000000);
      sqlite3_bind_text(insert, 7, kUser, -1, SQLITE_TRANSIENT);
      sqlite3_bind_int64(insert, 8, ++order);
      if (sqlite3_step(insert) != SQLITE_DONE) state.SkipWithError("insert failed");
      sqlite3_reset(insert);
    }
    sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
  }
  sqlite3_finalize(maxOrder);
  sqlite3_finalize(insert);
  sqlite3_close(db);
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_RawInsertRefresh)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StorePage20(benchmark::State& state) {
  Fixture& f = fixture();
  int offset = 0;
  int64_t rows = 0;
  for (auto _ : state) {
    auto feed = f.favs->allocReadEntriesInFeed("local://20/" + std::to_string(offset));
    rows += feed && feed->entrys() ? static_cast<int64_t>(feed->entrys()->size()) : 0;
    offset = (offset + kPage) % kRows;
  }
  state.SetItemsProcessed(rows);
}
BENCHMARK(BM_StorePage20);

void BM_RawPage20(benchmark::State& state) {
  Fixture& f = fixture();
  sqlite3* db = nullptr;
  sqlite3_open_v2(f.file("userFavorite.db").c_str(), &db,
                  SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr);
  sqlite3_stmt* count = nullptr;
  sqlite3_stmt* page = nullptr;
  sqlite3_prepare_v2(db, "select count(*) from fields where user_name=?", -1, &count, nullptr);
  sqlite3_prepare_v2(db,
                     "select id, title, entry_string from fields where user_name=? order by "
                     "rowid desc limit ? offset ?;",
                     -1, &page, nullptr);
  int offset = 0;
  int64_t rows = 0;
  for (auto _ : state) {
    sqlite3_bind_text(count, 1, kUser, -1, SQLITE_TRANSIENT);
    int64_t total = sqlite3_step(count) == SQLITE_ROW ? sqlite3_column_int64(count, 0) : 0;
    sqlite3_reset(count);
    benchmark::DoNotOptimize(total);
    auto feed = std::make_shared<zu::Feed>();
    sqlite3_bind_text(page, 1, kUser, -1, SQLITE_TRANSIENT);
    sqlite3_bind_int(page, 2, kPage);
    sqlite3_bind_int(page, 3, offset);
    while (sqlite3_step(page) == SQLITE_ROW) {
      const char* xml = reinterpret_cast<const char*>(sqlite3_column_text(page, 2));
      auto entry = zu::VESKAtomParser::allocParseEntry(
          std::string_view(xml, sqlite3_column_bytes(page, 2)), zu::kEntryKindNewsSummary);
      if (entry && sqlite3_column_type(page, 1) != SQLITE_NULL) {
        entry->setTitle(std::string(reinterpret_cast<const char*>(sqlite3_column_text(page, 1))));
      }
      if (entry) feed->appendEntrys(std::move(entry));
      ++rows;
    }
    sqlite3_reset(page);
    offset = (offset + kPage) % kRows;
  }
  sqlite3_finalize(count);
  sqlite3_finalize(page);
  sqlite3_close(db);
  state.SetItemsProcessed(rows);
}
BENCHMARK(BM_RawPage20);

void printRatio(const char* what, double ours, double raw) {
  if (ours > 0 && raw > 0) {
    std::printf("%s: store %.0f rows/s, raw sqlite3 %.0f rows/s, ratio store/raw %.2f\n", what,
                ours, raw, ours / raw);
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  zu::RatioReporter reporter;
  std::printf("rows: %d (insert as one refresh), page size: %d\n", kRows, kPage);
  fixture();
  benchmark::RunSpecifiedBenchmarks(&reporter);
  printRatio("insert", reporter.rate("BM_StoreInsertRefresh"), reporter.rate("BM_RawInsertRefresh"));
  printRatio("page of 20", reporter.rate("BM_StorePage20"), reporter.rate("BM_RawPage20"));
  benchmark::Shutdown();
  return 0;
}
