// The help book we ship: an HTML help project (contents, index, topics) shown by wx's help
// controller, loaded on first use, and its context table, which gives the pop-up texts of the
// dialogs' controls (0x50000 + control id) and of the messages (0x30000 + string number).
#pragma once

#include <wx/string.h>

#include <memory>

class CCvlHelpProvider;
class wxHelpProvider;
class wxHtmlHelpController;
class wxWindow;

class CHelpBook {
public:
    // The book's project file and its context table beside it ("context.txt").
    explicit CHelpBook(wxString projectFile);
    ~CHelpBook();
    CHelpBook(const CHelpBook&) = delete;
    CHelpBook& operator=(const CHelpBook&) = delete;

    // The installed book's project file (the "Help" component); empty when it is not installed.
    static wxString FindInstalledBook();

    // Makes the context table answer F1 and right-clicks on controls until the book goes.
    void InstallProvider();
    CCvlHelpProvider* GetProvider() const { return m_provider; }

    // The help window on its contents; false when the book cannot be loaded.
    bool DisplayContents();
    // The help window on the topic a numeric id names; false when the book has no such topic.
    bool DisplayTopic(int id);
    // A message's Help button: the message's text from the context table when the book has one, else
    // the topic on messages; both modal, over the question.
    bool ShowPromptHelp(unsigned helpId, wxWindow* over);

    wxHtmlHelpController* GetController();

private:
    wxString m_project;
    std::unique_ptr<wxHtmlHelpController> m_controller;
    bool m_bLoaded = false;
    CCvlHelpProvider* m_provider = nullptr;
    wxHelpProvider* m_previous = nullptr;
};

// The numeric ids of the book's main topics.
constexpr int kHelpTopicMain = 0x20080;
constexpr int kHelpTopicMessages = 0x30000;
