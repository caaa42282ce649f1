// The EID reader manager: binds the program to one stick reader through its plug-in library, keeps
// the chosen reader in the user's settings, switches the tag scan and pauses it around transfers and
// while the reader's port is unplugged, and reports reader errors. User-interface thread only.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "abi/reader_abi.h"
#include "platform/module.h"
#include "platform/serial_ports.h"
#include "platform/text.h"

// What the manager asks of the main window.
class IReaderFrame {
public:
    virtual ~IReaderFrame() = default;
    virtual void ShowTrayIcon(bool show) = 0;
    virtual void SetTrayIconState(bool scanning) = 0;
    // A tag was read while scanning.
    virtual void OnTagScanned(uint64_t eid) = 0;
    // The options sheet with the reader page alone, modal.
    virtual void ShowReaderOptions() = 0;
};

class CEIDReaderManager {
public:
    // One profile stands in for the hardware profiles of the settings.
    static constexpr const char16_t* kHardwareProfile = u"Default";

    CEIDReaderManager();
    ~CEIDReaderManager();
    CEIDReaderManager(const CEIDReaderManager&) = delete;
    CEIDReaderManager& operator=(const CEIDReaderManager&) = delete;

    // Where scan notices and port events go: the UI thread's queue. Set before the first scan.
    void SetPoster(UiPost post);
    // The port watcher (owned); the manager hears the configured port come and go through it.
    void SetPortWatcher(std::unique_ptr<ISerialPortWatcher> watcher);
    ISerialPortWatcher* GetPortWatcher() const { return m_watcher.get(); }
    void SetFrame(IReaderFrame* frame) { m_frame = frame; }
    // Port events also go here while a transfer wants them (null: none).
    void SetForwardTarget(std::function<void(const SerialPortEvent&)> target) { m_forward = std::move(target); }

    const WString& GetPortName() const { return m_port; }
    const WString& GetManufacturer() const { return m_maker; }
    const WString& GetModel() const { return m_model; }
    const COMMCONFIG& GetCommConfig() const { return m_config; }
    uint32_t GetSupportedModes() const { return m_modes; }
    bool CanScan() const { return (m_modes & EID_MODE_SCAN) != 0; }
    bool IsBound() const { return m_module.IsLoaded(); }
    bool IsScanning() const;
    bool IsResumePending() const { return m_resume; }

    bool LoadSettings(const WString& profile = kHardwareProfile);
    void SaveSettings(const WString& maker, const WString& model, const WString& port, const COMMCONFIG& config);
    void ReadSupportedModes();

    // Switches the scan; the new state. False and no change when no plug-in scans.
    bool ToggleScanning();
    // Stops a running scan and remembers that it ran; Resume starts it again once.
    void Pause();
    void Resume();
    // The reader's port went away: a running scan stops and will resume when the port returns.
    void PauseForRemoval();
    // Stops the scan for good (the main window is closing).
    void StopScan();

    // The wizards, with the scan paused around them.
    bool UploadToReader(const EIDSourceWindow* parent, IDocument* doc);
    bool DownloadFromReader(const EIDSourceWindow* parent, IDocument* doc);
    // The plug-in's transfer page while it exists (null when it goes): told when the reader's port
    // is removed.
    void SetTransferPage(const EIDTransferPage* page) { m_transferPage = page ? *page : EIDTransferPage{}; }

    bool TestDevice(const WString& maker, const WString& model, const WString& port, COMMCONFIG& config,
                    uint32_t mode);
    // The port's system defaults (9600 8N1), then the plug-in's.
    bool ApplyDefaultCommConfig(const WString& maker, const WString& model, const WString& port,
                                COMMCONFIG& config);

    void OnPortEvent(const SerialPortEvent& event);
    int OnReaderError(uint32_t code, uint32_t detail);

    std::vector<WString> EnumReaderMakers() const;
    std::vector<WString> EnumReaderModels(const WString& maker) const;
    // Port name to friendly name of every present port.
    std::map<WString, WString> EnumComPorts() const;

    // A document was opened or created: with Auto Scan set the scan starts when it is off.
    void OnDocumentOpened();
    // A document is closing: the last one takes the scan with it.
    void OnDocumentClosing(int openDocuments);

    // Auto Scan: the user's own setting, else the machine-wide default.
    static bool GetAutoScanSetting();
    static bool SetAutoScanSetting(bool on);

    // Finds, loads and initialises the plug-in registered for the maker and model; shows why not.
    static bool LoadReaderPlugin(const WString& maker, const WString& model, EIDDeviceFunctions& table,
                                 CModule& module);
    static void ShowSystemError(uint32_t code);

private:
    struct Channel;
    static void Notify(void* context, uint32_t code, uint64_t value);
    void OnNotice(uint32_t code, uint64_t value);
    void Unbind();
    bool RunWizard(PFN_EIDUploadDlg wizard, const EIDSourceWindow* parent, IDocument* doc);
    void Stop();

    WString m_port;
    WString m_maker;
    WString m_model;
    COMMCONFIG m_config;
    WString m_profile = kHardwareProfile;
    uint32_t m_modes = 0;
    CModule m_module;
    EIDDeviceFunctions m_table{};
    mutable std::mutex m_lock;  // guards the scanning flag
    bool m_scanning = false;
    bool m_resume = false;
    IReaderFrame* m_frame = nullptr;
    std::function<void(const SerialPortEvent&)> m_forward;
    EIDTransferPage m_transferPage{};
    std::unique_ptr<ISerialPortWatcher> m_watcher;
    std::shared_ptr<Channel> m_channel;
    EIDNotifySink m_sink{};
};

// The program's reader manager, for the documents (null in programs without one).
CEIDReaderManager* CvlGetReaderManager();
void CvlSetReaderManager(CEIDReaderManager* manager);
