// A flock for the download rules: animals by exact tattoo with their EID and sex, and the events
// the apply step adds, as text.
#pragma once

#include <map>
#include <vector>

#include "wyndrace/download_model.h"

class CFakeDownloadFlock : public IDownloadFlock {
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
};
