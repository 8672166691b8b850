#include "app/main_window.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QIcon>
#include <QItemSelectionModel>
#include <QPalette>
#include <QScreen>
#include <algorithm>
#include <iterator>
#include <utility>

#include "app/column_aligned_delegate.h"
#include "app/page_key_filter.h"
#include "extras/support_label.h"
#include "extras/version_notice.h"
#include "platform/window/window_ops.h"
#include "search/details_export.h"
#include "search/page_loader.h"
#include "search/row_actions.h"

namespace quillmere {
namespace {

// Frame estimate used until the window manager has drawn the real one: 3-pixel borders and
// a 24-pixel caption, the usual fixed dialog frame.
constexpr QSize kEstimatedFrame{6, 27};

void Place(QWidget& control, QWidget& window, const char* name, int x, int y, int width,
           int height) {
  control.setParent(&window);
  control.setObjectName(QString::fromUtf8(name));
  control.setGeometry(x, y, width, height);
}

void SetUpLabel(QLabel& label, QWidget& window, const char* name, QRect area, const char* text,
                Qt::Alignment horizontal = Qt::AlignLeft) {
  Place(label, window, name, area.x(), area.y(), area.width(), area.height());
  label.setText(QString::fromUtf8(text));
  label.setAlignment(horizontal | Qt::AlignVCenter);
  label.setWordWrap(false);
}

void SetUpButton(QPushButton& button, QWidget& window, const char* name, QRect area,
                 const char* text) {
  Place(button, window, name, area.x(), area.y(), area.width(), area.height());
  button.setText(QString::fromUtf8(text));
  button.setAutoDefault(false);
}

void SetUpEditBox(QLineEdit& box, QWidget& window, const char* name, QRect area,
                  Qt::Alignment horizontal = Qt::AlignLeft) {
  Place(box, window, name, area.x(), area.y(), area.width(), area.height());
  box.setFrame(true);
  box.setAlignment(horizontal | Qt::AlignVCenter);
}

}  // namespace

MainWindow::MainWindow(Text siteRoot, Text versionSharePage, QWidget* parent)
    : QWidget(parent), versionSharePage_(std::move(versionSharePage)) {
  SetUpWindow();
  SetUpControls();
  SetUpList();
  SetUpTabOrder();
  pageLoader_ = std::make_unique<PageLoader>(SearchControls{ssbjk, page, 上一页按钮, 超级列表框},
                                             std::move(siteRoot));
  ConnectHandlers();
  FitToFrame();
}

MainWindow::~MainWindow() = default;

void MainWindow::SetUpWindow() {
  setObjectName(QStringLiteral("MainWindow"));
  setWindowTitle(QStringLiteral("Quillmere1.0B"));
  setWindowIcon(QIcon(QStringLiteral(":/quillmere/quillmere.png")));
  // Title bar with close box and minimise button, no maximise button; the fixed size below
  // keeps the user from resizing the frame.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
}

void MainWindow::SetUpControls() {
  SetUpLabel(内容, *this, "内容", {8, 14, 40, 24}, "内容：", Qt::AlignHCenter);
  SetUpEditBox(ssbjk, *this, "ssbjk", {48, 14, 152, 24});
  SetUpButton(搜索_按钮, *this, "搜索_按钮", {216, 14, 80, 24}, "搜索");
  SetUpLabel(搜索页数_标签, *this, "搜索页数_标签", {313, 14, 40, 24}, "页数：", Qt::AlignHCenter);
  SetUpEditBox(page, *this, "page", {360, 14, 32, 24}, Qt::AlignHCenter);
  page.setText(QStringLiteral("1"));
  page.installEventFilter(new PageKeyFilter(&page));
  // Digits and '-' need no input method; without one every typed character reaches the key
  // filter as a key press.
  page.setAttribute(Qt::WA_InputMethodEnabled, false);
  SetUpButton(上一页按钮, *this, "上一页按钮", {401, 14, 64, 24}, "上一页");
  上一页按钮.setEnabled(false);
  SetUpButton(下一页按钮, *this, "下一页按钮", {476, 14, 64, 24}, "下一页");
  Place(超级列表框, *this, "超级列表框", 6, 51, 594, 195);
  SetUpLabel(标签2, *this, "标签2", {8, 256, 55, 24}, "资源名称：");
  SetUpEditBox(mc编辑框, *this, "mc编辑框", {70, 257, 500, 24});
  SetUpLabel(标签3, *this, "标签3", {8, 299, 55, 24}, "资源磁力：");
  SetUpEditBox(cl编辑框, *this, "cl编辑框", {70, 297, 500, 24});
  SetUpLabel(标签4, *this, "标签4", {8, 337, 55, 24}, "资源迅雷：");
  SetUpEditBox(xl编辑框, *this, "xl编辑框", {70, 337, 500, 24});
  SetUpButton(按钮1, *this, "按钮1", {16, 378, 128, 32}, "桌面生成当前页资源");
  SetUpButton(按钮2, *this, "按钮2", {160, 378, 128, 32}, "只生成磁力资源列表");
  SetUpButton(按钮3, *this, "按钮3", {304, 378, 128, 32}, "只生成迅雷资源列表");
  SetUpLabel(标签8, *this, "标签8", {472, 380, 80, 30}, "点击支持作者！");
  时钟1.setParent(this);
  时钟1.setObjectName(QStringLiteral("时钟1"));
  时钟1.setInterval(1000);
  SetUpLabel(标签1, *this, "标签1", {400, 424, 56, 24}, "当前版本：");
  SetUpLabel(标签5, *this, "标签5", {463, 424, 33, 24}, "1.0B");
  SetUpLabel(标签6, *this, "标签6", {504, 424, 56, 24}, "最新版本：");
  SetUpLabel(标签7, *this, "标签7", {567, 423, 33, 24}, "");
}

void MainWindow::SetUpList() {
  QTableWidget& list = 超级列表框;
  list.setColumnCount(4);
  const struct {
    const char* title;
    int width;
    Qt::Alignment alignment;
  } columns[] = {{"序号", 40, Qt::AlignLeft},
                 {"资源名称", 150, Qt::AlignHCenter},
                 {"磁力链接", 200, Qt::AlignHCenter},
                 {"迅雷链接", 200, Qt::AlignHCenter}};
  for (int column = 0; column < 4; ++column) {
    auto* header = new QTableWidgetItem(QString::fromUtf8(columns[column].title));
    header->setTextAlignment(columns[column].alignment | Qt::AlignVCenter);
    list.setHorizontalHeaderItem(column, header);
    list.setColumnWidth(column, columns[column].width);
  }
  list.horizontalHeader()->setHighlightSections(false);
  list.horizontalHeader()->setStretchLastSection(false);
  // A report list: no row headers, fixed one-line rows, whole-row single selection, grid.
  list.verticalHeader()->hide();
  list.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  list.verticalHeader()->setDefaultSectionSize(list.fontMetrics().height() + 6);
  list.setSelectionBehavior(QAbstractItemView::SelectRows);
  list.setSelectionMode(QAbstractItemView::SingleSelection);
  list.setShowGrid(true);
  list.setWordWrap(false);
  list.setEditTriggers(QAbstractItemView::NoEditTriggers);
  list.setSortingEnabled(false);
  list.setItemDelegate(new ColumnAlignedDelegate(&list));
  // Tab leaves the list for the next control instead of stepping through its cells.
  list.setTabKeyNavigation(false);
  list.setContextMenuPolicy(Qt::CustomContextMenu);
  // The selection stays visible when the list loses the focus.
  QPalette palette = list.palette();
  for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
    palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
  }
  list.setPalette(palette);
}

void MainWindow::ConnectHandlers() {
  connect(&搜索_按钮, &QPushButton::clicked, this, [this] { pageLoader_->SearchClicked(); });
  // Return and keypad Enter in the keyword box search just as the button does.
  connect(&ssbjk, &QLineEdit::returnPressed, this, [this] { pageLoader_->SearchClicked(); });
  connect(&上一页按钮, &QPushButton::clicked, this, [this] { pageLoader_->PreviousPageClicked(); });
  connect(&下一页按钮, &QPushButton::clicked, this, [this] { pageLoader_->NextPageClicked(); });
  // A mouse press makes the row current before it selects it; queued, the handler reads the
  // selection once the press has finished, so it shows the row just clicked.
  connect(
      超级列表框.selectionModel(), &QItemSelectionModel::currentRowChanged, this,
      [this] {
        ShowDetails(DetailControls{超级列表框, mc编辑框, cl编辑框, xl编辑框});
      },
      Qt::QueuedConnection);
  connect(&超级列表框, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& position) { ShowRowMenu(超级列表框, position); });
  connect(&超级列表框, &QTableWidget::cellDoubleClicked, this,
          [this](int row) { OpenMagnetAddress(超级列表框, row); });
  connect(&按钮1, &QPushButton::clicked, this,
          [this] { ExportList(超级列表框, ExportLayout::kAllFields); });
  connect(&按钮2, &QPushButton::clicked, this,
          [this] { ExportList(超级列表框, ExportLayout::kMagnetOnly); });
  connect(&按钮3, &QPushButton::clicked, this,
          [this] { ExportList(超级列表框, ExportLayout::kThunderOnly); });
  InstallSupportLabel(标签8, 时钟1);
}

void MainWindow::SetUpTabOrder() {
  // Left to right, top to bottom, as the controls stand in the window.
  QWidget* const order[] = {&ssbjk,    &搜索_按钮, &page,     &上一页按钮, &下一页按钮, &超级列表框,
                            &mc编辑框, &cl编辑框,  &xl编辑框, &按钮1,      &按钮2,      &按钮3};
  for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

void MainWindow::RunCreationEvent() {
  platform::DeleteAllRows(超级列表框);
  ShowLatestVersion(标签7, versionSharePage_);
}

void MainWindow::FitToFrame() {
  QSize frame = kEstimatedFrame;
  if (isVisible()) frame = frameGeometry().size() - geometry().size();
  const QSize client = kMinimumClientSize.expandedTo(kTargetOuterSize - frame);
  setFixedSize(client);
  const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect available = screen->availableGeometry();
  const QSize outer = client + frame;
  move(available.x() + (available.width() - outer.width()) / 2,
       available.y() + (available.height() - outer.height()) / 2);
}

void MainWindow::paintEvent(QPaintEvent* event) {
  painted_ = true;
  QWidget::paintEvent(event);
}

}  // namespace quillmere
