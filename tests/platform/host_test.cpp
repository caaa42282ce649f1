#include "platform/host.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/message_help.h"
#include "support/scripted_host_fixture.h"

// The box with a Help button below.
CVL_MESSAGE_HELP(145);

TEST(Host, MessageByNumberCarriesTextArgsAndPromptHelp) {
    CScopedScriptedHost host;
    EXPECT_EQ(CvlMessageBox(40), IDOK);
    EXPECT_EQ(CvlMessageBox(112, {u"Texel"}, MB_ICONERROR), IDOK);
    EXPECT_EQ(CvlMessageBox(145, MB_ICONSTOP | MB_HELP, 0x30091), IDOK);
    ASSERT_EQ(host.Messages().size(), 3u);

    const CvlMessage& plain = host.Messages()[0];
    EXPECT_EQ(plain.stringId, 40u);
    EXPECT_EQ(plain.helpId, 0x30028u);
    EXPECT_EQ(plain.text, u"This electronic ID is already in use by %s");
    EXPECT_EQ(plain.type, MB_OK);

    const CvlMessage& withArgs = host.Messages()[1];
    EXPECT_EQ(withArgs.text, u"Failed to initialize the Texel plugin. Please reinstall the Corvalen.");
    EXPECT_EQ(withArgs.args, std::vector<WString>{u"Texel"});
    EXPECT_EQ(withArgs.helpId, CvlPromptHelpId(112));
    EXPECT_EQ(withArgs.type & MB_ICONMASK, MB_ICONERROR);

    EXPECT_EQ(host.Messages()[2].helpId, 0x30091u);
    EXPECT_EQ(host.MessageIds(), (std::vector<unsigned>{40, 112, 145}));
}

// The help book's test walks the registered ids: a box whose Help button carries another id fails
// the script, in whichever test shows it.
TEST(Host, AHelpButtonNeedsItsHelpIdRegistered) {
    CScopedScriptedHost host;
    std::vector<std::string> failures;
    host.SetFailureHandler([&](const std::string& what) { failures.push_back(what); });
    CvlMessageBox(145, MB_ICONSTOP | MB_HELP);
    CvlMessageBox(40, MB_OK);
    CvlMessageBoxText(u"No help id: the book's topic on messages", MB_OK | MB_HELP);
    EXPECT_TRUE(failures.empty());
    EXPECT_TRUE(CvlIsMessageHelpRegistered(CvlPromptHelpId(145)));

    host.Reply(IDYES);
    EXPECT_EQ(CvlMessageBox(40, MB_YESNO | MB_HELP), IDYES);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].find("0x30028"), std::string::npos) << failures[0];
    EXPECT_EQ(host.Messages().size(), 4u);
}

TEST(Host, LiteralTextAndFullFormMessages) {
    CScopedScriptedHost host;
    CvlMessageBoxText(u"Reports cannot be exported as XML.");
    CvlMessage formatted;
    formatted.stringId = 40;
    formatted.text = u"This electronic ID is already in use by UK0001";
    formatted.helpId = CVL_HELP_FROM_ID;
    CvlShowMessage(formatted);
    CvlMessage fromOtherTable;
    fromOtherTable.table = CvlStringTable::Wyndrace;
    fromOtherTable.stringId = 59;
    fromOtherTable.args = {u"Weight"};
    fromOtherTable.caption = u"Error";
    CvlShowMessage(fromOtherTable);

    ASSERT_EQ(host.Messages().size(), 3u);
    EXPECT_EQ(host.Messages()[0].stringId, 0u);
    EXPECT_EQ(host.Messages()[0].helpId, 0u);
    EXPECT_EQ(host.Messages()[0].text, u"Reports cannot be exported as XML.");
    EXPECT_EQ(host.Messages()[1].text, u"This electronic ID is already in use by UK0001");
    EXPECT_EQ(host.Messages()[1].helpId, 0x30028u);
    EXPECT_EQ(host.Messages()[2].text, u"Please select Weight's control mapping");
    EXPECT_EQ(host.Messages()[2].caption, u"Error");
    EXPECT_EQ(host.Messages()[2].helpId, 0u);  // the full form keeps the help the caller gave
}

TEST(Host, ButtonsAndDefaultAnswers) {
    struct Case {
        unsigned type;
        std::vector<int> buttons;
        int defaultAnswer;
    } cases[] = {
        {MB_OK, {IDOK}, IDOK},
        {MB_OKCANCEL, {IDOK, IDCANCEL}, IDOK},
        {MB_OKCANCEL | MB_DEFBUTTON2, {IDOK, IDCANCEL}, IDCANCEL},
        {MB_YESNO | MB_ICONQUESTION, {IDYES, IDNO}, IDYES},
        {MB_YESNO | MB_DEFBUTTON2, {IDYES, IDNO}, IDNO},
        {MB_YESNOCANCEL | MB_DEFBUTTON3, {IDYES, IDNO, IDCANCEL}, IDCANCEL},
        {MB_YESNO | MB_DEFBUTTON3, {IDYES, IDNO}, IDYES},  // no third button: the first
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CvlMessageButtons(c.type), c.buttons) << c.type;
        EXPECT_EQ(CvlDefaultButton(c.type), c.defaultAnswer) << c.type;
        EXPECT_EQ(CvlIsQuestion(c.type), c.buttons.size() > 1) << c.type;
    }
}

TEST(Host, DefaultHostLogsAndTakesTheDefaultButtonWithoutBlocking) {
    ASSERT_EQ(CvlSetHost(nullptr), nullptr);
    testing::internal::CaptureStderr();
    EXPECT_EQ(CvlMessageBox(1020, {u"UK0001"}, MB_YESNO | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(CvlMessageBox(18, MB_YESNO), IDYES);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Are you sure that you want to delete UK0001 from the database?"), std::string::npos)
        << err;
    EXPECT_NE(err.find("0x303FC"), std::string::npos) << err;
}

TEST(Host, SetHostGivesThePreviousOneAndScopesRestore) {
    CScriptedHost outer, inner;
    EXPECT_EQ(CvlSetHost(&outer), nullptr);
    {
        CCvlHostScope scope(inner);
        EXPECT_EQ(&CvlGetHost(), &inner);
    }
    EXPECT_EQ(&CvlGetHost(), &outer);
    EXPECT_EQ(CvlSetHost(nullptr), &outer);
    EXPECT_NE(&CvlGetHost(), &outer);
}

TEST(ScriptedHost, AnswersQuestionsInOrderAndLeavesNoticesAlone) {
    CScopedScriptedHost host;
    host.Reply(1020, IDNO);
    host.Reply(IDCANCEL);
    EXPECT_EQ(CvlMessageBox(110), IDOK);  // a notice takes no scripted answer
    EXPECT_EQ(CvlMessageBox(1020, {u"UK0001"}, MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(CvlMessageBox(16, MB_YESNOCANCEL), IDCANCEL);
    EXPECT_EQ(host.PendingReplies(), 0u);
    EXPECT_EQ(host.MessageIds(), (std::vector<unsigned>{110, 1020, 16}));
}

TEST(ScriptedHost, ScriptFaultsAreReportedLoudly) {
    CScriptedHost host;
    CCvlHostScope scope(host);
    std::vector<std::string> failures;
    host.SetFailureHandler([&](const std::string& what) { failures.push_back(what); });

    EXPECT_EQ(CvlMessageBox(18, MB_YESNO | MB_DEFBUTTON2), IDNO);  // unscripted: reported, default taken
    host.Reply(57, IDYES);
    EXPECT_EQ(CvlMessageBox(117, MB_YESNO), IDYES);  // wrong number
    host.Reply(IDYES);
    EXPECT_EQ(CvlMessageBox(16, MB_OKCANCEL), IDOK);  // not one of the buttons

    ASSERT_EQ(failures.size(), 3u);
    EXPECT_NE(failures[0].find("unscripted question 18"), std::string::npos) << failures[0];
    EXPECT_NE(failures[1].find("expected question 57"), std::string::npos) << failures[1];
    EXPECT_NE(failures[2].find("not a button"), std::string::npos) << failures[2];
    EXPECT_EQ(host.Messages().size(), 3u);
}

TEST(ScriptedHostDeathTest, UnscriptedQuestionAbortsWithoutAHandler) {
    EXPECT_DEATH(
        {
            CScriptedHost host;
            CCvlHostScope scope(host);
            CvlMessageBox(18, MB_YESNO);
        },
        "unscripted question 18");
}

TEST(Host, ProgressIsOneAtATime) {
    CScopedScriptedHost host;
    host.StepProgress();  // nothing shown: ignored
    EXPECT_TRUE(host.BeginProgress(1024, 3));
    EXPECT_FALSE(host.BeginProgressText(u"Importing", 10));  // refused, the first stays
    host.StepProgress();
    host.StepProgress();
    host.SetProgressPos(3);
    EXPECT_EQ(host.GetProgressPos(), 3);
    host.EndProgress();
    host.EndProgress();  // second end: ignored
    EXPECT_FALSE(host.IsProgressShown());
    EXPECT_TRUE(host.BeginProgressText(u"Loading", 1));
    EXPECT_EQ(host.GetProgressPos(), 0);
    host.EndProgress();

    using E = CScriptedHost::ProgressEvent;
    const auto& p = host.Progress();
    ASSERT_EQ(p.size(), 7u);
    EXPECT_EQ(p[0].kind, E::Begin);
    EXPECT_EQ(p[0].title, u"Saving");
    EXPECT_EQ(p[0].value, 3);
    EXPECT_EQ(p[1].value, 1);
    EXPECT_EQ(p[2].value, 2);
    EXPECT_EQ(p[3].value, 3);
    EXPECT_EQ(p[4].kind, E::End);
    EXPECT_EQ(p[5].title, u"Loading");
    EXPECT_EQ(p[6].kind, E::End);
}

TEST(Host, ProgressRefusedByTheHostLeavesNothingShown) {
    CScopedScriptedHost host;
    host.SetProgressAvailable(false);
    EXPECT_FALSE(host.BeginProgress(1025, 100));
    host.StepProgress();
    host.EndProgress();
    EXPECT_FALSE(host.IsProgressShown());
    EXPECT_TRUE(host.Progress().empty());
}

TEST(Host, WaitCursorGuardsNest) {
    CScopedScriptedHost host;
    {
        CCvlWaitCursor outer;
        {
            CCvlWaitCursor inner;
            EXPECT_EQ(host.GetWaitCursorDepth(), 2);
        }
        EXPECT_EQ(host.GetWaitCursorDepth(), 1);
    }
    EXPECT_EQ(host.GetWaitCursorDepth(), 0);
    host.EndWaitCursor();  // unbalanced end: ignored
    EXPECT_EQ(host.GetWaitCursorDepth(), 0);
    EXPECT_EQ(host.WaitCursorShows(), 1);
}

TEST(Host, UiThreadIsTheCreatingThreadUnlessOverridden) {
    CScriptedHost host;
    EXPECT_TRUE(host.IsUiThread());
    bool onWorker = true;
    std::thread([&] { onWorker = host.IsUiThread(); }).join();
    EXPECT_FALSE(onWorker);
    host.SetUiThread(false);
    EXPECT_FALSE(host.IsUiThread());
}
