#include "engine/tasks/articles/LocalEntryTask.h"

#include "engine/core/ErrorCodes.h"
#include "model/entry/Entry.h"
#include "store/EntryPersistenter.h"

namespace zu {

LocalEntryTask::LocalEntryTask(Operation operation, std::shared_ptr<EntryPersistenter> store,
                               std::shared_ptr<Entry> entry, std::optional<std::string> text)
    : operation_(operation),
      persistenter_(std::move(store)),
      entry_(std::move(entry)),
      text_(std::move(text)) {}

void LocalEntryTask::run() {
  Task::run();
  bool ok = false;
  if (persistenter_) {
    switch (operation_) {
      case Operation::kAdd:
        ok = persistenter_->insertEntry(entry_);
        break;
      case Operation::kUpdate:
        ok = entry_ && persistenter_->updateEntry(entry_->entryId(), text_, entry_);
        break;
      case Operation::kDelete:
        ok = persistenter_->deleteEntry(text_);
        break;
    }
  }
  if (ok) {
    done(kErrOk, std::nullopt);
  } else {
    done(kErrFail, ErrorGetDescription(kErrFail));
  }
}

}  // namespace zu
