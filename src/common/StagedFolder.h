// StagedFolder: replaces the contents of a folder in one step, so that readers of the folder see
// either the old contents whole or the new ones whole, never a mix, and a failure part way
// leaves nothing behind. The book download unpacks a package through it.
//
// Use: construct with the target folder, begin(), write the new files below path() (the staging
// folder "<target>.staging" beside the target, on the same file system), then commit(). commit()
// first carries over the target's files that the staging folder does not have (hard links, or
// copies where links cannot be made), so that what the new contents do not replace stays, as an
// in-place overwrite would have left it; then it swaps the two folders atomically (renameat2's
// exchange; on a file system without it, the target is renamed to "<target>.old", the staging
// folder into its place, and the old one back should that fail) and removes the old contents.
// Without a commit (a failed write, abandon(), destruction) the staging folder is removed and
// the target is as it was.
//
// begin() also cleans up after a process killed mid-way: a leftover staging folder is removed,
// and a target found missing beside its "<target>.old" is put back first.
//
// Not thread-safe; one user of a target at a time. Paths are UTF-8.
#pragma once

#include <string>

namespace zu {

class StagedFolder {
 public:
  // `target` may end in '/'.
  explicit StagedFolder(std::string target);
  ~StagedFolder();
  StagedFolder(const StagedFolder&) = delete;
  StagedFolder& operator=(const StagedFolder&) = delete;

  // Makes an empty staging folder. False when it cannot be made.
  bool begin();
  // The staging folder, ending in '/'.
  std::string path() const { return staging_ + "/"; }
  // Puts the staged contents in place (see above). False, with the target as it was and the
  // staging folder removed, when any step fails.
  bool commit();
  // Removes the staging folder.
  void abandon();

  // Removes what an unpack into `target` may have left beside it (the staging folder and the
  // old contents of an interrupted swap), for a target that is being deleted.
  static void removeLeftovers(std::string target);

 private:
  std::string target_;   // without a trailing '/'
  std::string staging_;  // target_ + ".staging"
  std::string old_;      // target_ + ".old"
  bool begun_ = false;
};

}  // namespace zu
