// The record view's pages that edit the animal itself: General (identity, parents, dates, comments,
// electronic ID, breed flags), Genetics (the scrapie genotype) and Signet (breeding values and
// measurements beside the class averages).
#pragma once

#include "platform/oledate.h"
#include "views/record_page.h"

class wxButton;
class wxCheckBox;
class wxStaticText;

// Control ids of the General page.
constexpr int IDC_GENERAL_DEPART = 1065;
constexpr int IDC_GENERAL_PURCHASE = 1017;
constexpr int IDC_GENERAL_BIRTH = 1015;
constexpr int IDC_GENERAL_DEPART_LABEL = 1054;
constexpr int IDC_GENERAL_PURCHASE_LABEL = 1016;
constexpr int IDC_GENERAL_BIRTH_LABEL = 1318;
constexpr int IDC_GENERAL_SIRE_GOTO = 1003;
constexpr int IDC_GENERAL_DAM_GOTO = 1002;
constexpr int IDC_GENERAL_SIRE = 1004;
constexpr int IDC_GENERAL_DAM = 1005;
constexpr int IDC_GENERAL_EARTAG_COLOUR = 1014;
constexpr int IDC_GENERAL_EARTAG_NUMBER = 1019;
constexpr int IDC_GENERAL_EID = 1076;
constexpr int IDC_GENERAL_COMMENTS = 123;
constexpr int IDC_GENERAL_FLAG_FIRST = 1433;  // to 1436: breed flags 0, 1, 4, 5

class CSheepViewGeneralTab : public CSheepViewPage {
public:
    CSheepViewGeneralTab(wxWindow* sheet, CSheepView* view);
    void ShowSheep(CSheep* sheep) override;

    // The breed flag behind each check box.
    static constexpr unsigned kFlagOfBox[4] = {0, 1, 4, 5};
    wxCheckBox* GetFlagBox(int box) const { return m_pFlags[box]; }
    // A click on a flag box, as the box reports it.
    void OnFlagClicked(int box);
    void OnGotoSire();
    void OnGotoDam();

private:
    bool WriteText(wxTextCtrl* edit, unsigned field);
    bool WriteOneOf();
    bool WriteSex();
    bool WriteElectronicId();
    void ShowDate(wxTextCtrl* edit, wxStaticText* label, const COleDateTime* date);
    void UpdateGotoButtons();

    wxTextCtrl* m_pSire;
    wxTextCtrl* m_pDam;
    wxButton* m_pSireGoto;
    wxButton* m_pDamGoto;
    wxTextCtrl* m_pEartagColour;
    wxTextCtrl* m_pEartagNumber;
    wxTextCtrl* m_pEid;
    wxTextCtrl* m_pComments;
    wxTextCtrl* m_pBirth;
    wxTextCtrl* m_pPurchase;
    wxTextCtrl* m_pDepart;
    wxStaticText* m_pBirthLabel;
    wxStaticText* m_pPurchaseLabel;
    wxStaticText* m_pDepartLabel;
    wxCheckBox* m_pFlags[4];
    uint64_t m_nShownEid = 0;
};

constexpr int IDC_GENETICS_FIRST = 1390;
constexpr int IDC_GENETICS_SECOND = 1392;

class CSheepViewGeneticsTab : public CSheepViewPage {
public:
    CSheepViewGeneticsTab(wxWindow* sheet, CSheepView* view);
    void ShowSheep(CSheep* sheep) override;

    wxChoice* GetFirstAllele() const { return m_pFirst; }
    wxChoice* GetSecondAllele() const { return m_pSecond; }

private:
    void OnAlleleChanged(wxChoice* changed, wxChoice* other);
    bool WriteGenotype();

    wxChoice* m_pFirst;
    wxChoice* m_pSecond;
    wxChoice* m_pLastChanged = nullptr;
};

constexpr int IDC_SIGNET_AVERAGE_LABEL = 1364;
constexpr int IDC_SIGNET_ENTER_AVERAGES = 1365;

class CSheepViewSignetTab : public CSheepViewPage {
public:
    CSheepViewSignetTab(wxWindow* sheet, CSheepView* view);
    void ShowSheep(CSheep* sheep) override;

    // The figure edit of a field (16 to 28), and the average edit of a row.
    wxTextCtrl* GetFigureEdit(unsigned field) const { return m_pFigures[field - 16]; }
    wxTextCtrl* GetAverageEdit(int controlId) const;
    wxStaticText* GetAverageLabel() const { return m_pAverageLabel; }
    wxButton* GetEnterAveragesButton() const { return m_pEnterAverages; }

private:
    bool WriteFigure(unsigned field);

    wxTextCtrl* m_pFigures[13];
    std::vector<wxTextCtrl*> m_averages;
    wxStaticText* m_pAverageLabel;
    wxButton* m_pEnterAverages;
};

class CEventListBox;

constexpr int IDC_HISTORY_LIST = 1052;
constexpr int IDC_HISTORY_ADD = 1372;
constexpr int IDC_HISTORY_EDIT = 1374;
constexpr int IDC_HISTORY_DELETE = 1376;

class CSheepViewEventTab : public CSheepViewPage {
public:
    CSheepViewEventTab(wxWindow* sheet, CSheepView* view);
    void ShowSheep(CSheep* sheep) override;
    // Writes the list back into the animal it was loaded for (whatever the argument), when changed.
    void SaveSheep(CSheep* sheep) override;

    CEventListBox* GetEventList() const { return m_pList; }
    wxButton* GetButton(unsigned key) const { return m_pButtons[key]; }

private:
    CEventListBox* m_pList;
    wxButton* m_pButtons[3];
};
