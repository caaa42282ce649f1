// A small breed plug-in for the record tests: a table of event codes whose names, templates,
// parameter counts and type flags the tests may change through RecordsTestSetCode, and counters of
// the add and delete hooks.
#include <cstdint>
#include <cstring>
#include <map>
#include <string>

#include "abi/breed_abi.h"

CVL_BREED_VERSION_NOTE(1, 0, 0, 0, "1.0.0.0");

namespace {

struct Code {
    std::u16string name;
    std::u16string text;  // the template; empty: the plug-in has none
    uint32_t count;
    uint32_t type;
    int32_t paramType;  // of parameter 1
};

std::map<int32_t, Code>& Codes() {
    static std::map<int32_t, Code> codes = {
        {0, {u"Sold", u"Sold to %1", 1, 0x1, 2}},
        {1, {u"Purchased", u"Bought from %1", 1, 0x1, 2}},
        {2, {u"Died", u"Died", 0, 0x1, 0}},
        {4, {u"Weighed", u"Weighed %1 today", 1, 0x2, 1}},
        {5, {u"Ear Tag", u"Tagged %1 %2", 2, 0x1, 0}},
        {9, {u"Born", u"Born", 0, 0x1, 0}},
        {21, {u"Killed", u"Killed at %1", 1, 0x1, 2}},
        {30, {u"Treated", u"Treated with %1 for %2", 2, 0x20, 0}},
        {31, {u"Dosed", u"Dosed %1 daily", 2, 0x0, 0}},
        {32, {u"Silent", u"", 0, 0x0, 0}},
        {33, {u"Unflagged", u"Note", 0, 0xFFFFFFFFu, 0}},
    };
    return codes;
}

int32_t CopyText(const std::u16string& text, char16_t* buffer, int32_t capacity) {
    if (!buffer) return static_cast<int32_t>(text.size());
    const size_t n = std::min<size_t>(text.size(), capacity < 0 ? 0 : static_cast<size_t>(capacity));
    std::memcpy(buffer, text.data(), n * sizeof(char16_t));
    buffer[n] = u'\0';
    return static_cast<int32_t>(n);
}

int g_added = 0;
int g_deleted = 0;

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int32_t IsUnicodeDLL() {
    return 1;
}

__attribute__((visibility("default"))) int32_t CVLGetIDsFromNames(const char16_t* name) {
    for (const auto& [code, c] : Codes()) {
        if (c.name == name) return code;
    }
    return -1;
}

__attribute__((visibility("default"))) int32_t CVLGetNamesFromIDs(int32_t code, char16_t* buffer,
                                                                  int32_t capacity) {
    auto it = Codes().find(code);
    return it == Codes().end() ? 0 : CopyText(it->second.name, buffer, capacity);
}

__attribute__((visibility("default"))) uint32_t CVLGetType(int32_t code) {
    auto it = Codes().find(code);
    return it == Codes().end() ? 0xFFFFFFFFu : it->second.type;
}

__attribute__((visibility("default"))) int32_t CVLGetText(int32_t code, char16_t* buffer, int32_t capacity) {
    auto it = Codes().find(code);
    if (it == Codes().end() || it->second.text.empty()) return 0;
    return CopyText(it->second.text, buffer, capacity);
}

__attribute__((visibility("default"))) uint32_t CVLGetParameterCount(int32_t code) {
    auto it = Codes().find(code);
    return it == Codes().end() ? 0 : it->second.count;
}

__attribute__((visibility("default"))) int32_t CVLGetParameterType(int32_t code, int32_t index) {
    auto it = Codes().find(code);
    return it == Codes().end() || index != 0 ? 0 : it->second.paramType;
}

__attribute__((visibility("default"))) int32_t CVLIsTattooValid(const char16_t* tattoo) {
    return tattoo && tattoo[0] != u'\0' && tattoo[0] != u'!';
}

__attribute__((visibility("default"))) void CVLOnAddBreedEvent(ISheep*, IEvent*) {
    ++g_added;
}
__attribute__((visibility("default"))) void CVLOnDeleteBreedEvent(ISheep*, IEvent*) {
    ++g_deleted;
}
__attribute__((visibility("default"))) int32_t CVLBornOnFarm(IDocument*, ISheep*) {
    return 1;
}

// Test control: define or change a code.
__attribute__((visibility("default"))) void RecordsTestSetCode(int32_t code, const char16_t* name,
                                                               const char16_t* text, uint32_t count,
                                                               uint32_t type) {
    Codes()[code] = Code{name, text, count, type, 0};
}
__attribute__((visibility("default"))) int RecordsTestHookCount(int32_t deleted) {
    return deleted ? g_deleted : g_added;
}
}
