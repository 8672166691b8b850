// The network and window benchmarks, in one run against one loopback server:
//   - WebFetch (bench/fetch_once) against `curl -s -o /dev/null` for a 1 MiB and a 20 MiB body,
//     wall time and peak memory of each process;
//   - click-to-rows in the main window (bench/window_once click) for 100 and 2,000 hits and for
//     a changed-layout page of 5,000 hits, beside the fetch and parse of the same page without
//     the window (window_once parse);
//   - start-up to the end of the first paint with a version page that never answers;
//   - peak memory of the search click on a 50 MiB page with 100,000 hits.
// Each measurement runs in a fresh child process; the figure reported is the median of the
// runs (peak memory: the largest). Prints a readable table on stderr and JSON on stdout.
//
// Usage: net_bench --fetch-once PATH --window-once PATH [--curl PATH] [--runs N]
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/compact_result_page.h"
#include "tests/support/loopback_server.h"
#include "tests/support/result_page_generator.h"

extern char** environ;

namespace quillmere::bench {
namespace {

using test_support::LoopbackServer;
using test_support::RecordedRequest;
using test_support::Reply;

constexpr size_t kMiB = size_t{1} << 20;
constexpr int kBigPageHits = 100000;
constexpr size_t kBigPageBytesPerHit = 524;  // 100,000 hits make 50 MiB

int64_t MonotonicNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
}

struct ChildRun {
  bool ok = false;
  double wallMs = 0;
  double peakMiB = 0;
  std::string output;  // the child's standard output
};

// Runs argv[0] with its arguments, standard output captured and standard error discarded.
// `spawnNs`, when given, receives the clock reading taken just before the start.
ChildRun Run(std::vector<std::string> args, int64_t* spawnNs = nullptr) {
  ChildRun run;
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return run;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[1]);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);

  const int64_t start = MonotonicNs();
  if (spawnNs) {
    *spawnNs = start;
    args.back() = std::to_string(start);
    argv[argv.size() - 2] = args.back().data();
  }
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  if (spawned != 0) {
    close(pipeEnds[0]);
    return run;
  }
  char buffer[4096];
  ssize_t count = 0;
  while ((count = read(pipeEnds[0], buffer, sizeof buffer)) > 0) {
    run.output.append(buffer, static_cast<size_t>(count));
  }
  close(pipeEnds[0]);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  run.wallMs = static_cast<double>(MonotonicNs() - start) / 1e6;
  run.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

// Starts the children from a small helper process forked before the pages are built. Linux
// carries a process's memory high-water mark across exec, so a child started straight from
// this process would report this process's peak (the served pages) as its own.
class Launcher {
 public:
  bool Start() {
    int requests[2], answers[2];
    if (pipe(requests) != 0 || pipe(answers) != 0) return false;
    const pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
      close(requests[1]);
      close(answers[0]);
      Serve(requests[0], answers[1]);
      _exit(0);
    }
    close(requests[0]);
    close(answers[1]);
    to_ = requests[1];
    from_ = answers[0];
    helper_ = pid;
    return true;
  }

  ~Launcher() {
    if (to_ >= 0) close(to_);  // the helper sees the end and leaves
    if (from_ >= 0) close(from_);
    if (helper_ > 0) waitpid(helper_, nullptr, 0);
  }

  // Run(), done by the helper.
  ChildRun Run(const std::vector<std::string>& args, bool passSpawn) {
    std::string request = Word(passSpawn ? "1" : "0");
    for (const std::string& arg : args) request += Word(arg);
    ChildRun run;
    std::string answer;
    if (!WriteAll(to_, Word(request)) || !ReadWord(from_, answer)) return run;
    int ok = 0;
    std::sscanf(answer.c_str(), "%d %lf %lf", &ok, &run.wallMs, &run.peakMiB);
    run.ok = ok != 0;
    const size_t newline = answer.find('\n');
    if (newline != std::string::npos) run.output = answer.substr(newline + 1);
    return run;
  }

 private:
  static std::string Word(const std::string& text) {
    const uint32_t size = static_cast<uint32_t>(text.size());
    return std::string(reinterpret_cast<const char*>(&size), sizeof size) + text;
  }
  static bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t count = write(fd, bytes.data() + done, bytes.size() - done);
      if (count <= 0) return false;
      done += static_cast<size_t>(count);
    }
    return true;
  }
  static bool ReadExactly(int fd, char* buffer, size_t size) {
    size_t done = 0;
    while (done < size) {
      const ssize_t count = read(fd, buffer + done, size - done);
      if (count <= 0) return false;
      done += static_cast<size_t>(count);
    }
    return true;
  }
  static bool ReadWord(int fd, std::string& text) {
    uint32_t size = 0;
    if (!ReadExactly(fd, reinterpret_cast<char*>(&size), sizeof size)) return false;
    text.assign(size, '\0');
    return ReadExactly(fd, text.data(), size);
  }
  static void Serve(int in, int out) {
    std::string request;
    while (ReadWord(in, request)) {
      std::vector<std::string> words;
      size_t at = 0;
      while (at + sizeof(uint32_t) <= request.size()) {
        uint32_t size = 0;
        std::memcpy(&size, request.data() + at, sizeof size);
        words.push_back(request.substr(at + sizeof size, size));
        at += sizeof size + size;
      }
      if (words.size() < 2) break;
      const bool passSpawn = words[0] == "1";
      words.erase(words.begin());
      int64_t spawnNs = 0;
      const ChildRun run = quillmere::bench::Run(words, passSpawn ? &spawnNs : nullptr);
      char head[96];
      std::snprintf(head, sizeof head, "%d %.6f %.6f\n", run.ok ? 1 : 0, run.wallMs, run.peakMiB);
      if (!WriteAll(out, Word(head + run.output))) break;
    }
  }

  int to_ = -1;
  int from_ = -1;
  pid_t helper_ = 0;
};

Launcher* gLauncher = nullptr;

// The number after "key=" in a child's output line, or nullopt.
std::optional<double> Field(const std::string& output, const std::string& key) {
  const size_t at = output.find(key + "=");
  if (at == std::string::npos) return std::nullopt;
  return std::strtod(output.c_str() + at + key.size() + 1, nullptr);
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

struct Figure {
  double median = 0;
  double peakMiB = 0;
  bool ok = true;
};

// Runs `runs` times (after one unmeasured warm-up run) and takes the median of either the
// wall time or the child's own "ms=" figure, and the largest peak memory.
Figure Measure(const std::vector<std::string>& args, int runs, bool childTime,
               const char* expectKey = nullptr, double expected = 0, bool passSpawn = false) {
  Figure figure;
  std::vector<double> times;
  for (int i = 0; i <= runs; ++i) {
    const ChildRun run = gLauncher->Run(args, passSpawn);
    const std::optional<double> ms = Field(run.output, "ms");
    const bool ok = run.ok && (!childTime || ms) &&
                    (!expectKey || Field(run.output, expectKey).value_or(-1) == expected);
    if (!ok) {
      std::fprintf(stderr, "failed run: %s -> %s\n", args[0].c_str(), run.output.c_str());
      figure.ok = false;
    }
    if (i == 0) continue;
    times.push_back(childTime ? ms.value_or(0) : run.wallMs);
    figure.peakMiB = std::max(figure.peakMiB, run.peakMiB);
  }
  figure.median = Median(times);
  return figure;
}

// A body of `size` bytes of plain text, sent in 64 KiB pieces of one buffer.
Reply TextBody(size_t size) {
  std::string line = "<p>The quick brown fox jumps over the lazy dog, 0123456789.</p>\n";
  std::string piece;
  while (piece.size() < 64 * 1024) piece += line;
  piece.resize(64 * 1024);
  return Reply::Raw("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                    std::to_string(size) + "\r\n\r\n")
      .Repeat(piece, size / piece.size());
}

Reply Page(const Text& html) {
  return Reply::Response(200, "OK", {"Content-Type: text/html; charset=gbk"}, html);
}

struct Site {
  std::map<std::string, Reply> replies;

  Reply Answer(const RecordedRequest& request) const {
    const auto found = replies.find(request.Target());
    if (found != replies.end()) return found->second;
    if (request.Target() == "/version") return Reply().Hold();
    return Reply::Response(404, "Not Found", {}, "");
  }
};

std::string SearchTarget(const std::string& keyword) {
  return "/search/" + keyword + "/default-1.html";
}

std::string Json(const std::string& name, double value) {
  char text[128];
  std::snprintf(text, sizeof text, "\"%s\": %.3f", name.c_str(), value);
  return text;
}

int Main(int argc, char** argv) {
  std::string fetchOnce, windowOnce, curl = "/usr/bin/curl";
  int runs = 5;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string flag = argv[i];
    if (flag == "--fetch-once") fetchOnce = argv[i + 1];
    if (flag == "--window-once") windowOnce = argv[i + 1];
    if (flag == "--curl") curl = argv[i + 1];
    if (flag == "--runs") runs = std::max(1, std::atoi(argv[i + 1]));
  }
  if (fetchOnce.empty() || windowOnce.empty()) {
    std::fprintf(stderr,
                 "usage: net_bench --fetch-once PATH --window-once PATH [--curl PATH] "
                 "[--runs N]\n");
    return 2;
  }
  // Children talk to 127.0.0.1 directly and draw offscreen.
  for (const char* name :
       {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY", "all_proxy"}) {
    unsetenv(name);
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  setenv("QT_LOGGING_RULES", "qt.qpa.*=false", 1);
  Launcher launcher;
  if (!launcher.Start()) {
    std::fprintf(stderr, "the launcher process did not start\n");
    return 1;
  }
  gLauncher = &launcher;

  Site site;
  site.replies["/body/1"] = TextBody(1 * kMiB);
  site.replies["/body/20"] = TextBody(20 * kMiB);
  for (int hits : {100, 2000}) {
    test_support::ResultPageOptions options;
    options.hitCount = hits;
    site.replies[SearchTarget("hits" + std::to_string(hits))] =
        Page(test_support::GenerateResultPage(options).html);
  }
  test_support::ResultPageOptions changed;
  changed.hitCount = 5000;
  changed.changedLayout = true;
  site.replies[SearchTarget("changed5000")] = Page(test_support::GenerateResultPage(changed).html);
  test_support::CompactPageOptions big;
  big.hitCount = kBigPageHits;
  big.bytesPerHit = kBigPageBytesPerHit;
  const Text bigPage = test_support::CompactResultPage(big);
  const double bigPageMiB = static_cast<double>(bigPage.size()) / kMiB;
  site.replies[SearchTarget("big")] = Page(bigPage);

  LoopbackServer server([&site](const RecordedRequest& request) { return site.Answer(request); });
  if (!server.ok()) {
    std::fprintf(stderr, "the loopback server did not start\n");
    return 1;
  }
  const std::string root = server.Origin();
  std::vector<std::string> json;
  bool allOk = true;
  auto note = [&](const std::string& name, const Figure& figure, bool withMemory) {
    json.push_back(Json(name + "_ms", figure.median));
    if (withMemory) json.push_back(Json(name + "_peak_mib", figure.peakMiB));
    allOk = allOk && figure.ok;
    std::fprintf(stderr, "%-28s %10.1f ms", name.c_str(), figure.median);
    if (withMemory) std::fprintf(stderr, " %9.1f MiB", figure.peakMiB);
    std::fprintf(stderr, "%s\n", figure.ok ? "" : "  (a run failed)");
  };

  for (int mib : {1, 20}) {
    const std::string url = server.Url("/body/" + std::to_string(mib));
    const std::string name = std::to_string(mib) + "mib";
    // Interleaved, so both see the same machine load.
    Figure ours, theirs;
    std::vector<double> ourTimes, theirTimes;
    for (int i = 0; i <= runs; ++i) {
      const ChildRun a = gLauncher->Run({fetchOnce, url}, false);
      const ChildRun b = gLauncher->Run({curl, "-s", "-o", "/dev/null", url}, false);
      const bool sizeRight = Field(a.output, "bytes").value_or(0) == double(mib * kMiB);
      ours.ok = ours.ok && a.ok && sizeRight;
      theirs.ok = theirs.ok && b.ok;
      if (i == 0) continue;
      ourTimes.push_back(a.wallMs);
      theirTimes.push_back(b.wallMs);
      ours.peakMiB = std::max(ours.peakMiB, a.peakMiB);
      theirs.peakMiB = std::max(theirs.peakMiB, b.peakMiB);
    }
    ours.median = Median(ourTimes);
    theirs.median = Median(theirTimes);
    note("webfetch_" + name, ours, true);
    note("curl_" + name, theirs, true);
  }

  for (int hits : {100, 2000}) {
    const std::string keyword = "hits" + std::to_string(hits);
    note("click_" + keyword,
         Measure({windowOnce, "click", root, keyword}, runs, true, "rows", hits), false);
    note("parse_" + keyword,
         Measure({windowOnce, "parse", root, keyword}, runs, true, "hits", hits), false);
  }
  note("click_changed5000",
       Measure({windowOnce, "click", root, "changed5000"}, runs, true, "rows", 0), false);

  const size_t versionRequestsBefore = server.RequestCount();
  note("startup_first_paint",
       Measure({windowOnce, "startup", server.Url("/version"), "0"}, runs, true, nullptr, 0, true),
       true);
  size_t versionRequests = 0;
  for (const RecordedRequest& request : server.Requests()) {
    if (request.Target() == "/version") ++versionRequests;
  }
  // Every start-up run must have asked for the version page (and got no answer).
  const bool versionAsked = versionRequests == static_cast<size_t>(runs + 1) &&
                            server.RequestCount() - versionRequestsBefore == versionRequests;
  if (!versionAsked) std::fprintf(stderr, "the start-up runs did not all ask for the version\n");
  allOk = allOk && versionAsked;

  note("click_big",
       Measure({windowOnce, "click", root, "big"}, std::min(runs, 2), true, "rows", kBigPageHits),
       true);
  json.push_back(Json("big_page_mib", bigPageMiB));
  json.push_back(Json("big_page_hits", kBigPageHits));
  json.push_back(Json("runs", runs));
  json.push_back(std::string("\"all_runs_ok\": ") + (allOk ? "true" : "false"));

  std::printf("{\n");
  for (size_t i = 0; i < json.size(); ++i) {
    std::printf("  %s%s\n", json[i].c_str(), i + 1 < json.size() ? "," : "");
  }
  std::printf("}\n");
  return allOk ? 0 : 1;
}

}  // namespace
}  // namespace quillmere::bench

int main(int argc, char** argv) {
  return quillmere::bench::Main(argc, argv);
}
