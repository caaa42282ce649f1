#include "support/settings_environment.h"

namespace {
const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new CTempSettingsEnvironment("cvl_wizard_model_test"));
}  // namespace
