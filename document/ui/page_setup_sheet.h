// The "Page Setup" sheet: the Page, Margins and Header & Footer pages over a copy of a page setup,
// with Print, Print Preview and printer Options buttons; and the wx side of printing with a page
// setup (print data, headers and footers).
#pragma once

#include <wx/cmndata.h>
#include <wx/event.h>

#include <string>

#include "document/dimension.h"
#include "document/page_setup.h"
#include "document/print_setup.h"
#include "document/ui/sheet.h"
#include "platform/printers.h"

class wxCheckBox;
class wxChoice;
class wxDC;
class wxRadioButton;
class wxSpinCtrl;
class wxStaticText;
class wxTextCtrl;

// Sent to the view window that opened the sheet when OK changed its page setup: a view that shows
// a print preview reopens it.
wxDECLARE_EVENT(CVL_EVT_PAGE_SETUP_CHANGED, wxCommandEvent);

// ---- length edits ---------------------------------------------------------------------------------

// Shows a length in the edit, or reads it back. A text that does not read as a length shows the unit
// message and puts the focus on the edit; false then, and value is unchanged.
bool CvlExchangeDimension(wxTextCtrl* edit, int32_t& value, int unit, bool save);

// ---- the sheet ------------------------------------------------------------------------------------

struct CPageSetupEdit {
    CPageSetup record;  // the copy being edited
    CPrintSetup print;  // its Linux print setup
    int unit = UNIT_INCH;
    int recordedPage = 0;
};

class CPageSetupPage : public CCvlPropertyPage {
public:
    CPageSetupPage(CPageSetupEdit& edit, IPrinterLister& printers);
    void OnSetActive() override;
    bool OnApply() override;
    void OnReset() override;

    // The lists as shown, for the chosen printer.
    const CPrinterCapabilities& GetCapabilities() const { return m_caps; }
    void ChoosePrinter(const WString& printer);
    // After the printer's own settings changed the setup.
    void Refresh();
    wxChoice* GetPrinterChoice() const { return m_pPrinter; }
    wxChoice* GetPaperChoice() const { return m_pPaper; }
    wxChoice* GetSourceChoice() const { return m_pSource; }
    wxChoice* GetResolutionChoice() const { return m_pResolution; }
    wxRadioButton* GetLandscape() const { return m_pLandscape; }

protected:
    void OnCreateControls(wxPanel* panel) override;
    const CvlHelpPair* GetHelpTable() const override;

private:
    void FillLists();
    void ShowCustomSize();

    CPageSetupEdit& m_edit;
    IPrinterLister& m_printers;
    CPrinterCapabilities m_caps;
    wxChoice* m_pPrinter = nullptr;
    wxRadioButton* m_pPortrait = nullptr;
    wxRadioButton* m_pLandscape = nullptr;
    wxChoice* m_pPaper = nullptr;
    wxChoice* m_pSource = nullptr;
    wxChoice* m_pResolution = nullptr;
    wxSpinCtrl* m_pFirstPage = nullptr;
    wxStaticText* m_pWidthLabel = nullptr;
    wxStaticText* m_pWidth = nullptr;
    wxStaticText* m_pHeightLabel = nullptr;
    wxStaticText* m_pHeight = nullptr;
};

class CPageSetupMargins : public CCvlPropertyPage {
public:
    explicit CPageSetupMargins(CPageSetupEdit& edit);
    bool OnApply() override;
    void OnReset() override;
    wxTextCtrl* GetEdit(int id) const;
    wxCheckBox* GetHorizontally() const { return m_pHorizontally; }
    wxCheckBox* GetVertically() const { return m_pVertically; }

protected:
    void OnCreateControls(wxPanel* panel) override;
    const CvlHelpPair* GetHelpTable() const override;

private:
    CPageSetupEdit& m_edit;
    wxCheckBox* m_pHorizontally = nullptr;
    wxCheckBox* m_pVertically = nullptr;
};

class CPageSetupHF : public CCvlPropertyPage {
public:
    explicit CPageSetupHF(CPageSetupEdit& edit);
    bool OnApply() override;
    void OnReset() override;
    wxTextCtrl* GetEdit(int id) const;
    // The "&P" button: replaces the selection of the edit that last lost the focus.
    void InsertPageCode();
    void SetLastEdit(int id) { m_nLastEdit = id; }

protected:
    void OnCreateControls(wxPanel* panel) override;
    const CvlHelpPair* GetHelpTable() const override;

private:
    CPageSetupEdit& m_edit;
    int m_nLastEdit = 0;
};

class CCustPageSetupDialog : public CCvlPropertySheet {
public:
    CCustPageSetupDialog(wxWindow* parent, CPageSetupEdit& edit, IPrinterLister& printers);
    CPageSetupPage& GetPagePage() { return m_page; }
    CPageSetupMargins& GetMarginsPage() { return m_margins; }
    CPageSetupHF& GetHeaderFooterPage() { return m_hf; }
    // The three buttons beside the pages.
    void PressPrint();
    void PressPreview();
    void PressOptions();

private:
    void EndAndPost(int command);

    CPageSetupEdit& m_edit;
    CPageSetupPage m_page;
    CPageSetupMargins m_margins;
    CPageSetupHF m_hf;
};

// Runs the sheet over a copy of the record, opening on the page that last took part. On OK the copy
// and its print setup become the record's and the view window gets CVL_EVT_PAGE_SETUP_CHANGED.
// Gives SHEET_OK or SHEET_CANCEL.
int CvlDoPageSetup(CPageSetup& record, wxWindow* view, const std::string& docPath, int viewKind);
// The page the next sheet opens on.
int CvlGetPageSetupStartPage();

// ---- printing ------------------------------------------------------------------------------------

// The wx print data of a print setup.
wxPrintData MakePrintData(const CPrintSetup& setup);
// Today's date as the &D code prints it.
WString PageSetupToday();
// Draws the header and footer in a 12-point serif font. The DC's logical units are pixels at ppi,
// its origin the paper's top-left corner; the paper measures paperWidth by paperHeight hundredths.
void DrawHeaderFooter(wxDC& dc, const CPageSetup& setup, const CHeaderFooterContext& context, int paperWidth,
                      int paperHeight, const wxSize& ppi);
