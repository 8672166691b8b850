// The latest-version notice against a loopback web server: what lands in the label for the
// marker cases, an unreachable page, and that one call makes one request.

#include <QElapsedTimer>
#include <QLabel>
#include <QTest>

#include <memory>

#include "extras/version_notice.h"
#include "platform/window/window_ops.h"
#include "tests/support/loopback_server.h"

using quillmere::ShowLatestVersion;
using quillmere::Text;
using quillmere::platform::ToQString;
using quillmere::test_support::LoopbackServer;
using quillmere::test_support::RecordedRequest;
using quillmere::test_support::Reply;

class VersionNoticeTest : public QObject {
  Q_OBJECT

 private slots:
  void writesTheTextBetweenTheFirstTwoMarkers_data();
  void writesTheTextBetweenTheFirstTwoMarkers();
  void unreachablePageLeavesTheLabelEmpty();
  void longVersionTextKeepsTheLabelSize();
};

// A label as the main window places it: 33 x 24 at its spot, empty.
static std::unique_ptr<QLabel> MakeVersionLabel(QWidget& window) {
  auto label = std::make_unique<QLabel>(&window);
  label->setObjectName(QStringLiteral("标签7"));
  label->setGeometry(567, 423, 33, 24);
  return label;
}

void VersionNoticeTest::writesTheTextBetweenTheFirstTwoMarkers_data() {
  QTest::addColumn<QByteArray>("page");
  QTest::addColumn<QByteArray>("caption");
  QTest::newRow("version in the middle")
      << QByteArray("<html><body>Latest release ~~1.1B~~ download here</body></html>")
      << QByteArray("1.1B");
  QTest::newRow("three markers") << QByteArray("~~a~~b~~") << QByteArray("a");
  QTest::newRow("four tildes in a row") << QByteArray("x~~~~1.2~~y") << QByteArray("");
  QTest::newRow("blanks kept") << QByteArray("v:~~ 1.1B  ~~") << QByteArray(" 1.1B  ");
  QTest::newRow("one marker only") << QByteArray("version ~~1.1B") << QByteArray("");
  QTest::newRow("no marker") << QByteArray("no version here") << QByteArray("");
  QTest::newRow("empty page") << QByteArray("") << QByteArray("");
  // Program text is code page 936: the label shows the Chinese text decoded from it.
  QTest::newRow("chinese version text")
      << QByteArray("~~\xD0\xC2\xB0\xE6~~") << QByteArray("\xD0\xC2\xB0\xE6");
}

void VersionNoticeTest::writesTheTextBetweenTheFirstTwoMarkers() {
  QFETCH(QByteArray, page);
  QFETCH(QByteArray, caption);
  LoopbackServer server([page](const RecordedRequest&) {
    return Reply::Response(200, "OK", {"Content-Type: text/html", "Connection: close"},
                           page.toStdString());
  });
  QVERIFY(server.ok());
  QWidget window;
  auto label = MakeVersionLabel(window);

  ShowLatestVersion(*label, server.Url("/s/latest"));

  QCOMPARE(label->text(), ToQString(caption.toStdString()));
  QCOMPARE(server.RequestCount(), size_t{1});
  const RecordedRequest request = server.Requests().front();
  QCOMPARE(QString::fromStdString(request.Method()), QStringLiteral("GET"));
  QCOMPARE(QString::fromStdString(request.Target()), QStringLiteral("/s/latest"));
  QVERIFY(request.body.empty());
}

void VersionNoticeTest::unreachablePageLeavesTheLabelEmpty() {
  // A port that was just given back to the system: nothing listens there any more.
  Text closedPage;
  {
    LoopbackServer gone([](const RecordedRequest&) { return Reply::Ok(""); });
    QVERIFY(gone.ok());
    closedPage = gone.Url("/s/latest");
  }
  QWidget window;
  auto label = MakeVersionLabel(window);
  label->setText(QStringLiteral("stale"));

  QElapsedTimer elapsed;
  elapsed.start();
  ShowLatestVersion(*label, closedPage);

  QVERIFY(label->text().isEmpty());
  QVERIFY2(elapsed.elapsed() < 10000, "a refused connection must fail at once");
  QVERIFY(label->isEnabled());
}

void VersionNoticeTest::longVersionTextKeepsTheLabelSize() {
  LoopbackServer server([](const RecordedRequest&) {
    return Reply::Ok("~~version 1.1B, released with many new features~~");
  });
  QVERIFY(server.ok());
  QWidget window;
  auto label = MakeVersionLabel(window);
  window.show();

  ShowLatestVersion(*label, server.Url("/"));

  QCOMPARE(label->text(), QStringLiteral("version 1.1B, released with many new features"));
  QCOMPARE(label->geometry(), QRect(567, 423, 33, 24));
}

QTEST_MAIN(VersionNoticeTest)
#include "version_notice_test.moc"
