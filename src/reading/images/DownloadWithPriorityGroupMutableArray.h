// DownloadWithPriorityGroupMutableArray: one priority group of a download session, an ordered
// list of images at one level (3 "now", 2 "next", 1 former "now", 0 background). It keeps the
// membership invariant: an object is in at most one group, and while it is, its level is that
// group's; an object that is downloaded (or has a null URL) never joins a group.
//
// Threads: the session's thread only. Objects are compared by identity.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "reading/images/DownloadWithPriorityGroupObject.h"

namespace zu {

class DownloadWithPriorityGroupMutableArray {
 public:
  using ObjectPtr = std::shared_ptr<DownloadWithPriorityGroupObject>;
  // The session's groups, the group at index n having level n.
  using Groups = std::array<std::shared_ptr<DownloadWithPriorityGroupMutableArray>, 4>;

  explicit DownloadWithPriorityGroupMutableArray(int priorityLevel)
      : priorityLevel_(priorityLevel) {}

  int priorityLevel() const { return priorityLevel_; }
  const std::vector<ObjectPtr>& myArray() const { return myArray_; }
  bool contains(const ObjectPtr& object) const;

  // Appends the object unless it is downloaded (a null URL counts as downloaded from here on);
  // an object already held only takes the group's level.
  void addObject(const ObjectPtr& object);
  // Takes the object out of the group of its current level first.
  void addObjectWithRemoveFromOthers(const ObjectPtr& object, const Groups& groups);
  // Removed objects get level -1.
  void removeObject(const ObjectPtr& object);
  void removeObjectAtIndex(size_t index);
  void removeAllObjects();
  // Empties the group into `target`, front first; an object whose level is not this group's is
  // dropped.
  void moveAllObjectsToArray(DownloadWithPriorityGroupMutableArray& target);
  // When the group holds the object: removes it and, unless `downloaded`, adds it to `target`.
  void removeObjectOrMoveToArray(const ObjectPtr& object,
                                 DownloadWithPriorityGroupMutableArray& target, bool downloaded);

 private:
  std::vector<ObjectPtr> myArray_;
  int priorityLevel_;
};

}  // namespace zu
