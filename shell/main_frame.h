// The program's main window: the tabbed document area, the menus, the status bar with its panes
// and progress display, and the stored placement.
#pragma once

#include <wx/docmdi.h>

#include <memory>

#include "document/window_placement.h"
#include "platform/text.h"
#include "views/frame_site.h"

class CFrameBars;
class CProgressStatusBar;
class CReaderTray;
class CShowMe;

class CMainFrame : public wxDocMDIParentFrame, public IViewFrameSite {
public:
    CMainFrame(wxDocManager* manager, const wxString& title);
    ~CMainFrame() override;

    // Shows the window at its stored placement, if any.
    void ShowWithPlacement();
    // The placement as it would be stored now.
    CWindowPlacement GetPlacement() const;

    // Progress in the status bar; one at a time.
    bool BeginProgressText(const WString& text, int range);
    bool BeginProgress(unsigned stringId, int range);
    void SetProgressPos(int pos);
    void StepProgress();
    void EndProgress();
    CProgressStatusBar* GetProgressBar() const { return m_statusBar; }
    CFrameBars* GetBars() const { return m_bars.get(); }
    // The tray icon, the notifications of scanned tags and the Auto Scan command.
    CReaderTray* GetReaderTray() const { return m_readerTray.get(); }
    // The help pages' show-me requests.
    CShowMe* GetShowMe() const { return m_showMe.get(); }

    // The record pane.
    void SetRecordTotal(int total) override;
    void SetCurrentRecord(int index) override;
    void ShowContextBar(int kind) override;
    void EnableExtractionMenu(bool grey) override;
    void ApplyReportSelection(int command, const WString& text) override;
    bool ShowPreviewPane(wxWindow* pane, std::function<void()> closePane) override;
    void EndPreviewPane() override;
    wxWindow* GetPreviewPane() const { return m_pPreviewPane; }
    bool GetReportSelection(int& type, WString& selection, int& lastYear) override;
    WString GetRecordPaneText() const;
    int GetContextBarKind() const { return m_nContextBar; }

    void SetMessageText(const WString& text);

    bool Destroy() override;

    // Shows the active document in a view of that class: the existing one, else a new one from the
    // template of that view. False when there is no active document or no such template.
    bool SwitchView(wxClassInfo* viewClass);

private:
    void UpdateRecordPane();
    void OnClose(wxCloseEvent& event);
    void OnMoveOrSize(wxEvent& event);
    void OnIdle(wxIdleEvent& event);
    void OnViewStatusBar(wxCommandEvent& event);
    void OnUpdateViewStatusBar(wxUpdateUIEvent& event);
    void OnFileClose(wxCommandEvent& event);
    void OnUpdateFileClose(wxUpdateUIEvent& event);
    void OnViewFlock(wxCommandEvent& event);
    void OnUpdateViewFlock(wxUpdateUIEvent& event);
    void OnViewSheep(wxCommandEvent& event);
    void OnUpdateViewSheep(wxUpdateUIEvent& event);
    void ShowContextBarOf(wxView* view);
    void OnUpdateNeedsDocument(wxUpdateUIEvent& event);
    void OnFileSave(wxCommandEvent& event);
    void OnFileSaveAs(wxCommandEvent& event);
    void OnUpdateHasDocument(wxUpdateUIEvent& event);
    void LoadBarState();
    void SaveBarState();
    void OnAutoScan(wxCommandEvent& event);
    void OnUpdateAutoScan(wxUpdateUIEvent& event);
    void DetachReader();

    CProgressStatusBar* m_statusBar = nullptr;
    std::unique_ptr<CFrameBars> m_bars;
    std::unique_ptr<CReaderTray> m_readerTray;
    std::unique_ptr<CShowMe> m_showMe;
    int m_nRecordTotal = -1;
    int m_nRecordPaneWidth = 120;
    int m_nCurrentRecord = 0;  // one-based
    int m_nContextBar = -1;
    wxWindow* m_pPreviewPane = nullptr;
    std::function<void()> m_closePreview;
    bool m_bTooltips = true;
    wxRect m_normalRect;  // the restored rectangle, kept while the window is maximised
    bool m_bBarStateSaved = false;
};
