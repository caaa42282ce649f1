// The merge dialogs the host shows for the reconciler: the flock's differing records, or one
// record's differing data, each row both copies' descriptions with the chosen action between them.
// They work on the reconciler's IMergeList and must run on the GUI thread.
#pragma once

#include <wx/bitmap.h>
#include <wx/dialog.h>
#include <wx/vlbox.h>

#include "quillmere/reconciler_abi.h"

class wxButton;
class wxHtmlHelpController;

class CReconcilerListBox : public wxVListBox {
public:
    CReconcilerListBox(wxWindow* parent, int id, IMergeList& list);

    // The row's context menu command (one of CMergeListModel's ids), as the menu would run it.
    void RunCommand(int row, int command);
    // The tip of the row half under a point of the client area; empty when none.
    wxString TooltipAt(const wxPoint& point) const;
    // The image of an action (the state's low three bits), 20 by 16, magenta transparent.
    static wxBitmap ActionImage(int index);
    // The image of a node kind (5 animal ... 11 Signet entry), 16 by 16, magenta transparent; no
    // image for other kinds.
    static wxBitmap KindImage(int kind);
    // An image mixed percent toward colour, its transparent pixels left alone (a selected or focused
    // row's kind image).
    static wxBitmap Blend(const wxBitmap& image, int percent, const wxColour& colour);

protected:
    void OnDrawItem(wxDC& dc, const wxRect& rect, size_t n) const override;
    wxCoord OnMeasureItem(size_t n) const override;

private:
    struct CColumns {
        wxRect left, middle, right;
    };
    CColumns Columns(const wxRect& item) const;
    int MiddleWidth() const;
    void OnContextMenu(wxContextMenuEvent& event);
    void OnMotion(wxMouseEvent& event);
    void Changed(int row);

    IMergeList& m_list;
    wxString m_tip;
};

class CMergeDialog : public wxDialog {
public:
    CMergeDialog(wxWindow* parent, IMergeList& list);

    CReconcilerListBox& GetList() const { return *m_pList; }
    // Update may be pressed exactly when nothing is left undecided.
    void UpdateButtons();

private:
    IMergeList& m_list;
    CReconcilerListBox* m_pList = nullptr;
    wxButton* m_pUpdate = nullptr;
};

// Shows the list's dialog modally over parent (or over the merge dialog already open); IDOK or
// IDCANCEL. Tests drive it through CvlSetModalDriver.
int ShowMergeDialog(IMergeList& list, wxWindow* parent);
// Answers every open merge dialog, and any shown before they have all closed, with Cancel (the host
// window forced shut, so that the update waiting on them can end).
void CancelMergeDialogs();

// The host's help book at a topic: kHostHelpTopic, or 0x10000 + a merge list's id ("What's This?").
constexpr int kHostHelpTopic = 0x10000;
void ShowHostHelp(wxWindow* over, int topic);
// The help shown last; null before the first.
wxHtmlHelpController* MergeHelpController();
// The help book: beside an installed program, else the source folder's (a build tree).
wxString MergeHelpBook();
