// LocalAddEntryTask: stores the entry in a local entry store (the name given is not
// stored). One of the local entry tasks (see LocalEntryTask), run on
// the "task" thread.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "engine/tasks/articles/LocalEntryTask.h"

namespace zu {

class LocalAddEntryTask : public LocalEntryTask {
 public:
  LocalAddEntryTask(std::shared_ptr<EntryPersistenter> store, std::shared_ptr<Entry> entry,
                    std::optional<std::string> customName = std::nullopt)
      : LocalEntryTask(Operation::kAdd, std::move(store), std::move(entry), std::move(customName)) {
  }
};

}  // namespace zu
