#include "platform/host.h"

#include <gtest/gtest.h>

#include <thread>

#include "support/scripted_host_fixture.h"

TEST(Host, MessageByNumberCarriesTextArgsAndPromptHelp) {
    CScopedScriptedHost host;
    EXPECT_EQ(CvlMessageBox(40, MB_OK), IDOK);
    ASSERT_EQ(host.Messages().size(), 1u);
    const CvlMessage& m = host.Messages()[0];
    EXPECT_EQ(m.stringId, 40u);
    EXPECT_EQ(m.helpId, 0x30028u);
    EXPECT_EQ(m.text, LoadCvlString(40));
}
