#pragma once

#include <cstdint>

#include <QString>

#include "text/text.h"

class QDialog;
class QLabel;
class QLineEdit;
class QTableWidget;
class QWidget;

namespace quillmere::platform {

// The window-system operations the handlers rely on, as a thin layer over Qt Widgets.
// Texts cross as program text (code page 936); QString appears only here.

QString ToQString(const Text& text);
Text FromQString(const QString& text);

Text ReadText(const QLineEdit& box);
void WriteText(QLineEdit& box, const Text& text);
void WriteText(QLabel& label, const Text& text);

// A disabled button raises no click.
void SetEnabled(QWidget& control, bool enabled);

// Colour: red + green * 256 + blue * 65536, each component 0 to 255.
uint32_t Colour(int red, int green, int blue);
void SetTextColour(QLabel& label, uint32_t colour);

void DeleteAllRows(QTableWidget& list);
// Appends a row whose column 0 shows `column0`; returns its index.
int AppendRow(QTableWidget& list, const Text& column0);
// Appends `count` empty rows; returns the index of the first of them.
int AppendRows(QTableWidget& list, int count);
void SetCellText(QTableWidget& list, int row, int column, const Text& text);
// Empty text for a cell that holds none or does not exist.
Text ReadCellText(const QTableWidget& list, int row, int column);
int RowCount(const QTableWidget& list);
// Index of the first selected row, -1 when none is selected.
int CurrentSelection(const QTableWidget& list);

// The user's desktop folder ending in exactly one separator, or empty text when not found.
Text DesktopFolder();
// Creates or truncates the file and writes the bytes; an empty path writes nothing.
bool WriteWholeFile(const Text& path, const Bytes& bytes);

// Uniform in low..high, both included, from a generator the program never seeds: every run
// draws the same sequence.
int RandomInteger(int low, int high);

// Shows the window modally (other windows take no input) and returns when it closes.
bool LoadWindowModal(QDialog& window);

}  // namespace quillmere::platform
