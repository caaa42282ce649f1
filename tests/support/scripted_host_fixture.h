// Installs a CScriptedHost for one test: script failures and unused answers become test failures.
#pragma once

#include <gtest/gtest.h>

#include "platform/testing/scripted_host.h"

class CScopedScriptedHost : public CScriptedHost {
public:
    CScopedScriptedHost() : m_previous(CvlSetHost(this)) {
        SetFailureHandler([](const std::string& what) { ADD_FAILURE() << what; });
    }
    ~CScopedScriptedHost() override {
        CvlSetHost(m_previous);
        EXPECT_EQ(PendingReplies(), 0u) << "scripted answers left unused";
    }

private:
    CCvlHost* m_previous;
};
