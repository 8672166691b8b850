#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <memory>

#include "app/constants.h"
#include "text/text.h"

namespace quillmere {

class PageLoader;

// The program's start window and its whole working surface. The controls carry their design
// names as member names and object names. Nothing but the controls holds the search state.
class MainWindow : public QWidget {
 public:
  // The client area that holds every control, and the outer size the window aims for.
  static constexpr QSize kMinimumClientSize{600, 448};
  static constexpr QSize kTargetOuterSize{612, 475};

  explicit MainWindow(Text siteRoot = SearchSiteRoot, Text versionSharePage = VersionSharePage,
                      QWidget* parent = nullptr);
  ~MainWindow() override;

  // The creation event: empties the list, then fetches and shows the latest version. Runs once
  // the window is on screen, so the fetch never delays the first paint.
  void RunCreationEvent();

  // Sizes the client area so that, with the frame the window manager actually drew, the outer
  // size comes as close to 612 x 475 as the controls allow, and centres the window on its
  // screen. Before the window is shown the frame is estimated.
  void FitToFrame();

  // True once the window has painted itself at least once.
  bool HasPainted() const { return painted_.load(); }

  QLabel 内容;
  QLineEdit ssbjk;
  QPushButton 搜索_按钮;
  QLabel 搜索页数_标签;
  QLineEdit page;
  QPushButton 上一页按钮;
  QPushButton 下一页按钮;
  QTableWidget 超级列表框;
  QLabel 标签2;
  QLineEdit mc编辑框;
  QLabel 标签3;
  QLineEdit cl编辑框;
  QLabel 标签4;
  QLineEdit xl编辑框;
  QPushButton 按钮1;
  QPushButton 按钮2;
  QPushButton 按钮3;
  QLabel 标签8;
  QTimer 时钟1;
  QLabel 标签1;
  QLabel 标签5;
  QLabel 标签6;
  QLabel 标签7;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void SetUpWindow();
  void SetUpControls();
  void SetUpList();
  void SetUpTabOrder();
  void ConnectHandlers();

  Text versionSharePage_;
  std::unique_ptr<PageLoader> pageLoader_;
  // Read by tests from the server thread while the GUI thread waits on a request.
  std::atomic<bool> painted_{false};
};

}  // namespace quillmere
