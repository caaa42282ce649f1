// The record view: the document's current animal on tab pages, with the commands that move through
// the flock and act on the animal shown, in its own child window.
#pragma once

#include <wx/docmdi.h>

#include <array>
#include <memory>
#include <vector>

#include "document/doc_views.h"
#include "platform/object.h"
#include "document/record_navigation.h"
#include "document/window_automation.h"

class CSheep;
class CSheepDoc;
class CSheepDocument;
class CSheepHtmlView;
class CImageAcquisition;
class CSheepViewPage;
class IOpenWindows;
class wxNotebook;
class wxBookCtrlEvent;

class CSpecialChildWnd : public wxDocMDIChildFrame {
public:
    CSpecialChildWnd(wxDocument* doc, wxView* view, wxMDIParentFrame* parent);
    // "<document> : Record View".
    static wxString MakeCaption(wxDocument* doc);
};

class CSheepView : public wxView, public CDocView, private IRecordViewPort, private IAutomationWindow {
    wxDECLARE_DYNAMIC_CLASS(CSheepView);

public:
    CSheepView();
    ~CSheepView() override;

    int GetViewKind() const override { return VIEW_KIND_SHEEP; }
    using wxView::OnUpdate;
    void OnUpdate(CDocView* sender, uint32_t hint, CObject* hintObject) override;
    void OnDraw(wxDC*) override {}

    CSheepDocument* GetSheepDocument() const;
    CSheepDoc* GetCore() const;
    // The animal shown (null when none): the document's animal at the view's current index.
    CSheep* GetCurrentSheep() const;
    int GetCurrentIndex() const { return m_nCurrent; }
    CRecordNavigator& GetNavigator() { return m_navigator; }

    // ---- pages ----------------------------------------------------------------------------------
    wxNotebook* GetSheet() const { return m_pSheet; }
    // The page of that kind (null when this build has none), in the sheet or not.
    CSheepViewPage* GetPage(RecordPageId id) const { return m_pages[size_t(id)]; }
    CSheepViewPage* GetActivePage() const;
    // The kinds in the sheet, in tab order.
    std::vector<RecordPageId> GetTabs() const;
    // Makes the page of that kind active; false when it is not in the sheet.
    bool ActivatePage(RecordPageId id);

    // Brings the sheet in line with the document's current animal and loads the active page.
    void RefreshPages() override;
    // Writes the edit pending in the active page (or refuses it, vetoing the next move).
    void CommitPendingEdit() override;

    // ---- commands -------------------------------------------------------------------------------
    // Dedov First, Previous, Next, Last (the program's command numbers).
    bool OnNavigate(int command);
    bool OnGoBack();
    bool OnGoForward();
    bool GoToSheep(const WString& tattoo, int32_t sex);
    bool MoveToSheep(int index);
    void OnDelete();
    // Animal shown: Delete and Copy act on it.
    bool CanActOnSheep() const { return GetCurrentSheep() != nullptr; }
    void OnEditCopy();
    // The block Copy puts on the clipboard: the document's title, the count 1 and the animal.
    std::vector<uint8_t> BuildClipboardBlock() const;
    void OnSignetAverages();
    // File Report: the animal's report over the main window's documents area.
    void OnFileReport();
    // The report's Close: gives the frame back to this view and destroys the report.
    void OnEndReport(CSheepHtmlView* report);
    CSheepHtmlView* GetReport() const { return m_pReport; }
    // Get Image from Scanner or Camera.
    CImageAcquisition& GetAcquisition() { return *m_pAcquisition; }

    // ---- automation -----------------------------------------------------------------------------
    CWindowAutomation* GetAutomation() const { return m_pAutomation; }
    wxWindow* GetCanvas() const { return m_pCanvas; }

protected:
    bool OnCreate(wxDocument* doc, long flags) override;
    bool OnClose(bool deleteWindow) override;
    void OnChangeFilename() override;
    void OnActivateView(bool activate, wxView* activeView, wxView* deactiveView) override;

private:
    // ---- the window as automation sees it --------------------------------------------------------
    WString GetWindowText() override;
    void SetWindowText(const WString& text) override;
    CWindowGeometry GetGeometry() override;
    bool SetGeometry(const CWindowGeometry& geometry) override;
    bool IsVisible() override;
    void Show(bool show) override;
    LONG GetIndex() override;
    void ActivateWindow() override;
    CPageSetup* GetPageSetup() override;

    void BindCommands();
    void OnPageChanging(wxBookCtrlEvent& event);
    void OnPageChanged(wxBookCtrlEvent& event);
    // Runs a move and gives the focus back to the text control that had it, its text selected.
    template <class Move>
    bool RunMove(Move move);

    CRecordNavigator m_navigator{*this, this};
    int m_nCurrent = -1;
    wxWindow* m_pCanvas = nullptr;
    wxNotebook* m_pSheet = nullptr;
    std::array<CSheepViewPage*, PAGE_COUNT> m_pages{};
    bool m_bRefreshing = false;
    WString m_strCaption;
    // A tab is always maximized; only its normal rectangle can be set, and is kept here.
    CWindowGeometry m_geometry;
    CWindowAutomation* m_pAutomation = nullptr;
    CSheepHtmlView* m_pReport = nullptr;
    std::unique_ptr<CImageAcquisition> m_pAcquisition;
};

// The record views of the main window's document windows: the active window's first, then those of
// the windows after it in tab order, wrapping round.
std::vector<CSheepView*> GetRecordViewsInWindowOrder();
// The same list as the automation collection of windows reads it.
IOpenWindows& GetRecordWindowList();
