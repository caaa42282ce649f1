// The "Database Options" sheet and its pages (General, Mail, Eartags, XML, Images, Flock Details,
// the reader's page and the breed's own pages), and the "System Administration" sheet.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "document/options_model.h"
#include "document/ui/sheet.h"

class CSheepDoc;
class wxButton;
class wxCheckBox;
class wxCheckListBox;
class wxComboBox;
class wxGauge;
class wxListBox;
class wxRadioButton;
class wxSpinCtrl;
class wxTextCtrl;

class CGnrlOpts : public CCvlPropertyPage {
public:
    // applied: what the program does beyond the settings once OK stored them (tool tips).
    CGnrlOpts(CSheepDoc& doc, std::function<void(const CGeneralOptions&)> applied);
    bool OnApply() override;
    CGeneralOptions& Options() { return m_options; }
    // Shows the fields again after Options() changed.
    void ShowOptions();

protected:
    void OnCreateControls(wxPanel* panel) override;
    const CvlHelpPair* GetHelpTable() const override;

private:
    void TakeFields();

    CSheepDoc& m_doc;
    std::function<void(const CGeneralOptions&)> m_applied;
    CGeneralOptions m_options;
    wxRadioButton* m_pSearch[3] = {};
    wxRadioButton* m_pLb = nullptr;
    wxRadioButton* m_pKg = nullptr;
    wxComboBox* m_pView = nullptr;
    wxSpinCtrl* m_pDecimals = nullptr;
    wxTextCtrl* m_pFolder = nullptr;
    wxCheckBox* m_pTooltips = nullptr;
};

class CXMLOptionsPage : public CCvlPropertyPage {
public:
    explicit CXMLOptionsPage(CSheepDoc& doc);
    bool OnApply() override;
    wxCheckListBox* GetList() const { return m_pList; }

protected:
    void OnCreateControls(wxPanel* panel) override;
    const CvlHelpPair* GetHelpTable() const override;

private:
    CSheepDoc& m_doc;
    WString m_strStored;
    bool m_bEnumerated = false;
    std::vector<CXmlEventItem> m_items;
    wxCheckListBox* m_pList = nullptr;
};

class CFarmOpts : public CCvlPropertyPage {
public:
    explicit CFarmOpts(CSheepDoc& doc);
    bool OnApply() override;
    wxComboBox* GetBreed() const { return m_pBreed; }
    wxTextCtrl* GetAddress() const { return m_pAddress; }
    wxTextCtrl* GetTelephone() const { return m_pTelephone; }
    wxTextCtrl* GetFax() const { return m_pFax; }

protected:
    void OnCreateControls(wxPanel* panel) override;
    const CvlHelpPair* GetHelpTable() const override;

private:
    CSheepDoc& m_doc;
    wxComboBox* m_pBreed = nullptr;
    wxTextCtrl* m_pAddress = nullptr;
    wxTextCtrl* m_pTelephone = nullptr;
    wxTextCtrl* m_pFax = nullptr;
};

class CEartagOptionsPage : public CCvlPropertyPage {
public:
    explicit CEartagOptionsPage(CSheepDoc& doc);
    bool OnApply() override;
    CEartagOptions& Model() { return m_model; }
    wxListBox* GetList() const { return m_pList; }
    wxTextCtrl* GetYear() const { return m_pYear; }
    wxTextCtrl* GetColour() const { return m_pColour; }
    wxTextCtrl* GetMask() const { return m_pMask; }
    // What the edits losing the focus and a list click do.
    void OnYearLeft();
    void OnColourLeft();
    void OnSelectEntry(int index);

protected:
    void OnCreateControls(wxPanel* panel) override;
    const CvlHelpPair* GetHelpTable() const override;

private:
    void ShowModel();

    CSheepDoc& m_doc;
    CEartagOptions m_model;
    wxListBox* m_pList = nullptr;
    wxTextCtrl* m_pYear = nullptr;
    wxTextCtrl* m_pColour = nullptr;
    wxTextCtrl* m_pMask = nullptr;
};

class CSysAdminPage : public CCvlPropertyPage {
public:
    explicit CSysAdminPage(CSheepDoc& doc);
    // "Rebuild Eartag List".
    void Rebuild();
    wxGauge* GetProgress() const { return m_pProgress; }

protected:
    void OnCreateControls(wxPanel* panel) override;
    const CvlHelpPair* GetHelpTable() const override;

private:
    CSheepDoc& m_doc;
    wxGauge* m_pProgress = nullptr;
};

// Pages that other parts of the program add to "Database Options" for a document: the reader's page
// goes after Images; each run makes new pages and deletes them afterwards.
using CvlOptionsPageFactory = std::function<std::unique_ptr<CSheetPage>(CSheepDoc& doc)>;
void CvlSetReaderOptionsPageFactory(CvlOptionsPageFactory factory);
// The Images page comes from the shell, which owns the picture folders.
void CvlSetImagesOptionsPageFactory(CvlOptionsPageFactory factory);

struct CDatabaseOptionsRun {
    // Called by the General page after OK stored its settings.
    std::function<void(const CGeneralOptions&)> generalApplied;
};
// "Database Options" for the document, opening on the page last left with OK. SHEET_OK or SHEET_CANCEL.
int CvlRunDatabaseOptions(wxWindow* parent, CSheepDoc& doc, const CDatabaseOptionsRun& run = {});
// "System Administration": the one System Administration page.
int CvlRunSystemAdministration(wxWindow* parent, CSheepDoc& doc);
