// The main frame's status bar, with a progress control in the message pane for long operations.
#pragma once

#include <wx/gauge.h>
#include <wx/statusbr.h>

#include "platform/text.h"

class CProgressStatusBar : public wxStatusBar {
public:
    static constexpr int kProgressControlId = 10001;

    CProgressStatusBar(wxWindow* parent, wxWindowID id);

    // False, changing nothing, while progress runs or the bar is hidden. The range is kept to
    // 16 bits, as the control always took it.
    bool BeginProgress(const WString& text, unsigned range);
    void SetPos(int pos);
    void Step();
    void EndProgress();

    bool IsProgressActive() const { return m_bActive; }
    const WString& GetProgressText() const { return m_strText; }
    wxGauge* GetProgressCtrl() const { return m_progress; }
    // Where the control goes: right of the text measured in the bar's font (50 pixels without one).
    wxRect GetProgressRect(const WString* text) const;

private:
    void OnSize(wxSizeEvent& event);
    void SetFrameMessage(const WString& text);

    WString m_strText;
    wxGauge* m_progress = nullptr;
    bool m_bActive = false;
};
