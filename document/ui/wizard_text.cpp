#include "document/ui/wizard_text.h"

#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

namespace {
constexpr int IDC_TITLE_TEXT = 1404;
}  // namespace

void CvlAddWizardTitle(wxPanel* panel, wxSizer* sizer, const wxString& text) {
    auto* title = new wxStaticText(panel, IDC_TITLE_TEXT, text);
    title->SetFont(wxFont(wxFontInfo(12).FaceName("Verdana").Bold()));
    sizer->Add(title, 0, wxALL, 12);
}

void CvlAddWizardText(wxPanel* panel, wxSizer* sizer, const wxString& text) {
    auto* label = new wxStaticText(panel, wxID_ANY, text);
    label->Wrap(420);
    sizer->Add(label, 0, wxLEFT | wxRIGHT | wxBOTTOM, 12);
}
