// An address book that answers from a table of entries: the test double of the system's provider.
#pragma once

#include <map>
#include <optional>

#include "records/address_book.h"

class CFakeProviderEntry : public IProviderEntry {
public:
    explicit CFakeProviderEntry(std::map<uint32_t, std::optional<WString>>* props) : m_props(props) {}
    ReadResult GetStringProp(uint32_t propTag, WString* value) override {
        auto it = m_props->find(propTag);
        if (it == m_props->end()) return noValue;
        if (!it->second) return failed;
        *value = *it->second;
        return read;
    }

private:
    std::map<uint32_t, std::optional<WString>>* m_props;
};

class CFakeAddressBookProvider : public IAddressBookProvider {
public:
    bool Logon(long, const WString& profile, WString* sessionProfile) override {
        ++logons;
        requestedProfile = profile;
        if (!logonWorks) return false;
        *sessionProfile = sessionName;
        return true;
    }
    void Logoff() override { ++logoffs; }
    OpenStatus OpenEntry(const std::vector<uint8_t>& id, std::unique_ptr<IProviderEntry>* entry) override {
        ++opens;
        if (openFails) return failed;
        auto it = entries.find(id);
        if (it == entries.end()) return unknownEntry;
        *entry = std::make_unique<CFakeProviderEntry>(&it->second);
        return ok;
    }
    bool GetLastError(WString* text, WString* component) override {
        if (lastError.empty()) return false;
        *text = lastError;
        *component = u"Fake Book";
        return true;
    }
    bool ShowDetails(long, const std::vector<uint8_t>& id) override {
        detailsShown.push_back(id);
        return true;
    }
    bool SelectEntry(long, const WString& caption, std::vector<uint8_t>* id, WString* name) override {
        selectionCaption = caption;
        if (!selection) return false;
        *id = selection->first;
        *name = selection->second;
        return true;
    }
    void Advise(std::function<void(uint32_t)> s) override { sink = std::move(s); }
    void DispatchNotifications() override {
        for (uint32_t event : pending)
            if (sink) sink(event);
        pending.clear();
    }

    // Entry identifier -> property tag -> text (none: reading it fails).
    std::map<std::vector<uint8_t>, std::map<uint32_t, std::optional<WString>>> entries;
    bool logonWorks = true;
    bool openFails = false;
    WString sessionName = u"Farm Office";
    WString requestedProfile;
    WString lastError;
    std::optional<std::pair<std::vector<uint8_t>, WString>> selection;
    WString selectionCaption;
    std::vector<std::vector<uint8_t>> detailsShown;
    std::vector<uint32_t> pending;
    std::function<void(uint32_t)> sink;
    int logons = 0, logoffs = 0, opens = 0;
};
