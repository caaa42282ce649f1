#include "records/tupping.h"

#include <gtest/gtest.h>

#include "support/attached_records.h"

using namespace r2;

namespace {

constexpr double kIn = 37790.0, kOut = 37791.0, kCreated = 37800.5;

CRefPtr<CRamLambingData> MakeTupping(int32_t method) {
    auto rec = MakeRef<CRamLambingData>();
    rec->StoreMethod(method);
    rec->StoreDateIn(COleDateTime(kIn));
    rec->SetCreated(COleDateTime(kCreated));
    rec->SetEwes({u"E1", u"E&2"});
    return rec;
}

// Edited, Created, Method as text, DateIn, DateOut, then the ewes as a string array.
std::string TuppingBytes(const char* methodText) {
    return std::string("02000000 0000000000000000")  // Edited: null
           + "00000000 0000000010 75E240"            // Created 37800.5
           + methodText +                            //
           "00000000 00000000C0 73E240"              // DateIn 37790
           "02000000 0000000000000000"               // DateOut: null
           "0200"                                    // two ewes
           "FFFEFF 02 45003100"                      // "E1"
           "FFFEFF 03 4500260032 00";                // "E&2"
}
constexpr const char* kNormal = "FFFEFF 06 4E006F0072006D0061006C00";
constexpr const char* kAI = "FFFEFF 04 41002E0049002E00";
constexpr const char* kEmpty = "FFFEFF 00";

}  // namespace

TEST(TuppingArchive, MethodIsStoredAsItsWord) {
    struct Case {
        int32_t method;
        const char* text;
        int32_t loaded;
    };
    // A method outside 0 and 1 has no word and comes back as insemination.
    const Case cases[] = {{0, kNormal, 0}, {1, kAI, 1}, {2, kEmpty, 1}};
    for (const Case& c : cases) {
        auto rec = MakeTupping(c.method);
        EXPECT_EQ(ToHex(Store(*rec)), ToHex(Hex(TuppingBytes(c.text)))) << c.method;
        CRamLambingData loaded;
        Load(loaded, Hex(TuppingBytes(c.text)));
        EXPECT_EQ(loaded.GetMethod(), c.loaded) << c.method;
        EXPECT_EQ(loaded.GetEwes(), (std::vector<WString>{u"E1", u"E&2"}));
        EXPECT_EQ(loaded.GetDateIn().m_dt, kIn);
        EXPECT_EQ(loaded.GetDateOut().GetStatus(), COleDateTime::null);
        EXPECT_EQ(loaded.GetEdited().GetStatus(), COleDateTime::null);
        EXPECT_EQ(loaded.GetCreated().m_dt, kCreated);
    }
}

TEST(TuppingArchive, OnlyNormalInAnyCaseLoadsAsNaturalService) {
    const char* lower = "FFFEFF 06 6E006F0072006D0061006C00";  // "normal"
    const char* other = "FFFEFF 03 41004900 2E00";             // "AI."
    CRamLambingData rec;
    Load(rec, Hex(TuppingBytes(lower)));
    EXPECT_EQ(rec.GetMethod(), TUPPING_NATURAL);
    Load(rec, Hex(TuppingBytes(other)));
    EXPECT_EQ(rec.GetMethod(), TUPPING_AI);
}

TEST(TuppingSetters, ChangesAndStamps) {
    CRamLambingData rec;
    const COleDateTime old(1000.0);
    rec.SetEdited(old);
    EXPECT_TRUE(rec.SetDateIn(COleDateTime::Null()));  // a null stored date always counts as changed
    EXPECT_NE(rec.GetEdited(), old);
    rec.SetEdited(old);
    EXPECT_TRUE(rec.SetDateIn(COleDateTime(kIn)));
    rec.SetEdited(old);
    EXPECT_FALSE(rec.SetDateIn(COleDateTime(kIn)));
    EXPECT_EQ(rec.GetEdited(), old);
    EXPECT_FALSE(rec.SetMethod(TUPPING_NATURAL));
    EXPECT_EQ(rec.GetEdited(), old);
    EXPECT_TRUE(rec.SetMethod(TUPPING_AI));
    EXPECT_NE(rec.GetEdited(), old);
}

TEST(TuppingRecord, CopiesAndAssignment) {
    auto src = MakeTupping(TUPPING_AI);
    CRamLambingData copy(*src);
    EXPECT_EQ(ToHex(Store(copy)), ToHex(Store(*src)));

    CRamLambingData target;
    target.SetEwes({u"A", u"B", u"C"});
    CRamLambingData empty;
    target = empty;
    EXPECT_TRUE(target.GetEwes().empty());

    CRamLambingData fresh;
    EXPECT_EQ(fresh.GetDateIn().GetStatus(), COleDateTime::null);
    EXPECT_EQ(fresh.GetDateOut().GetStatus(), COleDateTime::null);
    EXPECT_EQ(fresh.GetEdited().GetStatus(), COleDateTime::null);
    EXPECT_EQ(fresh.GetCreated().GetStatus(), COleDateTime::valid);
}

TEST(TuppingRecord, EventText) {
    auto rec = MakeTupping(TUPPING_NATURAL);
    const WString day = COleDateTime(kIn).Format("%x");
    EXPECT_EQ(rec->GetEventText(), day + u": Tup in");
    rec->StoreMethod(TUPPING_AI);
    EXPECT_EQ(rec->GetEventText(), day + u": Inseminated");
    rec->StoreMethod(2);
    EXPECT_EQ(rec->GetEventText(), u"");
}

TEST(TuppingXml, WritesTheElementExactly) {
    ScopedTimeZone tz("UTC0");
    auto rec = MakeTupping(2);
    rec->StoreDateOut(COleDateTime(kOut));
    rec->SetEdited(COleDateTime(kCreated));
    EXPECT_EQ(rec->WriteXml(),
              "<TuppingData Method=\"AI\" Created=\"2003-06-28T12:00:00\" Edited=\"2003-06-28T12:00:00\">\r\n"
              "<DateIn>2003-06-18</DateIn>\r\n"
              "<DateOut>2003-06-19</DateOut>\r\n"
              "<Ewe>E1</Ewe>\r\n"
              "<Ewe>E&amp;2</Ewe>\r\n"
              "</TuppingData>\r\n");
    CRamLambingData bare;
    bare.SetCreated(COleDateTime(kCreated));
    bare.SetEdited(COleDateTime(kCreated));
    EXPECT_EQ(
        bare.WriteXml(),
        "<TuppingData Method=\"Normal\" Created=\"2003-06-28T12:00:00\" Edited=\"2003-06-28T12:00:00\">\r\n"
        "</TuppingData>\r\n");
}

TEST(TuppingXml, ReadsBackWhatItWrites) {
    ScopedTimeZone tz("Europe/London");
    auto rec = MakeTupping(TUPPING_AI);
    rec->StoreDateOut(COleDateTime(kOut));
    rec->SetEdited(COleDateTime(kCreated));
    TestXmlReader reader(MakeTop<CRamLambingData>());
    ASSERT_TRUE(reader.Parse(rec->WriteXml())) << WToUtf8(reader.ErrorText());
    auto* read = reader.FinishedAs<CRamLambingData>();
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(ToHex(Store(*read)), ToHex(Store(*rec)));
}

TEST(TuppingXml, MethodWordsAndErrors) {
    struct Case {
        const char* xml;
        bool ok;
        int32_t method;
        unsigned error;
    };
    const Case cases[] = {
        {"<TuppingData Method=\"normal\"/>", true, 0, 0},
        {"<TuppingData Method=\"AI\"/>", true, 1, 0},
        {"<TuppingData Method=\"Natural\"/>", true, 1, 0},  // not an error
        {"<TuppingData Ram=\"R1\"/>", false, 0, 6},
        {"<TuppingData Edited=\"2003-07-15T09:30:00T\"/>", false, 0, 7},
        {"<TuppingData><DateIn>soon</DateIn></TuppingData>", false, 0, 0},
    };
    for (const Case& c : cases) {
        TestXmlReader reader(MakeTop<CRamLambingData>());
        EXPECT_EQ(reader.Parse(c.xml), c.ok) << c.xml;
        EXPECT_EQ(reader.ErrorNumber(), c.error) << c.xml;
        if (c.ok) {
            EXPECT_EQ(reader.FinishedAs<CRamLambingData>()->GetMethod(), c.method) << c.xml;
        }
    }
}
