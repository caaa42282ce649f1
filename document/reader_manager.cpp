#include "document/reader_manager.h"

#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "platform/host.h"
#include "platform/settings.h"

namespace {

constexpr unsigned IDS_INF_MISSING = 13;
constexpr unsigned IDS_LOAD_FAILED = 41;
constexpr unsigned IDS_OPEN_FAILED = 16;
constexpr unsigned IDS_READER_ERROR = 287;

const WString kSettings = u"Settings";
const WString kReaders = WString(CRegistrySettings::AppKeyPath) + u"Readers";

WString ConfigurationKey(const WString& profile) {
    return WString(CRegistrySettings::AppKeyPath) + u"Settings\\EID Configuration\\" + profile;
}

std::optional<CSettingsKey> OpenReaderKey(const WString& maker, const WString& model) {
    if (maker.empty() || model.empty()) return std::nullopt;
    return CSettingsKey::Open(HKEY_LOCAL_MACHINE, kReaders + u"\\" + maker + u"\\" + model);
}

CEIDReaderManager* g_manager = nullptr;

}  // namespace

CEIDReaderManager* CvlGetReaderManager() { return g_manager; }
void CvlSetReaderManager(CEIDReaderManager* manager) { g_manager = manager; }

struct CEIDReaderManager::Channel {
    CEIDReaderManager* manager = nullptr;
    UiPost post;
    std::weak_ptr<Channel> self;
    // Changes at every start and stop: a notice queued by an earlier scan finds another value and
    // is dropped, so nothing of a stopped scan arrives late.
    std::atomic<uint64_t> generation{0};
};

CEIDReaderManager::CEIDReaderManager() : m_config(EIDEmptyCommConfig()), m_channel(std::make_shared<Channel>()) {
    m_channel->manager = this;
    m_channel->self = m_channel;
    m_sink.context = m_channel.get();
    m_sink.notify = &CEIDReaderManager::Notify;
}

CEIDReaderManager::~CEIDReaderManager() {
    if (m_watcher) m_watcher->Watch(nullptr);
    Unbind();
    m_channel->manager = nullptr;
}

void CEIDReaderManager::SetPoster(UiPost post) { m_channel->post = std::move(post); }

void CEIDReaderManager::SetPortWatcher(std::unique_ptr<ISerialPortWatcher> watcher) {
    if (m_watcher) m_watcher->Watch(nullptr);
    m_watcher = std::move(watcher);
    if (m_watcher) m_watcher->Watch([this](const SerialPortEvent& event) { OnPortEvent(event); });
}

bool CEIDReaderManager::IsScanning() const {
    std::lock_guard lock(m_lock);
    return m_scanning;
}

// ---- settings and binding ------------------------------------------------------------------------

void CEIDReaderManager::ShowSystemError(uint32_t code) {
    CvlMessageBoxText(Utf8ToW(EIDSystemErrorText(code)));
}

bool CEIDReaderManager::LoadReaderPlugin(const WString& maker, const WString& model, EIDDeviceFunctions& table,
                                         CModule& module) {
    // The Readers entry of the maker and model holds the library's path.
    WString path;
    if (auto key = OpenReaderKey(maker, model)) key->QueryString(u"", path);
    if (path.empty()) {
        CvlMessageBox(IDS_INF_MISSING, {model}, MB_ICONEXCLAMATION);
        return false;
    }
    PFN_InitEIDDevice init = nullptr;
    if (module.Load(WToUtf8(path))) init = module.Get<PFN_InitEIDDevice>("InitEIDDevice");
    if (!init) {
        module.Free();
        CvlMessage msg;
        msg.stringId = IDS_LOAD_FAILED;
        msg.text = LoadCvlString(IDS_LOAD_FAILED);
        const size_t at = msg.text.find(u"%s");
        if (at != WString::npos) msg.text.replace(at, 2, path);
        msg.type = MB_ICONEXCLAMATION;
        msg.helpId = CVL_HELP_FROM_ID;
        CvlShowMessage(msg);
        return false;
    }
    table = EIDDeviceFunctions{};
    init(&table, maker.c_str(), model.c_str());
    return true;
}

void CEIDReaderManager::Unbind() {
    // The library goes only after its scan thread has ended.
    Stop();
    m_table = EIDDeviceFunctions{};
    m_module.Free();
}

bool CEIDReaderManager::LoadSettings(const WString& profile) {
    m_profile = profile;
    const WString device = CRegistrySettings::GetString(HKEY_CURRENT_USER, u"Settings\\EID Configuration\\" + profile,
                                                        u"EID Device", u"");
    Unbind();
    m_modes = 0;
    if (device.empty()) {
        m_port.clear();
        m_maker.clear();
        m_model.clear();
        return false;
    }
    const std::vector<WString> pieces = Split(device, u';');
    m_port = pieces.size() > 0 ? pieces[0] : WString();
    m_maker = pieces.size() > 1 ? pieces[1] : WString();
    m_model = pieces.size() > 2 ? pieces[2] : WString();
    if (!LoadReaderPlugin(m_maker, m_model, m_table, m_module)) return false;
    ReadSupportedModes();
    std::vector<uint8_t> bytes;
    auto key = CSettingsKey::Open(HKEY_CURRENT_USER, ConfigurationKey(profile));
    if (key && key->QueryBinary(u"EID CommConfig", bytes) && bytes.size() == sizeof(COMMCONFIG))
        std::memcpy(&m_config, bytes.data(), sizeof m_config);
    else
        ApplyDefaultCommConfig(m_maker, m_model, m_port, m_config);
    return true;
}

void CEIDReaderManager::SaveSettings(const WString& maker, const WString& model, const WString& port,
                                     const COMMCONFIG& config) {
    if (m_frame) m_frame->ShowTrayIcon(false);
    m_port = port;
    m_maker = maker;
    m_model = model;
    Unbind();
    m_modes = 0;
    auto key = CSettingsKey::Create(HKEY_CURRENT_USER, ConfigurationKey(m_profile));
    if (maker.empty()) {
        if (key) {
            key->DeleteValue(u"EID Device");
            key->DeleteValue(u"EID CommConfig");
        }
        return;
    }
    LoadReaderPlugin(maker, model, m_table, m_module);
    ReadSupportedModes();
    if (CanScan() && m_frame) m_frame->ShowTrayIcon(true);
    m_config = config;
    if (key) {
        key->SetString(u"EID Device", port + u";" + maker + u";" + model);
        const auto* raw = reinterpret_cast<const uint8_t*>(&m_config);
        key->SetBinary(u"EID CommConfig", std::vector<uint8_t>(raw, raw + sizeof m_config));
    }
}

void CEIDReaderManager::ReadSupportedModes() {
    m_modes = 0;
    if (auto key = OpenReaderKey(m_maker, m_model)) key->QueryDWord(u"Supported Modes", m_modes);
}

std::vector<WString> CEIDReaderManager::EnumReaderMakers() const {
    CCvlWaitCursor wait;
    auto key = CSettingsKey::Open(HKEY_LOCAL_MACHINE, kReaders);
    return key ? key->SubkeyNames() : std::vector<WString>{};
}

std::vector<WString> CEIDReaderManager::EnumReaderModels(const WString& maker) const {
    CCvlWaitCursor wait;
    if (maker.empty()) return {};
    auto key = CSettingsKey::Open(HKEY_LOCAL_MACHINE, kReaders + u"\\" + maker);
    return key ? key->SubkeyNames() : std::vector<WString>{};
}

std::map<WString, WString> CEIDReaderManager::EnumComPorts() const {
    std::map<WString, WString> ports;
    if (m_watcher)
        for (const auto& port : m_watcher->ListPorts()) ports[Utf8ToW(port.name)] = port.friendlyName;
    return ports;
}

bool CEIDReaderManager::GetAutoScanSetting() {
    uint32_t on = 0;
    const WString settings = WString(CRegistrySettings::AppKeyPath) + kSettings;
    auto user = CSettingsKey::Open(HKEY_CURRENT_USER, settings);
    if (user && user->QueryDWord(u"EID Autoscan", on)) return on != 0;
    return CRegistrySettings::GetDWord(HKEY_LOCAL_MACHINE, kSettings, u"EID Autoscan", 0) != 0;
}

bool CEIDReaderManager::SetAutoScanSetting(bool on) {
    return CRegistrySettings::SetDWord(HKEY_CURRENT_USER, kSettings, u"EID Autoscan", on ? 1 : 0);
}

void CEIDReaderManager::OnDocumentOpened() {
    if (GetAutoScanSetting() && !IsScanning()) ToggleScanning();
}

void CEIDReaderManager::OnDocumentClosing(int openDocuments) {
    if (openDocuments <= 1 && IsScanning()) ToggleScanning();
}

// ---- the scan ------------------------------------------------------------------------------------

void CEIDReaderManager::Notify(void* context, uint32_t code, uint64_t value) {
    auto* channel = static_cast<Channel*>(context);
    const uint64_t generation = channel->generation.load();
    if (!channel->post) return;
    std::weak_ptr<Channel> weak = channel->self;
    channel->post([weak, generation, code, value] {
        auto alive = weak.lock();
        if (alive && alive->manager && alive->generation.load() == generation) alive->manager->OnNotice(code, value);
    });
}

bool CEIDReaderManager::ToggleScanning() {
    if (!m_table.EIDStartScan || !m_table.EIDStopScan) return false;
    bool on;
    {
        std::lock_guard lock(m_lock);
        on = m_scanning = !m_scanning;
    }
    if (m_frame) m_frame->SetTrayIconState(on);
    if (on) {
        ++m_channel->generation;
        m_table.EIDStartScan(&m_sink, m_port.c_str(), &m_config);
    } else {
        m_table.EIDStopScan();
        ++m_channel->generation;
    }
    return on;
}

void CEIDReaderManager::Stop() {
    if (IsScanning()) ToggleScanning();
}

void CEIDReaderManager::StopScan() { Stop(); }

void CEIDReaderManager::Pause() {
    m_resume = IsScanning();
    Stop();
}

void CEIDReaderManager::PauseForRemoval() {
    // A second sign of the same removal (the scan's error, then udev's event) keeps the first's flag.
    if (!IsScanning()) return;
    m_resume = true;
    Stop();
}

void CEIDReaderManager::Resume() {
    if (!m_resume) return;
    m_resume = false;
    if (!IsScanning()) ToggleScanning();
}

void CEIDReaderManager::OnNotice(uint32_t code, uint64_t value) {
    if (!IsScanning()) return;
    if (code == EIDN_TAGREAD) {
        if (m_frame) m_frame->OnTagScanned(value);
        return;
    }
    if (code != EIDN_ERROR) return;
    // The reader's port went away under the scan: as when it is unplugged, the scan waits for it.
    if (EIDIsPortGone(uint32_t(value))) {
        PauseForRemoval();
        return;
    }
    OnReaderError(code, uint32_t(value));
}

int CEIDReaderManager::OnReaderError(uint32_t code, uint32_t detail) {
    if (code != EIDN_ERROR) return 0;
    // The scan thread has stopped scanning; it goes before the flag is cleared, so that the next
    // Auto Scan starts a fresh one.
    Stop();
    if (detail == EID_PORT_NOT_FOUND || detail == EID_PATH_NOT_FOUND) {
        if (CvlMessageBox(IDS_OPEN_FAILED, MB_YESNO | MB_ICONQUESTION) == IDYES && m_frame)
            m_frame->ShowReaderOptions();
    } else if (detail == EID_NO_REPLY) {
        CvlMessageBox(IDS_READER_ERROR);
    } else {
        ShowSystemError(detail);
    }
    return 0;
}

// ---- wizards, test and defaults ------------------------------------------------------------------

bool CEIDReaderManager::RunWizard(PFN_EIDUploadDlg wizard, const EIDSourceWindow* parent, IDocument* doc) {
    if (!wizard) return false;
    Pause();
    const bool finished = wizard(parent, m_port.c_str(), &m_config, doc) != 0;
    Resume();
    return finished;
}

bool CEIDReaderManager::UploadToReader(const EIDSourceWindow* parent, IDocument* doc) {
    return RunWizard(m_table.EIDUploadDlg, parent, doc);
}

bool CEIDReaderManager::DownloadFromReader(const EIDSourceWindow* parent, IDocument* doc) {
    return RunWizard(m_table.EIDDownloadDlg, parent, doc);
}

bool CEIDReaderManager::TestDevice(const WString& maker, const WString& model, const WString& port,
                                   COMMCONFIG& config, uint32_t mode) {
    if (maker.empty()) return true;
    EIDDeviceFunctions table{};
    CModule module;
    if (!LoadReaderPlugin(maker, model, table, module)) return false;
    return table.EIDTestDevice && table.EIDTestDevice(mode, port.c_str(), &config) != 0;
}

bool CEIDReaderManager::ApplyDefaultCommConfig(const WString& maker, const WString& model, const WString& port,
                                               COMMCONFIG& config) {
    config = EIDEmptyCommConfig();
    struct stat info {};
    if (::stat(WToUtf8(port).c_str(), &info) != 0) {
        ShowSystemError(EIDErrorFromErrno(errno));
        return false;
    }
    if (!S_ISCHR(info.st_mode)) {
        ShowSystemError(EIDErrorFromErrno(ENOTTY));
        return false;
    }
    // What a serial port starts as: 9600 baud, 8 data bits, no parity, one stop bit.
    config.dcb.BaudRate = 9600;
    config.dcb.ByteSize = 8;
    config.dcb.flags = DCB_fBinary;
    EIDDeviceFunctions table{};
    CModule module;
    if (!LoadReaderPlugin(maker, model, table, module)) return false;
    if (table.EIDGetDefaultConfig) table.EIDGetDefaultConfig(&config);
    return true;
}

// ---- port events ---------------------------------------------------------------------------------

void CEIDReaderManager::OnPortEvent(const SerialPortEvent& event) {
    const bool ours = event.Names(WToUtf8(m_port));
    if (ours) {
        // There is no asking before a removal: the port is gone, the scan waits for its return.
        if (event.added) {
            Resume();
        } else {
            PauseForRemoval();
            if (m_transferPage.deviceRemoved) m_transferPage.deviceRemoved(m_transferPage.context);
        }
    }
    if (m_forward) m_forward(event);
}
