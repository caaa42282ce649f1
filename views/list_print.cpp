#include "views/list_print.h"

#include <wx/app.h>
#include <wx/control.h>
#include <wx/dcclient.h>
#include <wx/docview.h>

#include <algorithm>

#include "document/sheep_doc.h"
#include "document/ui/page_setup_sheet.h"
#include "document/ui/wx_strings.h"
#include "platform/host.h"
#include "views/base_list_view.h"
#include "views/report_fonts.h"

namespace {

// One dimension cut into bands: an item that overflows starts the next band.
std::vector<int> Cut(const std::vector<int>& sizes, int space) {
    std::vector<int> starts;
    int sum = 0, start = 0;
    for (int i = 0; i < int(sizes.size()); ++i) {
        const int size = std::abs(sizes[size_t(i)]);
        if (i > start && sum + size > space) {
            starts.push_back(i);
            start = i;
            sum = size;
        } else {
            sum += size;
        }
    }
    return starts;
}

void Range(const std::vector<int>& starts, int band, int count, int& first, int& end) {
    first = band == 0 ? 0 : starts[size_t(band - 1)];
    end = band < int(starts.size()) ? starts[size_t(band)] : count;
}

constexpr double kMmPerHundredth = 0.254;

// The preview's frame knows the view it previews, so that a changed page setup can reopen it.
class CListPreviewFrame : public wxPreviewFrame {
public:
    CListPreviewFrame(wxPrintPreview* preview, wxWindow* parent, const wxString& title, CBaseListView* view)
        : wxPreviewFrame(preview, parent, title), m_view(view) {}
    CBaseListView* GetView() const { return m_view; }

private:
    CBaseListView* m_view;
};

// Text fitted to its width: a scaled font can measure wider than the screen's and the preview's
// clipping is not reliable, so the text itself is cut with an ellipsis.
wxString FitToWidth(const wxDC& dc, const wxString& text, int width) {
    if (width <= 0) return wxString();
    if (dc.GetTextExtent(text).x <= width) return text;
    wxString fitted = wxControl::Ellipsize(text, dc, wxELLIPSIZE_END, width, wxELLIPSIZE_FLAGS_NONE);
    // Where even the ellipsis does not fit, as much of the text as fits.
    while (!fitted.empty() && dc.GetTextExtent(fitted).x > width) fitted.RemoveLast();
    return fitted;
}

}  // namespace

void DrawListCell(wxDC& dc, const wxString& text, const wxRect& cell) {
    // A gap of a few pixels keeps neighbouring cells' text apart.
    const int gap = std::min(kCellGap, cell.width / 4);
    const wxString fitted = FitToWidth(dc, text, cell.width - 2 * gap);
    if (fitted.empty()) return;
    const wxSize extent = dc.GetTextExtent(fitted);
    // DrawText, not DrawLabel: an '&' in a name is text, not a mnemonic.
    dc.DrawText(fitted, cell.x + gap, cell.y + (cell.height - extent.y) / 2);
}

namespace {

CPrintSetup ViewPrintSetup(CBaseListView* view, const CPageSetup& setup) {
    CSheepDoc* core = view->GetCore();
    return GetPrintSetup(setup, core ? core->GetPathName() : std::string(), view->GetViewKind());
}

}  // namespace

void CListBands::PageBands(int page, int& columnBand, int& rowBand) const {
    columnBand = (page - 1) / RowBands();
    rowBand = (page - 1) % RowBands();
}

void CListBands::ColumnRange(int band, int columnCount, int& first, int& end) const {
    Range(columnStarts, band, columnCount, first, end);
}

void CListBands::RowRange(int band, int rowCount, int& first, int& end) const {
    Range(rowStarts, band, rowCount, first, end);
}

CListBands PaginateList(const std::vector<int>& columnWidths, const std::vector<int>& rowHeights,
                        int printableWidth, int printableHeight) {
    CListBands bands;
    bands.columnStarts = Cut(columnWidths, printableWidth);
    bands.rowStarts = Cut(rowHeights, printableHeight - kTitleRowHeight);
    return bands;
}

std::vector<CGuideLine> MarginGuides(const wxRect& r, int paperWidth, int paperHeight, const CPageSetup& d) {
    const auto sx = [&](int v) { return int(int64_t(v) * r.width / std::max(1, paperWidth)); };
    const auto sy = [&](int v) { return int(int64_t(v) * r.height / std::max(1, paperHeight)); };
    const int right = r.x + r.width;
    const int bottom = r.y + r.height;
    const auto vertical = [&](int x, bool gray) { return CGuideLine{{x, r.y + 1}, {x, bottom - 2}, gray}; };
    const auto horizontal = [&](int y, bool gray) { return CGuideLine{{r.x + 1, y}, {right - 2, y}, gray}; };
    return {
        vertical(r.x + sx(d.m_nLeftMargin), true),        vertical(right - sx(d.m_nRightMargin), true),
        horizontal(r.y + sy(d.m_nTopMargin), true),       horizontal(bottom - sy(d.m_nBottomMargin), true),
        horizontal(r.y + sy(d.m_nHeaderDistance), false), horizontal(bottom - sy(d.m_nFooterDistance), false),
    };
}

CListPrintout::CListPrintout(CBaseListView* view, const CPageSetup& setup, bool preview)
    : wxPrintout(ToWx(view->GetTitle())),
      m_view(view),
      m_setup(CRefPtr<CPageSetup>::Adopt(new CPageSetup(setup))),
      m_bPreview(preview) {}

wxSize CListPrintout::ScreenPPI() const {
    int x = 96, y = 96;
    GetPPIScreen(&x, &y);
    return wxSize(std::max(1, x), std::max(1, y));
}

void CListPrintout::OnPreparePrinting() {
    const wxSize ppi = ScreenPPI();
    wxListCtrl* list = m_view->GetListCtrl();
    m_columnWidths.clear();
    for (int i = 0; i < m_view->GetColumnCount(); ++i)
        m_columnWidths.push_back(list->GetColumnWidth(i) * 100 / ppi.x);
    wxRect item;
    int rowPixels = list->GetCharHeight() + 4;
    if (m_view->GetRowCount() > 0 && list->GetItemRect(0, item)) rowPixels = item.height;
    m_rowHeights.assign(size_t(m_view->GetRowCount()), std::max(1, rowPixels * 100 / ppi.y));

    int widthMm = 0, heightMm = 0;
    GetPageSizeMM(&widthMm, &heightMm);
    const int width = int(widthMm / kMmPerHundredth) - m_setup->m_nLeftMargin - m_setup->m_nRightMargin;
    const int height = int(heightMm / kMmPerHundredth) - m_setup->m_nTopMargin - m_setup->m_nBottomMargin;
    m_bands = PaginateList(m_columnWidths, m_rowHeights, width, height);
}

bool CListPrintout::HasPage(int page) {
    return page >= 1 && page <= m_bands.PageCount();
}

void CListPrintout::GetPageInfo(int* minPage, int* maxPage, int* pageFrom, int* pageTo) {
    *minPage = *pageFrom = 1;
    *maxPage = *pageTo = m_bands.PageCount();
}

bool CListPrintout::OnPrintPage(int page) {
    wxDC* dc = GetDC();
    if (!dc || !HasPage(page)) return false;
    // Drawn in screen pixels, so the list's font prints at its size; distances convert through the
    // screen's resolution.
    MapScreenSizeToPaper();
    const wxSize ppi = ScreenPPI();
    const auto px = [&](int hundredths) { return hundredths * ppi.x / 100; };
    const auto py = [&](int hundredths) { return hundredths * ppi.y / 100; };
    dc->SetFont(m_view->GetListCtrl()->GetFont());
    // Titles in the document's header colour, cells in its body colour.
    wxColour headerColour = *wxBLACK, bodyColour = *wxBLACK;
    if (CSheepDoc* core = m_view->GetCore()) {
        headerColour = ColourFromRef(core->GetFile().m_crHeader);
        bodyColour = ColourFromRef(core->GetFile().m_crBody);
    }
    dc->SetTextForeground(headerColour);

    int columnBand = 0, rowBand = 0;
    m_bands.PageBands(page, columnBand, rowBand);
    int firstColumn = 0, endColumn = 0, firstRow = 0, endRow = 0;
    m_bands.ColumnRange(columnBand, m_view->GetColumnCount(), firstColumn, endColumn);
    m_bands.RowRange(rowBand, int(m_view->GetRowCount()), firstRow, endRow);

    const int left = px(m_setup->m_nLeftMargin);
    int y = py(m_setup->m_nTopMargin);
    const auto cell = [&](const WString& text, int x, int width, int height) {
        const wxRect rect(x, y, width, height);
        wxDCClipper clip(*dc, rect);
        DrawListCell(*dc, ToWx(text), rect);
    };
    int x = left;
    for (int c = firstColumn; c < endColumn; ++c) {
        cell(m_view->GetColumnTitle(c), x, px(m_columnWidths[size_t(c)]), py(kTitleRowHeight));
        x += px(m_columnWidths[size_t(c)]);
    }
    y += py(kTitleRowHeight);
    dc->SetTextForeground(bodyColour);
    for (int r = firstRow; r < endRow; ++r) {
        x = left;
        const int height = py(m_rowHeights[size_t(r)]);
        for (int c = firstColumn; c < endColumn; ++c) {
            cell(m_view->GetItemText(r, c), x, px(m_columnWidths[size_t(c)]), height);
            x += px(m_columnWidths[size_t(c)]);
        }
        y += height;
    }

    CHeaderFooterContext context;
    if (CSheepDoc* core = m_view->GetCore()) {
        context.path = Utf8ToW(core->GetPathName());
        context.address = core->GetDocString(1);
    }
    context.title = m_view->GetTitle();
    context.date = PageSetupToday();
    context.pageCount = m_bands.PageCount();
    context.page = page;
    {
        int widthMm = 0, heightMm = 0;
        GetPageSizeMM(&widthMm, &heightMm);
        DrawHeaderFooter(*dc, *m_setup, context, int(widthMm / kMmPerHundredth),
                         int(heightMm / kMmPerHundredth), ppi);
    }

    if (m_bPreview && page == 1) {
        int widthMm = 0, heightMm = 0;
        GetPageSizeMM(&widthMm, &heightMm);
        const wxRect paper = GetLogicalPaperRect();
        const wxPen previous = dc->GetPen();
        for (const CGuideLine& line :
             MarginGuides(paper, int(widthMm / kMmPerHundredth), int(heightMm / kMmPerHundredth), *m_setup)) {
            dc->SetPen(line.gray ? wxPen(wxColour(128, 128, 128), 1) : previous);
            dc->DrawLine(line.from, line.to);
        }
        dc->SetPen(previous);
    }
    return true;
}

bool CListPrintout::ShowPreview(CBaseListView* view, const CPageSetup& setup) {
    wxPrintDialogData data(MakePrintData(ViewPrintSetup(view, setup)));
    auto* preview = new wxPrintPreview(new CListPrintout(view, setup, true),
                                       new CListPrintout(view, setup, false), &data);
    if (!preview->IsOk()) {
        delete preview;
        CvlMessageBoxText(u"Command failed.", MB_OK | MB_ICONERROR);
        return false;
    }
    auto* frame = new CListPreviewFrame(
        preview, wxTheApp->GetTopWindow(),
        view->GetTitle().empty() ? wxString("Print Preview") : ToWx(view->GetTitle()), view);
    frame->Initialize();
    frame->Show();
    return true;
}

wxFrame* CListPrintout::FindPreview(CBaseListView* view) {
    for (wxWindow* window : wxTopLevelWindows)
        if (auto* frame = dynamic_cast<CListPreviewFrame*>(window);
            frame && frame->GetView() == view && !frame->IsBeingDeleted())
            return frame;
    return nullptr;
}

bool CListPrintout::Print(CBaseListView* view, const CPageSetup& setup) {
    wxPrintDialogData data(MakePrintData(ViewPrintSetup(view, setup)));
    wxPrinter printer(&data);
    CListPrintout printout(view, setup, false);
    return printer.Print(view->GetFrame(), &printout, true);
}
