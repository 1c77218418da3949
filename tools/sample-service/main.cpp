// zu-sample-service: serves the sample documents on 127.0.0.1 until interrupted.
//   zu-sample-service [--port N] [--port-file PATH] [--documents DIR] [--host-name NAME]
// --host-name: the name its addresses give for the service's host (default 127.0.0.1), for a
// client that reaches it through a proxy that alone knows the name.
// Port 0 (the default) takes any free port; the chosen one is written, once the server accepts
// connections, to the --port-file when one is given (the starter reads it there and the run's
// output stays the client's), else printed. SIGINT or SIGTERM stops it: both are blocked before
// the server's threads start (they inherit the mask) and taken by the main thread alone, which
// waits for them with sigwait: a stop signal can neither land on a server thread nor come between
// a check and a pause, where a flag set by a handler would leave the main thread asleep.
#include <pthread.h>
#include <signal.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "SampleService.h"

namespace {
// Installed so that neither signal keeps the ignored disposition a background start may hand
// down (an ignored signal is dropped even while blocked); sigwait takes them before it runs.
void onStopSignal(int) {}
}  // namespace

int main(int argc, char** argv) {
  int port = 0;
  std::string portFile, documents, hostName;
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string option = argv[i];
    if (option == "--port") {
      port = std::atoi(argv[i + 1]);
    } else if (option == "--port-file") {
      portFile = argv[i + 1];
    } else if (option == "--documents") {
      documents = argv[i + 1];
    } else if (option == "--host-name") {
      hostName = argv[i + 1];
    } else {
      std::fprintf(stderr, "unknown option %s\n", option.c_str());
      return 2;
    }
  }
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  std::signal(SIGINT, onStopSignal);
  std::signal(SIGTERM, onStopSignal);
  zu::SampleService service(documents);
  if (!hostName.empty()) service.setHostName(hostName);
  if (!service.start(port)) {
    std::fprintf(stderr, "zu-sample-service: cannot listen on port %d\n", port);
    return 1;
  }
  if (!portFile.empty()) {
    const std::string temp = portFile + ".tmp";
    std::ofstream(temp) << service.port() << "\n";
    std::rename(temp.c_str(), portFile.c_str());
  } else {
    std::printf("zu-sample-service listening on %s\n", service.baseUrl().c_str());
    std::fflush(stdout);
  }
  int signal = 0;
  sigwait(&stopSignals, &signal);
  service.stop();
  return 0;
}
