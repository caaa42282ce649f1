// The document tests' breed plug-in with pages of its own for the New Database wizard: two pages of
// the program's page class, each with one edit (control 1500) that must not be left empty.
#define CVLLoadNewDocWizardSheets CVLLoadNewDocWizardSheets_withoutPages
#include "support/plugins/test_breed.cpp"
#undef CVLLoadNewDocWizardSheets

#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

#include "document/ui/sheet.h"

namespace {

int g_livePages = 0;

class FlockBookPage : public CCvlPropertyPage {
public:
    explicit FlockBookPage(int index) : CCvlPropertyPage(700 + unsigned(index)) {
        SetHeader(u"Flock book", u"Enter the flock book number");
        ++g_livePages;
    }
    ~FlockBookPage() override { --g_livePages; }

    bool OnKillActive() override { return m_pEdit && !m_pEdit->GetValue().empty(); }

protected:
    void OnCreateControls(wxPanel* panel) override {
        m_pEdit = new wxTextCtrl(panel, 1500);
        auto* sizer = new wxBoxSizer(wxVERTICAL);
        sizer->Add(m_pEdit, 0, wxEXPAND | wxALL, 12);
        panel->SetSizer(sizer);
    }

private:
    wxTextCtrl* m_pEdit = nullptr;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) CCvlPropertyPage* CVLLoadNewDocWizardSheets(int32_t index,
                                                                                              IDocument*) {
    Log("LoadNewDocWizardSheets(" + Num(index) + ")");
    return index < 2 ? new FlockBookPage(index) : nullptr;
}

// How many of its pages exist: the program must delete every one before it unloads the library.
extern "C" __attribute__((visibility("default"))) int TestBreedLivePages() {
    return g_livePages;
}
