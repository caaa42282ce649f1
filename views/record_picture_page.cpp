#include "views/record_picture_page.h"

#include <wx/artprov.h>
#include <wx/sizer.h>

#include "document/ui/small_controls.h"
#include "records/sheep.h"
#include "views/picture_ctrl.h"

CSheepViewImageTab::CSheepViewImageTab(wxWindow* sheet, CSheepView* view)
    : CSheepViewPage(sheet, view, PAGE_PICTURE, "Picture") {
    auto* top = new wxBoxSizer(wxVERTICAL);
    CreateHeader(top, false);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    m_pPrevious = new CHoverBitmapButton(this, IDC_PICTURE_PREVIOUS,
                                         wxArtProvider::GetBitmap(wxART_GO_BACK, wxART_BUTTON));
    m_pNext = new CHoverBitmapButton(this, IDC_PICTURE_NEXT,
                                     wxArtProvider::GetBitmap(wxART_GO_FORWARD, wxART_BUTTON));
    buttons->Add(m_pPrevious, 0, wxRIGHT, 4);
    buttons->Add(m_pNext, 0);
    top->Add(buttons, 0, wxLEFT | wxRIGHT | wxTOP, 6);
    m_pPicture = new CPictureCtrl(this, IDC_PICTURE);
    top->Add(m_pPicture, 1, wxEXPAND | wxALL, 6);
    SetSizer(top);
    m_pPrevious->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnPrevious(); });
    m_pNext->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnNext(); });
    HideAll();
}

void CSheepViewImageTab::HideAll() {
    m_pPrevious->Hide();
    m_pNext->Hide();
    m_pPicture->Hide();
}

void CSheepViewImageTab::ShowSheep(CSheep* sheep) {
    CSheepViewPage::ShowSheep(sheep);
    if (!sheep) return;
    const size_t count = sheep->FindImages().size();
    m_nIndex = 0;
    if (count == 0) {
        HideAll();
        m_pPicture->Clear();
    } else {
        m_pPrevious->Show(count > 1);
        m_pNext->Show(count > 1);
        m_pPrevious->Enable(false);
        m_pNext->Enable(count > 1);
        ShowPicture(0);
    }
    Layout();
}

void CSheepViewImageTab::ShowPicture(int index) {
    CSheep* sheep = m_shown.Get();
    if (!sheep) return;
    const std::vector<WString>& images = sheep->FindImages();
    if (index < 0 || size_t(index) >= images.size()) return;
    m_pPicture->Refresh();
    // A picture that cannot be opened or read hides the page's controls.
    if (!m_pPicture->LoadFromFile(images[size_t(index)]) || !m_pPicture->HasPicture()) {
        m_pPicture->Clear();
        HideAll();
        return;
    }
    m_pPicture->Show();
}

void CSheepViewImageTab::OnPrevious() {
    if (m_nIndex <= 0) return;
    ShowPicture(--m_nIndex);
    m_pPrevious->Enable(m_nIndex != 0);
    m_pNext->Enable(true);
}

void CSheepViewImageTab::OnNext() {
    CSheep* sheep = m_shown.Get();
    if (!sheep || size_t(m_nIndex) + 1 >= sheep->FindImages().size()) return;
    ShowPicture(++m_nIndex);
    m_pNext->Enable(size_t(m_nIndex) + 1 != sheep->FindImages().size());
    m_pPrevious->Enable(true);
}
