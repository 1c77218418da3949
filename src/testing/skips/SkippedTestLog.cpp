#include "testing/skips/SkippedTestLog.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace zu::testing {

namespace {

std::string binaryName() {
  std::error_code ec;
  const auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string("?") : path.filename().string();
}

// Registered before main: every binary this is linked into reports its skips.
const bool kRegistered = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new SkippedTestLog);
  return true;
}();

}  // namespace

void SkippedTestLog::OnTestEnd(const ::testing::TestInfo& test) {
  const char* file = std::getenv("ZU_SKIPPED_LOG");
  if (!file || !*file || !test.result()->Skipped()) return;
  std::string reason;
  for (int i = 0; i < test.result()->total_part_count(); ++i) {
    const auto& part = test.result()->GetTestPartResult(i);
    if (part.skipped() && part.message()) reason = part.message();
  }
  for (char& c : reason) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  const std::string line = binaryName() + " " + test.test_suite_name() + "." + test.name() +
                           ": " + (reason.empty() ? std::string("skipped") : reason) + "\n";
  const int fd = ::open(file, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  const ssize_t written = ::write(fd, line.data(), line.size());
  (void)written;
  ::close(fd);
}

}  // namespace zu::testing
