// What the views and the main window's bars tell each other without knowing one another: the
// criteria to show on the Record Filter bar, a re-read of the Reporting bar, and the orders that a
// zooming view or a report view takes from the bars.
#pragma once

#include <wx/event.h>

#include "platform/text.h"

// To the main window: show the active document's criteria on the Record Filter bar.
wxDECLARE_EVENT(CVL_EVT_UPDATE_FILTER_BAR, wxCommandEvent);
// To the main window: re-read the Reporting bar and run the report again.
wxDECLARE_EVENT(CVL_EVT_UPDATE_REPORT_BAR, wxCommandEvent);
// To the main window: show this zoom percent (the event's int; -1 for none) in the zoom box.
wxDECLARE_EVENT(CVL_EVT_SET_ZOOM_TEXT, wxCommandEvent);

// Sends one of the events above to the program's main window, if there is one (data: the criteria
// of a filter-bar update).
void SendToMainWindow(wxEventType type, int value = 0, void* data = nullptr);

// A view that zooms (the pedigree): the zoom box's order.
class IZoomView {
public:
    virtual void SetZoom(int percent) = 0;

protected:
    ~IZoomView() = default;
};

// The report view: what the Reporting bar chose.
class IReportSelectionView {
public:
    virtual void SetReport(int type, const WString& selection) = 0;
    virtual void SetReportYear(int year) = 0;

protected:
    ~IReportSelectionView() = default;
};
