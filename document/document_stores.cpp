#include "document/document_stores.h"

#include <stdexcept>

#include "platform/host.h"
#include "platform/message_help.h"
#include "platform/strings.h"
#include "records/flock_document.h"

namespace {
constexpr unsigned IDS_ADDRESS_EXISTS = 123;
CVL_MESSAGE_HELP(IDS_ADDRESS_EXISTS);
constexpr unsigned IDS_FAILED_TO_LOAD = 194;
constexpr unsigned IDS_PARSE_ERROR = 69;

constexpr const char16_t* kCaptions[] = {
    u"",
    u"Tattoo",
    u"Eartag Number",
    u"Eartag Colour",
    u"Date of Birth",
    u"Date of Purchase",
    u"Date of Depart",
    u"Reason for Depart",
    u"Sex",
    u"One of",
    u"Sire",
    u"Dam",
    u"Name",
    u"Record",
    u"Row",
    u"Comments",
    u"Signet Lean Index",
    u"Signet 8wk Weight",
    u"Signet Fat Depth",
    u"Signet Litter EBV",
    u"Signet Maternal EBV",
    u"Signet Mature EBV",
    u"Signet Muscle Weight EBV",
    u"Signet Scan Weight EBV",
    u"Signet Maternal Weight",
    u"Signet Scan Weight",
    u"Signet Muscle Depth",
    u"Signet Fat Depth",
    u"Signet AWT",
    u"Electronic ID",
    u"Scrapie Genotype",
};
constexpr int kFirstFlagField = 31, kLastFlagField = 38;
constexpr int kInitialPageSetups = 5;

void ReplaceAll(WString& s, WStringView from, WStringView to) {
    for (size_t pos = s.find(from); pos != WString::npos; pos = s.find(from, pos + to.size()))
        s.replace(pos, from.size(), to);
}

void Detach(CCmdTarget* target) {
    if (target) target->MarkDetached();
}
}  // namespace

WString FormatEartagNumber(WStringView templ, const COleDateTime& date, int number) {
    const int year = date.GetStatus() == COleDateTime::valid ? date.GetYear() : -1;
    const WString yyyy = FormatW("%04d", year);
    const WString nnnn = FormatW("%04d", number);
    WString s(templ);
    ReplaceAll(s, u"{yyyy}", yyyy);
    ReplaceAll(s, u"{yy}", yyyy.substr(yyyy.size() - 2));
    ReplaceAll(s, u"{y}", yyyy.substr(yyyy.size() - 1));
    ReplaceAll(s, u"{nnnn}", nnnn);
    ReplaceAll(s, u"{nnn}", nnnn.substr(1));
    ReplaceAll(s, u"{nn}", nnnn.substr(2));
    ReplaceAll(s, u"{n}", nnnn.substr(nnnn.size() - 1));
    return s;
}

CDocumentStores::CDocumentStores(IFlockDocument* doc) : m_pDoc(doc) {
    for (int kind = 0; kind < kInitialPageSetups; ++kind) m_pageSetups.push_back(MakeRef<CPageSetup>());
}

CDocumentStores::~CDocumentStores() {
    RemoveAll();
}

void CDocumentStores::RemoveAll() {
    m_columns.clear();
    m_yearColours.clear();
    for (auto& [name, address] : m_addresses) Detach(address.Get());
    m_addresses.clear();
    for (auto& [key, averages] : m_signet) Detach(averages.Get());
    m_signet.clear();
}

void CDocumentStores::SetModified() {
    if (m_pDoc) m_pDoc->SetModifiedFlag(true);
}

// ---- columns -----------------------------------------------------------------------------------

CRefPtr<CDWordArray> CDocumentStores::MakeDefaultColumns(int kind) {
    auto columns = MakeRef<CDWordArray>();
    for (uint32_t field : {1u, 2u, 3u, 8u, 12u, 10u, 11u}) columns->Add(field);
    switch (kind) {
        case CRITERIA_BORN:
            columns->Add(4);
            break;
        case CRITERIA_SOLD:
            columns->Add(6);
            break;
        case CRITERIA_PURCHASED:
            columns->Add(5);
            break;
        case CRITERIA_DIED:
            columns->Add(6);
            columns->Add(7);
            break;
        default:
            break;
    }
    return columns;
}

const CDWordArray& CDocumentStores::GetColumnLayout(int kind) {
    auto& slot = m_columns[static_cast<uint16_t>(kind)];
    if (!slot) slot = MakeDefaultColumns(kind);
    return *slot;
}

int CDocumentStores::GetColumns(int kind, const BreedFlagNamer& flagName,
                                const std::function<void(const WString&, uint32_t)>& insertColumn) {
    const CDWordArray& layout = GetColumnLayout(kind);
    WString caption;
    for (uint32_t field : layout.m_data) {
        if (GetFieldCaption(static_cast<int>(field), caption, flagName)) insertColumn(caption, field);
    }
    return static_cast<int>(layout.GetSize()) - 1;
}

void CDocumentStores::SetColumns(int kind, const CDWordArray* columns) {
    CRefPtr<CDWordArray> copy;
    if (columns) {
        copy = MakeRef<CDWordArray>();
        copy->m_data = columns->m_data;
    } else {
        copy = MakeDefaultColumns(kind);
    }
    m_columns[static_cast<uint16_t>(kind)] = std::move(copy);
}

bool CDocumentStores::GetFieldCaption(int field, WString& caption, const BreedFlagNamer& flagName) {
    if (field >= 1 && field < kFirstFlagField)
        caption = kCaptions[field];
    else if (field >= kFirstFlagField && field <= kLastFlagField && flagName)
        caption = flagName(field - kFirstFlagField);
    else
        caption.clear();
    return !caption.empty();
}

// ---- year colours ------------------------------------------------------------------------------

void CDocumentStores::SetEartagColourMap(const std::map<WString, WString>& colours) {
    for (const auto& [year, colour] : colours) m_yearColours[year] = colour;
    SetModified();
}

// ---- addresses ---------------------------------------------------------------------------------

CAddress* CDocumentStores::LookupAddress(const WString& name) const {
    auto it = m_addresses.find(name);
    return it == m_addresses.end() ? nullptr : it->second.Get();
}

bool CDocumentStores::ReplaceAddress(const WString& name, CRefPtr<CAddress> address) {
    auto it = m_addresses.find(name);
    if (it != m_addresses.end()) {
        const int answer =
            CvlMessageBox(IDS_ADDRESS_EXISTS, {it->second->GetAddress(), name}, MB_YESNO | MB_HELP);
        if (answer != IDYES) return false;
        Detach(it->second.Get());
        it->second = std::move(address);
    } else {
        m_addresses.emplace(name, std::move(address));
    }
    SetModified();
    return true;
}

bool CDocumentStores::RenameAddress(const WString& oldName, const WString& newName) {
    auto it = m_addresses.find(oldName);
    if (it == m_addresses.end()) return false;
    if (oldName == newName) return true;
    CRefPtr<CAddress> address = std::move(it->second);
    m_addresses.erase(it);
    auto& slot = m_addresses[newName];
    Detach(slot.Get());
    slot = std::move(address);
    SetModified();
    return true;
}

bool CDocumentStores::DeleteAddress(const WString& name) {
    auto it = m_addresses.find(name);
    if (it == m_addresses.end()) return false;
    Detach(it->second.Get());
    m_addresses.erase(it);
    SetModified();
    return true;
}

void CDocumentStores::SetAddressAt(const WString& name, CRefPtr<CAddress> address) {
    auto& slot = m_addresses[name];
    Detach(slot.Get());
    slot = std::move(address);
}

// ---- Signet averages ---------------------------------------------------------------------------

WString CDocumentStores::SignetKey(int year, int32_t sex) {
    return FormatW("%d%s", year, sex == 1 ? "R" : "E");
}

CSignetData* CDocumentStores::GetSignetAverages(bool bornOnFarm, const COleDateTime& dateOfBirth,
                                                int32_t sex) const {
    if (!bornOnFarm || dateOfBirth.GetStatus() != COleDateTime::valid) return nullptr;
    auto it = m_signet.find(SignetKey(dateOfBirth.GetYear(), sex));
    return it == m_signet.end() ? nullptr : it->second.Get();
}

void CDocumentStores::SetSignetAverages(int year, int32_t sex, CRefPtr<CSignetData> averages) {
    auto& slot = m_signet[SignetKey(year, sex)];
    if (slot != averages) Detach(slot.Get());
    slot = std::move(averages);
}

// ---- page setups -------------------------------------------------------------------------------

CPageSetup* CDocumentStores::GetPageSetup(int kind) {
    if (kind < 0) throw std::invalid_argument("page setup of a view of no known kind");
    const size_t index = static_cast<size_t>(kind);
    if (index >= m_pageSetups.size()) m_pageSetups.resize(index + 1);
    if (!m_pageSetups[index]) m_pageSetups[index] = MakeRef<CPageSetup>();
    return m_pageSetups[index].Get();
}

// ---- parse errors ------------------------------------------------------------------------------

WString FormatParseError(const WString* fileName, const CXmlParseErrorInfo& error) {
    WString text = FormatCvlString(IDS_FAILED_TO_LOAD, {fileName ? *fileName : WString(u"Application Data")});
    if (!error.reason.empty()) {
        const std::string format = WToUtf8(LoadCvlString(IDS_PARSE_ERROR));
        text += FormatW(format.c_str(), WToUtf8(error.url).c_str(), static_cast<unsigned>(error.code),
                        WToUtf8(error.reason).c_str(), error.line, error.column);
    }
    return text;
}
