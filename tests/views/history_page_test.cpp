// The record view's History page and the New Event dialog in the running program.
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/clipbrd.h>
#include <wx/combobox.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/radiobut.h>
#include <wx/statbox.h>
#include <wx/textctrl.h>

#include "document/command_ids.h"
#include "document/doc_commands.h"
#include "document/sheep_doc.h"
#include "document/ui/address_dialogs.h"
#include "document/ui/multi_event_pages.h"
#include "document/ui/new_event_dlg.h"
#include "document/ui/wx_strings.h"
#include "platform/settings.h"
#include "records/address.h"
#include "records/criteria.h"
#include "records/event.h"
#include "records/sheep.h"
#include "shell/main_menus.h"
#include "support/modal_script.h"
#include "support/shell_fixture.h"
#include "views/event_list_box.h"
#include "views/flock_view.h"
#include "views/record_pages.h"
#include "views/record_view.h"
#include "views/sheep_document.h"

namespace {

constexpr const char16_t* kBreed = u"General Sheep";

COleDateTime March(int day) {
    return COleDateTime(2024, 3, day, 0, 0, 0);
}

class HistoryPageTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_TRUE(Start());
        CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Breeds", kBreed, Utf8ToW(CVL_GENERAL_BREED));
        CRegistrySettings::SetString(HKEY_CURRENT_USER, u"Settings", u"Unit", u"lb");
        CRegistrySettings::SetDWord(HKEY_CURRENT_USER, u"Settings", u"Sort Order", 1);
        doc = dynamic_cast<CSheepDocument*>(App().CreateUntitledDocument(true));
        ASSERT_NE(doc, nullptr);
        core().SetAttribute(FARM_BREED, kBreed);
        ASSERT_EQ(core().LoadBreedPlugIn(kBreed, true), BREED_LOADED);
        view = dynamic_cast<CSheepView*>(doc->GetFirstView());
        ASSERT_NE(view, nullptr);
        for (const char16_t* tattoo : {u"A100", u"B200", u"C300"})
            ASSERT_GE(core().AddSheep(new CSheep(tattoo, SEX_EWE, &core()), false), 0);
        Give(u"A100", 1, 12, u"Wormer", u"10ml");  // Dosed
        Give(u"A100", 5, 14);                      // Shorn
        core().SetModifiedFlag(false);
        core().SelectSheepAt(0, true, false, nullptr);
        Pump();
        ASSERT_TRUE(view->ActivatePage(PAGE_HISTORY));
        page()->OnPageActivated();
        Pump();
    }
    void TearDown() override {
        for (wxObject* open : App().GetDocManager()->GetDocuments())
            static_cast<wxDocument*>(open)->Modify(false);
        ShellTest::TearDown();
    }
    void Give(const char16_t* tattoo, int day, uint32_t code, const char16_t* p1 = nullptr,
              const char16_t* p2 = nullptr) {
        core().FindSheep(tattoo)->AddEvent(new CEvent(March(day), code, p1, p2), false);
    }
    CSheepDoc& core() { return doc->GetCore(); }
    CSheepViewEventTab* page() { return static_cast<CSheepViewEventTab*>(view->GetPage(PAGE_HISTORY)); }
    CEventListBox* list() { return page()->GetEventList(); }
    std::vector<uint32_t> Codes(const CSheep* sheep) {
        std::vector<uint32_t> codes;
        for (int i = 0; i < sheep->GetEventCount(); ++i) codes.push_back(sheep->GetEventAt(i)->GetCode());
        return codes;
    }
    std::vector<uint32_t> ListedCodes() {
        std::vector<uint32_t> codes;
        for (int i = 0; i < list()->GetList().GetCount(); ++i)
            codes.push_back(list()->GetList().GetAt(i)->GetCode());
        return codes;
    }
    void Command(int command) {
        wxCommandEvent event(wxEVT_MENU, WxCommandId(command));
        event.SetEventObject(Frame());
        Frame()->ProcessWindowEvent(event);
        Pump();
    }
    // The New Event dialog answered: the event of that code chosen, parameter 1 typed, then OK.
    static std::function<int(wxDialog&)> Enter(uint32_t code, const wxString& first) {
        return [code, first](wxDialog& dialog) {
            auto& events = dynamic_cast<CNewEventDlg&>(dialog);
            const auto& items = events.GetModel().GetEvents();
            for (size_t i = 0; i < items.size(); ++i)
                if (items[i].second == code) events.ChooseEvent(int(i));
            events.GetParameterEdit(0)->SetValue(first);
            events.PressOk();
            return events.GetReturnCode() == wxID_OK ? int(wxID_OK) : int(wxID_CANCEL);
        };
    }

    // The flock list of every animal, switched to.
    CFlockView* OpenFlockList() {
        core().GetExtractionCriteria().m_nType = CRITERIA_ALL;
        EXPECT_TRUE(Frame()->SwitchView(wxCLASSINFO(CFlockView)));
        auto* flock = dynamic_cast<CFlockView*>(doc->GetViewsVector().back());
        if (flock) flock->FillList();
        Pump();
        return flock;
    }

    CSheepDocument* doc = nullptr;
    CSheepView* view = nullptr;
};

}  // namespace

TEST_F(HistoryPageTest, ShowsTheAnimalsEventsNewestFirstWithEditAndDeleteByTheSelection) {
    EXPECT_EQ(ListedCodes(), (std::vector<uint32_t>{14, 12}));
    EXPECT_TRUE(list()->IsShown());
    EXPECT_TRUE(page()->GetButton(EVENT_BUTTON_ADD)->IsEnabled());
    EXPECT_FALSE(page()->GetButton(EVENT_BUTTON_EDIT)->IsEnabled());
    EXPECT_FALSE(page()->GetButton(EVENT_BUTTON_DELETE)->IsEnabled());
    list()->SelectOnly(1);
    list()->UpdateButtons();
    EXPECT_TRUE(page()->GetButton(EVENT_BUTTON_EDIT)->IsEnabled());
    EXPECT_TRUE(page()->GetButton(EVENT_BUTTON_DELETE)->IsEnabled());

    wxMenu menu;
    list()->FillContextMenu(menu);
    EXPECT_TRUE(menu.IsEnabled(WxCommandId(ID_EVENT_EDIT)));
    EXPECT_EQ(menu.GetLabelText(WxCommandId(ID_EVENT_SORT)), "Sort Descending");

    // An animal without events: an empty list and nothing to edit.
    Command(ID_SHEEP_NEXT);
    EXPECT_EQ(list()->GetList().GetCount(), 0);
    EXPECT_FALSE(page()->GetButton(EVENT_BUTTON_EDIT)->IsEnabled());
    EXPECT_FALSE(page()->GetButton(EVENT_BUTTON_DELETE)->IsEnabled());
}

TEST_F(HistoryPageTest, AnEventAddedThroughTheDialogIsStoredInTheProgramsUnitWhenTheViewMoves) {
    {
        ModalScript script({Enter(4, "10")});
        ASSERT_TRUE(list()->DoButton(EVENT_BUTTON_ADD));
    }
    EXPECT_EQ(ListedCodes(), (std::vector<uint32_t>{4, 14, 12}));  // today's weighing first
    EXPECT_TRUE(core().IsModified());
    Command(ID_SHEEP_NEXT);
    CSheep* ewe = core().FindSheep(u"A100");
    ASSERT_EQ(Codes(ewe), (std::vector<uint32_t>{12, 14, 4}));
    EXPECT_EQ(ewe->GetEventAt(2)->GetParameters()[0], u"21.2");
    EXPECT_EQ(ewe->GetEventAt(2)->GetOwner(), ewe);
}

TEST_F(HistoryPageTest, TheDialogRefusesAWeightThatIsNotANumberAndStaysOpen) {
    ModalScript script({[](wxDialog& dialog) {
        auto& events = dynamic_cast<CNewEventDlg&>(dialog);
        EXPECT_FALSE(events.GetOkButton()->IsEnabled());
        const auto& items = events.GetModel().GetEvents();
        for (size_t i = 0; i < items.size(); ++i)
            if (items[i].second == 4) events.ChooseEvent(int(i));
        EXPECT_TRUE(events.GetOkButton()->IsEnabled());
        EXPECT_TRUE(events.GetUnitButton(true)->IsShown());
        EXPECT_FALSE(events.GetBrowseButton()->IsShown());
        EXPECT_FALSE(events.GetParameterEdit(1)->IsShown());
        events.GetParameterEdit(0)->SetValue("ten");
        events.PressOk();
        EXPECT_NE(events.GetReturnCode(), wxID_OK);
        events.GetParameterEdit(0)->SetValue("10");
        events.ClickUnit(false);
        EXPECT_EQ(events.GetParameterEdit(0)->GetValue(), "21.20");
        return int(wxID_CANCEL);
    }});
    list()->OnAdd();
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_EQ(list()->GetList().GetCount(), 2);
    EXPECT_FALSE(core().IsModified());
}

TEST_F(HistoryPageTest, EditsInTheListAreWrittenBeforeTheViewMovesByAnyRoute) {
    // Delete the dosing, then another view makes B200 current.
    list()->SelectOnly(1);
    host.Reply(IDS_DELETE_EVENT, IDYES);
    list()->OnDelete();
    EXPECT_EQ(ListedCodes(), std::vector<uint32_t>{14});
    core().SelectSheepAt(1, true, true, nullptr);
    Pump();
    EXPECT_EQ(Codes(core().FindSheep(u"A100")), std::vector<uint32_t>{14});
    EXPECT_EQ(Codes(core().FindSheep(u"B200")), std::vector<uint32_t>{});

    // The list shows A100 again; a script adds an event meanwhile; then a list edit and a move.
    ASSERT_TRUE(view->MoveToSheep(0));
    Pump();
    ASSERT_EQ(core().GetCurrentIndex(), 0);
    Give(u"A100", 9, 14);
    list()->SelectOnly(0);
    host.Reply(IDS_DELETE_EVENT, IDYES);
    list()->OnDelete();
    Command(ID_SHEEP_LAST);
    EXPECT_EQ(Codes(core().FindSheep(u"A100")), std::vector<uint32_t>{14});  // the script's event stays
    EXPECT_EQ(core().FindSheep(u"A100")->GetEventAt(0)->GetDate(), March(9));
}

TEST_F(HistoryPageTest, DeletingASystemEventAsksTheSystemQuestion) {
    Give(u"A100", 7, 5, u"Red", u"12");  // Tagged
    core().SelectSheepAt(0, true, false, nullptr);
    Pump();
    ASSERT_EQ(ListedCodes().front(), 5u);
    list()->SelectOnly(0);
    host.Reply(IDS_DELETE_SYSTEM_EVENT, IDNO);
    list()->OnDelete();
    EXPECT_EQ(list()->GetList().GetCount(), 3);
}

TEST_F(HistoryPageTest, CopiedEventsPasteIntoAnotherAnimal) {
    list()->SelectAll();
    list()->OnCopy();
    Command(ID_SHEEP_NEXT);
    ASSERT_EQ(core().GetCurrentIndex(), 1);
    list()->OnPaste();
    EXPECT_EQ(ListedCodes(), (std::vector<uint32_t>{14, 12}));
    Command(ID_SHEEP_NEXT);
    CSheep* b = core().FindSheep(u"B200");
    ASSERT_EQ(Codes(b), (std::vector<uint32_t>{12, 14}));
    EXPECT_EQ(b->GetEventAt(0)->GetOwner(), b);
    EXPECT_EQ(b->GetEventAt(0)->GetParameters(), (std::vector<WString>{u"Wormer", u"10ml"}));
    EXPECT_EQ(Codes(core().FindSheep(u"A100")), (std::vector<uint32_t>{12, 14}));
}

TEST_F(HistoryPageTest, SortFlipsTheOrderAndMirrorsTheSelection) {
    list()->SelectOnly(0);
    list()->OnSort();
    EXPECT_EQ(ListedCodes(), (std::vector<uint32_t>{12, 14}));
    EXPECT_EQ(list()->GetSelectedItems(), std::vector<int>{1});
    EXPECT_EQ(CRegistrySettings::GetDWord(HKEY_CURRENT_USER, u"Settings", u"Sort Order", 1), 0u);
}

// Thirty ewes dosed at once in the field: the wizard from the flock list's selection, the event on each
// animal's History page and in the saved file.
TEST_F(HistoryPageTest, OneDosingForTheSelectedAnimalsReachesEachHistoryAndTheFile) {
    CFlockView* flock = OpenFlockList();
    ASSERT_NE(flock, nullptr);
    std::vector<long> rows;
    for (long row = 0; row < flock->GetListCtrl()->GetItemCount(); ++row) {
        const WString tattoo = flock->GetRowSheep(row)->GetTattoo();
        if (tattoo == u"A100" || tattoo == u"C300") {
            flock->GetListCtrl()->SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
            rows.push_back(row);
        }
    }
    ASSERT_EQ(rows.size(), 2u);
    {
        ModalScript script({[](wxDialog& dialog) {
            auto& sheet = dynamic_cast<CCvlPropertySheet&>(dialog);
            CSheetFlow& flow = sheet.GetFlow();
            sheet.PressNext();
            auto* select = dynamic_cast<CMultiEventWizard1Wnd*>(flow.GetActivePage());
            EXPECT_NE(select, nullptr);
            if (!select) return int(wxID_CANCEL);
            EXPECT_EQ(select->GetList()->GetItemCount(), 2);
            sheet.PressNext();
            auto* choose = dynamic_cast<CMultiEventWizard2Wnd*>(flow.GetActivePage());
            EXPECT_TRUE(choose && choose->ChooseCode(12));
            sheet.PressNext();
            auto* details = dynamic_cast<CMultiEventWizard3Wnd*>(flow.GetActivePage());
            EXPECT_NE(details, nullptr);
            if (!details) return int(wxID_CANCEL);
            EXPECT_TRUE(details->GetParameterBox(1)->IsShown());
            EXPECT_FALSE(details->GetParameterBox(2)->IsShown());
            details->GetParameterBox(0)->SetValue("Wormer");
            details->GetParameterBox(1)->SetValue("5ml");
            sheet.PressNext();
            EXPECT_EQ(flow.GetActivePage()->GetTemplateId(), IDD_MULTI_EVENT_WIZ5);
            sheet.PressFinish();
            return int(wxID_OK);
        }});
        wxCommandEvent command(wxEVT_MENU, WxCommandId(ID_MULTIPLE_DATA_ENTRY));
        flock->ProcessEvent(command);
        Pump();
    }
    EXPECT_TRUE(core().IsModified());
    EXPECT_EQ(core().FindSheep(u"B200")->GetEventCount(), 0);

    ASSERT_TRUE(Frame()->SwitchView(wxCLASSINFO(CSheepView)));
    for (int index : {0, 2}) {
        ASSERT_TRUE(view->MoveToSheep(index));
        ASSERT_TRUE(view->ActivatePage(PAGE_HISTORY));
        page()->OnPageActivated();
        Pump();
        bool found = false;
        for (int i = 0; i < list()->GetList().GetCount(); ++i) {
            const CEvent* event = list()->GetList().GetAt(i);
            if (event->GetCode() == 12 &&
                event->GetParameters() == std::vector<WString>{u"Wormer", u"5ml", u""})
                found = true;
        }
        EXPECT_TRUE(found) << index;
    }

    const std::string path = (folders.Root() / "dosed.cvl").string();
    ASSERT_TRUE(core().OnSaveDocument(path));
    CRefPtr<CSheepDoc> saved = CRefPtr<CSheepDoc>::Adopt(new CSheepDoc);
    ASSERT_TRUE(saved->OnOpenDocument(path));
    for (const char16_t* tattoo : {u"A100", u"C300"}) {
        CSheep* sheep = saved->FindSheep(tattoo);
        ASSERT_NE(sheep, nullptr);
        int dosings = 0;
        for (int i = 0; i < sheep->GetEventCount(); ++i)
            if (sheep->GetEventAt(i)->GetCode() == 12 && sheep->GetEventAt(i)->GetParameter(0) == u"Wormer")
                ++dosings;
        EXPECT_EQ(dosings, tattoo == WString(u"A100") ? 2 : 1);  // A100 was dosed once before
    }
    saved->OnCloseDocument();
}

TEST_F(HistoryPageTest, MultipleDataEntryInTheMainMenuIsLiveOnlyForAFlockListSelection) {
    wxMenuBar* bar = Frame()->GetMenuBar();
    ASSERT_NE(bar->GetMenu(MENU_SHEEP)->FindItem(WxCommandId(ID_MULTIPLE_DATA_ENTRY)), nullptr);
    auto enabled = [this] {
        wxUpdateUIEvent event(WxCommandId(ID_MULTIPLE_DATA_ENTRY));
        event.SetEventObject(Frame());
        Frame()->ProcessWindowEvent(event);
        return event.GetSetEnabled() && event.GetEnabled();
    };
    EXPECT_FALSE(enabled()) << "the record view has no selection of animals";

    CFlockView* flock = OpenFlockList();
    ASSERT_NE(flock, nullptr);
    for (long row = 0; row < flock->GetListCtrl()->GetItemCount(); ++row)
        flock->GetListCtrl()->SetItemState(row, 0, wxLIST_STATE_SELECTED);
    EXPECT_FALSE(enabled()) << "no row selected";
    flock->GetListCtrl()->SetItemState(1, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    EXPECT_TRUE(enabled());
    {
        ModalScript script({[](wxDialog& dialog) {
            auto& sheet = dynamic_cast<CCvlPropertySheet&>(dialog);
            sheet.PressNext();
            auto* select = dynamic_cast<CMultiEventWizard1Wnd*>(sheet.GetFlow().GetActivePage());
            EXPECT_NE(select, nullptr);
            if (select) {
                EXPECT_EQ(select->GetList()->GetItemCount(), 1);
            }
            sheet.PressCancel();
            return int(wxID_CANCEL);
        }});
        wxCommandEvent command(wxEVT_MENU, WxCommandId(ID_MULTIPLE_DATA_ENTRY));
        command.SetEventObject(Frame());
        Frame()->ProcessWindowEvent(command);
        Pump();
    }
}

// A weighing per animal typed into the wizard's grid from the keyboard, in pounds.
TEST_F(HistoryPageTest, WeightsTypedIntoTheGridAreStoredPerAnimal) {
    {
        ModalScript script({[](wxDialog& dialog) {
            auto& sheet = dynamic_cast<CCvlPropertySheet&>(dialog);
            CSheetFlow& flow = sheet.GetFlow();
            sheet.PressNext();
            sheet.PressNext();
            auto* choose = dynamic_cast<CMultiEventWizard2Wnd*>(flow.GetActivePage());
            EXPECT_TRUE(choose && choose->ChooseCode(4));
            sheet.PressNext();
            auto* grid = dynamic_cast<CMultiEventWizard4Wnd*>(flow.GetActivePage());
            EXPECT_NE(grid, nullptr);
            if (!grid) return int(wxID_CANCEL);
            CEditListCtrl* list = grid->GetGrid();
            EXPECT_EQ(list->GetItemCount(), 3);
            EXPECT_EQ(list->GetColumnCount(), 4);
            // Each weight typed and entered before the event loop runs again: another window taking
            // the display's focus meanwhile would end an edit early (storing what it holds then).
            const char* weights[] = {"10", "20", "30"};
            for (int row = 0; row < 3; ++row) {
                CInPlaceEdit* edit = list->BeginCellEdit(row, 3);
                EXPECT_NE(edit, nullptr);
                if (!edit) return int(wxID_CANCEL);
                edit->SetValue(weights[row]);
                edit->HandleKey(CellKey::Enter);
                EXPECT_EQ(list->GetItemText(row, 3), weights[row]);
            }
            if (CInPlaceEdit* open = list->GetActiveEdit()) open->Cancel();
            Pump();
            EXPECT_EQ(list->GetItemText(2, 3), "30");
            sheet.PressNext();
            sheet.PressFinish();
            return int(wxID_OK);
        }});
        core().RunMultiEventWizard({u"A100", u"B200", u"C300"}, -1);
        Pump();
    }
    const char16_t* stored[] = {u"21.2", u"42.4", u"63.6"};
    int i = 0;
    for (const char16_t* tattoo : {u"A100", u"B200", u"C300"}) {
        CSheep* sheep = core().FindSheep(tattoo);
        CEvent* weighing = sheep->FindFirstEvent(4, nullptr, nullptr);
        ASSERT_NE(weighing, nullptr) << WToUtf8(tattoo);
        EXPECT_EQ(weighing->GetParameters(), std::vector<WString>{stored[i++]});
    }
}

// Browse on an address event picks the key from the document's address browser.
TEST_F(HistoryPageTest, BrowseFillsTheAddressKeyFromTheAddressBrowser) {
    core().GetStores().SetAddressAt(u"HILL", CRefPtr<CAddress>::Adopt(new CLocalAddress(u"HILL")));
    WString chosen;
    ModalScript script({[&chosen](wxDialog& dialog) {
                            auto& events = dynamic_cast<CNewEventDlg&>(dialog);
                            const auto& items = events.GetModel().GetEvents();
                            for (size_t i = 0; i < items.size(); ++i)
                                if (items[i].second == 1) events.ChooseEvent(int(i));
                            EXPECT_TRUE(events.GetBrowseButton()->IsShown());
                            EXPECT_FALSE(events.GetUnitsGroup()->IsShown());
                            events.PressBrowse();
                            chosen = FromWx(events.GetParameterEdit(0)->GetValue());
                            return int(wxID_CANCEL);
                        },
                        [](wxDialog& dialog) {
                            auto& browser = dynamic_cast<CAddressBrowserDlg&>(dialog);
                            EXPECT_EQ(browser.GetList()->GetItemCount(), 1);
                            browser.GetList()->SetItemState(0, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
                            browser.PressOk();
                            return int(wxID_OK);
                        }});
    list()->OnAdd();
    EXPECT_EQ(chosen, u"HILL");
}
