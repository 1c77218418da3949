// TempHome: gives one test a fresh, empty application home. Construction makes a new temporary
// folder, points Paths at it and makes UserDefaults::standard() reload from it; destruction
// restores the environment's home, resets the standard defaults again and removes the folder
// with everything in it. Create it on the test thread, one at a time (the home is
// process-wide); threads that use the home must be finished before it is destroyed.
#pragma once

#include <filesystem>

namespace zu {

class TempHome {
 public:
  TempHome();
  ~TempHome();
  TempHome(const TempHome&) = delete;
  TempHome& operator=(const TempHome&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace zu
