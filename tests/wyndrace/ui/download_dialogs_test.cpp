#include "wyndrace/ui/download_dialogs.h"

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include "support/fake_download_flock.h"
#include "support/modal_script.h"

namespace {

void Type(wxTextCtrl* edit, const char* text) {
    edit->SetValue(text);  // sends the text event as typing does
}

void Choose(wxChoice* choice, int item) {
    choice->SetSelection(item);
    wxCommandEvent event(wxEVT_CHOICE, choice->GetId());
    event.SetEventObject(choice);
    event.SetInt(item);
    choice->GetEventHandler()->ProcessEvent(event);
}

void Choose(wxComboBox* combo, const char* text) {
    combo->SetStringSelection(text);
    wxCommandEvent event(wxEVT_COMBOBOX, combo->GetId());
    event.SetEventObject(combo);
    event.SetInt(combo->GetSelection());
    combo->GetEventHandler()->ProcessEvent(event);
}

// Answers a question box and records its text.
std::function<int(wxDialog&)> Answer(int answer, wxString* text) {
    return [answer, text](wxDialog& dialog) {
        auto* box = dynamic_cast<wxMessageDialog*>(&dialog);
        EXPECT_NE(box, nullptr);
        if (box && text) *text = box->GetMessage();
        return answer;
    };
}

TEST(AddSheepDialog, CreateNeedsATattooAndASexAndAsksAboutAnOddTattoo) {
    CFakeDownloadFlock doc;
    doc.standardTattoos = {u"UK123"};
    CAddSheep dlg(nullptr, doc, 42, u"odd one", -1);
    EXPECT_FALSE(dlg.GetCreateButton()->IsEnabled());
    EXPECT_EQ(dlg.GetSexChoice()->GetSelection(), wxNOT_FOUND);
    Choose(dlg.GetSexChoice(), 1);
    EXPECT_TRUE(dlg.GetCreateButton()->IsEnabled());
    Type(dlg.GetTattooEdit(), "");
    EXPECT_FALSE(dlg.GetCreateButton()->IsEnabled());
    Type(dlg.GetTattooEdit(), "odd one");
    ASSERT_TRUE(dlg.GetCreateButton()->IsEnabled());

    wxString asked;
    {
        ModalScript script({Answer(wxID_NO, &asked)});
        dlg.PressCreate();
    }
    EXPECT_EQ(asked,
              "The tattoo odd one is not in the standard format for Texel sheep. Do you want to continue?");
    EXPECT_NE(dlg.GetReturnCode(), IDC_ADDSHEEP_CREATE);
    {
        ModalScript script({Answer(wxID_YES, nullptr)});
        dlg.PressCreate();
    }
    EXPECT_EQ(dlg.GetReturnCode(), IDC_ADDSHEEP_CREATE);
    EXPECT_EQ(dlg.GetSex(), 1);
    EXPECT_EQ(dlg.GetTattoo(), u"odd one");
}

TEST(AddSheepDialog, AnEarlierChoiceOfSexIsShown) {
    CFakeDownloadFlock doc;
    CAddSheep dlg(nullptr, doc, 42, u"UK1", 0);
    EXPECT_EQ(dlg.GetSexChoice()->GetStringSelection(), "Ewe");
    EXPECT_TRUE(dlg.GetCreateButton()->IsEnabled());
    dlg.PressCreate();  // a standard tattoo asks nothing
    EXPECT_EQ(dlg.GetReturnCode(), IDC_ADDSHEEP_CREATE);
    EXPECT_EQ(dlg.GetSex(), 0);
}

class MapSheepTest : public ::testing::Test {
protected:
    void SetUp() override {
        doc.animals[u"HASEID"] = {5, 0};
        doc.animals[u"BARE1"] = {0, 0};
        doc.animals[u"BARE2"] = {0, 1};
        doc.standardTattoos = {u"UK9", u"BARE1", u"BARE2", u"HASEID"};
    }
    CFakeDownloadFlock doc;
};

TEST_F(MapSheepTest, MapsToAnAnimalWithoutAnEid) {
    CMapSheep dlg(nullptr, doc, EidText(77));
    EXPECT_TRUE(dlg.GetMapRadio()->GetValue());
    EXPECT_FALSE(dlg.GetTattooEdit()->IsEnabled());
    EXPECT_FALSE(dlg.GetOkButton()->IsEnabled());
    ASSERT_EQ(dlg.GetAnimals()->GetCount(), 2u);
    EXPECT_EQ(dlg.GetAnimals()->GetString(0), "BARE1");
    Choose(dlg.GetAnimals(), "BARE2");
    ASSERT_TRUE(dlg.GetOkButton()->IsEnabled());
    dlg.PressOk();
    EXPECT_EQ(dlg.GetReturnCode(), wxID_OK);
    EXPECT_FALSE(dlg.IsCreate());
    EXPECT_EQ(dlg.GetTattoo(), u"BARE2");
}

TEST_F(MapSheepTest, CreatingATattooTheFlockHasIsAMapping) {
    CMapSheep dlg(nullptr, doc, EidText(77));
    Click(dlg.GetCreateRadio());
    EXPECT_FALSE(dlg.GetAnimals()->IsEnabled());
    EXPECT_TRUE(dlg.GetTattooEdit()->IsEnabled());
    Type(dlg.GetTattooEdit(), "HASEID");
    EXPECT_FALSE(dlg.GetOkButton()->IsEnabled());
    Choose(dlg.GetSexChoice(), 0);
    ASSERT_TRUE(dlg.GetOkButton()->IsEnabled());
    dlg.PressOk();
    EXPECT_EQ(dlg.GetReturnCode(), wxID_OK);
    EXPECT_FALSE(dlg.IsCreate());
    EXPECT_EQ(dlg.GetTattoo(), u"HASEID");
}

TEST_F(MapSheepTest, ANewOddTattooIsCreatedOnlyWhenTheUserAgrees) {
    CMapSheep dlg(nullptr, doc, EidText(77));
    Click(dlg.GetCreateRadio());
    Type(dlg.GetTattooEdit(), "lamb 7");
    Choose(dlg.GetSexChoice(), 1);
    {
        ModalScript script({Answer(wxID_NO, nullptr)});
        dlg.PressOk();
    }
    EXPECT_NE(dlg.GetReturnCode(), wxID_OK);
    {
        ModalScript script({Answer(wxID_YES, nullptr)});
        dlg.PressOk();
    }
    EXPECT_EQ(dlg.GetReturnCode(), wxID_OK);
    EXPECT_TRUE(dlg.IsCreate());
    EXPECT_EQ(dlg.GetTattoo(), u"lamb 7");
    EXPECT_EQ(dlg.GetSex(), 1);
}

// The read-only EID box of either dialog shows all 16 digits, not the first few.
TEST_F(MapSheepTest, BothDialogsShowTheWholeEid) {
    CAddSheep add(nullptr, doc, 1234567890123456ull, u"UK9", -1);
    CMapSheep map(nullptr, doc, u"1234567890123456");
    for (wxDialog* dialog : {static_cast<wxDialog*>(&add), static_cast<wxDialog*>(&map)}) {
        auto* eid = dynamic_cast<wxTextCtrl*>(dialog->FindWindow(IDC_DL_EID));
        ASSERT_NE(eid, nullptr);
        EXPECT_EQ(eid->GetValue().length(), 16u);
        EXPECT_GE(eid->GetSize().x, eid->GetSizeFromTextSize(eid->GetTextExtent(eid->GetValue()).x).x)
            << dialog->GetTitle();
    }
}

}  // namespace
