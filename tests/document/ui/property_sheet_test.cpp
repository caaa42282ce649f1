// An ordinary property sheet on wx: tabs for every page, a tab change the active page can refuse,
// OK storing only the pages that were shown.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/bookctrl.h>
#include <wx/panel.h>
#include <wx/textctrl.h>

#include "document/ui/sheet.h"

namespace {

class OptionsPage : public CCvlPropertyPage {
public:
    OptionsPage(unsigned id, const char16_t* caption) : CCvlPropertyPage(id) { SetCaption(caption); }
    bool leave = true;
    int applied = 0;
    bool OnKillActive() override { return leave; }
    bool OnApply() override { return ++applied, true; }

protected:
    void OnCreateControls(wxPanel* panel) override { new wxTextCtrl(panel, 1500); }
};

TEST(PropertySheet, TabsChangeOnlyWithThePagesConsentAndOkStoresShownPages) {
    OptionsPage general(165, u"General"), eartags(134, u"Eartags"), images(263, u"Images");
    int result = -1;
    CvlSetModalDriver([&](wxDialog& dialog) {
        auto& sheet = dynamic_cast<CCvlPropertySheet&>(dialog);
        auto* book = dynamic_cast<wxBookCtrlBase*>(general.GetWindow()->GetParent());
        EXPECT_NE(book, nullptr);
        if (!book) return SHEET_CANCEL;
        EXPECT_EQ(book->GetPageCount(), 3u);
        EXPECT_EQ(book->GetPageText(1), "Eartags");
        EXPECT_FALSE(sheet.IsHeaderShown());
        general.leave = false;
        book->SetSelection(1);  // a click on the tab
        wxTheApp->Yield(true);
        EXPECT_EQ(sheet.GetFlow().GetActivePage(), &general);
        EXPECT_EQ(book->GetSelection(), 0);
        general.leave = true;
        book->SetSelection(1);
        EXPECT_EQ(sheet.GetFlow().GetActivePage(), &eartags);
        EXPECT_EQ(book->GetSelection(), 1);
        sheet.PressOk();
        return sheet.GetFlow().GetResult();
    });
    {
        CCvlPropertySheet sheet(nullptr, u"Database Options", false);
        sheet.AddPage(&general);
        sheet.AddPage(&eartags);
        sheet.AddPage(&images);
        result = sheet.DoModal();
    }
    CvlSetModalDriver({});
    EXPECT_EQ(result, SHEET_OK);
    EXPECT_EQ(general.applied, 1);
    EXPECT_EQ(eartags.applied, 1);
    EXPECT_EQ(images.applied, 0);
    // The sheet took its windows with it; the pages live on.
    EXPECT_EQ(general.GetWindow(), nullptr);
}

}  // namespace
