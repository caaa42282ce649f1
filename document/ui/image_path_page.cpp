#include "document/ui/image_path_page.h"

#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/dirdlg.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "document/ui/small_controls.h"
#include "document/ui/wx_strings.h"
#include "platform/host.h"
#include "platform/message_help.h"

namespace {

constexpr int IDC_FOLDERS = 1349;
constexpr int IDC_DOWN = 1350;
constexpr int IDC_UP = 1351;
constexpr int IDC_DELETE = 1352;
constexpr int IDC_NEW = 1353;
constexpr unsigned IDS_NO_DIRECTORY = 128;
CVL_MESSAGE_HELP(IDS_NO_DIRECTORY);
constexpr int kBrowseWidth = 20;

}  // namespace

// ---- the list box --------------------------------------------------------------------------------------

CFolderListBox::CFolderListBox(wxWindow* parent, int id, CImageFolderList& model)
    : wxListBox(parent, id, wxDefaultPosition, wxSize(320, 160), 0, nullptr, wxLB_SINGLE), m_model(model) {
    Bind(wxEVT_LEFT_DOWN, &CFolderListBox::OnClick, this);
    Bind(wxEVT_KEY_DOWN, &CFolderListBox::OnKey, this);
    Bind(wxEVT_LISTBOX, [this](wxCommandEvent& e) {
        e.Skip();
        m_model.Select(GetSelection());
        if (onChanged) onChanged();
    });
    Bind(wxEVT_SET_FOCUS, [this](wxFocusEvent& e) {
        e.Skip();
        m_nLastClicked = -1;
    });
    ShowModel();
}

void CFolderListBox::ShowModel() {
    Clear();
    for (const WString& entry : m_model.Entries()) Append(ToWx(entry));
    if (m_model.GetSelection() >= 0) SetSelection(m_model.GetSelection());
}

void CFolderListBox::Changed() {
    ShowModel();
    if (onChanged) onChanged();
}

void CFolderListBox::BeginEdit(int index) {
    if (m_pEdit) EndEdit();
    if (!m_model.BeginEdit(index)) return;
    ShowModel();
    // The entry's line: the edit over it and the browse button at its right end. A list box holds no
    // child windows here, so both belong to its parent and lie over it.
    const int line = GetCharHeight() + 4;
    const int top = std::max(0, (index - GetTopItem()) * line);
    const int width = GetClientSize().x;
    const wxPoint origin = GetPosition() + GetClientAreaOrigin();
    m_pEdit =
        new wxTextCtrl(GetParent(), 1, ToWx(m_model.Entries()[size_t(index)]), origin + wxPoint(1, top + 1),
                       wxSize(width - kBrowseWidth - 2, line), wxTE_PROCESS_ENTER);
    m_pBrowse = new wxButton(GetParent(), 2, "...", origin + wxPoint(width - kBrowseWidth - 1, top + 1),
                             wxSize(kBrowseWidth, line));
    m_pEdit->Raise();
    m_pBrowse->Raise();
    m_pEdit->Bind(wxEVT_TEXT_ENTER, [this](wxCommandEvent&) { CallAfter([this] { EndEdit(); }); });
    m_pEdit->Bind(wxEVT_KEY_DOWN, [this](wxKeyEvent& e) {
        if (e.GetKeyCode() == WXK_ESCAPE)
            CallAfter([this] { CancelEdit(); });
        else
            e.Skip();
    });
    m_pBrowse->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnBrowse(); });
    m_pEdit->SetFocus();
    m_pEdit->SelectAll();
    if (onChanged) onChanged();
}

void CFolderListBox::EndEdit() {
    if (!m_pEdit) return;
    const WString text = FromWx(m_pEdit->GetValue());
    m_pEdit->Destroy();
    m_pBrowse->Destroy();
    m_pEdit = nullptr;
    m_pBrowse = nullptr;
    m_model.EndEdit(text, confirmMissing);
    Changed();
}

void CFolderListBox::CancelEdit() {
    if (!m_pEdit) return;
    m_pEdit->Destroy();
    m_pBrowse->Destroy();
    m_pEdit = nullptr;
    m_pBrowse = nullptr;
    m_model.CancelEdit();
    Changed();
}

// The entry under edit is finished first, so a delete or move never acts on a half-typed entry.
void CFolderListBox::DeleteSelected() {
    EndEdit();
    if (m_model.Delete()) Changed();
}

void CFolderListBox::MoveItemUp() {
    EndEdit();
    if (m_model.MoveUp()) Changed();
    SetFocus();
}

void CFolderListBox::MoveItemDown() {
    EndEdit();
    if (m_model.MoveDown()) Changed();
    SetFocus();
}

void CFolderListBox::OnBrowse() {
    if (!m_pEdit) return;
    wxDirDialog dialog(this, "Browse for image folder", m_pEdit->GetValue(), wxDD_DEFAULT_STYLE);
    if (CvlRunModal(dialog) != wxID_OK) return;
    m_pEdit->ChangeValue(dialog.GetPath());
    m_pEdit->SetFocus();
    m_pEdit->SelectAll();
    if (onChanged) onChanged();
}

void CFolderListBox::OnClick(wxMouseEvent& event) {
    event.Skip();
    if (m_pEdit) EndEdit();
    const int hit = HitTest(event.GetPosition());
    if (hit == wxNOT_FOUND) return;
    // A second click on the same entry edits it.
    if (hit == m_nLastClicked)
        CallAfter([this, hit] { BeginEdit(hit); });
    else
        m_nLastClicked = hit;
}

void CFolderListBox::OnKey(wxKeyEvent& event) {
    if (event.GetKeyCode() == WXK_DELETE) {
        DeleteSelected();
    } else if (event.AltDown() && event.GetKeyCode() == WXK_UP) {
        MoveItemUp();
    } else if (event.AltDown() && event.GetKeyCode() == WXK_DOWN) {
        MoveItemDown();
    } else if (event.GetKeyCode() == WXK_RETURN) {
        EndEdit();
    } else {
        event.Skip();
    }
}

// ---- the page ------------------------------------------------------------------------------------------

CImagePathPage::CImagePathPage(const std::vector<WString>& folders, Store store)
    : CCvlPropertyPage(263), m_model(folders), m_store(std::move(store)) {
    SetCaption(u"Images");
}

using ImagePathPageHelp = CvlControlHelp<IDC_FOLDERS, IDC_NEW, IDC_UP, IDC_DOWN, IDC_DELETE>;
CVL_HELP_TABLE(ImagePathPageHelp::table);

const CvlHelpPair* CImagePathPage::GetHelpTable() const {
    return ImagePathPageHelp::table;
}

wxWindow* CImagePathPage::GetButton(int id) const {
    return GetWindow() ? GetWindow()->FindWindow(id) : nullptr;
}

void CImagePathPage::OnCreateControls(wxPanel* panel) {
    auto* top = new wxBoxSizer(wxVERTICAL);
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticText(panel, wxID_ANY, "&Directories:"), 1, wxALIGN_BOTTOM);
    const struct {
        int id;
        wxArtID art;
        const char* tip;
        void (CImagePathPage::*press)();
    } buttons[] = {{IDC_NEW, wxART_NEW, "New", &CImagePathPage::PressNew},
                   {IDC_DELETE, wxART_DELETE, "Delete (Delete)", &CImagePathPage::PressDelete},
                   {IDC_UP, wxART_GO_UP, "Up (Alt+Up)", &CImagePathPage::PressUp},
                   {IDC_DOWN, wxART_GO_DOWN, "Down (Alt+Down)", &CImagePathPage::PressDown}};
    for (const auto& b : buttons) {
        auto* button = new CHoverBitmapButton(panel, b.id, wxArtProvider::GetBitmap(b.art, wxART_BUTTON));
        button->SetToolTip(b.tip);
        button->Bind(wxEVT_BUTTON, [this, press = b.press](wxCommandEvent&) { (this->*press)(); });
        row->Add(button, 0, wxLEFT, 2);
    }
    top->Add(row, 0, wxEXPAND | wxALL, 6);
    m_pList = new CFolderListBox(panel, IDC_FOLDERS, m_model);
    m_pList->onChanged = [this] { UpdateButtons(); };
    m_pList->confirmMissing = [](const WString& folder) {
        return CvlMessageBox(IDS_NO_DIRECTORY, {folder}, MB_YESNO | MB_ICONQUESTION | MB_HELP) == IDYES;
    };
    top->Add(m_pList, 1, wxEXPAND | wxALL, 6);
    panel->SetSizer(top);
    UpdateButtons();
}

void CImagePathPage::UpdateButtons() {
    if (wxWindow* up = GetButton(IDC_UP)) up->Enable(m_model.CanMoveUp());
    if (wxWindow* down = GetButton(IDC_DOWN)) down->Enable(m_model.CanMoveDown());
    if (wxWindow* del = GetButton(IDC_DELETE)) del->Enable(m_model.CanDelete());
}

void CImagePathPage::PressNew() {
    m_pList->EndEdit();
    m_model.New();
    m_pList->BeginEdit(m_model.GetEditIndex());
}

void CImagePathPage::PressDelete() {
    m_pList->DeleteSelected();
}

void CImagePathPage::PressUp() {
    m_pList->MoveItemUp();
}

void CImagePathPage::PressDown() {
    m_pList->MoveItemDown();
}

bool CImagePathPage::OnApply() {
    m_pList->EndEdit();
    if (m_store) m_store(m_model.Result());
    return true;
}
