#include "reading/images/DownloadWithPriorityGroupMutableArray.h"

#include <algorithm>

namespace zu {

bool DownloadWithPriorityGroupMutableArray::contains(const ObjectPtr& object) const {
  return std::find(myArray_.begin(), myArray_.end(), object) != myArray_.end();
}

void DownloadWithPriorityGroupMutableArray::addObject(const ObjectPtr& object) {
  if (!object) return;
  if (contains(object)) {
    object->setPriorityLevel(priorityLevel_);
    return;
  }
  if (!object->url()) object->setDownloaded(true);
  if (object->downloaded()) {
    object->setPriorityLevel(-1);
    return;
  }
  object->setPriorityLevel(priorityLevel_);
  myArray_.push_back(object);
}

void DownloadWithPriorityGroupMutableArray::addObjectWithRemoveFromOthers(const ObjectPtr& object,
                                                                          const Groups& groups) {
  if (!object) return;
  const int level = object->priorityLevel();
  if (level >= 0 && level != priorityLevel_ && level < static_cast<int>(groups.size()) &&
      groups[level]) {
    groups[level]->removeObject(object);
  }
  addObject(object);
}

void DownloadWithPriorityGroupMutableArray::removeObject(const ObjectPtr& object) {
  auto it = std::find(myArray_.begin(), myArray_.end(), object);
  if (it == myArray_.end()) return;
  removeObjectAtIndex(static_cast<size_t>(it - myArray_.begin()));
}

void DownloadWithPriorityGroupMutableArray::removeObjectAtIndex(size_t index) {
  if (index >= myArray_.size()) return;
  myArray_[index]->setPriorityLevel(-1);
  myArray_.erase(myArray_.begin() + static_cast<ptrdiff_t>(index));
}

void DownloadWithPriorityGroupMutableArray::removeAllObjects() {
  for (const auto& object : myArray_) object->setPriorityLevel(-1);
  myArray_.clear();
}

void DownloadWithPriorityGroupMutableArray::moveAllObjectsToArray(
    DownloadWithPriorityGroupMutableArray& target) {
  while (!myArray_.empty()) {
    ObjectPtr object = myArray_.front();
    myArray_.erase(myArray_.begin());
    if (object->priorityLevel() == priorityLevel_) {
      target.addObject(object);
    }
  }
}

void DownloadWithPriorityGroupMutableArray::removeObjectOrMoveToArray(
    const ObjectPtr& object, DownloadWithPriorityGroupMutableArray& target, bool downloaded) {
  if (!contains(object)) return;
  removeObject(object);
  if (!downloaded) target.addObject(object);
}

}  // namespace zu
