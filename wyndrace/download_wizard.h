// The download wizard: the reader's equivalence table or its control table brought into the open
// document, on the transfer sheet and transfer page of the upload wizard.
#pragma once

#include "wyndrace/download_model.h"
#include "wyndrace/transfer_sheet.h"

class wxCheckBox;
class wxRadioButton;

constexpr unsigned kDownloadWelcomePageId = 110;
constexpr unsigned kDownloadTypePageId = 111;

// The equivalence table or the control table, and whether the reader is erased afterwards.
class wxButton;

class CDownloadWizard2 : public CCvlPropertyPage {
public:
    CDownloadWizard2(CUploadWizard& sheet, CDownloadState& state);
    int OnWizardNext() override;
    const CvlHelpPair* GetHelpTable() const override;

    wxRadioButton* GetEquivalence() const { return m_pEquivalence; }
    wxButton* GetMoreInformation() const { return m_pMore; }
    wxRadioButton* GetControl() const { return m_pControl; }
    wxCheckBox* GetErase() const { return m_pErase; }

protected:
    void OnCreateControls(wxPanel* panel) override;

private:
    void UpdateControls();

    CUploadWizard& m_sheet;
    CDownloadState& m_state;
    wxRadioButton* m_pEquivalence = nullptr;
    wxRadioButton* m_pControl = nullptr;
    wxCheckBox* m_pErase = nullptr;
    wxButton* m_pMore = nullptr;
};

// The wizard over the source's window; 1 when it ended with Finish or changed the flock.
int32_t RunDownloadWizard(const EIDSourceWindow* parent, const char16_t* port, const COMMCONFIG* config,
                          IDocument* doc);
