#include "views/view_options.h"

#include <wx/button.h>
#include <wx/checklst.h>
#include <wx/combobox.h>
#include <wx/dcclient.h>
#include <wx/fontenum.h>
#include <wx/listbox.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <algorithm>
#include <cmath>

#include "document/sheep_doc.h"
#include "document/ui/wx_strings.h"
#include "platform/host.h"
#include "platform/strings.h"
#include "views/colour_combo.h"
#include "views/report_fonts.h"

namespace {

constexpr unsigned IDS_VIEW_OPTIONS = 288;
constexpr int IDC_COLUMNS = 1124;
constexpr int IDC_UP = 1222;
constexpr int IDC_DOWN = 1223;
constexpr int IDC_RESET = 1334;
constexpr int IDC_FACE = 1210;
constexpr int IDC_SIZE = 1214;
constexpr int IDC_HEADER = 1217;
constexpr int IDC_BODY = 1218;
constexpr int IDC_SAMPLE = 1219;
constexpr int IDC_COLOUR = 1220;
constexpr int IDC_STYLE = 1221;
constexpr int kLastField = 38;

// The page the sheet opens on: the one active when OK was last pressed.
int g_nActivePage = 0;

}  // namespace

// ---- columns ----------------------------------------------------------------------------------------

CFlockVwOpts::CFlockVwOpts(CSheepDoc* doc) : CCvlPropertyPage(136), m_pDoc(doc) {
    SetCaption(u"Report");
}

void CFlockVwOpts::Fill(const std::vector<uint32_t>& layout) {
    m_items.clear();
    WString caption;
    for (uint32_t kind : layout)
        if (m_pDoc && m_pDoc->GetFieldCaption(int(kind), caption)) m_items.push_back({caption, kind, true});
    for (int kind = 1; kind <= kLastField; ++kind) {
        if (!m_pDoc || !m_pDoc->GetFieldCaption(kind, caption)) continue;
        const bool listed = std::any_of(m_items.begin(), m_items.end(), [&](const Item& item) {
            return EqualsNoCase(item.caption, caption);
        });
        if (!listed) m_items.push_back({caption, uint32_t(kind), false});
    }
    m_bFilled = true;
    ShowItems();
    Select(m_items.empty() ? -1 : 0);
}

void CFlockVwOpts::Select(int index) {
    // A check changed on the item left behind makes the page modified.
    if (m_nSelected >= 0 && m_nSelected < int(m_items.size()) &&
        m_items[size_t(m_nSelected)].checked != m_bSelectedChecked)
        m_bModified = true;
    m_nSelected = index;
    if (index >= 0 && index < int(m_items.size())) m_bSelectedChecked = m_items[size_t(index)].checked;
    if (m_pList && index >= 0) m_pList->SetSelection(index);
    ShowButtons();
}

void CFlockVwOpts::SetChecked(int index, bool checked) {
    if (index < 0 || index >= int(m_items.size())) return;
    m_items[size_t(index)].checked = checked;
    if (m_pList) m_pList->Check(unsigned(index), checked);
}

void CFlockVwOpts::MoveUp() {
    if (!CanMoveUp()) return;
    std::swap(m_items[size_t(m_nSelected)], m_items[size_t(m_nSelected - 1)]);
    --m_nSelected;
    m_bModified = true;
    ShowItems();
    if (m_pList) m_pList->SetSelection(m_nSelected);
    ShowButtons();
}

void CFlockVwOpts::MoveDown() {
    if (!CanMoveDown()) return;
    std::swap(m_items[size_t(m_nSelected)], m_items[size_t(m_nSelected + 1)]);
    ++m_nSelected;
    m_bModified = true;
    ShowItems();
    if (m_pList) m_pList->SetSelection(m_nSelected);
    ShowButtons();
}

void CFlockVwOpts::ResetToDefaults() {
    if (!m_pDoc) return;
    const int kind = m_pDoc->GetExtractionCriteria().m_nType;
    Fill(CDocumentStores::MakeDefaultColumns(kind)->m_data);
}

void CFlockVwOpts::OnSetActive() {
    if (m_bFilled || !m_pDoc) return;
    const int kind = m_pDoc->GetExtractionCriteria().m_nType;
    Fill(m_pDoc->GetStores().GetColumnLayout(kind).m_data);
}

bool CFlockVwOpts::OnApply() {
    if (!m_pDoc || !m_bFilled) return true;
    CDWordArray layout;
    for (const Item& item : m_items)
        if (item.checked) layout.m_data.push_back(item.kind);
    m_pDoc->SetColumns(&layout);
    return true;
}

void CFlockVwOpts::OnReset() {
    ResetToDefaults();
}

void CFlockVwOpts::ShowItems() {
    if (!m_pList) return;
    m_pList->Clear();
    for (const Item& item : m_items) {
        const int at = m_pList->Append(ToWx(item.caption));
        m_pList->Check(unsigned(at), item.checked);
    }
}

void CFlockVwOpts::ShowButtons() {
    if (m_pUp) m_pUp->Enable(CanMoveUp());
    if (m_pDown) m_pDown->Enable(CanMoveDown());
}

void CFlockVwOpts::OnCreateControls(wxPanel* panel) {
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(new wxStaticText(panel, wxID_ANY, "&Current Columns"), 0, wxALL, 5);
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    m_pList = new wxCheckListBox(panel, IDC_COLUMNS, wxDefaultPosition, wxSize(220, 240));
    row->Add(m_pList, 1, wxEXPAND | wxALL, 5);
    auto* buttons = new wxBoxSizer(wxVERTICAL);
    m_pUp = new wxButton(panel, IDC_UP, wxString::FromUTF8("\u25B2"), wxDefaultPosition, wxSize(32, -1));
    m_pDown = new wxButton(panel, IDC_DOWN, wxString::FromUTF8("\u25BC"), wxDefaultPosition, wxSize(32, -1));
    auto* reset = new wxButton(panel, IDC_RESET, "&Reset");
    buttons->Add(m_pUp, 0, wxALL, 2);
    buttons->Add(m_pDown, 0, wxALL, 2);
    buttons->AddSpacer(10);
    buttons->Add(reset, 0, wxALL, 2);
    row->Add(buttons, 0, wxALL, 5);
    sizer->Add(row, 1, wxEXPAND);
    panel->SetSizer(sizer);
    m_pList->Bind(wxEVT_LISTBOX, [this](wxCommandEvent& e) { Select(e.GetSelection()); });
    m_pList->Bind(wxEVT_CHECKLISTBOX, [this](wxCommandEvent& e) {
        const int index = e.GetInt();
        if (index >= 0 && index < int(m_items.size()))
            m_items[size_t(index)].checked = m_pList->IsChecked(unsigned(index));
    });
    m_pUp->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { MoveUp(); });
    m_pDown->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { MoveDown(); });
    reset->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { ResetToDefaults(); });
    if (m_bFilled) {
        ShowItems();
        if (m_nSelected >= 0) m_pList->SetSelection(m_nSelected);
    }
    ShowButtons();
}

using FlockVwOptsHelp = CvlControlHelp<IDC_COLUMNS, IDC_DOWN, IDC_UP, IDC_RESET>;
CVL_HELP_TABLE(FlockVwOptsHelp::table);

const CvlHelpPair* CFlockVwOpts::GetHelpTable() const {
    return FlockVwOptsHelp::table;
}

// ---- fonts ------------------------------------------------------------------------------------------

namespace {

// The sample: "Sample Text" centred in the edited item's font and colour.
class CDemoFontWnd : public wxWindow {
public:
    CDemoFontWnd(wxWindow* parent, int id)
        : wxWindow(parent, id, wxDefaultPosition, wxSize(240, 60), wxBORDER_SUNKEN) {
        SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW));
        SetLabel("Sample Text");
        Bind(wxEVT_PAINT, [this](wxPaintEvent&) {
            wxPaintDC dc(this);
            dc.SetBackground(wxBrush(GetBackgroundColour()));
            dc.Clear();
            dc.SetFont(GetFont());
            dc.SetTextForeground(GetForegroundColour());
            dc.DrawLabel(GetLabel(), GetClientRect(), wxALIGN_CENTRE);
        });
    }
};

}  // namespace

CReportFontPage::CReportFontPage(CSheepDoc* doc) : CCvlPropertyPage(204), m_pDoc(doc) {
    SetCaption(u"Fonts");
    if (m_pDoc) {
        const CDocumentFile& file = m_pDoc->GetFile();
        m_header = file.m_headerFont;
        m_body = file.m_bodyFont;
        m_crHeader = file.m_crHeader;
        m_crBody = file.m_crBody;
    }
    ShowFont(m_body);
}

const std::vector<WString>& CReportFontPage::GetStyles() {
    static const std::vector<WString> styles = {u"Regular", u"Italic", u"Bold", u"Bold Italic"};
    return styles;
}

const std::vector<WString>& CReportFontPage::GetSizes() {
    static const std::vector<WString> sizes = {u"8",  u"9",  u"10", u"11", u"12", u"14", u"16", u"18",
                                               u"20", u"22", u"24", u"26", u"28", u"36", u"48", u"72"};
    return sizes;
}

int32_t CReportFontPage::StyleWeight(const WString& style) {
    WString name = style;
    const WString italic = u" Italic";
    if (name.size() >= italic.size() && name.compare(name.size() - italic.size(), italic.size(), italic) == 0)
        name.resize(name.size() - italic.size());
    else if (name == u"Italic")
        name = u"Regular";
    if (name == u"Normal" || name == u"Regular") return 400;
    if (name == u"Bold") return 700;
    return 0;
}

void CReportFontPage::ShowFont(const CFontRecord& font) {
    m_strFace = font.GetFaceName();
    const bool bold = font.m_lf.lfWeight >= 700;
    const bool italic = font.m_lf.lfItalic != 0;
    m_strStyle = bold ? (italic ? u"Bold Italic" : u"Bold") : (italic ? u"Italic" : u"Regular");
    const double points = std::abs(font.m_lf.lfHeight) / 10.0;
    m_strSize =
        IntToW(points >= kSmallestReadablePoints
                   ? std::lround(points)
                   : std::lround(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT).GetFractionalPointSize()));
    if (!m_pFace) return;
    int face = m_pFace->FindString(ToWx(m_strFace), true);
    if (face == wxNOT_FOUND) {
        CvlMessageBoxText(u"Unable to find the font " + m_strFace, MB_OK | MB_ICONEXCLAMATION | MB_HELP);
        face = m_pFace->GetCount() > 0 ? 0 : wxNOT_FOUND;
        m_strFace = face == wxNOT_FOUND ? WString() : FromWx(m_pFace->GetString(unsigned(face)));
    }
    if (face != wxNOT_FOUND) m_pFace->SetSelection(face);
    m_pStyle->SetStringSelection(ToWx(m_strStyle));
    m_pSize->SetValue(ToWx(m_strSize));
}

void CReportFontPage::RenewSample() {
    CFontRecord font;
    long long size = 0;
    ParseInt(m_strSize, size);
    font.m_lf.lfHeight = int32_t(size * 10);
    font.m_lf.lfWeight = StyleWeight(m_strStyle);
    const WString italic = u"Italic";
    font.m_lf.lfItalic =
        m_strStyle.size() >= italic.size() &&
                m_strStyle.compare(m_strStyle.size() - italic.size(), italic.size(), italic) == 0
            ? 255
            : 0;
    font.SetFaceName(m_strFace);
    (m_bHeader ? m_header : m_body) = font;
    if (m_pSample) {
        m_pSample->SetFont(FontFromRecord(font));
        m_pSample->SetForegroundColour(ColourFromRef(m_bHeader ? m_crHeader : m_crBody));
        m_pSample->Refresh();
    }
}

void CReportFontPage::EditHeader(bool header) {
    m_bHeader = header;
    ShowFont(header ? m_header : m_body);
    if (m_pColour) m_pColour->SelectColour(header ? m_crHeader : m_crBody);
    if (m_pHeaderButton) (header ? m_pHeaderButton : m_pBodyButton)->SetValue(true);
    RenewSample();
}

void CReportFontPage::ChooseFace(const WString& face) {
    m_strFace = face;
    RenewSample();
}

void CReportFontPage::ChooseStyle(const WString& style) {
    m_strStyle = style;
    RenewSample();
}

void CReportFontPage::ChooseSize(const WString& size) {
    m_strSize = size;
    RenewSample();
}

void CReportFontPage::ChooseColour(int index) {
    const uint32_t colour = m_pColour && index >= 0 ? m_pColour->GetColour(index) : 0;
    (m_bHeader ? m_crHeader : m_crBody) = colour;
    RenewSample();
}

bool CReportFontPage::OnApply() {
    RenewSample();
    if (!m_pDoc) return true;
    CDocumentFile& file = m_pDoc->GetFile();
    file.m_bodyFont = m_body;
    file.m_headerFont = m_header;
    file.m_crHeader = m_crHeader;
    file.m_crBody = m_crBody;
    m_pDoc->SetModifiedFlag(true);
    m_pDoc->UpdateAllViews(nullptr, HINT_FONTS, nullptr);
    return true;
}

void CReportFontPage::OnCreateControls(wxPanel* panel) {
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    auto* item = new wxBoxSizer(wxHORIZONTAL);
    item->Add(new wxStaticText(panel, wxID_ANY, "Item"), 0, wxALIGN_CENTER_VERTICAL | wxALL, 5);
    m_pHeaderButton =
        new wxRadioButton(panel, IDC_HEADER, "Header", wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    m_pBodyButton = new wxRadioButton(panel, IDC_BODY, "Body Text");
    item->Add(m_pHeaderButton, 0, wxALL, 5);
    item->Add(m_pBodyButton, 0, wxALL, 5);
    sizer->Add(item);

    auto* lists = new wxFlexGridSizer(2, 3, 2, 8);
    lists->Add(new wxStaticText(panel, wxID_ANY, "Font"));
    lists->Add(new wxStaticText(panel, wxID_ANY, "Weight"));
    lists->Add(new wxStaticText(panel, wxID_ANY, "Size"));
    wxArrayString faces = wxFontEnumerator::GetFacenames();
    faces.Sort();
    m_pFace = new wxListBox(panel, IDC_FACE, wxDefaultPosition, wxSize(200, 140), faces);
    wxArrayString styles, sizes;
    for (const WString& s : GetStyles()) styles.Add(ToWx(s));
    for (const WString& s : GetSizes()) sizes.Add(ToWx(s));
    m_pStyle = new wxListBox(panel, IDC_STYLE, wxDefaultPosition, wxSize(110, 140), styles);
    m_pSize = new wxComboBox(panel, IDC_SIZE, wxEmptyString, wxDefaultPosition, wxSize(70, -1), sizes,
                             wxCB_DROPDOWN);
    lists->Add(m_pFace, 1, wxEXPAND);
    lists->Add(m_pStyle, 1, wxEXPAND);
    lists->Add(m_pSize);
    sizer->Add(lists, 1, wxEXPAND | wxALL, 5);

    auto* colour = new wxBoxSizer(wxHORIZONTAL);
    colour->Add(new wxStaticText(panel, wxID_ANY, "Colour"), 0, wxALIGN_CENTER_VERTICAL | wxALL, 5);
    m_pColour = new CColourCombo(panel, IDC_COLOUR);
    for (uint32_t red : {0u, 127u, 254u})
        for (uint32_t green : {0u, 127u, 254u})
            for (uint32_t blue : {0u, 127u, 254u}) m_pColour->AddColour(red | (green << 8) | (blue << 16));
    colour->Add(m_pColour, 0, wxALL, 5);
    sizer->Add(colour);
    m_pSample = new CDemoFontWnd(panel, IDC_SAMPLE);
    sizer->Add(m_pSample, 0, wxEXPAND | wxALL, 5);
    panel->SetSizer(sizer);

    m_pHeaderButton->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { EditHeader(true); });
    m_pBodyButton->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { EditHeader(false); });
    m_pFace->Bind(wxEVT_LISTBOX, [this](wxCommandEvent& e) { ChooseFace(FromWx(e.GetString())); });
    m_pStyle->Bind(wxEVT_LISTBOX, [this](wxCommandEvent& e) { ChooseStyle(FromWx(e.GetString())); });
    m_pSize->Bind(wxEVT_COMBOBOX, [this](wxCommandEvent& e) { ChooseSize(FromWx(e.GetString())); });
    m_pSize->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { ChooseSize(FromWx(m_pSize->GetValue())); });
    m_pColour->Bind(wxEVT_COMBOBOX, [this](wxCommandEvent&) { ChooseColour(m_pColour->GetSelection()); });
    EditHeader(m_bHeader);
}

using ReportFontPageHelp =
    CvlControlHelp<IDC_BODY, IDC_SAMPLE, IDC_FACE, IDC_SIZE, IDC_HEADER, IDC_STYLE, IDC_COLOUR>;
CVL_HELP_TABLE(ReportFontPageHelp::table);

const CvlHelpPair* CReportFontPage::GetHelpTable() const {
    return ReportFontPageHelp::table;
}

// ---- the pedigree's page and the sheet ---------------------------------------------------------------

CAntecedantVwOpts::CAntecedantVwOpts() : CCvlPropertyPage(243) {
    SetCaption(u"Antecedants");
}

bool RunViewOptions(wxWindow* parent, CSheepDoc* doc) {
    CFlockVwOpts columns(doc);
    CReportFontPage fonts(doc);
    CAntecedantVwOpts antecedants;
    CCvlPropertySheet sheet(parent, LoadCvlString(IDS_VIEW_OPTIONS), false);
    sheet.AddPage(&columns);
    sheet.AddPage(&fonts);
    sheet.AddPage(&antecedants);
    const int result = sheet.DoModal(g_nActivePage);
    if (result != SHEET_OK) return false;
    g_nActivePage = sheet.GetFlow().GetActiveIndex();
    return true;
}
