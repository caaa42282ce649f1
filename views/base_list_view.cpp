#include "views/base_list_view.h"

#include <wx/app.h>
#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/dnd.h>
#include <wx/menu.h>
#include <wx/utils.h>

#include <algorithm>
#include <ostream>
#include <unordered_map>

#include "document/command_ids.h"
#include "document/ui/page_setup_sheet.h"
#include "document/ui/wx_strings.h"
#include "platform/host.h"
#include "records/sheep.h"
#include "views/frame_site.h"
#include "views/list_print.h"
#include "views/report_fonts.h"
#include "views/sheep_document.h"

namespace {
constexpr unsigned IDS_DELETING_RECORDS = 1026;
constexpr unsigned IDS_EXPORTING_RECORDS = 1031;
}  // namespace

CListViewCtrl::CListViewCtrl(wxWindow* parent, CBaseListView* view)
    : wxListCtrl(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                 wxLC_REPORT | wxLC_VIRTUAL | wxBORDER_SIMPLE),
      m_view(view) {}

wxString CListViewCtrl::OnGetItemText(long item, long column) const {
    if (item < 0 || item >= m_view->GetRowCount() || column < 0 || column >= m_view->GetColumnCount())
        return {};
    return ToWx(m_view->GetItemText(item, int(column)));
}

wxIMPLEMENT_ABSTRACT_CLASS(CBaseListView, wxView);

CBaseListView::CBaseListView() = default;

CBaseListView::~CBaseListView() {
    if (CSheepDoc* core = GetCore()) core->RemoveView(this);
}

CPageSetup* CBaseListView::GetPageSetup() {
    if (CSheepDoc* core = GetCore(); core && GetViewKind() != VIEW_KIND_OTHER)
        return core->GetPageSetup(this);
    if (!m_defaultPageSetup) m_defaultPageSetup = CRefPtr<CPageSetup>::Adopt(new CPageSetup);
    return m_defaultPageSetup.Get();
}

CSheepDocument* CBaseListView::GetSheepDocument() const {
    return dynamic_cast<CSheepDocument*>(GetDocument());
}

CSheepDoc* CBaseListView::GetCore() const {
    CSheepDocument* doc = GetSheepDocument();
    return doc ? &doc->GetCore() : nullptr;
}

bool CBaseListView::OnCreate(wxDocument* doc, long flags) {
    if (!wxView::OnCreate(doc, flags)) return false;
    if (CSheepDoc* core = GetCore()) core->AddView(this);
    BindCommands();
    return true;
}

void CBaseListView::CreateListCtrl(wxWindow* parent) {
    m_list = new CListViewCtrl(parent, this);
    // A changed page setup shows at once in an open preview.
    m_list->Bind(CVL_EVT_PAGE_SETUP_CHANGED, [this](wxCommandEvent&) {
        if (wxFrame* preview = CListPrintout::FindPreview(this)) {
            preview->Destroy();
            CListPrintout::ShowPreview(this, *GetPageSetup());
        }
    });
    m_list->Bind(wxEVT_LIST_COL_CLICK, [this](wxListEvent& e) { OnColumnClick(e.GetColumn()); });
    m_list->Bind(wxEVT_LIST_KEY_DOWN, [this](wxListEvent& e) {
        // Enter comes back as an activation, like a double click.
        if (e.GetKeyCode() != WXK_RETURN && e.GetKeyCode() != WXK_NUMPAD_ENTER) OnKey(e.GetKeyCode());
        e.Skip();
    });
    // Mouse clicks land on the window that draws the rows (the control itself where it draws them).
    const auto onLeftDown = [this](wxMouseEvent& e) {
        e.Skip();
        int flags = 0;
        OnRowClicked(m_list->HitTest(e.GetPosition(), flags));
    };
    wxWindow* rows = m_list;
    for (wxWindow* child : m_list->GetChildren())
        if (wxString(child->GetClassInfo()->GetClassName()) == "wxListMainWindow") rows = child;
    rows->Bind(wxEVT_LEFT_DOWN, onLeftDown);
    m_list->Bind(wxEVT_LIST_BEGIN_DRAG, [this](wxListEvent&) { OnBeginDrag(); });
    m_list->Bind(wxEVT_LIST_ITEM_ACTIVATED, [this](wxListEvent& e) { OpenRow(e.GetIndex()); });
    m_list->Bind(wxEVT_LIST_COL_RIGHT_CLICK, [this](wxListEvent& e) {
        m_ptContext = e.GetPoint();
        wxMenu menu;
        menu.Append(WxCommandId(ID_COLUMN_SORT), "Sort");
        menu.Append(WxCommandId(ID_VIEW_OPTIONS), "Options...");
        const int id = m_list->GetPopupMenuSelectionFromUser(menu, e.GetPoint());
        if (id == WxCommandId(ID_COLUMN_SORT)) OnColumnHeadSort();
        // The main window's View Options sheet answers.
        if (id == WxCommandId(ID_VIEW_OPTIONS))
            if (wxWindow* top = wxTheApp->GetTopWindow()) {
                wxCommandEvent event(wxEVT_MENU, WxCommandId(ID_VIEW_OPTIONS));
                event.SetEventObject(top);
                top->GetEventHandler()->AddPendingEvent(event);
            }
    });
    m_list->Bind(wxEVT_LIST_ITEM_RIGHT_CLICK, [this](wxListEvent& e) {
        m_ptContext = e.GetPoint();
        ShowContextMenu(m_list, m_list->ClientToScreen(e.GetPoint()));
    });
}

void CBaseListView::BindCommands() {
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { OnEditCopy(); }, WxCommandId(ID_EDIT_COPY));
    Bind(
        wxEVT_UPDATE_UI,
        [this](wxUpdateUIEvent& e) { e.Enable(m_list && m_list->GetSelectedItemCount() > 0); },
        WxCommandId(ID_EDIT_COPY));
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { OnDeleteRecords(); }, WxCommandId(ID_EDIT_DELETE_RECORDS));
    Bind(
        wxEVT_UPDATE_UI,
        [this](wxUpdateUIEvent& e) { e.Enable(m_list && m_list->GetSelectedItemCount() > 0); },
        WxCommandId(ID_EDIT_DELETE_RECORDS));
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { OnEditSelectAll(); }, WxCommandId(ID_EDIT_SELECT_ALL));
    Bind(
        wxEVT_UPDATE_UI,
        [this](wxUpdateUIEvent& e) { e.Enable(GetCore() && GetCore()->CountMatchingSheep() > 0); },
        WxCommandId(ID_EDIT_SELECT_ALL));
    Bind(
        wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& e) { e.Enable(CanPaste()); }, WxCommandId(ID_EDIT_PASTE));
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { CListPrintout::Print(this, *GetPageSetup()); },
        WxCommandId(ID_FILE_PRINT));
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { CListPrintout::ShowPreview(this, *GetPageSetup()); },
        WxCommandId(ID_FILE_PRINT_PREVIEW));
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { OnPageSetup(); }, WxCommandId(ID_FILE_PAGE_SETUP));
    for (int id :
         {WxCommandId(ID_FILE_PRINT), WxCommandId(ID_FILE_PRINT_PREVIEW), WxCommandId(ID_FILE_PAGE_SETUP)})
        Bind(
            wxEVT_UPDATE_UI, [](wxUpdateUIEvent& e) { e.Enable(true); }, id);
}

void CBaseListView::OnPageSetup() {
    CSheepDoc* core = GetCore();
    CvlDoPageSetup(*GetPageSetup(), m_list, core ? core->GetPathName() : std::string(), GetViewKind());
}

void CBaseListView::OnInitialUpdate() {
    RecreateFonts();
    OnColumnsChanged(nullptr);
}

// ---- columns ----------------------------------------------------------------------------------------

void CBaseListView::OnColumnsChanged(CObject*) {}

void CBaseListView::DeleteAllColumns() {
    m_rows.clear();
    if (m_list) {
        m_list->SetItemCount(0);
        m_list->DeleteAllColumns();
    }
    m_kinds.clear();
    m_titles.clear();
}

int CBaseListView::InsertColumn(const WString& title, unsigned kind, int position) {
    int index = position < 0 ? GetColumnCount() : std::min(position + 1, GetColumnCount());
    if (m_list) {
        const int width = m_list->GetTextExtent(ToWx(title)).x + 12;
        index = int(m_list->InsertColumn(index, ToWx(title), wxLIST_FORMAT_LEFT, width));
    }
    m_kinds.insert(m_kinds.begin() + index, kind);
    m_titles.insert(m_titles.begin() + index, title);
    return GetColumnCount();
}

void CBaseListView::DeleteColumn(int index) {
    if (index < 0 || index >= GetColumnCount()) return;
    if (m_list) m_list->DeleteColumn(index);
    m_kinds.erase(m_kinds.begin() + index);
    m_titles.erase(m_titles.begin() + index);
}

void CBaseListView::SwapColumns(int first, int second) {
    if (first < 0 || second < 0 || first >= GetColumnCount() || second >= GetColumnCount()) return;
    // The descriptions change places; the kinds stay with their positions.
    std::swap(m_titles[size_t(first)], m_titles[size_t(second)]);
    if (m_list) {
        wxListItem a, b;
        a.SetMask(wxLIST_MASK_TEXT | wxLIST_MASK_WIDTH | wxLIST_MASK_FORMAT);
        b.SetMask(a.GetMask());
        m_list->GetColumn(first, a);
        m_list->GetColumn(second, b);
        m_list->SetColumn(first, b);
        m_list->SetColumn(second, a);
    }
}

WString CBaseListView::GetColumnTitle(int column) const {
    return m_titles[size_t(column)];
}

void CBaseListView::AutoSizeColumn(int index) {
    if (!m_list || index < 0 || index >= GetColumnCount()) return;
    // A virtual list measures only the rows it has drawn; the widest text may be further down.
    wxListItem heading;
    heading.SetMask(wxLIST_MASK_TEXT);
    int width = m_list->GetColumn(index, heading) ? m_list->GetTextExtent(heading.GetText()).x : 0;
    const unsigned kind = GetColumnKind(index);
    for (long row = 0; row < GetRowCount(); ++row)
        width = std::max(width, m_list->GetTextExtent(ToWx(GetCellText(row, kind))).x);
    constexpr int kCellMargin = 16;
    m_list->SetColumnWidth(index, width + kCellMargin);
}

void CBaseListView::RecreateFonts() {
    if (!m_list) return;
    m_list->Freeze();
    if (CSheepDoc* core = GetCore()) {
        const CDocumentFile& file = core->GetFile();
        m_list->SetFont(FontFromRecord(file.m_bodyFont));
        m_list->SetTextColour(ColourFromRef(file.m_crBody));
        wxItemAttr header;
        header.SetFont(FontFromRecord(file.m_headerFont));
        header.SetTextColour(ColourFromRef(file.m_crHeader));
        m_list->SetHeaderAttr(header);
    }
    for (int i = 0; i < GetColumnCount(); ++i) AutoSizeColumn(i);
    m_list->Thaw();
    m_list->Refresh();
}

int CBaseListView::ColumnAtX(int x) const {
    if (x < 1 || !m_list) return -1;
    int total = 0;
    for (int i = 0; i < GetColumnCount(); ++i) {
        total += m_list->GetColumnWidth(i);
        if (total >= x) return i;
    }
    return -1;
}

// ---- rows -------------------------------------------------------------------------------------------

void CBaseListView::SetRows(std::vector<CRefPtr<CObject>> rows) {
    m_rows = std::move(rows);
    if (m_list) {
        m_list->SetItemState(-1, 0, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
        m_list->SetItemCount(long(m_rows.size()));
        m_list->Refresh();
    }
}

WString CBaseListView::GetItemText(long row, int column) const {
    const unsigned kind = GetColumnKind(column);
    if (kind == KIND_ROW) return IntToW(row + 1);
    return GetCellText(row, kind);
}

WString CBaseListView::GetCellText(long row, unsigned kind) const {
    const auto* sheep = static_cast<const CSheep*>(GetRowObject(row));
    if (kind == KIND_RECORD) {
        int index = -1;
        CSheepDoc* core = GetCore();
        if (!core || !core->FindSheepIndex(sheep->GetTattoo(), &index)) return {};
        return IntToW(index + 1);
    }
    return sheep->GetFieldText(kind);
}

long CBaseListView::FindRow(const CObject* record) const {
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].Get() == record) return long(i);
    return -1;
}

std::vector<long> CBaseListView::GetSelectedRows() const {
    std::vector<long> rows;
    if (!m_list) return rows;
    for (long i = m_list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); i != -1;
         i = m_list->GetNextItem(i, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED))
        rows.push_back(i);
    return rows;
}

std::vector<CObject*> CBaseListView::SelectedRecords() const {
    std::vector<CObject*> records;
    for (long row : GetSelectedRows()) records.push_back(GetRowObject(row));
    return records;
}

long CBaseListView::GetFocusedRow() const {
    if (!m_list) return -1;
    const long row = m_list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_FOCUSED);
    return row < GetRowCount() ? row : -1;
}

void CBaseListView::SelectOnly(long row) {
    if (!m_list) return;
    m_list->SetItemState(-1, 0, wxLIST_STATE_SELECTED);
    if (row < 0 || row >= GetRowCount()) return;
    m_list->SetItemState(row, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                         wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    m_list->EnsureVisible(row);
    TellFrameCurrent(row);
}

void CBaseListView::RestoreSelection(const std::vector<CObject*>& selected, CObject* focused) {
    if (!m_list) return;
    m_list->SetItemState(-1, 0, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    if (selected.empty() && !focused) return;
    std::unordered_map<const CObject*, long> rowOf;
    rowOf.reserve(m_rows.size());
    for (size_t i = 0; i < m_rows.size(); ++i) rowOf.emplace(m_rows[i].Get(), long(i));
    for (CObject* record : selected)
        if (auto it = rowOf.find(record); it != rowOf.end())
            m_list->SetItemState(it->second, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    if (auto it = rowOf.find(focused); focused && it != rowOf.end())
        m_list->SetItemState(it->second, wxLIST_STATE_FOCUSED, wxLIST_STATE_FOCUSED);
}

void CBaseListView::UpdateRecordPane() const {
    if (IViewFrameSite* site = GetViewFrameSite()) {
        site->SetRecordTotal(int(GetRowCount()));
        site->SetCurrentRecord(int(GetFocusedRow()));
    }
}

void CBaseListView::TellFrameCurrent(long row) const {
    if (IViewFrameSite* site = GetViewFrameSite()) site->SetCurrentRecord(int(row));
}

// ---- sorting ----------------------------------------------------------------------------------------

void CBaseListView::SortByKind(int kind) {
    CCvlWaitCursor wait;
    if (kind != m_nSortKind) {
        if (kind != -1) {
            m_nSortKind = kind;
            m_bSortAscending = true;
        }
    } else {
        m_bSortAscending = !m_bSortAscending;
    }
    if (m_nSortKind < 0) return;
    const std::vector<CObject*> selected = SelectedRecords();
    const long focusedRow = GetFocusedRow();
    CObject* focused = focusedRow >= 0 ? GetRowObject(focusedRow) : nullptr;
    SortItems(unsigned(m_nSortKind) | (m_bSortAscending ? SORT_ASCENDING : 0u));
    RestoreSelection(selected, focused);
    // The current animal keeps its row's place in the pane.
    UpdateRecordPane();
    if (m_list) m_list->Refresh();
}

void CBaseListView::OnColumnClick(int column) {
    if (column >= 0 && column < GetColumnCount()) SortByKind(int(GetColumnKind(column)));
}

void CBaseListView::OnColumnHeadSort() {
    const int column = ColumnAtX(m_ptContext.x);
    if (column >= 0) SortByKind(int(GetColumnKind(column)));
}

// ---- mouse and keys ---------------------------------------------------------------------------------

void CBaseListView::OnRowClicked(long row) {
    CSheepDoc* core = GetCore();
    // Rows of some reports are not animals.
    auto* sheep = row >= 0 && row < GetRowCount() ? dynamic_cast<CSheep*>(GetRowObject(row)) : nullptr;
    if (core && sheep) core->SelectSheep(sheep->GetTattoo(), true, false, this);
    TellFrameCurrent(row >= 0 && row < GetRowCount() ? row : -1);
}

void CBaseListView::OnKey(int keyCode) {
    const long focused = GetFocusedRow();
    if (focused < 0) {
        wxBell();
        return;
    }
    CSheepDoc* core = GetCore();
    long target = -1;
    switch (keyCode) {
        case WXK_RETURN:
        case WXK_NUMPAD_ENTER:
            OpenRow(focused);
            return;
        case WXK_UP:
            target = focused - 1;
            break;
        case WXK_DOWN:
            target = focused + 1;
            break;
        default:
            return;
    }
    auto* sheep =
        target >= 0 && target < GetRowCount() ? dynamic_cast<CSheep*>(GetRowObject(target)) : nullptr;
    if (core && sheep) core->SelectSheep(sheep->GetTattoo(), true, false, this);
}

// ---- delete, export, copy ---------------------------------------------------------------------------

void CBaseListView::OnDeleteRecords() {
    if (!ConfirmDelete()) return;
    const std::vector<long> selected = GetSelectedRows();
    CCvlHost& host = CvlGetHost();
    host.BeginProgress(IDS_DELETING_RECORDS, int(selected.size()));
    {
        CCvlWaitCursor wait;
        m_bDeleting = true;
        // From the last row up; the rows hold their records until the list is compacted.
        std::vector<bool> gone(m_rows.size(), false);
        for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
            host.StepProgress();
            DeleteRow(*it);
            gone[size_t(*it)] = true;
        }
        std::vector<CRefPtr<CObject>> kept;
        kept.reserve(m_rows.size() - selected.size());
        for (size_t i = 0; i < m_rows.size(); ++i)
            if (!gone[i]) kept.push_back(std::move(m_rows[i]));
        SetRows(std::move(kept));
        UpdateRecordPane();
        m_bDeleting = false;
        host.EndProgress();
        if (CSheepDoc* core = GetCore()) core->UpdateAllViews(nullptr, HINT_SHEEP, nullptr);
    }
}

void CBaseListView::Export(int mode, std::ostream& out) {
    if (mode == 0) {
        CvlMessageBoxText(u"Reports cannot be exported as XML.");
        return;
    }
    CCvlHost& host = CvlGetHost();
    host.BeginProgress(IDS_EXPORTING_RECORDS, int(GetRowCount()));
    for (long row = 0; row < GetRowCount(); ++row) {
        WString line;
        for (int column = 0; column < GetColumnCount(); ++column) {
            const WString text = GetItemText(row, column);
            if (mode == 1)
                line += u"\"" + text + u"\",";
            else
                line += text + u"\t";
        }
        if (line.size() > 1) line.pop_back();
        out << WToAnsi(line) << "\r\n";
        host.StepProgress();
    }
    host.EndProgress();
}

void CBaseListView::OnEditCopy() {
    if (GetSelectedRows().empty()) return;
    auto* source = new wxDataObjectComposite;
    CopyToDataSource(*source);
    if (wxTheClipboard->Open()) {
        wxTheClipboard->SetData(source);
        wxTheClipboard->Close();
    } else {
        delete source;
    }
}

void CBaseListView::OnBeginDrag() {
    if (GetSelectedRows().empty() || !m_list) return;
    wxDataObjectComposite source;
    CopyToDataSource(source);
    wxDropSource drag(source, m_list);
    drag.DoDragDrop(wxDrag_AllowMove);
}

void CBaseListView::OnEditSelectAll() {
    if (!m_list) return;
    m_list->Freeze();
    m_list->SetItemState(-1, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    m_list->Thaw();
}

// ---- hints ------------------------------------------------------------------------------------------

void CBaseListView::OnUpdate(CDocView*, uint32_t hint, CObject* hintObject) {
    if (hint == HINT_ADDRESS_RELOADED) {
        OnAddressesReloaded();
        return;
    }
    if (hint & HINT_COLUMNS) OnColumnsChanged(hintObject);
    if (hint & HINT_SHEEP) OnRecordChanged(hintObject);
    if (hint & HINT_SHEEP_SET) FillList();
    if (hint & HINT_FONTS) {
        RecreateFonts();
        return;
    }
    if (!(hint & (HINT_SHEEP_SET | HINT_COLUMNS | HINT_SHEEP)) && m_list) m_list->Refresh();
}
