// The exchange file as written: its exact bytes around the animals, which farm details go out, the
// excluded event codes, and the address of each referring event written once.
#include <gtest/gtest.h>

#include "document/sheep_doc.h"
#include "document/xml_exchange.h"
#include "exchange_fixture.h"
#include "records/address.h"
#include "records/event.h"
#include "records/sheep.h"

using namespace exchange;

namespace {

CRefPtr<CSheep> Animal(const WString& tattoo) {
    auto sheep = MakeRef<CSheep>();
    sheep->SetTattoo(tattoo);
    return sheep;
}

void Add(CSheepDoc& doc, CRefPtr<CSheep> sheep) {
    ASSERT_GE(doc.AddSheep(sheep.Get(), false), 0);
    sheep.Detach();
}

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

class XmlExport : public ExchangeTest {};

}  // namespace

TEST_F(XmlExport, AnEmptySelectionStillGivesTheWholeFrameByteForByte) {
    CSheepDoc doc;
    BindBreed(doc, kGeneral);
    doc.SetAttribute(FARM_ADDRESS, u"Hill <Farm>\r\nDale");
    doc.SetAttribute(FARM_TELEPHONE, u"01234");
    doc.SetAttribute(1024, u"program's own");
    doc.SetAttribute(1025, u"A&B");
    doc.SetAttribute(32767, u"last");
    doc.SetAttribute(32768, u"never");  // negative as a signed 16-bit key
    doc.SetAttribute(1030, u"");
    CRegistrySettings::SetString(HKEY_CURRENT_USER, u"Settings", u"Unit", u"k<g");
    const std::string dll = std::to_string(static_cast<int64_t>(doc.GetBreedPlugIn().GetVersion()));

    EXPECT_EQ(WriteFlockXML(doc, false),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
              "<Corvalen xmlns=\"" + std::string(kCvlXmlNamespace) + "\"><Definition>\r\n"
              "<Breed>General Sheep</Breed>\r\n"
              "<Post><![CDATA[Hill &lt;Farm&gt;\r\nDale]]></Post>\r\n"
              "<Telephone>01234</Telephone>\r\n"
              "<AppVersion>" + std::to_string(static_cast<int64_t>(CvlProgramFileVersion())) + "</AppVersion>\r\n"
              "<DllVersion>" + dll + "</DllVersion>\r\n"
              "<DisplayWeightUnit>k&lt;g</DisplayWeightUnit>\r\n"
              "<Attribute ID=\"1025\">A&amp;B</Attribute>\r\n"
              "<Attribute ID=\"32767\">last</Attribute>\r\n"
              "</Definition>\r\n"
              "</Corvalen>\r\n");
    // The namespace has the path the format fixes, whatever its host.
    EXPECT_NE(std::string(kCvlXmlNamespace).find("/Schemas/Corvalen"), std::string::npos);
}

TEST_F(XmlExport, TheStyleSheetInstructionComesOnlyWhenAsked) {
    const WString sheet = u"file:///usr/share/report & co.xsl";
    EXPECT_EQ(WriteXMLHeader(&sheet),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
              "<?xml-stylesheet type=\"text/xsl\" href=\"file:///usr/share/report &amp; co.xsl\"?>\r\n"
              "<Corvalen xmlns=\"" + std::string(kCvlXmlNamespace) + "\">");
    EXPECT_EQ(WriteXMLHeader(nullptr).find("xml-stylesheet"), std::string::npos);
}

TEST_F(XmlExport, ExcludedCodesSelectionAndAddressesFollowTheCallerTable) {
    CSheepDoc doc;
    BindBreed(doc, kGeneral);
    auto address = MakeRef<CLocalAddress>(u"K1");
    address->SetAddress(u"Low Farm");
    doc.ReplaceAddress(u"K1", address);
    const COleDateTime day(2024, 5, 1, 0, 0, 0);
    for (const char16_t* tattoo : {u"A1", u"A2"}) {
        auto sheep = Animal(tattoo);
        sheep->AddEvent(new CEvent(day, EVENT_PURCHASED, u"K1", u"AML 1"), false);
        sheep->AddEvent(new CEvent(day, EVENT_WEIGHED, u"21.5"), false);
        sheep->AddEvent(new CEvent(day, 10), false);
        Add(doc, sheep);
    }
    // Not on the farm any more: out of the current selection.
    auto gone = Animal(u"A3");
    gone->AddEvent(new CEvent(day, EVENT_DIED, u"Unknown"), false);
    Add(doc, gone);
    doc.GetExtractionCriteria().m_nType = CRITERIA_ON_FARM;
    doc.GetExtractionCriteria().m_dtDate = COleDateTime(2025, 1, 1, 0, 0, 0);

    std::string all = WriteFlockXML(doc, false);
    EXPECT_EQ(Count(all, "<Dedov "), 2u);
    EXPECT_EQ(Count(all, "<Tattoo>A3</Tattoo>"), 0u);
    EXPECT_EQ(Count(all, "<Event Type=\"Weighed\""), 2u);
    EXPECT_EQ(Count(all, "<Address "), 1u);  // two animals refer to it, it goes once, after them
    EXPECT_LT(all.rfind("</Dedov>"), all.find("<Address "));

    CRegistrySettings::SetString(HKEY_CURRENT_USER, u"Settings", u"XML Excluded Events", u"4,10");
    std::string kept = WriteFlockXML(doc, false);
    EXPECT_EQ(Count(kept, "<Event Type=\"Weighed\""), 0u);
    EXPECT_EQ(Count(kept, "<Event "), 2u);

    // The XML property reads the same text, widened.
    EXPECT_EQ(WToUtf8(doc.GetXML()), kept);
}

TEST_F(XmlExport, AnInvalidDateAndAGenotypeOutsideTheTableAreLeftOut) {
    CSheepDoc doc;
    BindBreed(doc, kGeneral);
    auto sheep = Animal(u"A1");
    COleDateTime invalid(2024, 1, 1, 0, 0, 0);
    invalid.SetStatus(COleDateTime::invalid);
    const COleDateTime valid(2024, 2, 3, 0, 0, 0);
    sheep->SetFieldValue(SF_DATE_OF_BIRTH, &invalid);
    sheep->SetFieldValue(SF_DATE_OF_PURCHASE, &valid);
    sheep->SetGeneticScrapie((7 << 3) | 1);
    Add(doc, sheep);
    const std::string text = WriteFlockXML(doc, false);
    EXPECT_EQ(text.find("<BirthDate>"), std::string::npos);
    EXPECT_NE(text.find("<PurchaseDate>2024-02-03</PurchaseDate>"), std::string::npos);
    EXPECT_EQ(text.find("<Genetics>"), std::string::npos);
}
