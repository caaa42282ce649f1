// The exports of the general sheep breed plug-in.
#include <vector>

#include "abi/breed_abi.h"
#include "abi/dual_slots.h"
#include "breeds/dual_client.h"
#include "breeds/general_breed.h"
#include "breeds/general_resources.h"

#define CVL_EXPORT extern "C" __attribute__((visibility("default")))

using namespace general_breed;
namespace dc = dual_client;
namespace slots = dual_slots;

CVL_BREED_VERSION_NOTE(1, 0, 0, 0, "1.0.0.0");

namespace {

// The tattoos of every animal of the document, read through its records collection.
std::vector<Text> FlockTattoos(IDocument* doc) {
    std::vector<Text> tattoos;
    if (!doc) return tattoos;
    void* records = nullptr;
    if (FAILED(CallSlot(doc, slots::document::kGetRecords, &records)) || !records) return tattoos;
    LONG count = 0;
    if (SUCCEEDED(CallSlot(records, slots::records::kCount, &count))) {
        // Item takes a 16-bit position.
        if (count > 32767) count = 32767;
        for (LONG i = 0; i < count; ++i) {
            VARIANT index;
            VariantInit(&index);
            index.vt = VT_I2;
            index.iVal = SHORT(i);
            void* sheep = nullptr;
            if (FAILED(CallSlot(records, slots::records::kItem, index, &sheep))) break;
            if (!sheep) continue;
            if (auto tattoo = dc::GetText(sheep, slots::sheep::kGetTattoo))
                tattoos.push_back(std::move(*tattoo));
            dc::Release(sheep);
        }
    }
    dc::Release(records);
    return tattoos;
}

}  // namespace

CVL_EXPORT int32_t IsUnicodeDLL() {
    return 1;
}

CVL_EXPORT int32_t CVLGetIDsFromNames(const char16_t* eventName) {
    return eventName ? CodeFromName(eventName) : -1;
}

CVL_EXPORT int32_t CVLGetNamesFromIDs(int32_t code, char16_t* buffer, int32_t capacity) {
    const EventType* e = FindEvent(code);
    return e ? CopyText(e->name, buffer, capacity) : -1;
}

CVL_EXPORT uint32_t CVLGetType(int32_t code) {
    const EventType* e = FindEvent(code);
    return e ? e->type : 0xFFFFFFFFu;
}

CVL_EXPORT int32_t CVLGetText(int32_t code, char16_t* buffer, int32_t capacity) {
    const EventType* e = FindEvent(code);
    return e ? CopyText(e->text, buffer, capacity) : CopyText(u"", buffer, capacity);
}

CVL_EXPORT uint32_t CVLGetParameterCount(int32_t code) {
    const EventType* e = FindEvent(code);
    return e ? uint32_t(e->parameters.size()) : 0;
}

CVL_EXPORT int32_t CVLGetParameterTag(int32_t code, int32_t index, char16_t* buffer, int32_t capacity) {
    const EventType* e = FindEvent(code);
    if (!e || index < 0 || size_t(index) >= e->parameters.size()) return CopyText(u"", buffer, capacity);
    return CopyText(e->parameters[size_t(index)].caption, buffer, capacity);
}

CVL_EXPORT int32_t CVLGetParameterType(int32_t code, int32_t index) {
    const EventType* e = FindEvent(code);
    if (!e || index < 0 || size_t(index) >= e->parameters.size()) return -1;
    return e->parameters[size_t(index)].type;
}

CVL_EXPORT void CVLInitEnumEvents(uint32_t* handle) {
    if (handle) *handle = 0;
}

// Every event is listed, whatever the two selector values.
CVL_EXPORT int32_t CVLEnumEvents(uint32_t* handle, int32_t, int32_t, char16_t* buffer, int32_t capacity) {
    if (!handle || *handle >= Events().size()) return 0;
    const EventType& e = Events()[*handle];
    ++*handle;
    // A fixed buffer: its capacity counts the terminator.
    if (buffer && capacity > 0) CopyText(e.name, buffer, capacity - 1);
    return 1;
}

CVL_EXPORT void CVLEndEnumEvents(uint32_t) {}

// The breed keeps nothing of its own about events, so the hooks only take note of the call.
CVL_EXPORT void CVLOnAddBreedEvent(ISheep*, IEvent*) {}
CVL_EXPORT void CVLOnDeleteBreedEvent(ISheep*, IEvent*) {}

CVL_EXPORT int32_t CVLBornOnFarm(IDocument*, ISheep* sheep) {
    if (!sheep) return 0;
    auto birth = dc::GetDate(sheep, slots::sheep::kGetDateofBirth);
    auto purchase = dc::GetDate(sheep, slots::sheep::kGetDateofPurchase);
    return BornOnFarm(birth, purchase) ? 1 : 0;
}

CVL_EXPORT int32_t CVLIsTattooValid(const char16_t* tattoo) {
    return tattoo && IsTattooValid(tattoo) ? 1 : 0;
}

// The parents do not enter a lamb's tattoo: it is numbered within its flock's lambing year.
CVL_EXPORT int32_t CVLBuildTattoo(ISheep*, ISheep*, int32_t lambingDay, int32_t number, IDocument*,
                                  char16_t* buffer, int32_t capacity) {
    return CopyText(BuildLambTattoo(number, lambingDay), buffer, capacity);
}

CVL_EXPORT int32_t CVLGetLambIndex(const char16_t* tattoo) {
    return tattoo ? LambIndex(tattoo) : 0;
}

CVL_EXPORT int32_t CVLGetNextIndex(IDocument* doc, int32_t lambingDay) {
    return NextLambIndex(FlockTattoos(doc), lambingDay);
}

CVL_EXPORT int32_t CVLGetGestationPeriod() {
    return kGestationDays;
}

CVL_EXPORT void CVLGetBreedFlag(int32_t flag, char16_t* buffer, int32_t* readOnly) {
    if (buffer) CopyText(FlagName(flag), buffer, 63);
    if (readOnly) *readOnly = 0;
}

// The breed has no pages of its own for the new-database wizard or the options sheet.
CVL_EXPORT CCvlPropertyPage* CVLLoadNewDocWizardSheets(int32_t, IDocument*) {
    return nullptr;
}
CVL_EXPORT CCvlPropertyPage* CVLLoadFarmOptsSheets(int32_t, IDocument*) {
    return nullptr;
}

CVL_EXPORT void CVLInitEnumReports(uint32_t* handle) {
    if (handle) *handle = 0;
}

CVL_EXPORT int32_t CVLEnumReports(uint32_t* handle, int32_t* reportId, char16_t* name, int32_t* capacity) {
    if (!handle || *handle >= Reports().size()) return 0;
    const Report& r = Reports()[*handle];
    ++*handle;
    if (reportId) *reportId = r.id;
    if (name && capacity && *capacity > 0) *capacity = CopyText(r.name, name, *capacity - 1);
    return 1;
}

CVL_EXPORT void CVLEndEnumReports(uint32_t) {}

CVL_EXPORT int32_t CVLReportDefinition(int32_t reportId, char16_t* buffer, int32_t*) {
    const Report* r = FindReport(reportId);
    // The caller learns the length first and then passes a buffer one longer.
    return CopyText(r ? r->definition : u"", buffer, 0x7FFFFFFE);
}

CVL_EXPORT int32_t CVLReportTitle(int32_t reportType, const char16_t* selection, int32_t year,
                                  char16_t* buffer) {
    return CopyText(ReportTitle(reportType, selection ? selection : u"", year), buffer, 0x7FFFFFFE);
}

CVL_EXPORT void CVLBuildReportColumns(IDispatch* columns, int32_t reportType, const char16_t* ramsOrEwes) {
    if (!columns) return;
    if (FAILED(CallSlot(columns, slots::report_view::kResetColumns))) return;
    LONG position = 0;
    for (const ReportColumn& c : ReportColumns(reportType, ramsOrEwes ? ramsOrEwes : u"")) {
        CComBSTR title(c.title);
        if (FAILED(CallSlot(columns, slots::report_view::kBindColumn, BSTR(title), LONG(c.kind), position++)))
            return;
    }
}

namespace {

// The keys of the document's addresses, in the collection's order.
std::vector<Text> AddressKeys(IDocument* doc) {
    std::vector<Text> keys;
    void* addresses = nullptr;
    if (!doc || FAILED(CallSlot(doc, slots::document::kGetAddresses, &addresses)) || !addresses) return keys;
    LONG count = 0;
    if (SUCCEEDED(CallSlot(addresses, slots::addresses::kCount, &count))) {
        for (LONG i = 0; i < count; ++i) {
            VARIANT index;
            VariantInit(&index);
            index.vt = VT_I4;
            index.lVal = i;
            void* address = nullptr;
            if (FAILED(CallSlot(addresses, slots::addresses::kItem, index, &address))) break;
            if (!address) continue;
            if (auto key = dc::GetText(address, slots::address::kGetKey)) keys.push_back(std::move(*key));
            dc::Release(address);
        }
    }
    dc::Release(addresses);
    return keys;
}

}  // namespace

CVL_EXPORT void CVLPrepareReportToolbar(IDocument* doc, int32_t reportType, void* sexList, void* yearList) {
    if (auto* years = static_cast<CVLReportList*>(yearList)) {
        years->Reset();
        for (const Text& year : ReportYears()) years->Add(year.c_str());
    }
    if (auto* selection = static_cast<CVLReportList*>(sexList)) {
        selection->Reset();
        for (const Text& text :
             ReportSelections(reportType, reportType == 3 ? AddressKeys(doc) : std::vector<Text>()))
            selection->Add(text.c_str());
    }
}

CVL_EXPORT int32_t CVLUpdateReportToolbar(int32_t reportType, int32_t flag) {
    const Report* r = FindReport(reportType);
    if (!r) return 0;
    if (flag == 4) return r->usesYear ? 1 : 0;
    if (flag == 2) return r->usesSelection ? 1 : 0;
    return 0;
}

CVL_EXPORT uint16_t CVLGetXMLValidator() {
    return kValidatorResourceId;
}

CVL_EXPORT const void* CVLGetResource(uint16_t type, uint16_t id, uint32_t* size) {
    const Resource* r = FindResource(type, id);
    if (!r) {
        if (size) *size = 0;
        return nullptr;
    }
    if (size) *size = r->size;
    return r->data;
}
