#include "quillmere/merge_tree.h"

#include <gtest/gtest.h>

#include "quillmere_support.h"
#include "records/lambing.h"
#include "records/signet.h"
#include "records/tupping.h"

TEST(MergeTree, CombineStateRules) {
    struct Case {
        int32_t parent, child, result;
    } cases[] = {
        {9, 17, 9},   {9, 80, 27}, {17, 72, 27}, {72, 9, 27},  {80, 17, 27}, {2, 80, 80}, {2, 36, 36},
        {27, 36, 36}, {36, 2, 36}, {80, 27, 27}, {72, 80, 72}, {17, 9, 17},  {2, 2, 2},
    };
    for (const Case& c : cases) {
        CStateInfo node(nullptr);
        node.SetAssessedState(c.parent);
        node.CombineState(true, c.child);
        EXPECT_EQ(node.GetAssessedState(), c.result) << c.parent << " + " << c.child;
        EXPECT_EQ(node.GetCurrentState(), c.result);
        // Folding into the current state leaves the assessment alone.
        CStateInfo other(nullptr);
        other.SetAssessedState(c.parent);
        other.CombineState(false, c.child);
        EXPECT_EQ(other.GetAssessedState(), c.parent);
        EXPECT_EQ(other.GetCurrentState(), c.result);
    }
}

TEST(MergeTree, EditedStampRule) {
    const COleDateTime null = COleDateTime::Null();
    const COleDateTime before(kBefore), after(kAfter), after2(kAfter + 1);
    const COleDateTime nearBefore(kReference - 0.05);  // an hour and some before the reference
    struct Case {
        COleDateTime mine, theirs;
        double window;
        int32_t state;
    } cases[] = {
        {before, before, 0, 2},
        {null, null, 0, 2},
        {after, before, 0, 80},
        {before, after, 0, 17},
        {after, after2, 0, 36},
        {before, kBefore - 1, 0, 36},
        {after, null, 0, 36},
        {null, after, 0, 36},
        // Within the machine's distance to UTC of the reference a stamp may be a later change.
        {nearBefore, before, 0, 36},
        {nearBefore, before, 0.125, 80},
        {nearBefore, after, 0.125, 36},
    };
    for (const Case& c : cases) {
        CMergeContext ctx;
        ctx.reference = COleDateTime(kReference);
        ctx.window = c.window;
        EXPECT_EQ(AssessStamps(c.mine, c.theirs, ctx), c.state) << c.mine.m_dt << " " << c.theirs.m_dt;
    }
}

TEST(MergeTree, AnimalsPairByTattooWithoutRegardToCase) {
    CPair p;
    AddAnimal(*p.mine, u"MINE1");
    AddAnimal(*p.theirs, u"THEIRS1");
    AddAnimal(*p.mine, u"same", kBefore);
    AddAnimal(*p.theirs, u"SAME", kBefore);
    AddAnimal(*p.mine, u"ab12", kAfter);
    AddAnimal(*p.theirs, u"AB12", kBefore);
    p.Assess();
    ASSERT_EQ(p.root.GetChildren().size(), 3u);
    EXPECT_EQ(p.Node(u"MINE1")->GetAssessedState(), STATE_ADD_THERE);
    EXPECT_EQ(p.Node(u"THEIRS1")->GetAssessedState(), STATE_ADD_HERE);
    EXPECT_EQ(p.Node(u"ab12")->GetAssessedState(), STATE_OVERWRITE_THERE);
    EXPECT_EQ(p.Node(u"same"), nullptr);

    p.Apply();
    EXPECT_EQ(Tattoos(*p.mine), (std::vector<WString>{u"ab12", u"MINE1", u"same", u"THEIRS1"}));
    EXPECT_EQ(Tattoos(*p.theirs), (std::vector<WString>{u"ab12", u"MINE1", u"SAME", u"THEIRS1"}));
    // The overwritten animal is a copy, not the other flock's object.
    EXPECT_NE(p.theirs->FindSheep(u"ab12"), p.mine->FindSheep(u"ab12"));
    EXPECT_EQ(p.theirs->FindSheep(u"ab12")->GetEdited().m_dt, kAfter);
}

TEST(MergeTree, NewEventOnEachSideMergesBothWays) {
    CPair p;
    CSheep* a = AddAnimal(*p.mine, u"A1", kAfter);
    CSheep* b = AddAnimal(*p.theirs, u"A1", kAfter + 0.5);
    AddEvent(*a, 100, kBefore - 5, kBefore - 5, u"shared");
    AddEvent(*b, 100, kBefore - 5, kBefore - 5, u"shared");
    AddEvent(*a, 101, kAfter, kAfter, u"weighed here");
    AddEvent(*b, 102, kAfter + 0.2, kAfter + 0.2, u"dosed there");
    p.Assess();
    CStateInfo* node = p.Node(u"A1");
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->GetAssessedState(), STATE_MERGE);
    EXPECT_EQ(node->GetChildren().size(), 2u);
    p.Apply();
    EXPECT_EQ(a->GetEventCount(), 3);
    EXPECT_EQ(b->GetEventCount(), 3);
    EXPECT_EQ(a->GetEventAt(2)->GetOwner(), a);
}

TEST(MergeTree, OneSidedChangesInsideAnAnimalReplaceTheWholeAnimal) {
    CPair p;
    CSheep* a = AddAnimal(*p.mine, u"A1", kAfter);
    AddAnimal(*p.theirs, u"A1", kAfter + 0.5);
    AddEvent(*a, 101, kAfter, kAfter, u"weighed here");
    p.Assess();
    // An event only on this side is an Add; the animal turns it into Overwrite.
    EXPECT_EQ(p.Node(u"A1")->GetAssessedState(), STATE_OVERWRITE_THERE);
    p.Apply();
    EXPECT_EQ(p.theirs->FindSheep(u"A1")->GetEventCount(), 1);
}

TEST(MergeTree, EventsMadeInTheSameSecondPairOneToOne) {
    // A lamb's three wizard events share one Created stamp; each side then edits a different one.
    CPair p;
    CSheep* a = AddAnimal(*p.mine, u"LAMB", kAfter);
    CSheep* b = AddAnimal(*p.theirs, u"LAMB", kAfter + 0.5);
    const double made = kBefore - 3;
    for (CSheep* s : {a, b}) {
        AddEvent(*s, 30, made, made, u"birth");
        AddEvent(*s, 31, made, made, u"tagged");
        AddEvent(*s, 32, made, made, u"weighed");
    }
    a->GetEventAt(1)->SetEdited(COleDateTime(kAfter));
    b->GetEventAt(2)->SetEdited(COleDateTime(kAfter));
    p.Assess();
    CStateInfo* node = p.Node(u"LAMB");
    ASSERT_NE(node, nullptr);
    ASSERT_EQ(node->GetChildren().size(), 2u);
    EXPECT_EQ(node->GetChildren()[0]->GetAssessedState(), STATE_OVERWRITE_THERE);
    EXPECT_EQ(node->GetChildren()[1]->GetAssessedState(), STATE_OVERWRITE_HERE);
    EXPECT_EQ(static_cast<CEvent*>(node->GetChildren()[0]->GetSide(SIDE_OTHER))->GetCode(), 31u);
    p.Apply();
    for (CSheep* s : {a, b}) {
        ASSERT_EQ(s->GetEventCount(), 3);
        std::vector<uint32_t> codes;
        for (int i = 0; i < 3; ++i) codes.push_back(s->GetEventAt(i)->GetCode());
        std::sort(codes.begin(), codes.end());
        EXPECT_EQ(codes, (std::vector<uint32_t>{30, 31, 32}));
    }
}

TEST(MergeTree, UndecidedItemsAreCountedUpToTheRoot) {
    CPair p;
    CSheep* a = AddAnimal(*p.mine, u"A1", kAfter, u"Daisy");
    CSheep* b = AddAnimal(*p.theirs, u"A1", kAfter + 0.5, u"Maisy");
    AddEvent(*a, 100, kBefore - 5, kAfter, u"x");
    AddEvent(*b, 100, kBefore - 5, kAfter + 0.1, u"y");
    p.Assess();
    CStateInfo* node = p.Node(u"A1");
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->GetAssessedState(), STATE_UNDECIDED);
    EXPECT_EQ(node->GetOpenItems(), 2);
    EXPECT_EQ(p.root.GetOpenItems(), 2);
    node->GetChildren()[0]->RemoveOpenItem();
    EXPECT_EQ(node->GetOpenItems(), 1);
    EXPECT_EQ(p.root.GetOpenItems(), 1);
    // Unknown is left alone by the apply.
    p.Apply();
    EXPECT_EQ(a->GetName(), u"Daisy");
    EXPECT_EQ(b->GetName(), u"Maisy");
}

TEST(MergeTree, FieldsComparedByTheirTextAndCopiedWhenApplied) {
    struct Case {
        unsigned field;
        const char16_t *mine, *theirs;
        int32_t state;
    } cases[] = {
        {SF_NAME, u"Daisy", u"Daisy", 2},  {SF_NAME, u"", u"Daisy", 17},    {SF_NAME, u"Daisy", u"", 80},
        {SF_NAME, u"Daisy", u"Maisy", 36}, {SF_COMMENTS, u"", u"lame", 17}, {SF_SIRE, u"R1", u"", 80},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.field << " " << c.state);
        CPair p;
        CSheep* a = AddAnimal(*p.mine, u"A1");
        CSheep* b = AddAnimal(*p.theirs, u"A1");
        const WString mine = c.mine, theirs = c.theirs;
        a->SetFieldValue(c.field, &mine);
        b->SetFieldValue(c.field, &theirs);
        a->SetEdited(COleDateTime(kAfter));
        b->SetEdited(COleDateTime(kAfter + 0.5));
        p.Assess();
        CStateInfo* node = p.Node(u"A1");
        if (c.state == STATE_UP_TO_DATE) {
            EXPECT_EQ(node, nullptr);
            continue;
        }
        ASSERT_NE(node, nullptr);
        ASSERT_EQ(node->GetChildren().size(), 1u);
        auto* field = static_cast<CStaticStateInfo*>(node->GetChildren()[0].get());
        EXPECT_EQ(field->GetFieldId(), c.field);
        EXPECT_EQ(field->GetAssessedState(), c.state);
        EXPECT_EQ(node->GetAssessedState(), c.state);
        EXPECT_EQ(p.root.GetOpenItems(), c.state == STATE_UNDECIDED ? 1 : 0);
        p.Apply();
        const WString expected = c.state == STATE_UNDECIDED ? mine : (mine.empty() ? theirs : mine);
        // A change on one side only replaces the whole animal.
        EXPECT_EQ(p.mine->FindSheep(u"A1")->GetFieldText(c.field), expected);
        EXPECT_EQ(p.theirs->FindSheep(u"A1")->GetFieldText(c.field),
                  c.state == STATE_UNDECIDED ? theirs : expected);
    }
}

TEST(MergeTree, ShownDecisionsChangeTheFlock) {
    // Electronic id, genotype and breed flags: a difference shown is a difference applied.
    CPair p;
    CSheep* a = AddAnimal(*p.mine, u"A1");
    CSheep* b = AddAnimal(*p.theirs, u"A1");
    a->SetElectronicID(826000000012345ull);
    a->SetGeneticScrapie(11);
    b->SetFlag(2, true);
    a->SetEdited(COleDateTime(kAfter));
    b->SetEdited(COleDateTime(kAfter + 0.5));
    p.Assess();
    CStateInfo* node = p.Node(u"A1");
    ASSERT_NE(node, nullptr);
    ASSERT_EQ(node->GetChildren().size(), 3u);
    EXPECT_EQ(node->GetChildren()[0]->GetAssessedState(), STATE_OVERWRITE_THERE);
    EXPECT_EQ(node->GetChildren()[1]->GetAssessedState(), STATE_OVERWRITE_THERE);
    // A flag shows "Yes" or "No": set on one side and clear on the other, the user decides.
    CStateInfo& flag = *node->GetChildren()[2];
    EXPECT_EQ(flag.GetAssessedState(), STATE_UNDECIDED);
    EXPECT_EQ(node->GetAssessedState(), STATE_UNDECIDED);
    flag.SetCurrentState(STATE_OVERWRITE_HERE);
    flag.RemoveOpenItem();
    node->SetCurrentState(STATE_MERGE);
    p.Apply();
    EXPECT_EQ(b->GetElectronicID(), 826000000012345ull);
    WString holder;
    EXPECT_TRUE(p.theirs->LookupTattooByEID(826000000012345ull, &holder));
    EXPECT_EQ(holder, u"A1");
    EXPECT_EQ(b->GetGeneticScrapie(), 11);
    EXPECT_TRUE(a->TestFlag(2));
}

TEST(MergeTree, AddressesAndSignetEntriesPairByKey) {
    CPair p;
    AddAddress(*p.mine, u"Mart", kBefore);
    AddAddress(*p.theirs, u"Mart", kAfter);
    AddAddress(*p.theirs, u"Vet", kBefore);
    auto signet = MakeRef<CSignetData>();
    signet->m_dtEdited = COleDateTime(kAfter);
    signet->m_dblAWT = 3.5;
    p.mine->GetStores().SignetAverages()[u"2003E"] = signet;
    p.Assess();
    CStateInfo* mart = p.Node(u"Mart");
    ASSERT_NE(mart, nullptr);
    EXPECT_EQ(mart->GetAssessedState(), STATE_OVERWRITE_HERE);
    EXPECT_EQ(mart->GetTooltip(SIDE_THIS), u"Address Code: Mart");
    EXPECT_EQ(p.Node(u"Vet")->GetAssessedState(), STATE_ADD_HERE);
    CStateInfo* sig = p.Node(u"Signet Data: 2003 Ewes");
    ASSERT_NE(sig, nullptr);
    EXPECT_EQ(sig->GetAssessedState(), STATE_ADD_THERE);
    p.Apply();
    EXPECT_EQ(p.mine->GetStores().Addresses().at(u"Mart")->GetEdited().m_dt, kAfter);
    EXPECT_EQ(p.mine->GetStores().Addresses().count(u"Vet"), 1u);
    ASSERT_EQ(p.theirs->GetStores().SignetAverages().count(u"2003E"), 1u);
    EXPECT_EQ(p.theirs->GetStores().SignetAverages().at(u"2003E")->m_dblAWT, 3.5);
}

TEST(MergeTree, ProgressIsReportedForEveryRecordAndTextOnlyWithAWindow) {
    CPair p;
    AddAnimal(*p.mine, u"A1");
    AddAnimal(*p.mine, u"A2");
    AddAnimal(*p.theirs, u"A1");
    AddAddress(*p.theirs, u"Vet", kBefore);
    CRecordingInitiator initiator;
    p.ctx.initiator = &initiator;
    p.Assess();
    ASSERT_EQ(initiator.calls.size(), 4u);
    for (ULONG i = 0; i < 4; ++i) EXPECT_EQ(initiator.calls[i], std::make_pair(i, ULONG(4)));

    CPair q;
    AddAnimal(*q.mine, u"A1");
    CRecordingText text;
    q.ctx.progress = &text;
    q.Assess();
    q.Apply();
    EXPECT_EQ(text.texts, (std::vector<WString>{u"Loading A1...", u"Merging data for  A1..."}));
}

TEST(MergeTree, DisplayTexts) {
    EXPECT_EQ(CSignetStateInfo::KeyText(u"2003E"), u"2003 Ewes");
    EXPECT_EQ(CSignetStateInfo::KeyText(u"2003R"), u"2003 Rams");
    EXPECT_EQ(CStateInfo::GetActionText(STATE_OVERWRITE_HERE), u"Overwrite");
    EXPECT_EQ(CStateInfo::GetActionText(STATE_ADD_THERE), u"Add");
    EXPECT_EQ(CStateInfo::GetActionText(STATE_UNDECIDED), u"Unknown");
    EXPECT_EQ(CStateInfo::GetActionText(STATE_MERGE), u"Merge");
    EXPECT_EQ(CStateInfo::GetActionText(STATE_UP_TO_DATE), u"Skip");

    CPair p;
    AddAnimal(*p.mine, u"A1", kBefore, u"Daisy");
    p.Assess();
    CStateInfo* node = p.Node(u"A1");
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->GetSideText(SIDE_OTHER), u"A1\r\nNon-Existing");
    char16_t buffer[8];
    EXPECT_EQ(node->GetTooltip(SIDE_OTHER, buffer, 8), 0);
    EXPECT_EQ(node->GetTooltip(SIDE_THIS, buffer, 8), 7);
    EXPECT_EQ(WString(buffer), u"Name: D");
    EXPECT_EQ(node->GetTooltip(SIDE_THIS), u"Name: Daisy\r\nSex: Ewe");
    EXPECT_EQ(node->GetSideText(SIDE_THIS).substr(0, 12), u"A1\r\nModified");
}

TEST(MergeTree, LambingRecordsGoInByDate) {
    CSheep sheep(u"E1", SEX_EWE, nullptr);
    auto dated = [](double d) {
        auto r = MakeRef<CEweLambingData>();
        if (d > 0) r->SetDate(COleDateTime(d));
        return r;
    };
    sheep.AddLambingRecord(dated(100));
    sheep.AddLambingRecord(dated(200));
    sheep.AddLambingRecord(dated(0));  // not lambed yet: null date
    auto equal = dated(200);
    InsertLambingSorted(sheep, CRefPtr<CObject>(equal.Get()));
    auto undated = dated(0);
    InsertLambingSorted(sheep, CRefPtr<CObject>(undated.Get()));
    auto early = dated(150);
    InsertLambingSorted(sheep, CRefPtr<CObject>(early.Get()));
    ASSERT_EQ(sheep.GetLambingCount(), 6);
    EXPECT_EQ(sheep.GetLambingAt(1), early.Get());
    EXPECT_EQ(sheep.GetLambingAt(3), equal.Get());
    EXPECT_EQ(sheep.GetLambingAt(5), undated.Get());
}

TEST(MergeTree, LambingAndTuppingTooltips) {
    const COleDateTime date(46000.0);
    const WString day = date.Format("%x");
    struct EweCase {
        int32_t method;
        int lambs;
        WString text;
    } ewes[] = {
        {LAMBING_TUPPED, 0, u"In Lamb"},
        {LAMBING_FAILED, 0, u"Failed to Lamb"},
        {LAMBING_NORMAL, 2, u"Lambed on " + day + u"\n2 lamb(s) born"},
        {LAMBING_CESARIAN, 1, u"Lambed on " + day + u"\n1 lamb(s) born"},
    };
    for (const EweCase& k : ewes) {
        auto record = MakeRef<CEweLambingData>();
        record->StoreMethod(k.method);
        record->StoreDate(date);
        for (int i = 0; i < k.lambs; ++i) record->AddLamb(MakeRef<CLambData>());
        CEweLambingDataStateInfo node(nullptr);
        node.SetSide(SIDE_THIS, record.Get());
        EXPECT_EQ(node.GetTitle(), u"Lambing Data");
        EXPECT_EQ(node.GetTooltip(SIDE_THIS), k.text) << k.method;
        EXPECT_EQ(node.GetTooltip(SIDE_OTHER), u"");
    }
    struct RamCase {
        int32_t method;
        WString text;
    } rams[] = {
        {TUPPING_NATURAL, u"Tupped 2 Ewes on " + day},
        {TUPPING_AI, u"Artificially Inseminated 2 Ewes on " + day},
        {2, u""},
    };
    for (const RamCase& k : rams) {
        auto record = MakeRef<CRamLambingData>();
        record->StoreMethod(k.method);
        record->StoreDateIn(date);
        record->SetEwes({u"E1", u"E2"});
        CRamLambingDataStateInfo node(nullptr);
        node.SetSide(SIDE_OTHER, record.Get());
        EXPECT_EQ(node.GetTitle(), u"Lambing Data");
        EXPECT_EQ(node.GetTooltip(SIDE_OTHER), k.text) << k.method;
        EXPECT_EQ(node.GetTooltip(SIDE_THIS), u"");
    }
}

// A file written before EIDs were kept to one animal: the animal overwritten there gives the EID's
// entry to the other holder and comes in without it, whichever of the two the entry named.
TEST(MergeTree, OverwritingAnAnimalWhoseEIDAnotherHoldsKeepsTheEntryWithTheOther) {
    for (const char16_t* overwritten : {u"P", u"Q"}) {
        SCOPED_TRACE(WToUtf8(overwritten));
        CPair p;
        std::vector<CRefPtr<CSheep>> flock;
        for (const char16_t* key : {u"N", u"P", u"Q"}) {
            auto sheep = CRefPtr<CSheep>::Adopt(new CSheep(key, SEX_EWE, nullptr));
            sheep->SetElectronicID(key == std::u16string_view(u"N") ? 4 : 5);
            sheep->SetEdited(COleDateTime(kBefore));
            flock.push_back(sheep);
        }
        p.theirs->AttachLoadedFlock(std::move(flock), {}, -1);
        for (const char16_t* key : {u"N", u"P", u"Q"}) {
            CSheep* mine = AddAnimal(*p.mine, key, WString(key) == overwritten ? kAfter : kBefore);
            mine->StoreElectronicID(key == std::u16string_view(u"N") ? 4 : 5);
        }
        p.Assess();
        ASSERT_EQ(p.Node(overwritten)->GetAssessedState(), STATE_OVERWRITE_THERE);
        ASSERT_EQ(p.root.GetChildren().size(), 1u);  // the other holder stays as it is
        p.Apply();
        const WString other = WString(overwritten) == u"P" ? u"Q" : u"P";
        EXPECT_EQ(p.theirs->FindSheep(overwritten)->GetElectronicID(), 0u);
        EXPECT_EQ(p.theirs->FindSheep(other)->GetElectronicID(), 5u);
        EXPECT_EQ(p.theirs->GetEIDMap().at(5), other);
        EXPECT_EQ(p.theirs->GetEIDMap().at(4), u"N");
    }
}
