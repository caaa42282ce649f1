#include "support/settings_environment.h"

namespace {
const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new CTempSettingsEnvironment("cvl_quillmere_test"));
}  // namespace
