// The show-me pointer of the help pages: the mouse pointer travels to a bar's button and shows its
// help, or to a command in the menus and runs it, after switching the active document to a view
// the command belongs to.
#pragma once

#include <wx/timer.h>

#include <functional>
#include <vector>

#include "document/toolbar_layout.h"

class CFrameBars;
class wxFrame;

class CShowMe {
public:
    CShowMe(wxFrame* frame, CFrameBars* bars);
    ~CShowMe();

    // bar: 0 Standard, 1 Record Filter, 2 Record Navigator; helpId: 0x10000 + the command. A bar or a
    // button that is not there is reported (1037, 1038) and nothing else happens.
    bool ShowMeButton(int bar, unsigned helpId);
    // mask: the kinds of view (SHOWME_ bits) the command belongs to; 0 for any.
    bool ShowMeMenu(int mask, int command);
    bool IsRunning() const { return m_timer.IsRunning(); }
    // Where, on the screen, the pointer was last put (the pointer itself is the display's to share).
    CPointerPoint GetLastStop() const { return m_lastStop; }
    // The window is closing: the pointer stops and no request runs any more.
    void Stop();
    // The SHOWME_ kind of the active view, 0 for none (the address browser has none).
    int GetActiveKind() const;

private:
    bool ShowMeMenu(int mask, int command, bool switched);
    // The pointer to the command's menu, then the command, then `then`.
    void PlayMenu(int command, std::function<void()> then);
    // Moves the pointer along the path, one stop per tick, then runs done.
    void Travel(std::vector<CPointerPoint> path, std::function<void()> done);
    void OnTick(wxTimerEvent& event);

    wxFrame* m_pFrame;
    CFrameBars* m_pBars;
    wxTimer m_timer;
    std::vector<CPointerPoint> m_path;
    size_t m_next = 0;
    CPointerPoint m_lastStop{};
    std::function<void()> m_done;
    bool m_bStopped = false;
};
