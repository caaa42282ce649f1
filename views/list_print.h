// Printing of the lists: the rows and columns are cut into bands that fit the printable area, and
// the pages run down all row bands of the first column band, then of the next.
#pragma once

#include <wx/print.h>

#include <vector>

#include "document/page_setup.h"
#include "platform/text.h"

class CBaseListView;

// Height of the column-title row in hundredths of an inch.
constexpr int kTitleRowHeight = 20;

struct CListBands {
    std::vector<int> columnStarts;  // first column of each band after the first
    std::vector<int> rowStarts;     // first row of each band after the first

    int ColumnBands() const { return 1 + int(columnStarts.size()); }
    int RowBands() const { return 1 + int(rowStarts.size()); }
    int PageCount() const { return ColumnBands() * RowBands(); }
    // Page n (from 1): its column band and row band.
    void PageBands(int page, int& columnBand, int& rowBand) const;
    // [first, end) of a band.
    void ColumnRange(int band, int columnCount, int& first, int& end) const;
    void RowRange(int band, int rowCount, int& first, int& end) const;
};

// Sizes in one unit (hundredths of an inch). A column or row larger than the space forms a band of
// its own; the title row's height comes off the height first.
CListBands PaginateList(const std::vector<int>& columnWidths, const std::vector<int>& rowHeights,
                        int printableWidth, int printableHeight);

// One guide line of the print preview, in the preview window's pixels.
struct CGuideLine {
    wxPoint from, to;
    bool gray;  // the margins are gray; the header and footer lines use the DC's pen
};
// The four margin guides and the header and footer lines over a page drawn at `page`, whose paper
// measures paperWidth by paperHeight hundredths of an inch. The preview draws them over its first page.
std::vector<CGuideLine> MarginGuides(const wxRect& page, int paperWidth, int paperHeight,
                                     const CPageSetup& setup);

// Space between a cell's edge and its text, in the DC's logical units.
constexpr int kCellGap = 2;
// Draws a list cell's text left-aligned and vertically centred, cut to the cell's width.
void DrawListCell(wxDC& dc, const wxString& text, const wxRect& cell);

class CListPrintout : public wxPrintout {
public:
    CListPrintout(CBaseListView* view, const CPageSetup& setup, bool preview);
    // Starts the print preview of the view in a frame of its own; false when it cannot start.
    static bool ShowPreview(CBaseListView* view, const CPageSetup& setup);
    // The open preview of the view, or null.
    static wxFrame* FindPreview(CBaseListView* view);
    // Runs the print dialog and prints.
    static bool Print(CBaseListView* view, const CPageSetup& setup);

    void OnPreparePrinting() override;
    bool HasPage(int page) override;
    void GetPageInfo(int* minPage, int* maxPage, int* pageFrom, int* pageTo) override;
    bool OnPrintPage(int page) override;

    const CListBands& GetBands() const { return m_bands; }

private:
    wxSize ScreenPPI() const;

    CBaseListView* m_view;
    CRefPtr<CPageSetup> m_setup;  // a copy: the preview outlives the command that started it
    bool m_bPreview;
    CListBands m_bands;
    std::vector<int> m_columnWidths;
    std::vector<int> m_rowHeights;
};
