// The host of the program: message boxes, progress in the main frame's status bar, the wait cursor.
#pragma once

#include <functional>

#include "platform/host.h"

class CMainFrame;

class CHelpBook;

class CWxHost : public CCvlHost {
public:
    // The program's main window while it exists.
    static CMainFrame* GetMainFrame();

    // Lets a caller answer the boxes in place of the user (tests, unattended runs).
    using Answerer = std::function<int(const CvlMessage&)>;
    void SetAnswerer(Answerer answerer) { m_answerer = std::move(answerer); }
    // What a message's Help button shows (the program's help book); none hides the button.
    void SetHelpBook(CHelpBook* book) { m_pHelpBook = book; }

    int DoMessageBox(const CvlMessage& msg) override;
    void SetMessageText(const WString& text) override;

protected:
    bool OnBeginProgress(const WString& title, int range) override;
    void OnProgressPos(int pos) override;
    void OnEndProgress() override;
    void OnWaitCursor(bool show) override;

private:
    Answerer m_answerer;
    CHelpBook* m_pHelpBook = nullptr;
};
