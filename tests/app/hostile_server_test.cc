// Hostile pages and servers, end to end through the search click: huge pages, pages the
// pattern no longer fits, broken code-page-936 bytes, endless header blocks and bodies, a
// trickling server, a redirect loop and an untrusted certificate. Nothing may crash, nothing
// may hang past its bounds, and the window keeps repainting while a response is slow.
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "net/web_fetch.h"
#include "pattern/regex_object.h"
#include "pattern/result_pattern.h"
#include "platform/event_pump.h"
#include "platform/http_client.h"
#include "platform/window/qt_event_pump.h"
#include "platform/window/window_ops.h"
#include "tests/support/compact_result_page.h"
#include "tests/support/loopback_server.h"
#include "tests/support/result_page_generator.h"
#include "tests/support/test_certificate.h"

// Under AddressSanitizer every byte costs several times more: the biggest pages shrink there.
#if defined(__SANITIZE_ADDRESS__)
#define QUILLMERE_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUILLMERE_UNDER_ASAN 1
#endif
#endif

namespace quillmere {
namespace {

using namespace std::chrono_literals;
using platform::ToQString;
using test_support::CompactHitMagnet;
using test_support::CompactHitThunder;
using test_support::CompactHitTitle;
using test_support::CompactPageOptions;
using test_support::CompactResultPage;
using test_support::LoopbackServer;
using test_support::RecordedRequest;
using test_support::Reply;

#ifdef QUILLMERE_UNDER_ASAN
constexpr int kBigPageHits = 20000;
#else
constexpr int kBigPageHits = 100000;
#endif
// 100,000 hits of 524 bytes make a page of 50 MiB.
constexpr size_t kBigPageBytesPerHit = 524;
constexpr size_t kBodyBound = size_t{64} << 20;
constexpr size_t kMiB = size_t{1} << 20;

// How often, and with what longest pause, the network code let the window system run while
// it waited. Reset before each click.
struct WaitingCalls {
  int count = 0;
  qint64 longestGapMs = 0;
  QElapsedTimer sinceLast;

  void Reset() {
    count = 0;
    longestGapMs = 0;
    sinceLast.invalidate();
  }
  void Note() {
    if (sinceLast.isValid()) longestGapMs = std::max(longestGapMs, sinceLast.elapsed());
    sinceLast.start();
    ++count;
  }
};
WaitingCalls gWaiting;

// Counts the ticks of a 50 ms timer that asks the window to repaint, and the paints that
// follow, while it lives.
class RepaintProbe : public QObject {
 public:
  explicit RepaintProbe(QWidget& window) : window_(window) {
    window_.installEventFilter(this);
    timer_.setInterval(50);
    QObject::connect(&timer_, &QTimer::timeout, this, [this] {
      ++ticks;
      window_.update();
    });
    timer_.start();
  }
  ~RepaintProbe() override { window_.removeEventFilter(this); }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &window_ && event->type() == QEvent::Paint) ++paints;
    return false;
  }

  int ticks = 0;
  int paints = 0;

 private:
  QWidget& window_;
  QTimer timer_;
};

Text Gbk(const char* utf8) {
  return platform::FromQString(QString::fromUtf8(utf8));
}

Reply Html(const Text& body) {
  return Reply::Response(200, "OK", {"Content-Type: text/html; charset=gbk"}, body);
}

Text CompactPage(int hits, size_t bytesPerHit = 0, std::function<Text(int)> title = nullptr) {
  CompactPageOptions options;
  options.hitCount = hits;
  options.bytesPerHit = bytesPerHit;
  options.title = std::move(title);
  return CompactResultPage(options);
}

// The three compact hits every small page here carries.
Text SmallPage() {
  return CompactPage(3);
}

// Titles for the broken-bytes pages: invalid code-page-936 sequences, and zero bytes.
Text BrokenTitle(int index) {
  static const Text kTitles[] = {
      "\x81\x20lead then blank",  // a lead byte followed by a byte that cannot trail it
      "lone \xFF and \x80 bytes",
      Gbk("好") + "\xB0",  // a lead byte at the very end of the title
      "\xFE\xFF\xFE\xFF",
  };
  return kTitles[index % 4];
}
Text ZeroInThird(int index) {
  return index == 2 ? Text("zero\0byte", 9) : CompactHitTitle(index);
}
Text ZeroInFirst(int index) {
  return index == 0 ? Text("\0first", 6) : CompactHitTitle(index);
}

// The page text as WebFetch makes it (up to the first zero byte), read by the result pattern:
// what the list must show.
int HitsThePatternReads(const Text& page, std::vector<Text>* titles = nullptr) {
  RegexObject regex;
  regex.Create(Text(kResultPattern), page.substr(0, page.find('\0')));
  const int count = regex.MatchCount();
  for (int hit = 1; titles && hit <= count; ++hit) titles->push_back(regex.SubmatchText(hit, 1));
  return count;
}

// Endless sequences: the server stops only when the client goes away.
constexpr size_t kForever = size_t{1} << 40;

// Every page of the hostile site, by keyword.
Reply HostileSite(const RecordedRequest& request) {
  const std::string target = request.Target();
  const auto is = [&target](const std::string& keyword) {
    return target == "/search/" + keyword + "/default-1.html";
  };
  if (is("big")) {
    return Html(CompactPage(kBigPageHits, kBigPageBytesPerHit));
  }
  if (is("changed")) {
    test_support::ResultPageOptions options;
    options.hitCount = 5000;
    options.changedLayout = true;
    return Html(test_support::GenerateResultPage(options).html);
  }
  if (is("broken")) return Html(CompactPage(8, 0, BrokenTitle));
  if (is("zero3")) return Html(CompactPage(5, 0, ZeroInThird));
  if (is("zero1")) return Html(CompactPage(5, 0, ZeroInFirst));
  if (is("headers")) {
    std::vector<std::string> lines;
    for (int i = 0; i < 10000; ++i) lines.push_back("X-Filler-" + std::to_string(i) + ": yes");
    return Reply::Response(200, "OK", lines, SmallPage());
  }
  if (is("endless-head")) {
    return Reply::Raw("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n")
        .Repeat("X-Endless: and on and on and on and on and on and on and on\r\n", kForever);
  }
  if (is("endless-interim")) {
    return Reply().Repeat("HTTP/1.1 100 Continue\r\nX-Step: more\r\n\r\n", kForever);
  }
  if (is("endless-body")) {
    // Each repetition is one hit padded to exactly 1 MiB: the bound cuts after 64 of them.
    CompactPageOptions paddedHit;
    paddedHit.bytesPerHit = kMiB;
    return Reply::Raw("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n")
        .Repeat(test_support::CompactHitHtml(0, paddedHit), kForever);
  }
  if (is("trickle")) {
    // The page comes at once but for its last bytes, which come one a second.
    const Reply whole = Html(SmallPage());
    std::string bytes;
    for (const auto& step : whole.steps()) bytes += step.bytes;
    const size_t slowTail = 3;
    return Reply::Raw(bytes.substr(0, bytes.size() - slowTail))
        .Trickle(bytes.substr(bytes.size() - slowTail), 1, 1000ms);
  }
  if (target.find("/search/loop/") == 0) {
    return Reply::Response(302, "Found", {"Location: /search/loop/default-1.html"}, "");
  }
  return Html(SmallPage());
}

QString Cell(const QTableWidget& list, int row, int column) {
  return ToQString(platform::ReadCellText(list, row, column));
}

}  // namespace

class HostileServerTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    platform::SetTrustedCaFile("");
    server_ = std::make_unique<LoopbackServer>(HostileSite);
    QVERIFY(server_->ok());
  }

  void init() {
    window_ = std::make_unique<MainWindow>(server_->Origin(), "");
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  }

  void cleanup() {
    window_.reset();
    platform::SetTrustedCaFile("");
  }

  void cleanupTestCase() { server_.reset(); }

  // Every row is filled; while the page comes in the window keeps handling its events.
  void hugePageFillsEveryRow() {
    RepaintProbe probe(*window_);
    Search("big");
    const QTableWidget& list = window_->超级列表框;
    QCOMPARE(list.rowCount(), kBigPageHits);
    for (int row : {0, kBigPageHits / 2, kBigPageHits - 1}) {
      QCOMPARE(Cell(list, row, 0), QString::number(row + 1));
      QCOMPARE(Cell(list, row, 1), ToQString(CompactHitTitle(row)));
      QCOMPARE(Cell(list, row, 2), ToQString(CompactHitMagnet(row)));
      QCOMPARE(Cell(list, row, 3), ToQString(CompactHitThunder(row)));
    }
    QVERIFY(gWaiting.count > 0);
    QVERIFY2(gWaiting.longestGapMs < 2000, qPrintable(QString::number(gWaiting.longestGapMs)));
  }

  // The pattern fits none of the hits: no rows, and no run-away matching.
  void changedLayoutGivesNoRows() {
    const qint64 elapsed = Search("changed");
    QCOMPARE(window_->超级列表框.rowCount(), 0);
    QVERIFY2(elapsed < 10000, qPrintable(QString::number(elapsed)));
  }

  void brokenBytesInTitles_data() {
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<int>("rows");
    QTest::newRow("invalid code-page-936 sequences") << "broken" << 8;
    // The page text ends at the first zero byte: the hits from there on are not read.
    QTest::newRow("zero byte in the third title") << "zero3" << 2;
    QTest::newRow("zero byte in the first title") << "zero1" << 0;
  }

  // No crash; the rows are the hits as the pattern reads the page text.
  void brokenBytesInTitles() {
    QFETCH(QString, keyword);
    QFETCH(int, rows);
    Search(keyword);
    const QTableWidget& list = window_->超级列表框;
    QCOMPARE(list.rowCount(), rows);

    const Reply reply = HostileSite(FakeRequest(keyword));
    std::string response;
    for (const auto& step : reply.steps()) response += step.bytes;
    std::vector<Text> titles;
    QCOMPARE(HitsThePatternReads(response.substr(response.find("\r\n\r\n") + 4), &titles), rows);
    for (int row = 0; row < rows; ++row) {
      QCOMPARE(Cell(list, row, 1), ToQString(titles[row]));
      QCOMPARE(Cell(list, row, 2), ToQString(CompactHitMagnet(row)));
    }
    if (keyword == "broken") {
      // Undecodable bytes read as '?', the decodable text around them stays.
      QCOMPARE(Cell(list, 0, 1), QString("? lead then blank"));
      QVERIFY(Cell(list, 2, 1).startsWith(QString::fromUtf8("好")));
    }
  }

  void tenThousandHeaderLinesAreRead() {
    Search("headers");
    QCOMPARE(window_->超级列表框.rowCount(), 3);
    QCOMPARE(Cell(window_->超级列表框, 2, 1), ToQString(CompactHitTitle(2)));
  }

  void endlessHeaderBlockEndsAtItsBound_data() {
    QTest::addColumn<QString>("keyword");
    QTest::newRow("header lines without end") << "endless-head";
    QTest::newRow("interim responses without end") << "endless-interim";
  }

  // A header block that never ends fails the receive once it passes libcurl's bound on the
  // response head (300 KiB), long before the 30-second idle timer could end it: progress
  // never stops, so the idle timer alone would not.
  void endlessHeaderBlockEndsAtItsBound() {
    QFETCH(QString, keyword);
    platform::AppendRow(window_->超级列表框, "old");
    const qint64 elapsed = Search(keyword);
    QCOMPARE(window_->超级列表框.rowCount(), 0);
    QVERIFY2(elapsed < 15000, qPrintable(QString::number(elapsed)));

    Text status = "untouched";
    WebFetchOptions options;
    options.statusMessage = &status;
    WebFetch(server_->Url("/search/" + keyword.toStdString() + "/default-1.html"), options);
    QVERIFY2(status.starts_with("712 "), status.c_str());
  }

  // A body that never ends is cut at 64 MiB: the hits in those bytes are listed.
  void endlessBodyEndsAtTheBound() {
    Search("endless-body");
    const QTableWidget& list = window_->超级列表框;
    QCOMPARE(list.rowCount(), 64);
    QCOMPARE(Cell(list, 63, 0), QString("64"));
    QCOMPARE(Cell(list, 63, 3), ToQString(CompactHitThunder(0)));

    Text status = "untouched";
    Bytes bytes;
    WebFetchOptions options;
    options.statusMessage = &status;
    options.responseBytes = &bytes;
    const Text page = WebFetch(server_->Url("/search/endless-body/default-1.html"), options);
    // The read failure's 713 gives way to the status text, as after any read failure.
    QCOMPARE(status, Text("200 OK"));
    QCOMPARE(bytes.size(), kBodyBound);
    QCOMPARE(page.size(), kBodyBound);
  }

  // The idle timer ends a request only after a whole timeout without a byte: a server that
  // trickles a byte a second keeps the default request alive, and the window repaints the
  // whole time it waits.
  void tricklingPageIsReadWhileTheWindowRepaints() {
    RepaintProbe probe(*window_);
    const qint64 elapsed = Search("trickle");
    QCOMPARE(window_->超级列表框.rowCount(), 3);
    QVERIFY(elapsed >= 1900);
    QVERIFY2(probe.ticks >= 20, qPrintable(QString::number(probe.ticks)));
    QVERIFY2(probe.paints >= 10, qPrintable(QString::number(probe.paints)));
    QVERIFY(gWaiting.longestGapMs < 1000);
  }

  void trickleSlowerThanTheTimeout_data() {
    QTest::addColumn<bool>("duringHead");
    QTest::addColumn<QString>("status");
    QTest::newRow("during the header block") << true << "712 ";
    // The read failure's 713 gives way to the status text; the bytes before it are kept.
    QTest::newRow("during the body") << false << "200 OK";
  }

  // With a one-second timeout, a byte every three seconds ends the request after about a
  // second of silence, keeping the body bytes that did arrive.
  void trickleSlowerThanTheTimeout() {
    QFETCH(bool, duringHead);
    QFETCH(QString, status);
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n";
    LoopbackServer slow([&](const RecordedRequest&) {
      return duringHead ? Reply().Trickle(head, 4, 3000ms)
                        : Reply::Raw(head + "hello").Trickle(std::string(95, 'x'), 1, 3000ms);
    });
    QVERIFY(slow.ok());
    Text message = "untouched";
    Bytes bytes = "untouched";
    QElapsedTimer clock;
    clock.start();
    WebFetchOptions options;
    options.timeoutSeconds = 1;
    options.statusMessage = &message;
    options.responseBytes = &bytes;
    const Text page = WebFetch(slow.Url("/"), options);
    QVERIFY2(clock.elapsed() < 2900, qPrintable(QString::number(clock.elapsed())));
    QVERIFY2(ToQString(message).startsWith(status), message.c_str());
    if (!duringHead) {
      QCOMPARE(page, Text("hellox"));
      QCOMPARE(bytes, Bytes("hellox"));
    }
  }

  // The client follows 10 redirects, then gives up: 11 requests and an empty list.
  void redirectLoopEndsAfterTenRedirects() {
    const size_t before = server_->RequestCount();
    platform::AppendRow(window_->超级列表框, "old");
    Search("loop");
    QCOMPARE(window_->超级列表框.rowCount(), 0);
    QCOMPARE(server_->RequestCount(), before + 11);
  }

  void tlsCertificateIsVerified_data() {
    QTest::addColumn<bool>("trusted");
    QTest::addColumn<int>("rows");
    QTest::newRow("untrusted") << false << 0;
    QTest::newRow("trusted for the test") << true << 3;
  }

  // No rows from a server whose certificate no trusted authority signed.
  void tlsCertificateIsVerified() {
    QFETCH(bool, trusted);
    QFETCH(int, rows);
    test_support::TestCertificate certificate;
    QVERIFY(certificate.ok());
    LoopbackServer secure(HostileSite, &certificate);
    QVERIFY(secure.ok());
    if (trusted) platform::SetTrustedCaFile(certificate.CaFile());
    MainWindow window(secure.Origin(), "");
    window.ssbjk.setText("small");
    window.搜索_按钮.click();
    QCOMPARE(window.超级列表框.rowCount(), rows);
    QCOMPARE(secure.RequestCount(), size_t(rows > 0 ? 1 : 0));
  }

 private:
  // Types the keyword, clicks search on page 1 and returns the click's time in milliseconds.
  qint64 Search(const QString& keyword) {
    window_->ssbjk.setText(keyword);
    window_->page.setText("1");
    gWaiting.Reset();
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(&window_->搜索_按钮, Qt::LeftButton);
    return clock.elapsed();
  }

  static RecordedRequest FakeRequest(const QString& keyword) {
    RecordedRequest request;
    request.head = "GET /search/" + keyword.toStdString() + "/default-1.html HTTP/1.1\r\n\r\n";
    return request;
  }

  std::unique_ptr<LoopbackServer> server_;
  std::unique_ptr<MainWindow> window_;
};

}  // namespace quillmere

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  quillmere::platform::InstallQtEventPumpHooks();
  // The same waiting step as the program's, counted.
  quillmere::platform::SetWaitingEventsHook([] {
    quillmere::gWaiting.Note();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  });
  quillmere::HostileServerTest test;
  return QTest::qExec(&test, argc, argv);
}
#include "hostile_server_test.moc"
