// The shipped reader plug-in for tests of its host: registered under Readers as the install step
// registers it, and kept loaded for the whole run.
#pragma once

#include <gtest/gtest.h>

#include "abi/reader_abi.h"
#include "platform/module.h"
#include "platform/settings.h"

// Unloading the plug-in would unload the GUI libraries it brings along, with the allocations their
// start-up made: one reference stays for the whole run, and the program's own loads come and go.
inline void KeepReaderPluginLoaded(const char* path) {
    static CModule* module = [path] {
        auto* m = new CModule;
        m->Load(path);
        return m;
    }();
    ASSERT_TRUE(module->IsLoaded());
}

// Readers\Wyndrace\2S holds the library's path and the modes of the reader.
inline void RegisterReaderPlugin(const char* path,
                                 uint32_t modes = EID_MODE_UPLOAD | EID_MODE_DOWNLOAD | EID_MODE_SCAN) {
    auto model =
        CSettingsKey::Create(HKEY_LOCAL_MACHINE, WString(CRegistrySettings::AppKeyPath) + u"Readers\\Wyndrace\\2S");
    ASSERT_TRUE(model);
    model->SetString(u"", Utf8ToW(path));
    model->SetDWord(u"Supported Modes", modes);
}
