// The one-animal report as HTML: a pane over the main window's documents area with a bar of two
// buttons (Close, Print) and a web view that loads the placeholder page, then puts the report's
// HTML into its "Contents" element once the page has loaded.
#pragma once

#include <wx/panel.h>

#include <functional>

#include "platform/text.h"

class wxWebView;
class wxWebViewEvent;

constexpr int ID_REPORT_CLOSE = 1340;
constexpr int ID_REPORT_PRINT = 1341;

// The placeholder page (the program's HTML resource 275): "Creating report..." in the middle of a
// silver page, inside the element whose content the report replaces.
extern const char kReportPlaceholderPage[];

class CSheepHtmlView : public wxPanel {
public:
    // onClose: what Close does (gives the frame back); without one the pane destroys itself.
    CSheepHtmlView(wxWindow* parent, const WString& reportText,
                   std::function<void(CSheepHtmlView*)> onClose = {});

    const WString& GetReportText() const { return m_strReport; }
    wxWebView* GetBrowser() const { return m_pBrowser; }
    // The page has loaded and the report was rendered into it (or the placeholder kept).
    bool IsRendered() const { return m_bRendered; }

    // Command 1340: destroys the bar, then asks the opener to end the report.
    void OnCloseReport();
    // Command 1341: the browser prints the page (GTK's print dialog).
    void OnPrintReport();

private:
    void OnLoaded(wxWebViewEvent& event);
    void Render();

    WString m_strReport;
    std::function<void(CSheepHtmlView*)> m_onClose;
    wxWindow* m_pBar = nullptr;
    wxWebView* m_pBrowser = nullptr;
    bool m_bRendered = false;
};
