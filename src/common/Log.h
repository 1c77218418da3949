// The application's diagnostic log: one plain-text file "log.txt" in the caches folder, with
// one rotated predecessor "log_last.txt". Plain functions over state private to Log.cpp.
//
// VESKLogInit() is called first thing at launch and VESKLogUninit() last at termination, both
// on the main thread. VESKLogImpl() may be called from any thread at any time; before a
// successful init or after uninit it does nothing. Each call appends one line
//   "yyyy-MM-dd HH:mm:ss[<thread>]: <message>\r\n"
// where <thread> is the writing thread's name cut to 4 characters ("null" when unnamed), and
// the message's control characters are written as escapes (CR, LF, tab as \r, \n, \t; other
// C0 controls and DEL as \xHH; C1 and bidi controls as \uHHHH), so logged data can neither
// start a line of its own nor turn one around.
// Lines from different threads never interleave. When the file has grown past 2 MiB, the next
// line first moves it to "log_last.txt" (replacing the older one) and starts a fresh "log.txt".
// Both files are owner-only (0600, in the owner-only caches folder): the log is uploaded with a
// feedback message and must not be read by others. A link at "log.txt" is never written
// through: it is removed and a real file made. A log or previous log found at launch with more
// than one name (a hard link: the other may be a file outside the home) is neither appended to
// nor chmodded: it is set aside ("<name>.aside-XXXXXX", reported in the log) and the log started
// anew. The caches folder is reached from the home
// without following a link (Paths) and held open from init to uninit: the files are opened,
// rotated and chmodded relative to it, never through a link planted on the way.
// Between init and uninit the log takes FolderHandle's reports of entries of the home set aside
// (those of the launch before the log opened among them).
//
// The format is printf-style and must be a literal: pass logged text (object descriptions,
// server data) as "%s" arguments, never as the format itself.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace zu {

void VESKLogInit();
void VESKLogImpl(const char* format, ...) __attribute__((format(printf, 1, 2)));
void VESKLogUninit();

// Full path of the current log and of the previous one; nullopt outside init..uninit.
std::optional<std::string> VESKLogGetLogFilepath();
std::optional<std::string> VESKLogGetLastlogFilepath();

// Runs `body` with the two paths (as above) while the log is held still: no line is being
// written and no rotation happens until it returns, so a reader (the feedback's archive) copies
// both files whole. Lines `body` logs are written after it returns.
void VESKLogWithFilesLocked(
    const std::function<void(const std::optional<std::string>& log, const std::optional<std::string>& lastLog)>& body);

}  // namespace zu
