#include "records/event.h"
#include "records/sheep.h"
#include "breed_document.h"

namespace {

constexpr int32_t k2026Jan1 = 46023;

TEST_F(BreedThroughTheDocument, LoadsWithItsVersionAndEveryRequiredExport) {
    const CBreedPlugIn& plugin = doc.GetBreedPlugIn();
    EXPECT_EQ(plugin.GetVersion(), uint64_t(1) << 48);  // 1.0.0.0
    EXPECT_EQ(plugin.GetProductVersion(), u"1.0.0.0");
    for (const char* name : CBreedPlugIn::RequiredExports()) EXPECT_NE(plugin.GetProc(name), nullptr) << name;
    for (const char* optional :
         {"CVLEndEnumEvents", "CVLOnAddBreedEvent", "CVLOnDeleteBreedEvent", "CVLGetBreedFlag",
          "CVLLoadNewDocWizardSheets", "CVLLoadFarmOptsSheets", "CVLEndEnumReports", "CVLReportDefinition",
          "CVLReportTitle", "CVLBuildReportColumns", "CVLGetXMLValidator"})
        EXPECT_NE(plugin.GetProc(optional), nullptr) << optional;

    // A file saved by a later build of the plug-in is refused; one saved by this build opens.
    CBreedPlugIn reopened;
    reopened.SetVersion(0x00010000, 1);
    EXPECT_EQ(reopened.Load(u"General Sheep", false), BREED_FILE_NEWER);
    reopened.SetVersion(0x00010000, 0);
    EXPECT_EQ(reopened.Load(u"General Sheep", false), BREED_LOADED);
}

TEST_F(BreedThroughTheDocument, TheDocumentsWrappers) {
    const CBreedPlugIn& plugin = doc.GetBreedPlugIn();
    EXPECT_NE(plugin.IsTattooValid(u"UK0123456 00042"), 0);
    EXPECT_EQ(plugin.IsTattooValid(u"UK0123456  00042"), 0);
    EXPECT_EQ(plugin.GetGestationPeriod(), 147);
    EXPECT_EQ(plugin.GetLambIndex(u"042/26"), 42);

    fakes::FakeDocument flock;
    flock.records.animals.resize(2);
    flock.records.animals[0].tattoo = u"041/26";
    flock.records.animals[1].tattoo = u"UK0123456 00042";
    int32_t next = plugin.GetNextIndex(AsDocument(flock), k2026Jan1 + 70);
    EXPECT_EQ(next, 42);
    EXPECT_EQ(plugin.BuildTattoo(nullptr, nullptr, AsDocument(flock), next, k2026Jan1 + 70), u"042/26");

    int32_t readOnly = -1;
    EXPECT_EQ(plugin.GetBreedFlag(4, &readOnly), u"Pedigree Registered");
    EXPECT_EQ(readOnly, 0);
    EXPECT_EQ(plugin.GetBreedFlag(5, nullptr), u"Kept for Breeding");

    auto reports = plugin.EnumReports();
    ASSERT_EQ(reports.size(), 4u);
    EXPECT_EQ(reports[2], (std::pair<int32_t, WString>{2, u"Movement Book"}));
    WString text;
    ASSERT_TRUE(plugin.GetReportDefinition(1, text));
    EXPECT_EQ(text, u"Shows the ewes that lambed in a year with their lambs");
    ASSERT_TRUE(plugin.GetReportTitle(0, u"Ewes", 2026, text));
    EXPECT_EQ(text, u"Tupping Report: Ewes 2026");
    EXPECT_EQ(plugin.UpdateReportToolbar(1, 2), 0);
    EXPECT_EQ(plugin.UpdateReportToolbar(3, 2), 1);
    fakes::FakeReportView view;
    plugin.BuildReportColumns(AsDispatch(view), 3, u"K1");
    EXPECT_EQ(view.columns.size(), 4u);
    plugin.PrepareReportToolbar(AsDocument(flock), 0, nullptr, nullptr);

    std::string xsl;
    ASSERT_TRUE(plugin.GetXMLValidator(xsl));
    EXPECT_EQ(xsl.rfind("<?xml", 0), 0u);
    EXPECT_NE(xsl.find("xsl:stylesheet"), std::string::npos);
}

TEST_F(BreedThroughTheDocument, EventsReadAsTheRecordsShowThem) {
    auto* sheep = new CSheep(u"UK0123456 00042", 0, nullptr);
    ASSERT_GE(doc.AddSheep(sheep, false), 0);
    COleDateTime day(2026, 3, 15, 0, 0, 0);
    struct Case {
        uint32_t code;
        std::vector<const char16_t*> parameters;
        const char16_t* text;
    };
    const Case cases[] = {
        {1, {u"K1", u"AML 1"}, u"Purchased from K1 (movement document AML 1)"},
        {11,
         {u"Lameness", u"Oxytetracycline", u"5 ml"},
         u"Treated for Lameness with Oxytetracycline, dose 5 ml"},
        {15, {u"2"}, u"Scanned carrying 2"},
        {7, {u"R1"}, u"Put to the ram R1"},
        {10, {}, u"Lambed"},
        {14, {}, u"Shorn"},
        {20, {u"K2", u"AML 2"}, u"Moved off to K2 (movement document AML 2)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        auto p = c.parameters;
        p.resize(3, nullptr);
        auto* event = new CEvent(day, c.code, p[0], p[1], p[2]);
        sheep->AddEvent(event, false);
        EXPECT_EQ(event->FormatText(false), c.text);
        EXPECT_EQ(event->GetParameterCount(), int(c.parameters.size()));
    }
    // The purchase set the animal's date; medicines report their deletion.
    EXPECT_EQ(sheep->GetDateofPurchase().m_dt, day.m_dt);
    int treated = -1;
    for (int i = 0; i < sheep->GetEventCount(); ++i)
        if (sheep->GetEventAt(i)->GetCode() == 11) treated = i;
    ASSERT_GE(treated, 0);
    EXPECT_EQ(sheep->GetEventAt(treated)->HasFlag(0x20), 0x20u);
    EXPECT_EQ(sheep->GetEventAt(treated)->GetEventName(), u"Treated");
}

}  // namespace
