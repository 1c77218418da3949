#include "store/BookPersistenter.h"

#include <string>
#include <string_view>
#include <utility>

#include "common/CommInfo.h"
#include "common/Log.h"
#include "model/entry/Entry.h"
#include "model/atom/VESKAtomBuilder.h"
#include "model/atom/VESKAtomDataStuffer.h"
#include "model/atom/VESKAtomParser.h"

namespace zu {
namespace {

constexpr const char* kCreate =
    "create table if not exists booksubscribe (id text primary key, entry_id text, data blob, "
    "data_len interger, username text);";

const std::vector<std::string>& definitions() {
  static const std::vector<std::string> defs = {"id text primary key", "entry_id text",
                                                "data blob", "data_len interger",
                                                "username text"};
  return defs;
}

constexpr const char* kInsert =
    "insert or replace into booksubscribe (id, entry_id, data, data_len, username) values (?, "
    "?, ?, ?, ?);";
constexpr const char* kDelete = "delete from booksubscribe where entry_id=? and username=?;";
constexpr const char* kExist =
    "select entry_id from booksubscribe where entry_id=? and username=?;";
constexpr const char* kRead =
    "select data, data_len from booksubscribe where entry_id=? and username=?;";
constexpr const char* kReadAll = "select data, data_len from booksubscribe where username=?;";

// The stored entry XML of a row (cut to data_len when that is shorter), parsed as a Column.
std::shared_ptr<Entry> parseRow(const Statement& s) {
  Bytes data = s.columnBlob(0).value_or(Bytes());
  int64_t len = s.columnInt64(1);
  if (len >= 0 && static_cast<uint64_t>(len) < data.size()) data.resize(static_cast<size_t>(len));
  std::string_view xml(reinterpret_cast<const char*>(data.data()), data.size());
  return VESKAtomParser::allocParseEntry(xml, kEntryKindColumn);
}

}  // namespace

BookPersistenter::BookPersistenter(std::shared_ptr<Database> database,
                                   std::shared_ptr<std::mutex> databaseCondition)
    : BookStore(std::move(database), std::move(databaseCondition), "BookPersistenter") {
  VESKLogImpl("BookPersistenter: createTable");
  createTable(kCreate, "BookPersistenter: Error creating table", "booksubscribe", definitions());
}

bool BookPersistenter::insert(const std::shared_ptr<Entry>& entry) {
  Text user = CommInfo::getUsername();
  if (!entry || !entry->entryId() || !user) return false;
  // Written as the stored entry XML that read() parses.
  std::optional<Bytes> xml = VESKAtomBuilder::allocEntryToXML(entry.get());
  if (!xml) return false;
  std::lock_guard<std::mutex> lock(*databaseCondition_);
  Use s = use(kInsert);
  if (!s) return false;
  s->bind(1, rowId({*entry->entryId(), *user}));
  s->bind(2, *entry->entryId());
  s->bind(3, *xml);
  s->bind(4, static_cast<int64_t>(xml->size()));
  s->bind(5, *user);
  if (!s->execute()) {
    VESKLogImpl("BookPersistenter: failed to insert into the database");
    return false;
  }
  return true;
}

bool BookPersistenter::deleteEntry(const Text& entryId) {
  VESKLogImpl("BookPersistenter: delete id: %s", cstr(entryId));
  return deleteOwnRows(kDelete, {entryId});
}

bool BookPersistenter::isExist(const Text& entryId) {
  Text user = CommInfo::getUsername();
  bool found = false;
  query(
      kExist,
      [&](Statement& s) {
        s.bind(1, entryId);
        s.bind(2, user);
      },
      [&](const Statement&) { found = true; });
  return found;
}

std::shared_ptr<Entry> BookPersistenter::read(const Text& entryId) {
  Text user = CommInfo::getUsername();
  std::shared_ptr<Entry> entry;
  bool first = true;
  query(
      kRead,
      [&](Statement& s) {
        s.bind(1, entryId);
        s.bind(2, user);
      },
      [&](const Statement& s) {
        if (first) entry = parseRow(s);
        first = false;
      });
  return entry;
}

std::vector<std::shared_ptr<Entry>> BookPersistenter::readAll() {
  Text user = CommInfo::getUsername();
  std::vector<std::shared_ptr<Entry>> entries;
  query(
      kReadAll, [&](Statement& s) { s.bind(1, user); },
      [&](const Statement& s) {
        if (auto entry = parseRow(s)) entries.push_back(std::move(entry));
      });
  return entries;
}

}  // namespace zu
