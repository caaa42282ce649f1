#include "document/multi_event.h"

#include <algorithm>

#include "document/sheep_doc.h"
#include "platform/host.h"
#include "platform/settings.h"
#include "platform/strings.h"
#include "records/app_services.h"
#include "records/electronic_id.h"
#include "records/event.h"
#include "records/sheep.h"

namespace {

constexpr int kModeEartag = 0;
constexpr int kModeTattoo = 1;
constexpr int kModeEid = 2;

const char16_t kSelectEvent[] = u"Please select an event";

}  // namespace

// ---- pages ---------------------------------------------------------------------------------------

void CMultiEventWizard0::OnSetActive() {
    GetSheet()->SetWizardButtons(PSWIZB_NEXT);
}

CMultiEventWizard0::CMultiEventWizard0() : CSheetPage(IDD_MULTI_EVENT_WIZ0) {
    SetCaption(u"Enter Event Data");
    SetHeaderHidden(true);
    SetHasHelp(false);
}

CMultiEventWizard1::CMultiEventWizard1(CMultiEventWizard& wizard)
    : CSheetPage(IDD_MULTI_EVENT_WIZ1), m_wizard(wizard) {
    SetCaption(u"Select Dedov");
    SetHeader(u"Select Affected Dedov", u"Plese select the sheep to which you want to apply the event");
    SetHasHelp(false);
}

void CMultiEventWizard1::OnSetActive() {
    GetSheet()->SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    if (m_bFilled) return;
    m_bFilled = true;
    CCvlWaitCursor wait;
    m_wizard.m_nSearchMode =
        int(CRegistrySettings::GetDWord(HKEY_CURRENT_USER, u"Settings", u"Search Mode", 0));
    CSheepDoc* doc = m_wizard.GetDocument();
    for (const WString& name : m_wizard.GetNames()) {
        CSheep* sheep = doc->FindSheep(name);
        if (!sheep) continue;
        Row row;
        row.name = name;
        row.colour = sheep->GetEartagColour();
        row.number = sheep->GetEartagNumber();
        if (sheep->GetElectronicID() != 0) row.eid = FormatElectronicID(sheep->GetElectronicID());
        m_rows.push_back(std::move(row));
    }
    m_nChecked = int(m_rows.size());
}

void CMultiEventWizard1::SetChecked(int row, bool checked) {
    if (row < 0 || size_t(row) >= m_rows.size() || m_rows[size_t(row)].checked == checked) return;
    m_rows[size_t(row)].checked = checked;
    m_nChecked += checked ? 1 : -1;
}

WString CMultiEventWizard1::GetCountText() const {
    WString text = LoadCvlString(IDS_RECORDS_SELECTED);
    if (const size_t at = text.find(u"%d"); at != WString::npos) text.replace(at, 2, IntToW(m_nChecked));
    return text;
}

void CMultiEventWizard1::SetSearchMode(int mode) {
    m_wizard.m_nSearchMode = mode;
}

int CMultiEventWizard1::GetSearchMode() const {
    return m_wizard.m_nSearchMode;
}

bool CMultiEventWizard1::IsColumnShown(int column) const {
    switch (m_wizard.m_nSearchMode) {
        case kModeEartag:
            return column != 3;
        case kModeTattoo:
            return column == 0;
        case kModeEid:
            return column == 0 || column == 3;
        default:
            return true;
    }
}

int CMultiEventWizard1::OnWizardNext() {
    m_wizard.m_selection.clear();
    CSheepDoc* doc = m_wizard.GetDocument();
    for (const Row& row : m_rows)
        if (row.checked)
            if (CSheep* sheep = doc->FindSheep(row.name))
                m_wizard.m_selection.emplace_back(row.name, CRefPtr<CSheep>(sheep));
    return WIZ_NEXT;
}

CMultiEventWizard2::CMultiEventWizard2(CMultiEventWizard& wizard)
    : CSheetPage(IDD_MULTI_EVENT_WIZ2), m_dtDate(COleDateTime::GetCurrentTime()), m_wizard(wizard) {
    SetCaption(u"Choose Event");
    SetHeader(u"Choose Event", u"Please enter the date and type of event");
    SetHasHelp(false);
}

void CMultiEventWizard2::OnSetActive() {
    GetSheet()->SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    if (m_bFilled) return;
    m_bFilled = true;
    m_items.emplace_back(WString(), 0);
    for (auto& item :
         CEventCatalogue(m_wizard.GetDocument()->GetBreedPlugIn()).EnumEvents(m_wizard.GetTypeFilter()))
        m_items.push_back(std::move(item));
    m_nSelected = 0;
}

int CMultiEventWizard2::OnWizardNext() {
    if (m_nSelected < 1 || size_t(m_nSelected) >= m_items.size()) {
        CvlMessageBoxText(kSelectEvent, MB_OK | MB_ICONEXCLAMATION);
        return WIZ_STAY;
    }
    if (m_dtDate.GetStatus() != COleDateTime::valid) {
        CvlMessageBoxText(u"The date of the event is not a date that exists.", MB_OK | MB_ICONEXCLAMATION);
        return WIZ_STAY;
    }
    CEventCatalogue catalogue(m_wizard.GetDocument()->GetBreedPlugIn());
    m_wizard.m_nEventCode = m_items[size_t(m_nSelected)].second;
    m_wizard.m_dtEvent = m_dtDate;
    m_wizard.m_bPerAnimal = (catalogue.GetType(m_wizard.m_nEventCode) & EVENT_TYPE_PER_ANIMAL) != 0;
    m_wizard.m_nParameterCount = catalogue.GetParameterCount(m_wizard.m_nEventCode);
    return int(m_wizard.GetValuesPage());
}

CMultiEventWizard3::CMultiEventWizard3(CMultiEventWizard& wizard)
    : CSheetPage(IDD_MULTI_EVENT_WIZ3), m_wizard(wizard) {
    SetCaption(u"Event Details");
    SetHeader(u"Event Details",
              u"Please enter the details for this event. These will be applied to all of the sheep you have "
              u"selected.");
    SetHasHelp(false);
}

void CMultiEventWizard3::OnSetActive() {
    GetSheet()->SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    CEventCatalogue catalogue(m_wizard.GetDocument()->GetBreedPlugIn());
    m_nRows = ShownParameterRows(m_wizard.m_nParameterCount);
    for (int i = 0; i < kShownParameters; ++i)
        m_labels[i] = i < m_nRows ? catalogue.GetParameterTag(m_wizard.m_nEventCode, i) : WString();
    m_wizard.m_bWeightInPounds = IsUnitPounds();
}

void CMultiEventWizard3::SetWeightInPounds(bool pounds) {
    m_wizard.m_bWeightInPounds = pounds;
}

bool CMultiEventWizard3::IsWeightInPounds() const {
    return m_wizard.m_bWeightInPounds;
}

bool CMultiEventWizard3::IsUnitsShown() const {
    return m_wizard.m_nEventCode == EVENT_CODE_WEIGHED;
}

bool CMultiEventWizard3::IsBrowseShown() const {
    return CEvent::IsAddressCode(m_wizard.m_nEventCode);
}

int CMultiEventWizard3::OnWizardNext() {
    double value = 0;
    if (m_wizard.m_nEventCode == EVENT_CODE_WEIGHED && !m_strParameter[0].empty() &&
        !ReadWeight(m_strParameter[0], value)) {
        CvlMessageBox(IDS_WEIGHT_NOT_CONVERTED, MB_OK | MB_ICONEXCLAMATION);
        return WIZ_STAY;
    }
    return int(IDD_MULTI_EVENT_WIZ5);
}

CMultiEventWizard4::CMultiEventWizard4(CMultiEventWizard& wizard)
    : CSheetPage(IDD_MULTI_EVENT_WIZ4), m_wizard(wizard) {
    SetCaption(u"Enter Event Data");
    SetHeader(
        u"Enter Event Data",
        u"Please enter the details for this event. You can enter different information for each sheep.");
    SetHasHelp(false);
}

void CMultiEventWizard4::OnSetActive() {
    GetSheet()->SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    CEventCatalogue catalogue(m_wizard.GetDocument()->GetBreedPlugIn());
    m_headers = {LoadCvlString(174), LoadCvlString(175), LoadCvlString(176)};
    // A list of any length shows the parameters the page can show, never one column per possible one.
    const int parameters = ShownParameterRows(m_wizard.m_nParameterCount);
    for (int i = 0; i < parameters; ++i)
        m_headers.push_back(catalogue.GetParameterTag(m_wizard.m_nEventCode, i));
    m_cells.clear();
    for (const auto& [name, sheep] : m_wizard.m_selection) {
        std::vector<WString> row(m_headers.size());
        row[0] = name;
        row[1] = sheep->GetEartagColour();
        row[2] = sheep->GetEartagNumber();
        m_cells.push_back(std::move(row));
    }
    m_nBadRow = -1;
    m_wizard.m_bWeightInPounds = IsUnitPounds();
}

bool CMultiEventWizard4::SetCell(int row, int column, const WString& text) {
    if (row < 0 || row >= GetRowCount() || column < kGridFirstParameterColumn || column >= GetColumnCount())
        return false;
    m_cells[size_t(row)][size_t(column)] = text;
    return true;
}

bool CMultiEventWizard4::IsColumnShown(int column) const {
    return !(m_wizard.m_nSearchMode == kModeTattoo && (column == 1 || column == 2));
}

bool CMultiEventWizard4::IsUnitsShown() const {
    return m_wizard.m_nEventCode == EVENT_CODE_WEIGHED;
}

bool CMultiEventWizard4::IsWeightInPounds() const {
    return m_wizard.m_bWeightInPounds;
}

bool CMultiEventWizard4::IsBrowseShown() const {
    return CEvent::IsAddressCode(m_wizard.m_nEventCode);
}

void CMultiEventWizard4::FillAddress(const std::vector<int>& rows, const WString& key) {
    CCvlWaitCursor wait;
    for (int row : rows) SetCell(row, kGridFirstParameterColumn, key);
}

bool CMultiEventWizard4::CheckWeight(int row, bool emptyFails) {
    if (GetColumnCount() <= kGridFirstParameterColumn) return true;
    const WString& text = GetCell(row, kGridFirstParameterColumn);
    double value = 0;
    if (text.empty() ? !emptyFails : ReadWeight(text, value)) return true;
    m_nBadRow = row;
    CvlMessageBox(IDS_WEIGHT_NOT_CONVERTED, MB_OK | MB_ICONEXCLAMATION);
    return false;
}

bool CMultiEventWizard4::SetWeightInPounds(bool pounds, int* badRow) {
    m_nBadRow = -1;
    for (int row = 0; row < GetRowCount(); ++row) {
        if (!CheckWeight(row, false)) {
            if (badRow) *badRow = row;
            m_wizard.m_bWeightInPounds = false;
            return false;
        }
    }
    if (pounds != m_wizard.m_bWeightInPounds && GetColumnCount() > kGridFirstParameterColumn) {
        const double factor = pounds ? 1 / kPoundsFactor : kPoundsFactor;
        for (auto& row : m_cells) {
            WString& cell = row[size_t(kGridFirstParameterColumn)];
            double value = 0;
            if (!cell.empty() && ReadWeight(cell, value)) cell = DoubleToW(value * factor, "%.2f");
        }
    }
    m_wizard.m_bWeightInPounds = pounds;
    return true;
}

int CMultiEventWizard4::OnWizardBack() {
    return int(IDD_MULTI_EVENT_WIZ2);
}

int CMultiEventWizard4::OnWizardNext() {
    m_wizard.m_perAnimalEvents.clear();
    m_nBadRow = -1;
    const size_t parameters = m_headers.size() - kGridFirstParameterColumn;
    for (int row = 0; row < GetRowCount(); ++row) {
        if (m_wizard.m_nEventCode == EVENT_CODE_WEIGHED && !CheckWeight(row, true)) return WIZ_STAY;
        // An empty cell is no parameter: the ones after it move up.
        const char16_t* texts[kShownParameters] = {};
        size_t n = 0;
        for (size_t i = 0; i < parameters && i < size_t(kShownParameters); ++i) {
            const WString& cell = m_cells[size_t(row)][kGridFirstParameterColumn + i];
            if (!cell.empty()) texts[n++] = cell.c_str();
        }
        auto event = CRefPtr<CEvent>::Adopt(
            new CEvent(m_wizard.m_dtEvent, m_wizard.m_nEventCode, texts[0], texts[1], texts[2]));
        m_wizard.m_perAnimalEvents.emplace_back(GetCell(row, 0), std::move(event));
    }
    return WIZ_NEXT;
}

CMultiEventWizard5::CMultiEventWizard5(CMultiEventWizard& wizard)
    : CSheetPage(IDD_MULTI_EVENT_WIZ5), m_wizard(wizard) {
    SetCaption(u"Enter Event Data");
    SetHeaderHidden(true);
    SetHasHelp(false);
}

void CMultiEventWizard5::OnSetActive() {
    GetSheet()->SetWizardButtons(PSWIZB_BACK | PSWIZB_FINISH);
}

int CMultiEventWizard5::OnWizardBack() {
    return int(m_wizard.GetValuesPage() == IDD_MULTI_EVENT_WIZ5 ? IDD_MULTI_EVENT_WIZ2
                                                                : m_wizard.GetValuesPage());
}

// ---- the wizard ----------------------------------------------------------------------------------

CMultiEventWizard0* CMultiEventPageFactory::CreateWelcomePage() {
    return new CMultiEventWizard0;
}
CMultiEventWizard1* CMultiEventPageFactory::CreateSelectPage(CMultiEventWizard& wizard) {
    return new CMultiEventWizard1(wizard);
}
CMultiEventWizard2* CMultiEventPageFactory::CreateEventPage(CMultiEventWizard& wizard) {
    return new CMultiEventWizard2(wizard);
}
CMultiEventWizard3* CMultiEventPageFactory::CreateDetailsPage(CMultiEventWizard& wizard) {
    return new CMultiEventWizard3(wizard);
}
CMultiEventWizard4* CMultiEventPageFactory::CreateGridPage(CMultiEventWizard& wizard) {
    return new CMultiEventWizard4(wizard);
}
CMultiEventWizard5* CMultiEventPageFactory::CreateCompletionPage(CMultiEventWizard& wizard) {
    return new CMultiEventWizard5(wizard);
}

CMultiEventWizard::CMultiEventWizard(CSheepDoc* doc, std::vector<WString> names, int32_t typeFilter)
    : CMultiEventWizard(doc, std::move(names), typeFilter, *std::make_unique<CMultiEventPageFactory>()) {}

CMultiEventWizard::CMultiEventWizard(CSheepDoc* doc, std::vector<WString> names, int32_t typeFilter,
                                     CMultiEventPageFactory& pages)
    : m_pDoc(doc),
      m_names(std::move(names)),
      m_nTypeFilter(typeFilter),
      m_page0(pages.CreateWelcomePage()),
      m_page1(pages.CreateSelectPage(*this)),
      m_page2(pages.CreateEventPage(*this)),
      m_page3(pages.CreateDetailsPage(*this)),
      m_page4(pages.CreateGridPage(*this)),
      m_page5(pages.CreateCompletionPage(*this)) {}

CMultiEventWizard::~CMultiEventWizard() = default;

std::vector<CSheetPage*> CMultiEventWizard::GetPages() {
    return {m_page0.get(), m_page1.get(), m_page2.get(), m_page3.get(), m_page4.get(), m_page5.get()};
}

unsigned CMultiEventWizard::GetValuesPage() const {
    if (m_nParameterCount == 0) return IDD_MULTI_EVENT_WIZ5;
    return UsesGrid() ? IDD_MULTI_EVENT_WIZ4 : IDD_MULTI_EVENT_WIZ3;
}

WString CMultiEventWizard::StoredWeight(const WString& typed) const {
    if (typed.empty()) return typed;
    const int32_t pounds = m_bWeightInPounds ? 1 : 0;
    return FormatMeasurementShort(&pounds, typed);
}

void CMultiEventWizard::Apply() {
    CCvlWaitCursor wait;
    std::vector<std::pair<CRefPtr<CSheep>, CRefPtr<CEvent>>> additions;
    if (UsesGrid()) {
        for (auto& [name, event] : m_perAnimalEvents) {
            int index = -1;
            if (!m_pDoc->FindSheepIndex(name, &index)) continue;
            additions.emplace_back(CRefPtr<CSheep>(m_pDoc->GetSheepAt(index)), event);
        }
    } else {
        const CMultiEventWizard3& details = *m_page3;
        for (auto& [name, sheep] : m_selection) {
            // The animal may have left the flock while the wizard was open.
            if (sheep->GetDocument() != m_pDoc) continue;
            additions.emplace_back(
                sheep, CRefPtr<CEvent>::Adopt(
                           new CEvent(m_dtEvent, m_nEventCode, details.m_strParameter[0].c_str(),
                                      details.m_strParameter[1].c_str(), details.m_strParameter[2].c_str())));
        }
    }
    int refused = 0;
    WString why;
    {
        CProgressScope progress(IDS_UPDATING_RECORDS, int(additions.size()));
        for (auto& [sheep, event] : additions) {
            if (m_nEventCode == EVENT_CODE_WEIGHED) {
                std::vector<WString> parameters = event->GetParameters();
                if (!parameters.empty()) parameters[0] = StoredWeight(parameters[0]);
                event->SetParameters(parameters);
            }
            if (!CSheep::CanTakeEvent(*event, &why)) {
                ++refused;
                continue;
            }
            sheep->AddEvent(event.Detach(), true);
        }
    }
    m_perAnimalEvents.clear();
    m_pDoc->UpdateAllViews(nullptr, HINT_SHEEP_SET);
    m_pDoc->SetModifiedFlag();
    if (refused > 0)
        CvlMessageBoxText(FormatW("%d of the events could not be added: ", refused) + why,
                          MB_OK | MB_ICONEXCLAMATION);
}

void CMultiEventWizard::End(int sheetResult) {
    if (sheetResult == ID_WIZFINISH)
        Apply();
    else
        Discard();
}

// ---- the document's operation --------------------------------------------------------------------

void CSheepDoc::RunMultiEventWizard(const std::vector<WString>& names, int32_t typeFilter) {
    if (IDocumentShell* shell = m_file.m_pShell) shell->RunMultiEventWizard(*this, names, typeFilter);
}
