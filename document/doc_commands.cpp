#include "document/doc_commands.h"

#include "document/reader_manager.h"
#include "document/sheep_doc.h"
#include "platform/archive.h"
#include "platform/settings.h"
#include "platform/strings.h"
#include "records/address.h"
#include "records/criteria.h"
#include "records/sheep.h"

namespace {

constexpr unsigned IDS_SHEEP_FORMAT = 1060;
constexpr unsigned IDS_ADDRESS_FORMAT = 1064;

WString g_strSheepFormat = u"Corvalen Dedov";
WString g_strAddressFormat = u"Corvalen Address";

bool IsUploadConfigured() {
    return !CRegistrySettings::GetString(HKEY_LOCAL_MACHINE, u"Settings", u"SheepSyncURL", u"").empty();
}

}  // namespace

CCommandState GetDocCommandState(const CSheepDoc& doc, int command) {
    const bool hasSheep = doc.GetSheepCount() > 0;
    const int current = doc.GetCurrentIndex();
    CCommandState state;
    state.handled = true;
    switch (command) {
        case ID_FILE_IMPORT:
        case ID_FILE_EXPORT:
        case ID_FILE_PROPERTIES:
        case ID_FILE_PAGE_SETUP:
        case ID_SHEEP_ADD:
        case ID_OPTIONS_FARM:
        case ID_OPTIONS_EVENTS:
        case ID_OPERATIONS_TUPPING:
        case ID_OPERATIONS_LAMBING:
            state.enabled = true;
            break;
        case ID_EID_DOWNLOAD: {
            const CEIDReaderManager* reader = CvlGetReaderManager();
            state.enabled = reader && (reader->GetSupportedModes() & EID_MODE_DOWNLOAD);
            break;
        }
        case ID_FILE_UPLOAD:
            state.enabled = IsUploadConfigured();
            break;
        case ID_FILTER_RAMS:
        case ID_FILTER_EWES:
        case ID_FILTER_ADULTS:
        case ID_FILTER_SHEARLINGS:
        case ID_FILTER_LAMBS:
            state.enabled = hasSheep;
            state.checked = *GetFilterSwitch(*doc.GetCriteria(), command) != FALSE;
            break;
        case ID_EXTRACT_TYPE:
        case ID_EXTRACT_YEAR:
        case ID_EXTRACT_DATE:
        case ID_SHEEP_GOTO:
            state.enabled = hasSheep;
            break;
        case ID_SHEEP_FIRST:
        case ID_SHEEP_PREVIOUS:
            state.enabled = hasSheep && current != 0;
            break;
        case ID_SHEEP_NEXT:
        case ID_SHEEP_LAST:
            state.enabled = hasSheep && current != doc.GetSheepCount() - 1;
            break;
        case ID_SHEEP_SIGNET: {
            const CSheep* sheep = doc.GetCurrentSheep();
            state.enabled =
                sheep && sheep->GetDateofBirth().GetStatus() == COleDateTime::valid && sheep->IsBornOnFarm();
            break;
        }
        case ID_GO_BACK:
            state.enabled = doc.CanGoBack();
            break;
        case ID_GO_FORWARD:
            state.enabled = doc.CanGoForward();
            break;
        default:
            state.handled = false;
            break;
    }
    return state;
}

BOOL* GetFilterSwitch(CCriteria& criteria, int command) {
    switch (command) {
        case ID_FILTER_RAMS:
            return &criteria.m_bRams;
        case ID_FILTER_EWES:
            return &criteria.m_bEwes;
        case ID_FILTER_ADULTS:
            return &criteria.m_bAdults;
        case ID_FILTER_SHEARLINGS:
            return &criteria.m_bShearlings;
        case ID_FILTER_LAMBS:
            return &criteria.m_bLambs;
        default:
            return nullptr;
    }
}

void ToggleFilter(CSheepDoc& doc, int command) {
    BOOL* flag = GetFilterSwitch(doc.GetExtractionCriteria(), command);
    if (!flag) return;
    *flag = *flag ? FALSE : TRUE;
    doc.UpdateAllViews(nullptr, HINT_SHEEP_SET);
}

int GetNavigationTarget(int command, int current, int count) {
    if (count <= 0) return -1;
    int target = -1;
    switch (command) {
        case ID_SHEEP_FIRST:
            target = 0;
            break;
        case ID_SHEEP_LAST:
            target = count - 1;
            break;
        case ID_SHEEP_NEXT:
            target = current + 1;
            break;
        case ID_SHEEP_PREVIOUS:
            target = current < 0 ? count - 1 : current - 1;
            break;
        default:
            return -1;
    }
    return target >= 0 && target < count ? target : -1;
}

bool MoveToSheep(CSheepDoc& doc, int command, bool update, CDocView* sender) {
    if (!GetDocCommandState(doc, command).enabled) return false;
    const int target = GetNavigationTarget(command, doc.GetCurrentIndex(), doc.GetSheepCount());
    if (target < 0) return false;
    return doc.SelectSheepAt(target, update, true, sender);
}

const WString& GetSheepClipboardFormat() {
    return g_strSheepFormat;
}

const WString& GetAddressClipboardFormat() {
    return g_strAddressFormat;
}

void RegisterDocumentClipboardFormats() {
    g_strSheepFormat = LoadCvlString(IDS_SHEEP_FORMAT);
    g_strAddressFormat = LoadCvlString(IDS_ADDRESS_FORMAT);
}

std::vector<uint8_t> BuildSheepBlock(const WString& title, const std::vector<CSheep*>& animals) {
    std::vector<uint8_t> block;
    CArchive ar(block, CArchive::store);
    ar << WStringView(title);
    ar << uint32_t(animals.size());
    for (CSheep* sheep : animals) sheep->Serialize(ar);
    return block;
}

int PasteSheepBlock(CSheepDoc& doc, std::span<const uint8_t> block) {
    int added = 0;
    CDroppedEIDReport report(doc);
    try {
        CArchive ar(block);
        WString description;
        uint32_t count = 0;
        ar >> description >> count;
        for (uint32_t i = 0; i < count; ++i) {
            auto sheep = MakeRef<CSheep>();
            sheep->Serialize(ar);
            // A refused animal stays ours and goes with the reference.
            if (doc.AddSheep(sheep.Get(), false) >= 0) {
                sheep.Detach();
                ++added;
            }
        }
    } catch (...) {
        // The views must still learn of what was added before the damage.
        if (added > 0) doc.UpdateAllViews(nullptr, HINT_SHEEP_SET);
        throw;
    }
    doc.UpdateAllViews(nullptr, HINT_SHEEP_SET);
    return added;
}

int PasteAddressBlock(CSheepDoc& doc, std::span<const uint8_t> block) {
    CArchive ar(block);
    WString description;
    uint32_t count = 0;
    ar >> description >> count;
    int filed = 0;
    for (uint32_t i = 0; i < count; ++i) {
        CRefPtr<CAddress> address = ar.ReadObjectAs<CAddress>();
        if (!address) continue;
        const WString name = address->GetDisplayName();
        if (doc.ReplaceAddress(name, std::move(address))) ++filed;
    }
    return filed;
}
