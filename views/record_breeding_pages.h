// The record view's Lambing and Tupping pages: an animal's lambings (with their lambs) and its
// tuppings (with their ewes) as trees, from which a double click goes to the lamb, ram or ewe.
#pragma once

#include <wx/treectrl.h>

#include "views/record_page.h"

constexpr int IDC_LAMBING_TREE = 1286;
constexpr int IDC_LAMBING_DETAILS = 1333;
constexpr int IDC_TUPPING_TREE = 1284;

class CSheepViewLambingTab : public CSheepViewPage {
public:
    CSheepViewLambingTab(wxWindow* sheet, CSheepView* view);
    void ShowSheep(CSheep* sheep) override;

    wxTreeCtrl* GetTree() const { return m_pTree; }
    wxTextCtrl* GetDetails() const { return m_pDetails; }
    // A new selection: its details.
    void OnSelectionChanged(const wxTreeItemId& item);
    // A double click on an item: the lamb it names, or the record's tup.
    void OnItemActivated(const wxTreeItemId& item);

private:
    wxTreeCtrl* m_pTree;
    wxTextCtrl* m_pDetails;
};

// The tupping tree: a double click on an item's label tells the page.
class CTuppingTreeCtrl : public wxTreeCtrl {
public:
    CTuppingTreeCtrl(wxWindow* parent, int id);
};

class CSheepViewTuppingTab : public CSheepViewPage {
public:
    CSheepViewTuppingTab(wxWindow* sheet, CSheepView* view);
    void ShowSheep(CSheep* sheep) override;

    CTuppingTreeCtrl* GetTree() const { return m_pTree; }
    // The label of an item was double-clicked: the animal it names becomes current.
    void OnItemActivated(const wxTreeItemId& item);

private:
    CTuppingTreeCtrl* m_pTree;
};
