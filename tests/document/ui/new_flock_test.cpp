// A new flock end to end on real windows: the New Database wizard, three animals through Add Dedov,
// and Goto Dedov finding each of them by ear tag, tattoo and electronic ID.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/cshelp.h>
#include <wx/listctrl.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include "document/sheep_doc.h"
#include "document/ui/new_database_pages.h"
#include "document/ui/sheep_dialogs_wx.h"
#include "platform/settings.h"
#include "records/event.h"
#include "records/sheep.h"
#include "support/modal_script.h"
#include "support/scripted_host_fixture.h"

namespace {

void Type(wxTextCtrl* edit, const char* text) {
    edit->SetValue(text);  // sends the change notice, as typing does
}

void ChooseBreed(CFileNewWiz1* page, const char* breed) {
    wxComboBox* combo = page->GetBreedCombo();
    ASSERT_NE(combo->FindString(breed), wxNOT_FOUND);
    combo->SetStringSelection(breed);
    wxCommandEvent event(wxEVT_COMBOBOX, combo->GetId());
    event.SetEventObject(combo);
    combo->GetEventHandler()->ProcessEvent(event);
}

struct Animal {
    const char* tattoo;
    const char16_t* colour;
    const char16_t* number;
    uint64_t eid;
};
const Animal kAnimals[] = {
    {"UK0101", u"Red", u"101", 826000000000101},
    {"UK0102", u"Red", u"102", 826000000000102},
    {"UK0203", u"Blue", u"7", 0},
};

class NewFlock : public ::testing::Test {
protected:
    void SetUp() override {
        CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Breeds", u"Texel",
                                     Utf8ToW(std::string(CVL_TEST_PLUGIN_DIR) + "/breed_full.so"));
        CRegistrySettings::SetDWord(HKEY_CURRENT_USER, u"Settings", u"Purchase", 0);
    }
    CScopedScriptedHost host;
    CSheepDoc doc;
};

TEST_F(NewFlock, CreatedByTheWizardFilledThroughAddAndFoundThroughGoto) {
    // The wizard: welcome, breed, personal information, finish with manual entry.
    bool addPosted = false;
    CNewDocumentServices services;
    services.postAddCommand = [&] { addPosted = true; };
    {
        ModalScript script({[](wxDialog& dialog) {
            auto& sheet = dynamic_cast<CCvlPropertySheet&>(dialog);
            CSheetFlow& flow = sheet.GetFlow();
            EXPECT_FALSE(sheet.IsHeaderShown());
            EXPECT_FALSE(sheet.GetBackButton()->IsEnabled());
            sheet.PressNext();
            auto* breed = dynamic_cast<CFileNewWiz1*>(flow.GetActivePage());
            EXPECT_NE(breed, nullptr);
            if (!breed) return int(wxID_CANCEL);
            EXPECT_EQ(sheet.GetShownHeaderTitle(), u"Select breed");
            EXPECT_FALSE(sheet.GetNextButton()->IsEnabled());
            ChooseBreed(breed, "Texel");
            EXPECT_TRUE(sheet.GetNextButton()->IsEnabled());
            // Right-click help reaches the combo's topic through the help provider.
            EXPECT_EQ(wxHelpProvider::Get()->GetHelp(breed->GetBreedCombo()),
                      wxString::Format("%u", 0x50000u + IDC_BREED_COMBO));
            sheet.PressNext();
            EXPECT_EQ(flow.GetActivePage()->GetTemplateId(), IDD_FILENEW_WIZ3);
            auto* window = dynamic_cast<CCvlPageWindow*>(flow.GetActivePage())->GetWindow();
            Type(static_cast<wxTextCtrl*>(window->FindWindow(IDC_PERSONAL_ADDRESS)), "Hill Farm\nLlan");
            Type(static_cast<wxTextCtrl*>(window->FindWindow(IDC_PERSONAL_TELEPHONE)), "01234 567");
            sheet.PressNext();
            EXPECT_EQ(flow.GetActivePage()->GetTemplateId(), IDD_FILENEW_WIZ4);
            EXPECT_FALSE(sheet.IsHeaderShown());
            EXPECT_FALSE(sheet.GetFinishButton()->IsEnabled());
            window = dynamic_cast<CCvlPageWindow*>(flow.GetActivePage())->GetWindow();
            Click(window->FindWindow(IDC_MANUAL_ENTRY));
            EXPECT_TRUE(sheet.GetFinishButton()->IsEnabled());
            sheet.PressFinish();
            return flow.GetResult();
        }});
        EXPECT_EQ(RunNewDatabaseWizard(nullptr, doc, services), NewDatabaseOutcome::Created);
    }
    EXPECT_TRUE(addPosted);
    EXPECT_EQ(doc.GetDocString(FARM_BREED), u"Texel");
    EXPECT_EQ(doc.GetDocString(FARM_ADDRESS), u"Hill Farm\r\nLlan");
    EXPECT_EQ(doc.GetDocString(FARM_TELEPHONE), u"01234 567");
    ASSERT_TRUE(doc.GetBreedPlugIn().IsLoaded());

    // Three animals through Add Dedov; the first was bought.
    for (const Animal& animal : kAnimals) {
        const bool bought = &animal == &kAnimals[0];
        ModalScript script({[&](wxDialog& dialog) {
            auto& add = dynamic_cast<CAddSheepDlg&>(dialog);
            EXPECT_FALSE(add.GetOkButton()->IsEnabled());
            // The Purchase box is as the last run left it: ticked only after the first animal.
            const bool ticked = &animal == &kAnimals[1];
            EXPECT_EQ(add.GetPurchaseCheck()->GetValue(), ticked);
            EXPECT_EQ(add.ArePurchaseControlsEnabled(), ticked);
            Type(add.GetTattooEdit(), animal.tattoo);
            EXPECT_TRUE(add.GetOkButton()->IsEnabled());
            if (bought != ticked) {
                add.GetPurchaseCheck()->SetValue(bought);
                wxCommandEvent click(wxEVT_CHECKBOX, IDC_ADD_PURCHASE);
                click.SetEventObject(add.GetPurchaseCheck());
                click.SetInt(bought);
                add.GetPurchaseCheck()->GetEventHandler()->ProcessEvent(click);
                EXPECT_EQ(add.ArePurchaseControlsEnabled(), bought);
            }
            if (bought) {
                Type(static_cast<wxTextCtrl*>(add.FindWindow(IDC_ADD_PRICE)), "140");
                Type(static_cast<wxTextCtrl*>(add.FindWindow(IDC_ADD_SELLER)), "Mrs Jones");
            }
            add.PressOk();
            return add.GetReturnCode();
        }});
        WString key;
        const uint64_t eid = animal.eid;
        ASSERT_TRUE(NewSheep(nullptr, doc, SEX_EWE, &key, eid ? &eid : nullptr));
        EXPECT_EQ(key, Utf8ToW(animal.tattoo));
        CSheep* sheep = doc.FindSheep(key);
        ASSERT_NE(sheep, nullptr);
        sheep->SetEartagColour(animal.colour);
        sheep->SetEartagNumber(animal.number);
        ASSERT_EQ(sheep->GetEventCount(), bought ? 1 : 0);
        if (bought) {
            EXPECT_EQ(sheep->GetEventAt(0)->GetParameters(),
                      (std::vector<WString>{u"Mrs Jones", u"140", u""}));
        }
    }
    EXPECT_EQ(doc.GetSheepCount(), 3);
    EXPECT_EQ(CRegistrySettings::GetDWord(HKEY_CURRENT_USER, u"Settings", u"Purchase", 9), 0u);

    // Goto Dedov by each of the three keys.
    struct Search {
        int mode;
        const char* key;
        const char* number;
        const char* expect;
    };
    const Search searches[] = {
        {CGotoSheepModel::MODE_EARTAG, "Red", "102", "UK0102"},
        {CGotoSheepModel::MODE_TATTOO, "uk0203", "", "UK0203"},
        {CGotoSheepModel::MODE_EID, "826000000000101", "", "UK0101"},
    };
    for (const Search& search : searches) {
        SCOPED_TRACE(search.key);
        doc.SelectSheepAt(-1, false, false, nullptr);
        ModalScript script({[&](wxDialog& dialog) {
            auto& find = dynamic_cast<CGotoSheepDlg&>(dialog);
            Click(find.GetModeRadio(search.mode));
            EXPECT_EQ(find.GetNumberEdit()->IsShown(), search.mode == CGotoSheepModel::MODE_EARTAG);
            Type(find.GetKeyEdit(), search.key);
            if (search.mode == CGotoSheepModel::MODE_EARTAG) {
                EXPECT_FALSE(find.GetFindButton()->IsEnabled());
                Type(find.GetNumberEdit(), search.number);
            }
            EXPECT_TRUE(find.GetFindButton()->IsEnabled());
            find.PressFind();
            EXPECT_EQ(find.GetList()->GetColumnCount(), 2);
            wxListItem column;
            column.SetMask(wxLIST_MASK_TEXT);
            find.GetList()->GetColumn(0, column);
            EXPECT_EQ(column.GetText(), "Tattoo");
            EXPECT_EQ(find.GetList()->GetItemCount(), 1);
            EXPECT_EQ(find.GetList()->GetItemText(0), search.expect);
            EXPECT_EQ(find.GetFindButton()->GetLabel(), "Goto...");
            find.PressFind();
            return find.GetReturnCode();
        }});
        CGotoSheepDlg dialog(&doc, nullptr);
        EXPECT_EQ(CvlRunModal(dialog), wxID_OK);
        EXPECT_EQ(doc.GetCurrentKey(), Utf8ToW(search.expect));
    }

    // A search without a match says so and stays open.
    {
        ModalScript script({[&](wxDialog& dialog) {
            auto& find = dynamic_cast<CGotoSheepDlg&>(dialog);
            Click(find.GetModeRadio(CGotoSheepModel::MODE_TATTOO));
            Type(find.GetKeyEdit(), "ZZ999");
            find.PressFind();
            EXPECT_EQ(find.GetFindButton()->GetLabel(), "Find...");
            EXPECT_TRUE(find.GetFindButton()->IsEnabled());
            find.PressCancel();
            return find.GetReturnCode();
        }});
        CGotoSheepDlg dialog(&doc, nullptr);
        EXPECT_EQ(CvlRunModal(dialog), wxID_CANCEL);
        EXPECT_EQ(host.MessageIds(), (std::vector<unsigned>{IDS_SHEEP_NOT_FOUND}));
    }
}

TEST_F(NewFlock, CancellingTheWizardLeavesNoPlugIn) {
    ModalScript script({[](wxDialog& dialog) {
        auto& sheet = dynamic_cast<CCvlPropertySheet&>(dialog);
        sheet.PressNext();
        ChooseBreed(dynamic_cast<CFileNewWiz1*>(sheet.GetFlow().GetActivePage()), "Texel");
        sheet.PressNext();
        sheet.PressCancel();
        return sheet.GetFlow().GetResult();
    }});
    EXPECT_EQ(RunNewDatabaseWizard(nullptr, doc, {}), NewDatabaseOutcome::Cancelled);
    EXPECT_FALSE(doc.GetBreedPlugIn().IsLoaded());
    EXPECT_EQ(doc.GetDocString(FARM_BREED), u"");
}

}  // namespace
