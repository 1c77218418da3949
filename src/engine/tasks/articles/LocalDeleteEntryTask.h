// LocalDeleteEntryTask: deletes the row of the id from a local entry store. One of the local entry
// tasks (see LocalEntryTask), run on the "task" thread.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "engine/tasks/articles/LocalEntryTask.h"

namespace zu {

class LocalDeleteEntryTask : public LocalEntryTask {
 public:
  LocalDeleteEntryTask(std::shared_ptr<EntryPersistenter> store, std::optional<std::string> entryId)
      : LocalEntryTask(Operation::kDelete, std::move(store), nullptr, std::move(entryId)) {}
};

}  // namespace zu
