// The image download tasks against the sample service (and a loopback server where a download
// must stay in flight): what lands in the image cache, what is requested, what the observers
// hear, the downloads-in-flight set in every ending, and the start-up cover folder.
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/CommInfo.h"
#include "engine/core/DESettings.h"
#include "engine/core/EngineTestSupport.h"
#include "engine/core/ErrorCodes.h"
#include "engine/tasks/images/DEDownloadImageTask.h"
#include "engine/tasks/images/DownloadImageInnerTask.h"
#include "engine/tasks/images/DownloadProgramCoversTask.h"
#include "model/entry/Feed.h"
#include "model/service/ProgramCover.h"
#include "model/atom/VESKAtomDataStuffer.h"
#include "model/atom/VESKAtomParser.h"
#include "platform/runtime/UserDefaults.h"
#include "testing/LoopbackServer.h"
#include "testing/MainLoopTurn.h"

namespace zu {
namespace {

namespace fs = std::filesystem;
using testing::EngineFixture;
using testing::EngineResultRecorder;

// Records image results beside the finishes.
class ImageRecorder : public EngineResultRecorder {
 public:
  struct Image {
    std::shared_ptr<Task> task;
    std::string url;
    int code;
    std::optional<std::string> localPath;
  };

  void onImageDownloadResult(const std::shared_ptr<Task>& task, const std::string& url,
                             int errCode, const std::optional<std::string>& /*errDesc*/,
                             const std::optional<std::string>& localPath) override {
    std::lock_guard lock(mutex_);
    images_.push_back({task, url, errCode, localPath});
  }
  std::vector<Image> imagesOf(const std::shared_ptr<Task>& task) const {
    std::lock_guard lock(mutex_);
    std::vector<Image> found;
    for (const auto& image : images_) {
      if (image.task == task) found.push_back(image);
    }
    return found;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<Image> images_;
};

// Runs the inner task over its URLs on its engine, stopping at the first failure.
class StopAtFailureTask : public HttpTask, public DownloadImageInnerTaskDelegate {
 public:
  explicit StopAtFailureTask(std::vector<std::string> urls) : urls_(std::move(urls)) {}
  void run() override {
    HttpTask::run();
    if (!httpEngine()) return;
    auto self = std::dynamic_pointer_cast<DownloadImageInnerTaskDelegate>(sharedTask());
    std::make_shared<DownloadImageInnerTask>(httpEngine(), urls_, true, self)->run();
  }
  void onImageUrlProcessed(DownloadImageInnerTask*, int errCode, const std::optional<std::string>&,
                           const std::string& url) override {
    reported.emplace_back(url, errCode);
  }
  void onDownloadImageInnerTaskFinished(DownloadImageInnerTask*, int errCode,
                                        const std::optional<std::string>& errDesc) override {
    done(errCode, errDesc);
  }
  // Touched on the "task" thread only until the finish.
  std::vector<std::pair<std::string, int>> reported;

 private:
  std::vector<std::string> urls_;
};

// Failing images answer 410: a 404 would also send the service an error report, whose
// exchange may still be open when a test ends.
class ImageTasksTest : public EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    observer_ = recorder_;
  }
  std::string image(const std::string& name) const { return service_.baseUrl() + "/img/" + name; }
  size_t imageRequests() const {
    size_t count = 0;
    for (const auto& request : service_.requests()) count += request.path.rfind("/img/", 0) == 0;
    return count;
  }
  // The catalogue document as the service serves it, parsed as columns.
  std::shared_ptr<Feed> catalogue() const {
    std::ifstream in(std::string(ZU_SOURCE_DIR) + "/tools/sample-service/documents/columns.xml");
    std::stringstream text;
    text << in.rdbuf();
    std::string xml = text.str();
    for (size_t at = xml.find("{base}"); at != std::string::npos; at = xml.find("{base}", at)) {
      xml.replace(at, 6, service_.baseUrl());
    }
    return VESKAtomParser::allocParseFeed(xml, kEntryKindColumn);
  }
  // The task has finished all it does (the running list lets go of a task last).
  static bool hasEnded(const std::shared_ptr<Task>& task) {
    auto running = gTaskEngine()->runningTasks();
    return task->isDone() && std::find(running.begin(), running.end(), task) == running.end();
  }
  // The id of the cover refresh handed to the engine last (as the log names it), or "".
  static std::string lastCoverRefresh() {
    const std::string log = testing::readLog();
    const size_t at = log.rfind(" DownloadProgramCoversTask done invoke");
    if (at == std::string::npos) return {};
    const size_t start = log.rfind("task ", at);
    return start == std::string::npos ? std::string() : log.substr(start + 5, at - start - 5);
  }
  // The task of that id has finished all it does: its end is logged and the running list let go
  // of it (its last step).
  static bool hasEnded(const std::string& taskId) {
    if (testing::readLog().find("task " + taskId + " DownloadProgramCoversTask done code") ==
        std::string::npos) {
      return false;
    }
    auto running = gTaskEngine()->runningTasks();
    return std::none_of(running.begin(), running.end(),
                        [&](const auto& task) { return task->getTaskIdStr() == taskId; });
  }
  bool anyDownloading(const std::vector<std::string>& urls) const {
    for (const auto& url : urls) {
      if (engine_->isImageDownloading(url)) return true;
    }
    return false;
  }

  std::shared_ptr<ImageRecorder> recorder_ = std::make_shared<ImageRecorder>();
};

TEST_F(ImageTasksTest, AFeedsImagesLandInTheCacheOnce) {
  startEngine();
  auto feed = catalogue();
  ASSERT_TRUE(feed);
  auto urls = DEDownloadImageTask::createDownloadImageUrlArray(*feed);
  ASSERT_TRUE(urls);
  EXPECT_EQ(*urls, (std::vector<std::string>{image("cover-news.png"), image("thumb-news.png"),
                                             image("cover-photo.png"), image("thumb-photo.png"),
                                             image("cover-rss.png"), image("thumb-rss.png"),
                                             image("cover-video.png"), image("thumb-video.png")}));
  EXPECT_FALSE(DEDownloadImageTask::createDownloadImageUrlArray(Feed()));

  auto first = engine_->createDownloadImageBatchTask(urls);
  auto finish = runTask(first);
  ASSERT_TRUE(finish);
  EXPECT_EQ(finish->code, 0);
  auto images = recorder_->imagesOf(first);
  ASSERT_EQ(images.size(), urls->size());
  for (size_t i = 0; i < images.size(); ++i) {
    EXPECT_EQ(images[i].url, (*urls)[i]);
    EXPECT_EQ(images[i].code, 0);
    EXPECT_FALSE(images[i].localPath);  // the receiver asks the cache
    EXPECT_TRUE(engine_->getImageLocalPath(images[i].url)) << images[i].url;
  }
  EXPECT_EQ(imageRequests(), urls->size());
  EXPECT_FALSE(anyDownloading(*urls));

  // Everything is cached now: the same list reports every image again with no request, and
  // an empty list simply finishes.
  auto second = engine_->createDownloadImageBatchTask(urls);
  finish = runTask(second);
  ASSERT_TRUE(finish);
  EXPECT_EQ(finish->code, 0);
  EXPECT_EQ(recorder_->imagesOf(second).size(), urls->size());
  EXPECT_EQ(imageRequests(), urls->size());
  auto empty = engine_->createDownloadImageBatchTask(std::vector<std::string>());
  finish = runTask(empty);
  ASSERT_TRUE(finish);
  EXPECT_EQ(finish->code, 0);
  EXPECT_TRUE(recorder_->imagesOf(empty).empty());

  // Missing arguments give error tasks.
  for (const auto& task :
       {engine_->createDownloadImageTask(std::nullopt),
        engine_->createDownloadImageTask(image("a.png"), nullptr),
        engine_->createDownloadImageBatchTask(std::nullopt)}) {
    finish = runTask(task);
    ASSERT_TRUE(finish);
    EXPECT_EQ(finish->code, kErrInvalidArg);
  }
}

TEST_F(ImageTasksTest, AFailingImageIsReportedOnceAndTheListGoesOn) {
  service_.setStatusForPath("/img/gone.png", 410);
  startEngine();
  const std::vector<std::string> urls{image("gone.png"), image("here.png")};
  auto task = engine_->createDownloadImageBatchTask(urls);
  auto finish = runTask(task);
  ASSERT_TRUE(finish);
  EXPECT_EQ(finish->code, 0);
  auto images = recorder_->imagesOf(task);
  ASSERT_EQ(images.size(), 2u);
  EXPECT_EQ(images[0].url, urls[0]);
  EXPECT_EQ(images[0].code, GetHttpSCErrorCode(410));
  EXPECT_FALSE(engine_->getImageLocalPath(urls[0]));
  EXPECT_EQ(images[1].url, urls[1]);
  EXPECT_EQ(images[1].code, 0);
  EXPECT_EQ(service_.requestsTo("/img/gone.png").size(), 1u);
  EXPECT_FALSE(anyDownloading(urls));

  // Stopping at the first failure: nothing more is requested or reported, and the failed and
  // untried images leave the in-flight set.
  const std::vector<std::string> stopping{image("here.png"), image("gone.png"),
                                          image("never.png")};
  auto stopper = std::make_shared<StopAtFailureTask>(stopping);
  finish = runTask(stopper);
  ASSERT_TRUE(finish);
  EXPECT_EQ(finish->code, GetHttpSCErrorCode(410));
  EXPECT_EQ(stopper->reported, (std::vector<std::pair<std::string, int>>{{urls[1], 0}}));
  EXPECT_TRUE(service_.requestsTo("/img/never.png").empty());
  EXPECT_FALSE(anyDownloading(stopping));
}

TEST_F(ImageTasksTest, ASpecificObserverHearsTheTaskAndTheFacadeNothing) {
  startEngine();
  auto own = std::make_shared<ImageRecorder>();
  auto task = engine_->createDownloadImageTask(image("own.png"), own);
  engine_->asyncRunTask(task);
  auto finish = own->waitForFinish(task);
  ASSERT_TRUE(finish);
  EXPECT_EQ(finish->code, 0);
  ASSERT_EQ(own->imagesOf(task).size(), 1u);
  EXPECT_EQ(own->imagesOf(task)[0].url, image("own.png"));
  // A later task's finish has passed the facade's observer by now.
  ASSERT_TRUE(runTask(engine_->createErrorTask(kErrFail)));
  EXPECT_FALSE(recorder_->finishOf(task));
  EXPECT_TRUE(recorder_->imagesOf(task).empty());
}

TEST_F(ImageTasksTest, CancellingEmptiesTheInFlightSetWithoutReports) {
  LoopbackServer slow;
  auto answer = LoopbackServer::Response::text(200, "png", "image/png");
  answer.delayBeforeHeaders = std::chrono::seconds(30);
  slow.setResponse("/slow.png", answer);
  startEngine();
  const std::vector<std::string> urls{slow.url("/slow.png"), slow.url("/later.png")};
  auto task = engine_->createDownloadImageBatchTask(urls);
  engine_->asyncRunTask(task);
  ASSERT_TRUE(slow.waitForRequests(1, std::chrono::seconds(10)));
  EXPECT_TRUE(engine_->isImageDownloading(urls[0]));
  EXPECT_TRUE(engine_->isImageDownloading(urls[1]));
  engine_->asyncCancelTask(task);
  auto finish = recorder_->waitForFinish(task);
  ASSERT_TRUE(finish);
  EXPECT_EQ(finish->code, kErrCancelled);
  EXPECT_TRUE(recorder_->imagesOf(task).empty());
  EXPECT_FALSE(anyDownloading(urls));
  EXPECT_EQ(slow.requestCount(), 1u);
}

TEST_F(ImageTasksTest, CoversAreRewrittenOnlyFromANewerFeed) {
  service_.setStatusForPath("/img/cover-tea-portrait.png", 410);
  const std::string folder = CommInfo::getProgramCoverDir();
  fs::create_directories(folder);
  std::ofstream(folder + "5_large") << "old";
  startEngine();

  // Listing the covers starts the refresh; the service URL table is fetched first.
  engine_->getProgramCovers();
  ASSERT_TRUE(turnMainLoopUntil([&] { return engine_->isProgramCoversChanged(); }));
  for (const char* name : {"0_large", "0_portrait", "0_landscape", "1_large"}) {
    EXPECT_TRUE(fs::is_regular_file(folder + name)) << name;
  }
  EXPECT_FALSE(fs::exists(folder + "1_portrait"));
  EXPECT_FALSE(fs::exists(folder + "5_large"));
  auto info = DESettings::getProgramCoverInfo(0);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->get("title").stringValue(), "Harbour at dawn");
  EXPECT_EQ(info->get("description").stringValue(),
            "Fishing boats leave before the lanterns go out.");
  EXPECT_EQ(info->get("source").stringValue(), "Sample desk");
  EXPECT_GT(info->get("updated").intValue(), 0);
  EXPECT_EQ(info->get("duration").intValue(), 8);
  info = DESettings::getProgramCoverInfo(1);
  ASSERT_TRUE(info);
  EXPECT_FALSE(info->contains("updated"));
  EXPECT_FALSE(info->contains("duration"));
  const int64_t kept = CommInfo::getCustomIntKey(DownloadProgramCoversTask::kCoverUpdateTimeKey);
  EXPECT_GT(kept, 0);
  const std::string first = lastCoverRefresh();
  auto covers = engine_->getProgramCovers();  // starts another refresh, which finds nothing new
  ASSERT_EQ(covers.size(), 2u);
  EXPECT_EQ(covers[0]->title(), "Harbour at dawn");
  EXPECT_EQ(covers[0]->duration(), 8);
  // Let that refresh end before the kept time changes below.
  const std::string refresh = lastCoverRefresh();
  ASSERT_NE(refresh, first);
  ASSERT_TRUE(turnMainLoopUntil([&] { return hasEnded(refresh); }));

  // The same feed again: nothing is downloaded or touched, and the muted task tells nobody.
  std::ofstream(folder + "marker") << "kept";
  const size_t before = imageRequests();
  auto again = std::make_shared<DownloadProgramCoversTask>();
  engine_->asyncRunTask(again);
  ASSERT_TRUE(turnMainLoopUntil([&] { return hasEnded(again); }));
  EXPECT_TRUE(fs::exists(folder + "marker"));
  EXPECT_EQ(imageRequests(), before);
  EXPECT_FALSE(recorder_->finishOf(again));
  EXPECT_NE(testing::readLog().find("task " + again->getTaskIdStr() +
                                    " DownloadProgramCoversTask done code -4"),
            std::string::npos);

  // An older kept time makes the same feed new again: the folder is rewritten.
  CommInfo::setCustomIntKey(DownloadProgramCoversTask::kCoverUpdateTimeKey, kept - 1);
  auto newer = std::make_shared<DownloadProgramCoversTask>();
  engine_->asyncRunTask(newer);
  ASSERT_TRUE(turnMainLoopUntil([&] { return hasEnded(newer); }));
  EXPECT_FALSE(fs::exists(folder + "marker"));
  EXPECT_TRUE(fs::is_regular_file(folder + "0_large"));
  EXPECT_EQ(CommInfo::getCustomIntKey(DownloadProgramCoversTask::kCoverUpdateTimeKey), kept);
}

// Counts the times a file is put in place in a folder (written whole and renamed there).
class ReplacementCounter {
 public:
  ReplacementCounter(const fs::path& folder, std::string name) : name_(std::move(name)) {
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ >= 0) ::inotify_add_watch(fd_, folder.c_str(), IN_MOVED_TO | IN_CLOSE_WRITE);
  }
  ~ReplacementCounter() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool watching() const { return fd_ >= 0; }
  int count() {
    alignas(inotify_event) char buffer[65536];
    for (ssize_t n; (n = ::read(fd_, buffer, sizeof buffer)) > 0;) {
      for (char* at = buffer; at < buffer + n;) {
        const auto* event = reinterpret_cast<const inotify_event*>(at);
        if (event->len > 0 && name_ == event->name) ++count_;
        at += sizeof(inotify_event) + event->len;
      }
    }
    return count_;
  }

 private:
  std::string name_;
  int fd_ = -1;
  int count_ = 0;
};

// A feed of many covers: the first kMaxCovers, in feed order, become the covers (nothing of the
// rest is downloaded), their texts go to the defaults in one write, and the texts kept from a
// longer set before are removed.
TEST_F(ImageTasksTest, CoversAreCappedAndTheirTextsWrittenOnce) {
  std::string feed =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<feed xmlns=\"http://www.w3.org/2005/Atom\">"
      "<id>covers</id><updated>2026-01-06T06:00:00Z</updated>";
  // The first cover's texts are huge: what is kept of them is bounded.
  const std::string huge(200000, 'x');
  for (int i = 0; i < 60; ++i) {
    feed += "<entry><title>Cover " + std::to_string(i) + (i == 0 ? huge : "") + "</title>" +
            (i == 0 ? "<content type=\"text\">" + huge + "</content><author><name>" + huge +
                          "</name></author>"
                    : "") +
            "<id>c" + std::to_string(i) +
            "</id><link rel=\"x-stanza-cover-image\" type=\"image/png\" href=\"{base}/img/cover-" +
            std::to_string(i) + ".png\"/></entry>";
  }
  service_.setDocument("covers.xml", feed + "</feed>");
  for (int i = 0; i < 70; ++i) {
    Dictionary old;
    old.set("title", "old " + std::to_string(i));
    DESettings::setProgramCoverInfo(old, i);
  }
  startEngine();
  ReplacementCounter writes(UserDefaults::standard().filePath().parent_path(),
                            UserDefaults::kFileName);
  ASSERT_TRUE(writes.watching());
  auto task = std::make_shared<DownloadProgramCoversTask>();
  engine_->asyncRunTask(task);
  ASSERT_TRUE(turnMainLoopUntil([&] { return hasEnded(task); }));
  // A handful of writes of the defaults (the texts once, the feed's time, flags and the
  // device's identifiers the first requests keep), not one a cover.
  EXPECT_LT(writes.count(), static_cast<int>(DownloadProgramCoversTask::kMaxCovers / 2));

  const std::string folder = CommInfo::getProgramCoverDir();
  const size_t kept = DownloadProgramCoversTask::kMaxCovers;
  EXPECT_TRUE(fs::is_regular_file(folder + std::to_string(kept - 1) + "_large"));
  EXPECT_FALSE(fs::exists(folder + std::to_string(kept) + "_large"));
  EXPECT_EQ(imageRequests(), kept);
  EXPECT_EQ(DESettings::getProgramCoverInfo(static_cast<int>(kept) - 1)->get("title").stringValue(),
            "Cover " + std::to_string(kept - 1));
  for (int i : {static_cast<int>(kept), 59, 69}) EXPECT_FALSE(DESettings::getProgramCoverInfo(i)) << i;
  EXPECT_EQ(engine_->getProgramCovers().size(), kept);
  const auto first = DESettings::getProgramCoverInfo(0);
  ASSERT_TRUE(first);
  for (const char* key : {"title", "description", "source"}) {
    const std::string text = first->get(key).stringValue().value_or("");
    EXPECT_EQ(text.size(), DownloadProgramCoversTask::kMaxCoverText) << key;
  }
  EXPECT_EQ(first->get("title").stringValue().value_or("").substr(0, 8), "Cover 0x");
  EXPECT_LT(fs::file_size(UserDefaults::standard().filePath()), 64u * 1024);
}

}  // namespace
}  // namespace zu
