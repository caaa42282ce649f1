// The New Database wizard's pages on wx, and the wizard a new document runs.
#pragma once

#include <memory>

#include "document/new_database_wizard.h"
#include "document/ui/sheet.h"

class wxComboBox;
class wxRadioButton;
class wxTextCtrl;

class CFileNewWiz0 : public CFileNewWiz0Model, public CCvlPageWindow {
protected:
    void OnCreateControls(wxPanel* panel) override;
};

class CFileNewWiz1 : public CFileNewWiz1Model, public CCvlPageWindow {
public:
    using CFileNewWiz1Model::CFileNewWiz1Model;
    wxComboBox* GetBreedCombo() const { return m_pCombo; }

protected:
    void OnCreateControls(wxPanel* panel) override;
    const CvlHelpPair* GetHelpTable() const override;

private:
    wxComboBox* m_pCombo = nullptr;
};

class CFileNewWiz3 : public CFileNewWiz3Model, public CCvlPageWindow {
public:
    bool OnKillActive() override;

protected:
    void OnCreateControls(wxPanel* panel) override;
    const CvlHelpPair* GetHelpTable() const override;

private:
    wxTextCtrl* m_pAddress = nullptr;
    wxTextCtrl* m_pTelephone = nullptr;
    wxTextCtrl* m_pFax = nullptr;
};

class CFileNewWiz4 : public CFileNewWiz4Model, public CCvlPageWindow {
protected:
    void OnCreateControls(wxPanel* panel) override;
    const CvlHelpPair* GetHelpTable() const override;
    void OnRadiosChanged() override;

private:
    wxRadioButton* m_pNone = nullptr;  // GTK always checks one radio of a group: this one stands for none
    wxRadioButton* m_pLoad = nullptr;
    wxRadioButton* m_pManual = nullptr;
};

// The pages the breed page adds, as wx pages; the plug-in's come from its export.
class CNewDatabaseWxPages : public INewDatabasePages {
public:
    CFileNewWiz3Model* CreatePersonalPage() override { return new CFileNewWiz3; }
    CFileNewWiz4Model* CreateFinishPage() override { return new CFileNewWiz4; }
    CSheetPage* LoadPlugInPage(CSheepDoc& doc, int index, IDocument* docDual) override;
};

// The wizard of a new flock and what the document does when it ends (see CompleteNewDatabaseWizard).
NewDatabaseOutcome RunNewDatabaseWizard(wxWindow* parent, CSheepDoc& doc,
                                        const CNewDocumentServices& services);
