// The Tupping and Lambing wizards' pages on wx, and the commands that run the wizards.
#pragma once

#include "document/lambing_wizard.h"
#include "document/tupping_wizard.h"
#include "document/ui/sheet.h"

class wxButton;
class wxCheckBox;
class wxCheckListBox;
class wxChoice;
class wxDatePickerCtrl;
class wxListBox;
class wxRadioButton;
class wxSimpleHtmlListBox;
class wxSpinCtrl;
class wxStaticText;
class wxTextCtrl;

// ---- tupping -------------------------------------------------------------------------------------

class CTuppingWizard0 : public CTuppingWizard0Model, public CCvlPageWindow {
public:
    using CTuppingWizard0Model::CTuppingWizard0Model;

protected:
    void OnCreateControls(wxPanel* panel) override;
};

class CTuppingWizard1 : public CTuppingWizard1Model, public CCvlPageWindow {
public:
    using CTuppingWizard1Model::CTuppingWizard1Model;
    wxChoice* GetRamCombo() const { return m_pCombo; }
    wxRadioButton* GetNewRadio() const { return m_pNew; }

protected:
    void OnCreateControls(wxPanel* panel) override;
    const CvlHelpPair* GetHelpTable() const override;
    void OnModelChanged() override;

private:
    wxRadioButton* m_pExisting = nullptr;
    wxRadioButton* m_pNew = nullptr;
    wxChoice* m_pCombo = nullptr;
    wxStaticText* m_pName = nullptr;
};

class CTuppingWizard2 : public CTuppingWizard2Model, public CCvlPageWindow {
public:
    using CTuppingWizard2Model::CTuppingWizard2Model;
    wxListBox* GetRecordList() const { return m_pList; }

protected:
    void OnCreateControls(wxPanel* panel) override;
    const CvlHelpPair* GetHelpTable() const override;
    void OnModelChanged() override;

private:
    wxRadioButton* m_pNew = nullptr;
    wxRadioButton* m_pEdit = nullptr;
    wxListBox* m_pList = nullptr;
};

class CTuppingWizard3 : public CTuppingWizard3Model, public CCvlPageWindow {
public:
    using CTuppingWizard3Model::CTuppingWizard3Model;
    wxDatePickerCtrl* GetDatePicker() const { return m_pDate; }

protected:
    void OnCreateControls(wxPanel* panel) override;
    const CvlHelpPair* GetHelpTable() const override;
    void OnModelChanged() override;

private:
    wxStaticText* m_pRam = nullptr;
    wxRadioButton* m_pTupping = nullptr;
    wxRadioButton* m_pAI = nullptr;
    wxDatePickerCtrl* m_pDate = nullptr;
};

class CTuppingWizard4 : public CTuppingWizard4Model, public CCvlPageWindow {
public:
    using CTuppingWizard4Model::CTuppingWizard4Model;
    wxCheckListBox* GetEweList() const { return m_pList; }

protected:
    void OnCreateControls(wxPanel* panel) override;
    const CvlHelpPair* GetHelpTable() const override;
    void OnModelChanged() override;

private:
    wxCheckListBox* m_pList = nullptr;
    wxCheckBox* m_pShowAll = nullptr;
    wxRadioButton* m_pModes[3] = {};
    wxStaticText* m_pCount = nullptr;
};

class CTuppingWizard5 : public CTuppingWizard5Model, public CCvlPageWindow {
public:
    using CTuppingWizard5Model::CTuppingWizard5Model;

protected:
    void OnCreateControls(wxPanel* panel) override;
};

// Operations|Tupping: the wizard, then its apply step.
void RunTuppingWizard(wxWindow* parent, CSheepDoc& doc);

// ---- lambing -------------------------------------------------------------------------------------

class CLambingWizardA : public CLambingWizardAModel, public CCvlPageWindow {
public:
    using CLambingWizardAModel::CLambingWizardAModel;

protected:
    void OnCreateControls(wxPanel* panel) override;
};

class CLambingWizard0 : public CLambingWizard0Model, public CCvlPageWindow {
public:
    using CLambingWizard0Model::CLambingWizard0Model;
    wxTextCtrl* GetColourEdit() const { return m_pColour; }

protected:
    void OnCreateControls(wxPanel* panel) override;
    const CvlHelpPair* GetHelpTable() const override;
    void OnModelChanged() override;

private:
    wxListBox* m_pList = nullptr;
    wxTextCtrl* m_pYear = nullptr;
    wxTextCtrl* m_pColour = nullptr;
    bool m_bShowing = false;
};

class CLambingWizard1 : public CLambingWizard1Model, public CCvlPageWindow {
public:
    using CLambingWizard1Model::CLambingWizard1Model;
    wxSimpleHtmlListBox* GetEweList() const { return m_pList; }

protected:
    void OnCreateControls(wxPanel* panel) override;
    const CvlHelpPair* GetHelpTable() const override;
    void OnModelChanged() override;

private:
    wxSimpleHtmlListBox* m_pList = nullptr;
    wxCheckBox* m_pShowAll = nullptr;
    wxStaticText* m_pRanWith = nullptr;
    wxDatePickerCtrl* m_pAsOf = nullptr;
    wxRadioButton* m_pByEartag = nullptr;
    wxRadioButton* m_pByTattoo = nullptr;
};

class CLambingWizard2 : public CLambingWizard2Model, public CCvlPageWindow {
public:
    using CLambingWizard2Model::CLambingWizard2Model;
    wxChoice* GetHowBornCombo() const { return m_pHow; }
    wxDatePickerCtrl* GetDatePicker() const { return m_pDate; }

protected:
    void OnCreateControls(wxPanel* panel) override;
    const CvlHelpPair* GetHelpTable() const override;
    void OnModelChanged() override;

private:
    wxStaticText* m_pEwe = nullptr;
    wxStaticText* m_pRanWith = nullptr;
    wxChoice* m_pHow = nullptr;
    wxStaticText* m_pDateLabel = nullptr;
    wxDatePickerCtrl* m_pDate = nullptr;
    wxStaticText* m_pCommentsLabel = nullptr;
    wxTextCtrl* m_pComments = nullptr;
    bool m_bShowing = false;
};

class CLambingWizard3 : public CLambingWizard3Model, public CCvlPageWindow {
public:
    using CLambingWizard3Model::CLambingWizard3Model;
    wxSpinCtrl* GetLambsSpin() const { return m_pLambs; }

protected:
    void OnCreateControls(wxPanel* panel) override;
    const CvlHelpPair* GetHelpTable() const override;
    void OnModelChanged() override;

private:
    wxStaticText* m_pEwe = nullptr;
    wxStaticText* m_pRanWith = nullptr;
    wxSpinCtrl* m_pLambs = nullptr;
    bool m_bShowing = false;
};

class CLambingWizard4 : public CLambingWizard4Model, public CCvlPageWindow {
public:
    using CLambingWizard4Model::CLambingWizard4Model;

protected:
    void OnCreateControls(wxPanel* panel) override;
    const CvlHelpPair* GetHelpTable() const override;
    void OnModelChanged() override;

private:
    wxStaticText* m_pEwe = nullptr;
    wxStaticText* m_pRanWith = nullptr;
    wxRadioButton* m_pRadios[4] = {};
    wxStaticText* m_pNext = nullptr;
    wxSpinCtrl* m_pCustom = nullptr;
    wxStaticText* m_pPrevious = nullptr;
    bool m_bShowing = false;
};

class CLambingWizard5 : public CLambingWizard5Model, public CCvlPageWindow {
public:
    using CLambingWizard5Model::CLambingWizard5Model;
    wxChoice* GetSexCombo() const { return m_pSex; }
    wxTextCtrl* GetNameEdit() const { return m_pName; }
    wxTextCtrl* GetWeightEdit() const { return m_pWeight; }
    wxButton* GetDeleteButton() const { return m_pDelete; }

protected:
    void OnCreateControls(wxPanel* panel) override;
    const CvlHelpPair* GetHelpTable() const override;
    void OnModelChanged() override;

private:
    wxStaticText* m_pEwe = nullptr;
    wxStaticText* m_pRanWith = nullptr;
    wxStaticText* m_pLamb = nullptr;
    wxChoice* m_pSex = nullptr;
    wxTextCtrl* m_pName = nullptr;
    wxTextCtrl* m_pWeight = nullptr;
    wxRadioButton* m_pLb = nullptr;
    wxRadioButton* m_pKg = nullptr;
    wxTextCtrl* m_pComment = nullptr;
    wxButton* m_pDelete = nullptr;
    bool m_bShowing = false;
};

class CLambingWizard6 : public CLambingWizard6Model, public CCvlPageWindow {
public:
    using CLambingWizard6Model::CLambingWizard6Model;
    wxCheckBox* GetRestartBox() const { return m_pRestart; }

protected:
    void OnCreateControls(wxPanel* panel) override;
    const CvlHelpPair* GetHelpTable() const override;

private:
    wxCheckBox* m_pRestart = nullptr;
};

// Operations|Lambing: the wizard and its apply step, again while "Restart Wizard" is checked.
void RunLambingWizard(wxWindow* parent, CSheepDoc& doc);
