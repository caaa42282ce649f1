#include "wyndrace/dual_flock.h"

#include "abi/dual_slots.h"
#include "platform/automation/slot_call.h"
#include "platform/automation/variant.h"
#include "records/event_codes.h"

namespace {

using namespace dual_slots;

// One reference to an interface, released at the end of its scope.
class CHeld {
public:
    CHeld() = default;
    explicit CHeld(void* itf) : m_itf(itf) {}
    ~CHeld() {
        if (m_itf) CallSlot<ULONG>(m_itf, kRelease);
    }
    CHeld(const CHeld&) = delete;
    CHeld& operator=(const CHeld&) = delete;
    void** Out() { return &m_itf; }
    void* Get() const { return m_itf; }
    explicit operator bool() const { return m_itf != nullptr; }

private:
    void* m_itf = nullptr;
};

std::optional<WString> Text(void* itf, int slot) {
    if (!itf) return std::nullopt;
    CComBSTR text;
    if (FAILED(CallSlot(itf, slot, &text))) return std::nullopt;
    return text.ToW();
}

long Count(void* itf, int slot) {
    LONG count = 0;
    if (!itf || FAILED(CallSlot(itf, slot, &count))) return 0;
    return count;
}

// Item of a collection by a 0-based index.
void* ItemAt(void* itf, long index) {
    COleVariant at(LONG(index), VT_I4);
    void* item = nullptr;
    if (FAILED(CallSlot(itf, event_codes::kItem, static_cast<VARIANT>(at), &item))) return nullptr;
    return item;
}

}  // namespace

CDualDownloadDocument::CDualDownloadDocument(IDocument* doc) : m_doc(doc) {
    if (m_doc) CallSlot(m_doc, document::kGetRecords, &m_records);
}

CDualDownloadDocument::~CDualDownloadDocument() {
    if (m_records) CallSlot<ULONG>(m_records, kRelease);
}

void* CDualDownloadDocument::Interface(int slot) {
    void* itf = nullptr;
    if (!m_doc || FAILED(CallSlot(m_doc, slot, &itf))) return nullptr;
    return itf;
}

void* CDualDownloadDocument::Sheep(const WString& tattoo) {
    if (!m_records || tattoo.empty()) return nullptr;
    COleVariant key(tattoo);
    void* sheep = nullptr;
    if (FAILED(CallSlot(m_records, records::kItem, static_cast<VARIANT>(key), &sheep)) || !sheep) return nullptr;
    // Digits that name no animal are taken as a position by the collection: only the animal with
    // this very tattoo will do.
    if (!EqualsNoCase(Text(sheep, sheep::kGetTattoo).value_or(WString()), tattoo)) {
        CallSlot<ULONG>(sheep, kRelease);
        return nullptr;
    }
    return sheep;
}

std::optional<uint64_t> CDualDownloadDocument::FindByTattoo(const WString& tattoo) {
    CHeld sheep(Sheep(tattoo));
    if (!sheep) return std::nullopt;
    ULONGLONG eid = 0;
    if (FAILED(CallSlot(sheep.Get(), sheep::kGetEidNumber, &eid))) return std::nullopt;
    return eid;
}

std::optional<WString> CDualDownloadDocument::FindByEid(uint64_t eid) {
    if (!m_records || eid == 0) return std::nullopt;
    CHeld sheep;
    if (FAILED(CallSlot(m_records, records::kGetByEID, ULONGLONG(eid), sheep.Out())) || !sheep) return std::nullopt;
    return Text(sheep.Get(), sheep::kGetTattoo);
}

bool CDualDownloadDocument::SetEid(const WString& tattoo, uint64_t eid) {
    CHeld sheep(Sheep(tattoo));
    return sheep && SUCCEEDED(CallSlot(sheep.Get(), sheep::kPutEidNumber, ULONGLONG(eid)));
}

bool CDualDownloadDocument::AddSheep(const WString& tattoo, int sex) {
    // Never over an animal the flock has: adding would offer to replace it and its history.
    if (!m_records || tattoo.empty() || FindByTattoo(tattoo)) return false;
    CComBSTR name(tattoo);
    CHeld sheep;
    return SUCCEEDED(CallSlot(m_records, records::kAdd, BSTR(name), SHORT(sex), sheep.Out())) && sheep;
}

bool CDualDownloadDocument::AddEvent(const WString& tattoo, double date, const WString& code,
                                     const std::vector<WString>& parameters) {
    CHeld sheep(Sheep(tattoo));
    if (!sheep) return false;
    CHeld events;
    if (FAILED(CallSlot(sheep.Get(), sheep::kGetEvents, events.Out())) || !events) return false;
    COleVariant array;
    array.vt = VT_ARRAY | VT_BSTR;
    array.parray = SafeArrayCreateVector(VT_BSTR, 0, ULONG(parameters.size()));
    if (!array.parray) return false;
    for (LONG i = 0; i < LONG(parameters.size()); ++i) {
        CComBSTR value(parameters[size_t(i)]);
        SafeArrayPutElement(array.parray, &i, BSTR(value));
    }
    CComBSTR name(code);
    CHeld event;
    return SUCCEEDED(
               CallSlot(events.Get(), events::kAdd, DATE(date), BSTR(name), static_cast<VARIANT>(array), event.Out())) &&
           event;
}

std::vector<CEventCodeInfo> CDualDownloadDocument::EventCodes() {
    std::vector<CEventCodeInfo> out;
    CHeld breed(Interface(document::kGetBreed));
    if (!breed) return out;
    CHeld codes;
    if (FAILED(CallSlot(breed.Get(), breed::kGetEventCodes, codes.Out())) || !codes) return out;
    // The codes' Item takes a code number or a name, not a position: the enumerator hands out each
    // code, whose dual interface answers by slot.
    CHeld unknown;
    if (FAILED(CallSlot(codes.Get(), event_codes::kNewEnum, unknown.Out())) || !unknown) return out;
    std::vector<void*> found;
    if (auto* walk = QueryInterfaceAs<IEnumVARIANT>(static_cast<IUnknown*>(unknown.Get()), IID_IEnumVARIANT)) {
        VARIANT item;
        ULONG got = 0;
        while (walk->Next(1, &item, &got) == S_OK && got == 1) {
            void* dual = nullptr;
            if (item.vt == VT_DISPATCH && item.pdispVal &&
                SUCCEEDED(item.pdispVal->QueryInterface(IID_IEventCode, &dual)) && dual)
                found.push_back(dual);
            VariantClear(&item);
        }
        walk->Release();
    }
    for (void* each : found) {
        CHeld code(each);
        VARIANT_BOOL typed = VARIANT_FALSE;
        if (FAILED(CallSlot(code.Get(), event_code::kGetTypeBit0, &typed)) || typed) continue;
        CEventCodeInfo info;
        info.name = Text(code.Get(), event_code::kGetValue).value_or(WString());
        CHeld properties;
        if (SUCCEEDED(CallSlot(code.Get(), event_code::kGetProperties, properties.Out())) && properties) {
            for (long k = 0, m = Count(properties.Get(), event_codes::kCount); k < m; ++k) {
                CHeld property(ItemAt(properties.Get(), k));
                LONG type = 0;
                if (property) CallSlot(property.Get(), event_code_property::kGetDataType, &type);
                info.parameters.push_back(Text(property.Get(), event_code_property::kGetValue).value_or(WString()));
                info.types.push_back(type);
            }
        }
        out.push_back(std::move(info));
    }
    return out;
}

WString CDualDownloadDocument::BreedName() {
    CHeld breed(Interface(document::kGetBreed));
    return Text(breed.Get(), breed::kGetName).value_or(WString());
}

bool CDualDownloadDocument::IsStandardTattoo(const WString& tattoo) {
    CHeld breed(Interface(document::kGetBreed));
    if (!breed) return true;
    CComBSTR text(tattoo);
    VARIANT_BOOL valid = VARIANT_TRUE;
    if (FAILED(CallSlot(breed.Get(), breed::kValidateTattoo, BSTR(text), &valid))) return true;
    return valid != VARIANT_FALSE;
}

std::vector<WString> CDualDownloadDocument::TattoosWithoutEid() {
    std::vector<WString> out;
    if (!m_records) return out;
    for (long i = 0, n = Count(m_records, records::kCount); i < n; ++i) {
        COleVariant at(SHORT(i), VT_I2);
        CHeld sheep;
        if (FAILED(CallSlot(m_records, records::kItem, static_cast<VARIANT>(at), sheep.Out())) || !sheep) continue;
        ULONGLONG eid = 0;
        if (SUCCEEDED(CallSlot(sheep.Get(), sheep::kGetEidNumber, &eid)) && eid == 0)
            if (auto tattoo = Text(sheep.Get(), sheep::kGetTattoo)) out.push_back(*tattoo);
    }
    return out;
}

bool CDualDownloadDocument::AddressExists(const WString& code) {
    CHeld addresses(Interface(document::kGetAddresses));
    if (!addresses) return false;
    COleVariant name(code);
    VARIANT_BOOL exists = VARIANT_FALSE;
    return SUCCEEDED(CallSlot(addresses.Get(), addresses::kExists, static_cast<VARIANT>(name), &exists)) &&
           exists != VARIANT_FALSE;
}

std::optional<WString> CDualDownloadDocument::AddAddress(long window, const WString& code) {
    CHeld addresses(Interface(document::kGetAddresses));
    if (!addresses) return std::nullopt;
    CComBSTR name(code);
    CHeld address;
    if (FAILED(CallSlot(addresses.Get(), addresses::kAddDialog, LONG(window), BSTR(name), address.Out())) || !address)
        return std::nullopt;
    return Text(address.Get(), address::kGetKey);
}

int CDualDownloadDocument::DecimalPrecision() {
    CHeld application(Interface(document::kGetApplication));
    SHORT places = 2;
    if (application) CallSlot(application.Get(), application::kGetDecimalPrecision, &places);
    return places;
}
