// "Database Options", "System Administration" and "Document Properties" run from the menus of the
// running program.
#include <wx/button.h>
#include <wx/checklst.h>
#include <wx/combobox.h>
#include <wx/spinctrl.h>
#include <wx/textctrl.h>

#include "document/command_ids.h"
#include "document/doc_commands.h"
#include "document/sheep_doc.h"
#include "document/summary_info.h"
#include "document/ui/image_path_page.h"
#include "document/ui/options_pages.h"
#include "document/ui/properties_sheet.h"
#include "document/ui/wx_strings.h"
#include "platform/settings.h"
#include "records/sheep.h"
#include "support/modal_script.h"
#include "support/shell_fixture.h"
#include "views/sheep_document.h"

namespace {

class OptionsSheetTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_TRUE(Start());
        doc = dynamic_cast<CSheepDocument*>(App().CreateUntitledDocument(true));
        ASSERT_NE(doc, nullptr);
        Pump();
    }
    void TearDown() override {
        for (wxObject* open : App().GetDocManager()->GetDocuments())
            static_cast<wxDocument*>(open)->Modify(false);
        ShellTest::TearDown();
    }
    CSheepDoc& core() { return doc->GetCore(); }

    // Runs a menu command whose sheet the step works.
    void Run(int command, const std::function<void(CCvlPropertySheet&)>& step) {
        ModalScript script({[&](wxDialog& dialog) {
            auto& sheet = dynamic_cast<CCvlPropertySheet&>(dialog);
            step(sheet);
            return int(sheet.GetFlow().GetResult() == SHEET_OK ? wxID_OK : wxID_CANCEL);
        }});
        wxCommandEvent event(wxEVT_MENU, WxCommandId(command));
        event.SetEventObject(Frame());
        Frame()->ProcessWindowEvent(event);
        Pump();
    }

    template <class Page>
    static Page* PageOf(CCvlPropertySheet& sheet) {
        for (int i = 0; i < sheet.GetFlow().GetPageCount(); ++i)
            if (auto* page = dynamic_cast<Page*>(sheet.GetFlow().GetPage(i))) return page;
        return nullptr;
    }
    static void Show(CCvlPropertySheet& sheet, CSheetPage* page) {
        ASSERT_NE(page, nullptr);
        sheet.GetFlow().SetActivePage(sheet.GetFlow().GetPageIndex(page));
    }

    CSheepDocument* doc = nullptr;
};

WString User(const char16_t* name) {
    return CRegistrySettings::GetString(HKEY_CURRENT_USER, u"Settings", name, u"<none>");
}

}  // namespace

TEST_F(OptionsSheetTest, DatabaseOptionsHoldsItsPagesInOrderAndOnlyShownPagesStore) {
    CRegistrySettings::SetString(HKEY_CURRENT_USER, u"Settings", u"XML Excluded Events", u"3,17");
    const WString images = User(u"Image Search Path");
    Run(ID_OPTIONS_FARM, [&](CCvlPropertySheet& sheet) {
        EXPECT_EQ(FromWx(sheet.GetTitle()), u"Database Options");
        std::vector<WString> captions;
        for (int i = 0; i < sheet.GetFlow().GetPageCount(); ++i)
            captions.push_back(sheet.GetFlow().GetPage(i)->GetCaption());
        EXPECT_EQ(captions,
                  (std::vector<WString>{u"General", u"Eartags", u"XML", u"Images", u"EID Reader", u"Flock Details"}));
        // General is shown first; OK stores only what it holds.
        auto* general = PageOf<CGnrlOpts>(sheet);
        ASSERT_NE(general, nullptr);
        general->Options().view = u"Flock";
        general->Options().tooltips = false;
        general->ShowOptions();
        sheet.PressOk();
    });
    EXPECT_EQ(User(u"View"), u"Flock");
    EXPECT_EQ(CRegistrySettings::GetDWord(HKEY_CURRENT_USER, u"Settings", u"Tooltips", 1), 0u);
    EXPECT_EQ(User(u"XML Excluded Events"), u"3,17");
    EXPECT_EQ(User(u"Image Search Path"), images) << "the Images page was never shown";
    EXPECT_TRUE(core().IsModified());
}

TEST_F(OptionsSheetTest, DecimalPlacesOutsideTheRangeKeepTheSheetOpen) {
    Run(ID_OPTIONS_FARM, [&](CCvlPropertySheet& sheet) {
        auto* spin = dynamic_cast<wxSpinCtrl*>(sheet.FindWindow(1224));
        ASSERT_NE(spin, nullptr);
        spin->SetValue(5);
        sheet.PressOk();
        EXPECT_FALSE(sheet.GetFlow().IsEnded());
        sheet.PressCancel();
    });
    EXPECT_EQ(User(u"Decimal Places"), u"<none>");
}

TEST_F(OptionsSheetTest, XmlPageKeepsTheStoredListWhenTheBreedCannotListItsEvents) {
    // This document has no breed loaded: nothing to list, nothing lost.
    CRegistrySettings::SetString(HKEY_CURRENT_USER, u"Settings", u"XML Excluded Events", u"3,17");
    Run(ID_OPTIONS_FARM, [&](CCvlPropertySheet& sheet) {
        auto* xml = PageOf<CXMLOptionsPage>(sheet);
        Show(sheet, xml);
        EXPECT_EQ(xml->GetList()->GetCount(), 0u);
        sheet.PressOk();
    });
    EXPECT_EQ(User(u"XML Excluded Events"), u"3,17");
}

TEST_F(OptionsSheetTest, FlockDetailsStoreAndABreedChangeIsRefusedOnceAnimalsExist) {
    core().SetAttribute(0, u"General Sheep");
    ASSERT_GE(core().AddSheep(new CSheep(u"A1", SEX_EWE, &core()), false), 0);
    Run(ID_OPTIONS_FARM, [&](CCvlPropertySheet& sheet) {
        auto* farm = PageOf<CFarmOpts>(sheet);
        Show(sheet, farm);
        farm->GetAddress()->ChangeValue("Home Farm\nHill Road");
        farm->GetBreed()->SetValue("Suffolk");
        host.Clear();
        sheet.PressOk();
        EXPECT_FALSE(sheet.GetFlow().IsEnded());
        EXPECT_EQ(host.Messages().size(), 1u);
        EXPECT_EQ(farm->GetBreed()->GetValue(), "General Sheep");
        sheet.PressOk();
        EXPECT_TRUE(sheet.GetFlow().IsEnded());
    });
    EXPECT_EQ(core().GetDocString(0), u"General Sheep");
    EXPECT_EQ(core().GetDocString(1), u"Home Farm\r\nHill Road");
}

TEST_F(OptionsSheetTest, ImagesPageHandsItsFoldersToTheProgram) {
    App().SetImageSearchPath({u"/pics/", u"/more"});
    Run(ID_OPTIONS_FARM, [&](CCvlPropertySheet& sheet) {
        auto* page = PageOf<CImagePathPage>(sheet);
        Show(sheet, page);
        EXPECT_EQ(page->Model().Entries(), (std::vector<WString>{u"/pics", u"/more"}));
        page->Model().Select(1);
        page->PressUp();
        // A new entry left empty goes when OK finishes its edit.
        page->PressNew();
        EXPECT_TRUE(page->Model().IsEditing());
        sheet.PressOk();
    });
    EXPECT_EQ(User(u"Image Search Path"), u"/more/;/pics/");
    EXPECT_EQ(App().GetImageSearchPath(), (std::vector<WString>{u"/more/", u"/pics/"}));
}

TEST_F(OptionsSheetTest, SystemAdministrationRebuildsAndCancelBecomesClose) {
    auto* sheep = new CSheep(u"A1", SEX_EWE, &core());
    sheep->StoreEarTag(u"Red", u"7");
    ASSERT_GE(core().AddSheep(sheep, false), 0);
    core().SetModifiedFlag(false);
    Run(ID_OPTIONS_EVENTS, [&](CCvlPropertySheet& sheet) {
        EXPECT_EQ(FromWx(sheet.GetTitle()), u"System Administration");
        auto* page = PageOf<CSysAdminPage>(sheet);
        ASSERT_NE(page, nullptr);
        page->Rebuild();
        auto* cancel = dynamic_cast<wxButton*>(sheet.FindWindow(wxID_CANCEL));
        ASSERT_NE(cancel, nullptr);
        EXPECT_EQ(cancel->GetLabel(), "Close");
        sheet.PressCancel();
    });
    EXPECT_FALSE(core().IsModified()) << "an index that already matched is not a change";
}

TEST_F(OptionsSheetTest, PropertiesStoreTheSummaryTextsOnOkOnly) {
    core().GetSummaryInfo().m_title = "Old";
    core().SetModifiedFlag(false);
    Run(ID_FILE_PROPERTIES, [&](CCvlPropertySheet& sheet) {
        EXPECT_EQ(FromWx(sheet.GetTitle()), u"Document Properties");
        auto* summary = PageOf<CSummPage>(sheet);
        Show(sheet, summary);
        summary->GetEdit(0)->ChangeValue("Changed");
        sheet.PressCancel();
    });
    EXPECT_EQ(core().GetSummaryInfo().m_title, "Old");
    EXPECT_FALSE(core().IsModified());

    Run(ID_FILE_PROPERTIES, [&](CCvlPropertySheet& sheet) {
        auto* summary = PageOf<CSummPage>(sheet);
        Show(sheet, summary);
        EXPECT_EQ(summary->GetEdit(0)->GetValue(), "Old");
        summary->GetEdit(0)->ChangeValue(wxString::FromUTF8("Ewes \xc3\xa9t\xc3\xa9"));
        summary->GetEdit(2)->ChangeValue("Shepherd");
        sheet.PressOk();
    });
    // Stored in the ANSI code page.
    EXPECT_EQ(core().GetSummaryInfo().m_title, "Ewes \xe9t\xe9");
    EXPECT_EQ(core().GetSummaryInfo().m_author, "Shepherd");
    EXPECT_TRUE(core().IsModified());
}
