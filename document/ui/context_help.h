// Context help for pages and dialogs: F1 on a control and a right-click over one show the control's
// topic (0x50000 + its id) through wx's help provider, from a table of (control id, topic id) pairs
// that ends with a zero pair.
#pragma once

#include <wx/cshelp.h>

#include <vector>

#include "platform/help_context.h"
#include "platform/strings.h"

struct CvlHelpPair {
    int controlId;
    unsigned topicId;
};

// The table that gives each of the controls its own topic: CvlControlHelp<1074, 1016>::table.
template <int... ControlIds>
struct CvlControlHelp {
    static constexpr CvlHelpPair table[] = {{ControlIds, CvlControlHelpId(unsigned(ControlIds))}..., {0, 0}};
};

// Every table the pages and dialogs answer help from, so that a test can hold the help book to them.
struct CvlHelpTableEntry {
    const char* file;
    const CvlHelpPair* table;
};
const std::vector<CvlHelpTableEntry>& CvlHelpTables();
struct CvlHelpTableRegistration {
    CvlHelpTableRegistration(const char* file, const CvlHelpPair* table);
};
#define CVL_HELP_TABLE_JOIN2(a, b) a##b
#define CVL_HELP_TABLE_JOIN(a, b) CVL_HELP_TABLE_JOIN2(a, b)
#define CVL_HELP_TABLE(table)                                                                            \
    [[maybe_unused]] static const CvlHelpTableRegistration CVL_HELP_TABLE_JOIN(kCvlHelpTable, __LINE__)( \
        __FILE__, table)

// The program's help provider: a control's help text is its help id (as CvlAttachContextHelp gives
// it), and what pops up is the help book's text for that id.
class CCvlHelpProvider : public wxSimpleHelpProvider {
public:
    explicit CCvlHelpProvider(CCvlHelpContext context);

    bool ShowHelpAtPoint(wxWindowBase* window, const wxPoint& point, wxHelpEvent::Origin origin) override;
    bool ShowHelp(wxWindowBase* window) override;
    // The book's text for a help id, near a point on the screen (the pointer's when default); false
    // when the book has no text for it.
    bool ShowPopup(wxWindow* window, unsigned helpId, const wxPoint& point = wxDefaultPosition);
    const CCvlHelpContext& GetContext() const { return m_context; }

protected:
    virtual void ShowText(wxWindow* window, const wxString& text, const wxPoint& point);

private:
    CCvlHelpContext m_context;
};

// Gives each control of the table its topic and answers F1 and right-clicks inside window.
void CvlAttachContextHelp(wxWindow* window, const CvlHelpPair* table);
// The child of window under a point in screen coordinates, last child first, hidden and disabled
// ones too; null when none.
wxWindow* CvlFindControlAt(wxWindow* window, const wxPoint& screenPoint);
// The topic the table gives a control; 0 when none.
unsigned CvlFindHelpTopic(const CvlHelpPair* table, int controlId);
