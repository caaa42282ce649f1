// The upload wizard: the tattoos and EIDs of the animals a window shows, or of those selected in
// it, written into the reader's equivalence table.
#pragma once

#include <wx/font.h>

#include "wyndrace/transfer_sheet.h"

class wxRadioButton;
class wxStaticText;

// A title and a text with the buttons given: the wizards' welcome pages and the download's closing
// pages.
class CWizardTextPage : public CCvlPropertyPage {
public:
    CWizardTextPage(unsigned pageId, WString title, WString text, unsigned buttons);
    void OnSetActive() override;

protected:
    void OnCreateControls(wxPanel* panel) override;

private:
    WString m_title;
    WString m_text;
    unsigned m_buttons;
    wxFont m_titleFont;
};

// All records shown, or only the selected ones; the reader is tested before the transfer.
class CUploadWizard2 : public CCvlPropertyPage {
public:
    CUploadWizard2(CUploadWizard& sheet, const WString& port, const COMMCONFIG* config);
    int OnWizardNext() override;

    wxRadioButton* GetAllButton() const { return m_pAll; }
    wxRadioButton* GetSelectedButton() const { return m_pSelected; }

protected:
    void OnCreateControls(wxPanel* panel) override;
    const CvlHelpPair* GetHelpTable() const override;

private:
    CUploadWizard& m_sheet;
    WString m_port;
    COMMCONFIG m_config = EIDEmptyCommConfig();
    wxRadioButton* m_pAll = nullptr;
    wxRadioButton* m_pSelected = nullptr;
};

// Finish: how many records went to the reader.
class CUploadWizard20 : public CCvlPropertyPage {
public:
    explicit CUploadWizard20(CUploadWizard& sheet);
    void OnSetActive() override;
    int OnWizardBack() override;

    wxStaticText* GetCountText() const { return m_pCount; }

protected:
    void OnCreateControls(wxPanel* panel) override;

private:
    CUploadWizard& m_sheet;
    wxFont m_titleFont;
    wxStaticText* m_pCount = nullptr;
};

// The wizard over the source's window; 1 when it ended with Finish.
int32_t RunUploadWizard(const EIDSourceWindow* parent, const char16_t* port, const COMMCONFIG* config,
                        IDocument* doc);

// The title font of welcome and finish pages: Verdana, 12 points, bold.
wxFont WizardTitleFont();
