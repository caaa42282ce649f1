#include "document/lambing_wizard.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "document/sheep_doc.h"
#include "platform/host.h"
#include "platform/message_help.h"
#include "platform/settings.h"
#include "platform/strings.h"
#include "records/app_services.h"
#include "records/criteria.h"
#include "records/event.h"
#include "records/sheep.h"

namespace {

constexpr unsigned IDS_CONFIRM_DELETE = 1;
constexpr unsigned IDS_GESTATION_QUESTION = 57;
constexpr unsigned IDS_CODE_IN_USE = 108;
constexpr unsigned IDS_WEIGHT_NEEDED = 122;
constexpr unsigned IDS_BORN_NORMAL = 148;
constexpr unsigned IDS_BORN_CESARIAN = 149;
constexpr unsigned IDS_SEX_NEEDED = 1051;
constexpr unsigned IDS_RAM_NAME_NEEDED = 1052;
constexpr unsigned IDS_DATE_NEEDED = 1053;
constexpr unsigned kCheck = MB_OK | MB_ICONEXCLAMATION | MB_HELP;
CVL_MESSAGE_HELP(IDS_CONFIRM_DELETE, IDS_GESTATION_QUESTION, IDS_CODE_IN_USE, IDS_WEIGHT_NEEDED,
                 IDS_SEX_NEEDED, IDS_RAM_NAME_NEEDED, IDS_DATE_NEEDED);

// The events that carry a ewe's tupping date: the breed's code 3, insemination and natural tupping.
constexpr uint32_t EVENT_BREED_TUPPING = 3;

int32_t DayNumber(const COleDateTime& date) {
    return date.GetStatus() == COleDateTime::valid ? int32_t(std::floor(date.m_dt)) : 0;
}

bool IsDead(const WString& text) {
    return EqualsNoCase(text, kDeadLamb);
}

// A weight as "%f" scans it: false when the text does not start with a number.
bool ScansAsNumber(const WString& text) {
    std::string s = WToUtf8(text);
    for (char& c : s)
        if (c == ',') c = '.';
    const char* begin = s.c_str();
    char* end = nullptr;
    std::strtof(begin, &end);
    return end != begin;
}

bool SameEdited(const COleDateTime& a, const COleDateTime& b) {
    if (a.GetStatus() == COleDateTime::null && b.GetStatus() == COleDateTime::null) return true;
    return a.GetStatus() == COleDateTime::valid && b.GetStatus() == COleDateTime::valid && a.m_dt == b.m_dt;
}

}  // namespace

int LambTextValue(WStringView text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    long value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9' && value < 100000000; ++i)
        value = value * 10 + (text[i] - u'0');
    return int(negative ? -value : value);
}

WString CurrentLambingYear() {
    return COleDateTime::GetCurrentTime().Format("%Y");
}

bool NeedsColourPage(const CSheepDoc& doc) {
    return doc.GetStores().YearColours().count(CurrentLambingYear()) == 0;
}

int LambingDisplayMode() {
    return CRegistrySettings::GetDWord(HKEY_CURRENT_USER, u"Settings", u"Search Mode", 0) == 1
               ? DISPLAY_TATTOO
               : DISPLAY_EARTAG;
}

// ---- the sheet's data ------------------------------------------------------------------------------

CLambingWizard::CLambingWizard(CSheepDoc* doc) : m_pDoc(doc) {}

CLambingWizard::~CLambingWizard() {
    ClearEweMap();
}

void CLambingWizard::ClearEweMap() {
    m_mapEwes.clear();
}

int32_t CLambingWizard::GetHowBorn(const WString& tattoo) const {
    const auto it = m_mapEwes.find(tattoo);
    return it == m_mapEwes.end() ? 0 : it->second->GetMethod();
}

CEweLambingData* CLambingWizard::GetCopy() const {
    const auto it = m_mapEwes.find(m_strEwe);
    return it == m_mapEwes.end() ? nullptr : it->second.Get();
}

int CLambingWizard::LambNumber(const WString& text) const {
    if (IsDead(text)) return 0;
    const int value = LambTextValue(text);
    return value != 0 ? value : m_pDoc->GetLambIndex(text);
}

void CLambingWizardPage::SetButtons(unsigned buttons) {
    if (CSheetFlow* sheet = GetSheet()) sheet->SetWizardButtons(buttons);
}

// ---- welcome ---------------------------------------------------------------------------------------

CLambingWizardAModel::CLambingWizardAModel(CLambingWizard* wizard)
    : CLambingWizardPage(IDD_LAMBING_WIZA, wizard) {
    SetHeaderHidden(true);
}

void CLambingWizardAModel::OnSetActive() {
    SetButtons(PSWIZB_NEXT);
}

// ---- the year's colour -----------------------------------------------------------------------------

CLambingWizard0Model::CLambingWizard0Model(CLambingWizard* wizard)
    : CLambingWizardPage(IDD_LAMBING_WIZ0, wizard) {
    SetHeaderIds(43, 44);
}

void CLambingWizard0Model::Initialise() {
    m_strCurrentYear = CurrentLambingYear();
    m_strYear = m_strCurrentYear;
    const auto& colours = m_pWizard->GetDocument()->GetStores().YearColours();
    m_lines.clear();
    m_colours.clear();
    m_nSelected = -1;
    if (colours.empty()) {
        m_strEditing.clear();
        OnModelChanged();
        return;
    }
    for (const auto& [year, colour] : colours) {
        m_lines.push_back(year + u"\t" + colour);
        m_colours[year] = colour;
    }
    const auto it = m_colours.find(m_strCurrentYear);
    if (it != m_colours.end()) {
        m_strColour = it->second;
        m_bColourEnabled = false;
        SetButtons(PSWIZB_BACK | PSWIZB_NEXT);
    } else {
        m_strEditing = m_strCurrentYear;
        SetButtons(PSWIZB_BACK);
    }
    m_nSelected = 0;
    OnModelChanged();
}

void CLambingWizard0Model::ColourLeft() {
    if (m_strColour.empty()) return;
    std::erase_if(m_lines, [&](const WString& line) { return line.starts_with(m_strYear); });
    m_lines.push_back(m_strYear + u"\t" + m_strColour);
    m_nSelected = int(m_lines.size()) - 1;
    m_strEditing = m_strYear;
    m_colours[m_strYear] = m_strColour;
    m_bColourEnabled = false;
    OnModelChanged();
}

void CLambingWizard0Model::YearLeft() {
    for (const WString& line : m_lines)
        if (line.starts_with(m_strYear)) return;
    m_lines.push_back(m_strYear);
    m_bColourEnabled = true;
    m_bFocusColour = true;
    m_strColour.clear();
    OnModelChanged();
    m_bFocusColour = false;
}

void CLambingWizard0Model::SelectLine(int index) {
    if (index < 0 || index >= int(m_lines.size())) return;
    if (!m_strEditing.empty()) m_colours[m_strEditing] = m_strColour;
    m_nSelected = index;
    m_strYear = m_lines[size_t(index)].substr(0, 4);
    m_strColour = m_colours[m_strYear];
    m_strEditing = m_strYear;
    OnModelChanged();
}

void CLambingWizard0Model::EditChanged() {
    SetButtons(m_strYear.empty() ? PSWIZB_BACK : PSWIZB_BACK | PSWIZB_NEXT);
}

int CLambingWizard0Model::OnWizardNext() {
    const auto it = m_colours.find(m_strCurrentYear);
    m_pWizard->m_strColour = it == m_colours.end() ? WString() : it->second;
    m_pWizard->m_yearColours = m_colours;
    return WIZ_NEXT;
}

// ---- the ewe ---------------------------------------------------------------------------------------

CLambingWizard1Model::CLambingWizard1Model(CLambingWizard* wizard, int displayMode)
    : CLambingWizardPage(IDD_LAMBING_WIZ1, wizard),
      m_nDisplayMode(displayMode),
      m_asOf(COleDateTime::GetCurrentTime()) {
    SetHeaderIds(303, 304);
}

void CLambingWizard1Model::Initialise() {
    m_bShowAll = CRegistrySettings::GetDWord(HKEY_CURRENT_USER, u"Settings", u"Show All", 0) != 0;
    Fill(true);
}

void CLambingWizard1Model::Fill(bool rebuild) {
    CLambingWizard& wiz = *m_pWizard;
    CSheepDoc* doc = wiz.GetDocument();
    if (rebuild) {
        CCvlWaitCursor wait;
        wiz.ClearEweMap();
        CCriteria onFarm;
        onFarm.m_nType = CRITERIA_ON_FARM;
        onFarm.m_dtDate = m_asOf;
        for (int i = 0; i < doc->GetSheepCount(); ++i) {
            CSheep* ewe = doc->GetSheepAt(i);
            if (ewe->GetLambingCount() == 0 || !ewe->MatchesCriteria(onFarm)) continue;
            auto copy = MakeRef<CEweLambingData>(*ewe->GetLambingAt(ewe->GetLambingCount() - 1));
            for (int l = 0; l < copy->GetLambCount(); ++l)
                if (CSheep* lamb = doc->FindSheep(copy->GetLambAt(l)->GetTattoo()))
                    wiz.m_mapLambNames[copy->GetLambAt(l)->GetTattoo()] = lamb->GetName();
            wiz.m_mapEwes[ewe->GetTattoo()] = std::move(copy);
            for (int e = ewe->GetEventCount() - 1; e >= 0; --e) {
                const uint32_t code = ewe->GetEventAt(e)->GetCode();
                if (code == EVENT_BREED_TUPPING || code == EVENT_INSEMINATED || code == EVENT_TUPPED) {
                    wiz.m_mapTupDates[ewe->GetTattoo()] = ewe->GetEventAt(e)->GetDate();
                    break;
                }
            }
        }
    }
    const WString selected = m_nSelected >= 0 && m_nSelected < int(m_items.size())
                                 ? m_items[size_t(m_nSelected)].tattoo
                                 : WString();
    m_items.clear();
    m_nSelected = -1;
    for (const auto& [tattoo, copy] : wiz.m_mapEwes) {
        const bool lambed = copy->GetMethod() != LAMBING_TUPPED;
        if (!m_bShowAll && lambed) continue;
        const CSheep* ewe = doc->FindSheep(tattoo);
        WString text = m_nDisplayMode == DISPLAY_TATTOO || !ewe ? tattoo : ewe->GetTagDescription();
        if (tattoo == selected) m_nSelected = int(m_items.size());
        m_items.push_back({text, tattoo, lambed});
    }
    SelectItem(m_nSelected);
}

void CLambingWizard1Model::OnSetActive() {
    SetButtons(m_nSelected < 0 ? PSWIZB_BACK : PSWIZB_BACK | PSWIZB_NEXT);
}

void CLambingWizard1Model::SetDisplayMode(int mode) {
    m_nDisplayMode = mode;
    Fill(false);
}

void CLambingWizard1Model::SetShowAll(bool showAll) {
    m_bShowAll = showAll;
    Fill(false);
}

void CLambingWizard1Model::SetAsOf(const COleDateTime& date) {
    m_asOf = date;
    Fill(true);
}

void CLambingWizard1Model::SelectItem(int index) {
    m_nSelected = index >= 0 && index < int(m_items.size()) ? index : -1;
    m_strRanWith.clear();
    if (m_nSelected >= 0) {
        const auto it = m_pWizard->m_mapEwes.find(m_items[size_t(m_nSelected)].tattoo);
        if (it != m_pWizard->m_mapEwes.end()) m_strRanWith = it->second->GetTup();
    }
    SetButtons(m_nSelected < 0 ? PSWIZB_BACK : PSWIZB_BACK | PSWIZB_NEXT);
    OnModelChanged();
}

void CLambingWizard1Model::ActivateItem(int index) {
    SelectItem(index);
    if (CSheetFlow* sheet = GetSheet(); sheet && m_nSelected >= 0) sheet->Next();
}

int CLambingWizard1Model::OnWizardNext() {
    if (m_nSelected >= 0)
        m_pWizard->m_strEwe = m_items[size_t(m_nSelected)].tattoo;
    else
        CvlMessageBoxText(u"Failed to Convert Listbox Item back to Tattoo");
    CRegistrySettings::SetDWord(HKEY_CURRENT_USER, u"Settings", u"Show All", m_bShowAll ? 1 : 0);
    return WIZ_NEXT;
}

// ---- how and when ----------------------------------------------------------------------------------

CLambingWizard2Model::CLambingWizard2Model(CLambingWizard* wizard)
    : CLambingWizardPage(IDD_LAMBING_WIZ2, wizard) {
    SetHeaderIds(45, 46);
}

void CLambingWizard2Model::OnSetActive() {
    SetButtons(PSWIZB_BACK | PSWIZB_NEXT);
    m_strEwe = m_pWizard->m_strEwe;
    m_nFocus = 0;
    const CEweLambingData* copy = m_pWizard->GetCopy();
    if (!copy) {
        m_strRanWith.clear();
        m_strComments.clear();
        m_nHowBorn = 0;
        m_date = COleDateTime::Null();
        OnModelChanged();
        CvlMessageBoxText(u"This Ewe has no Tupping Data");
        return;
    }
    m_strRanWith = copy->GetTup();
    m_date =
        copy->GetDate().GetStatus() == COleDateTime::null ? COleDateTime::GetCurrentTime() : copy->GetDate();
    m_strComments = copy->GetComments();
    m_nHowBorn = copy->GetMethod();
    OnModelChanged();
}

void CLambingWizard2Model::SetHowBorn(int index) {
    m_nHowBorn = index;
    SetButtons(index <= 0 ? PSWIZB_BACK : PSWIZB_BACK | PSWIZB_NEXT);
    OnModelChanged();
}

int CLambingWizard2Model::OnWizardNext() {
    CLambingWizard& wiz = *m_pWizard;
    CEweLambingData* copy = wiz.GetCopy();
    m_nFocus = 0;
    // Without a working copy there is nothing to record for this ewe.
    if (m_nHowBorn <= 0 || !copy) {
        m_nFocus = IDC_LAMB_HOW_BORN;
        OnModelChanged();
        return WIZ_STAY;
    }
    if (IsDateShown() && m_date.GetStatus() != COleDateTime::valid) {
        CvlMessageBox(IDS_DATE_NEEDED, kCheck);
        m_nFocus = IDC_LAMB_DATE;
        OnModelChanged();
        return WIZ_STAY;
    }
    const auto tupped = wiz.m_mapTupDates.find(wiz.m_strEwe);
    if (tupped != wiz.m_mapTupDates.end() && tupped->second.GetStatus() == COleDateTime::valid &&
        m_date.GetStatus() == COleDateTime::valid) {
        const double expected = tupped->second.m_dt + wiz.GetDocument()->GetGestationPeriod();
        const long days = long(m_date.m_dt - expected);
        if (std::labs(days) > 3 &&
            CvlMessageBox(IDS_GESTATION_QUESTION, MB_YESNO | MB_ICONEXCLAMATION | MB_HELP) == IDNO) {
            m_nFocus = IDC_LAMB_DATE;
            OnModelChanged();
            return WIZ_STAY;
        }
    }
    copy->SetDate(m_date);
    copy->SetComments(m_strComments);
    copy->SetMethod(m_nHowBorn);
    if (copy->GetMethod() == LAMBING_TUPPED || copy->GetMethod() == LAMBING_FAILED) copy->RemoveAllLambs();
    wiz.m_nLambsExisting = copy->GetLambCount();
    return copy->GetMethod() == LAMBING_FAILED ? int(IDD_LAMBING_WIZ6) : WIZ_NEXT;
}

// ---- how many lambs --------------------------------------------------------------------------------

CLambingWizard3Model::CLambingWizard3Model(CLambingWizard* wizard)
    : CLambingWizardPage(IDD_LAMBING_WIZ3, wizard) {
    SetHeaderIds(301, 302);
}

void CLambingWizard3Model::OnSetActive() {
    const CEweLambingData* copy = m_pWizard->GetCopy();
    m_strEwe = m_pWizard->m_strEwe;
    m_strRanWith = copy ? copy->GetTup() : WString();
    const int count = copy ? copy->GetLambCount() : 0;
    m_nLambs = count == 0 ? 2 : count;
    m_nSpinMin = std::max(1, m_pWizard->m_nLambsExisting);
    m_nSpinMax = 10;
    OnModelChanged();
}

int CLambingWizard3Model::OnWizardNext() {
    if (m_nLambs < 0 || m_nLambs > 10) {
        CvlMessageBoxText(u"Please enter an integer between 0 and 10.", MB_OK | MB_ICONEXCLAMATION);
        return WIZ_STAY;
    }
    CLambingWizard& wiz = *m_pWizard;
    wiz.m_nLambsWanted = m_nLambs;
    wiz.m_nCurrentLamb = 0;
    wiz.m_bRenumber = false;
    // No lambs: nothing to number or describe.
    if (m_nLambs == 0) return int(IDD_LAMBING_WIZ6);
    return wiz.m_nLambsExisting >= 1 ? int(IDD_LAMBING_WIZ5) : WIZ_NEXT;
}

// ---- numbering -------------------------------------------------------------------------------------

CLambingWizard4Model::CLambingWizard4Model(CLambingWizard* wizard)
    : CLambingWizardPage(IDD_LAMBING_WIZ4, wizard) {
    SetHeaderIds(47, 48);
}

void CLambingWizard4Model::OnSetActive() {
    CLambingWizard& wiz = *m_pWizard;
    const CEweLambingData* copy = wiz.GetCopy();
    m_strEwe = wiz.m_strEwe;
    m_strRanWith = copy ? copy->GetTup() : WString();
    const bool hasLamb = copy && wiz.m_nCurrentLamb < copy->GetLambCount();
    m_bPreviousShown = wiz.m_bRenumber && hasLamb;
    m_choice = m_bPreviousShown ? PREVIOUS_NUMBER : NEXT_NUMBER;
    m_bCustomEnabled = false;
    m_nPreviousNumber =
        m_bPreviousShown ? LambTextValue(copy->GetLambAt(wiz.m_nCurrentLamb)->GetTattoo()) : 0;
    m_strNextNumber = FormatW("%.3d", NextLambNumber());
    OnModelChanged();
}

int CLambingWizard4Model::NextLambNumber() const {
    CCvlWaitCursor wait;
    const CLambingWizard& wiz = *m_pWizard;
    const CEweLambingData* copy = wiz.GetCopy();
    const int start = wiz.GetDocument()->GetNextIndex(copy ? DayNumber(copy->GetDate()) : 0);
    int highest = 0;
    for (const auto& [tattoo, other] : wiz.m_mapEwes)
        for (int i = 0; i < other->GetLambCount(); ++i) {
            const WString& text = other->GetLambAt(i)->GetTattoo();
            if (!IsDead(text)) highest = std::max(highest, wiz.LambNumber(text));
        }
    return highest + 1 >= start ? highest + 1 : start;
}

bool CLambingWizard4Model::ValidateNumber(int number) const {
    const CLambingWizard& wiz = *m_pWizard;
    bool used = false;
    for (const auto& [tattoo, other] : wiz.m_mapEwes)
        for (int i = 0; i < other->GetLambCount() && !used; ++i) {
            const WString& text = other->GetLambAt(i)->GetTattoo();
            used = !IsDead(text) && wiz.LambNumber(text) == number;
        }
    if (!used) {
        const CEweLambingData* copy = wiz.GetCopy();
        const WString tattoo = wiz.GetDocument()->BuildTattoo(
            number, copy ? DayNumber(copy->GetDate()) : 0, copy ? copy->GetTup() : WString(), wiz.m_strEwe);
        used = !tattoo.empty() && wiz.GetDocument()->FindSheep(tattoo) != nullptr;
    }
    if (!used) return true;
    CvlMessage message;
    message.stringId = IDS_CODE_IN_USE;
    message.text = FormatW(WToUtf8(LoadCvlString(IDS_CODE_IN_USE)).c_str(), number);
    message.type = kCheck;
    message.helpId = CVL_HELP_FROM_ID;
    CvlShowMessage(message);
    return false;
}

void CLambingWizard4Model::UpdateCustomButtons() {
    SetButtons(m_choice == CUSTOM_NUMBER && m_nCustomNumber < 1 ? PSWIZB_BACK : PSWIZB_BACK | PSWIZB_NEXT);
}

void CLambingWizard4Model::Choose(Choice choice) {
    m_choice = choice;
    m_bCustomEnabled = choice == CUSTOM_NUMBER;
    UpdateCustomButtons();
    OnModelChanged();
}

void CLambingWizard4Model::SetCustomNumber(int number) {
    m_nCustomNumber = number;
    m_choice = CUSTOM_NUMBER;
    m_bCustomEnabled = true;
    UpdateCustomButtons();
    OnModelChanged();
}

int CLambingWizard4Model::OnWizardNext() {
    CLambingWizard& wiz = *m_pWizard;
    CEweLambingData* copy = wiz.GetCopy();
    if (!copy) return WIZ_STAY;
    WString text;
    switch (m_choice) {
        case NEXT_NUMBER:
            if (!ValidateNumber(LambTextValue(m_strNextNumber))) return WIZ_STAY;
            text = m_strNextNumber;
            break;
        case CUSTOM_NUMBER:
            if (!ValidateNumber(m_nCustomNumber)) return WIZ_STAY;
            text = FormatW("%.3d", m_nCustomNumber);
            break;
        case DEAD:
            text = kDeadLamb;
            break;
        case PREVIOUS_NUMBER:
            text = FormatW("%.3d", m_nPreviousNumber);
            break;
    }
    wiz.m_bRenumber = false;
    copy->SetLambAt(wiz.m_nCurrentLamb, MakeRef<CLambData>(text));
    copy->SetEditedNow();
    return WIZ_NEXT;
}

int CLambingWizard4Model::OnWizardBack() {
    CLambingWizard& wiz = *m_pWizard;
    if (--wiz.m_nCurrentLamb >= 0) return int(IDD_LAMBING_WIZ5);
    wiz.m_nCurrentLamb = 0;
    return WIZ_NEXT;
}

// ---- one lamb --------------------------------------------------------------------------------------

CLambingWizard5Model::CLambingWizard5Model(CLambingWizard* wizard)
    : CLambingWizardPage(IDD_LAMBING_WIZ5, wizard) {
    SetHeaderIds(49, 50);
}

void CLambingWizard5Model::Initialise() {
    const WString unit = CRegistrySettings::GetString(HKEY_CURRENT_USER, u"Settings", u"Unit", u"lb");
    m_nUnitFlag = EqualsNoCase(unit, u"lb") ? 1 : 0;
}

void CLambingWizard5Model::LoadLamb() {
    CLambingWizard& wiz = *m_pWizard;
    const CEweLambingData* copy = wiz.GetCopy();
    m_strEwe = wiz.m_strEwe;
    m_strRanWith = copy ? copy->GetTup() : WString();
    const CLambData* lamb = copy && wiz.m_nCurrentLamb >= 0 && wiz.m_nCurrentLamb < copy->GetLambCount()
                                ? copy->GetLambAt(wiz.m_nCurrentLamb)
                                : nullptr;
    m_strLamb = lamb ? lamb->GetTattoo() : WString();
    m_strComment = lamb ? lamb->GetComments() : WString();
    m_nSex = lamb && (lamb->GetSex() == 0 || lamb->GetSex() == 1) ? lamb->GetSex() : -1;
    m_strWeight =
        lamb ? CSheepAppServices::Get().FormatMeasurement(&m_nUnitFlag, lamb->GetBirthWeight()) : WString();
    const auto name = wiz.m_mapLambNames.find(m_strLamb);
    m_strName = name == wiz.m_mapLambNames.end() ? WString() : name->second;
    m_bDeleteShown = wiz.m_nCurrentLamb < wiz.m_nLambsExisting;
    OnModelChanged();
}

void CLambingWizard5Model::SaveLamb() {
    CLambingWizard& wiz = *m_pWizard;
    CEweLambingData* copy = wiz.GetCopy();
    if (!copy || wiz.m_nCurrentLamb < 0 || wiz.m_nCurrentLamb >= copy->GetLambCount()) return;
    copy->GetLambAt(wiz.m_nCurrentLamb)
        ->SetAll(m_strLamb, m_nSex, m_strComment, FormatMeasurementShort(&m_nUnitFlag, m_strWeight));
    wiz.m_mapLambNames[m_strLamb] = m_strName;
}

bool CLambingWizard5Model::Validate() {
    m_nFocus = 0;
    if (m_nSex != 0 && m_nSex != 1) {
        CvlMessageBox(IDS_SEX_NEEDED, kCheck);
        m_nFocus = IDC_LAMB_SEX;
    } else if (!ScansAsNumber(m_strWeight)) {
        CvlMessageBox(IDS_WEIGHT_NEEDED, kCheck);
        m_nFocus = IDC_LAMB_WEIGHT;
    } else if (m_nSex == 1 && !IsDead(m_strLamb) && m_strName.empty()) {
        CvlMessageBox(IDS_RAM_NAME_NEEDED, kCheck);
        m_nFocus = IDC_LAMB_NAME;
    }
    if (m_nFocus) OnModelChanged();
    return m_nFocus == 0;
}

void CLambingWizard5Model::OnSetActive() {
    LoadLamb();
    SetButtons(PSWIZB_BACK | PSWIZB_NEXT);
    m_bDeleted = false;
}

int CLambingWizard5Model::OnWizardNext() {
    if (!Validate()) return WIZ_STAY;
    SaveLamb();
    CLambingWizard& wiz = *m_pWizard;
    ++wiz.m_nCurrentLamb;
    if (wiz.m_nCurrentLamb >= wiz.m_nLambsWanted) {
        --wiz.m_nCurrentLamb;
        return int(IDD_LAMBING_WIZ6);
    }
    if (wiz.m_nCurrentLamb >= wiz.m_nLambsExisting) return int(IDD_LAMBING_WIZ4);
    LoadLamb();
    return WIZ_STAY;
}

int CLambingWizard5Model::OnWizardBack() {
    CLambingWizard& wiz = *m_pWizard;
    if (!m_bDeleted) SaveLamb();
    m_bDeleted = false;
    wiz.m_bRenumber = true;
    --wiz.m_nCurrentLamb;
    if (wiz.m_nLambsWanted == wiz.m_nLambsExisting) {
        if (wiz.m_nCurrentLamb >= 0) {
            LoadLamb();
            return WIZ_STAY;
        }
        wiz.m_nCurrentLamb = 0;
        return int(IDD_LAMBING_WIZ3);
    }
    if (wiz.m_nCurrentLamb < wiz.m_nLambsWanted) {
        ++wiz.m_nCurrentLamb;
        return int(IDD_LAMBING_WIZ4);
    }
    if (wiz.m_nCurrentLamb < wiz.m_nLambsExisting) {
        LoadLamb();
        return WIZ_STAY;
    }
    return WIZ_NEXT;
}

void CLambingWizard5Model::ClickUnit(bool pounds) {
    const int32_t flag = pounds ? 1 : 0;
    if (flag == m_nUnitFlag) return;
    m_nUnitFlag = flag;
    const double shown = ScanMeasurement(m_strWeight);
    m_strWeight = FormatW("%4.2f", pounds ? shown * 0.47169814 : shown * 2.12);
    OnModelChanged();
}

void CLambingWizard5Model::DeleteLamb() {
    if (CvlMessageBox(IDS_CONFIRM_DELETE, MB_YESNO | MB_ICONQUESTION | MB_HELP) != IDYES) return;
    CLambingWizard& wiz = *m_pWizard;
    CEweLambingData* copy = wiz.GetCopy();
    if (!copy || wiz.m_nCurrentLamb < 0 || wiz.m_nCurrentLamb >= copy->GetLambCount()) return;
    m_bDeleted = true;
    wiz.m_lstDeletedLambs.push_back(copy->GetLambAt(wiz.m_nCurrentLamb)->GetTattoo());
    copy->RemoveLambAt(wiz.m_nCurrentLamb);
    copy->SetEditedNow();
    --wiz.m_nLambsWanted;
    --wiz.m_nLambsExisting;
    if (CSheetFlow* sheet = GetSheet()) sheet->Back();
}

// ---- completed -------------------------------------------------------------------------------------

CLambingWizard6Model::CLambingWizard6Model(CLambingWizard* wizard)
    : CLambingWizardPage(IDD_LAMBING_WIZ6, wizard) {
    SetHeaderHidden(true);
}

void CLambingWizard6Model::OnSetActive() {
    SetButtons(PSWIZB_BACK | PSWIZB_FINISH);
}

int CLambingWizard6Model::OnWizardBack() {
    if (m_pWizard->GetHowBorn(m_pWizard->m_strEwe) == LAMBING_FAILED) return int(IDD_LAMBING_WIZ2);
    if (m_pWizard->m_nLambsWanted == 0) return int(IDD_LAMBING_WIZ3);
    return WIZ_NEXT;
}

// ---- the apply step --------------------------------------------------------------------------------

void ApplyLambingWizard(CSheepDoc& doc, CLambingWizard& wiz) {
    if (wiz.m_yearColours) {
        doc.SetEartagColourMap(*wiz.m_yearColours);
    } else {
        // The colour page was left out because the year has its colour already: the lambs wear it.
        const auto& colours = doc.GetStores().YearColours();
        const auto it = colours.find(CurrentLambingYear());
        if (wiz.m_strColour.empty() && it != colours.end()) wiz.m_strColour = it->second;
    }
    for (const WString& tattoo : wiz.m_lstDeletedLambs) {
        int index = -1;
        if (doc.FindSheepIndex(tattoo, &index)) doc.DeleteSheep(index);
    }
    if (wiz.m_mapEwes.empty()) return;
    CCvlWaitCursor wait;
    const WString current = doc.GetCurrentKey();
    for (auto& [tattoo, copy] : wiz.m_mapEwes) {
        CSheep* ewe = doc.FindSheep(tattoo);
        if (!ewe || ewe->GetLambingCount() == 0) continue;
        const int last = ewe->GetLambingCount() - 1;
        const bool changed = !SameEdited(ewe->GetLambingAt(last)->GetEdited(), copy->GetEdited());
        ewe->RemoveLambingAt(last);
        ewe->InsertLambingRecord(last, copy);
        const int32_t method = copy->GetMethod();
        if (!changed || (method != LAMBING_NORMAL && method != LAMBING_CESARIAN)) continue;

        const COleDateTime& date = copy->GetDate();
        int index = -1;
        if (CEvent* lambed = ewe->FindEventOnDate(EVENT_LAMBED, copy->GetCreated(), index)) {
            CRefPtr<CEvent> moved(lambed);
            moved->SetDate(date);
            ewe->ReplaceEventAt(index, moved.Get());
        } else {
            auto* event = new CEvent(date, EVENT_LAMBED);
            // Created on the record's day, so that the next run finds it by the same rule.
            event->SetCreated(copy->GetCreated());
            event->SetEditedNow();
            ewe->AddEvent(event, true);
        }
        const int32_t oneOf = copy->GetLambCount();
        for (int l = 0; l < copy->GetLambCount(); ++l) {
            CLambData* lambRecord = copy->GetLambAt(l);
            const WString text = lambRecord->GetTattoo();
            if (IsDead(text)) continue;
            const auto name = wiz.m_mapLambNames.find(text);
            if (CSheep* existing = doc.FindSheep(text)) {
                existing->SetOneOf(oneOf);
                int next = 0;
                if (CEvent* birth = existing->FindEvent(next, EVENT_BORN, nullptr, nullptr)) {
                    // FindEvent leaves the position after the event it found.
                    CRefPtr<CEvent> moved(birth);
                    moved->SetDate(date);
                    existing->ReplaceEventAt(next - 1, moved.Get());
                }
                existing->StoreDateofBirth(date);
                existing->SetEditedNow();
                if (name != wiz.m_mapLambNames.end()) existing->SetName(name->second);
                continue;
            }
            const int number = LambTextValue(text);
            const WString lambTattoo = doc.BuildTattoo(number, DayNumber(date), copy->GetTup(), tattoo);
            // Without a tattoo from the breed there is no animal to make; the record keeps its number.
            if (lambTattoo.empty()) continue;
            auto lamb = CRefPtr<CSheep>::Adopt(new CSheep(lambTattoo.c_str(), lambRecord->GetSex(), &doc));
            lamb->SetSire(copy->GetTup());
            lamb->SetDam(tattoo);
            if (name != wiz.m_mapLambNames.end()) lamb->SetName(name->second);
            lamb->SetOneOf(oneOf);
            if (doc.AddSheep(lamb.Get(), false) < 0) continue;
            CSheep* added = lamb.Detach();
            lambRecord->SetTattoo(lambTattoo);
            const WString how = LoadCvlString(method == LAMBING_NORMAL ? IDS_BORN_NORMAL : IDS_BORN_CESARIAN);
            const WString tag = doc.FormatEartagNumber(date, number);
            for (CEvent* event : {new CEvent(date, EVENT_BORN, how.c_str()),
                                  new CEvent(date, EVENT_WEIGHED, lambRecord->GetBirthWeight().c_str()),
                                  new CEvent(date, EVENT_RETAG, wiz.m_strColour.c_str(), tag.c_str())}) {
                event->SetEditedNow();
                added->AddEvent(event, true);
            }
        }
    }
    doc.UpdateAllViews(nullptr, HINT_SHEEP_SET);
    if (!current.empty()) doc.SelectSheep(current, true, false, nullptr);
    doc.SetModifiedFlag();
}
