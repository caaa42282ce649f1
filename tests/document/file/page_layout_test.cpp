// Page setups at print time: header and footer codes and their places, lengths typed with units,
// the Linux print setup kept beside a record, and printer descriptions.
#include <gtest/gtest.h>

#include <clocale>

#include "document/dimension.h"
#include "document/page_setup.h"
#include "document/print_setup.h"
#include "file_fixtures.h"
#include "platform/printers.h"

namespace {

CHeaderFooterContext Context() {
    CHeaderFooterContext c;
    c.path = u"/farm/flock.cvl";
    c.address = u"Home Farm\r\nHill Road";
    c.title = u"Ewes";
    c.date = u"11/12/2026";
    c.pageCount = 7;
    c.page = 3;
    return c;
}

// A DEVMODE block whose fields say orientation and paper size.
std::vector<uint8_t> DevMode(uint32_t fields, uint16_t orientation, uint16_t paper) {
    std::vector<uint8_t> dm(220, 0);
    dm[68] = 220;
    dm[72] = uint8_t(fields);
    dm[76] = uint8_t(orientation);
    dm[78] = uint8_t(paper);
    return dm;
}

}  // namespace

TEST(HeaderFooter, CodesExpand) {
    auto ps = MakeRef<CPageSetup>();
    const struct {
        const char16_t* part;
        const char16_t* expected;
    } cases[] = {
        {u"Page &P of &N", u"Page 3 of 7"},
        {u"&&P", u"&P"},
        {u"a&Zb", u"ab"},
        {u"end&", u"end"},
        {u"&F|&T|&D", u"/farm/flock.cvl|Ewes|11/12/2026"},
        {u"&K", u"Home Farm"},
        {u"&O", u"Home Farm"},
        {u"", u""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ps->ExpandTemplate(c.part, Context()), WString(c.expected)) << WToUtf8(c.part);

    // One line: both codes give the whole address; a bare line feed cuts &O there but not &K.
    CHeaderFooterContext c = Context();
    c.address = u"Home Farm";
    EXPECT_EQ(ps->ExpandTemplate(u"&K/&O", c), u"Home Farm/Home Farm");
    c.address = u"Home Farm\nHill Road";
    EXPECT_EQ(ps->ExpandTemplate(u"&O", c), u"Home Farm");
    EXPECT_EQ(ps->ExpandTemplate(u"&K", c), u"Home Farm\nHill Road");
}

TEST(HeaderFooter, PartsArePlacedByTheMarginsAndDistances) {
    auto ps = MakeRef<CPageSetup>();
    ps->m_strHeader = u"ab\tcd\tef";
    ps->m_strFooter = u"x\t\ty";
    ASSERT_TRUE(ps->SetDistances(100, 60, 80, 100, 50, 40));
    // Each character measures 10 hundredths.
    const auto width = [](const WString& t) { return int(t.size()) * 10; };
    const auto parts = ps->LayoutHeaderFooter(850, 1100, Context(), width);
    ASSERT_EQ(parts.size(), 6u);
    const struct {
        const char16_t* text;
        int x, y;
    } expected[] = {
        {u"ab", 60, 50},  {u"cd", (850 - 20) / 2, 50}, {u"ef", 850 - 80 - 20, 50}, {u"x", 60, 1060},
        {u"", 425, 1060}, {u"y", 850 - 80 - 10, 1060},
    };
    for (size_t i = 0; i < parts.size(); ++i) {
        EXPECT_EQ(parts[i].text, WString(expected[i].text)) << i;
        EXPECT_EQ(parts[i].x, expected[i].x) << i;
        EXPECT_EQ(parts[i].y, expected[i].y) << i;
    }
    // The default footer prints the page number centred; a template without a tab is all right part.
    auto fresh = MakeRef<CPageSetup>();
    fresh->m_strHeader = u"only";
    const auto defaults = fresh->LayoutHeaderFooter(850, 1100, Context(), width);
    EXPECT_EQ(defaults[2].text, u"only");
    EXPECT_EQ(defaults[0].text, u"");
    EXPECT_EQ(defaults[4].text, u"Page 3");
    EXPECT_EQ(defaults[4].x, (850 - 60) / 2);
}

TEST(Dimension, FormatsAndParsesLengthsWithUnits) {
    std::setlocale(LC_NUMERIC, "C");
    const struct {
        int32_t hundredths;
        int unit;
        const char16_t* text;
    } shown[] = {
        {100, UNIT_INCH, u"1\""}, {75, UNIT_INCH, u"0.75\""},  {125, UNIT_INCH, u"1.25\""},
        {0, UNIT_INCH, u"0\""},   {100, UNIT_POINT, u"72 pt"},
    };
    for (const auto& s : shown) EXPECT_EQ(FormatDimensionText(s.hundredths, s.unit), WString(s.text));

    const struct {
        const char16_t* text;
        int unit;
        bool ok;
        int32_t hundredths;
    } typed[] = {
        {u"2.54 cm", UNIT_INCH, true, 99},  // single-precision factors land just below 100
        {u"72 pt", UNIT_INCH, true, 100},  {u"1.5", UNIT_INCH, true, 150}, {u"  1.5\"", UNIT_INCH, true, 150},
        {u"   ", UNIT_INCH, true, 0},      {u"", UNIT_CM, true, 0},        {u"2.54", UNIT_CM, true, 99},
        {u"1.5 mm", UNIT_INCH, false, -1}, {u"abc", UNIT_INCH, false, -1}, {u"1.5 cmx", UNIT_INCH, false, -1},
    };
    for (const auto& t : typed) {
        int32_t value = -1;
        EXPECT_EQ(ParseDimensionText(t.text, t.unit, value), t.ok) << WToUtf8(t.text);
        EXPECT_EQ(value, t.hundredths) << WToUtf8(t.text);
    }
}

TEST(Dimension, EveryStorableLengthReadsBackUnchanged) {
    std::setlocale(LC_NUMERIC, "C");
    for (int unit : {UNIT_INCH, UNIT_CM, UNIT_POINT})
        for (int32_t v : {0, 1, 75, 99, 100, 125, 333, 1001, 9999, 12345, 65535}) {
            int32_t back = -1;
            ASSERT_TRUE(ParseDimensionText(FormatDimensionText(v, unit), unit, back));
            EXPECT_EQ(back, v) << "unit " << unit << ": " << WToUtf8(FormatDimensionText(v, unit));
        }
}

TEST(PrintSetup, SeededFromTheDevModeThenKeptPerFileAndKind) {
    serial::ScratchFolder folder;
    auto record = MakeRef<CPageSetup>();
    // No DEVMODE: portrait, the printer's own paper.
    CPrintSetup none = GetPrintSetup(*record, "/farm/a.cvl", 2);
    EXPECT_EQ(none.orientation, 1);
    EXPECT_TRUE(none.paper.empty());

    record->m_devMode = DevMode(0x3, 2, 9);  // landscape, A4
    const std::vector<uint8_t> devMode = record->m_devMode;
    CPrintSetup seeded = GetPrintSetup(*record, "/farm/a.cvl", 2);
    EXPECT_EQ(seeded.orientation, 2);
    EXPECT_EQ(seeded.paper, u"A4");
    // Fields the DEVMODE does not flag are not read.
    record->m_devMode = DevMode(0x0, 2, 9);
    EXPECT_EQ(GetPrintSetup(*record, "/farm/a.cvl", 2).orientation, 1);
    record->m_devMode = devMode;

    CPrintSetup chosen = seeded;
    chosen.printer = u"Office";
    chosen.paper = u"Letter";
    chosen.source = u"Manual";
    chosen.resolution = 300;
    SetPrintSetup(*record, "/farm/a.cvl", 2, chosen);
    EXPECT_EQ(record->m_devMode, devMode) << "the Windows printer block stays as it came";

    // Another record of the same file and kind finds the stored setup; another kind does not.
    auto other = MakeRef<CPageSetup>();
    EXPECT_EQ(GetPrintSetup(*other, "/farm/a.cvl", 2), chosen);
    EXPECT_EQ(GetPrintSetup(*other, "/farm/a.cvl", 3), CPrintSetup());
    EXPECT_EQ(GetPrintSetup(*other, "/farm/b.cvl", 2), CPrintSetup());
    // A copy of the record carries the setup of this run; a file without a path stores nothing.
    auto copy = MakeRef<CPageSetup>(*record);
    EXPECT_EQ(GetPrintSetup(*copy, "", 2), chosen);
    SetPrintSetup(*other, "", 4, chosen);
    EXPECT_EQ(GetPrintSetup(*MakeRef<CPageSetup>(), "", 4), CPrintSetup());
}

TEST(Printers, PpdDescriptionsGiveEachPrintersOwnLists) {
    CPpdPrinterLister printers;
    printers.AddPrinter(u"Office", CVL_TEST_DATA "/printers/office.ppd", true);
    printers.AddPrinter(u"Labels", CVL_TEST_DATA "/printers/label.ppd");
    EXPECT_EQ(printers.GetPrinters(), (std::vector<WString>{u"Office", u"Labels"}));
    EXPECT_EQ(printers.GetDefaultPrinter(), u"Office");

    CPrinterCapabilities office;
    ASSERT_TRUE(printers.GetCapabilities(u"Office", office));
    ASSERT_EQ(office.papers.size(), 3u);
    EXPECT_EQ(office.papers[0].name, u"A4");
    EXPECT_EQ(office.papers[0].widthMm10, 2099);
    EXPECT_EQ(office.papers[1].displayName, u"US Letter");
    EXPECT_EQ(office.defaultPaper, u"A4");
    ASSERT_EQ(office.sources.size(), 2u);
    EXPECT_EQ(office.sources[1].displayName, u"Manual Feed");
    EXPECT_EQ(office.defaultSource, u"Tray1");
    EXPECT_EQ(office.resolutions, (std::vector<int>{300, 600}));
    EXPECT_EQ(office.defaultResolution, 600);

    CPrinterCapabilities labels;
    ASSERT_TRUE(printers.GetCapabilities(u"Labels", labels));
    ASSERT_EQ(labels.papers.size(), 2u);
    EXPECT_EQ(labels.papers[0].displayName, u"4 x 6 in");
    EXPECT_TRUE(labels.sources.empty());
    EXPECT_EQ(labels.resolutions, (std::vector<int>{203}));

    CPrinterCapabilities unknown;
    EXPECT_FALSE(printers.GetCapabilities(u"Nowhere", unknown));
    EXPECT_FALSE(ReadPpdCapabilities(CVL_TEST_DATA "/printers/missing.ppd", unknown));
}
