// Property sheets and wizards without a GUI: the pages' handlers, the order of pages, which page is
// active, the wizard's buttons and headers. The wx sheet shows what this decides, so every flow can
// be driven and checked without a display.
#pragma once

#include <vector>

#include "platform/text.h"

// Wizard buttons (combinable).
constexpr unsigned PSWIZB_BACK = 0x1;
constexpr unsigned PSWIZB_NEXT = 0x2;
constexpr unsigned PSWIZB_FINISH = 0x4;
constexpr unsigned PSWIZB_DISABLEDFINISH = 0x8;

// What a page's Back or Next handler gives: stay, the next page in order, or else a page's id.
constexpr int WIZ_STAY = -1;
constexpr int WIZ_NEXT = 0;

// How a sheet ended.
constexpr int SHEET_RUNNING = 0;
constexpr int SHEET_OK = 1;      // IDOK
constexpr int SHEET_CANCEL = 2;  // IDCANCEL
constexpr int ID_WIZFINISH = 0x3025;

class CSheetFlow;

class CSheetPage {
public:
    explicit CSheetPage(unsigned templateId = 0);
    virtual ~CSheetPage();
    CSheetPage(const CSheetPage&) = delete;
    CSheetPage& operator=(const CSheetPage&) = delete;

    // The page's id (its template number): the target of a jump.
    unsigned GetTemplateId() const { return m_nTemplateId; }
    // The tab text of an ordinary sheet.
    const WString& GetCaption() const { return m_strCaption; }
    void SetCaption(const WString& caption) { m_strCaption = caption; }

    // The wizard's header: a title and a subtitle; hidden on welcome and completion pages.
    void SetHeader(const WString& title, const WString& subTitle);
    void SetHeaderIds(unsigned titleId, unsigned subTitleId);
    const WString& GetHeaderTitle() const { return m_strHeaderTitle; }
    const WString& GetHeaderSubTitle() const { return m_strHeaderSubTitle; }
    void SetHeaderHidden(bool hidden) { m_bHideHeader = hidden; }
    bool IsHeaderHidden() const { return m_bHideHeader; }
    void SetHasHelp(bool help) { m_bHasHelp = help; }
    bool HasHelp() const { return m_bHasHelp; }

    // The sheet that holds the page, or null.
    CSheetFlow* GetSheet() const { return m_pSheet; }

    // The page becomes the active one.
    virtual void OnSetActive() {}
    // The page is about to be left (another page, Finish or OK): false keeps it active.
    virtual bool OnKillActive() { return true; }
    // WIZ_STAY, WIZ_NEXT or a page id.
    virtual int OnWizardBack() { return WIZ_NEXT; }
    virtual int OnWizardNext() { return WIZ_NEXT; }
    // False keeps the wizard open.
    virtual bool OnWizardFinish() { return true; }
    // OK of an ordinary sheet, for each page that was shown: false keeps the sheet open on it.
    virtual bool OnApply() { return true; }
    // Cancel, for each page that was shown.
    virtual void OnReset() {}
    // False refuses Cancel.
    virtual bool OnQueryCancel() { return true; }

private:
    friend class CSheetFlow;
    unsigned m_nTemplateId;
    WString m_strCaption;
    WString m_strHeaderTitle;
    WString m_strHeaderSubTitle;
    bool m_bHideHeader = false;
    bool m_bHasHelp = true;
    bool m_bShown = false;
    CSheetFlow* m_pSheet = nullptr;
};

// What shows a sheet: told of every change the flow makes.
class ISheetView {
public:
    virtual void OnPageInserted(int index, CSheetPage* page) = 0;
    virtual void OnPageRemoved(int index, CSheetPage* page) = 0;
    // index -1: no page.
    virtual void OnActivePageChanged(int index, CSheetPage* page) = 0;
    virtual void OnButtonsChanged(unsigned buttons) = 0;
    virtual void OnSheetEnded(int result) = 0;

protected:
    ~ISheetView() = default;
};

class CSheetFlow {
public:
    // A wizard (Back, Next/Finish, Cancel) or an ordinary sheet (tabs, OK, Cancel).
    explicit CSheetFlow(bool wizard);
    ~CSheetFlow();
    CSheetFlow(const CSheetFlow&) = delete;
    CSheetFlow& operator=(const CSheetFlow&) = delete;

    bool IsWizard() const { return m_bWizard; }
    void SetView(ISheetView* view) { m_pView = view; }

    // The sheet does not own its pages.
    void AddPage(CSheetPage* page);
    void InsertPage(int index, CSheetPage* page);
    // Removing the active page leaves none active.
    void RemovePage(CSheetPage* page);
    int GetPageCount() const { return int(m_pages.size()); }
    CSheetPage* GetPage(int index) const;
    int GetPageIndex(const CSheetPage* page) const;
    // -1 when no page has that id.
    int FindPageById(unsigned templateId) const;

    // Activates the first page (or the one given).
    void Start(int first = 0);
    int GetActiveIndex() const { return m_nActive; }
    CSheetPage* GetActivePage() const { return GetPage(m_nActive); }
    // Whether the page was ever active.
    static bool WasShown(const CSheetPage* page) { return page->m_bShown; }

    // Leaves the active page (when it agrees) for another: a tab click or a jump.
    bool SetActivePage(int index);

    void SetWizardButtons(unsigned buttons);
    unsigned GetWizardButtons() const { return m_nButtons; }

    // The buttons. Each gives false when the sheet stayed where it was.
    bool Back();
    bool Next();
    bool Finish();
    bool Ok();
    bool Cancel();

    bool IsEnded() const { return m_nResult != SHEET_RUNNING; }
    // SHEET_RUNNING, ID_WIZFINISH, SHEET_OK or SHEET_CANCEL.
    int GetResult() const { return m_nResult; }

private:
    void Activate(int index);
    bool Navigate(int result, int step);
    void End(int result);

    bool m_bWizard;
    ISheetView* m_pView = nullptr;
    std::vector<CSheetPage*> m_pages;
    int m_nActive = -1;
    unsigned m_nButtons = PSWIZB_BACK | PSWIZB_NEXT;
    int m_nResult = SHEET_RUNNING;
};
