#include <wx/button.h>
#include <wx/sizer.h>

#include "document/sheep_doc.h"
#include "views/event_list_box.h"
#include "views/record_pages.h"
#include "views/record_view.h"

CSheepViewEventTab::CSheepViewEventTab(wxWindow* sheet, CSheepView* view)
    : CSheepViewPage(sheet, view, PAGE_HISTORY, "History") {
    auto* top = new wxBoxSizer(wxVERTICAL);
    CreateHeader(top, false);
    m_pList = new CEventListBox(this, IDC_HISTORY_LIST);
    m_pList->SetDocument(GetCore(), view);
    top->Add(m_pList, 1, wxEXPAND | wxLEFT | wxRIGHT, 6);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    const int ids[3] = {IDC_HISTORY_ADD, IDC_HISTORY_EDIT, IDC_HISTORY_DELETE};
    const char* labels[3] = {"&Add...", "&Edit...", "&Delete..."};
    for (unsigned key = 0; key < 3; ++key) {
        m_pButtons[key] = new wxButton(this, ids[key], labels[key]);
        buttons->Add(m_pButtons[key], 0, wxRIGHT, 6);
        m_pList->RegisterButton(key, m_pButtons[key]);
        m_pButtons[key]->Bind(wxEVT_BUTTON, [this, key](wxCommandEvent&) { m_pList->DoButton(key); });
    }
    top->Add(buttons, 0, wxALL, 6);
    SetSizer(top);
    // The list's edits wait to be written like a typed field: leaving the list, a move to another
    // animal or a change elsewhere writes them into the animal the list shows.
    WatchEdit(m_pList, [this] {
        SaveSheep(GetShownSheep());
        return true;
    });
    m_pList->SetEditedHandler([this] { SetPending(m_pList, true); });
}

void CSheepViewEventTab::ShowSheep(CSheep* sheep) {
    CSheepViewPage::ShowSheep(sheep);
    m_pList->SetDocument(GetCore(), GetView());
    m_pList->Show(sheep != nullptr);
    m_pList->Load(sheep);
    Layout();
}

void CSheepViewEventTab::SaveSheep(CSheep*) {
    if (!m_pList->GetList().IsChanged()) return;
    SetPending(m_pList, false);
    m_pList->GetList().Save(GetCore(), GetView());
}
