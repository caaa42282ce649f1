#include "shell/customize_toolbar_dlg.h"

#include <wx/button.h>
#include <algorithm>
#include <wx/listbox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

CCustomizeToolbarDlg::CCustomizeToolbarDlg(wxWindow* parent, const std::vector<int>& current, LabelOf labelOf,
                                           Apply apply, std::function<void()> help)
    : wxDialog(parent, wxID_ANY, "Customize Toolbar"),
      m_layout(current),
      m_labelOf(std::move(labelOf)),
      m_apply(std::move(apply)) {
    auto* lists = new wxBoxSizer(wxHORIZONTAL);
    auto* left = new wxBoxSizer(wxVERTICAL);
    left->Add(new wxStaticText(this, wxID_ANY, "A&vailable toolbar buttons:"), 0, wxBOTTOM, 4);
    m_pAvailable = new wxListBox(this, wxID_ANY, wxDefaultPosition, wxSize(180, 240));
    left->Add(m_pAvailable, 1, wxEXPAND);
    auto* middle = new wxBoxSizer(wxVERTICAL);
    m_pAdd = new wxButton(this, wxID_ANY, "&Add ->");
    m_pRemove = new wxButton(this, wxID_ANY, "<- &Remove");
    middle->AddStretchSpacer();
    middle->Add(m_pAdd, 0, wxEXPAND | wxBOTTOM, 6);
    middle->Add(m_pRemove, 0, wxEXPAND);
    middle->AddStretchSpacer();
    auto* right = new wxBoxSizer(wxVERTICAL);
    right->Add(new wxStaticText(this, wxID_ANY, "&Toolbar buttons:"), 0, wxBOTTOM, 4);
    m_pCurrent = new wxListBox(this, wxID_ANY, wxDefaultPosition, wxSize(180, 240));
    right->Add(m_pCurrent, 1, wxEXPAND);
    auto* side = new wxBoxSizer(wxVERTICAL);
    auto* close = new wxButton(this, wxID_CLOSE, "&Close");
    auto* reset = new wxButton(this, wxID_ANY, "R&eset");
    auto* helpButton = new wxButton(this, wxID_HELP, "&Help");
    m_pUp = new wxButton(this, wxID_ANY, "Move &Up");
    m_pDown = new wxButton(this, wxID_ANY, "Move &Down");
    for (wxButton* button : {close, reset, helpButton}) side->Add(button, 0, wxEXPAND | wxBOTTOM, 6);
    side->AddStretchSpacer();
    side->Add(m_pUp, 0, wxEXPAND | wxBOTTOM, 6);
    side->Add(m_pDown, 0, wxEXPAND);
    lists->Add(left, 1, wxEXPAND | wxALL, 8);
    lists->Add(middle, 0, wxEXPAND | wxTOP | wxBOTTOM, 8);
    lists->Add(right, 1, wxEXPAND | wxALL, 8);
    lists->Add(side, 0, wxEXPAND | wxALL, 8);
    SetSizerAndFit(lists);
    SetEscapeId(wxID_CLOSE);
    SetAffirmativeId(wxID_CLOSE);

    m_pAdd->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnAdd(); });
    m_pRemove->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnRemove(); });
    m_pUp->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnMoveUp(); });
    m_pDown->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnMoveDown(); });
    reset->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnReset(); });
    helpButton->Bind(wxEVT_BUTTON, [help](wxCommandEvent&) {
        if (help) help();
    });
    m_pAvailable->Bind(wxEVT_LISTBOX_DCLICK, [this](wxCommandEvent&) { OnAdd(); });
    m_pCurrent->Bind(wxEVT_LISTBOX_DCLICK, [this](wxCommandEvent&) { OnRemove(); });
    m_pAvailable->Bind(wxEVT_LISTBOX, [this](wxCommandEvent&) { UpdateButtons(); });
    m_pCurrent->Bind(wxEVT_LISTBOX, [this](wxCommandEvent&) { UpdateButtons(); });
    Fill(0);
}

void CCustomizeToolbarDlg::Fill(int currentSelection, int availableSelection) {
    m_pAvailable->Clear();
    for (int command : m_layout.GetAvailable()) m_pAvailable->Append(m_labelOf(command));
    m_pCurrent->Clear();
    for (int command : m_layout.GetCurrent()) m_pCurrent->Append(m_labelOf(command));
    m_pCurrent->Append(wxString());
    m_pAvailable->SetSelection(std::min(availableSelection, int(m_pAvailable->GetCount()) - 1));
    m_pCurrent->SetSelection(std::clamp(currentSelection, 0, int(m_pCurrent->GetCount()) - 1));
    UpdateButtons();
}

void CCustomizeToolbarDlg::UpdateButtons() {
    const int current = m_pCurrent->GetSelection();
    const int count = int(m_layout.GetCurrent().size());
    const bool onBar = current != wxNOT_FOUND && current < count;
    m_pAdd->Enable(m_pAvailable->GetSelection() != wxNOT_FOUND && current != wxNOT_FOUND);
    m_pRemove->Enable(onBar);
    m_pUp->Enable(onBar && current > 0);
    m_pDown->Enable(onBar && current + 1 < count);
}

void CCustomizeToolbarDlg::Changed(int currentSelection, int availableSelection) {
    Fill(currentSelection, availableSelection);
    if (m_apply) m_apply(m_layout.GetCurrent());
}

void CCustomizeToolbarDlg::OnAdd() {
    const int chosen = m_pAvailable->GetSelection();
    const int at = m_pCurrent->GetSelection();
    if (chosen == wxNOT_FOUND || at == wxNOT_FOUND) return;
    const std::vector<int> available = m_layout.GetAvailable();
    if (!m_layout.Add(available[size_t(chosen)], size_t(at))) return;
    // The added button stays selected; the separator stays available.
    Changed(at, chosen == 0 ? 0 : std::min(chosen, int(available.size()) - 2));
}

void CCustomizeToolbarDlg::OnRemove() {
    const int at = m_pCurrent->GetSelection();
    if (at == wxNOT_FOUND || !m_layout.Remove(size_t(at))) return;
    Changed(at);
}

void CCustomizeToolbarDlg::OnMoveUp() {
    const int at = m_pCurrent->GetSelection();
    if (at == wxNOT_FOUND || !m_layout.MoveUp(size_t(at))) return;
    Changed(at - 1);
}

void CCustomizeToolbarDlg::OnMoveDown() {
    const int at = m_pCurrent->GetSelection();
    if (at == wxNOT_FOUND || !m_layout.MoveDown(size_t(at))) return;
    Changed(at + 1);
}

void CCustomizeToolbarDlg::OnReset() {
    m_layout.Reset();
    Changed(0);
}
