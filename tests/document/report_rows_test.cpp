#include "document/report_rows.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

#include "document/sheep_doc.h"
#include "records/event.h"
#include "records/lambing.h"
#include "records/sheep.h"
#include "records/tupping.h"
#include "support/scripted_host_fixture.h"

namespace {

struct Ev {
    int y, m, d;
    uint32_t code;
    const char16_t* param = nullptr;
};

COleDateTime Day(int y, int m, int d) {
    return COleDateTime(y, m, d, 0, 0, 0);
}

// One expected row of a book, worked out by hand.
struct Row {
    int y, m, d;
    int32_t kind;
    const char16_t* tattoo;
    int32_t cls;
    const char16_t* second;
    int ewes, eweLambs, ramsAndLambs;
};

class MovementBookTest : public ::testing::Test {
protected:
    CSheep* Add(const char16_t* tattoo, int32_t sex, std::initializer_list<Ev> events,
                bool bornHere = false) {
        auto* sheep = new CSheep(tattoo, sex, nullptr);
        EXPECT_GE(doc.AddSheep(sheep, false), 0);
        for (const Ev& e : events) sheep->AddEvent(new CEvent(Day(e.y, e.m, e.d), e.code, e.param), false);
        if (bornHere) born.insert(tattoo);
        return sheep;
    }

    std::vector<CRefPtr<CMovementRow>> Book(int year) {
        return BuildMovementBook(
            doc, year,
            [this](const CSheep& sheep) {
                ++asked[sheep.GetTattoo()];
                return born.count(sheep.GetTattoo()) > 0;
            },
            [](const WString& key) { return key == u"ABT" ? WString(u"Town Abattoir") : key; });
    }

    void ExpectBook(int year, const std::vector<Row>& expected) {
        const auto rows = Book(year);
        ASSERT_EQ(rows.size(), expected.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            const CMovementRow& r = *rows[i];
            const Row& e = expected[i];
            SCOPED_TRACE("row " + std::to_string(i) + " " + WToUtf8(r.m_strFirst));
            EXPECT_EQ(r.m_dtDate.GetYear(), e.y);
            EXPECT_EQ(r.m_dtDate.GetMonth(), e.m);
            EXPECT_EQ(r.m_dtDate.GetDay(), e.d);
            EXPECT_EQ(r.m_nKind, e.kind);
            EXPECT_EQ(r.m_strFirst, WString(e.tattoo));
            EXPECT_EQ(r.m_nClass, e.cls);
            EXPECT_EQ(r.m_strSecond, WString(e.second));
            EXPECT_EQ(r.m_nSigned,
                      i == 0                                                                         ? 0
                      : (e.kind == MOVE_PURCHASED || e.kind == MOVE_BORN || e.kind == MOVE_MOVED_ON) ? 1
                                                                                                     : -1);
            EXPECT_EQ(r.m_counts, (std::array<int32_t, 3>{e.ewes, e.eweLambs, e.ramsAndLambs}));
        }
    }

    CScopedScriptedHost host;
    CSheepDoc doc;
    std::set<WString> born;
    std::map<WString, int> asked;
};

constexpr int32_t E = CLASS_EWE, L = CLASS_LAMB, O = CLASS_OTHERS, N = CLASS_NONE;

// An ordinary year: an adult ewe and a ram on hand, a lamb of last year reaching its 365th day, a
// lamb born, weaned and sold, a ram lamb that dies, a lamb born elsewhere and bought in the year, a
// ewe bought on 1 January, a second purchase of an animal already here and a sale of one long gone.
TEST_F(MovementBookTest, OrdinaryYearWithEveryKindOfMovement) {
    Add(u"E1", SEX_EWE,
        {{2018, 3, 1, EVENT_BORN}, {2019, 5, 1, EVENT_PURCHASED, u"Hill"}, {2023, 2, 1, EVENT_PURCHASED}});
    Add(u"R1", SEX_RAM, {{2020, 4, 1, EVENT_BORN}, {2021, 1, 10, EVENT_PURCHASED}});
    Add(u"L1", SEX_EWE, {{2022, 4, 10, EVENT_BORN}}, true);
    Add(u"L2", SEX_EWE, {{2023, 3, 15, EVENT_BORN}, {2023, 7, 1, 3}, {2023, 10, 1, EVENT_SOLD, u"Mart"}},
        true);
    Add(u"B1", SEX_EWE, {{2023, 2, 1, EVENT_BORN}, {2023, 6, 1, EVENT_PURCHASED, u"Vale"}});
    Add(u"D1", SEX_RAM, {{2023, 4, 1, EVENT_BORN}, {2023, 5, 1, EVENT_DIED}}, true);
    Add(u"J1", SEX_EWE, {{2020, 1, 1, EVENT_BORN}, {2023, 1, 1, EVENT_PURCHASED, u"Hill"}});
    Add(u"S1", SEX_EWE, {{2019, 1, 1, EVENT_PURCHASED}, {2022, 12, 1, EVENT_SOLD}, {2023, 3, 1, EVENT_SOLD}});

    ExpectBook(2023, {
                         {2023, 1, 1, MOVE_NONE, u"", N, u"", 1, 0, 2},
                         {2023, 1, 1, MOVE_PURCHASED, u"J1", E, u"Hill", 2, 0, 2},
                         {2023, 3, 15, MOVE_BORN, u"L2", L, u"", 2, 0, 3},
                         {2023, 4, 1, MOVE_BORN, u"D1", L, u"", 2, 0, 4},
                         {2023, 4, 10, MOVE_TRANSFERRED, u"L1", E, u"", 3, 0, 3},
                         {2023, 5, 1, MOVE_DIED, u"D1", O, u"", 3, 0, 2},
                         {2023, 6, 1, MOVE_PURCHASED, u"B1", L, u"Vale", 3, 0, 3},
                         {2023, 7, 1, MOVE_TRANSFERRED, u"L2", E, u"", 3, 1, 2},
                         {2023, 10, 1, MOVE_SOLD, u"L2", L, u"Mart", 3, 0, 2},
                     });
    // The plug-in is asked once for each animal with a birth that could bring it in.
    for (const auto& [tattoo, count] : asked) EXPECT_EQ(count, 1) << WToUtf8(tattoo);
}

// A leap year: a lamb born on 31 December of the year before reaches its 365th day on 30 December;
// one born on 31 December of the year is in the book; a young ewe lambing is transferred once; a ewe
// without a date of birth counts as a ewe; a lamb moved on has no class; a killed lamb names the
// abattoir by its display name.
TEST_F(MovementBookTest, LeapYearAndTheEdgesOfTheYear) {
    Add(u"N1", SEX_EWE, {{2023, 12, 31, EVENT_BORN}}, true);
    Add(u"N2", SEX_EWE, {{2024, 12, 31, EVENT_BORN}}, true);
    Add(u"W1", SEX_EWE, {{2023, 2, 28, EVENT_BORN}, {2024, 2, 27, 10}}, true);
    Add(u"X1", SEX_EWE, {{2024, 3, 1, EVENT_PURCHASED}, {2024, 9, 1, 20, u"Moor"}});
    Add(u"M1", SEX_EWE, {{2024, 1, 10, EVENT_BORN}, {2024, 5, 1, 19, u"Dale"}});
    Add(u"K1", SEX_EWE, {{2024, 2, 1, EVENT_BORN}, {2024, 8, 1, EVENT_KILLED, u"ABT"}}, true);

    ExpectBook(2024, {
                         {2024, 1, 1, MOVE_NONE, u"", N, u"", 0, 0, 2},
                         {2024, 2, 1, MOVE_BORN, u"K1", L, u"", 0, 0, 3},
                         {2024, 2, 27, MOVE_TRANSFERRED, u"W1", E, u"", 1, 0, 2},
                         {2024, 3, 1, MOVE_PURCHASED, u"X1", E, u"", 2, 0, 2},
                         {2024, 5, 1, MOVE_MOVED_ON, u"M1", N, u"Dale", 2, 1, 2},
                         {2024, 8, 1, MOVE_KILLED, u"K1", L, u"Town Abattoir", 2, 1, 1},
                         {2024, 9, 1, MOVE_MOVED_OFF, u"X1", E, u"Moor", 1, 1, 1},
                         {2024, 12, 30, MOVE_TRANSFERRED, u"N1", E, u"", 2, 1, 0},
                         {2024, 12, 31, MOVE_BORN, u"N2", L, u"", 2, 1, 1},
                     });
    // The next year opens with the stock the leap year closed with; the lamb moved on and the lamb
    // of 31 December reach their 365th day in it.
    ExpectBook(2025, {
                         {2025, 1, 1, MOVE_NONE, u"", N, u"", 2, 1, 1},
                         {2025, 1, 9, MOVE_TRANSFERRED, u"M1", E, u"", 3, 0, 1},
                         {2025, 12, 31, MOVE_TRANSFERRED, u"N2", E, u"", 4, 0, 0},
                     });
}

// A lamb of a non-leap year born on 31 December reaches its 365th day on 31 December of the next.
TEST_F(MovementBookTest, BornOnTheLastDayOfACommonYear) {
    Add(u"Z1", SEX_EWE, {{2022, 12, 31, EVENT_BORN}}, true);
    ExpectBook(2023, {
                         {2023, 1, 1, MOVE_NONE, u"", N, u"", 0, 0, 1},
                         {2023, 12, 31, MOVE_TRANSFERRED, u"Z1", E, u"", 1, 0, 0},
                     });
}

// Generated flocks: in every year no count goes below zero, every row moves exactly one animal out
// of or into one count (or between two), and the closing stock of a year is the opening stock of the
// next.
TEST_F(MovementBookTest, GeneratedFlocksKeepTheirCountsConsistent) {
    std::mt19937 random(26);
    const uint32_t codes[] = {EVENT_SOLD, EVENT_PURCHASED, EVENT_DIED, 3, 6, 10, 19, 20, 21};
    for (int a = 0; a < 300; ++a) {
        const WString tattoo = IntToW(1000 + a);
        auto* sheep = new CSheep(tattoo.c_str(), int32_t(random() % 3), nullptr);
        ASSERT_GE(doc.AddSheep(sheep, false), 0);
        const int birthYear = 2015 + int(random() % 8);
        if (random() % 5)
            sheep->AddEvent(new CEvent(Day(birthYear, 1 + random() % 12, 1 + random() % 28), EVENT_BORN),
                            false);
        if (random() % 2) born.insert(tattoo);
        const int more = int(random() % 6);
        for (int e = 0; e < more; ++e)
            sheep->AddEvent(
                new CEvent(Day(birthYear + int(random() % 5), 1 + random() % 12, 1 + random() % 28),
                           codes[random() % std::size(codes)], u"X"),
                false);
    }
    std::array<int32_t, 3> closing{};
    for (int year = 2014; year <= 2028; ++year) {
        SCOPED_TRACE(year);
        const auto rows = Book(year);
        if (year > 2014) {
            EXPECT_EQ(rows[0]->m_counts, closing);
        }
        for (size_t i = 1; i < rows.size(); ++i) {
            int moved = 0, sum = 0;
            for (size_t c = 0; c < 3; ++c) {
                EXPECT_GE(rows[i]->m_counts[c], 0);
                const int change = rows[i]->m_counts[c] - rows[i - 1]->m_counts[c];
                EXPECT_LE(std::abs(change), 1);
                moved += std::abs(change);
                sum += change;
            }
            if (rows[i]->m_nKind == MOVE_TRANSFERRED) {
                EXPECT_EQ(moved, 2);
                EXPECT_EQ(sum, 0);
            } else {
                EXPECT_EQ(sum, rows[i]->m_nSigned);
            }
            EXPECT_EQ(rows[i]->m_dtDate.GetYear(), year);
        }
        closing = rows.back()->m_counts;
    }
    for (const auto& [tattoo, count] : asked) EXPECT_LE(count, 15) << WToUtf8(tattoo);
}

TEST(MovementCellText, EveryReportKind) {
    CMovementRow row;
    row.m_dtDate = Day(2024, 3, 5);
    row.m_nKind = MOVE_SOLD;
    row.m_nSigned = -1;
    row.m_nClass = CLASS_EWE_LAMB;
    row.m_strFirst = u"T1";
    row.m_strSecond = u"Mart";
    row.m_counts = {7, 2, 30};
    const std::vector<std::pair<unsigned, WString>> cases = {
        {100, Day(2024, 3, 5).Format("%x")},
        {101, u"Sold"},
        {102, u"1"},
        {103, u"Ewe Lamb"},
        {104, u"T1"},
        {105, u"Mart"},
        {106, u"7"},
        {107, u"2"},
        {108, u"30"},
        {109, u"39"},
        {12, u""},
    };
    for (const auto& [kind, text] : cases) EXPECT_EQ(GetMovementCellText(row, kind), text) << kind;
    CMovementRow opening;
    EXPECT_EQ(GetMovementCellText(opening, 101), u"");
    EXPECT_EQ(GetMovementCellText(opening, 103), u"");
    EXPECT_EQ(GetMovementCellText(opening, 102), u"0");
}

TEST(ReportCopyText, TabAfterEveryCellCrLfPerRowAndOneClosingNul) {
    const WString longCell(600, u'x');
    const std::string text = BuildReportCopyText({{u"a", u""}, {u"\u00e9", longCell}});
    const std::string expected = std::string("a\t\t\r\n\xe9\t") + std::string(500, 'x') + "\t\r\n" + '\0';
    EXPECT_EQ(text, expected);
    EXPECT_EQ(BuildReportCopyText({}), std::string(1, '\0'));
}

class ReportRowsTest : public MovementBookTest {};

// Two rams serve one ewe: she is listed once with the later ram of the list; a tattoo that names no
// animal gives no row; a ram whose record is of another year is not in the list.
TEST_F(ReportRowsTest, TuppingListsRamsOnceAndEwesOnce) {
    auto tup = [](CSheep* ram, int year, std::vector<WString> ewes) {
        auto record = CRefPtr<CRamLambingData>::Adopt(new CRamLambingData);
        record->StoreDateIn(Day(year, 10, 1));
        record->SetEwes(std::move(ewes));
        ram->AddTuppingRecord(record);
    };
    CSheep* r1 = Add(u"R1", SEX_RAM, {});
    CSheep* r2 = Add(u"R2", SEX_RAM, {});
    CSheep* r3 = Add(u"R3", SEX_RAM, {});
    Add(u"E1", SEX_EWE, {});
    Add(u"E2", SEX_EWE, {});
    tup(r1, 2023, {u"E1", u"E2"});
    tup(r2, 2023, {u"e1", u"GONE"});
    tup(r3, 2022, {u"E2"});
    const std::vector<CSheep*> rams = FindTuppingRams(doc, 2023);
    EXPECT_EQ(rams, (std::vector<CSheep*>{r1, r2}));
    const std::vector<CTuppedEwe> ewes = FindTuppedEwes(doc, 2023);
    ASSERT_EQ(ewes.size(), 2u);
    EXPECT_EQ(ewes[0].ewe->GetTattoo(), u"E1");
    EXPECT_EQ(ewes[0].ram, 1);
    EXPECT_EQ(ewes[1].ewe->GetTattoo(), u"E2");
    EXPECT_EQ(ewes[1].ram, 0);
}

// Events of an address: the five movement codes naming it without regard to case; deaths and
// births never, whatever their parameters.
TEST_F(ReportRowsTest, AddressEventsNameTheAddress) {
    Add(u"A1", SEX_EWE,
        {{2020, 1, 1, EVENT_BORN, u"Hill"},
         {2020, 2, 1, EVENT_PURCHASED, u"hill"},
         {2020, 3, 1, EVENT_DIED, u"Hill"},
         {2020, 4, 1, 19, u"HILL"},
         {2020, 5, 1, 20, u"Dale"},
         {2020, 6, 1, EVENT_SOLD, u"Hill"}});
    const auto rows = FindAddressEvents(doc, u"Hill");
    std::vector<int> indexes;
    for (const auto& row : rows) indexes.push_back(row->GetIndex());
    EXPECT_EQ(indexes, (std::vector<int>{1, 3, 5}));
    EXPECT_EQ(GetEventCellText(*rows[0], 101), u"A1");
    EXPECT_EQ(GetEventCellText(*rows[0], 103), u"");
}

TEST_F(ReportRowsTest, LambingCellsShowUpToThreeLambs) {
    CSheep* ewe = Add(u"E1", SEX_EWE, {});
    auto record = CRefPtr<CEweLambingData>::Adopt(new CEweLambingData);
    record->StoreDate(Day(2024, 4, 2));
    record->StoreTup(u"R9");
    auto lamb = CRefPtr<CLambData>::Adopt(new CLambData(u"L-1"));
    lamb->SetSex(1);
    record->AddLamb(lamb);
    auto lamb2 = CRefPtr<CLambData>::Adopt(new CLambData(u"L-2"));
    lamb2->SetSex(0);
    record->AddLamb(lamb2);
    ewe->AddLambingRecord(record);
    Add(u"E2", SEX_EWE, {});
    EXPECT_EQ(FindLambingEwes(doc, 2024), std::vector<CSheep*>{ewe});
    const int32_t lb = 0;
    const std::vector<std::pair<unsigned, WString>> cases = {
        {100, u"R9"},  {101, Day(2024, 4, 2).Format("%x")},
        {102, u""},    {103, u"M"},
        {105, u"L-1"}, {106, u"F"},
        {108, u"L-2"}, {109, u""},
        {111, u""},    {112, u"3"},
    };
    for (const auto& [kind, text] : cases) EXPECT_EQ(GetLambingCellText(*ewe, 2024, kind, &lb), text) << kind;
    EXPECT_EQ(GetLambingCellText(*ewe, 2023, 105, &lb), u"");
}

}  // namespace
