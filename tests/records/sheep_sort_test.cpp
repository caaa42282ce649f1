#include "records/sheep_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <random>

#include "records/sheep.h"

// The list's sort takes keys out of the animals first; it must give exactly the order of the
// animal's own field comparison, for every field and both directions, ties included.
TEST(SheepSort, EveryFieldSortsAsTheAnimalsOwnComparison) {
    std::mt19937 random(11);
    const char16_t* const texts[] = {u"", u"ab", u"AB", u"b", u"Ab c", u"z"};
    std::vector<CRefPtr<CObject>> rows;
    for (int i = 0; i < 300; ++i) {
        auto* sheep = new CSheep(FormatW("T%03d", i).c_str(), int32_t(random() % 2), nullptr);
        for (unsigned field : {SF_EARTAG_NUMBER, SF_EARTAG_COLOUR, SF_SIRE, SF_DAM, SF_NAME, SF_COMMENTS}) {
            const WString text = texts[random() % std::size(texts)];
            sheep->SetFieldValue(field, &text);
        }
        for (unsigned field : {SF_DATE_OF_BIRTH, SF_DATE_OF_PURCHASE, SF_DATE_OF_DEPART}) {
            COleDateTime date;
            if (random() % 3 == 0)
                date.SetStatus(COleDateTime::null);
            else
                date.SetDate(2000 + int(random() % 3), 1 + int(random() % 2), 1);
            sheep->SetFieldValue(field, &date);
        }
        const int32_t oneOf = int32_t(random() % 3);
        sheep->SetFieldValue(SF_ONE_OF, &oneOf);
        const uint64_t eid = random() % 4;
        sheep->SetFieldValue(SF_ELECTRONIC_ID, &eid);
        for (unsigned field = 16; field <= 28; ++field) {
            const double figure = random() % 4 == 0 ? std::nan("") : double(random() % 3);
            sheep->SetFieldValue(field, &figure);
        }
        sheep->SetFlags(uint32_t(random()));
        rows.push_back(CRefPtr<CObject>::Adopt(sheep));
    }
    std::shuffle(rows.begin(), rows.end(), random);

    for (unsigned field = 0; field <= 38; ++field) {
        for (bool ascending : {true, false}) {
            auto expected = rows;
            std::stable_sort(expected.begin(), expected.end(), [&](const auto& a, const auto& b) {
                return static_cast<CSheep*>(a.Get())->CompareField(static_cast<CSheep*>(b.Get()), field,
                                                                   ascending) < 0;
            });
            auto sorted = rows;
            SortSheepRows(sorted, field | (ascending ? SORT_ASCENDING : 0u));
            ASSERT_TRUE(std::equal(sorted.begin(), sorted.end(), expected.begin(),
                                   [](const auto& a, const auto& b) { return a.Get() == b.Get(); }))
                << "field " << field << (ascending ? " ascending" : " descending");
        }
    }
}

TEST(SheepSort, ShownTextsSortInTheUsersCollation) {
    const std::string saved = std::setlocale(LC_COLLATE, nullptr);
    ASSERT_NE(std::setlocale(LC_COLLATE, "en_GB.UTF-8"), nullptr) << "locales-all is not installed";
    std::vector<CRefPtr<CObject>> rows;
    for (const char16_t* name : {u"Zed", u"\u00c9mile", u"adam", u"Eve", u"Emma"}) {
        auto* sheep = new CSheep(name, SEX_EWE, nullptr);
        sheep->SetName(name);
        rows.push_back(CRefPtr<CObject>::Adopt(sheep));
    }
    for (unsigned field : {unsigned(SF_NAME), unsigned(SF_TATTOO)}) {
        SortSheepRows(rows, field | SORT_ASCENDING);
        std::vector<WString> names;
        for (const auto& row : rows) names.push_back(static_cast<CSheep*>(row.Get())->GetName());
        EXPECT_EQ(names, (std::vector<WString>{u"adam", u"\u00c9mile", u"Emma", u"Eve", u"Zed"})) << field;
    }
    std::setlocale(LC_COLLATE, saved.c_str());
}
