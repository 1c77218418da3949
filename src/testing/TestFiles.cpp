#include "testing/TestFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <future>
#include <iterator>
#include <stdexcept>
#include <system_error>
#include <thread>

namespace zu {

std::string TestFiles::read(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void TestFiles::write(const std::filesystem::path& path, std::string_view data) {
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

void TestFiles::makePipe(const std::filesystem::path& path) {
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
  if (::mkfifo(path.c_str(), 0600) != 0) {
    throw std::runtime_error("cannot make a pipe at " + path.string() + ": " + std::strerror(errno));
  }
}

std::map<std::string, std::string> TestFiles::snapshot(const std::filesystem::path& folder) {
  std::map<std::string, std::string> out;
  struct stat own {};
  ::lstat(folder.c_str(), &own);
  out["."] = std::to_string(own.st_mode);
  for (std::filesystem::recursive_directory_iterator it(folder), end; it != end; ++it) {
    struct stat st {};
    ::lstat(it->path().c_str(), &st);
    std::string what = std::to_string(st.st_mode) + " ";
    if (S_ISLNK(st.st_mode)) what += std::filesystem::read_symlink(it->path()).string();
    if (S_ISREG(st.st_mode)) what += read(it->path());
    out[it->path().lexically_relative(folder).string()] = what;
  }
  return out;
}

std::vector<std::filesystem::path> TestFiles::setAside(const std::filesystem::path& folder,
                                                       const std::string& name) {
  std::vector<std::filesystem::path> out;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    if (it->path().filename().string().rfind(name + ".aside-", 0) == 0) out.push_back(it->path());
  }
  return out;
}

bool TestFiles::finishesBesidePipes(const std::function<void()>& work,
                                    const std::vector<std::filesystem::path>& pipes,
                                    std::chrono::milliseconds limit) {
  std::promise<void> done;
  std::future<void> finished = done.get_future();
  std::thread worker([&] {
    work();
    done.set_value();
  });
  const bool inTime = finished.wait_for(limit) == std::future_status::ready;
  while (finished.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
    // Opening read-write never waits, and gives a waiting reader its writer and a waiting
    // writer its reader.
    for (const auto& pipe : pipes) {
      const int fd = ::open(pipe.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
      if (fd >= 0) ::close(fd);
    }
    finished.wait_for(std::chrono::milliseconds(50));
  }
  worker.join();
  return inTime;
}

}  // namespace zu
