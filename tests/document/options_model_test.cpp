// The settings pages' rules without a GUI: General settings in and out, the XML exclusion list, the
// flock's breed, year colours, the ear-tag rebuild and the picture folder list.
#include "document/options_model.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "document/image_folders.h"
#include "document/sheep_doc.h"
#include "platform/settings.h"
#include "records/sheep.h"
#include "support/scripted_host_fixture.h"

namespace {

// Both settings stores in a folder of the test's own.
class ScopedSettings {
public:
    ScopedSettings() {
        char tmpl[] = "/tmp/cvl-options-XXXXXX";
        root = mkdtemp(tmpl);
        setenv("CVL_USER_CONFIG_DIR", (root + "/user").c_str(), 1);
        setenv("CVL_MACHINE_CONFIG_DIR", (root + "/machine").c_str(), 1);
    }
    ~ScopedSettings() {
        unsetenv("CVL_USER_CONFIG_DIR");
        unsetenv("CVL_MACHINE_CONFIG_DIR");
        std::filesystem::remove_all(root);
    }
    std::string root;
};

WString User(const char16_t* name) {
    return CRegistrySettings::GetString(HKEY_CURRENT_USER, u"Settings", name, u"<none>");
}

}  // namespace

TEST(GeneralOptions, StoredValuesInAndOut) {
    ScopedSettings settings;
    // Nothing stored: the defaults.
    CGeneralOptions o = CGeneralOptions::Load(2);
    EXPECT_EQ(o.searchMode, 0u);
    EXPECT_FALSE(o.kilograms);
    EXPECT_EQ(o.view, u"Record");
    EXPECT_EQ(o.defaultPath, u"");
    EXPECT_TRUE(o.tooltips);

    const struct {
        const char16_t* unit;
        bool kilograms;
        const char16_t* written;
    } units[] = {{u"LB", false, u"lb"}, {u"lb", false, u"lb"}, {u"kg", true, u"kg"}, {u"stone", true, u"kg"}};
    for (const auto& u : units) {
        CRegistrySettings::SetString(HKEY_CURRENT_USER, u"Settings", u"Unit", u.unit);
        CGeneralOptions loaded = CGeneralOptions::Load(2);
        EXPECT_EQ(loaded.kilograms, u.kilograms) << WToUtf8(u.unit);
        loaded.Store();
        EXPECT_EQ(User(u"Unit"), WString(u.written)) << WToUtf8(u.unit);
    }

    // A search mode outside the three is written back as it was; the decimal places are the ones given.
    CRegistrySettings::SetDWord(HKEY_CURRENT_USER, u"Settings", u"Search Mode", 7);
    CRegistrySettings::SetDWord(HKEY_CURRENT_USER, u"Settings", u"Tooltips", 0);
    CRegistrySettings::SetString(HKEY_CURRENT_USER, u"Settings", u"Default Path", u"/farm");
    o = CGeneralOptions::Load(3);
    EXPECT_EQ(o.searchMode, 7u);
    EXPECT_EQ(o.decimalPlaces, 3);
    EXPECT_FALSE(o.tooltips);
    o.view = u"Flock";
    o.Store();
    EXPECT_EQ(CRegistrySettings::GetDWord(HKEY_CURRENT_USER, u"Settings", u"Search Mode", 0), 7u);
    EXPECT_EQ(CRegistrySettings::GetDWord(HKEY_CURRENT_USER, u"Settings", u"Decimal Places", 0), 3u);
    EXPECT_EQ(User(u"View"), u"Flock");
    EXPECT_EQ(User(u"Default Path"), u"/farm");

    for (int places : {-1, 4}) EXPECT_FALSE(CGeneralOptions::IsValidDecimalPlaces(places));
    for (int places : {0, 3}) EXPECT_TRUE(CGeneralOptions::IsValidDecimalPlaces(places));
}

TEST(XmlExclusions, UncheckedIdsInListOrderAndUnlistedStoredIdsKept) {
    const std::vector<std::pair<WString, int32_t>> events = {
        {u"Purchase", 1}, {u"Weigh", 3}, {u"Dose", 5}, {u"Sold", 17}, {u"Died", 2}};
    const struct {
        const char16_t* stored;
        std::vector<int32_t> uncheck;  // ids the user unchecks as well
        std::vector<int32_t> recheck;  // ids the user checks again
        const char16_t* expected;
    } cases[] = {
        {u"3,17", {}, {}, u"3,17"},
        {u"3,17", {5}, {}, u"3,5,17"},  // list order: 3 and 5 come before 17
        {u"", {}, {}, u""},
        {u"3,17", {}, {3, 17}, u""},
        {u"3,99,17", {}, {}, u"3,17,99"},  // 99 is no event the breed lists now: it stays
        {u"99", {2}, {}, u"2,99"},
    };
    for (const auto& c : cases) {
        std::vector<CXmlEventItem> items = BuildXmlEventItems(c.stored, events);
        ASSERT_EQ(items.size(), events.size());
        for (auto& item : items) {
            if (std::find(c.uncheck.begin(), c.uncheck.end(), item.id) != c.uncheck.end())
                item.checked = false;
            if (std::find(c.recheck.begin(), c.recheck.end(), item.id) != c.recheck.end())
                item.checked = true;
        }
        EXPECT_EQ(ComposeExcludedEvents(items, c.stored), WString(c.expected)) << WToUtf8(c.stored);
    }
    // Only the excluded ones start unchecked.
    const auto items = BuildXmlEventItems(u"3,17", events);
    EXPECT_TRUE(items[0].checked);
    EXPECT_FALSE(items[1].checked);
    EXPECT_FALSE(items[3].checked);
}

class DocOptionsTest : public ::testing::Test {
protected:
    void Add(const char16_t* tattoo, const char16_t* colour, const char16_t* number) {
        auto* sheep = new CSheep(tattoo, 0, nullptr);
        sheep->StoreEarTag(colour, number);
        ASSERT_GE(doc.AddSheep(sheep, false), 0);
    }
    CScopedScriptedHost host;
    CSheepDoc doc;
};

TEST_F(DocOptionsTest, BreedChangesOnlyWhileTheFlockIsEmpty) {
    doc.SetAttribute(0, u"Texel");
    EXPECT_TRUE(CFarmDetails::CanChangeBreed(doc, u"Suffolk"));
    Add(u"A1", u"R", u"1");
    EXPECT_FALSE(CFarmDetails::CanChangeBreed(doc, u"Suffolk"));
    EXPECT_TRUE(CFarmDetails::CanChangeBreed(doc, u"Texel"));

    CFarmDetails details = CFarmDetails::Load(doc);
    details.address = u"Home Farm\r\nHill Road";
    details.fax = u"";
    doc.SetModifiedFlag(false);
    details.Store(doc);
    EXPECT_EQ(doc.GetDocString(1), u"Home Farm\r\nHill Road");
    EXPECT_EQ(doc.GetDocString(0), u"Texel");
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(DocOptionsTest, YearColoursTypedAndPicked) {
    // No colours yet: a year typed is added bare, its colour then fills the entry.
    CEartagOptions page;
    page.Load(doc, u"2026");
    EXPECT_TRUE(page.Entries().empty());
    EXPECT_TRUE(page.YearEntered(u"2025"));
    EXPECT_EQ(page.Entries(), std::vector<WString>{u"2025"});
    EXPECT_TRUE(page.IsColourEditable());
    page.ColourEntered(u"2025", u"Red");
    EXPECT_EQ(page.Entries(), std::vector<WString>{u"2025\tRed"});
    EXPECT_FALSE(page.IsColourEditable());
    EXPECT_FALSE(page.YearEntered(u"2025")) << "a listed year is not added again";
    page.m_strMask = u"%y-###";
    page.Store(doc, u"2025", u"Red");
    EXPECT_EQ(doc.GetStores().YearColours(), (std::map<WString, WString>{{u"2025", u"Red"}}));
    EXPECT_EQ(doc.GetDocString(4), u"%y-###");

    // With colours stored (2025 stays beside these), the current year's colour shows and its entry is
    // selected.
    doc.SetEartagColourMap({{u"2024", u"Blue"}, {u"2026", u"Green"}});
    CEartagOptions again;
    again.Load(doc, u"2026");
    EXPECT_EQ(again.GetColour(), u"Green");
    EXPECT_EQ(again.GetSelection(), 2);
    again.SelectEntry(0, u"2026", u"Green");
    EXPECT_EQ(again.GetYear(), u"2024");
    EXPECT_EQ(again.GetColour(), u"Blue");
    // A year typed with a colour but never confirmed is stored on OK.
    again.Store(doc, u"2027", u"Yellow");
    EXPECT_EQ(doc.GetStores().YearColours().at(u"2027"), u"Yellow");
    EXPECT_EQ(doc.GetStores().YearColours().size(), 4u);
}

TEST_F(DocOptionsTest, RebuildingAnIndexThatMatchesLeavesTheDocumentUnmodified) {
    Add(u"A1", u"Red", u"7");
    Add(u"B2", u"Red", u"3");
    doc.SetModifiedFlag(false);
    EXPECT_FALSE(RebuildEartagList(doc));
    EXPECT_FALSE(doc.IsModified());

    // An index that lost an entry is rebuilt from the animals.
    std::vector<CEarTagHashEntry> entries = doc.GetEarTagIndex().Entries();
    entries.pop_back();
    const_cast<CEarTagIndex&>(doc.GetEarTagIndex()).Assign(entries);
    EXPECT_TRUE(RebuildEartagList(doc));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.GetEarTagIndex().GetCount(), 2);
}

TEST(ImageFolders, ListEdits) {
    const std::string existing = std::filesystem::temp_directory_path().string();
    const WString here = Utf8ToW(existing);
    const WString missing = u"/no/such/folder";
    struct Step {
        const char* what;
        std::function<void(CImageFolderList&)> act;
        std::vector<WString> entries;
    };
    const auto refuse = [](const WString&) { return false; };
    const auto accept = [](const WString&) { return true; };
    const std::vector<Step> steps = {
        {"new, nothing typed, Enter: the empty entry goes",
         [&](CImageFolderList& l) {
             l.New();
             l.EndEdit(u"", refuse);
         },
         {u"/pics", here}},
        {"new with a missing folder refused: not kept empty",
         [&](CImageFolderList& l) {
             l.New();
             l.EndEdit(missing, refuse);
         },
         {u"/pics", here}},
        {"a missing folder the user keeps",
         [&](CImageFolderList& l) {
             l.New();
             l.EndEdit(missing + u"/", accept);
         },
         {u"/pics", here, missing}},
        {"editing an entry to a missing folder refused keeps its text",
         [&](CImageFolderList& l) {
             l.BeginEdit(1);
             l.EndEdit(missing, refuse);
         },
         {u"/pics", here, missing}},
        {"down on the last does nothing",
         [&](CImageFolderList& l) {
             l.Select(2);
             EXPECT_FALSE(l.MoveDown());
         },
         {u"/pics", here, missing}},
        {"up moves and follows",
         [&](CImageFolderList& l) {
             l.Select(2);
             EXPECT_TRUE(l.MoveUp());
             EXPECT_EQ(l.GetSelection(), 1);
         },
         {u"/pics", missing, here}},
        {"up on the first does nothing",
         [&](CImageFolderList& l) {
             l.Select(0);
             EXPECT_FALSE(l.MoveUp());
         },
         {u"/pics", missing, here}},
        {"a delete during an edit acts on the list as it stands, not the half-typed entry",
         [&](CImageFolderList& l) {
             l.New();
             l.Select(0);
             EXPECT_TRUE(l.Delete());
             EXPECT_FALSE(l.IsEditing());
         },
         {missing, here}},
    };
    CImageFolderList list({u"/pics/", here + u"/"});
    EXPECT_EQ(list.Entries(), (std::vector<WString>{u"/pics", here})) << "trailing separators are not shown";
    for (const Step& step : steps) {
        step.act(list);
        EXPECT_EQ(list.Entries(), step.entries) << step.what;
    }
    EXPECT_EQ(list.Result(), (std::vector<WString>{missing, here}));

    CImageFolderList empty({});
    EXPECT_FALSE(empty.Delete());
    EXPECT_TRUE(empty.Result().empty());
    EXPECT_TRUE(CImageFolderList::FolderExists(here));
    EXPECT_FALSE(CImageFolderList::FolderExists(missing));
    EXPECT_FALSE(CImageFolderList::FolderExists(u"")) << "an empty entry is never the filesystem's root";
}
