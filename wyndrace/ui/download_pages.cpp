#include "wyndrace/ui/download_pages.h"

#include <wx/checkbox.h>
#include <wx/dcmemory.h>
#include <wx/gauge.h>
#include <wx/listctrl.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include "wyndrace/transfer_sheet.h"
#include "wyndrace/ui/download_dialogs.h"

namespace {

wxString Wx(const WString& s) {
    return wxString::FromUTF8(WToUtf8(s));
}

constexpr unsigned IDS_REVIEW_TITLE = 37;
constexpr unsigned IDS_REVIEW_SUBTITLE = 38;
constexpr unsigned IDS_UPDATE_EID = 39;
constexpr unsigned IDS_CHANGE_EID = 40;
constexpr unsigned IDS_REVIEW_ERRORS = 41;
constexpr unsigned IDS_APPLY_TITLE = 42;
constexpr unsigned IDS_APPLY_SUBTITLE = 43;
constexpr unsigned IDS_UPDATING = 46;

// Nothing to do, confirmed (a tick), declined (a cross), question open (the question mark the
// page's header asks the user to look for).
wxBitmap StateImage(int image) {
    wxBitmap bitmap(16, 16);
    wxMemoryDC dc(bitmap);
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    if (image == 1) {
        dc.SetPen(wxPen(wxColour(0, 150, 0), 2));
        dc.DrawLine(3, 8, 7, 12);
        dc.DrawLine(7, 12, 13, 4);
    } else if (image == 2) {
        dc.SetPen(wxPen(wxColour(200, 0, 0), 2));
        dc.DrawLine(4, 4, 12, 12);
        dc.DrawLine(12, 4, 4, 12);
    } else if (image == 3) {
        dc.SetFont(wxFont(wxFontInfo(9).Bold()));
        dc.SetTextForeground(wxColour(200, 120, 0));
        const wxSize mark = dc.GetTextExtent("?");
        dc.DrawText("?", (16 - mark.x) / 2, (16 - mark.y) / 2);
    }
    dc.SelectObject(wxNullBitmap);
    return bitmap;
}

}  // namespace

// ---- review ---------------------------------------------------------------------------------------

CDownloadWizard11::CDownloadWizard11(CDownloadState& state, IDownloadDocument& doc)
    : CCvlPropertyPage(kDownloadReviewPageId), m_state(state), m_doc(doc) {
    SetHeader(WyndraceString(IDS_REVIEW_TITLE), WyndraceString(IDS_REVIEW_SUBTITLE));
    for (int i = 0; i < 4; ++i) m_images.Add(StateImage(i));
}

void CDownloadWizard11::OnCreateControls(wxPanel* panel) {
    auto* top = new wxBoxSizer(wxVERTICAL);
    m_pList = new wxListCtrl(panel, IDC_DL_LIST, wxDefaultPosition, wxSize(360, 200),
                             wxLC_REPORT | wxLC_SINGLE_SEL);
    m_pList->SetImageList(&m_images, wxIMAGE_LIST_SMALL);
    m_pList->AppendColumn(Wx(WyndraceString(IDS_ELECTRONIC_ID)));
    m_pList->AppendColumn(Wx(WyndraceString(IDS_TATTOO)));
    m_pOnlyErrors = new wxCheckBox(panel, IDC_DL_ONLY_ERRORS, "Only show records with errors");
    top->Add(m_pList, 1, wxEXPAND | wxALL, 5);
    top->Add(m_pOnlyErrors, 0, wxALL, 5);
    panel->SetSizer(top);
    m_pList->Bind(wxEVT_LIST_ITEM_ACTIVATED, [this](wxListEvent& e) { DecideItem(e.GetIndex()); });
    m_pList->Bind(wxEVT_LIST_COL_CLICK, [this](wxListEvent& e) { SortBy(e.GetColumn()); });
    m_pOnlyErrors->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { Rebuild(); });
}

void CDownloadWizard11::OnSetActive() {
    Rebuild();
    if (m_model.OpenQuestions() > 0 && !m_warned) {
        m_warned = true;
        AskDownloadQuestion(GetWindow(), WyndraceString(IDS_REVIEW_ERRORS), wxOK | wxICON_INFORMATION);
    }
}

const CReviewRow& CDownloadWizard11::RowOf(long item) const {
    return m_model.Rows().at(size_t(m_pList->GetItemData(item)));
}

void CDownloadWizard11::Rebuild() {
    m_model.Build(m_state.Received(), m_doc, m_state.decisions, m_pOnlyErrors->GetValue());
    m_pList->DeleteAllItems();
    for (size_t i = 0; i < m_model.Rows().size(); ++i) {
        const CReviewRow& row = m_model.Rows()[i];
        long item = m_pList->InsertItem(long(i), Wx(EidText(row.eid)), row.image);
        m_pList->SetItem(item, 1, Wx(row.tattoo));
        m_pList->SetItemData(item, long(i));
    }
    for (int c = 0; c < 2; ++c)
        m_pList->SetColumnWidth(c, m_pList->GetItemCount() ? wxLIST_AUTOSIZE : wxLIST_AUTOSIZE_USEHEADER);
    Sort();
    UpdateButtons();
}

void CDownloadWizard11::UpdateButtons() {
    if (CSheetFlow* sheet = GetSheet())
        sheet->SetWizardButtons(m_model.OpenQuestions() > 0 ? PSWIZB_BACK : PSWIZB_BACK | PSWIZB_NEXT);
}

void CDownloadWizard11::DecideItem(long item) {
    if (item < 0 || item >= m_pList->GetItemCount()) return;
    const size_t index = size_t(m_pList->GetItemData(item));
    const CReviewRow row = m_model.Rows().at(index);
    if (!m_state.decisions.rowKinds.count(row.record)) {
        wxBell();
        return;
    }
    if (row.kind == kReviewNoEid || row.kind == kReviewOtherEid) {
        const WString text =
            FormatPlaceholders(WyndraceString(row.kind == kReviewNoEid ? IDS_UPDATE_EID : IDS_CHANGE_EID),
                               {row.tattoo, EidText(row.eid)});
        const int answer = AskDownloadQuestion(GetWindow(), text, wxYES_NO | wxCANCEL | wxICON_QUESTION);
        if (answer == wxID_CANCEL) return;
        m_model.AnswerEid(index, answer == wxID_YES, m_state.decisions);
    } else if (row.kind == kReviewNoAnimal) {
        CAddSheep dlg(GetWindow(), m_doc, row.eid, row.tattoo, m_model.EarlierSex(index, m_state.decisions));
        const int result = CvlRunModal(dlg);
        if (result == IDC_ADDSHEEP_CREATE)
            m_model.AnswerNewSheep(index, CNewSheep{row.eid, dlg.GetSex(), false}, dlg.GetTattoo(), m_doc,
                                   m_state.decisions);
        else if (result == IDC_ADDSHEEP_SKIP)
            m_model.AnswerNewSheep(index, std::nullopt, row.tattoo, m_doc, m_state.decisions);
        else
            return;
    } else {
        return;
    }
    const CReviewRow& now = m_model.Rows().at(index);
    m_pList->SetItemImage(item, now.image);
    m_pList->SetItem(item, 1, Wx(now.tattoo));
    UpdateButtons();
}

void CDownloadWizard11::SortBy(int column) {
    m_ascending = column == m_sortColumn ? !m_ascending : true;
    m_sortColumn = column;
    Sort();
}

int wxCALLBACK CDownloadWizard11::Compare(wxIntPtr a, wxIntPtr b, wxIntPtr self) {
    auto* page = reinterpret_cast<CDownloadWizard11*>(self);
    const CReviewRow& x = page->m_model.Rows().at(size_t(a));
    const CReviewRow& y = page->m_model.Rows().at(size_t(b));
    int order = page->m_sortColumn == 0 ? (x.eid < y.eid   ? -1
                                           : x.eid > y.eid ? 1
                                                           : 0)
                                        : x.tattoo.compare(y.tattoo);
    return page->m_ascending ? order : -order;
}

void CDownloadWizard11::Sort() {
    if (m_sortColumn >= 0) m_pList->SortItems(&CDownloadWizard11::Compare, reinterpret_cast<wxIntPtr>(this));
}

// ---- apply ----------------------------------------------------------------------------------------

CDownloadWizard12::CDownloadWizard12(CDownloadState& state, IDownloadDocument& doc)
    : CCvlPropertyPage(kDownloadApplyPageId), m_state(state), m_doc(doc) {
    SetHeader(WyndraceString(IDS_APPLY_TITLE), WyndraceString(IDS_APPLY_SUBTITLE));
}

void CDownloadWizard12::OnCreateControls(wxPanel* panel) {
    auto* top = new wxBoxSizer(wxVERTICAL);
    m_pProgress = new wxGauge(panel, IDC_DL_PROGRESS, 1);
    m_pStatus = new wxStaticText(panel, IDC_DL_STATUS, wxString());
    top->Add(m_pProgress, 0, wxEXPAND | wxALL, 10);
    top->Add(m_pStatus, 0, wxEXPAND | wxALL, 10);
    panel->SetSizer(top);
}

void CDownloadWizard12::OnSetActive() {
    const size_t steps = m_state.decisions.eidsToSet.size() + m_state.decisions.sheepToCreate.size();
    m_pProgress->SetRange(int(std::max<size_t>(steps, 1)));
    m_pProgress->SetValue(0);
    if (CSheetFlow* sheet = GetSheet()) sheet->SetWizardButtons(0);
    // Once the page has been drawn.
    m_pending = true;
    GetWindow()->CallAfter([this] { Apply(); });
}

void CDownloadWizard12::Apply() {
    if (!m_pending) return;
    m_pending = false;
    // The flock is the user-interface thread's: the apply runs here, between redraws.
    ApplyDownload(m_doc, m_state.decisions, m_state.events, m_state.control, [this](const WString& tattoo) {
        m_pProgress->SetValue(std::min(m_pProgress->GetValue() + 1, m_pProgress->GetRange()));
        m_pStatus->SetLabel(Wx(FormatPlaceholders(WyndraceString(IDS_UPDATING), {tattoo})));
    });
    m_state.applied = true;
    if (CSheetFlow* sheet = GetSheet()) {
        sheet->SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
        sheet->Next();
    }
}

int CDownloadWizard12::OnWizardBack() {
    return int(m_state.mode == 1 ? kDownloadReviewPageId : kDownloadValidationPageId);
}

// ---- finish ---------------------------------------------------------------------------------------

CDownloadWizard20::CDownloadWizard20()
    : CWizardTextPage(kDownloadFinishPageId, u"Completing the Wyndrace 2S Download Wizard",
                      u"To close this wizard, press Finish.", PSWIZB_FINISH) {}
