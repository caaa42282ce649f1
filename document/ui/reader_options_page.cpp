#include "document/ui/reader_options_page.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <cstdlib>

#include "document/reader_manager.h"
#include "document/ui/wx_strings.h"
#include "platform/host.h"
#include "platform/strings.h"

namespace {

constexpr unsigned IDD_EID_READER = 282;
constexpr int IDC_EID_PORT = 1393;
constexpr int IDC_EID_CONFIGURE = 1395;
constexpr int IDC_EID_MAKER = 1397;
constexpr int IDC_EID_MODEL = 1399;
constexpr int IDC_EID_TEST = 1401;
constexpr unsigned IDS_VIEW_OPTIONS = 288;

constexpr uint32_t kBauds[] = {110, 300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400};
const char* const kParities[] = {"None", "Odd", "Even", "Mark", "Space"};
const char* const kStopBits[] = {"1", "1.5", "2"};
const char* const kFlows[] = {"None", "Xon / Xoff", "Hardware"};

void Fill(wxChoice* choice, const std::vector<WString>& items, int selection, bool enabled) {
    choice->Clear();
    for (const WString& item : items) choice->Append(ToWx(item));
    choice->SetSelection(selection >= 0 && selection < int(items.size()) ? selection : wxNOT_FOUND);
    choice->Enable(enabled);
}

}  // namespace

CEIDReaderOptions::CEIDReaderOptions(CEIDReaderManager& manager)
    : CCvlPropertyPage(IDD_EID_READER), m_model(manager) {
    SetCaption(u"EID Reader");
}

void CEIDReaderOptions::OnCreateControls(wxPanel* panel) {
    auto* grid = new wxFlexGridSizer(2, 8, 8);
    grid->AddGrowableCol(1);
    const auto add = [&](const char* label, int id) {
        grid->Add(new wxStaticText(panel, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
        auto* choice = new wxChoice(panel, id, wxDefaultPosition, wxSize(280, -1));
        grid->Add(choice, 1, wxEXPAND);
        return choice;
    };
    m_pMaker = add("Manufacturer", IDC_EID_MAKER);
    m_pModel = add("Model", IDC_EID_MODEL);
    m_pPort = add("Com Port", IDC_EID_PORT);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    m_pTest = new wxButton(panel, IDC_EID_TEST, "&Test");
    m_pConfigure = new wxButton(panel, IDC_EID_CONFIGURE, "&Configure");
    buttons->Add(m_pTest, 0, wxRIGHT, 8);
    buttons->Add(m_pConfigure);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid, 0, wxEXPAND | wxALL, 12);
    sizer->Add(buttons, 0, wxALIGN_RIGHT | wxLEFT | wxRIGHT | wxBOTTOM, 12);
    panel->SetSizer(sizer);

    m_pMaker->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) {
        m_model.SelectMaker(m_pMaker->GetSelection());
        Show();
    });
    m_pModel->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) {
        m_model.SelectModel(m_pModel->GetSelection());
        Show();
    });
    m_pPort->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) {
        m_model.SelectPort(m_pPort->GetSelection());
        Show();
    });
    m_pTest->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnTest(); });
    m_pConfigure->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnConfigure(); });

    m_model.Init();
    Show();
}

using EIDReaderOptionsHelp =
    CvlControlHelp<IDC_EID_PORT, IDC_EID_CONFIGURE, IDC_EID_MAKER, IDC_EID_MODEL, IDC_EID_TEST>;
CVL_HELP_TABLE(EIDReaderOptionsHelp::table);

const CvlHelpPair* CEIDReaderOptions::GetHelpTable() const {
    return EIDReaderOptionsHelp::table;
}

void CEIDReaderOptions::Show() {
    if (!m_pMaker) return;
    Fill(m_pMaker, m_model.GetMakers(), m_model.GetMakerSelection(), m_model.IsMakerEnabled());
    Fill(m_pModel, m_model.GetModels(), m_model.GetModelSelection(), m_model.IsModelEnabled());
    Fill(m_pPort, m_model.GetPorts(), m_model.GetPortSelection(), m_model.IsPortEnabled());
    m_pTest->Enable(m_model.IsTestEnabled());
    m_pConfigure->Enable(m_model.IsConfigureEnabled());
}

void CEIDReaderOptions::OnConfigure() {
    COMMCONFIG& config = m_model.GetCommConfig();
    CPortSettingsDlg dialog(GetWindow(), m_model.GetPortName(), config.dcb);
    const bool accepted = CvlRunModal(dialog) == wxID_OK;
    if (accepted) dialog.ApplyTo(config.dcb);
    m_model.OnConfigured(accepted);
}

void CEIDReaderOptions::OnTest() {
    m_model.Test();
    Show();
}

bool CEIDReaderOptions::OnApply() {
    return m_model.Apply();
}

bool CEIDReaderOptions::OnKillActive() {
    const unsigned complaint = m_model.CheckLeave();
    if (complaint == 0) return true;
    CvlMessageBox(complaint);
    if (wxChoice* focus = m_model.GetMakerSelection() <= 0 ? m_pMaker : m_pModel) focus->SetFocus();
    return false;
}

CPortSettingsDlg::CPortSettingsDlg(wxWindow* parent, const WString& port, const DCB& dcb)
    : wxDialog(parent, wxID_ANY, ToWx(port) + " Properties") {
    const CPortSettings settings = CPortSettings::FromDcb(dcb);
    auto* grid = new wxFlexGridSizer(2, 8, 8);
    grid->AddGrowableCol(1);
    const auto label = [&](const char* text) {
        grid->Add(new wxStaticText(this, wxID_ANY, text), 0, wxALIGN_CENTER_VERTICAL);
    };
    label("&Bits per second:");
    m_pBaud = new wxComboBox(this, wxID_ANY, wxString::Format("%u", settings.baud));
    for (uint32_t baud : kBauds) m_pBaud->Append(wxString::Format("%u", baud));
    grid->Add(m_pBaud, 1, wxEXPAND);
    label("&Data bits:");
    m_pDataBits = new wxChoice(this, wxID_ANY);
    for (int bits = 5; bits <= 8; ++bits) m_pDataBits->Append(wxString::Format("%d", bits));
    m_pDataBits->SetSelection(settings.dataBits >= 5 && settings.dataBits <= 8 ? settings.dataBits - 5 : 3);
    grid->Add(m_pDataBits, 1, wxEXPAND);
    label("&Parity:");
    m_pParity = new wxChoice(this, wxID_ANY);
    for (const char* parity : kParities) m_pParity->Append(parity);
    m_pParity->SetSelection(settings.parity <= 4 ? settings.parity : 0);
    grid->Add(m_pParity, 1, wxEXPAND);
    label("&Stop bits:");
    m_pStopBits = new wxChoice(this, wxID_ANY);
    for (const char* stop : kStopBits) m_pStopBits->Append(stop);
    m_pStopBits->SetSelection(settings.stopBits <= 2 ? settings.stopBits : 0);
    grid->Add(m_pStopBits, 1, wxEXPAND);
    label("&Flow control:");
    m_pFlow = new wxChoice(this, wxID_ANY);
    for (const char* flow : kFlows) m_pFlow->Append(flow);
    m_pFlow->SetSelection(int(settings.flow));
    grid->Add(m_pFlow, 1, wxEXPAND);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid, 1, wxEXPAND | wxALL, 12);
    sizer->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 8);
    SetSizerAndFit(sizer);
}

bool CPortSettingsDlg::TransferDataFromWindow() {
    unsigned long baud = 0;
    if (!m_pBaud->GetValue().ToULong(&baud) || baud == 0 || baud > 4000000) {
        CvlMessageBoxText(u"Please enter a speed in bits per second.", MB_ICONEXCLAMATION);
        m_pBaud->SetFocus();
        return false;
    }
    return true;
}

void CPortSettingsDlg::ApplyTo(DCB& dcb) const {
    CPortSettings settings = CPortSettings::FromDcb(dcb);
    unsigned long baud = 0;
    if (m_pBaud->GetValue().ToULong(&baud) && baud > 0) settings.baud = uint32_t(baud);
    settings.dataBits = uint8_t(5 + std::max(0, m_pDataBits->GetSelection()));
    settings.parity = uint8_t(std::max(0, m_pParity->GetSelection()));
    settings.stopBits = uint8_t(std::max(0, m_pStopBits->GetSelection()));
    settings.flow = CPortSettings::Flow(std::max(0, m_pFlow->GetSelection()));
    settings.ApplyTo(dcb);
}

void RunReaderOptionsSheet(wxWindow* parent, CEIDReaderManager& manager) {
    CCvlPropertySheet sheet(parent, LoadCvlString(IDS_VIEW_OPTIONS), false);
    CEIDReaderOptions page(manager);
    sheet.AddPage(&page);
    sheet.DoModal();
}
