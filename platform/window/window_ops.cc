#include "platform/window/window_ops.h"

#include <QColor>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTableWidgetItem>
#include <algorithm>
#include <random>

#include "platform/codepage936.h"

namespace quillmere::platform {

QString ToQString(const Text& text) {
  // Code page 936 keeps the bytes below 0x80 as they are: pure ASCII text, such as row
  // numbers, sizes and links, needs no converter.
  const bool ascii = std::all_of(text.begin(), text.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii) return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  return QString::fromStdU16String(Cp936ToUtf16(text));
}

Text FromQString(const QString& text) {
  return Utf16ToCp936(text.toStdU16String());
}

Text ReadText(const QLineEdit& box) {
  return FromQString(box.text());
}

void WriteText(QLineEdit& box, const Text& text) {
  box.setText(ToQString(text));
}

void WriteText(QLabel& label, const Text& text) {
  label.setText(ToQString(text));
}

void SetEnabled(QWidget& control, bool enabled) {
  control.setEnabled(enabled);
}

uint32_t Colour(int red, int green, int blue) {
  const auto component = [](int value) { return static_cast<uint32_t>(value) & 0xFFu; };
  return component(red) | component(green) << 8 | component(blue) << 16;
}

void SetTextColour(QLabel& label, uint32_t colour) {
  QPalette palette = label.palette();
  palette.setColor(QPalette::WindowText,
                   QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF));
  label.setPalette(palette);
}

void DeleteAllRows(QTableWidget& list) {
  list.setRowCount(0);
}

int AppendRow(QTableWidget& list, const Text& column0) {
  // Growing the row count by one keeps an append cheap: no rows move and the view lays out
  // lazily, so a page with thousands of hits fills quickly.
  const int row = list.rowCount();
  list.setRowCount(row + 1);
  list.setItem(row, 0, new QTableWidgetItem(ToQString(column0)));
  return row;
}

int AppendRows(QTableWidget& list, int count) {
  // One insertion for all of them: the model and the view hear of it once, not once a row.
  const int first = list.rowCount();
  if (count > 0) list.setRowCount(first + count);
  return first;
}

void SetCellText(QTableWidget& list, int row, int column, const Text& text) {
  if (row < 0 || row >= list.rowCount() || column < 0 || column >= list.columnCount()) return;
  if (QTableWidgetItem* item = list.item(row, column)) {
    item->setText(ToQString(text));
  } else {
    list.setItem(row, column, new QTableWidgetItem(ToQString(text)));
  }
}

Text ReadCellText(const QTableWidget& list, int row, int column) {
  const QTableWidgetItem* item = list.item(row, column);
  return item ? FromQString(item->text()) : Text();
}

int RowCount(const QTableWidget& list) {
  return list.rowCount();
}

int CurrentSelection(const QTableWidget& list) {
  const QItemSelectionModel* selection = list.selectionModel();
  if (!selection) return -1;
  int first = -1;
  for (const QModelIndex& index : selection->selectedIndexes()) {
    if (first < 0 || index.row() < first) first = index.row();
  }
  return first;
}

Text DesktopFolder() {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
  if (folder.isEmpty() || !QDir(folder).exists()) return Text();
  if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
  return FromQString(folder);
}

bool WriteWholeFile(const Text& path, const Bytes& bytes) {
  if (path.empty()) return false;
  // The path is program text; the file system takes it in its own encoding (UTF-8), which
  // QFile applies to the UTF-16 form.
  QFile file(ToQString(path));
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  const qint64 written = file.write(bytes.data(), static_cast<qint64>(bytes.size()));
  file.close();
  return written == static_cast<qint64>(bytes.size()) && file.error() == QFileDevice::NoError;
}

int RandomInteger(int low, int high) {
  // Default-constructed and never seeded, so every run draws the same sequence.
  static std::mt19937 generator;
  if (high < low) return low;
  return std::uniform_int_distribution<int>(low, high)(generator);
}

bool LoadWindowModal(QDialog& window) {
  window.setWindowModality(Qt::ApplicationModal);
  window.exec();
  return true;
}

}  // namespace quillmere::platform
