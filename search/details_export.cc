#include "search/details_export.h"

#include <QTableWidget>

#include "platform/window/window_ops.h"

namespace quillmere {
namespace {

// "下载资源.txt" as code-page-936 bytes.
constexpr char kExportFileName[] = "\xCF\xC2\xD4\xD8\xD7\xCA\xD4\xB4.txt";

constexpr int kTitleColumn = 1;
constexpr int kMagnetColumn = 2;
constexpr int kThunderColumn = 3;

}  // namespace

void ShowDetails(const DetailControls& controls) {
  const int row = platform::CurrentSelection(controls.超级列表框);
  if (row < 0) return;
  platform::WriteText(controls.mc编辑框,
                      platform::ReadCellText(controls.超级列表框, row, kTitleColumn));
  platform::WriteText(controls.cl编辑框,
                      platform::ReadCellText(controls.超级列表框, row, kMagnetColumn));
  platform::WriteText(controls.xl编辑框,
                      platform::ReadCellText(controls.超级列表框, row, kThunderColumn));
}

Text ExportText(const QTableWidget& list, ExportLayout layout) {
  const int rows = platform::RowCount(list);
  Text text;
  for (int row = 0; row < rows; ++row) {
    switch (layout) {
      case ExportLayout::kAllFields:
        text += platform::ReadCellText(list, row, kTitleColumn) + "\r\n" +
                platform::ReadCellText(list, row, kMagnetColumn) + "\r\n" +
                platform::ReadCellText(list, row, kThunderColumn) + "\r\n\r\n\r\n";
        break;
      case ExportLayout::kMagnetOnly:
        text += platform::ReadCellText(list, row, kMagnetColumn) + "\r\n";
        break;
      case ExportLayout::kThunderOnly:
        text += platform::ReadCellText(list, row, kThunderColumn) + "\r\n";
        break;
    }
  }
  return text;
}

Text ExportFilePath() {
  return platform::DesktopFolder() + kExportFileName;
}

void ExportList(const QTableWidget& list, ExportLayout layout) {
  // Program text already is code-page-936 bytes: written as it is, no byte-order mark.
  platform::WriteWholeFile(ExportFilePath(), ExportText(list, layout));
}

}  // namespace quillmere
