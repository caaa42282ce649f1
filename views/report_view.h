// The report list: one of the breed's four reports of a flock for one year (tupping, lambing,
// movement book, the events of one address), with the columns the breed plug-in binds.
#pragma once

#include <wx/docmdi.h>

#include <unordered_map>

#include "document/report_rows.h"
#include "document/report_view_automation.h"
#include "views/bar_messages.h"
#include "views/base_list_view.h"

class CReportChildWnd : public wxDocMDIChildFrame {
public:
    CReportChildWnd(wxDocument* doc, wxView* view, wxMDIParentFrame* parent);
};

class CReportView : public CBaseListView, public IReportSelectionView, public IReportColumns {
    wxDECLARE_DYNAMIC_CLASS(CReportView);

public:
    CReportView();
    ~CReportView() override;

    int GetViewKind() const override { return VIEW_KIND_REPORT; }
    bool IsListView() const override { return true; }

    int GetReportType() const { return m_nReportType; }
    int GetYear() const { return m_nYear; }
    const WString& GetSelection() const { return m_strSelection; }
    // The plug-in's interface to the columns.
    CReportViewAutomation* GetAutomation() const { return m_automation.Get(); }

    // ---- the Reporting bar's orders ----------------------------------------------------------
    void SetReport(int type, const WString& selection) override;
    void SetReportYear(int year) override;

    // ---- the list ----------------------------------------------------------------------------
    void DeleteAllColumns() override;
    int InsertColumn(const WString& title, unsigned kind, int position) override;
    void OnColumnsChanged(CObject* hint) override;
    void FillList() override;
    void OnRecordChanged(CObject* hint) override;
    void SortItems(unsigned sortWord) override;
    WString GetCellText(long row, unsigned kind) const override;
    WString GetTitle() const override;
    void OnAddressesReloaded() override;
    void CopyToDataSource(wxDataObjectComposite& source) override;
    void DeleteRow(long row) override;
    bool ConfirmDelete() override { return true; }

    // The copy block of the selected rows.
    std::string BuildCopyText(const std::vector<long>& rows) const;

protected:
    bool OnCreate(wxDocument* doc, long flags) override;
    bool OnClose(bool deleteWindow) override;
    void OnChangeFilename() override;
    void OnActivateView(bool activate, wxView* activeView, wxView* deactiveView) override;

private:
    bool IsRamsReport() const;
    void RenewFrameTitle();

    CRefPtr<CReportViewAutomation> m_automation;
    std::unordered_map<const CObject*, int32_t> m_ramNumbers;  // ewe -> ram of the tupping report
    int m_nYear = -1;
    int m_nReportType = -1;
    WString m_strSelection;
    int32_t m_nUnitFlag = 1;
    bool m_bRowsRemoved = false;
};
