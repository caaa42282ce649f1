// The Tupping wizard without its windows: which ram, a new tupping record or one of his earlier
// ones, how and when he was used, and which ewes he ran with. The pages edit a working record held
// by the wizard; the flock changes only when the wizard ends with Finish (ApplyTuppingWizard). The
// wx pages derive from these models.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "document/sheet_flow.h"
#include "platform/object.h"
#include "platform/oledate.h"
#include "platform/text.h"
#include "records/tupping.h"

class CSheepDoc;

// Page templates.
constexpr unsigned IDD_TUPPING_WIZ0 = 285;
constexpr unsigned IDD_TUPPING_WIZ1 = 256;
constexpr unsigned IDD_TUPPING_WIZ2 = 255;
constexpr unsigned IDD_TUPPING_WIZ3 = 257;
constexpr unsigned IDD_TUPPING_WIZ4 = 258;
constexpr unsigned IDD_TUPPING_WIZ5 = 259;

// Controls.
constexpr int IDC_TUP_RAM_EXISTS = 1323;
constexpr int IDC_TUP_RAM_NEW = 1324;
constexpr int IDC_TUP_RAM_COMBO = 1067;
constexpr int IDC_TUP_RAM_NAME = 1174;
constexpr int IDC_TUP_RECORD_NEW = 1335;
constexpr int IDC_TUP_RECORD_EDIT = 1336;
constexpr int IDC_TUP_RECORD_LIST = 1320;
constexpr int IDC_TUP_SELECTED_RAM = 1325;
constexpr int IDC_TUP_METHOD_TUPPING = 1326;
constexpr int IDC_TUP_METHOD_AI = 1327;
constexpr int IDC_TUP_DATE_IN = 1070;
constexpr int IDC_TUP_EWE_LIST = 1068;
constexpr int IDC_TUP_SHOW_ALL = 1111;
constexpr int IDC_TUP_BY_EARTAG = 1040;
constexpr int IDC_TUP_BY_EID = 1076;
constexpr int IDC_TUP_BY_TATTOO = 1074;
constexpr int IDC_TUP_EWE_COUNT = 1366;

constexpr unsigned IDS_TUPPING_WIZARD = 42;
constexpr unsigned IDS_TUPPING_NORMAL = 148;
constexpr unsigned IDS_TUPPING_AI = 150;
constexpr uint32_t EVENT_INSEMINATED = 6;
constexpr uint32_t EVENT_TUPPED = 7;
constexpr uint32_t EVENT_TUPPING = 8;

// How a list names an animal (the `Search Mode` setting).
constexpr int DISPLAY_EARTAG = 0;
constexpr int DISPLAY_TATTOO = 1;
constexpr int DISPLAY_EID = 2;

// What the sheet holds while the wizard runs.
class CTuppingWizard {
public:
    explicit CTuppingWizard(CSheepDoc* doc);

    CSheepDoc* GetDocument() const { return m_pDoc; }
    // The ram's animal, or null.
    CSheep* FindRam() const;
    // A fresh working record (a new tupping record).
    void ResetWorkingRecord();

    WString m_strRam;
    CRefPtr<CRamLambingData> m_tupping;
    CRamLambingData* m_pEditRecord = nullptr;
    COleDateTime m_dateRecord = COleDateTime::Null();
    int m_nLocked = 0;
    int m_nRecordIndex = -1;
    bool m_bNewRam = false;
    CSheepDoc* m_pDoc;
    WString m_strRecordText;
    bool m_bEditing = false;
    // Every ram set up during this run: Cancel deletes them again.
    std::vector<WString> m_newRams;
    // Sets up a new ram (the new-animal dialog with sex Ram): its tattoo, false when cancelled.
    std::function<bool(WString* tattoo)> m_newRam;
};

class CTuppingWizardPage : public CSheetPage {
public:
    CTuppingWizardPage(unsigned templateId, CTuppingWizard* wizard)
        : CSheetPage(templateId), m_pWizard(wizard) {}

protected:
    // The model changed what the page shows: the wx page moves it into its controls.
    virtual void OnModelChanged() {}
    void SetButtons(unsigned buttons);
    CTuppingWizard* m_pWizard;
};

class CTuppingWizard0Model : public CTuppingWizardPage {
public:
    explicit CTuppingWizard0Model(CTuppingWizard* wizard);
    void OnSetActive() override;
};

class CTuppingWizard1Model : public CTuppingWizardPage {
public:
    explicit CTuppingWizard1Model(CTuppingWizard* wizard);
    // Init: the rams of the flock after the placeholder, the placeholder selected.
    void LoadRams();
    void OnSetActive() override;
    int OnWizardNext() override;

    void ClickExisting();
    void ClickNew();
    void SelectRam(int index);

    bool m_bNewChecked = false;
    std::vector<WString> m_rams;  // the combo's items; item 0 is the placeholder
    int m_nSelected = -1;
    WString m_strRamName;
    bool m_bComboEnabled = true;
};

class CTuppingWizard2Model : public CTuppingWizardPage {
public:
    explicit CTuppingWizard2Model(CTuppingWizard* wizard);
    void OnSetActive() override;
    int OnWizardNext() override;

    void ClickNew();
    void ClickEdit();
    void SelectRecord(int index);

    bool m_bEditChecked = false;
    bool m_bListEnabled = false;
    std::vector<WString> m_texts;
    std::vector<CRamLambingData*> m_records;  // the item data
    int m_nSelected = -1;
};

class CTuppingWizard3Model : public CTuppingWizardPage {
public:
    explicit CTuppingWizard3Model(CTuppingWizard* wizard);
    void OnSetActive() override;
    int OnWizardNext() override;
    int OnWizardBack() override;

    void ClickMethod(int32_t method);

    WString m_strSelectedRam;
    int32_t m_nMethod = TUPPING_NATURAL;
    COleDateTime m_date = COleDateTime::Null();
    bool m_bEnabled = true;
};

class CTuppingWizard4Model : public CTuppingWizardPage {
public:
    struct Item {
        WString text;
        WString tattoo;
        bool checked;
        bool enabled;
    };
    static constexpr int EWE_CHECKED = 1;
    static constexpr int EWE_LOCKED = 2;

    explicit CTuppingWizard4Model(CTuppingWizard* wizard);
    // Init: the display mode and Show All from the settings, the list built afresh.
    void Initialise();
    void OnSetActive() override;
    int OnWizardNext() override;

    void SetDisplayMode(int mode);
    void SetShowAll(bool showAll);
    // A click on an item's box (refused for a disabled item).
    void CheckItem(int index, bool checked);
    // "%d ewe(s) selected" with the count.
    WString GetCountText() const;

    int m_nDisplayMode = DISPLAY_EARTAG;
    bool m_bShowAll = false;
    std::vector<Item> m_items;
    int m_nCount = 0;
    WString m_strCountFormat = u"%d ewe(s) selected";

private:
    void Fill(bool rebuild);
    // The ewes in flock order with their flags; the record's ewes not in the flock at the end.
    std::vector<std::pair<WString, int>> m_states;
    WString m_strRemembered;
    bool m_bInitialised = false;
};

class CTuppingWizard5Model : public CTuppingWizardPage {
public:
    explicit CTuppingWizard5Model(CTuppingWizard* wizard);
    void OnSetActive() override;
};

// What the document does when the wizard ended with sheetResult (ID_WIZFINISH or Cancel).
void ApplyTuppingWizard(CSheepDoc& doc, CTuppingWizard& wizard, int sheetResult);
