// The feedback screen against the sample service, through the whole engine and the application
// observer: the upload of the zipped logs, then the form.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "catalog/widgets/PBCustomSegmentedControl.h"
#include "common/UrlEncode.h"
#include "common/ZipArchive.h"
#include "engine/core/EngineTestSupport.h"
#include "platform/runtime/Paths.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/views/Window.h"
#include "settings/SettingsNibs.h"
#include "settings/feedback/FeedbackTestSupport.h"
#include "settings/feedback/MoreSettingsFeedbackViewController.h"
#include "shell/app/Observer.h"
#include "shell/app/ShellTestSupport.h"
#include "shell/skin/NRSkinManager.h"
#include "shell/widgets/MSPlaceHolderTextView.h"

namespace zu {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class FeedbackServiceTest : public testing::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    startEngine();
    engine_->setObserver(std::make_shared<Observer>());
    SettingsNibs::registerNibs();
    stage_ = std::make_unique<testing::NavigationStage>();
  }
  void TearDown() override {
    stage_.reset();
    testing::ShellFixture::resetShell();
    EngineFixture::TearDown();
    NRSkinManager::resetForTesting();
    ui::Image::clearNamedCache();
  }
  bool turnUntil(const std::function<bool()>& done) { return RunLoop::main()->runUntil(done, 20); }

  std::unique_ptr<testing::NavigationStage> stage_;
};

TEST_F(FeedbackServiceTest, TheLogsTypeAndTextReachTheHostAndTheArchiveIsGoneAfterwards) {
  VESKLogImpl("%s", "the line the developers need");
  auto screen = std::make_shared<MoreSettingsFeedbackViewController>();
  stage_->navigation->pushViewController(screen, false);
  stage_->window->layoutIfNeeded();
  ASSERT_TRUE(screen->segmentedControl());
  ASSERT_TRUE(screen->textField());  // the engine starts without a reader: a guest
  screen->segmentedControl()->setSelectedSegmentIndex(2);
  screen->inputTextView()->becomeFirstResponder();
  screen->inputTextView()->insertText("目录打不开");
  screen->textField()->becomeFirstResponder();
  screen->textField()->insertText("guest@example.com");
  screen->submitButtonPressedAction();
  ASSERT_TRUE(screen->archivePath());
  const fs::path archive = *screen->archivePath();

  ASSERT_TRUE(turnUntil([&] { return stage_->navigation->topViewController() == stage_->below; }));

  auto uploads = service_.requestsTo("/ft/file.fb");
  ASSERT_EQ(uploads.size(), 1u);
  ASSERT_TRUE(uploads[0].formFiles.count("uploaded"));
  EXPECT_EQ(uploads[0].formFiles["uploaded"].first, "log.zip");
  // The uploaded bytes are the archive: unpacked, its log holds what was logged.
  const fs::path received = home_.path() / "received.zip";
  std::ofstream(received, std::ios::binary) << uploads[0].formFiles["uploaded"].second;
  const fs::path out = home_.path() / "unpacked";
  fs::create_directories(out);
  ASSERT_TRUE(ZipArchive::unzipFile(received.string(), out.string(), true));
  EXPECT_NE(readFile(out / "log.txt").find("the line the developers need"), std::string::npos);

  auto forms = service_.requestsTo("/ft/commentInner.fb");
  ASSERT_EQ(forms.size(), 1u);
  const std::string& body = forms[0].body;
  EXPECT_NE(body.find("&title=" + UrlEncode::encode("Bug提交", StringEncoding::Gb18030) + "&"), std::string::npos)
      << body;
  EXPECT_NE(body.find("&content=" + UrlEncode::encode("目录打不开", StringEncoding::Gb18030) + "&"),
            std::string::npos);
  EXPECT_NE(body.find("&contact=" + UrlEncode::encode("guest@example.com")), std::string::npos);
  EXPECT_NE(body.find("&fileName=log.zip"), std::string::npos);

  EXPECT_FALSE(fs::exists(archive));
  EXPECT_FALSE(fs::exists(archive.parent_path()));
}

}  // namespace
}  // namespace zu
