// The reader's face in the main window: the tray icon with its Auto Scan menu, the notification of
// every scanned tag and what a click on it does, and the Auto Scan command.
#pragma once

#include <wx/docview.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "document/reader_manager.h"
#include "platform/text.h"

class CMainFrame;
class wxTaskBarIcon;

// Shows a notification; onClick runs on the user-interface thread when the user clicks it.
class IReaderNotifier {
public:
    virtual ~IReaderNotifier() = default;
    virtual void Show(const WString& title, const WString& text, std::function<void()> onClick) = 0;
};

// libnotify with a click action where a notification service runs, else wx's generic notification.
std::unique_ptr<IReaderNotifier> CreateDesktopNotifier(wxWindow* parent);

class CReaderTray : public IReaderFrame {
public:
    CReaderTray(CMainFrame& frame, CEIDReaderManager& manager);
    ~CReaderTray() override;
    CReaderTray(const CReaderTray&) = delete;
    CReaderTray& operator=(const CReaderTray&) = delete;

    void ShowTrayIcon(bool show) override;
    void SetTrayIconState(bool scanning) override;
    void OnTagScanned(uint64_t eid) override;
    void ShowReaderOptions() override;

    // The Auto Scan IDs command: switches the scan and stores the new state as the user's setting.
    void ToggleAutoScan();

    void SetNotifier(std::unique_ptr<IReaderNotifier> notifier) { m_notifier = std::move(notifier); }
    // Where ShowReaderOptions goes (the options sheet with the reader page); none: nothing happens.
    void SetOptionsHandler(std::function<void()> handler) { m_showOptions = std::move(handler); }

    bool IsIconShown() const { return m_bIconShown; }
    bool IsIconScanning() const { return m_bScanning; }
    uint64_t GetLastScannedEid() const { return m_nLastEid; }
    const WString& GetLastIdentity() const { return m_strIdentity; }

    // The click on the notification of a tag read for `doc` (null: none was active).
    void OnNotificationClick(wxDocument* doc, uint64_t eid);

private:
    wxDocument* ActiveDocument() const;
    bool IsOpen(wxDocument* doc) const;
    void UpdateIcon();

    CMainFrame& m_frame;
    CEIDReaderManager& m_manager;
    std::unique_ptr<wxTaskBarIcon> m_icon;
    std::unique_ptr<IReaderNotifier> m_notifier;
    std::function<void()> m_showOptions;
    bool m_bIconShown = false;
    bool m_bScanning = false;
    uint64_t m_nLastEid = 0;
    WString m_strIdentity;
};
