#include "views/flock_view.h"

#include <wx/app.h>
#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/menu.h>
#include <wx/sizer.h>

#include <algorithm>

#include "document/command_ids.h"
#include "document/doc_commands.h"
#include "document/reader_manager.h"
#include "document/ui/wx_strings.h"
#include "platform/archive.h"
#include "platform/host.h"
#include "platform/message_help.h"
#include "records/criteria.h"
#include "records/sheep.h"
#include "views/bar_messages.h"
#include "views/frame_site.h"
#include "views/record_paste.h"
#include "views/sheep_document.h"

namespace {
constexpr unsigned IDS_NOT_VISIBLE = 18;
constexpr unsigned IDS_DELETE_ONE = 1020;
constexpr unsigned IDS_DELETE_MANY = 143;
CVL_MESSAGE_HELP(IDS_DELETE_ONE);
constexpr int kFlockBar = 1;
}  // namespace

wxIMPLEMENT_DYNAMIC_CLASS(CFlockView, CBaseListView);

CFlockChildWnd::CFlockChildWnd(wxDocument* doc, wxView* view, wxMDIParentFrame* parent)
    : wxDocMDIChildFrame(doc, view, parent, wxID_ANY, doc->GetUserReadableName() + ": Flock View") {}

CFlockView::CFlockView() = default;
CFlockView::~CFlockView() = default;

bool CFlockView::OnCreate(wxDocument* doc, long flags) {
    if (!CBaseListView::OnCreate(doc, flags)) return false;
    auto* parent = wxDynamicCast(wxTheApp->GetTopWindow(), wxMDIParentFrame);
    if (!parent) return false;
    auto* frame = new CFlockChildWnd(doc, this, parent);
    SetFrame(frame);
    CreateListCtrl(frame);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_list, 1, wxEXPAND);
    frame->SetSizer(sizer);
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { OnDetails(); }, WxCommandId(ID_RECORD_DETAILS));
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { OnMultipleDataEntry(); }, WxCommandId(ID_MULTIPLE_DATA_ENTRY));
    Bind(
        wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& event) { event.Enable(!GetSelectedRows().empty()); },
        WxCommandId(ID_MULTIPLE_DATA_ENTRY));
    Bind(
        wxEVT_MENU,
        [this](wxCommandEvent&) {
            if (CSheepDoc* core = GetCore()) PasteRecords(*core);
        },
        WxCommandId(ID_EDIT_PASTE));
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { OnUploadToReader(); }, WxCommandId(ID_EID_UPLOAD));
    Bind(
        wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& event) { event.Enable(CanUploadToReader()); },
        WxCommandId(ID_EID_UPLOAD));
    OnInitialUpdate();
    frame->Show();
    Activate(true);
    return true;
}

bool CFlockView::OnClose(bool deleteWindow) {
    // Closing one of several windows of a document leaves the document open.
    wxDocument* doc = GetDocument();
    if ((!doc || doc->GetViewsVector().size() <= 1) && !wxView::OnClose(deleteWindow)) return false;
    Activate(false);
    return true;
}

void CFlockView::OnChangeFilename() {
    if (wxWindow* frame = GetFrame()) frame->SetLabel(GetDocument()->GetUserReadableName() + ": Flock View");
}

void CFlockView::OnActivateView(bool activate, wxView*, wxView*) {
    if (!activate) return;
    if (IViewFrameSite* site = GetViewFrameSite()) site->ShowContextBar(kFlockBar);
    UpdateRecordPane();
}

CSheep* CFlockView::GetRowSheep(long row) const {
    return static_cast<CSheep*>(GetRowObject(row));
}

void CFlockView::OnColumnsChanged(CObject*) {
    DeleteAllColumns();
    if (CSheepDoc* core = GetCore())
        core->GetColumns(
            [this](const WString& caption, uint32_t field) { InsertColumn(caption, field, -1); });
    FillList();
}

void CFlockView::FillList() {
    CSheepDoc* core = GetCore();
    if (!core) return;
    CCvlWaitCursor wait;
    if (m_list) m_list->Freeze();
    std::vector<CRefPtr<CObject>> rows;
    rows.reserve(size_t(core->GetSheepCount()));
    // Every animal that matches the document's criteria, in document order.
    const CCriteria& criteria = core->GetExtractionCriteria();
    for (int i = 0; i < core->GetSheepCount(); ++i)
        if (core->GetSheepAt(i)->MatchesCriteria(criteria)) rows.emplace_back(core->GetSheepAt(i));
    SetRows(std::move(rows));
    if (m_list) m_list->Thaw();
    for (int i = 0; i < GetColumnCount(); ++i) AutoSizeColumn(i);

    if (GetSortKind() == -1)
        SortByKind(SF_KEY);
    else
        SortByKind(-1);

    if (CSheep* current = core->GetCurrentSheep()) {
        const long row = FindRow(current);
        if (row >= 0) SelectOnly(row);
    }
    UpdateRecordPane();
}

void CFlockView::OnRecordChanged(CObject* hint) {
    // Our own deletion compacts the rows itself.
    if (m_bDeleting) return;
    CSheepDoc* core = GetCore();
    if (!core) return;
    if (hint) {
        // An animal changed elsewhere: its row shows the change; a new one is listed.
        auto* sheep = dynamic_cast<CSheep*>(hint);
        const long row = sheep ? FindRow(sheep) : -1;
        if (!sheep) return;
        if (row >= 0) {
            if (m_list) m_list->RefreshItem(row);
        } else if (sheep->GetDocument() == core && sheep->MatchesCriteria(core->GetExtractionCriteria())) {
            FillList();
        }
        return;
    }
    auto& rows = Rows();
    const auto gone = [core](const CRefPtr<CObject>& row) {
        return static_cast<CSheep*>(row.Get())->GetDocument() != core;
    };
    if (std::none_of(rows.begin(), rows.end(), gone)) return;
    const std::vector<CObject*> selected = SelectedRecords();
    const long focusedRow = GetFocusedRow();
    CObject* focused = focusedRow >= 0 ? GetRowObject(focusedRow) : nullptr;
    std::vector<CRefPtr<CObject>> kept;
    kept.reserve(rows.size());
    for (auto& row : rows)
        if (!gone(row)) kept.push_back(std::move(row));
    SetRows(std::move(kept));
    RestoreSelection(selected, focused);
    UpdateRecordPane();
}

void CFlockView::SortItems(unsigned sortWord) {
    SortSheepRows(Rows(), sortWord);
}

WString CFlockView::GetTitle() const {
    const CSheepDoc* core = GetCore();
    return core ? const_cast<CSheepDoc*>(core)->GetExtractionCriteria().GetDescription() : WString();
}

bool CFlockView::CanPaste() const {
    return CanPasteRecords();
}

void CFlockView::PasteFromDataObject(wxDataObject& data) {
    if (CSheepDoc* core = GetCore()) PasteRecords(*core, &data);
}

void CFlockView::ShowContextMenu(wxWindow* window, const wxPoint& screen) {
    wxMenu menu;
    menu.Append(WxCommandId(ID_RECORD_DETAILS), "Details");
    menu.Append(WxCommandId(ID_EDIT_COPY), "Copy");
    menu.Append(WxCommandId(ID_EDIT_PASTE), "Paste");
    menu.Append(WxCommandId(ID_EDIT_SELECT_ALL), "Select All");
    menu.Append(WxCommandId(ID_MULTIPLE_DATA_ENTRY), "Multiple Data Entry...");
    menu.Enable(WxCommandId(ID_EDIT_PASTE), CanPaste());
    menu.Enable(WxCommandId(ID_MULTIPLE_DATA_ENTRY), !GetSelectedRows().empty());
    const int id = window->GetPopupMenuSelectionFromUser(menu, window->ScreenToClient(screen));
    if (id == WxCommandId(ID_RECORD_DETAILS)) OnDetails();
    if (id == WxCommandId(ID_EDIT_COPY)) OnEditCopy();
    if (id == WxCommandId(ID_EDIT_PASTE))
        if (CSheepDoc* core = GetCore()) PasteRecords(*core);
    if (id == WxCommandId(ID_EDIT_SELECT_ALL)) OnEditSelectAll();
    if (id == WxCommandId(ID_MULTIPLE_DATA_ENTRY)) OnMultipleDataEntry();
}

void CFlockView::OnMultipleDataEntry() {
    CSheepDoc* core = GetCore();
    if (!core) return;
    std::vector<WString> names;
    {
        CCvlWaitCursor wait;
        for (long row : GetSelectedRows())
            if (CSheep* sheep = GetRowSheep(row)) names.push_back(sheep->GetTattoo());
    }
    if (names.empty()) return;
    core->RunMultiEventWizard(names, -1);
}

const wxDataFormat& CFlockView::GetClipboardFormat() {
    // The program-wide name, which the first document changes.
    static wxDataFormat format;
    format = GetClipboardDataFormat(GetSheepClipboardFormat());
    return format;
}

std::vector<uint8_t> CFlockView::BuildClipboardBlock(const std::vector<long>& rows) const {
    std::vector<CSheep*> animals;
    for (long row : rows) animals.push_back(GetRowSheep(row));
    return BuildSheepBlock(GetCore() ? GetCore()->GetTitle() : WString(), animals);
}

WString CFlockView::BuildClipboardText(const std::vector<long>& rows) const {
    WString text(1, u'\xFEFF');
    for (long row : rows) {
        for (int column = 0; column < GetColumnCount(); ++column) {
            if (column > 0) text += u'\t';
            text += GetItemText(row, column);
        }
        text += u"\r\n";
    }
    return text;
}

void CFlockView::CopyToDataSource(wxDataObjectComposite& source) {
    const std::vector<long> rows = GetSelectedRows();
    const std::vector<uint8_t> block = BuildClipboardBlock(rows);
    auto* custom = new wxCustomDataObject(GetClipboardFormat());
    custom->SetData(block.size(), block.data());
    source.Add(custom, true);
    source.Add(new wxTextDataObject(ToWx(BuildClipboardText(rows))));
}

bool CFlockView::ConfirmDelete() {
    const std::vector<long> selected = GetSelectedRows();
    const unsigned type = MB_YESNO | MB_ICONQUESTION | MB_HELP;
    const unsigned help = CvlPromptHelpId(IDS_DELETE_ONE);
    int answer;
    if (selected.size() == 1)
        answer = CvlMessageBox(IDS_DELETE_ONE, {GetRowSheep(selected.front())->GetFieldText(SF_TATTOO)}, type,
                               help);
    else
        answer = CvlMessageBox(IDS_DELETE_MANY, type, help);
    return answer == IDYES;
}

void CFlockView::DeleteRow(long row) {
    CSheepDoc* core = GetCore();
    int index = -1;
    if (core && core->FindSheep(GetRowSheep(row)->GetTattoo(), &index)) core->DeleteSheep(index);
}

void CFlockView::OpenRow(long row) {
    if (CSheepDoc* core = GetCore(); core && row >= 0 && row < GetRowCount())
        core->SelectSheep(GetRowSheep(row)->GetTattoo(), true, false, this);
    OnDetails();
}

// ---- the reader's animal source --------------------------------------------------------------------

intptr_t CFlockView::OnReaderMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (message == WM_EIDTRANSFERPAGE) {
        if (CEIDReaderManager* reader = CvlGetReaderManager())
            reader->SetTransferPage(reinterpret_cast<const EIDTransferPage*>(lParam));
        return 0;
    }
    auto* item = reinterpret_cast<EIDSourceItem*>(lParam);
    if (message != WM_EIDSOURCE || !item) return 0;
    const bool selectedOnly = item->universe == EIDSOURCE_SELECTED;
    switch (wParam) {
        case EIDSOURCE_BEGIN:
            item->index = -1;
            return 0;
        case EIDSOURCE_NEXT: {
            long row = item->index;
            if (selectedOnly)
                row = m_list ? m_list->GetNextItem(row, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED) : -1;
            else
                row = row + 1 < GetRowCount() ? row + 1 : -1;
            if (row >= GetRowCount()) row = -1;
            item->index = int32_t(row);
            if (row < 0) return 0;
            const WString tattoo = GetRowSheep(row)->GetTattoo();
            // A tattoo that does not fit is handed out empty: cut short it could name another animal.
            const size_t length = tattoo.size() < std::size(item->text) ? tattoo.size() : 0;
            std::copy_n(tattoo.data(), length, item->text);
            item->text[length] = 0;
            return 1;
        }
        case EIDSOURCE_COUNT:
            return selectedOnly ? intptr_t(GetSelectedRows().size()) : intptr_t(GetRowCount());
        default:
            return 0;
    }
}

EIDSourceWindow CFlockView::GetReaderSource() {
    EIDSourceWindow source{};
    source.window = GetFrame();
    source.context = this;
    source.send = [](void* context, uint32_t message, uintptr_t wParam, intptr_t lParam) {
        return static_cast<CFlockView*>(context)->OnReaderMessage(message, wParam, lParam);
    };
    return source;
}

bool CFlockView::CanUploadToReader() const {
    const CEIDReaderManager* reader = CvlGetReaderManager();
    return reader && GetCore() && (reader->GetSupportedModes() & EID_MODE_UPLOAD);
}

void CFlockView::OnUploadToReader() {
    CEIDReaderManager* reader = CvlGetReaderManager();
    CSheepDoc* core = GetCore();
    if (!reader || !core) return;
    const EIDSourceWindow source = GetReaderSource();
    reader->UploadToReader(&source, core->GetDocumentDual());
    reader->SetTransferPage(nullptr);
}

void CFlockView::OnDetails() {
    // The record view answers "Individual Records".
    if (wxWindow* top = wxTheApp->GetTopWindow()) {
        wxCommandEvent event(wxEVT_MENU, WxCommandId(ID_VIEW_SHEEP));
        event.SetEventObject(top);
        top->GetEventHandler()->AddPendingEvent(event);
    }
}

void CFlockView::OnUpdate(CDocView* sender, uint32_t hint, CObject* hintObject) {
    if ((hint & HINT_CURRENT) && !(hint & HINT_ADDRESS) && hintObject)
        ShowSheep(static_cast<CSheep*>(hintObject));
    CBaseListView::OnUpdate(sender, hint, hintObject);
}

void CFlockView::ShowSheep(CSheep* sheep) {
    long row = FindRow(sheep);
    if (row < 0) {
        if (CvlMessageBox(IDS_NOT_VISIBLE, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
        if (CSheepDoc* core = GetCore()) {
            CCriteria& criteria = core->GetExtractionCriteria();
            criteria.m_nType = CRITERIA_ALL;
            criteria.m_bRams = criteria.m_bEwes = TRUE;
            criteria.m_bAdults = criteria.m_bShearlings = criteria.m_bLambs = TRUE;
            // The filter bar shows them.
            SendToMainWindow(CVL_EVT_UPDATE_FILTER_BAR, 0, &criteria);
        }
        FillList();
        row = FindRow(sheep);
        if (row < 0) return;
    }
    SelectOnly(row);
    if (m_list) m_list->RefreshItem(row);
}
