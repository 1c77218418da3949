// LocalUpdateEntryTask: rewrites the entry's row in a local entry store with the title
// given. One of the local entry tasks (see LocalEntryTask), run on
// the "task" thread.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "engine/tasks/articles/LocalEntryTask.h"

namespace zu {

class LocalUpdateEntryTask : public LocalEntryTask {
 public:
  LocalUpdateEntryTask(std::shared_ptr<EntryPersistenter> store, std::shared_ptr<Entry> entry,
                       std::optional<std::string> customName)
      : LocalEntryTask(Operation::kUpdate, std::move(store), std::move(entry),
                       std::move(customName)) {}
};

}  // namespace zu
