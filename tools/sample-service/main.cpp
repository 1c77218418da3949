// zu-sample-service: serves the sample documents on 127.0.0.1 until interrupted.
//   zu-sample-service [--port N] [--port-file PATH] [--documents DIR]
// Port 0 (the default) takes any free port; the chosen one is written, once the server accepts
// connections, to the --port-file when one is given (the starter reads it there and the run's
// output stays the client's), else printed.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <unistd.h>

#include "SampleService.h"

namespace {
volatile std::sig_atomic_t gStop = 0;
void onSignal(int) { gStop = 1; }
}  // namespace

int main(int argc, char** argv) {
  int port = 0;
  std::string portFile, documents;
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string option = argv[i];
    if (option == "--port") {
      port = std::atoi(argv[i + 1]);
    } else if (option == "--port-file") {
      portFile = argv[i + 1];
    } else if (option == "--documents") {
      documents = argv[i + 1];
    } else {
      std::fprintf(stderr, "unknown option %s\n", option.c_str());
      return 2;
    }
  }
  zu::SampleService service(documents);
  if (!service.start(port)) {
    std::fprintf(stderr, "zu-sample-service: cannot listen on port %d\n", port);
    return 1;
  }
  std::signal(SIGINT, onSignal);
  std::signal(SIGTERM, onSignal);
  if (!portFile.empty()) {
    const std::string temp = portFile + ".tmp";
    std::ofstream(temp) << service.port() << "\n";
    std::rename(temp.c_str(), portFile.c_str());
  } else {
    std::printf("zu-sample-service listening on %s\n", service.baseUrl().c_str());
    std::fflush(stdout);
  }
  while (!gStop) pause();
  service.stop();
  return 0;
}
