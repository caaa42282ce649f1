#include <algorithm>

#include "support/breed_plugin.h"

namespace {

struct TattooExports {
    PFN_CVLIsTattooValid isValid = BreedExport<PFN_CVLIsTattooValid>("CVLIsTattooValid");
    PFN_CVLBuildTattoo build = BreedExport<PFN_CVLBuildTattoo>("CVLBuildTattoo");
    PFN_CVLGetLambIndex lambIndex = BreedExport<PFN_CVLGetLambIndex>("CVLGetLambIndex");
    PFN_CVLGetNextIndex nextIndex = BreedExport<PFN_CVLGetNextIndex>("CVLGetNextIndex");

    std::u16string Build(ISheep* ram, ISheep* ewe, int32_t day, int32_t number, IDocument* doc) const {
        return BreedPlugin::Fetch(
            [&](char16_t* b, int32_t n) { return build(ram, ewe, day, number, doc, b, n); });
    }
};

// Day numbers: whole days since 30 December 1899.
constexpr int32_t k2000Jan1 = 36526;
constexpr int32_t k2025Dec31 = 46022;
constexpr int32_t k2026Jan1 = 46023;
constexpr int32_t k2027Jan1 = 46388;

// The lambing wizard's integer value of a lamb's text: leading digits, as the C runtime reads them.
int32_t LeadingNumber(const std::u16string& s) {
    int32_t n = 0;
    for (char16_t c : s) {
        if (c < u'0' || c > u'9') break;
        n = n * 10 + (c - u'0');
    }
    return n;
}

TEST(BreedTattoo, ValidityTable) {
    TattooExports x;
    struct Case {
        const char16_t* tattoo;
        bool valid;
    };
    const Case cases[] = {
        {u"A", true},
        {u"9", true},
        {u"UK0123456 00042", true},
        {u"AB-12/3.4", true},
        {u"ram 12", true},
        {u"007/26", true},
        {u"ABCDEFGHIJ0123456789", true},  // twenty characters
        {u"", false},
        {u"ABCDEFGHIJ0123456789K", false},
        {u" A1", false},
        {u"A1 ", false},
        {u"-A1", false},
        {u"A1/", false},
        {u"A  1", false},
        {u"A-/1", false},
        {u"A<1", false},
        {u"A&B", false},
        {u"A_1", false},
        {u"A\t1", false},
        {u"B\u00e9lier", false},
        {u"A'1", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.tattoo, c.tattoo + std::char_traits<char16_t>::length(c.tattoo)));
        EXPECT_EQ(x.isValid(c.tattoo) != 0, c.valid);
    }
    EXPECT_EQ(x.isValid(nullptr), 0);
}

TEST(BreedTattoo, LambTattoosFromParentsAndDatesAgreeWithTheOtherRules) {
    TattooExports x;
    fakes::FakeSheep ram, ewe;
    ram.tattoo = u"R1";
    ewe.tattoo = u"E7";
    fakes::FakeDocument doc;
    struct Case {
        int32_t number;
        int32_t day;
        const char16_t* tattoo;
    };
    const Case cases[] = {
        {1, k2026Jan1, u"001/26"},
        {42, k2025Dec31, u"042/25"},
        {999, k2026Jan1 + 200, u"999/26"},
        {1000, k2026Jan1, u"1000/26"},
        {2147483647, k2026Jan1, u"2147483647/26"},
        {7, k2000Jan1, u"007/00"},
        {5, -1, u"005/99"},
        {12, k2027Jan1 - 1, u"012/26"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        std::u16string built = x.Build(AsSheep(ram), AsSheep(ewe), c.day, c.number, AsDocument(doc));
        EXPECT_EQ(built, c.tattoo);
        // The parents do not enter the tattoo; absent parents give the same.
        EXPECT_EQ(x.Build(nullptr, nullptr, c.day, c.number, nullptr), built);
        EXPECT_NE(x.isValid(built.c_str()), 0);
        EXPECT_EQ(x.lambIndex(built.c_str()), c.number);
        EXPECT_EQ(LeadingNumber(built), c.number);
    }
    for (int32_t number : {0, -3, INT32_MIN})
        EXPECT_EQ(x.Build(nullptr, nullptr, k2026Jan1, number, nullptr), u"");
    EXPECT_EQ(ram.references, 1);
    EXPECT_EQ(ewe.references, 1);

    // Lambs of a year sort in number order in the flock's key order.
    std::vector<std::u16string> year;
    for (int32_t n = 1; n <= 999; ++n) year.push_back(x.Build(nullptr, nullptr, k2026Jan1, n, nullptr));
    EXPECT_TRUE(std::is_sorted(year.begin(), year.end()));

    for (const char16_t* other : {u"A12", u"12", u"007/2", u"007/263", u"07/26", u"000/26", u"UK 007/26",
                                  u"007-26", u"00a/26", u"2147483648/26", u"12345678901/26", u""})
        EXPECT_EQ(x.lambIndex(other), 0);
    EXPECT_EQ(x.lambIndex(nullptr), 0);
}

TEST(BreedTattoo, NextIndexFollowsTheFlocksLambsOfThatYear) {
    TattooExports x;
    fakes::FakeDocument doc;
    for (const char16_t* t : {u"001/26", u"A12", u"007/26", u"012/25", u"UK 100/26", u"", u"003/26"}) {
        doc.records.animals.emplace_back();
        doc.records.animals.back().tattoo = t;
    }
    EXPECT_EQ(x.nextIndex(AsDocument(doc), k2026Jan1 + 60), 8);
    EXPECT_EQ(x.nextIndex(AsDocument(doc), k2025Dec31), 13);
    EXPECT_EQ(x.nextIndex(AsDocument(doc), k2027Jan1), 1);
    EXPECT_EQ(x.nextIndex(nullptr, k2026Jan1), 1);
    // The next number builds a tattoo that no animal has.
    std::u16string next =
        x.Build(nullptr, nullptr, k2026Jan1, x.nextIndex(AsDocument(doc), k2026Jan1), nullptr);
    for (const auto& animal : doc.records.animals) EXPECT_NE(animal.tattoo, next);
    // Every interface handed out was released.
    EXPECT_EQ(doc.records.references, 1);
    for (const auto& animal : doc.records.animals) EXPECT_EQ(animal.references, 1);
    EXPECT_EQ(doc.references, 1);
}

TEST(BreedTattoo, GestationAndBornOnTheFarm) {
    EXPECT_EQ(BreedExport<PFN_CVLGetGestationPeriod>("CVLGetGestationPeriod")(), 147);
    auto bornOnFarm = BreedExport<PFN_CVLBornOnFarm>("CVLBornOnFarm");
    fakes::FakeDocument doc;
    struct Case {
        std::optional<double> birth, purchase;
        bool born;
    };
    const Case cases[] = {
        {k2026Jan1, std::nullopt, true},
        {k2026Jan1, k2026Jan1 + 90, false},
        {std::nullopt, std::nullopt, false},
        {std::nullopt, k2026Jan1, false},
    };
    for (const Case& c : cases) {
        fakes::FakeSheep sheep;
        sheep.birth = c.birth;
        sheep.purchase = c.purchase;
        EXPECT_EQ(bornOnFarm(AsDocument(doc), AsSheep(sheep)) != 0, c.born);
        EXPECT_EQ(bornOnFarm(nullptr, AsSheep(sheep)) != 0, c.born);
        EXPECT_EQ(sheep.references, 1);
    }
    EXPECT_EQ(bornOnFarm(AsDocument(doc), nullptr), 0);
}

}  // namespace
