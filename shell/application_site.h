// What the automation Application object asks of the running program: the main window, the open
// documents, the user-control flag and the close that Quit asks for.
#pragma once

#include <memory>

#include "document/application_automation.h"

class CSheepApp;
class wxHtmlHelpController;

class CApplicationSite : public IApplicationSite {
public:
    explicit CApplicationSite(CSheepApp& app);
    ~CApplicationSite();

    WString GetCaption() override;
    void SetCaption(const WString& caption) override;
    bool IsVisible() override;
    void SetVisible(bool visible) override;
    CCmdTarget* GetActiveDocument() override;
    CCmdTarget* GetActiveWindow() override;
    IOpenDocuments& GetOpenDocuments() override;
    IDispatch* CreateWindows() override;
    bool GetUserControl() override { return m_bUserControl; }
    void SetUserControl(bool userControl) override { m_bUserControl = userControl; }
    std::vector<WString> GetImageSearchPath() override;
    void SetImageSearchPath(const std::vector<WString>& folders) override;
    void PostQuit() override;
    void ShowHelp(const WString& helpFile, UINT command, DWORD context, const WString& topic) override;

    // Whether the user has seen the program's window since it started.
    bool WasShown() const { return m_bShown; }
    void NoteShown() { m_bShown = true; }

private:
    CSheepApp& m_app;
    bool m_bUserControl = false;
    bool m_bShown = false;
    std::unique_ptr<wxHtmlHelpController> m_help;
};
