// The two small dialogs that settle an EID the reader knows and the flock does not: Add Dedov for a
// tattoo of the equivalence table, Map Electronic ID for a reading without a tattoo. They read the
// document and change nothing; the wizard keeps what they return.
#pragma once

#include <wx/dialog.h>

#include <cstdint>
#include <functional>

#include "platform/text.h"
#include "wyndrace/download_model.h"

class wxButton;
class wxChoice;
class wxComboBox;
class wxRadioButton;
class wxTextCtrl;

// Results of Add Dedov besides Cancel.
constexpr int IDC_ADDSHEEP_CREATE = 6;
constexpr int IDC_ADDSHEEP_SKIP = 7;

constexpr int IDC_DL_TATTOO = 2014;
constexpr int IDC_DL_EID = 2015;
constexpr int IDC_DL_SEX = 2016;
constexpr int IDC_DL_MAP = 2029;
constexpr int IDC_DL_CREATE = 2030;
constexpr int IDC_DL_ANIMALS = 2032;

// A Yes/No question of the download (wx style bits); wxID_YES or wxID_NO. Runs a message dialog
// through CvlRunModal, so tests answer it as any modal dialog.
int AskDownloadQuestion(wxWindow* parent, const WString& text, long style);
// "%016llu", as the pages and dialogs show an EID.
WString EidText(uint64_t eid);
// "Ewe" for 0, "Ram" for 1, empty otherwise; and back ("Ram" is 1, anything else 0).
WString SexText(int sex);
int SexFromText(const WString& text);

class CAddSheep : public wxDialog {
public:
    // sex: -1 when none was chosen before.
    CAddSheep(wxWindow* parent, IDownloadDocument& doc, uint64_t eid, const WString& tattoo, int sex);

    WString GetTattoo() const;
    int GetSex() const { return m_sex; }

    wxTextCtrl* GetTattooEdit() const { return m_pTattoo; }
    wxChoice* GetSexChoice() const { return m_pSex; }
    wxButton* GetCreateButton() const { return m_pCreate; }
    // Create, as its click does: ends the dialog unless the user keeps it open.
    void PressCreate();

private:
    void UpdateControls();

    IDownloadDocument& m_doc;
    int m_sex;
    wxTextCtrl* m_pTattoo = nullptr;
    wxChoice* m_pSex = nullptr;
    wxButton* m_pCreate = nullptr;
};

class CMapSheep : public wxDialog {
public:
    CMapSheep(wxWindow* parent, IDownloadDocument& doc, const WString& eidText);

    // The tattoo to use: the chosen animal's when mapping, the typed one when creating.
    const WString& GetTattoo() const { return m_tattoo; }
    bool IsCreate() const { return m_create; }
    int GetSex() const { return m_sex; }

    wxRadioButton* GetMapRadio() const { return m_pMap; }
    wxRadioButton* GetCreateRadio() const { return m_pCreateRadio; }
    wxComboBox* GetAnimals() const { return m_pAnimals; }
    wxTextCtrl* GetTattooEdit() const { return m_pTattoo; }
    wxChoice* GetSexChoice() const { return m_pSex; }
    wxButton* GetOkButton() const { return m_pOk; }
    void PressOk();

private:
    void UpdateControls();

    IDownloadDocument& m_doc;
    WString m_tattoo;
    bool m_create = false;
    int m_sex = 0;
    wxRadioButton* m_pMap = nullptr;
    wxRadioButton* m_pCreateRadio = nullptr;
    wxComboBox* m_pAnimals = nullptr;
    wxTextCtrl* m_pTattoo = nullptr;
    wxChoice* m_pSex = nullptr;
    wxButton* m_pOk = nullptr;
};
