// Reading exchange files back: a flock exported and imported again is the same flock; a file is
// refused, with its reason and place, before anything is read from it; hostile files change nothing;
// the document's hooks for farm details, addresses and the file's definition.
#include <gtest/gtest.h>

#include <cmath>

#include "document/sheep_doc.h"
#include "document/xml_exchange.h"
#include "exchange_fixture.h"
#include "records/address.h"
#include "records/event.h"
#include "records/lambing.h"
#include "records/sheep.h"
#include "records/tupping.h"

using namespace exchange;

namespace {

std::string Ns() {
    return kCvlXmlNamespace;
}

// A file as the export writes it around the given animals and addresses.
std::string FlockFile(const std::string& body, const std::string& breed = "General Sheep",
                      const std::string& app = "1", const std::string& dll = "1",
                      const std::string& root = "<Corvalen xmlns=\"" + Ns() + "\">") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n" + root + "<Definition>\r\n<Breed>" + breed +
           "</Breed>\r\n<Telephone>555</Telephone>\r\n<AppVersion>" + app + "</AppVersion>\r\n<DllVersion>" + dll +
           "</DllVersion>\r\n<DisplayWeightUnit>kg</DisplayWeightUnit>\r\n"
           "<Attribute ID=\"1025\">A&amp;B</Attribute>\r\n</Definition>\r\n" +
           body + "</Corvalen>\r\n";
}

std::string Animal(const std::string& tattoo, const std::string& inner = "") {
    return "<Dedov Sex=\"Ewe\" Edited=\"2026-03-01T10:00:00\" Flags=\"0\">\r\n<Tattoo>" + tattoo +
           "</Tattoo>\r\n<OneOf>0</OneOf>\r\n" + inner + "</Dedov>\r\n";
}

std::string Event(const std::string& type, const std::string& params = "") {
    return "<Event Type=\"" + type + "\" Created=\"2026-01-01T00:00:00\">\r\n<Date>2026-01-01</Date>\r\n" + params +
           "</Event>\r\n";
}

// A flock with the texts and values that are easy to lose on the way.
void FillTrickyFlock(CSheepDoc& doc) {
    auto address = MakeRef<CLocalAddress>(u"K&1 \"<Smith>\"");
    address->SetAddress(u"Low Farm\r\n]]> Dale & Sons");
    address->SetTelephone(u"01234 'night'");
    doc.ReplaceAddress(address->GetID(), address);

    auto ewe = MakeRef<CSheep>();
    ewe->SetTattoo(u"UK 0123/45");
    ewe->SetSire(u"R1");
    ewe->SetDam(u"D <9> & \"x\" 'y'");
    ewe->SetComments(u"quiet ]]> ewe\r\nline two: \u03a9 \u96ea \U0001F411 & <tag>");
    ewe->SetElectronicID(UINT64_MAX);
    ewe->SetOneOf(2);
    ewe->SetFigure(FIG_AWT, 2.01);
    ewe->SetFigure(FIG_FAT_DEPTH_ACTUAL, -0.5);
    ewe->SetGeneticScrapie((1 << 3) | 2);
    ewe->SetFlags(0x15);
    ewe->SetEartagColour(u"Red");
    ewe->SetEartagNumber(u"042");
    const COleDateTime born(2022, 3, 20, 0, 0, 0), bought(2023, 9, 1, 0, 0, 0);
    ewe->AddEvent(new CEvent(born, EVENT_BORN, u"Unknown"), false);
    ewe->AddEvent(new CEvent(bought, EVENT_PURCHASED, address->GetID().c_str(), u"AML & 1"), false);
    auto undated = new CEvent(COleDateTime::Null(), 4, u"21.5");
    ewe->AddEvent(undated, false);
    auto lambing = MakeRef<CEweLambingData>();
    lambing->SetDate(COleDateTime(2025, 3, 15, 0, 0, 0));
    lambing->SetTup(u"R1");
    lambing->SetComments(u"assisted & <fine>");
    auto lamb = MakeRef<CLambData>(u"001/25");
    lamb->SetAll(u"001/25", 1, u"big \"one\"", u"10.6");
    lambing->AddLamb(lamb);
    ewe->AddLambingRecord(lambing);
    ASSERT_GE(doc.AddSheep(ewe.Get(), false), 0);
    ewe.Detach();

    auto ram = MakeRef<CSheep>();
    ram->SetTattoo(u"R1");
    ram->SetSex(SEX_RAM);
    auto tupping = MakeRef<CRamLambingData>();
    tupping->SetDateIn(COleDateTime(2024, 10, 20, 0, 0, 0));
    tupping->AddEwe(u"UK 0123/45");
    ram->AddTuppingRecord(tupping);
    ASSERT_GE(doc.AddSheep(ram.Get(), false), 0);
    ram.Detach();
}

class XmlImport : public ExchangeTest {
protected:
    // The document's state that a refused file must leave alone.
    static std::string Snapshot(CSheepDoc& doc) {
        std::string s = WriteFlockXML(doc, false);
        for (const auto& [key, value] : doc.GetFarmDetails()) s += std::to_string(key) + "=" + WToUtf8(value) + ";";
        return s + std::to_string(doc.GetStores().Addresses().size());
    }
};

}  // namespace

TEST_F(XmlImport, AnExportReadIntoAnEmptyFlockOfTheBreedIsTheSameFlock) {
    CSheepDoc source;
    BindBreed(source, kGeneral);
    FillTrickyFlock(source);
    const std::string exported = WriteFlockXML(source, false);
    const std::string path = folder.Write("flock.xml", exported);

    CSheepDoc target;
    BindBreed(target, kGeneral);
    ASSERT_TRUE(target.ImportXML(path)) << (host.Messages().empty() ? "" : WToUtf8(host.Messages()[0].text));
    EXPECT_TRUE(host.Messages().empty());
    // Written again, the imported flock gives the same bytes.
    EXPECT_EQ(WriteFlockXML(target, false), exported);

    ASSERT_EQ(target.GetSheepCount(), 2);
    for (int i = 0; i < 2; ++i) {
        CSheep* a = source.GetSheepAt(i);
        CSheep* b = target.GetSheepAt(i);
        for (unsigned field = 1; field <= SF_FLAG_LAST; ++field) {
            if (field == SF_NAME) continue;  // the element carries no name
            EXPECT_EQ(a->GetFieldText(field), b->GetFieldText(field)) << "field " << field;
        }
        ASSERT_EQ(a->GetEventCount(), b->GetEventCount());
        for (int e = 0; e < a->GetEventCount(); ++e) {
            EXPECT_EQ(a->GetEventAt(e)->GetCode(), b->GetEventAt(e)->GetCode());
            EXPECT_EQ(a->GetEventAt(e)->GetParameters(), b->GetEventAt(e)->GetParameters());
            EXPECT_EQ(a->GetEventAt(e)->GetDate().GetStatus(), b->GetEventAt(e)->GetDate().GetStatus());
        }
    }
    CSheep* ewe = target.FindSheep(u"UK 0123/45");
    ASSERT_NE(ewe, nullptr);
    EXPECT_EQ(ewe->GetComments(), u"quiet ]]> ewe\r\nline two: \u03a9 \u96ea \U0001F411 & <tag>");
    EXPECT_EQ(ewe->GetElectronicID(), UINT64_MAX);
    EXPECT_TRUE(std::isnan(ewe->GetFigure(FIG_LEAN_INDEX)));
    EXPECT_EQ(ewe->GetDateofDepart().GetStatus(), COleDateTime::null);
    ASSERT_EQ(ewe->GetLambingCount(), 1);
    EXPECT_EQ(ewe->GetLambingAt(0)->GetLambAt(0)->GetComments(), u"big \"one\"");
    // The imported animals are in the indexes at once.
    WString tattoo;
    EXPECT_TRUE(target.LookupTattooByEID(UINT64_MAX, &tattoo));
    EXPECT_EQ(tattoo, u"UK 0123/45");
    std::vector<WString> names;
    EXPECT_TRUE(target.GetEarTagNames(u"Red", u"042", &names));
    CAddress* address = target.LookupAddress(u"K&1 \"<Smith>\"");
    ASSERT_NE(address, nullptr);
    EXPECT_EQ(address->GetAddress(), u"Low Farm\r\n]]> Dale & Sons");
    EXPECT_EQ(target.GetDocString(1025), WString());  // the source had none
    EXPECT_TRUE(target.IsModified());
    // The last animal read is current.
    EXPECT_EQ(target.GetCurrentKey(), u"UK 0123/45");
}

TEST_F(XmlImport, RefusedFilesSayWhyAndChangeNothing) {
    struct Case {
        const char* what;
        std::string file;
        unsigned messageId;      // a string of the table, or 0 for a text
        const char* textPart;    // part of the text shown
    };
    std::string deep;
    for (int i = 0; i < 400; ++i) deep += "<Comment>";
    const Case cases[] = {
        {"another namespace", FlockFile(Animal("A1"), "General Sheep", "1", "1", "<Corvalen xmlns=\"urn:other\">"),
         67, ""},
        {"a second namespace", FlockFile(Animal("A1"), "General Sheep", "1", "1",
                                         "<Corvalen xmlns=\"" + Ns() + "\" xmlns:x=\"urn:other\">"),
         67, ""},
        {"no namespace", FlockFile(Animal("A1"), "General Sheep", "1", "1", "<Corvalen>"), 67, ""},
        {"unknown child of an animal", FlockFile(Animal("A1", "<Horns>2</Horns>\r\n")), 0, "line 13 column 7"},
        {"unknown child of the definition",
         "<?xml version=\"1.0\"?>\r\n<Corvalen xmlns=\"" + Ns() +
             "\"><Definition><Colour>x</Colour><AppVersion>1</AppVersion><DllVersion>1</DllVersion>"
             "<DisplayWeightUnit>lb</DisplayWeightUnit></Definition></Corvalen>",
         0, "line 2 column"},
        {"unknown child of an event", FlockFile(Animal("A1", Event("Weighed", "<Scale>3</Scale>\r\n"))), 0, "line 15 column 7"},
        {"a sex outside its words", FlockFile("<Dedov Sex=\"Gimmer\" Edited=\"\" Flags=\"0\"><Tattoo>A1</Tattoo>"
                                              "<OneOf>0</OneOf></Dedov>"),
         0, "Failed to load"},
        {"a date that is no date", FlockFile(Animal("A1", "<BirthDate>2024-13-01</BirthDate>\r\n")), 0, "Failed to load"},
        {"a number that is no number", FlockFile("<Dedov Sex=\"Ewe\" Edited=\"\" Flags=\"x\"><Tattoo>A1</Tattoo>"
                                                 "<OneOf>0</OneOf></Dedov>"),
         0, "Failed to load"},
        {"another breed", FlockFile(Animal("A1"), "Texel"), 147, ""},
        {"a newer program", FlockFile(Animal("A1"), "General Sheep", "9223372036854775807"), 147, ""},
        {"a newer plug-in", FlockFile(Animal("A1"), "General Sheep", "1", "9223372036854775807"), 129, ""},
        {"the breed's validator", FlockFile(Animal("A  1")), 0, "is not valid for this breed"},
        {"an external entity",
         "<?xml version=\"1.0\"?>\r\n<!DOCTYPE Corvalen [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>\r\n" +
             FlockFile(Animal("&x;")).substr(23),
         0, "document type declaration"},
        {"entity expansion",
         "<?xml version=\"1.0\"?>\r\n<!DOCTYPE C [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">"
         "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]>\r\n" +
             FlockFile(Animal("&c;")).substr(23),
         0, "document type declaration"},
        {"deep nesting", FlockFile(Animal("A1", deep)), 0, "Failed to load"},
        {"a huge attribute",
         FlockFile("<Dedov Sex=\"Ewe\" Edited=\"\" Flags=\"" + std::string(11'000'000, '1') +
                   "\"><Tattoo>A1</Tattoo><OneOf>0</OneOf></Dedov>"),
         0, "Failed to load"},
        {"invalid UTF-8", FlockFile(Animal("A\xC3\x28")), 0, "Failed to load"},
        {"a truncated file", FlockFile(Animal("A1")).substr(0, 300), 0, "Failed to load"},
        {"an empty file", "", 0, "Failed to load"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host.Clear();
        CSheepDoc doc;
        BindBreed(doc, kGeneral);
        doc.SetAttribute(FARM_TELEPHONE, u"999");
        const std::string before = Snapshot(doc);
        EXPECT_FALSE(doc.ImportXML(folder.Write("bad.xml", c.file)));
        ASSERT_EQ(host.Messages().size(), 1u);
        const CvlMessage& shown = host.Messages()[0];
        EXPECT_EQ(shown.stringId, c.messageId) << WToUtf8(shown.text);
        EXPECT_NE(WToUtf8(shown.text).find(c.textPart), std::string::npos) << WToUtf8(shown.text);
        if (c.messageId == 67) {
            EXPECT_NE(WToUtf8(shown.text).find(Ns()), std::string::npos);
        }
        EXPECT_EQ(Snapshot(doc), before);
        EXPECT_EQ(doc.GetSheepCount(), 0);
    }
}

// The checking pass holds the writer's forms of dates, stamps, EIDs and genotypes: values their
// schema types take but the writer never writes are refused, at their element's line.
TEST_F(XmlImport, OnlyTheWritersFormsOfDatesStampsAndCodesPassTheCheck) {
    CXmlSchema schema;
    ASSERT_TRUE(schema.Load(CVL_XML_SCHEMA_FILE, nullptr));
    const auto stamped = [](const std::string& created) {
        return Animal("A1", "<Event Type=\"Weighed\" Created=\"" + created +
                                "\">\r\n<Date>2026-01-01</Date>\r\n</Event>\r\n");
    };
    const auto dated = [](const std::string& date) {
        return Animal("A1", "<Event Type=\"Weighed\" Created=\"\">\r\n<Date>" + date + "</Date>\r\n</Event>\r\n");
    };
    const auto born = [](const std::string& date) {
        return "<Dedov Sex=\"Ewe\" Edited=\"\" Flags=\"0\">\r\n<Tattoo>A1</Tattoo>\r\n<OneOf>0</OneOf>\r\n"
               "<BirthDate>" + date + "</BirthDate>\r\n</Dedov>\r\n";
    };
    const auto lambed = [](const std::string& date) {
        return Animal("A1", "<LambingData Method=\"Normal\" Created=\"\" Edited=\"\">\r\n<Date>" + date +
                                "</Date>\r\n</LambingData>\r\n");
    };
    const auto tagged = [](const std::string& eid, const std::string& scrapie) {
        return "<Dedov Sex=\"Ewe\" Edited=\"\" Flags=\"0\">\r\n<Tattoo>A1</Tattoo>\r\n<EID>" + eid +
               "</EID>\r\n<OneOf>0</OneOf>\r\n<Genetics><Scrapie>" + scrapie + "</Scrapie></Genetics>\r\n</Dedov>\r\n";
    };
    struct Case {
        const char* what;
        std::string body;
        bool ok;
    };
    const Case cases[] = {
        {"a stamp", stamped("2026-01-01T10:20:30"), true},
        {"a stamp never set", stamped(""), true},
        {"a stamp with blanks around it", stamped(" 2026-01-01T10:20:30 "), true},
        {"a stamp with a zone", stamped("2026-01-01T10:20:30Z"), false},
        {"a stamp with an offset", stamped("2026-01-01T10:20:30+01:00"), false},
        {"a stamp with a fraction", stamped("2026-01-01T10:20:30.5"), false},
        {"a stamp with a five-digit year", stamped("12026-01-01T10:20:30"), false},
        {"a stamp without seconds", stamped("2026-01-01T10:20"), false},
        {"a blank stamp", stamped(" "), false},
        {"an animal's stamp with a zone",
         "<Dedov Sex=\"Ewe\" Edited=\"2026-01-01T10:20:30Z\" Flags=\"0\"><Tattoo>A1</Tattoo><OneOf>0</OneOf></Dedov>",
         false},
        {"an event's date", dated("2026-01-01"), true},
        {"an event without a date", dated(""), true},
        {"an event's date in a CDATA section", dated("<![CDATA[2026-01-01]]>"), true},
        {"an event's date with a zone", dated("2026-01-01Z"), false},
        {"an event's date with a five-digit year", dated("12026-01-01"), false},
        {"an event's date out of the calendar", dated("2026-02-30"), false},
        {"a birth date", born("2020-04-01"), true},
        {"a birth date with an offset", born("2020-04-01-05:00"), false},
        {"an empty birth date", born(""), false},
        {"a negative year", born("-2020-04-01"), false},
        {"a lambing date with a zone", lambed("2025-03-15Z"), false},
        {"the largest EID and a genotype", tagged("18446744073709551615", "ARR/ARQ"), true},
        {"a sixteen-digit EID", tagged("1000000000000000", "ARR/ARQ"), true},
        {"a fifteen-digit EID", tagged("100000000000000", "ARR/ARQ"), false},
        {"a signed EID", tagged("+1000000000000000", "ARR/ARQ"), false},
        {"a short genotype", tagged("1000000000000000", "ARR/AR"), false},
        {"a genotype in small letters", tagged("1000000000000000", "arr/arq"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string file = FlockFile(c.body);
        const CXmlCheckResult result = CheckXmlText(file, &schema);
        EXPECT_EQ(result.kind, c.ok ? CXmlCheckResult::Ok : CXmlCheckResult::Invalid) << WToUtf8(result.reason);
        // Every refused value here sits on the animal's lines, below the definition.
        if (!c.ok) {
            EXPECT_GE(result.line, 9) << WToUtf8(result.reason);
        }
    }
}

TEST_F(XmlImport, TheValidatorRunsOnlyWhenThePlugInHasOne) {
    const std::string path = folder.Write("flock.xml", FlockFile(Animal("A  1"), "Lean"));
    CSheepDoc lean;
    BindBreed(lean, kNoValidator);
    EXPECT_TRUE(lean.ImportXML(path));
    EXPECT_EQ(lean.GetSheepCount(), 1);
    EXPECT_EQ(lean.GetDocString(FARM_TELEPHONE), u"555");
    EXPECT_EQ(lean.GetDocString(1025), u"A&B");

    // A style sheet that cannot be read is reported as such, against the program's own data.
    CSheepDoc broken;
    BindBreed(broken, kBrokenValidator);
    EXPECT_FALSE(broken.ImportXML(folder.Write("texel.xml", FlockFile(Animal("A1"), "Texel"))));
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_EQ(WToUtf8(host.Messages()[0].text).rfind("Failed to load Application Data", 0), 0u);
    EXPECT_EQ(broken.GetSheepCount(), 0);
}

TEST_F(XmlImport, ARecordThatRefusesStopsTheReadingAtItsLine) {
    CSheepDoc doc;
    BindBreed(doc, kGeneral);
    // A re-tag without its colour and number is refused by the animal, not by the schema.
    const std::string file = FlockFile(Animal("A1") + Animal("A2", Event("Tagged")));
    EXPECT_FALSE(doc.ImportXML(folder.Write("flock.xml", file)));
    ASSERT_EQ(host.Messages().size(), 1u);
    const CvlMessage& shown = host.Messages()[0];
    EXPECT_NE(WToUtf8(shown.text).find("' reported at line 19 column"), std::string::npos) << WToUtf8(shown.text);
    EXPECT_EQ(shown.helpId, 0x30007u);
    // What came before the refusal stays.
    EXPECT_EQ(doc.GetSheepCount(), 1);
}

TEST_F(XmlImport, AnAnimalTheFarmerKeepsStopsTheImportWithoutAnotherMessage) {
    CSheepDoc doc;
    BindBreed(doc, kNoValidator);
    auto existing = MakeRef<CSheep>();
    existing->SetTattoo(u"A1");
    ASSERT_GE(doc.AddSheep(existing.Get(), false), 0);
    existing.Detach();
    host.Reply(1040, IDNO);
    EXPECT_FALSE(doc.ImportXML(folder.Write("flock.xml", FlockFile(Animal("A1") + Animal("A2"), "Lean"))));
    EXPECT_EQ(host.MessageIds(), std::vector<unsigned>{1040});
    EXPECT_EQ(doc.GetSheepCount(), 1);
}

TEST_F(XmlImport, ThePropertyAndWebRepliesReadTopLevelDetailsAddressesAndReplies) {
    CSheepDoc doc;
    BindBreed(doc, kNoValidator);
    const std::string address = "<Address Created=\"\" Edited=\"\" ID=\"K1\" Type=\"0\"><Postal>First</Postal></Address>";
    const std::string second = "<Address Created=\"\" Edited=\"\" ID=\"K1\" Type=\"0\"><Postal>Second</Postal></Address>";
    doc.PutXMLText(Utf8ToW("<Corvalen xmlns=\"" + Ns() + "\"><Attribute ID=\"1030\">x</Attribute>" +
                           "<Attribute ID=\"0\">Texel</Attribute>" + address + second +
                           "<Address ID=\"K2\"><Postal>untyped</Postal></Address>" +
                           Animal("A1", "<Comment>a\nb</Comment><Horns/>") +
                           "<SheepResponse><Status>3</Status><Message>ok</Message></SheepResponse></Corvalen>"));
    EXPECT_TRUE(host.Messages().empty()) << WToUtf8(host.Messages()[0].text);
    EXPECT_EQ(doc.GetDocString(1030), u"x");
    EXPECT_EQ(doc.GetDocString(FARM_BREED), kNoValidator);  // never from a file
    ASSERT_NE(doc.LookupAddress(u"K1"), nullptr);
    EXPECT_EQ(doc.LookupAddress(u"K1")->GetAddress(), u"First");  // a repeat in one reading is dropped
    EXPECT_EQ(doc.LookupAddress(u"K2"), nullptr);
    ASSERT_EQ(doc.GetSheepCount(), 1);
    EXPECT_EQ(doc.GetSheepAt(0)->GetComments(), u"a\r\nb");
    ASSERT_NE(doc.GetLastWebResponse(), nullptr);
    EXPECT_EQ(doc.GetLastWebResponse()->m_nStatus, 3);
    EXPECT_EQ(doc.GetLastWebResponse()->m_strMessage, u"ok");

    struct Case {
        const char* what;
        std::string body;
        unsigned help;
    };
    const Case refusals[] = {
        {"an attribute named otherwise", "<Attribute Key=\"1\">x</Attribute>", 0x30006},
        {"an address of a third type", "<Address Created=\"\" Edited=\"\" ID=\"K9\" Type=\"2\"/>", 0},
        {"a status that is no number", "<SheepResponse><Status>ok</Status></SheepResponse>", 0},
        {"a definition attribute without ID",
         "<Definition><Attribute Key=\"3\">x</Attribute></Definition>", 0x30007},
        {"not well-formed", "<Dedov>", 0},
    };
    for (const Case& c : refusals) {
        SCOPED_TRACE(c.what);
        host.Clear();
        doc.PutXMLText(Utf8ToW("<Corvalen xmlns=\"" + Ns() + "\">" + c.body + "</Corvalen>"));
        ASSERT_EQ(host.Messages().size(), 2u);
        EXPECT_EQ(host.Messages()[0].helpId, c.help) << WToUtf8(host.Messages()[0].text);
        EXPECT_NE(WToUtf8(host.Messages()[0].text).find("line 1 column"), std::string::npos)
            << WToUtf8(host.Messages()[0].text);
        EXPECT_EQ(host.Messages()[1].text, u"Failed to import file");
    }
}

TEST_F(XmlImport, ASecondAnimalWithATakenEIDComesInWithoutIt) {
    CSheepDoc doc;
    BindBreed(doc, kNoValidator);
    const std::string eid = "<EID>0000000000012345</EID>\r\n";
    const std::string file = FlockFile(
        "<Dedov Sex=\"Ewe\" Edited=\"\" Flags=\"0\"><Tattoo>A1</Tattoo>" + eid + "<OneOf>0</OneOf></Dedov>" +
            "<Dedov Sex=\"Ewe\" Edited=\"\" Flags=\"0\"><Tattoo>A2</Tattoo>" + eid + "<OneOf>0</OneOf></Dedov>",
        "Lean");
    EXPECT_TRUE(doc.ImportXML(folder.Write("flock.xml", file)));
    ASSERT_EQ(doc.GetSheepCount(), 2);
    EXPECT_EQ(doc.FindSheep(u"A1")->GetElectronicID(), 12345u);
    EXPECT_EQ(doc.FindSheep(u"A2")->GetElectronicID(), 0u);
    EXPECT_EQ(host.Messages().size(), 1u);  // told once, after the reading
}
