// A small flock document for the collection tests: animals in key order, an EID map, an address
// map, a scripted answer to the overwrite questions and to the address browser, and a stand-in for
// the breed plug-in's born-on-farm answer that the tests set per animal.
#pragma once

#include <algorithm>
#include <map>
#include <optional>
#include <vector>

#include "platform/automation/automation.h"
#include "records/automation_document.h"
#include "records/criteria.h"
#include "records/record_interfaces.h"
#include "records/sheep.h"

// Born-on-farm answers by tattoo (absent: 0).
inline std::map<WString, int32_t>& BornOnFarmAnswers() {
    static std::map<WString, int32_t> answers;
    return answers;
}

inline int32_t TestBornOnFarm(IDocument*, ISheep* sheep) {
    auto* target = CCmdTarget::FromIDispatch(reinterpret_cast<IDispatch*>(sheep));
    auto* animal = dynamic_cast<CSheep*>(target);
    if (!animal) return 0;
    auto it = BornOnFarmAnswers().find(animal->GetTattoo());
    return it == BornOnFarmAnswers().end() ? 0 : it->second;
}

class CFakeAutomationDocument : public CCmdTarget, public IAutomationDocument {
public:
    CFakeAutomationDocument() { EnableAutomation(); }
    ~CFakeAutomationDocument() override {
        m_links.DetachAll();
        for (auto& s : flock) s->MarkDetached();
    }

    // ---- what records need ---------------------------------------------------------------------
    bool LookupTattooByEID(uint64_t eid, WString* tattoo) const override {
        auto it = eids.find(eid);
        if (it == eids.end()) return false;
        *tattoo = it->second;
        return true;
    }
    void SetEIDTattoo(uint64_t eid, const WString& tattoo) override { eids[eid] = tattoo; }
    void RemoveEID(uint64_t eid) override { eids.erase(eid); }
    void UpdateEarTagIndex(CSheep* sheep, const WString& colour, const WString& number) override {
        sheep->StoreEarTag(colour, number);
    }
    CSheep* FindSheep(const WString& key) const override {
        int i = -1;
        return FindSheepIndex(key, &i) ? flock[i].Get() : nullptr;
    }
    bool LookupAddress(const WString& name, WString* displayName) const override {
        auto it = addresses.find(name);
        if (it == addresses.end()) return false;
        if (displayName) *displayName = name;
        return true;
    }
    void* GetBreedProc(const char* exportName) override {
        if (withBornOnFarm && std::string(exportName) == "CVLBornOnFarm")
            return reinterpret_cast<void*>(&TestBornOnFarm);
        return nullptr;
    }
    IDocument* GetDocumentDual() override { return nullptr; }
    CCriteria* GetCriteria() const override { return const_cast<CCriteria*>(&criteria); }
    void SetModifiedFlag(bool m) override { modified = m; }

    // ---- what the collections need ---------------------------------------------------------------
    int GetSheepCount() const override { return static_cast<int>(flock.size()); }
    CSheep* GetSheepAt(int index) const override {
        return index >= 0 && index < GetSheepCount() ? flock[index].Get() : nullptr;
    }
    bool FindSheepIndex(const WString& key, int* index) const override {
        for (int i = 0; i < GetSheepCount(); ++i)
            if (CompareNoCase(flock[i]->GetTattoo(), key) == 0) {
                *index = i;
                return true;
            }
        return false;
    }
    int AddSheep(CSheep* sheep, bool) override {
        int i = -1;
        if (FindSheepIndex(sheep->GetTattoo(), &i)) {
            ++overwriteQuestions;
            if (declineOverwrite) return -1;
            flock[i]->MarkDetached();
            flock[i] = CRefPtr<CSheep>::Adopt(sheep);
            return i;
        }
        auto at = std::find_if(flock.begin(), flock.end(), [&](const CRefPtr<CSheep>& s) {
            return CompareNoCase(s->GetTattoo(), sheep->GetTattoo()) > 0;
        });
        at = flock.insert(at, CRefPtr<CSheep>::Adopt(sheep));
        sheep->SetDocument(this);
        if (sheep->GetElectronicID()) eids[sheep->GetElectronicID()] = sheep->GetTattoo();
        return static_cast<int>(at - flock.begin());
    }
    void DeleteSheep(int index) override {
        flock[index]->MarkDetached();
        flock.erase(flock.begin() + index);
    }
    const std::map<WString, CRefPtr<CAddress>>& GetAddressMap() const override { return addresses; }
    bool ReplaceAddress(const WString& name, CRefPtr<CAddress> address) override {
        if (addresses.count(name)) {
            ++overwriteQuestions;
            if (declineOverwrite) return false;
        }
        addresses[name] = address;
        return true;
    }
    bool DeleteAddress(const WString& name) override { return addresses.erase(name) > 0; }
    bool RunAddressBrowser(long windowHandle, WString* name) override {
        browserCalls.push_back({windowHandle, *name});
        if (!browserAnswer) return false;
        *name = *browserAnswer;
        return true;
    }
    CAddress* NewLocalAddress(long, const WString&) override { return nullptr; }
    const WString& GetTitle() const override { return title; }
    IDispatch* GetDocumentDispatch() override { return GetIDispatch(true); }
    COwnerLinks& GetAutomationLinks() override { return m_links; }

    // Adds a test animal and gives it (the document keeps the reference).
    CSheep* Add(const char16_t* tattoo, int32_t sex = SEX_EWE) {
        auto* s = new CSheep(tattoo, sex, this);
        AddSheep(s, false);
        return s;
    }

    std::vector<CRefPtr<CSheep>> flock;
    std::map<uint64_t, WString> eids;
    std::map<WString, CRefPtr<CAddress>> addresses;
    CCriteria criteria;
    WString title = u"Home Flock";
    bool withBornOnFarm = true;
    bool declineOverwrite = false;
    int overwriteQuestions = 0;
    bool modified = false;
    std::optional<WString> browserAnswer;
    std::vector<std::pair<long, WString>> browserCalls;

private:
    COwnerLinks m_links;
};
