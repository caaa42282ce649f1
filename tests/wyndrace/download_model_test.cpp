#include "wyndrace/download_model.h"

#include <gtest/gtest.h>

#include "platform/oledate.h"
#include "support/fake_download_flock.h"

namespace {

WString Eq(const char* digits, const char* tattoo) {
    return W(std::string("[EA") + digits + "|" + tattoo + "]");
}

TEST(EquivalenceRecord, OnlyTheUploadsFormIsRead) {
    struct Case {
        const char16_t* record;
        bool ok;
        uint64_t eid;
        const char16_t* tattoo;
    } cases[] = {
        {u"[EA0000000000000000000042|AB123]", true, 42, u"AB123"},
        // all 22 digits count: a number above 16 digits is not cut to its last 16
        {u"[EA0012345678901234567890|X]", true, 12345678901234567890ull, u"X"},
        {u"[EA0018446744073709551615|MAX]", true, UINT64_MAX, u"MAX"},
        {u"[EA0018446744073709551616|OVER]", false, 0, nullptr},
        {u"[EA9999999999999999999999|OVER]", false, 0, nullptr},
        {u"[EA0000000000000000000042|123]", true, 42, u"123"},
        {u"]", false, 0, nullptr},
        {u"[EA0]", false, 0, nullptr},
        {u"[EA", false, 0, nullptr},
        {u"", false, 0, nullptr},
        {u"[CSEOK]", false, 0, nullptr},
        {u"[EA000000000000000000042|SHORT]", false, 0, nullptr},
        {u"[EA00000000000000000000042|LONG]", false, 0, nullptr},
        {u"[EA00000000000000000000x2|HEX]", false, 0, nullptr},
        {u"[EA0000000000000000000042|]", false, 0, nullptr},
        {u"[EA0000000000000000000042|A|B]", false, 0, nullptr},
        {u"[EA0000000000000000000042|A]B]", false, 0, nullptr},
        {u"[EA0000000000000000000042|AB", false, 0, nullptr},
        {u"[EB0000000000000000000042|AB]", false, 0, nullptr},
    };
    for (const Case& c : cases) {
        uint64_t eid = 7;
        WString tattoo = u"before";
        EXPECT_EQ(ParseEquivalenceRecord(c.record, eid, tattoo), c.ok) << WToUtf8(c.record);
        if (c.ok) {
            EXPECT_EQ(eid, c.eid) << WToUtf8(c.record);
            EXPECT_EQ(tattoo, c.tattoo) << WToUtf8(c.record);
        } else {
            EXPECT_EQ(eid, 7u) << WToUtf8(c.record);
            EXPECT_EQ(tattoo, u"before") << WToUtf8(c.record);
        }
    }
}

class ReviewTest : public ::testing::Test {
protected:
    void SetUp() override {
        flock.animals[u"SAME"] = {5, 0};
        flock.animals[u"NOEID"] = {0, 0};
        flock.animals[u"OTHER"] = {7, 1};
        records = {
            Eq("0000000000000000000005", "SAME"),  Eq("0000000000000000000009", "NOEID"),
            u"]",                                  Eq("0000000000000000000010", "OTHER"),
            u"[EA0]",                              Eq("0000000000000000000011", "NEW"),
            u"[CSEOK]",
        };
    }
    const CReviewRow* Row(const char16_t* tattoo) {
        for (const CReviewRow& r : review.Rows())
            if (r.tattoo == tattoo) return &r;
        return nullptr;
    }
    size_t IndexOf(const char16_t* tattoo) { return size_t(Row(tattoo) - review.Rows().data()); }

    CFakeDownloadFlock flock;
    std::vector<WString> records;
    CDownloadDecisions decisions;
    CReviewModel review;
};

TEST_F(ReviewTest, EachRecordGetsItsKindAndGarbageIsCountedNotRead) {
    review.Build(records, flock, decisions, false);
    struct Expect {
        const char16_t* tattoo;
        int record, kind, image;
    } expect[] = {
        {u"SAME", 0, kReviewNothing, kImageNothing},
        {u"NOEID", 1, kReviewNoEid, kImageQuestion},
        {u"OTHER", 3, kReviewOtherEid, kImageQuestion},
        {u"NEW", 5, kReviewNoAnimal, kImageQuestion},
    };
    ASSERT_EQ(review.Rows().size(), std::size(expect));
    for (size_t i = 0; i < std::size(expect); ++i) {
        EXPECT_EQ(review.Rows()[i].tattoo, expect[i].tattoo);
        EXPECT_EQ(review.Rows()[i].record, expect[i].record);
        EXPECT_EQ(review.Rows()[i].kind, expect[i].kind) << i;
        EXPECT_EQ(review.Rows()[i].image, expect[i].image) << i;
        EXPECT_EQ(decisions.rowKinds.at(expect[i].record), expect[i].kind);
    }
    EXPECT_EQ(review.OpenQuestions(), 3);
    EXPECT_EQ(review.Unreadable(), 2);

    review.Build(records, flock, decisions, true);
    EXPECT_EQ(Row(u"SAME"), nullptr);
    EXPECT_EQ(review.Rows().size(), 3u);
}

TEST_F(ReviewTest, DecisionsSurviveARebuildAndOnlyConfirmedOnesAreApplied) {
    review.Build(records, flock, decisions, false);
    review.AnswerEid(IndexOf(u"NOEID"), true, decisions);
    review.AnswerEid(IndexOf(u"OTHER"), false, decisions);
    EXPECT_EQ(review.OpenQuestions(), 1);
    EXPECT_EQ(review.EarlierSex(IndexOf(u"NEW"), decisions), -1);
    // The user renames the new animal in the add-sheep dialog.
    review.AnswerNewSheep(IndexOf(u"NEW"), CNewSheep{0, 1, false}, u"NEW-1", flock, decisions);
    EXPECT_EQ(review.OpenQuestions(), 0);
    EXPECT_NE(Row(u"NEW-1"), nullptr);

    review.Build(records, flock, decisions, true);
    EXPECT_EQ(review.OpenQuestions(), 0);
    EXPECT_EQ(Row(u"NOEID")->image, kImageConfirmed);
    EXPECT_EQ(Row(u"NOEID")->kind, kReviewNothing);
    EXPECT_EQ(Row(u"OTHER")->image, kImageDeclined);
    ASSERT_NE(Row(u"NEW-1"), nullptr);
    EXPECT_EQ(Row(u"NEW-1")->image, kImageConfirmed);
    EXPECT_EQ(review.EarlierSex(IndexOf(u"NEW-1"), decisions), 1);
    EXPECT_EQ(decisions.sheepToCreate.count(u"NEW"), 0u);

    ASSERT_TRUE(ApplyDownload(flock, decisions, {}, {}));
    EXPECT_EQ(flock.animals[u"NOEID"].eid, 9u);
    EXPECT_EQ(flock.animals[u"OTHER"].eid, 7u);
    EXPECT_EQ(flock.animals[u"NEW-1"].eid, 11u);
    EXPECT_EQ(flock.animals[u"NEW-1"].sex, 1);
    EXPECT_EQ(flock.animals.count(u"NEW"), 0u);
}

TEST_F(ReviewTest, CreatingUnderATattooTheFlockHasGivesThatAnimalTheEid) {
    review.Build(records, flock, decisions, false);
    review.AnswerNewSheep(IndexOf(u"NEW"), CNewSheep{0, 0, false}, u"NOEID", flock, decisions);
    EXPECT_TRUE(decisions.sheepToCreate.empty());
    ApplyDownload(flock, decisions, {}, {});
    EXPECT_EQ(flock.animals[u"NOEID"].eid, 11u);
    EXPECT_EQ(flock.animals.size(), 3u);
}

TEST_F(ReviewTest, ASkippedAnimalStaysSkippedAndIsNotCreated) {
    review.Build(records, flock, decisions, false);
    review.AnswerNewSheep(IndexOf(u"NEW"), std::nullopt, u"NEW", flock, decisions);
    review.Build(records, flock, decisions, false);
    EXPECT_EQ(Row(u"NEW")->image, kImageDeclined);
    EXPECT_EQ(review.OpenQuestions(), 2);
    ApplyDownload(flock, decisions, {}, {});
    EXPECT_EQ(flock.animals.count(u"NEW"), 0u);
}

TEST(ControlEvents, FieldsDatesAndValues) {
    struct Case {
        const char* record;
        bool event;
        uint64_t eid;
        bool dated;
        int y, mo, d, h, mi, s;
        const char16_t* tattoo;
        std::vector<WString> values;
    } cases[] = {
        {"[A1|9820000000000123|20240229|101530|AB1|52.5|x]", true, 123, true, 2024, 2, 29, 10, 15, 30, u"AB1", {u"52.5", u"x"}},
        {"[A1|XXXXXXX42|20240301|000000||61]", true, 42, true, 2024, 3, 1, 0, 0, 0, u"", {u"61"}},
        // the time cannot be read: the reading keeps its day at midnight
        {"[A1|XXXXXXX42|20240301|]", true, 42, true, 2024, 3, 1, 0, 0, 0, u"", {}},
        {"[A1|XXXXXXX42|20230229|101530|T]", true, 42, false, 0, 0, 0, 0, 0, 0, u"T", {}},
        {"[A1|XXXXXXX42|20241301|101530|T]", true, 42, false, 0, 0, 0, 0, 0, 0, u"T", {}},
        {"[A1|XXXXXXX42|20240301|256100|T]", true, 42, false, 0, 0, 0, 0, 0, 0, u"T", {}},
        {"[A1|XXXXXXX42|bad|101530|T]", true, 42, false, 0, 0, 0, 0, 0, 0, u"T", {}},
        {"[A1]", true, 0, false, 0, 0, 0, 0, 0, 0, u"", {}},
        {"[CSCOK]", false, 0, false, 0, 0, 0, 0, 0, 0, u"", {}},
        {"]", false, 0, false, 0, 0, 0, 0, 0, 0, u"", {}},
    };
    for (const Case& c : cases) {
        std::vector<CControlEvent> events = BuildControlEvents({W(c.record)});
        ASSERT_EQ(events.size(), c.event ? 1u : 0u) << c.record;
        if (!c.event) continue;
        const CControlEvent& e = events[0];
        EXPECT_EQ(e.eid, c.eid) << c.record;
        EXPECT_EQ(e.whenValid, c.dated) << c.record;
        EXPECT_EQ(e.tattoo, c.tattoo) << c.record;
        EXPECT_EQ(e.values, c.values) << c.record;
        if (c.dated) {
            COleDateTime when(e.when);
            EXPECT_EQ(when.GetYear(), c.y);
            EXPECT_EQ(when.GetMonth(), c.mo);
            EXPECT_EQ(when.GetDay(), c.d);
            EXPECT_EQ(when.GetHour(), c.h);
            EXPECT_EQ(when.GetMinute(), c.mi);
            EXPECT_EQ(when.GetSecond(), c.s);
        }
    }
    EXPECT_EQ(FirstUndatedEvent(BuildControlEvents({u"[A|XXXXXXX1|20240101|000000]", u"[A|XXXXXXX2|20240230]"})), 1);
}

TEST(ControlEvents, MappingTakesTheChosenValueOrLeavesItEmpty) {
    std::vector<CControlEvent> events = BuildControlEvents({u"[A|XXXXXXX1|20240101|000000|T|10|20|30]",
                                                            u"[A|XXXXXXX2|20240101|000000|U|11]"});
    MapParameters(events, {2, -1, 0, 7});
    EXPECT_EQ(events[0].mapped, (std::vector<WString>{u"30", u"", u"10", u""}));
    EXPECT_EQ(events[1].mapped, (std::vector<WString>{u"", u"", u"11", u""}));
}

class ResolveTest : public ::testing::Test {
protected:
    void SetUp() override {
        flock.animals[u"KNOWN"] = {100, 0};
        flock.animals[u"BARE"] = {0, 0};
        flock.animals[u"BARE2"] = {0, 1};
    }
    std::vector<CControlEvent> Readings(std::initializer_list<std::pair<uint64_t, const char16_t*>> list) {
        std::vector<CControlEvent> out;
        for (auto& [eid, tattoo] : list) {
            CControlEvent e;
            e.eid = eid;
            e.tattoo = tattoo;
            e.whenValid = true;
            out.push_back(e);
        }
        return out;
    }
    CFakeDownloadFlock flock;
    CDownloadDecisions decisions;
};

TEST_F(ResolveTest, KnownTagsSilentlyAndEachUnknownTagOnce) {
    auto events = Readings({{100, u""}, {200, u""}, {200, u""}, {300, u"GIVEN"}, {400, u""}});
    std::vector<uint64_t> asked;
    bool complete = ResolveTattoos(events, flock, decisions, [&](uint64_t eid) -> std::optional<CEidDecision> {
        asked.push_back(eid);
        if (eid == 200) return CEidDecision{u"BARE", false, 0};
        return CEidDecision{u"LAMB9", true, 1};
    });
    EXPECT_TRUE(complete);
    EXPECT_EQ(asked, (std::vector<uint64_t>{200, 400}));
    EXPECT_EQ(events[0].tattoo, u"KNOWN");
    EXPECT_EQ(events[1].tattoo, u"BARE");
    EXPECT_EQ(events[2].tattoo, u"BARE");
    EXPECT_EQ(events[3].tattoo, u"GIVEN");
    EXPECT_EQ(events[4].tattoo, u"LAMB9");
    EXPECT_EQ(decisions.eidsToSet.at(u"BARE"), 200u);
    EXPECT_EQ(decisions.sheepToCreate.at(u"LAMB9").eid, 400u);
    EXPECT_EQ(decisions.sheepToCreate.at(u"LAMB9").sex, 1);
}

TEST_F(ResolveTest, ATagIsNeverMappedToAnAnimalThatAlreadyHasAnother) {
    auto events = Readings({{200, u""}, {300, u""}, {500, u""}});
    std::vector<std::pair<WString, uint64_t>> refusals;
    int calls = 0;
    bool complete = ResolveTattoos(
        events, flock, decisions,
        [&](uint64_t eid) -> std::optional<CEidDecision> {
            ++calls;
            if (eid == 200) return CEidDecision{u"BARE", false, 0};
            if (eid == 300 && calls == 2) return CEidDecision{u"BARE", false, 0};  // refused
            if (eid == 300) return CEidDecision{u"BARE2", false, 0};
            return std::nullopt;  // cancelled
        },
        [&](const WString& tattoo, uint64_t other) { refusals.emplace_back(tattoo, other); });
    EXPECT_FALSE(complete);
    ASSERT_EQ(refusals.size(), 1u);
    EXPECT_EQ(refusals[0], (std::pair<WString, uint64_t>{u"BARE", 200}));
    EXPECT_EQ(decisions.eidsToSet.at(u"BARE"), 200u);
    EXPECT_EQ(decisions.eidsToSet.at(u"BARE2"), 300u);
    EXPECT_EQ(events[2].tattoo, u"");
    // Creating under a tattoo the flock has is a mapping to that animal, refused when it has an EID.
    auto more = Readings({{600, u""}, {700, u""}});
    refusals.clear();
    std::vector<CEidDecision> answers = {{u"KNOWN", true, 0}, {u"NEWONE", true, 0}, {u"BARE3", true, 1}};
    size_t next = 0;
    flock.animals[u"BARE3"] = {0, 0};
    EXPECT_TRUE(ResolveTattoos(
        more, flock, decisions, [&](uint64_t) { return std::optional<CEidDecision>(answers.at(next++)); },
        [&](const WString& tattoo, uint64_t other) { refusals.emplace_back(tattoo, other); }));
    EXPECT_EQ(refusals, (std::vector<std::pair<WString, uint64_t>>{{u"KNOWN", 100}}));
    EXPECT_EQ(decisions.eidsToSet.count(u"KNOWN"), 0u);
    EXPECT_EQ(decisions.sheepToCreate.at(u"NEWONE").eid, 600u);
    EXPECT_EQ(decisions.sheepToCreate.count(u"BARE3"), 0u);
    EXPECT_EQ(decisions.eidsToSet.at(u"BARE3"), 700u);
}

TEST(Weights, ConversionIsAllOrNothing) {
    struct Case {
        std::vector<WString> cells;
        double factor;
        int decimals;
        int bad;
        std::vector<WString> after;
    } cases[] = {
        {{u"10", u"2.5"}, WeightFactor(WeightUnit::Kg, WeightUnit::Lb), 2, -1, {u"21.20", u"5.30"}},
        {{u"21.2"}, WeightFactor(WeightUnit::Lb, WeightUnit::Kg), 1, -1, {u"10.0"}},
        {{u"10", u"heavy", u"12"}, 2.12, 2, 1, {u"10", u"heavy", u"12"}},
        {{u"10", u""}, 2.12, 2, 1, {u"10", u""}},
        {{u"12abc"}, 2.12, 2, 0, {u"12abc"}},
        {{u"inf"}, 2.12, 2, 0, {u"inf"}},
        {{u"10"}, WeightFactor(WeightUnit::None, WeightUnit::Lb), 2, -1, {u"10"}},
        {{u"10"}, WeightFactor(WeightUnit::Kg, WeightUnit::Kg), 2, -1, {u"10"}},
    };
    for (Case& c : cases) {
        EXPECT_EQ(ConvertWeights(c.cells, c.factor, c.decimals), c.bad);
        EXPECT_EQ(c.cells, c.after);
    }
    EXPECT_EQ(WeightForFlock(u"50", WeightUnit::Kg), u"106");
    EXPECT_EQ(WeightForFlock(u"50.5", WeightUnit::Lb), u"50.5");
    EXPECT_EQ(WeightForFlock(u"n/a", WeightUnit::Kg), u"n/a");
}

TEST(Apply, ReadingsBecomeEventsOfTheirAnimalsOnly) {
    CFakeDownloadFlock flock;
    flock.animals[u"A"] = {1, 0};
    flock.refusedAdds = {u"NOPE"};
    CDownloadDecisions decisions;
    decisions.sheepToCreate[u"NOPE"] = CNewSheep{9, 0, false};
    decisions.sheepToCreate[u"B"] = CNewSheep{2, 1, false};
    std::vector<CControlEvent> events = BuildControlEvents({
        u"[A|XXXXXXX1|20240105|083000|A|50|x]",
        u"[A|XXXXXXX2|20240105|083100|B|25|y]",
        u"[A|XXXXXXX9|20240105|083200|NOPE|40|z]",
        u"[A|XXXXXXX3|20240105|083300|STRANGER|41|w]",
        u"[A|XXXXXXX1|20240231|083400|A|42|v]",
    });
    MapParameters(events, {0, 1});
    CApplyControl control{u"Weighing", 0, WeightUnit::Kg};
    std::vector<WString> progress;
    ASSERT_TRUE(ApplyDownload(flock, decisions, events, control, [&](const WString& t) { progress.push_back(t); }));
    EXPECT_EQ(progress, (std::vector<WString>{u"B", u"NOPE"}));
    EXPECT_EQ(flock.animals.count(u"NOPE"), 0u);
    EXPECT_EQ(flock.animals[u"B"].eid, 2u);
    ASSERT_EQ(flock.events.size(), 2u);
    EXPECT_EQ(flock.events[0].tattoo, u"A");
    EXPECT_EQ(flock.events[0].code, u"Weighing");
    EXPECT_EQ(flock.events[0].parameters, (std::vector<WString>{u"106", u"x"}));
    EXPECT_EQ(flock.events[0].date, COleDateTime(2024, 1, 5, 8, 30, 0).m_dt);
    EXPECT_EQ(flock.events[1].tattoo, u"B");
    EXPECT_EQ(flock.events[1].parameters, (std::vector<WString>{u"53", u"y"}));
}

TEST(Apply, AStopEndsBetweenAnimals) {
    CFakeDownloadFlock flock;
    flock.animals[u"A"] = {0, 0};
    flock.animals[u"B"] = {0, 0};
    CDownloadDecisions decisions;
    decisions.eidsToSet = {{u"A", 1}, {u"B", 2}};
    EXPECT_FALSE(ApplyDownload(flock, decisions, {}, {}, {}, [] { return true; }));
    EXPECT_EQ(flock.animals[u"A"].eid, 1u);
    EXPECT_EQ(flock.animals[u"B"].eid, 0u);
}

}  // namespace
