#include "document/sheep_report.h"

#include "exchange_fixture.h"
#include "records/address.h"
#include "records/event.h"
#include "records/sheep.h"

using namespace exchange;

namespace {

class SheepReport : public ExchangeTest {
protected:
    SheepReport() {
        BindBreed(doc, kNoValidator);
        SetXsl(CVL_REPORT_XSL);
        SetCss(CVL_REPORT_CSS);
    }
    static void SetXsl(const std::string& value) {
        EXPECT_TRUE(
            CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Settings", u"Report XSL", Utf8ToW(value)));
    }
    static void SetCss(const std::string& value) {
        EXPECT_TRUE(
            CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Settings", u"Report CSS", Utf8ToW(value)));
    }
    std::string Html(const std::string& xml) {
        const CReportRendering rendering = RenderSheepReport(xml);
        EXPECT_EQ(rendering.outcome, CReportRendering::Html);
        return WToUtf8(rendering.html);
    }
    std::string Report(const std::string& body) {
        return WriteXMLHeader(nullptr) + WriteDefinitionXML(doc) + body + GetXMLFooter();
    }
    CSheepDoc doc;
};

const char kFailedAppData[] = "Failed to load Application Data<br>";

TEST_F(SheepReport, TheAnimalShownBecomesItsPage) {
    auto address = MakeRef<CLocalAddress>(u"Low Farm");
    address->SetAddress(u"Low Farm\r\nDale End");
    doc.ReplaceAddress(u"Low Farm", address);
    auto sheep = MakeRef<CSheep>();
    sheep->SetTattoo(u"UK 0123");
    sheep->SetSire(u"RAM <1>");
    sheep->SetDam(u"EWE & 2");
    sheep->AddEvent(new CEvent(COleDateTime(2024, 5, 1, 0, 0, 0), EVENT_PURCHASED, u"Low Farm", u"AML 1"),
                    false);
    ASSERT_GE(doc.AddSheep(sheep.Get(), false), 0);
    sheep.Detach();

    const std::string html = Html(BuildSheepReportXML(doc, doc.GetSheepAt(0)));
    for (const char* part : {"<h1>UK 0123</h1>", "RAM &lt;1&gt;", "EWE &amp; 2", "2024-05-01", "AML 1",
                             "<h2>Addresses</h2>", "Dale End"})
        EXPECT_NE(html.find(part), std::string::npos) << part << "\n" << html;
    EXPECT_EQ(WToUtf8(RenderSheepReport(BuildSheepReportXML(doc, nullptr)).css), CVL_REPORT_CSS);

    // No animal shown: header, definition and closing tag still make a page.
    EXPECT_NE(Html(BuildSheepReportXML(doc, nullptr)).find("No animal is shown."), std::string::npos);
}

TEST_F(SheepReport, LambingsTuppingsAndFiguresAreListed) {
    const std::string html = Html(
        Report("<Dedov Sex=\"Ewe\" Edited=\"\" Flags=\"0\"><Tattoo>E1</Tattoo><OneOf>2</OneOf>"
               "<Signet><AWT>1.5</AWT><LeanIndex>210</LeanIndex></Signet>"
               "<LambingData Method=\"Normal\" Created=\"\" Edited=\"\"><Date>2024-03-02</Date><Tup>R9</Tup>"
               "<Lamb Sex=\"Ram\" Created=\"\" Weight=\"4.5\"><LambTattoo>L1</LambTattoo></Lamb>"
               "<Lamb Sex=\"Ewe\" Created=\"\"><LambTattoo>L2</LambTattoo></Lamb></LambingData>"
               "<TuppingData Method=\"AI\" Created=\"\" "
               "Edited=\"\"><DateIn>2023-10-01</DateIn><Ewe>E7</Ewe><Ewe>E8</Ewe>"
               "</TuppingData></Dedov>"));
    for (const char* part : {"<h2>Signet figures</h2>", "LeanIndex", "210", "<h2>Lambings</h2>", "2024-03-02",
                             "R9", "L1 (Ram, 4.5)", "L2 (Ewe)", "<h2>Tuppings</h2>", "2023-10-01", "E7, E8"})
        EXPECT_NE(html.find(part), std::string::npos) << part << "\n" << html;
}

TEST_F(SheepReport, FailuresBecomeThePageWithTheirDetailsEscaped) {
    const std::string bad =
        folder.Write("bad.xsl", "<?xml version=\"1.0\"?>\n<s:stylesheet xmlns:s=\"urn:x\">\n<b>&</b>\n");
    const std::string notXslt = folder.Write("plain.xsl", "<html><body/></html>");
    const std::string stops =
        folder.Write("stops.xsl",
                     "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
                     "<xsl:template match=\"/\"><xsl:message terminate=\"yes\">stop "
                     "&lt;here&gt;</xsl:message></xsl:template>"
                     "</xsl:stylesheet>");
    const std::string good = Report("");
    struct Case {
        std::string xsl;
        std::string xml;
        std::string starts;                 // the page's first words
        std::vector<std::string> contains;  // and what else it shows
    } cases[] = {
        // A style sheet that is not there: its path, and the parser's reason.
        {folder.Path("none.xsl"),
         good,
         "Failed to load " + folder.Path("none.xsl") + "<br><br><br>Error ",
         {}},
        // Only files: an address on the network is refused without being fetched.
        {"http://127.0.0.1:1/report.xsl", good, "Failed to load http://127.0.0.1:1/report.xsl<br>", {}},
        {"https://example.invalid/r.xsl", good, "Failed to load https://example.invalid/r.xsl<br>", {}},
        {"", good, "Failed to load <br>", {}},
        // Not well-formed: the reason and its line, escaped.
        {bad,
         good,
         "Failed to load " + bad + "<br><br><br>Error ",
         {"&lt;b&gt;&amp;&lt;/b&gt;", "at line 3"}},
        // Well-formed, but no style sheet: libxslt says why.
        {notXslt, good, "Failed to load " + notXslt + "<br><br><br>Error ", {"(80004005)"}},
        // A transform that fails shows libxslt's own text.
        {stops, good, std::string(kFailedAppData) + "<br><br>Error ", {"stop &lt;here&gt;", "(80004005)"}},
        // The report itself: not well-formed, or not what the schema allows.
        {CVL_REPORT_XSL, "<Corvalen", std::string(kFailedAppData) + "<br><br>Error ", {}},
        {CVL_REPORT_XSL,
         Report("<Dedov Sex=\"Ewe\" Edited=\"\" Flags=\"0\"><OneOf>1</OneOf></Dedov>"),
         std::string(kFailedAppData) + "<br><br>Error ",
         {"Tattoo"}},
    };
    for (const Case& c : cases) {
        SetXsl(c.xsl);
        const std::string html = Html(c.xml);
        EXPECT_EQ(html.rfind(c.starts, 0), 0u) << c.xsl << "\n" << html;
        for (const std::string& part : c.contains)
            EXPECT_NE(html.find(part), std::string::npos) << part << "\n" << html;
    }
    // A file: URL names a file as its path does.
    SetXsl("file://" + std::string(CVL_REPORT_XSL));
    EXPECT_NE(Html(good).find("No animal is shown."), std::string::npos);
    EXPECT_TRUE(host.Messages().empty());
}

TEST_F(SheepReport, WithoutASchemaThePlaceholderStays) {
    std::filesystem::remove(folder.Path("prefix/share/corvalen/components"));
    EXPECT_EQ(RenderSheepReport(Report("")).outcome, CReportRendering::NoSchema);

    std::ofstream(folder.Path("prefix/share/corvalen/components")) << "Schema=share/corvalen/corvalen.xsd\n";
    std::ofstream(folder.Path("prefix/share/corvalen/corvalen.xsd")) << "<not a schema";
    const CReportRendering broken = RenderSheepReport(Report(""));
    EXPECT_EQ(broken.outcome, CReportRendering::SchemaFailed);
    EXPECT_FALSE(broken.message.empty());
}

TEST(SheepReportText, ParseErrorTexts) {
    const WString name = u"/srv/a&b.xsl";
    struct Case {
        const WString* name;
        CReportParseError error;
        const char16_t* html;
    } cases[] = {
        {nullptr, {}, u"Failed to load Application Data<br>"},
        {&name, {0, u"ignored", u"x", 1, 2}, u"Failed to load /srv/a&amp;b.xsl<br>"},
        {nullptr,
         {0x4c1, u"bad <tag>", u"<a href='x'>", 3, 14},
         u"Failed to load Application Data<br><br><br>Error bad &lt;tag&gt; (     4c1)<br>&lt;a "
         u"href=&#39;x&#39;&gt;"
         u"<br>at line 3 column 14 "},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatReportParseError(c.name, c.error), c.html);
}

}  // namespace
