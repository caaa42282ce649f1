#include "wyndrace/ui/control_pages.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/datetime.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include "document/ui/edit_list_ctrl.h"
#include "platform/oledate.h"
#include "wyndrace/transfer_sheet.h"
#include "wyndrace/ui/download_dialogs.h"
#include "wyndrace/ui/download_pages.h"

namespace {

wxString Wx(const WString& s) {
    return wxString::FromUTF8(WToUtf8(s));
}
WString FromWx(const wxString& s) {
    return Utf8ToW(s.utf8_string());
}

constexpr unsigned IDS_EVENT_TITLE = 48;
constexpr unsigned IDS_EVENT_SUBTITLE = 49;
constexpr unsigned IDS_MAPPING_TITLE = 50;
constexpr unsigned IDS_MAPPING_SUBTITLE = 51;
constexpr unsigned IDS_SELECT_EVENT = 54;
constexpr unsigned IDS_DATE_COLUMN = 55;
constexpr unsigned IDS_TIME_COLUMN = 56;
constexpr unsigned IDS_FIELD = 57;
constexpr unsigned IDS_HOW_TO_PROCESS = 58;
constexpr unsigned IDS_SELECT_MAPPING = 59;
constexpr unsigned IDS_VALIDATE_TITLE = 60;
constexpr unsigned IDS_VALIDATE_SUBTITLE = 61;
constexpr unsigned IDS_CREATE_ADDRESS = 62;
constexpr unsigned IDS_ENTER_UNIT = 63;
constexpr unsigned IDS_NOT_NUMERIC = 64;
const char16_t kAlreadyMapped[] = u"%1 already has the electronic ID %2. Please choose another animal.";
const char16_t kUndated[] =
    u"The reading of %1 has a date or time that does not exist. Please correct the reader's clock and "
    u"download the readings again.";

void Tell(wxWindow* parent, const WString& text) {
    AskDownloadQuestion(parent, text, wxOK | wxICON_EXCLAMATION);
}

// "Field 0", "Field 1"...: the format is our own string table's.
WString FieldName(size_t field) {
    return FormatW(WToUtf8(WyndraceString(IDS_FIELD)).c_str(), int(field));
}

wxString DatePart(const CControlEvent& event, bool date) {
    if (!event.whenValid) return wxString();
    struct tm parts {};
    if (!COleDateTime(event.when).GetAsTm(parts)) return wxString();
    wxDateTime when(parts);
    return date ? when.FormatDate() : when.FormatTime();
}

// The columns every control list starts with, and one row per reading.
void FillReadings(wxListCtrl* list, const std::vector<CControlEvent>& events,
                  const std::function<std::vector<WString>(const CControlEvent&)>& more,
                  const std::vector<WString>& moreHeadings) {
    list->ClearAll();
    for (unsigned heading : {IDS_ELECTRONIC_ID, IDS_DATE_COLUMN, IDS_TIME_COLUMN, IDS_TATTOO})
        list->AppendColumn(Wx(WyndraceString(heading)));
    for (const WString& heading : moreHeadings) list->AppendColumn(Wx(heading));
    for (size_t i = 0; i < events.size(); ++i) {
        const CControlEvent& e = events[i];
        long item = list->InsertItem(long(i), Wx(EidText(e.eid)));
        list->SetItem(item, 1, DatePart(e, true));
        list->SetItem(item, 2, DatePart(e, false));
        list->SetItem(item, 3, Wx(e.tattoo));
        std::vector<WString> cells = more(e);
        for (size_t c = 0; c < cells.size() && c < moreHeadings.size(); ++c)
            list->SetItem(item, long(4 + c), Wx(cells[c]));
        list->SetItemData(item, long(i));
    }
    for (int c = 0; c < list->GetColumnCount(); ++c) list->SetColumnWidth(c, wxLIST_AUTOSIZE_USEHEADER);
}

struct ReadingOrder {
    const std::vector<CControlEvent>* events;
    bool mapped;  // the value columns hold the mapped parameters, not the reading's values
    int column;
    bool ascending;
};

int CompareCells(const std::vector<WString>& x, const std::vector<WString>& y, size_t k) {
    const WString none;
    return (k < x.size() ? x[k] : none).compare(k < y.size() ? y[k] : none);
}

int wxCALLBACK CompareReadings(wxIntPtr a, wxIntPtr b, wxIntPtr data) {
    const auto& order = *reinterpret_cast<const ReadingOrder*>(data);
    const CControlEvent& x = order.events->at(size_t(a));
    const CControlEvent& y = order.events->at(size_t(b));
    int result = 0;
    if (order.column == 0) {
        result = x.eid < y.eid ? -1 : x.eid > y.eid ? 1 : 0;
    } else if (order.column == 1 || order.column == 2) {
        // A reading whose date does not exist has no place in time: it goes first.
        const double xw = x.whenValid ? x.when : -1e300, yw = y.whenValid ? y.when : -1e300;
        result = xw < yw ? -1 : xw > yw ? 1 : x.tattoo.compare(y.tattoo);
    } else if (order.column == 3) {
        result = x.tattoo.compare(y.tattoo);
    } else {
        const size_t k = size_t(order.column - 4);
        result = order.mapped ? CompareCells(x.mapped, y.mapped, k) : CompareCells(x.values, y.values, k);
    }
    result = result < 0 ? -1 : result > 0 ? 1 : 0;
    return order.ascending ? result : -result;
}

void SortReadings(wxListCtrl* list, const CDownloadState& state, bool mapped) {
    if (state.sortColumn < 0 || state.sortColumn >= list->GetColumnCount()) return;
    ReadingOrder order{&state.events, mapped, state.sortColumn, state.sortAscending};
    list->SortItems(&CompareReadings, reinterpret_cast<wxIntPtr>(&order));
}

// A click on a column sorts by it; a second click on the same one reverses the order.
void SortOnClick(wxListCtrl* list, CDownloadState& state, bool mapped) {
    list->Bind(wxEVT_LIST_COL_CLICK, [list, &state, mapped](wxListEvent& e) {
        state.sortAscending = e.GetColumn() == state.sortColumn ? !state.sortAscending : true;
        state.sortColumn = e.GetColumn();
        SortReadings(list, state, mapped);
    });
}

}  // namespace

// ---- event type -----------------------------------------------------------------------------------

CDownloadWizard15::CDownloadWizard15(CDownloadState& state, IDownloadDocument& doc)
    : CCvlPropertyPage(kDownloadEventTypePageId), m_state(state), m_doc(doc) {
    SetHeader(WyndraceString(IDS_EVENT_TITLE), WyndraceString(IDS_EVENT_SUBTITLE));
}

void CDownloadWizard15::OnCreateControls(wxPanel* panel) {
    auto* top = new wxBoxSizer(wxVERTICAL);
    m_pCodes = new wxListBox(panel, IDC_DL_LIST, wxDefaultPosition, wxSize(300, 200));
    top->Add(m_pCodes, 1, wxEXPAND | wxALL, 5);
    panel->SetSizer(top);
    m_pCodes->Bind(wxEVT_LISTBOX_DCLICK, [this](wxCommandEvent&) {
        if (CSheetFlow* sheet = GetSheet()) sheet->Next();
    });
}

void CDownloadWizard15::OnSetActive() {
    if (!m_pCodes->IsEmpty()) return;
    m_codes = m_doc.EventCodes();
    for (const CEventCodeInfo& code : m_codes) m_pCodes->Append(Wx(code.name));
}

int CDownloadWizard15::OnWizardNext() {
    wxBusyCursor wait;
    const int chosen = m_pCodes->GetSelection();
    if (chosen == wxNOT_FOUND || size_t(chosen) >= m_codes.size()) {
        Tell(GetWindow(), WyndraceString(IDS_SELECT_EVENT));
        m_pCodes->SetFocus();
        return WIZ_STAY;
    }
    const CEventCodeInfo& code = m_codes[size_t(chosen)];
    m_state.control.eventCode = code.name;
    m_state.parameterNames = code.parameters;
    m_state.parameterTypes = code.types;
    m_state.control.weightParameter = -1;
    for (size_t k = 0; k < code.types.size(); ++k)
        if (code.types[k] == kParameterWeight) {
            m_state.control.weightParameter = int(k);
            break;
        }
    m_state.control.shownUnit = WeightUnit::None;
    m_state.mapping.assign(code.parameters.size(), -1);
    m_state.events = BuildControlEvents(m_state.Received());
    return code.parameters.empty() ? int(kDownloadValidationPageId) : WIZ_NEXT;
}

// ---- field mapping ---------------------------------------------------------------------------------

CDownloadWizard16::CDownloadWizard16(CDownloadState& state, IDownloadDocument& doc)
    : CCvlPropertyPage(kDownloadMappingPageId), m_state(state), m_doc(doc) {
    SetHeader(WyndraceString(IDS_MAPPING_TITLE), WyndraceString(IDS_MAPPING_SUBTITLE));
}

void CDownloadWizard16::OnCreateControls(wxPanel* panel) {
    auto* top = new wxBoxSizer(wxVERTICAL);
    m_pSample = new wxListCtrl(panel, IDC_DL_LIST, wxDefaultPosition, wxSize(420, 140),
                               wxLC_REPORT | wxLC_HRULES | wxLC_VRULES);
    top->Add(m_pSample, 1, wxEXPAND | wxALL, 5);
    const int ids[3][4] = {{2028, 2025, 2027, 2026}, {2029, 2030, 2032, 2031}, {2038, 2039, 2041, 2040}};
    for (int k = 0; k < 3; ++k) {
        Row& row = m_rows[size_t(k)];
        row.label = new wxStaticText(panel, ids[k][0], wxString());
        row.read = new wxRadioButton(panel, ids[k][1], "Read this from", wxDefaultPosition, wxDefaultSize,
                                     wxRB_GROUP);
        row.manual = new wxRadioButton(panel, ids[k][2], "Set this manually");
        row.field = new wxChoice(panel, ids[k][3]);
        auto* line = new wxBoxSizer(wxHORIZONTAL);
        line->Add(row.read, 0, wxALIGN_CENTER_VERTICAL);
        line->Add(row.field, 0, wxLEFT, 5);
        line->Add(row.manual, 0, wxLEFT | wxALIGN_CENTER_VERTICAL, 10);
        top->Add(row.label, 0, wxLEFT | wxTOP, 5);
        top->Add(line, 0, wxALL, 5);
        row.read->Bind(wxEVT_RADIOBUTTON, [this, k](wxCommandEvent&) { UpdateRow(k); });
        row.manual->Bind(wxEVT_RADIOBUTTON, [this, k](wxCommandEvent&) { UpdateRow(k); });
    }
    panel->SetSizer(top);
    SortOnClick(m_pSample, m_state, false);
}

void CDownloadWizard16::UpdateRow(int k) {
    const Row& row = m_rows[size_t(k)];
    row.field->Enable(row.read->GetValue());
}

void CDownloadWizard16::OnSetActive() {
    const size_t values = m_state.events.empty() ? 0 : m_state.events.front().values.size();
    std::vector<WString> headings;
    for (size_t i = 0; i < values; ++i) headings.push_back(FieldName(i));
    FillReadings(
        m_pSample, m_state.events, [](const CControlEvent& e) { return e.values; }, headings);
    SortReadings(m_pSample, m_state, false);
    if (values == 0) {
        // Nothing to map: on at once.
        GetWindow()->CallAfter([this] {
            if (CSheetFlow* sheet = GetSheet(); sheet && sheet->GetActivePage() == this) sheet->Next();
        });
        return;
    }
    for (int k = 0; k < 3; ++k) {
        const Row& row = m_rows[size_t(k)];
        const bool shown = size_t(k) < m_state.parameterNames.size();
        for (wxWindow* w : {static_cast<wxWindow*>(row.label), static_cast<wxWindow*>(row.read),
                            static_cast<wxWindow*>(row.manual), static_cast<wxWindow*>(row.field)})
            w->Show(shown);
        if (!shown) continue;
        row.label->SetLabel(Wx(
            ReplacePercentS(WyndraceString(IDS_HOW_TO_PROCESS), ToLower(m_state.parameterNames[size_t(k)]))));
        row.field->Clear();
        for (size_t i = 0; i < values; ++i) row.field->Append(Wx(FieldName(i)));
        const int mapped = size_t(k) < m_state.mapping.size() ? m_state.mapping[size_t(k)] : -1;
        if (mapped >= 0 && size_t(mapped) < values) {
            row.field->SetSelection(mapped);
            row.read->SetValue(true);
        } else {
            row.manual->SetValue(true);
        }
        UpdateRow(k);
    }
    GetWindow()->Layout();
}

int CDownloadWizard16::OnWizardNext() {
    const size_t count = std::min<size_t>(3, m_state.parameterNames.size());
    for (size_t k = 0; k < count; ++k) {
        const Row& row = m_rows[k];
        if (row.read->GetValue() && row.field->GetSelection() == wxNOT_FOUND) {
            Tell(GetWindow(),
                 FormatPlaceholders(WyndraceString(IDS_SELECT_MAPPING), {m_state.parameterNames[k]}));
            row.field->SetFocus();
            return WIZ_STAY;
        }
    }
    m_state.mapping.assign(m_state.parameterNames.size(), -1);
    for (size_t k = 0; k < count; ++k)
        if (m_rows[k].read->GetValue()) m_state.mapping[k] = m_rows[k].field->GetSelection();

    const bool complete = ResolveTattoos(
        m_state.events, m_doc, m_state.decisions,
        [this](uint64_t eid) -> std::optional<CEidDecision> {
            CMapSheep dlg(GetWindow(), m_doc, EidText(eid));
            if (CvlRunModal(dlg) != wxID_OK) return std::nullopt;
            return CEidDecision{dlg.GetTattoo(), dlg.IsCreate(), dlg.GetSex()};
        },
        [this](const WString& tattoo, uint64_t other) {
            Tell(GetWindow(), FormatPlaceholders(kAlreadyMapped, {tattoo, EidText(other)}));
        });
    return complete ? WIZ_NEXT : WIZ_STAY;
}

// ---- validation -------------------------------------------------------------------------------------

CDownloadWizard17::CDownloadWizard17(CDownloadState& state, IDownloadDocument& doc)
    : CCvlPropertyPage(kDownloadValidationPageId), m_state(state), m_doc(doc) {
    SetHeader(WyndraceString(IDS_VALIDATE_TITLE), WyndraceString(IDS_VALIDATE_SUBTITLE));
}

void CDownloadWizard17::OnCreateControls(wxPanel* panel) {
    auto* top = new wxBoxSizer(wxVERTICAL);
    m_pList = new CEditListCtrl(panel, IDC_DL_LIST, 4);
    m_pList->SetMinSize(wxSize(460, 200));
    top->Add(m_pList, 1, wxEXPAND | wxALL, 5);
    auto* line = new wxBoxSizer(wxHORIZONTAL);
    m_pLb = new wxRadioButton(panel, IDC_DL_LB, "lb", wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    m_pKg = new wxRadioButton(panel, IDC_DL_KG, "kg");
    // Neither unit is chosen until the user says which one the reader used: a hidden third button
    // of the group holds the choice meanwhile.
    m_pNone = new wxRadioButton(panel, wxID_ANY, wxString());
    m_pNone->Hide();
    m_pAddress = new wxButton(panel, IDC_DL_ADDRESS, "&Address...");
    line->Add(m_pLb, 0, wxALIGN_CENTER_VERTICAL);
    line->Add(m_pKg, 0, wxLEFT | wxALIGN_CENTER_VERTICAL, 10);
    line->AddStretchSpacer();
    line->Add(m_pAddress);
    top->Add(line, 0, wxEXPAND | wxALL, 5);
    panel->SetSizer(top);
    m_pLb->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { ChooseUnit(WeightUnit::Lb); });
    m_pKg->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { ChooseUnit(WeightUnit::Kg); });
    m_pAddress->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { NewAddress(); });
    SortOnClick(m_pList, m_state, true);
    panel->Bind(CVL_EVT_CELL_EDITED, [this](CCellEditEvent& e) {
        CellEdited(e.GetRow(), e.GetColumn(), FromWx(e.GetText()), e.IsCancelled());
    });
}

int CDownloadWizard17::ParameterOfType(long type) const {
    for (size_t k = 0; k < m_state.parameterTypes.size(); ++k)
        if (m_state.parameterTypes[k] == type) return int(k);
    return -1;
}

void CDownloadWizard17::OnSetActive() {
    MapParameters(m_state.events, m_state.mapping);
    m_state.control.shownUnit = WeightUnit::None;
    FillReadings(
        m_pList, m_state.events, [](const CControlEvent& e) { return e.mapped; }, m_state.parameterNames);
    SortReadings(m_pList, m_state, true);
    const bool weight = ParameterOfType(kParameterWeight) >= 0;
    ShowUnit(WeightUnit::None);
    m_pLb->Show(weight);
    m_pKg->Show(weight);
    m_pAddress->Show(ParameterOfType(kParameterAddress) >= 0);
    GetWindow()->Layout();
}

void CDownloadWizard17::ShowParameter(int k) {
    for (long item = 0; item < m_pList->GetItemCount(); ++item) {
        const CControlEvent& e = m_state.events.at(size_t(m_pList->GetItemData(item)));
        m_pList->SetItem(item, 4 + k, Wx(e.mapped.at(size_t(k))));
    }
}

void CDownloadWizard17::ShowUnit(WeightUnit unit) {
    (unit == WeightUnit::Lb ? m_pLb : unit == WeightUnit::Kg ? m_pKg : m_pNone)->SetValue(true);
}

void CDownloadWizard17::SelectOnly(long item) {
    for (long i = 0; i < m_pList->GetItemCount(); ++i)
        m_pList->SetItemState(i, i == item ? wxLIST_STATE_SELECTED : 0, wxLIST_STATE_SELECTED);
    m_pList->EnsureVisible(item);
}

bool CDownloadWizard17::ChooseUnit(WeightUnit unit) {
    const int k = m_state.control.weightParameter;
    const WeightUnit before = m_state.control.shownUnit;
    auto restore = [&] { ShowUnit(before); };
    if (k < 0) return false;
    std::vector<WString> cells;
    for (const CControlEvent& e : m_state.events) cells.push_back(e.mapped.at(size_t(k)));
    const int bad = ConvertWeights(cells, WeightFactor(before, unit), m_doc.DecimalPrecision());
    if (bad >= 0) {
        Tell(GetWindow(), WyndraceString(IDS_NOT_NUMERIC));
        for (long item = 0; item < m_pList->GetItemCount(); ++item)
            if (m_pList->GetItemData(item) == wxUIntPtr(bad)) SelectOnly(item);
        restore();
        return false;
    }
    for (size_t i = 0; i < cells.size(); ++i) m_state.events[i].mapped[size_t(k)] = cells[i];
    m_state.control.shownUnit = unit;
    ShowUnit(unit);
    ShowParameter(k);
    return true;
}

void CDownloadWizard17::CellEdited(int row, int column, const WString& text, bool cancelled) {
    if (cancelled || column < 4 || row < 0 || row >= m_pList->GetItemCount()) return;
    CControlEvent& e = m_state.events.at(size_t(m_pList->GetItemData(row)));
    if (size_t(column - 4) < e.mapped.size()) e.mapped[size_t(column - 4)] = text;
}

void CDownloadWizard17::NewAddress() {
    const int k = ParameterOfType(kParameterAddress);
    if (k < 0) return;
    std::optional<WString> code = m_doc.AddAddress(0, WString());
    if (!code) return;
    const bool any = m_pList->GetSelectedItemCount() > 0;
    for (long item = 0; item < m_pList->GetItemCount(); ++item) {
        if (any && !(m_pList->GetItemState(item, wxLIST_STATE_SELECTED) & wxLIST_STATE_SELECTED)) continue;
        m_state.events.at(size_t(m_pList->GetItemData(item))).mapped.at(size_t(k)) = *code;
        m_pList->SetItem(item, 4 + k, Wx(*code));
    }
}

int CDownloadWizard17::OnWizardNext() {
    if (CInPlaceEdit* edit = m_pList->GetActiveEdit()) edit->EndEdit();
    if (int undated = FirstUndatedEvent(m_state.events); undated >= 0) {
        const CControlEvent& e = m_state.events[size_t(undated)];
        Tell(GetWindow(), FormatPlaceholders(kUndated, {e.tattoo.empty() ? EidText(e.eid) : e.tattoo}));
        for (long item = 0; item < m_pList->GetItemCount(); ++item)
            if (m_pList->GetItemData(item) == wxUIntPtr(undated)) SelectOnly(item);
        return WIZ_STAY;
    }
    if (const int k = ParameterOfType(kParameterAddress); k >= 0) {
        for (const CControlEvent& e : m_state.events) {
            const WString& code = e.mapped.at(size_t(k));
            if (code.empty() || m_doc.AddressExists(code)) continue;
            if (AskDownloadQuestion(GetWindow(),
                                    FormatPlaceholders(WyndraceString(IDS_CREATE_ADDRESS), {code}),
                                    wxYES_NO | wxICON_QUESTION) != wxID_YES)
                continue;
            if (!m_doc.AddAddress(0, code)) return WIZ_STAY;
        }
    }
    if (m_state.control.weightParameter >= 0 && m_state.control.shownUnit == WeightUnit::None) {
        Tell(GetWindow(), WyndraceString(IDS_ENTER_UNIT));
        return WIZ_STAY;
    }
    return int(kDownloadApplyPageId);
}

int CDownloadWizard17::OnWizardBack() {
    const bool values = !m_state.events.empty() && !m_state.events.front().values.empty();
    return int(!m_state.parameterNames.empty() && values ? kDownloadMappingPageId : kDownloadEventTypePageId);
}
