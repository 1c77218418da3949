// The recorders that stand in for the phone's mail and message composers, picture chooser and
// photo album, and the mail composer's hand-off to the desktop's mail program.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/StringUtil.h"
#include "platform/runtime/RunLoop.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/drawing/Color.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/system/ImagePickerController.h"
#include "platform/ui/system/MailComposeViewController.h"
#include "platform/ui/system/MessageComposeViewController.h"
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

// The query of a mailto address, decoded, by key.
std::vector<std::pair<std::string, std::string>> mailtoQuery(const std::string& url) {
  std::vector<std::pair<std::string, std::string>> pairs;
  const size_t question = url.find('?');
  if (question == std::string::npos) return pairs;
  auto decode = [](const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '%' && i + 2 < text.size()) {
        out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
        i += 2;
      } else {
        out += text[i];
      }
    }
    return out;
  };
  size_t at = question + 1;
  while (at <= url.size()) {
    const size_t end = std::min(url.find('&', at), url.size());
    const std::string pair = url.substr(at, end - at);
    const size_t equals = pair.find('=');
    pairs.emplace_back(pair.substr(0, equals), equals == std::string::npos ? "" : decode(pair.substr(equals + 1)));
    at = end + 1;
  }
  return pairs;
}

// Where the desktop has a mail program, a presented composer hands its message over once as a
// bounded, all-ASCII mailto with only the subject and body keys: the body's long part cut at a
// whole character with an ellipsis and its last part kept whole; control characters dropped, line
// breaks in the body as CR LF and in the subject folded to spaces. The delegate hears "handed
// off", or "failed" when the opener refuses.
TEST_F(RecordersTest, MailIsHandedToTheDesktopAsABoundedMailto) {
  auto results = std::make_shared<Results>();
  std::vector<std::string> opened;
  bool accept = true;
  EXPECT_FALSE(MailComposeViewController::canSendMail());
  MailComposeViewController::setHandOff([&](const std::string& url) {
    opened.push_back(url);
    return accept;
  });
  EXPECT_TRUE(MailComposeViewController::canSendMail());

  std::string article;
  for (int i = 0; i < 300; ++i) article += "潮汐";
  const std::string address = "http://sample.test/article/a 1.html?x=1&y=\"2\"";
  auto mail = std::make_shared<MailComposeViewController>();
  mail->setMailComposeDelegate(results);
  mail->setSubject("\r\n港口的\r\n\n清晨\x1b[31m &\xc2\x85tide\u2028\r");
  mail->setMessageBody("<p>html</p>", true);
  mail->setHandOffBody("Hi\r\n" + article, "\n\n文章原链接：" + address);
  ASSERT_TRUE(screen_->presentModalViewController(mail, false));
  ASSERT_EQ(1u, opened.size());
  EXPECT_EQ((std::vector<int>{4}), results->mail);
  EXPECT_FALSE(screen_->modalViewController());
  EXPECT_TRUE(MailComposeViewController::outbox().empty());  // nothing is known to be sent

  const std::string& url = opened[0];
  EXPECT_EQ(0u, url.find("mailto:?subject="));
  EXPECT_LE(url.size(), MailComposeViewController::kMaxMailtoLength);
  EXPECT_GT(url.size(), MailComposeViewController::kMaxMailtoLength - 20);
  for (const char c : url) EXPECT_TRUE(c > 0x20 && c < 0x7f) << url;
  const auto query = mailtoQuery(url);
  ASSERT_EQ(2u, query.size());
  EXPECT_EQ("subject", query[0].first);
  EXPECT_EQ("港口的 清晨[31m & tide", query[0].second);  // a subject takes no line break
  EXPECT_EQ("body", query[1].first);
  const std::string& body = query[1].second;
  EXPECT_TRUE(StringUtil::isValidUtf8(body));
  EXPECT_EQ(0u, body.find("Hi\r\n潮汐潮汐"));
  const std::string tail = "…\r\n\r\n文章原链接：" + address;
  ASSERT_GT(body.size(), tail.size());
  EXPECT_EQ(tail, body.substr(body.size() - tail.size()));

  // A short plain body goes whole; recipients stand before the query; a refusal is a failure.
  accept = false;
  auto plain = std::make_shared<MailComposeViewController>();
  plain->setMailComposeDelegate(results);
  plain->setToRecipients({"reader@sample.test"});
  plain->setCcRecipients({"a@b.test", "c@d.test"});
  plain->setMessageBody("第一行\n第二行\xc2\x85第三行\xc2\x9b" "31m\xc2\x80", false);
  ASSERT_TRUE(screen_->presentModalViewController(plain, false));
  ASSERT_EQ(2u, opened.size());
  EXPECT_EQ(0u, opened[1].find("mailto:reader@sample.test?cc=a@b.test,c@d.test&subject=&body="));
  EXPECT_EQ("第一行\r\n第二行\r\n第三行31m", mailtoQuery(opened[1]).back().second);  // no C1 control
  EXPECT_EQ((std::vector<int>{4, 3}), results->mail);

  // A body that just fits the bound goes whole, with no ellipsis; one character more is cut.
  auto exact = std::make_shared<MailComposeViewController>();
  const size_t room = MailComposeViewController::kMaxMailtoLength - std::string("mailto:?subject=&body=").size();
  exact->setMessageBody(std::string(room, 'a'), false);
  EXPECT_EQ("mailto:?subject=&body=" + std::string(room, 'a'), exact->mailtoUrl());
  exact->setHandOffBody(std::string(room - 10, 'a'), std::string(10, 'k'));
  EXPECT_EQ("mailto:?subject=&body=" + std::string(room - 10, 'a') + std::string(10, 'k'), exact->mailtoUrl());
  exact->setHandOffBody(std::string(room - 9, 'a'), std::string(10, 'k'));
  EXPECT_EQ("mailto:?subject=&body=" + std::string(room - 19, 'a') + "%E2%80%A6" + std::string(10, 'k'),
            exact->mailtoUrl());
}

}  // namespace
}  // namespace zu::ui
