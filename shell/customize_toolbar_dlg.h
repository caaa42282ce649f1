// The Standard bar's Customize dialog: buttons move between the available list and the bar's list,
// up and down the bar, and back to where they were; the bar follows each change.
#pragma once

#include <wx/dialog.h>

#include <functional>
#include <vector>

#include "document/toolbar_layout.h"

class wxButton;
class wxListBox;

class CCustomizeToolbarDlg : public wxDialog {
public:
    using Apply = std::function<void(const std::vector<int>&)>;
    using LabelOf = std::function<wxString(int command)>;

    CCustomizeToolbarDlg(wxWindow* parent, const std::vector<int>& current, LabelOf labelOf, Apply apply,
                         std::function<void()> help);

    wxListBox* GetAvailableList() const { return m_pAvailable; }
    // The bar's buttons and, last, an empty entry that stands for the end of the bar.
    wxListBox* GetCurrentList() const { return m_pCurrent; }
    const CToolbarLayout& GetLayout() const { return m_layout; }

    // The buttons of the dialog, as their clicks do.
    void OnAdd();
    void OnRemove();
    void OnMoveUp();
    void OnMoveDown();
    void OnReset();

private:
    void Fill(int currentSelection, int availableSelection = 0);
    void UpdateButtons();
    void Changed(int currentSelection, int availableSelection = 0);

    CToolbarLayout m_layout;
    LabelOf m_labelOf;
    Apply m_apply;
    wxListBox* m_pAvailable;
    wxListBox* m_pCurrent;
    wxButton* m_pAdd;
    wxButton* m_pRemove;
    wxButton* m_pUp;
    wxButton* m_pDown;
};
