#include "views/record_page.h"

#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

#include "document/sheep_doc.h"
#include "document/ui/wx_strings.h"
#include "records/sheep.h"
#include "views/record_view.h"

CSheepViewPage::CSheepViewPage(wxWindow* sheet, CSheepView* view, RecordPageId id, const wxString& caption)
    : wxPanel(sheet, wxID_ANY), m_pView(view), m_id(id), m_caption(caption) {}

CSheepViewPage::~CSheepViewPage() = default;

CSheepDoc* CSheepViewPage::GetCore() const {
    return m_pView->GetCore();
}

CSheep* CSheepViewPage::GetCurrentSheep() const {
    return m_pView->GetCurrentSheep();
}

void CSheepViewPage::CreateHeader(wxSizer* sizer, bool editable) {
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    const auto label = [&](const char* text) {
        row->Add(new wxStaticText(this, wxID_ANY, text), 0, wxALIGN_CENTER_VERTICAL | wxLEFT | wxRIGHT, 4);
    };
    label("Tattoo:");
    m_pTattoo = new wxTextCtrl(this, IDC_HEADER_TATTOO, wxEmptyString, wxDefaultPosition, wxSize(110, -1),
                               editable ? 0 : wxTE_READONLY);
    row->Add(m_pTattoo, 0, wxALIGN_CENTER_VERTICAL);
    const wxString sexes[] = {"Ewe", "Ram"};
    m_pSex = new wxChoice(this, IDC_HEADER_SEX, wxDefaultPosition, wxDefaultSize, 2, sexes);
    m_pSex->Enable(editable);
    row->Add(m_pSex, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 6);
    label("Name:");
    m_pName = new wxTextCtrl(this, IDC_HEADER_NAME, wxEmptyString, wxDefaultPosition, wxSize(160, -1),
                             editable ? 0 : wxTE_READONLY);
    row->Add(m_pName, 1, wxALIGN_CENTER_VERTICAL);
    label("1of:");
    m_pOneOf = new wxTextCtrl(this, IDC_HEADER_ONE_OF, wxEmptyString, wxDefaultPosition, wxSize(50, -1),
                              editable ? 0 : wxTE_READONLY);
    row->Add(m_pOneOf, 0, wxALIGN_CENTER_VERTICAL);
    sizer->Add(row, 0, wxEXPAND | wxALL, 6);
}

void CSheepViewPage::ShowSheep(CSheep* sheep) {
    m_shown = CRefPtr<CSheep>(sheep);
    for (Watched& watched : m_watched) watched.pending = false;
    if (!m_pTattoo) return;
    m_pTattoo->ChangeValue(sheep ? ToWx(sheep->GetTattoo()) : wxString());
    m_pSex->SetSelection(sheep && (sheep->GetSex() == SEX_EWE || sheep->GetSex() == SEX_RAM) ? sheep->GetSex()
                                                                                           : wxNOT_FOUND);
    m_pName->ChangeValue(sheep ? ToWx(sheep->GetName()) : wxString());
    m_pOneOf->ChangeValue(sheep ? wxString::Format("%d", sheep->GetOneOf()) : wxString("0"));
}

void CSheepViewPage::WatchEdit(wxWindow* control, std::function<bool()> write) {
    m_watched.push_back({control, std::move(write)});
    const auto changed = [this, control](wxCommandEvent& event) {
        event.Skip();
        SetPending(control, true);
        if (CSheepDoc* core = GetCore()) core->SetModifiedFlag();
    };
    if (dynamic_cast<wxTextCtrl*>(control))
        control->Bind(wxEVT_TEXT, changed);
    else if (dynamic_cast<wxChoice*>(control))
        control->Bind(wxEVT_CHOICE, changed);
    // The focus-out arrives late on GTK, after the view may have moved on: a move commits first,
    // so by then the control holds nothing pending and the late call does nothing.
    control->Bind(wxEVT_KILL_FOCUS, [this, control](wxFocusEvent& event) {
        event.Skip();
        CallAfter([this, control] {
            if (Watched* watched = Find(control); watched && watched->pending) Write(*watched);
        });
    });
}

CSheepViewPage::Watched* CSheepViewPage::Find(const wxWindow* control) {
    const auto it =
        std::find_if(m_watched.begin(), m_watched.end(), [control](const Watched& w) { return w.control == control; });
    return it == m_watched.end() ? nullptr : &*it;
}

void CSheepViewPage::SetPending(wxWindow* control, bool pending) {
    if (Watched* watched = Find(control)) watched->pending = pending;
}

bool CSheepViewPage::IsPending(const wxWindow* control) const {
    return std::any_of(m_watched.begin(), m_watched.end(),
                       [control](const Watched& w) { return w.control == control && w.pending; });
}

bool CSheepViewPage::HasPendingEdits() const {
    return std::any_of(m_watched.begin(), m_watched.end(), [](const Watched& w) { return w.pending; });
}

void CSheepViewPage::Write(Watched& watched) {
    if (watched.writing || !m_shown) return;
    watched.writing = true;
    watched.pending = false;
    if (!watched.write()) watched.pending = true;
    watched.writing = false;
}

void CSheepViewPage::CommitPendingEdits() {
    // The focused control first: its refusal is the one the user is looking at.
    wxWindow* focus = wxWindow::FindFocus();
    if (Watched* watched = Find(focus); watched && watched->pending) Write(*watched);
    for (Watched& watched : m_watched)
        if (watched.pending) Write(watched);
}

void CSheepViewPage::DiscardPendingEdits() {
    for (Watched& watched : m_watched) watched.pending = false;
}

void CSheepViewPage::OnPageActivated() {
    m_pView->GetNavigator().ClearVeto();
    ShowSheep(GetCurrentSheep());
}

void CSheepViewPage::OnPageDeactivated() {
    CommitPendingEdits();
    SaveSheep(GetCurrentSheep());
}

void CSheepViewPage::AnimalChanged(CSheep* sheep) {
    CSheepDoc* core = GetCore();
    if (!core) return;
    core->SetModifiedFlag();
    core->UpdateAllViews(m_pView, HINT_SHEEP, sheep);
}

void CSheepViewPage::Veto() {
    m_pView->GetNavigator().SetVeto();
}
