#include "shell/progress_status_bar.h"

#include <wx/dcclient.h>
#include <wx/frame.h>

#include <algorithm>

#include "document/command_ids.h"
#include "document/ui/wx_strings.h"
#include "platform/strings.h"

CProgressStatusBar::CProgressStatusBar(wxWindow* parent, wxWindowID id)
    : wxStatusBar(parent, id, wxSTB_DEFAULT_STYLE | wxCLIP_CHILDREN) {
    m_progress = new wxGauge(this, kProgressControlId, 1, wxDefaultPosition, wxDefaultSize,
                             wxGA_HORIZONTAL | wxGA_SMOOTH);
    m_progress->Hide();
    Bind(wxEVT_SIZE, &CProgressStatusBar::OnSize, this);
}

wxRect CProgressStatusBar::GetProgressRect(const WString* text) const {
    wxRect pane;
    if (!GetFieldRect(0, pane)) pane = wxRect(0, 0, GetClientSize().x, GetClientSize().y);
    int width = 50;
    if (text) {
        wxClientDC dc(const_cast<CProgressStatusBar*>(this));
        dc.SetFont(GetFont());
        width = dc.GetTextExtent(ToWx(*text)).x;
    }
    // The control starts right of the text and ends 150 pixels past the text's width.
    const int left = pane.x + width;
    const int right = width + 150;
    return wxRect(left, pane.y, std::max(1, right - left), pane.height);
}

bool CProgressStatusBar::BeginProgress(const WString& text, unsigned range) {
    if (m_bActive || !IsShown()) return false;
    m_bActive = true;
    m_strText = text;
    m_progress->SetSize(GetProgressRect(&m_strText));
    m_progress->Show();
    SetFrameMessage(m_strText);
    // An empty range still needs a control that can be drawn.
    m_progress->SetRange(std::max(1u, range & 0xFFFFu));
    m_progress->SetValue(0);
    return true;
}

void CProgressStatusBar::SetPos(int pos) {
    SetFrameMessage(m_strText);
    m_progress->SetValue(std::clamp(pos, 0, m_progress->GetRange()));
}

void CProgressStatusBar::Step() {
    SetFrameMessage(m_strText);
    m_progress->SetValue(std::min(m_progress->GetValue() + 1, m_progress->GetRange()));
}

void CProgressStatusBar::EndProgress() {
    m_bActive = false;
    m_progress->Hide();
    m_progress->SetValue(0);
    SetFrameMessage(LoadCvlString(AFX_IDS_IDLEMESSAGE));
}

void CProgressStatusBar::SetFrameMessage(const WString& text) {
    SetStatusText(ToWx(text), 0);
}

void CProgressStatusBar::OnSize(wxSizeEvent& event) {
    event.Skip();
    m_progress->SetSize(GetProgressRect(nullptr));
}
