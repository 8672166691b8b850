// Search, paging, details and export through the main window's controls, against a loopback
// search site. The desktop is a temporary folder: HOME and XDG_CONFIG_HOME point into it.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <memory>
#include <string>

#include "app/main_window.h"
#include "platform/window/qt_event_pump.h"
#include "platform/window/window_ops.h"
#include "search/details_export.h"
#include "search/page_loader.h"
#include "search/result_page.h"
#include "tests/support/loopback_server.h"

namespace quillmere {
namespace {

using namespace std::chrono_literals;
using platform::FromQString;
using platform::ToQString;
using test_support::LoopbackServer;
using test_support::RecordedRequest;
using test_support::Reply;

QTemporaryDir* gHome = nullptr;

Text Gbk(const char* utf8) {
  return FromQString(QString::fromUtf8(utf8));
}

struct Hit {
  Text title;
  Text magnet;
  Text thunder;
};

// One hit in the site's page layout; `lowerCase` writes the link words in small letters.
std::string HitHtml(const Hit& hit, bool lowerCase = false) {
  const std::string magnetWord = lowerCase ? "magnet link" : "Magnet Link";
  const std::string thunderWord = lowerCase ? "thunder link" : "Thunder Link";
  return "<div class=\"item\"><h3><a title=\"" + hit.title + "\"  href=\"/wiki/" +
         std::to_string(hit.title.size()) + ".html\">" + hit.title +
         "</a></h3>\r\n<p>Size: 1.2 GB</p>\r\n<!--<a href=\"" + hit.magnet +
         "&amp;dn=" + hit.title + "\">m</a>-->\r\n<a href=\"" + hit.magnet + "\">" + magnetWord +
         "</a> <a href=\"" + hit.thunder + "\" class=\"download\">" + thunderWord +
         "</a></div>\r\n";
}

const Hit kExactHits[] = {
    {"Ubuntu 24.04 &amp; Debian", "magnet:?xt=urn:btih:0123456789abcdef0123456789abcdef01234567",
     "thunder://QUFtYWduZXQ6P3h0PXVybjpidGloOjAxMjM=ZZ"},
    {Gbk("中文标题 第二"), "magnet:?xt=urn:btih:89abcdef0123456789abcdef0123456789abcdef",
     "thunder://QUFzZWNvbmQ=ZZ"},
    {"", "magnet:?xt=urn:btih:ffff", "thunder://QUF0aGlyZA==ZZ"},
};

// The page of a target: "exact" gives the three hits above (the third in small letters),
// "slow" answers after 800 ms, anything else two hits whose titles name the target.
Reply PageFor(const RecordedRequest& request) {
  const std::string target = request.Target();
  std::string body = "<html><body>\r\n";
  if (target.find("/search/exact/") == 0) {
    body += HitHtml(kExactHits[0]) + HitHtml(kExactHits[1]) + HitHtml(kExactHits[2], true);
  } else {
    for (int i = 1; i <= 2; ++i) {
      body += HitHtml({target + " #" + std::to_string(i), "magnet:?xt=" + std::to_string(i),
                       "thunder://" + std::to_string(i)});
    }
  }
  body += "</body></html>";
  if (target.find("/search/slow/") == 0) {
    Reply slow;
    slow.Pause(800ms);
    const Reply response = Reply::Ok(body);
    for (const auto& step : response.steps()) slow.Send(step.bytes);
    return slow;
  }
  return Reply::Ok(body);
}

QString Cell(const QTableWidget& list, int row, int column) {
  return ToQString(platform::ReadCellText(list, row, column));
}

QByteArray ExportFileBytes(const QString& folder) {
  QFile file(QDir(folder).filePath(QString::fromUtf8("下载资源.txt")));
  if (!file.open(QIODevice::ReadOnly)) return "(missing)";
  return file.readAll();
}

}  // namespace

class SearchFlowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    server_ = std::make_unique<LoopbackServer>(PageFor);
    QVERIFY(server_->ok());
  }

  void init() {
    QVERIFY(QDir(gHome->path()).mkpath("Desktop"));
    QFile::remove(gHome->filePath("config/user-dirs.dirs"));
    requestsBefore_ = server_->RequestCount();
    window_ = std::make_unique<MainWindow>(server_->Origin(), "");
  }

  void cleanup() { window_.reset(); }
  void cleanupTestCase() { server_.reset(); }

  void searchFillsRowsInPageOrderWithExactCells() {
    window_->ssbjk.setText("exact");
    QTest::mouseClick(&window_->搜索_按钮, Qt::LeftButton);
    const QTableWidget& list = window_->超级列表框;
    QCOMPARE(list.rowCount(), 3);
    for (int row = 0; row < 3; ++row) {
      QCOMPARE(Cell(list, row, 0), QString::number(row + 1));
      QCOMPARE(Cell(list, row, 1), ToQString(kExactHits[row].title));
      QCOMPARE(Cell(list, row, 2), ToQString(kExactHits[row].magnet));
      QCOMPARE(Cell(list, row, 3), ToQString(kExactHits[row].thunder));
    }
    QCOMPARE(Cell(list, 0, 1), QString("Ubuntu 24.04 &amp; Debian"));
    QCOMPARE(Cell(list, 1, 1), QString::fromUtf8("中文标题 第二"));
    QCOMPARE(window_->page.text(), QString("1"));
    QVERIFY(!window_->上一页按钮.isEnabled());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
  }

  void searchAddress_data() {
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("target");
    QTest::newRow("abc") << "abc"
                         << "1"
                         << "/search/abc/default-1.html";
    QTest::newRow("empty keyword") << ""
                                   << "1"
                                   << "/search//default-1.html";
    // Blank and Chinese go in as typed; the request escapes them as UTF-8 on the wire.
    QTest::newRow("blank and chinese") << QString::fromUtf8("a b中") << "1"
                                       << "/search/a%20b%E4%B8%AD/default-1.html";
    QTest::newRow("page seven") << "abc"
                                << "7"
                                << "/search/abc/default-7.html";
  }

  void searchAddress() {
    QFETCH(QString, keyword);
    QFETCH(QString, page);
    QFETCH(QString, target);
    window_->ssbjk.setText(keyword);
    window_->page.setText(page);
    QTest::mouseClick(&window_->搜索_按钮, Qt::LeftButton);
    QCOMPARE(server_->RequestCount(), requestsBefore_ + 1);
    QCOMPARE(QString::fromStdString(server_->Requests().back().Target()), target);
    QCOMPARE(window_->page.text(), page);
    QCOMPARE(window_->超级列表框.rowCount(), 2);
  }

  void composedAddress() {
    QCOMPARE(SearchPageAddress("https://site.invalid", "abc", "2"),
             Text("https://site.invalid/search/abc/default-2.html"));
  }

  void secondSearchReplacesTheRows() {
    window_->ssbjk.setText("exact");
    window_->搜索_按钮.click();
    QCOMPARE(window_->超级列表框.rowCount(), 3);
    window_->ssbjk.setText("other");
    window_->搜索_按钮.click();
    QCOMPARE(window_->超级列表框.rowCount(), 2);
    QCOMPARE(Cell(window_->超级列表框, 0, 1), QString("/search/other/default-1.html #1"));
  }

  void unreachableSiteLeavesTheListEmpty() {
    MainWindow window("http://127.0.0.1:1", "");
    platform::AppendRow(window.超级列表框, "1");
    window.ssbjk.setText("abc");
    window.搜索_按钮.click();
    QCOMPARE(window.超级列表框.rowCount(), 0);
    QCOMPARE(window.page.text(), QString("1"));
    QCOMPARE(window.mc编辑框.text(), QString());
  }

  void clicksDuringALoadAreRefused() {
    window_->ssbjk.setText("slow");
    bool nestedClicksRan = false;
    bool busyCursorShown = false;
    // Fires inside the request's wait, the way a click arrives while a page loads.
    QTimer::singleShot(200, window_.get(), [&] {
      nestedClicksRan = true;
      busyCursorShown = QApplication::overrideCursor() != nullptr;
      window_->ssbjk.setText("other");
      window_->搜索_按钮.click();
      window_->下一页按钮.click();
      window_->上一页按钮.setEnabled(true);
      window_->上一页按钮.click();
      window_->上一页按钮.setEnabled(false);
    });
    window_->搜索_按钮.click();
    QVERIFY(nestedClicksRan);
    QVERIFY(busyCursorShown);
    QCOMPARE(server_->RequestCount(), requestsBefore_ + 1);
    QCOMPARE(window_->超级列表框.rowCount(), 2);
    QCOMPARE(Cell(window_->超级列表框, 1, 1), QString("/search/slow/default-1.html #2"));
    QCOMPARE(window_->page.text(), QString("1"));
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    // Once the load has ended, clicks work again.
    window_->搜索_按钮.click();
    QCOMPARE(QString::fromStdString(server_->Requests().back().Target()),
             QString("/search/other/default-1.html"));
  }

  void pageButtons_data() {
    QTest::addColumn<QString>("pageText");
    QTest::addColumn<bool>("previousEnabled");
    QTest::addColumn<bool>("next");  // which button: next, or previous
    QTest::addColumn<QString>("pageAfter");
    QTest::addColumn<bool>("previousEnabledAfter");
    QTest::addColumn<QString>("target");  // empty: no request, rows kept
    QTest::newRow("1 previous") << "1" << true << false << "1" << false << "";
    QTest::newRow("01 previous") << "01" << true << false << "01" << false << "";
    QTest::newRow("1.9 previous") << "1.9" << true << false << "1.9" << false << "";
    QTest::newRow("2 previous") << "2" << true << false << "1" << true
                                << "/search/kw/default-1.html";
    QTest::newRow("1 next") << "1" << false << true << "2" << true << "/search/kw/default-2.html";
    QTest::newRow("9 next") << "9" << false << true << "10" << true << "/search/kw/default-10.html";
    QTest::newRow("0 previous") << "0" << true << false << "-1" << true
                                << "/search/kw/default--1.html";
    QTest::newRow("empty next") << "" << false << true << "1" << true
                                << "/search/kw/default-1.html";
    QTest::newRow("empty previous")
        << "" << true << false << "-1" << true << "/search/kw/default--1.html";
    QTest::newRow("2.5 previous") << "2.5" << true << false << "1.5" << true
                                  << "/search/kw/default-1.5.html";
    QTest::newRow("2.5 next") << "2.5" << false << true << "3.5" << true
                              << "/search/kw/default-3.5.html";
    QTest::newRow("full-width two next")
        << QString::fromUtf8("２") << false << true << "3" << true << "/search/kw/default-3.html";
  }

  void pageButtons() {
    QFETCH(QString, pageText);
    QFETCH(bool, previousEnabled);
    QFETCH(bool, next);
    QFETCH(QString, pageAfter);
    QFETCH(bool, previousEnabledAfter);
    QFETCH(QString, target);
    window_->ssbjk.setText("kw");
    window_->page.setText(pageText);  // as pasted: no key filter
    window_->上一页按钮.setEnabled(previousEnabled);
    platform::AppendRow(window_->超级列表框, "old");
    QTest::mouseClick(next ? &window_->下一页按钮 : &window_->上一页按钮, Qt::LeftButton);
    QCOMPARE(window_->page.text(), pageAfter);
    QCOMPARE(window_->上一页按钮.isEnabled(), previousEnabledAfter);
    if (target.isEmpty()) {
      QCOMPARE(server_->RequestCount(), requestsBefore_);
      QCOMPARE(window_->超级列表框.rowCount(), 1);
      QCOMPARE(Cell(window_->超级列表框, 0, 0), QString("old"));
    } else {
      QCOMPARE(server_->RequestCount(), requestsBefore_ + 1);
      QCOMPARE(QString::fromStdString(server_->Requests().back().Target()), target);
      QCOMPARE(window_->超级列表框.rowCount(), 2);
      QCOMPARE(Cell(window_->超级列表框, 0, 1), target + " #1");
    }
  }

  void stepsDownToPageOneThenDisables() {
    window_->ssbjk.setText("kw");
    window_->page.setText("2");
    window_->上一页按钮.setEnabled(true);
    window_->上一页按钮.click();
    QCOMPARE(window_->page.text(), QString("1"));
    QVERIFY(window_->上一页按钮.isEnabled());
    window_->上一页按钮.click();
    QVERIFY(!window_->上一页按钮.isEnabled());
    QCOMPARE(server_->RequestCount(), requestsBefore_ + 1);
  }

  void newKeywordKeepsThePageNumber() {
    window_->ssbjk.setText("kw");
    window_->搜索_按钮.click();
    window_->下一页按钮.click();
    window_->下一页按钮.click();
    QCOMPARE(window_->page.text(), QString("3"));
    window_->ssbjk.setText("new");
    window_->搜索_按钮.click();
    QCOMPARE(QString::fromStdString(server_->Requests().back().Target()),
             QString("/search/new/default-3.html"));
    QCOMPARE(window_->page.text(), QString("3"));
    QVERIFY(window_->上一页按钮.isEnabled());
  }

  void detailsFollowClicksAndArrowKeys() {
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    window_->ssbjk.setText("exact");
    window_->搜索_按钮.click();
    QTableWidget& list = window_->超级列表框;
    const QRect second = list.visualItemRect(list.item(1, 1));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, second.center());
    QTRY_COMPARE(window_->mc编辑框.text(), Cell(list, 1, 1));
    QCOMPARE(window_->cl编辑框.text(), Cell(list, 1, 2));
    QCOMPARE(window_->xl编辑框.text(), Cell(list, 1, 3));
    QTest::keyClick(&list, Qt::Key_Down);
    QTRY_COMPARE(window_->xl编辑框.text(), Cell(list, 2, 3));
    QCOMPARE(window_->mc编辑框.text(), QString());  // the third hit has an empty title
    QTest::keyClick(&list, Qt::Key_Up);
    QTest::keyClick(&list, Qt::Key_Up);
    QTRY_COMPARE(window_->mc编辑框.text(), Cell(list, 0, 1));
    QCOMPARE(window_->cl编辑框.text(), ToQString(kExactHits[0].magnet));

    // A new search empties and refills the list; the boxes keep the chosen hit.
    window_->ssbjk.setText("other");
    window_->搜索_按钮.click();
    QTest::qWait(50);
    QCOMPARE(window_->mc编辑框.text(), QString("Ubuntu 24.04 &amp; Debian"));
    QCOMPARE(window_->xl编辑框.text(), ToQString(kExactHits[0].thunder));
  }

  void exportButtons_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray t1 = QByteArray::fromStdString(Gbk("标题一"));
    const QByteArray t2 = QByteArray::fromStdString(Gbk("标题二 &amp; 更多"));
    QTest::newRow("all fields") << 1
                                << t1 + "\r\nm1\r\nx1\r\n\r\n\r\n" + t2 +
                                       "\r\nm2\r\nx2\r\n\r\n\r\n";
    QTest::newRow("magnet only") << 2 << QByteArray("m1\r\nm2\r\n");
    QTest::newRow("thunder only") << 3 << QByteArray("x1\r\nx2\r\n");
  }

  void exportButtons() {
    QFETCH(int, button);
    QFETCH(QByteArray, bytes);
    FillTwoRows();
    ExportButton(button).click();
    QCOMPARE(ExportFileBytes(DesktopPath()), bytes);
  }

  void lastExportWins() {
    FillTwoRows();
    window_->按钮2.click();
    window_->按钮3.click();
    QCOMPARE(ExportFileBytes(DesktopPath()), QByteArray("x1\r\nx2\r\n"));
    // An empty list replaces the earlier export with a file of 0 bytes.
    platform::DeleteAllRows(window_->超级列表框);
    window_->按钮1.click();
    QCOMPARE(ExportFileBytes(DesktopPath()), QByteArray());
  }

  void exportWithoutDesktopWritesIntoTheCurrentFolder() {
    QVERIFY(QDir(DesktopPath()).removeRecursively());
    QTemporaryDir current;
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(current.path()));
    FillTwoRows();
    window_->按钮2.click();
    QDir::setCurrent(before);
    QCOMPARE(ExportFileBytes(current.path()), QByteArray("m1\r\nm2\r\n"));
  }

  void desktopEndingInASeparatorGetsNoSecondOne() {
    QVERIFY(QDir(gHome->path()).mkpath("config"));
    QFile dirs(gHome->filePath("config/user-dirs.dirs"));
    QVERIFY(dirs.open(QIODevice::WriteOnly));
    dirs.write("XDG_DESKTOP_DIR=\"/\"\n");
    dirs.close();
    QCOMPARE(ExportFilePath(), Text("/\xCF\xC2\xD4\xD8\xD7\xCA\xD4\xB4.txt"));
  }

 private:
  static QString DesktopPath() { return gHome->filePath("Desktop"); }

  QPushButton& ExportButton(int number) {
    return number == 1 ? window_->按钮1 : number == 2 ? window_->按钮2 : window_->按钮3;
  }

  void FillTwoRows() {
    QTableWidget& list = window_->超级列表框;
    const Text rows[2][3] = {{Gbk("标题一"), "m1", "x1"}, {Gbk("标题二 &amp; 更多"), "m2", "x2"}};
    for (int row = 0; row < 2; ++row) {
      platform::AppendRow(list, std::to_string(row + 1));
      for (int column = 1; column <= 3; ++column) {
        platform::SetCellText(list, row, column, rows[row][column - 1]);
      }
    }
  }

  std::unique_ptr<LoopbackServer> server_;
  std::unique_ptr<MainWindow> window_;
  size_t requestsBefore_ = 0;
};

}  // namespace quillmere

int main(int argc, char** argv) {
  // The desktop lives in a temporary home, never the real one. Set before Qt starts.
  QTemporaryDir home;
  if (!home.isValid()) return 1;
  qputenv("HOME", QFile::encodeName(home.path()));
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath("config")));
  quillmere::gHome = &home;
  QApplication application(argc, argv);
  quillmere::platform::InstallQtEventPumpHooks();
  quillmere::SearchFlowTest test;
  return QTest::qExec(&test, argc, argv);
}
#include "search_flow_test.moc"
