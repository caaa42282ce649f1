// A breed plug-in for the document's tests. It answers every export from small tables and writes each
// call it receives into a log that the tests read back (TestBreedLog). Build switches make the
// variants the loader must tell apart.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "abi/breed_abi.h"

#ifdef CVL_TEST_UNRESOLVED
extern "C" int cvl_test_symbol_nobody_defines();
#endif

namespace {

std::string g_log;

void Log(const std::string& s) {
    g_log += s + ";";
}

// Not std::to_string: its digit table is a unique symbol, which would keep the library mapped.
std::string Num(long long v) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%lld", v);
    return buf;
}

std::string Narrow(const char16_t* s) {
    if (!s) return "(null)";
    std::string out;
    for (; *s; ++s) out += *s < 0x80 ? char(*s) : '?';
    return out;
}

// The two-call text protocol: the length without a buffer, else the text copied in.
int32_t Give(const char* text, char16_t* buffer, int32_t capacity) {
    int32_t len = int32_t(std::strlen(text));
    if (buffer) {
        int32_t n = capacity < 0 || capacity > len ? len : capacity - 1;
        for (int32_t i = 0; i < n; ++i) buffer[i] = char16_t(text[i]);
        buffer[n < 0 ? 0 : n] = 0;
    }
    return len;
}

[[maybe_unused]] int32_t GiveUnbounded(const char* text, char16_t* buffer) {
    int32_t len = int32_t(std::strlen(text));
    if (buffer) {
        for (int32_t i = 0; i < len; ++i) buffer[i] = char16_t(text[i]);
        buffer[len] = 0;
    }
    return len;
}

struct EventCode {
    int32_t code;
    const char* name;
    uint32_t type;
    uint32_t paramCount;
    int32_t paramType;  // of every parameter
    const char* text;
};

// Code 30 lists any number of addresses; 31 has one address parameter, 33 two; 32 two weights.
// The data-entry variant weighs each animal on its own and adds events of three text parameters,
// of none per animal, and of any number per animal.
#ifdef CVL_TEST_ENTRY_EVENTS
constexpr uint32_t kWeighingType = 0x12;
#else
constexpr uint32_t kWeighingType = 0x2;
#endif

const EventCode kCodes[] = {
    {1, "Purchase", 0x1, 3, 2, "Bought from %1 for %2"},
    {4, "Weighing", kWeighingType, 1, 1, "Weighed %1"},
    {9, "Birth", 0x4, 0, 0, "Born"},
    {30, "Shown", 0x20, 0xFFFFFFFFu, 2, "Shown to %1"},
    {31, "Sold", 0x8, 1, 2, "Sold to %1"},
    {32, "Scanned", 0x10, 2, 1, "Scanned %1 %2"},
    {33, "Moved", 0x8, 2, 2, "Moved from %1 to %2"},
#ifdef CVL_TEST_ENTRY_EVENTS
    {11, "Treated", 0x0, 3, 0, "Treated for %1 with %2, dose %3"},
    {14, "Shorn", 0x10, 0, 0, "Shorn"},
    {34, "Tallied", 0x10, 0xFFFFFFFFu, 0, "Tallied %1"},
#endif
};

const EventCode* FindCode(int32_t code) {
    for (const auto& c : kCodes)
        if (c.code == code) return &c;
    return nullptr;
}

struct Report {
    int32_t id;
    const char* name;
};
const Report kReports[] = {{1, "Flock Book"}, {2, "Lambing Sheet"}, {5, "Sales"}};

bool NoReports() {
    return std::getenv("CVL_TEST_BREED_NO_REPORTS") != nullptr;
}

}  // namespace

#ifndef CVL_TEST_NO_NOTE
CVL_BREED_VERSION_NOTE(CVL_TEST_MAJOR, CVL_TEST_MINOR, CVL_TEST_BUILD, CVL_TEST_REVISION, CVL_TEST_PRODUCT);
#endif

extern "C" {

__attribute__((visibility("default"))) const char* TestBreedLog() {
    return g_log.c_str();
}
__attribute__((visibility("default"))) void TestBreedClearLog() {
    g_log.clear();
}

#ifndef CVL_TEST_NO_UNICODE_EXPORT
__attribute__((visibility("default"))) int32_t IsUnicodeDLL() {
#ifdef CVL_TEST_UNRESOLVED
    return cvl_test_symbol_nobody_defines();
#elif defined(CVL_TEST_UNICODE_ZERO)
    return 0;
#else
    return 1;
#endif
}
#endif

int32_t CVLGetIDsFromNames(const char16_t* eventName) {
    std::string name = Narrow(eventName);
    for (const auto& c : kCodes)
        if (name == c.name) return c.code;
    return -1;
}

int32_t CVLGetNamesFromIDs(int32_t code, char16_t* buffer, int32_t capacity) {
    const EventCode* c = FindCode(code);
    return Give(c ? c->name : "", buffer, capacity);
}

#ifndef CVL_TEST_NO_GETTYPE
uint32_t CVLGetType(int32_t code) {
    const EventCode* c = FindCode(code);
    return c ? c->type : 0xFFFFFFFFu;
}
#endif

int32_t CVLGetText(int32_t code, char16_t* buffer, int32_t capacity) {
    const EventCode* c = FindCode(code);
    return c ? Give(c->text, buffer, capacity) : 0;
}

uint32_t CVLGetParameterCount(int32_t code) {
    const EventCode* c = FindCode(code);
    return c ? c->paramCount : 0;
}

int32_t CVLGetParameterTag(int32_t code, int32_t index, char16_t* buffer, int32_t capacity) {
    std::string tag = "Param" + Num(code) + "." + Num(index);
    return Give(tag.c_str(), buffer, capacity);
}

int32_t CVLGetParameterType(int32_t code, int32_t index) {
    Log("GetParameterType(" + Num(code) + "," + Num(index) + ")");
    const EventCode* c = FindCode(code);
    return c ? c->paramType : -1;
}

void CVLInitEnumEvents(uint32_t* handle) {
    *handle = 0;
}

int32_t CVLEnumEvents(uint32_t* handle, int32_t a, int32_t b, char16_t* buffer, int32_t capacity) {
    Log("EnumEvents(" + Num(a) + "," + Num(b) + "," + Num(capacity) + ")");
    if (*handle >= sizeof(kCodes) / sizeof(kCodes[0])) return 0;
    Give(kCodes[(*handle)++].name, buffer, capacity);
    return 1;
}

int32_t CVLBornOnFarm(IDocument* doc, ISheep* sheep) {
    Log(std::string("BornOnFarm(") + (doc ? "doc" : "null") + "," + (sheep ? "sheep" : "null") + ")");
    return 1;
}

int32_t CVLIsTattooValid(const char16_t* tattoo) {
    Log("IsTattooValid(" + Narrow(tattoo) + ")");
    return tattoo && std::char_traits<char16_t>::length(tattoo) >= 4 ? 1 : 0;
}

int32_t CVLBuildTattoo(ISheep* firstParent, ISheep* secondParent, int32_t second, int32_t first,
                       IDocument* doc, char16_t* buffer, int32_t capacity) {
    Log(std::string("BuildTattoo(") + (firstParent ? "A" : "null") + "," + (secondParent ? "B" : "null") +
        "," + Num(second) + "," + Num(first) + "," + (doc ? "doc" : "null") + "," +
        (buffer ? "buf" : "null") + "," + Num(capacity) + ")");
    std::string tattoo = "LAMB" + Num(first) + "-" + Num(second);
    return Give(tattoo.c_str(), buffer, capacity);
}

int32_t CVLGetLambIndex(const char16_t* tattoo) {
    std::string t = Narrow(tattoo);
    size_t dash = t.rfind('-');
    return dash == std::string::npos ? 0 : std::atoi(t.c_str() + dash + 1);
}

int32_t CVLGetNextIndex(IDocument* doc, int32_t value) {
    Log(std::string("GetNextIndex(") + (doc ? "doc" : "null") + "," + Num(value) + ")");
    return value + 1;
}

int32_t CVLGetGestationPeriod() {
    return 147;
}

void CVLInitEnumReports(uint32_t* handle) {
    Log("InitEnumReports");
    *handle = 0;
}

int32_t CVLEnumReports(uint32_t* handle, int32_t* reportId, char16_t* name, int32_t* capacity) {
    Log("EnumReports(" + Num(*capacity) + ")");
    if (NoReports() || *handle >= sizeof(kReports) / sizeof(kReports[0])) return 0;
    const Report& r = kReports[(*handle)++];
    *reportId = r.id;
    Give(r.name, name, *capacity);
    return 1;
}

void CVLPrepareReportToolbar(IDocument* doc, int32_t reportType, void* sexList, void* yearList) {
    Log(std::string("PrepareReportToolbar(") + (doc ? "doc" : "null") + "," + Num(reportType) + "," +
        (sexList ? "w1" : "null") + "," + (yearList ? "w2" : "null") + ")");
}

int32_t CVLUpdateReportToolbar(int32_t reportType, int32_t flag) {
    Log("UpdateReportToolbar(" + Num(reportType) + "," + Num(flag) + ")");
    return reportType + flag;
}

#ifndef CVL_TEST_LEAN
void CVLEndEnumEvents(uint32_t handle) {
    Log("EndEnumEvents(" + Num(handle) + ")");
}

void CVLOnAddBreedEvent(ISheep*, IEvent*) {
    Log("OnAddBreedEvent");
}
void CVLOnDeleteBreedEvent(ISheep*, IEvent*) {
    Log("OnDeleteBreedEvent");
}

void CVLGetBreedFlag(int32_t flag, char16_t* buffer, int32_t* readOnly) {
    Log("GetBreedFlag(" + Num(flag) + ")");
    std::string name = "Flag " + Num(flag);
    Give(name.c_str(), buffer, 64);
    if (readOnly) *readOnly = flag == 5 ? 1 : 0;
}

CCvlPropertyPage* CVLLoadNewDocWizardSheets(int32_t index, IDocument*) {
    Log("LoadNewDocWizardSheets(" + Num(index) + ")");
    return nullptr;
}

CCvlPropertyPage* CVLLoadFarmOptsSheets(int32_t index, IDocument*) {
    Log("LoadFarmOptsSheets(" + Num(index) + ")");
    return nullptr;
}

void CVLEndEnumReports(uint32_t handle) {
    Log("EndEnumReports(" + Num(handle) + ")");
}

int32_t CVLReportDefinition(int32_t reportId, char16_t* buffer, int32_t* ignored) {
    Log(std::string("ReportDefinition(") + Num(reportId) + "," + (buffer ? "buf" : "null") + "," +
        (ignored ? "ptr" : "null") + ")");
    std::string text = "<report id=\"" + Num(reportId) + "\"/>";
    return GiveUnbounded(text.c_str(), buffer);
}

int32_t CVLReportTitle(int32_t reportType, const char16_t* selection, int32_t year, char16_t* buffer) {
    Log(std::string("ReportTitle(") + (buffer ? "buf" : "null") + ")");
    std::string text = "Report " + Num(reportType) + " of " + Narrow(selection) + " in " + Num(year);
    return GiveUnbounded(text.c_str(), buffer);
}

void CVLBuildReportColumns(IDispatch* columns, int32_t reportType, const char16_t* ramsOrEwes) {
    Log(std::string("BuildReportColumns(") + (columns ? "itf" : "null") + "," + Num(reportType) + "," +
        Narrow(ramsOrEwes) + ")");
}

uint16_t CVLGetXMLValidator() {
    return 101;
}

const void* CVLGetResource(uint16_t type, uint16_t id, uint32_t* size) {
    static const char kXsl[] = "<xsl:stylesheet/>";
    if (type != 23 || id != 101) return nullptr;
    *size = sizeof(kXsl) - 1;
    return kXsl;
}
#endif
}
