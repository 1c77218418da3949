#include "common/ZipArchive.h"

#include <gtest/gtest.h>
#include <minizip/zip.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <vector>

#include "common/ZipArchiveDelegate.h"
#include "testing/TempHome.h"
#include "testing/TestFiles.h"

namespace zu {
namespace {

namespace fs = std::filesystem;

class RecordingDelegate : public ZipArchiveDelegate {
 public:
  void errorMessage(const std::string& message) override { errors.push_back(message); }
  bool overWriteOperation(const std::string& path) override {
    asked.push_back(path);
    return answer;
  }
  void unzipPercent(float percent) override { percents.push_back(percent); }

  bool answer = false;
  std::vector<std::string> errors;
  std::vector<std::string> asked;
  std::vector<float> percents;
};

// One stored (not deflated) entry written through minizip directly, so a test can give it any
// name and any CRC.
struct RawEntry {
  std::string name;
  std::string data;
  bool badCrc = false;
  // The uncompressed size the archive claims, when not the data's own.
  std::optional<uLong> declaredSize = std::nullopt;
};

void writeRawArchive(const fs::path& path, const std::vector<RawEntry>& entries) {
  zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
  ASSERT_NE(zip, nullptr);
  for (const RawEntry& e : entries) {
    zip_fileinfo info{};
    ASSERT_EQ(zipOpenNewFileInZip2(zip, e.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, 0,
                                   0, 1),
              ZIP_OK);
    ASSERT_EQ(zipWriteInFileInZip(zip, e.data.data(), static_cast<unsigned>(e.data.size())),
              ZIP_OK);
    uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(e.data.data()),
                      static_cast<uInt>(e.data.size()));
    if (e.badCrc) crc ^= 0x5a5a5a5aUL;
    ASSERT_EQ(zipCloseFileInZipRaw(zip, e.declaredSize.value_or(e.data.size()), crc), ZIP_OK);
  }
  ASSERT_EQ(zipClose(zip, nullptr), ZIP_OK);
}

class ZipArchiveTest : public ::testing::Test {
 protected:
  fs::path dir(const char* name) {
    fs::path p = home_.path() / name;
    fs::create_directories(p);
    return p;
  }
  TempHome home_;
};

TEST_F(ZipArchiveTest, FilesComeBackWithTheirBytesFoldersAndDates) {
  const fs::path src = dir("src");
  std::string big;
  for (int i = 0; i < 20000; ++i) big += "line " + std::to_string(i) + "\n";
  TestFiles::write(src / "log.txt", big);
  TestFiles::write(src / "bin", std::string("\0\x01\xff zip", 7));
  // An even second: zip dates have a two-second resolution.
  const struct timespec times[2] = {{1600000000, 0}, {1600000000, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, (src / "log.txt").c_str(), times, 0), 0);

  for (const char* password : {"", "secret"}) {
    SCOPED_TRACE(password);
    const fs::path archive = home_.path() / "out.zip";
    ZipArchive zip;
    ASSERT_TRUE(*password ? zip.createZipFile2(archive, password) : zip.createZipFile2(archive));
    EXPECT_TRUE(zip.addFileToZip(src / "log.txt", "logs/log.txt"));
    EXPECT_TRUE(zip.addFileToZip(src / "bin", "bin"));
    // The feedback archive names every log file, present or not.
    EXPECT_TRUE(zip.addFileToZip(src / "missing.txt", "log_last.txt"));
    // A named pipe is no file to read: it goes in empty at once, never waited on.
    const fs::path pipe = src / (std::string("pipe-") + (*password ? "secret" : "plain"));
    TestFiles::makePipe(pipe);
    EXPECT_TRUE(TestFiles::finishesBesidePipes([&] { EXPECT_TRUE(zip.addFileToZip(pipe, "pipe")); }, {pipe}));
    EXPECT_TRUE(zip.closeZipFile2());
    EXPECT_FALSE(zip.closeZipFile2());

    const fs::path out = dir(*password ? "out-secret" : "out-plain");
    auto delegate = std::make_shared<RecordingDelegate>();
    ZipArchive reader;
    reader.setDelegate(delegate);
    ASSERT_TRUE(*password ? reader.unzipOpenFile(archive, password)
                          : reader.unzipOpenFile(archive));
    EXPECT_TRUE(reader.unzipFileTo(out, false));
    EXPECT_TRUE(reader.unzipCloseFile());
    EXPECT_TRUE(reader.unzipCloseFile());
    EXPECT_TRUE(TestFiles::read(out / "logs/log.txt") == big);
    EXPECT_EQ(TestFiles::read(out / "bin"), std::string("\0\x01\xff zip", 7));
    EXPECT_EQ(delegate->errors, std::vector<std::string>{});
    ASSERT_TRUE(fs::exists(out / "log_last.txt"));
    EXPECT_EQ(fs::file_size(out / "log_last.txt"), 0u);
    ASSERT_TRUE(fs::is_regular_file(out / "pipe"));
    EXPECT_EQ(fs::file_size(out / "pipe"), 0u);
    struct stat st;
    ASSERT_EQ(::stat((out / "logs/log.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1600000000);
    EXPECT_EQ(delegate->errors, std::vector<std::string>{});
    ASSERT_FALSE(delegate->percents.empty());
    for (float p : delegate->percents) EXPECT_LE(p, 100.0f);
    EXPECT_EQ(delegate->percents.back(), 100.0f);

    if (*password) {
      // The entries really are encrypted: without the password, or with another, nothing
      // reads back.
      for (const char* other : {"", "Secret"}) {
        ZipArchive wrong;
        ASSERT_TRUE(wrong.unzipOpenFile(archive, other));
        EXPECT_FALSE(wrong.unzipFileTo(dir("out-wrong"), true));
        EXPECT_FALSE(fs::exists(home_.path() / "out-wrong/bin"));
      }
    }
  }
}

TEST_F(ZipArchiveTest, AnArchiveEncryptedByAnotherToolOpensWithItsPassword) {
  // Written by a streaming zip tool: its entries check the password against their time.
  const std::string archive = std::string(ZU_TEST_DATA_DIR) + "/encrypted_by_another_tool.zip";
  const fs::path out = dir("out");
  ZipArchive zip;
  ASSERT_TRUE(zip.unzipOpenFile(archive, "pass word"));
  EXPECT_TRUE(zip.unzipFileTo(out, true));
  EXPECT_EQ(TestFiles::read(out / "notes.txt"), "first line\nsecond line\n");
  std::string numbers;
  for (int i = 1; i <= 400; ++i) numbers += std::to_string(i) + "\n";
  EXPECT_TRUE(TestFiles::read(out / "numbers.txt") == numbers);
  ZipArchive wrong;
  ASSERT_TRUE(wrong.unzipOpenFile(archive, "password"));
  EXPECT_FALSE(wrong.unzipFileTo(dir("wrong"), true));
}

TEST_F(ZipArchiveTest, BackslashNamesAndFolderEntriesMakeFolders) {
  const fs::path archive = home_.path() / "a.zip";
  writeRawArchive(archive, {{"images\\", ""}, {"text\\part\\1.htm", "<p>1</p>"}});
  const fs::path out = dir("out");
  EXPECT_TRUE(ZipArchive::unzipFile(archive, out, false));
  EXPECT_TRUE(fs::is_directory(out / "images"));
  EXPECT_EQ(TestFiles::read(out / "text/part/1.htm"), "<p>1</p>");
  // The destination is joined with a separator even when given without one.
  const fs::path other = dir("other");
  EXPECT_TRUE(ZipArchive::unzipFile(archive, other.string(), false));
  EXPECT_TRUE(fs::exists(other / "text/part/1.htm"));
}

TEST_F(ZipArchiveTest, ExistingFilesAreReplacedOnlyWhenAllowed) {
  const fs::path archive = home_.path() / "a.zip";
  writeRawArchive(archive, {{"a.txt", "new"}});
  const fs::path out = dir("out");

  auto refuse = std::make_shared<RecordingDelegate>();
  TestFiles::write(out / "a.txt", "old");
  ZipArchive zip;
  zip.setDelegate(refuse);
  ASSERT_TRUE(zip.unzipOpenFile(archive));
  EXPECT_TRUE(zip.unzipFileTo(out, false));
  EXPECT_EQ(refuse->asked, std::vector<std::string>{(out / "a.txt").string()});
  EXPECT_EQ(TestFiles::read(out / "a.txt"), "old");

  // Asked to overwrite: no question. Without a delegate: overwritten as well.
  EXPECT_TRUE(zip.unzipFileTo(out, true));
  EXPECT_EQ(refuse->asked.size(), 1u);
  EXPECT_EQ(TestFiles::read(out / "a.txt"), "new");
  TestFiles::write(out / "a.txt", "old");
  EXPECT_TRUE(ZipArchive::unzipFile(archive, out, false));
  EXPECT_EQ(TestFiles::read(out / "a.txt"), "new");

  // A file there of a second name (a hard link to a file outside the home) is replaced, never
  // written through.
  const fs::path outside = home_.path() / "letter.txt";
  TestFiles::write(outside, "the reader's letter");
  fs::remove(out / "a.txt");
  fs::create_hard_link(outside, out / "a.txt");
  EXPECT_TRUE(ZipArchive::unzipFile(archive, out, true));
  EXPECT_EQ(TestFiles::read(out / "a.txt"), "new");
  EXPECT_EQ(TestFiles::read(outside), "the reader's letter");
}

TEST_F(ZipArchiveTest, HostileArchivesFailWithoutWritingOutsideOrLeavingBadFiles) {
  const fs::path out = dir("books/b/out");
  struct Case {
    const char* what;
    std::vector<RawEntry> entries;
    std::string error = std::string();  // the first error reported, when it matters
  };
  const std::vector<Case> cases = {
      {"parent", {{"ok.txt", "ok"}, {"../evil.txt", "x"}}},
      {"nested parent", {{"a/../../evil.txt", "x"}}},
      {"backslash parent", {{"..\\evil.txt", "x"}}},
      {"absolute", {{"/tmp/zu_zip_evil.txt", "x"}}},
      {"bad crc", {{"page.htm", "content", true}}},
      // Data that ends before the size the entry claims: minizip checks no CRC then.
      {"short entry", {{"page.htm", "content", false, 1000}}},
      // Claims more than any book: refused before a byte is written.
      {"too large",
       {{"page.htm", "content", false, ZipArchive::kMaxExtractedBytes + 1}},
       "Entry too large refused: page.htm"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path archive = home_.path() / "hostile.zip";
    writeRawArchive(archive, c.entries);
    auto delegate = std::make_shared<RecordingDelegate>();
    ZipArchive zip;
    zip.setDelegate(delegate);
    ASSERT_TRUE(zip.unzipOpenFile(archive));
    EXPECT_FALSE(zip.unzipFileTo(out, true));
    ASSERT_FALSE(delegate->errors.empty());
    if (!c.error.empty()) {
      EXPECT_EQ(delegate->errors.front(), c.error);
    }
  }
  EXPECT_FALSE(fs::exists(home_.path() / "books/b/evil.txt"));
  EXPECT_FALSE(fs::exists(home_.path() / "books/evil.txt"));
  EXPECT_FALSE(fs::exists("/tmp/zu_zip_evil.txt"));
  EXPECT_FALSE(fs::exists(out / "page.htm"));

  // An entry compressed with a method this reader lacks (bzip2 here) is not written out as if
  // stored, even when its sizes agree.
  {
    const fs::path archive = home_.path() / "bzip2.zip";
    writeRawArchive(archive, {{"page.htm", "BZh91AY&SY compressed"}});
    std::string bytes = TestFiles::read(archive);
    constexpr char kBzip2 = 12;
    bytes[8] = kBzip2;  // the local header's method
    bytes[bytes.find("PK\x01\x02") + 10] = kBzip2;  // the central directory's
    TestFiles::write(archive, bytes);
    auto delegate = std::make_shared<RecordingDelegate>();
    ZipArchive zip;
    zip.setDelegate(delegate);
    ASSERT_TRUE(zip.unzipOpenFile(archive));
    EXPECT_FALSE(zip.unzipFileTo(out, true));
    EXPECT_FALSE(delegate->errors.empty());
    EXPECT_FALSE(fs::exists(out / "page.htm"));
  }

  // A download cut short, and one with its compressed bytes damaged.
  const fs::path src = dir("src");
  std::string text;
  for (int i = 0; i < 5000; ++i) text += std::to_string(i * 7919 % 1000) + ",";
  TestFiles::write(src / "page.htm", text);
  const fs::path good = home_.path() / "good.zip";
  ZipArchive writer;
  ASSERT_TRUE(writer.createZipFile2(good));
  ASSERT_TRUE(writer.addFileToZip(src / "page.htm", "page.htm"));
  ASSERT_TRUE(writer.closeZipFile2());
  const std::string bytes = TestFiles::read(good);

  const fs::path cut = home_.path() / "cut.zip";
  TestFiles::write(cut, bytes.substr(0, bytes.size() / 2));
  EXPECT_FALSE(ZipArchive::unzipFile(cut, out, true));

  std::string damaged = bytes;
  for (size_t i = 60; i < 200 && i < damaged.size(); ++i) damaged[i] = static_cast<char>(i * 31);
  const fs::path bad = home_.path() / "damaged.zip";
  TestFiles::write(bad, damaged);
  EXPECT_FALSE(ZipArchive::unzipFile(bad, out, true));
  EXPECT_FALSE(fs::exists(out / "page.htm"));

  EXPECT_FALSE(ZipArchive::unzipFile((home_.path() / "none.zip").string(), out, true));
  EXPECT_FALSE(ZipArchive::unzipFile(good, (home_.path() / "no/folder").string(), true));
  EXPECT_TRUE(ZipArchive::unzipFile(good, out, true));
}

}  // namespace
}  // namespace zu
