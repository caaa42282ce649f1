#include "views/address_browser.h"

#include <wx/listctrl.h>

#include "document/doc_commands.h"
#include "document/sheep_doc.h"
#include "document/ui/address_dialogs.h"
#include "document/ui/multi_event_pages.h"
#include "document/ui/new_event_dlg.h"
#include "document/ui/wx_strings.h"
#include "platform/settings.h"
#include "records/event.h"
#include "records/sheep.h"
#include "support/fake_address_dialogs.h"
#include "support/modal_script.h"
#include "support/shell_fixture.h"
#include "views/record_paste.h"
#include "views/sheep_document.h"

namespace {

class AddressBrowserTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_TRUE(Start());
        doc = dynamic_cast<CSheepDocument*>(App().CreateUntitledDocument(true));
        ASSERT_NE(doc, nullptr);
        for (const char16_t* name : {u"Smith", u"Brown", u"abbot"}) {
            auto address = MakeRef<CLocalAddress>(name);
            address->SetAddress(WString(name) + u" Farm\r\nTown");
            address->SetTelephone(name == WString(u"Brown") ? u"222" : u"111");
            core().GetStores().SetAddressAt(name, address);
        }
        for (const char16_t* tattoo : {u"A1", u"B2"})
            ASSERT_GE(core().AddSheep(new CSheep(tattoo, 0, &core()), false), 0);
        ASSERT_TRUE(Frame()->SwitchView(wxCLASSINFO(CAddressBrowserView)));
        Pump();
        for (wxView* v : doc->GetViewsVector())
            if (auto* browser = dynamic_cast<CAddressBrowserView*>(v)) view = browser;
        ASSERT_NE(view, nullptr);
        list = view->GetList();
        host.Clear();
    }

    void TearDown() override {
        for (wxObject* open : App().GetDocManager()->GetDocuments())
            static_cast<wxDocument*>(open)->Modify(false);
        ShellTest::TearDown();
    }

    CSheepDoc& core() { return doc->GetCore(); }

    std::vector<WString> Column(int column) {
        std::vector<WString> texts;
        for (long row = 0; row < list->GetItemCount(); ++row)
            texts.push_back(FromWx(list->GetItemText(row, column)));
        return texts;
    }
    long RowOf(const WString& name) {
        for (long row = 0; row < list->GetItemCount(); ++row)
            if (FromWx(list->GetItemText(row, 0)) == name) return row;
        return -1;
    }
    void Select(const std::vector<const char16_t*>& names) {
        for (long row = 0; row < list->GetItemCount(); ++row)
            list->SetItemState(row, 0, wxLIST_STATE_SELECTED);
        for (const char16_t* name : names)
            list->SetItemState(RowOf(name), wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    }
    // The centre of a row where a drop reports it: in the rows' window, below the header.
    wxPoint PointOf(long row) {
        wxRect rect;
        list->GetItemRect(row, rect);
        // The rows' window holds the drop target (the list itself on a native list).
        wxPoint rows(0, 0);
        for (wxWindow* child : list->GetChildren())
            if (child->GetDropTarget() == view->GetDropTarget()) rows = child->GetPosition();
        return rect.GetPosition() - rows + wxSize(rect.width / 2, rect.height / 2);
    }

    // Drops a clipboard block of these animals on the row.
    wxDragResult DropOn(long row, std::vector<const char16_t*> tattoos) {
        std::vector<CRefPtr<CSheep>> animals;
        std::vector<CSheep*> raw;
        for (const char16_t* tattoo : tattoos) {
            animals.push_back(MakeRef<CSheep>(tattoo, 0, nullptr));
            raw.push_back(animals.back().Get());
        }
        const std::vector<uint8_t> block = BuildSheepBlock(u"Other Flock", raw);
        wxCustomDataObject data(GetClipboardDataFormat(GetSheepClipboardFormat()));
        data.SetData(block.size(), block.data());
        const wxPoint point = PointOf(row);
        view->GetDropTarget()->OnDragOver(point.x, point.y, wxDragCopy);
        return view->GetDropTarget()->DropDataObject(point.x, point.y, data);
    }

    CSheepDocument* doc = nullptr;
    CAddressBrowserView* view = nullptr;
    wxListCtrl* list = nullptr;
};

}  // namespace

TEST_F(AddressBrowserTest, ListsEachAddressOnceAndRefillsOnAddressHints) {
    EXPECT_EQ(FromWx(view->GetFrame()->GetLabel()),
              FromWx(doc->GetUserReadableName()) + u" : Address Browser View");
    ASSERT_EQ(list->GetColumnCount(), 6);
    wxListItem header;
    header.SetMask(wxLIST_MASK_TEXT);
    list->GetColumn(3, header);
    EXPECT_EQ(header.GetText(), "E-Mail");
    EXPECT_EQ(Column(0), (std::vector<WString>{u"Brown", u"Smith", u"abbot"}));
    EXPECT_EQ(Column(1)[0], u"Brown Farm, Town");
    core().UpdateAllViews(nullptr, HINT_REFRESH_ALL);
    core().UpdateAllViews(nullptr, HINT_REFRESH_ALL);
    EXPECT_EQ(list->GetItemCount(), 3);
    EXPECT_EQ(list->GetColumnCount(), 6);

    core().GetStores().SetAddressAt(u"Vet", MakeRef<CLocalAddress>(u"Vet"));
    for (uint32_t ignored : {HINT_SHEEP_SET, HINT_SHEEP, HINT_CURRENT})
        core().UpdateAllViews(nullptr, ignored);
    EXPECT_EQ(list->GetItemCount(), 3);
    core().UpdateAllViews(nullptr, HINT_ADDRESS_RELOADED);
    EXPECT_EQ(list->GetItemCount(), 4);
}

TEST_F(AddressBrowserTest, HeaderClicksSortByTheShownTextWithRegardToCase) {
    view->OnHeaderClick(4);  // telephone
    EXPECT_EQ(Column(0), (std::vector<WString>{u"Smith", u"abbot", u"Brown"}));
    view->OnHeaderClick(0);
    EXPECT_TRUE(view->IsSortAscending());
    EXPECT_EQ(Column(0), (std::vector<WString>{u"Brown", u"Smith", u"abbot"}));  // by character code
    view->OnHeaderClick(0);
    EXPECT_FALSE(view->IsSortAscending());
    EXPECT_EQ(Column(0), (std::vector<WString>{u"abbot", u"Smith", u"Brown"}));
}

TEST_F(AddressBrowserTest, DeleteAsksOnceForSeveralAndByNameForOne) {
    struct Case {
        const char* name;
        std::vector<const char16_t*> selected;
        unsigned question;
        int answer;
        std::vector<WString> left;
    } cases[] = {
        {"three, yes", {u"Smith", u"Brown", u"abbot"}, 1036, IDYES, {}},
        {"two, no", {u"Smith", u"abbot"}, 1036, IDNO, {u"Brown", u"Smith", u"abbot"}},
        {"one, no", {u"Brown"}, 1045, IDNO, {u"Brown", u"Smith", u"abbot"}},
        {"one, yes", {u"Brown"}, 1045, IDYES, {u"Smith", u"abbot"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Back to the three addresses.
        for (const char16_t* name : {u"Smith", u"Brown", u"abbot"})
            if (!core().LookupAddress(name))
                core().GetStores().SetAddressAt(name, MakeRef<CLocalAddress>(name));
        core().UpdateAllViews(nullptr, HINT_ADDRESS);
        host.Clear();
        Select(c.selected);
        host.Reply(c.question, c.answer);
        view->OnDelete();
        ASSERT_EQ(host.MessageIds(), std::vector<unsigned>{c.question});
        if (c.question == 1045) {
            EXPECT_EQ(host.Messages()[0].text, u"Are you sure you want to delete the address for Brown?");
            EXPECT_EQ(host.Messages()[0].helpId, 0x30415u);
        } else {
            EXPECT_EQ(host.Messages()[0].helpId, 1036u);
        }
        EXPECT_EQ(Column(0), c.left);
        std::vector<WString> keys;
        for (const auto& [key, address] : core().GetStores().Addresses()) keys.push_back(key);
        EXPECT_EQ(keys, c.left);
    }
}

TEST_F(AddressBrowserTest, RenameAnsweredNoKeepsTheKeyAndDeleteStillFindsTheAddress) {
    CFakeAddressDialogs dialogs;
    dialogs.edit = [](IAddressDialogs::CDetails& d) {
        d.displayName = u"Brown";  // another address's key
        return true;
    };
    CAddress* smith = core().LookupAddress(u"Smith");
    host.Reply(55, IDNO);
    Select({u"Smith"});
    view->OnProperties();
    EXPECT_EQ(host.MessageIds(), std::vector<unsigned>{55});
    EXPECT_EQ(core().LookupAddress(u"Smith"), smith);
    // Both rows now read "Brown"; deleting the second deletes Smith's object, not Brown's.
    EXPECT_EQ(Column(0), (std::vector<WString>{u"Brown", u"Brown", u"abbot"}));
    CAddress* brown = core().LookupAddress(u"Brown");
    for (long row = 0; row < list->GetItemCount(); ++row)
        list->SetItemState(row, CvlAddressAt(list, row) == smith ? wxLIST_STATE_SELECTED : 0,
                           wxLIST_STATE_SELECTED);
    host.Reply(1045, IDYES);
    view->OnDelete();
    EXPECT_EQ(core().LookupAddress(u"Smith"), nullptr);
    EXPECT_EQ(core().LookupAddress(u"Brown"), brown);
    EXPECT_EQ(list->GetItemCount(), 2);
}

TEST_F(AddressBrowserTest, DroppedAnimalsRecordEventsOnTheRowsAddress) {
    std::vector<std::pair<WString, WString>> single;  // animal, address key
    std::vector<std::vector<WString>> several;
    view->SetDropActions({[&](CSheep* sheep, const WString& key) {
                              single.push_back({sheep->GetTattoo(), key});
                              return CRefPtr<CEvent>::Adopt(
                                  new CEvent(COleDateTime(2004, 5, 6, 0, 0, 0), 0, key.c_str()));
                          },
                          [&](const std::vector<WString>& tattoos) { several.push_back(tattoos); }});
    auto blockOf = [](std::vector<const char16_t*> tattoos) {
        std::vector<CRefPtr<CSheep>> animals;
        std::vector<CSheep*> raw;
        for (const char16_t* tattoo : tattoos) {
            animals.push_back(MakeRef<CSheep>(tattoo, 0, nullptr));
            raw.push_back(animals.back().Get());
        }
        return BuildSheepBlock(u"Other Flock", raw);
    };
    CAddressDropTarget* target = view->GetDropTarget();
    ASSERT_NE(target, nullptr);
    const long smithRow = RowOf(u"Smith");
    const wxPoint point = PointOf(smithRow);
    auto drop = [&](const std::vector<uint8_t>& block) {
        wxCustomDataObject data(GetClipboardDataFormat(GetSheepClipboardFormat()));
        data.SetData(block.size(), block.data());
        EXPECT_EQ(target->OnDragOver(point.x, point.y, wxDragCopy), wxDragLink);
        EXPECT_EQ(view->GetDropRow(), smithRow);
        return target->DropDataObject(point.x, point.y, data);
    };

    // One animal that this flock has: the event names the address and the animal gets it.
    EXPECT_EQ(drop(blockOf({u"a1"})), wxDragLink);
    ASSERT_EQ(single.size(), 1u);
    EXPECT_EQ(single[0], (std::pair<WString, WString>{u"A1", u"Smith"}));
    EXPECT_EQ(core().FindSheep(u"A1")->GetEventCount(), 1);
    EXPECT_EQ(view->GetDropRow(), -1);
    // One this flock does not have: 51, no event.
    drop(blockOf({u"Z9"}));
    EXPECT_EQ(host.MessageIds(), std::vector<unsigned>{51});
    EXPECT_EQ(single.size(), 1u);
    // Several: the wizard on all their tattoos.
    drop(blockOf({u"A1", u"B2", u"Z9"}));
    ASSERT_EQ(several.size(), 1u);
    EXPECT_EQ(several[0], (std::vector<WString>{u"A1", u"B2", u"Z9"}));
    // A damaged block records nothing.
    std::vector<uint8_t> damaged = blockOf({u"A1"});
    damaged.resize(damaged.size() / 2);
    host.Clear();
    drop(damaged);
    EXPECT_EQ(host.Messages().size(), 1u);
    EXPECT_EQ(single.size(), 1u);
    EXPECT_EQ(core().FindSheep(u"A1")->GetEventCount(), 1);

    // Outside the rows nothing is offered.
    EXPECT_EQ(target->OnDragOver(5, list->GetClientSize().y - 2, wxDragCopy), wxDragNone);
}

#ifdef CVL_GENERAL_BREED
TEST_F(AddressBrowserTest, ADropRunsTheEventDialogOrTheWizardForAddressEvents) {
    constexpr const char16_t* kBreed = u"General Sheep";
    CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Breeds", kBreed, Utf8ToW(CVL_GENERAL_BREED));
    core().SetAttribute(FARM_BREED, kBreed);
    ASSERT_EQ(core().LoadBreedPlugIn(kBreed, true), BREED_LOADED);
    const long smithRow = RowOf(u"Smith");

    // One animal: the New Event dialog, preset to event 2 with the address as its first parameter;
    // its event is the animal's.
    {
        ModalScript script({[](wxDialog& dialog) {
            auto& events = dynamic_cast<CNewEventDlg&>(dialog);
            EXPECT_EQ(events.GetModel().GetCode(), 2u);
            EXPECT_EQ(events.GetParameterEdit(0)->GetValue(), "Smith");
            events.PressOk();
            return events.GetReturnCode() == wxID_OK ? int(wxID_OK) : int(wxID_CANCEL);
        }});
        EXPECT_EQ(DropOn(smithRow, {u"A1"}), wxDragLink);
        Pump();
    }
    CSheep* a1 = core().FindSheep(u"A1");
    ASSERT_EQ(a1->GetEventCount(), 1);
    EXPECT_EQ(a1->GetEventAt(0)->GetCode(), 2u);
    EXPECT_EQ(a1->GetEventAt(0)->GetParameter(0), u"Smith");

    // Cancelled: nothing added.
    {
        ModalScript script({[](wxDialog&) { return int(wxID_CANCEL); }});
        DropOn(smithRow, {u"B2"});
        Pump();
    }
    EXPECT_EQ(core().FindSheep(u"B2")->GetEventCount(), 0);

    // Several: the wizard lists only the events whose first parameter is an address.
    {
        ModalScript script({[](wxDialog& dialog) {
            auto& sheet = dynamic_cast<CCvlPropertySheet&>(dialog);
            sheet.PressNext();
            sheet.PressNext();
            auto* choose = dynamic_cast<CMultiEventWizard2Wnd*>(sheet.GetFlow().GetActivePage());
            EXPECT_NE(choose, nullptr);
            if (choose) {
                EXPECT_TRUE(choose->ChooseCode(1)) << "bought from an address";
                EXPECT_FALSE(choose->ChooseCode(12)) << "a dosing names no address";
            }
            sheet.PressCancel();
            return int(wxID_CANCEL);
        }});
        DropOn(smithRow, {u"A1", u"B2"});
        Pump();
    }
    EXPECT_EQ(core().FindSheep(u"A1")->GetEventCount(), 1);
    EXPECT_EQ(core().FindSheep(u"B2")->GetEventCount(), 0);
}
#endif
