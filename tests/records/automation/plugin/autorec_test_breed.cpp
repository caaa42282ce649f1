// A breed library for the automation tests: five enumerated names (one of them twice), type flags,
// parameter tags and types, and a tattoo check. The bare build exports only IsUnicodeDLL.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "abi/breed_abi.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

EXPORT int32_t IsUnicodeDLL() {
    return 1;
}

#ifndef AUTOREC_BARE

#define AUTOREC_NOTE(...) CVL_BREED_VERSION_NOTE(__VA_ARGS__)
AUTOREC_NOTE(AUTOREC_VERSION, "test");

namespace {

struct Param {
    std::u16string tag;
    int32_t type;
};
struct Code {
    int32_t code;
    std::u16string name;
    uint32_t type;
    std::vector<Param> params;
};

const std::vector<Code>& Codes() {
    static const std::vector<Code> codes = {
        {0, u"Sold", 0x05, {{u"Buyer", 2}}},
        {30, u"Treated", 0xFFFFFFFFu, {{u"Drug", 0}, {u"Dose", 0x10001}}},
        {9, u"Born", 0x01, {}},
        {4, u"Weighed", 0x02, {{u"Weight", 1}}},
        {40, u"Noted", 0x00, {}},  // counts its parameters as "any number"
    };
    return codes;
}
// The enumeration order: "Sold" comes twice.
const int kEnumOrder[] = {0, 1, 2, 3, 0};

const Code* Find(int32_t code) {
    for (const Code& c : Codes())
        if (c.code == code) return &c;
    return nullptr;
}

int32_t CopyText(const std::u16string& text, char16_t* buffer, int32_t capacity) {
    if (!buffer) return static_cast<int32_t>(text.size());
    const size_t n = std::min<size_t>(text.size(), capacity < 0 ? 0 : static_cast<size_t>(capacity));
    std::memcpy(buffer, text.data(), n * sizeof(char16_t));
    buffer[n] = u'\0';
    return static_cast<int32_t>(n);
}

}  // namespace

EXPORT void CVLInitEnumEvents(uint32_t* handle) {
    *handle = 0;
}

EXPORT int32_t CVLEnumEvents(uint32_t* handle, int32_t a, int32_t b, char16_t* buffer, int32_t capacity) {
    if (a != 8 || b != 1 || *handle >= std::size(kEnumOrder)) return 0;
    const std::u16string& name = Codes()[kEnumOrder[(*handle)++]].name;
    CopyText(name, buffer, capacity - 1);
    return 1;
}

EXPORT void CVLEndEnumEvents(uint32_t handle) {
    (void)handle;
}

EXPORT int32_t CVLGetIDsFromNames(const char16_t* name) {
    for (const Code& c : Codes())
        if (c.name == name) return c.code;
    return -1;
}

EXPORT int32_t CVLGetNamesFromIDs(int32_t code, char16_t* buffer, int32_t capacity) {
    const Code* c = Find(code);
    return c ? CopyText(c->name, buffer, capacity) : -1;
}

EXPORT uint32_t CVLGetType(int32_t code) {
    const Code* c = Find(code);
    return c ? c->type : 0xFFFFFFFFu;
}

EXPORT uint32_t CVLGetParameterCount(int32_t code) {
    const Code* c = Find(code);
    if (c && c->code == 40) return 0xFFFFFFFFu;
    return c ? static_cast<uint32_t>(c->params.size()) : 0;
}

EXPORT int32_t CVLGetParameterTag(int32_t code, int32_t index, char16_t* buffer, int32_t capacity) {
    const Code* c = Find(code);
    if (!c || index < 0 || static_cast<size_t>(index) >= c->params.size()) return 0;
    return CopyText(c->params[index].tag, buffer, capacity);
}

EXPORT int32_t CVLGetParameterType(int32_t code, int32_t index) {
    const Code* c = Find(code);
    if (!c || index < 0 || static_cast<size_t>(index) >= c->params.size()) return 0;
    return c->params[index].type;
}

EXPORT int32_t CVLIsTattooValid(const char16_t* tattoo) {
    return tattoo && tattoo[0] != u'\0' && tattoo[0] != u'!';
}

#endif
