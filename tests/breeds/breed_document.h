// A document holding the shipped breed plug-in as the program finds it: registered by the install
// step's tool in the machine-wide Breeds list, loaded by the document's bridge.
#pragma once

#include "document/breed_plugin.h"
#include "document/sheep_doc.h"
#include "support/scripted_host_fixture.h"
#include "support/breed_plugin.h"

class BreedThroughTheDocument : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(RunRegisterTool({"General Sheep", BreedPlugin::Path()}), 0);
        ASSERT_EQ(doc.GetBreedPlugIn().Load(u"General Sheep", true), BREED_LOADED);
    }
    void TearDown() override { doc.GetBreedPlugIn().Unload(); }

    ScopedSettingsFolder folder;
    CScopedScriptedHost host;
    CSheepDoc doc;
};
