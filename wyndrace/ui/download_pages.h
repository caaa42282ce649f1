// The download wizard's pages that work on what the reader sent: the review of an equivalence
// table, the apply page and the finish page. They read and write the wizard's CDownloadState; only
// the apply page changes the flock, on the user-interface thread.
#pragma once

#include <wx/imaglist.h>

#include "document/ui/sheet.h"
#include "wyndrace/download_model.h"
#include "wyndrace/upload_wizard.h"

class wxCheckBox;
class wxGauge;
class wxListCtrl;
class wxListEvent;
class wxStaticText;

constexpr unsigned kDownloadReviewPageId = 113;
constexpr unsigned kDownloadApplyPageId = 114;
constexpr unsigned kDownloadFinishPageId = 112;
constexpr unsigned kDownloadValidationPageId = 2008;

constexpr int IDC_DL_LIST = 2011;
constexpr int IDC_DL_ONLY_ERRORS = 2013;
constexpr int IDC_DL_PROGRESS = 2000;
constexpr int IDC_DL_STATUS = 2019;

class CDownloadWizard11 : public CCvlPropertyPage {
public:
    CDownloadWizard11(CDownloadState& state, IDownloadDocument& doc);

    void OnSetActive() override;
    int OnWizardNext() override { return int(kDownloadApplyPageId); }

    // A double-click on the list's item.
    void DecideItem(long item);
    // A click on a column header.
    void SortBy(int column);

    wxListCtrl* GetList() const { return m_pList; }
    wxCheckBox* GetOnlyErrors() const { return m_pOnlyErrors; }
    const CReviewModel& GetModel() const { return m_model; }
    // The model's row an item of the list shows.
    const CReviewRow& RowOf(long item) const;

protected:
    void OnCreateControls(wxPanel* panel) override;

private:
    void Rebuild();
    void Sort();
    void UpdateButtons();
    static int wxCALLBACK Compare(wxIntPtr a, wxIntPtr b, wxIntPtr self);

    CDownloadState& m_state;
    IDownloadDocument& m_doc;
    CReviewModel m_model;
    wxImageList m_images{16, 16, true, 4};
    wxListCtrl* m_pList = nullptr;
    wxCheckBox* m_pOnlyErrors = nullptr;
    int m_sortColumn = -1;
    bool m_ascending = true;
    bool m_warned = false;
};

class CDownloadWizard12 : public CCvlPropertyPage {
public:
    CDownloadWizard12(CDownloadState& state, IDownloadDocument& doc);

    void OnSetActive() override;
    int OnWizardBack() override;
    // Runs the apply (the page starts it by itself once it is drawn).
    void Apply();

    wxGauge* GetProgress() const { return m_pProgress; }
    wxStaticText* GetStatus() const { return m_pStatus; }

protected:
    void OnCreateControls(wxPanel* panel) override;

private:
    CDownloadState& m_state;
    IDownloadDocument& m_doc;
    wxGauge* m_pProgress = nullptr;
    wxStaticText* m_pStatus = nullptr;
    bool m_pending = false;
};

class CDownloadWizard20 : public CWizardTextPage {
public:
    CDownloadWizard20();
};
