// The main window's controls, start state, page box filter and creation event.
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTest>
#include <atomic>
#include <chrono>
#include <memory>

#include "app/main_window.h"
#include "app/start_up.h"
#include "platform/window/qt_event_pump.h"
#include "tests/support/loopback_server.h"

namespace quillmere {

using test_support::LoopbackServer;
using test_support::RecordedRequest;
using test_support::Reply;

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { window_ = std::make_unique<MainWindow>("http://127.0.0.1:1", ""); }
  void cleanup() { window_.reset(); }

  void controls_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("alignment");
    const int left = Qt::AlignLeft | Qt::AlignVCenter;
    const int centred = Qt::AlignHCenter | Qt::AlignVCenter;
    const struct {
      const char* name;
      const char* kind;
      QRect geometry;
      const char* text;
      int alignment;
    } rows[] = {
        {"内容", "QLabel", {8, 14, 40, 24}, "内容：", centred},
        {"ssbjk", "QLineEdit", {48, 14, 152, 24}, "", left},
        {"搜索_按钮", "QPushButton", {216, 14, 80, 24}, "搜索", 0},
        {"搜索页数_标签", "QLabel", {313, 14, 40, 24}, "页数：", centred},
        {"page", "QLineEdit", {360, 14, 32, 24}, "1", centred},
        {"上一页按钮", "QPushButton", {401, 14, 64, 24}, "上一页", 0},
        {"下一页按钮", "QPushButton", {476, 14, 64, 24}, "下一页", 0},
        {"超级列表框", "QTableWidget", {6, 51, 594, 195}, "", 0},
        {"标签2", "QLabel", {8, 256, 55, 24}, "资源名称：", left},
        {"mc编辑框", "QLineEdit", {70, 257, 500, 24}, "", left},
        {"标签3", "QLabel", {8, 299, 55, 24}, "资源磁力：", left},
        {"cl编辑框", "QLineEdit", {70, 297, 500, 24}, "", left},
        {"标签4", "QLabel", {8, 337, 55, 24}, "资源迅雷：", left},
        {"xl编辑框", "QLineEdit", {70, 337, 500, 24}, "", left},
        {"按钮1", "QPushButton", {16, 378, 128, 32}, "桌面生成当前页资源", 0},
        {"按钮2", "QPushButton", {160, 378, 128, 32}, "只生成磁力资源列表", 0},
        {"按钮3", "QPushButton", {304, 378, 128, 32}, "只生成迅雷资源列表", 0},
        {"标签8", "QLabel", {472, 380, 80, 30}, "点击支持作者！", left},
        {"标签1", "QLabel", {400, 424, 56, 24}, "当前版本：", left},
        {"标签5", "QLabel", {463, 424, 33, 24}, "1.0B", left},
        {"标签6", "QLabel", {504, 424, 56, 24}, "最新版本：", left},
        {"标签7", "QLabel", {567, 423, 33, 24}, "", left},
    };
    for (const auto& row : rows) {
      QTest::newRow(row.name) << QString(row.kind) << row.geometry << QString::fromUtf8(row.text)
                              << row.alignment;
    }
  }

  void controls() {
    QFETCH(QString, kind);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    QFETCH(int, alignment);
    const QString name = QString::fromUtf8(QTest::currentDataTag());
    auto* control = window_->findChild<QWidget*>(name);
    QVERIFY(control);
    QCOMPARE(control->parentWidget(), window_.get());
    QCOMPARE(control->metaObject()->className(), kind.toLatin1());
    QCOMPARE(control->geometry(), geometry);
    QVERIFY(!control->isHidden());
    QCOMPARE(control->isEnabled(), name != QString::fromUtf8("上一页按钮"));
    if (auto* label = qobject_cast<QLabel*>(control)) {
      QCOMPARE(label->text(), text);
      QCOMPARE(int(label->alignment()), alignment);
      QVERIFY(!label->wordWrap());
    } else if (auto* box = qobject_cast<QLineEdit*>(control)) {
      QCOMPARE(box->text(), text);
      QCOMPARE(int(box->alignment()), alignment);
      QVERIFY(box->hasFrame());
      QCOMPARE(box->maxLength(), 32767);  // Qt's largest: no limit of our own
    } else if (auto* button = qobject_cast<QPushButton*>(control)) {
      QCOMPARE(button->text(), text);
    }
  }

  void windowFrameTitleAndIcon() {
    QCOMPARE(window_->windowTitle(), QString("Quillmere1.0B"));
    const Qt::WindowFlags flags = window_->windowFlags();
    QVERIFY(flags & Qt::WindowMinimizeButtonHint);
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QCOMPARE(window_->minimumSize(), window_->maximumSize());
    QCOMPARE(window_->windowIcon().pixmap(128, 128).size(), QSize(128, 128));
    QCOMPARE(window_->windowIcon().pixmap(128, 128).hasAlphaChannel(), true);
    auto* timer = window_->findChild<QTimer*>(QString::fromUtf8("时钟1"));
    QVERIFY(timer);
    QCOMPARE(timer->interval(), 1000);
    QVERIFY(timer->isActive());
  }

  void shownWindowHoldsEveryControlAndAimsAtItsOuterSize() {
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    window_->FitToFrame();
    const QRect client = window_->rect();
    for (QWidget* control : window_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      QVERIFY2(client.contains(control->geometry()), qPrintable(control->objectName()));
    }
    // Without a window manager (offscreen) there is no frame: the outer size is exact.
    if (window_->frameGeometry().size() == window_->size()) {
      QCOMPARE(window_->frameGeometry().size(), QSize(612, 475));
    }
    const QRect screen = window_->screen()->availableGeometry();
    QVERIFY(qAbs(window_->frameGeometry().center().x() - screen.center().x()) <= 1);
    QVERIFY(qAbs(window_->frameGeometry().center().y() - screen.center().y()) <= 1);
  }

  void reportList() {
    const QTableWidget& list = window_->超级列表框;
    QCOMPARE(list.rowCount(), 0);
    QCOMPARE(list.columnCount(), 4);
    const char* titles[] = {"序号", "资源名称", "磁力链接", "迅雷链接"};
    const int widths[] = {40, 150, 200, 200};
    const Qt::Alignment alignments[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignHCenter,
                                        Qt::AlignHCenter};
    for (int column = 0; column < 4; ++column) {
      QCOMPARE(list.horizontalHeaderItem(column)->text(), QString::fromUtf8(titles[column]));
      QCOMPARE(list.columnWidth(column), widths[column]);
      QCOMPARE(Qt::Alignment(list.horizontalHeaderItem(column)->textAlignment()) &
                   Qt::AlignHorizontal_Mask,
               alignments[column]);
    }
    QVERIFY(list.verticalHeader()->isHidden());
    QCOMPARE(list.selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(list.selectionMode(), QAbstractItemView::SingleSelection);
    QVERIFY(list.showGrid());
    QCOMPARE(list.editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(list.palette().color(QPalette::Inactive, QPalette::Highlight),
             list.palette().color(QPalette::Active, QPalette::Highlight));
  }

  void pageBoxDropsTypedCharactersOtherThanDigitsAndMinus() {
    QLineEdit& page = window_->page;
    page.clear();
    QTest::keyClicks(&page, "1a2-b .9");
    QCOMPARE(page.text(), QString("12-9"));
    QTest::keyClick(&page, Qt::Key_Backspace);
    QCOMPARE(page.text(), QString("12-"));
    // Characters beyond ASCII, as a keyboard layout or a compose key delivers them.
    for (const char* typed : {"３", "页", "－"}) {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8(typed));
      QApplication::sendEvent(&page, &press);
    }
    QCOMPARE(page.text(), QString("12-"));
  }

  void pageBoxTakesPastesAndProgramWrites() {
    QLineEdit& page = window_->page;
    page.setText("2.5x");
    QCOMPARE(page.text(), QString("2.5x"));
    QApplication::clipboard()->setText(QString::fromUtf8("ab２"));
    if (QApplication::clipboard()->text() != QString::fromUtf8("ab２")) {
      QSKIP("no clipboard on this platform");
    }
    page.clear();
    QTest::keyClick(&page, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(page.text(), QString::fromUtf8("ab２"));
  }

  void creationEventEmptiesTheListAndShowsTheLatestVersion() {
    LoopbackServer server([](const RecordedRequest&) {
      return Reply::Ok("<html>share page ~~1.1B~~ more ~~x~~</html>");
    });
    QVERIFY(server.ok());
    MainWindow window("http://127.0.0.1:1", server.Url("/s/latest"));
    window.超级列表框.setRowCount(3);
    window.RunCreationEvent();
    QCOMPARE(window.超级列表框.rowCount(), 0);
    QCOMPARE(window.标签7.text(), QString("1.1B"));
    QCOMPARE(window.标签7.size(), QSize(33, 24));
    QCOMPARE(server.RequestCount(), size_t{1});
    QCOMPARE(server.Requests()[0].Target(), std::string("/s/latest"));
  }

  void startUpPaintsBeforeTheCreationFetch() {
    std::atomic<bool> paintedAtRequest = false;
    MainWindow* window = nullptr;
    LoopbackServer server([&](const RecordedRequest&) {
      paintedAtRequest = window && window->HasPainted();
      return Reply::Ok("~~2.0B~~");
    });
    QVERIFY(server.ok());
    MainWindow started("http://127.0.0.1:1", server.Url("/version"));
    window = &started;
    started.超级列表框.setRowCount(2);
    ShowThenCreate(started);
    QTRY_COMPARE(started.标签7.text(), QString("2.0B"));
    QVERIFY(paintedAtRequest);
    QCOMPARE(started.超级列表框.rowCount(), 0);
    QCOMPARE(server.RequestCount(), size_t{1});
  }

  void creationEventWithUnreachableVersionPageLeavesLabelEmpty() {
    MainWindow window("http://127.0.0.1:1", "http://127.0.0.1:1/s/latest");
    window.RunCreationEvent();
    QCOMPARE(window.标签7.text(), QString());
    QCOMPARE(window.标签5.text(), QString("1.0B"));
  }

 private:
  std::unique_ptr<MainWindow> window_;
};

}  // namespace quillmere

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  quillmere::platform::InstallQtEventPumpHooks();
  quillmere::MainWindowTest test;
  return QTest::qExec(&test, argc, argv);
}
#include "main_window_test.moc"
