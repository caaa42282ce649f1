#include "document/ui/wx_strings.h"
#include "shell/progress_status_bar.h"
#include "support/shell_fixture.h"

TEST_F(ShellTest, RecordPaneShowsPositionAndTotal) {
    ASSERT_TRUE(Start());
    CMainFrame* frame = Frame();
    const struct {
        int total, current;
        const char16_t* text;
    } cases[] = {
        {-1, 3, u""},
        {5, -1, u"Record: - Total: 5"},
        {5, 2, u"Record: 3 Total: 5"},
        {0, -1, u"Record: - Total: 0"},
    };
    for (const auto& c : cases) {
        frame->SetRecordTotal(c.total);
        frame->SetCurrentRecord(c.current);
        EXPECT_EQ(frame->GetRecordPaneText(), c.text);
        EXPECT_EQ(FromWx(frame->GetStatusBar()->GetStatusText(1)), c.text);
    }
}

TEST_F(ShellTest, ProgressRunsOneAtATimeInTheMessagePane) {
    ASSERT_TRUE(Start());
    CMainFrame* frame = Frame();
    CProgressStatusBar* bar = frame->GetProgressBar();
    ASSERT_TRUE(frame->BeginProgressText(u"Loading", 10));
    EXPECT_TRUE(bar->GetProgressCtrl()->IsShown());
    EXPECT_FALSE(frame->BeginProgressText(u"Another", 5));
    for (int i = 0; i < 3; ++i) frame->StepProgress();
    EXPECT_EQ(bar->GetProgressCtrl()->GetValue(), 3);
    EXPECT_EQ(bar->GetStatusText(0), "Loading");

    frame->EndProgress();
    EXPECT_FALSE(bar->GetProgressCtrl()->IsShown());
    EXPECT_EQ(bar->GetProgressCtrl()->GetValue(), 0);
    EXPECT_EQ(bar->GetStatusText(0), "For Help, press F1");

    // The range travels as 16 bits.
    ASSERT_TRUE(frame->BeginProgress(1026, 65536 + 40));
    EXPECT_EQ(bar->GetProgressCtrl()->GetRange(), 40);
    EXPECT_EQ(bar->GetStatusText(0), "Deleting Records");
    frame->EndProgress();
}

TEST_F(ShellTest, ProgressNeedsAVisibleBar) {
    ASSERT_TRUE(Start());
    Frame()->GetStatusBar()->Hide();
    EXPECT_FALSE(Frame()->BeginProgressText(u"Loading", 10));
    Frame()->StepProgress();
    EXPECT_FALSE(Frame()->GetProgressBar()->IsProgressActive());
}

TEST_F(ShellTest, ResizingKeepsTheProgressControlInTheMessagePane) {
    ASSERT_TRUE(Start());
    CProgressStatusBar* bar = Frame()->GetProgressBar();
    ASSERT_TRUE(Frame()->BeginProgressText(u"Loading", 10));
    Frame()->SetSize(wxSize(640, 480));
    bar->SetSize(wxSize(600, bar->GetSize().y));
    Pump();
    EXPECT_EQ(bar->GetProgressCtrl()->GetRect(), bar->GetProgressRect(nullptr));
    wxRect pane;
    ASSERT_TRUE(bar->GetFieldRect(0, pane));
    EXPECT_EQ(bar->GetProgressCtrl()->GetRect().x, pane.x + 50);
    Frame()->EndProgress();
}
