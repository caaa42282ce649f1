// A small document for the record tests: EID map, ear-tag filing, addresses and the test breed
// plug-in, dlopened once for the whole test program.
#pragma once

#include <dlfcn.h>

#include <map>
#include <vector>

#include "records/flock_document.h"
#include "records/sheep.h"

inline void* RecordsTestBreed() {
    static void* handle = dlopen(CVL_RECORDS_TEST_BREED, RTLD_NOW | RTLD_LOCAL);
    return handle;
}

class CFakeDocument : public IFlockDocument {
public:
    bool LookupTattooByEID(uint64_t eid, WString* tattoo) const override {
        auto it = eids.find(eid);
        if (it == eids.end()) return false;
        if (tattoo) *tattoo = it->second;
        return true;
    }
    void SetEIDTattoo(uint64_t eid, const WString& tattoo) override { eids[eid] = tattoo; }
    void RemoveEID(uint64_t eid) override { eids.erase(eid); }
    void UpdateEarTagIndex(CSheep* sheep, const WString& colour, const WString& number) override {
        refiled.push_back(colour + u"|" + number);
        sheep->StoreEarTag(colour, number);
    }
    CSheep* FindSheep(const WString& key) const override {
        for (CSheep* s : flock)
            if (EqualsNoCase(s->GetTattoo(), key)) return s;
        return nullptr;
    }
    bool LookupAddress(const WString& name, WString* displayName) const override {
        auto it = addresses.find(name);
        if (it == addresses.end()) return false;
        if (displayName) *displayName = it->second;
        return true;
    }
    void* GetBreedProc(const char* exportName) override {
        if (!withPlugIn) return nullptr;
        void* handle = RecordsTestBreed();
        return handle ? dlsym(handle, exportName) : nullptr;
    }
    IDocument* GetDocumentDual() override { return nullptr; }
    CCriteria* GetCriteria() const override { return nullptr; }
    void SetModifiedFlag(bool modified) override { this->modified = modified; }

    std::map<uint64_t, WString> eids;
    std::map<WString, WString> addresses;
    std::vector<WString> refiled;
    std::vector<CSheep*> flock;
    bool withPlugIn = true;
    bool modified = false;
};

// Test control of the plug-in's code table.
inline void SetTestCode(int32_t code, const char16_t* name, const char16_t* text, uint32_t count,
                        uint32_t type = 0) {
    using Fn = void (*)(int32_t, const char16_t*, const char16_t*, uint32_t, uint32_t);
    reinterpret_cast<Fn>(dlsym(RecordsTestBreed(), "RecordsTestSetCode"))(code, name, text, count, type);
}
inline int TestHookCount(bool deleted) {
    using Fn = int (*)(int32_t);
    return reinterpret_cast<Fn>(dlsym(RecordsTestBreed(), "RecordsTestHookCount"))(deleted ? 1 : 0);
}
