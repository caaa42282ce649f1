// The document's archive: hand-built archives load into the document and store back to the same
// bytes; what the reading restores; damaged archives change nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "document/sheep_doc.h"
#include "records/event.h"
#include "records/lambing.h"
#include "records/tupping.h"
#include "file_fixtures.h"
#include "support/scripted_host_fixture.h"

using namespace serial;

namespace {

std::vector<uint8_t> Store(CSheepDoc& doc) {
    std::vector<uint8_t> out;
    CArchive ar(out, CArchive::store);
    doc.Serialize(ar);
    return out;
}

void Load(CSheepDoc& doc, const std::vector<uint8_t>& bytes) {
    CArchive ar{std::span<const uint8_t>(bytes)};
    doc.Serialize(ar);
}

// The first differing offset, for readable failures.
std::string FirstDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
    if (i == a.size() && i == b.size()) return "same";
    return "differ at " + std::to_string(i) + " of " + std::to_string(a.size()) + "/" +
           std::to_string(b.size());
}

bool NotEntered(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    return bits == 0xFFF8000000000000ull;
}

}  // namespace

TEST(DocumentArchive, NewDocumentWritesTheEmptyFlock) {
    CScopedScriptedHost host;
    CSheepDoc doc;
    std::vector<uint8_t> stored = Store(doc);
    EXPECT_EQ(stored, EmptyFlock()) << FirstDifference(stored, EmptyFlock());
    // Saving shows the "Saving" progress over no animals.
    ASSERT_FALSE(host.Progress().empty());
    EXPECT_EQ(host.Progress().front().title, u"Saving");
    EXPECT_EQ(host.Progress().front().value, 0);
}

TEST(DocumentArchive, HandBuiltArchivesStoreBackToTheSameBytes) {
    CScopedScriptedHost host;
    for (const auto& fixture : {EmptyFlock(u"Texel", kBreedMS, kBreedLS), SmallFlock(), KeysOnly(7, 5)}) {
        CSheepDoc doc;
        Load(doc, fixture);
        std::vector<uint8_t> stored = Store(doc);
        EXPECT_EQ(stored, fixture) << FirstDifference(stored, fixture);
    }
}

TEST(DocumentArchive, AFlockBeyondTheShortCountsAndTags) {
    // 70000 animals: the flock's count takes the long form, and the page setups written after them
    // refer to their class with the long tag.
    CScopedScriptedHost host;
    host.SetProgressAvailable(false);
    const std::vector<uint8_t> fixture = KeysOnly(70000, 69999, false, 2);
    CSheepDoc doc;
    Load(doc, fixture);
    ASSERT_EQ(doc.GetSheepCount(), 70000);
    EXPECT_EQ(doc.GetCurrentKey(), u"K69999");
    EXPECT_EQ(doc.GetStores().PageSetups().size(), 2u);
    EXPECT_TRUE(Store(doc) == fixture);
}

TEST(DocumentArchive, ReadingRestoresEveryItem) {
    CScopedScriptedHost host;
    CSheepDoc doc;
    Load(doc, SmallFlock());

    EXPECT_EQ(doc.GetDocString(FARM_BREED), u"Texel");
    EXPECT_EQ(doc.GetDocString(FARM_ADDRESS), u"Hill Farm\r\nDale");
    EXPECT_EQ(doc.GetDocString(FARM_EARTAG_TEMPLATE), u"{yy}-{nnn}");
    EXPECT_EQ(doc.GetBreedPlugIn().GetVersionMS(), kBreedMS);

    ASSERT_EQ(doc.GetSheepCount(), 2);
    CSheep* ram = doc.GetSheepAt(0);
    EXPECT_EQ(ram->GetTattoo(), u"AB1");
    EXPECT_EQ(ram->GetSex(), SEX_RAM);
    EXPECT_EQ(ram->GetName(), u"Samson");
    EXPECT_EQ(ram->GetElectronicID(), 826000000000123ull);
    EXPECT_EQ(ram->GetFigure(FIG_LEAN_INDEX), 1.5);
    EXPECT_TRUE(NotEntered(ram->GetFigure(FIG_AWT)));
    ASSERT_EQ(ram->GetEventCount(), 2);
    EXPECT_EQ(ram->GetEventAt(1)->GetParameters(), (std::vector<WString>{u"Smith", u"Brown"}));
    ASSERT_EQ(ram->GetTuppingCount(), 1);
    EXPECT_EQ(ram->GetTuppingAt(0)->GetMethod(), TUPPING_NATURAL);
    CSheep* ewe = doc.GetSheepAt(1);
    ASSERT_EQ(ewe->GetLambingCount(), 1);
    EXPECT_EQ(ewe->GetLambingAt(0)->GetLambCount(), 2);
    EXPECT_EQ(ewe->GetDocument(), &doc);

    // The indexes: ear tags as stored, the EID map from the animals.
    EXPECT_EQ(doc.GetEarTagIndex().GetCount(), 2);
    std::vector<WString> names;
    EXPECT_TRUE(doc.GetEarTagNames(u"Red", u"001", &names));
    EXPECT_EQ(names, std::vector<WString>{u"AB1"});
    WString key;
    EXPECT_TRUE(doc.LookupTattooByEID(826000000000123ull, &key));
    EXPECT_EQ(key, u"AB1");

    auto& stores = doc.GetStores();
    EXPECT_EQ(stores.YearColours().at(u"2004"), u"Blue");
    EXPECT_EQ(stores.ColumnLayouts().at(1)->GetSize(), 8u);
    ASSERT_NE(stores.LookupAddress(u"Brown"), nullptr);
    EXPECT_EQ(stores.LookupAddress(u"Brown")->GetType(), 0);
    ASSERT_NE(stores.LookupAddress(u"Smith"), nullptr);
    EXPECT_EQ(stores.LookupAddress(u"Smith")->GetType(), 1);
    ASSERT_EQ(stores.SignetAverages().count(u"2003E"), 1u);
    EXPECT_EQ(stores.SignetAverages().at(u"2003E")->m_dblLeanIndex, 101.5);

    ASSERT_EQ(doc.GetStores().PageSetups().size(), 2u);
    EXPECT_EQ(doc.GetStores().PageSetups()[0]->m_devNames, (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(doc.GetFile().m_crHeader, 0xFFu);
    EXPECT_EQ(doc.GetFile().m_headerFont.GetFaceName(), u"Arial");
    EXPECT_EQ(doc.GetFile().m_bodyFont.GetFaceName(), u"Caf\u00e9");
    EXPECT_EQ(doc.GetFile().m_bodyFont.m_lf.lfWeight, 700);
    EXPECT_EQ(doc.GetFile().m_date.m_dt, 38200.75);

    // The current animal and the history.
    EXPECT_EQ(doc.GetCurrentIndex(), 1);
    EXPECT_EQ(doc.GetCurrentKey(), u"AB2");
    EXPECT_EQ(doc.GetHistory().Entries(), std::vector<int>{1});

    // "Loading" over the two animals.
    ASSERT_FALSE(host.Progress().empty());
    EXPECT_EQ(host.Progress().front().title, u"Loading");
    EXPECT_EQ(host.Progress().front().value, 2);
}

TEST(DocumentArchive, AnEmptiedDocumentKeepsNothingOfTheFlockBefore) {
    CScopedScriptedHost host;
    CSheepDoc doc;
    Load(doc, SmallFlock());
    doc.DeleteContents();
    const std::vector<uint8_t> empty = EmptyFlock(u"Texel", kBreedMS, kBreedLS);
    Load(doc, empty);
    EXPECT_EQ(doc.GetDocString(FARM_ADDRESS), u"");
    EXPECT_EQ(doc.GetDocString(FARM_EARTAG_TEMPLATE), u"{nnn}");
    EXPECT_EQ(Store(doc), empty);
}

TEST(DocumentArchive, MapEntriesReadInAnyOrder) {
    CScopedScriptedHost host;
    CSheepDoc doc;
    SmallFlockOptions reversed;
    reversed.reversedMaps = true;
    Load(doc, SmallFlock(reversed));
    EXPECT_EQ(doc.GetDocString(FARM_BREED), u"Texel");
    EXPECT_EQ(doc.GetStores().YearColours().at(u"2003"), u"Red");
    EXPECT_NE(doc.LookupAddress(u"Smith"), nullptr);
    // Written again in our order.
    EXPECT_EQ(Store(doc), SmallFlock());
}

TEST(DocumentArchive, CurrentIndexInsideOrOutsideTheFlock) {
    CScopedScriptedHost host;
    struct Case {
        int animals;
        int32_t stored;
        int current;
        std::vector<int> history;
    } cases[] = {
        {7, 5, 5, {5}},
        {3, 5, -1, {}},  // a smaller flock: no current animal
        {3, -7, -1, {}},
        {0, -1, -1, {}},
    };
    for (const Case& c : cases) {
        CSheepDoc doc;
        Load(doc, KeysOnly(c.animals, c.stored));
        EXPECT_EQ(doc.GetCurrentIndex(), c.current) << c.animals << "/" << c.stored;
        EXPECT_EQ(doc.GetHistory().Entries(), c.history) << c.animals << "/" << c.stored;
        if (c.current >= 0) {
            EXPECT_EQ(doc.GetCurrentKey(), doc.GetSheepAt(c.current)->GetTattoo());
        }
    }
}

TEST(DocumentArchive, AFlockOutOfOrderIsSortedAndKeepsItsCurrentAnimal) {
    CScopedScriptedHost host;
    CSheepDoc doc;
    Load(doc, KeysOnly(7, 1, true));  // K6, K5 ... K0 with K5 current
    ASSERT_EQ(doc.GetSheepCount(), 7);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(doc.GetSheepAt(i)->GetTattoo(), std::u16string(u"K") + char16_t(u'0' + i));
    EXPECT_EQ(doc.GetCurrentKey(), u"K5");
    EXPECT_EQ(doc.GetCurrentIndex(), 5);
    int index = -1;
    EXPECT_NE(doc.FindSheep(u"k3", &index), nullptr);
    EXPECT_EQ(index, 3);
    // Written in our order.
    EXPECT_EQ(Store(doc), KeysOnly(7, 5));
}

TEST(DocumentArchive, DamagedArchivesChangeNothing) {
    CScopedScriptedHost host;
    const std::vector<uint8_t> good = SmallFlock();
    std::vector<std::vector<uint8_t>> damaged;
    for (size_t cut : {size_t(0), size_t(3), size_t(40), good.size() / 2, good.size() - 1})
        damaged.emplace_back(good.begin(), good.begin() + std::ptrdiff_t(cut));
    std::vector<uint8_t> embedded = good;
    embedded[0] = 1;  // one embedded item
    damaged.push_back(embedded);
    std::vector<uint8_t> unknownClass = good;
    size_t at = 0;
    for (size_t i = 0; i + 6 <= good.size(); ++i)
        if (std::memcmp(&good[i], "CSheep", 6) == 0) {
            at = i;
            break;
        }
    ASSERT_NE(at, 0u);
    unknownClass[at] = 'X';
    damaged.push_back(unknownClass);
    std::vector<uint8_t> hugeCount = EmptyFlock();
    hugeCount[4 + 0] = 0xFF;  // farm-details count FFFF, then a 32-bit count beyond the data
    hugeCount[4 + 1] = 0xFF;
    hugeCount.insert(hugeCount.begin() + 6, {0xFF, 0xFF, 0xFF, 0x7F});
    damaged.push_back(hugeCount);

    for (size_t i = 0; i < damaged.size(); ++i) {
        CSheepDoc doc;
        Load(doc, KeysOnly(3, 1));
        EXPECT_THROW(Load(doc, damaged[i]), CArchiveException) << "case " << i;
        EXPECT_EQ(doc.GetSheepCount(), 3) << "case " << i;
        EXPECT_EQ(doc.GetCurrentIndex(), 1) << "case " << i;
        EXPECT_EQ(Store(doc), KeysOnly(3, 1)) << "case " << i;
        EXPECT_FALSE(host.IsProgressShown());
    }
}
