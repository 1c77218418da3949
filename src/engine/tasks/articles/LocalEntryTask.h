// LocalEntryTask: the base of the tasks that change a local entry store on the "task" thread,
// so that screens hear the end through the same observer as the network tasks:
// LocalAddEntryTask (insertEntry), LocalUpdateEntryTask (updateEntry with id, title and entry)
// and LocalDeleteEntryTask (deleteEntry by id). Each finishes with 0, or -1 when there is no
// store or the store refuses.
//
// Made on the favourites store for the guest's favourites, or a user's without network.
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

  void run() override;

 protected:
  // kAdd and kUpdate: the entry (and for kUpdate the title to store); kDelete: the id.
  LocalEntryTask(Operation operation, std::shared_ptr<EntryPersistenter> store,
                 std::shared_ptr<Entry> entry, std::optional<std::string> text);

 private:
  const Operation operation_;
  std::shared_ptr<EntryPersistenter> persistenter_;
  std::shared_ptr<Entry> entry_;
  // The name for kAdd (not stored), the title for kUpdate, the id for kDelete.
  std::optional<std::string> text_;
};

}  // namespace zu
