// The sheet layer on wx: a wizard (header with title and subtitle, Back, Next or Finish, Cancel)
// or an ordinary property sheet (tabs, OK, Cancel) around CSheetFlow, which decides everything.
// A page's window is made the first time the page is shown.
#pragma once

#include <wx/dialog.h>

#include <functional>
#include <memory>

#include "document/sheet_flow.h"
#include "document/ui/context_help.h"
#include "platform/text.h"

class wxBookCtrlBase;
class wxButton;
class wxPanel;
class wxStaticText;

// The window side of a page: models derive from CSheetPage and from this.
class CCvlPageWindow {
public:
    CCvlPageWindow() = default;
    virtual ~CCvlPageWindow();
    CCvlPageWindow(const CCvlPageWindow&) = delete;
    CCvlPageWindow& operator=(const CCvlPageWindow&) = delete;

    // The page's window, null before it was first shown and after its sheet went.
    wxPanel* GetWindow() const { return m_pWnd; }
    // Makes the window (once) with its controls and context help.
    wxPanel* CreatePageWindow(wxWindow* parent);
    // The sheet that made the window is closing: the window goes, the page stays.
    void DestroyPageWindow();

protected:
    // Builds the page's controls into its window.
    virtual void OnCreateControls(wxPanel* panel) = 0;
    // The page's context-help table (ends with a zero pair), or null.
    virtual const CvlHelpPair* GetHelpTable() const { return nullptr; }

private:
    wxPanel* m_pWnd = nullptr;
};

// The page class of plug-ins and of pages without a model of their own.
class CCvlPropertyPage : public CSheetPage, public CCvlPageWindow {
public:
    explicit CCvlPropertyPage(unsigned templateId = 0) : CSheetPage(templateId) {}
};

class CCvlPropertySheet : public wxDialog, public ISheetView {
public:
    CCvlPropertySheet(wxWindow* parent, const WString& caption, bool wizard);
    ~CCvlPropertySheet() override;

    CSheetFlow& GetFlow() { return m_flow; }
    void AddPage(CSheetPage* page) { m_flow.AddPage(page); }

    // Runs the sheet from that page: ID_WIZFINISH, SHEET_OK or SHEET_CANCEL.
    int DoModal(int firstPage = 0);

    // The buttons, as a click on them does.
    void PressBack();
    void PressNext();
    void PressFinish();
    void PressOk();
    void PressCancel();
    wxButton* GetBackButton() const { return m_pBack; }
    wxButton* GetNextButton() const { return m_pNext; }
    wxButton* GetFinishButton() const { return m_pFinish; }
    wxButton* GetHelpButton() const { return m_pHelp; }
    bool IsHeaderShown() const;
    WString GetShownHeaderTitle() const;

    // ISheetView
    void OnPageInserted(int index, CSheetPage* page) override;
    void OnPageRemoved(int index, CSheetPage* page) override;
    void OnActivePageChanged(int index, CSheetPage* page) override;
    void OnButtonsChanged(unsigned buttons) override;
    void OnSheetEnded(int result) override;

private:
    wxWindow* ShowPageWindow(CSheetPage* page);
    void OnClose(wxCloseEvent& event);

    CSheetFlow m_flow;
    std::shared_ptr<bool> m_pAlive = std::make_shared<bool>(true);
    wxBookCtrlBase* m_pBook = nullptr;
    wxPanel* m_pHeader = nullptr;
    wxStaticText* m_pTitle = nullptr;
    wxStaticText* m_pSubTitle = nullptr;
    wxButton* m_pBack = nullptr;
    wxButton* m_pNext = nullptr;
    wxButton* m_pFinish = nullptr;
    wxButton* m_pOk = nullptr;
    wxButton* m_pHelp = nullptr;
};

// Modal runs: tests install a driver that works the dialog (shown, not modal) and gives its result.
using CvlModalDriver = std::function<int(wxDialog&)>;
void CvlSetModalDriver(CvlModalDriver driver);
// ShowModal, or the installed driver.
int CvlRunModal(wxDialog& dialog);
// A message box's MB_ type as a wxMessageDialog style, and the button it ended with as an ID value.
long CvlMessageStyle(unsigned type);
int CvlMessageResult(int wxResult);
