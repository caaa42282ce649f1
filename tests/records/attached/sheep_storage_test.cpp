#include <gtest/gtest.h>

#include <bit>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/settings.h"
#include "records/fake_document.h"
#include "records/sheep.h"
#include "records/signet.h"
#include "support/attached_records.h"
#include "support/scripted_host_fixture.h"

using namespace r2;

namespace {

constexpr double kEdited = 37817.25, kBirth = 37790.0, kDay = 37817.0, kCreated = 37800.5;
constexpr uint64_t kEid = 826000000012345u;

void SetDate(CSheep& s, unsigned id, double day) {
    const COleDateTime date(day);
    s.SetFieldValue(id, &date);
}

void SetDepartReason(CSheep& s, int32_t reason) {
    s.SetFieldValue(SF_DEPART_REASON, &reason);
}

CRefPtr<CSheep> MakeSmallEwe() {
    auto s = MakeRef<CSheep>(u"A1", SEX_EWE, nullptr);
    s->SetName(u"Bella");
    s->SetSire(u"S1");
    s->StoreEarTag(u"Red", u"12");
    s->SetOneOf(2);
    SetDate(*s, SF_DATE_OF_BIRTH, kBirth);
    s->SetFigure(FIG_LEAN_INDEX, 1.5);
    s->SetFigure(FIG_MATERNAL_ACTUAL, -3.5);
    s->SetFigure(FIG_AWT, 2.25);
    s->SetElectronicID(kEid);
    s->SetGeneticScrapie(12);
    s->SetFlags(5);
    s->SetEdited(COleDateTime(kEdited));
    return s;
}

// Tattoo, DepartReason, Sex, Sire, Dam, Name, EartagColour, EartagNumber, OneOf, Edited, the three
// dates, Comments, the 13 figures in their file order, EID (low half first), GeneticScrapie, Flags,
// then the event, tupping and lambing arrays.
const char* const kSmallEweHead =
    "FFFEFF 02 41003100"                // Tattoo "A1"
    "FFFFFFFF"                          // DepartReason -1
    "00000000"                          // Sex: ewe
    "FFFEFF 02 53003100"                // Sire "S1"
    "FFFEFF 00"                         // Dam
    "FFFEFF 05 42006500 6C006C00 6100"  // Name "Bella"
    "FFFEFF 03 520065006400"            // EartagColour "Red"
    "FFFEFF 02 31003200"                // EartagNumber "12"
    "02000000"                          // OneOf
    "00000000 0000000028 77E240"        // Edited 37817.25
    "00000000 00000000C0 73E240"        // DateofBirth 37790
    "02000000 0000000000000000"         // DateofPurchase: null
    "02000000 0000000000000000"         // DateofDepart: null
    "FFFEFF 00"                         // Comments
    "000000000000F83F"                  // LeanIndex 1.5
    "000000000000F8FF"                  // EightWeekWeightEBV
    "000000000000F8FF"                  // FatDepthEBV
    "000000000000F8FF"                  // LitterEBV
    "000000000000F8FF"                  // MaternalEBV
    "000000000000F8FF"                  // MatureEBV
    "000000000000F8FF"                  // MuscleDepthEBV
    "000000000000F8FF"                  // ScanWeightEBV
    "0000000000000CC0"                  // MaternalActual -3.5
    "000000000000F8FF"                  // MuscleDepthActual
    "000000000000F8FF"                  // ScanWeightActual
    "000000000000F8FF"                  // FatDepthActual
    "0000000000000240"                  // AWT 2.25
    "39D0951C 3EEF0200"                 // EID
    "0C000000"                          // GeneticScrapie 12
    "05000000";                         // Flags

CRefPtr<CEvent> MakeEvent(uint32_t code, const char16_t* p1 = nullptr, const char16_t* p2 = nullptr) {
    auto e = MakeRef<CEvent>(COleDateTime(kDay), code, p1, p2);
    e->SetCreated(COleDateTime(kCreated));
    return e;
}

CRefPtr<CEweLambingData> MakeLambing(const char16_t* tup, double date, double created) {
    auto rec = MakeRef<CEweLambingData>();
    rec->StoreTup(tup);
    rec->StoreDate(date ? COleDateTime(date) : COleDateTime::Null());
    rec->SetCreated(COleDateTime(created));
    rec->SetEdited(COleDateTime(created));
    return rec;
}

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

class ExcludedSetting {
public:
    explicit ExcludedSetting(const char16_t* text) {
        CRegistrySettings::SetString(HKEY_CURRENT_USER, u"Settings", u"XML Excluded Events", text);
    }
    ~ExcludedSetting() {
        CRegistrySettings::SetString(HKEY_CURRENT_USER, u"Settings", u"XML Excluded Events", u"");
    }
};

}  // namespace

TEST(SheepArchive, SmallAnimalInTheFileOrder) {
    auto s = MakeSmallEwe();
    EXPECT_EQ(ToHex(Store(*s)), ToHex(Concat({Hex(kSmallEweHead), Hex("0000 0000 0000")})));
}

TEST(SheepArchive, ArraysCarryTheirClassesAndComeBackInOrder) {
    auto s = MakeSmallEwe();
    auto weighed = MakeEvent(EVENT_WEIGHED, u"40");
    auto treated = MakeEvent(31, u"Drench", u"5");
    s->AddEvent(CRefPtr<CEvent>(weighed).Detach(), false);
    s->AddEvent(CRefPtr<CEvent>(treated).Detach(), false);
    auto lambing = MakeLambing(u"R7", kDay, kCreated);
    lambing->AddLamb(MakeRef<CLambData>(u"L1"));
    s->AddLambingRecord(lambing);
    auto tupping = MakeRef<CRamLambingData>();
    s->AddTuppingRecord(tupping);

    const auto expected = Concat({
        Hex(kSmallEweHead),
        Hex("0200 FFFF 0100 0600 434576656E74"),  // two events, class CEvent
        Store(*s->GetEventAt(0)),
        Hex("0180"),  // class index 1 again
        Store(*s->GetEventAt(1)),
        Hex("0100 FFFF 0100 0F00 4352616D4C616D62696E6744617461"),  // one tupping, class CRamLambingData
        Store(*tupping),
        Hex("0100 FFFF 0100 0F00 434577654C616D62696E6744617461"),     // one lambing, class CEweLambingData
        Hex("00000000 0000000010 75E240 00000000 0000000010 75E240"),  // its Edited and Created
        Hex("FFFEFF 00 FFFEFF 02 52003700 00000000 00000000 0000000020 77E240"),
        Hex("0100 FFFF 0100 0900 434C616D6244617461"),  // one lamb, class CLambData
        Store(*lambing->GetLambAt(0)),
    });
    const auto bytes = Store(*s);
    EXPECT_EQ(ToHex(bytes), ToHex(expected));

    CSheep loaded;
    Load(loaded, bytes);
    EXPECT_EQ(ToHex(Store(loaded)), ToHex(bytes));
    ASSERT_EQ(loaded.GetEventCount(), 2);
    EXPECT_EQ(loaded.GetEventAt(0)->GetOwner(), &loaded);
    EXPECT_EQ(loaded.GetLambingCount(), 1);
    EXPECT_EQ(loaded.GetLambingAt(0)->GetLambAt(0)->GetTattoo(), u"L1");
    EXPECT_EQ(loaded.GetTuppingCount(), 1);
    EXPECT_TRUE(std::isnan(loaded.GetFigure(FIG_MUSCLE_DEPTH_EBV)));
    EXPECT_EQ(loaded.GetElectronicID(), kEid);
}

TEST(SheepArchive, EveryTruncationThrows) {
    auto s = MakeSmallEwe();
    s->AddLambingRecord(MakeLambing(u"R7", kDay, kCreated));
    const auto bytes = Store(*s);
    for (size_t n = 0; n < bytes.size(); n += 7) {
        CSheep loaded;
        EXPECT_THROW(Load(loaded, std::vector<uint8_t>(bytes.begin(), bytes.begin() + n)), CArchiveException)
            << n;
    }
}

TEST(SheepXml, MinimalAnimal) {
    ScopedTimeZone tz("UTC0");
    CSheep s(u"A1", SEX_EWE, nullptr);
    s.SetEdited(COleDateTime(kEdited));
    CAddressKeySet addresses;
    EXPECT_EQ(s.WriteXML({}, addresses, nullptr),
              "<Dedov Sex=\"Ewe\" Edited=\"2003-07-15T06:00:00\" Flags=\"0\">\r\n"
              "<Tattoo>A1</Tattoo>\r\n"
              "<OneOf>0</OneOf>\r\n"
              "</Dedov>\r\n");
}

TEST(SheepXml, FullEweWritesEveryPartInOrder) {
    ScopedTimeZone tz("UTC0");
    CFakeDocument doc;
    auto s = MakeSmallEwe();
    s->SetDocument(&doc);
    s->SetDam(u"D&1");
    s->SetComments(u"quiet ]]> \u00e9");
    s->AddEvent(MakeEvent(EVENT_WEIGHED, u"40").Detach(), false);
    s->AddEvent(MakeEvent(EVENT_SOLD, u"Mart").Detach(), false);
    SetDate(*s, SF_DATE_OF_DEPART, kDay);
    SetDepartReason(*s, DEPART_KILLED);
    s->SetFigure(FIG_FAT_DEPTH_ACTUAL, 2.005);
    s->SetFlags(0xFFFFFFFFu);
    s->AddLambingRecord(MakeLambing(u"R7", kDay, kCreated));
    s->AddTuppingRecord(MakeRef<CRamLambingData>());  // a ewe's tuppings are not written
    s->SetEdited(COleDateTime(kEdited));

    CAddressKeySet ignored;
    std::string soldEvent;
    for (int i = 0; i < s->GetEventCount(); ++i)
        if (s->GetEventAt(i)->GetCode() == EVENT_SOLD) soldEvent = s->GetEventAt(i)->WriteXML(ignored);
    const std::string lambing = s->GetLambingAt(0)->WriteXML();
    CAddressKeySet addresses;
    const std::string xml = s->WriteXML({{EVENT_WEIGHED, 0}}, addresses, nullptr);
    EXPECT_EQ(xml,
              "<Dedov Sex=\"Ewe\" Edited=\"2003-07-15T06:00:00\" Flags=\"-1\">\r\n"
              "<Tattoo>A1</Tattoo>\r\n"
              "<EID>0826000000012345</EID>\r\n"
              "<Sire>S1</Sire>\r\n"
              "<Dam>D&amp;1</Dam>\r\n"
              "<OneOf>2</OneOf>\r\n"
              "<Comment><![CDATA[quiet ]]]]><![CDATA[> \xC3\xA9]]></Comment>\r\n"
              "<Eartag>\r\n<Colour>Red</Colour>\r\n<Number>12</Number>\r\n</Eartag>\r\n"
              "<BirthDate>2003-06-18</BirthDate>\r\n"
              "<DepartDate>2003-07-15</DepartDate>\r\n"
              "<DepartReason>Killed</DepartReason>\r\n"
              "<Signet>\r\n<AWT>2.25</AWT>\r\n<LeanIndex>1.50</LeanIndex>\r\n<Maternal>-3.50</Maternal>\r\n"
              "<FatDepth>2.00</FatDepth>\r\n</Signet>\r\n"
              "<Genetics>\r\n<Scrapie>ARR/ARQ</Scrapie>\r\n</Genetics>\r\n" +
                  soldEvent + lambing + "</Dedov>\r\n");
    EXPECT_EQ(addresses, (CAddressKeySet{{u"Mart", 1}}));
}

TEST(SheepXml, NumbersIgnoreTheUsersLocale) {
    const std::string old = setlocale(LC_NUMERIC, nullptr);
    if (!setlocale(LC_NUMERIC, "de_DE.UTF-8") && !setlocale(LC_NUMERIC, "de_DE.utf8")) GTEST_SKIP();
    CSheep s(u"A1", SEX_EWE, nullptr);
    s.SetFigure(FIG_AWT, 21.25);
    CAddressKeySet addresses;
    const std::string xml = s.WriteXML({}, addresses, nullptr);
    setlocale(LC_NUMERIC, old.c_str());
    EXPECT_NE(xml.find("<AWT>21.25</AWT>"), std::string::npos);
}

TEST(SheepXml, RamListsTuppingsAndNeverLambings) {
    CSheep ram(u"R1", SEX_RAM, nullptr);
    auto tupping = MakeRef<CRamLambingData>();
    tupping->AddEwe(u"E1");
    ram.AddTuppingRecord(tupping);
    ram.AddLambingRecord(MakeLambing(u"X", 0, kCreated));
    CAddressKeySet addresses;
    const std::string xml = ram.WriteXML({}, addresses, nullptr);
    EXPECT_NE(xml.find("<Dedov Sex=\"Ram\""), std::string::npos);
    EXPECT_NE(xml.find(tupping->WriteXml()), std::string::npos);
    EXPECT_EQ(xml.find("<LambingData"), std::string::npos);
}

TEST(SheepXml, EartagNumberWithoutColourIsNotWritten) {
    CSheep s(u"A1", SEX_EWE, nullptr);
    s.StoreEarTag(u"", u"12");
    CAddressKeySet addresses;
    EXPECT_EQ(s.WriteXML({}, addresses, nullptr).find("Eartag"), std::string::npos);
    s.StoreEarTag(u"Red", u"");
    EXPECT_NE(s.WriteXML({}, addresses, nullptr).find("<Eartag>\r\n<Colour>Red</Colour>\r\n</Eartag>\r\n"),
              std::string::npos);
}

TEST(SheepXml, PictureReferences) {
    const std::filesystem::path folder = std::getenv("CVL_TEST_PICTURES");
    std::ofstream(folder / "P9_1.JPG").put('x');
    CSheep s(u"P9", SEX_EWE, nullptr);
    const std::string path = (folder / "P9_1.JPG").string();
    std::map<WString, WString> pictures;
    CAddressKeySet addresses;
    const std::string exported = s.WriteXML({}, addresses, &pictures);
    EXPECT_NE(exported.find("<Image ID=\"0\"><![CDATA[Images/P9_1.JPG]]></Image>\r\n</Dedov>\r\n"),
              std::string::npos);
    EXPECT_EQ(pictures, (std::map<WString, WString>{{Utf8ToW(path), u"Images\\P9_1.JPG"}}));
    const std::string plain = s.WriteXML({}, addresses, nullptr);
    EXPECT_NE(plain.find("<Image ID=\"0\"><![CDATA[//" + path + "]]></Image>"), std::string::npos);
    std::filesystem::remove(folder / "P9_1.JPG");
}

TEST(SheepXml, XmlPropertyDecodesUtf8AndHonoursTheSetting) {
    ScopedTimeZone tz("UTC0");
    ExcludedSetting setting(u"4,,x");
    CExcludedCodes codes;
    EXPECT_EQ(GetExcludedXMLEvents(codes), 3);
    EXPECT_EQ(codes, (CExcludedCodes{{0, 0}, {4, 0}}));

    CFakeDocument doc;
    CSheep s(u"\u00c91", SEX_EWE, &doc);
    s.AddEvent(MakeEvent(EVENT_WEIGHED, u"40").Detach(), false);
    s.AddEvent(MakeEvent(31, u"Drench", u"5").Detach(), false);
    s.SetEdited(COleDateTime(kEdited));
    const WString xml = s.GetXml();
    EXPECT_NE(xml.find(u"<Tattoo>\u00c91</Tattoo>"), WString::npos);
    EXPECT_EQ(xml.find(u"Weighed"), WString::npos);
    EXPECT_NE(xml.find(u"Dosed"), WString::npos);
}

namespace {
TestXmlReader SheepReader(CFakeDocument& doc, int mode = 1) {
    TestXmlReader reader(MakeTop<CSheep>());
    reader.SetDocument(&doc);
    reader.SetMode(mode);
    return reader;
}
}  // namespace

TEST(SheepXmlReading, ReadsBackWhatItWrites) {
    ScopedTimeZone tz("Europe/London");
    CFakeDocument doc;
    auto s = MakeSmallEwe();
    s->SetDocument(&doc);
    s->SetName(u"");  // the element carries no name
    s->SetComments(u"a ]]> b");
    SetDate(*s, SF_DATE_OF_DEPART, kDay);
    SetDepartReason(*s, DEPART_DIED);
    s->AddEvent(MakeEvent(31, u"Drench", u"5").Detach(), false);
    auto lambing = MakeLambing(u"R7", kDay, kCreated);
    auto lamb = MakeRef<CLambData>(u"L1");
    lamb->SetAll(u"L1", 0, u"", u"4.5");  // a lamb of no sex would come back a ewe
    lamb->SetEdited(COleDateTime(kCreated));
    lambing->AddLamb(lamb);
    s->AddLambingRecord(lambing);
    s->SetEdited(COleDateTime(kEdited));

    CAddressKeySet addresses;
    auto reader = SheepReader(doc);
    ASSERT_TRUE(reader.Parse(s->WriteXML({}, addresses, nullptr))) << WToUtf8(reader.ErrorText());
    auto* read = reader.FinishedAs<CSheep>();
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->GetDocument(), &doc);
    EXPECT_EQ(ToHex(Store(*read)), ToHex(Store(*s)));
}

TEST(SheepXmlReading, RefusedInput) {
    struct Case {
        const char* xml;
        unsigned error;
    };
    const Case cases[] = {
        {"<Dedov Sex=\"Gimmer\"/>", 7},
        {"<Dedov Breed=\"x\"/>", 6},
        {"<Dedov Edited=\"2003-07-15\"/>", 7},
        {"<Dedov><DepartReason>Culled</DepartReason></Dedov>", 0},
        {"<Dedov><EID>abc</EID></Dedov>", 0},
        {"<Dedov><EID>-1</EID></Dedov>", 0},
        {"<Dedov><EID>0x10</EID></Dedov>", 0},
        {"<Dedov><EID>18446744073709551616</EID></Dedov>", 0},
        {"<Dedov><OneOf>x</OneOf></Dedov>", 0},
        {"<Dedov><Signet><AWT>n/a</AWT></Signet></Dedov>", 0},
        {"<Dedov><BirthDate>someday</BirthDate></Dedov>", 0},
        {"<Dedov><Genetics><Scrapie>XYZ</Scrapie></Genetics></Dedov>", 0},
        {"<Dedov><LambingData Method=\"Caesarian\"/></Dedov>", 7},
    };
    for (const Case& c : cases) {
        CFakeDocument doc;
        auto reader = SheepReader(doc);
        EXPECT_FALSE(reader.Parse(c.xml)) << c.xml;
        EXPECT_EQ(reader.ErrorNumber(), c.error) << c.xml;
    }
}

TEST(SheepXmlReading, LenientValues) {
    CFakeDocument doc;
    auto reader = SheepReader(doc);
    ASSERT_TRUE(
        reader.Parse("<Dedov sex=\"ram\" Flags=\"12abc\"><Name>N</Name><AWT>21,2</AWT><EID> 42</EID>"
                     "<departreason>died</departreason><Unknown>x</Unknown></Dedov>"));
    auto* s = reader.FinishedAs<CSheep>();
    EXPECT_EQ(s->GetSex(), SEX_RAM);
    EXPECT_EQ(s->GetFlags(), 12u);
    EXPECT_EQ(s->GetName(), u"");
    EXPECT_DOUBLE_EQ(s->GetFigure(FIG_AWT), 21.2);
    EXPECT_EQ(s->GetElectronicID(), 42u);
    EXPECT_EQ(s->GetDepartReason(), DEPART_DIED);

    auto other = SheepReader(doc);
    ASSERT_TRUE(other.Parse("<Dedov Flags=\"none\"/>"));
    EXPECT_EQ(other.FinishedAs<CSheep>()->GetFlags(), 0u);
}

TEST(SheepXmlReading, EventWithTooFewFieldsDependsOnTheMode) {
    // Weighed takes one parameter; this one has none.
    const char* xml =
        "<Dedov><Tattoo>A1</Tattoo><Event Type=\"Weighed\"><Date>2003-07-15</Date></Event>"
        "<Event Type=\"Dosed\"><Date>2003-07-16</Date><Parameter ID=\"0\">x</Parameter>"
        "<Parameter ID=\"1\">y</Parameter></Event></Dedov>";
    CFakeDocument doc;
    {
        auto reader = SheepReader(doc, 1);  // a file import keeps it without asking
        ASSERT_TRUE(reader.Parse(xml));
        EXPECT_EQ(reader.FinishedAs<CSheep>()->GetEventCount(), 2);
    }
    {
        CScopedScriptedHost host;
        host.Reply(IDYES);
        auto reader = SheepReader(doc, 2);
        ASSERT_TRUE(reader.Parse(xml));
        EXPECT_EQ(reader.FinishedAs<CSheep>()->GetEventCount(), 1);
        ASSERT_EQ(host.Messages().size(), 1u);
        EXPECT_EQ(host.Messages()[0].text,
                  u"Failed to import enough fields for Dedov A1's Weighed Event. Continue?");
        EXPECT_EQ(host.Messages()[0].helpId, 0x30000u + 127);
    }
    {
        CScopedScriptedHost host;
        host.Reply(IDNO);
        auto reader = SheepReader(doc, 2);
        EXPECT_FALSE(reader.Parse(xml));
    }
}

TEST(SheepXmlReading, ReTagWithoutItsFieldsIsRefused) {
    CFakeDocument doc;
    auto reader = SheepReader(doc, 1);
    EXPECT_FALSE(
        reader.Parse("<Dedov><Event Type=\"Ear Tag\"><Date>2003-07-15</Date>"
                     "<Parameter ID=\"0\">Red</Parameter></Event></Dedov>"));
    EXPECT_EQ(reader.ErrorNumber(), 7u);
}

TEST(SheepRecords, LookupsByYearAndCreatedDay) {
    CSheep ewe(u"E1", SEX_EWE, nullptr);
    int index = 99;
    EXPECT_EQ(ewe.FindLambingByCreatedDay(COleDateTime(kDay), index), nullptr);
    EXPECT_EQ(index, 99);  // no records: left alone

    const double y2002 = COleDateTime(2002, 3, 1, 0, 0, 0).m_dt;
    auto a = MakeLambing(u"R1", y2002, kCreated);
    auto b = MakeLambing(u"R2", kDay, kCreated + 1);
    auto c = MakeLambing(u"R3", kDay + 3, kDay + 0.75);
    ewe.AddLambingRecord(a);
    ewe.AddLambingRecord(b);
    ewe.AddLambingRecord(c);
    EXPECT_EQ(ewe.FindLambingByYear(2003), c.Get());  // the last one of the year
    EXPECT_EQ(ewe.FindLambingByYear(2002), a.Get());
    EXPECT_EQ(ewe.FindLambingByYear(2001), nullptr);

    EXPECT_EQ(ewe.FindLambingByCreatedDay(COleDateTime(kCreated + 1.2), index), b.Get());
    EXPECT_EQ(index, 1);
    EXPECT_EQ(ewe.FindLambingByCreatedDay(COleDateTime(kCreated + 5), index), nullptr);
    EXPECT_EQ(index, -1);
    {
        CScopedScriptedHost host;
        ewe.AddLambingRecord(MakeLambing(u"R4", 0, kDay + 0.1));
        EXPECT_EQ(ewe.FindLambingByCreatedDay(COleDateTime(kDay), index), nullptr);
        EXPECT_EQ(index, -1);
        ASSERT_EQ(host.Messages().size(), 1u);
        EXPECT_EQ(
            host.Messages()[0].text,
            u"More than one lambing record was created for E1 on the same day. The Corvalen was unable to "
            u"retrieve the correct one.");
        EXPECT_EQ(host.Messages()[0].type & MB_ICONMASK, MB_ICONEXCLAMATION);
        EXPECT_EQ(host.Messages()[0].helpId, 0x30000u + 153);
    }

    CSheep ram(u"R1", SEX_RAM, nullptr);
    EXPECT_EQ(ram.FindTuppingByYear(2003, &index), nullptr);
    EXPECT_EQ(index, -1);
    auto t1 = MakeRef<CRamLambingData>();
    t1->StoreDateIn(COleDateTime(kDay));
    auto t2 = MakeRef<CRamLambingData>();
    t2->StoreDateIn(COleDateTime(kDay + 1));
    ram.AddTuppingRecord(t1);
    ram.AddTuppingRecord(t2);
    EXPECT_EQ(ram.FindTuppingByYear(2003, &index), t1.Get());  // the first one of the year
    EXPECT_EQ(index, 0);
    EXPECT_EQ(ram.FindTuppingByYear(2003, nullptr), t1.Get());
}

TEST(SheepRecords, RemovedRecordsAreDetached) {
    CRefPtr<CEweLambingData> held;
    {
        auto ewe = MakeRef<CSheep>(u"E1", SEX_EWE, nullptr);
        ewe->AddLambingRecord(MakeLambing(u"R1", kDay, kCreated));
        ewe->AddLambingRecord(MakeLambing(u"R2", kDay, kCreated));
        CRefPtr<CEweLambingData> first(ewe->GetLambingAt(0));
        ewe->RemoveLambingAt(0);
        EXPECT_TRUE(first->IsDetached());
        EXPECT_EQ(ewe->GetLambingCount(), 1);
        held = CRefPtr<CEweLambingData>(ewe->GetLambingAt(0));
        EXPECT_THROW(ewe->RemoveTuppingAt(0), std::out_of_range);
    }
    EXPECT_TRUE(held->IsDetached());
}

TEST(SheepArchive, ANaNFromOutsideIsStoredWithTheFilesNotEnteredBits) {
    // Another platform's NaN (the one this one makes by default) must never reach the file.
    const double foreignNaN = std::bit_cast<double>(uint64_t{0x7FF8000000000000u});
    const uint64_t notEntered = 0xFFF8000000000000u;
    auto s = MakeRef<CSheep>(u"A1", SEX_EWE, nullptr);
    s->SetFigure(FIG_AWT, 1.0);
    s->SetFigure(FIG_AWT, foreignNaN);
    s->SetFigure(FIG_LEAN_INDEX, 1.0);
    EXPECT_TRUE(s->SetFieldValue(16, &foreignNaN));  // id 16: LeanIndex
    EXPECT_EQ(std::bit_cast<uint64_t>(s->GetFigure(FIG_AWT)), notEntered);
    EXPECT_EQ(std::bit_cast<uint64_t>(s->GetFigure(FIG_LEAN_INDEX)), notEntered);

    CFakeDocument doc;
    auto reader = SheepReader(doc);
    ASSERT_TRUE(reader.Parse("<Dedov><Signet><AWT>nan</AWT></Signet></Dedov>"));
    EXPECT_EQ(std::bit_cast<uint64_t>(reader.FinishedAs<CSheep>()->GetFigure(FIG_AWT)), notEntered);

}
