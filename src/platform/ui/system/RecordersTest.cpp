// The recorders that stand in for the phone's mail and message composers, movie player, picture
// chooser and photo album.
#include <gtest/gtest.h>

#include <iterator>

#include <mutex>

#include <fstream>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/RunLoop.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/drawing/Color.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/system/ImagePickerController.h"
#include "platform/ui/system/MailComposeViewController.h"
#include "platform/ui/system/MessageComposeViewController.h"
#include "platform/ui/system/MoviePlayerViewController.h"
#include "platform/ui/system/PhotoAlbum.h"
#include "platform/ui/views/Window.h"
#include "testing/TempHome.h"

namespace zu::ui {
namespace {

class RecordersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_shared<Window>(Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
    screen_ = std::make_shared<ViewController>();
    ViewController::installAsRoot(*window_, screen_);
  }
  void TearDown() override {
    MailComposeViewController::resetForTesting();
    MessageComposeViewController::resetForTesting();
    MoviePlayerViewController::resetForTesting();
    ImagePickerController::resetForTesting();
    PhotoAlbum::setFolder(std::nullopt);
    Application::shared().resetForTesting();
  }
  // Turns the main loop until the screen presents nothing (animated dismissals included).
  void untilDismissed() {
    ASSERT_TRUE(RunLoop::main()->runUntil([&] { return !screen_->modalViewController(); }, 5));
  }
  static void drain() {
    bool done = false;
    RunLoop::main()->post([&] { done = true; });
    ASSERT_TRUE(RunLoop::main()->runUntil([&] { return done; }, 10));
  }

  TempHome home_;
  std::shared_ptr<Window> window_;
  std::shared_ptr<ViewController> screen_;
};

std::shared_ptr<Image> filled(int w, int h, const Color& color) {
  auto image = Image::create(w, h);
  Canvas canvas(*image);
  canvas.setFillColor(color);
  canvas.fillRect(Rect(0, 0, static_cast<float>(w), static_cast<float>(h)));
  return image;
}

struct Results : MailComposeDelegate, MessageComposeDelegate, ImagePickerControllerDelegate {
  std::vector<int> mail, message;
  std::vector<PickedMedia> picked;
  int cancels = 0;
  void mailComposeControllerDidFinish(MailComposeViewController& c, MailComposeResult r) override {
    mail.push_back(static_cast<int>(r));
    c.dismissModalViewController(false);
  }
  void messageComposeViewControllerDidFinish(MessageComposeViewController&, MessageComposeResult r) override {
    message.push_back(static_cast<int>(r));
  }
  void imagePickerControllerDidFinishPickingMedia(ImagePickerController&, const PickedMedia& m) override {
    picked.push_back(m);
  }
  void imagePickerControllerDidCancel(ImagePickerController& picker) override {
    ++cancels;
    ImagePickerControllerDelegate::imagePickerControllerDidCancel(picker);
  }
};

// Off (as in the application) nothing can be sent: a sent or saved mail fails and nothing is
// kept. On, the sent and saved mails are kept with what was composed; a cancelled one is not;
// the delegate hears each result once.
TEST_F(RecordersTest, ComposersRecordWhatWasSent) {
  auto results = std::make_shared<Results>();
  EXPECT_FALSE(MailComposeViewController::canSendMail());
  EXPECT_FALSE(MessageComposeViewController::canSendText());
  auto failing = std::make_shared<MailComposeViewController>();
  failing->setMailComposeDelegate(results);
  failing->finish(MailComposeResult::Sent);
  EXPECT_TRUE(MailComposeViewController::outbox().empty());

  MailComposeViewController::setCanSendMail(true);
  for (auto result : {MailComposeResult::Sent, MailComposeResult::Cancelled, MailComposeResult::Saved}) {
    auto mail = std::make_shared<MailComposeViewController>();
    mail->setMailComposeDelegate(results);
    mail->setSubject("标题 " + std::to_string(static_cast<int>(result)));
    mail->setMessageBody("<p>body</p>", true);
    ASSERT_TRUE(screen_->presentModalViewController(mail, false));
    EXPECT_EQ(mail->view().get(), window_->subviews().back().get());
    mail->finish(result);
    mail->finish(MailComposeResult::Failed);  // only the first choice counts
    EXPECT_FALSE(screen_->modalViewController());
  }
  EXPECT_EQ((std::vector<int>{3, 2, 0, 1}), results->mail);
  ASSERT_EQ(2u, MailComposeViewController::outbox().size());
  EXPECT_EQ("标题 2", MailComposeViewController::outbox()[0].subject);
  EXPECT_TRUE(MailComposeViewController::outbox()[0].isHTML);
  EXPECT_EQ(MailComposeResult::Saved, MailComposeViewController::outbox()[1].result);

  auto sms = std::make_shared<MessageComposeViewController>();
  sms->setMessageComposeDelegate(results);
  sms->setBody("[标题] http://t.cn/x ");
  sms->finish(MessageComposeResult::Sent);
  MessageComposeViewController::setCanSendText(true);
  auto sent = std::make_shared<MessageComposeViewController>();
  sent->setMessageComposeDelegate(results);
  sent->setBody("second");
  sent->setRecipients({"10086"});
  sent->finish(MessageComposeResult::Sent);
  EXPECT_EQ((std::vector<int>{2, 1}), results->message);
  ASSERT_EQ(1u, MessageComposeViewController::outbox().size());
  EXPECT_EQ("second", MessageComposeViewController::outbox()[0].body);
}

// Off, the player's playback ends at once with an error when it appears; on, its address is
// recorded as played, and Done ends the playback as the reader's and dismisses the player.
TEST_F(RecordersTest, MoviePlayerRecordsOrFailsAndDoneDismisses) {
  std::vector<int64_t> reasons;
  NotificationCenter::defaultCenter().add(MoviePlayerViewController::kPlaybackDidFinishNotification, this,
                                          [&](const Notification& n) {
                                            const Value* reason =
                                                n.userInfo.find(MoviePlayerViewController::kFinishReasonKey);
                                            reasons.push_back(reason && reason->asInt() ? *reason->asInt() : -1);
                                          });
  auto broken = std::make_shared<MoviePlayerViewController>("http://v.example.com/a.mp4");
  ASSERT_TRUE(screen_->presentModalViewController(broken, false));
  EXPECT_EQ((std::vector<int64_t>{1}), reasons);
  EXPECT_EQ(Rect(0, 0, 320, 480), broken->view()->frame());  // the whole screen
  broken->doneButton()->sendActionsForControlEvents(kControlEventTouchUpInside);
  untilDismissed();
  EXPECT_EQ((std::vector<int64_t>{1}), reasons);  // one end per playback
  EXPECT_TRUE(MoviePlayerViewController::playedURLs().empty());

  MoviePlayerViewController::setPlaybackAvailable(true);
  auto player = std::make_shared<MoviePlayerViewController>("http://v.example.com/b.mp4");
  ASSERT_TRUE(screen_->presentModalViewController(player, false));
  EXPECT_EQ((std::vector<std::string>{"http://v.example.com/b.mp4"}), MoviePlayerViewController::playedURLs());
  player->done();
  EXPECT_EQ((std::vector<int64_t>{1, 2}), reasons);
  NotificationCenter::defaultCenter().remove(this);
}

// A picture is reported only from an available source; editing adds the edited image; a
// cancel dismisses the picker.
TEST_F(RecordersTest, ImagePickerReportsPicksFromAvailableSources) {
  auto results = std::make_shared<Results>();
  auto picture = filled(64, 48, Color::rgba8(10, 120, 200));
  ASSERT_TRUE(picture);
  EXPECT_FALSE(ImagePickerController::isSourceTypeAvailable(ImagePickerSourceType::Camera));
  auto picker = std::make_shared<ImagePickerController>();
  picker->setDelegate(results);
  picker->setSourceType(ImagePickerSourceType::Camera);
  EXPECT_FALSE(picker->pick(picture));
  ImagePickerController::setSourceTypeAvailable(ImagePickerSourceType::PhotoLibrary, true);
  EXPECT_FALSE(picker->pick(picture));  // the library, not the camera, is on
  picker->setSourceType(ImagePickerSourceType::PhotoLibrary);
  EXPECT_TRUE(picker->pick(picture));
  picker->setAllowsEditing(true);
  EXPECT_TRUE(picker->pick(picture));
  ASSERT_EQ(2u, results->picked.size());
  EXPECT_EQ(picture, results->picked[0].originalImage);
  EXPECT_FALSE(results->picked[0].editedImage);
  EXPECT_EQ(picture, results->picked[1].editedImage);

  ASSERT_TRUE(screen_->presentModalViewController(picker, false));
  picker->cancel();
  EXPECT_EQ(1, results->cancels);
  untilDismissed();
}

// Saving needs a configured album folder; each picture gets the next free name, written whole;
// the completion comes later on the main loop.
TEST_F(RecordersTest, PhotoAlbumSavesIntoItsFolder) {
  auto picture = filled(20, 10, Color::rgba8(200, 30, 30));
  std::vector<std::optional<std::string>> errors;
  auto note = [&](const std::optional<std::string>& error) { errors.push_back(error); };
  PhotoAlbum::writeImage(picture, note);
  EXPECT_TRUE(errors.empty());  // not inside the call
  drain();
  ASSERT_EQ(1u, errors.size());
  EXPECT_EQ("no photo album", errors[0]);

  const auto album = home_.path() / "Pictures" / "album";
  PhotoAlbum::setFolder(album);
  PhotoAlbum::writeImage(picture, note);
  PhotoAlbum::writeImage(picture, note);
  PhotoAlbum::writeImage(nullptr, note);
  // Encoded on the album's worker: the completions come on the main loop, the refusal first.
  ASSERT_TRUE(RunLoop::main()->runUntil([&] { return errors.size() == 4; }, 10));
  EXPECT_EQ("no picture", errors[1]);
  EXPECT_FALSE(errors[2]);
  EXPECT_FALSE(errors[3]);
  auto saved = Image::fromFile(album / "IMG_0002.png");
  ASSERT_TRUE(saved);
  EXPECT_EQ(Color::rgba8(200, 30, 30), saved->colorAt(5, 5));
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(album)) {
    EXPECT_EQ(".png", entry.path().extension());
    ++files;
  }
  EXPECT_EQ(2u, files);  // no temporary left behind
}

// A save is encoded and written on the album's worker, not on the main thread, which goes on
// while it runs; a name taken since, or a link put where the next picture goes, is never
// written over or through.
TEST_F(RecordersTest, PhotoAlbumSavesOffTheMainThreadAndNeverOverAnything) {
  const auto album = home_.path() / "album";
  std::filesystem::create_directories(album);
  PhotoAlbum::setFolder(album);
  const auto target = home_.path() / "notes.txt";
  std::ofstream(target) << "the reader's notes";
  std::filesystem::create_symlink(target, album / "IMG_0002.png");
  std::ofstream(album / "IMG_0003.png") << "not a picture of ours";

  // The worker held: the save waits there, and the main loop runs on meanwhile.
  std::mutex hold;
  hold.lock();
  PhotoAlbum::workerLoop()->post([&] { std::lock_guard<std::mutex> wait(hold); });
  std::vector<std::optional<std::string>> errors;
  const auto picture = filled(20, 10, Color::rgba8(10, 200, 30));
  PhotoAlbum::writeImage(picture, [&](const std::optional<std::string>& error) { errors.push_back(error); });
  PhotoAlbum::writeImage(picture, [&](const std::optional<std::string>& error) { errors.push_back(error); });
  drain();
  EXPECT_TRUE(errors.empty());
  EXPECT_FALSE(std::filesystem::exists(album / "IMG_0001.png"));
  hold.unlock();
  ASSERT_TRUE(RunLoop::main()->runUntil([&] { return errors.size() == 2; }, 10));
  EXPECT_FALSE(errors[0]);
  EXPECT_FALSE(errors[1]);
  EXPECT_TRUE(Image::fromFile(album / "IMG_0001.png"));
  EXPECT_TRUE(Image::fromFile(album / "IMG_0004.png"));
  EXPECT_TRUE(std::filesystem::is_symlink(album / "IMG_0002.png"));
  std::ifstream notes(target);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(notes)), std::istreambuf_iterator<char>()),
            "the reader's notes");
  size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(album)) ++entries;
  EXPECT_EQ(4u, entries);  // no temporary left behind
}

}  // namespace
}  // namespace zu::ui
