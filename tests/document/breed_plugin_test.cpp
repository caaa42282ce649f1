#include "document/breed_plugin.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include "document/command_ids.h"
#include "document/menu_model.h"
#include "support/scripted_host_fixture.h"

namespace {

std::string PlugIn(const char* name) {
    return std::string(CVL_TEST_PLUGIN_DIR) + "/" + name + ".so";
}

// The call log of a loaded test plug-in (the same library image as the one the bridge holds).
std::string Log(const char* name) {
    void* h = dlopen(PlugIn(name).c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!h) return "(not loaded)";
    auto fn = reinterpret_cast<const char* (*)()>(dlsym(h, "TestBreedLog"));
    std::string log = fn ? fn() : "(no log)";
    dlclose(h);
    return log;
}

void ClearLog(const char* name) {
    void* h = dlopen(PlugIn(name).c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!h) return;
    if (auto fn = reinterpret_cast<void (*)()>(dlsym(h, "TestBreedClearLog"))) fn();
    dlclose(h);
}

bool IsMapped(const char* name) {
    void* h = dlopen(PlugIn(name).c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (h) dlclose(h);
    return h != nullptr;
}

// Stand-ins for interfaces: the plug-in only tells null from non-null.
template <typename T>
T* Fake(int n) {
    return reinterpret_cast<T*>(uintptr_t(0x1000 * n));
}

}  // namespace

TEST(ModuleVersion, ReadFromTheNoteWithoutLoading) {
    CModuleVersion v;
    ASSERT_TRUE(ReadModuleVersion(PlugIn("breed_older"), v));
    EXPECT_EQ(v.parts[0], 1);
    EXPECT_EQ(v.parts[1], 9);
    EXPECT_EQ(v.parts[2], 9);
    EXPECT_EQ(v.parts[3], 9);
    EXPECT_EQ(v.MostSignificant(), 0x00010009u);
    EXPECT_EQ(v.LeastSignificant(), 0x00090009u);
    EXPECT_EQ(v.productVersion, u"1.9.9.9");
    EXPECT_FALSE(IsMapped("breed_older"));

    EXPECT_FALSE(ReadModuleVersion(PlugIn("breed_no_note"), v));
    EXPECT_FALSE(ReadModuleVersion(PlugIn("no_such_library"), v));
    EXPECT_FALSE(ReadModuleVersion(std::string(CVL_TEST_PLUGIN_DIR), v));  // a folder
}

TEST(ModuleVersion, TruncatedOrDamagedFilesHaveNoVersion) {
    std::ifstream in(PlugIn("breed_full"), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 4096u);
    std::string path = std::string(CVL_BINARY_DIR) + "/damaged_plugin.so";
    auto check = [&](const std::string& content) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
        CModuleVersion v;
        return ReadModuleVersion(path, v);
    };
    EXPECT_TRUE(check(bytes));
    // Cut anywhere before the section headers (at the end of the file): never a version, never a crash.
    for (size_t n : {size_t(0), size_t(3), size_t(16), size_t(63), size_t(64), bytes.size() / 2})
        EXPECT_FALSE(check(bytes.substr(0, n))) << n;
    // Section header offset pointing past the end.
    std::string bad = bytes;
    for (int i = 0; i < 8; ++i) bad[0x28 + i] = char(0x7f);
    EXPECT_FALSE(check(bad));
    // Every section claiming a huge size.
    bad = bytes;
    uint64_t shoff = 0;
    for (int i = 7; i >= 0; --i) shoff = (shoff << 8) | uint8_t(bytes[0x28 + i]);
    unsigned shnum = uint8_t(bytes[0x3C]) | (uint8_t(bytes[0x3D]) << 8);
    for (unsigned s = 0; s < shnum; ++s)
        for (int i = 0; i < 8; ++i) bad[shoff + s * 64 + 32 + i] = char(0xff);
    EXPECT_FALSE(check(bad));
    std::remove(path.c_str());
}

struct LoadCase {
    const char* library;
    bool takeVersion;
    int expected;
    uint32_t ms, ls;  // version stored afterwards
    bool loaded;
};

TEST(BreedPlugIn, LoaderResultsAndTheVersionRule) {
    // Stored 2.0.0.0 (a file saved with that plug-in) against each library.
    const LoadCase cases[] = {
        {"breed_full", false, BREED_LOADED, 0x20000, 0x0, true},
        {"breed_newer", false, BREED_LOADED, 0x20000, 0x10000, true},  // takes the newer version
        {"breed_older", false, BREED_FILE_NEWER, 0x20000, 0x0, false},
        {"breed_older", true, BREED_LOADED, 0x10009, 0x90009, true},  // a new document takes any
        {"breed_lean", false, BREED_LOADED, 0x20000, 0x0, true},
        {"breed_no_note", false, BREED_NOT_REGISTERED, 0x20000, 0x0, false},
        {"no_such_library", true, BREED_NOT_REGISTERED, 0x20000, 0x0, false},
        {"breed_no_unicode", false, BREED_NOT_A_PLUGIN, 0x20000, 0x0, false},
        {"breed_unicode_zero", false, BREED_NOT_A_PLUGIN, 0x20000, 0x0, false},
        {"breed_unloadable", false, BREED_NOT_A_PLUGIN, 0x20000, 0x0, false},
        {"breed_no_gettype", false, BREED_NOT_A_PLUGIN, 0x20000, 0x0, false},
    };
    for (const LoadCase& c : cases) {
        CBreedPlugIn plugin;
        plugin.SetVersion(0x20000, 0);
        EXPECT_EQ(plugin.LoadFile(PlugIn(c.library), c.takeVersion), c.expected) << c.library;
        EXPECT_EQ(plugin.GetVersionMS(), c.ms) << c.library;
        EXPECT_EQ(plugin.GetVersionLS(), c.ls) << c.library;
        EXPECT_EQ(plugin.IsLoaded(), c.loaded) << c.library;
        plugin.Unload();
        EXPECT_FALSE(plugin.IsLoaded());
        EXPECT_FALSE(IsMapped(c.library)) << c.library;
    }
}

TEST(BreedPlugIn, RefusalsLeaveTheHeldPlugInAloneOrReplaceIt) {
    CBreedPlugIn plugin;
    ASSERT_EQ(plugin.LoadFile(PlugIn("breed_full"), true), BREED_LOADED);
    // Older than the stored version, or without a note: nothing changes.
    EXPECT_EQ(plugin.LoadFile(PlugIn("breed_older"), false), BREED_FILE_NEWER);
    EXPECT_EQ(plugin.LoadFile(PlugIn("breed_no_note"), false), BREED_NOT_REGISTERED);
    EXPECT_TRUE(plugin.IsLoaded());
    EXPECT_TRUE(IsMapped("breed_full"));
    // Loading another unloads the held one first.
    EXPECT_EQ(plugin.LoadFile(PlugIn("breed_newer"), false), BREED_LOADED);
    EXPECT_FALSE(IsMapped("breed_full"));
    EXPECT_TRUE(IsMapped("breed_newer"));
    // A refused library is not kept, and no other one either.
    EXPECT_EQ(plugin.LoadFile(PlugIn("breed_unicode_zero"), true), BREED_NOT_A_PLUGIN);
    EXPECT_FALSE(plugin.IsLoaded());
    EXPECT_FALSE(IsMapped("breed_newer"));
    EXPECT_EQ(plugin.GetProc("CVLGetType"), nullptr);
}

TEST(BreedPlugIn, RefusalMessagesByResult) {
    CScopedScriptedHost host;
    EXPECT_EQ(ReportBreedPlugInResult(BREED_LOADED, u"Texel"), 0);
    ReportBreedPlugInResult(BREED_NOT_REGISTERED, u"Texel");
    ReportBreedPlugInResult(BREED_NOT_A_PLUGIN, u"Texel");
    ReportBreedPlugInResult(BREED_FILE_NEWER, u"Texel");
    ASSERT_EQ(host.MessageIds(), (std::vector<unsigned>{112, 182, 113}));
    const auto& m = host.Messages();
    EXPECT_EQ(m[0].args, std::vector<WString>{u"Texel"});
    EXPECT_EQ(m[0].type, MB_OK | MB_HELP);
    EXPECT_EQ(m[0].helpId, 0x30000u + 112);
    EXPECT_EQ(m[1].args, std::vector<WString>{u"Texel"});
    EXPECT_EQ(m[1].type, MB_OK | MB_HELP);
    EXPECT_EQ(m[1].helpId, 0x30000u + 182);
    EXPECT_EQ(m[2].type, MB_OK | MB_HELP | MB_ICONSTOP);
    EXPECT_EQ(m[2].helpId, 0x30000u + 113);
    if (!LoadCvlString(112).empty()) {
        EXPECT_EQ(m[0].text, u"Failed to initialize the Texel plugin. Please reinstall the Corvalen.");
        EXPECT_EQ(m[1].text,
                  u"The Texel plug-in is designed for a different operating system. Please reinstall the "
                  u"Corvalen and your plug-in");
        EXPECT_EQ(m[2].text,
                  u"The File you are loading was created with a more recent breed plug-in. Please upgrade to "
                  u"view the file.");
    }
}

TEST(BreedPlugIn, CallsPassTheirArgumentsAndFetchTextInTwoCalls) {
    CScopedScriptedHost host;
    CBreedPlugIn plugin;
    ASSERT_EQ(plugin.LoadFile(PlugIn("breed_full"), true), BREED_LOADED);
    EXPECT_EQ(plugin.GetProductVersion(), u"2.0.0.0");
    ClearLog("breed_full");

    EXPECT_EQ(plugin.IsTattooValid(u"UK01"), 1);
    EXPECT_EQ(plugin.IsTattooValid(u"U"), 0);
    EXPECT_EQ(plugin.GetGestationPeriod(), 147);
    EXPECT_EQ(plugin.GetLambIndex(u"UK01-7"), 7);
    EXPECT_EQ(plugin.UpdateReportToolbar(3, 4), 7);
    EXPECT_EQ(Log("breed_full"), "IsTattooValid(UK01);IsTattooValid(U);UpdateReportToolbar(3,4);");

    ClearLog("breed_full");
    WString text;
    EXPECT_TRUE(plugin.GetReportDefinition(5, text));
    EXPECT_EQ(text, u"<report id=\"5\"/>");
    EXPECT_TRUE(plugin.GetReportTitle(2, u"Ewes", 2003, text));
    EXPECT_EQ(text, u"Report 2 of Ewes in 2003");
    EXPECT_EQ(Log("breed_full"),
              "ReportDefinition(5,null,ptr);ReportDefinition(5,buf,ptr);ReportTitle(null);ReportTitle(buf);");

    ClearLog("breed_full");
    EXPECT_EQ(plugin.BuildTattoo(Fake<ISheep>(1), Fake<ISheep>(2), Fake<IDocument>(3), 1, 2), u"LAMB1-2");
    // The caller's second value goes before its first; the second call has room for length + 1.
    EXPECT_EQ(Log("breed_full"), "BuildTattoo(A,B,2,1,doc,null,0);BuildTattoo(A,B,2,1,doc,buf,8);");

    ClearLog("breed_full");
    int waitBefore = host.WaitCursorShows();
    EXPECT_EQ(plugin.GetNextIndex(Fake<IDocument>(3), 41), 42);
    plugin.PrepareReportToolbar(Fake<IDocument>(3), 2, Fake<void>(4), nullptr);
    EXPECT_EQ(host.WaitCursorShows(), waitBefore + 2);
    EXPECT_EQ(host.GetWaitCursorDepth(), 0);
    plugin.BuildReportColumns(Fake<IDispatch>(5), 1, u"Rams");
    std::string xsl;
    EXPECT_TRUE(plugin.GetXMLValidator(xsl));
    EXPECT_EQ(xsl, "<xsl:stylesheet/>");
    EXPECT_EQ(Log("breed_full"),
              "GetNextIndex(doc,41);PrepareReportToolbar(doc,2,w1,null);BuildReportColumns(itf,1,Rams);");
}

TEST(BreedPlugIn, FlagNamesBelowFourNeverReachThePlugIn) {
    CBreedPlugIn plugin;
    ASSERT_EQ(plugin.LoadFile(PlugIn("breed_full"), true), BREED_LOADED);
    ClearLog("breed_full");
    for (int flag = 0; flag < 4; ++flag) {
        int32_t readOnly = 9;
        EXPECT_EQ(plugin.GetBreedFlag(flag, &readOnly), u"") << flag;
        EXPECT_EQ(readOnly, 9);
    }
    EXPECT_EQ(Log("breed_full"), "");
    int32_t readOnly = 0;
    EXPECT_EQ(plugin.GetBreedFlag(5, &readOnly), u"Flag 5");
    EXPECT_EQ(readOnly, 1);
    EXPECT_EQ(plugin.GetBreedFlag(4, nullptr), u"Flag 4");
    EXPECT_EQ(Log("breed_full"), "GetBreedFlag(5);GetBreedFlag(4);");
}

TEST(BreedPlugIn, OptionalExportsAbsentGiveTheDefaults) {
    CBreedPlugIn plugin;
    ASSERT_EQ(plugin.LoadFile(PlugIn("breed_lean"), true), BREED_LOADED);
    ClearLog("breed_lean");
    int32_t readOnly = 0;
    EXPECT_EQ(plugin.GetBreedFlag(5, &readOnly), u"");
    WString text = u"untouched";
    EXPECT_FALSE(plugin.GetReportDefinition(1, text));
    EXPECT_FALSE(plugin.GetReportTitle(1, u"Rams", 2001, text));
    EXPECT_EQ(text, u"untouched");
    plugin.BuildReportColumns(nullptr, 1, u"Rams");
    std::string xsl;
    EXPECT_FALSE(plugin.GetXMLValidator(xsl));
    auto reports = plugin.EnumReports();
    EXPECT_EQ(reports.size(), 3u);
    EXPECT_EQ(Log("breed_lean"),
              "InitEnumReports;EnumReports(32);EnumReports(32);EnumReports(32);EnumReports(32);");
}

TEST(BreedPlugIn, WithoutAPlugInEveryCallAnswersEmpty) {
    CBreedPlugIn plugin;
    WString text;
    EXPECT_EQ(plugin.IsTattooValid(u"UK01"), 0);
    EXPECT_EQ(plugin.GetGestationPeriod(), 0);
    EXPECT_EQ(plugin.GetBreedFlag(6, nullptr), u"");
    EXPECT_FALSE(plugin.GetReportDefinition(1, text));
    EXPECT_EQ(plugin.BuildTattoo(nullptr, nullptr, nullptr, 1, 2), u"");
    EXPECT_TRUE(plugin.EnumReports().empty());
}

namespace {

class FakeSite : public IReportsMenuSite {
public:
    CMenuModel bar;
    std::vector<std::pair<WString, int>> toolbar{{u"stale", 99}};
    int resets = 0;
    CMenuModel* GetMenuBar() override { return &bar; }
    void ResetReportList() override {
        ++resets;
        toolbar.clear();
    }
    void AddReport(const WString& name, int id) override { toolbar.emplace_back(name, id); }
};

// File | Records (first item 40001, with a Reports submenu ending in 40111) | Help.
std::shared_ptr<CMenuModel> BuildBar(CMenuModel& bar) {
    bar.AppendSubmenu(u"&File")->AppendItem(57600, u"&New");
    auto decoy = bar.AppendSubmenu(u"&Old");
    decoy->AppendItem(ID_VIEW_FLOCK, u"First");
    decoy->AppendSubmenu(u"Reports")->AppendItem(ID_REPORTS_MENU_LAST, u"Customise");
    auto records = bar.AppendSubmenu(u"&Records");
    records->AppendItem(ID_VIEW_FLOCK, u"First");
    auto reports = records->AppendSubmenu(u"&Reports");
    reports->AppendItem(ID_REPORT_BASE + 9, u"Old report");
    reports->AppendItem(0, u"");
    reports->AppendItem(ID_REPORTS_MENU_LAST, u"Customise");
    records->AppendSubmenu(u"Other")->AppendItem(1, u"x");
    bar.AppendSubmenu(u"&Help")->AppendItem(57664, u"About");
    return reports;
}

std::vector<uint32_t> Commands(const CMenuModel& m) {
    std::vector<uint32_t> out;
    for (const auto& item : m.items) out.push_back(item.command);
    return out;
}

}  // namespace

TEST(BreedPlugIn, ReportsMenuTakesTheReportsInReverseOrder) {
    CBreedPlugIn plugin;
    ASSERT_EQ(plugin.LoadFile(PlugIn("breed_full"), true), BREED_LOADED);
    FakeSite site;
    auto reports = BuildBar(site.bar);
    ASSERT_EQ(CBreedPlugIn::FindReportsMenu(site.bar), reports.get());

    plugin.BuildReportsMenu(site, false);
    EXPECT_EQ(Commands(*reports), (std::vector<uint32_t>{40108, 40105, 40104, 0, ID_REPORTS_MENU_LAST}));
    EXPECT_EQ(reports->items[0].text, u"Sales");
    EXPECT_EQ(reports->items[2].text, u"Flock Book");
    EXPECT_EQ(site.resets, 0);
    EXPECT_EQ(site.toolbar.size(), 1u);

    // Again, with the toolbar: the old reports go, the toolbar list is refilled in enumeration order.
    ClearLog("breed_full");
    plugin.BuildReportsMenu(site, true);
    EXPECT_EQ(Commands(*reports), (std::vector<uint32_t>{40108, 40105, 40104, 0, ID_REPORTS_MENU_LAST}));
    EXPECT_EQ(site.toolbar, (std::vector<std::pair<WString, int>>{
                                {u"Flock Book", 1}, {u"Lambing Sheet", 2}, {u"Sales", 5}}));
    EXPECT_NE(Log("breed_full").find("EndEnumReports(3)"), std::string::npos);
}

TEST(BreedPlugIn, NoReportsLeavesTheLastTwoItems) {
    CBreedPlugIn plugin;
    ASSERT_EQ(plugin.LoadFile(PlugIn("breed_full"), true), BREED_LOADED);
    FakeSite site;
    auto reports = BuildBar(site.bar);
    setenv("CVL_TEST_BREED_NO_REPORTS", "1", 1);
    plugin.BuildReportsMenu(site, true);
    unsetenv("CVL_TEST_BREED_NO_REPORTS");
    EXPECT_EQ(Commands(*reports), (std::vector<uint32_t>{0, ID_REPORTS_MENU_LAST}));
    EXPECT_TRUE(site.toolbar.empty());
}

TEST(ModuleVersion, AMinimalHandWrittenLibraryFile) {
    // An ELF header, one note section and the section-name table (tools/make_version_notes.py).
    CModuleVersion v;
    ASSERT_TRUE(ReadModuleVersion(std::string(CVL_VERSION_NOTES_DIR) + "/version_note.so", v));
    EXPECT_EQ(v.Value(), 0x0002000100000007ull);
    EXPECT_EQ(v.productVersion, u"2.1.0.7");
    // The 32-bit class, and big-endian byte order, each with another note in front of ours.
    for (const char* name : {"/version_note32.so", "/version_note_be.so"}) {
        CModuleVersion other;
        ASSERT_TRUE(ReadModuleVersion(std::string(CVL_VERSION_NOTES_DIR) + name, other)) << name;
        EXPECT_EQ(other.Value(), 0x0003000400050006ull) << name;
        EXPECT_EQ(other.productVersion, u"3.4.5.6") << name;
    }
}

TEST(BreedPlugIn, LookupsOnOneThreadWhileAnotherLoadsAndUnloads) {
    CBreedPlugIn plugin;
    std::atomic<bool> done{false};
    std::atomic<int> seen{0};
    std::thread reader([&] {
        while (!done) {
            // An export is either there (the library is held) or not; never a stale handle.
            if (plugin.GetProc("CVLGetGestationPeriod")) ++seen;
            plugin.IsLoaded();
        }
    });
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(plugin.LoadFile(PlugIn(i % 2 ? "breed_full" : "breed_newer"), true), BREED_LOADED);
        if (i % 3 == 0) plugin.Unload();
    }
    done = true;
    reader.join();
    plugin.Unload();
    EXPECT_FALSE(IsMapped("breed_full"));
    EXPECT_FALSE(IsMapped("breed_newer"));
}
