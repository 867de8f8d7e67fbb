// StringGridAccessible.h - the grids as tables for screen readers and UI automation.
//
// A StringGrid paints its cells itself, so the platform's accessibility layer (AT-SPI on
// Linux, UI Automation on Windows) would see one blank widget. The interface installed
// here presents it as a table instead: the header row as column headers, one cell per
// data cell with its text, the current cell as the selected and focused one. Cells are
// read from the grid when asked, so a refill needs no notice beyond a change of size.
#pragma once

class StringGrid;

/// Installs the factory that gives every StringGrid its table interface (once per run).
void InstallStringGridAccessibility();

/// Tells assistive tools that the grid's rows or columns changed.
void NotifyAccessibleTableChanged(StringGrid& grid);

/// Tells assistive tools that the grid's current cell moved (while the grid has the focus).
void NotifyAccessibleFocus(StringGrid& grid);
