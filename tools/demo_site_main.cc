// quillmere_demo_site [--port N]: serves the demo search site and version page on
// 127.0.0.1:N (18080 when not given), prints its origin, then one line per request (its
// request line), and runs until SIGINT or SIGTERM.

#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/support/loopback_server.h"
#include "tools/demo_site.h"

namespace {

constexpr int kDefaultPort = 18080;

int Usage() {
  std::fprintf(stderr, "usage: quillmere_demo_site [--port N]   (N from 1 to 65535)\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  long port = kDefaultPort;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--port") == 0 && i + 1 < argc) {
      char* end = nullptr;
      port = std::strtol(argv[++i], &end, 10);
      if (*end != '\0' || port < 1 || port > 65535) return Usage();
    } else {
      return Usage();
    }
  }

  // Block the stop signals before the server starts its threads, so they inherit the mask and
  // the signals wait for sigwait below.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  // Requests are answered on several threads; one printf call per line keeps lines whole.
  const auto answer = [](const quillmere::test_support::RecordedRequest& request) {
    std::printf("%s\n", request.RequestLine().c_str());
    std::fflush(stdout);
    return quillmere::demo::Answer(request);
  };
  quillmere::test_support::LoopbackServer server(answer, nullptr, static_cast<uint16_t>(port));
  if (!server.ok()) {
    std::fprintf(stderr, "quillmere_demo_site: cannot listen on 127.0.0.1:%ld\n", port);
    return 1;
  }
  std::printf("%s\n", server.Origin().c_str());
  std::fflush(stdout);

  int received = 0;
  sigwait(&stopSignals, &received);
  return 0;
}
