// Add Dedov and Goto Dedov without their windows: what enables what, what is stored in the settings,
// the tattoo check, the search; and the new animal that Add Dedov makes.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/oledate.h"
#include "platform/text.h"

class CSheep;
class CSheepDoc;

// Templates.
constexpr unsigned IDD_ADD_SHEEP = 129;
constexpr unsigned IDD_GOTO_SHEEP = 125;
constexpr unsigned IDD_SIGNET_AVERAGES = 274;

// Add Dedov controls.
constexpr int IDC_ADD_TATTOO = 1074;
constexpr int IDC_ADD_PRICE = 1023;
constexpr int IDC_ADD_SELLER = 1024;
constexpr int IDC_ADD_BROWSE = 1184;
constexpr int IDC_ADD_PURCHASE = 1016;
constexpr int IDC_ADD_DATE = 1025;

// Goto Dedov controls.
constexpr int IDC_GOTO_LIST = 1283;
constexpr int IDC_GOTO_ANIMATION = 1282;
constexpr int IDC_GOTO_KEY = 1039;
constexpr int IDC_GOTO_KEY_LABEL = 1036;
constexpr int IDC_GOTO_NUMBER = 1038;
constexpr int IDC_GOTO_NUMBER_LABEL = 1037;
constexpr int IDC_GOTO_BY_EARTAG = 1040;
constexpr int IDC_GOTO_BY_TATTOO = 1074;
constexpr int IDC_GOTO_BY_EID = 1076;

constexpr unsigned IDS_KEEP_ODD_TATTOO = 114;
constexpr unsigned IDS_GOTO = 169;
constexpr unsigned IDS_FIND = 170;
constexpr unsigned IDS_SHEEP_NOT_FOUND = 1043;

class CAddSheepModel {
public:
    explicit CAddSheepModel(CSheepDoc* doc);

    WString m_strTattoo;
    WString m_strPrice;
    WString m_strSeller;
    bool m_bPurchased = false;
    COleDateTime m_dtDate;

    // Init: the Purchase box as the user left it last time.
    void Init();
    bool IsOkEnabled() const { return !m_strTattoo.empty(); }
    // Date, price, seller and the browse button.
    bool ArePurchaseControlsEnabled() const { return m_bPurchased; }
    // The Purchase box clicked: remembered for the next time at once.
    void SetPurchased(bool purchased);
    // OK: a tattoo outside the breed's format is kept only when the user says so. False keeps the
    // dialog open.
    bool OnOK();

private:
    CSheepDoc* m_pDoc;
};

// The new animal from Add Dedov's answers, with the given sex (-1 when none) and EID (0 for none):
// a purchase event when asked, filed without becoming current until it is in the flock; false when
// the user kept an existing animal of that key. Otherwise it becomes current and its key is given.
bool AddSheepFromDialog(CSheepDoc& doc, const CAddSheepModel& dialog, int32_t sex, uint64_t eid,
                        WString* newKey);

class CGotoSheepModel {
public:
    static constexpr int MODE_EARTAG = 0;
    static constexpr int MODE_TATTOO = 1;
    static constexpr int MODE_EID = 2;
    enum State { Idle = 0, Searching = 1, ResultsShown = 2 };

    explicit CGotoSheepModel(CSheepDoc* doc);

    // Init: the search mode from the settings (another number checks no radio and is kept).
    void Init();
    int GetMode() const { return m_nMode; }
    void SetMode(int mode);
    void SetKey(const WString& key);
    void SetNumber(const WString& number);
    const WString& GetKey() const { return m_strKey; }
    const WString& GetNumber() const { return m_strNumber; }
    State GetState() const { return m_state; }

    // The layout of a mode: the key's label text (empty: left as it is) and whether the number shows.
    WString GetKeyLabel() const;
    bool IsNumberShown() const { return m_nMode == MODE_EARTAG; }
    bool IsFindEnabled() const;

    // Find while idle: the keys of the animals found (state Searching during, then ResultsShown
    // with some, Idle without).
    std::vector<WString> Search();
    const std::vector<WString>& GetResults() const { return m_results; }
    // Find while results are shown: the row's animal becomes current; false for no row.
    bool GotoRow(int row);
    // Cancel while searching.
    void CancelSearch();

private:
    CSheepDoc* m_pDoc;
    int m_nMode = MODE_EARTAG;
    WString m_strKey;
    WString m_strNumber;
    State m_state = Idle;
    std::vector<WString> m_results;
};
