#include "views/record_view.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/notebook.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "document/command_ids.h"
#include "document/doc_commands.h"
#include "document/sheep_doc.h"
#include "document/windows_collection.h"
#include "platform/automation/slot_call.h"
#include "platform/settings.h"
#include "records/criteria.h"
#include "records/lambing.h"
#include "records/sheep.h"
#include "records/tupping.h"
#include "support/shell_fixture.h"
#include "views/flock_view.h"
#include "views/record_pages.h"
#include "views/sheep_document.h"

namespace {

class RecordViewTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_TRUE(Start());
        // With the "View" setting unset a flock opens in the record view.
        doc = dynamic_cast<CSheepDocument*>(App().CreateUntitledDocument(true));
        ASSERT_NE(doc, nullptr);
        view = dynamic_cast<CSheepView*>(doc->GetFirstView());
        ASSERT_NE(view, nullptr);
        for (const char16_t* tattoo : {u"A100", u"B200", u"C300", u"D400"}) {
            auto* sheep = new CSheep(tattoo, SEX_EWE, &core());
            ASSERT_GE(core().AddSheep(sheep, false), 0);
        }
        // These animals have no events, so only the whole flock lists them.
        core().GetExtractionCriteria().m_nType = CRITERIA_ALL;
        core().SetModifiedFlag(false);
        core().SelectSheepAt(0, true, false, nullptr);
        Pump();
    }
    void TearDown() override {
        for (wxObject* open : App().GetDocManager()->GetDocuments())
            static_cast<wxDocument*>(open)->Modify(false);
        ShellTest::TearDown();
    }

    CSheepDoc& core() { return doc->GetCore(); }
    CSheepViewGeneralTab* general() {
        return static_cast<CSheepViewGeneralTab*>(view->GetPage(PAGE_GENERAL));
    }
    // Typing into a control: the text changes and the control reports it, as the keyboard does.
    static void Type(wxTextCtrl* edit, const wxString& text) {
        edit->SetValue(text);
        Pump();
    }
    void Command(int command) {
        wxCommandEvent event(wxEVT_MENU, WxCommandId(command));
        event.SetEventObject(Frame());
        Frame()->ProcessWindowEvent(event);
        Pump();
    }
    std::vector<wxString> TabCaptions() {
        std::vector<wxString> captions;
        for (size_t i = 0; i < view->GetSheet()->GetPageCount(); ++i)
            captions.push_back(view->GetSheet()->GetPageText(i));
        return captions;
    }

    CSheepDocument* doc = nullptr;
    CSheepView* view = nullptr;
};

}  // namespace

TEST_F(RecordViewTest, OpensOnTheCurrentAnimalWithItsCaptionAndBar) {
    EXPECT_EQ(view->GetFrame()->GetLabel(), doc->GetUserReadableName() + " : Record View");
    EXPECT_EQ(Frame()->GetContextBarKind(), 0);
    EXPECT_EQ(TabCaptions(),
              (std::vector<wxString>{"General", "Charts", "History", "Picture", "Signet", "Genetics"}));
    EXPECT_EQ(general()->GetTattooEdit()->GetValue(), "A100");
    EXPECT_FALSE(general()->GetTattooEdit()->IsEditable());
}

// The edit is written when the view moves, by the menu as by the bar, and every other view follows.
TEST_F(RecordViewTest, AnEditIsWrittenBeforeTheMoveAndTheFlockListShowsIt) {
    ASSERT_TRUE(Frame()->SwitchView(wxCLASSINFO(CFlockView)));
    auto* list = dynamic_cast<CFlockView*>(doc->GetViewsVector().back());
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(Frame()->SwitchView(wxCLASSINFO(CSheepView)));
    EXPECT_EQ(Frame()->GetContextBarKind(), 0);

    Type(general()->GetNameEdit(), "Mabel");
    EXPECT_TRUE(core().IsModified());
    Command(ID_SHEEP_NEXT);
    CSheep* first = core().GetSheepAt(0);
    EXPECT_EQ(first->GetName(), u"Mabel");
    EXPECT_EQ(first->GetEdited().GetStatus(), COleDateTime::valid);
    EXPECT_EQ(core().GetCurrentIndex(), 1);
    EXPECT_EQ(general()->GetTattooEdit()->GetValue(), "B200");
    EXPECT_EQ(general()->GetNameEdit()->GetValue(), "");

    int nameColumn = -1;
    for (int i = 0; i < list->GetColumnCount(); ++i)
        if (list->GetColumnKind(i) == SF_NAME) nameColumn = i;
    ASSERT_GE(nameColumn, 0);
    const long row = list->FindRow(first);
    ASSERT_GE(row, 0);
    EXPECT_EQ(list->GetItemText(row, nameColumn), u"Mabel");
}

// A pending edit outlives what a script or another view does to the document meanwhile.
TEST_F(RecordViewTest, APendingEditSurvivesAMoveMadeFromOutside) {
    core().SelectSheepAt(2, true, false, nullptr);
    Pump();
    Type(general()->GetNameEdit(), "Clover");
    // A script deletes an animal before the one shown: the document's indexes shift under the view.
    {
        COleDispatchDriver document(core().GetIDispatch(true));
        COleVariant collection = document.Get(u"Records");
        COleDispatchDriver records(collection.pdispVal, false);
        records.Call(u"Delete", {COleVariant(SHORT(0))});
    }
    Pump();
    CSheep* clover = core().FindSheep(u"C300");
    ASSERT_NE(clover, nullptr);
    EXPECT_EQ(clover->GetName(), u"Clover");
    // Deleting selects the animal before the one deleted, here the new first one.
    EXPECT_EQ(general()->GetTattooEdit()->GetValue(), "B200");

    // Another view makes another animal current: the edit goes to the animal it was typed for.
    core().SelectSheep(u"C300", true, true, nullptr);
    Pump();
    Type(general()->GetNameEdit(), "Clover II");
    core().SelectSheep(u"D400", true, true, nullptr);
    Pump();
    EXPECT_EQ(clover->GetName(), u"Clover II");
    EXPECT_EQ(core().FindSheep(u"D400")->GetName(), u"");
    EXPECT_EQ(general()->GetTattooEdit()->GetValue(), "D400");
}

// An EID another animal wears is refused: the old one comes back and the next move stays, once.
TEST_F(RecordViewTest, ARefusedEidStopsTheNextMoveOnly) {
    CSheep* other = core().GetSheepAt(3);
    const uint64_t taken = 982000123456789;
    other->SetElectronicID(taken);
    Type(general()->GetNameEdit(), "");
    wxTextCtrl* eid = dynamic_cast<wxTextCtrl*>(general()->FindWindow(IDC_GENERAL_EID));
    ASSERT_NE(eid, nullptr);
    Type(eid, "982000123456789");
    Command(ID_SHEEP_NEXT);
    EXPECT_EQ(host.MessageIds(), (std::vector<unsigned>{40}));
    EXPECT_EQ(core().GetCurrentIndex(), 0);
    EXPECT_EQ(core().GetSheepAt(0)->GetElectronicID(), 0u);
    EXPECT_EQ(eid->GetValue(), "");
    Command(ID_SHEEP_NEXT);
    EXPECT_EQ(core().GetCurrentIndex(), 1);

    // Digits that overflow, or anything but digits, never reach the animal.
    host.Clear();
    Type(eid, "99999999999999999999");
    Command(ID_SHEEP_PREVIOUS);
    EXPECT_EQ(host.Messages().size(), 1u);
    EXPECT_EQ(core().GetCurrentIndex(), 1);
    EXPECT_EQ(core().GetSheepAt(1)->GetElectronicID(), 0u);

    // A good one is stored and shown in sixteen digits.
    Type(eid, "256");
    Command(ID_SHEEP_PREVIOUS);
    EXPECT_EQ(core().GetSheepAt(1)->GetElectronicID(), 256u);
    Command(ID_SHEEP_NEXT);
    EXPECT_EQ(eid->GetValue(), "0000000000000256");
}

TEST_F(RecordViewTest, LambingAndTuppingPagesFollowTheAnimal) {
    // Pages this build does not have yet never appear, whatever the animal holds.
    core().GetSheepAt(1)->AddLambingRecord(CRefPtr<CEweLambingData>::Adopt(new CEweLambingData));
    Command(ID_SHEEP_NEXT);
    const std::vector<RecordPageId> tabs = view->GetTabs();
    const bool hasLambingPage = view->GetPage(PAGE_LAMBING) != nullptr;
    EXPECT_EQ(std::count(tabs.begin(), tabs.end(), PAGE_LAMBING), hasLambingPage ? 1 : 0);
    Command(ID_SHEEP_NEXT);
    const std::vector<RecordPageId> after = view->GetTabs();
    EXPECT_EQ(std::count(after.begin(), after.end(), PAGE_LAMBING), 0);
    EXPECT_EQ(after.front(), PAGE_GENERAL);
}

TEST_F(RecordViewTest, GenotypeAndFlagsAreStampedAndAnnounced) {
    ASSERT_TRUE(view->ActivatePage(PAGE_GENETICS));
    auto* genetics = static_cast<CSheepViewGeneticsTab*>(view->GetPage(PAGE_GENETICS));
    genetics->ShowSheep(core().GetCurrentSheep());
    EXPECT_EQ(genetics->GetFirstAllele()->GetSelection(), 0);
    const auto choose = [](wxChoice* list, int item) {
        list->SetSelection(item);
        wxCommandEvent event(wxEVT_CHOICE, list->GetId());
        event.SetEventObject(list);
        event.SetInt(item);
        list->ProcessWindowEvent(event);
        Pump();
    };
    // The first allele alone holds the animal once, with no message.
    choose(genetics->GetFirstAllele(), 1);
    Command(ID_SHEEP_NEXT);
    EXPECT_EQ(core().GetCurrentIndex(), 0);
    EXPECT_TRUE(host.Messages().empty());
    choose(genetics->GetSecondAllele(), 4);
    Command(ID_SHEEP_NEXT);
    EXPECT_EQ(core().GetSheepAt(0)->GetGeneticScrapie(), 0x0C);
    EXPECT_EQ(core().GetSheepAt(0)->GetEdited().GetStatus(), COleDateTime::valid);
    EXPECT_EQ(core().GetCurrentIndex(), 1);
    Command(ID_SHEEP_PREVIOUS);
    EXPECT_EQ(genetics->GetFirstAllele()->GetSelection(), 1);
    EXPECT_EQ(genetics->GetSecondAllele()->GetSelection(), 4);
}

TEST_F(RecordViewTest, GotoButtonsShowOrCreateTheParent) {
    Type(dynamic_cast<wxTextCtrl*>(general()->FindWindow(IDC_GENERAL_DAM)), "Z900");
    host.Reply(1017, IDYES);
    host.Reply(114, IDYES);
    general()->OnGotoDam();
    Pump();
    // The dam typed was written to the animal before the view moved to the new dam.
    EXPECT_EQ(core().FindSheep(u"A100")->GetDam(), u"Z900");
    CSheep* dam = core().GetCurrentSheep();
    ASSERT_NE(dam, nullptr);
    EXPECT_EQ(dam->GetTattoo(), u"Z900");
    EXPECT_EQ(dam->GetSex(), SEX_EWE);
    EXPECT_EQ(general()->GetTattooEdit()->GetValue(), "Z900");
}

TEST_F(RecordViewTest, DeleteAndCopyNeedAnAnimalShown) {
    core().SelectSheepAt(-1, true, false, nullptr);
    Pump();
    EXPECT_FALSE(view->CanActOnSheep());
    view->OnDelete();  // nothing to delete, nothing asked
    EXPECT_EQ(core().GetSheepCount(), 4);
    EXPECT_TRUE(view->BuildClipboardBlock().empty());
    // Previous from no animal goes to the last.
    Command(ID_SHEEP_PREVIOUS);
    EXPECT_EQ(core().GetCurrentIndex(), 3);

    // Copy of one animal: the title, a count of 1 and the animal.
    const std::vector<uint8_t> block = view->BuildClipboardBlock();
    EXPECT_EQ(block, BuildSheepBlock(core().GetTitle(), {core().GetSheepAt(3)}));
    host.Reply(1020, IDYES);
    Command(ID_EDIT_DELETE_RECORDS);
    EXPECT_EQ(core().GetSheepCount(), 3);
    EXPECT_EQ(general()->GetTattooEdit()->GetValue(), "C300");
}

TEST_F(RecordViewTest, EnterOnAFlockRowOpensTheRecordView) {
    CRegistrySettings::SetString(HKEY_CURRENT_USER, u"Settings", u"View", u"Flock");
    ASSERT_TRUE(Frame()->SwitchView(wxCLASSINFO(CFlockView)));
    Pump();
    auto* list = dynamic_cast<CFlockView*>(doc->GetViewsVector().back());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(Frame()->GetContextBarKind(), 1);
    const long row = list->FindRow(core().FindSheep(u"C300"));
    ASSERT_GE(row, 0);
    wxListEvent activate(wxEVT_LIST_ITEM_ACTIVATED, list->GetListCtrl()->GetId());
    activate.SetEventObject(list->GetListCtrl());
    activate.m_itemIndex = row;
    list->GetListCtrl()->ProcessWindowEvent(activate);
    Pump();
    EXPECT_EQ(App().GetDocManager()->GetCurrentView(), view);
    EXPECT_EQ(general()->GetTattooEdit()->GetValue(), "C300");
    EXPECT_EQ(Frame()->GetContextBarKind(), 0);
}

TEST_F(RecordViewTest, ScriptsReachTheWindowThroughTheDocumentsWindows) {
    COleDispatchDriver document(core().GetIDispatch(true));
    COleVariant windows = document.Get(u"Windows");
    COleDispatchDriver collection(windows.pdispVal, false);
    EXPECT_EQ(collection.Get(u"Count").lVal, 1);
    COleVariant first = collection.Call(u"Item", {COleVariant(LONG(1))});
    EXPECT_EQ(CCmdTarget::FromIDispatch(first.pdispVal), view->GetAutomation());
    IWindow* window = QueryInterfaceAs<IWindow>(first.pdispVal, IID_IWindow);
    ASSERT_NE(window, nullptr);
    LONG value = 0;
    EXPECT_EQ(window->get_WindowState(&value), S_OK);
    EXPECT_EQ(value, 2);
    EXPECT_EQ(window->get_Index(&value), S_OK);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(window->get_Top(&value), E_FAIL);
    IDispatch* application = nullptr;
    ASSERT_EQ(window->get_Application(&application), S_OK);
    ASSERT_NE(application, nullptr);
    application->Release();
    IDispatch* setup = nullptr;
    ASSERT_EQ(window->get_PageSetup(&setup), S_OK);
    EXPECT_NE(setup, nullptr);
    setup->Release();
    window->Release();
}

TEST_F(RecordViewTest, TheApplicationsActiveWindowAndWindowsAreTheRecordView) {
    COleDispatchDriver app(AfxOleGetApplicationDispatch());
    ASSERT_NE(app.m_lpDispatch, nullptr);
    COleVariant active = app.Get(u"ActiveWindow");
    EXPECT_EQ(CCmdTarget::FromIDispatch(active.pdispVal), view->GetAutomation());
    COleVariant windows = app.Get(u"Windows");
    COleDispatchDriver collection(windows.pdispVal, false);
    EXPECT_EQ(collection.Get(u"Count").lVal, 1);
    // The flock list is no automation object: it is active, so no window is.
    ASSERT_TRUE(Frame()->SwitchView(wxCLASSINFO(CFlockView)));
    Pump();
    EXPECT_EQ(app.Get(u"ActiveWindow").pdispVal, nullptr);
    EXPECT_EQ(collection.Get(u"Count").lVal, 1);
}

TEST_F(RecordViewTest, SignetFiguresAreCheckedStampedAndShown) {
    ASSERT_TRUE(view->ActivatePage(PAGE_SIGNET));
    auto* signet = static_cast<CSheepViewSignetTab*>(view->GetPage(PAGE_SIGNET));
    signet->ShowSheep(core().GetCurrentSheep());
    wxTextCtrl* lean = signet->GetFigureEdit(16);
    EXPECT_TRUE(lean->IsEnabled());
    // A text that is no number is refused with its message, and the animal stays once.
    Type(lean, "abc");
    Command(ID_SHEEP_NEXT);
    EXPECT_EQ(host.MessageIds(), (std::vector<unsigned>{156}));
    EXPECT_EQ(core().GetCurrentIndex(), 0);
    EXPECT_EQ(lean->GetValue(), "");
    Type(lean, "12.5");
    Command(ID_SHEEP_NEXT);
    EXPECT_EQ(core().GetSheepAt(0)->GetFigure(FIG_LEAN_INDEX), 12.5);
    EXPECT_EQ(core().GetCurrentIndex(), 1);
    Command(ID_SHEEP_PREVIOUS);
    EXPECT_EQ(lean->GetValue(), "12.50");
    // No class averages and not born on the farm: neither the label nor the button shows.
    EXPECT_FALSE(signet->GetAverageLabel()->IsShown());
    EXPECT_FALSE(signet->GetEnterAveragesButton()->IsShown());
}

TEST_F(RecordViewTest, TheGeneralPageShowsOnlyTheDatesAndFlagsThereAre) {
    CSheep* sheep = core().GetSheepAt(0);
    COleDateTime born;
    born.SetDate(2024, 3, 1);
    sheep->SetFieldValue(SF_DATE_OF_BIRTH, &born);
    const int32_t died = DEPART_DIED;
    sheep->SetFieldValue(SF_DEPART_REASON, &died);
    general()->ShowSheep(sheep);
    const auto shown = [this](int id) { return general()->FindWindow(id)->IsShown(); };
    EXPECT_TRUE(shown(IDC_GENERAL_BIRTH));
    EXPECT_FALSE(shown(IDC_GENERAL_PURCHASE));
    EXPECT_FALSE(shown(IDC_GENERAL_PURCHASE_LABEL));
    EXPECT_TRUE(shown(IDC_GENERAL_DEPART));
    EXPECT_EQ(general()->FindWindow(IDC_GENERAL_DEPART_LABEL)->GetLabel(), "Died:");
    // The dates are shown, never edited here.
    EXPECT_FALSE(dynamic_cast<wxTextCtrl*>(general()->FindWindow(IDC_GENERAL_BIRTH))->IsEditable());
    // Without a breed plug-in no flag has a name, so no box shows.
    for (int box = 0; box < 4; ++box) EXPECT_FALSE(general()->GetFlagBox(box)->IsShown()) << box;

    // No animal: every editing control is disabled.
    general()->ShowSheep(nullptr);
    EXPECT_FALSE(general()->GetNameEdit()->IsEnabled());
    EXPECT_FALSE(general()->FindWindow(IDC_GENERAL_EID)->IsEnabled());
    EXPECT_FALSE(shown(IDC_GENERAL_DEPART));
    EXPECT_TRUE(general()->GetTattooEdit()->IsEditable());
}
