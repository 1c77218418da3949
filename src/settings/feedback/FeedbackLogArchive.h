// FeedbackLogArchive: packs the application's two log files into one zip archive for a feedback
// message — the current log as "log.txt" and the previous one as "log_last.txt" — and removes
// the archive once the feedback is done with it.
//
// The archive, "log.zip", is made in a folder of its own (0700, a unique name) inside the
// application home's own tmp folder (kept owner-only), never under a fixed name in a shared
// temporary directory, so no other user can read the log or plant a file there. The files are read while the log is held
// still (no line written, no rotation). A log file that does not exist (no previous log yet) is
// left out, and so is anything that is not a regular file itself — a link at the log's place is
// not followed (it would have the upload carry whatever it points at) — or a file of more than
// one name (a hard link, perhaps to a file outside the home; reported in the log); the archive
// still counts as made. When the archive cannot be created, written or
// closed, make() gives nullopt and leaves no file behind.
//
// Main thread (the feedback screen); one archive per object, removed by remove() or, at the
// latest, when the object dies.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace zu {

class FeedbackLogArchive {
 public:
  static constexpr const char* kLogEntryName = "log.txt";
  static constexpr const char* kLastLogEntryName = "log_last.txt";
  static constexpr const char* kArchiveName = "log.zip";
  static constexpr const char* kFolderPrefix = "feedback-";

  FeedbackLogArchive() = default;
  ~FeedbackLogArchive();
  FeedbackLogArchive(const FeedbackLogArchive&) = delete;
  FeedbackLogArchive& operator=(const FeedbackLogArchive&) = delete;

  // Makes the archive from the log's files; its path, or nullopt when it could not be made.
  std::optional<std::string> make();
  // Makes the archive from the given files (make() passes the log's); a missing path or file is
  // left out.
  std::optional<std::string> make(const std::optional<std::string>& log, const std::optional<std::string>& lastLog);
  // Deletes the archive made, and its folder, if any.
  void remove();
  // Deletes the archives a run that ended before it removed them (a kill) left in the home's tmp
  // folder: each folder named as make() names its own ("feedback-" and six letters or digits)
  // that holds nothing but an archive; reported. For a launch. The number removed.
  static size_t removeLeftovers();

  const std::optional<std::string>& path() const { return path_; }

 private:
  std::optional<std::string> folder_;
  std::optional<std::string> path_;
};

}  // namespace zu
