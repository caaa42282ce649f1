// The picture shown while the main window comes up, and the start-up dialog that follows it when the
// program was started without a file.
#pragma once

#include <wx/bitmap.h>
#include <wx/dialog.h>
#include <wx/frame.h>
#include <wx/timer.h>

#include <functional>
#include <vector>

#include "platform/text.h"

class wxButton;
class wxListBox;
class wxRadioButton;

class CSplashWindow : public wxFrame {
public:
    // Off for starts by automation or embedding.
    static void EnableSplashScreen(bool enable);
    // Shows the splash centred over the parent for 2.5 seconds. False when it is not shown: disabled,
    // already showing, or the picture or window could not be made.
    static bool ShowSplashScreen(wxWindow* parent, const wxBitmap& picture = MakePicture());
    // Every event the application filters: a key press or mouse click anywhere closes the splash.
    static void PreTranslateAppMessage(const wxEvent& event);
    // Closes the splash and runs the closed handler.
    static void HideSplashScreen();
    // What follows the splash's closing (the start-up dialog, posted).
    static void SetClosedHandler(std::function<void()> handler);
    static CSplashWindow* Get();
    static wxBitmap MakePicture();

private:
    CSplashWindow(wxWindow* parent, const wxBitmap& picture);
    ~CSplashWindow() override;

    wxBitmap m_bitmap;
    wxTimer m_timer;
};

// "Welcome to the Corvalen": a new database, a recent file or another file.
class CStartModeDlg : public wxDialog {
public:
    // The recent files' display names, newest first.
    CStartModeDlg(wxWindow* parent, const std::vector<WString>& recentNames);

    bool IsOpenMode() const { return m_bOpenMode; }
    // 0..3 a recent entry, -1 "More...".
    int GetRecentIndex() const { return m_nRecentIndex; }
    WString GetPathName() const { return m_strPath; }

    wxRadioButton* GetNewRadio() const { return m_pNew; }
    wxRadioButton* GetOpenRadio() const { return m_pOpen; }
    wxListBox* GetRecentList() const { return m_pList; }
    wxButton* GetOkButton() const { return m_pOk; }
    // As the controls' clicks do.
    void ChooseNew();
    void ChooseOpen();
    void SelectEntry(int index);
    void PressOk();

private:
    void UpdateOk();
    void End(int code);

    wxRadioButton* m_pNew = nullptr;
    wxRadioButton* m_pOpen = nullptr;
    wxListBox* m_pList = nullptr;
    wxButton* m_pOk = nullptr;
    WString m_strPath;
    int m_nRecentIndex = -1;
    bool m_bOpenMode = false;
};
