// The font pack download and the cache cleaning against the sample service's engine, through
// the application observer: a pack cut on its way is resumed, checked and chosen; a filled
// reading cache is emptied.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "SampleNotices.h"
#include "engine/cache/FileCache.h"
#include "engine/core/EngineTestSupport.h"
#include "engine/http/HttpDataEngine.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/views/Label.h"
#include "settings/SettingsNibs.h"
#include "settings/clean/MSCacheclean.h"
#include "settings/fonts/MSFontDownload.h"
#include "settings/progress/PBProgressBar.h"
#include "shell/app/MSFontStyle.h"
#include "shell/app/Observer.h"
#include "shell/app/ShellTestSupport.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {
namespace {

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ProgressFlowsServiceTest : public testing::ConnectedEngineFixture {
 protected:
  void SetUp() override {
    ConnectedEngineFixture::SetUp();
    engine_->setObserver(std::make_shared<Observer>());
    SettingsNibs::registerNibs();
  }
  void TearDown() override {
    testing::ShellFixture::resetShell();
    ConnectedEngineFixture::TearDown();
    NRSkinManager::resetForTesting();
    ui::Image::clearNamedCache();
  }
  bool turnUntil(const std::function<bool()>& done) { return RunLoop::main()->runUntil(done, 20); }
  static std::shared_ptr<ui::AlertView> topAlert() {
    return std::dynamic_pointer_cast<ui::AlertView>(ui::AlertRegistry::shared().top());
  }
  // Accepts the pack offer and follows the download to its end; the board it showed.
  std::weak_ptr<PBProgressModalView> download() {
    MSFontDownload::setCurrentFontStyle(0);
    auto offer = topAlert();
    EXPECT_TRUE(offer && offer->clickButtonTitled(MSFontDownload::kAcceptTitle));
    auto flow = MSFontDownload::current();
    std::weak_ptr<PBProgressModalView> board = flow ? flow->progressModalView() : nullptr;
    flow.reset();
    EXPECT_TRUE(turnUntil([] { return !MSFontDownload::current(); }));
    return board;
  }
};

TEST_F(ProgressFlowsServiceTest, APackCutOnItsWayIsResumedCheckedAndThenChosen) {
  const std::string pack = SampleNotices::fontPack();
  service_.cutNextAnswer(SampleNotices::kFontPackPath, 40000);
  auto broken = download();
  EXPECT_TRUE(broken.expired());  // failed: the board gone at once, the tip showing
  ASSERT_TRUE(topAlert());
  topAlert()->dismissWithClickedButtonIndex(0, false);
  EXPECT_EQ(1, MSFontStyle::currentFontStyle());
  EXPECT_TRUE(engine_->isFontDownloadImcompleted(std::string("宋体")));
  EXPECT_FALSE(engine_->isFontDownloaded(std::string("宋体")));

  bool notified = false;
  NotificationCenter::defaultCenter().add(MSFontDownload::kDownloadedNotification, this,
                                          [&](const Notification&) { notified = true; });
  auto board = download();
  NotificationCenter::defaultCenter().remove(this);
  ASSERT_FALSE(board.expired());
  EXPECT_EQ("下载完成", board.lock()->statusLabel()->text());
  EXPECT_EQ(1.f, board.lock()->progressBar()->progress());
  EXPECT_TRUE(notified);
  EXPECT_EQ(0, MSFontStyle::currentFontStyle());
  // No tip: once the offer has finished leaving, no alert is left.
  EXPECT_TRUE(turnUntil([] { return ui::AlertRegistry::shared().shown().empty(); }));
  const auto files = service_.requestsTo(SampleNotices::kFontPackPath);
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files.back().headers.at("range"), "bytes=40000-");
  EXPECT_EQ(pack, readFile(engine_->getFontPath("宋体")));
  // The board fades out and is freed.
  EXPECT_TRUE(turnUntil([&] { return board.expired(); }));
}

TEST_F(ProgressFlowsServiceTest, AFilledReadingCacheIsEmptiedUnderTheBoard) {
  auto images = HttpDataEngine::sharedInstance()->imageCache();
  ASSERT_TRUE(images);
  for (int i = 0; i < 150; ++i) {
    ASSERT_TRUE(images->save(service_.baseUrl() + "/img/filled-" + std::to_string(i) + ".png", Bytes(2048, 7)));
  }
  int ends = 0;
  NotificationCenter::defaultCenter().add(MSCacheclean::kEndNotification, this, [&](const Notification&) { ++ends; });
  auto cleaner = MSCacheclean::clean(MSCacheclean::kNormalCache);
  ASSERT_FALSE(cleaner.expired());
  EXPECT_GE(cleaner.lock()->initSize(), 150 * 2048);
  std::weak_ptr<PBProgressModalView> board = cleaner.lock()->progressModalView();
  ASSERT_TRUE(turnUntil([&] { return ends == 1; }));
  NotificationCenter::defaultCenter().remove(this);
  EXPECT_TRUE(cleaner.expired());
  ASSERT_FALSE(board.expired());
  EXPECT_EQ("清理完成", board.lock()->statusLabel()->text());
  EXPECT_EQ(0, images->getCachedItemsCount(0));
  EXPECT_TRUE(turnUntil([&] { return board.expired(); }));
}

}  // namespace
}  // namespace zu
