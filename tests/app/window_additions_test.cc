// What the main window offers beyond its fixed controls: Enter in the keyword box, the row
// menu, the double-click on a row, the tab order, and cells aligned like their columns.
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QImage>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <chrono>
#include <memory>
#include <string>

#include "app/main_window.h"
#include "platform/window/qt_event_pump.h"
#include "platform/window/window_ops.h"
#include "tests/support/loopback_server.h"

namespace quillmere {
namespace {

using namespace std::chrono_literals;
using platform::ToQString;
using test_support::LoopbackServer;
using test_support::RecordedRequest;
using test_support::Reply;

// Two hits whose cells name the requested page; "slow" pages answer after 800 ms.
Reply PageFor(const RecordedRequest& request) {
  const std::string target = request.Target();
  std::string body = "<html><body>\r\n";
  for (int i = 1; i <= 2; ++i) {
    const std::string n = std::to_string(i);
    body += "<h3><a title=\"" + target + " #" + n + "\"  href=\"/wiki/" + n +
            ".html\">t</a></h3>\r\n<!--<a href=\"magnet:?xt=urn:btih:" + n +
            "&amp;dn=t\">m</a>-->\r\n<a href=\"m\">Magnet Link</a> <a href=\"thunder://" + n +
            "\" class=\"download\">Thunder Link</a>\r\n";
  }
  body += "</body></html>";
  if (target.find("/search/slow/") != 0) return Reply::Ok(body);
  Reply slow;
  slow.Pause(800ms);
  const Reply response = Reply::Ok(body);
  for (const auto& step : response.steps()) slow.Send(step.bytes);
  return slow;
}

// The visible popup menu, if any.
QMenu* OpenMenu() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* menu = qobject_cast<QMenu*>(widget); menu && menu->isVisible()) return menu;
  }
  return nullptr;
}

}  // namespace

class WindowAdditionsTest : public QObject {
  Q_OBJECT

 public slots:
  // Stands in for the desktop's handlers; every address handed over lands here.
  void openUrl(const QUrl& url) { opened_.append(url); }

 private slots:
  void initTestCase() {
    server_ = std::make_unique<LoopbackServer>(PageFor);
    QVERIFY(server_->ok());
    for (const char* scheme : {"magnet", "file", "http", "https", "thunder"}) {
      QDesktopServices::setUrlHandler(scheme, this, "openUrl");
    }
  }

  void cleanupTestCase() {
    for (const char* scheme : {"magnet", "file", "http", "https", "thunder"}) {
      QDesktopServices::unsetUrlHandler(scheme);
    }
    server_.reset();
  }

  void init() {
    opened_.clear();
    window_ = std::make_unique<MainWindow>(server_->Origin(), "");
  }

  void cleanup() { window_.reset(); }

  void enterSearchesLikeTheButton_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("return") << int(Qt::Key_Return);
    QTest::newRow("keypad enter") << int(Qt::Key_Enter);
  }

  void enterSearchesLikeTheButton() {
    QFETCH(int, key);
    window_->ssbjk.setText(QString::fromUtf8("a b中"));
    window_->page.setText("7");
    window_->搜索_按钮.click();
    QVERIFY(server_->RequestCount() > 0);
    const std::string byButton = server_->Requests().back().Target();
    const size_t before = server_->RequestCount();
    platform::AppendRow(window_->超级列表框, "old");
    QTest::keyClick(&window_->ssbjk, Qt::Key(key),
                    key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    QCOMPARE(server_->RequestCount(), before + 1);
    QCOMPARE(server_->Requests().back().Target(), byButton);
    QCOMPARE(window_->超级列表框.rowCount(), 2);
    QCOMPARE(window_->page.text(), QString("7"));
  }

  void enterDuringALoadIsRefused() {
    window_->ssbjk.setText("slow");
    const size_t before = server_->RequestCount();
    bool nestedEnterRan = false;
    // Fires inside the request's wait, the way a key press arrives while a page loads.
    QTimer::singleShot(200, window_.get(), [&] {
      nestedEnterRan = true;
      window_->ssbjk.setText("other");
      QTest::keyClick(&window_->ssbjk, Qt::Key_Return);
    });
    QTest::keyClick(&window_->ssbjk, Qt::Key_Return);
    QVERIFY(nestedEnterRan);
    QCOMPARE(server_->RequestCount(), before + 1);
    QCOMPARE(ToQString(platform::ReadCellText(window_->超级列表框, 0, 1)),
             QString("/search/slow/default-1.html #1"));
  }

  void cellsAreAlignedLikeTheirColumns() {
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    QTableWidget& list = window_->超级列表框;
    platform::AppendRow(list, "1");
    for (int column = 1; column < 4; ++column) platform::SetCellText(list, 0, column, "ii");
    const QImage image = list.viewport()->grab().toImage();
    const QRgb background =
        image.pixel(list.viewport()->width() - 2, list.viewport()->height() - 2);
    for (int column = 0; column < 4; ++column) {
      // The cell without its grid line, and the columns in it where the text drew.
      const QRect cell = list.visualItemRect(list.item(0, column)).adjusted(1, 1, -2, -2);
      int left = cell.right();
      int right = cell.left();
      for (int y = cell.top(); y <= cell.bottom(); ++y) {
        for (int x = cell.left(); x <= cell.right(); ++x) {
          if (image.pixel(x, y) == background) continue;
          left = std::min(left, x);
          right = std::max(right, x);
        }
      }
      QVERIFY2(left <= right, "no text drawn");
      if (column == 0) {
        QVERIFY(left - cell.left() < 10);
      } else {
        QVERIFY(qAbs((left + right) / 2 - cell.center().x()) <= 3);
      }
    }
  }

  void rowMenuCopiesTheCell_data() {
    QTest::addColumn<int>("action");
    QTest::addColumn<int>("column");
    QTest::newRow("复制资源名称") << 0 << 1;
    QTest::newRow("复制磁力链接") << 1 << 2;
    QTest::newRow("复制迅雷链接") << 2 << 3;
  }

  void rowMenuCopiesTheCell() {
    QFETCH(int, action);
    QFETCH(int, column);
    ShowWithTwoRows();
    QTableWidget& list = window_->超级列表框;
    QStringList texts;
    QTimer::singleShot(0, window_.get(), [&] {
      QMenu* menu = OpenMenu();
      if (!menu) return;
      for (QAction* item : menu->actions()) texts.append(item->text());
      menu->actions().value(action)->trigger();
      menu->close();
    });
    QGuiApplication::clipboard()->setText("before");
    RightClick(list.visualItemRect(list.item(1, 0)).center());
    QCOMPARE(texts,
             QStringList({QString::fromUtf8("复制资源名称"), QString::fromUtf8("复制磁力链接"),
                          QString::fromUtf8("复制迅雷链接")}));
    QCOMPARE(QGuiApplication::clipboard()->text(),
             ToQString(platform::ReadCellText(list, 1, column)));
    QVERIFY(!QGuiApplication::clipboard()->text().isEmpty());
  }

  void noMenuOnEmptySpace() {
    ShowWithTwoRows();
    QTableWidget& list = window_->超级列表框;
    bool menuShown = false;
    QTimer::singleShot(0, window_.get(), [&] {
      if (QMenu* menu = OpenMenu()) {
        menuShown = true;
        menu->close();
      }
    });
    RightClick(QPoint(10, list.viewport()->height() - 5));
    QTest::qWait(20);
    QVERIFY(!menuShown);
  }

  void doubleClickOpensTheMagnetAddress() {
    ShowWithTwoRows();
    QTableWidget& list = window_->超级列表框;
    DoubleClick(list.visualItemRect(list.item(1, 1)).center());
    QCOMPARE(opened_.size(), 1);
    QCOMPARE(opened_[0].toString(), QString("magnet:?xt=urn:btih:2"));

    // A row whose magnet cell is empty opens nothing; neither does empty space.
    opened_.clear();
    platform::SetCellText(list, 0, 2, "");
    DoubleClick(list.visualItemRect(list.item(0, 1)).center());
    DoubleClick(QPoint(10, list.viewport()->height() - 5));
    QVERIFY(opened_.isEmpty());
  }

  void tabFollowsTheWindow() {
    window_->上一页按钮.setEnabled(true);  // a disabled button takes no focus
    // With rows in it the list could keep Tab for moving between its cells.
    for (const char* number : {"1", "2"}) {
      const int row = platform::AppendRow(window_->超级列表框, number);
      for (int column = 1; column < 4; ++column)
        platform::SetCellText(window_->超级列表框, row, column, "c");
    }
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    QWidget* const order[] = {&window_->ssbjk,      &window_->搜索_按钮,  &window_->page,
                              &window_->上一页按钮, &window_->下一页按钮, &window_->超级列表框,
                              &window_->mc编辑框,   &window_->cl编辑框,   &window_->xl编辑框,
                              &window_->按钮1,      &window_->按钮2,      &window_->按钮3,
                              &window_->ssbjk};
    window_->ssbjk.setFocus(Qt::OtherFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), order[0]);
    for (size_t i = 1; i < std::size(order); ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget()->objectName(), order[i]->objectName());
    }
  }

 private:
  void ShowWithTwoRows() {
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    window_->ssbjk.setText("kw");
    window_->搜索_按钮.click();
    QCOMPARE(window_->超级列表框.rowCount(), 2);
  }

  // A double-click as the window system reports it: press, release, double-click, release.
  void DoubleClick(QPoint position) {
    QWidget* viewport = window_->超级列表框.viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, position);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, position);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, position);
  }

  // A right-click as the window system reports it: a context-menu event on the list's
  // viewport at `position`.
  void RightClick(QPoint position) {
    QWidget* viewport = window_->超级列表框.viewport();
    QContextMenuEvent event(QContextMenuEvent::Mouse, position, viewport->mapToGlobal(position));
    QApplication::sendEvent(viewport, &event);
  }

  std::unique_ptr<LoopbackServer> server_;
  std::unique_ptr<MainWindow> window_;
  QList<QUrl> opened_;
};

}  // namespace quillmere

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  quillmere::platform::InstallQtEventPumpHooks();
  quillmere::WindowAdditionsTest test;
  return QTest::qExec(&test, argc, argv);
}
#include "window_additions_test.moc"
