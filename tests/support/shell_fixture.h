// The program started in the test process: a fresh settings store and install prefix per test,
// the app's boxes answered by a script, and helpers to restart it.
#pragma once

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/print.h>

#include <filesystem>
#include <string>

#include "platform/install.h"
#include "shell/main_frame.h"
#include "shell/sheep_app.h"
#include "support/scripted_host_fixture.h"

// Points the settings stores and the install prefix at folders of their own.
class CTestFolders {
public:
    explicit CTestFolders(bool installed = true);
    ~CTestFolders();
    const std::filesystem::path& Root() const { return m_root; }
    void SetInstalled(bool installed);

private:
    std::filesystem::path m_root;
};

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the program with these arguments; the app's boxes go to `host`.
    bool Start(const wxArrayString& args = {});
    // Closes the main window as the user would and ends the program.
    void Stop();
    // Runs pending events and deletions.
    static void Pump();
    // Marks every open document unmodified, so that stopping asks nothing.
    void ForgetChanges();

    CSheepApp& App() { return wxGetApp(); }
    CMainFrame* Frame() { return App().GetMainFrame(); }

    CTestFolders folders;
    CScopedScriptedHost host;
    bool m_running = false;
};

class CFlockView;
class CSheepDoc;
class CSheepDocument;

// The program started with a new untitled flock open in the flock list.
class FlockListTest : public ShellTest {
protected:
    void SetUp() override;
    // What a test left modified is thrown away when the program stops.
    void TearDown() override;
    // Shows every animal with the document unmodified, as a flock just opened would be.
    void ShowWholeFlock();
    CSheepDoc& core();

    CSheepDocument* doc = nullptr;
    CFlockView* view = nullptr;
};

// Sets a printout up to draw on dc as on letter paper at 100 dots per inch on screen and paper, so
// that a hundredth of an inch is a logical unit, and prepares it.
void PrepareLetterPrintout(wxPrintout& printout, wxDC& dc);
