// SkippedTestLog: a test event listener, linked into every test binary, that notes each skipped
// test (GTEST_SKIP) with its reason in the file named by $ZU_SKIPPED_LOG, one line a test
// ("<binary> <Suite.Test>: <reason>"), so a run of many processes (ctest, one process a test or a
// binary at a time) can say how many tests were skipped and which. Without $ZU_SKIPPED_LOG it
// does nothing. The listener registers itself as the binary starts (see the .cpp); it runs on the
// thread that runs the tests. Lines are appended with one write each, so processes running side
// by side do not mix them.
#pragma once

#include <gtest/gtest.h>

namespace zu::testing {

class SkippedTestLog : public ::testing::EmptyTestEventListener {
 public:
  void OnTestEnd(const ::testing::TestInfo& test) override;
};

}  // namespace zu::testing
