// A document holding the shipped breed plug-in as the program finds it (registered by the install
// step's tool in a private machine-wide Breeds list), whose animals are real records. The
// document passes the plug-in's event hooks through a recorder that reads what the plug-in is
// handed through the real interfaces before the plug-in gets it.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "document/sheep_doc.h"
#include "records/event.h"
#include "records/record_interfaces.h"
#include "records/sheep.h"
#include "support/scripted_host_fixture.h"
#include "support/breed_plugin.h"

struct HookCall {
    std::string hook;
    WString tattoo;     // the animal's Tattoo, read through ISheep
    WString eventName;  // the event's Value, read through IEvent
    bool eventOfThatAnimal = false;
};

inline std::vector<HookCall>& HookCalls() {
    static std::vector<HookCall> calls;
    return calls;
}

class CHookWatchingDoc : public CSheepDoc {
public:
    void* GetBreedProc(const char* name) override {
        void* real = CSheepDoc::GetBreedProc(name);
        if (!real) return nullptr;
        if (std::strcmp(name, "CVLOnAddBreedEvent") == 0) {
            RealAdd() = reinterpret_cast<PFN_CVLOnAddBreedEvent>(real);
            return reinterpret_cast<void*>(&OnAdd);
        }
        if (std::strcmp(name, "CVLOnDeleteBreedEvent") == 0) {
            RealDelete() = reinterpret_cast<PFN_CVLOnDeleteBreedEvent>(real);
            return reinterpret_cast<void*>(&OnDelete);
        }
        return real;
    }

private:
    static PFN_CVLOnAddBreedEvent& RealAdd() {
        static PFN_CVLOnAddBreedEvent fn = nullptr;
        return fn;
    }
    static PFN_CVLOnDeleteBreedEvent& RealDelete() {
        static PFN_CVLOnDeleteBreedEvent fn = nullptr;
        return fn;
    }
    static void Record(const char* hook, ISheep* sheep, IEvent* event) {
        HookCall call{hook, {}, {}, false};
        CComBSTR text;
        if (sheep && SUCCEEDED(sheep->get_Tattoo(&text))) call.tattoo = text.ToW();
        CComBSTR name;
        if (event && SUCCEEDED(event->get_Value(&name))) call.eventName = name.ToW();
        ISheep* owner = nullptr;
        if (event && SUCCEEDED(event->get_Parent(&owner)) && owner) {
            call.eventOfThatAnimal = owner == sheep;
            owner->Release();
        }
        HookCalls().push_back(call);
    }
    static void OnAdd(ISheep* sheep, IEvent* event) {
        Record("add", sheep, event);
        RealAdd()(sheep, event);
    }
    static void OnDelete(ISheep* sheep, IEvent* event) {
        Record("delete", sheep, event);
        RealDelete()(sheep, event);
    }
};

class ShippedBreedInADocument : public ::testing::Test {
protected:
    void SetUp() override {
        HookCalls().clear();
        ASSERT_EQ(RunRegisterTool({"General Sheep", BreedPlugin::Path()}), 0);
        doc.SetAttribute(FARM_BREED, u"General Sheep");
        ASSERT_EQ(doc.LoadBreedPlugIn(u"General Sheep", true), BREED_LOADED);
    }
    void TearDown() override { doc.UnloadBreedPlugIn(); }

    CSheep* Add(const char16_t* tattoo, int32_t sex = SEX_EWE) {
        auto* sheep = new CSheep(tattoo, sex, nullptr);
        EXPECT_GE(doc.AddSheep(sheep, false), 0) << WToUtf8(tattoo);
        return sheep;
    }
    static CEvent* AddEvent(CSheep* sheep, const COleDateTime& date, uint32_t code,
                            const char16_t* p1 = nullptr, const char16_t* p2 = nullptr,
                            const char16_t* p3 = nullptr) {
        auto* event = new CEvent(date, code, p1, p2, p3);
        sheep->AddEvent(event, true);
        return event;
    }
    static int32_t Day(int year, int month, int day) {
        return int32_t(COleDateTime(year, month, day, 0, 0, 0).m_dt);
    }

    ScopedSettingsFolder folder;
    CScopedScriptedHost host;
    CHookWatchingDoc doc;
};
