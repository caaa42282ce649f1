#include "views/flock_view.h"

#include <wx/dcmemory.h>
#include <wx/dcsvg.h>
#include <wx/msgdlg.h>
#include <wx/timer.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "document/command_ids.h"
#include "document/doc_commands.h"
#include "document/sheep_dialogs.h"
#include "document/sheep_doc.h"
#include "document/ui/wx_strings.h"
#include "platform/archive.h"
#include "platform/settings.h"
#include "records/criteria.h"
#include "records/sheep.h"
#include "support/shell_fixture.h"
#include "views/file_commands.h"
#include "views/list_print.h"
#include "views/record_paste.h"
#include "views/sheep_document.h"

namespace {

// A small flock: tattoo, sex, name.
const struct {
    const char16_t* tattoo;
    int32_t sex;
    const char16_t* name;
} kFlock[] = {
    {u"A100", SEX_EWE, u"Mabel"},  {u"a101", SEX_RAM, u"Hector"}, {u"B200", SEX_EWE, u"Ivy"},
    {u"C300", SEX_EWE, u"Clover"}, {u"D400", SEX_RAM, u"Basil"},
};

class FlockViewTest : public FlockListTest {
protected:
    void SetUp() override {
        FlockListTest::SetUp();
        if (HasFatalFailure()) return;
        for (const auto& a : kFlock) {
            auto* sheep = new CSheep(a.tattoo, a.sex, &core());
            sheep->SetName(a.name);
            ASSERT_GE(core().AddSheep(sheep, false), 0);
        }
        // These animals have no events, so only the whole flock shows them.
        ShowWholeFlock();
    }

    std::vector<WString> Column(unsigned kind) {
        int column = -1;
        for (int i = 0; i < view->GetColumnCount(); ++i)
            if (view->GetColumnKind(i) == kind) column = i;
        std::vector<WString> texts;
        for (long row = 0; row < view->GetRowCount(); ++row) texts.push_back(view->GetItemText(row, column));
        return texts;
    }
    int ColumnOf(unsigned kind) {
        for (int i = 0; i < view->GetColumnCount(); ++i)
            if (view->GetColumnKind(i) == kind) return i;
        return -1;
    }
    // Every row shows an animal of the document, and every animal has its row.
    void ExpectListMatchesDocument() {
        std::set<const CSheep*> rows, animals;
        for (long row = 0; row < view->GetRowCount(); ++row) rows.insert(view->GetRowSheep(row));
        for (int i = 0; i < core().GetSheepCount(); ++i) animals.insert(core().GetSheepAt(i));
        EXPECT_EQ(rows, animals);
        EXPECT_EQ(view->GetRowCount(), long(view->GetListCtrl()->GetItemCount()));
    }
};

}  // namespace

TEST_F(FlockViewTest, ShowsEveryAnimalWithTheLayoutsCaptions) {
    EXPECT_EQ(view->GetRowCount(), 5);
    std::vector<WString> titles;
    for (int i = 0; i < view->GetColumnCount(); ++i) titles.push_back(view->GetColumnTitle(i));
    EXPECT_EQ(titles, (std::vector<WString>{u"Tattoo", u"Eartag Number", u"Eartag Colour", u"Sex", u"Name",
                                            u"Sire", u"Dam"}));
    EXPECT_EQ(Column(SF_TATTOO), (std::vector<WString>{u"A100", u"a101", u"B200", u"C300", u"D400"}));
    EXPECT_EQ(Frame()->GetRecordPaneText().substr(0, 7), u"Record:");
    EXPECT_NE(Frame()->GetRecordPaneText().find(u"Total: 5"), WString::npos);
}

TEST_F(FlockViewTest, ColumnClicksSortAscendingThenDescendingAndSelectionFollows) {
    view->SelectOnly(view->FindRow(core().FindSheep(u"B200")));
    view->OnColumnClick(ColumnOf(SF_NAME));
    EXPECT_EQ(Column(SF_NAME), (std::vector<WString>{u"Basil", u"Clover", u"Hector", u"Ivy", u"Mabel"}));
    ASSERT_EQ(view->GetSelectedRows().size(), 1u);
    EXPECT_EQ(view->GetRowSheep(view->GetSelectedRows()[0])->GetTattoo(), u"B200");

    view->OnColumnClick(ColumnOf(SF_NAME));
    EXPECT_EQ(Column(SF_NAME).front(), u"Mabel");
    EXPECT_FALSE(view->IsSortAscending());
    // Another column starts ascending again; a refill keeps the chosen order.
    view->OnColumnClick(ColumnOf(SF_SEX));
    EXPECT_TRUE(view->IsSortAscending());
    view->OnColumnClick(ColumnOf(SF_NAME));
    core().UpdateAllViews(nullptr, HINT_SHEEP_SET);
    EXPECT_EQ(Column(SF_NAME).front(), u"Basil");
}

TEST_F(FlockViewTest, ColumnHeadSortTakesTheColumnUnderThePoint) {
    const int width0 = view->GetListCtrl()->GetColumnWidth(0);
    EXPECT_EQ(view->ColumnAtX(0), -1);
    EXPECT_EQ(view->ColumnAtX(1), 0);
    EXPECT_EQ(view->ColumnAtX(width0), 0);
    EXPECT_EQ(view->ColumnAtX(width0 + 1), 1);
    EXPECT_EQ(view->ColumnAtX(100000), -1);
    view->SetContextPoint(wxPoint(100000, 5));
    view->OnColumnHeadSort();
    EXPECT_EQ(view->GetSortKind(), int(SF_KEY));
}

TEST_F(FlockViewTest, DeletingSelectedAnimalsAsksAndKeepsListAndDocumentInStep) {
    view->GetListCtrl()->SetItemState(1, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    view->GetListCtrl()->SetItemState(3, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    host.Reply(143, IDNO);
    view->OnDeleteRecords();
    EXPECT_EQ(core().GetSheepCount(), 5);

    host.Reply(143, IDYES);
    view->OnDeleteRecords();
    EXPECT_EQ(core().GetSheepCount(), 3);
    EXPECT_EQ(core().FindSheep(u"a101"), nullptr);
    EXPECT_EQ(core().FindSheep(u"C300"), nullptr);
    EXPECT_EQ(Column(SF_TATTOO), (std::vector<WString>{u"A100", u"B200", u"D400"}));
    ExpectListMatchesDocument();
    EXPECT_NE(Frame()->GetRecordPaneText().find(u"Total: 3"), WString::npos);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_FALSE(App().GetHost().IsProgressShown());
}

TEST_F(FlockViewTest, DeletingOneAnimalNamesIt) {
    view->SelectOnly(view->FindRow(core().FindSheep(u"D400")));
    host.Reply(1020, IDYES);
    view->OnDeleteRecords();
    ASSERT_FALSE(host.Messages().empty());
    EXPECT_NE(host.Messages().back().text.find(u"D400"), WString::npos);
    EXPECT_EQ(host.Messages().back().helpId, CvlPromptHelpId(1020));
    ExpectListMatchesDocument();
}

TEST_F(FlockViewTest, AnAnimalDeletedElsewhereLeavesNoRow) {
    int index = -1;
    ASSERT_TRUE(core().FindSheep(u"B200", &index));
    core().DeleteSheep(index);
    ExpectListMatchesDocument();
    // Every cell of every row can still be drawn.
    for (long row = 0; row < view->GetRowCount(); ++row)
        for (int column = 0; column < view->GetColumnCount(); ++column) view->GetItemText(row, column);
}

TEST_F(FlockViewTest, TheCurrentAnimalIsShownAndClicksMakeAnimalsCurrent) {
    core().SelectSheep(u"C300", true, false, nullptr);
    ASSERT_EQ(view->GetSelectedRows().size(), 1u);
    EXPECT_EQ(view->GetRowSheep(view->GetSelectedRows()[0])->GetTattoo(), u"C300");

    view->OnRowClicked(view->FindRow(core().FindSheep(u"a101")));
    EXPECT_EQ(core().GetCurrentKey(), u"a101");
    EXPECT_EQ(Frame()->GetRecordPaneText(), u"Record: 2 Total: 5");
    // Down moves the current animal to the row below the focused one.
    view->SelectOnly(1);
    view->OnKey(WXK_DOWN);
    EXPECT_EQ(core().GetCurrentKey(), u"B200");
}

TEST_F(FlockViewTest, ExportWritesCommaAndTabSeparatedLines) {
    std::ostringstream csv, tab;
    view->Export(1, csv);
    view->Export(2, tab);
    const std::string firstCsv = csv.str().substr(0, csv.str().find("\r\n"));
    EXPECT_EQ(firstCsv, "\"A100\",\"\",\"\",\"" + WToUtf8(core().FindSheep(u"A100")->GetFieldText(SF_SEX)) +
                            "\",\"Mabel\",\"\",\"\"");
    EXPECT_EQ(tab.str().substr(0, tab.str().find("\r\n")),
              "A100\t\t\t" + WToUtf8(core().FindSheep(u"A100")->GetFieldText(SF_SEX)) + "\tMabel\t\t");
    size_t lines = 0;
    for (size_t at = 0; (at = csv.str().find("\r\n", at)) != std::string::npos; at += 2) ++lines;
    EXPECT_EQ(lines, 5u);
}

TEST_F(FlockViewTest, FileExportFromTheListFollowsTheExtension) {
    char tmpl[] = "/tmp/cvl-export-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    const std::string folder = tmpl;
    auto read = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    auto count = [](const std::string& text, const std::string& what) {
        size_t n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
        return n;
    };
    // The flock list writes the exchange file of its selection.
    EXPECT_EQ(ExportToPath(core(), view, folder + "/flock.xml"), 5);
    EXPECT_EQ(count(read(folder + "/flock.xml"), "<Dedov "), 5u);
    // Text and CSV are the list's rows.
    EXPECT_EQ(ExportToPath(core(), view, folder + "/flock.csv"), 5);
    EXPECT_EQ(count(read(folder + "/flock.csv"), "\r\n"), 5u);
    EXPECT_EQ(read(folder + "/flock.csv").substr(0, 7), "\"A100\",");
    // Another kind of file is refused by name and not made.
    const size_t shown = host.Messages().size();
    EXPECT_EQ(ExportToPath(core(), view, folder + "/flock.doc"), -1);
    ASSERT_EQ(host.Messages().size(), shown + 1);
    EXPECT_EQ(host.Messages().back().stringId, 125u);
    EXPECT_FALSE(std::filesystem::exists(folder + "/flock.doc"));
    std::filesystem::remove_all(folder);
}

TEST_F(FlockViewTest, CopyOffersTextWithTheRowsCells) {
    const std::vector<long> rows{0, 2};
    const WString text = view->BuildClipboardText(rows);
    EXPECT_EQ(text.front(), u'\xFEFF');
    EXPECT_NE(text.find(u"A100\t"), WString::npos);
    EXPECT_NE(text.find(u"\tIvy\t"), WString::npos);
    EXPECT_EQ(text.substr(text.size() - 2), u"\r\n");
    // The private block: the title as a Unicode archive string, the count, then each animal.
    const std::vector<uint8_t> block = view->BuildClipboardBlock(rows);
    ASSERT_GE(block.size(), 3u);
    EXPECT_EQ(block[0], 0xFF);
    EXPECT_EQ(block[1], 0xFE);
    EXPECT_EQ(block[2], 0xFF);
    CArchive ar(block.data(), block.size());
    WString title;
    ar >> title;
    EXPECT_EQ(title, core().GetTitle());
    uint32_t count = 0;
    ar >> count;
    ASSERT_EQ(count, 2u);
    for (const char16_t* tattoo : {u"A100", u"B200"}) {
        CRefPtr<CSheep> copy = CRefPtr<CSheep>::Adopt(new CSheep);
        copy->Serialize(ar);
        EXPECT_EQ(copy->GetTattoo(), tattoo);
    }
    EXPECT_EQ(ar.GetRemaining(), 0u);
}

namespace {
std::vector<wxString>* g_asserts = nullptr;
}  // namespace

TEST_F(FlockViewTest, PasteAsksItsQuestionWithTheClipboardClosed) {
    ASSERT_TRUE(CopyBlockToClipboard(GetSheepClipboardFormat(), view->BuildClipboardBlock({2})));
    core().FindSheep(u"B200")->SetName(u"Changed");

    std::vector<wxString> asserts;
    g_asserts = &asserts;
    const wxAssertHandler_t previous =
        wxSetAssertHandler([](const wxString&, int, const wxString&, const wxString& cond,
                              const wxString& msg) { g_asserts->push_back(cond + ": " + msg); });
    // A real modal box: while it is up the frame updates its buttons, Paste among them.
    bool canPasteDuringQuestion = false;
    App().GetHost().SetAnswerer([&](const CvlMessage& msg) {
        wxGenericMessageDialog box(Frame(), ToWx(msg.text), "Corvalen", wxYES_NO);
        wxTimer timer;
        timer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
            Frame()->UpdateWindowUI(wxUPDATE_UI_RECURSE);
            canPasteDuringQuestion = CanPasteRecords();
            box.EndModal(wxID_YES);
        });
        timer.StartOnce(50);
        return box.ShowModal() == wxID_YES ? IDYES : IDNO;
    });
    PasteRecords(core());
    App().GetHost().SetAnswerer([this](const CvlMessage& msg) { return host.DoMessageBox(msg); });
    wxSetAssertHandler(previous);

    for (const wxString& text : asserts) ADD_FAILURE() << text;
    EXPECT_TRUE(canPasteDuringQuestion);
    EXPECT_EQ(core().FindSheep(u"B200")->GetName(), u"Ivy");
}

TEST_F(FlockViewTest, ClosingAModifiedDocumentAsksToSave) {
    doc->Modify(true);
    host.Reply(IDCANCEL);
    wxCommandEvent close(wxEVT_MENU, WxCommandId(ID_FILE_CLOSE));
    Frame()->GetEventHandler()->ProcessEvent(close);
    Pump();
    EXPECT_EQ(App().GetDocManager()->GetDocuments().GetCount(), 1u);

    host.Reply(IDNO);
    Frame()->GetEventHandler()->ProcessEvent(close);
    Pump();
    EXPECT_EQ(App().GetDocManager()->GetDocuments().GetCount(), 0u);
}

TEST_F(FlockViewTest, MultipleRecordsActivatesTheListThatIsThere) {
    wxCommandEvent command(wxEVT_MENU, WxCommandId(ID_VIEW_FLOCK));
    Frame()->GetEventHandler()->ProcessEvent(command);
    Pump();
    EXPECT_EQ(doc->GetViewsVector().size(), 1u);
    EXPECT_EQ(Frame()->GetContextBarKind(), 1);
}

TEST_F(FlockViewTest, PrintsEveryPageOfTheList) {
    wxBitmap paper(850, 1100);
    wxMemoryDC dc(paper);
    // The document's layout for flock lists.
    CPageSetup* setup = view->GetPageSetup();
    ASSERT_EQ(setup, core().GetPageSetup(view));
    for (bool preview : {false, true}) {
        CListPrintout printout(view, *setup, preview);
        PrepareLetterPrintout(printout, dc);
        EXPECT_EQ(printout.GetBands().PageCount(), 1);
        EXPECT_TRUE(printout.OnPrintPage(1));
        EXPECT_FALSE(printout.HasPage(2));
    }
}

TEST_F(FlockViewTest, PrintedCellsKeepTheirTextWithinTheCell) {
    // Names too long for a narrow column, one with an '&' that is text, and a column too narrow for
    // even an ellipsis.
    const struct {
        const char16_t* tattoo;
        const char16_t* name;
    } names[] = {
        {u"A100", u"Mabel of the Long Meadow Behind the Church"},
        {u"B200", u"Ivy & Co"},
        {u"C300", u"WWWWWWWWWWWWWWWWWWWWWWWW"},
    };
    for (const auto& n : names) core().FindSheep(n.tattoo)->SetName(n.name);
    core().UpdateAllViews(nullptr, HINT_SHEEP_SET);
    Pump();
    wxListCtrl* list = view->GetListCtrl();
    list->SetColumnWidth(ColumnOf(SF_NAME), 60);
    list->SetColumnWidth(ColumnOf(SF_TATTOO), 8);

    // 100 dots per inch on screen and paper: logical units are pixels, cells start at the margin.
    const std::string path = (folders.Root() / "cells.svg").string();
    CPageSetup* setup = view->GetPageSetup();
    {
        wxSVGFileDC dc(path, 850, 1100, 100);
        CListPrintout printout(view, *setup, true);
        PrepareLetterPrintout(printout, dc);
        ASSERT_TRUE(printout.OnPrintPage(1));
    }
    std::vector<int> starts;
    int x = setup->m_nLeftMargin;
    for (int c = 0; c < view->GetColumnCount(); ++c) {
        starts.push_back(x);
        x += list->GetColumnWidth(c);
    }
    starts.push_back(x);

    std::ifstream in(path);
    std::stringstream svg;
    svg << in.rdbuf();
    const std::string content = svg.str();
    wxBitmap bitmap(10, 10);
    wxMemoryDC measure(bitmap);
    measure.SetFont(list->GetFont());
    const std::regex text(R"re(<text[^>]*\sx="([-0-9.]+)"[^>]*\sy="([-0-9.]+)"[^>]*>([^<]*)</text>)re");
    int cells = 0;
    bool sawAmpersand = false;
    for (std::sregex_iterator it(content.begin(), content.end(), text), end; it != end; ++it) {
        const double left = std::stod((*it)[1].str());
        const double top = std::stod((*it)[2].str());
        if (top < setup->m_nTopMargin || top > 1100 - setup->m_nBottomMargin) continue;  // header, footer
        std::string words = std::regex_replace((*it)[3].str(), std::regex("&amp;"), "&");
        sawAmpersand |= words.rfind("Ivy &", 0) == 0;
        const auto column = std::upper_bound(starts.begin(), starts.end(), int(left)) - starts.begin() - 1;
        ASSERT_GE(column, 0) << words;
        ASSERT_LT(column, view->GetColumnCount()) << words;
        const int width = measure.GetTextExtent(wxString::FromUTF8(words)).x;
        EXPECT_LE(left + width, starts[size_t(column) + 1]) << words << " in column " << column;
        ++cells;
    }
    EXPECT_GT(cells, 5);
    EXPECT_TRUE(sawAmpersand) << "an '&' in a name prints as itself";
    EXPECT_EQ(content.find("Mabel of the Long Meadow Behind the Church"), std::string::npos);
}

TEST_F(FlockViewTest, ShowingAnAnimalTheListLacksOffersToShowAll) {
    ASSERT_GE(core().AddSheep(new CSheep(u"E500", SEX_EWE, &core()), false), 0);
    host.Reply(18, IDNO);
    core().SelectSheep(u"E500", true, false, nullptr);
    EXPECT_EQ(view->GetRowCount(), 5);

    host.Reply(18, IDYES);
    core().SelectSheep(u"E500", true, false, nullptr);
    EXPECT_EQ(view->GetRowCount(), 6);
    ASSERT_EQ(view->GetSelectedRows().size(), 1u);
    EXPECT_EQ(view->GetRowSheep(view->GetSelectedRows()[0])->GetTattoo(), u"E500");
}

TEST_F(FlockViewTest, AnAnimalAddedWithoutEventsIsOfferedWhenTheFilterHidesIt) {
    core().GetExtractionCriteria().m_nType = CRITERIA_ON_FARM;
    core().UpdateAllViews(nullptr, HINT_SHEEP_SET);
    ASSERT_EQ(view->GetRowCount(), 0);
    CAddSheepModel add(&core());
    add.m_strTattoo = u"E500";
    host.Reply(18, IDYES);
    ASSERT_TRUE(AddSheepFromDialog(core(), add, SEX_EWE, 0, nullptr));
    EXPECT_EQ(host.MessageIds(), std::vector<unsigned>{18});
    EXPECT_EQ(view->GetRowCount(), 6);
    ASSERT_EQ(view->GetSelectedRows().size(), 1u);
    EXPECT_EQ(view->GetRowSheep(view->GetSelectedRows()[0])->GetTattoo(), u"E500");
}

TEST_F(FlockViewTest, EventsReachTheListThroughTheFrameAndTheControl) {
    // A click on a column head, as the control reports it.
    wxListEvent click(wxEVT_LIST_COL_CLICK, view->GetListCtrl()->GetId());
    click.SetEventObject(view->GetListCtrl());
    click.m_col = ColumnOf(SF_NAME);
    view->GetListCtrl()->GetEventHandler()->ProcessEvent(click);
    EXPECT_EQ(Column(SF_NAME).front(), u"Basil");

    // Edit | Delete from the main window's menu goes to the active list.
    view->SelectOnly(0);
    host.Reply(1020, IDYES);
    wxCommandEvent del(wxEVT_MENU, WxCommandId(ID_EDIT_DELETE_RECORDS));
    Frame()->GetEventHandler()->ProcessEvent(del);
    EXPECT_EQ(core().GetSheepCount(), 4);
    EXPECT_EQ(core().FindSheep(u"D400"), nullptr);
    ExpectListMatchesDocument();
}

TEST_F(FlockViewTest, AClickOnARowMakesItsAnimalCurrent) {
    wxListCtrl* list = view->GetListCtrl();
    wxRect rect, first;
    ASSERT_TRUE(list->GetItemRect(2, rect));
    ASSERT_TRUE(list->GetItemRect(0, first));
    wxWindow* rows = list;
    for (wxWindow* child : list->GetChildren())
        if (wxString(child->GetClassInfo()->GetClassName()) == "wxListMainWindow") rows = child;
    wxMouseEvent click(wxEVT_LEFT_DOWN);
    // The rows' rectangles count the header in; the click is in the rows' window, below it.
    click.SetPosition(wxPoint(rect.x + 4, rect.y - first.y + rect.height / 2));
    click.SetEventObject(rows);
    rows->GetEventHandler()->ProcessEvent(click);
    EXPECT_EQ(core().GetCurrentKey(), view->GetRowSheep(2)->GetTattoo());
    EXPECT_EQ(Frame()->GetRecordPaneText(), u"Record: 3 Total: 5");
}

// The reader's upload asks the list for its animals, all rows or the selected ones, top to bottom.
TEST_F(FlockViewTest, TheReaderIsHandedTheRowsOfItsUniverseInOrder) {
    auto walk = [&](int32_t universe, intptr_t* count) {
        EIDSourceItem item{};
        item.universe = universe;
        item.index = 7;
        *count = view->OnReaderMessage(WM_EIDSOURCE, EIDSOURCE_COUNT, reinterpret_cast<intptr_t>(&item));
        EXPECT_EQ(view->OnReaderMessage(WM_EIDSOURCE, EIDSOURCE_BEGIN, reinterpret_cast<intptr_t>(&item)), 0);
        EXPECT_EQ(item.index, -1);
        std::vector<WString> tattoos;
        while (view->OnReaderMessage(WM_EIDSOURCE, EIDSOURCE_NEXT, reinterpret_cast<intptr_t>(&item))) {
            EXPECT_EQ(WString(item.text), view->GetRowSheep(item.index)->GetTattoo());
            tattoos.push_back(item.text);
        }
        EXPECT_EQ(item.index, -1);
        EXPECT_EQ(view->OnReaderMessage(WM_EIDSOURCE, EIDSOURCE_END, reinterpret_cast<intptr_t>(&item)), 0);
        return tattoos;
    };
    std::vector<WString> rows;
    for (long row = 0; row < view->GetRowCount(); ++row) rows.push_back(view->GetRowSheep(row)->GetTattoo());
    intptr_t count = 0;
    view->GetListCtrl()->SetItemState(-1, 0, wxLIST_STATE_SELECTED);
    EXPECT_EQ(walk(EIDSOURCE_ALL, &count), rows);
    EXPECT_EQ(count, 5);
    // Nothing selected: none counted, and the walk ends at once.
    EXPECT_EQ(walk(EIDSOURCE_SELECTED, &count), std::vector<WString>{});
    EXPECT_EQ(count, 0);
    view->GetListCtrl()->SetItemState(3, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    view->GetListCtrl()->SetItemState(1, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    EXPECT_EQ(walk(EIDSOURCE_SELECTED, &count), (std::vector<WString>{rows[1], rows[3]}));
    EXPECT_EQ(count, 2);
}

TEST_F(FlockViewTest, ATattooTooLongForTheReadersRequestIsHandedOutEmpty) {
    const WString longTattoo(40, u'L');
    ASSERT_GE(core().AddSheep(new CSheep(longTattoo.c_str(), SEX_EWE, &core()), false), 0);
    core().UpdateAllViews(nullptr, HINT_SHEEP_SET);
    Pump();
    const long row = view->FindRow(core().FindSheep(longTattoo));
    ASSERT_GE(row, 0);
    struct {
        EIDSourceItem item;
        uint32_t guard;
    } request{};
    request.guard = 0xA5A5A5A5u;
    request.item.index = int32_t(row) - 1;
    EXPECT_EQ(view->OnReaderMessage(WM_EIDSOURCE, EIDSOURCE_NEXT, reinterpret_cast<intptr_t>(&request.item)), 1);
    EXPECT_EQ(request.item.index, row);
    EXPECT_EQ(request.item.text[0], u'\0');
    EXPECT_EQ(request.guard, 0xA5A5A5A5u);
}

TEST_F(FlockViewTest, UploadIsOfferedOnlyWhenTheReaderCanTakeAnUpload) {
    wxUpdateUIEvent update(WxCommandId(ID_EID_UPLOAD));
    view->ProcessEvent(update);
    // No reader is configured in this program.
    EXPECT_TRUE(update.GetSetEnabled());
    EXPECT_FALSE(update.GetEnabled());
}
