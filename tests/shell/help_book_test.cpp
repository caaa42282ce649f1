// The help book we ship: every help id a page or dialog can ask for has a text in the book's
// context table, every file with a help table registers it, the book loads with its main topics,
// and the running program answers a control's F1 from the book.
#include "shell/help_book.h"

#include <gtest/gtest.h>
#include <wx/filename.h>
#include <wx/html/helpdata.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "document/ui/context_help.h"
#include "platform/help_context.h"
#include "support/shell_fixture.h"

namespace {

std::string BookFile(const char* name) {
    return (std::filesystem::path(CVL_HELP_BOOK).parent_path() / name).string();
}

TEST(HelpBook, EveryHelpIdOfEveryTableHasAText) {
    CCvlHelpContext context;
    std::string why;
    ASSERT_TRUE(context.Load(BookFile("context.txt"), &why)) << why;
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
    for (const CvlHelpTableEntry& entry : CvlHelpTables()) {
        // A compiler cache may name the file relative to the build folder.
        std::filesystem::path file(entry.file);
        if (file.is_relative()) {
            while (!file.empty() && (*file.begin() == ".." || *file.begin() == "."))
                file = file.lexically_relative(*file.begin());
            registered.insert(file.string());
        } else {
            registered.insert(std::filesystem::relative(file, CVL_SOURCE_DIR).string());
        }
    }
    std::set<std::string> defining;
    for (const char* folder : {"shell", "views", "document"})
        for (const auto& file :
             std::filesystem::recursive_directory_iterator(std::filesystem::path(CVL_SOURCE_DIR) / folder)) {
            if (file.path().extension() != ".cpp" || file.path().filename() == "context_help.cpp") continue;
            std::ifstream in(file.path());
            std::stringstream text;
            text << in.rdbuf();
            if (text.str().find("CvlControlHelp<") != std::string::npos ||
                text.str().find("constexpr CvlHelpPair") != std::string::npos)
                defining.insert(std::filesystem::relative(file.path(), CVL_SOURCE_DIR).string());
        }
    ASSERT_FALSE(defining.empty());
    for (const std::string& file : defining) EXPECT_TRUE(registered.count(file)) << file;
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
