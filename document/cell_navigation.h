// Moving an in-place cell edit with the keyboard, as in a spreadsheet: which cell each key goes to.
// Whether that cell can be edited (a row that exists, a column that is not hidden) is the list's
// decision; when it cannot, the current edit stays.
#pragma once

enum class CellKey { CtrlHome, CtrlEnd, Up, Down, PageUp, PageDown, Tab, ShiftTab, Enter };

struct CellGrid {
    int rowCount;
    int rowsPerPage;
    int firstEditable;  // the first column the keys enter
    int lastEditable;   // the last one
};

// The cell the key moves to from (row, column); false when it moves nowhere.
bool NextCell(CellKey key, int row, int column, const CellGrid& grid, int* toRow, int* toColumn);
