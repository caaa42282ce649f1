#include <set>

#include "support/breed_plugin.h"

namespace {

struct ReportExports {
    PFN_CVLInitEnumReports initEnum = BreedExport<PFN_CVLInitEnumReports>("CVLInitEnumReports");
    PFN_CVLEnumReports enumReports = BreedExport<PFN_CVLEnumReports>("CVLEnumReports");
    PFN_CVLEndEnumReports endEnum = BreedExport<PFN_CVLEndEnumReports>("CVLEndEnumReports");
    PFN_CVLReportDefinition definition = BreedExport<PFN_CVLReportDefinition>("CVLReportDefinition");
    PFN_CVLReportTitle title = BreedExport<PFN_CVLReportTitle>("CVLReportTitle");
    PFN_CVLBuildReportColumns columns = BreedExport<PFN_CVLBuildReportColumns>("CVLBuildReportColumns");
    PFN_CVLPrepareReportToolbar prepare = BreedExport<PFN_CVLPrepareReportToolbar>("CVLPrepareReportToolbar");
    PFN_CVLUpdateReportToolbar update = BreedExport<PFN_CVLUpdateReportToolbar>("CVLUpdateReportToolbar");

    std::u16string Definition(int32_t id) const {
        int32_t ignored = 0;
        return BreedPlugin::Fetch([&](char16_t* b, int32_t) { return definition(id, b, &ignored); });
    }
    std::u16string Title(int32_t type, const char16_t* selection, int32_t year) const {
        return BreedPlugin::Fetch([&](char16_t* b, int32_t) { return title(type, selection, year, b); });
    }
};

TEST(BreedReports, TheReportViewsFourReports) {
    ReportExports x;
    std::vector<std::pair<int32_t, std::u16string>> reports;
    uint32_t handle = 77;
    x.initEnum(&handle);
    int32_t id = -1;
    char16_t name[32];
    int32_t capacity = 32;
    while (x.enumReports(&handle, &id, name, &capacity) && reports.size() < 16) {
        EXPECT_EQ(capacity, int32_t(std::char_traits<char16_t>::length(name)));
        reports.emplace_back(id, name);
        capacity = 32;
    }
    x.endEnum(handle);
    ASSERT_EQ(reports.size(), 4u);
    const char16_t* names[] = {u"Tupping", u"Lambing", u"Movement Book", u"Address Events"};
    for (int32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(reports[size_t(i)].first, i);
        EXPECT_EQ(reports[size_t(i)].second, names[i]);
        EXPECT_FALSE(x.Definition(i).empty());
        // Every report is for one year; the tupping and the address reports also use the third list.
        EXPECT_EQ(x.update(i, 4), 1);
        EXPECT_EQ(x.update(i, 2), (i == 0 || i == 3) ? 1 : 0);
    }
    EXPECT_EQ(x.update(9, 4), 0);
    EXPECT_EQ(x.Definition(9), u"");

    EXPECT_EQ(x.Title(0, u"Rams", 2026), u"Tupping Report: Rams 2026");
    EXPECT_EQ(x.Title(0, u"ewes", 2026), u"Tupping Report: Ewes 2026");
    EXPECT_EQ(x.Title(1, u"", 2025), u"Lambing Report 2025");
    EXPECT_EQ(x.Title(2, nullptr, 2026), u"Movement Book 2026");
    EXPECT_EQ(x.Title(3, u"Hill Farm", 2026), u"Events of Hill Farm 2026");
    EXPECT_EQ(x.Title(1, u"", -1), u"Lambing Report");  // no year in the list yet
    EXPECT_EQ(x.Title(7, u"", 2026), u"");

    // The toolbar lists are filled by the program's windows; the call must be safe without them.
    x.prepare(nullptr, 0, nullptr, nullptr);
}

TEST(BreedReports, ColumnsAreBoundThroughTheReportView) {
    ReportExports x;
    struct Case {
        int32_t type;
        const char16_t* selection;
        std::vector<int32_t> kinds;
    };
    const Case cases[] = {
        {0, u"Rams", {1, 12, 3, 2, 4}},
        {0, u"Ewes", {1, 3, 2, 100}},
        {1, u"", {1, 100, 101, 103, 104, 105, 106, 107, 108, 109, 110, 111}},
        {2, u"", {100, 101, 102, 103, 104, 105, 106, 107, 108, 109}},
        {3, u"K1", {100, 101, 102, 103}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        fakes::FakeReportView view;
        x.columns(AsDispatch(view), c.type, c.selection);
        EXPECT_EQ(view.resets, 1);
        std::vector<int32_t> kinds;
        for (size_t i = 0; i < view.columns.size(); ++i) {
            kinds.push_back(view.columns[i].kind);
            EXPECT_EQ(view.columns[i].position, int32_t(i));
            EXPECT_FALSE(view.columns[i].title.empty());
        }
        EXPECT_EQ(kinds, c.kinds);
        EXPECT_EQ(view.references, 1);
    }
    fakes::FakeReportView none;
    x.columns(AsDispatch(none), 5, u"");
    EXPECT_TRUE(none.columns.empty());
    x.columns(nullptr, 0, u"Rams");
}

TEST(BreedFlagsAndPages, FlagNamesFourToSeven) {
    auto flag = BreedExport<PFN_CVLGetBreedFlag>("CVLGetBreedFlag");
    std::set<std::u16string> names;
    for (int32_t f = 0; f < 10; ++f) {
        SCOPED_TRACE(f);
        char16_t buffer[64];
        std::fill(std::begin(buffer), std::end(buffer), u'#');
        int32_t readOnly = 99;
        flag(f, buffer, &readOnly);
        std::u16string name(buffer);
        EXPECT_LT(name.size(), 64u);
        EXPECT_EQ(readOnly, 0);
        if (f >= 4 && f <= 7) {
            EXPECT_FALSE(name.empty());
            names.insert(name);
        } else {
            EXPECT_TRUE(name.empty());
        }
        flag(f, buffer, nullptr);
    }
    EXPECT_EQ(names.size(), 4u);

    // The breed adds no pages to the new-database wizard or the options sheet.
    fakes::FakeDocument doc;
    EXPECT_EQ(BreedExport<PFN_CVLLoadNewDocWizardSheets>("CVLLoadNewDocWizardSheets")(0, AsDocument(doc)),
              nullptr);
    EXPECT_EQ(BreedExport<PFN_CVLLoadFarmOptsSheets>("CVLLoadFarmOptsSheets")(0, AsDocument(doc)), nullptr);
    EXPECT_EQ(BreedExport<PFN_IsUnicodeDLL>("IsUnicodeDLL")(), 1);
}

}  // namespace
