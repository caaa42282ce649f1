// A small flock on the shipped breed (lamb tattoos "nnn/yy", 147 days' gestation) and the Tupping
// wizard's pages in a sheet without windows, for the breeding wizards' tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>

#include "document/sheep_doc.h"
#include "document/tupping_wizard.h"
#include "records/event.h"
#include "records/lambing.h"
#include "records/sheep.h"
#include "support/scripted_host_fixture.h"

inline COleDateTime Day(int y, int m, int d, int h = 12) {
    COleDateTime date;
    date.SetDateTime(y, m, d, h, 0, 0);
    return date;
}

struct TuppingRun {
    explicit TuppingRun(CSheepDoc& doc)
        : wiz(&doc), p0(&wiz), p1(&wiz), p2(&wiz), p3(&wiz), p4(&wiz), p5(&wiz) {
        for (CSheetPage* page : std::initializer_list<CSheetPage*>{&p0, &p1, &p2, &p3, &p4, &p5})
            flow.AddPage(page);
        p1.LoadRams();
        flow.Start();
    }
    unsigned Page() const { return flow.GetActivePage()->GetTemplateId(); }
    void PickRam(const WString& ram) {
        const auto it = std::find(p1.m_rams.begin(), p1.m_rams.end(), ram);
        ASSERT_NE(it, p1.m_rams.end());
        p1.SelectRam(int(it - p1.m_rams.begin()));
    }
    int Ewe(const WString& tattoo) const {
        for (size_t i = 0; i < p4.m_items.size(); ++i)
            if (p4.m_items[i].tattoo == tattoo) return int(i);
        return -1;
    }
    // Welcome, the ram, (a new record or the earlier record of that index), how and when, the ewes.
    void To4(const WString& ram, int record, int32_t method, const COleDateTime& date) {
        ASSERT_TRUE(flow.Next());
        PickRam(ram);
        ASSERT_TRUE(flow.Next());
        if (Page() == IDD_TUPPING_WIZ2) {
            if (record >= 0) {
                p2.ClickEdit();
                p2.SelectRecord(record);
            } else {
                p2.ClickNew();
            }
            ASSERT_TRUE(flow.Next());
        }
        ASSERT_EQ(Page(), IDD_TUPPING_WIZ3);
        if (p3.m_bEnabled) {
            p3.ClickMethod(method);
            p3.m_date = date;
        }
        ASSERT_TRUE(flow.Next());
        ASSERT_EQ(Page(), IDD_TUPPING_WIZ4);
    }
    void Check(const WString& tattoo, bool on) {
        const int i = Ewe(tattoo);
        ASSERT_GE(i, 0) << WToUtf8(tattoo);
        p4.CheckItem(i, on);
    }
    void Finish(CSheepDoc& doc) {
        ASSERT_TRUE(flow.Next());
        ASSERT_EQ(Page(), IDD_TUPPING_WIZ5);
        ASSERT_TRUE(flow.Finish());
        ApplyTuppingWizard(doc, wiz, flow.GetResult());
    }

    CTuppingWizard wiz;
    CTuppingWizard0Model p0;
    CTuppingWizard1Model p1;
    CTuppingWizard2Model p2;
    CTuppingWizard3Model p3;
    CTuppingWizard4Model p4;
    CTuppingWizard5Model p5;
    CSheetFlow flow{true};
};

class BreedingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(doc.GetBreedPlugIn().LoadFile(CVL_GENERAL_BREED, true), BREED_LOADED);
        for (const char16_t* ram : {u"R1", u"R2"}) AddAnimal(ram, SEX_RAM);
        for (const char16_t* ewe : {u"E1", u"E2", u"E3", u"E4"}) AddAnimal(ewe, SEX_EWE);
        doc.SetModifiedFlag(false);
    }
    void AddAnimal(const char16_t* tattoo, int32_t sex) {
        auto* sheep = new CSheep(tattoo, sex, &doc);
        sheep->StoreEarTag(u"White", tattoo);
        ASSERT_GE(doc.AddSheep(sheep, false), 0);
        // Bought in long ago: on the farm at every date of the tests.
        sheep->AddEvent(new CEvent(Day(2020, 1, 1), EVENT_PURCHASED, u""), false);
    }
    CSheep& Animal(const WString& tattoo) {
        CSheep* sheep = doc.FindSheep(tattoo);
        EXPECT_NE(sheep, nullptr) << WToUtf8(tattoo);
        return *sheep;
    }
    std::vector<CEvent*> Events(const WString& tattoo, uint32_t code) {
        std::vector<CEvent*> found;
        CSheep& sheep = Animal(tattoo);
        for (int i = 0; i < sheep.GetEventCount(); ++i)
            if (sheep.GetEventAt(i)->GetCode() == code) found.push_back(sheep.GetEventAt(i));
        return found;
    }
    // A new tupping record of ram with those ewes, naturally on date.
    void Tup(const WString& ram, std::vector<WString> ewes, const COleDateTime& date,
             int32_t method = TUPPING_NATURAL) {
        TuppingRun run(doc);
        run.To4(ram, -1, method, date);
        for (const WString& ewe : ewes) run.Check(ewe, true);
        run.Finish(doc);
    }
    // Moves every Created stamp of a tupping record and of what was made with it to another time,
    // as if the record had been made then.
    void MakeRecordAt(const WString& ram, int record, const COleDateTime& created) {
        CRamLambingData* tupping = Animal(ram).GetTuppingAt(record);
        const COleDateTime old = tupping->GetCreated();
        tupping->SetCreated(created);
        auto restamp = [&](CSheep& sheep) {
            for (int i = 0; i < sheep.GetEventCount(); ++i)
                if (SameDayUtc(sheep.GetEventAt(i)->GetCreated(), old))
                    sheep.GetEventAt(i)->SetCreated(created);
            for (int i = 0; i < sheep.GetLambingCount(); ++i)
                if (SameDayUtc(sheep.GetLambingAt(i)->GetCreated(), old))
                    sheep.GetLambingAt(i)->SetCreated(created);
        };
        restamp(Animal(ram));
        for (const WString& ewe : tupping->GetEwes()) restamp(Animal(ewe));
    }
    static bool SameDayUtc(const COleDateTime& a, const COleDateTime& b) {
        return a.GetStatus() == COleDateTime::valid && b.GetStatus() == COleDateTime::valid &&
               a.GetYear() == b.GetYear() && a.GetMonth() == b.GetMonth() && a.GetDay() == b.GetDay();
    }

    CScopedScriptedHost host;
    CSheepDoc doc;
};
