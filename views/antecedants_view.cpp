#include "views/antecedants_view.h"

#include <wx/app.h>
#include <wx/clipbrd.h>
#include <wx/dcbuffer.h>
#include <wx/dcmemory.h>
#include <wx/menu.h>
#include <wx/settings.h>

#include <algorithm>
#include <cmath>

#include "document/command_ids.h"
#include "document/print_setup.h"
#include "document/sheep_doc.h"
#include "document/ui/page_setup_sheet.h"
#include "document/ui/sheet.h"
#include "document/ui/wx_strings.h"
#include "platform/host.h"
#include "platform/message_help.h"
#include "records/sheep.h"
#include "views/frame_site.h"
#include "views/page_print.h"
#include "views/sheep_document.h"

wxIMPLEMENT_DYNAMIC_CLASS(CAntecedantsView, wxView);

namespace {
constexpr int kNoContextBar = 3;
constexpr unsigned IDS_NO_INFORMATION = 168;
constexpr unsigned IDS_ANTECEDANTS_OF = 1075;
CVL_MESSAGE_HELP(IDS_NO_INFORMATION);

wxSize ScreenPPI() {
    const wxSize ppi = wxGetDisplayPPI();
    return ppi.x > 0 && ppi.y > 0 ? ppi : wxSize(96, 96);
}

wxFont MakeTreeFont() {
    return wxFont(wxFontInfo(12).Family(wxFONTFAMILY_ROMAN).FaceName("Times New Roman"));
}

// One DC for measuring, made once.
wxMemoryDC& MeasureDC() {
    static wxBitmap bitmap(1, 1);
    static wxMemoryDC dc(bitmap);
    return dc;
}
}  // namespace

// ---- the canvas --------------------------------------------------------------------------------------

class CAntecedantsView::CCanvas : public wxScrolledWindow {
public:
    CCanvas(wxWindow* parent, CAntecedantsView* view)
        : wxScrolledWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxHSCROLL | wxVSCROLL),
          m_view(view) {
        SetBackgroundStyle(wxBG_STYLE_PAINT);
        SetScrollRate(10, 10);
        Bind(wxEVT_PAINT, &CCanvas::OnPaint, this);
        Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent& e) {
            SetFocus();
            m_view->MouseDown(e.GetPosition(), e.ShiftDown() || e.ControlDown());
            if (!HasCapture()) CaptureMouse();
        });
        Bind(wxEVT_MOTION, [this](wxMouseEvent& e) { m_view->MouseMove(e.GetPosition()); });
        Bind(wxEVT_LEFT_UP, [this](wxMouseEvent& e) {
            if (HasCapture()) ReleaseMouse();
            m_view->MouseUp(e.GetPosition());
        });
        Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) { m_view->MouseUp(m_last); });
        Bind(wxEVT_LEFT_DCLICK, [this](wxMouseEvent& e) { m_view->DoubleClick(e.GetPosition()); });
        Bind(wxEVT_CONTEXT_MENU, [this](wxContextMenuEvent& e) {
            const wxPoint point =
                e.GetPosition() == wxDefaultPosition ? wxPoint(0, 0) : ScreenToClient(e.GetPosition());
            wxMenu menu;
            if (m_view->BuildContextMenu(point, menu)) PopupMenu(&menu, point);
        });
    }

private:
    void OnPaint(wxPaintEvent&) {
        wxAutoBufferedPaintDC dc(this);
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        const CPedigreeMapping mapping = m_view->GetMapping();
        const wxRect visible(wxPoint(0, 0), GetClientSize());
        DrawPedigree(dc, m_view->GetTree(), mapping, m_view->GetTreeFont(), false, &visible);
        if (m_view->IsRubberBandActive()) m_view->DrawRubberBand(dc);
    }

    CAntecedantsView* m_view;
    wxPoint m_last;
};

// ---- the frame ---------------------------------------------------------------------------------------

CAntecedantsChildWnd::CAntecedantsChildWnd(wxDocument* doc, wxView* view, wxMDIParentFrame* parent)
    : wxDocMDIChildFrame(doc, view, parent, wxID_ANY, MakeCaption(doc)) {}

wxString CAntecedantsChildWnd::MakeCaption(wxDocument* doc) {
    return doc->GetUserReadableName() + " : Antecedants View";
}

// ---- the view ----------------------------------------------------------------------------------------

CAntecedantsView::CAntecedantsView() : m_font(MakeTreeFont()) {}

CAntecedantsView::~CAntecedantsView() {
    // The preview's printouts draw this view.
    if (m_pPreviewFrame) m_pPreviewFrame->Destroy();
    if (CSheepDoc* core = GetCore()) core->RemoveView(this);
}

CSheepDoc* CAntecedantsView::GetCore() const {
    auto* doc = dynamic_cast<CSheepDocument*>(GetDocument());
    return doc ? &doc->GetCore() : nullptr;
}

bool CAntecedantsView::OnCreate(wxDocument* doc, long flags) {
    if (!wxView::OnCreate(doc, flags)) return false;
    auto* parent = wxDynamicCast(wxTheApp->GetTopWindow(), wxMDIParentFrame);
    if (!parent) return false;
    CSheepDoc* core = GetCore();
    if (core) core->AddView(this);
    auto* frame = new CAntecedantsChildWnd(doc, this, parent);
    SetFrame(frame);
    m_pCanvas = new CCanvas(frame, this);
    BindCommands();
    // A changed page setup shows at once in an open preview.
    m_pCanvas->Bind(CVL_EVT_PAGE_SETUP_CHANGED, [this](wxCommandEvent&) {
        if (!m_pPreviewFrame) return;
        m_pPreviewFrame->Close(true);
        OnPrintPreview();
    });
    SendToMainWindow(CVL_EVT_SET_ZOOM_TEXT, m_nZoom);
    // No current animal (an empty flock): an empty view whose commands stay grey.
    m_tree.SetRoot(core ? core->GetCurrentSheep() : nullptr, GetMeasure());
    UpdateScrollSizes();
    frame->Show();
    return true;
}

bool CAntecedantsView::OnClose(bool deleteWindow) {
    wxDocument* doc = GetDocument();
    if ((!doc || doc->GetViewsVector().size() <= 1) && !wxView::OnClose(deleteWindow)) return false;
    Activate(false);
    return true;
}

void CAntecedantsView::OnChangeFilename() {
    if (wxWindow* frame = GetFrame()) frame->SetLabel(CAntecedantsChildWnd::MakeCaption(GetDocument()));
}

void CAntecedantsView::OnActivateView(bool activate, wxView*, wxView*) {
    if (!activate) return;
    if (IViewFrameSite* site = GetViewFrameSite()) {
        site->ShowContextBar(kNoContextBar);
        site->SetRecordTotal(-1);
    }
    SendToMainWindow(CVL_EVT_SET_ZOOM_TEXT, m_nZoom);
}

void CAntecedantsView::BindCommands() {
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { OnViewParent(true); }, WxCommandId(ID_VIEW_SIRE));
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { OnViewParent(false); }, WxCommandId(ID_VIEW_DAM));
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { OnHide(); }, WxCommandId(ID_HIDE));
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { OnDetails(); }, WxCommandId(ID_RECORD_DETAILS));
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { OnCopy(); }, WxCommandId(ID_EDIT_COPY));
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { OnPrint(); }, WxCommandId(ID_FILE_PRINT));
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { OnPrintPreview(); }, WxCommandId(ID_FILE_PRINT_PREVIEW));
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { OnPageSetup(); }, WxCommandId(ID_FILE_PAGE_SETUP));
    Bind(
        wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& e) { e.Enable(GetCore() != nullptr); },
        WxCommandId(ID_FILE_PAGE_SETUP));
    Bind(
        wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& e) { e.Enable(CanAddParent(true)); },
        WxCommandId(ID_VIEW_SIRE));
    Bind(
        wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& e) { e.Enable(CanAddParent(false)); },
        WxCommandId(ID_VIEW_DAM));
    Bind(
        wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& e) { e.Enable(CanHide()); }, WxCommandId(ID_HIDE));
    Bind(
        wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& e) { e.Enable(m_tree.GetSelected() != nullptr); },
        WxCommandId(ID_RECORD_DETAILS));
    for (int id : {WxCommandId(ID_EDIT_COPY), WxCommandId(ID_FILE_PRINT), WxCommandId(ID_FILE_PRINT_PREVIEW)})
        Bind(
            wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& e) { e.Enable(!m_tree.IsEmpty()); }, id);
}

void CAntecedantsView::OnUpdate(CDocView*, uint32_t hint, CObject*) {
    // A deleted or replaced animal must never stay in a box, whatever the hint.
    CSheepDoc* core = GetCore();
    const bool pruned = core && m_tree.Prune(*core);
    if (pruned) m_tree.Relayout(GetMeasure());
    if (!pruned &&
        (hint == HINT_SHEEP_SET || hint == HINT_COLUMNS || hint == HINT_SHEEP || hint == HINT_CURRENT))
        return;
    UpdateScrollSizes();
}

CBoxSize CAntecedantsView::MeasureText(const WString& text) const {
    wxMemoryDC& dc = MeasureDC();
    dc.SetFont(m_font);
    const wxSize size = dc.GetTextExtent(ToWx(text));
    const wxSize ppi = ScreenPPI();
    return {int(std::lround(size.x * 100.0 / ppi.x)), int(std::lround(size.y * 100.0 / ppi.y))};
}

CTextMeasure CAntecedantsView::GetMeasure() const {
    return [this](const WString& text) { return MeasureText(text); };
}

CPedigreeMapping CAntecedantsView::GetMapping(bool forScreen) const {
    const wxSize ppi = ScreenPPI();
    CPedigreeMapping mapping;
    mapping.unitX = ppi.x / 100.0;
    mapping.unitY = ppi.y / 100.0;
    mapping.zoom = m_nZoom;
    if (forScreen && m_pCanvas) mapping.origin = m_pCanvas->CalcScrolledPosition(wxPoint(0, 0));
    return mapping;
}

void CAntecedantsView::UpdateScrollSizes() {
    const CBoxRect bounds = m_tree.Normalize();
    const CPedigreeMapping mapping = GetMapping(false);
    // The tree reaches from 0 to its right edge and from 0 down to its lowest box, the stem included.
    const wxPoint extent = mapping.ToDevice(bounds.right + 10, bounds.bottom - 20);
    m_scrollSizes = m_tree.IsEmpty() ? wxSize(0, 0) : wxSize(extent.x, extent.y);
    if (m_pCanvas) {
        m_pCanvas->SetVirtualSize(m_scrollSizes);
        m_pCanvas->Refresh();
    }
}

void CAntecedantsView::SetZoom(int percent) {
    if (percent <= 0) return;
    m_nZoom = percent;
    UpdateScrollSizes();
}

wxRect CAntecedantsView::DeviceRect(const CBoxRect& rect) const {
    return ToDeviceRect(GetMapping(), rect);
}

wxPoint CAntecedantsView::Logical(const wxPoint& canvasPoint) const {
    const CPedigreeMapping mapping = GetMapping();
    return wxPoint(mapping.ToLogicalX(canvasPoint.x), mapping.ToLogicalY(canvasPoint.y));
}

// ---- commands ----------------------------------------------------------------------------------------

void CAntecedantsView::OnViewParent(bool sire) {
    CSheepDoc* core = GetCore();
    if (!core || !m_tree.CanAddParent(sire)) return;
    WString missing;
    if (!m_tree.AddParent(sire, *core, GetMeasure(), &missing)) {
        CvlMessageBox(IDS_NO_INFORMATION, {missing}, MB_OK | MB_HELP);
        return;
    }
    UpdateScrollSizes();
}

void CAntecedantsView::OnHide() {
    if (m_tree.Hide(GetMeasure())) UpdateScrollSizes();
}

void CAntecedantsView::OnDetails() {
    if (!m_tree.GetSelected()) return;
    if (auto* child = wxDynamicCast(GetFrame(), wxMDIChildFrame); child && child->IsMaximized())
        child->Restore();
    if (wxWindow* main = wxTheApp->GetTopWindow()) {
        wxCommandEvent event(wxEVT_MENU, WxCommandId(ID_VIEW_SHEEP));
        wxPostEvent(main->GetEventHandler(), event);
    }
}

bool CAntecedantsView::BuildContextMenu(const wxPoint& canvasPoint, wxMenu& menu) {
    const wxPoint logical = Logical(canvasPoint);
    CAntecedantNode* hit = m_tree.GetRoot() ? m_tree.GetRoot()->HitTest(logical.x, logical.y) : nullptr;
    if (!hit) return false;
    m_tree.SetSelected(hit);
    menu.Append(WxCommandId(ID_RECORD_DETAILS), "Details");
    menu.Append(WxCommandId(ID_VIEW_SIRE), "View Sire");
    menu.Append(WxCommandId(ID_VIEW_DAM), "View Dam");
    menu.Append(WxCommandId(ID_HIDE), "Hide");
    menu.Enable(WxCommandId(ID_VIEW_SIRE), CanAddParent(true));
    menu.Enable(WxCommandId(ID_VIEW_DAM), CanAddParent(false));
    menu.Enable(WxCommandId(ID_HIDE), CanHide());
    if (m_pCanvas) m_pCanvas->Refresh();
    return true;
}

wxBitmap CAntecedantsView::RenderPicture() const {
    if (m_tree.IsEmpty()) return wxBitmap();
    auto& tree = const_cast<CAntecedantTree&>(m_tree);
    const CBoxRect bounds = tree.GetBounds();
    CPedigreeMapping mapping = GetMapping(false);
    mapping.zoom = 100;
    const wxPoint topLeft = mapping.ToDevice(bounds.left - 10, bounds.top + 10);
    const wxPoint bottomRight = mapping.ToDevice(bounds.right + 10, bounds.bottom - 20);
    mapping.origin = wxPoint(-topLeft.x, -topLeft.y);
    wxBitmap bitmap(std::max(1, bottomRight.x - topLeft.x), std::max(1, bottomRight.y - topLeft.y), 24);
    wxMemoryDC dc(bitmap);
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    DrawPedigree(dc, tree, mapping, m_font, true);
    dc.SelectObject(wxNullBitmap);
    return bitmap;
}

void CAntecedantsView::OnCopy() {
    const wxBitmap picture = RenderPicture();
    if (!picture.IsOk() || !wxTheClipboard->Open()) return;
    wxTheClipboard->SetData(new wxBitmapDataObject(picture));
    wxTheClipboard->Close();
}

WString CAntecedantsView::GetPrintTitle() const {
    CAntecedantNode* root = m_tree.GetRoot();
    if (!root) return {};
    WString title = FormatCvlString(IDS_ANTECEDANTS_OF, {root->m_animal->GetTattoo()});
    if (root->m_animal->GetSex() == SEX_RAM) title += u" " + root->m_animal->GetName();
    return title;
}

wxPrintDialogData CAntecedantsView::MakePrintDialogData() const {
    CSheepDoc* core = GetCore();
    return wxPrintDialogData(
        MakePrintData(GetPrintSetup(*core->GetPageSetup(this), core->GetPathName(), GetViewKind())));
}

void CAntecedantsView::OnPrint() {
    CSheepDoc* core = GetCore();
    if (!core || m_tree.IsEmpty()) return;
    wxPrintDialogData data = MakePrintDialogData();
    wxPrinter printer(&data);
    CAntecedantsPrintout printout(this, *core->GetPageSetup(this), false);
    printer.Print(GetFrame(), &printout, true);
}

void CAntecedantsView::OnPageSetup() {
    CSheepDoc* core = GetCore();
    if (!core) return;
    // The record is stored with the flock.
    if (CvlDoPageSetup(*core->GetPageSetup(this), m_pCanvas, core->GetPathName(), GetViewKind()) == SHEET_OK)
        core->SetModifiedFlag(true);
}

void CAntecedantsView::OnPrintPreview() {
    CSheepDoc* core = GetCore();
    if (!core || m_tree.IsEmpty()) return;
    const CPageSetup& setup = *core->GetPageSetup(this);
    wxPrintDialogData data = MakePrintDialogData();
    auto* preview = new wxPrintPreview(new CAntecedantsPrintout(this, setup, true),
                                       new CAntecedantsPrintout(this, setup, false), &data);
    if (!preview->IsOk()) {
        delete preview;
        CvlMessageBoxText(u"The command could not be carried out.", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    m_bPreviewing = true;
    auto* frame = new wxPreviewFrame(preview, wxTheApp->GetTopWindow(), "Print Preview");
    m_pPreviewFrame = frame;
    frame->Bind(wxEVT_CLOSE_WINDOW, [this, frame](wxCloseEvent& event) {
        m_bPreviewing = false;
        if (m_pPreviewFrame == frame) m_pPreviewFrame = nullptr;
        event.Skip();
    });
    frame->Initialize();
    frame->Show();
}

// ---- the mouse ---------------------------------------------------------------------------------------

void CAntecedantsView::MouseDown(const wxPoint& point, bool extend) {
    CSheepDoc* core = GetCore();
    CAntecedantNode* selected = m_tree.GetSelected();
    // A handle of the selected box's tracker resizes it.
    if (selected) {
        const int part = HitTestTracker(DeviceRect(selected->m_rect), point);
        if (part != TRACK_NONE && part != TRACK_INSIDE) {
            m_nTrackHit = part;
            m_trackStart = point;
            m_trackRect = selected->m_rect;
            return;
        }
    }
    const wxPoint logical = Logical(point);
    CAntecedantNode* hit = m_tree.GetRoot() ? m_tree.GetRoot()->HitTest(logical.x, logical.y) : nullptr;
    if (!extend) m_tree.ClearFlags(NODE_SELECTED | NODE_TRACKED);
    if (hit) {
        if (core) core->SelectSheep(hit->m_animal->GetTattoo(), true, true, this);
        m_tree.ClearFlags(NODE_TRACKED);
        hit->m_nFlags = NODE_SELECTED | NODE_TRACKED;
        m_tree.SetSelected(hit);
        m_nTrackHit = TRACK_INSIDE;
        m_trackStart = point;
        m_trackRect = hit->m_rect;
    } else {
        m_bRubberBand = true;
        m_rubberStart = m_rubberEnd = point;
    }
    if (m_pCanvas) m_pCanvas->Refresh();
}

void CAntecedantsView::MouseMove(const wxPoint& point) {
    if (m_nTrackHit != TRACK_NONE && m_tree.GetSelected()) {
        const CPedigreeMapping mapping = GetMapping();
        const int dx = mapping.ToLogicalX(point.x) - mapping.ToLogicalX(m_trackStart.x);
        const int dy = mapping.ToLogicalY(point.y) - mapping.ToLogicalY(m_trackStart.y);
        CBoxRect r = m_trackRect;
        const bool left = m_nTrackHit == 0 || m_nTrackHit == 6 || m_nTrackHit == 7;
        const bool right = m_nTrackHit >= 2 && m_nTrackHit <= 4;
        const bool top = m_nTrackHit <= 2;
        const bool bottom = m_nTrackHit >= 4 && m_nTrackHit <= 6;
        if (m_nTrackHit == TRACK_INSIDE) {
            r.left += dx, r.right += dx, r.top += dy, r.bottom += dy;
        } else {
            if (left) r.left = std::min(r.left + dx, r.right - 1);
            if (right) r.right = std::max(r.right + dx, r.left + 1);
            if (top) r.top = std::max(r.top + dy, r.bottom + 1);
            if (bottom) r.bottom = std::min(r.bottom + dy, r.top - 1);
        }
        m_tree.GetSelected()->m_rect = r;
        if (m_pCanvas) m_pCanvas->Refresh();
        return;
    }
    if (m_bRubberBand) {
        m_rubberEnd = point;
        if (m_pCanvas) m_pCanvas->Refresh();
    }
    if (m_pCanvas) {
        // The tracker's part under the mouse gives the cursor.
        const int part = m_tree.GetSelected()
                             ? HitTestTracker(DeviceRect(m_tree.GetSelected()->m_rect), point)
                             : TRACK_NONE;
        static const wxStockCursor cursors[9] = {wxCURSOR_SIZENWSE, wxCURSOR_SIZENS,   wxCURSOR_SIZENESW,
                                                 wxCURSOR_SIZEWE,   wxCURSOR_SIZENWSE, wxCURSOR_SIZENS,
                                                 wxCURSOR_SIZENESW, wxCURSOR_SIZEWE,   wxCURSOR_SIZING};
        m_pCanvas->SetCursor(part == TRACK_NONE ? wxNullCursor : wxCursor(cursors[part]));
    }
}

void CAntecedantsView::MouseUp(const wxPoint& point) {
    if (m_nTrackHit != TRACK_NONE) {
        m_nTrackHit = TRACK_NONE;
        return;
    }
    if (!m_bRubberBand) return;
    m_bRubberBand = false;
    m_rubberEnd = point;
    const wxRect band(m_rubberStart, m_rubberEnd);
    if (m_tree.GetRoot())
        m_tree.GetRoot()->ForEach([&](CAntecedantNode& node) {
            if (band.Contains(DeviceRect(node.m_rect))) node.m_nFlags |= NODE_SELECTED;
        });
    if (m_pCanvas) m_pCanvas->Refresh();
}

void CAntecedantsView::DoubleClick(const wxPoint& point) {
    CAntecedantNode* selected = m_tree.GetSelected();
    if (selected && HitTestTracker(DeviceRect(selected->m_rect), point) != TRACK_NONE) OnDetails();
}

void CAntecedantsView::DrawRubberBand(wxDC& dc) const {
    dc.SetPen(wxPen(wxColour(128, 128, 128), 1, wxPENSTYLE_SHORT_DASH));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawRectangle(wxRect(m_rubberStart, m_rubberEnd));
}

// ---- printing ----------------------------------------------------------------------------------------

CAntecedantsPrintout::CAntecedantsPrintout(CAntecedantsView* view, const CPageSetup& setup, bool preview)
    : wxPrintout(ToWx(view->GetPrintTitle())),
      m_view(view),
      m_setup(MakeRef<CPageSetup>(setup)),
      m_bPreview(preview) {}

void CAntecedantsPrintout::GetPageInfo(int* minPage, int* maxPage, int* pageFrom, int* pageTo) {
    *minPage = *maxPage = *pageFrom = *pageTo = 1;
}

bool CAntecedantsPrintout::OnPrintPage(int page) {
    wxDC* dc = GetDC();
    CSheepDoc* core = m_view->GetCore();
    if (!dc || page != 1 || !core) return false;
    if (!m_bPreview && !IsPreview()) core->GetSummaryInfo().RecordPrintDate();
    // Drawn in screen pixels, so the tree prints at its size.
    MapScreenSizeToPaper();
    const wxSize ppi = ScreenPPI();
    CPageTextContext context;
    context.title = m_view->GetPrintTitle();
    context.page = 1;
    context.pages = 1;
    context.path = FromWx(m_view->GetDocument()->GetFilename());
    context.address = core->GetDocString(1);
    const wxRect body = PrintPageFrame(*dc, *m_setup, context, ppi, GetLogicalPaperRect());
    CPedigreeMapping mapping = m_view->GetMapping(false);
    mapping.zoom = 100;
    // The tree's upper-left corner (10, -10) at the body's upper-left corner.
    mapping.origin = wxPoint(body.x - int(10 * mapping.unitX), body.y - int(10 * mapping.unitY));
    DrawPedigree(*dc, m_view->GetTree(), mapping, m_view->GetTreeFont(), true);
    return true;
}

void CAntecedantsPrintout::OnEndPrinting() {
    if (m_bPreview) m_view->SetPreviewing(false);
}
