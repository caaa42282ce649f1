// Context help for pages and dialogs: F1 on a control and a right-click over one show the control's
// topic (0x50000 + its id) through wx's help provider, from a table of (control id, topic id) pairs
// that ends with a zero pair.
#pragma once

class wxPoint;
class wxWindow;

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

// Gives each control of the table its topic and answers F1 and right-clicks inside window.
void CvlAttachContextHelp(wxWindow* window, const CvlHelpPair* table);
// The child of window under a point in screen coordinates, last child first, hidden and disabled
// ones too; null when none.
wxWindow* CvlFindControlAt(wxWindow* window, const wxPoint& screenPoint);
// The topic the table gives a control; 0 when none.
unsigned CvlFindHelpTopic(const CvlHelpPair* table, int controlId);
