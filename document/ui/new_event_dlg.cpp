#include "document/ui/new_event_dlg.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/datectrl.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "document/sheep_doc.h"
#include "document/ui/context_help.h"
#include "document/ui/sheet.h"
#include "document/ui/wx_strings.h"

namespace {

// The parameter edits and Browse take their own numbers as topics; the labels take their edit's.
constexpr CvlHelpPair kNewEventHelp[] = {
    {IDC_UNIT_LB, CvlControlHelpId(IDC_UNIT_LB)},        {IDC_UNIT_KG, CvlControlHelpId(IDC_UNIT_KG)},
    {IDC_EVENT_DATE, CvlControlHelpId(IDC_EVENT_DATE)},  {IDC_EVENT_COMBO, CvlControlHelpId(IDC_EVENT_COMBO)},
    {IDC_PARAMETER_EDIT1, IDC_PARAMETER_EDIT1},          {IDC_PARAMETER_EDIT1 + 1, IDC_PARAMETER_EDIT1 + 1},
    {IDC_PARAMETER_EDIT1 + 2, IDC_PARAMETER_EDIT1 + 2},  {IDC_EVENT_BROWSE, IDC_EVENT_BROWSE},
    {IDC_PARAMETER_LABEL1, IDC_PARAMETER_EDIT1},         {IDC_PARAMETER_LABEL1 + 1, IDC_PARAMETER_EDIT1 + 1},
    {IDC_PARAMETER_LABEL1 + 2, IDC_PARAMETER_EDIT1 + 2}, {0, 0},
};
CVL_HELP_TABLE(kNewEventHelp);

}  // namespace

CNewEventDlg::CNewEventDlg(CSheepDoc* doc, CNewEventModel& model, wxWindow* parent, CvlAddressPicker picker)
    : wxDialog(parent, wxID_ANY, model.IsNew() ? "New Event" : "Edit Event"),
      m_model(model),
      m_pDoc(doc),
      m_picker(std::move(picker)) {
    if (!m_picker && doc->GetFrame()) m_picker = CvlBrowseAddresses;
    auto* top = new wxBoxSizer(wxVERTICAL);
    auto* grid = new wxFlexGridSizer(3, 6, 8);
    grid->AddGrowableCol(1);
    grid->Add(new wxStaticText(this, wxID_ANY, "Date:"), 0, wxALIGN_CENTER_VERTICAL);
    m_pDate = new wxDatePickerCtrl(this, IDC_EVENT_DATE, ToWxDate(m_model.m_dtEvent));
    grid->Add(m_pDate, 0);
    grid->AddSpacer(0);

    grid->Add(new wxStaticText(this, wxID_ANY, "Event:"), 0, wxALIGN_CENTER_VERTICAL);
    auto* eventCell = new wxBoxSizer(wxVERTICAL);
    m_pEvents = new wxChoice(this, IDC_EVENT_COMBO, wxDefaultPosition, wxSize(240, -1));
    for (const auto& [name, code] : m_model.GetEvents()) m_pEvents->Append(ToWx(name));
    m_pEvents->SetSelection(m_model.GetChosenIndex());
    eventCell->Add(m_pEvents, 0, wxEXPAND);
    m_pEventText = new wxTextCtrl(this, IDC_EVENT_TEXT, ToWx(m_model.m_strEventText), wxDefaultPosition,
                                  wxSize(240, -1), wxTE_READONLY);
    eventCell->Add(m_pEventText, 0, wxEXPAND);
    grid->Add(eventCell, 1, wxEXPAND);
    grid->AddSpacer(0);

    for (int i = 0; i < kShownParameters; ++i) {
        m_pLabels[i] = new wxStaticText(this, IDC_PARAMETER_LABEL1 + i, wxEmptyString, wxDefaultPosition,
                                        wxSize(120, -1));
        grid->Add(m_pLabels[i], 0, wxALIGN_CENTER_VERTICAL);
        m_pEdits[i] = new wxTextCtrl(this, IDC_PARAMETER_EDIT1 + i, ToWx(m_model.m_strParameter[i]));
        grid->Add(m_pEdits[i], 1, wxEXPAND);
        if (i == 0) {
            m_pBrowse = new wxButton(this, IDC_EVENT_BROWSE, "&Browse");
            grid->Add(m_pBrowse);
        } else {
            grid->AddSpacer(0);
        }
    }
    top->Add(grid, 0, wxEXPAND | wxALL, 10);

    auto* units = new wxStaticBoxSizer(wxHORIZONTAL, this, "Units");
    m_pUnits = units->GetStaticBox();
    m_pUnits->SetId(IDC_UNITS_GROUP);
    m_pPounds = new wxRadioButton(m_pUnits, IDC_UNIT_LB, "lb", wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    m_pKilos = new wxRadioButton(m_pUnits, IDC_UNIT_KG, "kg");
    units->Add(m_pPounds, 0, wxALL, 4);
    units->Add(m_pKilos, 0, wxALL, 4);
    (m_model.IsWeightInPounds() ? m_pPounds : m_pKilos)->SetValue(true);
    top->Add(units, 0, wxLEFT | wxRIGHT, 10);

    auto* buttons = new wxStdDialogButtonSizer;
    m_pOk = new wxButton(this, wxID_OK);
    buttons->AddButton(m_pOk);
    buttons->AddButton(new wxButton(this, wxID_CANCEL));
    buttons->Realize();
    top->Add(buttons, 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(top);

    m_pEvents->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { ChooseEvent(m_pEvents->GetSelection()); });
    m_pEdits[0]->Bind(wxEVT_TEXT, [this](wxCommandEvent& event) {
        event.Skip();
        UpdateTip();
    });
    m_pPounds->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { ClickUnit(true); });
    m_pKilos->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { ClickUnit(false); });
    m_pBrowse->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { PressBrowse(); });
    m_pOk->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { PressOk(); });
    CvlAttachContextHelp(this, kNewEventHelp);
    UpdateControls();
}

void CNewEventDlg::ReadControls() {
    const COleDateTime picked = FromWxDate(m_pDate->GetValue());
    const COleDateTime& was = m_model.m_dtEvent;
    // The picker holds the day; the time of day the dialog started with stays.
    if (was.GetStatus() != COleDateTime::valid || picked.GetYear() != was.GetYear() ||
        picked.GetMonth() != was.GetMonth() || picked.GetDay() != was.GetDay())
        m_model.m_dtEvent = picked;
    for (int i = 0; i < kShownParameters; ++i) m_model.m_strParameter[i] = FromWx(m_pEdits[i]->GetValue());
}

void CNewEventDlg::UpdateControls() {
    const bool isNew = m_model.IsNew();
    m_pEvents->Show(isNew);
    m_pEventText->Show(!isNew);
    const int rows = m_model.GetShownRows();
    for (int i = 0; i < kShownParameters; ++i) {
        m_pLabels[i]->SetLabel(ToWx(m_model.GetLabel(i)));
        m_pLabels[i]->Show(i < rows);
        m_pEdits[i]->Show(i < rows);
    }
    m_pBrowse->Show(m_model.IsBrowseShown());
    const bool units = m_model.IsUnitsShown();
    m_pUnits->Show(units);
    m_pPounds->Show(units);
    m_pKilos->Show(units);
    m_pOk->Enable(m_model.IsOkEnabled());
    UpdateTip();
    Layout();
}

void CNewEventDlg::UpdateTip() {
    m_model.m_strParameter[0] = FromWx(m_pEdits[0]->GetValue());
    const WString tip = m_model.GetAddressTip();
    if (tip.empty())
        m_pEdits[0]->UnsetToolTip();
    else
        m_pEdits[0]->SetToolTip(ToWx(tip));
}

void CNewEventDlg::ChooseEvent(int index) {
    if (index == wxNOT_FOUND) return;
    if (m_pEvents->GetSelection() != index) m_pEvents->SetSelection(index);
    ReadControls();
    if (!m_model.ChooseEvent(index)) return;
    UpdateControls();
}

void CNewEventDlg::ClickUnit(bool pounds) {
    (pounds ? m_pPounds : m_pKilos)->SetValue(true);
    m_model.m_strParameter[0] = FromWx(m_pEdits[0]->GetValue());
    m_model.SetWeightInPounds(pounds);
    m_pEdits[0]->ChangeValue(ToWx(m_model.m_strParameter[0]));
}

void CNewEventDlg::PressBrowse() {
    WString name = FromWx(m_pEdits[0]->GetValue());
    if (m_picker && m_picker(this, *m_pDoc, name)) m_pEdits[0]->SetValue(ToWx(name));
}

void CNewEventDlg::PressOk() {
    ReadControls();
    if (!m_model.IsOkEnabled() || !m_model.OnOK()) return;
    if (IsModal())
        EndModal(wxID_OK);
    else
        SetReturnCode(wxID_OK), Hide();
}

bool RunNewEventDialog(wxWindow* parent, CSheepDoc& doc, CNewEventModel& model, CvlAddressPicker picker) {
    CNewEventDlg dialog(&doc, model, parent, std::move(picker));
    return CvlRunModal(dialog) == wxID_OK;
}
