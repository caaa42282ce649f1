// The splash and the start-up dialog of a start without a file.
#include <wx/button.h>
#include <wx/filedlg.h>
#include <wx/listbox.h>
#include <wx/radiobut.h>

#include <chrono>
#include <thread>

#include "document/sheep_doc.h"
#include "document/ui/sheet.h"
#include "platform/settings.h"
#include "shell/splash_window.h"
#include "support/modal_script.h"
#include "support/shell_fixture.h"
#include "views/sheep_document.h"
#include "document/ui/wx_strings.h"

#ifdef CVL_GENERAL_BREED

namespace {

constexpr uint32_t kNotStored = 77;

uint32_t StoredStartMode() {
    return CRegistrySettings::GetDWord(HKEY_CURRENT_USER, u"Settings", u"Start Mode", kNotStored);
}

class StartupTest : public ShellTest {
protected:
    // An empty flock saved where the recent-file list can name it.
    std::string WriteFlock(const char* name) {
        constexpr const char16_t* kBreed = u"General Sheep";
        CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Breeds", kBreed, Utf8ToW(CVL_GENERAL_BREED));
        const std::string path = (folders.Root() / name).string();
        CRefPtr<CSheepDoc> doc = CRefPtr<CSheepDoc>::Adopt(new CSheepDoc);
        doc->SetAttribute(FARM_BREED, kBreed);
        EXPECT_EQ(doc->LoadBreedPlugIn(kBreed, true), BREED_LOADED);
        EXPECT_TRUE(doc->OnSaveDocument(path));
        doc->OnCloseDocument();
        return path;
    }
    std::vector<std::string> OpenPaths() {
        std::vector<std::string> paths;
        for (wxDocument* doc : App().GetDocManager()->GetDocumentsVector())
            paths.push_back(doc->GetFilename().utf8_string());
        return paths;
    }
    void CloseAll() {
        for (wxDocument* doc : App().GetDocManager()->GetDocumentsVector()) doc->Modify(false);
    }
    // Cancels the start-up dialog, noting that it came.
    static std::function<int(wxDialog&)> Dismiss(bool& shown) {
        return [&shown](wxDialog& dialog) {
            shown = dynamic_cast<CStartModeDlg*>(&dialog) != nullptr;
            return int(wxID_CANCEL);
        };
    }
};

}  // namespace

TEST_F(StartupTest, TheDialogOpensInTheStoredModeWithTheRecentFiles) {
    ASSERT_TRUE(Start());
    const struct {
        uint32_t mode;
        std::vector<WString> recent;
        bool open;
        int selection;
        bool ok;
    } cases[] = {
        {1, {}, true, wxNOT_FOUND, false},                          // only "More...", nothing chosen
        {0, {u"a.cvl", u"/farm/b.cvl"}, false, wxNOT_FOUND, true},  // the list waits for the open choice
        {1, {u"a.cvl", u"/farm/b.cvl"}, true, 1, true},             // the newest recent file chosen
    };
    for (const auto& c : cases) {
        CRegistrySettings::SetDWord(HKEY_CURRENT_USER, u"Settings", u"Start Mode", c.mode);
        CStartModeDlg dialog(Frame(), c.recent);
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << ", " << c.recent.size() << " recent");
        EXPECT_EQ(FromWx(dialog.GetTitle()), u"Welcome to the Corvalen");
        EXPECT_EQ(dialog.GetOpenRadio()->GetValue(), c.open);
        EXPECT_EQ(dialog.GetNewRadio()->GetValue(), !c.open);
        EXPECT_EQ(dialog.GetRecentList()->IsEnabled(), c.open);
        ASSERT_EQ(dialog.GetRecentList()->GetCount(), c.recent.size() + 1);
        EXPECT_EQ(dialog.GetRecentList()->GetString(0), "More...");
        EXPECT_EQ(dialog.GetRecentList()->GetSelection(), c.selection);
        EXPECT_EQ(dialog.GetOkButton()->IsEnabled(), c.ok);
    }

    // New mode: the open choice enables the list, and OK waits for an entry.
    CRegistrySettings::SetDWord(HKEY_CURRENT_USER, u"Settings", u"Start Mode", 0);
    CStartModeDlg dialog(Frame(), {u"a.cvl"});
    dialog.ChooseOpen();
    EXPECT_TRUE(dialog.GetRecentList()->IsEnabled());
    EXPECT_FALSE(dialog.GetOkButton()->IsEnabled());
    dialog.SelectEntry(0);
    EXPECT_TRUE(dialog.GetOkButton()->IsEnabled());
    // "More..." with the file prompt cancelled: the dialog stays and nothing is stored.
    CRegistrySettings::SetDWord(HKEY_CURRENT_USER, u"Settings", u"Start Mode", kNotStored);
    bool prompted = false;
    {
        ModalScript script({[&](wxDialog& prompt) {
            prompted = dynamic_cast<wxFileDialog*>(&prompt) != nullptr;
            return int(wxID_CANCEL);
        }});
        dialog.SetReturnCode(0);
        dialog.PressOk();
    }
    EXPECT_TRUE(prompted);
    EXPECT_EQ(dialog.GetReturnCode(), 0);
    EXPECT_EQ(StoredStartMode(), kNotStored);
}

TEST_F(StartupTest, TheChosenStartIsRunAndARecentFileThatFailsLeavesTheList) {
    const std::string flock = WriteFlock("flock.cvl");
    const std::string gone = (folders.Root() / "gone.cvl").string();
    ASSERT_TRUE(Start());
    App().GetDocManager()->AddFileToHistory(flock);
    App().GetDocManager()->AddFileToHistory(gone);  // newest: entry 1

    // A recent file: opened, and the open choice remembered.
    {
        ModalScript script({[](wxDialog& dialog) {
            auto& start = dynamic_cast<CStartModeDlg&>(dialog);
            start.ChooseOpen();
            start.SelectEntry(2);
            start.PressOk();
            return start.GetReturnCode();
        }});
        App().ShowStartupDialog();
    }
    EXPECT_EQ(OpenPaths(), std::vector<std::string>{flock});
    EXPECT_EQ(StoredStartMode(), 1u);
    // Read once: a second request shows nothing.
    {
        ModalScript none({});
        App().ShowStartupDialog();
    }
    CloseAll();
    Stop();

    // A recent file that cannot be opened leaves the list.
    ASSERT_TRUE(Start());
    ASSERT_EQ(App().GetDocManager()->GetHistoryFilesCount(), 2u);
    {
        ModalScript script({[](wxDialog& dialog) {
            auto& start = dynamic_cast<CStartModeDlg&>(dialog);
            for (unsigned i = 1; i < start.GetRecentList()->GetCount(); ++i)
                if (start.GetRecentList()->GetString(i).EndsWith("gone.cvl")) start.SelectEntry(int(i));
            start.PressOk();
            return start.GetReturnCode();
        }});
        App().ShowStartupDialog();
    }
    EXPECT_TRUE(OpenPaths().empty());
    ASSERT_EQ(App().GetDocManager()->GetHistoryFilesCount(), 1u);
    EXPECT_EQ(App().GetDocManager()->GetHistoryFile(0), flock);
    Stop();

    // A new database: the new-database wizard follows (cancelled here), and the choice is kept.
    ASSERT_TRUE(Start());
    bool wizard = false;
    {
        ModalScript script({[](wxDialog& dialog) {
                                auto& start = dynamic_cast<CStartModeDlg&>(dialog);
                                start.ChooseNew();
                                start.PressOk();
                                return start.GetReturnCode();
                            },
                            [&](wxDialog& dialog) {
                                wizard = dynamic_cast<CCvlPropertySheet*>(&dialog) != nullptr;
                                return int(wxID_CANCEL);
                            }});
        App().ShowStartupDialog();
    }
    EXPECT_TRUE(wizard);
    EXPECT_EQ(StoredStartMode(), 0u);
    CloseAll();
}

TEST_F(StartupTest, TheSplashComesFirstAndItsEndBringsTheDialogOnlyWithoutAFile) {
    CSheepApp::EnableStartupScreens(true);
    bool shown = false;
    {
        ModalScript script({Dismiss(shown)});
        ASSERT_TRUE(Start());
        // On a busy machine the start may outlast the splash: then its timer brought the dialog.
        if (CSplashWindow::Get()) {
            EXPECT_FALSE(shown) << "the dialog waits for the splash";
            wxKeyEvent key(wxEVT_KEY_DOWN);
            App().FilterEvent(key);
            EXPECT_EQ(CSplashWindow::Get(), nullptr);
            Pump();
        }
        EXPECT_TRUE(shown);
    }
    Stop();

    // Left alone, the splash ends by itself.
    shown = false;
    {
        ModalScript script({Dismiss(shown)});
        ASSERT_TRUE(Start());
        for (int i = 0; i < 600 && !shown; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            Pump();
        }
        EXPECT_TRUE(shown);
        EXPECT_EQ(CSplashWindow::Get(), nullptr);
    }
    Stop();

    // A named file: the splash, then no dialog.
    const std::string flock = WriteFlock("named.cvl");
    {
        ModalScript none({});
        ASSERT_TRUE(Start(wxArrayString(1, flock)));
        // Opening the file may outlast the splash on a busy machine; either way no dialog follows.
        wxMouseEvent click(wxEVT_LEFT_DOWN);
        App().FilterEvent(click);
        Pump();
        EXPECT_EQ(CSplashWindow::Get(), nullptr);
    }
    CloseAll();
    Stop();

    // Automation: neither.
    {
        ModalScript none({});
        ASSERT_TRUE(Start(wxArrayString(1, "--automation")));
        Pump();
        EXPECT_EQ(CSplashWindow::Get(), nullptr);
    }
}

TEST_F(StartupTest, WhenTheSplashCannotBeShownTheDialogStillComes) {
    ASSERT_TRUE(Start());
    bool shown = false;
    {
        ModalScript script({Dismiss(shown)});
        App().ShowStartupScreens(wxBitmap());  // no picture
        EXPECT_EQ(CSplashWindow::Get(), nullptr);
        Pump();
    }
    EXPECT_TRUE(shown);
}

#endif
