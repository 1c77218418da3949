#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "model/columns/Column.h"
#include "model/columns/OfflineDownloadProgress.h"
#include "platform/runtime/RunLoop.h"
#include "platform/runtime/Thread.h"

namespace zu {
namespace {

TEST(OfflineDownloadProgressTest, CopyIsIndependentOfLaterReportsButSharesTheColumn) {
  OfflineDownloadProgress progress;
  auto column = std::make_shared<Column>();
  progress.setColumn(column);
  progress.setIndex(2);
  progress.setTotal(5);
  progress.setPercent(40);
  auto copy = progress.copy();

  // A traffic report reuses the record and leaves the progress fields as they were.
  progress.setIsFlowNotify(true);
  progress.setBytes(4096);
  EXPECT_EQ(progress.index(), 2);
  EXPECT_EQ(progress.column(), column);

  EXPECT_FALSE(copy->isFlowNotify());
  EXPECT_EQ(copy->bytes(), 0);
  EXPECT_EQ(copy->index(), 2);
  EXPECT_EQ(copy->total(), 5);
  EXPECT_EQ(copy->percent(), 40);
  EXPECT_EQ(copy->column(), column);  // shared, not copied
}

// The batch keeps updating one record on its own thread while the main thread reads the
// reports posted to it: each report read must hold the values it was posted with.
TEST(OfflineDownloadProgressTest, ReportsPostedAsCopiesKeepTheirValues) {
  constexpr int kReports = 200;
  auto mainLoop = RunLoop::current();
  std::vector<std::shared_ptr<OfflineDownloadProgress>> received;
  auto batch = Thread::start("task", [mainLoop, &received] {
    OfflineDownloadProgress progress;
    for (int i = 1; i <= kReports; ++i) {
      progress.setIsFlowNotify(i % 2 == 0);
      if (progress.isFlowNotify()) {
        progress.setBytes(i * 100);
      } else {
        progress.setIndex(i);
        progress.setTotal(kReports);
        progress.setPercent(i * 100 / kReports);
      }
      mainLoop->post([report = progress.copy(), &received] { received.push_back(report); });
    }
  });
  ASSERT_TRUE(mainLoop->runUntil([&] { return received.size() == kReports; }, 30));
  batch->stopAndJoin();
  for (int i = 1; i <= kReports; ++i) {
    const auto& report = *received[static_cast<size_t>(i - 1)];
    ASSERT_EQ(report.isFlowNotify(), i % 2 == 0) << i;
    if (report.isFlowNotify()) {
      EXPECT_EQ(report.bytes(), i * 100) << i;
      EXPECT_EQ(report.index(), i - 1) << i;  // left as the last progress report set it
    } else {
      EXPECT_EQ(report.index(), i) << i;
      EXPECT_EQ(report.percent(), i * 100 / kReports) << i;
    }
  }
}

}  // namespace
}  // namespace zu
