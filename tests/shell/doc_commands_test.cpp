#include "document/doc_commands.h"

#include <gtest/gtest.h>

#include "document/reader_manager.h"
#include "document/sheep_doc.h"
#include "platform/archive.h"
#include "platform/settings.h"
#include "records/address.h"
#include "records/criteria.h"
#include "records/event.h"
#include "records/sheep.h"
#include "support/shell_fixture.h"
#include "support/scripted_host_fixture.h"

namespace {

class CHintSpy : public CDocView {
public:
    void OnUpdate(CDocView*, uint32_t hint, CObject*) override { hints.push_back(hint); }
    std::vector<uint32_t> hints;
};

CSheep* MakeSheep(CSheepDoc& doc, const char16_t* tattoo, const char16_t* name = u"") {
    auto* sheep = new CSheep(tattoo, SEX_EWE, &doc);
    sheep->SetName(name);
    return sheep;
}

void AddFlock(CSheepDoc& doc, std::initializer_list<const char16_t*> keys) {
    for (const char16_t* key : keys) ASSERT_GE(doc.AddSheep(MakeSheep(doc, key), false), 0);
}

std::vector<uint8_t> ArchiveOf(CSheep& sheep) {
    std::vector<uint8_t> bytes;
    CArchive ar(bytes, CArchive::store);
    sheep.Serialize(ar);
    return bytes;
}

// A block as copies make it: a description, the count, each animal's archive form.
std::vector<uint8_t> SheepBlock(CSheepDoc& from, std::initializer_list<const char16_t*> keys) {
    std::vector<uint8_t> block;
    CArchive ar(block, CArchive::store);
    ar << WStringView(u"source") << uint32_t(keys.size());
    for (const char16_t* key : keys) from.FindSheep(key)->Serialize(ar);
    return block;
}

class DocCommandsTest : public ::testing::Test {
protected:
    CTestFolders folders;
    CScopedScriptedHost host;
};

}  // namespace

TEST_F(DocCommandsTest, EnablingFollowsTheFlockAndTheCurrentAnimal) {
    CSheepDoc empty;
    CSheepDoc doc;
    AddFlock(doc, {u"A1", u"B2", u"C3"});
    struct Case {
        int command;
        int current;  // -2: the empty document
        bool enabled;
    } cases[] = {
        {ID_FILTER_RAMS, -2, false},  {ID_FILTER_LAMBS, -2, false},  {ID_EXTRACT_TYPE, -2, false},
        {ID_EXTRACT_YEAR, -2, false}, {ID_EXTRACT_DATE, -2, false},  {ID_SHEEP_GOTO, -2, false},
        {ID_SHEEP_FIRST, -2, false},  {ID_SHEEP_LAST, -2, false},    {ID_SHEEP_ADD, -2, true},
        {ID_OPTIONS_FARM, -2, true},  {ID_EID_DOWNLOAD, -2, false},  {ID_FILE_PAGE_SETUP, -2, true},
        {ID_FILTER_EWES, -1, true},   {ID_EXTRACT_TYPE, -1, true},   {ID_SHEEP_GOTO, -1, true},
        {ID_SHEEP_FIRST, 0, false},   {ID_SHEEP_PREVIOUS, 0, false}, {ID_SHEEP_NEXT, 0, true},
        {ID_SHEEP_LAST, 0, true},     {ID_SHEEP_FIRST, 1, true},     {ID_SHEEP_NEXT, 1, true},
        {ID_SHEEP_NEXT, 2, false},    {ID_SHEEP_LAST, 2, false},     {ID_SHEEP_PREVIOUS, 2, true},
        {ID_SHEEP_FIRST, -1, true},   {ID_SHEEP_LAST, -1, true},     {ID_SHEEP_SIGNET, 1, false},
        {ID_FILE_UPLOAD, 1, false},
    };
    for (const Case& c : cases) {
        CSheepDoc& target = c.current == -2 ? empty : doc;
        if (c.current != -2) doc.SelectSheepAt(c.current, false, false, nullptr);
        const CCommandState state = GetDocCommandState(target, c.command);
        EXPECT_TRUE(state.handled) << c.command;
        EXPECT_EQ(state.enabled, c.enabled) << "command " << c.command << " current " << c.current;
    }
    EXPECT_FALSE(GetDocCommandState(doc, ID_SHEEP_ADD + 1000).handled);
    // Download waits for a reader that can download; none is set up here.
    EXPECT_EQ(CvlGetReaderManager() ? CvlGetReaderManager()->GetSupportedModes() & EID_MODE_DOWNLOAD : 0u, 0u);
}

TEST_F(DocCommandsTest, UploadNeedsTheServiceAddress) {
    CSheepDoc doc;
    EXPECT_FALSE(GetDocCommandState(doc, ID_FILE_UPLOAD).enabled);
    ASSERT_TRUE(
        CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Settings", u"SheepSyncURL", u"https://x.test"));
    EXPECT_TRUE(GetDocCommandState(doc, ID_FILE_UPLOAD).enabled);
}

TEST_F(DocCommandsTest, SignetAveragesNeedABirthDateAndTheBreedsAnswer) {
    CSheepDoc doc;
    AddFlock(doc, {u"A1"});
    doc.SelectSheepAt(0, false, false, nullptr);
    COleDateTime born;
    born.SetDate(2020, 4, 1);
    doc.GetSheepAt(0)->SetFieldValue(SF_DATE_OF_BIRTH, &born);
    // No breed plug-in answers that it was born here.
    EXPECT_FALSE(GetDocCommandState(doc, ID_SHEEP_SIGNET).enabled);
}

TEST_F(DocCommandsTest, FilterSwitchesToggleTheCriteriaAndRefreshTheShownSet) {
    CSheepDoc doc;
    AddFlock(doc, {u"A1"});
    CHintSpy spy;
    doc.AddView(&spy);
    const int commands[] = {ID_FILTER_RAMS, ID_FILTER_EWES, ID_FILTER_ADULTS, ID_FILTER_SHEARLINGS,
                            ID_FILTER_LAMBS};
    for (int command : commands) {
        EXPECT_TRUE(GetDocCommandState(doc, command).checked);
        ToggleFilter(doc, command);
        EXPECT_FALSE(GetDocCommandState(doc, command).checked);
    }
    const CCriteria& criteria = doc.GetExtractionCriteria();
    EXPECT_FALSE(criteria.m_bRams || criteria.m_bEwes || criteria.m_bAdults || criteria.m_bShearlings ||
                 criteria.m_bLambs);
    EXPECT_EQ(spy.hints, std::vector<uint32_t>(5, HINT_SHEEP_SET));
    ToggleFilter(doc, ID_FILTER_EWES);
    EXPECT_TRUE(criteria.m_bEwes);
    doc.RemoveView(&spy);
}

TEST_F(DocCommandsTest, NavigationTargets) {
    struct Case {
        int command, current, count, target;
    } cases[] = {
        {ID_SHEEP_FIRST, 2, 5, 0},     {ID_SHEEP_LAST, 0, 5, 4},     {ID_SHEEP_NEXT, 1, 5, 2},
        {ID_SHEEP_NEXT, 4, 5, -1},     {ID_SHEEP_PREVIOUS, 3, 5, 2}, {ID_SHEEP_PREVIOUS, 0, 5, -1},
        {ID_SHEEP_PREVIOUS, -1, 5, 4}, {ID_SHEEP_NEXT, -1, 5, 0},    {ID_SHEEP_FIRST, -1, 0, -1},
        {ID_GO_BACK, 1, 5, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetNavigationTarget(c.command, c.current, c.count), c.target)
            << c.command << " from " << c.current << " of " << c.count;
}

TEST_F(DocCommandsTest, MovingPushesTheHistory) {
    CSheepDoc doc;
    AddFlock(doc, {u"A1", u"B2", u"C3"});
    CHintSpy spy;
    doc.AddView(&spy);
    doc.SelectSheepAt(0, false, false, nullptr);
    EXPECT_TRUE(MoveToSheep(doc, ID_SHEEP_LAST, true));
    EXPECT_EQ(doc.GetCurrentIndex(), 2);
    EXPECT_FALSE(MoveToSheep(doc, ID_SHEEP_NEXT, true));
    EXPECT_TRUE(MoveToSheep(doc, ID_SHEEP_PREVIOUS, true));
    EXPECT_EQ(doc.GetCurrentKey(), u"B2");
    EXPECT_EQ(spy.hints, (std::vector<uint32_t>{HINT_CURRENT, HINT_CURRENT}));
    // The history holds the animals left: the first and the last.
    EXPECT_EQ(doc.GetHistory().Entries(), (std::vector<int>{0, 2}));
    doc.OnGoBack();
    EXPECT_EQ(doc.GetCurrentIndex(), 2);
    EXPECT_FALSE(GetDocCommandState(doc, ID_GO_BACK).enabled);
    EXPECT_TRUE(GetDocCommandState(doc, ID_GO_FORWARD).enabled);
    doc.RemoveView(&spy);
}

TEST_F(DocCommandsTest, ADocumentNamesTheClipboardFormats) {
    CSheepDoc doc;
    EXPECT_EQ(GetSheepClipboardFormat(), u"Corvalen Records");
    EXPECT_EQ(GetAddressClipboardFormat(), u"Corvalen Address Record");
}

TEST_F(DocCommandsTest, PastedAnimalsEqualTheCopiesWithTheirEventsAndAreFiled) {
    CSheepDoc source;
    CSheep* ewe = MakeSheep(source, u"UK1", u"Mabel");
    COleDateTime bought;
    bought.SetDate(2021, 5, 3);
    ASSERT_TRUE(ewe->AddEvent(new CEvent(bought, 1, u"Market", u"120"), false));
    ewe->AddEvent(new CEvent(bought + COleDateTimeSpan(30, 0, 0, 0), 4, u"55"), false);
    ASSERT_GE(source.AddSheep(ewe, false), 0);
    ewe->SetEartagColour(u"Red");
    ewe->SetEartagNumber(u"17");
    ewe->SetElectronicID(826000000000017);
    ASSERT_GE(source.AddSheep(MakeSheep(source, u"UK2", u"Ivy"), false), 0);

    CSheepDoc target;
    CHintSpy spy;
    target.AddView(&spy);
    EXPECT_EQ(PasteSheepBlock(target, SheepBlock(source, {u"UK1", u"UK2"})), 2);
    ASSERT_EQ(target.GetSheepCount(), 2);
    for (const char16_t* key : {u"UK1", u"UK2"}) {
        CSheep* copy = target.FindSheep(key);
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(ArchiveOf(*copy), ArchiveOf(*source.FindSheep(key))) << WToUtf8(key);
        for (int i = 0; i < copy->GetEventCount(); ++i) EXPECT_EQ(copy->GetEventAt(i)->GetOwner(), copy);
    }
    EXPECT_EQ(target.FindSheep(u"UK1")->GetEventCount(), 2);
    int first = -1, count = 0;
    EXPECT_TRUE(target.FindEarTagRange(u"Red", u"17", &first, &count));
    EXPECT_EQ(count, 1);
    WString tattoo;
    EXPECT_TRUE(target.LookupTattooByEID(826000000000017, &tattoo));
    EXPECT_EQ(tattoo, u"UK1");
    EXPECT_EQ(target.GetCurrentIndex(), -1);
    EXPECT_EQ(spy.hints, std::vector<uint32_t>{HINT_SHEEP_SET});
    target.RemoveView(&spy);
}

TEST_F(DocCommandsTest, AnAnimalAlreadyThereIsAskedForAndARefusalKeepsTheOthers) {
    CSheepDoc source;
    AddFlock(source, {u"A1", u"B2", u"C3"});
    source.FindSheep(u"B2")->SetName(u"pasted");
    CSheepDoc target;
    ASSERT_GE(target.AddSheep(MakeSheep(target, u"B2", u"kept"), false), 0);
    host.Reply(1040, IDNO);
    EXPECT_EQ(PasteSheepBlock(target, SheepBlock(source, {u"A1", u"B2", u"C3"})), 2);
    EXPECT_EQ(target.GetSheepCount(), 3);
    EXPECT_EQ(target.FindSheep(u"B2")->GetName(), u"kept");
    EXPECT_EQ(host.MessageIds(), std::vector<unsigned>{1040});

    host.Reply(1040, IDYES);
    EXPECT_EQ(PasteSheepBlock(target, SheepBlock(source, {u"B2"})), 1);
    EXPECT_EQ(target.FindSheep(u"B2")->GetName(), u"pasted");
}

TEST_F(DocCommandsTest, PastedAnimalsKeepNoEIDThatAnotherAnimalHolds) {
    CSheepDoc source;
    AddFlock(source, {u"A1", u"B2", u"C3"});
    source.FindSheep(u"A1")->SetElectronicID(41);
    source.FindSheep(u"B2")->SetElectronicID(42);
    source.FindSheep(u"C3")->SetElectronicID(43);
    CSheepDoc target;
    AddFlock(target, {u"X9"});
    target.FindSheep(u"X9")->SetElectronicID(42);
    EXPECT_EQ(PasteSheepBlock(target, SheepBlock(source, {u"A1", u"B2", u"C3"})), 3);
    EXPECT_EQ(target.FindSheep(u"B2")->GetElectronicID(), 0u);
    EXPECT_EQ(target.FindSheep(u"A1")->GetElectronicID(), 41u);
    WString holder;
    ASSERT_TRUE(target.LookupTattooByEID(42, &holder));
    EXPECT_EQ(holder, u"X9");
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_NE(host.Messages()[0].text.find(u"B2: 0000000000000042 (X9)"), WString::npos);

    // Deleting the one that came in leaves the holder found by its EID.
    int index = 0;
    ASSERT_TRUE(target.FindSheepIndex(u"B2", &index));
    target.DeleteSheep(index);
    ASSERT_TRUE(target.LookupTattooByEID(42, &holder));
    EXPECT_EQ(holder, u"X9");
}

TEST_F(DocCommandsTest, ADamagedBlockKeepsWhatCameBeforeAndTellsTheViews) {
    CSheepDoc source;
    AddFlock(source, {u"A1", u"B2", u"C3"});
    std::vector<uint8_t> block = SheepBlock(source, {u"A1", u"B2", u"C3"});
    block.resize(block.size() - 10);
    CSheepDoc target;
    CHintSpy spy;
    target.AddView(&spy);
    EXPECT_THROW(PasteSheepBlock(target, block), CArchiveException);
    EXPECT_EQ(target.GetSheepCount(), 2);
    EXPECT_NE(target.FindSheep(u"B2"), nullptr);
    EXPECT_EQ(spy.hints, std::vector<uint32_t>{HINT_SHEEP_SET});

    // A count larger than what follows is damage too.
    std::vector<uint8_t> empty;
    CArchive ar(empty, CArchive::store);
    ar << WStringView(u"x") << uint32_t(1000000);
    EXPECT_THROW(PasteSheepBlock(target, empty), CArchiveException);
    EXPECT_EQ(target.GetSheepCount(), 2);
    target.RemoveView(&spy);
}

TEST_F(DocCommandsTest, AddressesArePastedUnderTheirNames) {
    std::vector<uint8_t> block;
    {
        CArchive ar(block, CArchive::store);
        ar << WStringView(u"Addresses") << uint32_t(2);
        auto market = MakeRef<CLocalAddress>(u"Market");
        market->SetAddress(u"1 High Street");
        auto vet = MakeRef<CLocalAddress>(u"Vet");
        vet->SetAddress(u"Surgery");
        ar.WriteObject(market.Get());
        ar.WriteObject(vet.Get());
    }
    CSheepDoc doc;
    auto old = MakeRef<CLocalAddress>(u"Vet");
    old->SetAddress(u"Old surgery");
    ASSERT_TRUE(doc.ReplaceAddress(u"Vet", old));
    host.Reply(123, IDNO);
    EXPECT_EQ(PasteAddressBlock(doc, block), 1);
    ASSERT_NE(doc.LookupAddress(u"Market"), nullptr);
    EXPECT_EQ(doc.LookupAddress(u"Market")->GetAddress(), u"1 High Street");
    EXPECT_EQ(doc.LookupAddress(u"Vet")->GetAddress(), u"Old surgery");
}
