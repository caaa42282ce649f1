#include "document/reader_options.h"

#include <gtest/gtest.h>

#include <cstring>

#include "document/reader_manager.h"
#include "platform/settings.h"
#include "support/reader_plugin.h"
#include "support/reader_simulator.h"
#include "support/scripted_host_fixture.h"
#include "support/scripted_ports.h"

namespace {

const WString kApp = CRegistrySettings::AppKeyPath;
const WString kConfigKey = kApp + u"Settings\\EID Configuration\\Default";


class ReaderOptions : public ::testing::Test {
protected:
    void SetUp() override {
        KeepReaderPluginLoaded(CVL_WYNDRACE_PLUGIN);
        CSettingsKey::Create(HKEY_CURRENT_USER, kApp + u"Settings")->DeleteSubkey(u"EID Configuration");
        auto readers = CSettingsKey::Create(HKEY_LOCAL_MACHINE, kApp + u"Readers");
        for (const auto& maker : readers->SubkeyNames()) readers->DeleteSubkey(maker);
        RegisterReaderPlugin(CVL_WYNDRACE_PLUGIN);
        auto ports = std::make_unique<CScriptedPortWatcher>();
        watcher = ports.get();
        watcher->ports = {{reader.Path(), u"Reader (pts)"}, {second.Path(), u"Other (pts)"}};
        manager.SetPoster(queue.Poster());
        manager.SetPortWatcher(std::move(ports));
    }
    WString Port() const { return Utf8ToW(reader.Path()); }
    // The reader's port is the first of the list (they are listed by name).
    int ReaderIndex(const CEIDReaderOptionsModel& page) const {
        const auto& names = page.GetPortNames();
        return int(std::find(names.begin(), names.end(), Port()) - names.begin());
    }
    bool Stored(WString* device = nullptr) {
        auto key = CSettingsKey::Open(HKEY_CURRENT_USER, kConfigKey);
        WString text;
        const bool found = key && key->QueryString(u"EID Device", text);
        if (device) *device = text;
        return found;
    }

    CScopedScriptedHost host;
    CReaderSimulator reader;
    CReaderSimulator second;
    CUiQueue queue;
    CScriptedPortWatcher* watcher = nullptr;
    CEIDReaderManager manager;
};

TEST_F(ReaderOptions, ChoosingAReaderStepByStep) {
    CEIDReaderOptionsModel page(manager);
    page.Init();
    EXPECT_EQ(page.GetMakers(), (std::vector<WString>{CEIDReaderOptionsModel::kSelectMaker, u"Wyndrace"}));
    EXPECT_EQ(page.GetMakerSelection(), 0);
    EXPECT_TRUE(page.IsMakerEnabled());
    EXPECT_FALSE(page.IsModelEnabled());
    EXPECT_FALSE(page.IsPortEnabled());
    EXPECT_FALSE(page.IsTestEnabled());
    EXPECT_FALSE(page.IsConfigureEnabled());

    page.SelectMaker(1);
    EXPECT_EQ(page.GetModels(), std::vector<WString>{u"2S"});
    EXPECT_TRUE(page.IsModelEnabled());
    EXPECT_FALSE(page.IsVerified());
    page.SelectModel(0);
    EXPECT_TRUE(page.IsPortEnabled());
    EXPECT_EQ(page.GetPortSelection(), -1);
    EXPECT_FALSE(page.IsTestEnabled());
    // Whichever entry the reader's port is, the first one included, Test comes on.
    page.SelectPort(ReaderIndex(page));
    EXPECT_TRUE(page.IsTestEnabled());
    EXPECT_TRUE(page.IsConfigureEnabled());
    EXPECT_TRUE(page.IsPortChanged());

    // The first test applies the port's defaults once; settings made with Configure then stay.
    page.GetCommConfig().dcb.BaudRate = 1200;
    EXPECT_TRUE(page.Test());
    EXPECT_TRUE(reader.WaitForReceived("[CSS]"));
    EXPECT_EQ(page.GetCommConfig().dcb.BaudRate, 9600u);
    EXPECT_FALSE(page.IsPortChanged());
    page.GetCommConfig().dcb.BaudRate = 19200;
    page.OnConfigured(true);
    EXPECT_FALSE(page.IsVerified());
    page.GetCommConfig().dcb.BaudRate = 9600;  // the simulator's terminal does not care; the record does
    page.GetCommConfig().dcb.XonLim = 77;
    EXPECT_TRUE(page.Test());
    EXPECT_EQ(page.GetCommConfig().dcb.XonLim, 77);

    EXPECT_EQ(page.CheckLeave(), 0u);
    ASSERT_TRUE(page.Apply());
    WString device;
    ASSERT_TRUE(Stored(&device));
    EXPECT_EQ(device, Port() + u";Wyndrace;2S");
    EXPECT_EQ(manager.GetCommConfig().dcb.XonLim, 77);
    EXPECT_TRUE(manager.IsBound());
    EXPECT_TRUE(host.Messages().empty());
}

TEST_F(ReaderOptions, AFailedTestBlocksApplyAndStoresNothing) {
    reader.SetReply("[CSS]", std::nullopt);
    CEIDReaderOptionsModel page(manager);
    page.Init();
    page.SelectMaker(1);
    page.SelectModel(0);
    page.SelectPort(ReaderIndex(page));
    EXPECT_FALSE(page.Apply());
    EXPECT_FALSE(Stored());
    EXPECT_FALSE(manager.IsBound());
}

TEST_F(ReaderOptions, StoredChoicesAndWhatApplyingThemDoes) {
    COMMCONFIG config = EIDEmptyCommConfig();
    ASSERT_TRUE(manager.ApplyDefaultCommConfig(u"Wyndrace", u"2S", Port(), config));
    manager.SaveSettings(u"Wyndrace", u"2S", Port(), config);
    {
        // Unchanged: stored again without a test.
        CEIDReaderOptionsModel page(manager);
        page.Init();
        EXPECT_EQ(page.GetMakerSelection(), 1);
        EXPECT_EQ(page.GetModelSelection(), 0);
        EXPECT_EQ(page.GetPortSelection(), ReaderIndex(page));
        EXPECT_TRUE(page.IsTestEnabled());
        reader.ClearReceived();
        ASSERT_TRUE(page.Apply());
        EXPECT_EQ(reader.Received(), "");
        EXPECT_TRUE(Stored());
    }
    {
        // The reader's port is unplugged: no port is selected, and applying keeps the stored one.
        watcher->ports = {{second.Path(), u"Other (pts)"}};
        CEIDReaderOptionsModel page(manager);
        page.Init();
        EXPECT_EQ(page.GetPortSelection(), -1);
        ASSERT_TRUE(page.Apply());
        WString device;
        ASSERT_TRUE(Stored(&device));
        EXPECT_EQ(device, Port() + u";Wyndrace;2S");
    }
    {
        // The first entry of the makers forgets the reader.
        CEIDReaderOptionsModel page(manager);
        page.Init();
        page.SelectMaker(0);
        EXPECT_FALSE(page.IsPortEnabled());
        EXPECT_FALSE(page.IsModelEnabled());
        ASSERT_TRUE(page.Apply());
        EXPECT_FALSE(Stored());
        EXPECT_FALSE(manager.IsBound());
    }
    EXPECT_TRUE(host.Messages().empty());
}

TEST_F(ReaderOptions, LeavingWithAPortButNoReaderAndNoPortsAtAll) {
    // A port chosen, then the model list emptied of its choice: the model is asked for.
    CEIDReaderOptionsModel page(manager);
    page.Init();
    page.SelectMaker(1);
    page.SelectModel(0);
    page.SelectPort(0);
    page.SelectModel(-1);
    EXPECT_EQ(page.CheckLeave(), 190u);
    EXPECT_FALSE(page.IsTestEnabled());

    // A stored maker that is no longer registered, with its port present: the maker is asked for.
    CSettingsKey::Create(HKEY_CURRENT_USER, kConfigKey)->SetString(u"EID Device", Port() + u";Gone;X1");
    CEIDReaderManager stale;
    stale.SetPortWatcher(std::make_unique<CScriptedPortWatcher>(*watcher));
    host.Clear();
    EXPECT_FALSE(stale.LoadSettings());
    CEIDReaderOptionsModel other(stale);
    other.Init();
    EXPECT_EQ(other.GetMakerSelection(), -1);
    EXPECT_EQ(other.GetPortSelection(), ReaderIndex(other));
    EXPECT_EQ(other.CheckLeave(), 189u);

    // No ports at all.
    watcher->ports.clear();
    host.Clear();
    CEIDReaderOptionsModel empty(manager);
    empty.Init();
    EXPECT_EQ(host.MessageIds(), std::vector<unsigned>{11});
    EXPECT_FALSE(empty.IsPortEnabled());
}

TEST(PortSettings, ReadAndWrittenThroughTheDcb) {
    struct Case {
        const char* what;
        uint32_t flags;
        CPortSettings::Flow flow;
        uint32_t flagsAfter;  // after writing the same choice back with parity even
    };
    const uint32_t rtsToggle = RTS_CONTROL_TOGGLE << DCB_fRtsControlShift;
    const uint32_t rtsHandshake = RTS_CONTROL_HANDSHAKE << DCB_fRtsControlShift;
    const uint32_t rtsEnable = RTS_CONTROL_ENABLE << DCB_fRtsControlShift;
    const std::vector<Case> cases = {
        {"none, RTS toggle kept", DCB_fBinary | rtsToggle, CPortSettings::FlowNone, DCB_fBinary | DCB_fParity | rtsToggle},
        {"xon/xoff", DCB_fBinary | DCB_fOutX | DCB_fInX, CPortSettings::FlowXonXoff,
         DCB_fBinary | DCB_fParity | DCB_fOutX | DCB_fInX},
        {"hardware by CTS", DCB_fBinary | DCB_fOutxCtsFlow, CPortSettings::FlowHardware,
         DCB_fBinary | DCB_fParity | DCB_fOutxCtsFlow | rtsHandshake},
        {"hardware by RTS handshake", DCB_fBinary | rtsHandshake, CPortSettings::FlowHardware,
         DCB_fBinary | DCB_fParity | DCB_fOutxCtsFlow | rtsHandshake},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DCB dcb{};
        dcb.DCBlength = 28;
        dcb.BaudRate = 4800;
        dcb.ByteSize = 7;
        dcb.flags = c.flags;
        dcb.XonChar = 0x11;
        CPortSettings settings = CPortSettings::FromDcb(dcb);
        EXPECT_EQ(settings.flow, c.flow);
        EXPECT_EQ(settings.baud, 4800u);
        EXPECT_EQ(settings.dataBits, 7);
        settings.parity = 2;
        settings.ApplyTo(dcb);
        EXPECT_EQ(dcb.flags, c.flagsAfter);
        EXPECT_EQ(dcb.Parity, 2);
        EXPECT_EQ(dcb.XonChar, 0x11) << "fields without a terminal setting stay";
    }
    // Leaving hardware flow: the handshake goes, RTS is simply on.
    DCB dcb{};
    dcb.flags = DCB_fOutxCtsFlow | rtsHandshake;
    CPortSettings settings = CPortSettings::FromDcb(dcb);
    settings.flow = CPortSettings::FlowNone;
    settings.ApplyTo(dcb);
    EXPECT_EQ(dcb.flags, rtsEnable);
}

}  // namespace
