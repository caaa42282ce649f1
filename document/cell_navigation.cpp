#include "document/cell_navigation.h"

bool NextCell(CellKey key, int row, int column, const CellGrid& grid, int* toRow, int* toColumn) {
    int r = row;
    int c = column;
    switch (key) {
        case CellKey::CtrlHome:
            r = 0;
            break;
        case CellKey::CtrlEnd:
            r = grid.rowCount - 1;
            break;
        case CellKey::Up:
            if (row < 1) return false;
            r = row - 1;
            break;
        case CellKey::Down:
            r = row + 1;
            break;
        case CellKey::PageUp:
            r = row - grid.rowsPerPage;
            if (r < 1) r = 0;
            break;
        case CellKey::PageDown:
            r = row + grid.rowsPerPage;
            if (r >= grid.rowCount) r = grid.rowCount - 1;
            break;
        case CellKey::Tab:
            if (column < grid.lastEditable) {
                c = column + 1;
            } else {
                r = row + 1;
                c = grid.firstEditable;
            }
            break;
        case CellKey::ShiftTab:
            if (column > grid.firstEditable) {
                c = column - 1;
            } else if (row >= 1) {
                r = row - 1;
                c = grid.lastEditable;
            } else {
                return false;
            }
            break;
        case CellKey::Enter:
            r = row + 1;
            c = grid.firstEditable;
            break;
    }
    *toRow = r;
    *toColumn = c;
    return true;
}
