#include "wyndrace/download_wizard.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/thread.h>

#include "document/ui/context_help.h"
#include "platform/host.h"
#include "wyndrace/dual_flock.h"
#include "wyndrace/exchanges.h"
#include "wyndrace/ui/control_pages.h"
#include "wyndrace/ui/download_pages.h"
#include "wyndrace/upload_wizard.h"

namespace {

// The reader had nothing but its closing record; Back skips the transfer, which would start again.
class CEmptyDownloadPage : public CWizardTextPage {
public:
    CEmptyDownloadPage()
        : CWizardTextPage(kEmptyDownloadPageId, u"The reader holds no data",
                          u"There was nothing to download.\n\nTo close this wizard, press Finish.",
                          PSWIZB_BACK | PSWIZB_FINISH) {}
    int OnWizardBack() override { return int(kDownloadTypePageId); }
};

// Back from the review and the event-type pages: the pages between are the transfer, which would
// start again, and the empty-download page.
class CReviewPage : public CDownloadWizard11 {
public:
    using CDownloadWizard11::CDownloadWizard11;
    int OnWizardBack() override { return int(kDownloadTypePageId); }
};
class CEventTypePage : public CDownloadWizard15 {
public:
    using CDownloadWizard15::CDownloadWizard15;
    int OnWizardBack() override { return int(kDownloadTypePageId); }
};

// Once the flock may have changed there is nothing left to cancel: Cancel reads Close.
class CApplyPage : public CDownloadWizard12 {
public:
    CApplyPage(CUploadWizard& sheet, CDownloadState& state, IDownloadDocument& doc)
        : CDownloadWizard12(state, doc), m_sheet(sheet) {}
    void OnSetActive() override {
        m_sheet.SetCancelToClose(true);
        CDownloadWizard12::OnSetActive();
    }

private:
    CUploadWizard& m_sheet;
};

}  // namespace

namespace {
constexpr int kMoreInformationId = 2012;
}  // namespace

CDownloadWizard2::CDownloadWizard2(CUploadWizard& sheet, CDownloadState& state)
    : CCvlPropertyPage(kDownloadTypePageId), m_sheet(sheet), m_state(state) {
    SetHeader(WyndraceString(30), WyndraceString(31));
}

void CDownloadWizard2::OnCreateControls(wxPanel* panel) {
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    m_pEquivalence =
        new wxRadioButton(panel, 2008, "The equivalence table", wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    m_pControl = new wxRadioButton(panel, 2009, "The control table");
    m_pErase = new wxCheckBox(panel, 2033, "Erase the control table from the reader after the download");
    m_pControl->SetValue(true);
    m_pErase->SetValue(true);
    sizer->Add(m_pEquivalence, 0, wxALL, 8);
    sizer->Add(m_pControl, 0, wxALL, 8);
    sizer->Add(m_pErase, 0, wxLEFT | wxRIGHT | wxBOTTOM, 24);
    m_pMore = new wxButton(panel, kMoreInformationId, "More Information");
    sizer->Add(m_pMore, 0, wxALL, 8);
    panel->SetSizer(sizer);
    m_pEquivalence->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { UpdateControls(); });
    m_pControl->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { UpdateControls(); });
    m_pMore->Bind(wxEVT_BUTTON, [](wxCommandEvent&) {
        ShowReaderMessage(
            u"The equivalence table pairs each electronic ID with a tattoo: downloading it sets "
            u"the animals' electronic IDs.\n\nThe control table holds the readings taken with the "
            u"reader: downloading it records them as events of the animals they were taken from.",
            MB_ICONINFORMATION);
    });
}

using DownloadTypeHelp = CvlControlHelp<2008, 2009, 2033, kMoreInformationId>;
CVL_HELP_TABLE(DownloadTypeHelp::table);

const CvlHelpPair* CDownloadWizard2::GetHelpTable() const {
    return DownloadTypeHelp::table;
}

void CDownloadWizard2::UpdateControls() {
    m_pErase->Enable(m_pControl->GetValue());
}

int CDownloadWizard2::OnWizardNext() {
    const bool control = m_pControl->GetValue();
    m_sheet.mode = control ? EID_TRANSFER_CONTROL : EID_TRANSFER_EQUIVALENCE;
    m_sheet.eraseAfterDownload = control && m_pErase->GetValue();
    m_state.mode = control ? 2 : 1;
    return WIZ_NEXT;
}

int32_t RunDownloadWizard(const EIDSourceWindow* parent, const char16_t* port, const COMMCONFIG* config,
                          IDocument* doc) {
    if (!wxTheApp || !wxIsMainThread() || !doc) return 0;
    const EIDSourceWindow source = parent ? *parent : EIDSourceWindow{};
    const WString portName = port ? WString(port) : WString();
    CUploadWizard sheet(static_cast<wxWindow*>(source.window), WyndraceString(34));
    sheet.mode = EID_TRANSFER_CONTROL;
    CDualDownloadDocument flock(doc);
    CDownloadState state;
    state.source = &sheet.receivedRecords;

    CWizardTextPage welcome(kDownloadWelcomePageId, u"Welcome to the Wyndrace 2S Download Wizard",
                            u"This wizard brings the data of the reader into the open database: the\n"
                            u"reader's table of electronic IDs and tattoos, or the readings taken in the\n"
                            u"field.\n\nTo continue, press Next.",
                            PSWIZB_NEXT);
    CDownloadWizard2 type(sheet, state);
    CUploadWizard10 transfer(sheet, source, portName, config, doc);
    transfer.SetCaption(WyndraceString(34));
    transfer.SetHeader(WyndraceString(32), WyndraceString(33));
    transfer.SetHasHelp(false);
    CEmptyDownloadPage empty;
    CReviewPage review(state, flock);
    CEventTypePage eventType(state, flock);
    CDownloadWizard16 mapping(state, flock);
    CDownloadWizard17 validation(state, flock);
    CApplyPage apply(sheet, state, flock);
    CDownloadWizard20 finish;
    for (CSheetPage* page : std::initializer_list<CSheetPage*>{
             &welcome, &type, &transfer, &empty, &review, &eventType, &mapping, &validation, &apply, &finish})
        sheet.AddPage(page);
    const int result = sheet.DoModal();
    // Once the flock was changed the host must know, however the wizard was closed.
    return result == ID_WIZFINISH || state.applied ? 1 : 0;
}
