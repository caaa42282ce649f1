// The Standard bar's Customize dialog and the show-me pointer in the running program; their rules
// are tested headless with the document core.
#include <wx/aui/auibar.h>
#include <wx/combobox.h>
#include <wx/listbox.h>

#include <chrono>
#include <thread>

#include "document/bar_rules.h"
#include "document/command_ids.h"
#include "document/doc_commands.h"
#include "document/sheep_doc.h"
#include "records/sheep.h"
#include "shell/customize_toolbar_dlg.h"
#include "shell/frame_bars.h"
#include "shell/main_frame.h"
#include "shell/show_me.h"
#include "support/modal_script.h"
#include "support/shell_fixture.h"
#include "views/flock_view.h"
#include "views/record_view.h"
#include "views/sheep_document.h"

namespace {

std::vector<int> Standard() {
    return {kStandardLayout.begin(), kStandardLayout.end()};
}

class ToolbarCustomizeTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_TRUE(Start());
    }
    void TearDown() override {
        ForgetChanges();
        ShellTest::TearDown();
    }
    wxAuiToolBar* Bar() { return Frame()->GetBars()->GetShowMeBar(0); }
    std::vector<int> Tools() {
        std::vector<int> tools;
        for (size_t i = 0; i < Bar()->GetToolCount(); ++i) {
            wxAuiToolBarItem* item = Bar()->FindToolByIndex(int(i));
            tools.push_back(item->GetKind() == wxITEM_SEPARATOR ? -1 : item->GetId());
        }
        return tools;
    }
    static std::vector<int> WxIds(std::vector<int> commands) {
        for (int& c : commands)
            if (c != -1) c = WxCommandId(c);
        return commands;
    }
    bool WaitForPointer() {
        // The walk's length depends on where other tests on the shared display left the pointer.
        for (int i = 0; i < 3000 && Frame()->GetShowMe()->IsRunning(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            Pump();
        }
        Pump();
        return !Frame()->GetShowMe()->IsRunning();
    }
};

TEST_F(ToolbarCustomizeTest, TheDialogRearrangesTheBarAndResetPutsItBack) {
    ASSERT_EQ(Tools(), WxIds(Standard()));
    ModalScript script({[&](wxDialog& dialog) {
        auto& customize = dynamic_cast<CCustomizeToolbarDlg&>(dialog);
        EXPECT_EQ(customize.GetAvailableList()->GetString(1), "Add Dedov");
        // Add Dedov before New.
        customize.GetAvailableList()->SetSelection(1);
        customize.GetCurrentList()->SetSelection(0);
        customize.OnAdd();
        EXPECT_EQ(Tools().front(), WxCommandId(40014));
        EXPECT_EQ(customize.GetCurrentList()->GetString(0), "Add Dedov");
        // The zoom box off the bar: it hides, and comes back whole.
        const auto& current = customize.GetLayout().GetCurrent();
        const int zoomAt = int(std::find(current.begin(), current.end(), ID_ZOOM_BOX) - current.begin());
        customize.GetCurrentList()->SetSelection(zoomAt);
        customize.OnRemove();
        EXPECT_EQ(Bar()->FindTool(WxCommandId(ID_ZOOM_BOX)), nullptr);
        EXPECT_FALSE(Frame()->GetBars()->GetZoomBox()->IsShown());
        // The end of the bar takes a separator.
        customize.GetAvailableList()->SetSelection(0);
        customize.GetCurrentList()->SetSelection(int(customize.GetCurrentList()->GetCount()) - 1);
        customize.OnAdd();
        EXPECT_EQ(Tools().back(), -1);
        customize.GetCurrentList()->SetSelection(1);
        customize.OnMoveDown();
        EXPECT_EQ(Tools()[2], WxCommandId(57600));
        EXPECT_EQ(Frame()->GetBars()->GetStandardLayout(), customize.GetLayout().GetCurrent());

        customize.OnReset();
        EXPECT_EQ(Tools(), WxIds(Standard()));
        EXPECT_TRUE(Frame()->GetBars()->GetZoomBox()->IsShown());
        return int(wxID_CLOSE);
    }});
    wxCommandEvent command(wxEVT_MENU, WxCommandId(ID_TOOLBAR_CUSTOMIZE));
    Frame()->GetEventHandler()->ProcessEvent(command);
    // The zoom box still works after its trip off the bar.
    Frame()->GetBars()->SetZoomText(75);
    EXPECT_EQ(Frame()->GetBars()->GetZoomBox()->GetValue(), "75%");
}

TEST_F(ToolbarCustomizeTest, ShowMeButtonTravelsToTheButtonOrSaysWhyNot) {
    CShowMe& showMe = *Frame()->GetShowMe();
    EXPECT_TRUE(showMe.ShowMeButton(3, 0x10000 + 57600));
    EXPECT_TRUE(showMe.ShowMeButton(0, 0x10000 + 40014));  // Add Dedov is not on the Standard bar
    EXPECT_EQ(host.MessageIds(), (std::vector<unsigned>{1037, 1038}));
    EXPECT_FALSE(showMe.IsRunning());

    Frame()->Show();
    Frame()->Raise();
    Pump();
    const int save = WxCommandId(57603);
    const wxRect tool = Bar()->GetToolRect(save);
    if (tool.IsEmpty() || !Bar()->IsShownOnScreen())
        GTEST_SKIP() << "the bar is not laid out on this display";
    const wxRect target(Bar()->ClientToScreen(tool.GetTopLeft()), tool.GetSize());
    showMe.ShowMeButton(0, 0x10000 + 57603);
    ASSERT_TRUE(WaitForPointer());
    // Other tests on the shared display move the pointer too: the walk's last stop is what counts.
    EXPECT_TRUE(target.Contains(wxPoint(showMe.GetLastStop().x, showMe.GetLastStop().y)))
        << target.x << "," << target.y;
    EXPECT_EQ(host.MessageIds().size(), 2u);
}

TEST_F(ToolbarCustomizeTest, ShowMeMenuSwitchesTheViewThenRunsTheCommand) {
    CShowMe& showMe = *Frame()->GetShowMe();
    // No flock open: only the message.
    showMe.ShowMeMenu(SHOWME_RECORD_VIEW, 40015);
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_FALSE(showMe.IsRunning());

    auto* doc = dynamic_cast<CSheepDocument*>(App().CreateUntitledDocument(true));
    ASSERT_NE(doc, nullptr);
    for (const char16_t* tattoo : {u"A100", u"B200"})
        ASSERT_GE(doc->GetCore().AddSheep(new CSheep(tattoo, SEX_EWE, &doc->GetCore()), false), 0);
    doc->GetCore().SelectSheepAt(0, true, false, nullptr);
    ASSERT_TRUE(Frame()->SwitchView(wxCLASSINFO(CFlockView)));
    Pump();
    ASSERT_EQ(showMe.GetActiveKind(), SHOWME_FLOCK_LIST);

    // Next belongs to the record view: the way to Individual Records first, then Next.
    showMe.ShowMeMenu(SHOWME_RECORD_VIEW, ID_SHEEP_NEXT);
    // Two walks with a queued step between them, during which nothing runs: wait for the outcome.
    for (int i = 0; i < 6000 && (showMe.IsRunning() || doc->GetCore().GetCurrentIndex() != 1); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        Pump();
    }
    ASSERT_TRUE(WaitForPointer());
    EXPECT_EQ(showMe.GetActiveKind(), SHOWME_RECORD_VIEW);
    EXPECT_EQ(doc->GetCore().GetCurrentIndex(), 1);
    EXPECT_EQ(host.Messages().size(), 1u);
}

}  // namespace
