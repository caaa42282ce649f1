// The main window's bars (Standard with its zoom box, Record Navigator, Record Filter, Reporting),
// docked by an AUI manager whose layout is kept in the profile, and the document commands that the
// main window answers for the active document: the filter switches, navigation, Back and Forward,
// Add and the rest of the document's menu.
#pragma once

#include <wx/aui/aui.h>
#include <wx/event.h>

#include <functional>
#include <vector>

#include "document/menu_model.h"
#include "platform/text.h"

class CCriteria;
class CSheepDoc;
class wxChoice;
class wxComboBox;
class wxDateEvent;
class wxDatePickerCtrl;
class wxDocManager;
class wxFrame;
class wxMenu;
class wxControl;
class wxSpinButton;
class wxSpinEvent;
class wxTextCtrl;
class wxView;

class CFrameBars : public wxEvtHandler, public IReportsMenuSite {
public:
    // Builds the bars in frame (whose client area becomes the centre), answers the document's
    // commands and the bars', fills reportsMenu (View | Reports, may be null) with the reports,
    // restores the stored layout and hides the bars that belong to a kind of view.
    CFrameBars(wxFrame* frame, wxDocManager* manager, wxMenu* reportsMenu);
    ~CFrameBars() override;

    // The layout as stored in the profile ("ToolBars").
    void SaveState();
    void LoadState();

    // 0 Record Navigator, 1 Record Filter, 2 Reporting, other none; all three hidden in preview.
    void ShowContextBar(int kind, bool preview = false);
    bool IsBarShown(int barId) const;
    void ShowBar(int barId, bool show);
    void SetTooltips(bool tooltips);

    // ---- Record Filter bar -----------------------------------------------------------------------
    void ShowCriteria(const CCriteria& criteria);
    wxChoice* GetTypeList() const { return m_pType; }
    // The document's grey criteria commands: they stay grey whatever the document says.
    void SetExtractionGreyed(bool grey) { m_bExtractionGreyed = grey; }
    wxTextCtrl* GetYearEdit() const { return m_pYear; }
    wxDatePickerCtrl* GetDatePicker() const { return m_pDate; }
    wxSpinButton* GetYearSpin() const { return m_pSpin; }
    // The controls' changes, as their notifications do.
    void OnTypeChanged();
    void OnYearEntered();
    void OnDateChanged();
    // False when the move was refused.
    bool OnSpin(int position, int delta);

    // ---- Standard bar ----------------------------------------------------------------------------
    wxComboBox* GetZoomBox() const { return m_pZoom; }
    // The bar's positions (commands, -1 separators), as the user customised them.
    const std::vector<int>& GetStandardLayout() const { return m_standardLayout; }
    void SetStandardLayout(const std::vector<int>& layout);
    // Toolbars | Customize: the Customize dialog over the Standard bar.
    void OnCustomize();
    // A button's text in the Customize dialog: its tool tip.
    static wxString GetButtonText(int command);
    // The bar a show-me request names: 0 Standard, 1 Record Filter, 2 Record Navigator; null else.
    wxAuiToolBar* GetShowMeBar(int bar) const;
    // Shows a percent, or nothing for -1.
    void SetZoomText(int percent);
    // The zoom box's text is taken (as when it loses the focus); false when refused.
    bool ApplyZoomText();

    // ---- Reporting bar ---------------------------------------------------------------------------
    void ResetReportTypes();
    int AddReportType(const WString& text, int type);
    int GetReportType() const;
    WString GetReportSexText() const;
    int GetLastReportYear() const;
    // fromTypeList: a new type chosen on the bar, whose first selection replaces one it lacks.
    void ApplyReport(int type, const WString& sexText, int year, int parts, bool fromTypeList = false);
    void ApplyReportSelection(int command, const WString& text);
    void OnReportTypeChanged();
    void OnReportSexChanged();
    void OnReportYearChanged();
    void OnUpdateReportBar();
    // The report list of the Reports menu and the bar (commands 40103 on): the report of that
    // number in the report view.
    void OnReportCommand(int command);
    // How the active document is shown in its report view (the main frame's view switch).
    void SetShowReportView(std::function<bool()> show) { m_showReportView = std::move(show); }
    // The Reporting bar's report list, filled by the breed plug-in (no menu model of its own).
    CMenuModel* GetMenuBar() override { return nullptr; }
    void ResetReportList() override;
    void AddReport(const WString& name, int reportId) override;
    // The active document's reports in the bar's list and the Reports menu.
    void RefreshReportList();
    wxChoice* GetReportTypeList() const { return m_pReportType; }
    wxChoice* GetReportYearList() const { return m_pReportYear; }
    wxChoice* GetReportSexList() const { return m_pReportSex; }

    wxAuiManager& GetManager() { return m_manager; }
    // The core of the active document, or null.
    CSheepDoc* GetActiveCore() const;

private:
    void CreateStandardBar();
    void FillStandardBar();
    void CreateNavigatorBar();
    void CreateFilterBar();
    void CreateReportingBar();
    // The breed plug-in refills the selection and year lists for a report type.
    void PrepareReportLists(CSheepDoc& core, int type);
    void BindCommands();
    void AddBar(wxWindow* bar, int id, const wxString& name, const wxString& title, int row, int position);
    wxView* GetActiveView() const;
    // The active document's core when it holds animals (filter changes need that).
    CSheepDoc* GetFilterCore() const;

public:
    // A document command of the active document, and its enabling (command: the program's number).
    void OnDocCommand(int command);
    void OnUpdateDocCommand(wxUpdateUIEvent& event, int command);

private:
    void OnUpdateFilterControl(wxUpdateUIEvent& event);

    wxFrame* m_pFrame;
    wxDocManager* m_pManager;
    wxAuiManager m_manager;
    bool m_bTooltips = true;
    bool m_bExtractionGreyed = false;
    wxComboBox* m_pZoom = nullptr;
    wxAuiToolBar* m_pStandard = nullptr;
    std::vector<int> m_standardLayout;
    wxChoice* m_pType = nullptr;
    wxControl* m_pDateArea = nullptr;
    wxDatePickerCtrl* m_pDate = nullptr;
    wxTextCtrl* m_pYear = nullptr;
    wxSpinButton* m_pSpin = nullptr;
    wxChoice* m_pReportType = nullptr;
    wxChoice* m_pReportYear = nullptr;
    wxChoice* m_pReportSex = nullptr;
    std::vector<wxWindow*> m_bars;
    bool m_bApplyingZoom = false;
    std::function<bool()> m_showReportView;
    wxMenu* m_pReportsMenu = nullptr;
};
