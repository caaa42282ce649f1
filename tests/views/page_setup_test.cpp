// The Page Setup sheet over a flock list's page setup, and the printed page's header, footer and
// margins drawn into an SVG file.
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/dcsvg.h>
#include <wx/textctrl.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <utility>
#include <vector>

#include "document/command_ids.h"
#include "document/sheep_doc.h"
#include "document/ui/page_setup_sheet.h"
#include "document/ui/wx_strings.h"
#include "platform/archive.h"
#include "platform/printers.h"
#include "platform/settings.h"
#include "records/criteria.h"
#include "records/sheep.h"
#include "support/modal_script.h"
#include "support/shell_fixture.h"
#include "views/flock_view.h"
#include "views/list_print.h"
#include "views/sheep_document.h"

namespace {

std::vector<uint8_t> Store(const CPageSetup& setup) {
    std::vector<uint8_t> out;
    CArchive ar(out, CArchive::store);
    const_cast<CPageSetup&>(setup).Serialize(ar);
    ar.Flush();
    return out;
}

class PageSetupTest : public FlockListTest {
protected:
    void SetUp() override {
        FlockListTest::SetUp();
        if (HasFatalFailure()) return;
        printers.AddPrinter(u"Office", CVL_TEST_DATA "/printers/office.ppd", true);
        printers.AddPrinter(u"Labels", CVL_TEST_DATA "/printers/label.ppd");
        CvlSetPrinterLister(&printers);
    }
    void TearDown() override {
        CvlSetPrinterLister(nullptr);
        FlockListTest::TearDown();
    }

    // Runs the view's Page Setup with one step on the sheet.
    void RunSheet(const std::function<int(CCustPageSetupDialog&)>& step) {
        ModalScript script({[&](wxDialog& dialog) {
            auto& sheet = dynamic_cast<CCustPageSetupDialog&>(dialog);
            return step(sheet);
        }});
        view->OnPageSetup();
    }

    static void Type(wxTextCtrl* edit, const wxString& text) {
        ASSERT_NE(edit, nullptr);
        edit->ChangeValue(text);
    }

    CPpdPrinterLister printers;
};

}  // namespace

TEST_F(PageSetupTest, OkWithoutEditsKeepsTheStoredBytesAndEditsReachTheRecord) {
    CPageSetup* setup = view->GetPageSetup();
    setup->m_devMode.assign(220, 0x5A);
    setup->m_devMode[68] = 200;  // dmSize
    setup->m_devMode[69] = 0;
    setup->m_devMode[70] = 20;  // dmDriverExtra
    setup->m_devMode[71] = 0;
    setup->m_devMode[72] = 0;  // no fields flagged
    setup->m_devNames = {8, 0, 16, 0, 24, 0, 0, 0, 'x', 0};
    const std::vector<uint8_t> before = Store(*setup);

    // Every page shown, nothing changed.
    RunSheet([](CCustPageSetupDialog& sheet) {
        sheet.GetFlow().SetActivePage(1);
        sheet.GetFlow().SetActivePage(2);
        sheet.PressOk();
        return int(wxID_OK);
    });
    EXPECT_EQ(Store(*view->GetPageSetup()), before);

    bool changed = false;
    view->GetListCtrl()->Bind(CVL_EVT_PAGE_SETUP_CHANGED, [&](wxCommandEvent& e) {
        changed = true;
        e.Skip();
    });
    RunSheet([](CCustPageSetupDialog& sheet) {
        sheet.GetFlow().SetActivePage(1);
        Type(sheet.GetMarginsPage().GetEdit(1125), "1.5");      // left
        Type(sheet.GetMarginsPage().GetEdit(1129), "2.54 cm");  // top
        Type(sheet.GetMarginsPage().GetEdit(1135), "36 pt");    // footer distance
        sheet.GetMarginsPage().GetVertically()->SetValue(true);
        sheet.GetFlow().SetActivePage(2);
        CPageSetupHF& hf = sheet.GetHeaderFooterPage();
        Type(hf.GetEdit(1130), "");
        hf.InsertPageCode();  // no edit has lost the focus yet: nothing happens
        hf.GetEdit(1130)->SetFocus();
        hf.SetLastEdit(1130);
        hf.InsertPageCode();
        Type(hf.GetEdit(1152), "&F");
        sheet.PressOk();
        return int(wxID_OK);
    });
    const CPageSetup& edited = *view->GetPageSetup();
    EXPECT_TRUE(changed);
    EXPECT_EQ(edited.m_nLeftMargin, 150);
    EXPECT_EQ(edited.m_nTopMargin, 99);
    EXPECT_EQ(edited.m_nFooterDistance, 50);
    EXPECT_EQ(edited.m_nRightMargin, 75);
    EXPECT_EQ(edited.m_bCenterVertically, 1);
    EXPECT_EQ(edited.m_bCenterHorizontally, 0);
    EXPECT_EQ(edited.m_strHeader, u"&F\t&T\t&P");
    EXPECT_EQ(edited.m_strFooter, u"&F\tPage &P\t");
    EXPECT_EQ(edited.m_devMode, setup->m_devMode);
    EXPECT_EQ(CvlGetPageSetupStartPage(), 2) << "the next sheet opens on the last page that took part";
}

TEST_F(PageSetupTest, RefusedLengthsKeepTheSheetOpenAndCancelChangesNothing) {
    const std::vector<uint8_t> before = Store(*view->GetPageSetup());
    RunSheet([this](CCustPageSetupDialog& sheet) {
        sheet.GetFlow().SetActivePage(1);
        wxTextCtrl* left = sheet.GetMarginsPage().GetEdit(1125);
        // A unit the edit does not know, then a margin the file cannot hold: each says why and stays.
        for (const char* text : {"1.5 mm", "700\""}) {
            host.Clear();
            Type(left, text);
            sheet.PressOk();
            EXPECT_FALSE(sheet.GetFlow().IsEnded()) << text;
            EXPECT_EQ(host.Messages().size(), 1u) << text;
            EXPECT_EQ(sheet.GetFlow().GetActiveIndex(), 1);
        }
        EXPECT_TRUE(!host.Messages().empty() &&
                    host.Messages().back().text.find(u"between 0 and") != WString::npos);
        // A text the edit refuses never locks the sheet: Cancel still ends it.
        sheet.PressCancel();
        EXPECT_TRUE(sheet.GetFlow().IsEnded());
        return int(wxID_CANCEL);
    });
    EXPECT_EQ(Store(*view->GetPageSetup()), before);
}

// Print and Print Preview end the sheet and ask the main window for that command, as its menu would.
TEST_F(PageSetupTest, PrintAndPreviewEndTheSheetWithTheMainWindowsCommand) {
    const std::pair<void (CCustPageSetupDialog::*)(), int> buttons[] = {
        {&CCustPageSetupDialog::PressPrint, ID_FILE_PRINT},
        {&CCustPageSetupDialog::PressPreview, ID_FILE_PRINT_PREVIEW}};
    for (const auto& [press, command] : buttons) {
        // Caught ahead of the views, so nothing is printed.
        std::vector<int> posted;
        wxEvtHandler catcher;
        catcher.Bind(wxEVT_MENU, [&](wxCommandEvent& event) { posted.push_back(event.GetId()); });
        Frame()->PushEventHandler(&catcher);
        RunSheet([press = press](CCustPageSetupDialog& sheet) {
            (sheet.*press)();
            EXPECT_TRUE(sheet.GetFlow().IsEnded());
            return int(wxID_OK);
        });
        Pump();
        Frame()->PopEventHandler();
        EXPECT_EQ(posted, std::vector<int>{WxCommandId(command)}) << command;
    }
}

TEST_F(PageSetupTest, ThePagePageListsTheChosenPrintersCapabilities) {
    RunSheet([](CCustPageSetupDialog& sheet) {
        CPageSetupPage& page = sheet.GetPagePage();
        EXPECT_EQ(page.GetPrinterChoice()->GetStringSelection(), "Office");
        EXPECT_EQ(page.GetPaperChoice()->GetCount(), 3u);
        EXPECT_EQ(page.GetPaperChoice()->GetStringSelection(), "A4");
        EXPECT_EQ(page.GetSourceChoice()->GetCount(), 2u);
        EXPECT_EQ(page.GetResolutionChoice()->GetStringSelection(), "600 dpi");
        page.ChoosePrinter(u"Labels");
        EXPECT_EQ(page.GetPaperChoice()->GetCount(), 2u);
        EXPECT_EQ(page.GetPaperChoice()->GetString(0), "4 x 6 in");
        EXPECT_EQ(page.GetSourceChoice()->GetCount(), 0u);
        EXPECT_EQ(page.GetResolutionChoice()->GetStringSelection(), "203 dpi");
        Click(page.GetLandscape());
        sheet.PressOk();
        return int(wxID_OK);
    });
    const CPrintSetup chosen = GetPrintSetup(*view->GetPageSetup(), "", view->GetViewKind());
    EXPECT_EQ(chosen.printer, u"Labels");
    EXPECT_EQ(chosen.orientation, 2);
    EXPECT_TRUE(view->GetPageSetup()->m_devMode.empty()) << "nothing of Linux goes into the Windows block";
}

TEST_F(PageSetupTest, PrintedPageCarriesHeaderFooterInsideTheMargins) {
    auto* sheep = new CSheep(u"A100", SEX_EWE, &doc->GetCore());
    ASSERT_GE(doc->GetCore().AddSheep(sheep, false), 0);
    doc->GetCore().GetExtractionCriteria().m_nType = CRITERIA_ALL;
    doc->GetCore().UpdateAllViews(nullptr, HINT_SHEEP_SET);
    Pump();
    doc->GetCore().SetAttribute(1, u"Home Farm\r\nHill Road");
    CPageSetup* setup = view->GetPageSetup();
    setup->m_strHeader = u"&K\t&T\tRIGHTH";
    setup->m_strFooter = u"LEFTF\tPage &P of &N\t";
    ASSERT_TRUE(setup->SetDistances(100, 75, 75, 100, 50, 60));

    // Letter paper at 100 dots per inch: hundredths of an inch are pixels.
    const std::string path = (folders.Root() / "page.svg").string();
    {
        wxSVGFileDC dc(path, 850, 1100, 100);
        CListPrintout printout(view, *setup, false);
        PrepareLetterPrintout(printout, dc);
        ASSERT_TRUE(printout.OnPrintPage(1));
    }
    std::ifstream in(path);
    std::stringstream svg;
    svg << in.rdbuf();
    // Each text element: its place and its words.
    std::map<std::string, std::pair<double, double>> at;
    const std::regex text(R"re(<text[^>]*\sx="([-0-9.]+)"[^>]*\sy="([-0-9.]+)"[^>]*>([^<]*)</text>)re");
    const std::string content = svg.str();
    for (std::sregex_iterator it(content.begin(), content.end(), text), end; it != end; ++it)
        at[(*it)[3].str()] = {std::stod((*it)[1].str()), std::stod((*it)[2].str())};
    ASSERT_TRUE(at.count("Home Farm")) << content.substr(0, 2000);
    ASSERT_TRUE(at.count("RIGHTH"));
    ASSERT_TRUE(at.count("LEFTF"));
    ASSERT_TRUE(at.count("Page 1 of 1"));
    // The left parts start at the left margin; the header sits by its distance from the top, the
    // footer by its distance from the bottom (text is placed by its top, so the baseline is lower).
    EXPECT_NEAR(at["Home Farm"].first, 75, 1);
    EXPECT_NEAR(at["LEFTF"].first, 75, 1);
    EXPECT_GE(at["Home Farm"].second, 50);
    EXPECT_LT(at["Home Farm"].second, 100);
    EXPECT_GE(at["LEFTF"].second, 1100 - 60);
    EXPECT_LT(at["LEFTF"].second, 1100);
    // The right part ends at the right margin; the centre part is centred.
    EXPECT_GT(at["RIGHTH"].first, 700);
    EXPECT_LT(at["RIGHTH"].first, 775);
    EXPECT_GT(at["Page 1 of 1"].first, 300);
    EXPECT_LT(at["Page 1 of 1"].first, 425);
    // The body's first cell starts inside the margins.
    ASSERT_TRUE(at.count("A100"));
    EXPECT_GE(at["A100"].first, 75);
    EXPECT_GE(at["A100"].second, 100);
}
