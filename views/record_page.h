// The common base of the record view's tab pages: the header block every page shows (tattoo, sex,
// name, one-of), the animal the page shows, and the edits typed into its controls that are written
// to the animal when the control is left or when the view is about to show another animal.
#pragma once

#include <wx/panel.h>

#include <functional>
#include <vector>

#include "platform/object.h"
#include "document/record_navigation.h"

class CSheep;
class CSheepDoc;
class CSheepView;
class wxChoice;
class wxSizer;
class wxTextCtrl;

// Control ids of the header block.
constexpr int IDC_HEADER_TATTOO = 1074;
constexpr int IDC_HEADER_SEX = 1018;
constexpr int IDC_HEADER_NAME = 1075;
constexpr int IDC_HEADER_ONE_OF = 1020;

class CSheepViewPage : public wxPanel {
public:
    CSheepViewPage(wxWindow* sheet, CSheepView* view, RecordPageId id, const wxString& caption);
    ~CSheepViewPage() override;

    RecordPageId GetPageId() const { return m_id; }
    const wxString& GetCaption() const { return m_caption; }

    // Loads the page from the animal, or clears it for null. The base loads the header.
    virtual void ShowSheep(CSheep* sheep);
    // Writes back what the page holds when it stops being the active page.
    virtual void SaveSheep(CSheep* /*sheep*/) {}

    // Writes every edit not yet written to the shown animal; a refused one vetoes the next move.
    void CommitPendingEdits();
    bool HasPendingEdits() const;
    // Forgets the edits (the animal they belong to has left the document).
    void DiscardPendingEdits();
    CSheep* GetShownSheep() const { return m_shown.Get(); }

    // The sheet made this page the active one, or another one.
    void OnPageActivated();
    void OnPageDeactivated();

    // The header controls.
    wxTextCtrl* GetTattooEdit() const { return m_pTattoo; }
    wxChoice* GetSexCombo() const { return m_pSex; }
    wxTextCtrl* GetNameEdit() const { return m_pName; }
    wxTextCtrl* GetOneOfEdit() const { return m_pOneOf; }

protected:
    CSheepView* GetView() const { return m_pView; }
    CSheepDoc* GetCore() const;
    // The view's current animal (null when none).
    CSheep* GetCurrentSheep() const;

    // Builds the header block into sizer; on every page but General it only shows.
    void CreateHeader(wxSizer* sizer, bool editable);
    // An editing control: a change marks it pending and the document modified; leaving the
    // control, or a commit, runs write, which answers false to keep the edit pending.
    void WatchEdit(wxWindow* control, std::function<bool()> write);
    void SetPending(wxWindow* control, bool pending);
    bool IsPending(const wxWindow* control) const;
    // A field write that changed the animal: the document is modified and the other views told.
    void AnimalChanged(CSheep* sheep);
    // The user's input was refused: the view stays on the animal at the next move.
    void Veto();

    CRefPtr<CSheep> m_shown;

private:
    struct Watched {
        wxWindow* control;
        std::function<bool()> write;
        bool pending = false;
        bool writing = false;
    };
    void Write(Watched& watched);
    Watched* Find(const wxWindow* control);

    CSheepView* m_pView;
    RecordPageId m_id;
    wxString m_caption;
    std::vector<Watched> m_watched;
    wxTextCtrl* m_pTattoo = nullptr;
    wxChoice* m_pSex = nullptr;
    wxTextCtrl* m_pName = nullptr;
    wxTextCtrl* m_pOneOf = nullptr;
};

// The page of that kind, or null for a kind this build does not have yet.
CSheepViewPage* CreateRecordPage(RecordPageId id, wxWindow* sheet, CSheepView* view);
