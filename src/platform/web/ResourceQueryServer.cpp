#include "platform/web/ResourceQueryServer.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/runtime/Thread.h"
#include "platform/web/WebResourceProvider.h"

namespace zu::web {

ResourceQueryServer* ResourceQueryServer::start() {
  char folder[] = "/tmp/zu-web-XXXXXX";
  if (!mkdtemp(folder)) {
    std::fprintf(stderr, "ResourceQueryServer: no private folder (%s)\n", std::strerror(errno));
    return nullptr;
  }
  auto* server = new ResourceQueryServer();
  server->path_ = std::string(folder) + "/resources";
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (server->path_.size() >= sizeof(address.sun_path)) {
    delete server;
    return nullptr;
  }
  std::memcpy(address.sun_path, server->path_.c_str(), server->path_.size() + 1);
  server->listenFd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (server->listenFd_ < 0 ||
      bind(server->listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
      listen(server->listenFd_, 16) != 0) {
    std::fprintf(stderr, "ResourceQueryServer: cannot listen (%s)\n", std::strerror(errno));
    if (server->listenFd_ >= 0) close(server->listenFd_);
    delete server;
    return nullptr;
  }
  std::thread([server] {
    Thread::setCurrentName("web-query");
    server->acceptLoop();
  }).detach();
  return server;
}

void ResourceQueryServer::removeSocket() {
  unlink(path_.c_str());
  rmdir(path_.substr(0, path_.rfind('/')).c_str());
}

void ResourceQueryServer::acceptLoop() {
  for (;;) {
    const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      return;
    }
    std::thread([fd] {
      Thread::setCurrentName("web-query");
      serve(fd);
    }).detach();
  }
}

void ResourceQueryServer::serve(int fd) {
  std::string line;
  bool overlong = false;
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof(buffer));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    for (ssize_t i = 0; i < n; ++i) {
      if (buffer[i] != '\n') {
        if (line.size() < kMaxLine) line.push_back(buffer[i]);
        else overlong = true;
        continue;
      }
      // Held, and the network out of reach: only then may a page from elsewhere get it from
      // the client (online, how fast it came would tell the page what the reader has read).
      auto provider = WebResourceProvider::shared();
      const char answer = !overlong && provider && !provider->networkReachable() && provider->holds(line) ? '1' : '0';
      if (write(fd, &answer, 1) != 1) {
        close(fd);
        return;
      }
      line.clear();
      overlong = false;
    }
  }
  close(fd);
}

}  // namespace zu::web
