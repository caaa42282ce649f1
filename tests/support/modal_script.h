// GUI tests: modal dialogs answered by scripted steps, and radio clicks as the user makes them.
#pragma once

#include <gtest/gtest.h>
#include <wx/dialog.h>
#include <wx/radiobut.h>

#include <functional>
#include <vector>

#include "document/ui/sheet.h"

// Runs each modal dialog through the given steps in turn.
class ModalScript {
public:
    explicit ModalScript(std::vector<std::function<int(wxDialog&)>> steps) : m_steps(std::move(steps)) {
        CvlSetModalDriver([this](wxDialog& dialog) {
            EXPECT_LT(m_next, m_steps.size()) << "a dialog nobody expected";
            if (m_next >= m_steps.size()) return int(wxID_CANCEL);
            return m_steps[m_next++](dialog);
        });
    }
    ~ModalScript() {
        CvlSetModalDriver({});
        EXPECT_EQ(m_next, m_steps.size()) << "dialogs expected but not shown";
    }

private:
    std::vector<std::function<int(wxDialog&)>> m_steps;
    size_t m_next = 0;
};

inline void Click(wxWindow* radio) {
    static_cast<wxRadioButton*>(radio)->SetValue(true);
    wxCommandEvent event(wxEVT_RADIOBUTTON, radio->GetId());
    event.SetEventObject(radio);
    event.SetInt(1);
    radio->GetEventHandler()->ProcessEvent(event);
}
