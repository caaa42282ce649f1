// The text import: the twelve fields of a line, the events they make, where a file ends the import,
// and what the farmer sees afterwards; the extensions of File Import and File Export.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "document/file_exchange.h"
#include "document/sheep_doc.h"
#include "exchange_fixture.h"
#include "records/event.h"
#include "records/app_services.h"
#include "records/sheep.h"

using namespace exchange;

namespace {

const std::string kHeader = "Tattoo\tNumber\tColour\tSex\tOneOf\tBorn\tBought\tLeft\tWhy\tDam\tSire\tName\r\n";

class TextImport : public ExchangeTest {
protected:
    TextImport() { BindBreed(doc, kGeneral); }
    int Import(const std::string& lines, const std::string& name = "flock.txt") {
        return ImportTextFile(doc, folder.Write(name, kHeader + lines));
    }
    std::vector<uint32_t> Codes(const WString& tattoo) {
        std::vector<uint32_t> codes;
        CSheep* sheep = doc.FindSheep(tattoo);
        for (int i = 0; sheep && i < sheep->GetEventCount(); ++i) codes.push_back(sheep->GetEventAt(i)->GetCode());
        std::sort(codes.begin(), codes.end());  // the animal keeps its own order of events
        return codes;
    }
    CSheepDoc doc;
};

}  // namespace

TEST_F(TextImport, EachFieldLandsWhereItsPositionSays) {
    EXPECT_EQ(Import("R1\t042\tRed\tM\t2\t2022-03-20\t\t\t\tD1\tS1\tSamson\r\n"
                     "E1\t7\tBlue\tm\t\t\t2023-09-01\t2024-05-01\t0\t\t\t\r\n"
                     "E2\t8\tBlue\t\t\t\t\t2024-06-01\t1\t\t\t\r\n"
                     "E3\t9\tBlue\t\t\t\t\t2024-07-01\t2\t\t\t\r\n"),
              4);
    CSheep* ram = doc.FindSheep(u"R1");
    ASSERT_NE(ram, nullptr);
    EXPECT_EQ(ram->GetSex(), SEX_RAM);
    EXPECT_EQ(ram->GetOneOf(), 2);
    EXPECT_EQ(ram->GetDam(), u"D1");
    EXPECT_EQ(ram->GetSire(), u"S1");
    EXPECT_EQ(ram->GetName(), u"Samson");
    EXPECT_EQ(ram->GetDateofBirth().Format(u"%Y-%m-%d"), u"2022-03-20");
    EXPECT_EQ(ram->GetDepartReason(), -1);
    EXPECT_EQ(Codes(u"R1"), (std::vector<uint32_t>{EVENT_RETAG, EVENT_BORN}));
    // The tagging event is dated with the birth and names the colour, then the number.
    CEvent* tag = ram->FindFirstEvent(EVENT_RETAG, nullptr, nullptr);
    ASSERT_NE(tag, nullptr);
    EXPECT_EQ(tag->GetParameters(), (std::vector<WString>{u"Red", u"042"}));
    EXPECT_EQ(tag->GetDate().Format(u"%Y-%m-%d"), u"2022-03-20");

    EXPECT_EQ(doc.FindSheep(u"E1")->GetSex(), SEX_EWE);  // only an upper-case M makes a ram
    EXPECT_EQ(Codes(u"E1"), (std::vector<uint32_t>{EVENT_SOLD, EVENT_PURCHASED, EVENT_RETAG}));
    EXPECT_EQ(Codes(u"E2"), (std::vector<uint32_t>{EVENT_DIED, EVENT_RETAG}));
    // Reason 2 sets the date and the reason but makes no event.
    CSheep* e3 = doc.FindSheep(u"E3");
    EXPECT_EQ(Codes(u"E3"), (std::vector<uint32_t>{EVENT_RETAG}));
    EXPECT_EQ(e3->GetDepartReason(), 2);
    EXPECT_EQ(e3->GetDateofDepart().Format(u"%Y-%m-%d"), u"2024-07-01");

    // Found by ear tag at once, the first animal current, the farmer told how many.
    std::vector<WString> names;
    EXPECT_TRUE(doc.GetEarTagNames(u"Red", u"042", &names));
    EXPECT_EQ(names, std::vector<WString>{u"R1"});
    EXPECT_EQ(doc.GetCurrentIndex(), 0);
    EXPECT_EQ(host.StatusTexts().back(), u"4 Records Read In");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(host.GetWaitCursorDepth(), 0);
    EXPECT_FALSE(host.IsProgressShown());
}

TEST_F(TextImport, WhereAFileEndsTheImport) {
    struct Case {
        const char* what;
        std::string lines;
        const char* name;
        int read;
        size_t messages;
    };
    const Case cases[] = {
        {"only the header", "", "flock.txt", 0, 0},
        {"commas in a csv file", "A1,1,Red,M,1,,,,,,,\r\n", "flock.csv", 0, 0},
        {"fewer than 8 fields", "A1\t1\tRed\t\t\t\t\t\t\t\t\t\r\nA2\t2\r\nA3\t3\tRed\t\t\t\t\t\t\t\t\t\r\n", "flock.txt",
         1, 0},
        {"8 to 11 fields", "A1\t1\tRed\t\t\t\t\t\t\t\t\t\r\nA2\t2\tRed\t\t\t\t\t\t\r\n", "flock.txt", 1, 1},
        {"a last line without its end", "A1\t1\tRed\t\t\t\t\t\t\t\t\t", "flock.txt", 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host.Clear();
        CSheepDoc fresh;
        BindBreed(fresh, kGeneral);
        EXPECT_EQ(ImportTextFile(fresh, folder.Write(c.name, kHeader + c.lines)), c.read);
        EXPECT_EQ(fresh.GetSheepCount(), c.read);
        EXPECT_EQ(host.Messages().size(), c.messages);
        EXPECT_EQ(host.StatusTexts().back(), Utf8ToW(std::to_string(c.read) + " Records Read In"));
        // An empty flock has no current animal; the progress and the wait cursor are over.
        EXPECT_EQ(fresh.GetCurrentIndex(), c.read > 0 ? 0 : -1);
        EXPECT_FALSE(host.IsProgressShown());
        EXPECT_EQ(host.GetWaitCursorDepth(), 0);
    }
}

TEST_F(TextImport, ADateThatDoesNotParseStaysInvalidWithItsEvent) {
    EXPECT_EQ(Import("A1\t1\tRed\t\t\tnot a date\t\t\t\t\t\t\r\n"), 1);
    CSheep* sheep = doc.FindSheep(u"A1");
    EXPECT_EQ(sheep->GetDateofBirth().GetStatus(), COleDateTime::invalid);
    EXPECT_EQ(Codes(u"A1"), (std::vector<uint32_t>{EVENT_RETAG, EVENT_BORN}));
}

TEST_F(TextImport, AnAnimalTheFarmerKeepsIsDroppedAndTheImportGoesOn) {
    auto existing = MakeRef<CSheep>();
    existing->SetTattoo(u"A1");
    existing->SetName(u"old");
    ASSERT_GE(doc.AddSheep(existing.Get(), false), 0);
    existing.Detach();
    host.Reply(1040, IDNO);
    EXPECT_EQ(Import("A1\t1\tRed\t\t\t\t\t\t\t\t\tnew\r\nA2\t2\tRed\t\t\t\t\t\t\t\t\t\r\n"), 2);
    EXPECT_EQ(doc.FindSheep(u"A1")->GetName(), u"old");
    EXPECT_NE(doc.FindSheep(u"A2"), nullptr);
}

TEST_F(TextImport, TheExtensionChoosesTheReaderAndTheExportMode) {
    EXPECT_EQ(ExportModeOfPath("/x/flock.TXT"), EXPORT_TEXT);
    EXPECT_EQ(ExportModeOfPath("/x/flock"), EXPORT_TEXT);
    EXPECT_EQ(ExportModeOfPath("/x/flock.csv"), EXPORT_CSV);
    EXPECT_EQ(ExportModeOfPath("/x/flock.Xml"), EXPORT_XML);
    EXPECT_EQ(ExportModeOfPath("/x/flock.doc"), -1);

    EXPECT_TRUE(ImportFile(doc, folder.Write("a.CSV", kHeader + "A1\t1\tRed\t\t\t\t\t\t\t\t\t\r\n")));
    EXPECT_EQ(doc.GetSheepCount(), 1);
}

TEST_F(TextImport, AnXMLExportCopiesThePicturesItRefersTo) {
    std::filesystem::create_directories(folder.Path("pictures"));
    std::ofstream(folder.Path("pictures/A1_1.JPG"), std::ios::binary) << std::string(3000, 'p');
    CSheepAppServices::Get().SetImageSearchPath({Utf8ToW(folder.Path("pictures"))});
    ASSERT_EQ(Import("A1\t1\tRed\t\t\t\t\t\t\t\t\t\r\nB1\t2\tRed\t\t\t\t\t\t\t\t\t\r\n"), 2);
    std::filesystem::create_directories(folder.Path("out"));

    ASSERT_TRUE(doc.SelectSheep(u"A1", false, false, nullptr));
    EXPECT_EQ(ExportXMLFile(doc, folder.Path("out/flock.xml"), true), 1);
    const std::string text = ExchangeFolder::Read(folder.Path("out/flock.xml"));
    EXPECT_NE(text.find("<Image ID=\"0\"><![CDATA[Images/A1_1.JPG]]></Image>"), std::string::npos);
    EXPECT_EQ(text.find("<Tattoo>B1</Tattoo>"), std::string::npos);
    EXPECT_EQ(ExchangeFolder::Read(folder.Path("out/Images/A1_1.JPG")), std::string(3000, 'p'));

    // Where the picture folder cannot be made, the export stands and the farmer is told.
    std::filesystem::create_directories(folder.Path("blocked"));
    std::ofstream(folder.Path("blocked/Images")) << "a file";
    host.Clear();
    EXPECT_EQ(ExportXMLFile(doc, folder.Path("blocked/flock.xml"), false), 2);
    EXPECT_EQ(host.MessageIds(), std::vector<unsigned>{178});
    CSheepAppServices::Get().SetImageSearchPath({});
}
