// The New Event dialog without its window, and the document's add-event operation.
#include "document/event_entry.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "document/sheep_doc.h"
#include "platform/settings.h"
#include "records/app_services.h"
#include "records/event.h"
#include "records/sheep.h"
#include "support/scripted_host_fixture.h"

namespace {

void SetUnit(const char16_t* unit) {
    CRegistrySettings::SetString(HKEY_CURRENT_USER, u"Settings", u"Unit", unit);
}

int IndexOf(const CNewEventModel& model, uint32_t code) {
    const auto& events = model.GetEvents();
    for (size_t i = 0; i < events.size(); ++i)
        if (events[i].second == code) return int(i);
    return -1;
}

// A shell whose dialog is answered by a function over the model.
class DialogShell : public IDocumentShell {
public:
    std::function<bool(CNewEventModel&)> answer;
    bool RunNewEventDialog(CNewEventModel& model) override { return answer(model); }
};

class NewEvent : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(doc.GetBreedPlugIn().LoadFile(std::string(CVL_TEST_PLUGIN_DIR) + "/breed_full.so", true),
                  BREED_LOADED);
        sheep = new CSheep(u"A101", SEX_EWE, &doc);
        ASSERT_GE(doc.AddSheep(sheep, false), 0);
        doc.SetModifiedFlag(false);
        CSheepAppServices::Get().SetDecimalPlaces(2);
        SetUnit(u"lb");
    }
    CNewEventModel NewModel() {
        CNewEventModel model(&doc, true, nullptr);
        model.Init();
        return model;
    }

    CScopedScriptedHost host;
    CSheepDoc doc;
    CSheep* sheep = nullptr;
};

TEST_F(NewEvent, ListsThePlugInsEventsAndEnablesOkOnceOneIsChosen) {
    CNewEventModel model = NewModel();
    ASSERT_FALSE(model.GetEvents().empty());
    EXPECT_EQ(model.GetEvents()[0], std::make_pair(WString(u"Purchase"), 1u));
    EXPECT_FALSE(model.IsOkEnabled());
    EXPECT_FALSE(model.OnOK());
    EXPECT_FALSE(model.ChooseEvent(int(model.GetEvents().size())));
    EXPECT_FALSE(model.IsOkEnabled());
    ASSERT_TRUE(model.ChooseEvent(IndexOf(model, 4)));
    EXPECT_TRUE(model.IsOkEnabled());
    EXPECT_EQ(model.GetCode(), 4u);
}

TEST_F(NewEvent, ShowsRowsUnitsAndBrowseByEventCode) {
    struct Case {
        uint32_t code;
        int rows;
        bool units;
        bool browse;
    };
    const Case cases[] = {
        {1, 3, false, true},    // an address event with three parameters
        {4, 1, true, false},    // the weighing
        {9, 0, false, false},   // no parameters
        {30, 3, false, false},  // any number of parameters: the three the dialog can show
        {33, 2, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        CNewEventModel model = NewModel();
        ASSERT_TRUE(model.ChooseEvent(IndexOf(model, c.code)));
        EXPECT_EQ(model.GetShownRows(), c.rows);
        EXPECT_EQ(model.IsUnitsShown(), c.units);
        EXPECT_EQ(model.IsBrowseShown(), c.browse);
        for (int row = 0; row < 3; ++row)
            EXPECT_EQ(model.GetLabel(row),
                      row < c.rows ? Utf8ToW("Param" + std::to_string(c.code) + "." + std::to_string(row))
                                   : WString());
    }
}

TEST_F(NewEvent, StoresAWeightInTheProgramsUnitAndRefusesOneThatIsNotANumber) {
    struct Case {
        const char16_t* unit;
        const char16_t* typed;
        bool accepted;
        const char16_t* stored;
    };
    const Case cases[] = {
        {u"lb", u"10", true, u"21.2"},    {u"LB", u"10", true, u"21.2"}, {u"kg", u"10", true, u"10"},
        {u"kg", u"10.50", true, u"10.5"}, {u"lb", u"", true, u""},       {u"lb", u"abc", false, u"abc"},
        {u"kg", u"12kg", false, u"12kg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WToUtf8(c.unit) + " " + WToUtf8(c.typed));
        SetUnit(c.unit);
        host.Clear();
        CNewEventModel model = NewModel();
        ASSERT_TRUE(model.ChooseEvent(IndexOf(model, 4)));
        model.m_strParameter[0] = c.typed;
        EXPECT_EQ(model.OnOK(), c.accepted);
        EXPECT_EQ(model.m_strParameter[0], c.stored);
        EXPECT_EQ(host.Messages().size(), c.accepted ? 0u : 1u);
        if (!c.accepted) {
            EXPECT_NE(host.Messages()[0].text.find(u"Param4.0"), WString::npos);
        }
    }
}

TEST_F(NewEvent, RefusesADateThatDoesNotExist) {
    CNewEventModel model = NewModel();
    ASSERT_TRUE(model.ChooseEvent(IndexOf(model, 9)));
    model.m_dtEvent.SetStatus(COleDateTime::invalid);
    EXPECT_FALSE(model.OnOK());
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_NE(host.Messages()[0].text.find(u"Date"), WString::npos);
}

TEST_F(NewEvent, UnitButtonsConvertTheWeightByTheFactorOfTheDataEntryPages) {
    CNewEventModel model = NewModel();
    ASSERT_TRUE(model.ChooseEvent(IndexOf(model, 4)));
    ASSERT_TRUE(model.IsWeightInPounds());
    model.m_strParameter[0] = u"10";
    model.SetWeightInPounds(false);
    EXPECT_EQ(model.m_strParameter[0], u"21.20");
    model.SetWeightInPounds(false);  // already kg: nothing more
    EXPECT_EQ(model.m_strParameter[0], u"21.20");
    model.SetWeightInPounds(true);
    EXPECT_EQ(model.m_strParameter[0], u"10.00");
    for (const char16_t* kept : {u"", u"heavy"}) {
        model.m_strParameter[0] = kept;
        model.SetWeightInPounds(!model.IsWeightInPounds());
        EXPECT_EQ(model.m_strParameter[0], kept);
    }
}

TEST_F(NewEvent, AnExistingWeighingShowsItsWeightInTheUsersUnitAndStoresItBackUnchanged) {
    CEvent event(COleDateTime(2024, 3, 1, 0, 0, 0), 4, u"21.2");
    event.SetOwner(sheep);
    CNewEventModel model(&doc, false, &event);
    model.Init();
    EXPECT_TRUE(model.IsOkEnabled());
    EXPECT_EQ(model.GetCode(), 4u);
    EXPECT_EQ(model.m_strParameter[0], u"10.00");
    EXPECT_EQ(model.m_dtEvent, event.GetDate());
    ASSERT_TRUE(model.OnOK());
    EXPECT_EQ(model.BuildEvent()->GetParameters()[0], u"21.2");
}

TEST_F(NewEvent, EditingAnEventWithALongListKeepsTheParametersTheDialogDoesNotShow) {
    CEvent event(COleDateTime(2024, 3, 1, 0, 0, 0), 30);
    event.SetParameters({u"P1", u"P2", u"P3", u"P4", u"P5"});
    event.SetOwner(sheep);
    CNewEventModel model(&doc, false, &event);
    model.Init();
    EXPECT_EQ(model.GetShownRows(), 3);
    model.m_strParameter[1] = u"Q2";
    ASSERT_TRUE(model.OnOK());
    EXPECT_EQ(model.BuildEvent()->GetParameters(), (std::vector<WString>{u"P1", u"Q2", u"P3", u"P4", u"P5"}));
}

TEST_F(NewEvent, TheAddressTipNamesAKnownAddressOnlyForTheAddressEvents) {
    const WString longKey(100, u'L');
    for (const WString& key : {WString(u"HILL"), longKey})
        doc.GetStores().SetAddressAt(key, CRefPtr<CAddress>::Adopt(new CLocalAddress(key)));
    struct Case {
        uint32_t code;
        WString key;
        WString tip;
    };
    const Case cases[] = {{1, u"HILL", u"HILL"},
                          {31, u"HILL", u""},  // an address parameter, but not one of the address events
                          {1, longKey, longKey.substr(0, 79)},
                          {1, u"NOWHERE", u""},
                          {33, u"HILL", u""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        CNewEventModel model = NewModel();
        ASSERT_TRUE(model.ChooseEvent(IndexOf(model, c.code)));
        model.m_strParameter[0] = c.key;
        EXPECT_EQ(model.GetAddressTip(), c.tip);
    }
}

TEST_F(NewEvent, TheDocumentsOperationPresetsTheDialogAndGivesTheEventToTheCaller) {
    DialogShell shell;
    doc.SetShell(&shell);
    WString seen;
    shell.answer = [&](CNewEventModel& model) {
        EXPECT_EQ(model.GetCode(), 1u);
        EXPECT_TRUE(model.IsOkEnabled());
        seen = model.m_strParameter[0] + u"|" + model.m_strParameter[1] + u"|" + model.m_strParameter[2];
        model.m_strParameter[2] = u"";
        return model.OnOK();
    };
    const COleDateTime editedBefore = sheep->GetEdited();
    CRefPtr<CEvent> event = doc.AddEventWithDialog(sheep, u"HILL", nullptr, u"x", 1);
    doc.SetShell(nullptr);
    EXPECT_EQ(seen, u"HILL||x");
    ASSERT_TRUE(event);
    EXPECT_EQ(event->GetCode(), 1u);
    EXPECT_EQ(event->GetParameters(), (std::vector<WString>{u"HILL", u"", u""}));
    EXPECT_EQ(event->GetOwner(), sheep);
    EXPECT_EQ(sheep->GetEventCount(), 0);  // the caller adds it
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(sheep->GetEdited() >= editedBefore);
    EXPECT_EQ(sheep->GetEdited().GetStatus(), COleDateTime::valid);
}

TEST_F(NewEvent, TheDocumentsOperationChangesNothingWhenCancelled) {
    DialogShell shell;
    shell.answer = [](CNewEventModel&) { return false; };
    doc.SetShell(&shell);
    EXPECT_FALSE(doc.AddEventWithDialog(sheep, nullptr, nullptr, nullptr, -1));
    doc.SetShell(nullptr);
    EXPECT_FALSE(doc.IsModified());
}

}  // namespace
