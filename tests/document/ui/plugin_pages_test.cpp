// A breed plug-in's own pages in the New Database wizard: shown between the breed page and the
// personal page, checked like any page, and all deleted before the plug-in goes.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/panel.h>
#include <wx/textctrl.h>

#include "document/sheep_doc.h"
#include "document/ui/new_database_pages.h"
#include "platform/settings.h"
#include "support/scripted_host_fixture.h"

namespace {

class PlugInPages : public ::testing::Test {
protected:
    void SetUp() override {
        CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Breeds", u"Cheviot", Utf8ToW(CVL_PAGED_PLUGIN));
        CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Breeds", u"Texel",
                                     Utf8ToW(std::string(CVL_TEST_PLUGIN_DIR) + "/breed_full.so"));
        // Our own hold on the library keeps its page count readable after the document lets it go.
        m_library = dlopen(CVL_PAGED_PLUGIN, RTLD_NOW);
        ASSERT_NE(m_library, nullptr);
        m_livePages = reinterpret_cast<int (*)()>(dlsym(m_library, "TestBreedLivePages"));
        ASSERT_NE(m_livePages, nullptr);
    }
    void TearDown() override {
        CvlSetModalDriver({});
        dlclose(m_library);
    }

    static void Choose(CCvlPropertySheet& sheet, const char* breed) {
        auto* page = dynamic_cast<CFileNewWiz1*>(sheet.GetFlow().GetActivePage());
        ASSERT_NE(page, nullptr);
        page->GetBreedCombo()->SetStringSelection(breed);
        wxCommandEvent event(wxEVT_COMBOBOX, page->GetBreedCombo()->GetId());
        event.SetEventObject(page->GetBreedCombo());
        page->GetBreedCombo()->GetEventHandler()->ProcessEvent(event);
    }
    static wxTextCtrl* PageEdit(CCvlPropertySheet& sheet) {
        auto* page = dynamic_cast<CCvlPageWindow*>(sheet.GetFlow().GetActivePage());
        return page ? static_cast<wxTextCtrl*>(page->GetWindow()->FindWindow(1500)) : nullptr;
    }
    unsigned Active(CCvlPropertySheet& sheet) const {
        return sheet.GetFlow().GetActivePage()->GetTemplateId();
    }

    CScopedScriptedHost host;
    CSheepDoc doc;
    void* m_library = nullptr;
    int (*m_livePages)() = nullptr;
};

TEST_F(PlugInPages, StandBetweenTheBreedAndPersonalPagesAndGoWithTheirBreed) {
    CvlSetModalDriver([this](wxDialog& dialog) {
        auto& sheet = dynamic_cast<CCvlPropertySheet&>(dialog);
        sheet.PressNext();
        Choose(sheet, "Cheviot");
        EXPECT_TRUE(sheet.GetHelpButton()->IsShown());
        sheet.PressNext();
        EXPECT_EQ(Active(sheet), 700u);
        EXPECT_EQ(m_livePages(), 2);
        EXPECT_EQ(sheet.GetShownHeaderTitle(), u"Flock book");
        EXPECT_FALSE(sheet.GetHelpButton()->IsShown());
        // The plug-in's page refuses to be left empty.
        sheet.PressNext();
        EXPECT_EQ(Active(sheet), 700u);
        PageEdit(sheet)->SetValue("FB 1234");
        sheet.PressNext();
        EXPECT_EQ(Active(sheet), 701u);
        PageEdit(sheet)->SetValue("FB 99");
        sheet.PressNext();
        EXPECT_EQ(Active(sheet), IDD_FILENEW_WIZ3);
        // Back to the breed page and another breed: the plug-in's pages go, shown or not.
        sheet.PressBack();
        sheet.PressBack();
        sheet.PressBack();
        EXPECT_EQ(Active(sheet), IDD_FILENEW_WIZ1);
        Choose(sheet, "Texel");
        sheet.PressNext();
        EXPECT_EQ(m_livePages(), 0);
        EXPECT_EQ(Active(sheet), IDD_FILENEW_WIZ3);
        EXPECT_EQ(sheet.GetFlow().GetPageCount(), 4);
        // And back to the first breed: its pages come again, new.
        sheet.PressBack();
        Choose(sheet, "Cheviot");
        sheet.PressNext();
        EXPECT_EQ(m_livePages(), 2);
        EXPECT_EQ(PageEdit(sheet)->GetValue(), "");
        sheet.PressCancel();
        return sheet.GetFlow().GetResult();
    });
    EXPECT_EQ(RunNewDatabaseWizard(nullptr, doc, {}), NewDatabaseOutcome::Cancelled);
    EXPECT_EQ(m_livePages(), 0);
    EXPECT_FALSE(doc.GetBreedPlugIn().IsLoaded());
}

TEST_F(PlugInPages, AreDeletedWhenTheWizardFinishesAndThePlugInStays) {
    CvlSetModalDriver([](wxDialog& dialog) {
        auto& sheet = dynamic_cast<CCvlPropertySheet&>(dialog);
        sheet.PressNext();
        Choose(sheet, "Cheviot");
        sheet.PressNext();
        PageEdit(sheet)->SetValue("FB 1");
        sheet.PressNext();
        PageEdit(sheet)->SetValue("FB 2");
        sheet.PressNext();
        sheet.PressNext();
        auto* finish = dynamic_cast<CFileNewWiz4*>(sheet.GetFlow().GetActivePage());
        EXPECT_NE(finish, nullptr);
        if (finish) finish->CheckRadio(CFileNewWiz4Model::CHOICE_MANUAL);
        sheet.PressFinish();
        return sheet.GetFlow().GetResult();
    });
    EXPECT_EQ(RunNewDatabaseWizard(nullptr, doc, {}), NewDatabaseOutcome::Created);
    EXPECT_EQ(m_livePages(), 0);
    EXPECT_TRUE(doc.GetBreedPlugIn().IsLoaded());
    EXPECT_EQ(doc.GetDocString(FARM_BREED), u"Cheviot");
}

}  // namespace
