// The "Images" page of "Database Options": the ordered folders in which pictures of animals are
// looked for, edited in a list with in-place editing, a browse button and moves.
#pragma once

#include <wx/listbox.h>

#include <functional>
#include <vector>

#include "document/image_folders.h"
#include "document/ui/sheet.h"

class wxButton;
class wxTextCtrl;
class CHoverBitmapButton;

// The list box: a second click on an entry edits it in place; Enter finishes, Delete deletes,
// Alt+Up and Alt+Down move. Every change goes through the list model.
class CFolderListBox : public wxListBox {
public:
    CFolderListBox(wxWindow* parent, int id, CImageFolderList& model);

    void BeginEdit(int index);
    // Finishes an edit in progress with the edit's text.
    void EndEdit();
    void CancelEdit();
    void DeleteSelected();
    void MoveItemUp();
    void MoveItemDown();
    void OnBrowse();
    void ShowModel();
    wxTextCtrl* GetEdit() const { return m_pEdit; }
    // Told of every change (the page's modified state and its buttons).
    std::function<void()> onChanged;
    // Asks whether a folder that does not exist should be kept.
    std::function<bool(const WString& folder)> confirmMissing;

private:
    void OnClick(wxMouseEvent& event);
    void OnKey(wxKeyEvent& event);
    void Changed();

    CImageFolderList& m_model;
    wxTextCtrl* m_pEdit = nullptr;
    wxButton* m_pBrowse = nullptr;
    int m_nLastClicked = -1;
};

class CImagePathPage : public CCvlPropertyPage {
public:
    using Store = std::function<void(const std::vector<WString>& folders)>;
    CImagePathPage(const std::vector<WString>& folders, Store store);
    bool OnApply() override;
    CImageFolderList& Model() { return m_model; }
    CFolderListBox* GetList() const { return m_pList; }
    void PressNew();
    void PressDelete();
    void PressUp();
    void PressDown();
    wxWindow* GetButton(int id) const;

protected:
    void OnCreateControls(wxPanel* panel) override;
    const CvlHelpPair* GetHelpTable() const override;

private:
    void UpdateButtons();

    CImageFolderList m_model;
    Store m_store;
    CFolderListBox* m_pList = nullptr;
};
