// The help book we ship: every help id a page, a dialog or a message's Help button can ask for has a
// text in the book's context table, every file with a help table or a Help button registers its ids,
// the book loads with its main topics, and a message's Help button shows the message's text.
#include "shell/help_book.h"

#include <gtest/gtest.h>
#include <wx/filename.h>
#include <wx/html/helpdata.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>

#include "document/ui/context_help.h"
#include "platform/help_context.h"
#include "platform/message_help.h"
#include "shell/wx_host.h"
#include "support/shell_fixture.h"

namespace {

std::string BookFile(const char* name) {
    return (std::filesystem::path(CVL_HELP_BOOK).parent_path() / name).string();
}

CCvlHelpContext LoadBook() {
    CCvlHelpContext context;
    std::string why;
    EXPECT_TRUE(context.Load(BookFile("context.txt"), &why)) << why;
    return context;
}

// A registering file as the source tree names it (a compiler cache may name it relative to the build
// folder).
std::string SourceName(const char* registered) {
    std::filesystem::path file(registered);
    if (!file.is_relative()) return std::filesystem::relative(file, CVL_SOURCE_DIR).string();
    while (!file.empty() && (*file.begin() == ".." || *file.begin() == "."))
        file = file.lexically_relative(*file.begin());
    return file.string();
}

// The program's source files under these folders whose text passes the test.
std::set<std::string> SourcesWhere(std::initializer_list<const char*> folders,
                                   const std::function<bool(const std::string&)>& test) {
    std::set<std::string> found;
    for (const char* folder : folders)
        for (const auto& file :
             std::filesystem::recursive_directory_iterator(std::filesystem::path(CVL_SOURCE_DIR) / folder)) {
            if (file.path().extension() != ".cpp") continue;
            std::ifstream in(file.path());
            std::stringstream text;
            text << in.rdbuf();
            if (test(text.str()))
                found.insert(std::filesystem::relative(file.path(), CVL_SOURCE_DIR).string());
        }
    return found;
}

TEST(HelpBook, EveryHelpIdOfEveryTableHasAText) {
    const CCvlHelpContext context = LoadBook();
    ASSERT_FALSE(CvlHelpTables().empty());
    std::ostringstream missing;
    for (const CvlHelpTableEntry& entry : CvlHelpTables())
        for (const CvlHelpPair* pair = entry.table; pair->controlId != 0 || pair->topicId != 0; ++pair)
            if (!context.Find(pair->topicId))
                missing << std::hex << "0x" << pair->topicId << std::dec << " (control " << pair->controlId
                        << ", " << std::filesystem::path(entry.file).filename().string() << ")\n";
    EXPECT_EQ(missing.str(), "");
}

// A table that is not registered would escape the walk above.
TEST(HelpBook, EveryFileWithAHelpTableRegistersIt) {
    std::set<std::string> registered;
    for (const CvlHelpTableEntry& entry : CvlHelpTables()) registered.insert(SourceName(entry.file));
    std::set<std::string> defining =
        SourcesWhere({"shell", "views", "document"}, [](const std::string& text) {
            return text.find("CvlControlHelp<") != std::string::npos ||
                   text.find("constexpr CvlHelpPair") != std::string::npos;
        });
    defining.erase("document/ui/context_help.cpp");
    ASSERT_FALSE(defining.empty());
    for (const std::string& file : defining) EXPECT_TRUE(registered.count(file)) << file;
}

TEST(HelpBook, EveryHelpIdAMessageCanCarryHasAText) {
    const CCvlHelpContext context = LoadBook();
    ASSERT_FALSE(CvlMessageHelpIds().empty());
    std::ostringstream missing;
    for (const CvlMessageHelpEntry& entry : CvlMessageHelpIds())
        if (!context.Find(entry.helpId))
            missing << std::hex << "0x" << entry.helpId << std::dec << " ("
                    << std::filesystem::path(entry.file).filename().string() << ")\n";
    EXPECT_EQ(missing.str(), "");
}

// The walk above sees only what is registered: a file that shows a Help button must register the
// ids its boxes carry. The scripted host refuses an unregistered id in any test that shows the box.
TEST(HelpBook, EveryFileThatShowsAHelpButtonRegistersItsHelpIds) {
    std::set<std::string> registered;
    for (const CvlMessageHelpEntry& entry : CvlMessageHelpIds()) registered.insert(SourceName(entry.file));
    std::set<std::string> showing =
        SourcesWhere({"shell", "views", "document", "records"},
                     [](const std::string& text) { return text.find("MB_HELP") != std::string::npos; });
    // The message boxes themselves.
    showing.erase("shell/wx_host.cpp");
    // Reports a record's refusal under the refusal's number, which the records register.
    showing.erase("document/xml_reader.cpp");
    // A literal text without a help id: its Help button opens the book's topic on messages.
    showing.erase("views/view_options.cpp");
    ASSERT_FALSE(showing.empty());
    for (const std::string& file : showing) EXPECT_TRUE(registered.count(file)) << file;
}

// Answers the modal dialogs in place of the user and notes what each showed.
class CScriptedModals : public wxModalDialogHook {
public:
    struct Shown {
        bool message;  // a message dialog, not the book's window
        wxString text;
        bool helpButton;
    };
    explicit CScriptedModals(std::vector<int> answers) : m_answers(std::move(answers)) { Register(); }
    std::vector<Shown> shown;

protected:
    int Enter(wxDialog* dialog) override {
        auto* box = dynamic_cast<wxMessageDialogBase*>(dialog);
        shown.push_back({box != nullptr, box ? box->GetMessage() : wxString(),
                         box && (box->GetMessageDialogStyle() & wxHELP) != 0});
        if (m_next >= m_answers.size()) return wxID_CANCEL;
        return m_answers[m_next++];
    }

private:
    std::vector<int> m_answers;
    size_t m_next = 0;
};

// Help answers nothing: the message's own text comes over the question, then the question again. An id
// the book has no text for opens the book on its messages topic.
TEST(HelpBook, AMessagesHelpButtonShowsItsTextThenAsksAgain) {
    const CCvlHelpContext context = LoadBook();
    CHelpBook book(CVL_HELP_BOOK);
    book.InstallProvider();
    CWxHost host;
    host.SetHelpBook(&book);
    const unsigned deleteOne = CvlPromptHelpId(1020);
    ASSERT_TRUE(context.Find(deleteOne));
    ASSERT_FALSE(context.Find(CvlPromptHelpId(99)));

    CvlMessage question;
    question.stringId = 1020;
    question.text = u"Are you sure that you want to delete A100 from the database?";
    question.type = MB_YESNO | MB_ICONQUESTION | MB_HELP;
    question.helpId = deleteOne;
    {
        CScriptedModals modals({wxID_HELP, wxID_OK, wxID_NO});
        EXPECT_EQ(host.DoMessageBox(question), IDNO);
        ASSERT_EQ(modals.shown.size(), 3u);
        EXPECT_TRUE(modals.shown[0].helpButton);
        EXPECT_TRUE(modals.shown[1].message);
        EXPECT_EQ(modals.shown[1].text, wxString::FromUTF8(*context.Find(deleteOne)));
        EXPECT_EQ(modals.shown[2].text, modals.shown[0].text);
    }
    {
        question.helpId = CvlPromptHelpId(99);
        CScriptedModals modals({wxID_HELP, wxID_CANCEL, wxID_YES});
        EXPECT_EQ(host.DoMessageBox(question), IDYES);
        ASSERT_EQ(modals.shown.size(), 3u);
        EXPECT_FALSE(modals.shown[1].message);
    }
    {
        question.type = MB_YESNO | MB_ICONQUESTION;
        CScriptedModals modals({wxID_YES});
        EXPECT_EQ(host.DoMessageBox(question), IDYES);
        ASSERT_EQ(modals.shown.size(), 1u);
        EXPECT_FALSE(modals.shown[0].helpButton);
    }
    host.SetHelpBook(nullptr);
}

TEST(HelpBook, LoadsWithItsMainTopicsAndEveryPageItNames) {
    wxHtmlHelpData data;
    ASSERT_TRUE(data.AddBook(CVL_HELP_BOOK));
    EXPECT_FALSE(data.FindPageById(kHelpTopicMain).empty());
    EXPECT_FALSE(data.FindPageById(kHelpTopicMessages).empty());
    ASSERT_FALSE(data.GetContentsArray().empty());
    const std::filesystem::path folder = std::filesystem::path(CVL_HELP_BOOK).parent_path();
    ASSERT_FALSE(data.GetIndexArray().empty());
    for (const wxHtmlHelpDataItems* items : {&data.GetContentsArray(), &data.GetIndexArray()})
        for (size_t i = 0; i < items->size(); ++i) {
            const wxString page = (*items)[i].page.BeforeFirst('#');
            EXPECT_TRUE(std::filesystem::is_regular_file(folder / page.utf8_string())) << page;
        }
}

}  // namespace
