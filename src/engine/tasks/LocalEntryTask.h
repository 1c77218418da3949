// LocalEntryTask: one change of a local entry store run as a task on the "task" thread, so that
// screens hear its end through the same observer as the network tasks: add an entry
// (kAdd: insertEntry), rewrite it under a title (kUpdate: updateEntry with id, title and entry)
// or delete it by id (kDelete). Finishes with 0, or -1 when there is no store or the store
// refuses.
//
// Made by the favourites factories (the guest's favourites, or a user's without network) on
// the favourites store.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "engine/core/Task.h"

namespace zu {

class Entry;
class EntryPersistenter;

class LocalEntryTask : public Task {
 public:
  enum class Operation { kAdd, kUpdate, kDelete };

  // kAdd and kUpdate: the entry (and for kUpdate the title to store); kDelete: the id.
  static std::shared_ptr<LocalEntryTask> add(std::shared_ptr<EntryPersistenter> store,
                                             std::shared_ptr<Entry> entry);
  static std::shared_ptr<LocalEntryTask> update(std::shared_ptr<EntryPersistenter> store,
                                                std::shared_ptr<Entry> entry,
                                                std::optional<std::string> customName);
  static std::shared_ptr<LocalEntryTask> remove(std::shared_ptr<EntryPersistenter> store,
                                                std::optional<std::string> entryId);

  LocalEntryTask(Operation operation, std::shared_ptr<EntryPersistenter> store,
                 std::shared_ptr<Entry> entry, std::optional<std::string> text);

  void run() override;

 private:
  const Operation operation_;
  std::shared_ptr<EntryPersistenter> persistenter_;
  std::shared_ptr<Entry> entry_;
  // The title for kUpdate, the id for kDelete.
  std::optional<std::string> text_;
};

}  // namespace zu
