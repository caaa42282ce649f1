#include "document/reader_manager.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "platform/settings.h"
#include "support/reader_plugin.h"
#include "support/reader_simulator.h"
#include "support/scripted_host_fixture.h"
#include "support/scripted_ports.h"
#include "support/settings_environment.h"

namespace {

const auto* const kSettings =
    ::testing::AddGlobalTestEnvironment(new CTempSettingsEnvironment("cvl_document_reader_test"));

const WString kApp = CRegistrySettings::AppKeyPath;
const WString kConfigKey = kApp + u"Settings\\EID Configuration\\Default";


struct RecordingFrame : IReaderFrame {
    std::vector<bool> trayShown;
    std::vector<bool> trayStates;
    std::vector<uint64_t> tags;
    int optionsShown = 0;
    void ShowTrayIcon(bool show) override { trayShown.push_back(show); }
    void SetTrayIconState(bool scanning) override { trayStates.push_back(scanning); }
    void OnTagScanned(uint64_t eid) override { tags.push_back(eid); }
    void ShowReaderOptions() override { ++optionsShown; }
};

class ReaderManager : public ::testing::Test {
protected:
    void SetUp() override {
        KeepReaderPluginLoaded(CVL_WYNDRACE_PLUGIN);
        CSettingsKey::Create(HKEY_CURRENT_USER, kApp + u"Settings")->DeleteSubkey(u"EID Configuration");
        RegisterReaderPlugin(CVL_WYNDRACE_PLUGIN);
        Build(manager);
    }
    void Build(CEIDReaderManager& m) {
        auto ports = std::make_unique<CScriptedPortWatcher>();
        watcher = ports.get();
        watcher->ports = {{reader.Path(), u"Simulated reader"}};
        m.SetPoster(queue.Poster());
        m.SetPortWatcher(std::move(ports));
        m.SetFrame(&frame);
    }
    WString Port() const { return Utf8ToW(reader.Path()); }
    COMMCONFIG Defaults() {
        COMMCONFIG config = EIDEmptyCommConfig();
        EXPECT_TRUE(manager.ApplyDefaultCommConfig(u"Wyndrace", u"2S", Port(), config));
        return config;
    }
    void Configure() {
        manager.SaveSettings(u"Wyndrace", u"2S", Port(), Defaults());
        ASSERT_TRUE(manager.IsBound());
    }
    bool WaitForTag(uint64_t eid) {
        return queue.DrainUntil([&] { return std::find(frame.tags.begin(), frame.tags.end(), eid) != frame.tags.end(); });
    }
    // A tag sent before the scan has its port open may be lost, and one left unread by an earlier
    // scan may come first: tags are sent until this one arrives.
    bool ScanDelivers(uint64_t eid) {
        const size_t before = frame.tags.size();
        const auto arrived = [&] {
            return std::find(frame.tags.begin() + std::ptrdiff_t(before), frame.tags.end(), eid) != frame.tags.end();
        };
        for (int attempt = 0; attempt < 50; ++attempt) {
            reader.Send(CReaderSimulator::TagMessage(eid));
            if (queue.DrainUntil(arrived, std::chrono::milliseconds(100))) return true;
        }
        return false;
    }

    CScopedScriptedHost host;
    CReaderSimulator reader;
    CUiQueue queue;
    RecordingFrame frame;
    CScriptedPortWatcher* watcher = nullptr;
    CEIDReaderManager manager;
};

TEST_F(ReaderManager, SavedSettingsComeBackInAFreshManager) {
    COMMCONFIG config = Defaults();
    EXPECT_EQ(config.dcb.BaudRate, 9600u);
    EXPECT_EQ(config.dcb.ByteSize, 8);
    EXPECT_EQ(config.dcb.Parity, 0);
    EXPECT_EQ(config.dcb.StopBits, 0);
    EXPECT_EQ(config.dwSize, 52u);
    config.dcb.BaudRate = 19200;  // as Configure would leave it
    config.dcb.flags |= RTS_CONTROL_TOGGLE << DCB_fRtsControlShift;
    manager.SaveSettings(u"Wyndrace", u"2S", Port(), config);
    EXPECT_TRUE(manager.IsBound());
    EXPECT_TRUE(manager.CanScan());
    EXPECT_EQ(frame.trayShown, (std::vector<bool>{false, true}));

    WString device;
    auto key = CSettingsKey::Open(HKEY_CURRENT_USER, kConfigKey);
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->QueryString(u"EID Device", device));
    EXPECT_EQ(device, Port() + u";Wyndrace;2S");
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(key->QueryBinary(u"EID CommConfig", bytes));
    ASSERT_EQ(bytes.size(), 52u);
    EXPECT_EQ(std::memcmp(bytes.data(), &config, 52), 0);

    CEIDReaderManager fresh;
    Build(fresh);
    ASSERT_TRUE(fresh.LoadSettings());
    EXPECT_EQ(fresh.GetPortName(), Port());
    EXPECT_EQ(fresh.GetManufacturer(), u"Wyndrace");
    EXPECT_EQ(fresh.GetModel(), u"2S");
    EXPECT_EQ(fresh.GetSupportedModes(), 7u);
    EXPECT_EQ(std::memcmp(&fresh.GetCommConfig(), &config, 52), 0);
    EXPECT_TRUE(host.Messages().empty());
}

TEST_F(ReaderManager, StoredSettingsThatCannotBeUsed) {
    struct Case {
        const char* what;
        const char16_t* device;      // nullptr: none stored
        size_t configBytes;          // 0: none stored
        bool loads;
        std::vector<unsigned> shown;
    };
    const std::vector<Case> cases = {
        {"nothing stored", nullptr, 0, false, {}},
        {"model missing", u"%PORT%;Wyndrace", 52, false, {13}},
        {"maker not registered", u"%PORT%;Nobody;2S", 52, false, {13}},
        {"record of 48 bytes", u"%PORT%;Wyndrace;2S", 48, true, {}},
        {"no record", u"%PORT%;Wyndrace;2S", 0, true, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        host.Clear();
        auto key = CSettingsKey::Create(HKEY_CURRENT_USER, kConfigKey);
        key->DeleteValue(u"EID Device");
        key->DeleteValue(u"EID CommConfig");
        if (c.device) {
            WString device = c.device;
            device.replace(0, 6, Port());
            key->SetString(u"EID Device", device);
        }
        // A record that is all 0xEE: taken only when it is whole.
        if (c.configBytes) key->SetBinary(u"EID CommConfig", std::vector<uint8_t>(c.configBytes, 0xEE));
        CEIDReaderManager m;
        Build(m);
        EXPECT_EQ(m.LoadSettings(), c.loads);
        EXPECT_EQ(host.MessageIds(), c.shown);
        EXPECT_EQ(m.IsBound(), c.loads);
        if (c.loads) {
            EXPECT_EQ(m.GetCommConfig().dcb.BaudRate, 9600u) << "the defaults are applied";
        }
        // Without a plug-in the scan cannot be switched on.
        if (!c.loads) {
            EXPECT_FALSE(m.ToggleScanning());
        }
    }
}

TEST_F(ReaderManager, SavingNoManufacturerForgetsTheReader) {
    Configure();
    ASSERT_TRUE(manager.ToggleScanning());
    manager.SaveSettings(u"", u"", u"", EIDEmptyCommConfig());
    EXPECT_FALSE(manager.IsScanning()) << "the old plug-in's scan ends before it is unloaded";
    EXPECT_FALSE(manager.IsBound());
    EXPECT_EQ(manager.GetSupportedModes(), 0u);
    EXPECT_FALSE(manager.ToggleScanning());
    auto key = CSettingsKey::Open(HKEY_CURRENT_USER, kConfigKey);
    ASSERT_TRUE(key);
    EXPECT_FALSE(key->QueryValue(u"EID Device"));
    EXPECT_FALSE(key->QueryValue(u"EID CommConfig"));
    EXPECT_EQ(frame.trayShown.back(), false);
}

TEST_F(ReaderManager, ScannedTagsReachTheFrameAndNothingAfterTheStop) {
    Configure();
    EXPECT_TRUE(manager.ToggleScanning());
    EXPECT_TRUE(manager.IsScanning());
    ASSERT_TRUE(ScanDelivers(982000123456789ull));
    // A tag read just before the stop is queued but never delivered.
    frame.tags.clear();
    reader.Send(CReaderSimulator::TagMessage(42));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(manager.ToggleScanning());
    queue.Drain();
    EXPECT_TRUE(frame.tags.empty());
    EXPECT_EQ(frame.trayStates, (std::vector<bool>{true, false}));
}

TEST_F(ReaderManager, UnpluggingPausesAndReplugginResumesOnce) {
    Configure();
    ASSERT_TRUE(manager.ToggleScanning());
    const std::string node = reader.Path();
    // A stable name that leads to the reader, as udev's by-id link does.
    const std::string byId = "/tmp/cvl-reader-by-id-" + std::to_string(::getpid());
    ::unlink(byId.c_str());
    ASSERT_EQ(::symlink(node.c_str(), byId.c_str()), 0);

    // Other devices, and a name differing only in case, leave the scan alone.
    watcher->Remove("/dev/ttyUSB7", {"/dev/serial/by-id/usb-Other-if00"});
    std::string upper = node;
    for (auto& ch : upper) ch = char(std::toupper(static_cast<unsigned char>(ch)));
    watcher->Remove(upper);
    EXPECT_TRUE(manager.IsScanning());

    watcher->Remove(node);
    EXPECT_FALSE(manager.IsScanning());
    EXPECT_TRUE(manager.IsResumePending());
    watcher->Add(node);
    EXPECT_TRUE(manager.IsScanning());
    EXPECT_FALSE(manager.IsResumePending());
    // A second arrival does not switch a running scan off.
    watcher->Add(node);
    EXPECT_TRUE(manager.IsScanning());
    EXPECT_TRUE(ScanDelivers(7));

    // The port stored by its stable name matches the device's link.
    manager.SaveSettings(u"Wyndrace", u"2S", Utf8ToW(byId), manager.GetCommConfig());
    ASSERT_TRUE(manager.ToggleScanning());
    EXPECT_TRUE(ScanDelivers(8));
    watcher->Remove("/dev/ttyUSB0", {byId});
    EXPECT_FALSE(manager.IsScanning());
    EXPECT_TRUE(manager.IsResumePending());
    watcher->Add("/dev/ttyUSB0", {byId});
    EXPECT_TRUE(manager.IsScanning());
    manager.StopScan();
    queue.Drain();
    ::unlink(byId.c_str());
    EXPECT_TRUE(host.Messages().empty());
}

TEST_F(ReaderManager, AReaderThatHangsUpPausesTheScanWithoutABox) {
    Configure();
    ASSERT_TRUE(manager.ToggleScanning());
    ASSERT_TRUE(ScanDelivers(5));
    reader.HangUp();
    ASSERT_TRUE(queue.DrainUntil([&] { return !manager.IsScanning(); }));
    EXPECT_TRUE(manager.IsResumePending());
    EXPECT_TRUE(host.Messages().empty());
    // udev's removal of the same port keeps the resume.
    watcher->Remove(reader.Path());
    EXPECT_TRUE(manager.IsResumePending());
}

TEST_F(ReaderManager, ReaderErrorsAreShownOnceAndStopTheScan) {
    struct Case {
        const char* what;
        uint32_t detail;
        std::optional<int> answer;  // to the question of string 16
        unsigned shown;
        int optionsShown;
    };
    const std::vector<Case> cases = {
        {"port missing, change it", EID_PORT_NOT_FOUND, IDYES, 16, 1},
        {"path missing, leave it", EID_PATH_NOT_FOUND, IDNO, 16, 0},
        {"no answer", EID_NO_REPLY, std::nullopt, 287, 0},
        {"a system error", EIDErrorFromErrno(EACCES), std::nullopt, 0, 0},
    };
    Configure();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        host.Clear();
        frame.optionsShown = 0;
        ASSERT_TRUE(manager.ToggleScanning());
        if (c.answer) host.Reply(c.shown, *c.answer);
        EXPECT_EQ(manager.OnReaderError(EIDN_ERROR, c.detail), 0);
        ASSERT_EQ(host.Messages().size(), 1u);
        EXPECT_EQ(host.Messages()[0].stringId, c.shown);
        if (c.shown == 0) {
            EXPECT_EQ(WToUtf8(host.Messages()[0].text), std::string(std::strerror(EACCES)));
        }
        EXPECT_EQ(frame.optionsShown, c.optionsShown);
        EXPECT_FALSE(manager.IsScanning());
        EXPECT_EQ(frame.trayStates.back(), false);
    }
    // Other notices are not errors.
    ASSERT_TRUE(manager.ToggleScanning());
    host.Clear();
    EXPECT_EQ(manager.OnReaderError(EIDN_TAGREAD, EID_NO_REPLY), 0);
    EXPECT_TRUE(manager.IsScanning());
    EXPECT_TRUE(host.Messages().empty());
    manager.StopScan();
}

TEST_F(ReaderManager, AScanOfAMissingPortAsksOnceAndTheNextAutoScanStartsAgain) {
    COMMCONFIG config = Defaults();
    manager.SaveSettings(u"Wyndrace", u"2S", u"/dev/no-such-reader", config);
    host.Reply(16, IDNO);
    ASSERT_TRUE(manager.ToggleScanning());
    ASSERT_TRUE(queue.DrainUntil([&] { return !host.Messages().empty(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    queue.Drain();
    EXPECT_EQ(host.MessageIds(), (std::vector<unsigned>{16}));
    EXPECT_FALSE(manager.IsScanning());
    host.Reply(16, IDNO);
    EXPECT_TRUE(manager.ToggleScanning());
    ASSERT_TRUE(queue.DrainUntil([&] { return !manager.IsScanning(); }));
}

TEST_F(ReaderManager, TheReaderTestAndThePortDefaults) {
    COMMCONFIG config = Defaults();
    // No manufacturer: passes without loading anything or touching the port.
    EXPECT_TRUE(manager.TestDevice(u"", u"", u"/dev/no-such-reader", config, 3));
    EXPECT_TRUE(manager.TestDevice(u"Wyndrace", u"2S", Port(), config, 0));
    EXPECT_TRUE(reader.WaitForReceived("[CSS]"));
    EXPECT_FALSE(manager.IsBound()) << "the test's binding is its own";
    EXPECT_FALSE(manager.TestDevice(u"Wyndrace", u"2S", u"/dev/no-such-reader", config, 0));
    EXPECT_TRUE(host.Messages().empty());

    COMMCONFIG filled;
    std::memset(&filled, 0xEE, sizeof filled);
    EXPECT_FALSE(manager.ApplyDefaultCommConfig(u"Wyndrace", u"2S", u"/dev/no-such-reader", filled));
    EXPECT_EQ(host.Messages().size(), 1u);
    EXPECT_EQ(filled.dwSize, 52u);
    EXPECT_EQ(filled.dcb.DCBlength, 28u);
    EXPECT_EQ(filled.dcb.BaudRate, 0u);
}

TEST_F(ReaderManager, ListsMakersModelsAndPortsWhateverTheirLength) {
    const WString longName(80, u'M');
    CSettingsKey::Create(HKEY_LOCAL_MACHINE, kApp + u"Readers\\" + longName + u"\\" + longName);
    const auto makers = manager.EnumReaderMakers();
    EXPECT_NE(std::find(makers.begin(), makers.end(), u"Wyndrace"), makers.end());
    EXPECT_NE(std::find(makers.begin(), makers.end(), longName), makers.end());
    EXPECT_EQ(manager.EnumReaderModels(longName), std::vector<WString>{longName});
    EXPECT_TRUE(manager.EnumReaderModels(u"").empty());
    const auto ports = manager.EnumComPorts();
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports.begin()->first, Port());
    EXPECT_EQ(ports.begin()->second, u"Simulated reader");
    CSettingsKey::Open(HKEY_LOCAL_MACHINE, kApp + u"Readers")->DeleteSubkey(longName);
}

TEST_F(ReaderManager, AutoScanIsTheUsersOwnOverTheMachineDefault) {
    auto user = CSettingsKey::Create(HKEY_CURRENT_USER, kApp + u"Settings");
    user->DeleteValue(u"EID Autoscan");
    CRegistrySettings::SetDWord(HKEY_LOCAL_MACHINE, u"Settings", u"EID Autoscan", 1);
    EXPECT_TRUE(CEIDReaderManager::GetAutoScanSetting());
    ASSERT_TRUE(CEIDReaderManager::SetAutoScanSetting(false));
    EXPECT_FALSE(CEIDReaderManager::GetAutoScanSetting());
    EXPECT_EQ(CRegistrySettings::GetDWord(HKEY_LOCAL_MACHINE, u"Settings", u"EID Autoscan", 9), 1u);
    CSettingsKey::Open(HKEY_LOCAL_MACHINE, kApp + u"Settings")->DeleteValue(u"EID Autoscan");
    user->DeleteValue(u"EID Autoscan");
    EXPECT_FALSE(CEIDReaderManager::GetAutoScanSetting());
}

TEST_F(ReaderManager, SwitchingTheScanThousandsOfTimesWhileTagsArrive) {
    Configure();
    std::atomic<bool> done{false};
    std::thread tags([&] {
        uint64_t eid = 1;
        while (!done) {
            reader.Send(CReaderSimulator::TagMessage(eid++));
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    size_t delivered = 0;
    for (int i = 0; i < 2000; ++i) {
        manager.ToggleScanning();
        if (i % 7 == 0) queue.Drain();
        if (!manager.IsScanning()) delivered = frame.tags.size();
        // Whatever was queued while the scan was off never arrives.
        if (!manager.IsScanning()) {
            queue.Drain();
            EXPECT_EQ(frame.tags.size(), delivered);
        }
    }
    done = true;
    tags.join();
    EXPECT_FALSE(manager.IsScanning());
    queue.Drain();
    EXPECT_EQ(frame.tags.size(), delivered);
    EXPECT_TRUE(host.Messages().empty());
}

TEST_F(ReaderManager, TheWizardsPauseTheScanAroundThem) {
    Configure();
    ASSERT_TRUE(manager.ToggleScanning());
    manager.UploadToReader(nullptr, nullptr);
    EXPECT_TRUE(manager.IsScanning());
    EXPECT_FALSE(manager.IsResumePending());
    EXPECT_EQ(frame.trayStates, (std::vector<bool>{true, false, true}));
    manager.StopScan();
    manager.DownloadFromReader(nullptr, nullptr);
    EXPECT_FALSE(manager.IsScanning());
}

TEST_F(ReaderManager, TheTransferPageHearsOnlyTheRemovalOfTheReadersPortWhileItIsThere) {
    Configure();
    int removals = 0;
    EIDTransferPage page{&removals, [](void* context) { ++*static_cast<int*>(context); }};
    manager.SetTransferPage(&page);
    watcher->Remove("/dev/ttyUSB7");
    watcher->Add(reader.Path());
    EXPECT_EQ(removals, 0);
    watcher->Remove(reader.Path());
    EXPECT_EQ(removals, 1);
    // The page has gone: its record is not used again.
    manager.SetTransferPage(nullptr);
    watcher->Remove(reader.Path());
    EXPECT_EQ(removals, 1);
}

}  // namespace
