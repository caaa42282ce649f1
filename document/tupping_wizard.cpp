#include "document/tupping_wizard.h"

#include <algorithm>
#include <map>

#include "document/sheep_doc.h"
#include "platform/host.h"
#include "platform/message_help.h"
#include "platform/settings.h"
#include "platform/strings.h"
#include "records/criteria.h"
#include "records/event.h"
#include "records/lambing.h"
#include "records/sheep.h"

namespace {

constexpr unsigned IDS_NO_EWES_SELECTED = 117;
constexpr unsigned IDS_EWE_NOT_FOUND = 118;
constexpr unsigned IDS_SELECT_A_RAM = 181;
CVL_MESSAGE_HELP(IDS_NO_EWES_SELECTED, IDS_EWE_NOT_FOUND, IDS_SELECT_A_RAM);

CEweLambingData* LastLambing(const CSheep* ewe) {
    const int count = ewe->GetLambingCount();
    return count > 0 ? ewe->GetLambingAt(count - 1) : nullptr;
}

WString MethodWord(int32_t method) {
    return LoadCvlString(method == TUPPING_AI ? IDS_TUPPING_AI : IDS_TUPPING_NORMAL);
}

uint32_t EweEventCode(int32_t method) {
    return method == TUPPING_AI ? EVENT_INSEMINATED : EVENT_TUPPED;
}

// The ewe's tupping event made with the record created on day: code 7, or else 6.
CEvent* FindEweTuppingEvent(const CSheep& ewe, const COleDateTime& day, int& index) {
    index = -1;
    if (CEvent* event = ewe.FindEventOnDate(EVENT_TUPPED, day, index)) return event;
    index = -1;
    return ewe.FindEventOnDate(EVENT_INSEMINATED, day, index);
}

// A ewe joins a record: her tupping event and the lambing record that waits for her lambs, both
// created on the record's day so that later edits find them by it.
void AddEweToRecord(CSheep& ewe, const CRamLambingData& record, const WString& ram,
                    const COleDateTime& created) {
    auto* event = new CEvent(record.GetDateIn(), EweEventCode(record.GetMethod()), ram.c_str());
    event->SetCreated(created);
    event->SetEditedNow();
    ewe.AddEvent(event, true);
    auto lambing = MakeRef<CEweLambingData>();
    lambing->StoreMethod(LAMBING_TUPPED);
    lambing->StoreTup(ram);
    lambing->SetCreated(created);
    ewe.AddLambingRecord(std::move(lambing));
}

}  // namespace

// ---- the sheet's data ------------------------------------------------------------------------------

CTuppingWizard::CTuppingWizard(CSheepDoc* doc) : m_tupping(MakeRef<CRamLambingData>()), m_pDoc(doc) {}

CSheep* CTuppingWizard::FindRam() const {
    return m_strRam.empty() ? nullptr : m_pDoc->FindSheep(m_strRam);
}

void CTuppingWizard::ResetWorkingRecord() {
    m_tupping = MakeRef<CRamLambingData>();
    m_pEditRecord = nullptr;
    m_dateRecord = COleDateTime::Null();
}

void CTuppingWizardPage::SetButtons(unsigned buttons) {
    if (CSheetFlow* sheet = GetSheet()) sheet->SetWizardButtons(buttons);
}

// ---- welcome ---------------------------------------------------------------------------------------

CTuppingWizard0Model::CTuppingWizard0Model(CTuppingWizard* wizard)
    : CTuppingWizardPage(IDD_TUPPING_WIZ0, wizard) {
    SetHeaderHidden(true);
}

void CTuppingWizard0Model::OnSetActive() {
    SetButtons(PSWIZB_NEXT);
}

// ---- the ram ---------------------------------------------------------------------------------------

CTuppingWizard1Model::CTuppingWizard1Model(CTuppingWizard* wizard)
    : CTuppingWizardPage(IDD_TUPPING_WIZ1, wizard) {
    SetHeaderIds(291, 292);
}

void CTuppingWizard1Model::LoadRams() {
    CCvlWaitCursor wait;
    m_rams.assign(1, u"(Please select a ram)");
    CCriteria rams;
    rams.m_nType = CRITERIA_ALL;
    rams.m_bEwes = FALSE;
    CSheepDoc* doc = m_pWizard->GetDocument();
    for (int i = 0; i < doc->GetSheepCount(); ++i)
        if (CSheep* sheep = doc->GetSheepAt(i); sheep->MatchesCriteria(rams))
            m_rams.push_back(sheep->GetTattoo());
    m_bNewChecked = false;
    m_bComboEnabled = true;
    m_strRamName.clear();
    m_nSelected = 0;
    OnModelChanged();
}

void CTuppingWizard1Model::OnSetActive() {
    SetButtons(m_bNewChecked || m_nSelected >= 0 ? PSWIZB_BACK | PSWIZB_NEXT : PSWIZB_BACK);
}

void CTuppingWizard1Model::ClickExisting() {
    m_bNewChecked = false;
    m_bComboEnabled = true;
    SetButtons(m_nSelected >= 0 ? PSWIZB_NEXT : 0);
    OnModelChanged();
}

void CTuppingWizard1Model::ClickNew() {
    m_bNewChecked = true;
    m_bComboEnabled = false;
    SetButtons(PSWIZB_NEXT);
    OnModelChanged();
}

void CTuppingWizard1Model::SelectRam(int index) {
    m_nSelected = index >= 0 && index < int(m_rams.size()) ? index : -1;
    m_strRamName.clear();
    if (m_nSelected > 0)
        if (CSheep* ram = m_pWizard->GetDocument()->FindSheep(m_rams[size_t(m_nSelected)]))
            m_strRamName = ram->GetName();
    OnModelChanged();
}

int CTuppingWizard1Model::OnWizardNext() {
    CTuppingWizard& wiz = *m_pWizard;
    wiz.m_bNewRam = m_bNewChecked;
    if (!m_bNewChecked) {
        if (m_nSelected <= 0) {
            CvlMessageBox(IDS_SELECT_A_RAM, MB_OK | MB_ICONEXCLAMATION | MB_HELP);
            return WIZ_STAY;
        }
        wiz.m_strRam = m_rams[size_t(m_nSelected)];
        CSheep* ram = wiz.FindRam();
        if (!ram || ram->GetTuppingCount() == 0) {
            // A ram without records has nothing to edit: every earlier choice of a record goes.
            wiz.m_nLocked = 0;
            wiz.m_bEditing = false;
            wiz.m_nRecordIndex = -1;
            if (wiz.m_pEditRecord) wiz.ResetWorkingRecord();
            return int(IDD_TUPPING_WIZ3);
        }
        return WIZ_NEXT;
    }
    WString tattoo;
    if (!wiz.m_newRam || !wiz.m_newRam(&tattoo)) return WIZ_STAY;
    wiz.m_newRams.push_back(tattoo);
    m_rams.push_back(tattoo);
    m_nSelected = int(m_rams.size()) - 1;
    m_bNewChecked = false;
    m_bComboEnabled = true;
    SelectRam(m_nSelected);
    // The new ram is the one the wizard goes on with.
    wiz.m_strRam = tattoo;
    wiz.m_nLocked = 0;
    wiz.m_bEditing = false;
    wiz.m_nRecordIndex = -1;
    if (wiz.m_pEditRecord) wiz.ResetWorkingRecord();
    return int(IDD_TUPPING_WIZ3);
}

// ---- the record ------------------------------------------------------------------------------------

CTuppingWizard2Model::CTuppingWizard2Model(CTuppingWizard* wizard)
    : CTuppingWizardPage(IDD_TUPPING_WIZ2, wizard) {
    SetHeaderIds(293, 294);
}

void CTuppingWizard2Model::OnSetActive() {
    SetButtons(PSWIZB_BACK);
    m_texts.clear();
    m_records.clear();
    if (CSheep* ram = m_pWizard->FindRam())
        for (int i = 0; i < ram->GetTuppingCount(); ++i) {
            CRamLambingData* record = ram->GetTuppingAt(i);
            m_texts.push_back(record->GetEventText());
            m_records.push_back(record);
        }
    m_nSelected = -1;
    if (m_pWizard->m_strRecordText.empty()) {
        m_bEditChecked = false;
        m_bListEnabled = false;
    } else {
        m_bEditChecked = true;
        m_bListEnabled = true;
        const auto it = std::find(m_texts.begin(), m_texts.end(), m_pWizard->m_strRecordText);
        if (it != m_texts.end())
            m_nSelected = int(it - m_texts.begin());
        else if (!m_texts.empty())
            m_nSelected = 0;
    }
    SetButtons(PSWIZB_BACK | PSWIZB_NEXT);
    OnModelChanged();
}

void CTuppingWizard2Model::ClickEdit() {
    m_bEditChecked = true;
    m_bListEnabled = true;
    if (m_nSelected < 0 && !m_texts.empty()) m_nSelected = 0;
    SetButtons(PSWIZB_BACK | PSWIZB_NEXT);
    OnModelChanged();
}

void CTuppingWizard2Model::ClickNew() {
    m_bEditChecked = false;
    m_bListEnabled = false;
    SetButtons(PSWIZB_BACK | PSWIZB_NEXT);
    OnModelChanged();
}

void CTuppingWizard2Model::SelectRecord(int index) {
    m_nSelected = index >= 0 && index < int(m_records.size()) ? index : -1;
    SetButtons(m_nSelected < 0 ? PSWIZB_BACK : PSWIZB_BACK | PSWIZB_NEXT);
    OnModelChanged();
}

int CTuppingWizard2Model::OnWizardNext() {
    CTuppingWizard& wiz = *m_pWizard;
    if (!wiz.FindRam()) {
        wiz.m_bEditing = false;
        return WIZ_NEXT;
    }
    if (!m_bEditChecked || m_nSelected < 0) {
        wiz.m_nRecordIndex = -1;
        wiz.m_nLocked = 0;
        wiz.m_strRecordText.clear();
        // A record chosen earlier and then given up is not edited.
        if (wiz.m_pEditRecord) wiz.ResetWorkingRecord();
    } else {
        CRamLambingData* record = m_records[size_t(m_nSelected)];
        wiz.m_pEditRecord = record;
        wiz.m_nRecordIndex = m_nSelected;
        wiz.m_strRecordText = m_texts[size_t(m_nSelected)];
        wiz.m_dateRecord = record->GetCreated();
        wiz.m_tupping = MakeRef<CRamLambingData>(*record);
        wiz.m_nLocked = 0;
        for (const WString& tattoo : record->GetEwes()) {
            CSheep* ewe = wiz.GetDocument()->FindSheep(tattoo);
            if (!ewe) {
                CvlMessageBox(IDS_EWE_NOT_FOUND, {tattoo}, MB_OK | MB_ICONQUESTION | MB_HELP);
                continue;
            }
            int index = -1;
            const CEweLambingData* lambing = ewe->FindLambingByCreatedDay(wiz.m_dateRecord, index);
            if (!lambing || lambing->GetMethod() != LAMBING_TUPPED) wiz.m_nLocked |= 1;
        }
    }
    wiz.m_bEditing = wiz.m_pEditRecord != nullptr;
    return WIZ_NEXT;
}

// ---- how and when ----------------------------------------------------------------------------------

CTuppingWizard3Model::CTuppingWizard3Model(CTuppingWizard* wizard)
    : CTuppingWizardPage(IDD_TUPPING_WIZ3, wizard) {
    SetHeaderIds(295, 296);
}

void CTuppingWizard3Model::OnSetActive() {
    SetButtons(PSWIZB_NEXT);
    CTuppingWizard& wiz = *m_pWizard;
    if (wiz.FindRam()) {
        m_strSelectedRam = wiz.m_strRam;
        if (wiz.m_bEditing) {
            m_date = wiz.m_tupping->GetDateIn();
            m_nMethod = wiz.m_tupping->GetMethod() == TUPPING_AI ? TUPPING_AI : TUPPING_NATURAL;
        } else {
            m_nMethod = TUPPING_NATURAL;
            m_date = COleDateTime::GetCurrentTime();
            wiz.m_tupping->StoreMethod(TUPPING_NATURAL);
        }
    }
    m_bEnabled = wiz.m_nLocked == 0;
    OnModelChanged();
}

void CTuppingWizard3Model::ClickMethod(int32_t method) {
    m_nMethod = method;
    m_pWizard->m_tupping->StoreMethod(method);
    OnModelChanged();
}

int CTuppingWizard3Model::OnWizardNext() {
    m_pWizard->m_tupping->SetDateIn(m_date);
    return WIZ_NEXT;
}

int CTuppingWizard3Model::OnWizardBack() {
    const CSheep* ram = m_pWizard->FindRam();
    return !ram || ram->GetTuppingCount() == 0 ? int(IDD_TUPPING_WIZ1) : WIZ_NEXT;
}

// ---- the ewes --------------------------------------------------------------------------------------

CTuppingWizard4Model::CTuppingWizard4Model(CTuppingWizard* wizard)
    : CTuppingWizardPage(IDD_TUPPING_WIZ4, wizard) {
    SetHeaderIds(297, 298);
}

void CTuppingWizard4Model::Initialise() {
    const uint32_t mode = CRegistrySettings::GetDWord(HKEY_CURRENT_USER, u"Settings", u"Search Mode", 0);
    m_nDisplayMode = mode == 1 ? DISPLAY_TATTOO : mode == 2 ? DISPLAY_EID : DISPLAY_EARTAG;
    m_bShowAll = CRegistrySettings::GetDWord(HKEY_CURRENT_USER, u"Settings", u"Show All", 0) != 0;
    m_bInitialised = true;
    Fill(true);
}

void CTuppingWizard4Model::OnSetActive() {
    // The page's window is made once, when it is first shown; so is its list.
    if (!m_bInitialised) Initialise();
}

void CTuppingWizard4Model::Fill(bool rebuild) {
    CTuppingWizard& wiz = *m_pWizard;
    CSheepDoc* doc = wiz.GetDocument();
    const int lockedFlag = wiz.m_nLocked ? EWE_LOCKED : 0;
    if (rebuild) {
        m_states.clear();
        m_strRemembered.clear();
        CCriteria ewes;
        ewes.m_nType = CRITERIA_ON_FARM;
        ewes.m_dtDate = wiz.m_tupping->GetDateIn();
        ewes.m_bRams = FALSE;
        for (int i = 0; i < doc->GetSheepCount(); ++i) {
            CSheep* sheep = doc->GetSheepAt(i);
            if (!sheep->MatchesCriteria(ewes)) continue;
            const CEweLambingData* last = LastLambing(sheep);
            const bool otherRam =
                last && last->GetMethod() == LAMBING_TUPPED && !EqualsNoCase(last->GetTup(), wiz.m_strRam);
            m_states.emplace_back(sheep->GetTattoo(), otherRam ? EWE_LOCKED : lockedFlag);
        }
        for (const WString& tattoo : wiz.m_tupping->GetEwes()) {
            auto it = std::find_if(m_states.begin(), m_states.end(),
                                   [&](const auto& state) { return EqualsNoCase(state.first, tattoo); });
            if (it == m_states.end()) it = m_states.insert(m_states.end(), {tattoo, 0});
            it->second = lockedFlag | EWE_CHECKED;
            m_strRemembered += tattoo;
        }
    }
    m_items.clear();
    m_nCount = 0;
    for (const auto& [tattoo, flags] : m_states) {
        if (!m_bShowAll && flags == EWE_LOCKED) continue;
        WString text;
        const CSheep* sheep = doc->FindSheep(tattoo);
        if (m_nDisplayMode == DISPLAY_TATTOO || !sheep)
            text = tattoo;
        else if (m_nDisplayMode == DISPLAY_EID)
            text = FormatW("%s (%016llu)", WToUtf8(tattoo).c_str(),
                           static_cast<unsigned long long>(sheep->GetElectronicID()));
        else
            text = sheep->GetTagDescription();
        std::replace(text.begin(), text.end(), u'\t', u' ');
        const bool checked = (flags & EWE_CHECKED) != 0;
        if (checked) ++m_nCount;
        m_items.push_back({text, tattoo, checked, (flags & EWE_LOCKED) == 0});
    }
    OnModelChanged();
}

void CTuppingWizard4Model::SetDisplayMode(int mode) {
    m_nDisplayMode = mode;
    Fill(false);
}

void CTuppingWizard4Model::SetShowAll(bool showAll) {
    m_bShowAll = showAll;
    Fill(false);
}

void CTuppingWizard4Model::CheckItem(int index, bool checked) {
    if (index < 0 || index >= int(m_items.size())) return;
    Item& item = m_items[size_t(index)];
    if (!item.enabled || item.checked == checked) return;
    item.checked = checked;
    m_nCount += checked ? 1 : -1;
    for (auto& [tattoo, flags] : m_states)
        if (tattoo == item.tattoo) flags = checked ? flags | EWE_CHECKED : flags & ~EWE_CHECKED;
    OnModelChanged();
}

WString CTuppingWizard4Model::GetCountText() const {
    return FormatW(WToUtf8(m_strCountFormat).c_str(), m_nCount);
}

int CTuppingWizard4Model::OnWizardNext() {
    std::vector<WString> ewes;
    WString joined;
    for (const Item& item : m_items)
        if (item.checked) {
            ewes.push_back(item.tattoo);
            joined += item.tattoo;
        }
    if (ewes.empty() && CvlMessageBox(IDS_NO_EWES_SELECTED, MB_YESNO | MB_ICONQUESTION | MB_HELP) == IDNO)
        return WIZ_STAY;
    CRamLambingData& record = *m_pWizard->m_tupping;
    record.SetEwes(std::move(ewes));
    if (joined != m_strRemembered) record.SetEditedNow();
    return WIZ_NEXT;
}

// ---- finished --------------------------------------------------------------------------------------

CTuppingWizard5Model::CTuppingWizard5Model(CTuppingWizard* wizard)
    : CTuppingWizardPage(IDD_TUPPING_WIZ5, wizard) {
    SetHeaderHidden(true);
}

void CTuppingWizard5Model::OnSetActive() {
    SetButtons(PSWIZB_BACK | PSWIZB_FINISH);
}

// ---- the apply step --------------------------------------------------------------------------------

void ApplyTuppingWizard(CSheepDoc& doc, CTuppingWizard& wiz, int sheetResult) {
    if (sheetResult != ID_WIZFINISH) {
        for (const WString& tattoo : wiz.m_newRams) {
            int index = -1;
            if (doc.FindSheepIndex(tattoo, &index)) doc.DeleteSheep(index);
        }
        return;
    }
    doc.SetModifiedFlag();
    CSheep* ram = wiz.FindRam();
    if (!ram) {
        CvlMessageBoxText(u"Could not find ram!");
        return;
    }
    const CRamLambingData& working = *wiz.m_tupping;
    const int32_t method = working.GetMethod();
    const WString& ramTattoo = ram->GetTattoo();

    if (!wiz.m_pEditRecord) {
        // One stamp for the record and everything made with it: the day that identifies them.
        const COleDateTime created = COleDateTime::GetCurrentTimeUtc();
        auto* event = new CEvent(working.GetDateIn(), EVENT_TUPPING, MethodWord(method).c_str());
        event->SetCreated(created);
        event->SetEditedNow();
        ram->AddEvent(event, true);
        auto record = MakeRef<CRamLambingData>(working);
        record->SetCreated(created);
        ram->AddTuppingRecord(std::move(record));
        for (const WString& tattoo : working.GetEwes())
            if (CSheep* ewe = doc.FindSheep(tattoo)) AddEweToRecord(*ewe, working, ramTattoo, created);
        return;
    }
    if (wiz.m_nLocked) return;

    CRamLambingData& old = *wiz.m_pEditRecord;
    const COleDateTime& day = wiz.m_dateRecord;
    std::map<WString, int> left;
    for (const WString& tattoo : old.GetEwes()) left[tattoo] = 1;
    old.SetEwes({});
    for (const WString& tattoo : working.GetEwes()) {
        old.AddEwe(tattoo);
        CSheep* ewe = doc.FindSheep(tattoo);
        if (left.erase(tattoo)) {
            int index = -1;
            if (!ewe) continue;
            if (CEvent* event = FindEweTuppingEvent(*ewe, day, index)) {
                CRefPtr<CEvent> moved(event);
                moved->SetDate(working.GetDateIn());
                // The event says how she was served: it follows a change of method.
                if (moved->GetCode() != EweEventCode(method)) moved->SetCode(EweEventCode(method));
                ewe->ReplaceEventAt(index, moved.Get());
            }
        } else if (ewe) {
            AddEweToRecord(*ewe, working, ramTattoo, day);
        }
    }
    for (const auto& [tattoo, unused] : left) {
        CSheep* ewe = doc.FindSheep(tattoo);
        if (!ewe) continue;
        // Only the lambing record made with this tupping goes, never a later one of hers.
        int index = -1;
        const CEweLambingData* lambing = ewe->FindLambingByCreatedDay(day, index);
        if (lambing && index >= 0 && lambing->GetMethod() == LAMBING_TUPPED) ewe->RemoveLambingAt(index);
        ewe->SetEditedNow();
        if (FindEweTuppingEvent(*ewe, day, index)) ewe->RemoveEventAt(index, true);
    }
    old.SetDateIn(working.GetDateIn());
    old.SetMethod(method);
    const COleDateTime& a = working.GetEdited();
    const COleDateTime& b = old.GetEdited();
    const bool sameEdited = (a.GetStatus() == COleDateTime::null && b.GetStatus() == COleDateTime::null) ||
                            (a.GetStatus() == b.GetStatus() && a.m_dt == b.m_dt);
    if (!sameEdited) old.SetEditedNow();
    int index = -1;
    if (CEvent* event = ram->FindEventOnDate(EVENT_TUPPING, day, index)) {
        CRefPtr<CEvent> moved(event);
        moved->SetDate(working.GetDateIn());
        std::vector<WString> parameters = moved->GetParameters();
        if (parameters.empty()) parameters.resize(1);
        parameters[0] = MethodWord(method);
        moved->SetParameters(parameters);
        ram->ReplaceEventAt(index, moved.Get());
    }
}
