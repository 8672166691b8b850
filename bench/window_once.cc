// One measured run of the window, as its own process (offscreen), so that a parent can take
// its peak memory too. Prints "key=value" pairs on one line.
//
//   window_once click ROOT KEYWORD   MainWindow against the site at ROOT: types the keyword,
//                                    clicks search and times the click until the last row is
//                                    filled and the list has repainted (ms=, rows=)
//   window_once parse ROOT KEYWORD   the same page fetched and read with the result pattern,
//                                    without any window (ms=, hits=)
//   window_once startup VERSION_URL SPAWN_NS
//                                    starts as the program does, with the version page at
//                                    VERSION_URL; prints the time from SPAWN_NS (the parent's
//                                    CLOCK_MONOTONIC just before it started this process) to
//                                    the end of the window's first paint (ms=), then waits
//                                    half a second inside the creation event and exits.
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "app/main_window.h"
#include "app/start_up.h"
#include "net/web_fetch.h"
#include "pattern/regex_object.h"
#include "pattern/result_pattern.h"
#include "platform/window/qt_event_pump.h"
#include "search/result_page.h"

namespace quillmere::bench {
namespace {

int64_t MonotonicNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
}

void WaitForFirstPaint(const MainWindow& window) {
  QElapsedTimer clock;
  clock.start();
  while (!window.HasPainted() && clock.elapsed() < 5000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
}

int Click(const Text& root, const QString& keyword) {
  MainWindow window(root, "");
  window.show();
  WaitForFirstPaint(window);
  window.ssbjk.setText(keyword);
  QElapsedTimer clock;
  clock.start();
  window.搜索_按钮.click();
  window.超级列表框.viewport()->repaint();
  const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
  std::printf("ms=%.3f rows=%d\n", ms, window.超级列表框.rowCount());
  return 0;
}

// What the search click does, without the list: fetch, then every group of every hit.
int Parse(const Text& root, const Text& keyword) {
  QElapsedTimer clock;
  clock.start();
  const Text page = WebFetch(SearchPageAddress(root, keyword, "1"));
  RegexObject regex;
  regex.Create(Text(kResultPattern), page);
  const int hits = regex.MatchCount();
  size_t bytes = 0;
  for (int hit = 1; hit <= hits; ++hit) {
    for (int group = 1; group <= 3; ++group) bytes += regex.SubmatchText(hit, group).size();
  }
  const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
  std::printf("ms=%.3f hits=%d bytes=%zu\n", ms, hits, bytes);
  return 0;
}

// Notes the end of the window's first paint: the first paint event starts it, and a zero
// timer queued then runs once the whole repaint has been handled.
class FirstPaintWatch : public QObject {
 public:
  FirstPaintWatch(QWidget& window, int64_t spawnNs) : window_(window), spawnNs_(spawnNs) {
    window_.installEventFilter(this);
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &window_ && event->type() == QEvent::Paint && !seen_) {
      seen_ = true;
      QTimer::singleShot(0, this, [this] {
        std::printf("ms=%.3f\n", static_cast<double>(MonotonicNs() - spawnNs_) / 1e6);
        std::fflush(stdout);
        // The creation event is now waiting on the version page; leave from inside it.
        QTimer::singleShot(500, [] { std::_Exit(0); });
      });
    }
    return false;
  }

 private:
  QWidget& window_;
  int64_t spawnNs_;
  bool seen_ = false;
};

}  // namespace
}  // namespace quillmere::bench

int main(int argc, char** argv) {
  using namespace quillmere;
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "parse" && argc == 4) return bench::Parse(argv[2], argv[3]);
  QApplication application(argc, argv);
  platform::InstallQtEventPumpHooks();
  if (mode == "click" && argc == 4) return bench::Click(argv[2], QString::fromUtf8(argv[3]));
  if (mode == "startup" && argc == 4) {
    // As the program starts, with the version page given here.
    MainWindow window(SearchSiteRoot, argv[2]);
    bench::FirstPaintWatch watch(window, std::strtoll(argv[3], nullptr, 10));
    ShowThenCreate(window);
    return application.exec();
  }
  std::fprintf(stderr, "usage: window_once click|parse ROOT KEYWORD | startup URL SPAWN_NS\n");
  return 2;
}
