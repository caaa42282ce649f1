// Steps of the download wizard tests: queued calls run, and a message box checked and answered.
#pragma once

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/msgdlg.h>

#include <functional>

inline void Pump() {
    for (int i = 0; i < 5; ++i) {
        wxTheApp->ProcessPendingEvents();
        wxTheApp->ProcessIdle();
    }
}

inline std::function<int(wxDialog&)> Says(const char* text, int answer = wxID_OK) {
    return [text, answer](wxDialog& dialog) {
        auto* box = dynamic_cast<wxMessageDialog*>(&dialog);
        EXPECT_NE(box, nullptr);
        if (box) {
            EXPECT_EQ(box->GetMessage(), text);
        }
        return answer;
    };
}
