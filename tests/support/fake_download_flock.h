// A document for the download rules and pages: animals by exact tattoo with their EID and sex, the
// events the apply step adds, as text, and the breed's answers set by the test.
#pragma once

#include <map>
#include <vector>

#include "wyndrace/download_model.h"

class CFakeDownloadFlock : public IDownloadDocument {
public:
    struct Animal {
        uint64_t eid = 0;
        int sex = 0;
    };
    struct Event {
        WString tattoo;
        double date = 0;
        WString code;
        std::vector<WString> parameters;
    };
    std::map<WString, Animal> animals;
    std::vector<Event> events;
    std::vector<WString> refusedAdds;  // tattoos for which AddSheep fails
    std::vector<CEventCodeInfo> codes;
    WString breed = u"Texel";
    std::vector<WString> standardTattoos;  // empty: every tattoo is standard
    std::vector<WString> addresses;
    std::vector<WString> addressDialogs;       // codes the address dialog was opened with
    std::optional<WString> addressAnswer;      // what the dialog gives back
    int decimals = 2;

    std::optional<uint64_t> FindByTattoo(const WString& tattoo) override {
        auto it = animals.find(tattoo);
        if (it == animals.end()) return std::nullopt;
        return it->second.eid;
    }
    std::optional<WString> FindByEid(uint64_t eid) override {
        for (const auto& [tattoo, animal] : animals)
            if (eid != 0 && animal.eid == eid) return tattoo;
        return std::nullopt;
    }
    bool SetEid(const WString& tattoo, uint64_t eid) override {
        auto it = animals.find(tattoo);
        if (it == animals.end()) return false;
        it->second.eid = eid;
        return true;
    }
    bool AddSheep(const WString& tattoo, int sex) override {
        for (const WString& refused : refusedAdds)
            if (refused == tattoo) return false;
        if (animals.count(tattoo)) return false;
        animals[tattoo] = Animal{0, sex};
        return true;
    }
    bool AddEvent(const WString& tattoo, double date, const WString& code,
                  const std::vector<WString>& parameters) override {
        events.push_back(Event{tattoo, date, code, parameters});
        return true;
    }

    std::vector<CEventCodeInfo> EventCodes() override { return codes; }
    WString BreedName() override { return breed; }
    bool IsStandardTattoo(const WString& tattoo) override {
        if (standardTattoos.empty()) return true;
        for (const WString& t : standardTattoos)
            if (t == tattoo) return true;
        return false;
    }
    std::vector<WString> TattoosWithoutEid() override {
        std::vector<WString> out;
        for (const auto& [tattoo, animal] : animals)
            if (animal.eid == 0) out.push_back(tattoo);
        return out;
    }
    bool AddressExists(const WString& code) override {
        for (const WString& a : addresses)
            if (a == code) return true;
        return false;
    }
    std::optional<WString> AddAddress(long, const WString& code) override {
        addressDialogs.push_back(code);
        if (addressAnswer) addresses.push_back(*addressAnswer);
        return addressAnswer;
    }
    int DecimalPrecision() override { return decimals; }
};
