#include "views/report_view.h"

#include <wx/app.h>
#include <wx/dataobj.h>
#include <wx/sizer.h>

#include <algorithm>

#include "document/sheep_doc.h"
#include "document/ui/wx_strings.h"
#include "platform/host.h"
#include "platform/settings.h"
#include "records/event.h"
#include "records/sheep.h"
#include "views/frame_site.h"
#include "views/sheep_document.h"

namespace {
constexpr unsigned IDS_CREATING_RECORDS = 1028;
constexpr unsigned IDS_LOADING = 1029;
constexpr unsigned IDS_COPYING = 1027;
constexpr int kReportingBar = 2;
constexpr unsigned KIND_RAM_NUMBER = 100;
constexpr unsigned KIND_LAMBING_DATE = 101;
}  // namespace

wxIMPLEMENT_DYNAMIC_CLASS(CReportView, CBaseListView);

CReportChildWnd::CReportChildWnd(wxDocument* doc, wxView* view, wxMDIParentFrame* parent)
    : wxDocMDIChildFrame(doc, view, parent, wxID_ANY, doc->GetUserReadableName() + ": Report View") {}

CReportView::CReportView()
    : m_automation(CRefPtr<CReportViewAutomation>::Adopt(new CReportViewAutomation(this))) {
    const WString unit = CRegistrySettings::GetString(HKEY_CURRENT_USER, u"Settings", u"Unit", u"lb");
    m_nUnitFlag = EqualsNoCase(unit, u"lb") ? 1 : 0;
}

CReportView::~CReportView() {
    // A plug-in that kept the interface gets a dispatch error, never this freed view.
    m_automation->Disconnect();
}

bool CReportView::OnCreate(wxDocument* doc, long flags) {
    if (!CBaseListView::OnCreate(doc, flags)) return false;
    auto* parent = wxDynamicCast(wxTheApp->GetTopWindow(), wxMDIParentFrame);
    if (!parent) return false;
    auto* frame = new CReportChildWnd(doc, this, parent);
    SetFrame(frame);
    CreateListCtrl(frame);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_list, 1, wxEXPAND);
    frame->SetSizer(sizer);
    // Rows are chosen by keyboard or Select All only: clicks never reach the list.
    const wxClassInfo* items = wxClassInfo::FindClass("wxListMainWindow");
    for (wxWindow* child : m_list->GetChildren())
        if (items && child->IsKindOf(items))
            for (auto type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_DCLICK}) child->Bind(type, [](wxMouseEvent&) {});
    if (IViewFrameSite* site = GetViewFrameSite())
        site->GetReportSelection(m_nReportType, m_strSelection, m_nYear);
    RenewFrameTitle();
    OnInitialUpdate();
    frame->Show();
    Activate(true);
    return true;
}

bool CReportView::OnClose(bool deleteWindow) {
    wxDocument* doc = GetDocument();
    if ((!doc || doc->GetViewsVector().size() <= 1) && !wxView::OnClose(deleteWindow)) return false;
    Activate(false);
    return true;
}

void CReportView::OnChangeFilename() {
    RenewFrameTitle();
}

void CReportView::OnActivateView(bool activate, wxView*, wxView*) {
    if (!activate) return;
    if (IViewFrameSite* site = GetViewFrameSite()) {
        site->ShowContextBar(kReportingBar);
        site->SetRecordTotal(-1);
    }
}

void CReportView::RenewFrameTitle() {
    wxWindow* frame = GetFrame();
    if (!frame || !GetDocument()) return;
    frame->SetLabel(GetDocument()->GetUserReadableName() + ": Report View: " + ToWx(GetTitle()));
}

WString CReportView::GetTitle() const {
    WString title;
    if (const CSheepDoc* core = GetCore())
        core->GetReportTitle(m_nReportType, m_strSelection, m_nYear, title);
    return title;
}

// ---- the Reporting bar ------------------------------------------------------------------------------

void CReportView::SetReport(int type, const WString& selection) {
    if (m_nReportType != -1) DeleteAllColumns();
    m_nReportType = type;
    m_strSelection = selection;
    RenewFrameTitle();
}

void CReportView::SetReportYear(int year) {
    m_nYear = year;
    RenewFrameTitle();
}

// ---- columns ----------------------------------------------------------------------------------------

void CReportView::DeleteAllColumns() {
    CBaseListView::DeleteAllColumns();
    m_ramNumbers.clear();
}

int CReportView::InsertColumn(const WString& title, unsigned kind, int position) {
    return CBaseListView::InsertColumn(title, kind, position);
}

void CReportView::OnColumnsChanged(CObject*) {
    DeleteAllColumns();
    if (CSheepDoc* core = GetCore()) {
        IDispatch* itf = nullptr;
        m_automation->GetControllingUnknown()->QueryInterface(IID_IReportView,
                                                              reinterpret_cast<void**>(&itf));
        if (itf) {
            core->BuildReportColumns(itf, m_nReportType, m_strSelection);
            itf->Release();
        }
    }
    FillList();
    for (int i = 0; i < GetColumnCount(); ++i) AutoSizeColumn(i);
}

// ---- rows -------------------------------------------------------------------------------------------

bool CReportView::IsRamsReport() const {
    return m_nReportType == REPORT_TUPPING && EqualsNoCase(m_strSelection, u"Rams");
}

void CReportView::FillList() {
    CSheepDoc* core = GetCore();
    if (!core) return;
    CCvlWaitCursor wait;
    CCvlHost& host = CvlGetHost();
    std::vector<CRefPtr<CObject>> rows;
    m_ramNumbers.clear();
    switch (m_nReportType) {
        case REPORT_TUPPING:
            if (IsRamsReport()) {
                const bool progress = host.BeginProgress(IDS_CREATING_RECORDS, core->GetSheepCount());
                for (CSheep* ram : FindTuppingRams(*core, m_nYear)) rows.emplace_back(ram);
                if (progress) host.EndProgress();
            } else {
                for (const CTuppedEwe& ewe : FindTuppedEwes(*core, m_nYear)) {
                    rows.emplace_back(ewe.ewe);
                    m_ramNumbers[ewe.ewe] = ewe.ram;
                }
            }
            break;
        case REPORT_LAMBING: {
            const bool progress = host.BeginProgress(IDS_LOADING, core->GetSheepCount());
            for (CSheep* ewe : FindLambingEwes(*core, m_nYear)) rows.emplace_back(ewe);
            if (progress) host.EndProgress();
            break;
        }
        case REPORT_MOVEMENTS:
            for (auto& row : BuildMovementBook(*core, m_nYear)) rows.emplace_back(std::move(row));
            break;
        case REPORT_ADDRESS_EVENTS: {
            const bool progress = host.BeginProgress(IDS_CREATING_RECORDS, core->GetSheepCount());
            for (auto& row : FindAddressEvents(*core, m_strSelection)) rows.emplace_back(std::move(row));
            if (progress) host.EndProgress();
            break;
        }
        default:
            break;
    }
    SetRows(std::move(rows));
    if (m_nReportType == REPORT_LAMBING) {
        if (GetSortKind() == -1)
            SetSortState(int(KIND_LAMBING_DATE), true);
        else
            SortByKind(-1);
    }
    for (int i = 0; i < GetColumnCount(); ++i) AutoSizeColumn(i);
}

void CReportView::OnRecordChanged(CObject*) {
    // The view's own removal of rows sends this hint; anything else may have removed or changed
    // animals or events that rows point at.
    if (m_bRowsRemoved) {
        m_bRowsRemoved = false;
        return;
    }
    if (!m_bDeleting) FillList();
}

void CReportView::DeleteRow(long) {
    // Nothing is deleted: the row only leaves the report.
    m_bRowsRemoved = true;
}

WString CReportView::GetCellText(long row, unsigned kind) const {
    const CObject* object = GetRowObject(row);
    switch (m_nReportType) {
        case REPORT_TUPPING:
            if (!IsRamsReport() && kind == KIND_RAM_NUMBER) {
                auto it = m_ramNumbers.find(object);
                return it == m_ramNumbers.end() ? WString() : IntToW(it->second + 1);
            }
            return static_cast<const CSheep*>(object)->GetFieldText(kind);
        case REPORT_LAMBING:
            if (kind >= KIND_REPORT_FIRST)
                return GetLambingCellText(*static_cast<const CSheep*>(object), m_nYear, kind, &m_nUnitFlag);
            return CBaseListView::GetCellText(row, kind);
        case REPORT_MOVEMENTS:
            return GetMovementCellText(*static_cast<const CMovementRow*>(object), kind);
        case REPORT_ADDRESS_EVENTS:
            return GetEventCellText(*static_cast<const CEventRow*>(object), kind);
        default:
            return {};
    }
}

void CReportView::SortItems(unsigned sortWord) {
    const unsigned kind = sortWord & ~SORT_ASCENDING;
    const bool ascending = (sortWord & SORT_ASCENDING) != 0;
    auto& rows = Rows();
    auto order = [ascending](int c) { return ascending ? c < 0 : c > 0; };
    switch (m_nReportType) {
        case REPORT_TUPPING:
            if (IsRamsReport() && kind == KIND_ROW) return;
            std::stable_sort(
                rows.begin(), rows.end(), [&](const CRefPtr<CObject>& a, const CRefPtr<CObject>& b) {
                    if (!IsRamsReport() && kind == KIND_RAM_NUMBER) {
                        const int32_t ra = m_ramNumbers.at(a.Get()), rb = m_ramNumbers.at(b.Get());
                        return order(ra < rb ? -1 : ra > rb ? 1 : 0);
                    }
                    return order(static_cast<const CSheep*>(a.Get())->CompareField(
                        static_cast<const CSheep*>(b.Get()), kind, true));
                });
            break;
        case REPORT_LAMBING:
            if (kind == 102) return;
            std::stable_sort(rows.begin(), rows.end(),
                             [&](const CRefPtr<CObject>& a, const CRefPtr<CObject>& b) {
                                 return order(CompareLambingRows(*static_cast<const CSheep*>(a.Get()),
                                                                 *static_cast<const CSheep*>(b.Get()),
                                                                 m_nYear, kind, &m_nUnitFlag));
                             });
            break;
        case REPORT_MOVEMENTS:
            // Only the date orders the book, and always from the first day.
            if (kind != 100) return;
            std::stable_sort(rows.begin(), rows.end(),
                             [](const CRefPtr<CObject>& a, const CRefPtr<CObject>& b) {
                                 return CompareMovementDates(*static_cast<const CMovementRow*>(a.Get()),
                                                             *static_cast<const CMovementRow*>(b.Get())) < 0;
                             });
            break;
        case REPORT_ADDRESS_EVENTS:
            std::stable_sort(
                rows.begin(), rows.end(), [&](const CRefPtr<CObject>& a, const CRefPtr<CObject>& b) {
                    return order(CompareEventRows(*static_cast<const CEventRow*>(a.Get()),
                                                  *static_cast<const CEventRow*>(b.Get()), kind));
                });
            break;
        default:
            break;
    }
}

void CReportView::OnAddressesReloaded() {
    SendToMainWindow(CVL_EVT_UPDATE_REPORT_BAR);
}

std::string CReportView::BuildCopyText(const std::vector<long>& rows) const {
    CCvlHost& host = CvlGetHost();
    const bool progress = host.BeginProgress(IDS_COPYING, int(rows.size()));
    std::vector<std::vector<WString>> cells;
    cells.reserve(rows.size());
    for (long row : rows) {
        std::vector<WString> line;
        for (int column = 0; column < GetColumnCount(); ++column) line.push_back(GetItemText(row, column));
        cells.push_back(std::move(line));
        if (progress) host.StepProgress();
    }
    if (progress) host.EndProgress();
    return BuildReportCopyText(cells);
}

void CReportView::CopyToDataSource(wxDataObjectComposite& source) {
    const std::string block = BuildCopyText(GetSelectedRows());
    // The 8-bit block as it is, and the same text for programs that take only UTF-8.
    auto* text = new wxCustomDataObject(wxDataFormat(wxDF_TEXT));
    text->SetData(block.size(), block.data());
    source.Add(text, true);
    const std::string utf8 = WToUtf8(AnsiToW(std::string_view(block.data(), block.size() - 1)));
    auto* unicode = new wxCustomDataObject(wxDataFormat(wxDF_UNICODETEXT));
    unicode->SetData(utf8.size(), utf8.data());
    source.Add(unicode);
}
