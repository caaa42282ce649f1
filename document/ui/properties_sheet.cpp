#include "document/ui/properties_sheet.h"

#include <sys/stat.h>
#include <wx/checkbox.h>
#include <wx/filename.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <ctime>

#include "document/sheep_doc.h"
#include "document/summary_info.h"
#include "document/ui/wx_strings.h"
#include "platform/oledate.h"

namespace {

// Summary page edits and the Application text.
constexpr int kSummaryIds[6] = {1007, 1008, 1009, 1010, 1011, 1012};
constexpr int IDC_APPNAME = 1013;
// Statistics page texts.
constexpr int kStatisticIds[10] = {1014, 1015, 1016, 1017, 1018, 1019, 1020, 1021, 1022, 1023};
// General page texts.
constexpr int kGeneralIds[9] = {1001, 1002, 1003, 1004, 1005, 1006, 1024, 1025, 1026};

WString TimeText(const timespec& when) {
    struct tm local {};
    const time_t seconds = when.tv_sec;
    if (!localtime_r(&seconds, &local)) return {};
    return COleDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                        local.tm_sec)
        .Format("%c");
}

void AddRow(wxWindow* parent, wxFlexGridSizer* grid, int id, const char* label, const WString& text) {
    grid->Add(new wxStaticText(parent, wxID_ANY, label));
    grid->Add(new wxStaticText(parent, id, ToWx(text)));
}

}  // namespace

// ---- General -------------------------------------------------------------------------------------------

CGeneralPage::CGeneralPage(const std::string& path) : CCvlPropertyPage(301), m_path(path) {
    SetCaption(u"General");
    SetHasHelp(false);
}

using GeneralPageHelp = CvlControlHelp<1001, 1002, 1003, 1004, 1005, 1006, 1024, 1025, 1026>;
CVL_HELP_TABLE(GeneralPageHelp::table);

const CvlHelpPair* CGeneralPage::GetHelpTable() const {
    return GeneralPageHelp::table;
}

void CGeneralPage::OnCreateControls(wxPanel* panel) {
    auto* top = new wxBoxSizer(wxVERTICAL);
    auto* grid = new wxFlexGridSizer(2, 6, 12);
    struct stat info {};
    // A document never saved has no file to describe.
    if (!m_path.empty() && ::stat(m_path.c_str(), &info) == 0) {
        const wxFileName file(wxString::FromUTF8(m_path));
        grid->Add(new wxStaticText(panel, kGeneralIds[0], file.GetFullName()));
        grid->Add(new wxStaticText(panel, wxID_ANY, "Corvalen File"));
        AddRow(panel, grid, kGeneralIds[1], "Location:", FromWx(file.GetPath()));
        AddRow(panel, grid, kGeneralIds[2], "Size:",
               FromWx(wxFileName::GetHumanReadableSize(wxULongLong(uint64_t(info.st_size)))) +
                   FormatW(" (%lld bytes)", static_cast<long long>(info.st_size)));
        AddRow(panel, grid, kGeneralIds[3], "Size on disk:",
               FromWx(wxFileName::GetHumanReadableSize(wxULongLong(uint64_t(info.st_blocks) * 512))));
        AddRow(panel, grid, kGeneralIds[4], "Changed:", TimeText(info.st_ctim));
        AddRow(panel, grid, kGeneralIds[5], "Modified:", TimeText(info.st_mtim));
        AddRow(panel, grid, kGeneralIds[6], "Accessed:", TimeText(info.st_atim));
        top->Add(grid, 0, wxALL, 8);
        auto* readOnly = new wxCheckBox(panel, kGeneralIds[7], "Read-only");
        readOnly->SetValue(::access(m_path.c_str(), W_OK) != 0);
        auto* hidden = new wxCheckBox(panel, kGeneralIds[8], "Hidden");
        hidden->SetValue(file.GetFullName().StartsWith("."));
        readOnly->Disable();
        hidden->Disable();
        top->Add(readOnly, 0, wxALL, 4);
        top->Add(hidden, 0, wxALL, 4);
    } else {
        top->Add(grid, 0, wxALL, 8);
    }
    panel->SetSizer(top);
}

// ---- Summary -------------------------------------------------------------------------------------------

CSummPage::CSummPage(CSheepDoc& doc) : CCvlPropertyPage(186), m_doc(doc) {
    SetCaption(u"Summary");
    SetHasHelp(false);
}

using SummPageHelp = CvlControlHelp<1007, 1008, 1009, 1010, 1011, 1012, IDC_APPNAME>;
CVL_HELP_TABLE(SummPageHelp::table);

const CvlHelpPair* CSummPage::GetHelpTable() const {
    return SummPageHelp::table;
}

void CSummPage::OnCreateControls(wxPanel* panel) {
    const CSummaryInfo& s = m_doc.GetSummaryInfo();
    const std::string* texts[6] = {&s.m_title,    &s.m_subject,  &s.m_author,
                                   &s.m_keywords, &s.m_comments, &s.m_template};
    const char* labels[6] = {"&Title:", "&Subject:", "&Author:", "&Keywords:", "&Comments:", "T&emplate:"};
    auto* grid = new wxFlexGridSizer(2, 6, 8);
    grid->AddGrowableCol(1);
    for (int i = 0; i < 6; ++i) {
        grid->Add(new wxStaticText(panel, wxID_ANY, labels[i]), 0, wxALIGN_CENTER_VERTICAL);
        m_pEdits[i] = new wxTextCtrl(panel, kSummaryIds[i], ToWx(AnsiToW(*texts[i])), wxDefaultPosition,
                                     wxSize(280, i == 4 ? 70 : -1), i == 4 ? wxTE_MULTILINE : 0);
        grid->Add(m_pEdits[i], 1, wxEXPAND);
    }
    AddRow(panel, grid, IDC_APPNAME, "Application:", AnsiToW(s.m_appName));
    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(grid, 1, wxEXPAND | wxALL, 8);
    panel->SetSizer(top);
}

bool CSummPage::OnApply() {
    CSummaryInfo& s = m_doc.GetSummaryInfo();
    std::string* texts[6] = {&s.m_title,    &s.m_subject,  &s.m_author,
                             &s.m_keywords, &s.m_comments, &s.m_template};
    for (int i = 0; i < 6; ++i) *texts[i] = WToAnsi(FromWx(m_pEdits[i]->GetValue()));
    m_doc.SetModifiedFlag(true);
    return true;
}

// ---- Statistics ----------------------------------------------------------------------------------------

CStatPage::CStatPage(CSheepDoc& doc) : CCvlPropertyPage(187), m_doc(doc) {
    SetCaption(u"Statistics");
    SetHasHelp(false);
}

using StatPageHelp = CvlControlHelp<1014, 1015, 1016, 1017, 1018, 1019, 1020, 1021, 1022, 1023>;
CVL_HELP_TABLE(StatPageHelp::table);

const CvlHelpPair* CStatPage::GetHelpTable() const {
    return StatPageHelp::table;
}

void CStatPage::OnCreateControls(wxPanel* panel) {
    const CSummaryInfo& s = m_doc.GetSummaryInfo();
    const struct {
        const char* label;
        WString text;
    } rows[10] = {
        {"Last Saved By:", AnsiToW(s.m_lastAuthor)},
        {"Revision number:", AnsiToW(s.m_revNum)},
        {"Total Editing Time:", s.GetTotalEditTimeText()},
        {"Last Printed:", s.GetLastPrintedText()},
        {"Created:", s.GetCreatedText()},
        {"Last Saved:", s.GetLastSavedText()},
        {"# Dedov:", s.GetPageCountText()},
        {"# words:", s.GetWordCountText()},
        {"# chars:", s.GetCharCountText()},
        {"Security Level:", s.GetSecurityText()},
    };
    auto* grid = new wxFlexGridSizer(2, 6, 12);
    for (int i = 0; i < 10; ++i) AddRow(panel, grid, kStatisticIds[i], rows[i].label, rows[i].text);
    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(grid, 0, wxALL, 8);
    panel->SetSizer(top);
}

int CvlRunDocumentProperties(wxWindow* parent, CSheepDoc& doc) {
    CGeneralPage general(doc.GetPathName());
    CSummPage summary(doc);
    CStatPage statistics(doc);
    CCvlPropertySheet sheet(parent, u"Document Properties", false);
    sheet.AddPage(&general);
    sheet.AddPage(&summary);
    sheet.AddPage(&statistics);
    return sheet.DoModal();
}
