#include "wyndrace/upload_wizard.h"

#include <wx/app.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/thread.h>

#include "document/ui/wx_strings.h"
#include "platform/host.h"
#include "platform/strings.h"

namespace {

constexpr unsigned IDS_UPLOAD_CAPTION = 22;
constexpr unsigned IDS_UPLOAD_SUBTITLE = 23;
constexpr unsigned IDS_UPLOAD_TITLE = 24;
constexpr unsigned IDS_CHOICE_TITLE = 27;
constexpr unsigned IDS_CHOICE_SUBTITLE = 28;
constexpr unsigned IDS_UPLOADED = 35;

constexpr unsigned IDD_WELCOME = 106;
constexpr unsigned IDD_FINISH = 108;
constexpr unsigned IDD_CHOICE = 109;
constexpr int IDC_TITLE = 2003;
constexpr int IDC_ALL = 2005;
constexpr int IDC_SELECTED = 2006;
constexpr int IDC_COUNT = 2009;

wxStaticText* AddTitle(wxPanel* panel, wxSizer* sizer, const wxFont& font, const wxString& text) {
    auto* title = new wxStaticText(panel, IDC_TITLE, text);
    title->SetFont(font);
    sizer->Add(title, 0, wxALL, 12);
    return title;
}

}  // namespace

wxFont WizardTitleFont() {
    wxFont font(wxFontInfo(12).Bold().FaceName("Verdana"));
    return font.IsOk() ? font : wxFont(wxFontInfo(12).Bold().Family(wxFONTFAMILY_SWISS));
}

// ---- welcome -------------------------------------------------------------------------------------

CWizardTextPage::CWizardTextPage(unsigned pageId, WString title, WString text, unsigned buttons)
    : CCvlPropertyPage(pageId), m_title(std::move(title)), m_text(std::move(text)), m_buttons(buttons) {
    SetHeaderHidden(true);
}

void CWizardTextPage::OnCreateControls(wxPanel* panel) {
    m_titleFont = WizardTitleFont();
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    AddTitle(panel, sizer, m_titleFont, ToWx(m_title));
    sizer->Add(new wxStaticText(panel, wxID_ANY, ToWx(m_text)), 0, wxALL, 12);
    panel->SetSizer(sizer);
}

void CWizardTextPage::OnSetActive() {
    if (CSheetFlow* flow = GetSheet()) flow->SetWizardButtons(m_buttons);
}

// ---- choice of records ---------------------------------------------------------------------------

CUploadWizard2::CUploadWizard2(CUploadWizard& sheet, const WString& port, const COMMCONFIG* config)
    : CCvlPropertyPage(IDD_CHOICE), m_sheet(sheet), m_port(port) {
    if (config) m_config = *config;
    SetHeader(WyndraceString(IDS_CHOICE_TITLE), WyndraceString(IDS_CHOICE_SUBTITLE));
    SetHasHelp(false);
}

void CUploadWizard2::OnCreateControls(wxPanel* panel) {
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    m_pAll = new wxRadioButton(panel, IDC_ALL, "I want all records displayed in the view", wxDefaultPosition,
                               wxDefaultSize, wxRB_GROUP);
    m_pSelected = new wxRadioButton(panel, IDC_SELECTED, "I want only the records I have selected");
    m_pAll->SetValue(true);
    sizer->Add(m_pAll, 0, wxALL, 12);
    sizer->Add(m_pSelected, 0, wxLEFT | wxRIGHT | wxBOTTOM, 12);
    panel->SetSizer(sizer);
}

const CvlHelpPair* CUploadWizard2::GetHelpTable() const {
    return CvlControlHelp<IDC_ALL, IDC_SELECTED>::table;
}

int CUploadWizard2::OnWizardNext() {
    if (!TestDevice(EIDTEST_SHOW_FAILURE, m_port.c_str(), m_config)) return WIZ_STAY;
    m_sheet.universe = m_pSelected && m_pSelected->GetValue() ? EIDSOURCE_SELECTED : EIDSOURCE_ALL;
    return WIZ_NEXT;
}

// ---- finish --------------------------------------------------------------------------------------

CUploadWizard20::CUploadWizard20(CUploadWizard& sheet) : CCvlPropertyPage(IDD_FINISH), m_sheet(sheet) {
    SetHeaderHidden(true);
    SetHasHelp(false);
}

void CUploadWizard20::OnCreateControls(wxPanel* panel) {
    m_titleFont = WizardTitleFont();
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    AddTitle(panel, sizer, m_titleFont, "Completing the Wyndrace 2S Upload Wizard");
    m_pCount = new wxStaticText(panel, IDC_COUNT, "");
    sizer->Add(m_pCount, 0, wxALL, 12);
    sizer->Add(new wxStaticText(panel, wxID_ANY, "To close this wizard, press Finish."), 0, wxALL, 12);
    panel->SetSizer(sizer);
}

void CUploadWizard20::OnSetActive() {
    if (m_pCount) {
        char text[128];
        // The format is our own string table's; the count is a number.
        std::snprintf(text, sizeof text, WToUtf8(WyndraceString(IDS_UPLOADED)).c_str(), m_sheet.transferred);
        m_pCount->SetLabel(wxString::FromUTF8(text));
    }
    if (CSheetFlow* flow = GetSheet()) flow->SetWizardButtons(PSWIZB_BACK | PSWIZB_FINISH);
    m_sheet.SetCancelToClose(true);
}

int CUploadWizard20::OnWizardBack() {
    m_sheet.SetCancelToClose(false);
    return WIZ_NEXT;
}

// ---- the wizard ----------------------------------------------------------------------------------

int32_t RunUploadWizard(const EIDSourceWindow* parent, const char16_t* port, const COMMCONFIG* config,
                        IDocument* doc) {
    // Windows need the program's user-interface thread.
    if (!wxTheApp || !wxIsMainThread()) return 0;
    const EIDSourceWindow source = parent ? *parent : EIDSourceWindow{};
    const WString portName = port ? WString(port) : WString();
    CUploadWizard sheet(static_cast<wxWindow*>(source.window), WyndraceString(IDS_UPLOAD_CAPTION));
    sheet.mode = EID_TRANSFER_UPLOAD;
    CWizardTextPage welcome(IDD_WELCOME, u"Welcome to the Wyndrace 2S Upload Wizard",
                            u"This wizard writes the tattoo and electronic ID of your animals into the\n"
                            u"reader, so that it shows the tattoo of each tag it reads in the field.\n\n"
                            u"The reader's present table is replaced. Animals without an electronic ID\n"
                            u"are not sent.\n\nTo continue, press Next.",
                            PSWIZB_NEXT);
    welcome.SetHasHelp(false);
    CUploadWizard2 choice(sheet, portName, config);
    CUploadWizard10 transfer(sheet, source, portName, config, doc);
    transfer.SetHeader(WyndraceString(IDS_UPLOAD_TITLE), WyndraceString(IDS_UPLOAD_SUBTITLE));
    transfer.SetHasHelp(false);
    CUploadWizard20 finish(sheet);
    sheet.AddPage(&welcome);
    sheet.AddPage(&choice);
    sheet.AddPage(&transfer);
    sheet.AddPage(&finish);
    return sheet.DoModal() == ID_WIZFINISH ? 1 : 0;
}
