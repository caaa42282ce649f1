// The View Options sheet of the main window: the flock list's columns, the report fonts and the
// pedigree's page.
#pragma once

#include <vector>

#include "document/font_record.h"
#include "document/ui/sheet.h"
#include "platform/text.h"

class CSheepDoc;
class CColourCombo;
class wxCheckListBox;
class wxBitmapButton;
class wxButton;
class wxChoice;
class wxComboBox;
class wxListBox;
class wxRadioButton;
class wxWindow;

// The column chooser of the flock list: which of the fields it shows, in which order.
class CFlockVwOpts : public CCvlPropertyPage {
public:
    explicit CFlockVwOpts(CSheepDoc* doc);

    struct Item {
        WString caption;
        uint32_t kind;
        bool checked;
    };
    // The items as they stand (the list's when the page is shown).
    const std::vector<Item>& GetItems() const { return m_items; }
    int GetSelected() const { return m_nSelected; }
    // The layout's fields first (checked), then every other captioned field once (unchecked).
    void Fill(const std::vector<uint32_t>& layout);
    void Select(int index);
    void SetChecked(int index, bool checked);
    void MoveUp();
    void MoveDown();
    bool CanMoveUp() const { return m_nSelected > 0; }
    bool CanMoveDown() const { return m_nSelected >= 0 && m_nSelected + 1 < int(m_items.size()); }
    bool IsModified() const { return m_bModified; }
    void ResetToDefaults();

    void OnSetActive() override;
    bool OnApply() override;
    void OnReset() override;

protected:
    void OnCreateControls(wxPanel* panel) override;
    const CvlHelpPair* GetHelpTable() const override;

private:
    void ShowItems();
    void ShowButtons();

    CSheepDoc* m_pDoc;
    std::vector<Item> m_items;
    int m_nSelected = -1;
    bool m_bSelectedChecked = false;
    bool m_bModified = false;
    bool m_bFilled = false;
    wxCheckListBox* m_pList = nullptr;
    wxButton* m_pUp = nullptr;
    wxButton* m_pDown = nullptr;
};

// The fonts and colours of the lists: header and body text.
class CReportFontPage : public CCvlPropertyPage {
public:
    explicit CReportFontPage(CSheepDoc* doc);

    // The working copies; only OK gives them to the document.
    const CFontRecord& GetHeaderFont() const { return m_header; }
    const CFontRecord& GetBodyFont() const { return m_body; }
    uint32_t GetHeaderColour() const { return m_crHeader; }
    uint32_t GetBodyColour() const { return m_crBody; }
    bool IsEditingHeader() const { return m_bHeader; }

    // As the controls do.
    void EditHeader(bool header);
    void ChooseFace(const WString& face);
    void ChooseStyle(const WString& style);
    void ChooseSize(const WString& size);
    void ChooseColour(int index);

    // The style entries of a face (all faces are scalable here) and the fixed sizes.
    static const std::vector<WString>& GetStyles();
    static const std::vector<WString>& GetSizes();
    // The weight a style name stands for (trailing " Italic" dropped): Regular/Normal 400, Bold 700,
    // anything else 0.
    static int32_t StyleWeight(const WString& style);

    bool OnApply() override;

protected:
    void OnCreateControls(wxPanel* panel) override;
    const CvlHelpPair* GetHelpTable() const override;

private:
    void ShowFont(const CFontRecord& font);
    void RenewSample();

    CSheepDoc* m_pDoc;
    CFontRecord m_header;
    CFontRecord m_body;
    uint32_t m_crHeader = 0;
    uint32_t m_crBody = 0;
    bool m_bHeader = false;
    WString m_strFace;
    WString m_strStyle = u"Regular";
    WString m_strSize = u"10";
    CColourCombo* m_pColour = nullptr;
    wxWindow* m_pSample = nullptr;
    wxListBox* m_pFace = nullptr;
    wxListBox* m_pStyle = nullptr;
    wxComboBox* m_pSize = nullptr;
    wxRadioButton* m_pHeaderButton = nullptr;
    wxRadioButton* m_pBodyButton = nullptr;
};

// The pedigree's page: no controls of its own.
class CAntecedantVwOpts : public CCvlPropertyPage {
public:
    CAntecedantVwOpts();

protected:
    void OnCreateControls(wxPanel*) override {}
};

// Runs the sheet for the document on its remembered page; true on OK.
bool RunViewOptions(wxWindow* parent, CSheepDoc* doc);
