// ListTab_p.h - the grid and layout helpers the list tabs share.
//
// The five list grids have the same face (font, row height, header row, their own
// scroll bar) and fill the same way: the builders' rows replace the data rows and the
// columns are fitted to the grid's width. The colour samples of the layer and colour
// lists are painted by the same swatch.
#pragma once

#include <vector>  // std::vector

#include <QColor>
#include <QRect>

#include "logic/lists/ListRows.h"
#include "ui/StringGrid.h"

class QLabel;
class QPainter;
class QVBoxLayout;

/// Gives widget its object name and returns it.
template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
  widget->setObjectName(QLatin1String(name));
  return widget;
}

/// Makes a list grid named `name` with the columns of `which`, an empty data row and
/// the face every list has; editing stays off until a cell allows it.
StringGrid* NewListGrid(ListGrid which, const char* name);
/// Makes a label of panel at `top` with its design-time caption (UTF-8).
QLabel* NewLabel(QWidget* panel, const char* name, const char* caption, int top);
/// Makes the fixed-height panel that holds a list's labels above its grid.
QWidget* NewLabelPanel(int height);
/// Gives owner a vertical layout without margins or spacing.
QVBoxLayout* TightLayout(QWidget* owner);
/// Lays tab out with panel at the top and grid filling the rest.
void StackPanelOverGrid(QWidget* tab, QWidget* panel, StringGrid* grid);

/// Gives the columns of `which` their widths and headers (the last column takes the rest).
void SetupGridColumns(StringGrid& grid, ListGrid which);
/// Writes the headers of `which` into row 0.
void WriteHeaders(StringGrid& grid, ListGrid which);
/// Fits the columns to the grid's width.
void FitGridColumns(StringGrid& grid);
/// Replaces the data rows by rows (one empty row when there are none, so no row of an
/// earlier list stays) and puts the current cell on row 1 at the top.
void ShowRows(StringGrid& grid, const std::vector<ListRow>& rows);

constexpr int kSwatchInset = 2;  // a swatch stands 2 pixels inside its cell's top and bottom

/// Returns the colour of a Windows colour value (R + 256 * G + 65536 * B).
QColor FromColorRef(int value);
/// Returns the side of the swatch a cell holds.
int SwatchSide(const QRect& cell);
/// Fills square with color, frames it in black and crosses it for ByBlock and ByLayer.
void PaintSwatch(QPainter& painter, const QRect& square, const QColor& color, int aci);
