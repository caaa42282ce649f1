#include "views/page_print.h"

#include <wx/font.h>

#include "document/ui/wx_strings.h"

wxRect PrintPageFrame(wxDC& dc, const CPageSetup& setup, const CPageTextContext& context, const wxSize& ppi,
                      const wxRect& paper) {
    const auto px = [&](int hundredths) { return hundredths * ppi.x / 100; };
    const auto py = [&](int hundredths) { return hundredths * ppi.y / 100; };
    const wxFont previous = dc.GetFont();
    dc.SetFont(wxFont(wxFontInfo(12).Family(wxFONTFAMILY_ROMAN).FaceName("Times New Roman")));
    const wxColour text = dc.GetTextForeground();
    dc.SetTextForeground(*wxBLACK);
    const int headerY = paper.y + py(setup.m_nHeaderDistance);
    const int footerY = paper.GetBottom() - py(setup.m_nFooterDistance) - dc.GetCharHeight();
    for (const auto& [templ, y] :
         {std::pair{setup.m_strHeader, headerY}, std::pair{setup.m_strFooter, footerY}}) {
        WString left, centre, right;
        CPageSetup::SplitTemplate(templ, left, centre, right);
        const wxString l = ToWx(ExpandPageCodes(left, context));
        const wxString c = ToWx(ExpandPageCodes(centre, context));
        const wxString r = ToWx(ExpandPageCodes(right, context));
        dc.DrawText(l, paper.x + px(setup.m_nLeftMargin), y);
        dc.DrawText(c, paper.x + (paper.width - dc.GetTextExtent(c).x) / 2, y);
        dc.DrawText(r, paper.GetRight() - px(setup.m_nRightMargin) - dc.GetTextExtent(r).x, y);
    }
    dc.SetTextForeground(text);
    dc.SetFont(previous);
    return wxRect(paper.x + px(setup.m_nLeftMargin), paper.y + py(setup.m_nTopMargin),
                  paper.width - px(setup.m_nLeftMargin + setup.m_nRightMargin),
                  paper.height - py(setup.m_nTopMargin + setup.m_nBottomMargin));
}
