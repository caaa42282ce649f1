#include "document/ui/sheep_dialogs_wx.h"

#include <wx/activityindicator.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/datectrl.h>
#include <wx/listctrl.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "document/document_stores.h"
#include "document/sheep_doc.h"
#include "document/ui/context_help.h"
#include "document/ui/sheet.h"
#include "document/ui/window_handles.h"
#include "document/ui/wx_strings.h"
#include "platform/host.h"
#include "platform/message_help.h"
#include "records/sheep.h"

wxDateTime ToWxDate(const COleDateTime& date) {
    if (date.GetStatus() != COleDateTime::valid) return wxDateTime::Today();
    return wxDateTime(wxDateTime::wxDateTime_t(date.GetDay()), wxDateTime::Month(date.GetMonth() - 1),
                      date.GetYear());
}

COleDateTime FromWxDate(const wxDateTime& date, const COleDateTime& timeOf) {
    const bool timeValid = timeOf.GetStatus() == COleDateTime::valid;
    COleDateTime result;
    result.SetDateTime(date.GetYear(), int(date.GetMonth()) + 1, date.GetDay(), timeValid ? timeOf.GetHour() : 0,
                       timeValid ? timeOf.GetMinute() : 0, timeValid ? timeOf.GetSecond() : 0);
    return result;
}

namespace {

using AddHelp = CvlControlHelp<IDC_ADD_TATTOO, IDC_ADD_PURCHASE, IDC_ADD_DATE, IDC_ADD_PRICE, IDC_ADD_SELLER,
                               IDC_ADD_BROWSE>;
CVL_HELP_TABLE(AddHelp::table);
using GotoHelp = CvlControlHelp<IDC_GOTO_LIST, IDC_GOTO_KEY, IDC_GOTO_NUMBER, IDC_GOTO_BY_EARTAG,
                                IDC_GOTO_BY_TATTOO, IDC_GOTO_BY_EID>;
CVL_HELP_TABLE(GotoHelp::table);
CVL_MESSAGE_HELP(IDS_SHEEP_NOT_FOUND);

}  // namespace

bool CvlBrowseAddresses(wxWindow* parent, CSheepDoc& doc, WString& name) {
    IDocumentFrame* frame = doc.GetFrame();
    return frame && frame->RunAddressBrowser(CvlWindowHandle(parent), &name);
}

// ---- Add Dedov -----------------------------------------------------------------------------------

CAddSheepDlg::CAddSheepDlg(CSheepDoc* doc, wxWindow* parent, CvlAddressPicker picker)
    : wxDialog(parent, wxID_ANY, "Add Dedov"), m_model(doc), m_picker(std::move(picker)), m_pDoc(doc) {
    m_model.Init();
    if (!m_picker && doc->GetFrame()) m_picker = CvlBrowseAddresses;
    auto* top = new wxBoxSizer(wxVERTICAL);
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticText(this, wxID_ANY, "Tattoo:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
    m_pTattoo = new wxTextCtrl(this, IDC_ADD_TATTOO, "", wxDefaultPosition, wxSize(200, -1));
    row->Add(m_pTattoo, 1);
    top->Add(row, 0, wxEXPAND | wxALL, 10);

    auto* box = new wxStaticBoxSizer(wxVERTICAL, this, "Purchase Details");
    m_pPurchase = new wxCheckBox(box->GetStaticBox(), IDC_ADD_PURCHASE, "Purchase");
    box->Add(m_pPurchase, 0, wxALL, 4);
    auto* grid = new wxFlexGridSizer(3, 6, 6);
    grid->AddGrowableCol(1);
    grid->Add(new wxStaticText(box->GetStaticBox(), wxID_ANY, "Date:"), 0, wxALIGN_CENTER_VERTICAL);
    m_pDate = new wxDatePickerCtrl(box->GetStaticBox(), IDC_ADD_DATE, ToWxDate(m_model.m_dtDate));
    grid->Add(m_pDate, 1, wxEXPAND);
    grid->AddSpacer(0);
    grid->Add(new wxStaticText(box->GetStaticBox(), wxID_ANY, "Price:"), 0, wxALIGN_CENTER_VERTICAL);
    m_pPrice = new wxTextCtrl(box->GetStaticBox(), IDC_ADD_PRICE);
    grid->Add(m_pPrice, 1, wxEXPAND);
    grid->AddSpacer(0);
    grid->Add(new wxStaticText(box->GetStaticBox(), wxID_ANY, "Seller:"), 0, wxALIGN_CENTER_VERTICAL);
    m_pSeller = new wxTextCtrl(box->GetStaticBox(), IDC_ADD_SELLER);
    grid->Add(m_pSeller, 1, wxEXPAND);
    m_pBrowse = new wxButton(box->GetStaticBox(), IDC_ADD_BROWSE, "...", wxDefaultPosition, wxDefaultSize,
                             wxBU_EXACTFIT);
    grid->Add(m_pBrowse);
    box->Add(grid, 0, wxEXPAND | wxALL, 4);
    top->Add(box, 0, wxEXPAND | wxLEFT | wxRIGHT, 10);

    auto* buttons = new wxStdDialogButtonSizer;
    m_pOk = new wxButton(this, wxID_OK);
    buttons->AddButton(m_pOk);
    buttons->AddButton(new wxButton(this, wxID_CANCEL));
    buttons->Realize();
    top->Add(buttons, 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(top);

    m_pPurchase->SetValue(m_model.m_bPurchased);
    m_pTattoo->Bind(wxEVT_TEXT, [this](wxCommandEvent&) {
        m_model.m_strTattoo = FromWx(m_pTattoo->GetValue());
        UpdateControls();
    });
    m_pPurchase->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) {
        m_model.SetPurchased(m_pPurchase->GetValue());
        UpdateControls();
    });
    m_pBrowse->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        WString name = FromWx(m_pSeller->GetValue());
        if (m_picker && m_picker(this, *m_pDoc, name)) m_pSeller->ChangeValue(ToWx(name));
    });
    m_pOk->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { PressOk(); });
    CvlAttachContextHelp(this, AddHelp::table);
    UpdateControls();
    m_pTattoo->SetFocus();
}

bool CAddSheepDlg::ArePurchaseControlsEnabled() const {
    return m_pDate->IsEnabled() && m_pPrice->IsEnabled() && m_pSeller->IsEnabled();
}

void CAddSheepDlg::UpdateControls() {
    m_pOk->Enable(m_model.IsOkEnabled());
    const bool purchase = m_model.ArePurchaseControlsEnabled();
    m_pDate->Enable(purchase);
    m_pPrice->Enable(purchase);
    m_pSeller->Enable(purchase);
    m_pBrowse->Enable(purchase && bool(m_picker));
}

void CAddSheepDlg::PressOk() {
    m_model.m_strTattoo = FromWx(m_pTattoo->GetValue());
    m_model.m_strPrice = FromWx(m_pPrice->GetValue());
    m_model.m_strSeller = FromWx(m_pSeller->GetValue());
    m_model.m_dtDate = FromWxDate(m_pDate->GetValue());
    if (!m_model.IsOkEnabled() || !m_model.OnOK()) return;
    if (IsModal())
        EndModal(wxID_OK);
    else
        SetReturnCode(wxID_OK), Hide();
}

bool NewSheep(wxWindow* parent, CSheepDoc& doc, int32_t sex, WString* newKey, const uint64_t* eid,
              CvlAddressPicker picker) {
    CAddSheepDlg dialog(&doc, parent, std::move(picker));
    if (CvlRunModal(dialog) != wxID_OK) return false;
    return AddSheepFromDialog(doc, dialog.GetModel(), sex, eid ? *eid : 0, newKey);
}

// ---- Goto Dedov ----------------------------------------------------------------------------------

CGotoSheepDlg::CGotoSheepDlg(CSheepDoc* doc, wxWindow* parent, CvlFieldCaption caption)
    : wxDialog(parent, wxID_ANY, "Goto Dedov"), m_model(doc), m_pDoc(doc) {
    auto* top = new wxBoxSizer(wxVERTICAL);
    auto* modes = new wxBoxSizer(wxHORIZONTAL);
    m_pNone = new wxRadioButton(this, wxID_ANY, "", wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    m_pNone->Hide();
    const std::pair<int, const char*> radios[] = {
        {IDC_GOTO_BY_EARTAG, "Eartag"}, {IDC_GOTO_BY_TATTOO, "Tattoo"}, {IDC_GOTO_BY_EID, "Electronic ID"}};
    for (int mode = 0; mode < 3; ++mode) {
        m_pModes[mode] = new wxRadioButton(this, radios[mode].first, radios[mode].second);
        modes->Add(m_pModes[mode], 0, wxRIGHT, 12);
        m_pModes[mode]->Bind(wxEVT_RADIOBUTTON, [this, mode](wxCommandEvent&) {
            m_model.SetMode(mode);
            Relayout();
        });
    }
    top->Add(modes, 0, wxALL, 10);

    auto* grid = new wxFlexGridSizer(2, 6, 6);
    grid->AddGrowableCol(1);
    m_pKeyLabel = new wxStaticText(this, IDC_GOTO_KEY_LABEL, "Eartag Colour:");
    m_pKey = new wxTextCtrl(this, IDC_GOTO_KEY, "", wxDefaultPosition, wxSize(200, -1));
    m_pNumberLabel = new wxStaticText(this, IDC_GOTO_NUMBER_LABEL, "Eartag Number:");
    m_pNumber = new wxTextCtrl(this, IDC_GOTO_NUMBER);
    grid->Add(m_pKeyLabel, 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(m_pKey, 1, wxEXPAND);
    grid->Add(m_pNumberLabel, 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(m_pNumber, 1, wxEXPAND);
    top->Add(grid, 0, wxEXPAND | wxLEFT | wxRIGHT, 10);

    m_pList = new wxListCtrl(this, IDC_GOTO_LIST, wxDefaultPosition, wxSize(320, 140),
                             wxLC_REPORT | wxLC_SINGLE_SEL);
    if (!caption) {
        caption = [doc](int field, WString& text) {
            return CDocumentStores::GetFieldCaption(field, text, [doc](int32_t flag) {
                int32_t readOnly = 0;
                return doc->GetBreedFlag(flag, &readOnly);
            });
        };
    }
    for (int field : {int(SF_TATTOO), int(SF_NAME)}) {
        WString text;
        if (caption && caption(field, text)) {
            m_pList->AppendColumn(ToWx(text));
            m_columns.push_back(field);
        }
    }
    m_pList->Hide();
    top->Add(m_pList, 1, wxEXPAND | wxALL, 10);
    m_pAnimation = new wxActivityIndicator(this, IDC_GOTO_ANIMATION);
    top->Add(m_pAnimation, 0, wxALIGN_CENTER);

    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->AddStretchSpacer();
    m_pFind = new wxButton(this, wxID_OK, ToWx(LoadCvlString(IDS_FIND)));
    buttons->Add(m_pFind, 0, wxALL, 6);
    auto* cancel = new wxButton(this, wxID_CANCEL);
    buttons->Add(cancel, 0, wxALL, 6);
    top->Add(buttons, 0, wxEXPAND);
    SetSizerAndFit(top);

    m_pKey->Bind(wxEVT_TEXT, [this](wxCommandEvent&) {
        m_model.SetKey(FromWx(m_pKey->GetValue()));
        UpdateFind();
    });
    m_pNumber->Bind(wxEVT_TEXT, [this](wxCommandEvent&) {
        m_model.SetNumber(FromWx(m_pNumber->GetValue()));
        UpdateFind();
    });
    m_pFind->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { PressFind(); });
    cancel->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { PressCancel(); });
    m_pList->Bind(wxEVT_LIST_ITEM_FOCUSED,
                  [this](wxListEvent& event) { m_nFocused = int(event.GetIndex()); });
    m_pList->Bind(wxEVT_LIST_ITEM_ACTIVATED, &CGotoSheepDlg::OnActivated, this);
    CvlAttachContextHelp(this, GotoHelp::table);

    m_model.Init();
    if (wxRadioButton* radio = GetModeRadio(m_model.GetMode()))
        radio->SetValue(true);
    else
        m_pNone->SetValue(true);
    Relayout();
}

CGotoSheepDlg::~CGotoSheepDlg() {
    // The list tells of focus changes while it goes; this dialog must still be whole to hear them.
    m_pList->Destroy();
}

wxRadioButton* CGotoSheepDlg::GetModeRadio(int mode) const {
    return mode >= 0 && mode < 3 ? m_pModes[mode] : nullptr;
}

void CGotoSheepDlg::Relayout() {
    if (const WString label = m_model.GetKeyLabel(); !label.empty()) m_pKeyLabel->SetLabel(ToWx(label));
    m_pNumberLabel->Show(m_model.IsNumberShown());
    m_pNumber->Show(m_model.IsNumberShown());
    m_pKey->SetFocus();
    UpdateFind();
    Layout();
}

void CGotoSheepDlg::UpdateFind() {
    m_pFind->Enable(m_model.GetState() == CGotoSheepModel::ResultsShown || m_model.IsFindEnabled());
}

void CGotoSheepDlg::PressFind() {
    if (m_model.GetState() == CGotoSheepModel::ResultsShown) {
        const long row = m_pList->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
        const bool made = m_model.GotoRow(int(row));
        if (IsModal())
            EndModal(wxID_OK);
        else
            SetReturnCode(made || row < 0 ? wxID_OK : wxID_CANCEL), Hide();
        return;
    }
    if (!m_model.IsFindEnabled()) return;
    m_pAnimation->Start();
    m_pFind->Disable();
    m_model.Search();
    ShowResults();
}

void CGotoSheepDlg::ShowResults() {
    m_pList->DeleteAllItems();
    m_pList->Show();
    const auto& results = m_model.GetResults();
    for (size_t i = 0; i < results.size(); ++i) {
        const CSheep* sheep = m_pDoc->FindSheep(results[i]);
        const long row = m_pList->InsertItem(long(i), "");
        for (size_t c = 0; c < m_columns.size(); ++c)
            m_pList->SetItem(row, int(c), sheep ? ToWx(sheep->GetFieldText(unsigned(m_columns[c]))) : "");
    }
    for (size_t c = 0; c < m_columns.size(); ++c) m_pList->SetColumnWidth(int(c), wxLIST_AUTOSIZE_USEHEADER);
    m_pAnimation->Stop();
    Layout();
    Fit();
    if (!results.empty()) {
        m_pList->SetItemState(0, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                              wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
        m_pFind->Enable();
        m_pFind->SetLabel(ToWx(LoadCvlString(IDS_GOTO)));
        if (results.size() > 1)
            m_pList->SetFocus();
        else
            m_pFind->SetFocus();
    } else {
        m_pFind->SetLabel(ToWx(LoadCvlString(IDS_FIND)));
        CvlMessageBox(IDS_SHEEP_NOT_FOUND, MB_OK | MB_HELP);
        m_pFind->Enable();
    }
}

void CGotoSheepDlg::OnActivated(wxListEvent& event) {
    if (m_nFocused < 0) m_nFocused = int(event.GetIndex());
    if (m_nFocused < 0) return;
    PressFind();
}

void CGotoSheepDlg::PressCancel() {
    if (m_model.GetState() == CGotoSheepModel::Searching) {
        m_pAnimation->Stop();
        m_pFind->Enable();
        m_model.CancelSearch();
        return;
    }
    if (IsModal())
        EndModal(wxID_CANCEL);
    else
        SetReturnCode(wxID_CANCEL), Hide();
}
