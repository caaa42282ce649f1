// File Report of the record view in the running program: the report pane in place of the documents,
// the animal's page in the web view, Close giving the frame back, and closing the program over it.
#include <wx/button.h>
#include <wx/utils.h>
#include <wx/webview.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "document/command_ids.h"
#include "document/sheep_doc.h"
#include "platform/settings.h"
#include "platform/strings.h"
#include "records/criteria.h"
#include "records/sheep.h"
#include "shell/frame_bars.h"
#include "support/shell_fixture.h"
#include "views/record_view.h"
#include "views/sheep_document.h"
#include "views/sheep_html_view.h"

namespace {

class ReportViewTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        const auto share = folders.Root() / "prefix/share/corvalen";
        std::filesystem::create_directories(share);
        std::filesystem::copy_file(CVL_XML_SCHEMA_FILE, share / "corvalen.xsd");
        std::ofstream(share / "components") << "Dedov=bin/Dedov\nSchema=share/corvalen/corvalen.xsd\n";
        SetXsl(CVL_REPORT_XSL);
        CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Settings", u"Report CSS", W(CVL_REPORT_CSS));
        ASSERT_TRUE(Start());
        doc = dynamic_cast<CSheepDocument*>(App().CreateUntitledDocument(true));
        ASSERT_NE(doc, nullptr);
        view = dynamic_cast<CSheepView*>(doc->GetFirstView());
        ASSERT_NE(view, nullptr);
        auto* sheep = new CSheep(u"A100", SEX_EWE, &doc->GetCore());
        sheep->SetSire(u"R<7>");
        ASSERT_GE(doc->GetCore().AddSheep(sheep, false), 0);
        doc->GetCore().GetExtractionCriteria().m_nType = CRITERIA_ALL;
        doc->GetCore().SelectSheepAt(0, true, false, nullptr);
        Pump();
    }
    void TearDown() override {
        if (wxDocManager* manager = App().GetDocManager())
            for (wxObject* open : manager->GetDocuments()) static_cast<wxDocument*>(open)->Modify(false);
        ShellTest::TearDown();
    }
    static void SetXsl(const std::string& value) {
        CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Settings", u"Report XSL", W(value));
    }
    void OpenReport() {
        wxCommandEvent event(wxEVT_MENU, WxCommandId(ID_FILE_REPORT));
        event.SetEventObject(Frame());
        Frame()->ProcessWindowEvent(event);
        Pump();
    }
    static wxString Script(CSheepHtmlView* report, const char* script) {
        wxString result;
        report->GetBrowser()->RunScript(script, &result);
        return result;
    }
    static wxString Contents(CSheepHtmlView* report) {
        return Script(report, "document.getElementById('Contents').innerHTML");
    }
    static bool PumpUntil(const std::function<bool()>& done) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            Pump();
            wxMilliSleep(10);
        }
        return true;
    }
    bool DocumentsShown() { return Frame()->GetBars()->GetManager().GetPane("documents").IsShown(); }

    CSheepDocument* doc = nullptr;
    CSheepView* view = nullptr;
};

TEST_F(ReportViewTest, TheAnimalsPageOverTheDocumentsAndCloseGivesTheFrameBack) {
    OpenReport();
    CSheepHtmlView* report = view->GetReport();
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(Frame()->GetPreviewPane(), report);
    EXPECT_FALSE(DocumentsShown());
    EXPECT_NE(WToUtf8(report->GetReportText()).find("<Tattoo>A100</Tattoo>"), std::string::npos);
    ASSERT_TRUE(
        PumpUntil([&] { return report->IsRendered() && Contents(report).Contains("<h1>A100</h1>"); }));
    EXPECT_TRUE(Contents(report).Contains("R&lt;7&gt;"));
    EXPECT_TRUE(
        Script(report, "document.querySelector('link[rel=stylesheet]').href").EndsWith("sheep_report.css"));
    for (const CvlMessage& message : host.Messages()) ADD_FAILURE() << WToUtf8(message.text);

    auto* close = dynamic_cast<wxButton*>(report->FindWindow(ID_REPORT_CLOSE));
    ASSERT_NE(close, nullptr);
    ASSERT_NE(report->FindWindow(ID_REPORT_PRINT), nullptr);
    wxCommandEvent click(wxEVT_BUTTON, ID_REPORT_CLOSE);
    click.SetEventObject(close);
    close->GetEventHandler()->ProcessEvent(click);
    Pump();
    EXPECT_EQ(view->GetReport(), nullptr);
    EXPECT_EQ(Frame()->GetPreviewPane(), nullptr);
    EXPECT_TRUE(DocumentsShown());
    EXPECT_EQ(App().GetDocManager()->GetCurrentView(), view);
    EXPECT_EQ(Frame()->GetStatusBar()->GetStatusText(0), wxString::FromUTF8(WToUtf8(LoadCvlString(0xE001))));
}

TEST_F(ReportViewTest, AStyleSheetOnTheNetworkIsRefusedInThePage) {
    SetXsl("http://127.0.0.1:1/report.xsl");
    OpenReport();
    CSheepHtmlView* report = view->GetReport();
    ASSERT_NE(report, nullptr);
    ASSERT_TRUE(
        PumpUntil([&] { return report->IsRendered() && Contents(report).Contains("Failed to load"); }));
    EXPECT_EQ(Contents(report), "Failed to load http://127.0.0.1:1/report.xsl<br>");
}

TEST_F(ReportViewTest, ClosingTheProgramOverTheReportClosesTheReportFirst) {
    OpenReport();
    CSheepHtmlView* report = view->GetReport();
    ASSERT_NE(report, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return report->IsRendered(); }));
    doc->Modify(false);
    doc->GetCore().SetModifiedFlag(false);
    // The report's close runs before the window goes; the sanitizers see any use of what it freed.
    Stop();
}

}  // namespace
