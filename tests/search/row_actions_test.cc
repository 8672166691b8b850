// The row actions of the result list: the copy actions of the row menu and the hand-over of
// a magnet address to the desktop.
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QMenu>
#include <QTableWidget>
#include <QTest>
#include <QUrl>

#include "platform/window/window_ops.h"
#include "search/row_actions.h"

namespace quillmere {

class RowActionsTest : public QObject {
  Q_OBJECT

 public slots:
  // Stands in for the desktop's handlers; every address handed over lands here.
  void openUrl(const QUrl& url) { opened_.append(url); }

 private slots:
  void initTestCase() {
    // Every scheme a cell might hold goes to this test, never to a real program.
    for (const char* scheme : {"magnet", "file", "http", "https", "thunder"}) {
      QDesktopServices::setUrlHandler(scheme, this, "openUrl");
    }
  }

  void cleanupTestCase() {
    for (const char* scheme : {"magnet", "file", "http", "https", "thunder"}) {
      QDesktopServices::unsetUrlHandler(scheme);
    }
  }

  void init() {
    opened_.clear();
    list_.setColumnCount(4);
    platform::DeleteAllRows(list_);
    const char* rows[][4] = {
        {"1", "第一个 &amp; 标题", "magnet:?xt=urn:btih:0123456789abcdef",
         "thunder://QUFmaXJzdA==ZZ"},
        {"2", "second", "magnet:?xt=urn:btih:fedcba9876543210", "thunder://QUFzZWNvbmQ=ZZ"},
        {"3", "no magnet", "", "thunder://QUF0aGlyZA==ZZ"},
        {"4", "not a magnet", "file:///etc/passwd", ""},
        {"5", "web page", "https://example.invalid/x", ""},
    };
    for (int row = 0; row < 5; ++row) {
      platform::AppendRow(list_, rows[row][0]);
      for (int column = 1; column < 4; ++column) {
        platform::SetCellText(list_, row, column,
                              platform::FromQString(QString::fromUtf8(rows[row][column])));
      }
    }
  }

  void copyActions_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("clipboard");
    QTest::newRow("title") << 0 << 0 << QString::fromUtf8("第一个 &amp; 标题");
    QTest::newRow("magnet") << 0 << 1 << "magnet:?xt=urn:btih:0123456789abcdef";
    QTest::newRow("thunder") << 0 << 2 << "thunder://QUFmaXJzdA==ZZ";
    QTest::newRow("second row thunder") << 1 << 2 << "thunder://QUFzZWNvbmQ=ZZ";
    QTest::newRow("empty cell") << 3 << 2 << "";
  }

  void copyActions() {
    QFETCH(int, row);
    QFETCH(int, action);
    QFETCH(QString, clipboard);
    QMenu menu;
    AddCopyActions(menu, list_, row);
    const QList<QAction*> actions = menu.actions();
    QCOMPARE(actions.size(), 3);
    QCOMPARE(actions[0]->text(), QString::fromUtf8("复制资源名称"));
    QCOMPARE(actions[1]->text(), QString::fromUtf8("复制磁力链接"));
    QCOMPARE(actions[2]->text(), QString::fromUtf8("复制迅雷链接"));
    QGuiApplication::clipboard()->setText("before");
    actions[action]->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), clipboard);
  }

  void openMagnetAddress_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("opened");  // empty: nothing handed over
    QTest::newRow("magnet") << 0 << "magnet:?xt=urn:btih:0123456789abcdef";
    QTest::newRow("second magnet") << 1 << "magnet:?xt=urn:btih:fedcba9876543210";
    QTest::newRow("empty cell") << 2 << "";
    QTest::newRow("file address") << 3 << "";
    QTest::newRow("web address") << 4 << "";
    QTest::newRow("no such row") << 9 << "";
  }

  void openMagnetAddress() {
    QFETCH(int, row);
    QFETCH(QString, opened);
    QCOMPARE(OpenMagnetAddress(list_, row), !opened.isEmpty());
    if (opened.isEmpty()) {
      QVERIFY(opened_.isEmpty());
    } else {
      QCOMPARE(opened_.size(), 1);
      QCOMPARE(opened_[0].toString(), opened);
    }
  }

 private:
  QTableWidget list_;
  QList<QUrl> opened_;
};

}  // namespace quillmere

QTEST_MAIN(quillmere::RowActionsTest)
#include "row_actions_test.moc"
