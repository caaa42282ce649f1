// What the views ask of the main window, without knowing the shell: the record pane and the bar
// of their kind. The main frame implements it; a view finds it through its top-level window.
#pragma once

#include <functional>

#include "platform/text.h"

class wxWindow;

#include <string>

class IViewFrameSite {
public:
    // Total -1: no record set is shown (empty pane).
    virtual void SetRecordTotal(int total) = 0;
    // Zero-based index; below 0 shows "-" in place of the position.
    virtual void SetCurrentRecord(int index) = 0;
    // 0 record navigator, 1 record filter, 2 reporting, anything else none.
    virtual void ShowContextBar(int kind) = 0;
    // Greys or enables the criteria commands (40005-40009, 144, 40020).
    virtual void EnableExtractionMenu(bool /*grey*/) {}
    // Runs the report of a command for a selection text (the movements of one address).
    virtual void ApplyReportSelection(int /*command*/, const WString& /*text*/) {}
    // Shows the pane in place of the documents area, as print preview does; closing the window
    // while it shows runs closePane first. False when it cannot be shown.
    virtual bool ShowPreviewPane(wxWindow* pane, std::function<void()> closePane) = 0;
    // Gives the documents area back.
    virtual void EndPreviewPane() = 0;
    // The Reporting bar's choice: the selected type (-1 none), the selected third entry's text and
    // the last year of its list (-1 when empty). False without a Reporting bar.
    virtual bool GetReportSelection(int& /*type*/, WString& /*selection*/, int& /*lastYear*/) {
        return false;
    }

protected:
    ~IViewFrameSite() = default;
};

// The site of the program's main window, or null (a view shown outside the program).
IViewFrameSite* GetViewFrameSite();
