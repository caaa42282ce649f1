#include "wyndrace/ui/control_pages.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/stattext.h>
#include <wx/combobox.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>

#include "document/ui/edit_list_ctrl.h"
#include "support/fake_download_flock.h"
#include "support/modal_script.h"
#include "wizard_steps.h"
#include "wyndrace/ui/download_dialogs.h"
#include "wyndrace/ui/download_pages.h"

namespace {

class ControlPagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        doc.animals[u"KNOWN"] = {100, 0};
        doc.animals[u"BARE"] = {0, 1};
        doc.codes = {{u"Weighing", {u"Weight"}, {kParameterWeight}}, {u"Shorn", {}, {}}};
        state.mode = 2;
        state.received = {u"[A1|XXXXXXX0000000100|20240105|083000|KNOWN|50|x]",
                          u"[A1|XXXXXXX0000000200|20240105|083100||25|y]",
                          u"[A1|XXXXXXX0000000100|20240105|083200||40|z]", u"[CSWOK]"};
        sheet.AddPage(&type);
        sheet.AddPage(&mapping);
        sheet.AddPage(&validation);
        sheet.AddPage(&apply);
        sheet.AddPage(&finish);
    }
    // The reading of EID 200 is given to BARE.
    static int MapToBare(wxDialog& dialog) {
        auto& map = dynamic_cast<CMapSheep&>(dialog);
        map.GetAnimals()->SetStringSelection("BARE");
        wxCommandEvent chosen(wxEVT_COMBOBOX, IDC_DL_ANIMALS);
        map.GetAnimals()->GetEventHandler()->ProcessEvent(chosen);
        map.PressOk();
        return map.GetReturnCode();
    }
    CFakeDownloadFlock doc;
    CDownloadState state;
    CCvlPropertySheet sheet{nullptr, u"Download", true};
    CDownloadWizard15 type{state, doc};
    CDownloadWizard16 mapping{state, doc};
    CDownloadWizard17 validation{state, doc};
    CDownloadWizard12 apply{state, doc};
    CDownloadWizard20 finish;
};

TEST_F(ControlPagesTest, ReadingsBecomeWeighingsInPounds) {
    ModalScript script({
        [&](wxDialog&) {
            sheet.PressNext();
            EXPECT_EQ(sheet.GetFlow().GetActivePage(), &type);  // nothing chosen
            type.GetCodes()->SetSelection(0);
            sheet.PressNext();
            EXPECT_EQ(sheet.GetFlow().GetActivePage(), &mapping);
            EXPECT_EQ(mapping.GetSample()->GetItemCount(), 3);
            EXPECT_EQ(mapping.GetSample()->GetColumnCount(), 6);
            EXPECT_EQ(mapping.GetRow(0).label->GetLabel(), "Please select how to process the 'weight' parameter");
            EXPECT_FALSE(mapping.GetRow(1).label->IsShown());
            Click(mapping.GetRow(0).read);
            sheet.PressNext();
            EXPECT_EQ(sheet.GetFlow().GetActivePage(), &mapping);  // no field chosen
            mapping.GetRow(0).field->SetSelection(0);
            sheet.PressNext();
            EXPECT_EQ(sheet.GetFlow().GetActivePage(), &validation);
            EXPECT_TRUE(validation.GetKilograms()->IsShown());
            EXPECT_FALSE(validation.GetAddressButton()->IsShown());
            EXPECT_EQ(validation.GetList()->GetItemText(1, 3), "BARE");
            EXPECT_EQ(validation.GetList()->GetItemText(2, 3), "KNOWN");
            sheet.PressNext();
            EXPECT_EQ(sheet.GetFlow().GetActivePage(), &validation);  // no unit yet

            EXPECT_TRUE(validation.ChooseUnit(WeightUnit::Kg));
            EXPECT_EQ(validation.GetList()->GetItemText(0, 4), "50");
            EXPECT_TRUE(validation.ChooseUnit(WeightUnit::Lb));
            EXPECT_EQ(validation.GetList()->GetItemText(0, 4), "106.00");
            EXPECT_TRUE(validation.ChooseUnit(WeightUnit::Kg));
            EXPECT_EQ(validation.GetList()->GetItemText(0, 4), "50.00");
            // An edit is kept; a cancelled one is not.
            validation.CellEdited(2, 4, u"41", false);
            validation.CellEdited(1, 4, u"999", true);
            sheet.PressNext();
            EXPECT_EQ(sheet.GetFlow().GetActivePage(), &apply);
            Pump();
            EXPECT_EQ(sheet.GetFlow().GetActivePage(), &finish);
            sheet.PressFinish();
            return int(wxID_OK);
        },
        Says("Please select the type of event"),
        Says("Please select Weight's control mapping"),
        MapToBare,
        Says("Please enter the unit the recorded weights have been entered in"),
    });
    EXPECT_EQ(sheet.DoModal(), ID_WIZFINISH);
    EXPECT_EQ(doc.animals[u"BARE"].eid, 200u);
    ASSERT_EQ(doc.events.size(), 3u);
    EXPECT_EQ(doc.events[0].tattoo, u"KNOWN");
    EXPECT_EQ(doc.events[0].code, u"Weighing");
    EXPECT_EQ(doc.events[0].parameters, std::vector<WString>{u"106"});
    EXPECT_EQ(doc.events[1].tattoo, u"BARE");
    EXPECT_EQ(doc.events[1].parameters, std::vector<WString>{u"53"});
    EXPECT_EQ(doc.events[2].tattoo, u"KNOWN");
    EXPECT_EQ(doc.events[2].parameters, std::vector<WString>{u"86.92"});
}

// The rows as the column of the readings' second values ("x", "y", "z") names them.
std::string RowsByMark(wxListCtrl* list, int column) {
    std::string marks;
    for (long i = 0; i < list->GetItemCount(); ++i) marks += list->GetItemText(i, column).utf8_string();
    return marks;
}

void ClickColumn(wxListCtrl* list, int column) {
    wxListEvent click(wxEVT_LIST_COL_CLICK, list->GetId());
    click.SetEventObject(list);
    click.SetColumn(column);
    list->GetEventHandler()->ProcessEvent(click);
}

// Both reading lists sort by the column clicked, a second click reversing, and keep one order
// between them; an edit after sorting still reaches the reading shown in that row.
TEST_F(ControlPagesTest, ReadingListsSortByTheColumnClicked) {
    ModalScript script({
        [&](wxDialog&) {
            type.GetCodes()->SetSelection(0);
            sheet.PressNext();
            wxListCtrl* sample = mapping.GetSample();
            EXPECT_EQ(RowsByMark(sample, 5), "xyz");
            const struct {
                int column;
                const char* marks;
            } clicks[] = {
                {4, "yzx"},  // values by text: "25" "40" "50"
                {4, "xzy"},  // the same column again: reversed
                {5, "xyz"},  // another column starts ascending
                {2, "xyz"},  // the time: 08:30, 08:31, 08:32
                {2, "zyx"},
                {1, "xyz"},  // the date column orders by date and time too
            };
            for (const auto& c : clicks) {
                SCOPED_TRACE(c.column);
                ClickColumn(sample, c.column);
                EXPECT_EQ(RowsByMark(sample, 5), c.marks);
            }
            ClickColumn(sample, 1);  // newest first
            Click(mapping.GetRow(0).read);
            mapping.GetRow(0).field->SetSelection(0);
            sheet.PressNext();
            EXPECT_EQ(sheet.GetFlow().GetActivePage(), &validation);
            CEditListCtrl* list = validation.GetList();
            // The weights shown newest first: 40 (z), 25 (y), 50 (x).
            EXPECT_EQ(list->GetItemText(0, 4), "40");
            EXPECT_EQ(list->GetItemText(2, 4), "50");
            validation.CellEdited(0, 4, u"41", false);
            EXPECT_EQ(state.events.at(2).mapped.at(0), u"41");
            ClickColumn(list, 4);
            EXPECT_EQ(list->GetItemText(0, 4), "25");
            EXPECT_EQ(list->GetItemText(2, 4), "50");
            sheet.PressCancel();
            return int(wxID_CANCEL);
        },
        MapToBare,
    });
    sheet.DoModal();
}

TEST_F(ControlPagesTest, AWeightThatIsNoNumberKeepsTheUnitAndAnImpossibleDateIsRefused) {
    state.received = {u"[A1|XXXXXXX0000000100|20240105|083000|KNOWN|50]",
                      u"[A1|XXXXXXX0000000100|20230229|083100|KNOWN|heavy]"};
    ModalScript script({
        [&](wxDialog&) {
            type.GetCodes()->SetSelection(0);
            sheet.PressNext();
            Click(mapping.GetRow(0).read);
            mapping.GetRow(0).field->SetSelection(0);
            sheet.PressNext();
            EXPECT_EQ(sheet.GetFlow().GetActivePage(), &validation);
            EXPECT_FALSE(validation.ChooseUnit(WeightUnit::Lb));
            EXPECT_FALSE(validation.GetPounds()->GetValue());
            EXPECT_EQ(validation.GetList()->GetItemState(1, wxLIST_STATE_SELECTED), wxLIST_STATE_SELECTED);
            EXPECT_EQ(validation.GetList()->GetItemText(0, 4), "50");
            validation.CellEdited(1, 4, u"52", false);
            EXPECT_TRUE(validation.ChooseUnit(WeightUnit::Lb));
            sheet.PressNext();
            EXPECT_EQ(sheet.GetFlow().GetActivePage(), &validation);
            sheet.PressCancel();
            return int(wxID_CANCEL);
        },
        Says("A weight does not only contain numeric data. Please ensure the data is correctly mapped"),
        Says("The reading of KNOWN has a date or time that does not exist. Please correct the reader's clock and "
             "download the readings again."),
    });
    EXPECT_NE(sheet.DoModal(), ID_WIZFINISH);
    EXPECT_TRUE(doc.events.empty());
}

TEST_F(ControlPagesTest, AnEventWithoutParametersSkipsTheMapping) {
    ModalScript script({[&](wxDialog&) {
        type.GetCodes()->SetSelection(1);
        sheet.PressNext();
        EXPECT_EQ(sheet.GetFlow().GetActivePage(), &validation);
        EXPECT_FALSE(validation.GetKilograms()->IsShown());
        sheet.PressBack();
        EXPECT_EQ(sheet.GetFlow().GetActivePage(), &type);
        sheet.PressCancel();
        return int(wxID_CANCEL);
    }});
    sheet.DoModal();
}

}  // namespace
