#include "document/ui/breeding_pages.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/checklst.h>
#include <wx/choice.h>
#include <wx/datectrl.h>
#include <wx/dateevt.h>
#include <wx/htmllbox.h>
#include <wx/listbox.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "document/sheep_doc.h"
#include "document/ui/sheep_dialogs_wx.h"
#include "document/ui/wizard_text.h"
#include "document/ui/wx_strings.h"
#include "platform/strings.h"
#include "records/sheep.h"

namespace {

// A label and a control on one row of a two-column grid.
template <typename T>
T* AddRow(wxPanel* panel, wxFlexGridSizer* grid, const char* label, T* control) {
    grid->Add(new wxStaticText(panel, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(control, 1, wxEXPAND);
    return control;
}

wxFlexGridSizer* NewGrid() {
    auto* grid = new wxFlexGridSizer(2, 6, 8);
    grid->AddGrowableCol(1);
    return grid;
}

// The Ewe and Ran With lines every lambing page after the ewe list shows.
void AddEweLines(wxPanel* panel, wxFlexGridSizer* grid, wxStaticText** ewe, wxStaticText** ranWith) {
    *ewe = AddRow(panel, grid, "Ewe:", new wxStaticText(panel, IDC_LAMB_EWE, ""));
    *ranWith = AddRow(panel, grid, "Ran With:", new wxStaticText(panel, IDC_LAMB_RAN_WITH, ""));
}

void FocusControl(wxPanel* panel, int id) {
    if (!panel || !id) return;
    if (wxWindow* control = panel->FindWindow(id)) control->SetFocus();
}

wxString HtmlEscape(const WString& text) {
    wxString s = ToWx(text);
    s.Replace("&", "&amp;");
    s.Replace("<", "&lt;");
    s.Replace(">", "&gt;");
    s.Replace("\t", "&nbsp;&nbsp;&nbsp;&nbsp;");
    return s;
}

}  // namespace

// ---- tupping -------------------------------------------------------------------------------------

void CTuppingWizard0::OnCreateControls(wxPanel* panel) {
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    CvlAddWizardTitle(panel, sizer, "Welcome to the Tupping Wizard");
    CvlAddWizardText(panel, sizer,
                     "This wizard will allow you to select rams for tupping and artificial insemination.");
    panel->SetSizer(sizer);
}

void CTuppingWizard1::OnCreateControls(wxPanel* panel) {
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    m_pExisting = new wxRadioButton(panel, IDC_TUP_RAM_EXISTS, "The ram is already in the database",
                                    wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    sizer->Add(m_pExisting, 0, wxALL, 8);
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    m_pCombo = new wxChoice(panel, IDC_TUP_RAM_COMBO, wxDefaultPosition, wxSize(200, -1));
    row->Add(m_pCombo, 0, wxRIGHT, 12);
    m_pName = new wxStaticText(panel, IDC_TUP_RAM_NAME, "");
    row->Add(m_pName, 1, wxALIGN_CENTER_VERTICAL);
    sizer->Add(row, 0, wxLEFT | wxBOTTOM, 24);
    m_pNew =
        new wxRadioButton(panel, IDC_TUP_RAM_NEW, "The &ram is not in the database. I want to set it up.");
    sizer->Add(m_pNew, 0, wxALL, 8);
    panel->SetSizer(sizer);
    m_pExisting->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { ClickExisting(); });
    m_pNew->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { ClickNew(); });
    m_pCombo->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { SelectRam(m_pCombo->GetSelection()); });
    LoadRams();
}

using TuppingWizard1Help =
    CvlControlHelp<IDC_TUP_RAM_EXISTS, IDC_TUP_RAM_NEW, IDC_TUP_RAM_COMBO, IDC_TUP_RAM_NAME>;
CVL_HELP_TABLE(TuppingWizard1Help::table);

const CvlHelpPair* CTuppingWizard1::GetHelpTable() const {
    return TuppingWizard1Help::table;
}

void CTuppingWizard1::OnModelChanged() {
    if (!m_pCombo) return;
    if (m_pCombo->GetCount() != m_rams.size()) {
        m_pCombo->Clear();
        for (const WString& ram : m_rams) m_pCombo->Append(ToWx(ram));
    }
    m_pCombo->SetSelection(m_nSelected);
    m_pCombo->Enable(m_bComboEnabled);
    (m_bNewChecked ? m_pNew : m_pExisting)->SetValue(true);
    m_pName->SetLabel(ToWx(m_strRamName));
}

void CTuppingWizard2::OnCreateControls(wxPanel* panel) {
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    m_pNew = new wxRadioButton(panel, IDC_TUP_RECORD_NEW, "I want to create a new tupping record",
                               wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    m_pEdit = new wxRadioButton(panel, IDC_TUP_RECORD_EDIT, "I want to edit an existing record");
    m_pList = new wxListBox(panel, IDC_TUP_RECORD_LIST, wxDefaultPosition, wxSize(320, 120));
    sizer->Add(m_pNew, 0, wxALL, 8);
    sizer->Add(m_pEdit, 0, wxALL, 8);
    sizer->Add(m_pList, 1, wxEXPAND | wxLEFT | wxRIGHT, 24);
    CvlAddWizardText(
        panel, sizer,
        "(Please note that once a ewe tupped here has lambed you cannot edit this record, only view it)");
    panel->SetSizer(sizer);
    m_pNew->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { ClickNew(); });
    m_pEdit->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { ClickEdit(); });
    m_pList->Bind(wxEVT_LISTBOX, [this](wxCommandEvent&) { SelectRecord(m_pList->GetSelection()); });
}

using TuppingWizard2Help = CvlControlHelp<IDC_TUP_RECORD_NEW, IDC_TUP_RECORD_EDIT, IDC_TUP_RECORD_LIST>;
CVL_HELP_TABLE(TuppingWizard2Help::table);

const CvlHelpPair* CTuppingWizard2::GetHelpTable() const {
    return TuppingWizard2Help::table;
}

void CTuppingWizard2::OnModelChanged() {
    if (!m_pList) return;
    wxArrayString texts;
    for (const WString& text : m_texts) texts.Add(ToWx(text));
    if (m_pList->GetStrings() != texts) m_pList->Set(texts);
    if (m_nSelected >= 0)
        m_pList->SetSelection(m_nSelected);
    else
        m_pList->SetSelection(wxNOT_FOUND);
    m_pList->Enable(m_bListEnabled);
    (m_bEditChecked ? m_pEdit : m_pNew)->SetValue(true);
}

void CTuppingWizard3::OnCreateControls(wxPanel* panel) {
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    auto* grid = NewGrid();
    m_pRam = AddRow(panel, grid, "Selected ram:", new wxStaticText(panel, IDC_TUP_SELECTED_RAM, ""));
    sizer->Add(grid, 0, wxEXPAND | wxALL, 12);
    m_pTupping = new wxRadioButton(panel, IDC_TUP_METHOD_TUPPING, "For &Tupping", wxDefaultPosition,
                                   wxDefaultSize, wxRB_GROUP);
    m_pAI = new wxRadioButton(panel, IDC_TUP_METHOD_AI, "&Artificial Insemination");
    sizer->Add(m_pTupping, 0, wxLEFT | wxBOTTOM, 24);
    sizer->Add(m_pAI, 0, wxLEFT | wxBOTTOM, 24);
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticText(panel, wxID_ANY, "The date that the ram went in:"), 0,
             wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
    m_pDate = new wxDatePickerCtrl(panel, IDC_TUP_DATE_IN);
    row->Add(m_pDate);
    sizer->Add(row, 0, wxALL, 12);
    panel->SetSizer(sizer);
    m_pTupping->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { ClickMethod(TUPPING_NATURAL); });
    m_pAI->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { ClickMethod(TUPPING_AI); });
    m_pDate->Bind(wxEVT_DATE_CHANGED,
                  [this](wxDateEvent& event) { m_date = FromWxDate(event.GetDate(), m_date); });
}

using TuppingWizard3Help =
    CvlControlHelp<IDC_TUP_SELECTED_RAM, IDC_TUP_METHOD_TUPPING, IDC_TUP_METHOD_AI, IDC_TUP_DATE_IN>;
CVL_HELP_TABLE(TuppingWizard3Help::table);

const CvlHelpPair* CTuppingWizard3::GetHelpTable() const {
    return TuppingWizard3Help::table;
}

void CTuppingWizard3::OnModelChanged() {
    if (!m_pDate) return;
    m_pRam->SetLabel(ToWx(m_strSelectedRam));
    (m_nMethod == TUPPING_AI ? m_pAI : m_pTupping)->SetValue(true);
    m_pDate->SetValue(ToWxDate(m_date));
    for (wxWindow* control : std::initializer_list<wxWindow*>{m_pTupping, m_pAI, m_pDate})
        control->Enable(m_bEnabled);
}

void CTuppingWizard4::OnCreateControls(wxPanel* panel) {
    auto* sizer = new wxBoxSizer(wxHORIZONTAL);
    m_pList = new wxCheckListBox(panel, IDC_TUP_EWE_LIST, wxDefaultPosition, wxSize(280, 220));
    sizer->Add(m_pList, 1, wxEXPAND | wxALL, 8);
    auto* side = new wxBoxSizer(wxVERTICAL);
    m_pShowAll = new wxCheckBox(panel, IDC_TUP_SHOW_ALL, "Show &All Records");
    side->Add(m_pShowAll, 0, wxBOTTOM, 12);
    side->Add(new wxStaticText(panel, wxID_ANY, "Display"), 0, wxBOTTOM, 4);
    m_pModes[DISPLAY_EARTAG] =
        new wxRadioButton(panel, IDC_TUP_BY_EARTAG, "&Eartag", wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    m_pModes[DISPLAY_EID] = new wxRadioButton(panel, IDC_TUP_BY_EID, "Electronic ID");
    m_pModes[DISPLAY_TATTOO] = new wxRadioButton(panel, IDC_TUP_BY_TATTOO, "&Tattoo");
    for (int mode : {DISPLAY_EARTAG, DISPLAY_EID, DISPLAY_TATTOO}) {
        side->Add(m_pModes[mode], 0, wxLEFT | wxBOTTOM, 8);
        m_pModes[mode]->Bind(wxEVT_RADIOBUTTON, [this, mode](wxCommandEvent&) { SetDisplayMode(mode); });
    }
    m_pCount = new wxStaticText(panel, IDC_TUP_EWE_COUNT, "%d ewe(s) selected");
    m_strCountFormat = FromWx(m_pCount->GetLabel());
    side->Add(m_pCount, 0, wxTOP, 12);
    sizer->Add(side, 0, wxALL, 8);
    panel->SetSizer(sizer);
    m_pShowAll->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { SetShowAll(m_pShowAll->GetValue()); });
    m_pList->Bind(wxEVT_CHECKLISTBOX, [this](wxCommandEvent& event) {
        const int index = event.GetInt();
        CheckItem(index, m_pList->IsChecked(unsigned(index)));
        // A locked ewe keeps her state whatever the click did.
        if (index >= 0 && index < int(m_items.size()))
            m_pList->Check(unsigned(index), m_items[size_t(index)].checked);
    });
}

using TuppingWizard4Help = CvlControlHelp<IDC_TUP_EWE_LIST, IDC_TUP_SHOW_ALL, IDC_TUP_BY_EARTAG,
                                          IDC_TUP_BY_EID, IDC_TUP_BY_TATTOO, IDC_TUP_EWE_COUNT>;
CVL_HELP_TABLE(TuppingWizard4Help::table);

const CvlHelpPair* CTuppingWizard4::GetHelpTable() const {
    return TuppingWizard4Help::table;
}

void CTuppingWizard4::OnModelChanged() {
    if (!m_pList) return;
    wxArrayString texts;
    for (const Item& item : m_items)
        texts.Add(item.enabled ? ToWx(item.text) : ToWx(item.text) + " (locked)");
    if (m_pList->GetStrings() != texts) m_pList->Set(texts);
    for (size_t i = 0; i < m_items.size(); ++i) m_pList->Check(unsigned(i), m_items[i].checked);
    m_pShowAll->SetValue(m_bShowAll);
    m_pModes[m_nDisplayMode]->SetValue(true);
    m_pCount->SetLabel(ToWx(GetCountText()));
}

void CTuppingWizard5::OnCreateControls(wxPanel* panel) {
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    CvlAddWizardTitle(panel, sizer, "Tupping Wizard Completed");
    CvlAddWizardText(panel, sizer,
                     "Congratulations you have completed the Dedov Setup Wizard. The Corvalen will now apply "
                     "your changes to "
                     "the database and create all necessary events and lambing records.");
    panel->SetSizer(sizer);
}

void RunTuppingWizard(wxWindow* parent, CSheepDoc& doc) {
    CTuppingWizard wizard(&doc);
    wizard.m_newRam = [parent, &doc](WString* tattoo) {
        return NewSheep(parent, doc, SEX_RAM, tattoo, nullptr);
    };
    CTuppingWizard0 p0(&wizard);
    CTuppingWizard1 p1(&wizard);
    CTuppingWizard2 p2(&wizard);
    CTuppingWizard3 p3(&wizard);
    CTuppingWizard4 p4(&wizard);
    CTuppingWizard5 p5(&wizard);
    int result = SHEET_CANCEL;
    {
        CCvlPropertySheet sheet(parent, LoadCvlString(IDS_TUPPING_WIZARD), true);
        for (CSheetPage* page : std::initializer_list<CSheetPage*>{&p0, &p1, &p2, &p3, &p4, &p5})
            sheet.AddPage(page);
        result = sheet.DoModal();
    }
    ApplyTuppingWizard(doc, wizard, result);
}

// ---- lambing -------------------------------------------------------------------------------------

void CLambingWizardA::OnCreateControls(wxPanel* panel) {
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    CvlAddWizardTitle(panel, sizer, "Welcome to the Lambing Wizard");
    CvlAddWizardText(panel, sizer,
                     "The lambing wizard allows you to record lambing for you ewes.\n\nBefore you enter "
                     "lambing you must also "
                     "enter tupping information through the tupping wizard");
    panel->SetSizer(sizer);
}

void CLambingWizard0::OnCreateControls(wxPanel* panel) {
    auto* sizer = new wxBoxSizer(wxHORIZONTAL);
    m_pList = new wxListBox(panel, IDC_LAMB_YEAR_LIST, wxDefaultPosition, wxSize(180, 160));
    sizer->Add(m_pList, 0, wxEXPAND | wxALL, 8);
    auto* grid = NewGrid();
    m_pYear = AddRow(panel, grid, "Year:", new wxTextCtrl(panel, IDC_LAMB_YEAR));
    m_pColour = AddRow(panel, grid, "Colour:", new wxTextCtrl(panel, IDC_LAMB_COLOUR));
    sizer->Add(grid, 1, wxALL, 8);
    panel->SetSizer(sizer);
    m_pList->Bind(wxEVT_LISTBOX, [this](wxCommandEvent&) { SelectLine(m_pList->GetSelection()); });
    m_pYear->Bind(wxEVT_TEXT, [this](wxCommandEvent&) {
        if (m_bShowing) return;
        m_strYear = FromWx(m_pYear->GetValue());
        EditChanged();
    });
    m_pColour->Bind(wxEVT_TEXT, [this](wxCommandEvent&) {
        if (m_bShowing) return;
        m_strColour = FromWx(m_pColour->GetValue());
        EditChanged();
    });
    m_pYear->Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& event) {
        event.Skip();
        YearLeft();
    });
    m_pColour->Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& event) {
        event.Skip();
        ColourLeft();
    });
    Initialise();
}

using LambingWizard0Help = CvlControlHelp<IDC_LAMB_YEAR_LIST, IDC_LAMB_YEAR, IDC_LAMB_COLOUR>;
CVL_HELP_TABLE(LambingWizard0Help::table);

const CvlHelpPair* CLambingWizard0::GetHelpTable() const {
    return LambingWizard0Help::table;
}

void CLambingWizard0::OnModelChanged() {
    if (!m_pList) return;
    m_bShowing = true;
    wxArrayString lines;
    for (WString line : m_lines) {
        std::replace(line.begin(), line.end(), u'\t', u' ');
        lines.Add(ToWx(line));
    }
    if (m_pList->GetStrings() != lines) m_pList->Set(lines);
    if (m_nSelected >= 0 && m_nSelected < int(lines.size())) m_pList->SetSelection(m_nSelected);
    m_pYear->ChangeValue(ToWx(m_strYear));
    m_pColour->ChangeValue(ToWx(m_strColour));
    m_pColour->Enable(m_bColourEnabled);
    if (m_bFocusColour) m_pColour->SetFocus();
    m_bShowing = false;
}

void CLambingWizard1::OnCreateControls(wxPanel* panel) {
    auto* sizer = new wxBoxSizer(wxHORIZONTAL);
    const int width = m_nDisplayMode == DISPLAY_TATTOO ? 140 : 200;
    m_pList = new wxSimpleHtmlListBox(panel, IDC_LAMB_EWE_LIST, wxDefaultPosition, wxSize(width, 220));
    sizer->Add(m_pList, 0, wxEXPAND | wxALL, 8);
    auto* side = new wxBoxSizer(wxVERTICAL);
    m_pShowAll = new wxCheckBox(panel, IDC_LAMB_SHOW_ALL, "Show &All Records");
    side->Add(m_pShowAll, 0, wxBOTTOM, 8);
    auto* grid = NewGrid();
    m_pRanWith = AddRow(panel, grid, "Ran With:", new wxStaticText(panel, IDC_LAMB_RAN_WITH, ""));
    m_pAsOf = AddRow(panel, grid, "As of:", new wxDatePickerCtrl(panel, IDC_LAMB_AS_OF));
    side->Add(grid, 0, wxBOTTOM, 8);
    side->Add(new wxStaticText(panel, wxID_ANY, "Display"), 0, wxBOTTOM, 4);
    m_pByEartag =
        new wxRadioButton(panel, IDC_LAMB_BY_EARTAG, "&Eartag", wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    m_pByTattoo = new wxRadioButton(panel, IDC_LAMB_BY_TATTOO, "&Tattoo");
    side->Add(m_pByEartag, 0, wxLEFT | wxBOTTOM, 8);
    side->Add(m_pByTattoo, 0, wxLEFT | wxBOTTOM, 8);
    sizer->Add(side, 1, wxALL, 8);
    panel->SetSizer(sizer);
    m_pList->Bind(wxEVT_LISTBOX, [this](wxCommandEvent&) { SelectItem(m_pList->GetSelection()); });
    m_pList->Bind(wxEVT_LISTBOX_DCLICK, [this](wxCommandEvent&) { ActivateItem(m_pList->GetSelection()); });
    m_pShowAll->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { SetShowAll(m_pShowAll->GetValue()); });
    m_pByEartag->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { SetDisplayMode(DISPLAY_EARTAG); });
    m_pByTattoo->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { SetDisplayMode(DISPLAY_TATTOO); });
    m_pAsOf->Bind(wxEVT_DATE_CHANGED,
                  [this](wxDateEvent& event) { SetAsOf(FromWxDate(event.GetDate(), m_asOf)); });
    Initialise();
}

using LambingWizard1Help = CvlControlHelp<IDC_LAMB_EWE_LIST, IDC_LAMB_SHOW_ALL, IDC_LAMB_RAN_WITH,
                                          IDC_LAMB_AS_OF, IDC_LAMB_BY_EARTAG, IDC_LAMB_BY_TATTOO>;
CVL_HELP_TABLE(LambingWizard1Help::table);

const CvlHelpPair* CLambingWizard1::GetHelpTable() const {
    return LambingWizard1Help::table;
}

void CLambingWizard1::OnModelChanged() {
    if (!m_pList) return;
    const wxString inactive =
        wxSystemSettings::GetColour(wxSYS_COLOUR_INACTIVECAPTIONTEXT).GetAsString(wxC2S_HTML_SYNTAX);
    wxArrayString items;
    for (const Item& item : m_items) {
        const wxString text = HtmlEscape(item.text);
        items.Add(item.lambed ? "<font color=\"" + inactive + "\">" + text + "</font>" : text);
    }
    if (m_pList->GetStrings() != items) m_pList->Set(items);
    if (m_nSelected >= 0) m_pList->SetSelection(m_nSelected);
    m_pRanWith->SetLabel(ToWx(m_strRanWith));
    m_pShowAll->SetValue(m_bShowAll);
    (m_nDisplayMode == DISPLAY_TATTOO ? m_pByTattoo : m_pByEartag)->SetValue(true);
    m_pAsOf->SetValue(ToWxDate(m_asOf));
}

void CLambingWizard2::OnCreateControls(wxPanel* panel) {
    auto* grid = NewGrid();
    AddEweLines(panel, grid, &m_pEwe, &m_pRanWith);
    m_pHow = AddRow(panel, grid, "How born:", new wxChoice(panel, IDC_LAMB_HOW_BORN));
    for (const char* item : {"", "Normal", "Cesarian", "Did not Lamb"}) m_pHow->Append(item);
    m_pDateLabel = new wxStaticText(panel, wxID_ANY, "Date:");
    m_pDate = new wxDatePickerCtrl(panel, IDC_LAMB_DATE);
    grid->Add(m_pDateLabel, 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(m_pDate);
    m_pCommentsLabel = new wxStaticText(panel, wxID_ANY, "Comments:");
    m_pComments =
        new wxTextCtrl(panel, IDC_LAMB_COMMENTS, "", wxDefaultPosition, wxSize(300, 60), wxTE_MULTILINE);
    grid->Add(m_pCommentsLabel);
    grid->Add(m_pComments, 1, wxEXPAND);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid, 1, wxEXPAND | wxALL, 12);
    panel->SetSizer(sizer);
    m_pHow->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { SetHowBorn(m_pHow->GetSelection()); });
    m_pDate->Bind(wxEVT_DATE_CHANGED,
                  [this](wxDateEvent& event) { m_date = FromWxDate(event.GetDate(), m_date); });
    m_pComments->Bind(wxEVT_TEXT, [this](wxCommandEvent&) {
        if (!m_bShowing) m_strComments = FromWx(m_pComments->GetValue());
    });
}

using LambingWizard2Help =
    CvlControlHelp<IDC_LAMB_EWE, IDC_LAMB_RAN_WITH, IDC_LAMB_HOW_BORN, IDC_LAMB_DATE, IDC_LAMB_COMMENTS>;
CVL_HELP_TABLE(LambingWizard2Help::table);

const CvlHelpPair* CLambingWizard2::GetHelpTable() const {
    return LambingWizard2Help::table;
}

void CLambingWizard2::OnModelChanged() {
    if (!m_pHow) return;
    m_bShowing = true;
    m_pEwe->SetLabel(ToWx(m_strEwe));
    m_pRanWith->SetLabel(ToWx(m_strRanWith));
    m_pHow->SetSelection(m_nHowBorn);
    m_pDate->SetValue(ToWxDate(m_date));
    m_pComments->ChangeValue(ToWx(m_strComments));
    for (wxWindow* control :
         std::initializer_list<wxWindow*>{m_pDateLabel, m_pDate, m_pCommentsLabel, m_pComments})
        control->Show(IsDateShown());
    GetWindow()->Layout();
    FocusControl(GetWindow(), m_nFocus);
    m_bShowing = false;
}

void CLambingWizard3::OnCreateControls(wxPanel* panel) {
    auto* grid = NewGrid();
    AddEweLines(panel, grid, &m_pEwe, &m_pRanWith);
    m_pLambs = AddRow(panel, grid, "Lambs:", new wxSpinCtrl(panel, IDC_LAMB_COUNT));
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid, 0, wxEXPAND | wxALL, 12);
    panel->SetSizer(sizer);
    m_pLambs->Bind(wxEVT_SPINCTRL, [this](wxSpinEvent&) {
        if (!m_bShowing) m_nLambs = m_pLambs->GetValue();
    });
    m_pLambs->Bind(wxEVT_TEXT, [this](wxCommandEvent&) {
        if (!m_bShowing) m_nLambs = m_pLambs->GetValue();
    });
}

using LambingWizard3Help = CvlControlHelp<IDC_LAMB_EWE, IDC_LAMB_RAN_WITH, IDC_LAMB_COUNT>;
CVL_HELP_TABLE(LambingWizard3Help::table);

const CvlHelpPair* CLambingWizard3::GetHelpTable() const {
    return LambingWizard3Help::table;
}

void CLambingWizard3::OnModelChanged() {
    if (!m_pLambs) return;
    m_bShowing = true;
    m_pEwe->SetLabel(ToWx(m_strEwe));
    m_pRanWith->SetLabel(ToWx(m_strRanWith));
    m_pLambs->SetRange(std::min(m_nSpinMin, m_nLambs), m_nSpinMax);
    m_pLambs->SetValue(m_nLambs);
    m_bShowing = false;
}

void CLambingWizard4::OnCreateControls(wxPanel* panel) {
    auto* grid = NewGrid();
    AddEweLines(panel, grid, &m_pEwe, &m_pRanWith);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid, 0, wxEXPAND | wxALL, 12);
    auto* choices = new wxFlexGridSizer(2, 6, 8);
    m_pRadios[NEXT_NUMBER] =
        new wxRadioButton(panel, IDC_LAMB_NEXT_RADIO, "Assign the lamb the next number:", wxDefaultPosition,
                          wxDefaultSize, wxRB_GROUP);
    m_pNext = new wxStaticText(panel, IDC_LAMB_NEXT_NUMBER, "");
    m_pRadios[CUSTOM_NUMBER] =
        new wxRadioButton(panel, IDC_LAMB_CUSTOM_RADIO, "The lamb has a custom number:");
    m_pCustom = new wxSpinCtrl(panel, IDC_LAMB_CUSTOM_NUMBER, "", wxDefaultPosition, wxDefaultSize,
                               wxSP_ARROW_KEYS, 0, 999, 0);
    m_pRadios[DEAD] = new wxRadioButton(panel, IDC_LAMB_DEAD_RADIO, "The lamb was dead at birth");
    m_pRadios[PREVIOUS_NUMBER] =
        new wxRadioButton(panel, IDC_LAMB_PREVIOUS_RADIO, "Previously assigned number:");
    m_pPrevious = new wxStaticText(panel, IDC_LAMB_PREVIOUS_NUMBER, "");
    choices->Add(m_pRadios[NEXT_NUMBER]);
    choices->Add(m_pNext);
    choices->Add(m_pRadios[CUSTOM_NUMBER]);
    choices->Add(m_pCustom);
    choices->Add(m_pRadios[DEAD]);
    choices->AddSpacer(1);
    choices->Add(m_pRadios[PREVIOUS_NUMBER]);
    choices->Add(m_pPrevious);
    sizer->Add(choices, 0, wxALL, 12);
    panel->SetSizer(sizer);
    for (Choice choice : {NEXT_NUMBER, CUSTOM_NUMBER, DEAD, PREVIOUS_NUMBER})
        m_pRadios[choice]->Bind(wxEVT_RADIOBUTTON, [this, choice](wxCommandEvent&) { Choose(choice); });
    m_pCustom->Bind(wxEVT_TEXT, [this](wxCommandEvent&) {
        if (!m_bShowing) SetCustomNumber(m_pCustom->GetValue());
    });
    m_pCustom->Bind(wxEVT_SPINCTRL, [this](wxSpinEvent&) {
        if (!m_bShowing) SetCustomNumber(m_pCustom->GetValue());
    });
}

using LambingWizard4Help =
    CvlControlHelp<IDC_LAMB_EWE, IDC_LAMB_RAN_WITH, IDC_LAMB_NEXT_RADIO, IDC_LAMB_CUSTOM_RADIO,
                   IDC_LAMB_DEAD_RADIO, IDC_LAMB_PREVIOUS_RADIO, IDC_LAMB_NEXT_NUMBER, IDC_LAMB_CUSTOM_NUMBER,
                   IDC_LAMB_PREVIOUS_NUMBER>;
CVL_HELP_TABLE(LambingWizard4Help::table);

const CvlHelpPair* CLambingWizard4::GetHelpTable() const {
    return LambingWizard4Help::table;
}

void CLambingWizard4::OnModelChanged() {
    if (!m_pCustom) return;
    m_bShowing = true;
    m_pEwe->SetLabel(ToWx(m_strEwe));
    m_pRanWith->SetLabel(ToWx(m_strRanWith));
    m_pNext->SetLabel(ToWx(m_strNextNumber));
    m_pPrevious->SetLabel(wxString::Format("%d", m_nPreviousNumber));
    m_pRadios[PREVIOUS_NUMBER]->Show(m_bPreviousShown);
    m_pPrevious->Show(m_bPreviousShown);
    m_pRadios[m_choice]->SetValue(true);
    m_pCustom->Enable(m_bCustomEnabled);
    if (m_pCustom->GetValue() != m_nCustomNumber) m_pCustom->SetValue(m_nCustomNumber);
    GetWindow()->Layout();
    m_bShowing = false;
}

void CLambingWizard5::OnCreateControls(wxPanel* panel) {
    auto* grid = NewGrid();
    AddEweLines(panel, grid, &m_pEwe, &m_pRanWith);
    m_pLamb = AddRow(panel, grid, "Lamb:", new wxStaticText(panel, IDC_LAMB_NUMBER, ""));
    m_pSex = AddRow(panel, grid, "&Sex:", new wxChoice(panel, IDC_LAMB_SEX));
    m_pSex->Append("Ewe");
    m_pSex->Append("Ram");
    m_pName = AddRow(panel, grid, "Name:", new wxTextCtrl(panel, IDC_LAMB_NAME));
    auto* weight = new wxBoxSizer(wxHORIZONTAL);
    m_pWeight = new wxTextCtrl(panel, IDC_LAMB_WEIGHT);
    m_pLb = new wxRadioButton(panel, IDC_LAMB_UNIT_LB, "&lb", wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    m_pKg = new wxRadioButton(panel, IDC_LAMB_UNIT_KG, "&kg");
    weight->Add(m_pWeight, 1, wxRIGHT, 8);
    weight->Add(m_pLb, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
    weight->Add(m_pKg, 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(new wxStaticText(panel, wxID_ANY, "Birth &Weight:"), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(weight, 1, wxEXPAND);
    m_pComment = AddRow(
        panel, grid, "&Comment:",
        new wxTextCtrl(panel, IDC_LAMB_COMMENT, "", wxDefaultPosition, wxSize(280, 50), wxTE_MULTILINE));
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid, 1, wxEXPAND | wxALL, 12);
    m_pDelete = new wxButton(panel, IDC_LAMB_DELETE, "&Delete");
    sizer->Add(m_pDelete, 0, wxALIGN_RIGHT | wxRIGHT | wxBOTTOM, 12);
    panel->SetSizer(sizer);
    Initialise();
    m_pSex->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { m_nSex = m_pSex->GetSelection(); });
    m_pName->Bind(wxEVT_TEXT, [this](wxCommandEvent&) {
        if (!m_bShowing) m_strName = FromWx(m_pName->GetValue());
    });
    m_pWeight->Bind(wxEVT_TEXT, [this](wxCommandEvent&) {
        if (!m_bShowing) m_strWeight = FromWx(m_pWeight->GetValue());
    });
    m_pComment->Bind(wxEVT_TEXT, [this](wxCommandEvent&) {
        if (!m_bShowing) m_strComment = FromWx(m_pComment->GetValue());
    });
    m_pLb->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { ClickUnit(true); });
    m_pKg->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { ClickUnit(false); });
    m_pDelete->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { DeleteLamb(); });
}

using LambingWizard5Help =
    CvlControlHelp<IDC_LAMB_EWE, IDC_LAMB_RAN_WITH, IDC_LAMB_NUMBER, IDC_LAMB_SEX, IDC_LAMB_NAME,
                   IDC_LAMB_WEIGHT, IDC_LAMB_UNIT_LB, IDC_LAMB_UNIT_KG, IDC_LAMB_COMMENT, IDC_LAMB_DELETE>;
CVL_HELP_TABLE(LambingWizard5Help::table);

const CvlHelpPair* CLambingWizard5::GetHelpTable() const {
    return LambingWizard5Help::table;
}

void CLambingWizard5::OnModelChanged() {
    if (!m_pSex) return;
    m_bShowing = true;
    m_pEwe->SetLabel(ToWx(m_strEwe));
    m_pRanWith->SetLabel(ToWx(m_strRanWith));
    m_pLamb->SetLabel(ToWx(m_strLamb));
    m_pSex->SetSelection(m_nSex);
    m_pName->ChangeValue(ToWx(m_strName));
    m_pWeight->ChangeValue(ToWx(m_strWeight));
    m_pComment->ChangeValue(ToWx(m_strComment));
    (m_nUnitFlag ? m_pLb : m_pKg)->SetValue(true);
    m_pDelete->Show(m_bDeleteShown);
    GetWindow()->Layout();
    FocusControl(GetWindow(), m_nFocus);
    m_bShowing = false;
}

void CLambingWizard6::OnCreateControls(wxPanel* panel) {
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    CvlAddWizardTitle(panel, sizer, "Lambing Wizard Completed");
    CvlAddWizardText(panel, sizer,
                     "Congratulations. You have finished setting up the lambs for this ewe.\nIf you would "
                     "like to do another "
                     "sheep immediately check the box and the wizard will restart when you press "
                     "Finish.\nOtherwise please "
                     "just press Finish to commit your changes");
    m_pRestart = new wxCheckBox(panel, IDC_LAMB_RESTART, "Restart Wizard");
    sizer->Add(m_pRestart, 0, wxALL, 12);
    panel->SetSizer(sizer);
    m_pRestart->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { m_bRestart = m_pRestart->GetValue(); });
}

using LambingWizard6Help = CvlControlHelp<IDC_LAMB_RESTART>;
CVL_HELP_TABLE(LambingWizard6Help::table);

const CvlHelpPair* CLambingWizard6::GetHelpTable() const {
    return LambingWizard6Help::table;
}

void RunLambingWizard(wxWindow* parent, CSheepDoc& doc) {
    const int displayMode = LambingDisplayMode();
    for (;;) {
        CLambingWizard wizard(&doc);
        CLambingWizardA pa(&wizard);
        CLambingWizard0 p0(&wizard);
        CLambingWizard1 p1(&wizard, displayMode);
        CLambingWizard2 p2(&wizard);
        CLambingWizard3 p3(&wizard);
        CLambingWizard4 p4(&wizard);
        CLambingWizard5 p5(&wizard);
        CLambingWizard6 p6(&wizard);
        int result = SHEET_CANCEL;
        {
            CCvlPropertySheet sheet(parent, LoadCvlString(IDS_LAMBING_WIZARD), true);
            sheet.AddPage(&pa);
            if (NeedsColourPage(doc)) sheet.AddPage(&p0);
            for (CSheetPage* page : std::initializer_list<CSheetPage*>{&p1, &p2, &p3, &p4, &p5, &p6})
                sheet.AddPage(page);
            result = sheet.DoModal();
        }
        if (result != ID_WIZFINISH) return;
        ApplyLambingWizard(doc, wizard);
        if (!p6.m_bRestart) return;
    }
}
