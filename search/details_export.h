#pragma once

#include "search/search_controls.h"
#include "text/text.h"

class QTableWidget;

namespace quillmere {

// Shows the first selected row's title, magnet and Thunder address in the three detail boxes.
// With no row selected the boxes keep their text.
void ShowDetails(const DetailControls& controls);

// What the three export buttons write for each row.
enum class ExportLayout {
  kAllFields,    // title, magnet, Thunder, each on its line, then two empty lines
  kMagnetOnly,   // the magnet address, one line
  kThunderOnly,  // the Thunder address, one line
};

// The row blocks of every row of the list, in list order, with CR LF line ends.
Text ExportText(const QTableWidget& list, ExportLayout layout);

// "下载资源.txt" in the desktop folder, or in the current folder when there is no desktop.
Text ExportFilePath();

// Replaces the export file with the list's rows in the given layout. The outcome of the write
// is not reported.
void ExportList(const QTableWidget& list, ExportLayout layout);

}  // namespace quillmere
