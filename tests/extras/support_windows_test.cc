// The flashing support label and the two modal support windows, offscreen.

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <functional>

#include "extras/caption_label.h"
#include "extras/support_label.h"
#include "extras/support_window_frame.h"
#include "extras/thanks_window.h"
#include "extras/tip_window.h"

using namespace quillmere;

namespace {

// Runs `check` once the next modal window is open (inside its nested event loop).
void WhenModalOpens(std::function<void(QWidget*)> check) {
  QTimer::singleShot(0, qApp,
                     [check = std::move(check)] { check(QApplication::activeModalWidget()); });
}

QColor TextColour(const QLabel& label) {
  return label.palette().color(label.foregroundRole());
}

QPoint ExpectedTopLeft(QSize outerSize) {
  return CentredTopLeft(outerSize, QGuiApplication::primaryScreen()->availableGeometry());
}

// A stand-in for the main window: the support label at its place, its timer and one more
// button to see whether the window takes input.
struct HostWindow {
  QWidget window;
  QLabel* 标签8 = new QLabel(QStringLiteral("点击支持作者！"), &window);
  QPushButton* other = new QPushButton(QStringLiteral("other"), &window);
  QTimer 时钟1;
  int otherClicks = 0;

  HostWindow() {
    window.resize(606, 444);
    标签8->setObjectName(QStringLiteral("标签8"));
    标签8->setGeometry(472, 380, 80, 30);
    other->setGeometry(16, 378, 128, 32);
    QObject::connect(other, &QPushButton::clicked, [this] { ++otherClicks; });
    InstallSupportLabel(*标签8, 时钟1);
    window.show();
  }
};

// A click that travels the window system's way, so modality can block it.
void ClickThroughWindowSystem(QWidget& widget) {
  QWindow* window = widget.window()->windowHandle();
  const QPoint at = widget.mapTo(widget.window(), widget.rect().center());
  QTest::mouseClick(window, Qt::LeftButton, {}, at);
}

// The JPEG frame header: true for progressive (SOF2), false for baseline (SOF0); the number of
// colour components through `components`.
bool IsProgressiveJpeg(const QByteArray& jpeg, int& components) {
  for (int i = 2; i + 9 < jpeg.size(); ++i) {
    if (static_cast<uchar>(jpeg[i]) != 0xFF) continue;
    const uchar marker = static_cast<uchar>(jpeg[i + 1]);
    if (marker == 0xC0 || marker == 0xC2) {
      components = static_cast<uchar>(jpeg[i + 9]);
      return marker == 0xC2;
    }
  }
  components = 0;
  return false;
}

}  // namespace

class SupportWindowsTest : public QObject {
  Q_OBJECT

 private slots:
  void timerRecoloursTheLabelAboutOnceASecond();
  void colourSequenceIsTheSameInEveryRun();
  void leftPressOpensThanksWindowModally();
  void otherButtonsOpenNothing_data();
  void otherButtonsOpenNothing();
  void thanksButtonOpensTipWindowAndClosingReturnsStepByStep();
  void reopeningBuildsAFreshCentredWindow();
  void thanksWindowDesign();
  void thanksCaptionWrapsAtTheLabelEdge();
  void tipWindowDesign();
  void picturesFillTheirBoxes_data();
  void picturesFillTheirBoxes();
  void picturesAreTheDesignedJpegs_data();
  void picturesAreTheDesignedJpegs();
};

void SupportWindowsTest::timerRecoloursTheLabelAboutOnceASecond() {
  HostWindow host;
  QCOMPARE(host.时钟1.interval(), 1000);
  QVERIFY(host.时钟1.isActive());

  // Sample the colour for 3.5 seconds and count the changes.
  int changes = 0;
  QColor last = TextColour(*host.标签8);
  QElapsedTimer elapsed;
  elapsed.start();
  while (elapsed.elapsed() < 3500) {
    QTest::qWait(50);
    const QColor now = TextColour(*host.标签8);
    if (now != last) ++changes;
    last = now;
  }
  QVERIFY2(changes >= 2 && changes <= 4, qPrintable(QString::number(changes)));
}

void SupportWindowsTest::colourSequenceIsTheSameInEveryRun() {
  auto run = [](const QString& mode) {
    QProcess process;
    process.start(QStringLiteral(QUILLMERE_COLOUR_SEQUENCE), {mode});
    if (!process.waitForFinished(20000) || process.exitCode() != 0) return QByteArray();
    return process.readAllStandardOutput();
  };
  const QByteArray first = run(QStringLiteral("ticks"));
  const QByteArray second = run(QStringLiteral("ticks"));
  QVERIFY(!first.isEmpty());
  QCOMPARE(second, first);
  // Each tick draws red, green, blue in that order from the never-seeded generator.
  QCOMPARE(first, run(QStringLiteral("draws")));

  const QList<QByteArray> colours = first.trimmed().split('\n');
  QCOMPARE(colours.size(), 8);
  for (const QByteArray& line : colours) {
    bool ok = false;
    const qulonglong colour = line.toULongLong(&ok);
    QVERIFY(ok);
    QVERIFY2(colour <= 0xFFFFFF, line.constData());  // three components of 0..255, top byte 0
  }
}

void SupportWindowsTest::leftPressOpensThanksWindowModally() {
  HostWindow host;
  QPointer<QWidget> seen;
  bool blocked = false;
  WhenModalOpens([&](QWidget* modal) {
    seen = modal;
    QVERIFY(modal != nullptr);
    QCOMPARE(modal->windowModality(), Qt::ApplicationModal);
    ClickThroughWindowSystem(*host.other);
    blocked = host.otherClicks == 0;
    modal->close();
  });
  // The press alone, no release: the window opens on the press.
  QTest::mousePress(host.标签8, Qt::LeftButton);

  QVERIFY(qobject_cast<ThanksWindow*>(seen.data()) || seen.isNull());
  QVERIFY2(seen.isNull(), "the window is destroyed when it closes");
  QVERIFY(blocked);
  QCOMPARE(QApplication::activeModalWidget(), nullptr);
  // Input reaches the main window again.
  ClickThroughWindowSystem(*host.other);
  QCOMPARE(host.otherClicks, 1);
}

void SupportWindowsTest::otherButtonsOpenNothing_data() {
  QTest::addColumn<Qt::MouseButton>("button");
  QTest::newRow("right") << Qt::RightButton;
  QTest::newRow("middle") << Qt::MiddleButton;
}

void SupportWindowsTest::otherButtonsOpenNothing() {
  QFETCH(Qt::MouseButton, button);
  HostWindow host;
  bool opened = false;
  WhenModalOpens([&](QWidget* modal) {
    opened = modal != nullptr;
    if (modal) modal->close();
  });
  QTest::mousePress(host.标签8, button);
  QTest::mouseRelease(host.标签8, button);
  QTest::qWait(20);
  QVERIFY(!opened);
}

void SupportWindowsTest::thanksButtonOpensTipWindowAndClosingReturnsStepByStep() {
  HostWindow host;
  QPointer<QWidget> thanks;
  QPointer<QWidget> tip;
  bool thanksBlockedWhileTipOpen = false;
  bool thanksActiveAfterTipClosed = false;
  bool tipGoneAfterClose = false;
  WhenModalOpens([&](QWidget* modal) {
    thanks = qobject_cast<ThanksWindow*>(modal);
    if (!thanks) return modal->close(), void();
    auto* button = thanks->findChild<QPushButton*>(QStringLiteral("按钮1"));
    WhenModalOpens([&](QWidget* inner) {
      tip = qobject_cast<TipWindow*>(inner);
      if (!tip) return inner->close(), void();
      // A second press on the thanks button goes nowhere while the tip window is open.
      int opened = 0;
      QObject::connect(button, &QPushButton::pressed, [&] { ++opened; });
      ClickThroughWindowSystem(*button);
      thanksBlockedWhileTipOpen = opened == 0;
      tip->close();
    });
    QTest::mouseClick(button, Qt::LeftButton);
    // Back in the thanks window once the tip window has closed.
    tipGoneAfterClose = tip.isNull();
    thanksActiveAfterTipClosed = QApplication::activeModalWidget() == thanks.data();
    thanks->close();
  });
  QTest::mousePress(host.标签8, Qt::LeftButton);

  QVERIFY(tipGoneAfterClose);
  QVERIFY(thanksBlockedWhileTipOpen);
  QVERIFY(thanksActiveAfterTipClosed);
  QVERIFY(thanks.isNull());
  QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

void SupportWindowsTest::reopeningBuildsAFreshCentredWindow() {
  HostWindow host;
  QPointer<QWidget> first;
  QPoint firstPlace;
  WhenModalOpens([&](QWidget* modal) {
    first = modal;
    firstPlace = modal->pos();
    modal->move(10, 10);  // the user drags it away
    modal->findChild<QLabel*>(QStringLiteral("标签1"))->setText(QStringLiteral("changed"));
    modal->close();
  });
  QTest::mousePress(host.标签8, Qt::LeftButton);
  QVERIFY(first.isNull());
  QCOMPARE(firstPlace, ExpectedTopLeft({455, 271}));

  QPoint secondPlace;
  QString secondCaption;
  WhenModalOpens([&](QWidget* modal) {
    secondPlace = modal->pos();
    secondCaption = modal->findChild<QLabel*>(QStringLiteral("标签1"))->text();
    modal->close();
  });
  QTest::mousePress(host.标签8, Qt::LeftButton);
  QCOMPARE(secondPlace, ExpectedTopLeft({455, 271}));
  QCOMPARE(secondCaption, ThanksWindow::Caption());
}

// Title, fixed frame with minimise and close boxes but no maximise box, client size.
static void VerifyFrame(const QDialog& window, const QString& title, QSize outerSize) {
  QCOMPARE(window.windowTitle(), title);
  const Qt::WindowFlags flags = window.windowFlags();
  QVERIFY(flags.testFlag(Qt::WindowTitleHint));
  QVERIFY(flags.testFlag(Qt::WindowSystemMenuHint));
  QVERIFY(flags.testFlag(Qt::WindowMinimizeButtonHint));
  QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
  QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
  QCOMPARE(window.minimumSize(), window.maximumSize());
  QCOMPARE(window.size(), ClientSizeForOuterSize(outerSize));
  QCOMPARE(window.pos(), ExpectedTopLeft(outerSize));
}

void SupportWindowsTest::thanksWindowDesign() {
  ThanksWindow window;
  VerifyFrame(window, QStringLiteral("感谢各位支持"), {455, 271});
  QCOMPARE(window.objectName(), QStringLiteral("ThanksWindow"));

  auto* label = window.findChild<QLabel*>(QStringLiteral("标签1"));
  QVERIFY(label);
  QCOMPARE(label->geometry(), QRect(11, 12, 437, 188));
  QCOMPARE(label->text(),
           QStringLiteral(
               "之前做过一款搜索软件，因为所采集的网页关闭后，软件一直处于无更新的阶段。\r\n\r\n"
               "很多用户通过之前的留下的联系方式与我反应后，所以从新更新了一下。\r\n    \r\n"
               "接下来的版本会在次基础上，再加入一些新的功能，希望大家能再帖子底下留\r\n\r\n"
               "，给出好的意见建议。\r\n\r\n"
               "在此也请各位走过路过的客官，如果觉得此软件还对胃口。\r\n\r\n"
               "看在我大热天在工作之余，放弃休息的机会更新软件\r\n\r\n"
               "能够打赏个1角，2角，多少在于心意，买根冰棒吃就行。\r\n    \r\n谢谢\r\n    "));
  QVERIFY(label->alignment().testFlag(Qt::AlignLeft) && label->alignment().testFlag(Qt::AlignTop));

  auto* button = window.findChild<QPushButton*>(QStringLiteral("按钮1"));
  QVERIFY(button);
  QCOMPARE(button->geometry(), QRect(120, 206, 152, 32));
  QCOMPARE(button->text(), QStringLiteral("点击打赏一下"));
  // Every control lies inside the client area.
  QVERIFY(QRect(QPoint(0, 0), window.size()).contains(label->geometry()));
  QVERIFY(QRect(QPoint(0, 0), window.size()).contains(button->geometry()));
}

void SupportWindowsTest::thanksCaptionWrapsAtTheLabelEdge() {
  ThanksWindow window;
  CaptionLabel& label = *window.标签1;
  const QFontMetrics metrics(label.font());

  // At the designed width: one drawn line per CR LF line, blanks kept, all inside 188 pixels.
  const QStringList lines = label.DrawnLines();
  QCOMPARE(lines.join(QStringLiteral("\r\n")), ThanksWindow::Caption());
  QCOMPARE(lines.at(3), QStringLiteral("    "));
  int lastVisible = int(lines.size()) - 1;
  while (lastVisible > 0 && lines.at(lastVisible).trimmed().isEmpty()) --lastVisible;
  QCOMPARE(lines.at(lastVisible), QStringLiteral("谢谢"));
  QVERIFY((lastVisible + 1) * CaptionLabel::kLineStep <= label.height());

  // A narrower label: the Chinese lines, which hold no blank, wrap at the edge.
  label.resize(200, 188);
  const QStringList wrapped = label.DrawnLines();
  QVERIFY(wrapped.size() > lines.size());
  QVERIFY(wrapped.first().size() < lines.first().size());
  QCOMPARE(wrapped.join(QString()),
           QString(ThanksWindow::Caption()).remove(QStringLiteral("\r\n")));
  for (const QString& line : wrapped) {
    QVERIFY2(metrics.horizontalAdvance(line.trimmed()) <= 200, qPrintable(line));
  }
}

void SupportWindowsTest::tipWindowDesign() {
  TipWindow window;
  VerifyFrame(window, QStringLiteral("感谢各位"), {614, 363});
  QCOMPARE(window.objectName(), QStringLiteral("TipWindow"));
  const QRect places[] = {{8, 8, 288, 312}, {304, 8, 288, 312}};
  const QString names[] = {QStringLiteral("图片框1"), QStringLiteral("图片框2")};
  for (int i = 0; i < 2; ++i) {
    auto* box = window.findChild<QLabel*>(names[i]);
    QVERIFY(box);
    QCOMPARE(box->geometry(), places[i]);
    QCOMPARE(box->frameShape(), QFrame::NoFrame);
    QVERIFY(QRect(QPoint(0, 0), window.size()).contains(box->geometry()));
  }
}

void SupportWindowsTest::picturesFillTheirBoxes_data() {
  QTest::addColumn<QString>("box");
  QTest::addColumn<QString>("picture");
  QTest::newRow("图片框1") << QStringLiteral("图片框1")
                           << QStringLiteral(":/extras/tip_picture_1.jpg");
  QTest::newRow("图片框2") << QStringLiteral("图片框2")
                           << QStringLiteral(":/extras/tip_picture_2.jpg");
}

void SupportWindowsTest::picturesFillTheirBoxes() {
  QFETCH(QString, box);
  QFETCH(QString, picture);
  TipWindow window;
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  auto* label = window.findChild<QLabel*>(box);
  QVERIFY(label && !label->pixmap().isNull());

  // The box shows the whole picture squeezed to 288 x 312: compare the drawn box with the
  // picture scaled that way, at the corners, the edges' middles and inside.
  const QImage drawn = label->grab().toImage().convertToFormat(QImage::Format_RGB32);
  QCOMPARE(drawn.size(), QSize(288, 312));
  const QImage expected = QImage(picture)
                              .scaled(288, 312, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                              .convertToFormat(QImage::Format_RGB32);
  QCOMPARE(expected.size(), QSize(288, 312));
  const int xs[] = {0, 20, 144, 267, 287};
  const int ys[] = {0, 20, 104, 156, 208, 291, 311};
  for (int x : xs) {
    for (int y : ys) {
      const QColor a = drawn.pixelColor(x, y), b = expected.pixelColor(x, y);
      const int difference = qMax(qAbs(a.red() - b.red()),
                                  qMax(qAbs(a.green() - b.green()), qAbs(a.blue() - b.blue())));
      QVERIFY2(difference <= 24, qPrintable(QStringLiteral("(%1,%2)").arg(x).arg(y)));
    }
  }
}

void SupportWindowsTest::picturesAreTheDesignedJpegs_data() {
  QTest::addColumn<QString>("picture");
  QTest::addColumn<QSize>("size");
  QTest::addColumn<bool>("progressive");
  QTest::newRow("baseline") << QStringLiteral(":/extras/tip_picture_1.jpg") << QSize(1079, 1066)
                            << false;
  QTest::newRow("progressive") << QStringLiteral(":/extras/tip_picture_2.jpg") << QSize(1079, 1466)
                               << true;
}

void SupportWindowsTest::picturesAreTheDesignedJpegs() {
  QFETCH(QString, picture);
  QFETCH(QSize, size);
  QFETCH(bool, progressive);
  QFile file(picture);
  QVERIFY(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  QVERIFY(bytes.startsWith("\xFF\xD8"));
  int components = 0;
  QCOMPARE(IsProgressiveJpeg(bytes, components), progressive);
  QCOMPARE(components, 3);
  QCOMPARE(QImageReader(picture).size(), size);
}

QTEST_MAIN(SupportWindowsTest)
#include "support_windows_test.moc"
