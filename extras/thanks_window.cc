#include "extras/thanks_window.h"

#include <QLabel>
#include <QPushButton>

#include "extras/caption_label.h"
#include "extras/support_window_frame.h"
#include "extras/tip_window.h"
#include "platform/window/window_ops.h"

namespace quillmere {

namespace {
constexpr QSize kOuterSize{455, 271};
}

const QString& ThanksWindow::Caption() {
  static const QString caption = QStringLiteral(
      "之前做过一款搜索软件，因为所采集的网页关闭后，软件一直处于无更新的阶段。\r\n\r\n很多用户通过"
      "之前的留下的联系方式与我反应后，所以从新更新了一下。\r\n    "
      "\r\n接下来的版本会在次基础上，再加入一些新的功能，希望大家能再帖子底下留\r\n\r\n，给出好的意"
      "见建议。\r\n\r\n在此也请各位走过路过的客官，如果觉得此软件还对胃口。\r\n\r\n看在我大热天在工"
      "作之余，放弃休息的机会更新软件\r\n\r\n能够打赏个1角，2角，多少在于心意，买根冰棒吃就行。\r\n"
      "    \r\n谢谢\r\n    ");
  return caption;
}

ThanksWindow::ThanksWindow(QWidget* parent)
    : QDialog(parent), 标签1(new CaptionLabel(this)), 按钮1(new QPushButton(this)) {
  setObjectName(QStringLiteral("ThanksWindow"));
  SetUpSupportWindow(*this, QStringLiteral("感谢各位支持"), kOuterSize);

  标签1->setObjectName(QStringLiteral("标签1"));
  标签1->setGeometry(11, 12, 437, 188);
  标签1->setText(Caption());

  按钮1->setObjectName(QStringLiteral("按钮1"));
  按钮1->setGeometry(120, 206, 152, 32);
  按钮1->setText(QStringLiteral("点击打赏一下"));
  按钮1->setAutoDefault(false);
  connect(按钮1, &QPushButton::clicked, this, [] { OpenTipWindow(); });
}

bool OpenThanksWindow() {
  ThanksWindow window;
  return platform::LoadWindowModal(window);
}

}  // namespace quillmere
