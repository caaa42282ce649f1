#include "records/lambing.h"

#include <gtest/gtest.h>

#include "support/attached_records.h"

using namespace r2;

namespace {

// 2003-07-15 06:00, 2003-06-28 12:00, 2003-07-15, 2003-07-16 18:00.
constexpr double kEdited = 37817.25, kCreated = 37800.5, kDay = 37817.0, kLambEdited = 37818.75;

CRefPtr<CEweLambingData> MakeLambing() {
    auto rec = MakeRef<CEweLambingData>();
    rec->StoreComments(u"Twins");
    rec->StoreTup(u"R7");
    rec->StoreMethod(LAMBING_NORMAL);
    rec->StoreDate(COleDateTime(kDay));
    rec->SetEdited(COleDateTime(kEdited));
    rec->SetCreated(COleDateTime(kCreated));
    auto a = MakeRef<CLambData>(u"L1");
    a->SetAll(u"L1", 1, u"", u"4.5");
    a->SetEdited(COleDateTime(kLambEdited));
    a->SetCreated(COleDateTime(kDay));
    auto b = MakeRef<CLambData>(u"L2");
    b->SetEdited(COleDateTime::Null());
    b->SetCreated(COleDateTime(kDay));
    rec->AddLamb(a);
    rec->AddLamb(b);
    return rec;
}

// Edited, Created, Comments, Tup, Method, Date, then the lambs as an object array; each lamb is
// Edited, Created, Tattoo, BirthWeight, Comments, Sex.
const char* const kLambingBytes =
    "00000000 0000000028 77E240"         // Edited: valid 37817.25
    "00000000 0000000010 75E240"         // Created: valid 37800.5
    "FFFEFF 05 5400770069006E007300"     // "Twins"
    "FFFEFF 02 52003700"                 // "R7"
    "01000000"                           // Method 1
    "00000000 0000000020 77E240"         // Date: valid 37817
    "0200"                               // two lambs
    "FFFF 0100 0900 434C616D6244617461"  // new class CLambData, schema 1
    "00000000 0000000058 77E240"         // Edited 37818.75
    "00000000 0000000020 77E240"         // Created 37817
    "FFFEFF 02 4C003100"                 // "L1"
    "FFFEFF 03 34002E003500"             // "4.5"
    "FFFEFF 00"                          // no comments
    "01000000"                           // Ram
    "0180"                               // class CLambData again (index 1)
    "02000000 0000000000000000"          // Edited: null, 0.0
    "00000000 0000000020 77E240"         // Created 37817
    "FFFEFF 02 4C003200"                 // "L2"
    "FFFEFF 00 FFFEFF 00"                // no weight, no comments
    "FFFFFFFF";                          // Sex not set

}  // namespace

TEST(LambingArchive, StoresTheFieldsInTheirFileOrder) {
    auto rec = MakeLambing();
    EXPECT_EQ(ToHex(Store(*rec)), ToHex(Hex(kLambingBytes)));
}

TEST(LambingArchive, LoadsWhatItStoresAndKeepsTheLambsInOrder) {
    CEweLambingData rec;
    Load(rec, Hex(kLambingBytes));
    EXPECT_EQ(rec.GetComments(), u"Twins");
    EXPECT_EQ(rec.GetTup(), u"R7");
    EXPECT_EQ(rec.GetMethod(), LAMBING_NORMAL);
    EXPECT_EQ(rec.GetDate().m_dt, kDay);
    EXPECT_EQ(rec.GetEdited().m_dt, kEdited);
    EXPECT_EQ(rec.GetCreated().m_dt, kCreated);
    ASSERT_EQ(rec.GetLambCount(), 2);
    EXPECT_EQ(rec.GetLambAt(0)->GetTattoo(), u"L1");
    EXPECT_EQ(rec.GetLambAt(0)->GetBirthWeight(), u"4.5");
    EXPECT_EQ(rec.GetLambAt(0)->GetSex(), 1);
    EXPECT_EQ(rec.GetLambAt(1)->GetTattoo(), u"L2");
    EXPECT_EQ(rec.GetLambAt(1)->GetEdited().GetStatus(), COleDateTime::null);
    EXPECT_EQ(rec.GetLambAt(1)->GetSex(), LAMB_SEX_NOT_SET);
    EXPECT_EQ(ToHex(Store(rec)), ToHex(Hex(kLambingBytes)));
}

TEST(LambingArchive, ShortInputThrows) {
    auto bytes = Hex(kLambingBytes);
    bytes.resize(bytes.size() - 3);
    CEweLambingData rec;
    EXPECT_THROW(Load(rec, bytes), CArchiveException);
}

TEST(LambingSetters, ReportAndStampOnlyRealChanges) {
    CEweLambingData rec;
    const COleDateTime old(1000.0);
    auto reset = [&] { rec.SetEdited(old); };

    reset();
    EXPECT_FALSE(rec.SetDate(COleDateTime::Null()));  // null on null
    EXPECT_EQ(rec.GetEdited(), old);
    EXPECT_TRUE(rec.SetDate(COleDateTime(kDay)));
    EXPECT_NE(rec.GetEdited(), old);

    reset();
    EXPECT_FALSE(rec.SetDate(COleDateTime(kDay)));
    EXPECT_EQ(rec.GetEdited(), old);
    COleDateTime bad(kDay);
    bad.SetStatus(COleDateTime::invalid);
    EXPECT_TRUE(rec.SetDate(bad));
    reset();
    EXPECT_TRUE(rec.SetDate(bad));  // two invalid dates never compare equal
    EXPECT_NE(rec.GetEdited(), old);

    rec.StoreTup(u"ab12");
    reset();
    EXPECT_FALSE(rec.SetTup(u"ab12"));
    EXPECT_EQ(rec.GetEdited(), old);
    EXPECT_TRUE(rec.SetTup(u"AB12"));  // case counts
    EXPECT_NE(rec.GetEdited(), old);

    reset();
    EXPECT_FALSE(rec.SetMethod(LAMBING_TUPPED));
    EXPECT_TRUE(rec.SetMethod(LAMBING_FAILED));
    reset();
    EXPECT_FALSE(rec.SetComments(u""));
    EXPECT_EQ(rec.GetEdited(), old);
    EXPECT_TRUE(rec.SetComments(u"x"));
    EXPECT_NE(rec.GetEdited(), old);
}

TEST(LambingRecord, NewRecordDefaults) {
    CEweLambingData rec;
    EXPECT_EQ(rec.GetMethod(), LAMBING_TUPPED);
    EXPECT_EQ(rec.GetDate().GetStatus(), COleDateTime::null);
    EXPECT_EQ(rec.GetEdited().GetStatus(), COleDateTime::null);
    EXPECT_EQ(rec.GetCreated().GetStatus(), COleDateTime::valid);
    CLambData lamb;
    EXPECT_EQ(lamb.GetSex(), LAMB_SEX_NOT_SET);
    EXPECT_EQ(lamb.GetEdited().GetStatus(), COleDateTime::null);
    EXPECT_EQ(lamb.GetCreated().GetStatus(), COleDateTime::valid);
}

TEST(LambingRecord, AssignmentCopiesTheLambsDeeply) {
    auto src = MakeLambing();
    CEweLambingData copy;
    copy.AddLamb(MakeRef<CLambData>(u"OLD"));
    copy = *src;
    ASSERT_EQ(copy.GetLambCount(), 2);
    EXPECT_NE(copy.GetLambAt(0), src->GetLambAt(0));
    copy.GetLambAt(0)->SetTattoo(u"CHANGED");
    EXPECT_EQ(src->GetLambAt(0)->GetTattoo(), u"L1");
    CEweLambingData copied(*src);
    EXPECT_EQ(ToHex(Store(copied)), ToHex(Store(*src)));
}

TEST(LambingRecord, RemovedLambsAreDetachedForClientsStillHoldingThem) {
    auto rec = MakeLambing();
    CRefPtr<CLambData> held(rec->GetLambAt(1));
    rec->RemoveLambAt(1);
    EXPECT_EQ(rec->GetLambCount(), 1);
    EXPECT_TRUE(held->IsDetached());
    CRefPtr<CLambData> first(rec->GetLambAt(0));
    rec.Reset();
    EXPECT_TRUE(first->IsDetached());
}

// The Lambing page's details: the lambing by its method (the comment after a lambing), or a lamb.
TEST(LambingRecord, DescribesItsTreeItems) {
    auto rec = MakeLambing();
    struct Case {
        int32_t method;
        const char16_t* text;
    };
    for (const Case& c :
         {Case{LAMBING_TUPPED, u"Tupped by R7"},
          Case{LAMBING_NORMAL, u"Lambed normally on 15/07/2003\r\nTupped by R7\r\nComment: Twins"},
          Case{LAMBING_CESARIAN, u"Lambed by cesarian on 15/07/2003\r\nTupped by R7\r\nComment: Twins"},
          Case{LAMBING_FAILED, u"Failed to lamb"}, Case{9, u"Corrupted Data"}}) {
        rec->StoreMethod(c.method);
        EXPECT_EQ(rec->DescribeTreeItem(true, -1), c.text) << c.method;
    }
    rec->StoreComments(u"");
    rec->StoreMethod(LAMBING_NORMAL);
    EXPECT_EQ(rec->DescribeTreeItem(true, -1), u"Lambed normally on 15/07/2003\r\nTupped by R7\r\n");
    EXPECT_EQ(rec->DescribeTreeItem(false, 0), u"Tattoo: L1\r\nSex: Ram\r\nBirth Weight: 4.5\r\nComment: ");
    EXPECT_EQ(rec->DescribeTreeItem(false, 5), u"");
}

TEST(LambingXml, WritesTheElementExactly) {
    ScopedTimeZone tz("UTC0");
    auto rec = MakeLambing();
    rec->StoreTup(u"R<7>&");
    rec->StoreComments(u"a ]]> b");
    rec->GetLambAt(1)->SetComments(u"weak \u00e9");
    rec->GetLambAt(1)->SetEdited(COleDateTime::Null());
    EXPECT_EQ(
        rec->WriteXML(),
        "<LambingData Method=\"Normal\" Created=\"2003-06-28T12:00:00\" Edited=\"2003-07-15T06:00:00\">\r\n"
        "<Date>2003-07-15</Date>\r\n"
        "<Tup>R&lt;7&gt;&amp;</Tup>\r\n"
        "<Comment><![CDATA[a ]]]]><![CDATA[> b]]></Comment>\r\n"
        "<Lamb Sex=\"Ram\"  Created=\"2003-07-15T00:00:00\" Edited=\"2003-07-16T18:00:00\" "
        "Weight=\"4.5\">\r\n"
        "<LambTattoo>L1</LambTattoo>\r\n"
        "</Lamb>\r\n"
        "<Lamb Sex=\"Ewe\"  Created=\"2003-07-15T00:00:00\">\r\n"
        "<LambTattoo>L2</LambTattoo>\r\n"
        "<Comment><![CDATA[weak \xC3\xA9]]></Comment>\r\n"
        "</Lamb>\r\n"
        "</LambingData>\r\n");
}

TEST(LambingXml, UndatedRecordWithUnknownMethodLeavesOutDateAndWord) {
    ScopedTimeZone tz("UTC0");
    CEweLambingData rec;
    rec.StoreMethod(7);
    rec.SetCreated(COleDateTime(kCreated));
    rec.SetEdited(COleDateTime(kEdited));
    EXPECT_EQ(rec.WriteXML(),
              "<LambingData Method=\"\" Created=\"2003-06-28T12:00:00\" Edited=\"2003-07-15T06:00:00\">\r\n"
              "</LambingData>\r\n");
}

TEST(LambingXml, ReadsBackWhatItWrites) {
    ScopedTimeZone tz("Europe/London");
    auto rec = MakeLambing();
    rec->StoreComments(u"a ]]> b & c");
    rec->GetLambAt(1)->SetComments(u"<weak>");
    rec->GetLambAt(1)->SetEdited(COleDateTime::Null());
    TestXmlReader reader(MakeTop<CEweLambingData>());
    ASSERT_TRUE(reader.Parse(rec->WriteXML())) << WToUtf8(reader.ErrorText());
    auto* read = reader.FinishedAs<CEweLambingData>();
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->GetComments(), u"a ]]> b & c");
    EXPECT_EQ(read->GetTup(), u"R7");
    EXPECT_EQ(read->GetMethod(), LAMBING_NORMAL);
    EXPECT_EQ(read->GetDate(), COleDateTime(kDay));
    EXPECT_EQ(read->GetCreated(), COleDateTime(kCreated));
    EXPECT_EQ(read->GetEdited(), COleDateTime(kEdited));
    ASSERT_EQ(read->GetLambCount(), 2);
    EXPECT_EQ(read->GetLambAt(0)->GetTattoo(), u"L1");
    EXPECT_EQ(read->GetLambAt(0)->GetSex(), 1);
    EXPECT_EQ(read->GetLambAt(0)->GetBirthWeight(), u"4.5");
    EXPECT_EQ(read->GetLambAt(0)->GetEdited(), COleDateTime(kLambEdited));
    EXPECT_EQ(read->GetLambAt(1)->GetSex(), 0);  // not set is written as a ewe
    EXPECT_EQ(read->GetLambAt(1)->GetComments(), u"<weak>");
    EXPECT_EQ(read->GetLambAt(1)->GetEdited().GetStatus(), COleDateTime::null);
}

TEST(LambingXml, MissingStampsAndMethodWords) {
    TestXmlReader reader(MakeTop<CEweLambingData>());
    ASSERT_TRUE(reader.Parse("<LambingData Method=\"cesarian\"><Lamb Sex=\"rAM\"/></LambingData>"));
    auto* read = reader.FinishedAs<CEweLambingData>();
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->GetMethod(), LAMBING_CESARIAN);
    EXPECT_EQ(read->GetCreated(), COleDateTime(0.0));
    EXPECT_EQ(read->GetEdited(), COleDateTime(0.0));
    ASSERT_EQ(read->GetLambCount(), 1);
    const CLambData* lamb = read->GetLambAt(0);
    EXPECT_EQ(lamb->GetSex(), 1);
    EXPECT_EQ(lamb->GetEdited().GetStatus(), COleDateTime::null);
    const double now = COleDateTime::GetCurrentTime().m_dt;
    EXPECT_NEAR(lamb->GetCreated().m_dt, now, 1.0 / 24 / 60);
}

TEST(LambingXml, RefusedInput) {
    struct Case {
        const char* xml;
        unsigned number;
        const char* message;
    };
    const Case cases[] = {
        {"<LambingData Method=\"Caesarian\"/>", 7,
         "The 'Method' attribute does not take a value of 'Caesarian'"},
        {"<LambingData Colour=\"x\"/>", 6,
         "The attribute 'Colour' is not defined on the object 'LambingData'"},
        {"<LambingData Created=\"2003-07-15 09:30:00\"/>", 7,
         "The 'Created' attribute does not take a value of '2003-07-15 09:30:00'"},
        {"<LambingData><Lamb Colour=\"x\"/></LambingData>", 6,
         "The attribute 'Colour' is not defined on the object 'Lamb'"},
        {"<LambingData><Date>not a date</Date></LambingData>", 0, ""},
    };
    for (const Case& c : cases) {
        TestXmlReader reader(MakeTop<CEweLambingData>());
        EXPECT_FALSE(reader.Parse(c.xml)) << c.xml;
        EXPECT_EQ(reader.ErrorNumber(), c.number) << c.xml;
        EXPECT_EQ(WToUtf8(reader.ErrorText()), c.message) << c.xml;
    }
}

TEST(LambingXml, UnknownChildElementsAreIgnored) {
    TestXmlReader reader(MakeTop<CEweLambingData>());
    ASSERT_TRUE(
        reader.Parse("<LambingData Method=\"Failed\"><Colour>red</Colour><Tup>R1</Tup></LambingData>"));
    EXPECT_EQ(reader.FinishedAs<CEweLambingData>()->GetTup(), u"R1");
}

namespace {
struct RecordingTree : CLambingTreeSink {
    struct Item {
        void* parent;
        WString text;
        int image, selected;
        void* data;
    };
    std::vector<Item> items;
    void* InsertItem(void* parent, const WString& text, int image, int selected, void* data) override {
        items.push_back({parent, text, image, selected, data});
        return reinterpret_cast<void*>(items.size());  // any distinct handle
    }
};
}  // namespace

TEST(LambingTree, LambedRecordShowsDateTupAndLambs) {
    auto rec = MakeLambing();
    RecordingTree tree;
    tree.items.reserve(8);
    rec->AddToTree(tree);
    ASSERT_EQ(tree.items.size(), 3u);
    EXPECT_EQ(tree.items[0].text, u"15/07/2003: R7");
    EXPECT_EQ(tree.items[0].parent, nullptr);
    EXPECT_EQ(tree.items[0].image, 0);
    EXPECT_EQ(tree.items[0].data, rec.Get());
    EXPECT_EQ(tree.items[1].text, u"L1");
    EXPECT_EQ(tree.items[1].image, 1);
    EXPECT_EQ(tree.items[1].selected, 1);
    EXPECT_EQ(tree.items[2].image, 2);  // sex not set shows as a ewe
    EXPECT_NE(tree.items[1].parent, nullptr);
    EXPECT_EQ(tree.items[2].data, rec.Get());
}

TEST(LambingTree, UndatedRecordShowsTuppedByAndNoLambs) {
    auto rec = MakeLambing();
    rec->StoreDate(COleDateTime::Null());
    RecordingTree tree;
    rec->AddToTree(tree);
    ASSERT_EQ(tree.items.size(), 1u);
    EXPECT_EQ(tree.items[0].text, u"Tupped by R7");
}
