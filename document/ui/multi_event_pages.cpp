#include "document/ui/multi_event_pages.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/datectrl.h>
#include <wx/listctrl.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include "document/sheep_doc.h"
#include "document/ui/wx_strings.h"
#include "platform/host.h"
#include "platform/strings.h"

namespace {

using Select1Help = CvlControlHelp<IDC_MULTI_SHEEP_LIST, IDC_MULTI_BY_TATTOO, IDC_MULTI_BY_EARTAG,
                                   IDC_MULTI_BY_EID, IDC_EVENT_BROWSE>;
CVL_HELP_TABLE(Select1Help::table);
using Event2Help = CvlControlHelp<IDC_EVENT_COMBO, IDC_EVENT_DATE>;
CVL_HELP_TABLE(Event2Help::table);
using Grid4Help = CvlControlHelp<IDC_MULTI_GRID, IDC_UNIT_LB, IDC_UNIT_KG, IDC_EVENT_BROWSE>;
CVL_HELP_TABLE(Grid4Help::table);
// The labels take the topics of their boxes.
constexpr CvlHelpPair kDetailsHelp[] = {
    {IDC_EVENT_BROWSE, CvlControlHelpId(IDC_EVENT_BROWSE)},
    {IDC_PARAMETER_EDIT1, CvlControlHelpId(IDC_PARAMETER_EDIT1)},
    {IDC_PARAMETER_EDIT1 + 1, CvlControlHelpId(IDC_PARAMETER_EDIT1 + 1)},
    {IDC_PARAMETER_EDIT1 + 2, CvlControlHelpId(IDC_PARAMETER_EDIT1 + 2)},
    {IDC_UNIT_LB, CvlControlHelpId(IDC_UNIT_LB)},
    {IDC_UNIT_KG, CvlControlHelpId(IDC_UNIT_KG)},
    {IDC_PARAMETER_LABEL1, CvlControlHelpId(IDC_PARAMETER_EDIT1)},
    {IDC_PARAMETER_LABEL1 + 1, CvlControlHelpId(IDC_PARAMETER_EDIT1 + 1)},
    {IDC_PARAMETER_LABEL1 + 2, CvlControlHelpId(IDC_PARAMETER_EDIT1 + 2)},
    {0, 0},
};
CVL_HELP_TABLE(kDetailsHelp);

void AddTitle(wxPanel* panel, wxSizer* sizer, const char* title, const char* body) {
    auto* text = new wxStaticText(panel, IDC_MULTI_TITLE, title);
    text->SetFont(wxFont(wxFontInfo(12).FaceName("Verdana").Bold()));
    sizer->Add(text, 0, wxALL, 10);
    auto* bodyText = new wxStaticText(panel, wxID_ANY, body);
    bodyText->Wrap(420);
    sizer->Add(bodyText, 0, wxALL, 10);
}

// The units group: lb and kg, one of them checked.
wxStaticBoxSizer* AddUnits(wxPanel* panel, wxStaticBox** group, wxRadioButton** pounds,
                           wxRadioButton** kilos) {
    auto* units = new wxStaticBoxSizer(wxHORIZONTAL, panel, "Units");
    *group = units->GetStaticBox();
    (*group)->SetId(IDC_UNITS_GROUP);
    *pounds = new wxRadioButton(*group, IDC_UNIT_LB, "lb", wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    *kilos = new wxRadioButton(*group, IDC_UNIT_KG, "kg");
    units->Add(*pounds, 0, wxALL, 4);
    units->Add(*kilos, 0, wxALL, 4);
    return units;
}

void ShowUnits(bool shown, bool pounds, wxStaticBox* group, wxRadioButton* lb, wxRadioButton* kg) {
    group->Show(shown);
    lb->Show(shown);
    kg->Show(shown);
    (pounds ? lb : kg)->SetValue(true);
}

}  // namespace

// ---- welcome and completion ------------------------------------------------------------------------

void CMultiEventWizard0Wnd::OnCreateControls(wxPanel* panel) {
    auto* top = new wxBoxSizer(wxVERTICAL);
    AddTitle(
        panel, top, "Welcome to the Multiple Event Wizard",
        "You can use this wizard to apply events to a selection of sheep. The wizard starts by listing the "
        "sheep you have selected. If no sheep were selected then it assumes the event will apply to all "
        "sheep.\n\nYou can review the list of sheep on the next page.");
    panel->SetSizer(top);
}

void CMultiEventWizard5Wnd::OnCreateControls(wxPanel* panel) {
    auto* top = new wxBoxSizer(wxVERTICAL);
    AddTitle(
        panel, top, "Multiple Event Wizard completed",
        "The Event Wizard now has all the information it needs to create the events. Please press Finish to "
        "create them.");
    panel->SetSizer(top);
}

// ---- select animals ----------------------------------------------------------------------------------

void CMultiEventWizard1Wnd::OnCreateControls(wxPanel* panel) {
    auto* top = new wxBoxSizer(wxVERTICAL);
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticText(panel, wxID_ANY, "Dedov currently selected:"), 0, wxRIGHT, 6);
    m_pCount = new wxStaticText(panel, IDC_MULTI_COUNT, wxEmptyString);
    row->Add(m_pCount, 1);
    top->Add(row, 0, wxEXPAND | wxALL, 6);
    m_pList = new wxListCtrl(panel, IDC_MULTI_SHEEP_LIST, wxDefaultPosition, wxSize(420, 200),
                             wxLC_REPORT | wxBORDER_SUNKEN);
    m_pList->EnableCheckBoxes();
    top->Add(m_pList, 1, wxEXPAND | wxLEFT | wxRIGHT, 6);
    auto* modes = new wxStaticBoxSizer(wxHORIZONTAL, panel, "Search Mode");
    const int ids[3] = {IDC_MULTI_BY_EARTAG, IDC_MULTI_BY_TATTOO, IDC_MULTI_BY_EID};
    const char* labels[3] = {"Eartag", "Tattoo", "Electronic ID"};
    for (int mode = 0; mode < 3; ++mode) {
        m_pModes[mode] = new wxRadioButton(modes->GetStaticBox(), ids[mode], labels[mode], wxDefaultPosition,
                                           wxDefaultSize, mode == 0 ? wxRB_GROUP : 0);
        modes->Add(m_pModes[mode], 0, wxALL, 4);
        m_pModes[mode]->Bind(wxEVT_RADIOBUTTON, [this, mode](wxCommandEvent&) { ClickSearchMode(mode); });
    }
    top->Add(modes, 0, wxALL, 6);
    panel->SetSizer(top);
    m_pList->Bind(wxEVT_LIST_ITEM_CHECKED,
                  [this](wxListEvent& event) { CheckRow(int(event.GetIndex()), true); });
    m_pList->Bind(wxEVT_LIST_ITEM_UNCHECKED,
                  [this](wxListEvent& event) { CheckRow(int(event.GetIndex()), false); });
}

const CvlHelpPair* CMultiEventWizard1Wnd::GetHelpTable() const {
    return Select1Help::table;
}

void CMultiEventWizard1Wnd::OnSetActive() {
    CMultiEventWizard1::OnSetActive();
    if (!m_pList || m_bListed) return;
    m_bListed = true;
    CCvlWaitCursor wait;
    const int headers[4] = {174, 175, 176, 9};
    for (int column = 0; column < 4; ++column)
        m_pList->AppendColumn(ToWx(LoadCvlString(unsigned(headers[column]))));
    const auto& rows = GetRows();
    for (size_t i = 0; i < rows.size(); ++i) {
        const long item = m_pList->InsertItem(long(i), ToWx(rows[i].name));
        m_pList->SetItem(item, 1, ToWx(rows[i].colour));
        m_pList->SetItem(item, 2, ToWx(rows[i].number));
        m_pList->SetItem(item, 3, ToWx(rows[i].eid));
        m_pList->CheckItem(item, true);
    }
    // The radio of the search mode read from the settings (another number checks none).
    const int mode = GetSearchMode();
    if (mode >= 0 && mode < 3) m_pModes[mode]->SetValue(true);
    ApplyWidths();
    m_pCount->SetLabel(ToWx(GetCountText()));
}

void CMultiEventWizard1Wnd::ApplyWidths() {
    for (int column = 0; column < 4; ++column)
        m_pList->SetColumnWidth(column, IsColumnShown(column) ? wxLIST_AUTOSIZE_USEHEADER : 0);
}

void CMultiEventWizard1Wnd::CheckRow(int row, bool checked) {
    if (m_pList && m_pList->IsItemChecked(row) != checked) m_pList->CheckItem(row, checked);
    SetChecked(row, checked);
    if (m_pCount) m_pCount->SetLabel(ToWx(GetCountText()));
}

void CMultiEventWizard1Wnd::ClickSearchMode(int mode) {
    if (m_pModes[mode] && !m_pModes[mode]->GetValue()) m_pModes[mode]->SetValue(true);
    SetSearchMode(mode);
    if (m_pList) ApplyWidths();
}

// ---- choose event ------------------------------------------------------------------------------------

void CMultiEventWizard2Wnd::OnCreateControls(wxPanel* panel) {
    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(new wxStaticText(panel, wxID_ANY, "Please select the date the event occured:"), 0, wxALL, 6);
    m_pDate = new wxDatePickerCtrl(panel, IDC_EVENT_DATE, ToWxDate(m_dtDate));
    top->Add(m_pDate, 0, wxLEFT | wxRIGHT, 6);
    top->Add(new wxStaticText(panel, wxID_ANY, "and the event that happened:"), 0, wxALL, 6);
    m_pEvents = new wxChoice(panel, IDC_EVENT_COMBO, wxDefaultPosition, wxSize(260, -1));
    top->Add(m_pEvents, 0, wxLEFT | wxRIGHT, 6);
    panel->SetSizer(top);
}

const CvlHelpPair* CMultiEventWizard2Wnd::GetHelpTable() const {
    return Event2Help::table;
}

void CMultiEventWizard2Wnd::OnSetActive() {
    const bool first = GetItems().empty();
    CMultiEventWizard2::OnSetActive();
    if (!first || !m_pEvents) return;
    for (const auto& [name, code] : GetItems()) m_pEvents->Append(ToWx(name));
    m_pEvents->SetSelection(0);
}

bool CMultiEventWizard2Wnd::ChooseCode(uint32_t code) {
    const auto& items = GetItems();
    for (size_t i = 1; i < items.size(); ++i)
        if (items[i].second == code) {
            m_pEvents->SetSelection(int(i));
            return true;
        }
    return false;
}

int CMultiEventWizard2Wnd::OnWizardNext() {
    if (m_pEvents) {
        m_nSelected = m_pEvents->GetSelection();
        const COleDateTime picked = FromWxDate(m_pDate->GetValue());
        // The day from the picker, the time of day from when the page was made.
        if (m_dtDate.GetStatus() == COleDateTime::valid)
            m_dtDate = COleDateTime(picked.GetYear(), picked.GetMonth(), picked.GetDay(), m_dtDate.GetHour(),
                                    m_dtDate.GetMinute(), m_dtDate.GetSecond());
        else
            m_dtDate = picked;
    }
    return CMultiEventWizard2::OnWizardNext();
}

// ---- shared values -----------------------------------------------------------------------------------

void CMultiEventWizard3Wnd::OnCreateControls(wxPanel* panel) {
    auto* top = new wxBoxSizer(wxVERTICAL);
    auto* box = new wxStaticBoxSizer(wxVERTICAL, panel, "Event Details");
    auto* grid = new wxFlexGridSizer(3, 6, 8);
    grid->AddGrowableCol(1);
    for (int i = 0; i < kShownParameters; ++i) {
        m_pLabels[i] = new wxStaticText(box->GetStaticBox(), IDC_PARAMETER_LABEL1 + i, wxEmptyString,
                                        wxDefaultPosition, wxSize(120, -1));
        grid->Add(m_pLabels[i], 0, wxALIGN_CENTER_VERTICAL);
        m_pBoxes[i] = new wxComboBox(box->GetStaticBox(), IDC_PARAMETER_EDIT1 + i);
        grid->Add(m_pBoxes[i], 1, wxEXPAND);
        if (i == 0) {
            m_pBrowse = new wxButton(box->GetStaticBox(), IDC_EVENT_BROWSE, "&Browse");
            grid->Add(m_pBrowse);
            m_pBrowse->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { PressBrowse(); });
        } else {
            grid->AddSpacer(0);
        }
    }
    box->Add(grid, 0, wxEXPAND | wxALL, 6);
    top->Add(box, 0, wxEXPAND | wxALL, 6);
    top->Add(AddUnits(panel, &m_pUnits, &m_pPounds, &m_pKilos), 0, wxALL, 6);
    m_pPounds->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { SetWeightInPounds(true); });
    m_pKilos->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { SetWeightInPounds(false); });
    panel->SetSizer(top);
}

const CvlHelpPair* CMultiEventWizard3Wnd::GetHelpTable() const {
    return kDetailsHelp;
}

void CMultiEventWizard3Wnd::OnSetActive() {
    CMultiEventWizard3::OnSetActive();
    if (!m_pBrowse) return;
    for (int i = 0; i < kShownParameters; ++i) {
        m_pLabels[i]->SetLabel(ToWx(GetLabel(i)));
        m_pLabels[i]->Show(i < GetShownRows());
        m_pBoxes[i]->Show(i < GetShownRows());
        m_pBoxes[i]->ChangeValue(ToWx(m_strParameter[i]));
    }
    m_pBrowse->Show(IsBrowseShown());
    ShowUnits(IsUnitsShown(), IsWeightInPounds(), m_pUnits, m_pPounds, m_pKilos);
    if (wxWindow* window = GetWindow()) window->Layout();
}

void CMultiEventWizard3Wnd::ReadControls() {
    if (!m_pBrowse) return;
    for (int i = 0; i < kShownParameters; ++i) m_strParameter[i] = FromWx(m_pBoxes[i]->GetValue());
}

bool CMultiEventWizard3Wnd::OnKillActive() {
    ReadControls();
    return CMultiEventWizard3::OnKillActive();
}

int CMultiEventWizard3Wnd::OnWizardNext() {
    ReadControls();
    return CMultiEventWizard3::OnWizardNext();
}

void CMultiEventWizard3Wnd::PressBrowse() {
    WString name = FromWx(m_pBoxes[0]->GetValue());
    if (m_picker && m_picker(GetWindow(), m_doc, name)) {
        m_pBoxes[0]->ChangeValue(ToWx(name));
        m_strParameter[0] = name;
    }
}

// ---- values per animal ---------------------------------------------------------------------------------

void CMultiEventWizard4Wnd::OnCreateControls(wxPanel* panel) {
    auto* top = new wxBoxSizer(wxVERTICAL);
    m_pGrid = new CEditListCtrl(panel, IDC_MULTI_GRID, kGridFirstParameterColumn);
    m_pGrid->SetMinSize(wxSize(460, 200));
    top->Add(m_pGrid, 1, wxEXPAND | wxALL, 6);
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(AddUnits(panel, &m_pUnits, &m_pPounds, &m_pKilos), 0, wxRIGHT, 6);
    m_pBrowse = new wxButton(panel, IDC_EVENT_BROWSE, "&Browse");
    row->Add(m_pBrowse, 0, wxALIGN_CENTER_VERTICAL);
    top->Add(row, 0, wxLEFT | wxRIGHT, 6);
    top->Add(
        new wxStaticText(panel, wxID_ANY,
                         "Hint: To quickly copy data from one cell to another you can use Ctrl+C to copy and "
                         "Ctrl+V to paste"),
        0, wxALL, 6);
    panel->SetSizer(top);
    panel->Bind(CVL_EVT_CELL_EDITED, [this](CCellEditEvent& event) {
        if (!event.IsCancelled()) SetCell(event.GetRow(), event.GetColumn(), FromWx(event.GetText()));
    });
    m_pPounds->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { ClickUnit(true); });
    m_pKilos->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { ClickUnit(false); });
    m_pBrowse->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { PressBrowse(); });
}

const CvlHelpPair* CMultiEventWizard4Wnd::GetHelpTable() const {
    return Grid4Help::table;
}

void CMultiEventWizard4Wnd::OnSetActive() {
    CMultiEventWizard4::OnSetActive();
    if (!m_pGrid) return;
    m_pGrid->ClearAll();
    for (const WString& header : GetHeaders()) m_pGrid->AppendColumn(ToWx(header));
    for (int row = 0; row < GetRowCount(); ++row) m_pGrid->InsertItem(row, wxEmptyString);
    ShowCells();
    for (int column = 0; column < GetColumnCount(); ++column)
        m_pGrid->SetColumnWidth(column, IsColumnShown(column) ? wxLIST_AUTOSIZE_USEHEADER : 0);
    m_pBrowse->Show(IsBrowseShown());
    ShowUnits(IsUnitsShown(), IsWeightInPounds(), m_pUnits, m_pPounds, m_pKilos);
    if (wxWindow* window = GetWindow()) window->Layout();
}

void CMultiEventWizard4Wnd::ShowCells() {
    for (int row = 0; row < GetRowCount(); ++row)
        for (int column = 0; column < GetColumnCount(); ++column)
            m_pGrid->SetItem(row, column, ToWx(GetCell(row, column)));
}

void CMultiEventWizard4Wnd::ShowBadRow() {
    const int row = GetBadRow();
    if (row < 0 || !m_pGrid) return;
    for (int i = 0; i < m_pGrid->GetItemCount(); ++i)
        m_pGrid->SetItemState(i, i == row ? wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED : 0,
                              wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    m_pGrid->EnsureVisible(row);
    m_pGrid->SetFocus();
}

void CMultiEventWizard4Wnd::ClickUnit(bool pounds) {
    if (CInPlaceEdit* edit = m_pGrid->GetActiveEdit()) edit->EndEdit();
    int bad = -1;
    const bool converted = SetWeightInPounds(pounds, &bad);
    (IsWeightInPounds() ? m_pPounds : m_pKilos)->SetValue(true);
    ShowCells();
    if (!converted) ShowBadRow();
}

void CMultiEventWizard4Wnd::PressBrowse() {
    WString name;
    if (!m_picker || !m_picker(GetWindow(), m_doc, name)) return;
    std::vector<int> rows;
    for (long item = m_pGrid->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); item != -1;
         item = m_pGrid->GetNextItem(item, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED))
        rows.push_back(int(item));
    FillAddress(rows, name);
    ShowCells();
}

int CMultiEventWizard4Wnd::OnWizardNext() {
    if (m_pGrid) {
        if (CInPlaceEdit* edit = m_pGrid->GetActiveEdit()) edit->EndEdit();
        for (int i = 0; i < m_pGrid->GetItemCount(); ++i)
            m_pGrid->SetItemState(i, 0, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    }
    const int next = CMultiEventWizard4::OnWizardNext();
    if (next == WIZ_STAY) ShowBadRow();
    return next;
}

// ---- the wizard ------------------------------------------------------------------------------------------

void RunMultiEventWizard(wxWindow* parent, CSheepDoc& doc, const std::vector<WString>& names,
                         int32_t typeFilter, CvlAddressPicker picker) {
    if (!picker && doc.GetFrame()) picker = CvlBrowseAddresses;
    CMultiEventWxPages pages(doc, std::move(picker));
    CMultiEventWizard wizard(&doc, names, typeFilter, pages);
    int result = SHEET_CANCEL;
    {
        CCvlPropertySheet sheet(parent, LoadCvlString(IDS_MULTI_EVENT_WIZARD), true);
        for (CSheetPage* page : wizard.GetPages()) sheet.AddPage(page);
        result = sheet.DoModal();
    }
    wizard.End(result);
}
