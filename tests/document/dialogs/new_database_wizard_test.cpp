// The New Database wizard's flow with plain page models and the document tests' breed plug-ins.
#include "document/new_database_wizard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/sheep_doc.h"
#include "platform/settings.h"
#include "support/scripted_host_fixture.h"

namespace {

std::string Plugin(const char* name) {
    return std::string(CVL_TEST_PLUGIN_DIR) + "/" + name + ".so";
}

// A breed plug-in's own page: the test decides its answers.
class PlugInPage : public CSheetPage {
public:
    PlugInPage(unsigned id, int* deleted) : CSheetPage(id), m_deleted(deleted) {}
    ~PlugInPage() override { ++*m_deleted; }
    int next = WIZ_NEXT;
    bool leave = true;
    bool OnKillActive() override { return leave; }
    int OnWizardNext() override { return next; }

private:
    int* m_deleted;
};

class ModelPages : public INewDatabasePages {
public:
    int plugInPages = 0;  // how many pages the plug-in offers
    int deleted = 0;      // plug-in pages deleted so far
    std::vector<int> asked;
    IDocument* dual = nullptr;
    CFileNewWiz3Model* CreatePersonalPage() override { return new CFileNewWiz3Model; }
    CFileNewWiz4Model* CreateFinishPage() override { return new CFileNewWiz4Model; }
    CSheetPage* LoadPlugInPage(CSheepDoc& doc, int index, IDocument* docDual) override {
        dual = docDual;
        EXPECT_TRUE(doc.GetBreedPlugIn().IsLoaded());
        asked.push_back(index);
        return index < plugInPages ? new PlugInPage(900 + unsigned(index), &deleted) : nullptr;
    }
};

class NewDatabaseWizard : public ::testing::Test {
protected:
    void SetUp() override {
        CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Breeds", u"Texel", Utf8ToW(Plugin("breed_full")));
        CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Breeds", u"Suffolk",
                                     Utf8ToW(Plugin("breed_full")));
        CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Breeds", u"Nameless",
                                     Utf8ToW(Plugin("breed_no_note")));
        CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Breeds", u"Foreign",
                                     Utf8ToW(Plugin("breed_unloadable")));
        CRegistrySettings::SetDWord(HKEY_LOCAL_MACHINE, u"Settings", u"EID Autoscan", 0);
        flow.AddPage(&page0);
        flow.AddPage(&page1);
        page1.LoadBreedNames();
        flow.Start();
    }

    unsigned Active() const { return flow.GetActivePage() ? flow.GetActivePage()->GetTemplateId() : 0; }
    unsigned Buttons() const { return flow.GetWizardButtons(); }
    // Welcome -> breed -> chosen breed loaded -> the first page after the breed page.
    void ToPageAfterBreed(const WString& breed) {
        ASSERT_TRUE(flow.Next());
        page1.SelectBreed(breed);
        ASSERT_TRUE(flow.Next());
    }

    CScopedScriptedHost host;
    CSheepDoc doc;
    ModelPages pages;
    CSheetFlow flow{true};
    CFileNewWiz0Model page0;
    CFileNewWiz1Model page1{&doc, &pages};
};

TEST_F(NewDatabaseWizard, TheBreedPageListsTheRegisteredBreeds) {
    EXPECT_EQ(page1.GetBreedNames(), (std::vector<WString>{u"Texel", u"Suffolk", u"Nameless", u"Foreign"}));
}

// One walk through every page, button state and refusal.
TEST_F(NewDatabaseWizard, PageFlow) {
    enum Action { Next, Back, Finish, Select, Radio };
    struct Step {
        Action action;
        const char16_t* breed;  // Select
        int radio;              // Radio
        bool accepted;
        unsigned page;
        unsigned buttons;
    };
    pages.plugInPages = 2;
    const Step steps[] = {
        // Welcome: Next only, header hidden.
        {Next, nullptr, 0, true, IDD_FILENEW_WIZ1, PSWIZB_BACK},
        // No breed: Next is disabled and the page cannot be left at all.
        {Next, nullptr, 0, false, IDD_FILENEW_WIZ1, PSWIZB_BACK},
        {Back, nullptr, 0, false, IDD_FILENEW_WIZ1, PSWIZB_BACK},
        {Select, u"Texel", 0, true, IDD_FILENEW_WIZ1, PSWIZB_BACK | PSWIZB_NEXT},
        {Select, u"", 0, true, IDD_FILENEW_WIZ1, PSWIZB_BACK},
        {Select, u"Texel", 0, true, IDD_FILENEW_WIZ1, PSWIZB_BACK | PSWIZB_NEXT},
        // The plug-in's pages come next, then personal information, then the finish page.
        {Next, nullptr, 0, true, 900, PSWIZB_BACK | PSWIZB_NEXT},
        {Next, nullptr, 0, true, 901, PSWIZB_BACK | PSWIZB_NEXT},
        {Next, nullptr, 0, true, IDD_FILENEW_WIZ3, PSWIZB_BACK | PSWIZB_NEXT},
        {Next, nullptr, 0, true, IDD_FILENEW_WIZ4, PSWIZB_BACK | PSWIZB_DISABLEDFINISH},
        {Next, nullptr, 0, false, IDD_FILENEW_WIZ4, PSWIZB_BACK | PSWIZB_DISABLEDFINISH},
        {Finish, nullptr, 0, false, IDD_FILENEW_WIZ4, PSWIZB_BACK | PSWIZB_DISABLEDFINISH},
        {Radio, nullptr, CFileNewWiz4Model::CHOICE_LOAD_FILE, true, IDD_FILENEW_WIZ4,
         PSWIZB_BACK | PSWIZB_FINISH},
        // A page without buttons of its own shows Back and Next again, never the Finish before it.
        {Back, nullptr, 0, true, IDD_FILENEW_WIZ3, PSWIZB_BACK | PSWIZB_NEXT},
        // Coming back with a radio checked checks "Manually Enter a record".
        {Next, nullptr, 0, true, IDD_FILENEW_WIZ4, PSWIZB_BACK | PSWIZB_FINISH},
        {Finish, nullptr, 0, true, IDD_FILENEW_WIZ4, PSWIZB_BACK | PSWIZB_FINISH},
    };
    EXPECT_EQ(Active(), IDD_FILENEW_WIZ0);
    EXPECT_EQ(Buttons(), PSWIZB_NEXT);
    EXPECT_TRUE(page0.IsHeaderHidden());
    int i = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE("step " + std::to_string(i++));
        bool accepted = true;
        switch (s.action) {
            case Next:
                accepted = flow.Next();
                break;
            case Back:
                accepted = flow.Back();
                break;
            case Finish:
                accepted = flow.Finish();
                break;
            case Select:
                page1.SelectBreed(s.breed);
                break;
            case Radio:
                page1.GetFinishPage()->CheckRadio(s.radio);
                break;
        }
        EXPECT_EQ(accepted, s.accepted);
        EXPECT_EQ(Active(), s.page);
        EXPECT_EQ(Buttons(), s.buttons);
    }
    EXPECT_EQ(flow.GetResult(), ID_WIZFINISH);
    EXPECT_EQ(page1.GetFinishPage()->GetChoice(), CFileNewWiz4Model::CHOICE_MANUAL);
    EXPECT_EQ(pages.asked, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(pages.dual, doc.GetDocumentDual());
    EXPECT_TRUE(host.Messages().empty());
    // Headers: hidden on the welcome and finish pages, the Parts' texts on the others; no Help button
    // on any page but the breed page.
    EXPECT_EQ(page1.GetHeaderTitle(), u"Select breed");
    EXPECT_EQ(page1.GetPersonalPage()->GetHeaderTitle(), u"Please enter your personal information");
    EXPECT_TRUE(page1.GetFinishPage()->IsHeaderHidden());
    EXPECT_FALSE(page1.GetPersonalPage()->IsHeaderHidden());
    EXPECT_TRUE(page1.HasHelp());
    EXPECT_FALSE(page1.GetPlugInPage(0)->HasHelp());
    EXPECT_FALSE(page0.HasHelp());
}

TEST_F(NewDatabaseWizard, APlugInPageJumpsAndRefusesLikeAnyOther) {
    pages.plugInPages = 2;
    ToPageAfterBreed(u"Texel");
    auto* first = static_cast<PlugInPage*>(page1.GetPlugInPage(0));
    first->leave = false;
    EXPECT_FALSE(flow.Next());
    EXPECT_EQ(Active(), 900u);
    first->leave = true;
    first->next = int(IDD_FILENEW_WIZ4);
    EXPECT_TRUE(flow.Next());
    EXPECT_EQ(Active(), IDD_FILENEW_WIZ4);
}

TEST_F(NewDatabaseWizard, TheSameBreedAgainKeepsThePlugInAndItsPages) {
    pages.plugInPages = 1;
    ToPageAfterBreed(u"Texel");
    CSheetPage* plugInPage = page1.GetPlugInPage(0);
    ASSERT_TRUE(flow.Back());
    page1.SelectBreed(u"Texel");
    ASSERT_TRUE(flow.Next());
    EXPECT_EQ(page1.GetPlugInPage(0), plugInPage);
    EXPECT_EQ(pages.asked, (std::vector<int>{0, 1}));
    EXPECT_EQ(pages.deleted, 0);
    EXPECT_EQ(flow.GetPageCount(), 5);
}

TEST_F(NewDatabaseWizard, AnotherBreedReplacesThePlugInAndEveryPageAfterTheBreedPage) {
    pages.plugInPages = 2;
    ToPageAfterBreed(u"Texel");
    ASSERT_TRUE(flow.Back());
    page1.SelectBreed(u"Suffolk");
    pages.plugInPages = 1;
    ASSERT_TRUE(flow.Next());
    EXPECT_EQ(pages.deleted, 2);
    EXPECT_EQ(page1.GetLoadedBreed(), u"Suffolk");
    EXPECT_EQ(flow.GetPageCount(), 5);  // welcome, breed, one plug-in page, personal, finish
    EXPECT_EQ(flow.GetPage(2), page1.GetPlugInPage(0));
    EXPECT_EQ(flow.GetPage(3), page1.GetPersonalPage());
    EXPECT_EQ(flow.GetPage(4), page1.GetFinishPage());
}

TEST_F(NewDatabaseWizard, ABreedWithoutPagesOfItsOwnGoesStraightToPersonalInformation) {
    ToPageAfterBreed(u"Texel");
    EXPECT_EQ(Active(), IDD_FILENEW_WIZ3);
    EXPECT_EQ(page1.GetPlugInPageCount(), 0);
}

TEST_F(NewDatabaseWizard, APlugInThatCannotBeInitialisedKeepsTheUserOnTheBreedPage) {
    pages.plugInPages = 1;
    ToPageAfterBreed(u"Texel");
    ASSERT_TRUE(flow.Back());
    page1.SelectBreed(u"Nameless");
    EXPECT_FALSE(flow.Next());
    EXPECT_EQ(Active(), IDD_FILENEW_WIZ1);
    ASSERT_EQ(host.MessageIds(), (std::vector<unsigned>{112}));
    EXPECT_EQ(host.Messages()[0].text,
              u"Failed to initialize the Nameless plugin. Please reinstall the Corvalen.");
    EXPECT_EQ(host.Messages()[0].type, MB_OK | MB_ICONSTOP | MB_HELP);
    // The old breed's plug-in and pages are gone; Next on the same breed tries again.
    EXPECT_FALSE(doc.GetBreedPlugIn().IsLoaded());
    EXPECT_EQ(pages.deleted, 1);
    EXPECT_EQ(flow.GetPageCount(), 2);
    EXPECT_FALSE(flow.Next());
    EXPECT_EQ(host.MessageIds(), (std::vector<unsigned>{112, 112}));
    // A breed that does load still can.
    page1.SelectBreed(u"Texel");
    EXPECT_TRUE(flow.Next());
    EXPECT_EQ(Active(), 900u);
}

TEST_F(NewDatabaseWizard, APlugInForAnotherSystemKeepsTheBreedPageForAnotherChoice) {
    pages.plugInPages = 1;
    ASSERT_TRUE(flow.Next());
    page1.SelectBreed(u"Foreign");
    EXPECT_FALSE(flow.Next());
    EXPECT_EQ(host.MessageIds(), (std::vector<unsigned>{182}));
    EXPECT_EQ(Active(), IDD_FILENEW_WIZ1);
    EXPECT_EQ(flow.GetPageCount(), 2);
    EXPECT_FALSE(doc.GetBreedPlugIn().IsLoaded());
    EXPECT_EQ(page1.GetLoadedBreed(), u"");
    // The flock is made with the breed that loads, never bound to the refused one.
    page1.SelectBreed(u"Texel");
    ASSERT_TRUE(flow.Next());
    EXPECT_EQ(Active(), 900u);
    EXPECT_EQ(page1.GetLoadedBreed(), u"Texel");
}

TEST_F(NewDatabaseWizard, CancelUnloadsThePlugInAndDeletesItsPages) {
    pages.plugInPages = 2;
    ToPageAfterBreed(u"Texel");
    ASSERT_TRUE(flow.Cancel());
    bool added = false;
    CNewDocumentServices services;
    services.postAddCommand = [&] { added = true; };
    EXPECT_EQ(CompleteNewDatabaseWizard(doc, page1, flow.GetResult(), services),
              NewDatabaseOutcome::Cancelled);
    EXPECT_FALSE(doc.GetBreedPlugIn().IsLoaded());
    EXPECT_EQ(pages.deleted, 2);
    EXPECT_EQ(flow.GetPageCount(), 2);
    EXPECT_FALSE(added);
    EXPECT_EQ(doc.GetDocString(FARM_BREED), u"");
}

class NewDatabaseFinish : public NewDatabaseWizard {
protected:
    void FinishWith(int choice) {
        ToPageAfterBreed(u"Texel");
        CFileNewWiz3Model* personal = page1.GetPersonalPage();
        personal->m_strAddress = u"Hill Farm\r\nLlan";
        personal->m_strTelephone = u"01234 567";
        personal->m_strFax = u"";
        ASSERT_TRUE(flow.Next());
        page1.GetFinishPage()->CheckRadio(choice);
        ASSERT_TRUE(flow.Finish());
        services.isScanning = [&] { return scanning; };
        services.startScanning = [&] { ++scanStarts; };
        services.runImport = [&] { return ++imports, importSucceeds; };
        services.postAddCommand = [&] { ++adds; };
    }
    CNewDocumentServices services;
    bool scanning = false;
    bool importSucceeds = true;
    int scanStarts = 0, imports = 0, adds = 0;
};

TEST_F(NewDatabaseFinish, ManualEntryStoresTheFarmDetailsAndPostsAdd) {
    FinishWith(CFileNewWiz4Model::CHOICE_MANUAL);
    EXPECT_EQ(CompleteNewDatabaseWizard(doc, page1, flow.GetResult(), services), NewDatabaseOutcome::Created);
    EXPECT_EQ(doc.GetDocString(FARM_BREED), u"Texel");
    EXPECT_EQ(doc.GetDocString(FARM_ADDRESS), u"Hill Farm\r\nLlan");
    EXPECT_EQ(doc.GetDocString(FARM_TELEPHONE), u"01234 567");
    EXPECT_EQ(doc.GetDocString(FARM_FAX), u"");
    EXPECT_EQ(adds, 1);
    EXPECT_EQ(imports, 0);
    EXPECT_EQ(scanStarts, 0);
    // The plug-in stays for the new flock; the wizard's pages are gone.
    EXPECT_TRUE(doc.GetBreedPlugIn().IsLoaded());
    EXPECT_EQ(page1.GetPersonalPage(), nullptr);
    EXPECT_EQ(flow.GetPageCount(), 2);
}

TEST_F(NewDatabaseFinish, AFailedOrCancelledImportKeepsTheNewFlock) {
    FinishWith(CFileNewWiz4Model::CHOICE_LOAD_FILE);
    importSucceeds = false;
    EXPECT_EQ(CompleteNewDatabaseWizard(doc, page1, flow.GetResult(), services),
              NewDatabaseOutcome::ImportFailed);
    EXPECT_EQ(imports, 1);
    EXPECT_EQ(adds, 0);
    EXPECT_EQ(doc.GetDocString(FARM_BREED), u"Texel");
    EXPECT_TRUE(doc.GetBreedPlugIn().IsLoaded());
}

TEST_F(NewDatabaseFinish, AutoscanStartsTheScanOnlyWhenItIsNotRunning) {
    CRegistrySettings::SetDWord(HKEY_LOCAL_MACHINE, u"Settings", u"EID Autoscan", 1);
    FinishWith(CFileNewWiz4Model::CHOICE_LOAD_FILE);
    EXPECT_EQ(CompleteNewDatabaseWizard(doc, page1, flow.GetResult(), services), NewDatabaseOutcome::Created);
    EXPECT_EQ(scanStarts, 1);
    EXPECT_EQ(imports, 1);
}

TEST_F(NewDatabaseFinish, AutoscanLeavesARunningScanAlone) {
    CRegistrySettings::SetDWord(HKEY_LOCAL_MACHINE, u"Settings", u"EID Autoscan", 1);
    FinishWith(CFileNewWiz4Model::CHOICE_MANUAL);
    scanning = true;
    CompleteNewDatabaseWizard(doc, page1, flow.GetResult(), services);
    EXPECT_EQ(scanStarts, 0);
}

}  // namespace
