// Context help: a right-click over a control (hidden and disabled ones too) and F1 on a control
// show that control's topic through the help provider.
#include "document/ui/context_help.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/cshelp.h>
#include <wx/dialog.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

#include "platform/strings.h"

namespace {

class RecordingHelpProvider : public wxSimpleHelpProvider {
public:
    std::vector<wxWindowBase*> shown;
    bool ShowHelpAtPoint(wxWindowBase* window, const wxPoint&, wxHelpEvent::Origin) override {
        shown.push_back(window);
        return true;
    }
};

class ContextHelp : public ::testing::Test {
protected:
    void SetUp() override {
        m_previous = wxHelpProvider::Set(&provider);
        dialog = new wxDialog(nullptr, wxID_ANY, "help");
        auto* sizer = new wxBoxSizer(wxVERTICAL);
        for (int id : {1074, 1023, 1024}) {
            auto* edit = new wxTextCtrl(dialog, id);
            sizer->Add(edit, 0, wxALL, 8);
        }
        dialog->SetSizerAndFit(sizer);
        static const CvlHelpPair table[] = {
            {1074, CvlControlHelpId(1074)}, {1024, CvlControlHelpId(1024)}, {0, 0}};
        CvlAttachContextHelp(dialog, table);
        dialog->Show();
        wxTheApp->Yield(true);
    }
    void TearDown() override {
        dialog->Destroy();
        wxHelpProvider::Set(m_previous);
    }
    void RightClickOn(int id) {
        wxWindow* control = dialog->FindWindow(id);
        wxContextMenuEvent event(wxEVT_CONTEXT_MENU, control->GetId(),
                                 control->ClientToScreen(wxPoint(2, 2)));
        event.SetEventObject(control);
        control->GetEventHandler()->ProcessEvent(event);
    }

    RecordingHelpProvider provider;
    wxDialog* dialog = nullptr;

private:
    wxHelpProvider* m_previous = nullptr;
};

TEST_F(ContextHelp, ControlsCarryTheirTopicsFromTheTable) {
    EXPECT_EQ(provider.GetHelp(dialog->FindWindow(1074)), wxString::Format("%u", 0x50000u + 1074));
    EXPECT_EQ(provider.GetHelp(dialog->FindWindow(1024)), wxString::Format("%u", 0x50000u + 1024));
    EXPECT_EQ(provider.GetHelp(dialog->FindWindow(1023)), "");
}

TEST_F(ContextHelp, ARightClickFindsTheControlUnderThePointerEvenWhenDisabled) {
    dialog->FindWindow(1024)->Disable();
    RightClickOn(1024);
    RightClickOn(1074);
    ASSERT_EQ(provider.shown.size(), 2u);
    EXPECT_EQ(provider.shown[0], dialog->FindWindow(1024));
    EXPECT_EQ(provider.shown[1], dialog->FindWindow(1074));
    EXPECT_EQ(CvlFindControlAt(dialog, wxPoint(-100, -100)), nullptr);
}

TEST_F(ContextHelp, F1ShowsTheFocusedControlsTopic) {
    wxWindow* control = dialog->FindWindow(1024);
    control->SetFocus();
    wxTheApp->Yield(true);
    if (wxWindow::FindFocus() != control) GTEST_SKIP() << "no keyboard focus on this display";
    // The key reaches the focused control first and goes up from there.
    wxKeyEvent key(wxEVT_CHAR_HOOK);
    key.m_keyCode = WXK_F1;
    key.SetEventObject(control);
    control->ProcessWindowEvent(key);
    ASSERT_EQ(provider.shown.size(), 1u);
    EXPECT_EQ(provider.shown[0], control);
}

}  // namespace
