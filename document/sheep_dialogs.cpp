#include "document/sheep_dialogs.h"

#include <cstdio>

#include "document/sheep_doc.h"
#include "platform/host.h"
#include "platform/message_help.h"
#include "platform/settings.h"
#include "records/electronic_id.h"
#include "records/event.h"
#include "records/sheep.h"

namespace {
constexpr uint32_t EVENT_PURCHASE = 1;
CVL_MESSAGE_HELP(IDS_KEEP_ODD_TATTOO);
}  // namespace

// ---- Add Dedov -----------------------------------------------------------------------------------

CAddSheepModel::CAddSheepModel(CSheepDoc* doc) : m_dtDate(COleDateTime::GetCurrentTime()), m_pDoc(doc) {}

void CAddSheepModel::Init() {
    m_bPurchased = CRegistrySettings::GetDWord(HKEY_CURRENT_USER, u"Settings", u"Purchase", 0) != 0;
}

void CAddSheepModel::SetPurchased(bool purchased) {
    m_bPurchased = purchased;
    CRegistrySettings::SetDWord(HKEY_CURRENT_USER, u"Settings", u"Purchase", purchased ? 1 : 0);
}

bool CAddSheepModel::OnOK() {
    if (m_pDoc->IsTattooValid(m_strTattoo)) return true;
    return CvlMessageBox(IDS_KEEP_ODD_TATTOO, MB_YESNO | MB_ICONEXCLAMATION | MB_HELP) == IDYES;
}

bool AddSheepFromDialog(CSheepDoc& doc, const CAddSheepModel& dialog, int32_t sex, uint64_t eid,
                        WString* newKey) {
    auto sheep = CRefPtr<CSheep>::Adopt(new CSheep(dialog.m_strTattoo.c_str(), sex, &doc));
    if (dialog.m_bPurchased) {
        // The seller (an address key) comes first, as in every purchase event.
        sheep->AddEvent(new CEvent(dialog.m_dtDate, EVENT_PURCHASE, dialog.m_strSeller.c_str(),
                                   dialog.m_strPrice.c_str(), u""),
                        true);
    }
    if (eid != 0) sheep->SetFieldValue(SF_ELECTRONIC_ID, &eid);

    // The flock takes the reference over; a declined overwrite leaves it here, to be released.
    CSheep* raw = sheep.Get();
    if (doc.AddSheep(raw, false) < 0) return false;
    sheep.Detach();
    const WString key = raw->GetTattoo();
    doc.SelectSheep(key, false, true, nullptr);
    doc.UpdateAllViews(nullptr, HINT_SHEEP_SET | HINT_SHEEP, nullptr);
    // The views learn which animal is new, so a list whose filter hides it can offer to show it.
    doc.UpdateAllViews(nullptr, HINT_CURRENT, raw);
    doc.SetModifiedFlag(true);
    if (newKey) *newKey = key;
    return true;
}

// ---- Goto Dedov ----------------------------------------------------------------------------------

CGotoSheepModel::CGotoSheepModel(CSheepDoc* doc) : m_pDoc(doc) {}

void CGotoSheepModel::Init() {
    m_nMode = int(CRegistrySettings::GetDWord(HKEY_CURRENT_USER, u"Settings", u"Search Mode", 0));
}

void CGotoSheepModel::SetMode(int mode) {
    m_nMode = mode;
    m_state = Idle;
}

void CGotoSheepModel::SetKey(const WString& key) {
    m_strKey = key;
    m_state = Idle;
}

void CGotoSheepModel::SetNumber(const WString& number) {
    m_strNumber = number;
    m_state = Idle;
}

WString CGotoSheepModel::GetKeyLabel() const {
    switch (m_nMode) {
        case MODE_EARTAG:
            return u"Eartag Colour:";
        case MODE_TATTOO:
            return u"Tattoo:";
        case MODE_EID:
            return u"Electronic ID:";
        default:
            return {};
    }
}

bool CGotoSheepModel::IsFindEnabled() const {
    if (m_state == Searching || m_strKey.empty()) return false;
    return m_nMode != MODE_EARTAG || !m_strNumber.empty();
}

std::vector<WString> CGotoSheepModel::Search() {
    m_state = Searching;
    m_results.clear();
    const WString key = TrimRight(m_strKey);
    const WString number = TrimRight(m_strNumber);
    switch (m_nMode) {
        case MODE_EID: {
            uint64_t eid = 0;
            WString tattoo;
            if (ParseElectronicID(key, eid) && m_pDoc->LookupTattooByEID(eid, &tattoo))
                m_results.push_back(tattoo);
            break;
        }
        case MODE_TATTOO:
            if (const CSheep* sheep = m_pDoc->FindSheep(key)) m_results.push_back(sheep->GetTattoo());
            break;
        case MODE_EARTAG:
            m_pDoc->GetEarTagNames(key, number, &m_results);
            break;
        default:
            break;
    }
    m_state = m_results.empty() ? Idle : ResultsShown;
    return m_results;
}

bool CGotoSheepModel::GotoRow(int row) {
    if (row < 0 || row >= int(m_results.size())) return false;
    return m_pDoc->SelectSheep(m_results[size_t(row)], true, true, nullptr);
}

void CGotoSheepModel::CancelSearch() {
    m_state = Idle;
}
