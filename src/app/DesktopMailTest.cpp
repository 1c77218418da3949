#include "app/DesktopMail.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>

#include "app/UrlOpener.h"
#include "platform/net/ExternalUrl.h"
#include "platform/ui/system/MailComposeViewController.h"
#include "testing/TempHome.h"

namespace zu {
namespace {

// The desktop's answer comes from the XDG folders: a mimeapps.list naming a desktop file that
// exists is a mail program; none, or one naming nothing, is none.
class DesktopMailTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (system("command -v xdg-mime >/dev/null 2>&1") != 0) GTEST_SKIP() << "xdg-mime is not installed";
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_DIRS",
                             "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION"}) {
      const char* value = std::getenv(name);
      saved_[name] = value ? std::optional<std::string>(value) : std::nullopt;
    }
    const auto root = home_.path();
    std::filesystem::create_directories(root / "config");
    std::filesystem::create_directories(root / "data" / "applications");
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    setenv("XDG_CONFIG_DIRS", (root / "none").c_str(), 1);
    setenv("XDG_DATA_DIRS", (root / "none").c_str(), 1);
    for (const char* name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION"}) unsetenv(name);
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
  }
  void write(const std::filesystem::path& file, const std::string& text) { std::ofstream(home_.path() / file) << text; }

  TempHome home_;
  std::map<std::string, std::optional<std::string>> saved_;
};

TEST_F(DesktopMailTest, AMailProgramIsOneTheDesktopNamesForMailto) {
  EXPECT_FALSE(DesktopMail::hasHandler());
  write("config/mimeapps.list", "[Default Applications]\nx-scheme-handler/mailto=mailer.desktop\n");
  EXPECT_FALSE(DesktopMail::hasHandler());  // named, but no such program
  write("data/applications/mailer.desktop",
        "[Desktop Entry]\nType=Application\nName=Mailer\nExec=true %u\nMimeType=x-scheme-handler/mailto;\n");
  EXPECT_TRUE(DesktopMail::hasHandler());
}

// What the mail composer hands over is an address the system opener passes, whatever the
// article holds (control, bidirectional and line-separator characters, a long text).
TEST(DesktopMailHandOffTest, TheComposersMailtoIsOneTheOpenerPasses) {
  auto mail = std::make_shared<ui::MailComposeViewController>();
  mail->setSubject("港口\x1b]0;title\x07 \u202e evil \u2028 line");
  std::string article;
  for (int i = 0; i < 2000; ++i) article += "潮汐 \u202e\r\n";
  mail->setHandOffBody(article, "\n\n文章原链接：http://news.example/a?x=1&y=2");
  const std::string url = mail->mailtoUrl();
  EXPECT_TRUE(ExternalUrl::isOpenable(url)) << url;
  EXPECT_LE(url.size(), ui::MailComposeViewController::kMaxMailtoLength);
  EXPECT_TRUE(UrlOpener::open(url, true));
}

}  // namespace
}  // namespace zu
