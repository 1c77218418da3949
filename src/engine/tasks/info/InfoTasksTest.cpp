// Notices, font packs, feedback and advertisements against the sample service (which also
// plays the feedback host).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "common/Gb18030.h"
#include "engine/core/DESettings.h"
#include "engine/core/EngineTestSupport.h"
#include "engine/core/ErrorCodes.h"
#include "engine/tasks/info/GetInfoTask.h"
#include "model/service/Ads.h"
#include "model/service/VeskApp.h"
#include "model/service/VeskAppRecommend.h"
#include "model/service/VeskMessage.h"
#include "model/service/VeskMessages.h"
#include "model/service/VeskSoftUpdate.h"
#include "platform/runtime/NotificationCenter.h"
#include "testing/MainLoopTurn.h"

namespace zu::testing {
namespace {

namespace fs = std::filesystem;

class InfoRecorder : public EngineResultRecorder {
 public:
  void onAdsResult(const std::shared_ptr<Task>&, const std::shared_ptr<Ads>& ads) override {
    std::lock_guard lock(mutex_);
    ads_.push_back(ads);
  }
  void onDownloadFontProgress(const std::shared_ptr<Task>&, int64_t received,
                              int64_t total) override {
    std::lock_guard lock(mutex_);
    fontProgress_.emplace_back(received, total);
  }
  bool respondsToOnDownloadFontProgress() const override { return true; }
  std::vector<std::shared_ptr<Ads>> ads() const {
    std::lock_guard lock(mutex_);
    return ads_;
  }
  std::vector<std::pair<int64_t, int64_t>> fontProgress() const {
    std::lock_guard lock(mutex_);
    return fontProgress_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::shared_ptr<Ads>> ads_;
  std::vector<std::pair<int64_t, int64_t>> fontProgress_;
};

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The form's fields, percent-decoded (bytes as sent).
std::map<std::string, std::string> formFields(const std::string& body) {
  std::map<std::string, std::string> fields;
  std::istringstream in(body);
  std::string pair;
  while (std::getline(in, pair, '&')) {
    const size_t eq = pair.find('=');
    std::string value;
    for (size_t i = eq + 1; i < pair.size(); ++i) {
      if (pair[i] == '+') {
        value += ' ';
      } else if (pair[i] == '%' && i + 2 < pair.size()) {
        value += static_cast<char>(std::stoi(pair.substr(i + 1, 2), nullptr, 16));
        i += 2;
      } else {
        value += pair[i];
      }
    }
    fields[pair.substr(0, eq)] = value;
  }
  return fields;
}

class InfoTasksTest : public EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    observer_ = recorder_;
    startEngine();
  }
  void TearDown() override {
    NotificationCenter::defaultCenter().remove(this);
    EngineFixture::TearDown();
  }
  std::string url(const std::string& path) const { return service_.baseUrl() + path; }
  void fillUrlTable() {
    auto probe = runTask(std::make_shared<ServiceUrlProbeTask>());
    ASSERT_TRUE(probe);
    ASSERT_EQ(probe->code, 0);
  }

  std::shared_ptr<InfoRecorder> recorder_ = std::make_shared<InfoRecorder>();
};

TEST_F(InfoTasksTest, NoticesArePostedOnTheMainThreadOncePerNewVersionOrMessage) {
  struct Heard {
    std::string name;
    std::thread::id thread;
    Value record;
  };
  std::vector<Heard> heard;
  for (const char* name : {GetInfoTask::kSoftwareUpdateNotification,
                           GetInfoTask::kMessageNotification}) {
    NotificationCenter::defaultCenter().add(name, this, [&heard](const Notification& n) {
      const Value* record = n.userInfo.find(GetInfoTask::kRecordKey);
      heard.push_back({n.name, std::this_thread::get_id(), record ? *record : Value()});
    });
  }
  auto notice = [&](const std::string& version, const std::string& messagesUpdated,
                    const std::string& recommendUpdated, const std::string& app = "app") {
    service_.setFile(
        "/info.atom",
        "<feed xmlns=\"http://www.w3.org/2005/Atom\" xmlns:vesk=\"http://www.vesk.com/vesk/1.0\">"
        "<id>info</id><vesk:notification>"
        "<vesk:softupdate new_version=\"" + version + "\" title=\"新版本\" href=\"" +
            url("/update") + "\">更快了</vesk:softupdate>"
        "<vesk:messages updated=\"" + messagesUpdated + "\">"
        "<vesk:message title=\"旧\" updated=\"2026-01-01T00:00:00Z\">old</vesk:message>"
        "<vesk:message title=\"新\" updated=\"2026-02-01T00:00:00Z\">new</vesk:message>"
        "</vesk:messages><vesk:app_recommend updated=\"" + recommendUpdated + "\">"
        "<vesk:app title=\"书架\" href=\"" + url("/app1") + "\" img=\"" + url("/img/" + app + "1.png") +
            "\">a</vesk:app>"
        "<vesk:app title=\"地图\" href=\"" + url("/app2") + "\" img=\"" + url("/img/" + app + "2.png") +
            "\">b</vesk:app></vesk:app_recommend></vesk:notification></feed>",
        "application/atom+xml");
  };
  DESettings::setNotifiedMessageTime(1767225600000 + 1000);  // just after the old message
  notice("2.1.0", "2026-02-01T00:00:00Z", "2026-03-01T00:00:00Z");

  auto runInfo = [&] {
    const size_t before = observer_->finishes().size();
    engine_->getInfo();
    EXPECT_TRUE(turnMainLoopUntil([&] { return observer_->finishes().size() > before; }));
    auto finish = observer_->finishes().back();
    // Both notices were handed to the main thread before the finish was reported.
    runDueMainLoopTasks();
    return finish;
  };
  auto first = runInfo();
  EXPECT_EQ(first.code, 0);
  ASSERT_EQ(heard.size(), 2u);
  EXPECT_EQ(heard[0].name, GetInfoTask::kSoftwareUpdateNotification);
  EXPECT_EQ(heard[0].thread, std::this_thread::get_id());
  auto update = heard[0].record.asObject<VeskSoftUpdate>();
  ASSERT_TRUE(update);
  EXPECT_EQ(update->newVersion(), "2.1.0");
  EXPECT_EQ(update->data(), "更快了");
  EXPECT_EQ(heard[1].name, GetInfoTask::kMessageNotification);
  auto messages = heard[1].record.asObject<VeskMessages>();
  ASSERT_TRUE(messages && messages->veskMessageArray());
  ASSERT_EQ(messages->veskMessageArray()->size(), 1u) << "only the message not yet notified";
  EXPECT_EQ((*messages->veskMessageArray())[0]->title(), "新");
  EXPECT_EQ(DESettings::getNotifiedSoftVersion(), "2.1.0");
  auto kept = engine_->getAppRecommend();
  ASSERT_TRUE(kept && kept->veskApps() && kept->veskApps()->size() == 2u);
  EXPECT_EQ((*kept->veskApps())[0]->title(), "书架");
  EXPECT_EQ(service_.requestsTo("/img/app1.png").size(), 1u);
  EXPECT_EQ(service_.requestsTo("/img/app2.png").size(), 1u);

  // The same notice again: nothing new, and the images are not fetched again.
  heard.clear();
  service_.clearRequests();
  EXPECT_EQ(runInfo().code, 0);
  EXPECT_TRUE(heard.empty());
  EXPECT_TRUE(service_.requestsTo("/img/app1.png").empty());

  // A newer message list whose messages are all known: nothing posted, the time still moves.
  notice("2.1.0", "2026-04-01T00:00:00Z", "2026-03-01T00:00:00Z");
  EXPECT_EQ(runInfo().code, 0);
  EXPECT_TRUE(heard.empty());
  EXPECT_EQ(DESettings::getNotifiedMessageTime(), 1775001600000);

  // A newer app list whose image is gone ends the task with the image's code.
  service_.setStatusForPath("/img/new1.png", 410);
  notice("2.1.0", "2026-04-01T00:00:00Z", "2026-05-01T00:00:00Z", "new");
  EXPECT_EQ(runInfo().code, GetHttpSCErrorCode(410));
  EXPECT_TRUE(service_.requestsTo("/img/new2.png").empty());

  service_.setFile("/info.atom", "{}", "text/plain");
  EXPECT_EQ(runInfo().code, kErrDataParse);
}

TEST_F(InfoTasksTest, FontPackIsResumedCheckedAndMovedIntoPlace) {
  std::string bytes;
  for (int i = 0; i < 512; ++i) bytes += "FONTDATA";
  const std::string md5 = "91c9944b6695ef7bf78257c66394f1ad";  // of the bytes, worked out apart
  auto fontList = [&](const std::string& digest) {
    service_.setFile("/fonts.atom",
                     "<fonts><font><name>宋体</name><url>" + url("/font/song.ttf") +
                         "</url><length>" + std::to_string(bytes.size()) + "</length><md5>" +
                         digest + "</md5></font><font><name>楷体</name><url>" +
                         url("/font/kai.ttf") + "</url><length>9</length><md5>x</md5></font>"
                         "</fonts>",
                     "application/xml");
  };
  service_.setFile("/font/song.ttf", bytes);
  fontList(md5);

  // Without the URL table there is no font address.
  auto early = runTask(engine_->createDownloadFontTask(std::string("宋体")));
  ASSERT_TRUE(early);
  EXPECT_EQ(early->code, kErrNetConnect);
  fillUrlTable();

  const std::string path = engine_->getFontPath("宋体");
  const std::string temp = engine_->getFontTempPath("宋体");
  EXPECT_EQ(fs::path(path).filename(), "STSong.ttf");
  EXPECT_EQ(fs::path(temp).filename(), "STSong.ttf.temp");

  service_.cutNextAnswer("/font/song.ttf", 1000);
  auto broken = runTask(engine_->createDownloadFontTask(std::string("宋体")));
  ASSERT_TRUE(broken);
  EXPECT_LT(broken->code, 0);
  EXPECT_TRUE(engine_->isFontDownloadImcompleted(std::string("宋体")));
  EXPECT_FALSE(engine_->isFontDownloaded(std::string("宋体")));

  auto resumed = runTask(engine_->createDownloadFontTask(std::string("宋体")));
  ASSERT_TRUE(resumed);
  EXPECT_EQ(resumed->code, 0);
  EXPECT_EQ(service_.requestsTo("/font/song.ttf").back().headers["range"], "bytes=1000-");
  EXPECT_EQ(readFile(path), bytes);
  EXPECT_FALSE(fs::exists(temp));
  ASSERT_FALSE(recorder_->fontProgress().empty());
  EXPECT_EQ(recorder_->fontProgress().back(),
            std::make_pair(static_cast<int64_t>(bytes.size()), static_cast<int64_t>(bytes.size())));

  // A pack that does not match its checksum is thrown away; the installed one stays.
  fontList("00000000000000000000000000000000");
  auto bad = runTask(engine_->createDownloadFontTask(std::string("宋体")));
  ASSERT_TRUE(bad);
  EXPECT_EQ(bad->code, kErrDataContent);
  EXPECT_EQ(bad->desc, "文件MD5错误");
  EXPECT_FALSE(fs::exists(temp));
  EXPECT_EQ(readFile(path), bytes);

  auto missing = runTask(engine_->createDownloadFontTask(std::string("黑体")));
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->code, kErrNotFound);
  EXPECT_FALSE(missing->desc);
  auto nameless = runTask(engine_->createDownloadFontTask(std::nullopt));
  ASSERT_TRUE(nameless);
  EXPECT_EQ(nameless->code, kErrInvalidArg);
  service_.setFile("/fonts.atom", "not xml", "text/plain");
  auto unreadable = runTask(engine_->createDownloadFontTask(std::string("宋体")));
  ASSERT_TRUE(unreadable);
  EXPECT_EQ(unreadable->code, kErrDataParse);
}

TEST_F(InfoTasksTest, FeedbackFormAsTheHostReceivesIt) {
  // No file, no contact, an empty title: six fields and no upload.
  auto plain = runTask(engine_->createFeedbackTask(std::string(""), std::string("界面很好"),
                                                   std::nullopt, std::nullopt));
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->code, 0);
  EXPECT_TRUE(service_.requestsTo("/ft/file.fb").empty());
  auto posts = service_.requestsTo("/ft/commentInner.fb");
  ASSERT_EQ(posts.size(), 1u);
  EXPECT_EQ(posts[0].headers["content-type"], "application/x-www-form-urlencoded");
  const std::string& body = posts[0].body;
  EXPECT_EQ(body.rfind("feedbackId=16029&productId=11001&userName=wayfarers&title=%CE%DE&content=",
                       0),
            0u)
      << body;
  auto fields = formFields(body);
  EXPECT_EQ(fields.size(), 6u);
  EXPECT_EQ(Gb18030::toUtf8(fields["content"]), "界面很好");
  EXPECT_EQ(fields["resolution"].rfind("320 * 480; ", 0), 0u);
  EXPECT_NE(fields["resolution"].find("; VESK/2.0.0"), std::string::npos);

  // With the zipped log and a contact: the upload first, then the form naming the file.
  const fs::path folder = home_.path() / "Library" / "Caches" / "Feedback";
  fs::create_directories(folder);
  const fs::path log = folder / "log.zip";
  std::ofstream(log, std::ios::binary) << std::string("PK\x05\x06", 4) << std::string(18, '\0');
  service_.clearRequests();
  auto withFile = runTask(engine_->createFeedbackTask(std::string("崩溃"), std::string(""),
                                                      log.string(), std::string("qq 12345")));
  ASSERT_TRUE(withFile);
  EXPECT_EQ(withFile->code, 0);
  auto uploads = service_.requestsTo("/ft/file.fb");
  ASSERT_EQ(uploads.size(), 1u);
  EXPECT_EQ(uploads[0].query, "op=up");
  ASSERT_TRUE(uploads[0].formFiles.count("uploaded"));
  EXPECT_EQ(uploads[0].formFiles["uploaded"].first, "log.zip");
  EXPECT_EQ(uploads[0].formFiles["uploaded"].second, readFile(log));
  auto form = formFields(service_.requestsTo("/ft/commentInner.fb").at(0).body);
  EXPECT_EQ(Gb18030::toUtf8(form["title"]), "崩溃");
  EXPECT_EQ(Gb18030::toUtf8(form["content"]), "无");
  EXPECT_EQ(form["fileId"], "log-1");
  EXPECT_EQ(form["fileName"], "log.zip");
  EXPECT_EQ(form["contact"], "qq 12345");

  // A file that does not exist cannot be uploaded.
  auto gone = runTask(engine_->createFeedbackTask(std::string("t"), std::string("c"),
                                                  (folder / "none.zip").string(), std::nullopt));
  ASSERT_TRUE(gone);
  EXPECT_EQ(gone->code, kErrInvalidArg);

  // A long feedback (10,000 Chinese characters, some 60 KB as the form carries them) is
  // delivered whole.
  std::string longText;
  for (int i = 0; i < 5000; ++i) longText += "渡船";
  service_.clearRequests();
  auto longFeedback = runTask(engine_->createFeedbackTask(std::string("长"), longText, std::nullopt, std::nullopt));
  ASSERT_TRUE(longFeedback);
  EXPECT_EQ(longFeedback->code, 0);
  ASSERT_EQ(service_.requestsTo("/ft/commentInner.fb").size(), 1u);
  EXPECT_EQ(Gb18030::toUtf8(formFields(service_.requestsTo("/ft/commentInner.fb")[0].body)["content"]), longText);

  // The same feedback again with the host unreachable fails: no copy of the earlier answer
  // stands in for a form that was never delivered.
  service_.stop();
  auto unsent = runTask(engine_->createFeedbackTask(std::string(""), std::string("界面很好"),
                                                    std::nullopt, std::nullopt));
  ASSERT_TRUE(unsent);
  EXPECT_NE(unsent->code, 0);
}

TEST_F(InfoTasksTest, AdvertisementsArriveWithTheirImagesFetched) {
  service_.setFile("/ads.xml",
                   "<ads loop=\"1\"><ad id=\"a1\" href=\"http://x/1\"><title>一</title>"
                   "<img src=\"" + url("/img/ad1.png") + "\"/></ad>"
                   "<ad id=\"a2\"><title>二</title><img src=\"" + url("/img/ad2.png") +
                       "\"/></ad></ads>",
                   "application/xml");
  service_.setStatusForPath("/img/ad2.png", 410);
  auto finish = runTask(engine_->createGetAdvertisementsTask(url("/ads.xml")));
  ASSERT_TRUE(finish);
  EXPECT_EQ(finish->code, 0);
  ASSERT_EQ(recorder_->ads().size(), 1u);
  ASSERT_TRUE(recorder_->ads()[0]->ads());
  EXPECT_EQ(recorder_->ads()[0]->ads()->size(), 2u);
  EXPECT_EQ(service_.requestsTo("/img/ad1.png").size(), 1u);
  EXPECT_EQ(service_.requestsTo("/img/ad2.png").size(), 1u);
  EXPECT_TRUE(engine_->getImageLocalPath(url("/img/ad1.png")));

  service_.setFile("/ads.xml", "<feed/>", "application/xml");
  auto bad = runTask(engine_->createGetAdvertisementsTask(url("/ads.xml")));
  ASSERT_TRUE(bad);
  EXPECT_EQ(bad->code, kErrDataParse);
  EXPECT_EQ(recorder_->ads().size(), 1u);
}

}  // namespace
}  // namespace zu::testing
