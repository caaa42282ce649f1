#include "views/address_browser.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/clipbrd.h>
#include <wx/dnd.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/wupdlock.h>

#include "document/command_ids.h"
#include "document/doc_commands.h"
#include "document/ui/address_dialogs.h"
#include "document/ui/window_handles.h"
#include "document/ui/wx_strings.h"
#include "platform/archive.h"
#include "platform/automation/cmdtarget.h"
#include "platform/host.h"
#include "records/event.h"
#include "views/frame_site.h"
#include "views/record_paste.h"
#include "views/sheep_document.h"

wxIMPLEMENT_DYNAMIC_CLASS(CAddressBrowserView, wxView);

namespace {
constexpr int REPORT_ADDRESS_MOVEMENTS = ID_REPORT_BASE + 3;
constexpr int kNoContextBar = 4;

constexpr unsigned IDS_DELETE_ADDRESSES = 1036;
constexpr unsigned IDS_DELETE_ADDRESS = 1045;

bool ClipboardOffersAddresses() {
    const wxDataFormat format = GetClipboardDataFormat(GetAddressClipboardFormat());
    if (!wxTheClipboard->Open()) return false;
    const bool offered = wxTheClipboard->IsSupported(format);
    wxTheClipboard->Close();
    return offered;
}

struct SortParameter {
    int column;
    bool ascending;
};

int wxCALLBACK CompareRows(wxIntPtr first, wxIntPtr second, wxIntPtr parameter) {
    const auto& sort = *reinterpret_cast<const SortParameter*>(parameter);
    const WString a = reinterpret_cast<CAddress*>(first)->GetListRow().at(size_t(sort.column));
    const WString b = reinterpret_cast<CAddress*>(second)->GetListRow().at(size_t(sort.column));
    const int result = a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
    return sort.ascending ? result : -result;
}
}  // namespace

// ---- the frame ---------------------------------------------------------------------------------------

CAddressBrowserChildWnd::CAddressBrowserChildWnd(wxDocument* doc, wxView* view, wxMDIParentFrame* parent)
    : wxDocMDIChildFrame(doc, view, parent, wxID_ANY, MakeCaption(doc)) {
    Bind(wxEVT_ACTIVATE, [this](wxActivateEvent& event) {
        event.Skip();
        auto* document = dynamic_cast<CSheepDocument*>(GetDocument());
        if (event.GetActive() && document) document->GetCore().BuildReportsMenu(false);
    });
}

wxString CAddressBrowserChildWnd::MakeCaption(wxDocument* doc) {
    return doc->GetUserReadableName() + " : Address Browser View";
}

// ---- the drop target ---------------------------------------------------------------------------------

CAddressDropTarget::CAddressDropTarget(CAddressBrowserView* view)
    : wxDropTarget(new wxCustomDataObject(GetClipboardDataFormat(GetSheepClipboardFormat()))), m_view(view) {}

wxDragResult CAddressDropTarget::OnEnter(wxCoord x, wxCoord y, wxDragResult def) {
    return OnDragOver(x, y, def);
}

wxDragResult CAddressDropTarget::OnDragOver(wxCoord x, wxCoord y, wxDragResult) {
    return m_view->DragOver(wxPoint(x, y)) < 0 ? wxDragNone : wxDragLink;
}

void CAddressDropTarget::OnLeave() {
    m_view->DragLeave();
}

wxDragResult CAddressDropTarget::OnData(wxCoord x, wxCoord y, wxDragResult) {
    if (!GetData()) {
        m_view->DragLeave();
        return wxDragNone;
    }
    return DropDataObject(x, y, *static_cast<wxCustomDataObject*>(GetDataObject()));
}

wxDragResult CAddressDropTarget::DropDataObject(wxCoord x, wxCoord y, const wxCustomDataObject& data) {
    const long row = m_view->DragOver(wxPoint(x, y));
    if (row < 0) {
        m_view->DragLeave();
        return wxDragNone;
    }
    const auto* bytes = static_cast<const uint8_t*>(data.GetData());
    m_view->DropAnimals(row, std::vector<uint8_t>(bytes, bytes + data.GetSize()));
    return wxDragLink;
}

// ---- the view ----------------------------------------------------------------------------------------

CAddressBrowserView::CAddressBrowserView() = default;

CAddressBrowserView::~CAddressBrowserView() {
    if (CSheepDoc* core = GetCore()) core->RemoveView(this);
}

CSheepDoc* CAddressBrowserView::GetCore() const {
    auto* doc = dynamic_cast<CSheepDocument*>(GetDocument());
    return doc ? &doc->GetCore() : nullptr;
}

bool CAddressBrowserView::OnCreate(wxDocument* doc, long flags) {
    if (!wxView::OnCreate(doc, flags)) return false;
    auto* parent = wxDynamicCast(wxTheApp->GetTopWindow(), wxMDIParentFrame);
    if (!parent) return false;
    if (CSheepDoc* core = GetCore()) core->AddView(this);
    // Animals dropped on an address: an event naming the address, preset to code 2 for one
    // animal; for several, the wizard offers only events whose first parameter is an address.
    m_dropActions.addEvent = [this](CSheep* sheep, const WString& key) -> CRefPtr<CEvent> {
        CSheepDoc* core = GetCore();
        return core ? core->AddEventWithDialog(sheep, key.c_str(), nullptr, nullptr, 2) : CRefPtr<CEvent>();
    };
    m_dropActions.multiEvent = [this](const std::vector<WString>& tattoos) {
        if (CSheepDoc* core = GetCore()) core->RunMultiEventWizard(tattoos, 2);
    };
    auto* frame = new CAddressBrowserChildWnd(doc, this, parent);
    SetFrame(frame);
    m_pPanel = new wxPanel(frame);
    m_pList = new wxListCtrl(m_pPanel, IDC_ADDRESS_LIST, wxDefaultPosition, wxDefaultSize, wxLC_REPORT);
    m_pNew = new wxButton(m_pPanel, IDC_ADDRESS_NEW, "&New...");
    m_pProperties = new wxButton(m_pPanel, IDC_ADDRESS_PROPERTIES, "&Properties...");
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(m_pNew, 0, wxRIGHT, 4);
    buttons->Add(m_pProperties, 0);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_pList, 1, wxEXPAND);
    sizer->Add(buttons, 0, wxTOP | wxBOTTOM, 2);
    m_pPanel->SetSizer(sizer);
    auto* frameSizer = new wxBoxSizer(wxVERTICAL);
    frameSizer->Add(m_pPanel, 1, wxEXPAND);
    frame->SetSizer(frameSizer);
    m_pDropTarget = new CAddressDropTarget(this);
    m_pList->SetDropTarget(m_pDropTarget);
    BindCommands();
    OnUpdate(nullptr, HINT_REFRESH_ALL, nullptr);
    frame->Show();
    return true;
}

bool CAddressBrowserView::OnClose(bool deleteWindow) {
    // Closing one of several windows of a document leaves the document open.
    wxDocument* doc = GetDocument();
    if ((!doc || doc->GetViewsVector().size() <= 1) && !wxView::OnClose(deleteWindow)) return false;
    Activate(false);
    return true;
}

void CAddressBrowserView::OnChangeFilename() {
    if (wxWindow* frame = GetFrame()) frame->SetLabel(CAddressBrowserChildWnd::MakeCaption(GetDocument()));
}

void CAddressBrowserView::OnActivateView(bool activate, wxView*, wxView*) {
    if (!activate) return;
    CSheepDoc* core = GetCore();
    IViewFrameSite* site = GetViewFrameSite();
    if (!core || !site) return;
    site->SetRecordTotal(core->GetSheepCount());
    site->SetCurrentRecord(core->GetCurrentIndex());
    site->ShowContextBar(kNoContextBar);
}

void CAddressBrowserView::BindCommands() {
    auto bindMenu = [this](int id, void (CAddressBrowserView::*handler)()) {
        Bind(
            wxEVT_MENU, [this, handler](wxCommandEvent&) { (this->*handler)(); }, id);
    };
    bindMenu(WxCommandId(ID_ADDRESS_ADD), &CAddressBrowserView::OnNewAddress);
    bindMenu(WxCommandId(ID_VIEW_DETAILS), &CAddressBrowserView::OnProperties);
    bindMenu(WxCommandId(ID_EDIT_SELECT_ALL), &CAddressBrowserView::OnSelectAll);
    bindMenu(WxCommandId(ID_EDIT_DELETE_RECORDS), &CAddressBrowserView::OnDelete);
    bindMenu(WxCommandId(ID_EDIT_COPY), &CAddressBrowserView::OnCopy);
    bindMenu(WxCommandId(ID_EDIT_PASTE), &CAddressBrowserView::OnPaste);
    bindMenu(WxCommandId(ID_ADDRESS_MOVEMENTS), &CAddressBrowserView::OnMovements);
    auto selected = [this] { return m_pList ? CvlSelectedRows(m_pList).size() : 0; };
    Bind(
        wxEVT_UPDATE_UI, [selected](wxUpdateUIEvent& e) { e.Enable(selected() > 0); },
        WxCommandId(ID_EDIT_DELETE_RECORDS));
    Bind(
        wxEVT_UPDATE_UI, [selected](wxUpdateUIEvent& e) { e.Enable(selected() > 0); },
        WxCommandId(ID_EDIT_COPY));
    Bind(
        wxEVT_UPDATE_UI, [](wxUpdateUIEvent& e) { e.Enable(ClipboardOffersAddresses()); },
        WxCommandId(ID_EDIT_PASTE));
    Bind(
        wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& e) { e.Enable(m_pList && m_pList->GetItemCount() > 0); },
        WxCommandId(ID_EDIT_SELECT_ALL));

    m_pNew->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnNewAddress(); });
    m_pProperties->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnProperties(); });
    m_pList->Bind(wxEVT_LIST_ITEM_ACTIVATED, [this](wxListEvent& event) {
        if (CvlSelectedRows(m_pList).size() == 1) EditRow(event.GetIndex());
    });
    m_pList->Bind(wxEVT_LIST_ITEM_SELECTED, [this](wxListEvent&) { UpdateButtons(); });
    m_pList->Bind(wxEVT_LIST_ITEM_DESELECTED, [this](wxListEvent&) { UpdateButtons(); });
    m_pList->Bind(wxEVT_LIST_COL_CLICK, [this](wxListEvent& event) { OnHeaderClick(event.GetColumn()); });
    m_pList->Bind(wxEVT_CONTEXT_MENU, [this](wxContextMenuEvent& event) {
        wxPoint point = event.GetPosition();
        if (point == wxDefaultPosition) return;
        point = m_pList->ScreenToClient(point);
        if (!m_pList->GetClientRect().Contains(point)) return;
        wxMenu menu;
        BuildContextMenu(menu);
        const int id = m_pList->GetPopupMenuSelectionFromUser(menu, point);
        if (id == WxCommandId(ID_VIEW_DETAILS)) OnProperties();
        if (id == WxCommandId(ID_ADDRESS_MOVEMENTS)) OnMovements();
        if (id == WxCommandId(ID_EDIT_COPY)) OnCopy();
        if (id == WxCommandId(ID_EDIT_PASTE)) OnPaste();
        if (id == WxCommandId(ID_EDIT_DELETE_RECORDS)) OnDelete();
        if (id == WxCommandId(ID_EDIT_SELECT_ALL)) OnSelectAll();
    });
}

void CAddressBrowserView::BuildContextMenu(wxMenu& menu) const {
    const size_t selected = CvlSelectedRows(m_pList).size();
    menu.Append(WxCommandId(ID_VIEW_DETAILS), "Details");
    menu.Append(WxCommandId(ID_ADDRESS_MOVEMENTS), "Movements");
    menu.AppendSeparator();
    menu.Append(WxCommandId(ID_EDIT_CUT), "Cut");
    menu.Append(WxCommandId(ID_EDIT_COPY), "Copy");
    menu.Append(WxCommandId(ID_EDIT_PASTE), "Paste");
    menu.Append(WxCommandId(ID_EDIT_DELETE_RECORDS), "Delete");
    menu.AppendSeparator();
    menu.Append(WxCommandId(ID_EDIT_SELECT_ALL), "Select All");
    menu.Enable(WxCommandId(ID_VIEW_DETAILS), selected == 1);
    menu.Enable(WxCommandId(ID_ADDRESS_MOVEMENTS), selected == 1);
    for (int id : {WxCommandId(ID_EDIT_CUT), WxCommandId(ID_EDIT_COPY), WxCommandId(ID_EDIT_DELETE_RECORDS),
                   WxCommandId(ID_EDIT_SELECT_ALL)})
        menu.Enable(id, selected > 0);
    menu.Enable(WxCommandId(ID_EDIT_PASTE), ClipboardOffersAddresses());
}

void CAddressBrowserView::OnUpdate(CDocView*, uint32_t hint, CObject* hintObject) {
    if (!m_pList) return;
    if (hint == HINT_REFRESH_ALL && !hintObject) {
        if (m_nColumnCount == -1) {
            CvlInsertAddressColumns(m_pList);
            m_nColumnCount = m_pList->GetColumnCount();
        }
        if (m_pPanel) m_pPanel->Refresh();
        Refill();
        return;
    }
    if (hint & (HINT_ADDRESS | HINT_ADDRESS_BOOK)) Refill();
}

void CAddressBrowserView::Refill() {
    CSheepDoc* core = GetCore();
    SetDropHighlight(m_nDropRow, false);
    m_nDropRow = -1;
    m_pList->DeleteAllItems();
    if (core) CvlShowAddresses(m_pList, *core);
    UpdateButtons();
}

void CAddressBrowserView::UpdateButtons() {
    if (m_pProperties) m_pProperties->Enable(CvlSelectedRows(m_pList).size() == 1);
}

CAddress* CAddressBrowserView::FiledAddress(long row, WString* key) const {
    CSheepDoc* core = GetCore();
    CAddress* address = CvlAddressAt(m_pList, row);
    return core && core->FindAddressKey(address, key) ? address : nullptr;
}

void CAddressBrowserView::OnNewAddress() {
    if (CSheepDoc* core = GetCore()) core->NewAddress(CvlWindowHandle(GetFrame()), this);
    // The document told the other views; this one refills itself.
    Refill();
}

void CAddressBrowserView::OnProperties() {
    const std::vector<long> rows = CvlSelectedRows(m_pList);
    if (rows.size() == 1) EditRow(rows[0]);
}

void CAddressBrowserView::EditRow(long row) {
    CSheepDoc* core = GetCore();
    WString key;
    CAddress* address = FiledAddress(row, &key);
    if (!address) {
        Refill();  // the address went elsewhere
        return;
    }
    if (core->EditAddress(address, CvlWindowHandle(GetFrame()), this, true))
        CvlWriteAddressRow(m_pList, row, address);
}

void CAddressBrowserView::OnHeaderClick(int column) {
    if (column == m_nSortColumn) {
        m_bSortAscending = !m_bSortAscending;
    } else {
        m_nSortColumn = column;
        m_bSortAscending = true;
    }
    Sort();
}

void CAddressBrowserView::Sort() {
    if (m_nSortColumn < 0) return;
    WString key;
    for (long row = 0; row < m_pList->GetItemCount(); ++row) {
        if (!FiledAddress(row, &key)) {
            Refill();  // never compare an address the document let go of
            break;
        }
    }
    SortParameter parameter{m_nSortColumn, m_bSortAscending};
    m_pList->SortItems(CompareRows, wxIntPtr(&parameter));
}

void CAddressBrowserView::OnSelectAll() {
    wxWindowUpdateLocker lock(m_pList);
    for (long row = 0; row < m_pList->GetItemCount(); ++row)
        m_pList->SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    UpdateButtons();
}

void CAddressBrowserView::OnDelete() {
    CSheepDoc* core = GetCore();
    const std::vector<long> rows = CvlSelectedRows(m_pList);
    if (!core || rows.empty()) return;
    if (rows.size() > 1 &&
        CvlMessageBox(IDS_DELETE_ADDRESSES, MB_YESNO | MB_ICONQUESTION, IDS_DELETE_ADDRESSES) != IDYES)
        return;
    bool deleted = false;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        WString key;
        CAddress* address = FiledAddress(*it, &key);
        if (rows.size() == 1 && address &&
            CvlMessageBox(IDS_DELETE_ADDRESS, {address->GetDisplayName()}, MB_YESNO | MB_ICONQUESTION) !=
                IDYES)
            break;
        m_pList->DeleteItem(*it);
        if (address) deleted = core->DeleteAddressObject(address) || deleted;
    }
    UpdateButtons();
    // Other views may show the deleted addresses.
    if (deleted) core->UpdateAllViews(this, HINT_ADDRESS, nullptr);
}

void CAddressBrowserView::OnCopy() {
    CSheepDoc* core = GetCore();
    if (!core) return;
    std::vector<CAddress*> addresses;
    WString key;
    for (long row : CvlSelectedRows(m_pList))
        if (CAddress* address = FiledAddress(row, &key)) addresses.push_back(address);
    if (addresses.empty()) return;
    CopyBlockToClipboard(GetAddressClipboardFormat(), BuildAddressBlock(core->GetTitle(), addresses),
                         BuildAddressText(addresses));
}

void CAddressBrowserView::OnPaste() {
    CSheepDoc* core = GetCore();
    if (!core) return;
    PasteRecords(*core);
    Refill();
    core->UpdateAllViews(this, HINT_ADDRESS, nullptr);
}

void CAddressBrowserView::OnMovements() {
    const std::vector<long> rows = CvlSelectedRows(m_pList);
    WString key;
    if (rows.empty() || !FiledAddress(rows[0], &key)) return;
    if (IViewFrameSite* site = GetViewFrameSite()) site->ApplyReportSelection(REPORT_ADDRESS_MOVEMENTS, key);
}

// ---- dropping animals --------------------------------------------------------------------------------

void CAddressBrowserView::SetDropHighlight(long row, bool on) {
    if (row < 0 || row >= m_pList->GetItemCount()) return;
    m_pList->SetItemBackgroundColour(
        row, on ? wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT) : m_pList->GetBackgroundColour());
    m_pList->SetItemTextColour(
        row, on ? wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHTTEXT) : m_pList->GetForegroundColour());
}

long CAddressBrowserView::DragOver(const wxPoint& point) {
    int flags = 0;
    const long row = m_pList->HitTest(point, flags);
    if (row < 0 || !(flags & wxLIST_HITTEST_ONITEM)) return -1;
    if (row != m_nDropRow) {
        SetDropHighlight(m_nDropRow, false);
        SetDropHighlight(row, true);
        m_nDropRow = row;
    }
    return row;
}

void CAddressBrowserView::DragLeave() {
    SetDropHighlight(m_nDropRow, false);
    m_nDropRow = -1;
}

void CAddressBrowserView::DropAnimals(long row, const std::vector<uint8_t>& block) {
    CSheepDoc* core = GetCore();
    WString key;
    const bool filed = core && FiledAddress(row, &key);
    DragLeave();
    if (!filed) return;
    try {
        DropAnimalsOnAddress(*core, block, key, m_dropActions, this);
    } catch (const CArchiveException&) {
        CvlMessageBoxText(u"The dropped data is damaged; no event was recorded.", MB_OK | MB_ICONEXCLAMATION);
    } catch (const COleDispatchException& e) {
        CvlMessageBoxText(e.m_strDescription, MB_OK | MB_ICONEXCLAMATION);
    }
}
