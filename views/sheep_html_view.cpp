#include "views/sheep_html_view.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/webview.h>

#include "document/sheep_report.h"
#include "document/ui/wx_strings.h"
#include "platform/host.h"

namespace {

constexpr unsigned IDS_OUT_OF_MEMORY = 103;

// A JavaScript string literal of the text: only ASCII inside, every quote and line end escaped.
std::string JsString(WStringView text) {
    std::string out = "\"";
    for (char16_t c : text) {
        if (c == u'"' || c == u'\\') {
            out += '\\';
            out += char(c);
        } else if (c >= 0x20 && c < 0x7F && c != u'<' && c != u'>') {
            out += char(c);
        } else {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", unsigned(c));
            out += buffer;
        }
    }
    return out + "\"";
}

// A style sheet's address: a path becomes a file: URL.
WString StyleSheetUrl(const WString& css) {
    if (css.find(u"://") != WString::npos || css.rfind(u"file:", 0) == 0) return css;
    return u"file://" + css;
}

}  // namespace

const char kReportPlaceholderPage[] =
    "<html><head><meta http-equiv=\"Expires\" content=\"0\"></head>"
    "<body oncontextmenu=\"return false\" style=\"margin:0\" topmargin=\"0\" leftmargin=\"0\" "
    "bgcolor=\"silver\">"
    "<div id=\"Contents\"><table width=\"100%\" height=\"100%\" style=\"height:100vh\">"
    "<tr height=\"45%\"><td></td></tr>"
    "<tr height=\"10%\"><td align=\"center\"><font face=\"Verdana\" size=\"2\">Creating "
    "report...</font></td></tr>"
    "<tr height=\"45%\"><td></td></tr></table></div></body></html>";

CSheepHtmlView::CSheepHtmlView(wxWindow* parent, const WString& reportText,
                               std::function<void(CSheepHtmlView*)> onClose)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxBORDER_SIMPLE),
      m_strReport(reportText),
      m_onClose(std::move(onClose)) {
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    m_pBar = new wxPanel(this);
    auto* barSizer = new wxBoxSizer(wxHORIZONTAL);
    auto* close = new wxButton(m_pBar, ID_REPORT_CLOSE, "&Close");
    auto* print = new wxButton(m_pBar, ID_REPORT_PRINT, "&Print...");
    barSizer->Add(close, 0, wxALL, 4);
    barSizer->Add(print, 0, wxALL, 4);
    m_pBar->SetSizer(barSizer);
    sizer->Add(m_pBar, 0, wxEXPAND);
    m_pBrowser = wxWebView::New(this, wxID_ANY);
    sizer->Add(m_pBrowser, 1, wxEXPAND);
    SetSizer(sizer);
    // Close runs from the parent's queue: the report and its bar go, and must not be in their own
    // handlers when they do.
    close->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        Hide();
        GetParent()->CallAfter([self = this] { self->OnCloseReport(); });
    });
    print->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnPrintReport(); });
    m_pBrowser->EnableContextMenu(false);
    // The browser's status texts do not reach the status bar: nothing listens for them.
    m_pBrowser->Bind(wxEVT_WEBVIEW_LOADED, &CSheepHtmlView::OnLoaded, this);
    m_pBrowser->SetPage(kReportPlaceholderPage, "file:///");
}

void CSheepHtmlView::OnLoaded(wxWebViewEvent& event) {
    event.Skip();
    // The browser's own first page (about:blank) is not the placeholder.
    if (m_bRendered || event.GetURL().StartsWith("about:")) return;
    m_bRendered = true;
    // Outside the load notice: the page's scripts may run only once the browser is done with it.
    CallAfter([this] { Render(); });
}

void CSheepHtmlView::Render() {
    // A busy engine can report a load while the blank page it started with is still the document:
    // the placeholder's own load comes later.
    wxString protocol;
    if (m_pBrowser->RunScript("location.protocol", &protocol) && protocol == "about:") {
        m_bRendered = false;
        return;
    }
    const CReportRendering rendering = RenderSheepReport(WToUtf8(m_strReport));
    switch (rendering.outcome) {
        case CReportRendering::NoSchema:
            return;
        case CReportRendering::SchemaFailed:
            CvlMessageBoxText(rendering.message, MB_OK | MB_ICONERROR);
            return;
        case CReportRendering::Html:
            break;
    }
    std::string script = "(function(){var c=document.getElementById('Contents');if(!c)return 'missing';";
    if (!rendering.css.empty()) {
        script += "var l=document.createElement('link');l.rel='stylesheet';l.href=" +
                  JsString(StyleSheetUrl(rendering.css)) +
                  ";var h=document.head||document.documentElement;h.insertBefore(l,h.firstChild);";
    }
    script += "c.innerHTML=" + JsString(rendering.html) + ";return 'ok';})()";
    wxString result;
    if (!m_pBrowser->RunScript(ToWx(Utf8ToW(script)), &result) || result != "ok")
        CvlMessageBox(IDS_OUT_OF_MEMORY);
}

void CSheepHtmlView::OnCloseReport() {
    if (m_pBar) {
        m_pBar->Destroy();
        m_pBar = nullptr;
    }
    // Either way this pane is gone afterwards: nothing here may be touched.
    if (m_onClose)
        m_onClose(this);
    else
        Destroy();
}

void CSheepHtmlView::OnPrintReport() {
    m_pBrowser->Print();
}
