// The host: how code without a GUI (records, document core, reconciler) reaches the user.
// The shell installs a wx implementation, the reconciler its own, tests a scripted one.
// With none installed, a default host logs to stderr and answers every box with its default button.
#pragma once

#include <thread>
#include <vector>

#include "platform/strings.h"
#include "platform/text.h"

// Message-box styles and results, with the framework's values (they are stored and compared as numbers).
constexpr unsigned MB_OK = 0x0000u;
constexpr unsigned MB_OKCANCEL = 0x0001u;
constexpr unsigned MB_YESNOCANCEL = 0x0003u;
constexpr unsigned MB_YESNO = 0x0004u;
constexpr unsigned MB_TYPEMASK = 0x000Fu;
constexpr unsigned MB_ICONERROR = 0x0010u;
constexpr unsigned MB_ICONSTOP = MB_ICONERROR;
constexpr unsigned MB_ICONHAND = MB_ICONERROR;
constexpr unsigned MB_ICONQUESTION = 0x0020u;
constexpr unsigned MB_ICONWARNING = 0x0030u;
constexpr unsigned MB_ICONEXCLAMATION = MB_ICONWARNING;
constexpr unsigned MB_ICONINFORMATION = 0x0040u;
constexpr unsigned MB_ICONASTERISK = MB_ICONINFORMATION;
constexpr unsigned MB_ICONMASK = 0x00F0u;
constexpr unsigned MB_DEFBUTTON1 = 0x0000u;
constexpr unsigned MB_DEFBUTTON2 = 0x0100u;
constexpr unsigned MB_DEFBUTTON3 = 0x0200u;
constexpr unsigned MB_DEFMASK = 0x0F00u;
constexpr unsigned MB_TASKMODAL = 0x2000u;
constexpr unsigned MB_HELP = 0x4000u;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// nIDHelp value meaning "the prompt help context of the string number" (as the framework's (UINT)-1).
constexpr unsigned CVL_HELP_FROM_ID = ~0u;

// One message box or question, as the host receives it.
struct CvlMessage {
    unsigned stringId = 0;  // 0 for a literal text
    CvlStringTable table = CvlStringTable::Dedov;
    std::vector<WString> args;  // "%1".. arguments, already substituted into text
    WString text;               // the text shown
    WString caption;            // empty: the program's title
    unsigned type = MB_OK;      // buttons | icon | default button | MB_HELP | MB_TASKMODAL
    unsigned helpId = 0;        // F1 context; 0 for none (a Help button is shown only with MB_HELP)
};

// The buttons of a box in order (IDOK.. values) and the one its default-button flag picks.
std::vector<int> CvlMessageButtons(unsigned type);
int CvlDefaultButton(unsigned type);
// True when a box offers a choice (more than one button).
bool CvlIsQuestion(unsigned type);

class CCvlHost {
public:
    CCvlHost();
    virtual ~CCvlHost();
    CCvlHost(const CCvlHost&) = delete;
    CCvlHost& operator=(const CCvlHost&) = delete;

    // Shows the box and gives the button chosen (IDOK, IDCANCEL, IDYES, IDNO).
    virtual int DoMessageBox(const CvlMessage& msg) = 0;

    // Status-bar progress, one at a time: Begin gives false and changes nothing while one is shown
    // (or when the host cannot show it). The range is 0..range, passed whole to the display.
    // Position, step and end without a progress shown do nothing.
    bool BeginProgress(unsigned titleId, int range);
    bool BeginProgressText(const WString& title, int range);
    void SetProgressPos(int pos);
    void StepProgress();
    void EndProgress();
    bool IsProgressShown() const { return m_progressShown; }
    int GetProgressPos() const { return m_progressPos; }

    // Counted: the cursor shows from the first Begin to the matching last End.
    void BeginWaitCursor();
    void EndWaitCursor();
    int GetWaitCursorDepth() const { return m_waitDepth; }

    // The status bar's message text.
    virtual void SetMessageText(const WString& text);

    // True on the thread that owns the windows (by default the thread that created the host).
    virtual bool IsUiThread() const;

protected:
    // Hooks for implementations; the base class keeps the state above.
    virtual bool OnBeginProgress(const WString& title, int range);
    virtual void OnProgressPos(int pos);
    virtual void OnEndProgress();
    virtual void OnWaitCursor(bool show);

private:
    bool m_progressShown = false;
    int m_progressPos = 0;
    int m_waitDepth = 0;
    std::thread::id m_uiThread;
};

// The host of this process: the installed one, else the default host. Never null.
CCvlHost& CvlGetHost();
// Installs a host (nullptr: back to the default) and gives the previous one (nullptr for the default).
CCvlHost* CvlSetHost(CCvlHost* host);

// Installs a host for the lifetime of the scope and puts the previous one back.
class CCvlHostScope {
public:
    explicit CCvlHostScope(CCvlHost& host) : m_previous(CvlSetHost(&host)) {}
    ~CCvlHostScope() { CvlSetHost(m_previous); }
    CCvlHostScope(const CCvlHostScope&) = delete;
    CCvlHostScope& operator=(const CCvlHostScope&) = delete;

private:
    CCvlHost* m_previous;
};

// The framework's AfxMessageBox shapes on the current host. helpId CVL_HELP_FROM_ID gives
// CvlPromptHelpId(id) for a string number, and no help for a literal text's 0.
int CvlMessageBox(unsigned id, unsigned type = MB_OK, unsigned helpId = CVL_HELP_FROM_ID);
int CvlMessageBox(unsigned id, const std::vector<WString>& args, unsigned type = MB_OK,
                  unsigned helpId = CVL_HELP_FROM_ID);
int CvlMessageBoxText(const WString& text, unsigned type = MB_OK, unsigned helpId = 0);
// The full form (another table, a caption, a text formatted by the caller under a string number).
// An empty text is loaded from the string table with args; CVL_HELP_FROM_ID is resolved as above.
int CvlShowMessage(CvlMessage msg);

// Shows the wait cursor on the current host for the lifetime of the scope.
class CCvlWaitCursor {
public:
    CCvlWaitCursor() : m_host(CvlGetHost()) { m_host.BeginWaitCursor(); }
    ~CCvlWaitCursor() { m_host.EndWaitCursor(); }
    CCvlWaitCursor(const CCvlWaitCursor&) = delete;
    CCvlWaitCursor& operator=(const CCvlWaitCursor&) = delete;

private:
    CCvlHost& m_host;
};
