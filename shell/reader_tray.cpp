#include "shell/reader_tray.h"

#include <wx/dcmemory.h>
#include <wx/menu.h>
#include <wx/taskbar.h>

#include <cinttypes>

#include "document/command_ids.h"
#include "document/ui/sheep_dialogs_wx.h"
#include "document/ui/wx_strings.h"
#include "platform/strings.h"
#include "shell/main_frame.h"
#include "views/sheep_document.h"

namespace {

constexpr unsigned IDS_EID_NOT_SETUP = 10;
constexpr unsigned IDS_SCANNED = 58;
constexpr unsigned IDS_CLICK_TO_NAVIGATE = 59;
constexpr unsigned IDS_CLICK_TO_SET_UP = 60;

wxIcon ScanIcon(bool scanning) {
    wxBitmap bitmap(16, 16);
    {
        wxMemoryDC dc(bitmap);
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        dc.SetBrush(scanning ? *wxGREEN_BRUSH : *wxLIGHT_GREY_BRUSH);
        dc.SetPen(*wxBLACK_PEN);
        dc.DrawEllipse(2, 2, 12, 12);
    }
    wxIcon icon;
    icon.CopyFromBitmap(bitmap);
    return icon;
}

// "%016I64u" of the string table: the EID as sixteen digits, zeros in front.
WString FormatEidText(uint64_t eid) {
    WString text = LoadCvlString(IDS_EID_NOT_SETUP);
    const size_t at = text.find(u"%016I64u");
    char digits[32];
    std::snprintf(digits, sizeof digits, "%016" PRIu64, eid);
    if (at != WString::npos) text.replace(at, 8, Utf8ToW(digits));
    return text;
}

class CTrayIcon : public wxTaskBarIcon {
public:
    explicit CTrayIcon(CReaderTray& tray) : m_tray(tray) {}

protected:
    wxMenu* CreatePopupMenu() override {
        auto* menu = new wxMenu;
        menu->AppendCheckItem(WxCommandId(ID_EID_AUTOSCAN), "&Auto Scan IDs");
        menu->Bind(
            wxEVT_MENU, [this](wxCommandEvent&) { m_tray.ToggleAutoScan(); }, WxCommandId(ID_EID_AUTOSCAN));
        return menu;
    }

private:
    CReaderTray& m_tray;
};

}  // namespace

CReaderTray::CReaderTray(CMainFrame& frame, CEIDReaderManager& manager) : m_frame(frame), m_manager(manager) {}

CReaderTray::~CReaderTray() {
    if (m_icon) m_icon->RemoveIcon();
}

void CReaderTray::ShowTrayIcon(bool show) {
    m_bIconShown = show;
    if (!show) {
        if (m_icon) m_icon->RemoveIcon();
        m_icon.reset();
        return;
    }
    // A desktop without a tray shows no icon; the notifications and the Auto Scan command remain.
    if (!m_icon && wxTaskBarIcon::IsAvailable()) m_icon = std::make_unique<CTrayIcon>(*this);
    UpdateIcon();
}

void CReaderTray::SetTrayIconState(bool scanning) {
    m_bScanning = scanning;
    UpdateIcon();
}

void CReaderTray::UpdateIcon() {
    if (m_icon && m_bIconShown) m_icon->SetIcon(ScanIcon(m_bScanning), "Electronic ID Scanner");
}

wxDocument* CReaderTray::ActiveDocument() const {
    wxDocManager* manager = m_frame.GetDocumentManager();
    return manager ? manager->GetCurrentDocument() : nullptr;
}

bool CReaderTray::IsOpen(wxDocument* doc) const {
    wxDocManager* manager = m_frame.GetDocumentManager();
    if (!doc || !manager) return false;
    for (wxDocument* open : manager->GetDocumentsVector())
        if (open == doc) return true;
    return false;
}

void CReaderTray::OnTagScanned(uint64_t eid) {
    m_nLastEid = eid;
    auto* doc = dynamic_cast<CSheepDocument*>(ActiveDocument());
    if (!doc) return;
    WString tattoo;
    WString title, text;
    if (doc->GetCore().LookupTattooByEID(eid, &tattoo)) {
        m_strIdentity = tattoo;
        title = FormatPlaceholders(LoadCvlString(IDS_SCANNED), {tattoo});
        text = LoadCvlString(IDS_CLICK_TO_NAVIGATE);
    } else {
        m_strIdentity.clear();
        title = LoadCvlString(IDS_CLICK_TO_SET_UP);
        text = FormatEidText(eid);
    }
    if (!m_notifier) m_notifier = CreateDesktopNotifier(&m_frame);
    wxDocument* raisedFor = doc;
    m_notifier->Show(title, text, [this, raisedFor, eid] { OnNotificationClick(raisedFor, eid); });
}

void CReaderTray::OnNotificationClick(wxDocument* doc, uint64_t eid) {
    // The document the tag was read for; when it has closed, the active one.
    if (!IsOpen(doc)) doc = ActiveDocument();
    auto* sheepDoc = dynamic_cast<CSheepDocument*>(doc);
    if (!sheepDoc) return;
    m_frame.Raise();
    if (wxView* view = sheepDoc->GetFirstView())
        if (wxWindow* child = view->GetFrame()) child->Raise();
    CSheepDoc& core = sheepDoc->GetCore();
    // Looked up again: the file may have changed since the tag was read.
    WString tattoo;
    if (core.LookupTattooByEID(eid, &tattoo)) {
        m_strIdentity = tattoo;
        core.SelectSheep(tattoo, true, true, nullptr);
    } else {
        m_strIdentity.clear();
        NewSheep(&m_frame, core, -1, nullptr, &eid);
    }
}

void CReaderTray::ShowReaderOptions() {
    if (m_showOptions) m_showOptions();
}

void CReaderTray::ToggleAutoScan() {
    const bool on = m_manager.ToggleScanning();
    SetTrayIconState(on);
    CEIDReaderManager::SetAutoScanSetting(m_manager.IsScanning());
}
