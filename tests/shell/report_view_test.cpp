#include "views/report_view.h"

#include <wx/choice.h>
#include <wx/clipbrd.h>

#include "abi/dual_slots.h"
#include "document/command_ids.h"
#include "document/sheep_doc.h"
#include "platform/automation/slot_call.h"
#include "platform/settings.h"
#include "records/event.h"
#include "records/sheep.h"
#include "shell/frame_bars.h"
#include "shell/main_frame.h"
#include "support/shell_fixture.h"
#include "views/sheep_document.h"

namespace {

constexpr const char16_t* kBreed = u"General Sheep";
constexpr int kReportCommand = 40103;

COleDateTime Day(int y, int m, int d) {
    return COleDateTime(y, m, d, 0, 0, 0);
}

class ReportViewTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        CRegistrySettings::SetString(HKEY_CURRENT_USER, u"Settings", u"View", u"Flock");
        CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Breeds", kBreed, Utf8ToW(CVL_GENERAL_BREED));
        ASSERT_TRUE(Start());
        doc = dynamic_cast<CSheepDocument*>(App().CreateUntitledDocument(true));
        ASSERT_NE(doc, nullptr);
        core().SetAttribute(FARM_BREED, kBreed);
        ASSERT_EQ(core().LoadBreedPlugIn(kBreed, true), BREED_LOADED);
        Add(u"E1", SEX_EWE,
            {{Day(2018, 3, 1), EVENT_PURCHASED, u"Hill"}, {Day(2023, 5, 1), EVENT_SOLD, u"Mart"}});
        Add(u"R1", SEX_RAM, {{Day(2020, 4, 1), EVENT_PURCHASED, u"Hill"}});
        Add(u"E2", SEX_EWE,
            {{Day(2021, 4, 1), EVENT_PURCHASED, u"hill"}, {Day(2023, 2, 1), EVENT_DIED, u"Old age"}});
        core().SetModifiedFlag(false);
        Pump();
    }

    void TearDown() override {
        for (wxObject* open : App().GetDocManager()->GetDocuments())
            static_cast<wxDocument*>(open)->Modify(false);
        ShellTest::TearDown();
    }

    struct Ev {
        COleDateTime date;
        uint32_t code;
        const char16_t* param;
    };
    void Add(const char16_t* tattoo, int32_t sex, std::initializer_list<Ev> events) {
        auto* sheep = new CSheep(tattoo, sex, &core());
        for (const Ev& e : events) sheep->AddEvent(new CEvent(e.date, e.code, e.param), false);
        ASSERT_GE(core().AddSheep(sheep, false), 0);
    }

    CSheepDoc& core() { return doc->GetCore(); }
    CFrameBars& bars() { return *Frame()->GetBars(); }

    // The report of that type shown through its command, for the year chosen on the bar.
    CReportView* ShowReport(int type, int year, const WString& selection = {}) {
        bars().ApplyReportSelection(kReportCommand + type, selection);
        Pump();
        wxChoice* years = bars().GetReportYearList();
        const int at = years->FindString(wxString::Format("%d", year));
        EXPECT_NE(at, wxNOT_FOUND);
        years->SetSelection(at);
        bars().OnReportYearChanged();
        Pump();
        return dynamic_cast<CReportView*>(App().GetDocManager()->GetCurrentView());
    }

    std::vector<WString> Column(CReportView* view, unsigned kind) {
        std::vector<WString> texts;
        for (int c = 0; c < view->GetColumnCount(); ++c)
            if (view->GetColumnKind(c) == kind)
                for (long row = 0; row < view->GetRowCount(); ++row)
                    texts.push_back(view->GetItemText(row, c));
        return texts;
    }

    CSheepDocument* doc = nullptr;
};

TEST_F(ReportViewTest, TheMovementBookRunsWithTheShippedBreed) {
    CReportView* view = ShowReport(REPORT_MOVEMENTS, 2023);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetReportType(), REPORT_MOVEMENTS);
    EXPECT_EQ(view->GetYear(), 2023);
    EXPECT_EQ(Frame()->GetContextBarKind(), 2);
    // The plug-in bound the book's columns through the view's interface.
    ASSERT_EQ(view->GetColumnCount(), 10);
    EXPECT_EQ(view->GetColumnTitle(0), u"Date");
    EXPECT_EQ(Column(view, 101), (std::vector<WString>{u"", u"Died", u"Sold"}));
    EXPECT_EQ(Column(view, 104), (std::vector<WString>{u"", u"E2", u"E1"}));
    EXPECT_EQ(Column(view, 106), (std::vector<WString>{u"2", u"1", u"0"}));
    EXPECT_EQ(Column(view, 108), (std::vector<WString>{u"1", u"1", u"1"}));
    EXPECT_EQ(Column(view, 109), (std::vector<WString>{u"3", u"2", u"1"}));
    EXPECT_NE(view->GetFrame()->GetLabel().Find(": Report View: Movement Book 2023"), wxNOT_FOUND);

    // Copy: every cell and a tab, CR LF per row, a closing NUL.
    const std::string copied = view->BuildCopyText({2});
    EXPECT_EQ(copied.substr(copied.size() - 4), std::string("\t\r\n") + '\0');
    EXPECT_NE(copied.find("\tSold\t1\tEwe\tE1\tMart\t0\t0\t1\t1\t"), std::string::npos);
}

TEST_F(ReportViewTest, RowsFollowTheAnimalsTheyShow) {
    CReportView* view = ShowReport(REPORT_ADDRESS_EVENTS, 2023, u"Hill");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetSelection(), u"Hill");
    EXPECT_EQ(Column(view, 101), (std::vector<WString>{u"E1", u"E2", u"R1"}));
    // An animal deleted elsewhere leaves the report at once: no row keeps it.
    int index = -1;
    ASSERT_TRUE(core().FindSheepIndex(u"E2", &index));
    core().DeleteSheep(index);
    core().UpdateAllViews(nullptr, HINT_SHEEP, nullptr);
    EXPECT_EQ(Column(view, 101), (std::vector<WString>{u"E1", u"R1"}));
    // Removing rows from the report deletes nothing.
    view->SelectOnly(0);
    view->OnDeleteRecords();
    EXPECT_EQ(Column(view, 101), (std::vector<WString>{u"R1"}));
    EXPECT_EQ(core().GetSheepCount(), 2);
}

// The plug-in calls the two slots by number; a plug-in that kept the interface after the view went
// gets an error, not the freed view.
TEST_F(ReportViewTest, ColumnsAreBoundThroughSlotsSevenAndEight) {
    CReportView* view = ShowReport(REPORT_LAMBING, 2023);
    ASSERT_NE(view, nullptr);
    IReportView* itf = view->GetAutomation()->GetReportView();
    itf->AddRef();
    EXPECT_EQ(CallSlot(itf, dual_slots::report_view::kResetColumns), S_OK);
    EXPECT_EQ(view->GetColumnCount(), 0);
    CComBSTR a(u"A"), b(u"B"), c(u"C");
    EXPECT_EQ(CallSlot(itf, dual_slots::report_view::kBindColumn, BSTR(a), LONG(100), LONG(-1)), S_OK);
    EXPECT_EQ(CallSlot(itf, dual_slots::report_view::kBindColumn, BSTR(b), LONG(101), LONG(-1)), S_OK);
    // Position p goes to p + 1.
    EXPECT_EQ(CallSlot(itf, dual_slots::report_view::kBindColumn, BSTR(c), LONG(112), LONG(0)), S_OK);
    EXPECT_EQ(view->GetColumnTitle(0), u"A");
    EXPECT_EQ(view->GetColumnTitle(1), u"C");
    EXPECT_EQ(view->GetColumnTitle(2), u"B");
    view->GetFrame()->Close(true);
    Pump();
    EXPECT_TRUE(FAILED(CallSlot(itf, dual_slots::report_view::kBindColumn, BSTR(a), LONG(100), LONG(-1))));
    itf->Release();
}

TEST_F(ReportViewTest, TheBarOffersTheBreedsReportsYearsAndSelections) {
    CReportView* view = ShowReport(REPORT_TUPPING, 2022);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(bars().GetReportTypeList()->GetCount(), 4u);
    wxChoice* sexes = bars().GetReportSexList();
    ASSERT_EQ(sexes->GetCount(), 2u);
    EXPECT_EQ(sexes->GetString(0), "Rams");
    EXPECT_EQ(view->GetSelection(), u"Rams");
    const int thisYear = COleDateTime::GetCurrentTime().GetYear();
    EXPECT_EQ(bars().GetLastReportYear(), thisYear);
    EXPECT_EQ(view->GetYear(), 2022);
    // The Reports menu lists them, each with the breed's prompt, the shown one checked.
    wxMenuItem* book = Frame()->GetMenuBar()->FindItem(WxCommandId(kReportCommand + REPORT_MOVEMENTS));
    ASSERT_NE(book, nullptr);
    EXPECT_EQ(book->GetHelp(), "Shows the flock's movements in a year with the stock after each");
    wxMenuItem* tupping = Frame()->GetMenuBar()->FindItem(WxCommandId(kReportCommand + REPORT_TUPPING));
    ASSERT_NE(tupping, nullptr);
    Frame()->UpdateWindowUI(wxUPDATE_UI_RECURSE);
    Frame()->GetMenuBar()->UpdateMenus();
    EXPECT_TRUE(tupping->IsChecked());
    EXPECT_FALSE(book->IsChecked());
}

}  // namespace
