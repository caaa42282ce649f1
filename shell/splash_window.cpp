#include "shell/splash_window.h"

#include <wx/button.h>
#include <wx/dcbuffer.h>
#include <wx/dcmemory.h>
#include <wx/filedlg.h>
#include <wx/listbox.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/statbox.h>

#include "document/ui/context_help.h"
#include "document/ui/sheet.h"
#include "platform/settings.h"
#include "platform/strings.h"
#include "document/ui/wx_strings.h"

namespace {

constexpr int kSplashMilliseconds = 2500;
constexpr unsigned IDS_CVL_FILTER = 164;
constexpr unsigned IDS_MORE = 167;
constexpr int IDC_START_NEW = 1160;
constexpr int IDC_START_OPEN = 1161;
constexpr int IDC_START_RECENT = 1185;
using StartHelp = CvlControlHelp<IDC_START_NEW, IDC_START_OPEN, IDC_START_RECENT>;
CVL_HELP_TABLE(StartHelp::table);

CSplashWindow* s_pSplashWindow = nullptr;
bool s_bShowSplashWindow = true;
std::function<void()>& ClosedHandler() {
    static std::function<void()> handler;
    return handler;
}

bool ClosesSplash(wxEventType type) {
    return type == wxEVT_KEY_DOWN || type == wxEVT_LEFT_DOWN || type == wxEVT_RIGHT_DOWN ||
           type == wxEVT_MIDDLE_DOWN;
}

}  // namespace

// ---- the splash ------------------------------------------------------------------------------------

void CSplashWindow::EnableSplashScreen(bool enable) {
    s_bShowSplashWindow = enable;
}

bool CSplashWindow::ShowSplashScreen(wxWindow* parent, const wxBitmap& picture) {
    if (!s_bShowSplashWindow || s_pSplashWindow || !picture.IsOk()) return false;
    auto* splash = new CSplashWindow(parent, picture);
    if (!splash->GetHandle()) {
        splash->Destroy();
        return false;
    }
    s_pSplashWindow = splash;
    splash->Show();
    splash->Update();
    return true;
}

void CSplashWindow::PreTranslateAppMessage(const wxEvent& event) {
    if (s_pSplashWindow && ClosesSplash(event.GetEventType())) HideSplashScreen();
}

void CSplashWindow::HideSplashScreen() {
    CSplashWindow* splash = std::exchange(s_pSplashWindow, nullptr);
    if (!splash) return;
    splash->m_timer.Stop();
    splash->Destroy();
    if (ClosedHandler()) ClosedHandler()();
}

void CSplashWindow::SetClosedHandler(std::function<void()> handler) {
    ClosedHandler() = std::move(handler);
}

CSplashWindow* CSplashWindow::Get() {
    return s_pSplashWindow;
}

wxBitmap CSplashWindow::MakePicture() {
    // A field at dusk with a ewe and the program's name.
    wxBitmap bitmap(420, 240, 24);
    if (!bitmap.IsOk()) return bitmap;
    wxMemoryDC dc(bitmap);
    const wxRect all(0, 0, 420, 240);
    dc.GradientFillLinear(wxRect(0, 0, 420, 150), wxColour(70, 110, 170), wxColour(235, 200, 140), wxSOUTH);
    dc.GradientFillLinear(wxRect(0, 150, 420, 90), wxColour(90, 150, 60), wxColour(40, 90, 30), wxSOUTH);
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(wxColour(245, 245, 240)));
    for (const wxPoint& wool : {wxPoint(300, 150), wxPoint(322, 142), wxPoint(345, 150), wxPoint(322, 160)})
        dc.DrawEllipse(wool.x - 26, wool.y - 18, 52, 36);
    dc.SetBrush(wxBrush(wxColour(40, 35, 30)));
    dc.DrawEllipse(360, 132, 26, 20);
    dc.DrawRectangle(302, 172, 6, 20);
    dc.DrawRectangle(340, 172, 6, 20);
    dc.SetTextForeground(*wxWHITE);
    dc.SetFont(wxFont(wxFontInfo(30).Family(wxFONTFAMILY_ROMAN).Bold()));
    dc.DrawText("Corvalen", 24, 30);
    dc.SetFont(wxFont(wxFontInfo(11).Family(wxFONTFAMILY_SWISS)));
    dc.DrawText("Flock records for the sheep farmer", 26, 84);
    dc.SetPen(*wxBLACK_PEN);
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawRectangle(all);
    dc.SelectObject(wxNullBitmap);
    return bitmap;
}

CSplashWindow::CSplashWindow(wxWindow* parent, const wxBitmap& picture)
    : wxFrame(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, picture.GetSize(),
              wxBORDER_NONE | wxFRAME_NO_TASKBAR | wxFRAME_FLOAT_ON_PARENT | wxSTAY_ON_TOP),
      m_bitmap(picture),
      m_timer(this) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetClientSize(picture.GetSize());
    if (parent && parent->IsShown())
        CentreOnParent();
    else
        CentreOnScreen();
    Bind(wxEVT_PAINT, [this](wxPaintEvent&) {
        wxAutoBufferedPaintDC dc(this);
        dc.DrawBitmap(m_bitmap, 0, 0);
    });
    Bind(wxEVT_TIMER, [](wxTimerEvent&) { HideSplashScreen(); });
    m_timer.StartOnce(kSplashMilliseconds);
}

CSplashWindow::~CSplashWindow() {
    if (s_pSplashWindow == this) s_pSplashWindow = nullptr;
}

// ---- the start-up dialog -----------------------------------------------------------------------------

CStartModeDlg::CStartModeDlg(wxWindow* parent, const std::vector<WString>& recentNames)
    : wxDialog(parent, wxID_ANY, "Welcome to the Corvalen") {
    auto* group = new wxStaticBoxSizer(wxVERTICAL, this, "What do you want to do?");
    m_pNew = new wxRadioButton(group->GetStaticBox(), IDC_START_NEW, "I want to start a &new database",
                               wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    m_pOpen = new wxRadioButton(group->GetStaticBox(), IDC_START_OPEN, "I want to &open a database ");
    m_pList = new wxListBox(group->GetStaticBox(), IDC_START_RECENT, wxDefaultPosition, wxSize(340, 110));
    group->Add(m_pNew, 0, wxALL, 4);
    group->Add(m_pOpen, 0, wxALL, 4);
    group->Add(m_pList, 1, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 4);
    auto* buttons = new wxStdDialogButtonSizer;
    m_pOk = new wxButton(this, wxID_OK, "OK");
    buttons->AddButton(m_pOk);
    buttons->AddButton(new wxButton(this, wxID_CANCEL, "Cancel"));
    buttons->Realize();
    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(group, 1, wxEXPAND | wxALL, 8);
    top->Add(buttons, 0, wxALIGN_RIGHT | wxALL, 8);
    SetSizerAndFit(top);
    CvlAttachContextHelp(this, StartHelp::table);

    m_bOpenMode = CRegistrySettings::GetDWord(HKEY_CURRENT_USER, u"Settings", u"Start Mode", 0) == 1;
    (m_bOpenMode ? m_pOpen : m_pNew)->SetValue(true);
    m_pList->Append(ToWx(LoadCvlString(IDS_MORE)));
    for (const WString& name : recentNames) m_pList->Append(ToWx(name));
    if (m_bOpenMode) {
        if (m_pList->GetCount() > 1) m_pList->SetSelection(1);
    } else {
        m_pList->Disable();
    }
    UpdateOk();

    m_pNew->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { ChooseNew(); });
    m_pOpen->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { ChooseOpen(); });
    m_pList->Bind(wxEVT_LISTBOX, [this](wxCommandEvent&) { UpdateOk(); });
    m_pList->Bind(wxEVT_LISTBOX_DCLICK, [this](wxCommandEvent&) { PressOk(); });
    m_pOk->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { PressOk(); });
}

void CStartModeDlg::ChooseNew() {
    m_pNew->SetValue(true);
    m_bOpenMode = false;
    m_pList->Disable();
    UpdateOk();
}

void CStartModeDlg::ChooseOpen() {
    m_pOpen->SetValue(true);
    m_bOpenMode = true;
    m_pList->Enable();
    UpdateOk();
}

void CStartModeDlg::SelectEntry(int index) {
    m_pList->SetSelection(index);
    UpdateOk();
}

void CStartModeDlg::UpdateOk() {
    m_pOk->Enable(!m_bOpenMode || m_pList->GetSelection() != wxNOT_FOUND);
}

void CStartModeDlg::PressOk() {
    m_bOpenMode = m_pOpen->GetValue();
    if (m_bOpenMode) {
        const int selection = m_pList->GetSelection();
        if (selection == wxNOT_FOUND) return;
        m_nRecentIndex = selection - 1;
        if (selection == 0) {
            WString filter = LoadCvlString(IDS_CVL_FILTER);
            while (!filter.empty() && filter.back() == u'|') filter.pop_back();
            wxFileDialog prompt(this, "Open", wxEmptyString, wxEmptyString, ToWx(filter), wxFD_OPEN);
            if (CvlRunModal(prompt) != wxID_OK || prompt.GetPath().empty()) return;
            m_strPath = FromWx(prompt.GetPath());
            // A name typed without its extension means a flock file.
            if (!m_strPath.empty() && m_strPath.find(u'.', m_strPath.rfind(u'/') + 1) == WString::npos)
                m_strPath += u".cvl";
            CRegistrySettings::SetDWord(HKEY_CURRENT_USER, u"Settings", u"Start Mode", 1);
            End(wxID_OK);
            return;
        }
        m_strPath = FromWx(m_pList->GetString(unsigned(selection)));
    }
    CRegistrySettings::SetDWord(HKEY_CURRENT_USER, u"Settings", u"Start Mode", m_bOpenMode ? 1 : 0);
    End(wxID_OK);
}

void CStartModeDlg::End(int code) {
    if (IsModal())
        EndModal(code);
    else
        SetReturnCode(code), Hide();
}
