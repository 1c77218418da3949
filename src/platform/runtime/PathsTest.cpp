#include "platform/runtime/Paths.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <thread>
#include <vector>

#include "testing/TempHome.h"

namespace zu {
namespace {

TEST(PathsTest, FoldersAreMadeInsideTheHomeOnFirstUse) {
  TempHome home;
  // A fresh home is empty: opening a file in caches must work without any set-up.
  EXPECT_TRUE(std::filesystem::is_empty(home.path()));
  std::ofstream log(Paths::caches() / "zureader.log");
  EXPECT_TRUE(log.good());

  EXPECT_EQ(Paths::home(), home.path());
  EXPECT_EQ(Paths::documents(), home.path() / "Documents");
  EXPECT_EQ(Paths::library(), home.path() / "Library");
  EXPECT_EQ(Paths::caches(), home.path() / "Library" / "Caches");
  EXPECT_EQ(Paths::preferences(), home.path() / "Library" / "Preferences");
  EXPECT_EQ(Paths::tmp(), home.path() / "tmp");
  for (const auto& p : {Paths::documents(), Paths::caches(), Paths::preferences(), Paths::tmp()})
    EXPECT_TRUE(std::filesystem::is_directory(p)) << p;
}

TEST(PathsTest, HomeComesFromTheEnvironmentWhenNotOverridden) {
  TempHome scratch;  // keeps anything we create inside a temp folder
  Paths::resetHomeForTesting();
  const char* oldZu = getenv("ZU_HOME");
  const char* oldXdg = getenv("XDG_DATA_HOME");
  std::string savedZu = oldZu ? oldZu : "", savedXdg = oldXdg ? oldXdg : "";

  setenv("ZU_HOME", (scratch.path() / "zu").c_str(), 1);
  setenv("XDG_DATA_HOME", (scratch.path() / "xdg").c_str(), 1);
  EXPECT_EQ(Paths::home(), scratch.path() / "zu");
  unsetenv("ZU_HOME");
  EXPECT_EQ(Paths::home(), scratch.path() / "xdg" / "zureader");
  EXPECT_TRUE(std::filesystem::is_directory(scratch.path() / "xdg" / "zureader"));

  if (oldZu) setenv("ZU_HOME", savedZu.c_str(), 1); else unsetenv("ZU_HOME");
  if (oldXdg) setenv("XDG_DATA_HOME", savedXdg.c_str(), 1); else unsetenv("XDG_DATA_HOME");
  Paths::setHomeForTesting(scratch.path());
}

TEST(PathsTest, ConcurrentFirstUseFromManyThreads) {
  TempHome home;
  std::vector<std::thread> threads;
  std::vector<std::filesystem::path> seen(8);
  for (int i = 0; i < 8; ++i)
    threads.emplace_back([i, &seen] { seen[i] = Paths::caches(); });
  for (auto& t : threads) t.join();
  for (const auto& p : seen) EXPECT_EQ(p, home.path() / "Library" / "Caches");
  EXPECT_TRUE(std::filesystem::is_directory(home.path() / "Library" / "Caches"));
}

}  // namespace
}  // namespace zu
