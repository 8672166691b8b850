// Reading a result page: RegexObject Create with the result pattern, then the three groups of
// every hit, as the search click does.
//
// With --write_pages=DIR the program writes the generated pages to DIR (page_100.html,
// page_1000.html, page_10000.html, page_changed_1000.html) and exits, so other tools can
// measure the same bytes.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "pattern/regex_object.h"
#include "pattern/result_pattern.h"
#include "platform/codepage936.h"
#include "platform/script_regexp.h"
#include "tests/support/result_page_generator.h"

namespace quillmere::bench {
namespace {

using test_support::GenerateResultPage;
using test_support::ResultPage;
using test_support::ResultPageOptions;

struct PageFile {
  const char* fileName;
  int hits;
  bool changedLayout;
};

constexpr PageFile kPages[] = {
    {"page_100.html", 100, false},
    {"page_1000.html", 1000, false},
    {"page_10000.html", 10000, false},
    {"page_changed_1000.html", 1000, true},
};

const ResultPage& CachedPage(int hits, bool changedLayout) {
  static std::map<std::pair<int, bool>, ResultPage> pages;
  auto [it, inserted] = pages.try_emplace({hits, changedLayout});
  if (inserted) {
    ResultPageOptions options;
    options.hitCount = hits;
    options.changedLayout = changedLayout;
    it->second = GenerateResultPage(options);
  }
  return it->second;
}

// Returns the number of hits read.
int ReadPage(const Text& html) {
  RegexObject regex;
  regex.Create(Text(kResultPattern), html);
  const int count = regex.MatchCount();
  for (int i = 1; i <= count; ++i) {
    for (int group = 1; group <= 3; ++group) {
      Text text = regex.SubmatchText(i, group);
      benchmark::DoNotOptimize(text);
    }
  }
  return count;
}

void RunPage(benchmark::State& state, bool changedLayout) {
  const int hits = static_cast<int>(state.range(0));
  const ResultPage& page = CachedPage(hits, changedLayout);
  const int expected = changedLayout ? 0 : hits;
  if (ReadPage(page.html) != expected) {
    state.SkipWithError("the page did not give the expected number of hits");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(ReadPage(page.html));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(page.html.size()));
  state.counters["page_bytes"] = static_cast<double>(page.html.size());
  state.counters["hits"] = expected;
}

void BM_ResultPage(benchmark::State& state) {
  RunPage(state, false);
}
void BM_ChangedLayoutPage(benchmark::State& state) {
  RunPage(state, true);
}

// The two largest parts of reading a page, on their own: the subject's conversion to UTF-16
// and the match loop over it.
void BM_SubjectToUtf16(benchmark::State& state) {
  const ResultPage& page = CachedPage(static_cast<int>(state.range(0)), false);
  for (auto _ : state) benchmark::DoNotOptimize(platform::Cp936ToUtf16(page.html));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(page.html.size()));
}

void BM_MatchSpansOnly(benchmark::State& state) {
  const ResultPage& page = CachedPage(static_cast<int>(state.range(0)), false);
  const std::u16string subject = platform::Cp936ToUtf16(page.html);
  platform::ScriptRegExp regExp;
  regExp.SetIgnoreCase(true);
  regExp.SetMultiline(true);
  regExp.SetGlobal(true);
  regExp.SetPattern(platform::Cp936ToUtf16(kResultPattern));
  for (auto _ : state) benchmark::DoNotOptimize(regExp.ExecuteSpans(subject));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(page.html.size()));
}

BENCHMARK(BM_ResultPage)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChangedLayoutPage)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SubjectToUtf16)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MatchSpansOnly)->Arg(10000)->Unit(benchmark::kMillisecond);

bool WritePages(const std::string& directory) {
  for (const PageFile& file : kPages) {
    const std::string path = directory + "/" + file.fileName;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const Text& html = CachedPage(file.hits, file.changedLayout).html;
    out.write(html.data(), static_cast<std::streamsize>(html.size()));
    if (!out) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return false;
    }
  }
  return true;
}

}  // namespace
}  // namespace quillmere::bench

int main(int argc, char** argv) {
  constexpr char kWritePages[] = "--write_pages=";
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], kWritePages, sizeof kWritePages - 1) == 0) {
      return quillmere::bench::WritePages(argv[i] + sizeof kWritePages - 1) ? 0 : 1;
    }
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
