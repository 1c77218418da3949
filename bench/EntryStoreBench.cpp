// Entry store: EntryPersistenter against plain sqlite3 code doing the same work on the same
// input in the same run, on real files in a temporary home.
//
//   Insert: 5,000 columns stored as one column refresh (insertEntries: one transaction; the
//     user's largest order number read once, then one insert per row). The reference runs the
//     same statements through sqlite3 directly, building the same stored entry XML and row key,
//     on a table with the same indexes.
//   Page:   the first and the last page of 20 of 50,000 favourites read through local URLs
//     (count, page query, parsing each row's XML). The reference runs the same two statements
//     on the same file (so on the same indexed table) and the same parser.
//
// Repetitions run interleaved; medians are compared. Prints rows per second of each, the ratio
// ours / raw, and how much dearer the last page is than the first. A store that committed each
// row on its own would show a few hundred rows per second on the insert; one whose page cost
// grows with the offset shows a last page many times the first.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/CommInfo.h"
#include "model/columns/Column.h"
#include "model/entry/Entry.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/service/VeskEntryStatus.h"
#include "model/atom/VESKAtomBuilder.h"
#include "model/atom/VESKAtomDataStuffer.h"
#include "model/atom/VESKAtomParser.h"
#include "platform/crypto/Md5.h"
#include "platform/runtime/Paths.h"
#include "store/EntryPersistenter.h"

#include "RatioReporter.h"

namespace {

constexpr int kRows = 5000;          // one column refresh
constexpr int kFavoriteRows = 50000;  // the favourites paged through
constexpr int kPage = 20;
constexpr const char* kUser = "bench";

std::vector<std::shared_ptr<zu::Entry>> makeColumns(int rows) {
  std::vector<std::shared_ptr<zu::Entry>> out;
  for (int i = 0; i < rows; ++i) {
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
  std::vector<std::shared_ptr<zu::Entry>> entries = makeColumns(kRows);
  std::shared_ptr<zu::EntryPersistenter> subs;
  std::shared_ptr<zu::EntryPersistenter> favs;

  Fixture() {
    char pattern[] = "/tmp/zu-entrystore-bench-XXXXXX";
    home = mkdtemp(pattern);
    zu::Paths::setHomeForTesting(home);
    zu::CommInfo::setUsername(std::string(kUser));
    subs = zu::EntryPersistenter::initWithDBopen(zu::EntryPersistenter::kSourceSubscribe);
    favs = zu::EntryPersistenter::initWithDBopen(zu::EntryPersistenter::kSourceFavorite);
    if (!subs || !favs || !favs->insertEntries(makeColumns(kFavoriteRows))) {
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
BENCHMARK(BM_StoreInsertRefresh)->Repetitions(5)->Unit(benchmark::kMillisecond)->UseRealTime();

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
               "column_deleted_mark interger, book_updated_time interger);"
               "create index if not exists fields_user_name on fields (user_name);"
               "create index if not exists fields_user_id on fields (user_name, id);",
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
BENCHMARK(BM_RawInsertRefresh)->Repetitions(5)->Unit(benchmark::kMillisecond)->UseRealTime();

// Offset of the page a benchmark argument names: 0 the first, 1 the middle one, 2 the last.
int pageOffset(const benchmark::State& state) {
  const int lastPage = (kFavoriteRows - 1) / kPage;
  return static_cast<int>(state.range(0)) * lastPage / 2 * kPage;
}

void BM_StorePage(benchmark::State& state) {
  Fixture& f = fixture();
  const std::string url = "local://20/" + std::to_string(pageOffset(state));
  int64_t rows = 0;
  for (auto _ : state) {
    auto feed = f.favs->allocReadEntriesInFeed(url);
    rows += feed && feed->entrys() ? static_cast<int64_t>(feed->entrys()->size()) : 0;
  }
  if (rows != state.iterations() * kPage) state.SkipWithError("short page");
  state.SetItemsProcessed(rows);
}
BENCHMARK(BM_StorePage)->ArgName("page")->DenseRange(0, 2)->Repetitions(9)->MinTime(0.1)
    ->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_RawPage(benchmark::State& state) {
  Fixture& f = fixture();
  sqlite3* db = nullptr;
  sqlite3_open_v2(f.file("userFavorite.db").c_str(), &db,
                  SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr);
  sqlite3_stmt* count = nullptr;
  sqlite3_stmt* newest = nullptr;
  sqlite3_stmt* oldest = nullptr;
  sqlite3_prepare_v2(db, "select count(*) from fields where user_name=?", -1, &count, nullptr);
  sqlite3_prepare_v2(db,
                     "select id, title, entry_string from fields where user_name=? order by "
                     "rowid desc limit ? offset ?;",
                     -1, &newest, nullptr);
  sqlite3_prepare_v2(db,
                     "select id, title, entry_string from fields where user_name=? order by "
                     "rowid limit ? offset ?;",
                     -1, &oldest, nullptr);
  const int64_t offset = pageOffset(state);
  int64_t rows = 0;
  for (auto _ : state) {
    sqlite3_bind_text(count, 1, kUser, -1, SQLITE_TRANSIENT);
    int64_t total = sqlite3_step(count) == SQLITE_ROW ? sqlite3_column_int64(count, 0) : 0;
    sqlite3_reset(count);
    // The same choice as the store: past the middle, count from the oldest end.
    const int64_t end = std::min<int64_t>(total, offset + kPage);
    const bool fromOldest = total - end < offset;
    sqlite3_stmt* page = fromOldest ? oldest : newest;
    std::vector<std::shared_ptr<zu::Entry>> entries;
    sqlite3_bind_text(page, 1, kUser, -1, SQLITE_TRANSIENT);
    sqlite3_bind_int64(page, 2, fromOldest ? end - offset : kPage);
    sqlite3_bind_int64(page, 3, fromOldest ? total - end : offset);
    while (sqlite3_step(page) == SQLITE_ROW) {
      const char* xml = reinterpret_cast<const char*>(sqlite3_column_text(page, 2));
      auto entry = zu::VESKAtomParser::allocParseEntry(
          std::string_view(xml, sqlite3_column_bytes(page, 2)), zu::kEntryKindNewsSummary);
      if (entry && sqlite3_column_type(page, 1) != SQLITE_NULL) {
        entry->setTitle(std::string(reinterpret_cast<const char*>(sqlite3_column_text(page, 1))));
      }
      if (entry) entries.push_back(std::move(entry));
      ++rows;
    }
    sqlite3_reset(page);
    if (fromOldest) std::reverse(entries.begin(), entries.end());
    auto feed = std::make_shared<zu::Feed>();
    for (auto& entry : entries) feed->appendEntrys(std::move(entry));
    benchmark::DoNotOptimize(feed);
  }
  sqlite3_finalize(count);
  sqlite3_finalize(newest);
  sqlite3_finalize(oldest);
  sqlite3_close(db);
  state.SetItemsProcessed(rows);
}
BENCHMARK(BM_RawPage)->ArgName("page")->DenseRange(0, 2)->Repetitions(9)->MinTime(0.1)
    ->Unit(benchmark::kMicrosecond)->UseRealTime();

void printRatio(const char* what, double ours, double raw) {
  if (ours > 0 && raw > 0) {
    std::printf("%s: store %.0f rows/s, raw sqlite3 %.0f rows/s, ratio store/raw %.2f "
                "(target >= 0.80)\n",
                what, ours, raw, ours / raw);
  }
}

}  // namespace

int main(int argc, char** argv) {
  zu::initializeInterleaved(&argc, argv);
  zu::RatioReporter reporter;
  std::printf("insert: %d rows as one refresh; pages of %d out of %d favourites\n", kRows, kPage,
              kFavoriteRows);
  fixture();
  benchmark::RunSpecifiedBenchmarks(&reporter);
  printRatio("insert", reporter.rate("BM_StoreInsertRefresh"),
             reporter.rate("BM_RawInsertRefresh"));
  const char* names[] = {"first", "middle", "last"};
  for (int page = 0; page < 3; ++page) {
    const std::string arg = "/page:" + std::to_string(page);
    printRatio((std::string(names[page]) + " page").c_str(), reporter.rate("BM_StorePage" + arg),
               reporter.rate("BM_RawPage" + arg));
  }
  const double first = reporter.realTime("BM_StorePage/page:0");
  const double middle = reporter.realTime("BM_StorePage/page:1");
  const double last = reporter.realTime("BM_StorePage/page:2");
  if (first > 0 && middle > 0 && last > 0) {
    std::printf("page cost: first %.0f us, middle %.0f us, last %.0f us; last/first %.2f "
                "(target <= 2.00), middle/first %.2f\n",
                first, middle, last, last / first, middle / first);
  }
  benchmark::Shutdown();
  return 0;
}
