// File Upload's wizard on real windows against the test web service: the login page's checks and
// refusals, the upload page's lines, its end, and Cancel while it runs.
#include "document/ui/sync_wizard.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/gauge.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <chrono>
#include <filesystem>

#include "document/sheep_doc.h"
#include "platform/settings.h"
#include "records/sheep.h"
#include "support/modal_script.h"
#include "support/scripted_host_fixture.h"
#include "support/web_service.h"

namespace {

// Runs the event loop until done() holds or a minute has passed.
bool PumpUntil(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        wxTheApp->Yield(true);
        wxMilliSleep(5);
    }
    return true;
}

class SyncWizard : public ::testing::Test {
protected:
    SyncWizard() {
        char tmpl[] = "/tmp/cvl-sync-XXXXXX";
        folder = mkdtemp(tmpl);
        CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Breeds", u"Texel",
                                     Utf8ToW(std::string(CVL_TEST_PLUGIN_DIR) + "/breed_full.so"));
        EXPECT_EQ(doc.LoadBreedPlugIn(u"Texel", true), BREED_LOADED);
    }
    ~SyncWizard() override { std::filesystem::remove_all(folder); }

    void Add(const char16_t* tattoo) {
        auto* sheep = new CSheep(tattoo, SEX_EWE, &doc);
        ASSERT_GE(doc.AddSheep(sheep, false), 0);
    }
    std::vector<WString> Shown() const {
        std::vector<WString> texts;
        for (const CvlMessage& m : host.Messages()) texts.push_back(m.text);
        return texts;
    }
    static void Type(wxTextCtrl* edit, const char* text) { edit->SetValue(text); }

    std::string folder;
    CScopedScriptedHost host;
    CSheepDoc doc;
};

TEST_F(SyncWizard, LogsInUploadsEveryAnimalAndFinishes) {
    CTestWebService service(folder);
    CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Settings", u"SheepSyncURL", W(service.Url("/login")));
    for (const char16_t* tattoo : {u"A1", u"B-REJECT", u"C1"}) Add(tattoo);
    ModalScript script({[&](wxDialog& dialog) {
        auto& sheet = dynamic_cast<CCvlPropertySheet&>(dialog);
        EXPECT_EQ(dialog.GetTitle(), "Dedov Wizard");
        auto* login = dynamic_cast<CSyncWizard1*>(sheet.GetFlow().GetActivePage());
        EXPECT_NE(login, nullptr);
        if (!login) return int(wxID_CANCEL);
        EXPECT_EQ(login->GetUserEdit()->GetValue(), "");
        EXPECT_EQ(login->GetPasswordEdit()->GetValue(), "");
        // Each missing field is asked for in turn; the service's refusal is shown; the page stays.
        sheet.PressNext();
        Type(login->GetUserEdit(), "refused");
        sheet.PressNext();
        Type(login->GetPasswordEdit(), "secret");
        sheet.PressNext();
        EXPECT_EQ(Shown(), (std::vector<WString>{u"Please enter your username", u"Please enter your password",
                                                 u"Unknown user or password"}));
        EXPECT_EQ(sheet.GetFlow().GetActivePage(), login);
        host.Clear();

        Type(login->GetUserEdit(), "ann");
        sheet.PressNext();
        auto* upload = dynamic_cast<CSyncWizard2*>(sheet.GetFlow().GetActivePage());
        EXPECT_NE(upload, nullptr);
        if (!upload) return int(wxID_CANCEL);
        EXPECT_EQ(upload->GetStatus()->GetLabel(), "Connecting to server...");
        EXPECT_TRUE(PumpUntil([&] { return upload->GetStatus()->GetLabel() == "Synchronising complete"; }));
        EXPECT_FALSE(upload->IsRunning());
        EXPECT_FALSE(upload->GetProgress()->IsShown());
        const wxString lines = upload->GetLines()->GetValue();
        for (const char* line : {"A1: Stored A1", "B-REJECT: Rejected B-REJECT", "C1: Stored C1"})
            EXPECT_NE(lines.find(line), wxString::npos) << line << "\n" << lines;
        EXPECT_EQ(Shown(), std::vector<WString>{u"Rejected B-REJECT"});
        EXPECT_TRUE(sheet.GetFinishButton()->IsEnabled());
        EXPECT_FALSE(sheet.GetBackButton()->IsEnabled());
        sheet.PressFinish();
        return int(wxID_OK);
    }});
    EXPECT_EQ(RunSyncWizard(nullptr, doc), ID_WIZFINISH);
    const auto requests = service.Requests();
    ASSERT_EQ(requests.size(), 5u);  // the refused login, the login, three animals
    EXPECT_EQ(requests[1].at("UserID"), "ann");
    EXPECT_EQ(requests[4].at("query"), "SID=S-42");
}

TEST_F(SyncWizard, CancelStopsTheUploadAndASecondCancelCloses) {
    CTestWebService service(folder);
    CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Settings", u"SheepSyncURL", W(service.Url("/login")));
    for (const char16_t* tattoo : {u"A1", u"B-SLOW", u"C1"}) Add(tattoo);
    ModalScript script({[&](wxDialog& dialog) {
        auto& sheet = dynamic_cast<CCvlPropertySheet&>(dialog);
        auto* login = dynamic_cast<CSyncWizard1*>(sheet.GetFlow().GetActivePage());
        if (!login) return int(wxID_CANCEL);
        Type(login->GetUserEdit(), "ann");
        Type(login->GetPasswordEdit(), "pw");
        sheet.PressNext();
        auto* upload = dynamic_cast<CSyncWizard2*>(sheet.GetFlow().GetActivePage());
        EXPECT_NE(upload, nullptr);
        if (!upload) return int(wxID_CANCEL);
        EXPECT_TRUE(PumpUntil([&] { return upload->GetLines()->GetValue().Contains("A1: Stored A1"); }));
        EXPECT_FALSE(sheet.GetNextButton()->IsEnabled());
        // The slow animal is on its way: Cancel ends it, and the wizard stays open.
        sheet.PressCancel();
        EXPECT_FALSE(sheet.GetFlow().IsEnded());
        EXPECT_TRUE(PumpUntil([&] {
            return upload->GetStatus()->GetLabel() ==
                   "Aborted upload. Please press Cancel again to close the dialog";
        }));
        EXPECT_TRUE(sheet.GetBackButton()->IsEnabled());
        EXPECT_TRUE(sheet.GetNextButton()->IsEnabled());
        sheet.PressCancel();
        EXPECT_TRUE(sheet.GetFlow().IsEnded());
        return int(wxID_CANCEL);
    }});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(RunSyncWizard(nullptr, doc), SHEET_CANCEL);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(25));
    EXPECT_TRUE(host.Messages().empty());
    // The third animal was never sent.
    for (const auto& request : service.Requests())
        EXPECT_EQ(request.count("SheepXML") ? request.at("SheepXML").find("<Tattoo>C1</Tattoo>")
                                            : std::string::npos,
                  std::string::npos);
}

}  // namespace
