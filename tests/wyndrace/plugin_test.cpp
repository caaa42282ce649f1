#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "abi/reader_abi.h"
#include "platform/module.h"

#ifdef CVL_WYNDRACE_PLUGIN

namespace {

// Loaded once for the whole run: unloading it would unload the GUI libraries it brings along,
// with the allocations their start-up made.
CModule& Plugin() {
    static CModule* module = [] {
        auto* m = new CModule;
        m->Load(CVL_WYNDRACE_PLUGIN);
        return m;
    }();
    return *module;
}

TEST(WyndracePlugin, InitFillsTheTableEvenWithoutMakerAndModel) {
    CModule& module = Plugin();
    ASSERT_TRUE(module.IsLoaded());
    auto init = module.Get<PFN_InitEIDDevice>("InitEIDDevice");
    ASSERT_NE(init, nullptr);
    EIDDeviceFunctions table{};
    EXPECT_EQ(init(&table, nullptr, nullptr), 1);
    EXPECT_NE(table.EIDDownloadDlg, nullptr);
    EXPECT_EQ(reinterpret_cast<void*>(table.EIDUploadDlg), module.GetProc("EIDUploadDlg"));
    ASSERT_NE(table.EIDGetDefaultConfig, nullptr);
    ASSERT_NE(table.EIDTestDevice, nullptr);
    ASSERT_NE(table.EIDStartScan, nullptr);
    ASSERT_NE(table.EIDStopScan, nullptr);

    COMMCONFIG config = EIDEmptyCommConfig();
    EXPECT_EQ(table.EIDGetDefaultConfig(&config), &config);
    EXPECT_EQ(config.dcb.BaudRate, 9600u);
    // A stop with no scan gives the sink of the last start: none yet.
    EXPECT_EQ(table.EIDStopScan(), nullptr);
    // Silent test of a port that does not exist.
    EXPECT_EQ(table.EIDTestDevice(0, u"/dev/no-such-reader", &config), 0);
}

TEST(WyndracePlugin, OnlyTheTwoEntriesLeaveTheLibrary) {
    std::string command = std::string("nm -D --defined-only ") + CVL_WYNDRACE_PLUGIN;
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::set<std::string> functions;
    char line[1024];
    while (std::fgets(line, sizeof line, pipe)) {
        char type = 0;
        char name[512];
        if (std::sscanf(line, "%*s %c %511s", &type, name) == 2 && (type == 'T' || type == 'W'))
            functions.insert(name);
    }
    ASSERT_EQ(::pclose(pipe), 0);
    EXPECT_EQ(functions, std::set<std::string>({"EIDUploadDlg", "InitEIDDevice"}));
}

TEST(WyndracePlugin, TheLibraryCarriesItsVersion) {
    CModuleVersion version;
    ASSERT_TRUE(ReadModuleVersion(CVL_WYNDRACE_PLUGIN, version));
    EXPECT_EQ(version.parts[0], 1);
    EXPECT_EQ(version.productVersion, u"1.0.0.0");
}

}  // namespace

#endif
