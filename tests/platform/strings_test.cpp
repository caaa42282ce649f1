#include "platform/strings.h"

#include <gtest/gtest.h>

namespace {

struct TextCase {
    CvlStringTable table;
    unsigned id;
    const char16_t* text;
};

const TextCase kTexts[] = {
    {CvlStringTable::Dedov, 1,
     u"This will delete all references to this sheep from the database.\r\n Are you sure you want to "
     u"continue?"},
    {CvlStringTable::Dedov, 2, u"%d days, "},
    {CvlStringTable::Dedov, 6, u"The attribute '%1' is not defined on the object '%2'"},
    {CvlStringTable::Dedov, 40, u"This electronic ID is already in use by %s"},
    {CvlStringTable::Dedov, 65,
     u"The Corvalen failed to connect to an address book and cannot retrieve data. If you contine loading "
     u"this "
     u"file you will not be able to view addresses. Continue loading?"},
    {CvlStringTable::Dedov, 69, u"Error %s\n (%8x)\n%s\nat line %d column %d "},
    {CvlStringTable::Dedov, 110, u"The bounds of a collection have been exceeded"},
    {CvlStringTable::Dedov, 112, u"Failed to initialize the %1 plugin. Please reinstall the Corvalen."},
    {CvlStringTable::Dedov, 142, u"Invalid Zoom size. Please enter a number between 25 and 400%"},
    {CvlStringTable::Dedov, 145,
     u"OLE initialization failed.  Make sure that the OLE libraries are the correct version."},
    {CvlStringTable::Dedov, 156, u"Please enter a number of leave it blank."},
    {CvlStringTable::Dedov, 166,
     u"Text Files (*.txt; *.csv)|*.txt;*.csv|XML Files (*.xml)|*.xml|All Files (*.*)|*.*||"},
    {CvlStringTable::Dedov, 1017, u"No record exists for: %1\nCreate One?"},
    {CvlStringTable::Dedov, 1024, u"Saving"},
    {CvlStringTable::Dedov, 57345, u"For Help, press F1"},
    {CvlStringTable::Dedov, 59135, u" "},
    {CvlStringTable::Wyndrace, 11, u""},
    {CvlStringTable::Wyndrace, 40, u"Do you want to change the EID of %1 to %2?"},
    {CvlStringTable::Wyndrace, 50, u" Map Event Fields"},
    {CvlStringTable::Quillmere, 8, u"Name: %1\r\nSex: %2"},
    {CvlStringTable::Quillmere, 11, u"Ewe"},
    {CvlStringTable::Quillmere, 16, u"Merging data for  %1..."},
    {CvlStringTable::Quillmere, 31, u"Lambed on %s\n%d lamb(s) born"},
};

}  // namespace

TEST(Strings, TextsAreKeptExactlyPerTable) {
    for (const TextCase& c : kTexts) {
        SCOPED_TRACE(testing::Message() << "table " << int(c.table) << " string " << c.id);
        EXPECT_EQ(LoadCvlString(c.table, c.id), WString(c.text));
        EXPECT_EQ(CvlStringExists(c.table, c.id), *c.text != 0);
    }
    EXPECT_EQ(LoadCvlString(110), LoadCvlString(CvlStringTable::Dedov, 110));
}

TEST(Strings, UnknownNumbersGiveEmptyText) {
    for (unsigned id : {0u, 15u, 100000u, ~0u}) EXPECT_EQ(LoadCvlString(id), u"") << id;
    EXPECT_FALSE(CvlStringExists(CvlStringTable::Quillmere, 110));
}

TEST(Strings, EveryTableHasOneNonEmptyTextPerNumber) {
    for (CvlStringTable table :
         {CvlStringTable::Dedov, CvlStringTable::Wyndrace, CvlStringTable::Quillmere}) {
        auto entries = CvlStringTableEntries(table);
        ASSERT_FALSE(entries.empty());
        for (size_t i = 0; i < entries.size(); ++i) {
            EXPECT_FALSE(entries[i].text.empty()) << entries[i].id;
            if (i > 0) {
                EXPECT_LT(entries[i - 1].id, entries[i].id) << "string " << entries[i].id << " given twice";
            }
        }
    }
}

TEST(Strings, TablesKeepTheirOwnTextsUnderTheSameNumber) {
    EXPECT_EQ(LoadCvlString(CvlStringTable::Dedov, 40), u"This electronic ID is already in use by %s");
    EXPECT_EQ(LoadCvlString(CvlStringTable::Wyndrace, 40), u"Do you want to change the EID of %1 to %2?");
    EXPECT_EQ(LoadCvlString(CvlStringTable::Dedov, 10), u"The EID %016I64u is not setup in this file.");
    EXPECT_EQ(LoadCvlString(CvlStringTable::Quillmere, 10), u"Ram");
}

TEST(Strings, FormatSubstitutesNumberedArguments) {
    EXPECT_EQ(FormatCvlString(112, {u"Texel"}),
              u"Failed to initialize the Texel plugin. Please reinstall the Corvalen.");
    EXPECT_EQ(FormatCvlString(1040, {u"UK0123", u"Flock.cvl"}),
              u"The sheep UK0123 already exists in Flock.cvl. Overwrite?");
    EXPECT_EQ(FormatCvlString(59, {u"Weight"}, CvlStringTable::Wyndrace),
              u"Please select Weight's control mapping");
}

TEST(Strings, HelpContexts) {
    EXPECT_EQ(CvlPromptHelpId(40), 0x30028u);
    EXPECT_EQ(CvlPromptHelpId(1045), 0x30415u);
    EXPECT_EQ(CvlControlHelpId(1229), 0x504CDu);
    static_assert(HID_BASE_PROMPT == 0x30000u && HID_BASE_CONTROL == 0x50000u);
}
