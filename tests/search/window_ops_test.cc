// The window-system operations the search client is written against.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <set>

#include "platform/window/window_ops.h"

namespace quillmere::platform {

class WindowOpsTest : public QObject {
  Q_OBJECT

 private slots:
  void textCrossesAsCodePage936() {
    // "资源" in code page 936.
    const Text program = "\xD7\xCA\xD4\xB4 ok";
    QCOMPARE(ToQString(program), QString::fromUtf8("资源 ok"));
    QCOMPARE(FromQString(QString::fromUtf8("资源 ok")), program);
    QLineEdit box;
    WriteText(box, program);
    QCOMPARE(ReadText(box), program);
  }

  void colourAndTextColour() {
    QCOMPARE(Colour(1, 2, 3), 0x030201u);
    QCOMPARE(Colour(255, 0, 0), 0xFFu);
    QLabel label;
    SetTextColour(label, Colour(10, 20, 30));
    QCOMPARE(label.palette().color(QPalette::WindowText), QColor(10, 20, 30));
  }

  void rowsAndCells() {
    QTableWidget list(0, 4);
    QCOMPARE(AppendRow(list, "1"), 0);
    QCOMPARE(AppendRow(list, "2"), 1);
    SetCellText(list, 1, 3, "x2");
    QCOMPARE(RowCount(list), 2);
    QCOMPARE(ReadCellText(list, 1, 0), Text("2"));
    QCOMPARE(ReadCellText(list, 1, 3), Text("x2"));
    QCOMPARE(ReadCellText(list, 0, 2), Text());  // never written
    QCOMPARE(ReadCellText(list, 5, 1), Text());  // no such row
    SetCellText(list, 9, 1, "ignored");          // no such row: nothing happens
    QCOMPARE(RowCount(list), 2);
    DeleteAllRows(list);
    QCOMPARE(RowCount(list), 0);
  }

  void currentSelectionIsTheFirstSelectedRow() {
    QTableWidget list(0, 4);
    list.setSelectionBehavior(QAbstractItemView::SelectRows);
    list.setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (const char* n : {"1", "2", "3", "4"}) AppendRow(list, n);
    QCOMPARE(CurrentSelection(list), -1);
    list.selectRow(3);
    list.selectionModel()->select(list.model()->index(1, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QCOMPARE(CurrentSelection(list), 1);
    list.clearSelection();
    QCOMPARE(CurrentSelection(list), -1);
  }

  void desktopFolderEndsInOneSeparator() {
    QTemporaryDir home;
    QVERIFY(home.isValid());
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath("config")));
    QCOMPARE(DesktopFolder(), Text());  // no Desktop folder yet
    QVERIFY(QDir(home.path()).mkpath("Desktop"));
    QCOMPARE(DesktopFolder(), FromQString(home.filePath("Desktop") + "/"));
    // A desktop that already ends in a separator (the root) gets no second one.
    QVERIFY(QDir(home.path()).mkpath("config"));
    QFile dirs(home.filePath("config/user-dirs.dirs"));
    QVERIFY(dirs.open(QIODevice::WriteOnly));
    dirs.write("XDG_DESKTOP_DIR=\"/\"\n");
    dirs.close();
    QCOMPARE(DesktopFolder(), Text("/"));
  }

  void writeWholeFileReplacesTheFile() {
    QTemporaryDir folder;
    // "下载资源.txt" as program text: the file system sees its UTF-8 name.
    const Text path = FromQString(folder.path()) + "/\xCF\xC2\xD4\xD8\xD7\xCA\xD4\xB4.txt";
    QVERIFY(WriteWholeFile(path, "a longer first content"));
    QVERIFY(WriteWholeFile(path, Bytes("\xB0\xA1\r\n", 4)));
    QFile file(folder.filePath(QString::fromUtf8("下载资源.txt")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("\xB0\xA1\r\n", 4));
    QVERIFY(!WriteWholeFile(Text(), "x"));
    QVERIFY(!WriteWholeFile(FromQString(folder.path()) + "/no/such/folder/f.txt", "x"));
  }

  void randomIntegerStaysInItsRangeAndReachesEveryValue() {
    std::set<int> seen;
    for (int draw = 0; draw < 20000; ++draw) {
      const int value = RandomInteger(0, 255);
      QVERIFY(value >= 0 && value <= 255);
      seen.insert(value);
    }
    QCOMPARE(seen.size(), size_t{256});
    QCOMPARE(RandomInteger(7, 7), 7);
  }
};

}  // namespace quillmere::platform

QTEST_MAIN(quillmere::platform::WindowOpsTest)
#include "window_ops_test.moc"
