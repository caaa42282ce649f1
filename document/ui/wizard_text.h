// The texts of wizard pages: the title of welcome and completion pages ("Verdana" bold, 12 points)
// and a wrapped paragraph.
#pragma once

#include <wx/string.h>

class wxPanel;
class wxSizer;

void CvlAddWizardTitle(wxPanel* panel, wxSizer* sizer, const wxString& text);
void CvlAddWizardText(wxPanel* panel, wxSizer* sizer, const wxString& text);
