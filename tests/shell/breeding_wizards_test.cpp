// Tupping then lambing through the Operations menu on a flock opened from a file; the lambs are found
// in the flock list and on the ewe's Lambing page, and again once the file was saved and reopened.
#include <wx/checklst.h>
#include <wx/choice.h>
#include <wx/datectrl.h>
#include <wx/dateevt.h>
#include <wx/htmllbox.h>
#include <wx/notebook.h>
#include <wx/textctrl.h>

#include "document/command_ids.h"
#include "document/doc_commands.h"
#include "document/sheep_doc.h"
#include "document/ui/breeding_pages.h"
#include "platform/settings.h"
#include "records/event.h"
#include "records/lambing.h"
#include "records/sheep.h"
#include "records/tupping.h"
#include "support/modal_script.h"
#include "support/shell_fixture.h"
#include "views/flock_view.h"
#include "views/record_breeding_pages.h"
#include "views/record_view.h"
#include "views/sheep_document.h"

namespace {

constexpr const char16_t* kBreed = u"General Sheep";

template <typename Control>
void Send(Control* control, wxEventType type, int value) {
    wxCommandEvent event(type, control->GetId());
    event.SetEventObject(control);
    event.SetInt(value);
    control->GetEventHandler()->ProcessEvent(event);
}

void Choose(wxChoice* choice, int index) {
    choice->SetSelection(index);
    Send(choice, wxEVT_CHOICE, index);
}

void Type(wxTextCtrl* edit, const wxString& text) {
    edit->SetValue(text);
}

void Pick(wxDatePickerCtrl* picker, const COleDateTime& date) {
    const wxDateTime day(wxDateTime::wxDateTime_t(date.GetDay()), wxDateTime::Month(date.GetMonth() - 1),
                         date.GetYear());
    picker->SetValue(day);
    wxDateEvent event(picker, day, wxEVT_DATE_CHANGED);
    picker->GetEventHandler()->ProcessEvent(event);
}

template <typename Page>
Page* Active(CCvlPropertySheet& sheet) {
    auto* page = dynamic_cast<Page*>(sheet.GetFlow().GetActivePage());
    EXPECT_NE(page, nullptr);
    return page;
}

class BreedingWizardsTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        CRegistrySettings::SetString(HKEY_CURRENT_USER, u"Settings", u"View", u"Flock");
        CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Breeds", kBreed, Utf8ToW(CVL_GENERAL_BREED));
        fixture = folders.Root() / "flock.cvl";
        CRefPtr<CSheepDoc> doc = CRefPtr<CSheepDoc>::Adopt(new CSheepDoc);
        doc->SetAttribute(FARM_BREED, kBreed);
        ASSERT_EQ(doc->LoadBreedPlugIn(kBreed, true), BREED_LOADED);
        const COleDateTime bought = COleDateTime::GetCurrentTime() - COleDateTimeSpan(365, 0, 0, 0);
        for (auto [tattoo, sex] : {std::pair{u"RAM1", SEX_RAM}, {u"EWE1", SEX_EWE}, {u"EWE2", SEX_EWE}}) {
            auto* sheep = new CSheep(tattoo, sex, doc.Get());
            sheep->AddEvent(new CEvent(bought, EVENT_PURCHASED, u"Market"), false);
            ASSERT_GE(doc->AddSheep(sheep, false), 0);
        }
        ASSERT_TRUE(doc->OnSaveDocument(fixture.string()));
    }

    CSheepDocument* OpenDocument() {
        auto& docs = App().GetDocManager()->GetDocuments();
        return docs.empty() ? nullptr : dynamic_cast<CSheepDocument*>(docs.GetFirst()->GetData());
    }
    void Command(int id) {
        wxCommandEvent command(wxEVT_MENU, WxCommandId(id));
        command.SetEventObject(Frame());
        Frame()->ProcessWindowEvent(command);
        Pump();
    }

    // RAM1 with EWE1, put in 147 days ago.
    void RunTupping() {
        ModalScript script({[&](wxDialog& dialog) {
            auto& sheet = dynamic_cast<CCvlPropertySheet&>(dialog);
            sheet.PressNext();
            auto* ram = Active<CTuppingWizard1>(sheet);
            if (!ram) return int(wxID_CANCEL);
            wxChoice* combo = ram->GetRamCombo();
            Choose(combo, combo->FindString("RAM1"));
            sheet.PressNext();
            auto* when = Active<CTuppingWizard3>(sheet);
            if (!when) return int(wxID_CANCEL);
            Pick(when->GetDatePicker(), tupped);
            sheet.PressNext();
            auto* ewes = Active<CTuppingWizard4>(sheet);
            if (!ewes) return int(wxID_CANCEL);
            wxCheckListBox* list = ewes->GetEweList();
            for (size_t i = 0; i < ewes->m_items.size(); ++i)
                if (ewes->m_items[i].tattoo == u"EWE1") {
                    list->Check(unsigned(i), true);
                    Send(list, wxEVT_CHECKLISTBOX, int(i));
                }
            sheet.PressNext();
            EXPECT_EQ(sheet.GetFlow().GetActivePage()->GetTemplateId(), IDD_TUPPING_WIZ5);
            sheet.PressFinish();
            return sheet.GetFlow().GetResult();
        }});
        Command(ID_OPERATIONS_TUPPING);
    }

    // EWE1 lambed normally today: a ewe lamb of 4 lb and a ram lamb of 5 lb named Bob.
    void RunLambing() {
        ModalScript script({[&](wxDialog& dialog) {
            auto& sheet = dynamic_cast<CCvlPropertySheet&>(dialog);
            sheet.PressNext();
            // The year has no colour yet.
            auto* colour = Active<CLambingWizard0>(sheet);
            if (!colour) return int(wxID_CANCEL);
            Type(colour->GetColourEdit(), "Red");
            colour->ColourLeft();
            sheet.PressNext();
            auto* ewe = Active<CLambingWizard1>(sheet);
            if (!ewe) return int(wxID_CANCEL);
            for (size_t i = 0; i < ewe->m_items.size(); ++i)
                if (ewe->m_items[i].tattoo == u"EWE1") {
                    ewe->GetEweList()->SetSelection(int(i));
                    Send(ewe->GetEweList(), wxEVT_LISTBOX, int(i));
                }
            sheet.PressNext();
            auto* how = Active<CLambingWizard2>(sheet);
            if (!how) return int(wxID_CANCEL);
            Choose(how->GetHowBornCombo(), LAMBING_NORMAL);
            Pick(how->GetDatePicker(), lambed);
            sheet.PressNext();
            EXPECT_EQ(sheet.GetFlow().GetActivePage()->GetTemplateId(), IDD_LAMBING_WIZ3);
            sheet.PressNext();
            for (auto [sex, weight, name] : {std::tuple{0, "4", ""}, {1, "5", "Bob"}}) {
                EXPECT_EQ(sheet.GetFlow().GetActivePage()->GetTemplateId(), IDD_LAMBING_WIZ4);
                sheet.PressNext();
                auto* lamb = Active<CLambingWizard5>(sheet);
                if (!lamb) return int(wxID_CANCEL);
                Choose(lamb->GetSexCombo(), sex);
                Type(lamb->GetWeightEdit(), weight);
                Type(lamb->GetNameEdit(), name);
                sheet.PressNext();
            }
            EXPECT_EQ(sheet.GetFlow().GetActivePage()->GetTemplateId(), IDD_LAMBING_WIZ6);
            sheet.PressFinish();
            return sheet.GetFlow().GetResult();
        }});
        Command(ID_OPERATIONS_LAMBING);
    }

    WString Lamb(int n) const { return FormatW("%03d/%02d", n, lambed.GetYear() % 100); }

    // The lambs are animals with their parents, in the flock list, and on their dam's Lambing page.
    void CheckLambs(CSheepDocument* doc) {
        CSheepDoc& core = doc->GetCore();
        for (int n : {1, 2}) {
            CSheep* lamb = core.FindSheep(Lamb(n));
            ASSERT_NE(lamb, nullptr) << WToUtf8(Lamb(n));
            EXPECT_EQ(lamb->GetSire(), u"RAM1");
            EXPECT_EQ(lamb->GetDam(), u"EWE1");
            EXPECT_EQ(lamb->GetEartagColour(), u"Red");
            auto* list = dynamic_cast<CFlockView*>(doc->GetFirstView());
            ASSERT_NE(list, nullptr);
            EXPECT_GE(list->FindRow(lamb), 0);
        }
        EXPECT_EQ(core.FindSheep(Lamb(2))->GetName(), u"Bob");
        ASSERT_EQ(core.FindSheep(u"RAM1")->GetTuppingCount(), 1);
        EXPECT_EQ(core.FindSheep(u"RAM1")->GetTuppingAt(0)->GetEwes(), std::vector<WString>{u"EWE1"});

        ASSERT_TRUE(Frame()->SwitchView(wxCLASSINFO(CSheepView)));
        auto* view = dynamic_cast<CSheepView*>(doc->GetViewsVector().back());
        ASSERT_NE(view, nullptr);
        core.SelectSheep(u"EWE1", true, true, nullptr);
        Pump();
        ASSERT_TRUE(view->ActivatePage(PAGE_LAMBING));
        auto* page = dynamic_cast<CSheepViewLambingTab*>(view->GetPage(PAGE_LAMBING));
        ASSERT_NE(page, nullptr);
        // The tab was chosen without the sheet's events: the page is loaded as a click would.
        page->ShowSheep(core.FindSheep(u"EWE1"));
        wxTreeCtrl* tree = page->GetTree();
        wxTreeItemIdValue cookie;
        const wxTreeItemId record = tree->GetFirstChild(tree->GetRootItem(), cookie);
        ASSERT_TRUE(record.IsOk());
        std::vector<wxString> lambs;
        wxTreeItemIdValue inner;
        for (wxTreeItemId item = tree->GetFirstChild(record, inner); item.IsOk();
             item = tree->GetNextChild(record, inner))
            lambs.push_back(tree->GetItemText(item));
        EXPECT_EQ(lambs, (std::vector<wxString>{ToWxText(Lamb(1)), ToWxText(Lamb(2))}));
        page->OnSelectionChanged(record);
        EXPECT_TRUE(page->GetDetails()->GetValue().StartsWith("Lambed normally on "))
            << page->GetDetails()->GetValue();

        // A double click on the second lamb goes to it, one on the record to the ram.
        page->OnItemActivated(tree->GetLastChild(record));
        Pump();
        EXPECT_EQ(core.GetCurrentKey(), Lamb(2));
        core.SelectSheep(u"EWE1", true, true, nullptr);
        Pump();
        page->OnItemActivated(record);
        Pump();
        EXPECT_EQ(core.GetCurrentKey(), u"RAM1");

        // The ram's Tupping page: the date the ram went in, with his ewe under it.
        ASSERT_TRUE(view->ActivatePage(PAGE_TUPPING));
        auto* tupping = dynamic_cast<CSheepViewTuppingTab*>(view->GetPage(PAGE_TUPPING));
        ASSERT_NE(tupping, nullptr);
        tupping->ShowSheep(core.FindSheep(u"RAM1"));
        wxTreeCtrl* rams = tupping->GetTree();
        const wxTreeItemId in = rams->GetFirstChild(rams->GetRootItem(), cookie);
        ASSERT_TRUE(in.IsOk());
        EXPECT_EQ(rams->GetItemText(in), ToWxText(tupped.Format("%d/%m/%Y")));
        EXPECT_TRUE(rams->IsExpanded(in));
        const wxTreeItemId ewe = rams->GetFirstChild(in, inner);
        ASSERT_TRUE(ewe.IsOk());
        EXPECT_EQ(rams->GetItemText(ewe), "EWE1");
        // A date names no animal; a ewe's tattoo does.
        tupping->OnItemActivated(in);
        Pump();
        EXPECT_EQ(core.GetCurrentKey(), u"RAM1");
        tupping->OnItemActivated(ewe);
        Pump();
        EXPECT_EQ(core.GetCurrentKey(), u"EWE1");
    }
    static wxString ToWxText(const WString& text) { return wxString::FromUTF8(WToUtf8(text)); }

    std::filesystem::path fixture;
    // Lambed yesterday, when due: the flock list shows the animals on the farm as the file opened.
    const COleDateTime lambed = COleDateTime::GetCurrentTime() - COleDateTimeSpan(1, 0, 0, 0);
    const COleDateTime tupped = lambed - COleDateTimeSpan(147, 0, 0, 0);
};

TEST_F(BreedingWizardsTest, TuppingThenLambingMakesLambsThatOutliveSavingAndReopening) {
    ASSERT_TRUE(Start(wxArrayString(1, fixture.string())));
    CSheepDocument* doc = OpenDocument();
    ASSERT_NE(doc, nullptr);
    RunTupping();
    ASSERT_EQ(doc->GetCore().FindSheep(u"EWE1")->GetLambingCount(), 1);
    RunLambing();
    EXPECT_TRUE(host.Messages().empty());
    CheckLambs(doc);
    ASSERT_TRUE(doc->GetCore().OnSaveDocument(fixture.string()));
    doc->Modify(false);
    Stop();

    CRegistrySettings::SetString(HKEY_CURRENT_USER, u"Settings", u"View", u"Flock");
    ASSERT_TRUE(Start(wxArrayString(1, fixture.string())));
    doc = OpenDocument();
    ASSERT_NE(doc, nullptr);
    CheckLambs(doc);
    doc->Modify(false);
}

}  // namespace
