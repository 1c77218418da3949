// Comment: an Entry that is one comment. Only the Entry fields are archived (its own fields are
// local state and come back as on a new object); it is restored as a Comment. Threads and sharing
// as for Entry.
#pragma once

#include <cstdint>
#include <string>

#include "model/entry/Entry.h"

namespace zu {

class Comment : public Entry {
 public:
  bool needUpdate() const { return needUpdate_; }
  void setNeedUpdate(bool v) { needUpdate_ = v; }

  std::string archiveClassName() const override;

 private:
  bool needUpdate_ = false;
};

}  // namespace zu
