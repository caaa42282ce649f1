#include "document/ear_tag_index.h"

#include <gtest/gtest.h>

namespace {

std::vector<int> Offsets(const CEarTagIndex& index) {
    std::vector<int> out;
    for (const auto& e : index.Entries()) out.push_back(e.m_nRunOffset);
    return out;
}

std::vector<WString> Tattoos(const CEarTagIndex& index) {
    std::vector<WString> out;
    for (const auto& e : index.Entries()) out.push_back(e.m_strTattoo);
    return out;
}

}  // namespace

TEST(EarTagIndex, KeyIsColourThenNumberWithNothingBetween) {
    EXPECT_EQ(CEarTagIndex::MakeKey(u"Red", u"12"), u"Red12");
    EXPECT_EQ(CEarTagIndex::MakeKey(u"", u"12"), u"12");
}

TEST(EarTagIndex, SharedTagFormsARunThatShrinksBackToAlone) {
    CEarTagIndex index;
    index.Insert(u"Red12", u"A");
    EXPECT_EQ(Offsets(index), (std::vector<int>{-1}));
    index.Insert(u"Red12", u"B");
    index.Insert(u"Red12", u"C");
    EXPECT_EQ(Offsets(index), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(Tattoos(index), (std::vector<WString>{u"A", u"B", u"C"}));

    int first = -5, count = -5;
    EXPECT_TRUE(index.FindRange(u"Red12", &first, &count));
    EXPECT_EQ(first, 0);
    EXPECT_EQ(count, 3);

    EXPECT_TRUE(index.Remove(u"b"));  // keys compare without regard to case
    EXPECT_EQ(Offsets(index), (std::vector<int>{0, 1}));
    EXPECT_EQ(Tattoos(index), (std::vector<WString>{u"A", u"C"}));
    EXPECT_TRUE(index.Remove(u"A"));
    EXPECT_EQ(Offsets(index), (std::vector<int>{-1}));
    EXPECT_TRUE(index.FindRange(u"Red12", &first, &count));
    EXPECT_EQ(first, 0);
    EXPECT_EQ(count, 1);
    EXPECT_FALSE(index.Remove(u"A"));
}

TEST(EarTagIndex, RunsAmongOtherKeysStaySortedAndFoundFromAnyMember) {
    CEarTagIndex index;
    for (auto [key, tattoo] : std::vector<std::pair<WString, WString>>{{u"Red12", u"R1"},
                                                                       {u"Blue7", u"B1"},
                                                                       {u"Red12", u"R2"},
                                                                       {u"Yellow3", u"Y1"},
                                                                       {u"Red12", u"R3"},
                                                                       {u"Red1", u"X"},
                                                                       {u"red12", u"L"}}) {
        index.Insert(key, tattoo);
        EXPECT_TRUE(index.IsConsistent());
    }
    // Ordinal order: upper case before lower case, so "red12" is its own run at the end.
    EXPECT_EQ(Tattoos(index), (std::vector<WString>{u"B1", u"X", u"R1", u"R2", u"R3", u"Y1", u"L"}));
    EXPECT_EQ(Offsets(index), (std::vector<int>{-1, -1, 0, 1, 2, -1, -1}));
    int first = 0, count = 0;
    EXPECT_TRUE(index.FindRange(u"Red12", &first, &count));
    EXPECT_EQ(first, 2);
    EXPECT_EQ(count, 3);
    EXPECT_TRUE(index.FindRange(u"red12", &first, &count));
    EXPECT_EQ(first, 6);
    EXPECT_EQ(count, 1);
    // Removing the head of a run renumbers the rest from 0.
    index.Remove(u"R1");
    EXPECT_EQ(Offsets(index), (std::vector<int>{-1, -1, 0, 1, -1, -1}));
    EXPECT_TRUE(index.IsConsistent());
}

TEST(EarTagIndex, NotFoundGivesLastMidpointAndEmptyKeyFilesNothing) {
    CEarTagIndex index;
    int first = 9, count = 9;
    EXPECT_FALSE(index.FindRange(u"Red1", &first, &count));
    EXPECT_EQ(first, 0);
    EXPECT_EQ(count, 0);
    index.Insert(u"", u"A");
    EXPECT_EQ(index.GetCount(), 0);
    index.Insert(u"B", u"1");
    index.Insert(u"D", u"2");
    index.Insert(u"F", u"3");
    EXPECT_FALSE(index.FindRange(u"E", &first, &count));
    EXPECT_EQ(count, 0);
    EXPECT_EQ(first, 2);  // mid 1 ("D") then mid 2 ("F")
}

TEST(EarTagIndex, StoredEntriesOutOfOrderAreNormalized) {
    CEarTagIndex index;
    index.Assign({{u"Red1", u"A", 5}, {u"Blue1", u"B", -1}, {u"Red1", u"C", 7}});
    EXPECT_FALSE(index.IsConsistent());
    index.Normalize();
    EXPECT_TRUE(index.IsConsistent());
    EXPECT_EQ(Tattoos(index), (std::vector<WString>{u"B", u"A", u"C"}));
    EXPECT_EQ(Offsets(index), (std::vector<int>{-1, 0, 1}));
}

TEST(EarTagIndex, BadStoredOffsetNeverReachesOutsideTheIndex) {
    CEarTagIndex index;
    index.Assign({{u"Red1", u"A", 40}, {u"Red1", u"C", -7}});
    int first = -1, count = -1;
    EXPECT_TRUE(index.FindRange(u"Red1", &first, &count));
    EXPECT_EQ(first, 0);
    EXPECT_EQ(count, 2);
}

TEST(EarTagIndex, RemovingUnderAKeyTakesTheAnimalFromItsRunOrWhereverItIs) {
    CEarTagIndex index;
    for (auto [key, tattoo] : std::vector<std::pair<const char16_t*, const char16_t*>>{
             {u"Blue2", u"C"}, {u"Red1", u"A"}, {u"Red1", u"B"}, {u"Red1", u"D"}, {u"Red10", u"E"}})
        index.Insert(key, tattoo);

    EXPECT_TRUE(index.Remove(u"Red1", u"b"));
    EXPECT_EQ(Tattoos(index), (std::vector<WString>{u"C", u"A", u"D", u"E"}));
    EXPECT_EQ(Offsets(index), (std::vector<int>{-1, 0, 1, -1}));
    // A stored index may file the animal under another tag than the one it wears.
    EXPECT_TRUE(index.Remove(u"Green9", u"E"));
    EXPECT_TRUE(index.Remove(u"Red1", u"C"));
    EXPECT_EQ(Tattoos(index), (std::vector<WString>{u"A", u"D"}));
    EXPECT_FALSE(index.Remove(u"Red1", u"Z"));
    EXPECT_FALSE(index.Remove(u"", u"Z"));
    EXPECT_TRUE(index.IsConsistent());
}

// Inserts filed together (nothing looks at the index between them) give the index that filing each
// at once gives: runs in the order of insertion behind what was filed, every run numbered.
TEST(EarTagIndex, InsertsFiledTogetherGiveTheIndexOfInsertsFiledOneByOne) {
    const std::pair<const char16_t*, const char16_t*> inserts[] = {
        {u"Red0042", u"A"}, {u"Blue0001", u"B"}, {u"Red0042", u"C"}, {u"Red0041", u"D"}, {u"Blue0001", u"E"},
        {u"Red0042", u"F"}, {u"Green0007", u"G"}, {u"Blue0000", u"H"}, {u"red0042", u"I"}, {u"Red00420", u"J"},
    };
    struct Start {
        const char* what;
        std::vector<CEarTagHashEntry> stored;
        bool normalize;
    };
    const Start starts[] = {
        {"empty", {}, true},
        {"with runs filed", {{u"Red0042", u"X", 0}, {u"Red0042", u"Y", 1}, {u"White0003", u"Z", -1}}, true},
        // A stored index that is out of order is filed into one entry at a time, as it always was.
        {"out of order", {{u"Red0042", u"X", 5}, {u"Blue0001", u"Y", -1}}, false},
    };
    for (const Start& start : starts) {
        SCOPED_TRACE(start.what);
        CEarTagIndex together, oneByOne;
        for (CEarTagIndex* index : {&together, &oneByOne}) {
            index->Assign(start.stored);
            if (start.normalize) index->Normalize();
        }
        for (const auto& [key, tattoo] : inserts) {
            together.Insert(key, tattoo);
            oneByOne.Insert(key, tattoo);
            ASSERT_GT(oneByOne.GetCount(), 0);  // a look at the index files what is waiting
        }
        EXPECT_EQ(together.Entries(), oneByOne.Entries());
        EXPECT_EQ(together.IsConsistent(), start.normalize);
        if (start.normalize) {
            int first = -1, count = -1;
            ASSERT_TRUE(together.FindRange(u"Red0042", &first, &count));
            EXPECT_EQ(count, start.stored.empty() ? 3 : 5);
        }
    }
    // What waits is filed before a removal looks for the animal.
    CEarTagIndex index;
    index.Insert(u"Red1", u"A");
    index.Insert(u"Red1", u"B");
    EXPECT_TRUE(index.Remove(u"Red1", u"a"));
    EXPECT_EQ(Tattoos(index), (std::vector<WString>{u"B"}));
    EXPECT_EQ(Offsets(index), (std::vector<int>{-1}));
}
