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

// Three edits; the table gives topics to 1074 and 1024, none to 1023.
wxDialog* ShowHelpDialog() {
    auto* dialog = new wxDialog(nullptr, wxID_ANY, "help");
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    for (int id : {1074, 1023, 1024}) sizer->Add(new wxTextCtrl(dialog, id), 0, wxALL, 8);
    dialog->SetSizerAndFit(sizer);
    static const CvlHelpPair table[] = {{1074, CvlControlHelpId(1074)}, {1024, CvlControlHelpId(1024)}, {0, 0}};
    CvlAttachContextHelp(dialog, table);
    dialog->Show();
    wxTheApp->Yield(true);
    return dialog;
}

class ContextHelp : public ::testing::Test {
protected:
    void SetUp() override {
        m_previous = wxHelpProvider::Set(&provider);
        dialog = ShowHelpDialog();
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

// The program's provider: what pops up is the book's text for the control's help id.
class RecordingBookProvider : public CCvlHelpProvider {
public:
    using CCvlHelpProvider::CCvlHelpProvider;
    std::vector<std::pair<wxWindow*, wxString>> shown;

protected:
    void ShowText(wxWindow* window, const wxString& text, const wxPoint&) override {
        shown.emplace_back(window, text);
    }
};

TEST(ContextHelpBook, PopsUpTheBooksTextForTheControlUnderThePointer) {
    CCvlHelpContext book;
    ASSERT_TRUE(book.Parse("0x50432 The animal's tattoo.\n0x30028 The ID is taken.\n"));
    auto* provider = new RecordingBookProvider(book);
    wxHelpProvider* previous = wxHelpProvider::Set(provider);
    auto* dialog = new wxDialog(nullptr, wxID_ANY, "help");
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    for (int id : {1074, 1023, 1024}) sizer->Add(new wxTextCtrl(dialog, id), 0, wxALL, 8);
    dialog->SetSizerAndFit(sizer);
    // 1024 is in the table, but the book has no text for it; 1023 is in no table.
    static const CvlHelpPair table[] = {
        {1074, CvlControlHelpId(1074)}, {1024, CvlControlHelpId(1024)}, {0, 0}};
    CvlAttachContextHelp(dialog, table);
    dialog->Show();
    wxTheApp->Yield(true);

    wxWindow* tattoo = dialog->FindWindow(1074);
    wxContextMenuEvent click(wxEVT_CONTEXT_MENU, 1074, tattoo->ClientToScreen(wxPoint(2, 2)));
    click.SetEventObject(tattoo);
    tattoo->GetEventHandler()->ProcessEvent(click);
    ASSERT_EQ(provider->shown.size(), 1u);
    EXPECT_EQ(provider->shown[0].first, tattoo);
    EXPECT_EQ(provider->shown[0].second, "The animal's tattoo.");

    EXPECT_FALSE(provider->ShowHelp(dialog->FindWindow(1023)));
    EXPECT_FALSE(provider->ShowHelp(dialog->FindWindow(1024)));
    EXPECT_TRUE(provider->ShowPopup(dialog, CvlPromptHelpId(40)));
    ASSERT_EQ(provider->shown.size(), 2u);
    EXPECT_EQ(provider->shown[1].second, "The ID is taken.");

    dialog->Destroy();
    wxTheApp->Yield(true);
    delete wxHelpProvider::Set(previous);
}

}  // namespace
