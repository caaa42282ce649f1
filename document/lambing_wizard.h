// The Lambing wizard without its windows: the year's ear-tag colour, the ewe, how and when she
// lambed, how many lambs, each lamb's number and details. The pages edit working copies of the
// ewes' latest lambing records held by the wizard; the flock changes only when the wizard ends with
// Finish (ApplyLambingWizard). The wx pages derive from these models.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "document/sheet_flow.h"
#include "document/tupping_wizard.h"
#include "platform/object.h"
#include "platform/oledate.h"
#include "platform/text.h"
#include "records/lambing.h"

class CSheepDoc;

// Page templates.
constexpr unsigned IDD_LAMBING_WIZA = 286;
constexpr unsigned IDD_LAMBING_WIZ0 = 254;
constexpr unsigned IDD_LAMBING_WIZ1 = 248;
constexpr unsigned IDD_LAMBING_WIZ2 = 249;
constexpr unsigned IDD_LAMBING_WIZ3 = 250;
constexpr unsigned IDD_LAMBING_WIZ4 = 251;
constexpr unsigned IDD_LAMBING_WIZ5 = 252;
constexpr unsigned IDD_LAMBING_WIZ6 = 253;

// Controls.
constexpr int IDC_LAMB_YEAR_LIST = 1114;
constexpr int IDC_LAMB_YEAR = 1189;
constexpr int IDC_LAMB_COLOUR = 1115;
constexpr int IDC_LAMB_EWE_LIST = 1068;
constexpr int IDC_LAMB_SHOW_ALL = 1111;
constexpr int IDC_LAMB_RAN_WITH = 1110;
constexpr int IDC_LAMB_AS_OF = 1332;
constexpr int IDC_LAMB_BY_EARTAG = 1040;
constexpr int IDC_LAMB_BY_TATTOO = 1074;
constexpr int IDC_LAMB_EWE = 1094;
constexpr int IDC_LAMB_HOW_BORN = 1069;
constexpr int IDC_LAMB_DATE = 1095;
constexpr int IDC_LAMB_COMMENTS = 1092;
constexpr int IDC_LAMB_COUNT = 1303;
constexpr int IDC_LAMB_COUNT_SPIN = 1304;
constexpr int IDC_LAMB_NEXT_RADIO = 1096;
constexpr int IDC_LAMB_CUSTOM_RADIO = 1097;
constexpr int IDC_LAMB_DEAD_RADIO = 1098;
constexpr int IDC_LAMB_PREVIOUS_RADIO = 1317;
constexpr int IDC_LAMB_NEXT_NUMBER = 1099;
constexpr int IDC_LAMB_CUSTOM_NUMBER = 1100;
constexpr int IDC_LAMB_PREVIOUS_NUMBER = 1102;
constexpr int IDC_LAMB_NUMBER = 1308;
constexpr int IDC_LAMB_SEX = 1018;
constexpr int IDC_LAMB_NAME = 1075;
constexpr int IDC_LAMB_WEIGHT = 1088;
constexpr int IDC_LAMB_UNIT_LB = 1027;
constexpr int IDC_LAMB_UNIT_KG = 1028;
constexpr int IDC_LAMB_COMMENT = 1090;
constexpr int IDC_LAMB_DELETE = 1369;
constexpr int IDC_LAMB_RESTART = 1309;

constexpr unsigned IDS_LAMBING_WIZARD = 299;
constexpr uint32_t EVENT_LAMBED = 10;

// The lamb text of a dead lamb.
constexpr char16_t kDeadLamb[] = u"Dead";
// The integer a lamb's text starts with, as the C library's wtoi reads it; 0 when none.
int LambTextValue(WStringView text);

// What the sheet holds while the wizard runs.
class CLambingWizard {
public:
    explicit CLambingWizard(CSheepDoc* doc);
    ~CLambingWizard();
    CLambingWizard(const CLambingWizard&) = delete;
    CLambingWizard& operator=(const CLambingWizard&) = delete;

    CSheepDoc* GetDocument() const { return m_pDoc; }
    void ClearEweMap();
    // The Method of that ewe's working copy; 0 when she has none.
    int32_t GetHowBorn(const WString& tattoo) const;
    // The working copy of the chosen ewe, or null.
    CEweLambingData* GetCopy() const;
    // The number of a lamb text as the numbering rules count it: its integer value, or the breed's
    // lamb index of the text when that is 0; 0 for a dead lamb.
    int LambNumber(const WString& text) const;

    CSheepDoc* m_pDoc;
    int m_nLambsWanted = 0;
    int m_nLambsExisting = 0;
    int m_nCurrentLamb = 0;
    bool m_bRenumber = false;
    WString m_strEwe;
    std::map<WString, CRefPtr<CEweLambingData>> m_mapEwes;
    WString m_strColour;
    std::map<WString, WString> m_mapLambNames;
    std::map<WString, COleDateTime> m_mapTupDates;
    std::vector<WString> m_lstDeletedLambs;
    // The year colours the colour page was left with: written to the document at Finish.
    std::optional<std::map<WString, WString>> m_yearColours;
};

class CLambingWizardPage : public CSheetPage {
public:
    CLambingWizardPage(unsigned templateId, CLambingWizard* wizard)
        : CSheetPage(templateId), m_pWizard(wizard) {}

protected:
    virtual void OnModelChanged() {}
    void SetButtons(unsigned buttons);
    CLambingWizard* m_pWizard;
};

class CLambingWizardAModel : public CLambingWizardPage {
public:
    explicit CLambingWizardAModel(CLambingWizard* wizard);
    void OnSetActive() override;
};

// The ear-tag colour of the lambing year.
class CLambingWizard0Model : public CLambingWizardPage {
public:
    explicit CLambingWizard0Model(CLambingWizard* wizard);
    void Initialise();
    int OnWizardNext() override;

    void ColourLeft();
    void YearLeft();
    void SelectLine(int index);
    // Year or Colour was typed into.
    void EditChanged();

    std::vector<WString> m_lines;
    int m_nSelected = -1;
    WString m_strYear;
    WString m_strColour;
    bool m_bColourEnabled = true;
    bool m_bFocusColour = false;

private:
    WString m_strCurrentYear;
    WString m_strEditing;
    std::map<WString, WString> m_colours;
};

class CLambingWizard1Model : public CLambingWizardPage {
public:
    struct Item {
        WString text;
        WString tattoo;
        bool lambed;  // her copy's Method is not 0: drawn in the inactive-caption colour
    };
    explicit CLambingWizard1Model(CLambingWizard* wizard, int displayMode);
    void Initialise();
    void OnSetActive() override;
    int OnWizardNext() override;

    void SetDisplayMode(int mode);
    void SetShowAll(bool showAll);
    void SetAsOf(const COleDateTime& date);
    void SelectItem(int index);
    // A double click presses Next.
    void ActivateItem(int index);

    int m_nDisplayMode;
    bool m_bShowAll = false;
    COleDateTime m_asOf;
    std::vector<Item> m_items;
    int m_nSelected = -1;
    WString m_strRanWith;

private:
    void Fill(bool rebuild);
};

class CLambingWizard2Model : public CLambingWizardPage {
public:
    explicit CLambingWizard2Model(CLambingWizard* wizard);
    void OnSetActive() override;
    int OnWizardNext() override;
    void SetHowBorn(int index);
    bool IsDateShown() const { return m_nHowBorn == LAMBING_NORMAL || m_nHowBorn == LAMBING_CESARIAN; }

    WString m_strEwe;
    WString m_strRanWith;
    int m_nHowBorn = 0;
    COleDateTime m_date = COleDateTime::Null();
    WString m_strComments;
    // The control that a refusal focuses (a control id), 0 for none.
    int m_nFocus = 0;
};

class CLambingWizard3Model : public CLambingWizardPage {
public:
    explicit CLambingWizard3Model(CLambingWizard* wizard);
    void OnSetActive() override;
    int OnWizardNext() override;

    WString m_strEwe;
    WString m_strRanWith;
    int m_nLambs = 2;
    int m_nSpinMin = 1;
    int m_nSpinMax = 10;
};

class CLambingWizard4Model : public CLambingWizardPage {
public:
    enum Choice { NEXT_NUMBER, CUSTOM_NUMBER, DEAD, PREVIOUS_NUMBER };
    explicit CLambingWizard4Model(CLambingWizard* wizard);
    void OnSetActive() override;
    int OnWizardNext() override;
    int OnWizardBack() override;

    void Choose(Choice choice);
    // Typing a custom number checks its radio.
    void SetCustomNumber(int number);
    // The next free lamb number.
    int NextLambNumber() const;
    // False, after message 108, when n is taken by a lamb of this run or gives an existing tattoo.
    bool ValidateNumber(int number) const;

    WString m_strEwe;
    WString m_strRanWith;
    Choice m_choice = NEXT_NUMBER;
    bool m_bPreviousShown = false;
    bool m_bCustomEnabled = false;
    WString m_strNextNumber;
    int m_nCustomNumber = 0;
    int m_nPreviousNumber = 0;

private:
    void UpdateCustomButtons();
};

class CLambingWizard5Model : public CLambingWizardPage {
public:
    explicit CLambingWizard5Model(CLambingWizard* wizard);
    // Init: the unit radio from the `Unit` setting.
    void Initialise();
    void OnSetActive() override;
    int OnWizardNext() override;
    int OnWizardBack() override;

    // The unit radios: "lb" (true) or "kg".
    void ClickUnit(bool pounds);
    // The Delete button; asks first.
    void DeleteLamb();

    WString m_strEwe;
    WString m_strRanWith;
    WString m_strLamb;
    int m_nSex = -1;
    WString m_strName;
    WString m_strWeight;
    WString m_strComment;
    int32_t m_nUnitFlag = 1;
    bool m_bDeleteShown = false;
    bool m_bDeleted = false;
    int m_nFocus = 0;

private:
    void LoadLamb();
    void SaveLamb();
    bool Validate();
};

class CLambingWizard6Model : public CLambingWizardPage {
public:
    explicit CLambingWizard6Model(CLambingWizard* wizard);
    void OnSetActive() override;
    int OnWizardBack() override;

    bool m_bRestart = false;
};

// The current year as the colour map keys it ("%Y" of now).
WString CurrentLambingYear();
// Whether the colour page is added: the document has no colour for the current year.
bool NeedsColourPage(const CSheepDoc& doc);
// The display mode of the ewe list from the `Search Mode` setting (1 tattoo, else ear tag).
int LambingDisplayMode();

// What the document does after Finish: the working copies become the ewes' records, live lambs
// become animals with their events; the views are told and the current animal kept.
void ApplyLambingWizard(CSheepDoc& doc, CLambingWizard& wizard);
