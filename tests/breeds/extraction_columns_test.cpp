// The flock list's columns follow the kind of the document's extraction criteria; the flag columns
// take their captions from the breed plug-in.
#include "shipped_breed.h"

namespace {

struct ColumnsSeen {
    std::vector<WString> captions;
    std::vector<uint32_t> fields;
    int last = 0;
};

ColumnsSeen Columns(CSheepDoc& doc) {
    ColumnsSeen seen;
    seen.last = doc.GetColumns([&](const WString& caption, uint32_t field) {
        seen.captions.push_back(caption);
        seen.fields.push_back(field);
    });
    return seen;
}

class HintCounter : public CDocView {
public:
    void OnUpdate(CDocView*, uint32_t hint, CObject*) override { hints.push_back(hint); }
    std::vector<uint32_t> hints;
};

TEST_F(ShippedBreedInADocument, ColumnsOfTheCurrentSelectionKind) {
    CCriteria& criteria = doc.GetExtractionCriteria();
    const std::vector<uint32_t> common = {1, 2, 3, 8, 12, 10, 11};
    struct Case {
        int32_t kind;
        std::vector<uint32_t> extra;
    };
    const Case cases[] = {
        {CRITERIA_ON_FARM, {}},
        {CRITERIA_BORN, {4}},
        {CRITERIA_SOLD, {6}},
        {CRITERIA_PURCHASED, {5}},
        {CRITERIA_DIED, {6, 7}},
        {CRITERIA_ALL, {}},
        {7, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        criteria.m_nType = c.kind;
        std::vector<uint32_t> expected = common;
        expected.insert(expected.end(), c.extra.begin(), c.extra.end());
        ColumnsSeen seen = Columns(doc);
        EXPECT_EQ(seen.fields, expected);
        EXPECT_EQ(seen.last, int(expected.size()) - 1);
    }

    // A layout set for one kind stays with that kind; the breed's flags are captioned by the
    // plug-in, the program's own flags (0 to 3) have no caption and no column.
    HintCounter view;
    doc.AddView(&view);
    criteria.m_nType = CRITERIA_BORN;
    CDWordArray layout;
    for (uint32_t field : {1u, 31u, 35u, 4u}) layout.Add(field);
    doc.SetColumns(&layout);
    EXPECT_EQ(view.hints, std::vector<uint32_t>{HINT_COLUMNS});
    layout.Add(12);  // the document keeps its own copy
    ColumnsSeen born = Columns(doc);
    EXPECT_EQ(born.captions, (std::vector<WString>{u"Tattoo", u"Pedigree Registered", u"Date of Birth"}));
    EXPECT_EQ(born.last, 3);
    criteria.m_nType = CRITERIA_PURCHASED;
    EXPECT_EQ(Columns(doc).fields.back(), 5u);
    criteria.m_nType = CRITERIA_BORN;
    EXPECT_EQ(Columns(doc).captions.size(), 3u);

    doc.SetColumns(nullptr);
    EXPECT_EQ(Columns(doc).fields.back(), 4u);
    EXPECT_EQ(Columns(doc).last, 7);
    doc.RemoveView(&view);
}

TEST_F(ShippedBreedInADocument, CountOfAnEmptyFlockAndOfAnimalsWithoutEvents) {
    EXPECT_EQ(doc.CountMatchingSheep(), 0);
    Add(u"A1");
    Add(u"A2", SEX_RAM);
    // On the farm needs an event that brought it; every animal belongs to the whole flock.
    EXPECT_EQ(doc.CountMatchingSheep(), 0);
    doc.GetExtractionCriteria().m_nType = CRITERIA_ALL;
    EXPECT_EQ(doc.CountMatchingSheep(), 2);
    doc.GetExtractionCriteria().m_bEwes = FALSE;
    EXPECT_EQ(doc.CountMatchingSheep(), 1);
}

}  // namespace
