// zu-loopback-proxy: the tests' loopback forward proxy (LoopbackProxy) until interrupted.
//   zu-loopback-proxy --port-file PATH --log PATH NAME...
// It takes each NAME for 127.0.0.1 (a name only it knows, for a service that can be reached
// through it alone), writes its port to the --port-file once it accepts connections, and one
// line per request it is asked to the --log ("METHOD host:port target user-agent"), each written whole as
// it comes. SIGINT or SIGTERM stops it, taken by the main thread alone (sigwait), as the sample
// service does.
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <set>
#include <string>

#include "testing/LoopbackProxy.h"

namespace {
void onStopSignal(int) {}
}  // namespace

int main(int argc, char** argv) {
  std::string portFile, logFile;
  std::set<std::string> names;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--port-file" && i + 1 < argc) {
      portFile = argv[++i];
    } else if (option == "--log" && i + 1 < argc) {
      logFile = argv[++i];
    } else if (!option.empty() && option.front() != '-') {
      names.insert(option);
    } else {
      std::fprintf(stderr, "usage: zu-loopback-proxy --port-file PATH --log PATH NAME...\n");
      return 2;
    }
  }
  if (portFile.empty() || logFile.empty()) {
    std::fprintf(stderr, "usage: zu-loopback-proxy --port-file PATH --log PATH NAME...\n");
    return 2;
  }
  const int log = ::open(logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  if (log < 0) {
    std::perror("zu-loopback-proxy: --log");
    return 1;
  }
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  std::signal(SIGINT, onStopSignal);
  std::signal(SIGTERM, onStopSignal);
  zu::LoopbackProxy proxy(names, [log](const zu::LoopbackProxy::Request& request) {
    const std::string line = request.method + " " + request.host + ":" + std::to_string(request.port) + " " +
                             request.target + " " + request.userAgent + "\n";
    [[maybe_unused]] ssize_t n = ::write(log, line.data(), line.size());
  });
  const std::string temp = portFile + ".tmp";
  std::ofstream(temp) << proxy.port() << "\n";
  std::rename(temp.c_str(), portFile.c_str());
  int signal = 0;
  sigwait(&stopSignals, &signal);
  proxy.stop();
  ::close(log);
  return 0;
}
