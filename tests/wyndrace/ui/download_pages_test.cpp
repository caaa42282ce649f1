#include "wyndrace/ui/download_pages.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/listctrl.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>

#include "support/fake_download_flock.h"
#include "support/modal_script.h"
#include "wizard_steps.h"
#include "wizard_steps.h"
#include "wyndrace/ui/download_dialogs.h"

namespace {

long ItemOf(CDownloadWizard11& page, const char16_t* tattoo) {
    for (long i = 0; i < page.GetList()->GetItemCount(); ++i)
        if (page.RowOf(i).tattoo == tattoo) return i;
    ADD_FAILURE() << "no row for " << WToUtf8(tattoo);
    return -1;
}

class DownloadPagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        doc.animals[u"SAME"] = {5, 0};
        doc.animals[u"NOEID"] = {0, 0};
        doc.animals[u"OTHER"] = {7, 1};
        state.received = {u"[EA0000000000000000000005|SAME]", u"[EA0000000000000000000010|NOEID]",
                          u"[EA0000000000000000000009|OTHER]", u"[EA0000000000000000000011|NEW]", u"[CSEOK]"};
    }
    CFakeDownloadFlock doc;
    CDownloadState state;
};

TEST_F(DownloadPagesTest, EachQuestionIsSettledThenTheFlockIsUpdated) {
    CCvlPropertySheet sheet(nullptr, u"Download", true);
    CDownloadWizard11 review(state, doc);
    CDownloadWizard12 apply(state, doc);
    CDownloadWizard20 finish;
    sheet.AddPage(&review);
    sheet.AddPage(&apply);
    sheet.AddPage(&finish);

    ModalScript script({
        Says("Please review the errors in the downloaded data.", wxID_OK),
        [&](wxDialog&) {
            EXPECT_EQ(review.GetList()->GetItemCount(), 4);
            EXPECT_EQ(sheet.GetFlow().GetWizardButtons(), PSWIZB_BACK);
            review.DecideItem(ItemOf(review, u"NOEID"));
            review.DecideItem(ItemOf(review, u"OTHER"));
            EXPECT_EQ(sheet.GetFlow().GetWizardButtons(), PSWIZB_BACK);
            review.DecideItem(ItemOf(review, u"NEW"));
            EXPECT_EQ(review.GetModel().OpenQuestions(), 0);
            EXPECT_EQ(sheet.GetFlow().GetWizardButtons(), PSWIZB_BACK | PSWIZB_NEXT);
            EXPECT_EQ(review.GetList()->GetItemText(ItemOf(review, u"NEW-1"), 1), "NEW-1");

            // Numbers sort as numbers, a second click reverses.
            review.SortBy(0);
            EXPECT_EQ(review.RowOf(0).eid, 5u);
            EXPECT_EQ(review.RowOf(1).eid, 9u);
            EXPECT_EQ(review.RowOf(2).eid, 10u);
            review.SortBy(0);
            EXPECT_EQ(review.RowOf(0).eid, 11u);

            // The filter hides what needs nothing and keeps the decisions.
            review.GetOnlyErrors()->SetValue(true);
            wxCommandEvent tick(wxEVT_CHECKBOX, IDC_DL_ONLY_ERRORS);
            tick.SetInt(1);
            review.GetOnlyErrors()->GetEventHandler()->ProcessEvent(tick);
            EXPECT_EQ(review.GetList()->GetItemCount(), 3);
            EXPECT_EQ(review.GetModel().OpenQuestions(), 0);

            sheet.PressNext();
            EXPECT_EQ(sheet.GetFlow().GetActivePage(), &apply);
            Pump();
            EXPECT_EQ(sheet.GetFlow().GetActivePage(), &finish);
            sheet.PressFinish();
            return int(wxID_OK);
        },
        Says("Do you want to update the EID of NOEID to 0000000000000010?", wxID_YES),
        Says("Do you want to change the EID of OTHER to 0000000000000009?", wxID_NO),
        [&](wxDialog& dialog) {
            auto& add = dynamic_cast<CAddSheep&>(dialog);
            EXPECT_FALSE(add.GetCreateButton()->IsEnabled());
            add.GetTattooEdit()->SetValue("NEW-1");
            add.GetSexChoice()->SetSelection(1);
            wxCommandEvent chosen(wxEVT_CHOICE, IDC_DL_SEX);
            chosen.SetInt(1);
            add.GetSexChoice()->GetEventHandler()->ProcessEvent(chosen);
            add.PressCreate();
            return add.GetReturnCode();
        },
    });
    EXPECT_EQ(sheet.DoModal(), ID_WIZFINISH);
    EXPECT_TRUE(state.applied);
    EXPECT_EQ(doc.animals[u"NOEID"].eid, 10u);
    EXPECT_EQ(doc.animals[u"OTHER"].eid, 7u);
    ASSERT_EQ(doc.animals.count(u"NEW-1"), 1u);
    EXPECT_EQ(doc.animals[u"NEW-1"].eid, 11u);
    EXPECT_EQ(doc.animals[u"NEW-1"].sex, 1);
    EXPECT_EQ(doc.animals.count(u"NEW"), 0u);
}

TEST_F(DownloadPagesTest, CancelLeavesTheFlockAsItWas) {
    CCvlPropertySheet sheet(nullptr, u"Download", true);
    CDownloadWizard11 review(state, doc);
    CDownloadWizard12 apply(state, doc);
    sheet.AddPage(&review);
    sheet.AddPage(&apply);
    auto before = doc.animals;
    ModalScript script({
        Says("Please review the errors in the downloaded data.", wxID_OK),
        [&](wxDialog&) {
            review.DecideItem(ItemOf(review, u"NOEID"));
            sheet.PressCancel();
            return int(wxID_CANCEL);
        },
        Says("Do you want to update the EID of NOEID to 0000000000000010?", wxID_YES),
    });
    EXPECT_NE(sheet.DoModal(), ID_WIZFINISH);
    EXPECT_FALSE(state.applied);
    EXPECT_EQ(doc.animals.size(), before.size());
    EXPECT_EQ(doc.animals[u"NOEID"].eid, 0u);
}

}  // namespace
